#include "currency.h"

#include <cmath>
#include <limits>

namespace {

constexpr qint64 powerOfTen(int n)
{
    qint64 p = 1;
    for (int i = 0; i < n; ++i)
        p *= 10;
    return p;
}

// Divides a non-negative count by step, rounding the quotient half to even.
qint64 divideHalfEven(quint64 value, quint64 step)
{
    const quint64 quotient = value / step;
    const quint64 remainder = value % step;
    const quint64 twice = remainder * 2;
    if (twice > step || (twice == step && (quotient % 2) == 1))
        return qint64(quotient + 1);
    return qint64(quotient);
}

} // namespace

std::optional<Currency> Currency::fromWhole(qint64 whole)
{
    qint64 units = 0;
    if (__builtin_mul_overflow(whole, Scale, &units))
        return std::nullopt;
    return Currency(units);
}

std::optional<Currency> Currency::parse(QStringView text)
{
    text = text.trimmed();
    bool negative = false;
    if (text.startsWith(u'-')) {
        negative = true;
        text = text.mid(1);
    }
    qint64 whole = 0;
    qint64 fraction = 0; // first four decimals, as units
    int fractionDigits = 0;
    int digits = 0;
    bool seenPoint = false;
    // Digits past the fourth decimal only decide the rounding of the last unit.
    int firstDropped = -1;
    bool nonZeroAfterFirstDropped = false;
    for (QChar c : text) {
        if (c == u'.') {
            if (seenPoint)
                return std::nullopt;
            seenPoint = true;
            continue;
        }
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const int d = c.unicode() - u'0';
        ++digits;
        if (!seenPoint) {
            if (__builtin_mul_overflow(whole, 10, &whole) || __builtin_add_overflow(whole, d, &whole))
                return std::nullopt;
        } else if (fractionDigits < Decimals) {
            fraction = fraction * 10 + d;
            ++fractionDigits;
        } else if (firstDropped < 0) {
            firstDropped = d;
        } else if (d != 0) {
            nonZeroAfterFirstDropped = true;
        }
    }
    if (digits == 0)
        return std::nullopt;
    fraction *= powerOfTen(Decimals - fractionDigits);
    qint64 units = 0;
    if (__builtin_mul_overflow(whole, Scale, &units) || __builtin_add_overflow(units, fraction, &units))
        return std::nullopt;
    if (firstDropped > 5 || (firstDropped == 5 && (nonZeroAfterFirstDropped || units % 2 == 1))) {
        if (__builtin_add_overflow(units, 1, &units))
            return std::nullopt;
    }
    return Currency(negative ? -units : units);
}

std::optional<Currency> Currency::fromDouble(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double scaled = value * double(Scale);
    // The largest double below 2^63: anything at or beyond it does not fit.
    constexpr double limit = 9223372036854774784.0;
    if (!(std::fabs(scaled) <= limit))
        return std::nullopt;
    // nearbyint uses the default rounding mode, round half to even.
    return Currency(qint64(std::nearbyint(scaled)));
}

QString Currency::toString() const
{
    const bool negative = m_units < 0;
    const quint64 magnitude = negative ? quint64(0) - quint64(m_units) : quint64(m_units);
    const quint64 whole = magnitude / Scale;
    quint64 fraction = magnitude % Scale;
    QString text = QString::number(whole);
    if (fraction != 0) {
        QString decimals = QString::number(fraction).rightJustified(Decimals, u'0');
        while (decimals.endsWith(u'0'))
            decimals.chop(1);
        text += u'.' + decimals;
    }
    return negative ? u'-' + text : text;
}

std::optional<Currency> Currency::rounded(int decimals) const
{
    if (decimals >= Decimals)
        return *this;
    if (decimals < 0)
        decimals = 0;
    const qint64 step = powerOfTen(Decimals - decimals);
    const bool negative = m_units < 0;
    const quint64 magnitude = negative ? quint64(0) - quint64(m_units) : quint64(m_units);
    const qint64 steps = divideHalfEven(magnitude, quint64(step));
    qint64 units = 0;
    if (__builtin_mul_overflow(steps, step, &units))
        return std::nullopt;
    return Currency(negative ? -units : units);
}

std::optional<Currency> Currency::plus(Currency other) const
{
    qint64 units = 0;
    if (__builtin_add_overflow(m_units, other.m_units, &units))
        return std::nullopt;
    return Currency(units);
}

std::optional<Currency> Currency::minus(Currency other) const
{
    qint64 units = 0;
    if (__builtin_sub_overflow(m_units, other.m_units, &units))
        return std::nullopt;
    return Currency(units);
}

std::optional<Currency> Currency::times(double factor) const
{
    return fromDouble(toDouble() * factor);
}

std::optional<Currency> Currency::dividedBy(double divisor) const
{
    if (divisor == 0.0)
        return std::nullopt;
    return fromDouble(toDouble() / divisor);
}
