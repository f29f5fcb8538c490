#include "salary_report_window.h"

#include "ui_salary_report_window.h"

#include "common/dates.h"
#include "data/payroll_repository.h"
#include "data/session.h"
#include "report_windows/report_window_support.h"
#include "reports/company_heading.h"
#include "reports/range_reports.h"
#include "reports/report_viewer.h"
#include "ui/app_context.h"
#include "ui/prompter.h"
#include "ui/window_lifetime.h"

SalaryReportWindow::SalaryReportWindow(AppContext& context, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::SalaryReportWindow>()), m_context(context)
{
    m_ui->setupUi(this);
    m_monthPicker = new EmployeePicker(
        context, m_ui->Combo1, m_ui->Combo2, [this](qint64 id, QString& name) { return findEmployee(m_context, id, m_monthEmployee, name); },
        this);
    m_periodPicker = new EmployeePicker(
        context, m_ui->Combo4, m_ui->Combo3, [this](qint64 id, QString& name) { return chooseInGroup(id, name); }, this);
    reportwin::fillNames(context, m_ui->Combo5, MasterRepository::Kind::Group);
    m_monthPicker->reload();
    groupChosen();
    reportwin::startOnToday(context, {m_ui->DTPicker1, m_ui->DTPicker2, m_ui->DTPicker3});
    connect(m_ui->Combo5, &QComboBox::currentTextChanged, this, &SalaryReportWindow::groupChosen);
    connect(m_ui->Command1, &QPushButton::clicked, this, &SalaryReportWindow::monthly);
    connect(m_ui->Command2, &QPushButton::clicked, this, &SalaryReportWindow::period);
    connect(m_ui->cmdClose, &QPushButton::clicked, this, &QWidget::close);
    reportwin::setUpKeys(this);
    m_ui->Combo1->setFocus();
}

SalaryReportWindow::~SalaryReportWindow()
{
    disconnectChildSignals(this);
}

EmployeePicker::Outcome SalaryReportWindow::chooseInGroup(qint64 id, QString& name)
{
    const auto outcome = findEmployee(m_context, id, m_periodEmployee, name);
    const QString group = m_ui->Combo5->currentText();
    if (outcome == EmployeePicker::Outcome::Chosen && m_periodEmployee->group != group) {
        m_context.prompter.information(
            QStringLiteral("%1 (number %2) is not in the group %3. Choose an employee of the "
                           "group, or leave the employee empty for the whole group.")
                .arg(m_periodEmployee->name)
                .arg(id)
                .arg(group.isEmpty() ? QStringLiteral("(none)") : group),
            QStringLiteral("Information"));
        m_periodEmployee.reset();
        m_periodPicker->clear();
        return EmployeePicker::Outcome::Failed;
    }
    return outcome;
}

void SalaryReportWindow::groupChosen()
{
    m_periodEmployee.reset();
    m_periodPicker->reload(m_ui->Combo5->currentText());
}

void SalaryReportWindow::monthly()
{
    if (!requireEmployee(m_context.prompter, m_monthPicker, m_monthEmployee))
        return;
    const QDate month = m_ui->DTPicker1->date();
    auto s = PayrollSelection::range(m_context.session.company, dates::firstOfMonth(month), dates::lastOfMonth(month));
    s.employee = m_monthEmployee->id;
    const auto rows = reportwin::valueOrTell(m_context.prompter, PayrollRepository(m_context.db).select(s));
    if (!rows)
        return;
    const auto heading = valueOrTell(m_context.prompter, report::companyHeading(m_context.db, s.company));
    if (!heading)
        return;
    ReportViewer::open(this, m_context.prompter, report::salaryMonthReport(*heading, month, report::salaryLines(*rows)));
}

void SalaryReportWindow::period()
{
    const auto range =
        reportwin::rangeOf(m_context.prompter, m_ui->DTPicker2, m_ui->DTPicker3, reportwin::RangeOf::Months,
                           QStringLiteral("From Month"), QStringLiteral("To Month"));
    if (!range)
        return;
    auto s = PayrollSelection::range(m_context.session.company, range->first, range->second);
    s.group = m_ui->Combo5->currentText();
    // An empty employee box asks for the whole group.
    const bool wholeGroup = m_ui->Combo4->currentText().trimmed().isEmpty();
    if (!wholeGroup) {
        if (!requireEmployee(m_context.prompter, m_periodPicker, m_periodEmployee))
            return;
        s.employee = m_periodEmployee->id;
    }
    const auto rows = reportwin::valueOrTell(m_context.prompter, PayrollRepository(m_context.db).select(s));
    if (!rows)
        return;
    const auto heading = valueOrTell(m_context.prompter, report::companyHeading(m_context.db, s.company));
    if (!heading)
        return;
    ReportViewer::open(this, m_context.prompter,
                       report::salaryPeriodReport(*heading, s.from, s.to, *s.group,
                                                  wholeGroup ? report::salaryByRate(*rows) : report::salaryLines(*rows)));
}
