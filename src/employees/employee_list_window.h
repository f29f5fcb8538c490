#pragma once

#include "data/employee_repository.h"

#include <QWidget>

#include <memory>

struct AppContext;
class EmployeeFilter;
class EmployeeTableModel;

namespace Ui {
class EmployeeListWindow;
}

// Every employee in a list that sorts by any column and narrows as a number or name is typed; edits,
// deletes and prints the chosen employees.
class EmployeeListWindow : public QWidget {
    Q_OBJECT
public:
    explicit EmployeeListWindow(AppContext& context, QWidget* parent = nullptr);
    ~EmployeeListWindow() override;

    // Reads the employees again; the selection follows the employees that stay.
    void reload();

private:
    void edit();
    void remove();
    void printSelected();
    void printAll();
    void updateButtons();
    QList<Employee> selected() const;
    void showReport(QList<Employee> employees);

    std::unique_ptr<Ui::EmployeeListWindow> m_ui;
    AppContext& m_context;
    EmployeeTableModel* m_model;
    EmployeeFilter* m_filter;
};
