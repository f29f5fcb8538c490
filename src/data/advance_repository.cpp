#include "advance_repository.h"

#include "common/dates.h"
#include "data/database.h"
#include "data/sql_query.h"

Status AdvanceRepository::insert(const Advance& advance)
{
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

Result<qint64> AdvanceRepository::count(const QString& company, qint64 employeeId, QDate date) const
{
    SqlQuery q(m_db, QStringLiteral("SELECT count(*) FROM adv WHERE company = ? AND ID = ? AND advdt = ?"));
    q.bind(company).bind(employeeId).bind(date);
    const auto n = q.single();
    if (!n)
        return n.status();
    return n->toLongLong();
}
