#include "payroll_repository.h"

#include "common/dates.h"
#include "common/memory.h"
#include "data/audit_trail.h"
#include "data/database.h"
#include "data/month_close.h"
#include "data/payroll_row.h"
#include "data/dialect.h"
#include "data/company_repository.h"
#include "data/employee_repository.h"
#include "data/statutory_repository.h"
#include "data/loan_repository.h"
#include "data/sql_query.h"
#include "rules/pay_calculation.h"
#include "rules/record_rules.h"

#include <algorithm>
#include <tuple>
#include <limits>
#include <numeric>

namespace {

const QString closedPayroll = payroll_row::closedWhat();
const QString payrollTable = QStringLiteral("payroll");

} // namespace

QString PayrollDeletion::keptNote() const
{
    if (kept == 0)
        return {};
    return QStringLiteral("%1 of closed months %2 kept: %3.")
        .arg(kept == 1 ? QStringLiteral("1 transaction") : QStringLiteral("%1 transactions").arg(kept),
             kept == 1 ? QStringLiteral("was") : QStringLiteral("were"), closedMonths.join(QStringLiteral("; ")));
}

QList<ScalarRead> PayrollRepository::ledgerReads(const PayrollTransaction& t)
{
    return {LoanRepository::lentRead(t.employeeId), recoveredRead(t.employeeId),
            StatutoryRepository::countRead(t.company)};
}

Result<PayrollRepository::Ledger> PayrollRepository::ledgerOf(const QVariantList& values)
{
    Ledger ledger;
    const auto lent = totalOf(values.at(0));
    if (!lent)
        return lent.status();
    const auto recovered = totalOf(values.at(1));
    if (!recovered)
        return recovered.status();
    ledger.lent = *lent;
    ledger.recovered = *recovered;
    ledger.anyRules = values.at(2).toLongLong() > 0;
    return ledger;
}

Result<PayrollWrite> PayrollRepository::capped(PayrollTransaction t, Currency counted, const Ledger& ledger) const
{
    PayrollWrite write;
    const Currency before = ledger.recovered.minus(counted).value_or(Currency());
    const Currency owed = std::max(Currency(), ledger.lent.minus(before).value_or(Currency()));
    if (t.loanRecovered > owed) {
        t.loanRecovered = owed;
        write.loanCapped = true;
    }
    // Every figure worked out is the rules', never the caller's: the rules in force on the pay
    // date and the employee's exemptions, read here under the write lock. A company without rules
    // has the plain ones.
    const auto rules = ledger.anyRules ? StatutoryRepository(m_db).inForce(t.company, t.payDate)
                                       : Result<statutory::Rules>(statutory::Rules{});
    if (!rules)
        return rules.status();
    statutory::Exemptions exemptions;
    if (!rules->plain()) {
        const auto employee = EmployeeRepository(m_db).find(t.employeeId);
        if (!employee)
            return employee.status();
        if (*employee)
            exemptions = (*employee)->exemptions;
    }
    // The deductions are the month's: this transaction owes what its earlier ones did not deduct.
    statutory::MonthSoFar earlier;
    if (rules->monthWise()) {
        const auto before = monthBefore(t, *rules, exemptions);
        if (!before)
            return before.status();
        earlier = *before;
    }
    auto worked = withFiguresWorkedOut(t, *rules, exemptions, earlier);
    if (!worked)
        return Status::failure(QStringLiteral("The pay of transaction %1 is too large to work out.").arg(t.transId));
    write.stored = std::move(*worked);
    return write;
}

Result<PayrollWrite> PayrollRepository::save(const PayrollTransaction& given, qint64 agreedExisting)
{
    const PayrollTransaction t = rules::normalised(given);
    if (const auto broken = rules::check(t))
        return Status::refused(broken->field, broken->message);
    Result<PayrollWrite> result = PayrollWrite{};
    const Status done = inWriteTransaction(m_db, [&]() -> Status {
        // The employee, the month and the trail's end are held at once, and everything the save
        // checks is then read at once: a workstation across the network waits for two round trips
        // where it waited for ten. The trail's end is held last of all, and only by a save that is
        // a transaction of its own: one inside a larger change may lock more after it.
        const bool alone = m_db.transactionDepth() == 1;
        Locks locks;
        locks.employee(t.employeeId).month(t.company, t.payDate, false);
        if (alone)
            locks.auditChain();
        if (Status s = locks.take(m_db); !s)
            return s;
        QList<ScalarRead> reads = MonthCloseRepository::closeReads(t.company, t.payDate);
        reads << countRead(t.company, t.employeeId, t.payDate) << ledgerReads(t)
              << EmployeeRepository::existsRead(t.employeeId) << CompanyRepository::existsRead(t.company);
        if (alone)
            reads << audit::endReads();
        const auto read = readTogether(m_db, reads);
        if (!read)
            return read.status();
        if (const auto closed = MonthCloseRepository::closedOf(t.company, t.payDate, read->at(0), read->at(1)))
            return Status::refused(QStringLiteral("ddate"), closedMonthRefusal(*closed, closedPayroll));
        const qint64 existing = read->at(2).toLongLong();
        if (existing > agreedExisting) {
            PayrollWrite taken;
            taken.outcome = PayrollWrite::Outcome::MonthTaken;
            taken.existing = existing;
            result = taken;
            return {};
        }
        // A transaction is of an employee and a company that are there: not of a number or a
        // name that nobody has (a company deleted, a name mistyped in a file).
        if (read->at(6).toLongLong() == 0)
            return Status::refused(QStringLiteral("ID"), EmployeeRepository::missing(t.employeeId));
        if (read->at(7).toLongLong() == 0)
            return Status::refused(QStringLiteral("company"), CompanyRepository::missing(t.company));
        const auto ledger = ledgerOf(read->mid(3, 3));
        if (!ledger)
            return ledger.status();
        if (alone)
            m_db.setAuditEnd(audit::endOf(read->at(8), read->at(9)));
        auto write = capped(t, Currency(), *ledger);
        if (!write)
            return write.status();
        const auto number = writeNew(write->stored);
        if (!number)
            return number.status();
        write.value().stored.transId = *number;
        // A transaction numbered by its file may come before others of its month: they owe what it
        // does not. One numbered here comes last and changes none.
        if (existing > 0 && ledger->anyRules && t.transId > 0)
            if (Status s = reworkMonth(t.company, t.employeeId, t.payDate); !s)
                return s;
        result = write;
        return {};
    });
    if (!done)
        return done;
    return result;
}

Result<qint64> PayrollRepository::writeNew(const PayrollTransaction& t)
{
    if (t.transId > 0) {
        SqlQuery q(m_db, insertStatement(payrollTable, QStringList{QStringLiteral("transid")} + payroll_row::columns()));
        q.bind(t.transId);
        payroll_row::bind(q, t);
        if (Status s = q.exec(); !s)
            return s;
        if (const QString follow = dialect::identityAfterLargest(m_db.backend(), payrollTable, QStringLiteral("transid"));
            !follow.isEmpty())
            if (Status s = execute(m_db, follow); !s)
                return s;
        if (Status s = audit::recordInserted(m_db, payrollTable, QString::number(t.transId)); !s)
            return s;
        return t.transId;
    }
    // The new row comes back from the insert as stored, for the trail.
    const auto id = audit::insertRecorded(m_db, payrollTable, insertStatement(payrollTable, payroll_row::columns()),
                                          [&](SqlQuery& q) { payroll_row::bind(q, t); });
    if (!id)
        return id.status();
    // Numbers taken by imported rows may have brought the next one past what a file can carry back
    // in: no number is given beyond what the import takes.
    if (*id > rules::maxTransactionId)
        return Status::failure(
            QStringLiteral("Every transaction number up to %1 has been given out.").arg(rules::maxTransactionId));
    return *id;
}

Result<qint64> PayrollRepository::insert(const PayrollTransaction& t)
{
    const auto saved = save(t, std::numeric_limits<qint64>::max());
    if (!saved)
        return saved.status();
    return saved->stored.transId;
}

Result<PayrollWrite> PayrollRepository::update(qint64 transId, const PayrollTransaction& given,
                                               const PayrollTransaction& loaded)
{
    PayrollTransaction t = rules::normalised(given);
    t.transId = transId;
    if (const auto broken = rules::check(t))
        return Status::refused(broken->field, broken->message);
    Result<PayrollWrite> result = PayrollWrite{};
    const Status done = inWriteTransaction(m_db, [&]() -> Status {
        // Two employees are locked in order, so that two updates moving rows between them cannot
        // wait on each other.
        for (qint64 employee : {std::min(loaded.employeeId, t.employeeId), std::max(loaded.employeeId, t.employeeId)})
            if (Status s = lockEmployee(m_db, employee); !s)
                return s;
        const auto current = find(transId);
        if (!current)
            return current.status();
        if (!current->has_value())
            return Status::failure(QStringLiteral("There is no payroll transaction number %1.").arg(transId));
        const PayrollTransaction& now = **current;
        const MonthCloseRepository months(m_db);
        if (Status s = months.refuseIfClosed(now.company, now.payDate, closedPayroll); !s)
            return s;
        if (Status s = months.refuseIfClosed(t.company, t.payDate, closedPayroll); !s)
            return s;
        if (now != loaded) {
            PayrollWrite changed;
            changed.outcome = PayrollWrite::Outcome::ChangedMeanwhile;
            changed.stored = now;
            result = changed;
            return {};
        }
        const auto read = readTogether(m_db, ledgerReads(t));
        if (!read)
            return read.status();
        const auto ledger = ledgerOf(*read);
        if (!ledger)
            return ledger.status();
        // The row's own recovery is replaced, not added to.
        auto write = capped(t, now.employeeId == t.employeeId ? now.loanRecovered : Currency(), *ledger);
        if (!write)
            return write.status();
        const auto change = audit::Change::of(m_db, payrollTable, QStringLiteral("transid = ?"), {QVariant(transId)});
        if (!change)
            return change.status();
        SqlQuery q(m_db, updateStatement(QStringLiteral("payroll"), payroll_row::columns(), QStringLiteral("transid = ?")));
        payroll_row::bind(q, write->stored);
        q.bind(transId);
        if (Status s = q.execChanging(QStringLiteral("There is no payroll transaction number %1.").arg(transId)); !s)
            return s;
        if (Status s = change->record(); !s)
            return s;
        // The later transactions of its month, and of the month it left, owe what it no longer does.
        if (ledger->anyRules) {
            if (Status s = reworkMonth(t.company, t.employeeId, t.payDate); !s)
                return s;
            const bool moved = now.company != t.company || now.employeeId != t.employeeId ||
                               dates::firstOfMonth(now.payDate) != dates::firstOfMonth(t.payDate);
            if (moved)
                if (Status s = reworkMonth(now.company, now.employeeId, now.payDate); !s)
                    return s;
        }
        result = write;
        return {};
    });
    if (!done)
        return done;
    return result;
}

Result<std::optional<PayrollTransaction>> PayrollRepository::find(qint64 transId) const
{
    SqlQuery q(m_db, payroll_row::selectFrom(QStringLiteral("WHERE transid = ?")));
    q.bind(transId);
    return q.first(payroll_row::read<SqlQuery>);
}

Result<QList<PayrollTransaction>> PayrollRepository::month(const QString& company, QDate month) const
{
    SqlQuery q(m_db, payroll_row::selectFrom(QStringLiteral("WHERE company = ? AND ddate BETWEEN ? AND ? ORDER BY ID, transid")));
    q.bind(company).bind(dates::firstOfMonth(month)).bind(dates::lastOfMonth(month));
    return q.rows(payroll_row::read<SqlQuery>);
}

ScalarRead PayrollRepository::firstOfMonthRead(const QString& company, qint64 employeeId, QDate month)
{
    return {QStringLiteral("SELECT min(transid) FROM payroll WHERE ID = ? AND ddate BETWEEN ? AND ? AND company = ?"),
            {employeeId, dates::storageText(dates::firstOfMonth(month)), dates::storageText(dates::lastOfMonth(month)),
             company}};
}

ScalarRead PayrollRepository::numberTakenRead(qint64 transId)
{
    return {QStringLiteral("SELECT count(*) FROM payroll WHERE transid = ?"), {transId}};
}

ScalarRead PayrollRepository::countRead(const QString& company, qint64 employeeId, QDate month)
{
    return {QStringLiteral("SELECT count(*) FROM payroll WHERE ID = ? AND ddate BETWEEN ? AND ? AND company = ?"),
            {employeeId, dates::storageText(dates::firstOfMonth(month)), dates::storageText(dates::lastOfMonth(month)),
             company}};
}


Result<qint64> PayrollRepository::removeNumber(const QString& company, qint64 transId)
{
    qint64 removed = 0;
    const Status done = inWriteTransaction(m_db, [&]() -> Status {
        const auto row = find(transId);
        if (!row)
            return row.status();
        if (!row->has_value() || (*row)->company != company)
            return {};
        if (Status s = MonthCloseRepository(m_db).refuseIfClosed(company, (*row)->payDate, closedPayroll); !s)
            return s;
        const auto deleted = removeWhere(company, QStringLiteral("transid = ?"), {QVariant(transId)});
        if (!deleted)
            return deleted.status();
        removed = deleted->deleted;
        return {};
    });
    if (!done)
        return done;
    return removed;
}

Result<PayrollDeletion> PayrollRepository::removeRange(const QString& company, qint64 first, qint64 last)
{
    return removeWhere(company, QStringLiteral("transid BETWEEN ? AND ?"), {QVariant(first), QVariant(last)});
}

Result<PayrollDeletion> PayrollRepository::removeAll(const QString& company)
{
    return removeWhere(company, {}, {});
}

Result<PayrollDeletion> PayrollRepository::removeWhere(const QString& company, const QString& condition,
                                                       const QVariantList& values)
{
    PayrollDeletion outcome;
    const Status done = inWriteTransaction(m_db, [&]() -> Status {
        QString where = QStringLiteral("company = ?");
        QVariantList bound{QVariant(company)};
        if (!condition.isEmpty()) {
            where += QStringLiteral(" AND ") + condition;
            bound += values;
        }
        if (Status s = lockEmployeesOf(company, where, bound); !s)
            return s;
        // The months the rows fall in are held as they are, open or closed; the closed ones stay
        // whole, and so does any month this deletion did not hold.
        const auto months = MonthCloseRepository(m_db).monthsOf(payrollTable, QStringLiteral("ddate"), company, where, bound);
        if (!months)
            return months.status();
        if (!months->closed.isEmpty()) {
            QStringList marks;
            QVariantList inClosed = bound;
            for (const ClosedMonth& m : months->closed) {
                outcome.closedMonths << m.caption();
                marks << QStringLiteral("?");
                inClosed << QVariant(m.month.toString(QStringLiteral("yyyy-MM")));
            }
            SqlQuery kept(m_db, QStringLiteral("SELECT count(*) FROM payroll WHERE %1 AND substr(ddate, 1, 7) IN (%2)")
                                    .arg(where, marks.join(QStringLiteral(", "))));
            for (const QVariant& v : inClosed)
                kept.bind(v);
            const auto count = kept.single();
            if (!count)
                return count.status();
            outcome.kept = count->toLongLong();
        }
        QVariantList open = bound;
        for (const QString& month : months->open)
            open << QVariant(month);
        const QString deleted = where + QStringLiteral(" AND ") + months->onlyOpen(QStringLiteral("ddate"));
        const auto left = monthsLeftBehind(company, deleted, open);
        if (!left)
            return left.status();
        const auto count = audit::removeRecorded(m_db, payrollTable, deleted, open);
        if (!count)
            return count.status();
        outcome.deleted = *count;
        return reworkMonthsLeft(company, *left);
    });
    if (!done)
        return done;
    return outcome;
}

Result<QList<PayrollRepository::Recovery>> PayrollRepository::recoveries(qint64 employeeId) const
{
    SqlQuery q(m_db, QStringLiteral("SELECT ID, emname, loanrec, ddate, company FROM payroll WHERE ID = ?"
                                    " ORDER BY ddate, transid"));
    q.bind(employeeId);
    return q.rows([](const SqlQuery& row) {
        return Recovery{row.number(0), row.text(1), row.amount(2), row.date(3), row.text(4)};
    });
}

Result<QList<PayrollTransaction>> PayrollRepository::ofEmployee(const QString& company, qint64 employeeId, QDate from,
                                                                QDate to) const
{
    SqlQuery q(m_db, payroll_row::selectFrom(QStringLiteral("WHERE company = ? AND ID = ? AND ddate BETWEEN ? AND ?"
                                               " ORDER BY ddate, transid")));
    q.bind(company).bind(employeeId).bind(from).bind(to);
    return q.rows(payroll_row::read<SqlQuery>);
}

Result<QList<PayrollTransaction>> PayrollRepository::select(const PayrollSelection& selection) const
{
    // The range is compared on the stored ISO date, so the (company, ddate) index bounds the read.
    QString where = QStringLiteral("WHERE company = ? AND ddate BETWEEN ? AND ?");
    if (selection.department)
        where += QStringLiteral(" AND dept = ?");
    if (selection.group)
        where += QStringLiteral(" AND grp = ?");
    if (selection.employee)
        where += QStringLiteral(" AND ID = ?");
    if (selection.loanRecoveredOnly)
        where += QStringLiteral(" AND loanrec > 0");
    // Read as the index finds them, then put in order here: a database would sort the whole rows
    // (PostgreSQL on disk, past its sorting memory), which takes longer than reading them.
    SqlQuery q(m_db, payroll_row::selectFrom(where));
    q.bind(selection.company).bind(selection.from).bind(selection.to);
    if (selection.department)
        q.bind(*selection.department);
    if (selection.group)
        q.bind(*selection.group);
    if (selection.employee)
        q.bind(*selection.employee);
    // Read in blocks of their own, which never move as more are read (a list grown row by row
    // copies a large office's year several times over), then moved once each, in order, into a
    // list of the exact size.
    if (Status s = q.exec(); !s)
        return s;
    constexpr size_t block = 4096;
    std::vector<std::vector<PayrollTransaction>> blocks;
    size_t count = 0;
    while (q.next()) {
        if (blocks.empty() || blocks.back().size() == block) {
            blocks.emplace_back();
            blocks.back().reserve(block);
        }
        blocks.back().push_back(payroll_row::read<SqlQuery>(q));
        ++count;
    }
    if (Status s = q.readFailure(); !s)
        return s;
    // By employee, date and transaction, sorted by those alone: a transaction is a large value.
    std::vector<std::tuple<qint64, qint64, qint64, size_t>> order;
    order.reserve(count);
    for (size_t b = 0; b < blocks.size(); ++b)
        for (size_t i = 0; i < blocks[b].size(); ++i) {
            const PayrollTransaction& t = blocks[b][i];
            order.emplace_back(t.employeeId, t.payDate.toJulianDay(), t.transId, b * block + i);
        }
    std::sort(order.begin(), order.end());
    // Hundreds of MB for a large office's year: filled in large pages where the system has them.
    QList<PayrollTransaction> sorted;
    sorted.reserve(qsizetype(count));
    preferLargePages(sorted.data(), count * sizeof(PayrollTransaction));
    for (const auto& entry : order)
        sorted.append(std::move(blocks[std::get<3>(entry) / block][std::get<3>(entry) % block]));
    return sorted;
}

ScalarRead PayrollRepository::recoveredRead(qint64 employeeId)
{
    return {QStringLiteral("SELECT sum(loanrec) FROM payroll WHERE ID = ?"), {employeeId}};
}

Result<Currency> PayrollRepository::loanRecovered(qint64 employeeId) const
{
    const auto sum = readOne(m_db, recoveredRead(employeeId));
    if (!sum)
        return sum.status();
    return totalOf(*sum);
}
