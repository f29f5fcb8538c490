#pragma once

#include "data/database.h"

#include <QList>
#include <QPair>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// A fresh database of its own, removed with the object: a SQLite file in a temporary folder, or,
// when the tests run against PostgreSQL (KESTREL_TEST_BACKEND=postgresql, the server named by
// KESTREL_TEST_POSTGRES, as ./test starts one), a new database on that server.
class TestDatabase {
public:
    TestDatabase();
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    Database& db() { return *m_db; }
    // What Database::open takes: the file, or the server database's address.
    QString path() const;
    QString folder() const { return m_dir.path(); }
    // Number of rows a count(*) statement gives.
    qint64 count(const QString& sql) const;
    // How many backup copies the program has taken of this database into its local backup folder.
    int backupCopies() const;

    // Whether the tests run against PostgreSQL.
    static bool onServer();

private:
    QTemporaryDir m_dir;
    QString m_serverDatabase;
    std::unique_ptr<Database> m_db;
};

// The companies and the employees (number, name) that rows written straight into the ledgers name,
// made through their repositories when missing: every door refuses a row of a company or an
// employee that nobody has.
void ensureKnown(const Database& db, const QStringList& companies,
                 const QList<QPair<qint64, QString>>& employees = {});
