#pragma once

#include "common/currency.h"
#include "data/status.h"
#include "rules/records.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QTime>

class Database;

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
