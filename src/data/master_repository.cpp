#include "master_repository.h"

#include "data/audit_trail.h"
#include "data/database.h"
#include "data/sql_query.h"
#include "rules/record_rules.h"

// The table name doubles as its one column's name; both are fixed here, never operator text.
QString MasterRepository::table() const
{
    return m_kind == Kind::Department ? QStringLiteral("dept") : QStringLiteral("grp");
}

QString MasterRepository::noun() const
{
    return m_kind == Kind::Department ? QStringLiteral("department") : QStringLiteral("group");
}

QString MasterRepository::normalised(const QString& name)
{
    return rules::masterName(name);
}

Result<QList<MasterEntry>> MasterRepository::list() const
{
    SqlQuery query(m_db, QStringLiteral("SELECT rowid, %1 FROM %1 ORDER BY rowid").arg(table()));
    return query.rows([](const SqlQuery& q) { return MasterEntry{q.number(0), q.text(1)}; });
}

QStringList MasterRepository::names() const
{
    QStringList result;
    if (auto entries = list())
        for (const MasterEntry& e : entries.value())
            result << e.name;
    return result;
}

Status MasterRepository::checkName(const QString& name, qint64 exceptRowId) const
{
    if (const auto broken = rules::checkMasterName(table(), noun(), name))
        return Status::refused(broken->field, broken->message);
    const auto entries = list();
    if (!entries)
        return entries.status();
    QStringList others;
    for (const MasterEntry& entry : *entries)
        if (entry.rowId != exceptRowId)
            others << entry.name;
    if (const auto broken = rules::distinctName(table(), noun(), name, others))
        return Status::refused(broken->field, broken->message);
    return {};
}

Result<qint64> MasterRepository::add(const QString& name)
{
    const QString stored = normalised(name);
    if (Status s = checkName(stored, 0); !s)
        return s;
    SqlQuery query(m_db, QStringLiteral("INSERT INTO %1 (%1) VALUES (?) RETURNING rowid").arg(table()));
    query.bind(stored);
    return audit::recordedInsert(m_db, table(), [&] { return numberGiven(query); });
}

Status MasterRepository::rename(qint64 rowId, const QString& name)
{
    const QString stored = normalised(name);
    if (Status s = checkName(stored, rowId); !s)
        return s;
    SqlQuery query(m_db, QStringLiteral("UPDATE %1 SET %1 = ? WHERE rowid = ?").arg(table()));
    query.bind(stored).bind(rowId);
    return audit::recorded(m_db, table(), QStringLiteral("rowid = ?"), {QVariant(rowId)},
                           [&] { return query.execChanging(QStringLiteral("The %1 no longer exists.").arg(noun())); });
}

Status MasterRepository::remove(qint64 rowId)
{
    SqlQuery query(m_db, QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(table()));
    query.bind(rowId);
    return audit::recorded(m_db, table(), QStringLiteral("rowid = ?"), {QVariant(rowId)},
                           [&] { return query.execChanging(QStringLiteral("The %1 no longer exists.").arg(noun())); });
}
