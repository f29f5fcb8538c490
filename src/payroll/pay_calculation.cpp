#include "pay_calculation.h"

#include "common/dates.h"

std::optional<PayResult> calculatePay(const PayInputs& in)
{
    if (!in.payDate.isValid())
        return std::nullopt;
    PayResult out;
    out.daysInMonth = dates::daysInMonth(in.payDate);

    const auto monthly = in.basicRate.rounded(0);
    if (!monthly)
        return std::nullopt;
    const auto daily = monthly->dividedBy(out.daysInMonth);
    const auto dailyRounded = daily ? daily->rounded(2) : std::nullopt;
    if (!dailyRounded)
        return std::nullopt;
    const auto earn = Currency::fromDouble(in.daysPresent.toDouble() * dailyRounded->toDouble());
    const auto earnRounded = earn ? earn->rounded(0) : std::nullopt;
    const auto additional = sumOf(in.bonus, in.overtime, in.travel);
    const auto additionalRounded = additional ? additional->rounded(2) : std::nullopt;
    const auto deductions = sumOf(in.advances, in.loanDeduction, in.lic, in.contribution, in.pgvcl);
    const auto deductionsRounded = deductions ? deductions->rounded(0) : std::nullopt;
    if (!earnRounded || !additionalRounded || !deductionsRounded)
        return std::nullopt;
    const auto balance = earnRounded->minus(*deductionsRounded);
    const auto balanceRounded = balance ? balance->rounded(0) : std::nullopt;
    const auto net = balanceRounded ? additionalRounded->plus(*balanceRounded) : std::nullopt;
    if (!net)
        return std::nullopt;

    out.monthlyRate = *monthly;
    out.dailyRate = *dailyRounded;
    out.presentDaysSalary = *earnRounded;
    out.totalAdditional = *additionalRounded;
    out.totalDeductions = *deductionsRounded;
    out.netPay = *net;
    return out;
}

Currency enteredAmount(const QString& text)
{
    return Currency::parse(text).value_or(Currency());
}

QString wholeAmountText(const QString& text)
{
    return enteredAmount(text).rounded(0).value_or(Currency()).toString();
}
