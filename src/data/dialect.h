#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The two kinds of database Kestrel keeps its data in: a SQLite file on one workstation, or a
// PostgreSQL database that several workstations share.
enum class Backend { SQLite, PostgreSQL };

// Where the data is: a SQLite file's path, or a PostgreSQL database named as
// postgresql://user@host:port/dbname. A password never stands in it: the server's password comes
// from the standard password file (~/.pgpass, PGPASSFILE) or the environment (PGPASSWORD).
struct DatabaseLocation {
    Backend backend = Backend::SQLite;
    QString path; // SQLite
    QString host; // PostgreSQL
    int port = 5432;
    QString user;
    QString name;

    // Whether the text names a PostgreSQL database rather than a file.
    static bool namesServer(const QString& text);
    // The location the text names; a failure says what is wrong with it.
    static std::optional<DatabaseLocation> parse(const QString& text, QString* error = nullptr);
    // As the operator reads it: the file, or postgresql://user@host:port/dbname.
    QString display() const;
    // A text that names a database, fit to be shown: an address loses any password and options.
    static QString shown(const QString& text);
};

// The differences between SQLite's and PostgreSQL's SQL, in one place; every other statement of the
// program is written once and runs on both.
namespace dialect {

QString driverName(Backend backend);
// What runs on every new connection (SQLite: the journal and synchronisation).
QStringList openingStatements(Backend backend);
// A schema statement written for SQLite, as the backend takes it: on PostgreSQL the whole numbers
// are 64-bit, numbers the database gives are identity columns, a table without a key has a rowid
// column as SQLite's tables have one, and a name unique without regard to case has a unique index
// on its capitals. May give several statements.
QStringList schemaStatement(Backend backend, const QString& sqliteStatement);
// The number the next new employee will get: past every number given before (even to an employee
// deleted since) and every number any ledger refers to.
QString nextEmployeeId(Backend backend);
// Statements that make the next employee number the one bound to them (where they take one).
QStringList employeeNumbersFrom(Backend backend);
// After rows were stored with numbers of their own, the numbers the database gives in that column
// go on after the largest, never back; empty where the database does so by itself.
QString identityAfterLargest(Backend backend, const QString& table, const QString& column);

} // namespace dialect
