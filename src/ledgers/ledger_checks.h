#pragma once

#include "common/currency.h"

#include <QString>

#include <optional>

class Prompter;
class QLineEdit;

// What the loan and advance windows check and say alike.
namespace ledger {

// The amount typed in the box, when it is a number and within [minimum, maximum] (no maximum when
// not given); otherwise the operator is told what is wanted, the box takes the focus, and nothing.
std::optional<Currency> amountIn(Prompter& prompter, QLineEdit* box, const QString& what, Currency minimum,
                                 std::optional<Currency> maximum = {});
// The smallest amount above 0 that is typed: one paisa.
inline Currency onePaisa()
{
    return Currency::fromUnits(100);
}
// "1 loan entry", "3 loan entries".
QString count(qint64 n, const QString& one, const QString& many);

} // namespace ledger
