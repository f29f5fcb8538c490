#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <compare>
#include <optional>

// How the digits of a figure's whole part are grouped where people read it: as the system's locale
// groups them, in the Indian way (lakhs and crores: 1,00,000.00) or in threes (100,000.00).
enum class Grouping { System, Indian, International };

// A money or quantity value held as a signed count of ten-thousandths, so that sums are exact.
// Every operation that could leave the 64-bit range reports it (an empty optional) instead of
// wrapping around.
class Currency {
public:
    static constexpr qint64 Scale = 10000;
    static constexpr int Decimals = 4;

    constexpr Currency() = default;
    static constexpr Currency fromUnits(qint64 units) { return Currency(units); }
    static std::optional<Currency> fromWhole(qint64 whole);

    // Operator text: optional '-', digits with at most one '.'; surrounding blanks are ignored.
    // Digits past the fourth decimal are rounded half to even. Empty text, a lone '.', two points,
    // letters and values out of range give an empty optional.
    static std::optional<Currency> parse(QStringView text);
    static std::optional<Currency> parse(const QString& text) { return parse(QStringView(text)); }

    constexpr qint64 units() const { return m_units; }
    bool isZero() const { return m_units == 0; }

    // Shortest text: no thousands separator, no trailing zeros ("5000", "322.58", "-12.5").
    QString toString() const;

    // Two decimals, rounded half to even; grouped as the installation groups figures when asked
    // ("12,500.00" or "1,00,000.00"), otherwise plain ("12500.00").
    QString toFixedText(bool grouped) const;
    // The shortest text, grouped as the installation groups figures ("1,00,000", "6,408.25"): for a
    // figure a window shows and nobody types over.
    QString toGroupedText() const;

    // The installation's grouping, for every window, report and payslip (files for other programs
    // stay plain). Set once at start-up from the settings, and when the operator changes it.
    static void setGrouping(Grouping grouping);
    static Grouping grouping();
    // What an installation starts with: the Indian grouping where the system's locale is Indian,
    // otherwise the system's own.
    static Grouping defaultGrouping();

    // Rounds to 0..4 decimals, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
    std::optional<Currency> rounded(int decimals) const;

    std::optional<Currency> plus(Currency other) const;
    std::optional<Currency> minus(Currency other) const;
    // Exact products and quotients (no floating point), rounded half to even at four decimals.
    std::optional<Currency> times(Currency factor) const;
    std::optional<Currency> dividedBy(qint64 divisor) const;

    friend constexpr bool operator==(Currency a, Currency b) = default;
    friend constexpr auto operator<=>(Currency a, Currency b) = default;

private:
    constexpr explicit Currency(qint64 units) : m_units(units) {}
    qint64 m_units = 0;
};

// Sums any number of values; empty when the total leaves the range.
template <typename... Values>
std::optional<Currency> sumOf(Currency first, Values... rest)
{
    std::optional<Currency> total = first;
    ((total = total ? total->plus(rest) : std::nullopt), ...);
    return total;
}
