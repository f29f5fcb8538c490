#include "revision_repository.h"

#include "common/clock.h"
#include "common/dates.h"
#include "data/audit_trail.h"
#include "data/database.h"
#include "data/ledger_facts.h"
#include "data/month_close.h"
#include "data/sql_query.h"
#include "rules/record_rules.h"

#include <algorithm>

namespace {

const QString timeFormat = QStringLiteral("HH:mm:ss");

// Changes the rate only from the one the revision was worked out on: a clerk at another
// workstation who revised the same employee meanwhile is not overwritten.
Status setBasicRate(const Database& db, qint64 employeeId, Currency oldRate, Currency rate)
{
    const auto change = audit::Change::of(db, QStringLiteral("emp"), QStringLiteral("ID = ?"), {QVariant(employeeId)});
    if (!change)
        return change.status();
    SqlQuery q(db, QStringLiteral("UPDATE emp SET basicrate = ? WHERE ID = ? AND basicrate = ?"));
    q.bind(rate).bind(employeeId).bind(oldRate);
    if (Status s = q.execChanging(QStringLiteral("The basic rate of employee number %1 was changed meanwhile, or the "
                                                 "employee was deleted; nothing was saved. Choose the employee again.")
                                      .arg(employeeId));
        !s)
        return s;
    return change->record();
}

// Runs an insert that gives back the new row's number, and records the row in the trail.
Status insertRecorded(const Database& db, const QString& table, SqlQuery& insert)
{
    const auto row = numberGiven(insert);
    if (!row)
        return row.status();
    return audit::recordInserted(db, table, QString::number(*row));
}

const QStringList arrearsColumns = {QStringLiteral("ID"),      QStringLiteral("emname"),  QStringLiteral("increamt"),
                                    QStringLiteral("incredt"), QStringLiteral("noofpre"), QStringLiteral("amtpaid"),
                                    QStringLiteral("company"), QStringLiteral("ddat1")};
const QStringList incrementColumns = {QStringLiteral("ID"),      QStringLiteral("emname"), QStringLiteral("increamt"),
                                      QStringLiteral("incredt"), QStringLiteral("incretm"), QStringLiteral("fromdt"),
                                      QStringLiteral("todt"),    QStringLiteral("company")};
const QStringList decrementColumns = {QStringLiteral("ID"),      QStringLiteral("emname"), QStringLiteral("decreamt"),
                                      QStringLiteral("decredt"), QStringLiteral("decretm"), QStringLiteral("company")};

QVariant timeValue(QTime time)
{
    return time.isValid() ? QVariant(time.toString(timeFormat)) : QVariant(QMetaType(QMetaType::QString));
}

void bindArrears(SqlQuery& q, const ArrearsRow& a, QDate paid)
{
    q.bind(a.employeeId).bind(a.name).bind(a.increment).bind(a.month).bind(a.daysPresent).bind(a.paid).bind(a.company).bind(paid);
}

void bindRevision(SqlQuery& q, const Revision& r, rules::RevisionKind kind)
{
    q.bind(r.employeeId).bind(r.name).bind(r.amount).bind(r.date).bind(timeValue(r.time));
    if (kind == rules::RevisionKind::Increment)
        q.bind(r.from).bind(r.to);
    q.bind(r.company);
}

} // namespace

RevisionRepository::Batch::Batch(const Database& database, LedgerFacts& facts)
    : m_facts(facts), m_arrears(std::make_unique<SqlQuery>(database, insertStatement(QStringLiteral("arr"), arrearsColumns))),
      m_increments(std::make_unique<SqlQuery>(database, insertStatement(QStringLiteral("incre"), incrementColumns))),
      m_decrements(std::make_unique<SqlQuery>(database, insertStatement(QStringLiteral("decre"), decrementColumns)))
{
}

RevisionRepository::Batch::~Batch() = default;

Status RevisionRepository::Batch::add(Revision revision, rules::RevisionKind kind)
{
    revision = rules::normalised(revision);
    if (const auto broken = rules::check(revision, kind))
        return Status::refused(broken->field, broken->message);
    const Employee* employee = nullptr;
    if (Status s = m_facts.knownParties(revision.employeeId, revision.company, true, employee); !s)
        return s;
    SqlQuery& insert = kind == rules::RevisionKind::Increment ? *m_increments : *m_decrements;
    bindRevision(insert, revision, kind);
    return insert.exec();
}

Status RevisionRepository::Batch::add(ArrearsRow a)
{
    if (const auto broken = rules::check(a))
        return Status::refused(broken->field, broken->message);
    const Employee* employee = nullptr;
    if (Status s = m_facts.knownParties(a.employeeId, a.company, true, employee); !s)
        return s;
    bindArrears(*m_arrears, a, a.payDate);
    return m_arrears->exec();
}

Result<QList<ArrearsRow>> RevisionRepository::arrears(const QString& company, qint64 employeeId, QDate from,
                                                      QDate to) const
{
    // The arrears of a period are those paid for its months, whenever they were paid: a closed
    // month's are paid later, dated the day they were. A row whose month cannot be read counts
    // by the date it was paid.
    SqlQuery q(m_db, QStringLiteral("SELECT ID, emname, increamt, incredt, noofpre, amtpaid, company, ddat1 FROM arr"
                                    " WHERE company = ? AND ID = ? ORDER BY ddat1, rowid"));
    q.bind(company).bind(employeeId);
    const auto rows = q.rows([](const SqlQuery& row) {
        return ArrearsRow{row.number(0), row.text(1),   row.amount(2), row.text(3),
                          row.amount(4), row.amount(5), row.text(6),   row.date(7)};
    });
    if (!rows)
        return rows.status();
    const auto monthOf = [](const ArrearsRow& a) {
        const QDate month = dates::fromMonthYearText(a.month);
        return month.isValid() ? month : dates::firstOfMonth(a.payDate);
    };
    QList<ArrearsRow> inPeriod;
    for (const ArrearsRow& a : *rows) {
        const QDate month = dates::fromMonthYearText(a.month);
        if (month.isValid() ? month >= dates::firstOfMonth(from) && month <= to : a.payDate >= from && a.payDate <= to)
            inPeriod << a;
    }
    std::stable_sort(inPeriod.begin(), inPeriod.end(),
                     [&](const ArrearsRow& a, const ArrearsRow& b) { return monthOf(a) < monthOf(b); });
    return inPeriod;
}

Status RevisionRepository::saveIncrement(const Revision& given, const QList<ArrearsRow>& arrears, Currency oldRate,
                                         Currency newRate)
{
    const Revision increment = rules::normalised(given);
    if (const auto broken = rules::check(increment, rules::RevisionKind::Increment))
        return Status::refused(broken->field, broken->message);
    for (const ArrearsRow& a : arrears)
        if (const auto broken = rules::check(a))
            return Status::refused(broken->field, broken->message);
    if (const auto broken = rules::checkRevisedRate(oldRate, increment.amount, newRate))
        return Status::refused(broken->field, broken->message);
    return inWriteTransaction(m_db, [&]() -> Status {
        const MonthCloseRepository months(m_db);
        for (const ArrearsRow& a : arrears) {
            // Arrears are paid now for the months past: those of a closed month are dated today,
            // and its payroll stays as it was closed.
            if (Status s = lockMonth(m_db, a.company, a.payDate, false); !s)
                return s;
            const auto closed = months.find(a.company, a.payDate);
            if (!closed)
                return closed.status();
            const QDate paid = closed->has_value() ? m_db.clock().today() : a.payDate;
            SqlQuery q(m_db, insertStatement(QStringLiteral("arr"), arrearsColumns, QStringLiteral("rowid")));
            bindArrears(q, a, paid);
            if (Status s = insertRecorded(m_db, QStringLiteral("arr"), q); !s)
                return s;
        }
        SqlQuery q(m_db, insertStatement(QStringLiteral("incre"), incrementColumns, QStringLiteral("rowid")));
        bindRevision(q, increment, rules::RevisionKind::Increment);
        if (Status s = insertRecorded(m_db, QStringLiteral("incre"), q); !s)
            return s;
        return setBasicRate(m_db, increment.employeeId, oldRate, newRate);
    });
}

Status RevisionRepository::saveDecrement(const Revision& given, Currency oldRate, Currency newRate)
{
    const Revision decrement = rules::normalised(given);
    if (const auto broken = rules::check(decrement, rules::RevisionKind::Decrement))
        return Status::refused(broken->field, broken->message);
    if (const auto broken = rules::checkRevisedRate(oldRate, Currency::fromUnits(-decrement.amount.units()), newRate))
        return Status::refused(broken->field, broken->message);
    return inWriteTransaction(m_db, [&]() -> Status {
        SqlQuery q(m_db, insertStatement(QStringLiteral("decre"), decrementColumns, QStringLiteral("rowid")));
        bindRevision(q, decrement, rules::RevisionKind::Decrement);
        if (Status s = insertRecorded(m_db, QStringLiteral("decre"), q); !s)
            return s;
        return setBasicRate(m_db, decrement.employeeId, oldRate, newRate);
    });
}

Result<QList<Revision>> RevisionRepository::decrements(const QString& company, qint64 employeeId) const
{
    SqlQuery q(m_db, QStringLiteral("SELECT ID, emname, decreamt, decredt, decretm, company FROM decre"
                                    " WHERE company = ? AND ID = ? ORDER BY decredt, decretm, rowid"));
    q.bind(company).bind(employeeId);
    return q.rows([](const SqlQuery& row) {
        Revision r;
        r.employeeId = row.number(0);
        r.name = row.text(1);
        r.amount = row.amount(2);
        r.date = row.date(3);
        r.time = QTime::fromString(row.text(4), timeFormat);
        r.company = row.text(5);
        return r;
    });
}
