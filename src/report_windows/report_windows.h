#pragma once

class WindowCatalogue;

// Registers the report windows: payroll by date and by department, advances, loans by date and by
// department, and the employee salary report.
void addReportWindows(WindowCatalogue& catalogue);
