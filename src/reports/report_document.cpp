#include "report_document.h"

#include "common/dates.h"

namespace report {

namespace {

QString amountText(Currency amount, Purpose purpose)
{
    return amount.toFixedText(purpose == Purpose::Paper);
}

QString dateText(QDate date, Format format, Purpose purpose)
{
    if (!date.isValid())
        return {};
    if (format == Format::MonthYear)
        return dates::monthName(date) + QLatin1Char(' ') + QString::number(date.year());
    return purpose == Purpose::Paper ? dates::displayText(date) : dates::storageText(date);
}

} // namespace

QString formatted(const Value& value, Format format, Purpose purpose)
{
    if (format == Format::Signature)
        return {};
    if (const auto* text = std::get_if<QString>(&value))
        return *text;
    if (const auto* number = std::get_if<qint64>(&value)) {
        const auto whole = Currency::fromWhole(*number);
        return format == Format::Amount && whole ? amountText(*whole, purpose) : QString::number(*number);
    }
    if (const auto* amount = std::get_if<Currency>(&value))
        return format == Format::Amount ? amountText(*amount, purpose) : amount->toString();
    if (const auto* date = std::get_if<QDate>(&value))
        return dateText(*date, format, purpose);
    return {};
}

bool Document::setLabel(const QString& labelName, const QString& text)
{
    for (QList<Label>& line : heading)
        for (Label& label : line)
            if (label.name == labelName) {
                label.text = text;
                return true;
            }
    return false;
}

QString Document::label(const QString& labelName) const
{
    for (const QList<Label>& line : heading)
        for (const Label& label : line)
            if (label.name == labelName)
                return label.text;
    return {};
}

int Document::columnIndex(const QString& caption) const
{
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns.at(i).caption == caption)
            return i;
    return -1;
}

QString Document::text(int row, int column, Purpose purpose) const
{
    return formatted(value(row, column), m_columns.at(column).format, purpose);
}

bool Document::hasSums() const
{
    for (const Column& column : m_columns)
        if (column.summed)
            return true;
    return false;
}

QList<Value> Document::sums() const
{
    QList<Value> sums(m_columns.size());
    for (int column = 0; column < m_columns.size(); ++column) {
        if (!m_columns.at(column).summed)
            continue;
        // One rule for every total, on screen, paper, CSV and the command line: the exact sum of the
        // stored amounts, rounded once where it is shown. Amounts of four decimals (from an import)
        // may then differ by a paisa from the sum of their printed lines, never from the money.
        std::optional<Currency> total = Currency();
        for (int row = 0; row < m_rowCount && total; ++row) {
            const Value v = value(row, column);
            if (const auto* amount = std::get_if<Currency>(&v)) {
                total = total->plus(*amount);
            } else if (const auto* number = std::get_if<qint64>(&v)) {
                const auto whole = Currency::fromWhole(*number);
                total = whole ? total->plus(*whole) : std::nullopt;
            }
        }
        if (total)
            sums[column] = *total;
    }
    return sums;
}

} // namespace report
