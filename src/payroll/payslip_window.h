#pragma once

#include "data/payroll_repository.h"

#include <QDate>
#include <QWidget>

#include <memory>

struct AppContext;
class PayrollMonthModel;

namespace Ui {
class PayslipWindow;
}

// Lists the selected company's transactions of a month and prints their payslips: all of them, or
// exactly the selected ones.
class PayslipWindow : public QWidget {
    Q_OBJECT
public:
    explicit PayslipWindow(AppContext& context, QWidget* parent = nullptr);
    ~PayslipWindow() override;

    // Lists the transactions of the month of `month`, read again even when it is listed already.
    void setMonth(QDate month);
    QDate month() const;

private:
    // Lists the month of the picker unless it is listed already.
    void listMonth();
    void readMonth();
    void printAll();
    void printSelected();
    void showPayslips(QList<PayrollTransaction> transactions);
    void updateButtons();

    std::unique_ptr<Ui::PayslipWindow> m_ui;
    AppContext& m_context;
    PayrollMonthModel* m_model;
    QDate m_listed; // the first day of the month listed
};
