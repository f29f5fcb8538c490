#include "currency.h"

#include <QLocale>

#include <limits>

namespace {

// Products of two counts need more than 64 bits before they are scaled back.
__extension__ typedef __int128 Wide;

constexpr qint64 powerOfTen(int n)
{
    qint64 p = 1;
    for (int i = 0; i < n; ++i)
        p *= 10;
    return p;
}

// Divides by a positive divisor, rounding the quotient half to even (of either sign).
Wide divideHalfEven(Wide value, Wide divisor)
{
    const bool negative = value < 0;
    const Wide magnitude = negative ? -value : value;
    Wide quotient = magnitude / divisor;
    const Wide twice = (magnitude % divisor) * 2;
    if (twice > divisor || (twice == divisor && quotient % 2 == 1))
        ++quotient;
    return negative ? -quotient : quotient;
}

std::optional<Currency> fromWide(Wide units)
{
    if (units > std::numeric_limits<qint64>::max() || units < std::numeric_limits<qint64>::min())
        return std::nullopt;
    return Currency::fromUnits(qint64(units));
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
    return fromWide(divideHalfEven(m_units, step) * step);
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

std::optional<Currency> Currency::times(Currency factor) const
{
    return fromWide(divideHalfEven(Wide(m_units) * factor.m_units, Scale));
}

std::optional<Currency> Currency::dividedBy(qint64 divisor) const
{
    if (divisor == 0)
        return std::nullopt;
    const Wide units = divisor < 0 ? -Wide(m_units) : Wide(m_units);
    return fromWide(divideHalfEven(units, divisor < 0 ? -Wide(divisor) : Wide(divisor)));
}

namespace {

Grouping& installationGrouping()
{
    static Grouping grouping = Currency::defaultGrouping();
    return grouping;
}

// The digits of a whole number with commas: the last three together, then in twos (Indian) or
// in threes (international).
QString commaGrouped(quint64 whole, bool indian)
{
    const QString digits = QString::number(whole);
    QString out;
    int group = 3;
    int inGroup = 0;
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        if (inGroup == group) {
            out.prepend(QLatin1Char(','));
            inGroup = 0;
            if (indian)
                group = 2;
        }
        out.prepend(digits.at(i));
        ++inGroup;
    }
    return out;
}

QString groupedWhole(quint64 whole)
{
    switch (Currency::grouping()) {
    case Grouping::Indian:
        return commaGrouped(whole, true);
    case Grouping::International:
        return commaGrouped(whole, false);
    case Grouping::System:
        break;
    }
    return QLocale().toString(whole);
}

QString groupedPoint()
{
    return Currency::grouping() == Grouping::System ? QLocale().decimalPoint() : QStringLiteral(".");
}

} // namespace

void Currency::setGrouping(Grouping grouping)
{
    installationGrouping() = grouping;
}

Grouping Currency::grouping()
{
    return installationGrouping();
}

Grouping Currency::defaultGrouping()
{
    return QLocale::system().territory() == QLocale::India ? Grouping::Indian : Grouping::System;
}

QString Currency::toFixedText(bool grouped) const
{
    const Currency cents = rounded(2).value_or(*this);
    const bool negative = cents.m_units < 0;
    const quint64 magnitude = negative ? 0 - quint64(cents.m_units) : quint64(cents.m_units);
    const quint64 hundredths = magnitude / 100; // units are ten-thousandths
    const QString whole = grouped ? groupedWhole(hundredths / 100) : QString::number(hundredths / 100);
    const QString point = grouped ? groupedPoint() : QStringLiteral(".");
    return (negative ? QStringLiteral("-") : QString()) + whole + point +
           QStringLiteral("%1").arg(hundredths % 100, 2, 10, QLatin1Char('0'));
}

QString Currency::toGroupedText() const
{
    const QString plain = toString();
    const bool negative = plain.startsWith(QLatin1Char('-'));
    const qsizetype point = plain.indexOf(QLatin1Char('.'));
    const QString wholeDigits = plain.mid(negative ? 1 : 0, (point < 0 ? plain.size() : point) - (negative ? 1 : 0));
    const QString fraction = point < 0 ? QString() : groupedPoint() + plain.mid(point + 1);
    return (negative ? QStringLiteral("-") : QString()) + groupedWhole(wholeDigits.toULongLong()) + fraction;
}
