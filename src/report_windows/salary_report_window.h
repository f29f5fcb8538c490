#pragma once

#include "data/employee_repository.h"
#include "ui/employee_picker.h"

#include <QWidget>

#include <memory>
#include <optional>

struct AppContext;

namespace Ui {
class SalaryReportWindow;
}

// An employee's salary (Form21): one month of one employee, or the months from one to another of
// one employee of a group or of the whole group, one line per employee and monthly rate.
class SalaryReportWindow : public QWidget {
    Q_OBJECT
public:
    explicit SalaryReportWindow(AppContext& context, QWidget* parent = nullptr);
    ~SalaryReportWindow() override;

private:
    EmployeePicker::Outcome chooseInGroup(qint64 id, QString& name);
    void groupChosen();
    void monthly();
    void period();

    std::unique_ptr<Ui::SalaryReportWindow> m_ui;
    AppContext& m_context;
    EmployeePicker* m_monthPicker;
    EmployeePicker* m_periodPicker;
    std::optional<Employee> m_monthEmployee;
    std::optional<Employee> m_periodEmployee;
};
