#pragma once

class WindowCatalogue;

// Registers this folder's windows: the payroll window.
void addPayrollWindows(WindowCatalogue& catalogue);
