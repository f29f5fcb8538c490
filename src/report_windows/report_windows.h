#pragma once

class WindowCatalogue;

// Registers the report windows: payroll by date and by department, advances, loans by date and by
// department, the employee salary report, the statutory summary and the audit trail.
void addReportWindows(WindowCatalogue& catalogue);
