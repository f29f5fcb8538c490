#pragma once

#include "common/currency.h"
#include "data/employee_repository.h"
#include "data/status.h"

#include <QDate>

#include <optional>

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
