#pragma once

#include "common/currency.h"
#include "data/status.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QTime>

class Database;

// One month's arrears of an increment (a row of arr).
struct ArrearsRow {
    qint64 employeeId = 0;
    QString name;
    Currency increment;   // increamt
    QString month;        // incredt: "March2024"
    Currency daysPresent; // noofpre, fractions kept
    Currency paid;        // amtpaid
    QString company;
    QDate payDate; // ddat1: the payroll row's date
};

// A salary increment (incre) or decrement (decre).
struct Revision {
    qint64 employeeId = 0;
    QString name;
    Currency amount;
    QDate date;
    QTime time;
    QDate from; // increments only: the arrears period
    QDate to;
    QString company;
};

// Increments with their arrears, and decrements. Each save writes its rows and the new basic rate
// in one transaction: all or nothing.
class RevisionRepository {
public:
    explicit RevisionRepository(const Database& database) : m_db(database) {}

    // The employee's arrears of the company paid for payroll months from `from` to `to`, by date.
    Result<QList<ArrearsRow>> arrears(const QString& company, qint64 employeeId, QDate from, QDate to) const;
    // The basic rate goes from oldRate to newRate; when it is no longer oldRate (another workstation
    // changed it), nothing is saved and the failure says so.
    Status saveIncrement(const Revision& increment, const QList<ArrearsRow>& arrears, Currency oldRate,
                         Currency newRate);
    Status saveDecrement(const Revision& decrement, Currency oldRate, Currency newRate);
    // The employee's decrements of the company, by date.
    Result<QList<Revision>> decrements(const QString& company, qint64 employeeId) const;

private:
    const Database& m_db;
};
