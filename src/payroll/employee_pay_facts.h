#pragma once

#include "common/currency.h"
#include "data/employee_repository.h"
#include "data/status.h"
#include "rules/statutory.h"

#include <QDate>

#include <optional>
#include <tuple>

class Database;

// What choosing an employee brings into the payroll window.
struct EmployeePayFacts {
    Employee employee;
    Currency loanTotal;     // everything lent
    Currency loanRecovered; // repaid so far through the payroll
    Currency loanDeduction; // this month's instalment: see offeredLoanDeduction()
    Currency monthAdvances; // all advances dated in the pay month
};

// No value when no employee has that number; a failure when a look-up fails.
Result<std::optional<EmployeePayFacts>> loadEmployeePayFacts(const Database& database, qint64 employeeId,
                                                             QDate payDate);
// The advances of the pay month alone (the month changed, the employee did not).
Result<Currency> loadMonthAdvances(const Database& database, qint64 employeeId, QDate payDate);

// What the employee's earlier transactions of the month deducted, which the window's figures owe
// the rest of: read again when the employee, the pay date or the transaction changes, and once
// forgotten (after a save, or when the month's list is read again).
class EarlierInMonth {
public:
    // `transId` is the transaction being changed (0 for a new one).
    Result<statutory::MonthSoFar> of(const Database& database, const QString& company, const Employee& employee,
                                     const statutory::Rules& rules, QDate payDate, qint64 transId);
    void forget() { m_key.reset(); }

private:
    std::optional<std::tuple<QString, qint64, QDate, qint64>> m_key;
    statutory::MonthSoFar m_earlier;
};
