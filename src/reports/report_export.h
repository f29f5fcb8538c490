#pragma once

#include "data/status.h"
#include "reports/report_document.h"

#include <QCommandLineOption>
#include <QDate>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

class Database;
class QCommandLineParser;
class QTextStream;

namespace report {

// What the command line asks for: one report of one company, written to a PDF or CSV file.
struct ExportRequest {
    QString kind;
    QString company;
    QString output;
    QDate month; // any day of the month
    QDate from;
    QDate to;
    QString department;
    QString group;
    std::optional<qint64> employee;
};

// A report the command line can write: what it takes and how its document is made.
struct ExportKind {
    enum class Period { None, Month, Range };
    QString name;
    Period period = Period::None;
    QStringList filters;  // the filter options it takes ("department", "group", "employee")
    QStringList required; // those of the filters it cannot do without
    std::function<Result<Document>(const Database& db, const ExportRequest& request)> make;
    // Further checks of the arguments (a combination of filters); empty when there are none.
    std::function<Status(const ExportRequest& request)> check = {};
    // Whether --company is required; a report of every company takes it only to narrow down.
    bool needsCompany = true;
    // A file of its own format (a file for an office's portal), written as it stands to --output
    // FILE.txt (or the suffix below) instead of a report's PDF or CSV; `make` is not used then.
    std::function<Result<QByteArray>(const Database& db, const ExportRequest& request)> text = {};
    QString textSuffix = QStringLiteral("txt"); // the type of that file
};

// Every kind, in the order --help lists them.
const QList<ExportKind>& exportKinds();

// The options of the export, for the program's parser (and its --help).
QList<QCommandLineOption> exportOptions();

// Whether the arguments ask for an export rather than the program's windows.
bool asksForExport(const QStringList& arguments);

// The request the parsed options make, checked against what its kind takes.
Result<ExportRequest> exportRequest(const QCommandLineParser& parser);

// Writes the report without opening a window; progress and failures go to `log`. The exit code:
// 0 written, 1 the work failed (database, file), 2 the arguments are wrong. Nothing is written
// unless the whole report is.
int runExport(const QString& databasePath, const ExportRequest& request, QTextStream& log);

} // namespace report
