#pragma once

#include "common/currency.h"
#include "rules/records.h"
#include "rules/statutory.h"

#include <QDate>
#include <QString>

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
    // The company's rules in force on the pay date and the employee's exemptions: plain rules
    // deduct nothing and divide by the days of the month.
    statutory::Rules rules{};
    statutory::Exemptions exemptions{};
    // The employee's earlier transactions of the month, whose deductions this one owes the rest of.
    statutory::MonthSoFar earlier{};
};

struct PayResult {
    int daysInMonth = 0; // the days the monthly rate is divided by
    Currency monthlyRate;
    Currency dailyRate;
    Currency presentDaysSalary;
    Currency totalAdditional;
    Currency totalDeductions;
    Currency netPay;
    statutory::Figures statutory;
};

// The figures of one month as far as they can be worked out: a figure too large to hold is
// missing, and so is every figure worked out from it, while the others stay.
struct PayFigures {
    int daysInMonth = 0;
    std::optional<Currency> monthlyRate;
    std::optional<Currency> dailyRate;
    std::optional<Currency> presentDaysSalary;
    std::optional<Currency> totalAdditional;
    std::optional<Currency> totalDeductions;
    std::optional<Currency> netPay;
    std::optional<statutory::Figures> statutory;

    // The caption of the first missing figure ("Present Days Salary"), or an empty text.
    QString firstMissing() const;
    std::optional<PayResult> complete() const;
};

// One month's pay as a pure function of the inputs, in exact integer arithmetic, rounding half to
// even at each step:
//   monthly rate        = R(basic rate, 0)
//   daily rate          = R(R(monthly rate / divisor, 4), 2), the divisor the days in the pay
//                         date's month unless the rules fix 30 or 26
//   present days salary = R(days present x daily rate, 0) over the days of the month; under a
//                         fixed divisor R(monthly rate - days not paid x daily rate, 0), never
//                         below 0, the days not paid being the month's days less the days present
//                         of all its transactions, less what its earlier transactions' days earn
//                         at this rate; no day present earns nothing
//   total additional    = R(bonus + overtime + travel, 2)
//   statutory           = the rules' figures on the heads each deduction counts (the present days
//                         salary, bonus, overtime, travel), whole rupees, worked out on the
//                         employee's month (see statutory::figuresFor)
//   total deductions    = R(advances + loan deduction + LIC + contribution + PGVCL, 0)
//                         + the employee's statutory shares
//   net pay             = total additional + R(present days salary - total deductions, 0)
// Nothing is worked out for an invalid pay date.
PayFigures workOutPay(const PayInputs& in);
// Every figure, or nothing when one of them is too large.
std::optional<PayResult> calculatePay(const PayInputs& in);

// The transaction as it is stored: its worked-out figures (the monthly rate, present days salary,
// total additional, total deductions, net pay and statutory figures) worked out from its inputs
// (basic rate in monthRate, pay date, days present, the typed additions and deductions, advances and
// loan deduction) under the rules in force on the pay date and the employee's exemptions. Nothing
// when a figure is too large to hold.
std::optional<PayrollTransaction> withFiguresWorkedOut(PayrollTransaction t, const statutory::Rules& rules,
                                                       const statutory::Exemptions& exemptions,
                                                       const statutory::MonthSoFar& earlier = {});
// The month with the transaction added to what it earned and deducted.
statutory::MonthSoFar monthWith(const statutory::MonthSoFar& earlier, const PayrollTransaction& t);

// The loan instalment a month offers: the latest loan's monthly deduction, never more than what is
// still owed (everything lent less everything recovered), and never below 0.
Currency offeredLoanDeduction(std::optional<Currency> latestMonthlyDeduction, Currency lent, Currency recovered);

// The value of an amount box's text: a blank or unreadable text (a lone ".") counts as 0.
Currency enteredAmount(const QString& text);
// What an amount box shows once the operator leaves it: the value rounded to a whole number, half
// to even ("12.5" gives "12", "13.5" gives "14"), and "0" for a blank or unreadable text.
QString wholeAmountText(const QString& text);
