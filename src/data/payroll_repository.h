#pragma once

#include "common/currency.h"
#include "data/status.h"

#include <QDate>
#include <QList>
#include <QString>

#include <optional>

class Database;

// One stored pay transaction (a payroll row).
struct PayrollTransaction {
    qint64 transId = 0;
    qint64 employeeId = 0;
    QString name;
    Currency monthRate;
    QDate payDate;
    Currency bonus;
    Currency overtime;
    Currency totalLoan;
    Currency contribution;      // ph
    Currency lic;               // intax
    Currency pgvcl;             // others
    Currency daysPresent;       // absences
    Currency presentDaysSalary; // earn
    Currency advances;
    Currency totalAdditional; // tad
    Currency totalDeductions; // td
    Currency loanRecovered;   // loanrec
    Currency travel;
    Currency netPay;
    QString department;
    QString group;
    QString company;
};

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

class PayrollRepository {
public:
    explicit PayrollRepository(const Database& database) : m_db(database) {}

    // The new transaction number.
    Result<qint64> insert(const PayrollTransaction& t);
    // Rewrites every column of the transaction; fails when there is no such transaction.
    Status update(qint64 transId, const PayrollTransaction& t);
    // No value when there is no such transaction.
    Result<std::optional<PayrollTransaction>> find(qint64 transId) const;
    // One company's transactions of the month of `month`, by employee number then transaction.
    Result<QList<PayrollTransaction>> month(const QString& company, QDate month) const;
    // Transactions of this employee in this company and month.
    Result<qint64> countFor(const QString& company, qint64 employeeId, QDate month) const;
    // Deletions of one company's transactions: by number, by a range of numbers (both ends
    // included), or all of them. Each gives how many it deleted; other companies' rows stay.
    Result<qint64> removeNumber(const QString& company, qint64 transId);
    Result<qint64> removeRange(const QString& company, qint64 first, qint64 last);
    Result<qint64> removeAll(const QString& company);
    // The employee's transactions of the company dated from `from` to `to`, by date.
    Result<QList<PayrollTransaction>> ofEmployee(const QString& company, qint64 employeeId, QDate from, QDate to) const;
    // The selected transactions by employee number, then date and transaction number.
    Result<QList<PayrollTransaction>> select(const PayrollSelection& selection) const;
    // Every transaction of the employee, in all companies, by date.
    Result<QList<PayrollTransaction>> ofEmployee(qint64 employeeId) const;
    // The loan repaid so far: all loan instalments deducted from the employee's pay.
    Result<Currency> loanRecovered(qint64 employeeId) const;

private:
    const Database& m_db;
};
