#pragma once

#include "common/currency.h"
#include "data/status.h"
#include "rules/record_rules.h"
#include "rules/records.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QTime>

#include <memory>

class Database;
class LedgerFacts;
class SqlQuery;

// Increments with their arrears, and decrements. Each save writes its rows and the new basic rate
// in one transaction: all or nothing.
class RevisionRepository {
public:
    explicit RevisionRepository(const Database& database) : m_db(database) {}

    // Increments, decrements and arrears written one after another in the caller's write
    // transaction (the history of an import), each checked by the rules a save checks and of an
    // employee and a company that are there, or were: the rates they changed are the employees' as
    // given, and the arrears dated as given.
    class Batch {
    public:
        Batch(const Database& database, LedgerFacts& facts);
        ~Batch();
        Status add(Revision revision, rules::RevisionKind kind);
        Status add(ArrearsRow arrears);

    private:
        LedgerFacts& m_facts;
        std::unique_ptr<SqlQuery> m_arrears, m_increments, m_decrements;
    };

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
