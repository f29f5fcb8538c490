#include "dates.h"

#include <QLocale>

namespace dates {

namespace {
const QLocale& english()
{
    static const QLocale locale(QLocale::English, QLocale::UnitedStates);
    return locale;
}
} // namespace

int daysInMonth(QDate date)
{
    return date.daysInMonth();
}

QString storageText(QDate date)
{
    return date.toString(Qt::ISODate);
}

QDate fromStorageText(const QString& text)
{
    return QDate::fromString(text.left(10), Qt::ISODate);
}

QString displayText(QDate date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

QString dayMonthYearText(QDate date)
{
    return english().toString(date, QStringLiteral("dd-MMM-yyyy"));
}

QString monthName(QDate date)
{
    return english().monthName(date.month(), QLocale::LongFormat);
}

QString monthYearText(QDate date)
{
    return monthName(date) + QString::number(date.year());
}

QDate fromMonthYearText(const QString& text)
{
    const QString trimmed = text.trimmed();
    for (int month = 1; month <= 12; ++month) {
        const QString name = monthName(QDate(2000, month, 1));
        if (!trimmed.startsWith(name, Qt::CaseInsensitive))
            continue;
        bool ok = false;
        const int year = trimmed.mid(name.size()).trimmed().toInt(&ok);
        return ok && year > 0 ? QDate(year, month, 1) : QDate();
    }
    return {};
}

QDate firstOfMonth(QDate date)
{
    return QDate(date.year(), date.month(), 1);
}

QDate lastOfMonth(QDate date)
{
    return QDate(date.year(), date.month(), date.daysInMonth());
}

} // namespace dates
