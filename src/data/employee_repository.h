#pragma once

#include "common/currency.h"
#include "data/status.h"
#include "rules/record_rules.h"
#include "rules/records.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class Database;
struct ScalarRead;

struct EmployeeName {
    qint64 id = 0;
    QString name;
};

class EmployeeRepository {
public:
    explicit EmployeeRepository(const Database& database) : m_db(database) {}

    // Employee numbers are never given out twice, even after a deletion, nor is a number that any
    // ledger refers to; the rules refuse what they refuse.
    Result<qint64> insert(const Employee& employee);
    // The number the next new employee gets: one more than the largest ever given out.
    Result<qint64> nextId() const;
    // Rewrites the employee's row but the basic rate, which only increments and decrements change (a
    // window open meanwhile must not undo them); fails when there is no such employee.
    Status update(const Employee& employee);
    // Deletes the employee's row (nothing of the payroll, loans or advances); fails when there is none.
    Status remove(qint64 id);
    // No value when no employee has that number.
    Result<std::optional<Employee>> find(qint64 id) const;
    // The employees of the transactions, by number; a number no employee has is left out.
    Result<QHash<qint64, Employee>> ofTransactions(const QList<PayrollTransaction>& transactions) const;
    // Every employee, by number.
    Result<QList<Employee>> all() const;
    // Up to limit employees' numbers and names, by number, from the first numbered above after; of
    // one group when a group is given. A list of any length is read a page at a time this way.
    Result<QList<EmployeeName>> namesAfter(qint64 after, int limit, const std::optional<QString>& group = {}) const;
    // Up to limit employees whose names begin with prefix in any letter case: those whose whole
    // name it is first, then by name; of one name the one numbered highest first, as lastNamed()
    // finds it.
    Result<QList<EmployeeName>> namesStarting(const QString& prefix, int limit,
                                              const std::optional<QString>& group = {}) const;
    // The employee of that name in any letter case (the one numbered highest when several are);
    // none when no one has it.
    Result<std::optional<qint64>> lastNamed(const QString& name, const std::optional<QString>& group = {}) const;

    // Whether the employee is there, as a read to run with others; what a refusal of a number
    // nobody has says.
    static ScalarRead existsRead(qint64 id);
    static QString missing(qint64 id);

    // The department and group the employee names are in their masters (given as their names).
    static rules::Verdict checkMasters(const Employee& employee, const QStringList& departments,
                                       const QStringList& groups);

private:
    Status checkMasters(const Employee& employee) const;
    const Database& m_db;
};

// Inside the transaction that writes a row of an employee's ledgers (a loan, an advance): the
// failure when no employee has the number or no company the name.
Status refuseUnknown(const Database& database, qint64 employeeId, const QString& company);
