#pragma once

#include "data/status.h"

#include <QList>
#include <QString>
#include <QStringList>

class Database;

struct MasterEntry {
    qint64 rowId = 0;
    QString name;
};

// The department (dept) and group (grp) masters: one name per row, unique and never empty, kept
// in capitals.
class MasterRepository {
public:
    enum class Kind { Department, Group };

    MasterRepository(const Database& database, Kind kind) : m_db(database), m_kind(kind) {}

    Result<QList<MasterEntry>> list() const;
    QStringList names() const;
    Result<qint64> add(const QString& name);
    Status rename(qint64 rowId, const QString& name);
    Status remove(qint64 rowId);

    // What a name is stored as: trimmed, in capitals.
    static QString normalised(const QString& name);

private:
    QString table() const;
    QString noun() const;
    Status checkName(const QString& name, qint64 exceptRowId) const;
    const Database& m_db;
    Kind m_kind;
};
