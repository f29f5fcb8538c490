#include "sql_query.h"

#include "common/dates.h"
#include "data/database.h"

#include <QSqlError>

SqlQuery::SqlQuery(const Database& database, const QString& sql) : m_query(database.connection())
{
    m_query.setForwardOnly(true);
    if (!m_query.prepare(sql))
        m_prepareError = m_query.lastError().text();
}

SqlQuery& SqlQuery::bind(const QVariant& value)
{
    m_query.addBindValue(value);
    return *this;
}

SqlQuery& SqlQuery::bind(QDate date)
{
    return bind(date.isValid() ? QVariant(dates::storageText(date)) : QVariant(QMetaType(QMetaType::QString)));
}

QDate SqlQuery::date(int column) const
{
    return dates::fromStorageText(text(column));
}

Status SqlQuery::exec()
{
    if (!m_prepareError.isEmpty())
        return Status::failure(m_prepareError);
    if (!m_query.exec())
        return Status::failure(m_query.lastError().text());
    return {};
}

Status SqlQuery::execChanging(const QString& whenNone)
{
    if (Status s = exec(); !s)
        return s;
    return m_query.numRowsAffected() > 0 ? Status() : Status::failure(whenNone);
}

Result<QVariant> SqlQuery::single()
{
    if (Status s = exec(); !s)
        return s;
    return m_query.next() ? m_query.value(0) : QVariant();
}

Status execute(const Database& database, const QString& sql)
{
    QSqlQuery query(database.connection());
    if (!query.exec(sql))
        return Status::failure(query.lastError().text());
    return {};
}
