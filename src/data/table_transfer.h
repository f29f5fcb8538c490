#pragma once

#include "data/status.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QTime>

#include <functional>
#include <optional>

class Database;

// Moving every table in and out as CSV files, one per table named as the table (emp.csv,
// payroll.csv, …), with a header row of the column names: what a spreadsheet or a database tool
// writes, so that an office brings its old data along and can take its data elsewhere.
namespace transfer {

// How a column's cells are read.
enum class Kind {
    Number,   // a whole number
    Amount,   // a decimal with a point: 12500.50
    Date,     // 05-Mar-2024, 03/05/2024 (month first unless told), 2024-03-05
    Time,     // 14:05:09, 14:05, 2:05:09 PM
    Text,     // as a clerk reads it (see rules::cleanText)
    Password, // exactly as it stands: plain text, stored as a hash, or a hash Kestrel made
    Exact,    // exactly as it stands: the audit trail's texts, whose hashes are made of them
};

struct Column {
    QString name;
    Kind kind = Kind::Text;
    bool required = false; // in every file's header, and never empty
};

struct Table {
    QString name;
    QList<Column> columns;
    QString identity; // the column the database numbers, if any: numbers given are kept
    QString order;    // what the export writes the rows in the order of
    QString fileName() const { return name + QStringLiteral(".csv"); }
    int indexOf(const QString& column) const;
};

// Every table, in the order they are written; the import reads them in its own order (see
// importFolder).
const QList<Table>& tables();
const Table* tableNamed(const QString& name);
// The table's name as SQL takes it ("use" is a keyword and is quoted).
QString sqlName(const QString& table);

// A row that cannot be stored: where it is and why.
struct Refusal {
    QString file;
    qint64 line = 0;
    QString column;
    QString reason;
};

struct Count {
    QString table;
    qint64 read = 0;
    qint64 stored = 0;
};

struct ImportOptions {
    bool dayFirst = false;      // 03/05/2024 is 3 May, not 5 March
    bool append = false;        // into a database that holds data already
    bool secondInMonth = false; // a payroll row of an employee's month that has one already is taken
};

struct ImportOutcome {
    QList<Count> counts;
    QList<Refusal> refusals; // the first 100 reasons
    qint64 reasons = 0;      // every reason, of every refused row
    qint64 refused = 0;      // every refused row
    // Of them, the rows refused only as a second transaction of their employee's month: imported
    // when asked for (ImportOptions::secondInMonth).
    qint64 secondInMonth = 0;
    // Whether the database held data when the import began: its payroll rows were then worked out
    // as the payroll window works them out; into a new database they are kept as paid.
    bool intoDataInUse = false;
    bool stored() const { return refused == 0; }
};

// Told of progress: a line for the operator.
using Progress = std::function<void(const QString& line)>;

// Reads FOLDER/TABLE.csv for each table that has a file, all in one transaction: nothing is stored
// unless every row of every file is. Each row goes through the repository of its table, with its
// rules, closed months and locks, as a window's would: into a database in use, a payroll row may
// give only its inputs, and its figures are worked out as the payroll window works them out (a
// figure it gives must agree); into a new database, the history of another system, payroll rows
// are kept as paid when they are possible, and the trail and closed months of an export come back.
// Every table leaves an entry in the trail with its counts and the file's SHA-256; users and
// companies an entry each. A failure (no folder, a database with data without append, the
// database) is the status; refused rows are in the outcome.
Result<ImportOutcome> importFolder(const Database& database, const QString& folder, const ImportOptions& options,
                                   const Progress& progress = {});
// Writes every table to FOLDER/TABLE.csv in the form importFolder reads: dates as yyyy-MM-dd,
// amounts exactly, Null as an empty cell and an empty text as "".
Result<QList<Count>> exportFolder(const Database& database, const QString& folder, const Progress& progress = {});

// The cells' readings, on their own.
std::optional<QDate> parseDate(const QString& text, bool dayFirst);
std::optional<QTime> parseTime(const QString& text);

} // namespace transfer
