#include "loan_repository.h"

#include "data/audit_trail.h"
#include "data/database.h"
#include "data/employee_repository.h"
#include "data/ledger_facts.h"
#include "data/month_close.h"
#include "data/payroll_repository.h"
#include "data/sql_query.h"
#include "rules/record_rules.h"

namespace {
const QString loanTable = QStringLiteral("loan");
const QString closedLoans = QStringLiteral("its loans cannot be added, changed or deleted");
const QStringList columns = {QStringLiteral("ID"),          QStringLiteral("emname"), QStringLiteral("loanamt"),
                             QStringLiteral("permonthded"), QStringLiteral("ldt"),    QStringLiteral("ltm"),
                             QStringLiteral("dept"),        QStringLiteral("company")};
} // namespace

LoanRepository::Batch::Batch(const Database& database, LedgerFacts& facts, bool history)
    : m_facts(facts), m_history(history),
      m_insert(std::make_unique<SqlQuery>(database, insertStatement(loanTable, columns)))
{
}

LoanRepository::Batch::~Batch() = default;

Status LoanRepository::Batch::add(const Loan& given)
{
    Loan loan = rules::normalised(given);
    if (const auto broken = rules::check(loan))
        return Status::refused(broken->field, broken->message);
    const Employee* employee = nullptr;
    if (Status s = m_facts.knownParties(loan.employeeId, loan.company, m_history, employee); !s)
        return s;
    if (employee && !m_history) {
        if (loan.name.isEmpty())
            loan.name = employee->name;
        if (loan.department.isEmpty())
            loan.department = employee->department;
    }
    const auto closed = m_facts.closedMonth(loan.company, loan.date);
    if (!closed)
        return closed.status();
    if (*closed)
        return Status::refused(QStringLiteral("ldt"), closedMonthRefusal(**closed, closedLoans));
    m_insert->bind(loan.employeeId)
        .bind(loan.name)
        .bind(loan.amount)
        .bind(loan.monthlyDeduction)
        .bind(loan.date)
        .bind(loan.time.isValid() ? QVariant(loan.time.toString(QStringLiteral("HH:mm:ss"))) : QVariant(QMetaType(QMetaType::QString)))
        .bind(loan.department)
        .bind(loan.company);
    if (Status s = m_insert->exec(); !s)
        return s;
    return m_facts.lent(loan);
}

Status LoanRepository::insert(const Loan& given)
{
    const Loan loan = rules::normalised(given);
    if (const auto broken = rules::check(loan))
        return Status::refused(broken->field, broken->message);
    return inWriteTransaction(m_db, [&]() -> Status {
        if (Status s = MonthCloseRepository(m_db).refuseIfClosed(loan.company, loan.date, closedLoans); !s)
            return s;
        if (Status s = refuseUnknown(m_db, loan.employeeId, loan.company); !s)
            return s;
        SqlQuery q(m_db, insertStatement(loanTable, columns, QStringLiteral("rowid")));
        q.bind(loan.employeeId)
            .bind(loan.name)
            .bind(loan.amount)
            .bind(loan.monthlyDeduction)
            .bind(loan.date)
            .bind(loan.time.toString(QStringLiteral("HH:mm:ss")))
            .bind(loan.department)
            .bind(loan.company);
        const auto row = numberGiven(q);
        if (!row)
            return row.status();
        return audit::recordInserted(m_db, loanTable, QString::number(*row));
    });
}

ScalarRead LoanRepository::lentRead(qint64 employeeId)
{
    return {QStringLiteral("SELECT sum(loanamt) FROM loan WHERE ID = ?"), {employeeId}};
}

Result<Currency> LoanRepository::totalLent(qint64 employeeId) const
{
    const auto sum = readOne(m_db, lentRead(employeeId));
    if (!sum)
        return sum.status();
    return totalOf(*sum);
}

Result<std::optional<Currency>> LoanRepository::latestMonthlyDeduction(qint64 employeeId) const
{
    const auto loan = latest(employeeId);
    if (!loan)
        return loan.status();
    return *loan ? std::optional<Currency>((*loan)->monthlyDeduction) : std::nullopt;
}

namespace {

QString selectLoans(const QString& rest)
{
    return QStringLiteral("SELECT %1 FROM loan %2").arg(columns.join(QStringLiteral(", ")), rest);
}

} // namespace

Result<std::optional<Loan>> LoanRepository::latest(qint64 employeeId) const
{
    SqlQuery q(m_db, selectLoans(QStringLiteral("WHERE ID = ? ORDER BY ldt DESC, ltm DESC, rowid DESC LIMIT 1")));
    q.bind(employeeId);
    return q.first(fromRow<SqlQuery>);
}

Result<QList<Loan>> LoanRepository::entries(qint64 employeeId) const
{
    SqlQuery q(m_db, selectLoans(QStringLiteral("WHERE ID = ? ORDER BY ldt, ltm, rowid")));
    q.bind(employeeId);
    return q.rows(fromRow<SqlQuery>);
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
    return q.rows(fromRow<SqlQuery>);
}

namespace {

// One employee's entries of one company and date.
const QString entryOf = QStringLiteral(" WHERE company = ? AND ID = ? AND ldt = ?");

} // namespace

Result<qint64> LoanRepository::change(const QString& company, qint64 employeeId, QDate date,
                                     const std::function<std::optional<Loan>(Loan)>& changed,
                                     const QString& statement, const std::optional<Currency>& value)
{
    qint64 count = 0;
    const Status done = inWriteTransaction(m_db, [&]() -> Status {
        // What was lent and recovered is read under the employee's lock, so that a payroll saved at
        // another workstation meanwhile is counted.
        if (Status s = lockEmployee(m_db, employeeId); !s)
            return s;
        if (Status s = MonthCloseRepository(m_db).refuseIfClosed(company, date, closedLoans); !s)
            return s;
        SqlQuery read(m_db, selectLoans(entryOf + QStringLiteral(" ORDER BY ltm, rowid")));
        read.bind(company).bind(employeeId).bind(date);
        const auto entries = read.rows(fromRow<SqlQuery>);
        if (!entries)
            return entries.status();
        count = entries->size();
        if (count == 0)
            return {};
        const auto lent = totalLent(employeeId);
        if (!lent)
            return lent.status();
        Currency lentAfter = *lent;
        for (const Loan& entry : *entries) {
            const auto next = changed(entry);
            if (next)
                if (const auto broken = rules::check(*next))
                    return Status::refused(broken->field, broken->message);
            lentAfter = lentAfter.minus(entry.amount).value_or(Currency());
            if (next)
                lentAfter = lentAfter.plus(next->amount).value_or(rules::maxAmount);
        }
        const auto recovered = PayrollRepository(m_db).loanRecovered(employeeId);
        if (!recovered)
            return recovered.status();
        // A loan brought below what the payroll has recovered of it would leave a balance below
        // zero, and every later loan would be counted as paid already.
        if (lentAfter < *lent && lentAfter < *recovered)
            return Status::failure(QStringLiteral("The payroll has recovered %1 of the loans of employee number %2; "
                                                  "after this change %3 would have been lent, less than that. "
                                                  "Nothing was changed.")
                                       .arg(recovered->toString())
                                       .arg(employeeId)
                                       .arg(lentAfter.toString()));
        const auto change = audit::Change::of(m_db, loanTable, entryOf.mid(7),
                                              {QVariant(company), QVariant(employeeId),
                                               QVariant(date.toString(Qt::ISODate))});
        if (!change)
            return change.status();
        SqlQuery write(m_db, statement + entryOf);
        if (value)
            write.bind(*value);
        write.bind(company).bind(employeeId).bind(date);
        if (Status s = write.exec(); !s)
            return s;
        return change->record();
    });
    if (!done)
        return done;
    return count;
}

Result<qint64> LoanRepository::setAmount(const QString& company, qint64 employeeId, QDate date, Currency amount)
{
    return change(company, employeeId, date, [&](Loan loan) -> std::optional<Loan> {
        loan.amount = amount;
        return loan;
    }, QStringLiteral("UPDATE loan SET loanamt = ?"), amount);
}

Result<qint64> LoanRepository::setMonthlyDeduction(const QString& company, qint64 employeeId, QDate date,
                                                   Currency deduction)
{
    return change(company, employeeId, date, [&](Loan loan) -> std::optional<Loan> {
        loan.monthlyDeduction = deduction;
        return loan;
    }, QStringLiteral("UPDATE loan SET permonthded = ?"), deduction);
}

Result<qint64> LoanRepository::remove(const QString& company, qint64 employeeId, QDate date)
{
    return change(
        company, employeeId, date, [](const Loan&) { return std::optional<Loan>(); }, QStringLiteral("DELETE FROM loan"),
        std::nullopt);
}

Result<qint64> LoanRepository::removeAll(const QString& company)
{
    qint64 removed = 0;
    const Status done = inWriteTransaction(m_db, [&]() -> Status {
        // The employees concerned are locked first (in order), then their loans of every company,
        // and of this one, are read against what the payroll has recovered: what is left lent must
        // still cover it.
        SqlQuery concerned(m_db, QStringLiteral("SELECT DISTINCT ID FROM loan WHERE company = ? ORDER BY ID"));
        concerned.bind(company);
        const auto ids = concerned.rows([](const SqlQuery& r) { return r.number(0); });
        if (!ids)
            return ids.status();
        for (qint64 id : *ids)
            if (Status s = lockEmployee(m_db, id); !s)
                return s;
        SqlQuery owed(m_db, QStringLiteral("SELECT l.ID, l.lent, l.here, p.recovered FROM"
                                           " (SELECT ID, sum(loanamt) AS lent,"
                                           " sum(CASE WHEN company = ? THEN loanamt ELSE 0 END) AS here"
                                           " FROM loan WHERE ID IN (SELECT ID FROM loan WHERE company = ?) GROUP BY ID) AS l"
                                           " JOIN (SELECT ID, sum(loanrec) AS recovered FROM payroll GROUP BY ID) AS p"
                                           " ON p.ID = l.ID ORDER BY l.ID"));
        owed.bind(company).bind(company);
        struct Owed {
            qint64 id;
            Currency lent, here, recovered;
        };
        const auto rows = owed.rows([](const SqlQuery& r) { return Owed{r.number(0), r.amount(1), r.amount(2), r.amount(3)}; });
        if (!rows)
            return rows.status();
        QStringList uncovered;
        for (const Owed& o : *rows) {
            const Currency left = o.lent.minus(o.here).value_or(Currency());
            if (o.here > Currency() && left < o.recovered)
                uncovered << QStringLiteral("employee number %1 (%2 recovered, %3 would be left lent)")
                              .arg(o.id)
                              .arg(o.recovered.toString(), left.toString());
        }
        if (!uncovered.isEmpty())
            return Status::failure(QStringLiteral("The payroll has recovered more than would be left lent to %1 "
                                                  "employee(s): %2. Nothing was deleted.")
                                       .arg(uncovered.size())
                                       .arg(uncovered.mid(0, 5).join(QStringLiteral("; "))));
        const auto count = removeUnlessClosed(m_db, loanTable, QStringLiteral("ldt"), company, closedLoans);
        removed = count ? *count : 0;
        return count.status();
    });
    if (!done)
        return done;
    return removed;
}
