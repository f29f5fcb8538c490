#pragma once

#include "common/currency.h"
#include "data/payroll_repository.h"
#include "payroll/employee_pay_facts.h"
#include "payroll/pay_calculation.h"

#include <QWidget>

#include <memory>
#include <optional>

namespace Ui {
class PayrollWindow;
}
struct AppContext;
class PayrollMonthModel;
class QLineEdit;

// Works out and stores one employee's monthly pay. The totals are recomputed from the entered
// values by calculatePay() whenever any of them changes.
class PayrollWindow : public QWidget {
    Q_OBJECT
public:
    explicit PayrollWindow(AppContext& context, QWidget* parent = nullptr);
    ~PayrollWindow() override;


public slots:
    void showEditPanel(bool show);

private:
    void setupBoxes();
    void updatePeriod();
    void fillEmployeeLists();
    void listMonthPayroll();
    enum class Choice { Chosen, NotFound, Failed };
    void chooseByNumber(bool fromEnter);
    // index: the chosen entry of the name list, or -1 for the name typed into it.
    void chooseByName(int index);
    Choice choose(qint64 employeeId);
    void clearEmployee();
    void showFacts(const EmployeePayFacts& facts);
    void recompute();
    void leaveAmountBox(QLineEdit* box, bool roundToWhole);
    void normaliseBoxes();
    void clearAmounts();
    void save();
    // The selected company's transaction whose number is in the edit panel; report says why there is none.
    std::optional<PayrollTransaction> typedTransaction(bool report);
    void loadTransaction();
    void update();
    PayrollTransaction currentTransaction() const;
    QList<QLineEdit*> typedBoxes() const;

    std::unique_ptr<Ui::PayrollWindow> m_ui;
    AppContext& m_context;
    PayrollMonthModel* m_model;
    std::optional<EmployeePayFacts> m_chosen; // the employee the figures belong to
    Currency m_monthRate;                     // the chosen employee's basic rate, or a loaded row's
    std::optional<PayResult> m_result;
    QString m_checkedNumber; // the employee number last looked up, so leaving the box checks it once
    bool m_loading = false;  // filling boxes from a stored transaction
};
