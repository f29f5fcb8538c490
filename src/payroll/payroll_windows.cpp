#include "payroll_windows.h"

#include "payroll/payroll_deletion_window.h"
#include "payroll/payroll_window.h"
#include "payroll/payslip_window.h"
#include "ui/window_catalogue.h"

void addPayrollWindows(WindowCatalogue& catalogue)
{
    catalogue.add(QStringLiteral("Form2"),
                  [](AppContext& context, QWidget* parent) { return new PayrollWindow(context, parent); });
    catalogue.add(QStringLiteral("dele"),
                  [](AppContext& context, QWidget* parent) { return new PayrollDeletionWindow(context, parent); });
    catalogue.add(QStringLiteral("Form5"),
                  [](AppContext& context, QWidget* parent) { return new PayslipWindow(context, parent); });
}
