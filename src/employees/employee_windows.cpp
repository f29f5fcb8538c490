#include "employee_windows.h"

#include "employees/employee_edit_window.h"
#include "employees/employee_entry_window.h"
#include "employees/employee_list_window.h"
#include "ui/window_catalogue.h"

void addEmployeeWindows(WindowCatalogue& catalogue)
{
    catalogue.add(QStringLiteral("Form1"),
                  [](AppContext& context, QWidget* parent) { return new EmployeeEntryWindow(context, parent); });
    catalogue.add(QStringLiteral("Form3"),
                  [](AppContext& context, QWidget* parent) { return new EmployeeListWindow(context, parent); });
    catalogue.add(QStringLiteral("Form7"),
                  [](AppContext& context, QWidget* parent) { return new EmployeeEditWindow(context, parent); });
}
