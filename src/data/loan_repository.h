#pragma once

#include "common/currency.h"
#include "data/status.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QTime>

#include <optional>

class Database;

struct Loan {
    qint64 employeeId = 0;
    QString name;
    Currency amount;
    Currency monthlyDeduction;
    QDate date;
    QTime time;
    QString department;
    QString company;
};

class LoanRepository {
public:
    explicit LoanRepository(const Database& database) : m_db(database) {}

    Status insert(const Loan& loan);
    // Everything lent to the employee.
    Result<Currency> totalLent(qint64 employeeId) const;
    // The employee's loan entries in all companies, by date.
    Result<QList<Loan>> entries(qint64 employeeId) const;
    // Changes of the entries of one employee, company and date; each gives how many entries it changed.
    Result<qint64> setAmount(const QString& company, qint64 employeeId, QDate date, Currency amount);
    Result<qint64> setMonthlyDeduction(const QString& company, qint64 employeeId, QDate date, Currency deduction);
    Result<qint64> remove(const QString& company, qint64 employeeId, QDate date);
    // The company's loans paid from `from` to `to` (both included), of one department when it is
    // given; by employee number, then date.
    Result<QList<Loan>> paid(const QString& company, QDate from, QDate to,
                             const std::optional<QString>& department = {}) const;
    // Every loan entry of the company; the other companies' stay.
    Result<qint64> removeAll(const QString& company);
    // The monthly deduction of the employee's latest loan, if there is a loan.
    Result<std::optional<Currency>> latestMonthlyDeduction(qint64 employeeId) const;

private:
    const Database& m_db;
};
