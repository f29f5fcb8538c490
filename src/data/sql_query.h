#pragma once

#include "common/currency.h"
#include "data/status.h"

#include <QDate>
#include <QList>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>
#include <type_traits>

class Database;
struct sqlite3;
struct sqlite3_stmt;
struct pg_conn;
struct pg_result;

// A prepared statement with positional bound values: no value is ever spliced into SQL text.
//
// The statement runs on the database's own client library, through the driver's connection. On
// SQLite the driver copies every value of every row into a variant before it can be read, which
// costs more than the reading (a year of payroll reads in a third of the time). On PostgreSQL the
// driver prepares each statement on the server, runs it and deallocates it: three round trips where
// the library sends the statement and its values in one (a workstation across the office's network
// waits for each).
class SqlQuery {
public:
    SqlQuery(const Database& database, const QString& sql);
    ~SqlQuery();
    SqlQuery(const SqlQuery&) = delete;
    SqlQuery& operator=(const SqlQuery&) = delete;

    SqlQuery& bind(const QVariant& value);
    SqlQuery& bind(const QString& text) { return bind(QVariant(text)); }
    SqlQuery& bind(qint64 number) { return bind(QVariant(number)); }
    SqlQuery& bind(int number) { return bind(QVariant(number)); }
    SqlQuery& bind(Currency amount) { return bind(QVariant(amount.units())); }
    SqlQuery& bind(QDate date);

    // Runs the statement; the failure's description when it fails.
    Status exec();
    // Runs a change that must touch a row; whenNone is the failure when it touched none.
    Status execChanging(const QString& whenNone);
    // Runs a change; how many rows it changed.
    Result<qint64> execCounting();
    // Runs a statement that gives one value: that value, or a null QVariant when there is no row.
    Result<QVariant> single();
    // Runs a statement whose one value is a sum of amounts: the total, 0 when nothing was summed.
    Result<Currency> total();
    // Runs the statement and turns every row into a value with read(query).
    template <typename Read>
    auto rows(Read read) -> Result<QList<std::invoke_result_t<Read&, const SqlQuery&>>>;
    // Runs the statement and turns its first row into a value; no value when there is no row.
    template <typename Read>
    auto first(Read read) -> Result<std::optional<std::invoke_result_t<Read&, const SqlQuery&>>>;
    // The next row; false after the last, or when reading failed (rows() then fails).
    bool next();

    // After next() gave false: why the reading stopped, when it was not the end of the rows.
    Status readFailure() const { return stepFailure(); }

    bool isNull(int column) const;
    QString text(int column) const;
    qint64 number(int column) const;
    Currency amount(int column) const { return Currency::fromUnits(number(column)); }
    QDate date(int column) const;
    QVariant value(int column) const;

    int rowsAffected() const;

private:
    // After the rows were read (or the first of them): a statement left in progress would hold
    // its read open until the query goes.
    void finish();
    Status stepFailure() const;

    // On the server: runs the statement once; its failure as the driver would report it.
    bool runOnServer(QSqlError& failure);
    Status serverFailure(const QSqlError& error) const;
    // A SQLite driver with a library of its own lends no connection: the statement goes through it.
    std::optional<QSqlQuery> m_query;
    const Database* m_database = nullptr; // on the server
    QByteArray m_serverSql;               // with $1, $2, … for the marks
    pg_result* m_result = nullptr;
    int m_row = -1;
    QString m_prepareError;
    // SQLite only.
    sqlite3* m_handle = nullptr;
    sqlite3_stmt* m_statement = nullptr;
    QList<QVariant> m_values;
    // Each column's last text: a value repeated down the rows (the company, a department) is then
    // one shared string rather than a copy per row.
    mutable QList<QString> m_lastText;
    bool m_ran = false;        // the values were used by a run
    bool m_rowPending = false; // exec() stepped onto the first row, which next() hands out
    int m_stepResult = 0;      // the last step's result code
};

template <typename Read>
auto SqlQuery::rows(Read read) -> Result<QList<std::invoke_result_t<Read&, const SqlQuery&>>>
{
    if (Status s = exec(); !s)
        return s;
    QList<std::invoke_result_t<Read&, const SqlQuery&>> list;
    while (next())
        list.append(read(*this));
    if (Status s = stepFailure(); !s)
        return s;
    finish();
    return list;
}

template <typename Read>
auto SqlQuery::first(Read read) -> Result<std::optional<std::invoke_result_t<Read&, const SqlQuery&>>>
{
    using Value = std::invoke_result_t<Read&, const SqlQuery&>;
    if (Status s = exec(); !s)
        return s;
    if (!next()) {
        if (Status s = stepFailure(); !s)
            return s;
        return std::optional<Value>();
    }
    std::optional<Value> value(read(*this));
    finish();
    return value;
}

// A read of one value (a count, a sum, one column of one row) with its values, written once where it
// belongs and run alone or with others.
struct ScalarRead {
    QString sql;
    QVariantList values;
};

// Several one-value reads in one statement, SELECT (a), (b), …: one round trip to a server where
// each alone would take one. Each read's value in the order added; null where it found no row.
Result<QVariantList> readTogether(const Database& database, const QList<ScalarRead>& reads);
// One of them alone.
Result<QVariant> readOne(const Database& database, const ScalarRead& read);
// A value that is a sum of amounts as a total: 0 when nothing was summed, a failure when it is too
// large to hold (PostgreSQL sums whole numbers exactly, beyond 64 bits).
Result<Currency> totalOf(const QVariant& sum);

// Statements whose answers nobody waits for one by one (the trail's entries, the commit after
// them), run in order: on a server in one round trip, where each would take its own. The first
// failure is the outcome; the statements after it do not run. A COMMIT among them fails when the
// server rolled the transaction back instead.
struct Statement {
    QString sql;
    QVariantList values;
};
Status runInOneTrip(const Database& database, const QList<Statement>& statements);

// Runs an insert that gives back the number the database gave the new row (… RETURNING ID).
Result<qint64> numberGiven(SqlQuery& insert);

// Runs one statement without values (pragmas, schema).
Status execute(const Database& database, const QString& sql);
// The SQLite library's own connection under the open database; null for a server database, or when
// the driver runs on a copy of SQLite of its own.
sqlite3* sqliteConnection(const Database& database);

// Whether any of the tables holds a row, or a row that meets condition (a WHERE clause, with one
// bound value when value is given).
Result<bool> anyRowIn(const Database& database, const QStringList& tables, const QString& condition = {},
                      const QVariant& value = {});

// Statements made from a table's column list, so that each list is written once:
// "INSERT INTO t (a, b) VALUES (?, ?)" and "UPDATE t SET a = ?, b = ? WHERE <where>". An insert
// can give back a column of the new row (the number the database gave it): "… RETURNING ID".
QString insertStatement(const QString& table, const QStringList& columns, const QString& returning = {});
QString updateStatement(const QString& table, const QStringList& columns, const QString& where);
