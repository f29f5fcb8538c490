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

namespace {

QString selectLoans(const QString& rest)
{
    return QStringLiteral("SELECT %1 FROM loan %2").arg(columns.join(QStringLiteral(", ")), rest);
}

Loan readLoan(const SqlQuery& row)
{
    return Loan{row.number(0), row.text(1), row.amount(2),
                row.amount(3), row.date(4), QTime::fromString(row.text(5), QStringLiteral("HH:mm:ss")),
                row.text(6),   row.text(7)};
}

} // namespace

Result<QList<Loan>> LoanRepository::entries(qint64 employeeId) const
{
    SqlQuery q(m_db, selectLoans(QStringLiteral("WHERE ID = ? ORDER BY ldt, ltm, rowid")));
    q.bind(employeeId);
    return q.rows(readLoan);
}

Result<QList<Loan>> LoanRepository::paid(const QString& company, QDate from, QDate to,
                                         const std::optional<QString>& department) const
{
    SqlQuery q(m_db, selectLoans(QStringLiteral("WHERE company = ? AND ldt BETWEEN ? AND ?%1"
                                                " ORDER BY ID, ldt, ltm, rowid")
                                     .arg(department ? QStringLiteral(" AND dept = ?") : QString())));
    q.bind(company).bind(from).bind(to);
    if (department)
        q.bind(*department);
    return q.rows(readLoan);
}

namespace {

// One employee's entries of one company and date.
const QString entryOf = QStringLiteral(" WHERE company = ? AND ID = ? AND ldt = ?");

} // namespace

Result<qint64> LoanRepository::setAmount(const QString& company, qint64 employeeId, QDate date, Currency amount)
{
    SqlQuery q(m_db, QStringLiteral("UPDATE loan SET loanamt = ?") + entryOf);
    q.bind(amount).bind(company).bind(employeeId).bind(date);
    return q.execCounting();
}

Result<qint64> LoanRepository::setMonthlyDeduction(const QString& company, qint64 employeeId, QDate date,
                                                   Currency deduction)
{
    SqlQuery q(m_db, QStringLiteral("UPDATE loan SET permonthded = ?") + entryOf);
    q.bind(deduction).bind(company).bind(employeeId).bind(date);
    return q.execCounting();
}

Result<qint64> LoanRepository::remove(const QString& company, qint64 employeeId, QDate date)
{
    SqlQuery q(m_db, QStringLiteral("DELETE FROM loan") + entryOf);
    q.bind(company).bind(employeeId).bind(date);
    return q.execCounting();
}

Result<qint64> LoanRepository::removeAll(const QString& company)
{
    SqlQuery q(m_db, QStringLiteral("DELETE FROM loan WHERE company = ?"));
    q.bind(company);
    return q.execCounting();
}
