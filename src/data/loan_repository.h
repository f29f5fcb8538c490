#pragma once

#include "common/currency.h"
#include "data/status.h"

#include <QDate>
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
    // The monthly deduction of the employee's latest loan, if there is a loan.
    Result<std::optional<Currency>> latestMonthlyDeduction(qint64 employeeId) const;

private:
    const Database& m_db;
};
