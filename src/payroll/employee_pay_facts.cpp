#include "employee_pay_facts.h"

#include "data/advance_repository.h"
#include "data/loan_repository.h"
#include "data/payroll_repository.h"
#include "rules/pay_calculation.h"

Result<std::optional<EmployeePayFacts>> loadEmployeePayFacts(const Database& database, qint64 employeeId, QDate payDate)
{
    auto employee = EmployeeRepository(database).find(employeeId);
    if (!employee)
        return employee.status();
    if (!employee->has_value())
        return std::optional<EmployeePayFacts>();
    EmployeePayFacts facts;
    facts.employee = std::move(**employee);
    const LoanRepository loans(database);
    const auto lent = loans.totalLent(employeeId);
    const auto recovered = PayrollRepository(database).loanRecovered(employeeId);
    const auto latest = loans.latestMonthlyDeduction(employeeId);
    const auto advances = loadMonthAdvances(database, employeeId, payDate);
    for (const Status* s : {&lent.status(), &recovered.status(), &latest.status(), &advances.status()})
        if (!*s)
            return *s;
    facts.loanTotal = *lent;
    facts.loanRecovered = *recovered;
    facts.loanDeduction = offeredLoanDeduction(*latest, *lent, *recovered);
    facts.monthAdvances = *advances;
    return std::optional<EmployeePayFacts>(std::move(facts));
}

Result<Currency> loadMonthAdvances(const Database& database, qint64 employeeId, QDate payDate)
{
    return AdvanceRepository(database).monthTotal(employeeId, payDate);
}

Result<statutory::MonthSoFar> EarlierInMonth::of(const Database& database, const QString& company,
                                                 const Employee& employee, const statutory::Rules& rules,
                                                 QDate payDate, qint64 transId)
{
    const qint64 employeeId = employee.id;
    const auto key = std::tuple(company, employeeId, payDate, transId);
    if (m_key == key)
        return m_earlier;
    PayrollTransaction t;
    t.company = company;
    t.employeeId = employeeId;
    t.payDate = payDate;
    t.transId = transId;
    const auto earlier = PayrollRepository(database).monthBefore(t, rules, employee.exemptions);
    if (!earlier)
        return earlier.status();
    m_key = key;
    m_earlier = *earlier;
    return m_earlier;
}
