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
    Text,     // as it stands
    Password, // plain text, stored as a hash (a hash already made is kept)
};

struct Column {
    QString name;
    Kind kind = Kind::Text;
    bool required = false; // in every file's header; an empty number is refused (an empty text, by the rules)
};

struct Table {
    QString name;
    QList<Column> columns;
    QString identity;   // the column the database numbers, if any: numbers given are kept
    QString uniqueName; // a name unique whatever its case (the masters, user names), if any
    QString fileName() const { return name + QStringLiteral(".csv"); }
};

// Every table, in the order they are written and read.
const QList<Table>& tables();
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
    bool dayFirst = false; // 03/05/2024 is 3 May, not 5 March
    bool append = false;   // into a database that holds data already
};

struct ImportOutcome {
    QList<Count> counts;
    QList<Refusal> refusals; // the first 100 reasons
    qint64 reasons = 0;      // every reason, of every refused row
    qint64 refused = 0;      // every refused row
    bool stored() const { return refused == 0; }
};

// Told of progress: a line for the operator.
using Progress = std::function<void(const QString& line)>;

// Reads FOLDER/TABLE.csv for each table that has a file, all in one transaction: nothing is stored
// unless every row of every file is. A failure (no folder, a database with data without append,
// the database) is the status; refused rows are in the outcome.
Result<ImportOutcome> importFolder(const Database& database, const QString& folder, const ImportOptions& options,
                                   const Progress& progress = {});
// Writes every table to FOLDER/TABLE.csv in the form importFolder reads: dates as yyyy-MM-dd,
// amounts exactly, Null as an empty cell and an empty text as "".
Result<QList<Count>> exportFolder(const Database& database, const QString& folder, const Progress& progress = {});

// The cells' readings, on their own.
std::optional<QDate> parseDate(const QString& text, bool dayFirst);
std::optional<QTime> parseTime(const QString& text);

} // namespace transfer
