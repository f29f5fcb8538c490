#include "amount_words.h"

#include <QStringList>

namespace {

const char* const units[] = {"",        "One",     "Two",       "Three",    "Four",     "Five",    "Six",
                             "Seven",   "Eight",   "Nine",      "Ten",      "Eleven",   "Twelve",  "Thirteen",
                             "Fourteen", "Fifteen", "Sixteen",  "Seventeen", "Eighteen", "Nineteen"};
const char* const tens[] = {"", "", "Twenty", "Thirty", "Forty", "Fifty", "Sixty", "Seventy", "Eighty", "Ninety"};

// 1..99.
QString belowHundred(quint64 n)
{
    if (n < 20)
        return QString::fromLatin1(units[n]);
    const QString ten = QString::fromLatin1(tens[n / 10]);
    return n % 10 == 0 ? ten : ten + QLatin1Char(' ') + QString::fromLatin1(units[n % 10]);
}

// A whole number above zero in the Indian way: crores, lakhs, thousands, hundreds, and the last
// two digits after "and" when anything comes before them ("One Thousand and Five").
QString wholeInWords(quint64 n)
{
    QStringList parts;
    const quint64 crores = n / 10000000;
    if (crores > 0)
        parts << wholeInWords(crores) + QStringLiteral(" Crore");
    n %= 10000000;
    if (const quint64 lakhs = n / 100000; lakhs > 0)
        parts << belowHundred(lakhs) + QStringLiteral(" Lakh");
    n %= 100000;
    if (const quint64 thousands = n / 1000; thousands > 0)
        parts << belowHundred(thousands) + QStringLiteral(" Thousand");
    n %= 1000;
    if (const quint64 hundreds = n / 100; hundreds > 0)
        parts << belowHundred(hundreds) + QStringLiteral(" Hundred");
    n %= 100;
    if (n > 0) {
        if (!parts.isEmpty())
            parts << QStringLiteral("and");
        parts << belowHundred(n);
    }
    return parts.join(QLatin1Char(' '));
}

} // namespace

QString amountInWords(Currency amount)
{
    const Currency paise = amount.rounded(2).value_or(amount);
    const bool negative = paise.units() < 0;
    const quint64 magnitude = negative ? 0 - quint64(paise.units()) : quint64(paise.units());
    const quint64 hundredths = magnitude / 100; // units are ten-thousandths
    const quint64 rupees = hundredths / 100;
    const quint64 cents = hundredths % 100;
    QString text = negative ? QStringLiteral("Minus ") : QString();
    if (rupees > 0 || cents == 0)
        text += QStringLiteral("Rupees ") + (rupees > 0 ? wholeInWords(rupees) : QStringLiteral("Zero"));
    if (cents > 0)
        text += (rupees > 0 ? QStringLiteral(" and Paise ") : QStringLiteral("Paise ")) + belowHundred(cents);
    return text + QStringLiteral(" Only");
}
