#include "revision_repository.h"

#include "common/clock.h"
#include "data/audit_trail.h"
#include "data/database.h"
#include "data/month_close.h"
#include "data/sql_query.h"
#include "rules/record_rules.h"

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

} // namespace

Result<QList<ArrearsRow>> RevisionRepository::arrears(const QString& company, qint64 employeeId, QDate from,
                                                      QDate to) const
{
    SqlQuery q(m_db, QStringLiteral("SELECT ID, emname, increamt, incredt, noofpre, amtpaid, company, ddat1 FROM arr"
                                    " WHERE company = ? AND ID = ? AND ddat1 BETWEEN ? AND ? ORDER BY ddat1, rowid"));
    q.bind(company).bind(employeeId).bind(from).bind(to);
    return q.rows([](const SqlQuery& row) {
        return ArrearsRow{row.number(0), row.text(1),   row.amount(2), row.text(3),
                          row.amount(4), row.amount(5), row.text(6),   row.date(7)};
    });
}

Status RevisionRepository::saveIncrement(const Revision& given, const QList<ArrearsRow>& arrears, Currency oldRate,
                                         Currency newRate)
{
    const Revision increment = rules::normalised(given);
    if (const auto broken = rules::check(increment, rules::RevisionKind::Increment))
        return Status::failure(broken->message);
    for (const ArrearsRow& a : arrears)
        if (const auto broken = rules::check(a))
            return Status::failure(broken->message);
    if (const auto broken = rules::checkRevisedRate(oldRate, increment.amount, newRate))
        return Status::failure(broken->message);
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
            SqlQuery q(m_db,
                       insertStatement(QStringLiteral("arr"),
                                       {QStringLiteral("ID"), QStringLiteral("emname"), QStringLiteral("increamt"),
                                        QStringLiteral("incredt"), QStringLiteral("noofpre"), QStringLiteral("amtpaid"),
                                        QStringLiteral("company"), QStringLiteral("ddat1")},
                                       QStringLiteral("rowid")));
            q.bind(a.employeeId)
                .bind(a.name)
                .bind(a.increment)
                .bind(a.month)
                .bind(a.daysPresent)
                .bind(a.paid)
                .bind(a.company)
                .bind(paid);
            if (Status s = insertRecorded(m_db, QStringLiteral("arr"), q); !s)
                return s;
        }
        SqlQuery q(m_db, QStringLiteral("INSERT INTO incre (ID, emname, increamt, incredt, incretm, fromdt, todt,"
                                        " company) VALUES (?, ?, ?, ?, ?, ?, ?, ?) RETURNING rowid"));
        q.bind(increment.employeeId)
            .bind(increment.name)
            .bind(increment.amount)
            .bind(increment.date)
            .bind(increment.time.toString(timeFormat))
            .bind(increment.from)
            .bind(increment.to)
            .bind(increment.company);
        if (Status s = insertRecorded(m_db, QStringLiteral("incre"), q); !s)
            return s;
        return setBasicRate(m_db, increment.employeeId, oldRate, newRate);
    });
}

Status RevisionRepository::saveDecrement(const Revision& given, Currency oldRate, Currency newRate)
{
    const Revision decrement = rules::normalised(given);
    if (const auto broken = rules::check(decrement, rules::RevisionKind::Decrement))
        return Status::failure(broken->message);
    if (const auto broken = rules::checkRevisedRate(oldRate, Currency::fromUnits(-decrement.amount.units()), newRate))
        return Status::failure(broken->message);
    return inWriteTransaction(m_db, [&]() -> Status {
        SqlQuery q(m_db, QStringLiteral("INSERT INTO decre (ID, emname, decreamt, decredt, decretm, company)"
                                        " VALUES (?, ?, ?, ?, ?, ?) RETURNING rowid"));
        q.bind(decrement.employeeId)
            .bind(decrement.name)
            .bind(decrement.amount)
            .bind(decrement.date)
            .bind(decrement.time.toString(timeFormat))
            .bind(decrement.company);
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
