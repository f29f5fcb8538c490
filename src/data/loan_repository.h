#pragma once

#include "common/currency.h"
#include "data/status.h"
#include "rules/records.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QTime>

#include <functional>
#include <memory>
#include <optional>

class Database;
class LedgerFacts;
class SqlQuery;
struct ScalarRead;

class LoanRepository {
public:
    explicit LoanRepository(const Database& database) : m_db(database) {}

    // Loans written one after another in the caller's write transaction (an import of many), each
    // checked as insert() checks one. Into a database in use, a loan without the employee's name or
    // department takes them from the employee, as the window does; the history of another system is
    // kept as given, and may name employees and companies deleted since (known by its trail).
    class Batch {
    public:
        Batch(const Database& database, LedgerFacts& facts, bool history);
        ~Batch();
        Status add(const Loan& loan);

    private:
        LedgerFacts& m_facts;
        bool m_history;
        std::unique_ptr<SqlQuery> m_insert;
    };

    // A loan entry read from the values of the stored columns in their order (ID, emname, loanamt,
    // permonthded, ldt, ltm, dept, company): a stored row or a file's row alike.
    template <typename Row>
    static Loan fromRow(const Row& row);

    Status insert(const Loan& loan);
    // Everything lent to the employee.
    Result<Currency> totalLent(qint64 employeeId) const;
    static ScalarRead lentRead(qint64 employeeId);
    // The employee's loan entries in all companies, by date.
    Result<QList<Loan>> entries(qint64 employeeId) const;
    // Changes of the entries of one employee, company and date; each gives how many entries it changed.
    // A change that would leave less lent than the payroll has recovered is refused, naming the
    // figures; so is an entry the rules refuse (a per month deduction above its amount).
    Result<qint64> setAmount(const QString& company, qint64 employeeId, QDate date, Currency amount);
    Result<qint64> setMonthlyDeduction(const QString& company, qint64 employeeId, QDate date, Currency deduction);
    Result<qint64> remove(const QString& company, qint64 employeeId, QDate date);
    // The company's loans paid from `from` to `to` (both included), of one department when it is
    // given; by employee number, then date.
    Result<QList<Loan>> paid(const QString& company, QDate from, QDate to,
                             const std::optional<QString>& department = {}) const;
    // Every loan entry of the company; the other companies' stay. Refused, naming the employees, when
    // the payroll has recovered more of an employee's loans than would be left lent.
    Result<qint64> removeAll(const QString& company);
    // The monthly deduction of the employee's latest loan, if there is a loan.
    Result<std::optional<Currency>> latestMonthlyDeduction(qint64 employeeId) const;
    // The employee's latest loan entry (by date and time, the last entered of one moment), if any.
    Result<std::optional<Loan>> latest(qint64 employeeId) const;

private:
    // Runs statement (with value bound first, when given) on the entries of the company, employee
    // and date, once each entry as changed(entry) would be (nothing: deleted) passes the rules, in
    // one write transaction under the employee's lock.
    Result<qint64> change(const QString& company, qint64 employeeId, QDate date,
                          const std::function<std::optional<Loan>(Loan)>& changed, const QString& statement,
                          const std::optional<Currency>& value);
    const Database& m_db;
};

template <typename Row>
Loan LoanRepository::fromRow(const Row& row)
{
    return Loan{row.number(0), row.text(1), row.amount(2),
                row.amount(3), row.date(4), QTime::fromString(row.text(5), QStringLiteral("HH:mm:ss")),
                row.text(6),   row.text(7)};
}
