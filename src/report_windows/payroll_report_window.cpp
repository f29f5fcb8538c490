#include "payroll_report_window.h"

#include "ui_datewise_payroll_window.h"
#include "ui_department_payroll_window.h"

#include "data/session.h"
#include "report_windows/report_window_support.h"
#include "reports/company_heading.h"
#include "reports/range_reports.h"
#include "reports/report_grid.h"
#include "reports/report_viewer.h"
#include "ui/app_context.h"
#include "ui/prompter.h"
#include "ui/window_lifetime.h"

namespace {

// The controls both windows have, under the same names.
template <typename Ui, typename Controls>
void takeCommonControls(Ui& ui, Controls& c)
{
    c.from = ui.DTPicker1;
    c.to = ui.DTPicker2;
    c.ok = ui.Command1;
    c.close = ui.Command2;
    c.grid = ui.MSHFlexGrid1;
    // In the order of the grid's amount columns.
    c.totals = {ui.Text1, ui.Text2,  ui.Text4,  ui.Text6,  ui.Text7, ui.Text8,
                ui.Text9, ui.Text10, ui.Text11, ui.Text12, ui.Text3};
    c.count = ui.Text5;
}

} // namespace

PayrollReportWindow::PayrollReportWindow(AppContext& context, Kind kind, QWidget* parent)
    : QWidget(parent), m_context(context), m_kind(kind)
{
    if (kind == Kind::Datewise) {
        m_datewise = std::make_unique<Ui::DatewisePayrollWindow>();
        m_datewise->setupUi(this);
        takeCommonControls(*m_datewise, m_c);
    } else {
        m_department = std::make_unique<Ui::DepartmentPayrollWindow>();
        auto& ui = *m_department;
        ui.setupUi(this);
        takeCommonControls(ui, m_c);
        m_c.department = ui.Combo1;
        m_c.group = ui.Combo2;
        m_c.print = ui.Command3;
        reportwin::fillNames(context, ui.Combo1, MasterRepository::Kind::Department);
        reportwin::fillNames(context, ui.Combo2, MasterRepository::Kind::Group, {report::allGroups()});
        connect(ui.Command3, &QPushButton::clicked, this, &PayrollReportWindow::print);
    }
    m_model = reportwin::prepareGrid(context, m_c.grid,
                                     kind == Kind::Datewise ? QStringLiteral("Datewise payroll")
                                                            : QStringLiteral("Department wise payroll"));
    reportwin::startOnToday(context, {m_c.from, m_c.to});
    connect(m_c.ok, &QPushButton::clicked, this, &PayrollReportWindow::ok);
    connect(m_c.close, &QPushButton::clicked, this, &QWidget::close);
    reportwin::setUpKeys(this);
    reportwin::showGrid(m_model, m_c.grid, report::payrollGrid({}));
    for (QLineEdit* box : m_c.totals)
        reportwin::showTotal(box, Currency());
    m_c.count->setText(QStringLiteral("0"));
    (m_c.department ? static_cast<QWidget*>(m_c.department) : m_c.from)->setFocus();
}

PayrollReportWindow::~PayrollReportWindow()
{
    disconnectChildSignals(this);
}

std::optional<PayrollSelection> PayrollReportWindow::selection()
{
    PayrollSelection s;
    s.company = m_context.session.company;
    if (m_kind == Kind::Department) {
        const auto department = reportwin::chosenName(m_context.prompter, m_c.department, QStringLiteral("department"));
        if (!department)
            return std::nullopt;
        s.department = *department;
        const QString group = m_c.group->currentText().trimmed();
        if (!group.isEmpty() && group != report::allGroups())
            s.group = group;
    }
    const auto range = reportwin::rangeOf(m_context.prompter, m_c.from, m_c.to);
    if (!range)
        return std::nullopt;
    s.from = range->first;
    s.to = range->second;
    return s;
}

std::optional<QList<PayrollTransaction>> PayrollReportWindow::read(const PayrollSelection& selection)
{
    return reportwin::valueOrTell(m_context.prompter, PayrollRepository(m_context.db).select(selection));
}

std::optional<report::Document> PayrollReportWindow::reportOf(const PayrollSelection& selection,
                                                              QList<PayrollTransaction> rows) const
{
    const auto company = reportwin::valueOrTell(m_context.prompter, report::companyHeading(m_context.db, selection.company));
    if (!company)
        return std::nullopt;
    if (m_kind == Kind::Datewise)
        return report::payrollReport(*company, selection.from, selection.to, std::move(rows));
    return report::departmentPayrollReport(*company, selection.from, selection.to,
                                           selection.department.value_or(QString()),
                                           selection.group.value_or(QString()), std::move(rows));
}

void PayrollReportWindow::ok()
{
    const auto chosen = selection();
    if (!chosen)
        return;
    const auto rows = read(*chosen);
    if (!rows)
        return;
    if (auto report = reportOf(*chosen, *rows))
        ReportViewer::open(this, m_context.prompter, std::move(*report));
    reportwin::showGrid(m_model, m_c.grid, report::payrollGrid(*rows));
    const QList<report::Value> totals = report::payrollGridTotals(*rows);
    for (int i = 0; i < m_c.totals.size(); ++i)
        reportwin::showTotal(m_c.totals.at(i), totals.value(i));
    m_c.count->setText(QString::number(rows->size()));
}

void PayrollReportWindow::print()
{
    const auto chosen = selection();
    if (!chosen)
        return;
    if (const auto rows = read(*chosen))
        if (auto report = reportOf(*chosen, *rows))
            ReportViewer::open(this, m_context.prompter, std::move(*report));
}
