#include "test_database.h"

#include "data/sql_query.h"

#include <QTest>

TestDatabase::TestDatabase() : m_db(std::make_unique<Database>())
{
    const Status opened = m_db->open(path());
    if (!opened)
        qFatal("cannot open the test database: %s", qPrintable(opened.error()));
}

qint64 TestDatabase::count(const QString& sql) const
{
    SqlQuery query(*m_db, sql);
    if (!query.exec() || !query.next())
        return -1;
    return query.number(0);
}
