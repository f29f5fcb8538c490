#include "arrears.h"

#include "common/dates.h"

#include <limits>

namespace revision {

namespace {

__extension__ typedef __int128 Wide;

// n / d rounded half to even, d > 0: one rounding of the exact quotient.
Wide dividedHalfEven(Wide n, Wide d)
{
    Wide q = n / d;
    Wide r = n % d;
    if (r < 0) {
        q -= 1;
        r += d;
    }
    if (2 * r > d || (2 * r == d && q % 2 != 0))
        q += 1;
    return q;
}

std::optional<Currency> fromUnits(Wide units)
{
    if (units > std::numeric_limits<qint64>::max() || units < std::numeric_limits<qint64>::min())
        return std::nullopt;
    return Currency::fromUnits(qint64(units));
}

} // namespace

std::optional<Arrears> arrearsFor(Currency increment, QDate payDate, Currency daysPresent, statutory::Divisor divisor,
                                  Currency earlierDays)
{
    // Each figure is rounded once, from its exact value: units are ten-thousandths, so a rate in
    // paise is units / 100 and a whole amount units / 10000.
    const Wide days = statutory::divisorDays(divisor, payDate);
    const auto rate = fromUnits(dividedHalfEven(Wide(increment.units()), days * 100) * 100);
    if (!rate)
        return std::nullopt;
    // The days are priced as the month's pay prices them.
    const auto paid = statutory::earnedInMonth(divisor, payDate, increment, *rate, daysPresent, earlierDays);
    if (!paid)
        return std::nullopt;
    return Arrears{*rate, *paid};
}

std::optional<Currency> revisedRate(Currency oldRate, Currency change)
{
    const auto whole = oldRate.rounded(0);
    const auto revised = whole ? whole->plus(change) : std::nullopt;
    return revised ? revised->rounded(0) : std::nullopt;
}

} // namespace revision
