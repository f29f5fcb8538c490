#pragma once

#include "common/currency.h"
#include "rules/record_rules.h"
#include "rules/statutory_figures.h"

#include <QDate>
#include <QList>
#include <QString>

#include <optional>

// The statutory deductions (provident fund, employees' state insurance, professional tax) and the
// daily divisor, as dated rules of a company: a month is paid under the rules in force on its pay
// date, so a rate changed today never changes a month already paid. Pure functions only.
namespace statutory {

// What the monthly rate is divided by to give the daily rate.
enum class Divisor {
    Calendar = 0, // the days of the pay date's month
    Thirty = 30,
    TwentySix = 26,
};
int divisorDays(Divisor divisor, QDate payDate);
QString divisorCaption(Divisor divisor);
std::optional<Divisor> divisorFromStored(qint64 stored);

// Professional tax: `tax` a month on gross wages from `from` up to the next slab's `from`.
struct Slab {
    Currency from;
    Currency tax;
    friend bool operator==(const Slab&, const Slab&) = default;
};

// One company's rules from a month on (the first of the month). Rates are percentages.
struct Rules {
    QString company;
    QDate from;
    Divisor divisor = Divisor::Calendar;

    bool pfOn = false;
    Currency pfRate = Currency::fromUnits(12'0000);         // employee's and employer's share
    Currency pfCeiling = Currency::fromUnits(15000'0000);   // wages the fund counts, at most
    bool pfOnFullWages = false;                             // the company pays on wages over the ceiling
    Currency pensionRate = Currency::fromUnits(8'3300);     // of the employer's share, on wages up to the ceiling
    Currency pensionCap = Currency::fromUnits(1250'0000);

    bool esiOn = false;
    Currency esiLimit = Currency::fromUnits(21000'0000);    // gross wages above it: no insurance
    Currency esiEmployeeRate = Currency::fromUnits(7500);   // 0.75 %
    Currency esiEmployerRate = Currency::fromUnits(3'2500); // 3.25 %

    bool ptOn = false;
    QList<Slab> ptSlabs = {{Currency(), Currency()}, {Currency::fromUnits(12000'0000), Currency::fromUnits(200'0000)}};

    // The heads (WageHead flags) each deduction counts. The fund's wages are the basic wages; the
    // insurance's exclude the bonus and travel allowance, and its coverage is judged without
    // overtime; the tax's slab is read on the gross.
    int pfHeads = Basic;
    int esiHeads = Basic | Overtime;
    int esiCoverHeads = Basic;
    int ptHeads = AllHeads;

    // Whether a transaction's figures depend on its month's other transactions: a deduction of the
    // month, or a fixed divisor, which prices the days the month did not pay.
    bool monthWise() const { return pfOn || esiOn || ptOn || divisor != Divisor::Calendar; }
    // Paid as before statutory rules existed: nothing deducted, calendar days.
    bool plain() const { return !pfOn && !esiOn && !ptOn && divisor == Divisor::Calendar; }
    friend bool operator==(const Rules&, const Rules&) = default;
};

// The slabs as stored and edited: "0=0;12000=200", ascending.
QString slabsText(const QList<Slab>& slabs);
std::optional<QList<Slab>> parseSlabs(const QString& text);

rules::Verdict check(const Rules& rules);
Rules normalised(Rules rules);

// A company's dated rules; the rules in force on a date are the latest from on or before it, and
// before the first of them, the plain ones.
class RuleBook {
public:
    RuleBook() = default;
    explicit RuleBook(QList<Rules> dated);
    Rules on(QDate payDate) const;
    const QList<Rules>& dated() const { return m_dated; }

private:
    QList<Rules> m_dated; // by from
};

// The heads' sum that `heads` counts; nothing beyond the range.
std::optional<Currency> wagesOf(int heads, const Wages& wages);
QString headsText(int heads); // "basic bonus overtime travel", as stored and edited
std::optional<int> parseHeads(const QString& text);

// What an employee's month earned and had deducted before a transaction: its earlier
// transactions' wages and statutory figures, added; and whether an earlier month of its
// contribution period (April to September, October to March) had the insurance cover them, which
// then lasts to the period's end.
struct MonthSoFar {
    Currency daysPresent;
    Wages wages;
    Figures deducted;
    bool esiCoveredInPeriod = false;
    // The month with a transaction more: its wages and what it deducted (sums beyond the range
    // stay at the last value held; stored figures are far inside it).
    MonthSoFar with(Currency days, const Wages& more, const Figures& figures) const;
    friend bool operator==(const MonthSoFar&, const MonthSoFar&) = default;
};

// The first day of the insurance's contribution period of the date.
QDate contributionPeriodStart(QDate date);
// Whether the insurance covers a month of these wages (all the month's transactions) under the
// rules: on, not exempt, and the coverage wages within the limit.
bool esiCovers(const Rules& rules, const Exemptions& exempt, QDate payDate, const Wages& month);

// The figures of a transaction paid on `payDate` with these wages. The law caps, limits and slabs
// the employee's month, not the transaction: the month's figures are worked out on its wages so
// far, these included, and the transaction owes what they come to beyond what `earlier`
// transactions of the month deducted (less, where the month owes less than they took). Nothing
// when a figure is too large to hold.
std::optional<Figures> figuresFor(const Rules& rules, const Exemptions& exempt, QDate payDate, const Wages& wages,
                                  const MonthSoFar& earlier = {});

// Whether figures stored for a month paid under the rules (by another system, say) could have come
// from them, whatever the wages: nothing of a deduction that was off, the fund's wages within the
// ceiling, shares no larger than their rates give, rounded up to the rupee.
rules::Verdict possible(const Rules& rules, const Figures& figures);

// The days of the pay date's month not paid: its days less the days present (weekly offs and
// holidays being paid days), never below 0.
Currency unpaidDays(QDate payDate, Currency daysPresent);
// The same to the nearest whole day (halves up), as the provident fund return counts them.
int daysNotPaid(QDate payDate, Currency daysPresent);

// What a month's days earn of a monthly amount (the rate, or an increment) priced at `daily` a day.
// Over the days of the month the days present are paid day by day: R(days present x daily, 0).
// A fixed divisor (30 or 26) prices a day of absence instead: a full month earns the monthly
// amount and each day not paid takes a day's price off, R(monthly - days not paid x daily, 0),
// never past 0; no day present earns nothing. Nothing when a figure leaves the range.
std::optional<Currency> earned(Divisor divisor, QDate payDate, Currency monthly, Currency daily, Currency daysPresent);
// What a transaction earns when its month's earlier transactions had `earlierDays` present: over
// the days of the month its own days as above; under a fixed divisor what the month's days together
// earn at its rate less what the earlier days earn at it, so that a month paid in several
// transactions at one rate earns what it would in one.
std::optional<Currency> earnedInMonth(Divisor divisor, QDate payDate, Currency monthly, Currency daily,
                                      Currency daysPresent, Currency earlierDays);

} // namespace statutory
