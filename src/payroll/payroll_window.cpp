#include "payroll_window.h"

#include "ui_payroll_window.h"

#include "common/clock.h"
#include "common/dates.h"
#include "data/database.h"
#include "data/master_repository.h"
#include "data/month_close.h"
#include "data/payroll_repository.h"
#include "data/session.h"
#include "data/statutory_repository.h"
#include "payroll/payroll_month_model.h"
#include "payroll/payslip_window.h"
#include "reports/report_grid.h"
#include "rules/record_rules.h"
#include "ui/app_context.h"
#include "ui/entry_behaviour.h"
#include "ui/prompter.h"
#include "ui/window_lifetime.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QKeySequence>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QShortcut>

#include <functional>

namespace {

const QString tooLarge = QStringLiteral("too large");

QString figureText(const std::optional<Currency>& figure)
{
    // Grouped as the office writes figures: nobody types over these.
    return figure ? figure->toGroupedText() : tooLarge;
}

// Told when the loan deduction on the screen was more than the employee still owed when the
// transaction was stored (another workstation recovered some of it meanwhile).
QString loanCappedText(const PayrollTransaction& stored)
{
    return QStringLiteral("%1 owed less of the loan than the deduction on the screen (another workstation saved a "
                          "recovery meanwhile). The loan deduction saved is %2, and the net pay %3.")
        .arg(stored.name, stored.loanRecovered.toString(), stored.netPay.toString());
}

// Writes until the write is done, asking again(outcome) each time another workstation got in first
// (a transaction of the month saved, the row changed); nothing when the operator declines or the
// write fails. A loan deduction lowered at the write is told.
std::optional<PayrollWrite> writeAsking(Prompter& prompter, const std::function<Result<PayrollWrite>()>& write,
                                        const std::function<bool(const PayrollWrite&)>& again)
{
    while (true) {
        const auto written = write();
        if (!written) {
            prompter.error(written.error());
            return std::nullopt;
        }
        if (written->outcome == PayrollWrite::Outcome::Written) {
            if (written->loanCapped)
                prompter.information(loanCappedText(written->stored), QStringLiteral("Information"));
            return *written;
        }
        if (!again(*written))
            return std::nullopt;
    }
}

} // namespace

PayrollWindow::PayrollWindow(AppContext& context, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::PayrollWindow>()), m_context(context),
      m_model(new PayrollMonthModel(PayrollMonthModel::Columns::Payroll, this))
{
    m_ui->setupUi(this);
    m_ui->lvwInfo->setModel(m_model);
    report::enableGrid(*m_ui->lvwInfo, context.prompter, QStringLiteral("Payroll"));
    m_ui->lvwInfo->verticalHeader()->hide();
    m_ui->lvwInfo->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // A month holds thousands of rows: the columns fit the first of them, once.
    m_ui->lvwInfo->horizontalHeader()->setResizeContentsPrecision(50);
    m_picker = new EmployeePicker(
        context, m_ui->cboEmpID, m_ui->Combo1, [this](qint64 id, QString& name) { return choose(id, name); }, this);
    setupBoxes();

    m_ui->DTPicker1->setDate(m_context.clock.today());
    connect(m_ui->DTPicker1, &QDateEdit::dateChanged, this, &PayrollWindow::updatePeriod);
    m_picker->reload();
    for (const QString& group : MasterRepository(m_context.db, MasterRepository::Kind::Group).names())
        m_ui->Combo2->addItem(group);
    m_ui->Combo2->setCurrentIndex(-1);
    updatePeriod();

    connect(m_ui->cmdSave, &QPushButton::clicked, this, &PayrollWindow::save);
    connect(m_ui->cmdCosePic, &QPushButton::clicked, this, &QWidget::close);
    connect(m_ui->cmdPrintPayslip, &QPushButton::clicked, this, &PayrollWindow::showPayslips);
    // Enter loads the transaction whose number is typed (a number typed halfway, 1 of 12, loads nothing).
    connect(m_ui->Text3, &QLineEdit::returnPressed, this, &PayrollWindow::loadTransaction);
    connect(m_ui->Command1, &QPushButton::clicked, this, &PayrollWindow::update);
    connect(m_ui->Command2, &QPushButton::clicked, this, [this] { showEditPanel(false); });
    // Enter on a focused button presses it, as Space does: the days box is followed by Save.
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(true);

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
            m_ui->txttax,     m_ui->txtph,    m_ui->txtOther};
}

void PayrollWindow::setupBoxes()
{
    // Days present: two digits and two decimals at the most (half days, quarter days).
    m_ui->txtNumDays->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,2}(\\.[0-9]{0,2})?")), m_ui->txtNumDays));
    for (QLineEdit* box : typedBoxes()) {
        EntryBehaviour::install(box, EntryBehaviour::AmountKeys | EntryBehaviour::EnterMovesOn |
                                         EntryBehaviour::SelectAllOnFocus);
        connect(box, &QLineEdit::textEdited, this, [this, box] {
            m_typed = true;
            // A blank box is 0, selected so the next digit replaces it.
            if (box->text().isEmpty()) {
                box->setText(QStringLiteral("0"));
                box->selectAll();
            }
        });
        connect(box, &QLineEdit::textChanged, this, &PayrollWindow::recompute);
        connect(box, &QLineEdit::editingFinished, this, [this, box] { leaveBox(box); });
    }
    EntryBehaviour::install(m_ui->Text3, EntryBehaviour::AmountKeys | EntryBehaviour::SelectAllOnFocus);
    // Transaction numbers are whole numbers: the point is refused too.
    m_ui->Text3->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,15}")), m_ui->Text3));
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

void PayrollWindow::reloadMonth()
{
    listMonthPayroll();
}

void PayrollWindow::showPayslips()
{
    auto* payslips = m_context.openBeside ? qobject_cast<PayslipWindow*>(m_context.openBeside(QStringLiteral("Form5")))
                                          : findChild<PayslipWindow*>();
    if (!payslips) {
        // Without a main window to host it, the payslip window opens as a window of its own.
        payslips = new PayslipWindow(m_context, this);
        payslips->setWindowFlag(Qt::Window);
        payslips->setAttribute(Qt::WA_DeleteOnClose);
    }
    payslips->setMonth(m_ui->DTPicker1->date());
    payslips->show();
    payslips->raise();
    payslips->activateWindow();
}

void PayrollWindow::closeEvent(QCloseEvent* event)
{
    if (m_typed && !m_context.prompter.question(QStringLiteral("The payroll entry on the screen is not saved.\n\n"
                                                               "Close the window and discard it?"))) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void PayrollWindow::updatePeriod()
{
    const QDate date = m_ui->DTPicker1->date();
    m_ui->txtMonth->setText(dates::monthName(date));
    m_ui->txtYear->setText(QString::number(date.year()));
    listMonthPayroll();
    loadRules();
    // The daily rate follows the days of the new month, and the deduction its advances.
    if (m_chosen && !m_loading) {
        const auto advances = loadMonthAdvances(m_context.db, m_chosen->employee.id, date);
        if (advances) {
            m_chosen->monthAdvances = *advances;
            m_ui->txtAdvances->setText(advances->toString());
        } else {
            m_picker->clear();
            clearEmployee();
            m_context.prompter.error(advances.error());
        }
    }
    recompute();
}

void PayrollWindow::loadRules()
{
    const auto rules = StatutoryRepository(m_context.db).inForce(m_context.session.company, m_ui->DTPicker1->date());
    if (!rules)
        m_context.prompter.error(rules.error());
    // Rules that cannot be read are not guessed: the figures shown are the plain ones, and saving
    // fails on the same reading, so nothing is stored under rules nobody saw.
    m_rules = rules ? *rules : statutory::Rules{};
    const std::pair<QLabel*, bool> rows[] = {
        {m_ui->lblPF, m_rules.pfOn}, {m_ui->lblESI, m_rules.esiOn}, {m_ui->lblPT, m_rules.ptOn}};
    for (const auto& [label, on] : rows) {
        label->setVisible(on);
        findChild<QLabel*>(label->objectName() + QStringLiteral("Caption"))->setVisible(on);
    }
}

void PayrollWindow::listMonthPayroll()
{
    m_listedMonth = QDate();
    m_earlier.forget();
    auto month = PayrollRepository(m_context.db).month(m_context.session.company, m_ui->DTPicker1->date());
    if (!month) {
        m_context.prompter.error(month.error());
        return;
    }
    m_model->setTransactions(std::move(month.value()));
    m_listedMonth = dates::firstOfMonth(m_ui->DTPicker1->date());
    showClosedState();
    // Sized once, by the first month that has rows, so that a month changed later does not move them.
    if (!m_columnsSized && m_model->rowCount() > 0) {
        report::fitColumns(*m_ui->lvwInfo);
        m_columnsSized = true;
    }
}

void PayrollWindow::showClosedState()
{
    const auto closed = MonthCloseRepository(m_context.db).find(m_context.session.company, m_ui->DTPicker1->date());
    if (!closed)
        m_context.prompter.error(closed.error());
    // A month whose state cannot be read is shown open: the repositories refuse a closed month anyway.
    const bool isClosed = closed && closed->has_value();
    m_ui->lblClosedMonth->setText(isClosed ? (*closed)->caption() : QString());
    m_ui->lblClosedMonth->setVisible(isClosed);
    for (QLineEdit* box : typedBoxes())
        box->setReadOnly(isClosed);
    for (QPushButton* button : {m_ui->cmdSave, m_ui->Command1})
        button->setEnabled(!isClosed);
    m_ui->cmdSave->setToolTip(isClosed ? QStringLiteral("The month is closed: its payroll cannot be saved or changed.")
                                       : QString());
}

EmployeePicker::Outcome PayrollWindow::choose(qint64 employeeId, QString& name)
{
    auto facts = loadEmployeePayFacts(m_context.db, employeeId, m_ui->DTPicker1->date());
    if (!facts || !facts->has_value()) {
        clearEmployee();
        if (!facts)
            m_context.prompter.error(facts.error());
        return facts ? EmployeePicker::Outcome::NotFound : EmployeePicker::Outcome::Failed;
    }
    showFacts(**facts);
    name = (*facts)->employee.name;
    m_chosen = std::move(*facts);
    recompute();
    return EmployeePicker::Outcome::Chosen;
}

void PayrollWindow::showFacts(const EmployeePayFacts& facts)
{
    const Employee& e = facts.employee;
    m_ui->lblName->setText(e.name);
    m_ui->lblDept->setText(e.department);
    m_ui->lblPosition->setText(e.position);
    m_ui->lblStatus->setText(e.employmentStatus);
    m_ui->Combo2->setEditText(e.group);
    m_monthRate = e.basicRate;
    m_ui->Text1->setText(facts.loanTotal.toString());
    m_ui->Label24->setText(facts.loanRecovered.toString());
    m_ui->txtsss->setText(facts.loanDeduction.toString());
    m_ui->txtAdvances->setText(facts.monthAdvances.toString());
}

void PayrollWindow::clearEmployee()
{
    m_chosen.reset();
    m_monthRate = Currency();
    for (QLabel* label : {m_ui->lblName, m_ui->lblDept, m_ui->lblPosition, m_ui->lblStatus})
        label->clear();
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
    in.rules = m_rules;
    in.exemptions = m_chosen ? m_chosen->employee.exemptions : statutory::Exemptions{};
    if (m_chosen && m_rules.monthWise()) {
        const auto earlier = m_earlier.of(m_context.db, m_context.session.company, m_chosen->employee, m_rules,
                                          in.payDate, m_loaded ? m_loaded->transId : 0);
        // Figures that cannot be worked out on the month are not shown as if it had no other transaction.
        if (!earlier)
            m_context.prompter.error(earlier.error());
        in.earlier = earlier ? *earlier : statutory::MonthSoFar{};
    }
    m_figures = workOutPay(in);
    // A figure too large to hold says so; the others, the rates among them, stay shown.
    m_ui->lblRate->setText(figureText(m_figures.monthlyRate));
    m_ui->lblPerDay->setText(figureText(m_figures.dailyRate));
    m_ui->txtAbsences->setText(figureText(m_figures.presentDaysSalary));
    m_ui->lbltemp->setText(figureText(m_figures.totalAdditional));
    m_ui->lblDeduct->setText(figureText(m_figures.totalDeductions));
    m_ui->lblNetPay->setText(figureText(m_figures.netPay));
    const auto shares = m_figures.statutory;
    m_ui->lblPF->setText(shares ? shares->pfEmployee.toGroupedText() : tooLarge);
    m_ui->lblESI->setText(shares ? shares->esiEmployee.toGroupedText() : tooLarge);
    m_ui->lblPT->setText(shares ? shares->professionalTax.toGroupedText() : tooLarge);
}

void PayrollWindow::leaveBox(QLineEdit* box)
{
    // Amounts become whole numbers on leaving; days and travel keep their decimals. Either way the
    // box then shows exactly the value that will be stored, and a lone "." becomes "0".
    const bool keepsDecimals = box == m_ui->txtNumDays || box == m_ui->Text2;
    const QString text = box->text();
    const QString fixed = keepsDecimals ? enteredAmount(text).toString() : wholeAmountText(text);
    if (fixed != text)
        box->setText(fixed);
}

void PayrollWindow::normaliseBoxes()
{
    for (QLineEdit* box : typedBoxes())
        leaveBox(box);
}

void PayrollWindow::clearEntry()
{
    m_picker->clear();
    clearEmployee();
    for (QLineEdit* box : typedBoxes())
        box->setText(QStringLiteral("0"));
    m_typed = false;
    recompute();
}

PayrollTransaction PayrollWindow::currentTransaction() const
{
    const PayResult r = m_figures.complete().value_or(PayResult{});
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
    t.statutory = r.statutory;
    t.department = m_ui->lblDept->text();
    t.group = m_ui->Combo2->currentText().trimmed();
    t.company = m_context.session.company;
    return t;
}

bool PayrollWindow::checkEntry()
{
    Prompter& prompter = m_context.prompter;
    // A number typed but not chosen yet is chosen now, so the figures are that employee's.
    if (!m_picker->settle() || !m_chosen) {
        if (m_ui->cboEmpID->currentText().trimmed().isEmpty()) {
            prompter.information(QStringLiteral("Please select an employee ID number."), QStringLiteral("Information"));
            m_ui->cboEmpID->setFocus();
        }
        return false;
    }
    normaliseBoxes();
    const Currency days = enteredAmount(m_ui->txtNumDays->text());
    const QDate month = m_ui->DTPicker1->date();
    QString wrongDays;
    if (days.isZero())
        wrongDays = QStringLiteral("Number of days cannot be zero Please enter greater than zero");
    else if (const auto broken = rules::daysPresent(QStringLiteral("absences"), days, month))
        wrongDays = broken->message;
    if (!wrongDays.isEmpty()) {
        prompter.message(wrongDays);
        m_ui->txtNumDays->setFocus();
        return false;
    }
    if (const QString missing = m_figures.firstMissing(); !missing.isEmpty()) {
        // Typed amounts have nine digits at the most, so the cause is most often the employee's rate.
        prompter.warning(QStringLiteral("The %1 is too large to work out. Please check the amounts and the "
                                        "employee's basic rate (%2).")
                             .arg(missing, m_monthRate.toString()));
        return false;
    }
    return true;
}

void PayrollWindow::save()
{
    if (!checkEntry())
        return;
    Prompter& prompter = m_context.prompter;
    if (!prompter.question(QStringLiteral("Saving this data will not allow you to re-edit this transaction.\n\n"
                                          "Are you sure you want to save this now?"),
                           Prompter::Icon::Question, {}, Prompter::Default::Yes))
        return;
    const PayrollTransaction t = currentTransaction();
    PayrollRepository payroll(m_context.db);
    const auto another = [&] {
        return prompter.question(
            QStringLiteral("A payroll transaction of %1 for %2 already exists.\n\n"
                           "Do you want to save another one?")
                .arg(t.name, dates::monthName(t.payDate) + u' ' + QString::number(t.payDate.year())));
    };
    // The employee's rows in the month listed are asked about first, so that the save is one pass
    // to the database. They are counted again under the lock that stores the new one; each time
    // another workstation added one meanwhile, the operator is asked again.
    qint64 agreed = 0;
    if (m_listedMonth.isValid() && dates::firstOfMonth(t.payDate) == m_listedMonth) {
        agreed = m_model->countOf(t.employeeId);
        if (agreed > 0 && !another())
            return;
    }
    const auto written = writeAsking(
        prompter, [&] { return payroll.save(t, agreed); },
        [&](const PayrollWrite& taken) {
            agreed = taken.existing;
            return another();
        });
    if (!written)
        return;
    prompter.information(QStringLiteral("Data successfully save."), QStringLiteral("Information"));
    // The month shown is the saved row's month: the row joins the list without reading it again.
    m_model->add(written->stored);
    m_earlier.forget(); // the month has a transaction more, which the next one of it comes after
    clearEntry();
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
    const auto t = typedTransaction(true);
    if (!t)
        return;
    if (m_typed && !m_context.prompter.question(QStringLiteral("The payroll entry on the screen is not saved.\n\n"
                                                               "Load transaction %1 in its place?")
                                                    .arg(t->transId)))
        return;
    m_loading = true;
    // The transaction's own figures, with the employee's loan repaid so far and details beside them.
    const auto facts = loadEmployeePayFacts(m_context.db, t->employeeId, t->payDate);
    EmployeePayFacts shown;
    if (facts && facts->has_value())
        shown = **facts;
    else
        shown.employee.id = t->employeeId; // deleted since; the stored row still says who it was
    m_chosen = shown;
    m_picker->show(t->employeeId, t->name);
    m_ui->lblName->setText(t->name);
    m_ui->lblDept->setText(t->department);
    m_ui->lblPosition->setText(shown.employee.position);
    m_ui->lblStatus->setText(shown.employee.employmentStatus);
    m_ui->Label24->setText(shown.loanRecovered.toString());
    m_ui->Combo2->setEditText(t->group);
    m_monthRate = t->monthRate;
    m_ui->DTPicker1->setDate(t->payDate);
    m_ui->txtBonus->setText(t->bonus.toString());
    m_ui->txtOverTime->setText(t->overtime.toString());
    m_ui->txtph->setText(t->contribution.toString());
    m_ui->txttax->setText(t->lic.toString());
    m_ui->txtOther->setText(t->pgvcl.toString());
    m_ui->txtNumDays->setText(t->daysPresent.toString());
    m_ui->txtAdvances->setText(t->advances.toString());
    m_ui->txtsss->setText(t->loanRecovered.toString());
    m_ui->Text2->setText(t->travel.toString());
    m_ui->Text1->setText(t->totalLoan.toString());
    m_loaded = *t;
    m_loading = false;
    m_typed = false;
    recompute();
    m_ui->txtBonus->setFocus();
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
    if (!stored || !checkEntry())
        return;
    // What the panel loaded is overwritten only while it is still stored so; a change made at another
    // workstation since is shown and overwritten only when the operator agrees.
    PayrollTransaction loaded = m_loaded && m_loaded->transId == stored->transId ? *m_loaded : *stored;
    const auto written = writeAsking(
        prompter, [&] { return PayrollRepository(m_context.db).update(stored->transId, currentTransaction(), loaded); },
        [&](const PayrollWrite& changed) {
            loaded = changed.stored;
            return prompter.question(QStringLiteral("Transaction %1 was changed at another workstation after you loaded "
                                                    "it: it now has %2 days present and a net pay of %3.\n\n"
                                                    "Overwrite it with what is on the screen?")
                                         .arg(loaded.transId)
                                         .arg(loaded.daysPresent.toString(), loaded.netPay.toString()));
        });
    if (!written)
        return;
    prompter.information(QStringLiteral("Payroll Updated"));
    m_typed = false;
    m_loaded.reset();
    showEditPanel(false);
    listMonthPayroll();
}
