#include "advance_repository.h"

#include "common/dates.h"
#include "data/audit_trail.h"
#include "data/database.h"
#include "data/employee_repository.h"
#include "data/ledger_facts.h"
#include "data/month_close.h"
#include "data/sql_query.h"
#include "rules/record_rules.h"

namespace {
const QString advanceTable = QStringLiteral("adv");
const QString closedAdvances = QStringLiteral("its advances cannot be added, changed or deleted");
const QString entryOf = QStringLiteral("company = ? AND ID = ? AND advdt = ?");
} // namespace

namespace {
const QStringList advanceColumns = {QStringLiteral("ID"),    QStringLiteral("emname"), QStringLiteral("advamt"),
                                    QStringLiteral("advdt"), QStringLiteral("advtm"),  QStringLiteral("company")};

void bindAdvance(SqlQuery& q, const Advance& advance)
{
    q.bind(advance.employeeId)
        .bind(advance.name)
        .bind(advance.amount)
        .bind(advance.date)
        .bind(advance.time.isValid() ? QVariant(advance.time.toString(QStringLiteral("HH:mm:ss")))
                                     : QVariant(QMetaType(QMetaType::QString)))
        .bind(advance.company);
}
} // namespace

AdvanceRepository::Batch::Batch(const Database& database, LedgerFacts& facts, bool history)
    : m_facts(facts), m_history(history),
      m_insert(std::make_unique<SqlQuery>(database, insertStatement(advanceTable, advanceColumns)))
{
}

AdvanceRepository::Batch::~Batch() = default;

Status AdvanceRepository::Batch::add(const Advance& given)
{
    Advance advance = rules::normalised(given);
    if (const auto broken = rules::check(advance))
        return Status::refused(broken->field, broken->message);
    const Employee* employee = nullptr;
    if (Status s = m_facts.knownParties(advance.employeeId, advance.company, m_history, employee); !s)
        return s;
    if (employee && !m_history && advance.name.isEmpty())
        advance.name = employee->name;
    const auto closed = m_facts.closedMonth(advance.company, advance.date);
    if (!closed)
        return closed.status();
    if (*closed)
        return Status::refused(QStringLiteral("advdt"), closedMonthRefusal(**closed, closedAdvances));
    bindAdvance(*m_insert, advance);
    if (Status s = m_insert->exec(); !s)
        return s;
    return m_facts.advanced(advance);
}

Status AdvanceRepository::insert(const Advance& given)
{
    const Advance advance = rules::normalised(given);
    if (const auto broken = rules::check(advance))
        return Status::refused(broken->field, broken->message);
    return inWriteTransaction(m_db, [&]() -> Status {
        if (Status s = MonthCloseRepository(m_db).refuseIfClosed(advance.company, advance.date, closedAdvances); !s)
            return s;
        if (Status s = refuseUnknown(m_db, advance.employeeId, advance.company); !s)
            return s;
        SqlQuery q(m_db, insertStatement(advanceTable, advanceColumns, QStringLiteral("rowid")));
        bindAdvance(q, advance);
        const auto row = numberGiven(q);
        if (!row)
            return row.status();
        return audit::recordInserted(m_db, advanceTable, QString::number(*row));
    });
}

Result<Currency> AdvanceRepository::monthTotal(qint64 employeeId, QDate month) const
{
    SqlQuery q(m_db, QStringLiteral("SELECT sum(advamt) FROM adv WHERE ID = ? AND advdt BETWEEN ? AND ?"));
    q.bind(employeeId).bind(dates::firstOfMonth(month)).bind(dates::lastOfMonth(month));
    return q.total();
}

Result<qint64> AdvanceRepository::setAmount(const QString& company, qint64 employeeId, QDate date, Currency amount)
{
    if (const auto broken = rules::amount(QStringLiteral("advamt"), QStringLiteral("the advance amount"), amount,
                                          rules::Sign::Positive))
        return Status::refused(broken->field, broken->message);
    return change(company, employeeId, date, QStringLiteral("UPDATE adv SET advamt = ?"), amount);
}

Result<qint64> AdvanceRepository::remove(const QString& company, qint64 employeeId, QDate date)
{
    return change(company, employeeId, date, QStringLiteral("DELETE FROM adv"), std::nullopt);
}

Result<qint64> AdvanceRepository::change(const QString& company, qint64 employeeId, QDate date,
                                         const QString& statement, const std::optional<Currency>& value)
{
    qint64 changed = 0;
    const Status done = inWriteTransaction(m_db, [&]() -> Status {
        if (Status s = MonthCloseRepository(m_db).refuseIfClosed(company, date, closedAdvances); !s)
            return s;
        const QVariantList key{QVariant(company), QVariant(employeeId), QVariant(date.toString(Qt::ISODate))};
        const auto change = audit::Change::of(m_db, advanceTable, entryOf, key);
        if (!change)
            return change.status();
        SqlQuery q(m_db, statement + QStringLiteral(" WHERE ") + entryOf);
        if (value)
            q.bind(*value);
        q.bind(company).bind(employeeId).bind(date);
        const auto count = q.execCounting();
        if (!count)
            return count.status();
        changed = *count;
        return change->record();
    });
    if (!done)
        return done;
    return changed;
}

Result<qint64> AdvanceRepository::removeAll(const QString& company)
{
    return removeUnlessClosed(m_db, advanceTable, QStringLiteral("advdt"), company, closedAdvances);
}

Result<QList<Advance>> AdvanceRepository::paid(const QString& company, QDate from, QDate to) const
{
    SqlQuery q(m_db, QStringLiteral("SELECT ID, emname, advamt, advdt, advtm, company FROM adv"
                                    " WHERE company = ? AND advdt BETWEEN ? AND ? ORDER BY ID, advdt, advtm, rowid"));
    q.bind(company).bind(from).bind(to);
    return q.rows([](const SqlQuery& row) {
        return Advance{row.number(0),
                       row.text(1),
                       row.amount(2),
                       row.date(3),
                       QTime::fromString(row.text(4), QStringLiteral("HH:mm:ss")),
                       row.text(5)};
    });
}

Result<qint64> AdvanceRepository::count(const QString& company, qint64 employeeId, QDate date) const
{
    SqlQuery q(m_db, QStringLiteral("SELECT count(*) FROM adv WHERE company = ? AND ID = ? AND advdt = ?"));
    q.bind(company).bind(employeeId).bind(date);
    const auto n = q.single();
    if (!n)
        return n.status();
    return n->toLongLong();
}
