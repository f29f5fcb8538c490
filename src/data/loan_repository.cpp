#include "loan_repository.h"

#include "data/database.h"
#include "data/sql_query.h"

namespace {
const QStringList columns = {QStringLiteral("ID"),          QStringLiteral("emname"), QStringLiteral("loanamt"),
                             QStringLiteral("permonthded"), QStringLiteral("ldt"),    QStringLiteral("ltm"),
                             QStringLiteral("dept"),        QStringLiteral("company")};
} // namespace

Status LoanRepository::insert(const Loan& loan)
{
    SqlQuery q(m_db, insertStatement(QStringLiteral("loan"), columns));
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
    SqlQuery q(m_db, QStringLiteral("SELECT sum(loanamt) FROM loan WHERE ID = ?"));
    q.bind(employeeId);
    return q.total();
}

Result<std::optional<Currency>> LoanRepository::latestMonthlyDeduction(qint64 employeeId) const
{
    SqlQuery q(m_db, QStringLiteral("SELECT permonthded FROM loan WHERE ID = ?"
                                    " ORDER BY ldt DESC, ltm DESC, rowid DESC LIMIT 1"));
    q.bind(employeeId);
    return q.first([](const SqlQuery& row) { return row.amount(0); });
}
