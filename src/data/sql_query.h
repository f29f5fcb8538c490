#pragma once

#include "common/currency.h"
#include "data/status.h"

#include <QDate>
#include <QSqlQuery>
#include <QVariant>

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
    // Runs a statement that gives one value: that value, or a null QVariant when there is no row.
    Result<QVariant> single();
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

// Runs one statement without values (pragmas, schema).
Status execute(const Database& database, const QString& sql);
