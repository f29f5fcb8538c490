#pragma once

#include "data/dialect.h"
#include "data/status.h"

#include <QSqlDatabase>
#include <QString>

#include <functional>

// Owns the program's one connection, to a SQLite file or a PostgreSQL database. Opening creates the
// schema on a new database and upgrades an older one. A SQLite file is owner-only and runs in WAL
// mode with full synchronisation, so that a change reported as stored survives a power cut.
class Database {
public:
    explicit Database(QString connectionName = QStringLiteral("kestrel"));
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // A file's path or postgresql://user@host:port/dbname (see DatabaseLocation). On failure the
    // message names the database and the reason.
    Status open(const QString& location);
    void close();
    bool isOpen() const;

    QSqlDatabase connection() const;
    // The file, or the PostgreSQL address, as the operator reads it.
    const QString& path() const { return m_path; }
    const DatabaseLocation& location() const { return m_location; }
    Backend backend() const { return m_location.backend; }
    int schemaVersion() const;

private:
    friend class Transaction;
    Status openFile(const QString& path);
    Status openServer();

    QString m_connectionName;
    QString m_path;
    DatabaseLocation m_location;
    mutable int m_transactionDepth = 0; // open Transaction objects on the connection
};

// Begins a transaction; rolls it back on destruction unless commit() succeeded. A transaction begun
// inside another is a savepoint of it, so operations compose: the outer one decides in the end.
class Transaction {
public:
    explicit Transaction(const Database& database);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    bool active() const { return m_active; }
    const QString& error() const { return m_error; }
    Status commit();
    void rollback();

private:
    Status run(const QString& sql);
    const Database& m_database;
    QSqlDatabase m_db;
    int m_level = 0;
    bool m_active = false;
    QString m_error;
};

// Runs work in a transaction (a savepoint when one is open already): commits when work succeeds,
// rolls everything back and returns work's failure when it fails.
Status inTransaction(const Database& database, const std::function<Status()>& work);
