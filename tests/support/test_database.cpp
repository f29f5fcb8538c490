#include "test_database.h"

#include "data/backup_service.h"
#include "data/company_repository.h"
#include "data/employee_repository.h"
#include "data/sql_query.h"
#include "support/fixed_clock.h"

#include <QCoreApplication>
#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUuid>

namespace {

// The server's maintenance database, through which test databases are made and dropped.
QString maintenanceAddress()
{
    const QString address = qEnvironmentVariable("KESTREL_TEST_POSTGRES");
    if (address.isEmpty())
        qFatal("KESTREL_TEST_BACKEND=postgresql needs KESTREL_TEST_POSTGRES, the address of a test server "
               "(./test starts one)");
    return address;
}

// Runs a statement on the maintenance database.
void maintain(const QString& sql)
{
    const auto location = DatabaseLocation::parse(maintenanceAddress());
    if (!location || location->backend != Backend::PostgreSQL)
        qFatal("KESTREL_TEST_POSTGRES is not a PostgreSQL address");
    // The tests make and drop databases: only on a server of this machine, as ./test starts one.
    if (location->host != QStringLiteral("127.0.0.1") && location->host != QStringLiteral("localhost"))
        qFatal("KESTREL_TEST_POSTGRES names a server on another machine (%s); the tests use only 127.0.0.1",
               qPrintable(location->host));
    const QString name = QStringLiteral("kestrel-test-maintenance");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(location->host);
        db.setPort(location->port);
        db.setUserName(location->user);
        db.setDatabaseName(location->name);
        if (!db.open())
            qFatal("cannot reach the test server: %s", qPrintable(db.lastError().text()));
        QSqlQuery query(db);
        if (!query.exec(sql))
            qFatal("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
    }
    QSqlDatabase::removeDatabase(name);
}

// The address of a new, empty database on the test server.
QString createServerDatabase()
{
    static int made = 0;
    const QString name = QStringLiteral("kestrel_test_%1_%2").arg(QCoreApplication::applicationPid()).arg(++made);
    maintain(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(name));
    maintain(QStringLiteral("CREATE DATABASE %1").arg(name));
    QUrl address(maintenanceAddress());
    address.setPath(QLatin1Char('/') + name);
    return address.toString();
}

void dropServerDatabase(const QString& address)
{
    maintain(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(QUrl(address).path().mid(1)));
}

} // namespace

bool TestDatabase::onServer()
{
    return qEnvironmentVariable("KESTREL_TEST_BACKEND") == QStringLiteral("postgresql");
}

// Each its own connection: two at once (a database and its twin) never share one.
TestDatabase::TestDatabase()
    : m_db(std::make_unique<Database>(QStringLiteral("kestrel-test-%1").arg(QUuid::createUuid().toString(QUuid::Id128))))
{
    if (onServer())
        m_serverDatabase = createServerDatabase();
    const Status opened = m_db->open(path());
    if (!opened)
        qFatal("cannot open the test database: %s", qPrintable(opened.error()));
}

TestDatabase::~TestDatabase()
{
    if (!m_serverDatabase.isEmpty()) {
        // A server database's copies lie in the user's data folder, not in the temporary one.
        const FixedClock anyTime(QDateTime(QDate(2026, 1, 1), QTime(0, 0)));
        QDir(BackupService(*m_db, anyTime).localFolder()).removeRecursively();
    }
    m_db.reset();
    if (!m_serverDatabase.isEmpty())
        dropServerDatabase(m_serverDatabase);
}

QString TestDatabase::path() const
{
    return m_serverDatabase.isEmpty() ? m_dir.filePath(QStringLiteral("hr.db")) : m_serverDatabase;
}

int TestDatabase::backupCopies() const
{
    const FixedClock anyTime(QDateTime(QDate(2026, 1, 1), QTime(0, 0)));
    return int(
        QDir(BackupService(*m_db, anyTime).localFolder()).entryList({QStringLiteral("hr*")}, QDir::Files).size());
}

qint64 TestDatabase::count(const QString& sql) const
{
    SqlQuery query(*m_db, sql);
    if (!query.exec() || !query.next())
        return -1;
    return query.number(0);
}

void ensureKnown(const Database& db, const QStringList& companies, const QList<QPair<qint64, QString>>& employees)
{
    CompanyRepository masters(db);
    const auto known = masters.list();
    if (!known)
        qFatal("%s", qPrintable(known.error()));
    for (const QString& company : companies)
        if (std::none_of(known->cbegin(), known->cend(), [&](const Company& c) { return c.name == company; }))
            if (const auto added = masters.add(company, {}); !added)
                qFatal("%s", qPrintable(added.error()));
    EmployeeRepository staff(db);
    for (const auto& [id, name] : employees) {
        const auto found = staff.find(id);
        if (found && found->has_value())
            continue;
        Employee e;
        e.id = id;
        e.name = name;
        if (const auto added = staff.insert(e); !added)
            qFatal("%s", qPrintable(added.error()));
    }
}
