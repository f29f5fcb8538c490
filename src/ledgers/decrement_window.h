#pragma once

#include "data/employee_repository.h"
#include "ui/employee_picker.h"

#include <QWidget>

#include <memory>
#include <optional>

struct AppContext;
class UnsavedInput;

namespace Ui {
class DecrementWindow;
}

// Lowers an employee's basic rate, never below 0, and shows the employee's earlier decrements.
class DecrementWindow : public QWidget {
    Q_OBJECT
public:
    explicit DecrementWindow(AppContext& context, QWidget* parent = nullptr);
    ~DecrementWindow() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    EmployeePicker::Outcome choose(qint64 id, QString& name);
    void showDecrements();
    void save();

    std::unique_ptr<Ui::DecrementWindow> m_ui;
    AppContext& m_context;
    UnsavedInput* m_unsaved = nullptr;
    EmployeePicker* m_picker;
    std::optional<Employee> m_employee;
};
