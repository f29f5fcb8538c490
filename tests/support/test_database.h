#pragma once

#include "data/database.h"

#include <QTemporaryDir>

#include <memory>

// A fresh database file in its own temporary folder, removed with the object.
class TestDatabase {
public:
    TestDatabase();
    Database& db() { return *m_db; }
    QString path() const { return m_dir.filePath(QStringLiteral("hr.db")); }
    QString folder() const { return m_dir.path(); }
    // Number of rows a count(*) statement gives.
    qint64 count(const QString& sql) const;

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
};
