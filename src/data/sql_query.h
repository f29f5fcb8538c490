#pragma once

#include "common/currency.h"
#include "data/status.h"

#include <QDate>
#include <QList>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <optional>
#include <type_traits>

class Database;

// A prepared statement with positional bound values: no value is ever spliced into SQL text.
class SqlQuery {
public:
    SqlQuery(const Database& database, const QString& sql);

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
    bool next() { return m_query.next(); }

    bool isNull(int column) const { return m_query.isNull(column); }
    QString text(int column) const { return m_query.value(column).toString(); }
    qint64 number(int column) const { return m_query.value(column).toLongLong(); }
    Currency amount(int column) const { return Currency::fromUnits(number(column)); }
    QDate date(int column) const;
    QVariant value(int column) const { return m_query.value(column); }

    qint64 lastInsertId() const { return m_query.lastInsertId().toLongLong(); }
    int rowsAffected() const { return m_query.numRowsAffected(); }

private:
    QSqlQuery m_query;
    QString m_prepareError;
};

template <typename Read>
auto SqlQuery::rows(Read read) -> Result<QList<std::invoke_result_t<Read&, const SqlQuery&>>>
{
    if (Status s = exec(); !s)
        return s;
    QList<std::invoke_result_t<Read&, const SqlQuery&>> list;
    while (next())
        list.append(read(*this));
    return list;
}

template <typename Read>
auto SqlQuery::first(Read read) -> Result<std::optional<std::invoke_result_t<Read&, const SqlQuery&>>>
{
    using Value = std::invoke_result_t<Read&, const SqlQuery&>;
    if (Status s = exec(); !s)
        return s;
    if (!next())
        return std::optional<Value>();
    return std::optional<Value>(read(*this));
}

// Runs one statement without values (pragmas, schema).
Status execute(const Database& database, const QString& sql);

// Whether any of the tables holds a row, or a row that meets condition (a WHERE clause, with one
// bound value when value is given).
Result<bool> anyRowIn(const Database& database, const QStringList& tables, const QString& condition = {},
                      const QVariant& value = {});

// Statements made from a table's column list, so that each list is written once:
// "INSERT INTO t (a, b) VALUES (?, ?)" and "UPDATE t SET a = ?, b = ? WHERE <where>".
QString insertStatement(const QString& table, const QStringList& columns);
QString updateStatement(const QString& table, const QStringList& columns, const QString& where);
