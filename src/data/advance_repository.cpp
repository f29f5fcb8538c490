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
