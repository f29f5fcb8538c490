#pragma once

#include "data/employee_repository.h"
#include "ui/employee_picker.h"

#include <QWidget>

#include <memory>
#include <optional>

struct AppContext;
class UnsavedInput;

namespace Ui {
class IncrementWindow;
}

// Raises an employee's basic rate and pays the increment back as arrears for the payroll months of
// a period, all in one transaction; shows and prints the arrears of the period.
class IncrementWindow : public QWidget {
    Q_OBJECT
public:
    explicit IncrementWindow(AppContext& context, QWidget* parent = nullptr);
    ~IncrementWindow() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    EmployeePicker::Outcome choose(qint64 id, QString& name);
    void showArrears();
    void save();
    void print();
    bool ready();

    std::unique_ptr<Ui::IncrementWindow> m_ui;
    AppContext& m_context;
    UnsavedInput* m_unsaved = nullptr;
    EmployeePicker* m_picker;
    std::optional<Employee> m_employee;
};
