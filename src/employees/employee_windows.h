#pragma once

class WindowCatalogue;

// Registers the employee windows: entry (Form1), list (Form3) and edit (Form7).
void addEmployeeWindows(WindowCatalogue& catalogue);
