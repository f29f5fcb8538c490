#pragma once

#include "common/currency.h"
#include "data/status.h"
#include "rules/records.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QTime>

#include <memory>
#include <optional>

class Database;
class LedgerFacts;
class SqlQuery;

class AdvanceRepository {
public:
    explicit AdvanceRepository(const Database& database) : m_db(database) {}

    // Advances written one after another in the caller's write transaction (an import of many), each
    // checked as insert() checks one (see LoanRepository::Batch).
    class Batch {
    public:
        Batch(const Database& database, LedgerFacts& facts, bool history);
        ~Batch();
        Status add(const Advance& advance);

    private:
        LedgerFacts& m_facts;
        bool m_history;
        std::unique_ptr<SqlQuery> m_insert;
    };

    Status insert(const Advance& advance);
    // All of the employee's advances dated in the month of `month`.
    Result<Currency> monthTotal(qint64 employeeId, QDate month) const;

    // The company's advances paid from `from` to `to` (both included), by employee number, then date.
    Result<QList<Advance>> paid(const QString& company, QDate from, QDate to) const;
    // How many advances the employee has of the company on that date.
    Result<qint64> count(const QString& company, qint64 employeeId, QDate date) const;
    // Changes of the advances of one employee, company and date; each gives how many it changed.
    Result<qint64> setAmount(const QString& company, qint64 employeeId, QDate date, Currency amount);
    Result<qint64> remove(const QString& company, qint64 employeeId, QDate date);
    // Every advance of the company; the other companies' stay.
    Result<qint64> removeAll(const QString& company);

private:
    // Runs statement (with value bound first, when given) on the advances of the employee, company
    // and date, unless the month is closed, leaving each changed row's entry in the trail.
    Result<qint64> change(const QString& company, qint64 employeeId, QDate date, const QString& statement,
                          const std::optional<Currency>& value);
    const Database& m_db;
};
