#include "csv_file.h"

#include "common/currency.h"
#include "rules/record_rules.h"

#include <QLocale>

namespace transfer {

bool CsvReader::next(Record& record)
{
    record = Record();
    QString line;
    do {
        if (m_in.atEnd())
            return false;
        line = m_in.readLine();
        if (++m_line == 1 && line.startsWith(QChar(0xFEFF)))
            line.remove(0, 1);
    } while (line.isEmpty());
    record.line = m_line;
    QString field;
    bool quoted = false;
    bool inQuotes = false;
    qsizetype i = 0;
    while (true) {
        if (i == line.size()) {
            // A quoted field goes on over the line's end.
            if (!inQuotes)
                break;
            if (m_in.atEnd()) {
                record.problem = QStringLiteral("a quote opened here is never closed");
                break;
            }
            field += QLatin1Char('\n');
            line = m_in.readLine();
            ++m_line;
            i = 0;
            continue;
        }
        const QChar c = line.at(i++);
        if (inQuotes) {
            if (c != QLatin1Char('"'))
                field += c;
            else if (i < line.size() && line.at(i) == QLatin1Char('"'))
                field += line.at(i++);
            else
                inQuotes = false;
        } else if (c == QLatin1Char('"') && field.isEmpty() && !quoted) {
            inQuotes = quoted = true;
        } else if (quoted && c != QLatin1Char(',')) {
            if (record.problem.isEmpty())
                record.problem = QStringLiteral("has text after the closing quote of a field");
        } else if (c == QLatin1Char(',')) {
            record.fields << field;
            record.quoted << quoted;
            field.clear();
            quoted = false;
        } else {
            field += c;
        }
    }
    record.fields << field;
    record.quoted << quoted;
    return true;
}

bool HashedFile::open(OpenMode mode)
{
    if (!m_file.open(mode))
        return false;
    return QIODevice::open(mode);
}

QString HashedFile::hash() const
{
    return QString::fromLatin1(m_hash.resultView().toByteArray().toHex());
}

qint64 HashedFile::readData(char* data, qint64 most)
{
    const qint64 read = m_file.read(data, most);
    if (read > 0)
        m_hash.addData(QByteArrayView(data, read));
    return read;
}

std::variant<QVariant, QString> cellValue(const Column& column, const QString& raw, bool quoted, bool dayFirst)
{
    if (raw.contains(QChar::ReplacementCharacter))
        return QStringLiteral("holds characters that are not UTF-8 (save the file as UTF-8)");
    // Texts are stored as the windows store them; a password and the trail's texts are exact.
    const bool exact = column.kind == Kind::Password || column.kind == Kind::Exact;
    // A file's path is found by its exact characters; an address keeps its lines.
    const QString text = exact                                       ? raw
                         : column.name == QStringLiteral("empphoto") ? raw.trimmed()
                                                                     : rules::cleanText(raw, column.name == QStringLiteral("address") ||
                                                                                                 column.name == QStringLiteral("addr"));
    // An empty number that must be there is the reader's to refuse; an empty text, the rules'.
    if (text.isEmpty() && column.required && column.kind != Kind::Text)
        return QStringLiteral("is empty");
    if (text.isEmpty() && !(quoted && (column.kind == Kind::Text || exact)))
        return QVariant();
    switch (column.kind) {
    case Kind::Number: {
        bool ok = false;
        const qint64 n = text.toLongLong(&ok);
        if (!ok)
            return QStringLiteral("\"%1\" is not a whole number").arg(text);
        return QVariant(n);
    }
    case Kind::Amount: {
        const auto a = Currency::parse(text);
        const qsizetype point = text.indexOf(QLatin1Char('.'));
        if (a && point >= 0 && text.size() - point - 1 > 4)
            return QStringLiteral("\"%1\" has more than four decimals").arg(text);
        if (!a)
            return QStringLiteral("\"%1\" is not an amount (digits with a decimal point)").arg(text);
        return QVariant(a->units());
    }
    case Kind::Date: {
        const auto d = parseDate(text, dayFirst);
        if (!d)
            return QStringLiteral("\"%1\" is not a date (05-Mar-2024, %2 or 2024-03-05)")
                .arg(text, dayFirst ? QStringLiteral("05/03/2024") : QStringLiteral("03/05/2024"));
        return QVariant(d->toString(Qt::ISODate));
    }
    case Kind::Time: {
        const auto t = parseTime(text);
        if (!t)
            return QStringLiteral("\"%1\" is not a time (14:05:09 or 2:05:09 PM)").arg(text);
        return QVariant(t->toString(QStringLiteral("HH:mm:ss")));
    }
    case Kind::Password:
    case Kind::Exact:
    case Kind::Text:
        // A quoted empty cell is an empty text, not Null.
        return QVariant(text.isNull() ? QStringLiteral("") : text);
    }
    return QVariant();
}

QString csvCell(const QVariant& value)
{
    if (value.isNull())
        return {};
    QString text = value.toString();
    if (text.isEmpty() || text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) ||
        text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) || text != text.trimmed())
        text = QLatin1Char('"') + text.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
    return text;
}

std::optional<QDate> parseDate(const QString& text, bool dayFirst)
{
    const QString t = text.trimmed();
    // A date and time from a database tool: the date is what counts; after it only a time may stand.
    const QString day = t.section(QLatin1Char(' '), 0, 0);
    const QString rest = t.section(QLatin1Char(' '), 1);
    if (!rest.isEmpty() && !parseTime(rest))
        return std::nullopt;
    const auto plausible = [](QDate d) {
        return d.isValid() && d.year() >= 1900 && d.year() <= 2100 ? std::optional<QDate>(d) : std::nullopt;
    };
    static const QLocale english(QLocale::English);
    for (const QString& format :
         {QStringLiteral("yyyy-MM-dd"), QStringLiteral("dd-MMM-yyyy"), QStringLiteral("d-MMM-yyyy")}) {
        const QDate d = english.toDate(day, format);
        if (d.isValid())
            return plausible(d);
    }
    const QStringList parts = day.split(QLatin1Char('/'));
    if (parts.size() == 3 && parts.at(2).size() == 4) {
        bool okA = false, okB = false, okY = false;
        const int a = parts.at(0).toInt(&okA);
        const int b = parts.at(1).toInt(&okB);
        const int y = parts.at(2).toInt(&okY);
        if (okA && okB && okY)
            return plausible(dayFirst ? QDate(y, b, a) : QDate(y, a, b));
    }
    return std::nullopt;
}

std::optional<QTime> parseTime(const QString& text)
{
    QString t = text.trimmed();
    // A time from a database tool may come with the date 30/12/1899 before it.
    if (t.count(QLatin1Char(' ')) >= 1 && (t.contains(QLatin1Char('/')) || t.contains(QLatin1Char('-'))))
        t = t.section(QLatin1Char(' '), 1);
    static const QLocale english(QLocale::English);
    for (const QString& format :
         {QStringLiteral("HH:mm:ss"), QStringLiteral("H:mm:ss"), QStringLiteral("HH:mm"), QStringLiteral("H:mm"),
          QStringLiteral("h:mm:ss AP"), QStringLiteral("h:mm AP"), QStringLiteral("hh:mm:ss AP")}) {
        const QTime time = english.toTime(t, format);
        if (time.isValid())
            return time;
    }
    return std::nullopt;
}

} // namespace transfer
