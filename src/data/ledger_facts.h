#pragma once

#include "common/currency.h"
#include "data/month_close.h"
#include "data/status.h"
#include "rules/records.h"
#include "rules/statutory.h"

#include <QDate>
#include <QHash>
#include <QSet>
#include <QString>
#include <QTime>

#include <optional>
#include <unordered_map>

class Database;

// What writing many rows of the employees' ledgers at once (an import) needs to know of the stored
// data, each fact read once inside the writing transaction and kept up to date with what the
// writing adds, so that the thousandth row is checked against the 999 before it as the windows
// check one row against what is stored: the employees and companies that are there, the months
// closed, the rules in force, each employee's loans, recoveries and advances, and each employee's
// transactions of a month. A table that held no row when the writing began is not asked again.
class LedgerFacts {
public:
    explicit LedgerFacts(const Database& database) : m_db(database) {}
    // Reads which tables hold rows at all; the first thing done in the writing transaction.
    Status begin();
    // Whether the database held no row of the ledgers and masters when the writing began.
    bool startedEmpty() const { return m_startedEmpty; }

    // The employee of that number, as stored or as written since; nothing when there is none.
    Result<const Employee*> employee(qint64 id);
    void employeeAdded(const Employee& employee);
    // The master's spelling of a company of that name (in any letter case); empty when there is none.
    QString company(const QString& name);
    void companyAdded(const QString& name);
    // For a row of an employee's ledgers: its company spelt as the master spells it, and its
    // employee. Refused (naming ID or company) when either is not there, unless the row is of a
    // history and the one it names was deleted since (the employee is then null).
    Status knownParties(qint64 employeeId, QString& company, bool history, const Employee*& employee);
    // The same of the company alone.
    Status knownCompany(QString& company, bool history);
    // Employees and companies deleted since their rows were written: their rows stay, and a history
    // brought in with its trail may hold more of them.
    void employeeDeleted(qint64 id) { m_deletedEmployees.insert(id); }
    void companyDeleted(const QString& name) { m_deletedCompanies.insert(name); }
    bool wasDeleted(qint64 employeeId) const { return m_deletedEmployees.contains(employeeId); }
    bool wasDeleted(const QString& company) const { return m_deletedCompanies.contains(company); }

    // The company's month of the date, held as it is (see lockMonth): closed, or not.
    Result<std::optional<ClosedMonth>> closedMonth(const QString& company, QDate date);
    void monthClosed(const ClosedMonth& month);
    // The rules the company's month of the date is paid under.
    Result<statutory::Rules> rules(const QString& company, QDate date);
    void rulesAdded(const QString& company) { m_books.remove(company); m_anyRules = true; }

    // An employee's loans and their recovery through the payroll.
    struct Ledger {
        Currency lent;
        Currency recovered;
        std::optional<Currency> monthly; // the latest loan's monthly deduction
        QDate latest;
        QTime latestTime;
    };
    Result<Ledger*> ledger(qint64 employeeId);
    Status lent(const Loan& loan);
    Status recovered(qint64 employeeId, Currency amount);
    // All the employee's advances dated in the month of the date.
    Result<Currency> monthAdvances(qint64 employeeId, QDate date);
    Status advanced(const Advance& advance);

    // The employee's first transaction of the company's month of the date (0: none; a transaction
    // written without a number of its own counts by the line it came from, negated).
    Result<qint64> firstOfMonth(const QString& company, qint64 employeeId, QDate date);
    void transactionAdded(const QString& company, qint64 employeeId, QDate date, qint64 first);
    // Whether a transaction has the number already; the largest number a transaction had when the
    // writing began.
    Result<bool> transactionTaken(qint64 transId);
    qint64 largestTransaction() const { return m_largestTransId; }
    void transactionNumbered(qint64 transId) { m_transIds.insert(transId); }

private:
    qint64 monthKey(const QString& company, qint64 employeeId, QDate date);

    const Database& m_db;
    bool m_startedEmpty = false;
    bool m_anyEmployee = false;
    bool m_anyPayroll = false;
    bool m_anyLoan = false;
    bool m_anyAdvance = false;
    bool m_anyClosed = false;
    bool m_anyRules = false;
    qint64 m_largestTransId = 0; // of those stored when the writing began
    std::unordered_map<qint64, std::optional<Employee>> m_employees;
    QHash<QString, QString> m_companies; // upper(name) -> name; read whole at the start
    QString m_lastAsked, m_lastSpelt;    // rows mostly name one company: looked up once
    QSet<qint64> m_deletedEmployees;
    QSet<QString> m_deletedCompanies;
    QHash<qint64, std::optional<ClosedMonth>> m_months; // see monthKey, of employee 0
    QHash<QString, statutory::RuleBook> m_books;
    std::unordered_map<qint64, Ledger> m_ledgers;
    QHash<qint64, Currency> m_advances;    // id * 100000 + yyyy * 12 + month
    QHash<qint64, qint64> m_monthFirst;    // see monthKey
    QHash<QString, int> m_companyNumbers; // for monthKey
    QSet<qint64> m_transIds;
};
