#pragma once

#include "common/currency.h"
#include "data/payroll_repository.h"
#include "payroll/employee_pay_facts.h"
#include "rules/pay_calculation.h"
#include "ui/employee_picker.h"

#include <QWidget>

#include <memory>
#include <optional>

namespace Ui {
class PayrollWindow;
}
struct AppContext;
class PayrollMonthModel;
class QLineEdit;

// Works out and stores one employee's monthly pay (Form2). The figures are worked out again by
// workOutPay() whenever an entered value changes; the boxes the operator cannot type into take
// no focus, so Tab and Enter go from one typed box to the next.
class PayrollWindow : public QWidget {
    Q_OBJECT
public:
    explicit PayrollWindow(AppContext& context, QWidget* parent = nullptr);
    ~PayrollWindow() override;

    // Reads the month's list again (after transactions were deleted elsewhere).
    void reloadMonth();

public slots:
    void showEditPanel(bool show);

protected:
    // A payroll entry the operator typed is not dropped without their word.
    void closeEvent(QCloseEvent* event) override;

private:
    // Reads the rules in force in the month shown and shows the rows of the deductions they make.
    void loadRules();
    // Opens the payslip window on this window's month.
    void showPayslips();
    void setupBoxes();
    void updatePeriod();
    void listMonthPayroll();
    // Locks the boxes and Save when the month shown is closed, and says who closed it.
    void showClosedState();
    EmployeePicker::Outcome choose(qint64 employeeId, QString& name);
    void clearEmployee();
    void showFacts(const EmployeePayFacts& facts);
    void recompute();
    void leaveBox(QLineEdit* box);
    void normaliseBoxes();
    // After a save: every amount, travel and the employee, ready for the next employee.
    void clearEntry();
    // The checks Save and Update share; false after telling the operator what is wrong.
    bool checkEntry();
    void save();
    // The selected company's transaction whose number is in the edit panel; report says why there is none.
    std::optional<PayrollTransaction> typedTransaction(bool report);
    // Fills the window from it, after asking when an entry typed here would be lost.
    void loadTransaction();
    void update();
    PayrollTransaction currentTransaction() const;
    QList<QLineEdit*> typedBoxes() const;

    std::unique_ptr<Ui::PayrollWindow> m_ui;
    AppContext& m_context;
    PayrollMonthModel* m_model;
    EmployeePicker* m_picker;
    std::optional<EmployeePayFacts> m_chosen; // the employee the figures belong to
    // The stored transaction as the edit panel loaded it: an update overwrites it only while the
    // row is still so, or when the operator agrees.
    std::optional<PayrollTransaction> m_loaded;
    Currency m_monthRate;                     // the chosen employee's basic rate, or a loaded row's
    PayFigures m_figures;
    EarlierInMonth m_earlier; // the month's transactions before the one on the screen
    statutory::Rules m_rules; // the company's rules in force in the month shown
    bool m_loading = false; // filling boxes from a stored transaction
    bool m_typed = false;   // the operator typed something not saved yet
    bool m_columnsSized = false;
    QDate m_listedMonth; // the month the list holds; none when it could not be read
};
