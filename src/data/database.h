#pragma once

#include "data/audit_entry.h"
#include "data/dialect.h"
#include "data/status.h"

#include <QDate>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <optional>
#include <vector>

class Clock;

// Owns the program's one connection, to a SQLite file or a PostgreSQL database. Opening creates the
// schema on a new database and upgrades an older one. A SQLite file is owner-only and runs in WAL
// mode with full synchronisation, so that a change reported as stored survives a power cut.
class Database {
public:
    explicit Database(QString connectionName = QStringLiteral("kestrel"));
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // ReadOnly is for reports and exports: nothing is created, upgraded or changed (not even the
    // file's mode), and a file that is not a Kestrel database of this version is refused.
    // Inspect reads as ReadOnly but takes an older version too (a copy to restore, which is brought
    // up to date once restored).
    enum class Access { ReadWrite, ReadOnly, Inspect };

    // A file's path or postgresql://user@host:port/dbname (see DatabaseLocation). On failure the
    // message names the database and the reason.
    Status open(const QString& location, Access access = Access::ReadWrite);
    void close();
    bool isOpen() const;

    QSqlDatabase connection() const;
    // The file, or the PostgreSQL address, as the operator reads it.
    const QString& path() const { return m_path; }
    const DatabaseLocation& location() const { return m_location; }
    // Opens the same database again, as it was opened (after a restore replaced its contents).
    Status reopen();
    // A server's connection, lost (the server restarted, the network dropped), is made again once
    // per operation, never inside a transaction: the transaction's work is gone with the old
    // connection, and it fails and says so. Whether the connection is open again.
    bool reconnect() const;
    bool inTransaction() const { return m_transactionDepth > 0; }
    // How many transactions are open on the connection: 1 for one without savepoints.
    int transactionDepth() const { return m_transactionDepth; }
    // Whether a failure means the server is out of reach rather than that the statement was wrong.
    static bool lostConnection(const QSqlError& error);
    Backend backend() const { return m_location.backend; }
    int schemaVersion() const;

    // Who the audit trail names for the changes made through this connection: the operator who
    // logged in (the system's login name until then, as on the command line), and this computer.
    // An empty name goes back to the system's login name (after a log out). Who acts is the
    // connection's state, as its transactions are, so a const connection takes it too.
    void setUser(const QString& user) const;
    const QString& user() const { return m_user; }
    const QString& workstation() const { return m_workstation; }
    // The time the trail and the month close record; the system's unless a test sets one.
    void setClock(const Clock* clock) { m_clock = clock; }
    const Clock& clock() const;
    // The trail's entries of the open transaction, written when it commits (see audit::record).
    std::vector<AuditEntry>& pendingAudit() const { return m_pendingAudit; }
    // The trail's end (its last entry's number and hash) as the open transaction knows it while it
    // holds the end (see Locks::auditChain): read with its other checks, or left by its last
    // writing, so that the trail's writer need not ask again. Forgotten when the transaction ends.
    bool holdsAuditChain() const { return m_holdsAuditChain; }
    const std::optional<AuditEnd>& auditEnd() const { return m_auditEnd; }
    void setAuditEnd(std::optional<AuditEnd> end) const { m_auditEnd = std::move(end); }

private:
    friend class Transaction;
    friend class Locks;
    Status openFile(const QString& path, Access access);
    Status openServer(Access access);

    QString m_connectionName;
    Access m_access = Access::ReadWrite;
    QString m_path;
    DatabaseLocation m_location;
    mutable int m_transactionDepth = 0; // open Transaction objects on the connection
    mutable QString m_user;
    QString m_workstation;
    const Clock* m_clock = nullptr;
    mutable std::vector<AuditEntry> m_pendingAudit;
    mutable bool m_holdsAuditChain = false;
    mutable std::optional<AuditEnd> m_auditEnd;
    friend class CommitGate;
    mutable std::function<Status()> m_commitGate;
};

// While it lives, every transaction on the connection waits for gate before it commits, and is
// rolled back with gate's failure when gate fails: a deletion deletes while its backup copy is
// still being written, and its rows go only once the copy is known to be whole.
class CommitGate {
public:
    CommitGate(const Database& database, std::function<Status()> gate);
    ~CommitGate();
    CommitGate(const CommitGate&) = delete;
    CommitGate& operator=(const CommitGate&) = delete;

private:
    const Database& m_database;
};

// Begins a transaction; rolls it back on destruction unless commit() succeeded. A transaction begun
// inside another is a savepoint of it, so operations compose: the outer one decides in the end.
//
// A write transaction is one whose checks read what it then writes on (a loan balance, a month's
// transactions, the next number): it takes the write lock before its first read, so that another
// workstation cannot change what was read until it commits. On SQLite that is the file's write
// lock (BEGIN IMMEDIATE); on PostgreSQL the rows concerned are locked with lockEmployee(). Begun
// inside another transaction it is a savepoint of it: the outer one must be a write transaction too.
class Transaction {
public:
    enum class Kind { Read, Write };
    explicit Transaction(const Database& database, Kind kind = Kind::Read);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    bool active() const { return m_active; }
    const QString& error() const { return m_error; }
    Status commit();
    void rollback();

private:
    Status run(const QString& sql);
    void forgetAuditEnd();
    const Database& m_database;
    QSqlDatabase m_db;
    int m_level = 0;
    size_t m_auditMark = 0; // the trail's entries queued before this transaction began
    bool m_active = false;
    QString m_error;
};

// Runs work in a transaction (a savepoint when one is open already): commits when work succeeds,
// rolls everything back and returns work's failure when it fails.
Status inTransaction(const Database& database, const std::function<Status()>& work);
// The same in a write transaction (see Transaction).
Status inWriteTransaction(const Database& database, const std::function<Status()>& work);

// Inside a write transaction: holds one employee's ledgers (payroll, loans, advances, basic rate)
// until the transaction ends, so that two workstations changing the same employee take turns. On
// SQLite the write transaction holds the whole file already.
Status lockEmployee(const Database& database, qint64 employeeId);
// Inside a write transaction: holds the giving of employee numbers until the transaction ends.
Status lockEmployeeNumbers(const Database& database);
// Inside a transaction: holds the end of the audit trail until the transaction ends, so that the
// entries of two workstations form one chain. On SQLite the write lock holds it already.
Status lockAuditChain(const Database& database);
// Inside a transaction: holds a company's month as it is, open or closed, until the transaction
// ends. Writes into the month hold it shared; closing it holds it alone, so that it waits for the
// writes under way and every later write finds it closed.
Status lockMonth(const Database& database, const QString& company, QDate month, bool exclusive);

// Several of the locks above in one statement (one round trip to a server), taken in the order every
// writer takes them: employees, then months, then the trail's end. The trail's end is held from
// then to the commit, so only a write that locks nothing after it asks for it here.
class Locks {
public:
    Locks& employee(qint64 employeeId);
    Locks& employeeNumbers();
    Locks& month(const QString& company, QDate month, bool exclusive);
    Locks& auditChain();
    Status take(const Database& database) const;

private:
    Locks& advisory(int lockClass, qint64 key);
    QStringList m_calls;
    QVariantList m_values;
    bool m_auditChain = false;
};
