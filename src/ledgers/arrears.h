#pragma once

#include "common/currency.h"
#include "rules/statutory.h"

#include <QDate>

#include <optional>

// The arithmetic of salary revisions, apart from any window. R(x, n) rounds half to even.
namespace revision {

struct Arrears {
    Currency ratePerDay; // R(increment / divisor, 2): the days of the month, or the company's 30 or 26
    Currency paid;       // what the days earn of the increment at that rate, as the month's pay earns
};

// What an increment owes back for one payroll month; nothing when a figure leaves the range.
// The month is divided as its pay was: by the divisor of the rules in force on its pay date.
// A month of several transactions owes what its days together earn of the increment: `earlierDays`
// are its earlier transactions' days.
std::optional<Arrears> arrearsFor(Currency increment, QDate payDate, Currency daysPresent,
                                  statutory::Divisor divisor = statutory::Divisor::Calendar,
                                  Currency earlierDays = {});

// The basic rate after an increment (or, with a negative change, a decrement): R(R(old, 0) + change, 0).
std::optional<Currency> revisedRate(Currency oldRate, Currency change);

} // namespace revision
