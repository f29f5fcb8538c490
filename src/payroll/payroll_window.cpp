#include "payroll_window.h"

#include "ui_payroll_window.h"

#include "common/clock.h"
#include "common/dates.h"
#include "ui/entry_behaviour.h"
#include "ui/prompter.h"
#include "ui/window_lifetime.h"
#include "ui/app_context.h"
#include "data/database.h"
#include "data/master_repository.h"
#include "data/payroll_repository.h"
#include "data/session.h"
#include "payroll/payroll_month_model.h"

#include <QHeaderView>
#include <QKeySequence>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QShortcut>

namespace {

QString amountText(Currency c)
{
    return c.toString();
}

} // namespace

PayrollWindow::PayrollWindow(AppContext& context, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::PayrollWindow>()), m_context(context),
      m_model(new PayrollMonthModel(this))
{
    m_ui->setupUi(this);
    m_ui->lvwInfo->setModel(m_model);
    m_ui->lvwInfo->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_ui->lvwInfo->verticalHeader()->hide();
    m_ui->cmdPrintPayslip->setEnabled(false);
    m_ui->cmdPrintPayslip->setToolTip(QStringLiteral("This window is not available yet."));
    setupBoxes();

    m_ui->DTPicker1->setDate(m_context.clock.today());
    connect(m_ui->DTPicker1, &QDateEdit::dateChanged, this, &PayrollWindow::updatePeriod);
    fillEmployeeLists();
    for (const QString& group : MasterRepository(m_context.db, MasterRepository::Kind::Group).names())
        m_ui->Combo2->addItem(group);
    m_ui->Combo2->setCurrentIndex(-1);
    updatePeriod();

    connect(m_ui->cmdSave, &QPushButton::clicked, this, &PayrollWindow::save);
    connect(m_ui->cmdCosePic, &QPushButton::clicked, this, &QWidget::close);
    connect(m_ui->Text3, &QLineEdit::textChanged, this, &PayrollWindow::loadTransaction);
    connect(m_ui->Command1, &QPushButton::clicked, this, &PayrollWindow::update);
    connect(m_ui->Text3, &QLineEdit::returnPressed, this, &PayrollWindow::update);
    // Enter on a focused button presses it, as Space does: the days box is followed by Save.
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(true);
    connect(m_ui->Command2, &QPushButton::clicked, this, [this] { showEditPanel(false); });

    // Ctrl+O opens the edit panel (Shift+O is a capital O in the name box); Esc closes it.
    auto* open = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_O), this);
    open->setContext(Qt::WidgetWithChildrenShortcut);
    connect(open, &QShortcut::activated, this, [this] { showEditPanel(true); });
    auto* cancel = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    cancel->setContext(Qt::WidgetWithChildrenShortcut);
    connect(cancel, &QShortcut::activated, this, [this] { showEditPanel(false); });

    recompute();
    m_ui->cboEmpID->setFocus();
}

PayrollWindow::~PayrollWindow()
{
    disconnectChildSignals(this);
}

QList<QLineEdit*> PayrollWindow::typedBoxes() const
{
    return {m_ui->txtNumDays, m_ui->txtBonus, m_ui->txtOverTime, m_ui->Text2,
            m_ui->txtsss,     m_ui->txttax,   m_ui->txtph,       m_ui->txtOther};
}

void PayrollWindow::setupBoxes()
{
    for (QLineEdit* box : typedBoxes()) {
        EntryBehaviour::install(box, EntryBehaviour::AmountKeys | EntryBehaviour::EnterMovesOn |
                                         EntryBehaviour::SelectAllOnFocus);
        connect(box, &QLineEdit::textEdited, this, [box] {
            // A blank box is 0, selected so the next digit replaces it.
            if (box->text().isEmpty()) {
                box->setText(QStringLiteral("0"));
                box->selectAll();
            }
        });
        connect(box, &QLineEdit::textChanged, this, &PayrollWindow::recompute);
        // Amounts become whole numbers on leaving; days and travel keep their decimals.
        const bool whole = box != m_ui->txtNumDays && box != m_ui->Text2;
        connect(box, &QLineEdit::editingFinished, this, [this, box, whole] { leaveAmountBox(box, whole); });
    }
    for (QLineEdit* box : {m_ui->txtAdvances, m_ui->Text1, m_ui->txtAbsences})
        EntryBehaviour::install(box, EntryBehaviour::EnterMovesOn);
    EntryBehaviour::install(m_ui->Text3, EntryBehaviour::AmountKeys | EntryBehaviour::SelectAllOnFocus);
    // Transaction numbers are whole numbers: the point is refused too.
    m_ui->Text3->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_ui->Text3));

    EntryBehaviour::install(m_ui->cboEmpID, EntryBehaviour::SelectAllOnFocus);
    // The list also reports an entry as activated when the box is merely left with its text; the
    // employee already shown (or a loaded transaction's) is not chosen again then.
    connect(m_ui->cboEmpID, &QComboBox::activated, this, [this] {
        if (!m_chosen || QString::number(m_chosen->employee.id) != m_ui->cboEmpID->currentText().trimmed())
            chooseByNumber(false);
    });
    connect(m_ui->cboEmpID->lineEdit(), &QLineEdit::returnPressed, this, [this] { chooseByNumber(true); });
    // Leaving the box with a number typed checks it too, so a wrong number is never left standing.
    connect(m_ui->cboEmpID->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        const QString typed = m_ui->cboEmpID->currentText().trimmed();
        if (typed != m_checkedNumber && (!m_chosen || QString::number(m_chosen->employee.id) != typed))
            chooseByNumber(false);
    });
    m_ui->cboEmpID->lineEdit()->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_ui->cboEmpID));

    EntryBehaviour* byName =
        EntryBehaviour::install(m_ui->Combo1, EntryBehaviour::DropDownOnFocus | EntryBehaviour::EnterMovesOn);
    connect(m_ui->Combo1, &QComboBox::activated, this, [this](int index) { chooseByName(index); });
    connect(byName, &EntryBehaviour::enterPressed, this, [this] { chooseByName(-1); });
    EntryBehaviour::install(m_ui->Combo2, EntryBehaviour::EnterMovesOn);
}

void PayrollWindow::showEditPanel(bool show)
{
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_ui->Label27, m_ui->Text3, m_ui->Command1, m_ui->Command2, m_ui->Command3})
        w->setVisible(show);
    m_ui->cmdSave->setVisible(!show);
    if (show) {
        m_ui->Text3->setFocus();
    } else {
        QSignalBlocker blocker(m_ui->Text3);
        m_ui->Text3->clear();
    }
}

void PayrollWindow::updatePeriod()
{
    const QDate date = m_ui->DTPicker1->date();
    m_ui->txtMonth->setText(dates::monthName(date));
    m_ui->txtYear->setText(QString::number(date.year()));
    listMonthPayroll();
    // The daily rate follows the days of the new month, and the deduction its advances.
    if (m_chosen && !m_loading) {
        const auto advances = loadMonthAdvances(m_context.db, m_chosen->employee.id, date);
        if (advances) {
            m_chosen->monthAdvances = *advances;
            m_ui->txtAdvances->setText(amountText(*advances));
        } else {
            clearEmployee();
            m_context.prompter.error(advances.error());
        }
    }
    recompute();
}

void PayrollWindow::fillEmployeeLists()
{
    const auto names = EmployeeRepository(m_context.db).names();
    if (!names) {
        m_context.prompter.error(names.error());
        return;
    }
    for (const EmployeeName& e : names.value()) {
        m_ui->cboEmpID->addItem(QString::number(e.id));
        m_ui->Combo1->addItem(e.name, e.id);
    }
    m_ui->cboEmpID->setCurrentIndex(-1);
    m_ui->Combo1->setCurrentIndex(-1);
}

void PayrollWindow::listMonthPayroll()
{
    auto month = PayrollRepository(m_context.db).month(m_context.session.company, m_ui->DTPicker1->date());
    if (!month) {
        m_context.prompter.error(month.error());
        return;
    }
    m_model->setTransactions(std::move(month.value()));
}

void PayrollWindow::chooseByNumber(bool fromEnter)
{
    const QString text = m_ui->cboEmpID->currentText().trimmed();
    m_checkedNumber = text;
    if (text.isEmpty())
        return;
    bool ok = false;
    const qint64 id = text.toLongLong(&ok);
    const Choice choice = ok ? choose(id) : Choice::NotFound;
    if (choice == Choice::NotFound) {
        clearEmployee();
        m_context.prompter.information(QStringLiteral("Invalid Employee ID Number. Please try again"),
                                       QStringLiteral("Information"));
        m_ui->cboEmpID->setFocus();
        m_ui->cboEmpID->lineEdit()->selectAll();
        return;
    }
    if (choice == Choice::Chosen && fromEnter)
        focusNextChild();
}

void PayrollWindow::chooseByName(int index)
{
    QComboBox* names = m_ui->Combo1;
    if (index < 0) {
        // Enter on a typed name: the entry shown if it is that name, else the last (highest number) of it.
        const QString typed = names->currentText().trimmed();
        if (names->currentIndex() >= 0 &&
            names->itemText(names->currentIndex()).compare(typed, Qt::CaseInsensitive) == 0)
            index = names->currentIndex();
        else
            for (int i = 0; i < names->count(); ++i)
                if (names->itemText(i).compare(typed, Qt::CaseInsensitive) == 0)
                    index = i;
        if (index < 0)
            return;
    }
    // Each entry carries its employee's number: two employees may share a name.
    const qint64 id = names->itemData(index).toLongLong();
    if (m_chosen && m_chosen->employee.id == id)
        return;
    if (choose(id) == Choice::NotFound)
        clearEmployee(); // deleted since the list was filled
}

PayrollWindow::Choice PayrollWindow::choose(qint64 employeeId)
{
    auto facts = loadEmployeePayFacts(m_context.db, employeeId, m_ui->DTPicker1->date());
    if (!facts) {
        clearEmployee();
        m_context.prompter.error(facts.error());
        return Choice::Failed;
    }
    if (!facts->has_value())
        return Choice::NotFound;
    showFacts(**facts);
    m_chosen = std::move(*facts);
    m_checkedNumber = QString::number(employeeId);
    recompute();
    return Choice::Chosen;
}

void PayrollWindow::showFacts(const EmployeePayFacts& facts)
{
    const Employee& e = facts.employee;
    {
        QSignalBlocker a(m_ui->cboEmpID);
        QSignalBlocker b(m_ui->Combo1);
        m_ui->cboEmpID->setEditText(QString::number(e.id));
        m_ui->Combo1->setEditText(e.name);
    }
    m_ui->lblName->setText(e.name);
    m_ui->lblDept->setText(e.department);
    m_ui->lblPosition->setText(e.position);
    m_ui->lblStatus->setText(e.employmentStatus);
    m_ui->Combo2->setEditText(e.group);
    m_monthRate = e.basicRate;
    m_ui->Text1->setText(amountText(facts.loanTotal));
    m_ui->Label24->setText(amountText(facts.loanRecovered));
    m_ui->txtsss->setText(amountText(facts.loanDeduction));
    m_ui->txtAdvances->setText(amountText(facts.monthAdvances));
}

void PayrollWindow::clearEmployee()
{
    m_chosen.reset();
    m_monthRate = Currency();
    for (QLabel* label : {m_ui->lblName, m_ui->lblDept, m_ui->lblPosition, m_ui->lblStatus})
        label->clear();
    {
        QSignalBlocker b(m_ui->Combo1);
        m_ui->Combo1->setEditText(QString());
    }
    m_ui->Combo2->setEditText(QString());
    for (QLineEdit* box : {m_ui->Text1, m_ui->txtsss, m_ui->txtAdvances})
        box->setText(QStringLiteral("0"));
    m_ui->Label24->setText(QStringLiteral("0"));
    recompute();
}

void PayrollWindow::recompute()
{
    PayInputs in;
    in.basicRate = m_monthRate;
    in.payDate = m_ui->DTPicker1->date();
    in.daysPresent = enteredAmount(m_ui->txtNumDays->text());
    in.bonus = enteredAmount(m_ui->txtBonus->text());
    in.overtime = enteredAmount(m_ui->txtOverTime->text());
    in.travel = enteredAmount(m_ui->Text2->text());
    in.advances = enteredAmount(m_ui->txtAdvances->text());
    in.loanDeduction = enteredAmount(m_ui->txtsss->text());
    in.lic = enteredAmount(m_ui->txttax->text());
    in.contribution = enteredAmount(m_ui->txtph->text());
    in.pgvcl = enteredAmount(m_ui->txtOther->text());
    m_result = calculatePay(in);
    const PayResult shown = m_result.value_or(PayResult{});
    m_ui->lblRate->setText(amountText(shown.monthlyRate));
    m_ui->lblPerDay->setText(amountText(shown.dailyRate));
    m_ui->txtAbsences->setText(amountText(shown.presentDaysSalary));
    m_ui->lbltemp->setText(amountText(shown.totalAdditional));
    m_ui->lblDeduct->setText(amountText(shown.totalDeductions));
    m_ui->lblNetPay->setText(m_result ? amountText(shown.netPay) : QStringLiteral("too large"));
}

void PayrollWindow::leaveAmountBox(QLineEdit* box, bool roundToWhole)
{
    const QString text = box->text();
    const QString fixed = roundToWhole ? wholeAmountText(text) : (Currency::parse(text) ? text : QStringLiteral("0"));
    if (fixed != text)
        box->setText(fixed);
}

void PayrollWindow::normaliseBoxes()
{
    for (QLineEdit* box : typedBoxes())
        leaveAmountBox(box, box != m_ui->txtNumDays && box != m_ui->Text2);
}

void PayrollWindow::clearAmounts()
{
    for (QLineEdit* box : {m_ui->txtAbsences, m_ui->txtAdvances, m_ui->txtBonus, m_ui->txtNumDays, m_ui->txtOverTime,
                           m_ui->txtsss, m_ui->txttax, m_ui->txtph, m_ui->txtOther})
        box->setText(QStringLiteral("0"));
    recompute();
}

PayrollTransaction PayrollWindow::currentTransaction() const
{
    const PayResult r = m_result.value_or(PayResult{});
    PayrollTransaction t;
    t.employeeId = m_chosen ? m_chosen->employee.id : 0;
    t.name = m_ui->lblName->text();
    t.monthRate = r.monthlyRate;
    t.payDate = m_ui->DTPicker1->date();
    t.bonus = enteredAmount(m_ui->txtBonus->text());
    t.overtime = enteredAmount(m_ui->txtOverTime->text());
    t.totalLoan = enteredAmount(m_ui->Text1->text());
    t.contribution = enteredAmount(m_ui->txtph->text());
    t.lic = enteredAmount(m_ui->txttax->text());
    t.pgvcl = enteredAmount(m_ui->txtOther->text());
    t.daysPresent = enteredAmount(m_ui->txtNumDays->text());
    t.presentDaysSalary = r.presentDaysSalary;
    t.advances = enteredAmount(m_ui->txtAdvances->text());
    t.totalAdditional = r.totalAdditional;
    t.totalDeductions = r.totalDeductions;
    t.loanRecovered = enteredAmount(m_ui->txtsss->text());
    t.travel = enteredAmount(m_ui->Text2->text());
    t.netPay = r.netPay;
    t.department = m_ui->lblDept->text();
    t.group = m_ui->Combo2->currentText().trimmed();
    t.company = m_context.session.company;
    return t;
}

void PayrollWindow::save()
{
    Prompter& prompter = m_context.prompter;
    const QString typedId = m_ui->cboEmpID->currentText().trimmed();
    if (typedId.isEmpty()) {
        prompter.information(QStringLiteral("Please select an employee ID number."), QStringLiteral("Information"));
        m_ui->cboEmpID->setFocus();
        return;
    }
    // A number typed but never chosen is chosen now, so the figures are that employee's.
    if (!m_chosen || QString::number(m_chosen->employee.id) != typedId) {
        chooseByNumber(false);
        if (!m_chosen)
            return;
    }
    normaliseBoxes();
    if (enteredAmount(m_ui->txtNumDays->text()).isZero()) {
        prompter.message(QStringLiteral("Number of days cannot be zero Please enter greater than zero"));
        m_ui->txtNumDays->setFocus();
        return;
    }
    if (!m_result) {
        prompter.warning(QStringLiteral("The amounts are too large to work out the pay. Please check them."));
        return;
    }
    if (!prompter.question(QStringLiteral("Saving this data will not allow you to re-edit this transaction.\n\n"
                                          "Are you sure you want to save this now?")))
        return;
    const PayrollTransaction t = currentTransaction();
    PayrollRepository payroll(m_context.db);
    const auto existing = payroll.countFor(t.company, t.employeeId, t.payDate);
    if (!existing) {
        prompter.error(existing.error());
        return;
    }
    if (*existing > 0 &&
        !prompter.question(QStringLiteral("A payroll transaction of %1 for %2 already exists.\n\n"
                                          "Do you want to save another one?")
                               .arg(t.name, dates::monthName(t.payDate) + u' ' + QString::number(t.payDate.year()))))
        return;

    Transaction transaction(m_context.db);
    if (!transaction.active()) {
        prompter.error(transaction.error());
        return;
    }
    const auto inserted = payroll.insert(t);
    const Status committed = inserted ? transaction.commit() : inserted.status();
    if (!committed) {
        prompter.error(committed.error());
        return;
    }
    prompter.information(QStringLiteral("Data successfully save."), QStringLiteral("Information"));
    listMonthPayroll();
    clearAmounts();
    m_ui->Combo1->setFocus();
}

std::optional<PayrollTransaction> PayrollWindow::typedTransaction(bool report)
{
    const QString text = m_ui->Text3->text().trimmed();
    if (text.isEmpty())
        return std::nullopt;
    const auto found = PayrollRepository(m_context.db).find(text.toLongLong());
    if (!found) {
        if (report)
            m_context.prompter.error(found.error());
        return std::nullopt;
    }
    // Only the selected company's transactions can be edited here.
    if (!found->has_value() || (*found)->company != m_context.session.company) {
        if (report)
            m_context.prompter.information(QStringLiteral("There is no payroll transaction number %1.").arg(text),
                                           QStringLiteral("Information"));
        return std::nullopt;
    }
    return *found;
}

void PayrollWindow::loadTransaction()
{
    const auto t = typedTransaction(false);
    if (!t)
        return;
    m_loading = true;
    // The transaction's own figures, with the employee's loan repaid so far and details beside them.
    const auto facts = loadEmployeePayFacts(m_context.db, t->employeeId, t->payDate);
    EmployeePayFacts shown;
    if (facts && facts->has_value()) {
        shown = **facts;
    } else {
        // The employee was deleted since; the stored row still says who it was.
        shown.employee.id = t->employeeId;
    }
    m_chosen = shown;
    m_checkedNumber = QString::number(t->employeeId);
    {
        QSignalBlocker a(m_ui->cboEmpID);
        QSignalBlocker b(m_ui->Combo1);
        m_ui->cboEmpID->setEditText(QString::number(t->employeeId));
        m_ui->Combo1->setEditText(t->name);
    }
    m_ui->lblName->setText(t->name);
    m_ui->lblDept->setText(t->department);
    m_ui->lblPosition->setText(shown.employee.position);
    m_ui->lblStatus->setText(shown.employee.employmentStatus);
    m_ui->Label24->setText(amountText(shown.loanRecovered));
    m_ui->Combo2->setEditText(t->group);
    m_monthRate = t->monthRate;
    m_ui->DTPicker1->setDate(t->payDate);
    m_ui->txtBonus->setText(amountText(t->bonus));
    m_ui->txtOverTime->setText(amountText(t->overtime));
    m_ui->txtph->setText(amountText(t->contribution));
    m_ui->txttax->setText(amountText(t->lic));
    m_ui->txtOther->setText(amountText(t->pgvcl));
    m_ui->txtNumDays->setText(amountText(t->daysPresent));
    m_ui->txtAdvances->setText(amountText(t->advances));
    m_ui->txtsss->setText(amountText(t->loanRecovered));
    m_ui->Text2->setText(amountText(t->travel));
    m_ui->Text1->setText(amountText(t->totalLoan));
    m_loading = false;
    recompute();
}

void PayrollWindow::update()
{
    Prompter& prompter = m_context.prompter;
    if (m_ui->Text3->text().trimmed().isEmpty()) {
        prompter.information(QStringLiteral("Please enter the Trans ID to update."), QStringLiteral("Information"));
        m_ui->Text3->setFocus();
        return;
    }
    const auto stored = typedTransaction(true);
    if (!stored)
        return;
    if (!m_chosen) {
        prompter.information(QStringLiteral("Invalid Employee ID Number. Please try again"),
                             QStringLiteral("Information"));
        return;
    }
    normaliseBoxes();
    if (!m_result) {
        prompter.warning(QStringLiteral("The amounts are too large to work out the pay. Please check them."));
        return;
    }
    Transaction transaction(m_context.db);
    Status updated = transaction.active()
                         ? PayrollRepository(m_context.db).update(stored->transId, currentTransaction())
                         : Status::failure(transaction.error());
    if (updated)
        updated = transaction.commit();
    if (!updated) {
        prompter.error(updated.error());
        return;
    }
    prompter.information(QStringLiteral("Payroll Updated"));
    showEditPanel(false);
    listMonthPayroll();
}
