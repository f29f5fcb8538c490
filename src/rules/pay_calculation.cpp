#include "pay_calculation.h"

#include "common/dates.h"

#include <algorithm>

namespace {

// Applies f to the value when there is one.
template <typename F>
auto then(const std::optional<Currency>& value, F f) -> std::optional<Currency>
{
    return value ? f(*value) : std::nullopt;
}

} // namespace

PayFigures workOutPay(const PayInputs& in)
{
    PayFigures out;
    if (!in.payDate.isValid())
        return out;
    out.daysInMonth = statutory::divisorDays(in.rules.divisor, in.payDate);
    out.monthlyRate = in.basicRate.rounded(0);
    out.dailyRate = then(out.monthlyRate, [&](Currency monthly) {
        return then(monthly.dividedBy(out.daysInMonth), [](Currency daily) { return daily.rounded(2); });
    });
    if (out.monthlyRate && out.dailyRate)
        out.presentDaysSalary =
            statutory::earnedInMonth(in.rules.divisor, in.payDate, *out.monthlyRate, *out.dailyRate, in.daysPresent,
                                     in.earlier.daysPresent);
    out.totalAdditional =
        then(sumOf(in.bonus, in.overtime, in.travel), [](Currency additional) { return additional.rounded(2); });
    // Without a deduction turned on there is nothing to work out, even from wages too large to hold.
    if (!in.rules.pfOn && !in.rules.esiOn && !in.rules.ptOn)
        out.statutory = statutory::Figures{};
    else if (out.presentDaysSalary && out.totalAdditional)
        out.statutory = statutory::figuresFor(in.rules, in.exemptions, in.payDate,
                                              {*out.presentDaysSalary, in.bonus, in.overtime, in.travel}, in.earlier);
    const auto statutoryShares =
        out.statutory ? out.statutory->employeeTotal() : std::optional<Currency>();
    out.totalDeductions = then(sumOf(in.advances, in.loanDeduction, in.lic, in.contribution, in.pgvcl),
                               [&](Currency deductions) {
                                   return then(deductions.rounded(0), [&](Currency typed) {
                                       return then(statutoryShares, [&](Currency shares) { return typed.plus(shares); });
                                   });
                               });
    if (out.presentDaysSalary && out.totalDeductions && out.totalAdditional)
        out.netPay = then(out.presentDaysSalary->minus(*out.totalDeductions), [&](Currency balance) {
            return then(balance.rounded(0), [&](Currency rounded) { return out.totalAdditional->plus(rounded); });
        });
    return out;
}

QString PayFigures::firstMissing() const
{
    const std::pair<const std::optional<Currency>*, const char*> figures[] = {
        {&monthlyRate, "Monthly Rate"},
        {&dailyRate, "Daily Rate"},
        {&presentDaysSalary, "Present Days Salary"},
        {&totalAdditional, "Total Additional"},
        {&totalDeductions, "Total Deductions"},
        {&netPay, "Net Pay"}};
    for (const auto& [figure, caption] : figures)
        if (!figure->has_value())
            return QString::fromLatin1(caption);
    if (!statutory)
        return QStringLiteral("Statutory Deductions");
    return {};
}

std::optional<PayResult> PayFigures::complete() const
{
    if (!firstMissing().isEmpty() || daysInMonth == 0)
        return std::nullopt;
    return PayResult{daysInMonth,      *monthlyRate,     *dailyRate, *presentDaysSalary,
                     *totalAdditional, *totalDeductions, *netPay,    statutory.value_or(statutory::Figures{})};
}

std::optional<PayResult> calculatePay(const PayInputs& in)
{
    return workOutPay(in).complete();
}

std::optional<PayrollTransaction> withFiguresWorkedOut(PayrollTransaction t, const statutory::Rules& rules,
                                                       const statutory::Exemptions& exemptions,
                                                       const statutory::MonthSoFar& earlier)
{
    PayInputs in;
    in.basicRate = t.monthRate;
    in.payDate = t.payDate;
    in.daysPresent = t.daysPresent;
    in.bonus = t.bonus;
    in.overtime = t.overtime;
    in.travel = t.travel;
    in.advances = t.advances;
    in.loanDeduction = t.loanRecovered;
    in.lic = t.lic;
    in.contribution = t.contribution;
    in.pgvcl = t.pgvcl;
    in.rules = rules;
    in.exemptions = exemptions;
    in.earlier = earlier;
    const auto pay = calculatePay(in);
    if (!pay)
        return std::nullopt;
    t.monthRate = pay->monthlyRate;
    t.presentDaysSalary = pay->presentDaysSalary;
    t.totalAdditional = pay->totalAdditional;
    t.totalDeductions = pay->totalDeductions;
    t.netPay = pay->netPay;
    t.statutory = pay->statutory;
    return t;
}

statutory::MonthSoFar monthWith(const statutory::MonthSoFar& earlier, const PayrollTransaction& t)
{
    return earlier.with(t.daysPresent, {t.presentDaysSalary, t.bonus, t.overtime, t.travel}, t.statutory);
}

Currency offeredLoanDeduction(std::optional<Currency> latestMonthlyDeduction, Currency lent, Currency recovered)
{
    const Currency owed = lent.minus(recovered).value_or(Currency());
    return std::clamp(latestMonthlyDeduction.value_or(Currency()), Currency(), std::max(owed, Currency()));
}

Currency enteredAmount(const QString& text)
{
    return Currency::parse(text).value_or(Currency());
}

QString wholeAmountText(const QString& text)
{
    return enteredAmount(text).rounded(0).value_or(Currency()).toString();
}
