#pragma once

#include "data/sql_query.h"
#include "data/status.h"
#include "rules/records.h"

#include <QString>
#include <QStringList>

#include <memory>

class Database;
class LedgerFacts;

// New payroll transactions written one after another inside the caller's write transaction (an
// import of many rows), each checked as PayrollRepository::save() checks one: by the same rules,
// refused in a closed month, of an employee or a company nobody has, recovering more than was
// lent, or as a second transaction of its employee's month unless that was agreed to. What it
// knows of the stored data comes from the facts, which it keeps up to date with every row.
class PayrollBatch {
public:
    // How a row's worked-out columns are taken:
    //  WorkedOut  as the payroll window saves a row: the employee's name, department, group and
    //             monthly rate, the total lent, the month's advances and the loan instalment
    //             offered fill what the row leaves empty, and every figure is worked out under the
    //             rules in force on the row's date; a figure the row gives must be the one worked out.
    //  AsPaid     the history of another system, paid already: kept as the row gives it, when it
    //             is possible (within the limits, no statutory figure beyond what its date's rules
    //             allow, nothing recovered beyond what was lent).
    enum class Figures { WorkedOut, AsPaid };
    PayrollBatch(const Database& database, LedgerFacts& facts, Figures figures, bool secondInMonth);
    // Reads the group master, which a row's group must be in (the window offers only its groups).
    Status begin();

    // Which columns a row gives: a bit for each of payroll_row::columns(), in their order, and
    // transIdGiven for its number.
    static constexpr quint64 transIdGiven = quint64(1) << 63;
    static quint64 givenBit(const QString& column);

    // Checks the row and writes it; a refusal (Status::refused) names the column. line is where the
    // row came from, which names a transaction that has no number yet.
    Status add(PayrollTransaction t, quint64 given, qint64 line);
    // Rows refused only as a second transaction of their employee's month.
    qint64 secondsRefused() const { return m_secondsRefused; }

private:
    Status fillIn(PayrollTransaction& t, quint64 given, const Employee& employee);
    Status checkMonth(const PayrollTransaction& t);
    Status checkRecovery(const PayrollTransaction& t);
    Status checkNumber(const PayrollTransaction& t, qint64 line);
    Status workOut(PayrollTransaction& t, quint64 given, const Employee& employee);
    Status checkPaid(const PayrollTransaction& t);
    Status write(const PayrollTransaction& t, qint64 line);

    const Database& m_db;
    LedgerFacts& m_facts;
    Figures m_figures;
    bool m_secondInMonth;
    qint64 m_secondsRefused = 0;
    QStringList m_groups;                 // the group master's names
    std::unique_ptr<SqlQuery> m_insert;   // numbered by the database
    std::unique_ptr<SqlQuery> m_numbered; // with the row's own number
    bool m_numberedSince = false;         // a number of a row's own written since the database's last
};
