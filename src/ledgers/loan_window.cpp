#include "loan_window.h"

#include "ui_loan_window.h"

#include "common/clock.h"
#include "common/dates.h"
#include "data/database.h"
#include "data/loan_repository.h"
#include "data/master_repository.h"
#include "data/payroll_repository.h"
#include "data/session.h"
#include "ledgers/ledger_common.h"
#include "ui/keyboard_rules.h"
#include "reports/report_grid.h"
#include "ui/app_context.h"
#include "ui/delete_password_guard.h"
#include "ui/deletion_backup.h"
#include "ui/entry_behaviour.h"
#include "ui/prompter.h"
#include "ui/required_fields.h"
#include "ui/unsaved_input.h"
#include "ui/window_lifetime.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QTableWidget>

namespace {

QString entries(qint64 n)
{
    return ledger::count(n, QStringLiteral("loan entry"), QStringLiteral("loan entries"));
}

} // namespace

LoanWindow::LoanWindow(AppContext& context, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::LoanWindow>()), m_context(context)
{
    m_ui->setupUi(this);
    m_unsaved = new UnsavedInput(this, context.prompter, QStringLiteral("The loan entry on the screen"),
                                 {m_ui->Text1, m_ui->Text4, m_ui->Combo3, m_ui->DTPicker1});
    report::enableGrid(*m_ui->MSHFlexGrid1, context.prompter, QStringLiteral("Loans"));
    report::enableGrid(*m_ui->MSHFlexGrid2, context.prompter, QStringLiteral("Loan recoveries"));
    m_picker = new EmployeePicker(
        context, m_ui->Combo1, m_ui->Combo2, [this](qint64 id, QString& name) { return choose(id, name); }, this);
    m_guard = new DeletePasswordGuard(context, {m_ui->Frame3, m_ui->Text6, m_ui->Command9, m_ui->Command8}, this);
    m_guard->backUpFirst(DeletionBackup::Network);
    connect(m_guard, &DeletePasswordGuard::finished, this, [this](bool deleted) {
        if (deleted && m_employee)
            showEmployee();
    });
    m_ui->Frame3->hide();
    m_ui->Combo3->addItems(MasterRepository(context.db, MasterRepository::Kind::Department).names());
    m_ui->Combo3->setCurrentIndex(-1);
    for (QLineEdit* box : {m_ui->Text1, m_ui->Text4})
        EntryBehaviour::install(box, EntryBehaviour::AmountKeys | EntryBehaviour::EnterMovesOn |
                                         EntryBehaviour::SelectAllOnFocus);
    EntryBehaviour::install(m_ui->Combo3, EntryBehaviour::EnterMovesOn);
    for (QTableWidget* grid : {m_ui->MSHFlexGrid1, m_ui->MSHFlexGrid2})
        grid->verticalHeader()->hide();
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(true);

    connect(m_ui->Text1, &QLineEdit::textEdited, this, [this] { m_amountTyped = true; });
    connect(m_ui->Text4, &QLineEdit::textEdited, this, [this] { m_deductionTyped = true; });
    connect(m_ui->Command1, &QPushButton::clicked, this, &LoanWindow::addNew);
    connect(m_ui->cmdSave, &QPushButton::clicked, this, &LoanWindow::save);
    connect(m_ui->Command2, &QPushButton::clicked, this, &LoanWindow::update);
    connect(m_ui->Command4, &QPushButton::clicked, this, &LoanWindow::removeEntries);
    connect(m_ui->Command3, &QPushButton::clicked, this, &LoanWindow::removeAll);
    connect(m_ui->cmdClose, &QPushButton::clicked, this, &QWidget::close);

    m_picker->reload();
    m_ui->DTPicker1->setDate(m_context.clock.today());
    clearEmployee();
    m_ui->Combo1->setFocus();
}

LoanWindow::~LoanWindow()
{
    disconnectChildSignals(this);
}

EmployeePicker::Outcome LoanWindow::choose(qint64 id, QString& name)
{
    // Another employee's figures would replace a loan typed and not saved: asked first.
    if (m_employee && id != m_employee->id && !m_unsaved->mayDiscard(QStringLiteral("Show another employee")))
        return EmployeePicker::Outcome::Kept;
    const auto outcome = findEmployee(m_context, id, m_employee, name);
    if (outcome != EmployeePicker::Outcome::Chosen) {
        clearEmployee();
        return outcome;
    }
    showInList(m_ui->Combo3, m_employee->department);
    if (!showEmployee()) {
        clearEmployee();
        return EmployeePicker::Outcome::Failed;
    }
    return outcome;
}

bool LoanWindow::showEmployee()
{
    // The boxes show what is stored again: nothing typed is left unsaved.
    m_unsaved->clear();
    const qint64 id = m_employee->id;
    // Two reads: the entries give what was lent and the latest deduction, the recoveries what was
    // repaid, so that choosing is as quick across an office's network as on one machine.
    const auto list = LoanRepository(m_context.db).entries(id);
    const auto payroll = PayrollRepository(m_context.db).recoveries(id);
    for (const Status& s : {list.status(), payroll.status()})
        if (!s) {
            m_context.prompter.error(s.error());
            return false;
        }
    std::optional<Currency> lent = Currency();
    for (const Loan& loan : *list)
        lent = lent ? lent->plus(loan.amount) : std::nullopt;
    std::optional<Currency> recovered = Currency();
    for (const auto& r : *payroll)
        recovered = recovered ? recovered->plus(r.amount) : std::nullopt;
    if (!lent || !recovered) {
        m_context.prompter.error(QStringLiteral("The employee's loans add up to more than can be shown."));
        return false;
    }
    // The entries are in date order: the last is the latest.
    const Currency deduction = list->isEmpty() ? Currency() : list->last().monthlyDeduction;
    m_ui->Text1->setText(lent->toString());
    // The recovered and the balance are only read: grouped as the office writes figures. The boxes
    // typed into keep plain figures.
    m_ui->Text2->setText(recovered->toGroupedText());
    const auto balance = lent->minus(*recovered);
    m_ui->Text3->setText(balance ? balance->toGroupedText() : QStringLiteral("too large"));
    m_ui->Text4->setText(deduction.toString());
    m_amountTyped = m_deductionTyped = false;

    using report::Value;
    QList<QList<Value>> rows;
    for (const Loan& loan : *list)
        rows << QList<Value>{loan.employeeId,       loan.name, loan.amount,
                             loan.monthlyDeduction, loan.date, loan.time.toString(QStringLiteral("HH:mm:ss")),
                             loan.company};
    ledger::fillGrid(m_ui->MSHFlexGrid1,
                     {QStringLiteral("ID"), QStringLiteral("Employee"), QStringLiteral("LoanAmount"),
                      QStringLiteral("Per Month"), QStringLiteral("Date"), QStringLiteral("Time"),
                      QStringLiteral("Company")},
                     rows);
    rows.clear();
    for (const auto& r : *payroll)
        rows << QList<Value>{r.employeeId, r.name, r.amount, r.date, r.company};
    ledger::fillGrid(m_ui->MSHFlexGrid2,
                     {QStringLiteral("ID"), QStringLiteral("Employee"), QStringLiteral("recoveramt"),
                      QStringLiteral("Date"), QStringLiteral("Company")},
                     rows);
    return true;
}

void LoanWindow::clearEmployee()
{
    m_unsaved->clear();
    m_employee.reset();
    for (QLineEdit* box : {m_ui->Text1, m_ui->Text2, m_ui->Text3, m_ui->Text4})
        box->setText(QStringLiteral("0"));
    m_amountTyped = m_deductionTyped = false;
    for (QTableWidget* grid : {m_ui->MSHFlexGrid1, m_ui->MSHFlexGrid2})
        grid->setRowCount(0);
}

QHash<QString, QWidget*> LoanWindow::boxes() const
{
    return {{QStringLiteral("loanamt"), m_ui->Text1}, {QStringLiteral("permonthded"), m_ui->Text4}};
}

bool LoanWindow::chosen()
{
    return requireEmployee(m_context.prompter, m_picker, m_employee);
}

void LoanWindow::addNew()
{
    // The boxes are emptied for the new entry; the totals come back with the next choice.
    for (QLineEdit* box : {m_ui->Text1, m_ui->Text2, m_ui->Text3})
        box->setText(QStringLiteral("0"));
    m_amountTyped = false;
    m_ui->Text1->setFocus();
}

void LoanWindow::save()
{
    if (!chosen())
        return;
    if (!m_amountTyped) {
        m_context.prompter.warning(QStringLiteral("Press Add New and type the amount of the new loan: the box "
                                                  "shows everything lent so far."));
        m_ui->Text1->setFocus();
        return;
    }
    const auto amount = ledger::amountIn(m_context.prompter, m_ui->Text1, QStringLiteral("the loan amount"));
    if (!amount)
        return;
    const auto deduction =
        ledger::amountIn(m_context.prompter, m_ui->Text4, QStringLiteral("the per month deduction"));
    if (!deduction)
        return;
    const Loan loan{m_employee->id,
                    m_employee->name,
                    *amount,
                    *deduction,
                    m_ui->DTPicker1->date(),
                    m_context.clock.now().time(),
                    m_ui->Combo3->currentText().trimmed(),
                    m_context.session.company};
    if (!acceptRules(m_context.prompter, rules::check(rules::normalised(loan)), boxes()))
        return;
    if (Status s = LoanRepository(m_context.db).insert(loan); !s) {
        m_context.prompter.error(s.error());
        return;
    }
    // Stored: the amount in the box is no longer a new loan's.
    m_amountTyped = m_deductionTyped = false;
    m_context.prompter.information(QStringLiteral("Record Saved Successfully"));
    showEmployee();
}

std::optional<QList<Loan>> LoanWindow::entriesOn(QDate date, const QString& nothingDone)
{
    const auto all = LoanRepository(m_context.db).entries(m_employee->id);
    if (!all) {
        m_context.prompter.error(all.error());
        return std::nullopt;
    }
    QList<Loan> matching;
    for (const Loan& loan : *all)
        if (loan.date == date && loan.company == m_context.session.company)
            matching << loan;
    if (matching.isEmpty()) {
        m_context.prompter.message(
            QStringLiteral("%1 has no loan entry of %2 dated %3; nothing was %4.")
                .arg(m_employee->name, m_context.session.company, dates::displayText(date), nothingDone));
        return std::nullopt;
    }
    return matching;
}

void LoanWindow::update()
{
    if (!chosen())
        return;
    const QDate date = m_ui->DTPicker1->date();
    const QString& company = m_context.session.company;
    const auto matching = entriesOn(date, QStringLiteral("updated"));
    if (!matching)
        return;
    if (m_amountTyped && m_deductionTyped) {
        m_context.prompter.message(QStringLiteral("update loan amount and permonth deductio one by one"));
        // The stored figures come back, so that one of them can be changed.
        showEmployee();
        return;
    }
    if (!m_amountTyped && !m_deductionTyped) {
        m_context.prompter.message(QStringLiteral("Change the loan amount or the per month deduction first; nothing "
                                                  "was updated."));
        return;
    }
    // Each entry as the change would leave it must pass the rules (a per month deduction at most
    // its amount); the repository checks again, with what was recovered, as it writes.
    QLineEdit* box = m_amountTyped ? m_ui->Text1 : m_ui->Text4;
    const auto typed = ledger::amountIn(
        m_context.prompter, box, m_amountTyped ? QStringLiteral("the loan amount") : QStringLiteral("the per month deduction"));
    if (!typed)
        return;
    for (Loan loan : *matching) {
        (m_amountTyped ? loan.amount : loan.monthlyDeduction) = *typed;
        if (!acceptRules(m_context.prompter, rules::check(loan), boxes()))
            return;
    }
    LoanRepository loans(m_context.db);
    const Result<qint64> changed = m_amountTyped ? loans.setAmount(company, m_employee->id, date, *typed)
                                                 : loans.setMonthlyDeduction(company, m_employee->id, date, *typed);
    if (!changed) {
        m_context.prompter.error(changed.error());
        return;
    }
    m_context.prompter.message(QStringLiteral("Values Updated: %1.").arg(entries(*changed)));
    showEmployee();
}

void LoanWindow::removeEntries()
{
    if (!chosen())
        return;
    const QDate date = m_ui->DTPicker1->date();
    const QString& company = m_context.session.company;
    const auto matching = entriesOn(date, QStringLiteral("deleted"));
    if (!matching)
        return;
    if (!m_context.prompter.question(QStringLiteral("Delete %1 of %2 dated %3?")
                                         .arg(matching->size() == 1
                                                  ? QStringLiteral("the loan entry")
                                                  : QStringLiteral("the %1 loan entries").arg(matching->size()),
                                              m_employee->name, dates::displayText(date))))
        return;
    const auto removed = LoanRepository(m_context.db).remove(company, m_employee->id, date);
    if (!removed) {
        m_context.prompter.error(removed.error());
        return;
    }
    m_context.prompter.message(QStringLiteral("Current Record Deleted: %1.").arg(entries(*removed)));
    showEmployee();
}

void LoanWindow::removeAll()
{
    m_guard->request(countedDeletion(
        [this] { return LoanRepository(m_context.db).removeAll(m_context.session.company); },
        [](qint64 n) { return QStringLiteral("ALL Loan records deleted successfully: %1.").arg(entries(n)); }));
}

void LoanWindow::closeEvent(QCloseEvent* event)
{
    if (!m_unsaved->mayDiscard()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}
