#pragma once

#include "data/employee_repository.h"
#include "data/loan_repository.h"
#include "ui/employee_picker.h"

#include <QHash>
#include <QWidget>

#include <memory>
#include <optional>

struct AppContext;
class UnsavedInput;
class DeletePasswordGuard;
class QLineEdit;

namespace Ui {
class LoanWindow;
}

// Loans given to an employee: what was lent, what the payroll has recovered and the balance, the
// loan entries and the recoveries month by month; new entries, corrections of one entry's amount
// or monthly deduction, deletion of one date's entries, and all of the company's behind the delete
// password.
class LoanWindow : public QWidget {
    Q_OBJECT
public:
    explicit LoanWindow(AppContext& context, QWidget* parent = nullptr);
    ~LoanWindow() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    EmployeePicker::Outcome choose(qint64 id, QString& name);
    // Totals, monthly deduction and both grids of the chosen employee; false when they could not be read.
    bool showEmployee();
    void clearEmployee();
    void addNew();
    void save();
    void update();
    void removeEntries();
    void removeAll();
    bool chosen();
    // The boxes of the stored columns a rule may find wrong.
    QHash<QString, QWidget*> boxes() const;
    // The chosen employee's entries of the company on that date; none (and the operator told that
    // nothing was done) when there are none.
    std::optional<QList<Loan>> entriesOn(QDate date, const QString& nothingDone);

    std::unique_ptr<Ui::LoanWindow> m_ui;
    AppContext& m_context;
    UnsavedInput* m_unsaved = nullptr;
    EmployeePicker* m_picker;
    DeletePasswordGuard* m_guard;
    std::optional<Employee> m_employee;
    // Raised when the operator types into the amount or the monthly deduction.
    bool m_amountTyped = false;
    bool m_deductionTyped = false;
};
