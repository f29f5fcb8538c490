#include "advance_report_window.h"

#include "ui_advance_report_window.h"

#include "data/advance_repository.h"
#include "data/session.h"
#include "report_windows/report_window_support.h"
#include "reports/company_heading.h"
#include "ui/prompter.h"
#include "reports/range_reports.h"
#include "reports/report_grid.h"
#include "reports/report_viewer.h"
#include "ui/app_context.h"
#include "ui/window_lifetime.h"

AdvanceReportWindow::AdvanceReportWindow(AppContext& context, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::AdvanceReportWindow>()), m_context(context)
{
    m_ui->setupUi(this);
    m_model = reportwin::prepareGrid(context, m_ui->MSHFlexGrid1, QStringLiteral("Datewise advances"));
    reportwin::startOnToday(context, {m_ui->DTPicker1, m_ui->DTPicker2});
    connect(m_ui->Command1, &QPushButton::clicked, this, &AdvanceReportWindow::ok);
    connect(m_ui->Command2, &QPushButton::clicked, this, &QWidget::close);
    reportwin::setUpKeys(this);
    reportwin::showGrid(m_model, m_ui->MSHFlexGrid1, report::advanceGrid({}));
    reportwin::showTotal(m_ui->Text3, Currency());
    m_ui->Text5->setText(QStringLiteral("0"));
    m_ui->DTPicker1->setFocus();
}

AdvanceReportWindow::~AdvanceReportWindow()
{
    disconnectChildSignals(this);
}

void AdvanceReportWindow::ok()
{
    const auto range = reportwin::rangeOf(m_context.prompter, m_ui->DTPicker1, m_ui->DTPicker2);
    if (!range)
        return;
    const QString& company = m_context.session.company;
    const auto rows = reportwin::valueOrTell(
        m_context.prompter, AdvanceRepository(m_context.db).paid(company, range->first, range->second));
    if (!rows)
        return;
    const auto heading = valueOrTell(m_context.prompter, report::companyHeading(m_context.db, company));
    if (!heading)
        return;
    ReportViewer::open(this, m_context.prompter, report::advanceReport(*heading, range->first, range->second, *rows));
    reportwin::showGrid(m_model, m_ui->MSHFlexGrid1, report::advanceGrid(*rows));
    reportwin::showTotal(m_ui->Text3, report::exactTotal(*rows, &Advance::amount));
    m_ui->Text5->setText(QString::number(rows->size()));
}
