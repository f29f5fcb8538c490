#include "loan_report_window.h"

#include "ui_datewise_loan_window.h"
#include "ui_department_loan_window.h"

#include "data/loan_repository.h"
#include "data/payroll_repository.h"
#include "data/session.h"
#include "report_windows/report_window_support.h"
#include "reports/company_heading.h"
#include "reports/range_reports.h"
#include "reports/report_grid.h"
#include "reports/report_viewer.h"
#include "ui/app_context.h"
#include "ui/prompter.h"
#include "ui/window_lifetime.h"

LoanReportWindow::LoanReportWindow(AppContext& context, Kind kind, QWidget* parent)
    : QWidget(parent), m_context(context), m_kind(kind)
{
    if (kind == Kind::Datewise) {
        m_datewise = std::make_unique<Ui::DatewiseLoanWindow>();
        auto& ui = *m_datewise;
        ui.setupUi(this);
        m_c = {ui.DTPicker1, ui.DTPicker2, ui.Command1,     ui.Command2, ui.MSHFlexGrid1, ui.Text3,
               ui.Text5,     ui.Command3,  ui.MSHFlexGrid2, ui.Text2,    ui.Text1,        ui.Command4};
    } else {
        m_department = std::make_unique<Ui::DepartmentLoanWindow>();
        auto& ui = *m_department;
        ui.setupUi(this);
        m_c = {ui.DTPicker1, ui.DTPicker2,    ui.Command1, ui.Command4, ui.MSHFlexGrid1, ui.Text3, ui.Text5,
               ui.Command3,  ui.MSHFlexGrid2, ui.Text2,    ui.Text1,    ui.Command2,     ui.Combo1};
        reportwin::fillNames(context, ui.Combo1, MasterRepository::Kind::Department);
    }
    const QString prefix = kind == Kind::Datewise ? QStringLiteral("Datewise") : QStringLiteral("Department wise");
    m_loanModel = reportwin::prepareGrid(context, m_c.loans, prefix + QStringLiteral(" loans paid"));
    m_recoveryModel = reportwin::prepareGrid(context, m_c.recoveries, prefix + QStringLiteral(" loans recovered"));
    reportwin::startOnToday(context, {m_c.from, m_c.to});
    connect(m_c.ok, &QPushButton::clicked, this, &LoanReportWindow::ok);
    connect(m_c.close, &QPushButton::clicked, this, &QWidget::close);
    connect(m_c.printLoans, &QPushButton::clicked, this, &LoanReportWindow::printLoans);
    connect(m_c.printRecoveries, &QPushButton::clicked, this, &LoanReportWindow::printRecoveries);
    reportwin::setUpKeys(this);
    reportwin::showGrid(m_loanModel, m_c.loans, report::loanGrid({}));
    reportwin::showGrid(m_recoveryModel, m_c.recoveries, report::loanRecoveryGrid({}, kind == Kind::Department));
    for (QLineEdit* box : {m_c.loanTotal, m_c.recoveryTotal})
        reportwin::showTotal(box, Currency());
    for (QLineEdit* box : {m_c.loanCount, m_c.recoveryCount})
        box->setText(QStringLiteral("0"));
    (m_c.department ? static_cast<QWidget*>(m_c.department) : m_c.from)->setFocus();
}

LoanReportWindow::~LoanReportWindow()
{
    disconnectChildSignals(this);
}

std::optional<LoanReportWindow::Selection> LoanReportWindow::selection()
{
    Selection s;
    if (m_kind == Kind::Department) {
        s.department = reportwin::chosenName(m_context.prompter, m_c.department, QStringLiteral("department"));
        if (!s.department)
            return std::nullopt;
    }
    const auto range = reportwin::rangeOf(m_context.prompter, m_c.from, m_c.to);
    if (!range)
        return std::nullopt;
    s.from = range->first;
    s.to = range->second;
    return s;
}

namespace {

PayrollSelection recoveriesOf(const QString& company, QDate from, QDate to, const std::optional<QString>& department)
{
    auto s = PayrollSelection::range(company, from, to);
    s.department = department;
    s.loanRecoveredOnly = true;
    return s;
}

} // namespace

void LoanReportWindow::ok()
{
    const auto chosen = selection();
    if (!chosen)
        return;
    const QString& company = m_context.session.company;
    const auto loans = reportwin::valueOrTell(
        m_context.prompter, LoanRepository(m_context.db).paid(company, chosen->from, chosen->to, chosen->department));
    if (!loans)
        return;
    const auto recoveries = reportwin::valueOrTell(
        m_context.prompter,
        PayrollRepository(m_context.db).select(recoveriesOf(company, chosen->from, chosen->to, chosen->department)));
    if (!recoveries)
        return;
    reportwin::showGrid(m_loanModel, m_c.loans, report::loanGrid(*loans));
    reportwin::showTotal(m_c.loanTotal, report::exactTotal(*loans, &Loan::amount));
    m_c.loanCount->setText(QString::number(loans->size()));
    const bool withDepartment = m_kind == Kind::Department;
    reportwin::showGrid(m_recoveryModel, m_c.recoveries, report::loanRecoveryGrid(*recoveries, withDepartment));
    reportwin::showTotal(m_c.recoveryTotal, report::exactTotal(*recoveries, &PayrollTransaction::loanRecovered));
    m_c.recoveryCount->setText(QString::number(recoveries->size()));
}

void LoanReportWindow::printLoans()
{
    const auto chosen = selection();
    if (!chosen)
        return;
    const QString& company = m_context.session.company;
    auto loans = reportwin::valueOrTell(
        m_context.prompter, LoanRepository(m_context.db).paid(company, chosen->from, chosen->to, chosen->department));
    if (!loans)
        return;
    const auto heading = valueOrTell(m_context.prompter, report::companyHeading(m_context.db, company));
    if (!heading)
        return;
    ReportViewer::open(this, m_context.prompter,
                       report::loanReport(*heading, chosen->from, chosen->to, chosen->department, std::move(*loans)));
}

void LoanReportWindow::printRecoveries()
{
    const auto chosen = selection();
    if (!chosen)
        return;
    const QString& company = m_context.session.company;
    auto recoveries = reportwin::valueOrTell(
        m_context.prompter,
        PayrollRepository(m_context.db).select(recoveriesOf(company, chosen->from, chosen->to, chosen->department)));
    if (!recoveries)
        return;
    const auto heading = valueOrTell(m_context.prompter, report::companyHeading(m_context.db, company));
    if (!heading)
        return;
    ReportViewer::open(this, m_context.prompter,
                       report::loanRecoveryReport(*heading, chosen->from, chosen->to, chosen->department,
                                                  std::move(*recoveries)));
}
