#include "increment_window.h"

#include "ui_increment_window.h"

#include "common/clock.h"
#include "common/dates.h"
#include "data/database.h"
#include "data/payroll_repository.h"
#include "data/statutory_repository.h"
#include "data/revision_repository.h"
#include "data/session.h"
#include "ledgers/arrears.h"
#include "ledgers/ledger_common.h"
#include "reports/company_heading.h"
#include "reports/report_grid.h"
#include "reports/report_viewer.h"
#include "reports/revision_reports.h"
#include "ui/app_context.h"
#include "ui/entry_behaviour.h"
#include "ui/prompter.h"
#include "ui/required_fields.h"
#include "ui/unsaved_input.h"
#include "ui/window_lifetime.h"

#include <QHash>
#include <QCloseEvent>

IncrementWindow::IncrementWindow(AppContext& context, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::IncrementWindow>()), m_context(context)
{
    m_ui->setupUi(this);
    m_unsaved = new UnsavedInput(this, context.prompter, QStringLiteral("The increment on the screen"),
                                 {m_ui->Text1});
    report::enableGrid(*m_ui->MSHFlexGrid1, context.prompter, QStringLiteral("Arrears"));
    m_picker = new EmployeePicker(
        context, m_ui->Combo1, m_ui->Combo2, [this](qint64 id, QString& name) { return choose(id, name); }, this);
    EntryBehaviour::install(m_ui->Text1, EntryBehaviour::AmountKeys | EntryBehaviour::EnterMovesOn |
                                             EntryBehaviour::SelectAllOnFocus);
    m_ui->Text1->setText(QStringLiteral("0"));
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(true);
    // The period starts as the current month.
    const QDate today = m_context.clock.today();
    m_ui->DTPicker1->setDate(dates::firstOfMonth(today));
    m_ui->DTPicker2->setDate(dates::lastOfMonth(today));

    connect(m_ui->DTPicker1, &QDateEdit::dateChanged, this, &IncrementWindow::showArrears);
    connect(m_ui->DTPicker2, &QDateEdit::dateChanged, this, &IncrementWindow::showArrears);
    connect(m_ui->cmdSave, &QPushButton::clicked, this, &IncrementWindow::save);
    connect(m_ui->Command1, &QPushButton::clicked, this, &IncrementWindow::print);
    connect(m_ui->cmdClose, &QPushButton::clicked, this, &QWidget::close);
    m_picker->reload();
    showArrears();
    m_ui->Combo1->setFocus();
}

IncrementWindow::~IncrementWindow()
{
    disconnectChildSignals(this);
}

EmployeePicker::Outcome IncrementWindow::choose(qint64 id, QString& name)
{
    const auto outcome = findEmployee(m_context, id, m_employee, name);
    showArrears();
    return outcome;
}

void IncrementWindow::showArrears()
{
    QList<QList<report::Value>> rows;
    if (m_employee && m_ui->DTPicker1->date() <= m_ui->DTPicker2->date()) {
        const auto arrears =
            RevisionRepository(m_context.db)
                .arrears(m_context.session.company, m_employee->id, m_ui->DTPicker1->date(), m_ui->DTPicker2->date());
        if (!arrears) {
            m_context.prompter.error(arrears.error());
            return;
        }
        for (const ArrearsRow& a : *arrears)
            rows << QList<report::Value>{a.employeeId, a.name, a.increment, a.month, a.daysPresent, a.paid};
    }
    ledger::fillGrid(m_ui->MSHFlexGrid1,
                     {QStringLiteral("ID"), QStringLiteral("Employee"), QStringLiteral("Amount"),
                      QStringLiteral("Month"), QStringLiteral("noofpre"), QStringLiteral("amtpaid")},
                     rows);
}

bool IncrementWindow::ready()
{
    if (!requireEmployee(m_context.prompter, m_picker, m_employee))
        return false;
    if (m_ui->DTPicker1->date() > m_ui->DTPicker2->date()) {
        m_context.prompter.warning(
            QStringLiteral("The period starts after it ends: From Month is later than To Month."));
        m_ui->DTPicker1->setFocus();
        return false;
    }
    return true;
}

void IncrementWindow::save()
{
    if (!ready())
        return;
    const auto amount = ledger::amountIn(m_context.prompter, m_ui->Text1, QStringLiteral("the increment amount"));
    if (!amount)
        return;
    const QDate from = m_ui->DTPicker1->date();
    const QDate to = m_ui->DTPicker2->date();
    const QString& company = m_context.session.company;
    const QDateTime now = m_context.clock.now();
    const Revision increment{m_employee->id, m_employee->name, *amount, now.date(), now.time(), from, to, company};
    if (!acceptRules(m_context.prompter, rules::check(increment, rules::RevisionKind::Increment),
                          {{QStringLiteral("increamt"), m_ui->Text1}}))
        return;
    RevisionRepository revisions(m_context.db);
    const auto earlier = revisions.arrears(company, m_employee->id, from, to);
    const auto months = PayrollRepository(m_context.db).ofEmployee(company, m_employee->id, from, to);
    const auto stored = EmployeeRepository(m_context.db).find(m_employee->id);
    for (const Status& s : {earlier.status(), months.status(), stored.status()})
        if (!s) {
            m_context.prompter.error(s.error());
            return;
        }
    if (!stored->has_value()) {
        m_context.prompter.error(QStringLiteral("There is no employee number %1.").arg(m_employee->id));
        return;
    }
    // Saving twice would pay the arrears twice.
    if (!earlier->isEmpty() &&
        !m_context.prompter.question(QStringLiteral("%1 has arrears in %2 for this period already. Pay arrears for it "
                                                    "again?")
                                         .arg(m_employee->name, company)))
        return;
    // Each month's arrears are divided as its pay was: by the divisor in force on its pay date.
    const auto book = StatutoryRepository(m_context.db).book(company);
    if (!book) {
        m_context.prompter.error(book.error());
        return;
    }
    QList<ArrearsRow> arrears;
    // A month of several transactions owes the month's arrears once: the rows come by date.
    QHash<QDate, Currency> monthDays; // the days of its earlier rows
    for (const PayrollTransaction& t : *months) {
        Currency& days = monthDays[dates::firstOfMonth(t.payDate)];
        const auto owed = revision::arrearsFor(*amount, t.payDate, t.daysPresent, book->on(t.payDate).divisor, days);
        if (!owed) {
            m_context.prompter.error(
                QStringLiteral("The arrears of %1 are too large.").arg(dates::displayText(t.payDate)));
            return;
        }
        days = days.plus(t.daysPresent).value_or(days);
        arrears << ArrearsRow{m_employee->id, m_employee->name, *amount, dates::monthYearText(t.payDate),
                              t.daysPresent,  owed->paid,       company, t.payDate};
    }
    const auto newRate = revision::revisedRate((*stored)->basicRate, *amount);
    if (!acceptRules(m_context.prompter, rules::checkRevisedRate((*stored)->basicRate, *amount, newRate),
                     {{QStringLiteral("basicrate"), m_ui->Text1}}))
        return;
    if (Status s = revisions.saveIncrement(increment, arrears, (*stored)->basicRate, *newRate); !s) {
        m_context.prompter.error(s.error());
        return;
    }
    m_context.prompter.information(
        arrears.isEmpty()
            ? QStringLiteral("Record Saved Successfully. %1 has no payroll month in %2 in this period, so "
                             "no arrears were paid.")
                  .arg(m_employee->name, company)
            : QStringLiteral("Record Saved Successfully"));
    m_context.prompter.information(QStringLiteral("Basic Rate Updated Successfully"));
    m_unsaved->clear();
    m_ui->Text1->setText(QStringLiteral("0"));
    showArrears();
}

void IncrementWindow::print()
{
    if (!ready())
        return;
    const auto rows =
        RevisionRepository(m_context.db)
            .arrears(m_context.session.company, m_employee->id, m_ui->DTPicker1->date(), m_ui->DTPicker2->date());
    if (!rows) {
        m_context.prompter.error(rows.error());
        return;
    }
    const auto heading =
        valueOrTell(m_context.prompter, report::companyHeading(m_context.db, m_context.session.company));
    if (!heading)
        return;
    ReportViewer::open(this, m_context.prompter, report::arrears(*heading, m_employee->name, rows.value()));
}

void IncrementWindow::closeEvent(QCloseEvent* event)
{
    if (!m_unsaved->mayDiscard()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}
