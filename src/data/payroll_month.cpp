// The employee's month as one unit of pay: the figures of each transaction are what the month owes
// beyond its earlier transactions (those entered before it), so changing or deleting one
// transaction can change the later ones; a new one comes last and changes none.

#include "data/payroll_repository.h"

#include "common/dates.h"
#include "data/audit_trail.h"
#include "data/database.h"
#include "data/employee_repository.h"
#include "data/payroll_row.h"
#include "data/sql_query.h"
#include "data/statutory_repository.h"
#include "rules/pay_calculation.h"

#include <QMap>

#include <algorithm>

namespace {

// Before `t` in the month: entered before it, as its smaller number says (a new transaction,
// numbered 0, comes after every one). A transaction paid already never changes when another is
// entered, whatever date the new one bears.
bool enteredBefore(const PayrollTransaction& earlier, const PayrollTransaction& t)
{
    return t.transId <= 0 || earlier.transId < t.transId;
}

} // namespace

Result<QList<PayrollTransaction>> PayrollRepository::employeeMonth(const QString& company, qint64 employeeId,
                                                                   QDate month) const
{
    auto rows = ofEmployee(company, employeeId, dates::firstOfMonth(month), dates::lastOfMonth(month));
    if (!rows)
        return rows.status();
    QList<PayrollTransaction> entered = std::move(rows.value());
    std::sort(entered.begin(), entered.end(),
              [](const PayrollTransaction& a, const PayrollTransaction& b) { return a.transId < b.transId; });
    return entered;
}

Result<bool> PayrollRepository::coveredInPeriod(const QString& company, qint64 employeeId, QDate month,
                                               const statutory::Exemptions& exemptions) const
{
    const QDate start = statutory::contributionPeriodStart(month);
    const QDate first = dates::firstOfMonth(month);
    if (start == first)
        return false;
    const auto rows = ofEmployee(company, employeeId, start, first.addDays(-1));
    if (!rows)
        return rows.status();
    if (rows->isEmpty())
        return false;
    QMap<QDate, statutory::MonthSoFar> months;
    for (const PayrollTransaction& row : *rows) {
        statutory::MonthSoFar& m = months[dates::firstOfMonth(row.payDate)];
        m = monthWith(m, row);
    }
    const auto book = StatutoryRepository(m_db).book(company);
    if (!book)
        return book.status();
    for (auto it = months.cbegin(); it != months.cend(); ++it)
        if (statutory::esiCovers(book->on(it.key()), exemptions, it.key(), it->wages))
            return true;
    return false;
}

Result<statutory::MonthSoFar> PayrollRepository::monthBefore(const PayrollTransaction& t, const statutory::Rules& rules,
                                                             const statutory::Exemptions& exemptions) const
{
    const auto rows = employeeMonth(t.company, t.employeeId, t.payDate);
    if (!rows)
        return rows.status();
    statutory::MonthSoFar earlier;
    for (const PayrollTransaction& row : *rows)
        if (row.transId != t.transId && enteredBefore(row, t))
            earlier = monthWith(earlier, row);
    const auto covered =
        rules.esiOn ? coveredInPeriod(t.company, t.employeeId, t.payDate, exemptions) : Result<bool>(false);
    if (!covered)
        return covered.status();
    earlier.esiCoveredInPeriod = *covered;
    return earlier;
}

Status PayrollRepository::reworkMonth(const QString& company, qint64 employeeId, QDate month) const
{
    const auto rules = StatutoryRepository(m_db).inForce(company, month);
    if (!rules)
        return rules.status();
    // Without a deduction or a fixed divisor each transaction stands alone.
    if (!rules->monthWise())
        return {};
    const auto rows = employeeMonth(company, employeeId, month);
    if (!rows)
        return rows.status();
    if (rows->isEmpty())
        return {};
    const auto employee = EmployeeRepository(m_db).find(employeeId);
    if (!employee)
        return employee.status();
    const statutory::Exemptions exemptions = *employee ? (*employee)->exemptions : statutory::Exemptions{};
    const auto covered = rules->esiOn ? coveredInPeriod(company, employeeId, month, exemptions) : Result<bool>(false);
    if (!covered)
        return covered.status();
    statutory::MonthSoFar earlier;
    earlier.esiCoveredInPeriod = *covered;
    for (const PayrollTransaction& row : *rows) {
        // Rules hold from the first of a month: one book for all of it.
        const auto worked = withFiguresWorkedOut(row, *rules, exemptions, earlier);
        if (!worked)
            return Status::failure(QStringLiteral("The pay of transaction %1 is too large to work out.").arg(row.transId));
        earlier = monthWith(earlier, *worked);
        if (*worked == row)
            continue;
        const auto change =
            audit::Change::of(m_db, QStringLiteral("payroll"), QStringLiteral("transid = ?"), {QVariant(row.transId)});
        if (!change)
            return change.status();
        SqlQuery q(m_db, updateStatement(QStringLiteral("payroll"), payroll_row::columns(), QStringLiteral("transid = ?")));
        payroll_row::bind(q, *worked);
        q.bind(row.transId);
        if (Status s = q.exec(); !s)
            return s;
        if (Status s = change->record(QStringLiteral("worked out again with its month's other transactions")); !s)
            return s;
    }
    return {};
}

Result<QSet<std::pair<qint64, QString>>> PayrollRepository::monthsLeftBehind(const QString& company,
                                                                           const QString& where,
                                                                           const QVariantList& values) const
{
    QSet<std::pair<qint64, QString>> months;
    const auto rules = readOne(m_db, StatutoryRepository::countRead(company));
    if (!rules)
        return rules.status();
    if (rules->toLongLong() == 0)
        return months;
    SqlQuery q(m_db, QStringLiteral("SELECT DISTINCT ID, substr(ddate, 1, 7) FROM payroll WHERE %1").arg(where));
    for (const QVariant& v : values)
        q.bind(v);
    const auto read = q.rows([](const SqlQuery& row) { return std::pair(row.number(0), row.text(1)); });
    if (!read)
        return read.status();
    for (const auto& month : *read)
        months.insert(month);
    return months;
}

Status PayrollRepository::reworkMonthsLeft(const QString& company, const QSet<std::pair<qint64, QString>>& months) const
{
    if (months.isEmpty())
        return {};
    // One reading of which of them still have transactions: a bulk deletion mostly leaves none.
    QString first = months.begin()->second, last = first;
    for (const auto& month : months) {
        first = std::min(first, month.second);
        last = std::max(last, month.second);
    }
    SqlQuery q(m_db, QStringLiteral("SELECT DISTINCT ID, substr(ddate, 1, 7) FROM payroll WHERE company = ? AND "
                                    "ddate BETWEEN ? AND ?"));
    q.bind(company).bind(first + QStringLiteral("-01")).bind(last + QStringLiteral("-31"));
    const auto left = q.rows([](const SqlQuery& row) { return std::pair(row.number(0), row.text(1)); });
    if (!left)
        return left.status();
    for (const auto& month : *left)
        if (months.contains(month))
            if (Status s = reworkMonth(company, month.first,
                                       QDate::fromString(month.second + QStringLiteral("-01"), Qt::ISODate));
                !s)
                return s;
    return {};
}

Status PayrollRepository::lockEmployeesOf(const QString& company, const QString& where,
                                          const QVariantList& values) const
{
    if (m_db.backend() != Backend::PostgreSQL)
        return {}; // a write on a file holds the whole file already
    const auto rules = readOne(m_db, StatutoryRepository::countRead(company));
    if (!rules)
        return rules.status();
    if (rules->toLongLong() == 0)
        return {};
    SqlQuery q(m_db, QStringLiteral("SELECT DISTINCT ID FROM payroll WHERE %1 ORDER BY ID").arg(where));
    for (const QVariant& v : values)
        q.bind(v);
    const auto ids = q.rows([](const SqlQuery& row) { return row.number(0); });
    if (!ids)
        return ids.status();
    for (qint64 id : *ids)
        if (Status s = lockEmployee(m_db, id); !s)
            return s;
    return {};
}
