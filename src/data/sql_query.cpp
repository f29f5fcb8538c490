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

Result<qint64> SqlQuery::execCounting()
{
    if (Status s = exec(); !s)
        return s;
    return qint64(m_query.numRowsAffected());
}

Result<QVariant> SqlQuery::single()
{
    if (Status s = exec(); !s)
        return s;
    return m_query.next() ? m_query.value(0) : QVariant();
}

Result<Currency> SqlQuery::total()
{
    const auto sum = single();
    if (!sum)
        return sum.status();
    return Currency::fromUnits(sum->toLongLong());
}

Status execute(const Database& database, const QString& sql)
{
    QSqlQuery query(database.connection());
    if (!query.exec(sql))
        return Status::failure(query.lastError().text());
    return {};
}

QString insertStatement(const QString& table, const QStringList& columns)
{
    QStringList marks;
    for (qsizetype i = 0; i < columns.size(); ++i)
        marks << QStringLiteral("?");
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
        .arg(table, columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
}

QString updateStatement(const QString& table, const QStringList& columns, const QString& where)
{
    QStringList assignments;
    for (const QString& column : columns)
        assignments << column + QStringLiteral(" = ?");
    return QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(table, assignments.join(QStringLiteral(", ")), where);
}

Result<bool> anyRowIn(const Database& database, const QStringList& tables, const QString& condition,
                      const QVariant& value)
{
    for (const QString& table : tables) {
        SqlQuery query(database,
                       QStringLiteral("SELECT EXISTS (SELECT 1 FROM %1%2)")
                           .arg(table, condition.isEmpty() ? QString() : QStringLiteral(" WHERE ") + condition));
        if (value.isValid())
            query.bind(value);
        const auto any = query.single();
        if (!any)
            return any.status();
        if (any->toBool())
            return true;
    }
    return false;
}
