#pragma once

#include "common/currency.h"
#include "data/status.h"
#include "rules/records.h"
#include "rules/statutory.h"

#include <QDate>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <optional>

class Database;
struct ScalarRead;

// What a payroll report selects: one company's transactions dated from `from` to `to` (both
// included), narrowed by whichever of the other fields are given.
struct PayrollSelection {
    static PayrollSelection range(const QString& company, QDate from, QDate to)
    {
        PayrollSelection s;
        s.company = company;
        s.from = from;
        s.to = to;
        return s;
    }

    QString company;
    QDate from;
    QDate to;
    std::optional<QString> department;
    std::optional<QString> group;
    std::optional<qint64> employee;
    bool loanRecoveredOnly = false; // only the transactions that recovered a loan instalment
};

// What saving or updating a transaction came to.
struct PayrollWrite {
    enum class Outcome {
        Written,     // stored as `stored` says
        MonthTaken,  // save: the employee has `existing` transactions in the month, more than agreed to
        ChangedMeanwhile, // update: the row is no longer as loaded; `stored` is what it is now
    };
    Outcome outcome = Outcome::Written;
    PayrollTransaction stored; // as written (its number; the loan deduction capped), or as found
    qint64 existing = 0;
    bool loanCapped = false; // the loan deduction was more than is still owed and was lowered to it
};

// What a deletion of many transactions came to: the transactions of closed months stay.
struct PayrollDeletion {
    qint64 deleted = 0;
    qint64 kept = 0;          // transactions of closed months, left as they were
    QStringList closedMonths; // "December 2026 closed by admin on 05/01/2027", of those kept
    // What the operator is told of the kept ones; empty when none was kept.
    QString keptNote() const;
};

class PayrollRepository {
public:
    explicit PayrollRepository(const Database& database) : m_db(database) {}

    // Saves a new transaction, unless the employee has more transactions in the company and month
    // than the operator agreed to add to (agreedExisting); the count and the insert are one write
    // transaction under the employee's lock. The loan deduction is capped there at what is still
    // owed (everything lent less everything recovered), and the totals worked out again with it.
    Result<PayrollWrite> save(const PayrollTransaction& t, qint64 agreedExisting);
    // A save that adds to any number of transactions of the month: the new transaction number.
    Result<qint64> insert(const PayrollTransaction& t);
    // Rewrites every column of the transaction, unless it is no longer `loaded` (another workstation
    // changed it): then nothing is written and the outcome gives the row as it is. Fails when there
    // is no such transaction. The loan deduction is capped as in save().
    Result<PayrollWrite> update(qint64 transId, const PayrollTransaction& t, const PayrollTransaction& loaded);
    // No value when there is no such transaction.
    Result<std::optional<PayrollTransaction>> find(qint64 transId) const;
    // One company's transactions of the month of `month`, by employee number then transaction.
    Result<QList<PayrollTransaction>> month(const QString& company, QDate month) const;
    // Deletions of one company's transactions: by number, by a range of numbers (both ends
    // included), or all of them. Each gives how many it deleted; other companies' rows stay. A
    // transaction of a closed month is never deleted: by number the deletion is refused, by range
    // or all it is kept and the outcome says so. Each deleted row leaves its entry in the trail.
    Result<qint64> removeNumber(const QString& company, qint64 transId);
    Result<PayrollDeletion> removeRange(const QString& company, qint64 first, qint64 last);
    Result<PayrollDeletion> removeAll(const QString& company);
    // What the employee's transactions of the company's month entered before `t` (by number; a new
    // transaction comes after every one) earned and deducted; with it, under rules that insure,
    // whether an earlier month of the contribution period had the employee (of these exemptions)
    // covered.
    Result<statutory::MonthSoFar> monthBefore(const PayrollTransaction& t, const statutory::Rules& rules,
                                              const statutory::Exemptions& exemptions) const;
    // Works the figures of the employee's month out again, transaction by transaction in the order
    // they were entered, and writes (with their trail entries) those that changed: after a transaction
    // of the month was written, changed or deleted. Inside the caller's transaction.
    Status reworkMonth(const QString& company, qint64 employeeId, QDate month) const;
    // The employee's transactions of the company dated from `from` to `to`, by date.
    Result<QList<PayrollTransaction>> ofEmployee(const QString& company, qint64 employeeId, QDate from, QDate to) const;
    // The selected transactions by employee number, then date and transaction number.
    Result<QList<PayrollTransaction>> select(const PayrollSelection& selection) const;
    // What each transaction of the employee, in all companies, recovered of their loans, by date:
    // read from one index, without the transactions' other figures.
    struct Recovery {
        qint64 employeeId = 0;
        QString name;
        Currency amount; // loanrec
        QDate date;
        QString company;
    };
    Result<QList<Recovery>> recoveries(qint64 employeeId) const;
    // The loan repaid so far: all loan instalments deducted from the employee's pay.
    Result<Currency> loanRecovered(qint64 employeeId) const;

    static ScalarRead recoveredRead(qint64 employeeId);
    // The employee's first transaction of the company's month (null when none), and whether a
    // transaction has the number.
    static ScalarRead firstOfMonthRead(const QString& company, qint64 employeeId, QDate month);
    static ScalarRead numberTakenRead(qint64 transId);

private:
    // What a write of an employee's transaction works out from: all lent and all recovered, and
    // whether the company has statutory rules at all.
    struct Ledger {
        Currency lent;
        Currency recovered;
        bool anyRules = true;
    };
    static QList<ScalarRead> ledgerReads(const PayrollTransaction& t);
    static Result<Ledger> ledgerOf(const QVariantList& values);
    // Inserts the transaction as worked out, with its own number or the next, and queues its entry
    // for the trail: its number.
    Result<qint64> writeNew(const PayrollTransaction& t);
    Result<bool> coveredInPeriod(const QString& company, qint64 employeeId, QDate month,
                                 const statutory::Exemptions& exemptions) const;
    Result<QList<PayrollTransaction>> employeeMonth(const QString& company, qint64 employeeId, QDate month) const;
    // The employee-months (employee, "yyyy-MM") of the company's rows a deletion takes, when the
    // company deducts anything at all; and after it, those of them with transactions left, worked
    // out again.
    Result<QSet<std::pair<qint64, QString>>> monthsLeftBehind(const QString& company, const QString& where,
                                                            const QVariantList& values) const;
    Status reworkMonthsLeft(const QString& company, const QSet<std::pair<qint64, QString>>& months) const;
    // Holds the employees of the rows a deletion takes, in order, as a save holds its employee: no
    // save of theirs works out a month the deletion is working out again. Only where the company
    // deducts anything: otherwise no transaction depends on another.
    Status lockEmployeesOf(const QString& company, const QString& where, const QVariantList& values) const;
    Result<PayrollDeletion> removeWhere(const QString& company, const QString& condition, const QVariantList& values);
    static ScalarRead countRead(const QString& company, qint64 employeeId, QDate month);
    // The transaction with its loan deduction at most what is owed, not counting `counted` of it
    // already recovered, and its totals worked out again when it was lowered.
    Result<PayrollWrite> capped(PayrollTransaction t, Currency counted, const Ledger& ledger) const;
    const Database& m_db;
};
