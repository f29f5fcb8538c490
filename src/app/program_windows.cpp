#include "app/program_windows.h"

#include "employees/employee_windows.h"
#include "ledgers/ledger_windows.h"
#include "payroll/payroll_windows.h"
#include "report_windows/report_windows.h"
#include "shell/shell_windows.h"

void addProgramWindows(WindowCatalogue& catalogue)
{
    addShellWindows(catalogue);
    addEmployeeWindows(catalogue);
    addLedgerWindows(catalogue);
    addReportWindows(catalogue);
    addPayrollWindows(catalogue);
}
