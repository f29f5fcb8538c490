#include "employee_pay_facts.h"

#include "data/advance_repository.h"
#include "data/loan_repository.h"
#include "data/payroll_repository.h"

std::optional<EmployeePayFacts> loadEmployeePayFacts(const Database& database, qint64 employeeId, QDate payDate)
{
    auto employee = EmployeeRepository(database).find(employeeId);
    if (!employee)
        return std::nullopt;
    EmployeePayFacts facts;
    facts.employee = std::move(*employee);
    const LoanRepository loans(database);
    facts.loanTotal = loans.totalLent(employeeId);
    facts.loanRecovered = PayrollRepository(database).loanRecovered(employeeId);
    if (facts.loanRecovered < facts.loanTotal)
        facts.loanDeduction = loans.latestMonthlyDeduction(employeeId).value_or(Currency());
    facts.monthAdvances = loadMonthAdvances(database, employeeId, payDate);
    return facts;
}

Currency loadMonthAdvances(const Database& database, qint64 employeeId, QDate payDate)
{
    return AdvanceRepository(database).monthTotal(employeeId, payDate);
}
