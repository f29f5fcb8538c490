#include "revision_repository.h"

#include "data/database.h"
#include "data/sql_query.h"
#include "rules/record_rules.h"

namespace {

const QString timeFormat = QStringLiteral("HH:mm:ss");

// Changes the rate only from the one the revision was worked out on: a clerk at another
// workstation who revised the same employee meanwhile is not overwritten.
Status setBasicRate(const Database& db, qint64 employeeId, Currency oldRate, Currency rate)
{
    SqlQuery q(db, QStringLiteral("UPDATE emp SET basicrate = ? WHERE ID = ? AND basicrate = ?"));
    q.bind(rate).bind(employeeId).bind(oldRate);
    return q.execChanging(QStringLiteral("The basic rate of employee number %1 was changed meanwhile, or the employee "
                                         "was deleted; nothing was saved. Choose the employee again.")
                              .arg(employeeId));
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
    return inWriteTransaction(m_db, [&] {
        for (const ArrearsRow& a : arrears) {
            SqlQuery q(m_db,
                       insertStatement(QStringLiteral("arr"),
                                       {QStringLiteral("ID"), QStringLiteral("emname"), QStringLiteral("increamt"),
                                        QStringLiteral("incredt"), QStringLiteral("noofpre"), QStringLiteral("amtpaid"),
                                        QStringLiteral("company"), QStringLiteral("ddat1")}));
            q.bind(a.employeeId)
                .bind(a.name)
                .bind(a.increment)
                .bind(a.month)
                .bind(a.daysPresent)
                .bind(a.paid)
                .bind(a.company)
                .bind(a.payDate);
            if (Status s = q.exec(); !s)
                return s;
        }
        SqlQuery q(m_db, QStringLiteral("INSERT INTO incre VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
        q.bind(increment.employeeId)
            .bind(increment.name)
            .bind(increment.amount)
            .bind(increment.date)
            .bind(increment.time.toString(timeFormat))
            .bind(increment.from)
            .bind(increment.to)
            .bind(increment.company);
        if (Status s = q.exec(); !s)
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
    return inWriteTransaction(m_db, [&] {
        SqlQuery q(m_db, QStringLiteral("INSERT INTO decre VALUES (?, ?, ?, ?, ?, ?)"));
        q.bind(decrement.employeeId)
            .bind(decrement.name)
            .bind(decrement.amount)
            .bind(decrement.date)
            .bind(decrement.time.toString(timeFormat))
            .bind(decrement.company);
        if (Status s = q.exec(); !s)
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
