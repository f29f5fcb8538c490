#pragma once

#include "common/currency.h"
#include "data/status.h"
#include "data/table_transfer.h"

#include <QDate>
#include <QTime>
#include <QVariantList>

#include <memory>

class Database;
class LedgerFacts;

namespace transfer {

// One row of a file, its cells read as they are stored (see cellValue), by the table's columns: a
// column the file does not have, or an empty cell, is Null.
struct ImportRow {
    qint64 line = 0;
    QVariantList values;

    bool gives(int column) const { return !values.at(column).isNull(); }
    QVariant value(int column) const { return values.at(column); }
    QString text(int column) const { return values.at(column).toString(); }
    qint64 number(int column) const { return values.at(column).toLongLong(); }
    Currency amount(int column) const { return Currency::fromUnits(number(column)); }
    QDate date(int column) const { return QDate::fromString(text(column).left(10), Qt::ISODate); }
    QTime time(int column) const;
};

// A number a row gives (an employee's, a transaction's, a user's) is one the program would give:
// the repositories take 0 for "the next one", so a 0 written in the file is refused here.
Status givenNumber(const ImportRow& row, int column, const QString& field, const QString& caption, qint64 maximum);

// What every table's rows are written with: the database, what the import knows of its data, and
// how it was asked to import.
struct ImportContext {
    const Database& db;
    LedgerFacts& facts;
    ImportOptions options;
    // The database held nothing when the import began: the history of another system comes in.
    bool history = false;
};

// One table's rows handed on to its repository, a row at a time: a row refused is a refusal
// (Status::refused, naming its column); any other failure ends the import.
class TableSink {
public:
    virtual ~TableSink() = default;
    virtual Status take(const ImportRow& row) = 0;
    // Rows refused only as a second transaction of their employee's month.
    virtual qint64 secondsRefused() const { return 0; }
};

// The sink of the table, or a refusal of the whole file (a table that cannot come into this
// database, such as another database's trail into one in use).
Result<std::unique_ptr<TableSink>> sinkFor(const Table& table, ImportContext& context);
// The sinks of the masters, users and history (the trail, the months closed), and of the employees
// and their ledgers; null for a table the other one has.
Result<std::unique_ptr<TableSink>> masterSinkFor(const Table& table, ImportContext& context);
Result<std::unique_ptr<TableSink>> ledgerSinkFor(const Table& table, ImportContext& context);

} // namespace transfer
