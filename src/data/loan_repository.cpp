#include "loan_repository.h"

#include "data/database.h"
#include "data/sql_query.h"

Status LoanRepository::insert(const Loan& loan)
{
    SqlQuery q(m_db, QStringLiteral("INSERT INTO loan (ID, emname, loanamt, permonthded, ldt, ltm, dept, company)"
                                    " VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    q.bind(loan.employeeId)
        .bind(loan.name)
        .bind(loan.amount)
        .bind(loan.monthlyDeduction)
        .bind(loan.date)
        .bind(loan.time.toString(QStringLiteral("HH:mm:ss")))
        .bind(loan.department)
        .bind(loan.company);
    return q.exec();
}

Result<Currency> LoanRepository::totalLent(qint64 employeeId) const
{
    SqlQuery q(m_db, QStringLiteral("SELECT coalesce(sum(loanamt), 0) FROM loan WHERE ID = ?"));
    q.bind(employeeId);
    const auto total = q.single();
    if (!total)
        return total.status();
    return Currency::fromUnits(total->toLongLong());
}

Result<std::optional<Currency>> LoanRepository::latestMonthlyDeduction(qint64 employeeId) const
{
    SqlQuery q(m_db, QStringLiteral("SELECT permonthded FROM loan WHERE ID = ?"
                                    " ORDER BY ldt DESC, ltm DESC, rowid DESC LIMIT 1"));
    q.bind(employeeId);
    const auto deduction = q.single();
    if (!deduction)
        return deduction.status();
    if (!deduction->isValid())
        return std::optional<Currency>();
    return std::optional<Currency>(Currency::fromUnits(deduction->toLongLong()));
}
