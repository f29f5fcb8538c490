#include "statutory.h"

#include "common/dates.h"

#include <QStringList>

#include <algorithm>
#include <limits>

namespace statutory {

namespace {

__extension__ typedef __int128 Wide;

constexpr Wide unitsPerRupee = Currency::Scale;
// A rate is a percentage in ten-thousandths: wages (units) x rate (units) / (100 x Scale) is the
// share in units, and one rupee more divides by Scale again.
constexpr Wide rupeeOfProduct = Wide(100) * Currency::Scale * Currency::Scale;

std::optional<Currency> wholeRupees(Wide rupees)
{
    const Wide units = rupees * unitsPerRupee;
    if (units > std::numeric_limits<qint64>::max() || units < std::numeric_limits<qint64>::min())
        return std::nullopt;
    return Currency::fromUnits(qint64(units));
}

// rate % of wages to the nearest rupee, halves up, from the exact product (wages and rates are
// never negative here).
std::optional<Currency> percentHalfUp(Currency wages, Currency rate)
{
    const Wide product = Wide(wages.units()) * rate.units();
    return wholeRupees((product + rupeeOfProduct / 2) / rupeeOfProduct);
}

// rate % of wages, up to the next rupee.
std::optional<Currency> percentUp(Currency wages, Currency rate)
{
    const Wide product = Wide(wages.units()) * rate.units();
    return wholeRupees((product + rupeeOfProduct - 1) / rupeeOfProduct);
}

const Currency hundredPercent = Currency::fromUnits(100'0000);

rules::Verdict broken(const char* field, const QString& message)
{
    return rules::Broken{QString::fromLatin1(field), message};
}

rules::Verdict percent(const char* field, const char* caption, Currency value)
{
    if (auto verdict = rules::amount(QString::fromLatin1(field), QString::fromLatin1(caption), value,
                                     rules::Sign::NotNegative, 2))
        return verdict;
    if (value > hundredPercent)
        return broken(field, QStringLiteral("The %1 cannot be more than 100 %.").arg(QString::fromLatin1(caption)));
    return {};
}

rules::Verdict wholeAmount(const char* field, const char* caption, Currency value)
{
    return rules::amount(QString::fromLatin1(field), QString::fromLatin1(caption), value, rules::Sign::NotNegative, 0);
}

} // namespace

int divisorDays(Divisor divisor, QDate payDate)
{
    return divisor == Divisor::Calendar ? dates::daysInMonth(payDate) : int(divisor);
}

QString divisorCaption(Divisor divisor)
{
    switch (divisor) {
    case Divisor::Thirty:
        return QStringLiteral("30 days");
    case Divisor::TwentySix:
        return QStringLiteral("26 days");
    case Divisor::Calendar:
        break;
    }
    return QStringLiteral("Days of the month");
}

std::optional<Divisor> divisorFromStored(qint64 stored)
{
    for (Divisor d : {Divisor::Calendar, Divisor::Thirty, Divisor::TwentySix})
        if (qint64(d) == stored)
            return d;
    return std::nullopt;
}

QString slabsText(const QList<Slab>& slabs)
{
    QStringList parts;
    for (const Slab& slab : slabs)
        parts << slab.from.toString() + u'=' + slab.tax.toString();
    return parts.join(u';');
}

std::optional<QList<Slab>> parseSlabs(const QString& text)
{
    QList<Slab> slabs;
    for (const QString& part : text.split(u';', Qt::SkipEmptyParts)) {
        const QStringList sides = part.split(u'=');
        if (sides.size() != 2)
            return std::nullopt;
        const auto from = Currency::parse(sides.at(0));
        const auto tax = Currency::parse(sides.at(1));
        if (!from || !tax)
            return std::nullopt;
        slabs << Slab{*from, *tax};
    }
    return slabs;
}

Rules normalised(Rules r)
{
    r.company = rules::cleanText(r.company);
    if (r.from.isValid())
        r.from = dates::firstOfMonth(r.from);
    std::stable_sort(r.ptSlabs.begin(), r.ptSlabs.end(), [](const Slab& a, const Slab& b) { return a.from < b.from; });
    return r;
}

rules::Verdict check(const Rules& r)
{
    if (auto v = rules::text(QStringLiteral("company"), QStringLiteral("the company"), r.company, rules::maxNameLength, true))
        return v;
    if (auto v = rules::date(QStringLiteral("fromdt"), QStringLiteral("the date the rules hold from"), r.from, true))
        return v;
    if (r.from.day() != 1)
        return broken("fromdt", QStringLiteral("Rules hold from the first day of a month."));
    if (auto v = percent("pfrate", "provident fund rate", r.pfRate))
        return v;
    if (auto v = wholeAmount("pfceil", "the provident fund wage ceiling", r.pfCeiling))
        return v;
    if (auto v = percent("penrate", "pension rate", r.pensionRate))
        return v;
    if (r.pensionRate > r.pfRate)
        return broken("penrate", QStringLiteral("The pension rate (%1 %) cannot be more than the provident fund rate "
                                                "(%2 %): it is a part of the employer's share.")
                                     .arg(r.pensionRate.toString(), r.pfRate.toString()));
    if (auto v = wholeAmount("pencap", "the largest pension contribution", r.pensionCap))
        return v;
    if (auto v = wholeAmount("esilimit", "the insurance wage limit", r.esiLimit))
        return v;
    if (auto v = percent("esirate", "employee's insurance rate", r.esiEmployeeRate))
        return v;
    if (auto v = percent("esierrate", "employer's insurance rate", r.esiEmployerRate))
        return v;
    const std::pair<const char*, int> heads[] = {{"pfheads", r.pfHeads}, {"esiheads", r.esiHeads},
                                                 {"esicover", r.esiCoverHeads}, {"ptheads", r.ptHeads}};
    for (const auto& [field, counted] : heads)
        if (counted <= 0 || counted > AllHeads)
            return broken(field, QStringLiteral("A deduction's wages count at least one head of pay: basic, bonus, "
                                                "overtime or travel."));
    if (r.ptOn && r.ptSlabs.isEmpty())
        return broken("ptslabs", QStringLiteral("Professional tax needs at least one slab."));
    for (qsizetype i = 0; i < r.ptSlabs.size(); ++i) {
        const Slab& slab = r.ptSlabs.at(i);
        if (auto v = wholeAmount("ptslabs", "gross wages a slab starts from", slab.from))
            return v;
        if (auto v = wholeAmount("ptslabs", "professional tax of a slab", slab.tax))
            return v;
        if (slab.from > rules::maxAmount || slab.tax > rules::maxAmount)
            return broken("ptslabs", QStringLiteral("A slab's amount is too large."));
        if (i > 0 && r.ptSlabs.at(i - 1).from == slab.from)
            return broken("ptslabs", QStringLiteral("Two slabs start from %1.").arg(slab.from.toString()));
    }
    return {};
}

RuleBook::RuleBook(QList<Rules> dated) : m_dated(std::move(dated))
{
    std::stable_sort(m_dated.begin(), m_dated.end(), [](const Rules& a, const Rules& b) { return a.from < b.from; });
}

Rules RuleBook::on(QDate payDate) const
{
    Rules inForce;
    for (const Rules& r : m_dated)
        if (r.from <= payDate)
            inForce = r;
    return inForce;
}

namespace {

// The members of the figures, for working on all of them alike.
constexpr Currency Figures::*allFigures[] = {&Figures::pfWages,     &Figures::pensionWages, &Figures::pfEmployee,
                                             &Figures::pension,     &Figures::pfEmployer,   &Figures::esiWages,
                                             &Figures::esiEmployee, &Figures::esiEmployer,  &Figures::professionalTax};

constexpr Currency Wages::*allHeads[] = {&Wages::basic, &Wages::bonus, &Wages::overtime, &Wages::travel};
const char* const headNames[] = {"basic", "bonus", "overtime", "travel"};

std::optional<Figures> monthFigures(const Rules& rules, const Exemptions& exempt, QDate payDate, const Wages& month,
                                    bool esiCovered);

} // namespace

std::optional<Currency> wagesOf(int heads, const Wages& wages)
{
    std::optional<Currency> total = Currency();
    for (int i = 0; i < 4; ++i)
        if (heads & (1 << i))
            total = total ? total->plus(std::max(wages.*allHeads[i], Currency())) : std::nullopt;
    return total;
}

QString headsText(int heads)
{
    QStringList names;
    for (int i = 0; i < 4; ++i)
        if (heads & (1 << i))
            names << QLatin1String(headNames[i]);
    return names.join(u' ');
}

std::optional<int> parseHeads(const QString& text)
{
    int heads = 0;
    for (const QString& word : text.split(u' ', Qt::SkipEmptyParts)) {
        int i = 0;
        while (i < 4 && word.compare(QLatin1String(headNames[i]), Qt::CaseInsensitive) != 0)
            ++i;
        if (i == 4)
            return std::nullopt;
        heads |= 1 << i;
    }
    return heads;
}

MonthSoFar MonthSoFar::with(Currency days, const Wages& more, const Figures& figures) const
{
    MonthSoFar next = *this;
    next.daysPresent = daysPresent.plus(days).value_or(daysPresent);
    for (Currency Wages::*head : allHeads)
        next.wages.*head = (wages.*head).plus(more.*head).value_or(wages.*head);
    for (Currency Figures::*member : allFigures)
        next.deducted.*member = (deducted.*member).plus(figures.*member).value_or(deducted.*member);
    return next;
}

QDate contributionPeriodStart(QDate date)
{
    if (date.month() >= 4 && date.month() <= 9)
        return QDate(date.year(), 4, 1);
    return date.month() >= 10 ? QDate(date.year(), 10, 1) : QDate(date.year() - 1, 10, 1);
}

bool esiCovers(const Rules& rules, const Exemptions& exempt, QDate payDate, const Wages& month)
{
    if (!rules.esiOn || Exemptions::holds(exempt.esiFrom, payDate))
        return false;
    const auto coverage = wagesOf(rules.esiCoverHeads, month);
    return coverage && *coverage <= rules.esiLimit;
}

std::optional<Figures> figuresFor(const Rules& rules, const Exemptions& exempt, QDate payDate, const Wages& wages,
                                  const MonthSoFar& earlier)
{
    Wages month;
    for (Currency Wages::*head : allHeads) {
        const auto sum = (earlier.wages.*head).plus(wages.*head);
        if (!sum)
            return std::nullopt;
        month.*head = *sum;
    }
    const bool insured = rules.esiOn && !Exemptions::holds(exempt.esiFrom, payDate);
    const bool covered = insured && (earlier.esiCoveredInPeriod || esiCovers(rules, exempt, payDate, month));
    auto owed = monthFigures(rules, exempt, payDate, month, covered);
    if (!owed)
        return std::nullopt;
    for (Currency Figures::*member : allFigures) {
        const auto rest = ((*owed).*member).minus(earlier.deducted.*member);
        if (!rest)
            return std::nullopt;
        (*owed).*member = *rest;
    }
    if (!owed->employeeTotal())
        return std::nullopt;
    return owed;
}

namespace {

std::optional<Figures> monthFigures(const Rules& rules, const Exemptions& exempt, QDate payDate, const Wages& month,
                                    bool esiCovered)
{
    Figures f;
    const auto pfWages = wagesOf(rules.pfHeads, month);
    const auto esiWages = wagesOf(rules.esiHeads, month);
    const auto grossWages = wagesOf(rules.ptHeads, month);
    if (!pfWages || !esiWages || !grossWages)
        return std::nullopt;
    if (rules.pfOn && !Exemptions::holds(exempt.pfFrom, payDate)) {
        const Currency capped = std::min(*pfWages, rules.pfCeiling);
        f.pfWages = rules.pfOnFullWages ? *pfWages : capped;
        const auto employee = percentHalfUp(f.pfWages, rules.pfRate);
        if (!employee)
            return std::nullopt;
        f.pfEmployee = *employee;
        // A member past the pension's age, or never in it, has the whole employer's share in the fund.
        if (!exempt.pensionStopped(payDate)) {
            f.pensionWages = capped;
            const auto pension = percentHalfUp(f.pensionWages, rules.pensionRate);
            if (!pension)
                return std::nullopt;
            f.pension = std::min(*pension, rules.pensionCap);
        }
        // The employer pays as much as the employee; what is not for the pension stays in the fund.
        f.pfEmployer = std::max(Currency(), f.pfEmployee.minus(f.pension).value_or(Currency()));
    }
    // Once covered, every rupee of the insurance's wages is charged, overtime over the limit included.
    if (esiCovered) {
        f.esiWages = *esiWages;
        const auto employee = percentUp(*esiWages, rules.esiEmployeeRate);
        const auto employer = percentUp(*esiWages, rules.esiEmployerRate);
        if (!employee || !employer)
            return std::nullopt;
        f.esiEmployee = *employee;
        f.esiEmployer = *employer;
    }
    if (rules.ptOn && !Exemptions::holds(exempt.ptFrom, payDate)) {
        // The slab with the highest start the wages reach, in whatever order the slabs stand.
        const Slab* reached = nullptr;
        for (const Slab& slab : rules.ptSlabs)
            if (slab.from <= *grossWages && (!reached || slab.from > reached->from))
                reached = &slab;
        if (reached)
            f.professionalTax = reached->tax;
    }
    if (!f.employeeTotal())
        return std::nullopt;
    return f;
}

} // namespace

rules::Verdict possible(const Rules& rules, const Figures& f)
{
    const auto none = [](const char* field, const char* what, std::initializer_list<Currency> figures) -> rules::Verdict {
        for (Currency figure : figures)
            if (!figure.isZero())
                return broken(field, QStringLiteral("The row has %1 figures, but its company deducted none on its "
                                                    "date.")
                                         .arg(QLatin1String(what)));
        return {};
    };
    const auto atMost = [](const char* field, const char* what, Currency figure, std::optional<Currency> most) {
        return most && figure > *most ? broken(field, QStringLiteral("The %1 (%2) is more than the rules of its date allow "
                                                                     "(%3).")
                                                          .arg(QLatin1String(what), figure.toString(), most->toString()))
                                       : rules::Verdict();
    };
    if (!rules.pfOn) {
        if (auto v = none("pfemp", "provident fund", {f.pfWages, f.pensionWages, f.pfEmployee, f.pension, f.pfEmployer}))
            return v;
    } else {
        for (auto v : {atMost("pswages", "pension wages", f.pensionWages, rules.pfCeiling),
                       atMost("pfwages", "provident fund wages", f.pfWages,
                              rules.pfOnFullWages ? std::optional<Currency>() : rules.pfCeiling),
                       atMost("pfemp", "provident fund deduction", f.pfEmployee, percentUp(f.pfWages, rules.pfRate)),
                       atMost("pfer", "employer's provident fund", f.pfEmployer, percentUp(f.pfWages, rules.pfRate)),
                       atMost("pfpen", "pension contribution", f.pension, rules.pensionCap)})
            if (v)
                return v;
    }
    if (!rules.esiOn) {
        if (auto v = none("esiemp", "insurance", {f.esiWages, f.esiEmployee, f.esiEmployer}))
            return v;
    } else {
        // A member covered stays covered to the end of the contribution period, and overtime is
        // charged beyond the limit: the wages charged have no bound of their own.
        for (auto v : {atMost("esiemp", "insurance deduction", f.esiEmployee, percentUp(f.esiWages, rules.esiEmployeeRate)),
                       atMost("esier", "employer's insurance", f.esiEmployer, percentUp(f.esiWages, rules.esiEmployerRate))})
            if (v)
                return v;
    }
    if (!rules.ptOn)
        return none("ptax", "professional tax", {f.professionalTax});
    Currency highest;
    for (const Slab& slab : rules.ptSlabs)
        highest = std::max(highest, slab.tax);
    return atMost("ptax", "professional tax", f.professionalTax, highest);
}

std::optional<Currency> earnedInMonth(Divisor divisor, QDate payDate, Currency monthly, Currency daily,
                                      Currency daysPresent, Currency earlierDays)
{
    if (divisor == Divisor::Calendar || earlierDays <= Currency())
        return earned(divisor, payDate, monthly, daily, daysPresent);
    const auto days = earlierDays.plus(daysPresent);
    const auto month = days ? earned(divisor, payDate, monthly, daily, *days) : std::nullopt;
    const auto before = earned(divisor, payDate, monthly, daily, earlierDays);
    if (!month || !before)
        return std::nullopt;
    return month->minus(*before);
}

Currency unpaidDays(QDate payDate, Currency daysPresent)
{
    const Wide unpaid = Wide(dates::daysInMonth(payDate)) * unitsPerRupee - daysPresent.units();
    return unpaid <= 0 ? Currency() : Currency::fromUnits(qint64(unpaid));
}

int daysNotPaid(QDate payDate, Currency daysPresent)
{
    return int((Wide(unpaidDays(payDate, daysPresent).units()) + unitsPerRupee / 2) / unitsPerRupee);
}

std::optional<Currency> earned(Divisor divisor, QDate payDate, Currency monthly, Currency daily, Currency daysPresent)
{
    if (divisor == Divisor::Calendar) {
        const auto pay = daysPresent.times(daily);
        return pay ? pay->rounded(0) : std::nullopt;
    }
    // An absent month earns nothing, though February's 28 days are fewer than 30 priced.
    if (daysPresent <= Currency())
        return Currency();
    const auto unpaid = unpaidDays(payDate, daysPresent).times(daily);
    const auto rest = unpaid ? monthly.minus(*unpaid) : std::nullopt;
    const auto pay = rest ? rest->rounded(0) : std::nullopt;
    if (!pay)
        return std::nullopt;
    // Absence takes the amount to nothing, never past it (a decrement's amount is below 0).
    return monthly < Currency() ? std::min(*pay, Currency()) : std::max(*pay, Currency());
}

} // namespace statutory
