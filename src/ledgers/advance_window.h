#pragma once

#include "data/employee_repository.h"
#include "ui/employee_picker.h"

#include <QWidget>

#include <memory>
#include <optional>

struct AppContext;
class UnsavedInput;
class DeletePasswordGuard;

namespace Ui {
class AdvanceWindow;
}

// Salary advances: a new advance, the amount of one date's advances corrected, one date's advances
// deleted, and all of the company's behind the delete password.
class AdvanceWindow : public QWidget {
    Q_OBJECT
public:
    explicit AdvanceWindow(AppContext& context, QWidget* parent = nullptr);
    ~AdvanceWindow() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    EmployeePicker::Outcome choose(qint64 id, QString& name);
    void save();
    void update();
    void removeAdvances();
    void removeAll();
    bool chosen();
    // The operator is told when the chosen employee had no advance of the company on the date.
    bool matched(qint64 count, const QString& nothingDone);

    std::unique_ptr<Ui::AdvanceWindow> m_ui;
    AppContext& m_context;
    UnsavedInput* m_unsaved = nullptr;
    EmployeePicker* m_picker;
    DeletePasswordGuard* m_guard;
    std::optional<Employee> m_employee;
};
