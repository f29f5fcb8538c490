#include "report_windows.h"

#include "report_windows/advance_report_window.h"
#include "report_windows/audit_window.h"
#include "report_windows/bank_transfer_window.h"
#include "report_windows/loan_report_window.h"
#include "report_windows/payroll_report_window.h"
#include "report_windows/salary_report_window.h"
#include "report_windows/statutory_summary_window.h"
#include "ui/window_catalogue.h"

void addReportWindows(WindowCatalogue& catalogue)
{
    catalogue.add(QStringLiteral("Form12"), [](AppContext& context, QWidget* parent) {
        return new PayrollReportWindow(context, PayrollReportWindow::Kind::Datewise, parent);
    });
    catalogue.add(QStringLiteral("Form14"), [](AppContext& context, QWidget* parent) {
        return new PayrollReportWindow(context, PayrollReportWindow::Kind::Department, parent);
    });
    catalogue.add(QStringLiteral("Form13"),
                  [](AppContext& context, QWidget* parent) { return new AdvanceReportWindow(context, parent); });
    catalogue.add(QStringLiteral("Form15"), [](AppContext& context, QWidget* parent) {
        return new LoanReportWindow(context, LoanReportWindow::Kind::Datewise, parent);
    });
    catalogue.add(QStringLiteral("Form16"), [](AppContext& context, QWidget* parent) {
        return new LoanReportWindow(context, LoanReportWindow::Kind::Department, parent);
    });
    catalogue.add(QStringLiteral("Form21"),
                  [](AppContext& context, QWidget* parent) { return new SalaryReportWindow(context, parent); });
    catalogue.add(QStringLiteral("frmBankTransfer"),
                  [](AppContext& context, QWidget* parent) { return new BankTransferWindow(context, parent); });
    catalogue.add(QStringLiteral("frmStatutorySummary"),
                  [](AppContext& context, QWidget* parent) { return new StatutorySummaryWindow(context, parent); });
    catalogue.add(QStringLiteral("frmAudit"),
                  [](AppContext& context, QWidget* parent) { return new AuditWindow(context, parent); });
}
