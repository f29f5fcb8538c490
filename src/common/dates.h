#pragma once

#include <QDate>
#include <QString>

// Date texts used across the program. Month names are always English, whatever the system locale,
// because stored texts such as "March2024" must read the same on every machine.
namespace dates {

int daysInMonth(QDate date);

QString storageText(QDate date); // 2024-03-31, the stored form
QDate fromStorageText(const QString& text);
QString displayText(QDate date);      // 31/03/2024
QString dayMonthYearText(QDate date); // 31-Mar-2024
QString monthYearText(QDate date);    // March2024
QDate fromMonthYearText(const QString& text); // the month's first day; invalid for another text
QString monthName(QDate date);        // March

QDate firstOfMonth(QDate date);
QDate lastOfMonth(QDate date);

} // namespace dates
