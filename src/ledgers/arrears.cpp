#include "arrears.h"

#include "common/dates.h"

namespace revision {

std::optional<Arrears> arrearsFor(Currency increment, QDate payDate, Currency daysPresent)
{
    const auto perDay = increment.dividedBy(dates::daysInMonth(payDate));
    const auto rate = perDay ? perDay->rounded(2) : std::nullopt;
    const auto owed = rate ? daysPresent.times(*rate) : std::nullopt;
    const auto paid = owed ? owed->rounded(0) : std::nullopt;
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
