#include "advance_repository.h"

#include "common/dates.h"
#include "data/database.h"
#include "data/sql_query.h"
#include "rules/record_rules.h"

Status AdvanceRepository::insert(const Advance& given)
{
    const Advance advance = rules::normalised(given);
    if (const auto broken = rules::check(advance))
        return Status::failure(broken->message);
    SqlQuery q(m_db, insertStatement(QStringLiteral("adv"),
                                     {QStringLiteral("ID"), QStringLiteral("emname"), QStringLiteral("advamt"),
                                      QStringLiteral("advdt"), QStringLiteral("advtm"), QStringLiteral("company")}));
    q.bind(advance.employeeId)
        .bind(advance.name)
        .bind(advance.amount)
        .bind(advance.date)
        .bind(advance.time.toString(QStringLiteral("HH:mm:ss")))
        .bind(advance.company);
    return q.exec();
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
        return Status::failure(broken->message);
    SqlQuery q(m_db, QStringLiteral("UPDATE adv SET advamt = ? WHERE company = ? AND ID = ? AND advdt = ?"));
    q.bind(amount).bind(company).bind(employeeId).bind(date);
    return q.execCounting();
}

Result<qint64> AdvanceRepository::remove(const QString& company, qint64 employeeId, QDate date)
{
    SqlQuery q(m_db, QStringLiteral("DELETE FROM adv WHERE company = ? AND ID = ? AND advdt = ?"));
    q.bind(company).bind(employeeId).bind(date);
    return q.execCounting();
}

Result<qint64> AdvanceRepository::removeAll(const QString& company)
{
    SqlQuery q(m_db, QStringLiteral("DELETE FROM adv WHERE company = ?"));
    q.bind(company);
    return q.execCounting();
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
