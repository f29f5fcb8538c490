#pragma once

#include "common/currency.h"

#include <QDate>

#include <optional>

// What the operator enters for one employee's month.
struct PayInputs {
    Currency basicRate;
    QDate payDate;
    Currency daysPresent;
    Currency bonus;
    Currency overtime;
    Currency travel;
    Currency advances;
    Currency loanDeduction;
    Currency lic;
    Currency contribution;
    Currency pgvcl;
};

struct PayResult {
    int daysInMonth = 0;
    Currency monthlyRate;
    Currency dailyRate;
    Currency presentDaysSalary;
    Currency totalAdditional;
    Currency totalDeductions;
    Currency netPay;
};

// One month's pay as a pure function of the inputs, rounding half to even at each step:
//   monthly rate        = R(basic rate, 0)
//   daily rate          = R(monthly rate / days in the pay date's month, 2)
//   present days salary = R(days present x daily rate, 0)
//   total additional    = R(bonus + overtime + travel, 2)
//   total deductions    = R(advances + loan deduction + LIC + contribution + PGVCL, 0)
//   net pay             = total additional + R(present days salary - total deductions, 0)
// Empty when the pay date is invalid or a figure leaves the representable range.
std::optional<PayResult> calculatePay(const PayInputs& in);

// The value of an amount box's text: a blank or unreadable text (a lone ".") counts as 0.
Currency enteredAmount(const QString& text);
// What an amount box shows once the operator leaves it: the value rounded to a whole number, half
// to even ("12.5" gives "12", "13.5" gives "14"), and "0" for a blank or unreadable text.
QString wholeAmountText(const QString& text);
