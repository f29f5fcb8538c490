#include "database.h"

#include "common/clock.h"
#include "data/audit_trail.h"
#include "data/safe_file.h"
#include "data/schema.h"
#include "data/sql_query.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

namespace {

constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

Status failure(const QString& path, const QString& reason)
{
    return Status::failure(
        QStringLiteral("Cannot open the database %1: %2").arg(QDir::toNativeSeparators(path), reason));
}

// Creates the file (and its folder) owner-only before SQLite opens it, so it is never readable by others.
Status prepareFile(const QString& path)
{
    const QFileInfo info(path);
    if (info.exists())
        return info.isFile() ? Status() : failure(path, QStringLiteral("it is not a file"));
    if (Status made = makeFolder(info.absolutePath(), FileAccess::OwnerOnly); !made)
        return failure(path, made.error());
    if (Status created = createEmptyFile(path); !created)
        return failure(path, created.error());
    return {};
}

} // namespace

Database::Database(QString connectionName)
    : m_connectionName(std::move(connectionName)), m_workstation(QSysInfo::machineHostName())
{
    setUser({});
}

void Database::setUser(const QString& user) const
{
    m_user = !user.isEmpty() ? user : qEnvironmentVariable("USER", qEnvironmentVariable("LOGNAME", QStringLiteral("system")));
}

const Clock& Database::clock() const
{
    static const SystemClock system;
    return m_clock ? *m_clock : system;
}

Database::~Database()
{
    close();
}

Status Database::open(const QString& location, Access access)
{
    close();
    QString wrong;
    const auto parsed = DatabaseLocation::parse(location, &wrong);
    if (!parsed)
        return failure(DatabaseLocation::shown(location), wrong);
    m_location = *parsed;
    m_access = access;
    return m_location.backend == Backend::SQLite ? openFile(m_location.path, access) : openServer(access);
}

Status Database::openFile(const QString& path, Access access)
{
    const bool readOnly = access != Access::ReadWrite;
    const bool existed = QFileInfo::exists(path);
    if (readOnly && !QFileInfo(path).isFile())
        return failure(path, existed ? QStringLiteral("it is not a file") : QStringLiteral("there is no such file"));
    if (!readOnly)
        if (Status prepared = prepareFile(path); !prepared)
            return prepared;

    m_path = QFileInfo(path).absoluteFilePath();
    m_location.path = m_path;
    const auto connect = [&](const QString& name, const QString& options) -> Status {
        QSqlDatabase db = QSqlDatabase::addDatabase(dialect::driverName(Backend::SQLite), m_connectionName);
        db.setDatabaseName(name);
        db.setConnectOptions(options);
        if (!db.open()) {
            const QString reason = db.lastError().text();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_connectionName);
            return Status::failure(reason);
        }
        return {};
    };
    if (Status connected = connect(m_path, readOnly ? QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000")
                                                    : QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        !connected)
        return failure(path, connected.error());
    Status status;
    if (readOnly) {
        // The first statement reads the file header: a file that is not a database fails here.
        status = schema::checkReadable(*this, access == Access::Inspect);
        // Reading a file of the write-ahead log needs its shared-memory file beside it, which a
        // folder on read-only media cannot take. With no log waiting there, nobody writes the file:
        // it is read as it lies.
        if (!status && !QFileInfo::exists(m_path + QStringLiteral("-wal")) &&
            !QFileInfo(QFileInfo(m_path).absolutePath()).isWritable()) {
            close();
            QUrl address = QUrl::fromLocalFile(m_path);
            address.setQuery(QStringLiteral("immutable=1"));
            if (Status connected = connect(address.toString(QUrl::FullyEncoded),
                                           QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
                !connected)
                return failure(path, connected.error());
            status = schema::checkReadable(*this, access == Access::Inspect);
        }
    } else {
        // The first statement reads the file header: a file that is not a database, or another
        // program's, fails here, before anything is written to it.
        status = schema::refuseForeign(*this);
        for (const QString& statement : dialect::openingStatements(Backend::SQLite))
            if (status)
                status = execute(*this, statement);
        if (status)
            status = schema::migrate(*this);
        // Others lose what they could read; the owner keeps what the file had (a read-only file stays so).
        if (status)
            QFile::setPermissions(m_path, QFile::permissions(m_path) & ownerOnly);
    }
    if (!status) {
        close();
        if (!existed)
            QFile::remove(path);
        return failure(path, status.error());
    }
    return {};
}

Status Database::openServer(Access access)
{
    m_path = m_location.display();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(dialect::driverName(Backend::PostgreSQL), m_connectionName);
        if (!db.isValid()) {
            QSqlDatabase::removeDatabase(m_connectionName);
            return failure(m_path, QStringLiteral("the PostgreSQL driver of Qt is not installed (libqt6sql6-psql)"));
        }
        db.setHostName(m_location.host);
        db.setPort(m_location.port);
        db.setDatabaseName(m_location.name);
        if (!m_location.user.isEmpty())
            db.setUserName(m_location.user);
        db.setConnectOptions(QStringLiteral("connect_timeout=10"));
        // Sums of whole numbers come back as exact texts, not as doubles.
        db.setNumericalPrecisionPolicy(QSql::HighPrecision);
        if (!db.open()) {
            const QString reason = db.lastError().text().trimmed();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_connectionName);
            return failure(m_path, reason);
        }
    }
    Status status;
    if (access != Access::ReadWrite) {
        status = execute(*this, QStringLiteral("SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY"));
        if (status)
            status = schema::checkReadable(*this, access == Access::Inspect);
    } else {
        status = schema::migrate(*this);
    }
    if (!status) {
        close();
        return failure(m_path, status.error());
    }
    return {};
}

Status Database::reopen()
{
    close();
    return m_location.backend == Backend::SQLite ? openFile(m_location.path, m_access) : openServer(m_access);
}

bool Database::lostConnection(const QSqlError& error)
{
    // Class 08 is a connection failure; 57P01-57P03 the server shutting down or restarting.
    const QString code = error.nativeErrorCode();
    if (code.startsWith(QStringLiteral("08")) || code.startsWith(QStringLiteral("57P0")))
        return true;
    const QString text = error.text();
    for (const char* sign : {"no connection to the server", "server closed the connection", "terminating connection",
                             "could not receive data from server", "could not send data to server",
                             "connection to server", "SSL connection has been closed"})
        if (text.contains(QLatin1String(sign), Qt::CaseInsensitive))
            return true;
    return false;
}

bool Database::reconnect() const
{
    if (m_location.backend != Backend::PostgreSQL || m_transactionDepth > 0 || !QSqlDatabase::contains(m_connectionName))
        return false;
    QSqlDatabase db = connection();
    db.close();
    if (!db.open())
        return false;
    if (m_access != Access::ReadWrite)
        return QSqlQuery(db).exec(QStringLiteral("SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY"));
    return true;
}

void Database::close()
{
    if (!QSqlDatabase::contains(m_connectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

bool Database::isOpen() const
{
    return QSqlDatabase::contains(m_connectionName) && connection().isOpen();
}

QSqlDatabase Database::connection() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

int Database::schemaVersion() const
{
    return schema::currentVersion(*this);
}

Transaction::Transaction(const Database& database, Kind kind)
    : m_database(database), m_db(database.connection()), m_level(database.m_transactionDepth),
      m_auditMark(database.m_pendingAudit.size())
{
    if (m_level == 0 && kind == Kind::Write && database.backend() == Backend::SQLite) {
        // The driver begins a deferred transaction, which takes the write lock only at its first
        // write: a read before it could be overtaken by another connection's commit.
        const Status s = run(QStringLiteral("BEGIN IMMEDIATE"));
        m_active = s.ok();
        m_error = s.ok() ? QString() : s.error();
    } else if (m_level == 0) {
        m_active = m_db.transaction();
        // Nothing has been done yet: a lost server connection is made again and the begin retried.
        if (!m_active && Database::lostConnection(m_db.lastError()) && database.reconnect())
            m_active = m_db.transaction();
        if (!m_active)
            m_error = m_db.lastError().text();
    } else {
        const Status s = run(QStringLiteral("SAVEPOINT kestrel_%1").arg(m_level));
        m_active = s.ok();
        m_error = s.ok() ? QString() : s.error();
    }
    if (m_active)
        ++m_database.m_transactionDepth;
}

Transaction::~Transaction()
{
    rollback();
}

Status Transaction::run(const QString& sql)
{
    QSqlQuery query(m_db);
    if (!query.exec(sql))
        return Status::failure(query.lastError().text());
    return {};
}

void Transaction::forgetAuditEnd()
{
    m_database.m_holdsAuditChain = false;
    m_database.m_auditEnd.reset();
}

Status Transaction::commit()
{
    if (!m_active)
        return Status::failure(m_error.isEmpty() ? QStringLiteral("No transaction is open") : m_error);
    Status committed;
    if (m_level == 0) {
        if (m_database.m_commitGate)
            committed = m_database.m_commitGate();
        // The trail's entries go in with the changes they record, or neither does.
        if (committed)
            committed = audit::flush(m_database, true);
        if (committed)
            forgetAuditEnd();
    } else {
        committed = run(QStringLiteral("RELEASE kestrel_%1").arg(m_level));
    }
    if (!committed) {
        m_error = committed.error();
        rollback();
        return committed;
    }
    m_active = false;
    --m_database.m_transactionDepth;
    return {};
}

void Transaction::rollback()
{
    if (!m_active)
        return;
    // The entries of what is undone go with it.
    if (m_database.m_pendingAudit.size() > m_auditMark)
        m_database.m_pendingAudit.resize(m_auditMark);
    if (m_level == 0) {
        m_db.rollback();
        forgetAuditEnd();
    } else {
        run(QStringLiteral("ROLLBACK TO kestrel_%1").arg(m_level));
        run(QStringLiteral("RELEASE kestrel_%1").arg(m_level));
    }
    m_active = false;
    --m_database.m_transactionDepth;
}

CommitGate::CommitGate(const Database& database, std::function<Status()> gate) : m_database(database)
{
    m_database.m_commitGate = std::move(gate);
}

CommitGate::~CommitGate()
{
    m_database.m_commitGate = nullptr;
}

namespace {

Status runInTransaction(const Database& database, Transaction::Kind kind, const std::function<Status()>& work)
{
    Transaction transaction(database, kind);
    if (!transaction.active())
        return Status::failure(transaction.error());
    if (Status done = work(); !done)
        return done;
    return transaction.commit();
}

} // namespace

Status inTransaction(const Database& database, const std::function<Status()>& work)
{
    return runInTransaction(database, Transaction::Kind::Read, work);
}

Status inWriteTransaction(const Database& database, const std::function<Status()>& work)
{
    return runInTransaction(database, Transaction::Kind::Write, work);
}

namespace {

// Advisory locks held to the transaction's end; the first key says what is locked.
enum LockClass { EmployeeLedgers = 1, EmployeeNumbers = 2, AuditChain = 3, MonthClose = 4 };

} // namespace

Locks& Locks::advisory(int lockClass, qint64 key)
{
    m_calls << QStringLiteral("pg_advisory_xact_lock(CAST(? AS integer), CAST(? AS integer))");
    // Employee numbers fit an integer (the rules keep them below a billion); any other key folds in.
    m_values << qint64(lockClass) << qint64(qint32(key ^ (key >> 32)));
    return *this;
}

Locks& Locks::employee(qint64 employeeId)
{
    return advisory(EmployeeLedgers, employeeId);
}

Locks& Locks::employeeNumbers()
{
    return advisory(EmployeeNumbers, 0);
}

Locks& Locks::month(const QString& company, QDate month, bool exclusive)
{
    // The key is made by the server from the company and the month, so that every workstation,
    // whatever build it runs, holds the same lock for the same month.
    m_calls << QStringLiteral("%1(CAST(? AS integer), hashtext(upper(CAST(? AS text)) || '|' || CAST(? AS text)))")
                   .arg(exclusive ? QStringLiteral("pg_advisory_xact_lock")
                                  : QStringLiteral("pg_advisory_xact_lock_shared"));
    m_values << qint64(MonthClose) << company << month.toString(QStringLiteral("yyyy-MM"));
    return *this;
}

Locks& Locks::auditChain()
{
    m_auditChain = true;
    return advisory(AuditChain, 0);
}

Status Locks::take(const Database& database) const
{
    if (database.backend() == Backend::SQLite || m_calls.isEmpty())
        return {}; // the write transaction holds the whole file
    SqlQuery lock(database, QStringLiteral("SELECT ") + m_calls.join(QStringLiteral(", ")));
    for (const QVariant& value : m_values)
        lock.bind(value);
    if (Status s = lock.exec(); !s)
        return s;
    if (m_auditChain)
        database.m_holdsAuditChain = true;
    return {};
}

Status lockEmployee(const Database& database, qint64 employeeId)
{
    return Locks().employee(employeeId).take(database);
}

Status lockEmployeeNumbers(const Database& database)
{
    return Locks().employeeNumbers().take(database);
}

Status lockAuditChain(const Database& database)
{
    if (database.holdsAuditChain())
        return {};
    return Locks().auditChain().take(database);
}

Status lockMonth(const Database& database, const QString& company, QDate month, bool exclusive)
{
    return Locks().month(company, month, exclusive).take(database);
}

