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

#include <memory>
#include <optional>

class Database;
class LedgerFacts;
class SqlQuery;
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

    // Employees written one after another in the caller's write transaction (an import of many), each
    // checked as insert() checks one. A number given must never have been given out before (to an
    // employee, or to rows of one deleted since), unless the database held nothing when the writing
    // began (the history of another system, whose numbers it keeps); no number gives the next one.
    class Batch {
    public:
        Batch(const Database& database, LedgerFacts& facts);
        ~Batch();
        Status begin();
        // line: where the row came from (see add's refusal of a number far ahead).
        Status add(const Employee& employee, qint64 line);

    private:
        const Database& m_db;
        LedgerFacts& m_facts;
        QStringList m_departments, m_groups;
        qint64 m_firstNew = 1; // numbers below it were given out before the writing began
        qint64 m_next = 1;
        std::unique_ptr<SqlQuery> m_insert;
    };

    // An employee read from the values of the stored columns in their order (ID, emname, …,
    // bankname): a stored row (a query's) or a file's row alike, so that both are read by this one
    // reading.
    template <typename Row>
    static Employee fromRow(const Row& row);

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

template <typename Row>
Employee EmployeeRepository::fromRow(const Row& query)
{
    Employee e;
    e.id = query.number(0);
    e.name = query.text(1);
    e.gender = query.text(2);
    e.civilStatus = query.text(3);
    e.address = query.text(4);
    e.department = query.text(5);
    e.position = query.text(6);
    e.employmentStatus = query.text(7);
    e.basicRate = query.amount(8);
    e.dateEmployed = query.date(9);
    e.photo = query.text(10);
    e.group = query.text(11);
    e.pfNumber = query.text(12);
    e.esiNumber = query.text(13);
    e.exemptions.pfFrom = query.date(14);
    e.exemptions.esiFrom = query.date(15);
    e.exemptions.ptFrom = query.date(16);
    // A mode no version of Kestrel writes reads as a transfer: listed for the clerk, never lost.
    e.bank.mode = bank::modeFromStored(query.text(17)).value_or(bank::PayMode::Transfer);
    e.bank.holder = query.text(18);
    e.bank.account = query.text(19);
    e.bank.branchCode = query.text(20);
    e.bank.bankName = query.text(21);
    e.exemptions.birthDate = query.date(22);
    // Stored before the pension was asked about: a member, as every member of the fund was.
    e.exemptions.pensionMember = query.text(23) != QLatin1String("0");
    return e;
}
