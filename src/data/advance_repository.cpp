#include "advance_repository.h"

#include "common/dates.h"
#include "data/database.h"
#include "data/sql_query.h"

Status AdvanceRepository::insert(const Advance& advance)
{
    SqlQuery q(m_db, QStringLiteral("INSERT INTO adv (ID, emname, advamt, advdt, advtm, company)"
                                    " VALUES (?, ?, ?, ?, ?, ?)"));
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
    SqlQuery q(m_db, QStringLiteral("SELECT coalesce(sum(advamt), 0) FROM adv WHERE ID = ? AND advdt BETWEEN ? AND ?"));
    q.bind(employeeId).bind(dates::firstOfMonth(month)).bind(dates::lastOfMonth(month));
    const auto total = q.single();
    if (!total)
        return total.status();
    return Currency::fromUnits(total->toLongLong());
}
