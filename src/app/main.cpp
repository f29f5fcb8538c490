#include "app/demo_data.h"
#include "app/program_windows.h"
#include "common/clock.h"
#include "common/memory.h"
#include "data/audit_trail.h"
#include "data/backup_service.h"
#include "data/database.h"
#include "data/table_transfer.h"
#include "reports/report_export.h"
#include "shell/shell_controller.h"
#include "shell/instance_lock.h"
#include "shell/startup.h"
#include "ui/keyboard_rules.h"
#include "ui/prompter.h"
#include "ui/window_catalogue.h"

#include <QApplication>
#include <QFile>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <csignal>
#include <cstring>
#include <memory>

namespace {

// --help and --version print and end before any window system is needed, so they work without a display.
bool onlyPrints(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        for (const char* option : {"-h", "--help", "--help-all", "-v", "--version"})
            if (std::strcmp(argv[i], option) == 0)
                return true;
    return false;
}

// Whether the arguments move the tables in or out (--import, --export), restore a copy (--restore)
// or check the audit trail (--verify-audit) rather than open windows.
bool asksForTransfer(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        for (const char* option : {"--import", "--export", "--restore", "--verify-audit"})
            if (std::strncmp(argv[i], option, std::strlen(option)) == 0)
                return true;
    return false;
}

// Every refused row as file:line: column: reason (the first hundred).
void tellRefused(const transfer::ImportOutcome& imported, QTextStream& log)
{
    log << imported.refused << " rows were refused; nothing was stored:\n";
    for (const transfer::Refusal& r : imported.refusals)
        log << r.file << ':' << r.line << ": " << (r.column.isEmpty() ? QString() : r.column + QStringLiteral(": "))
            << r.reason << '\n';
    if (imported.reasons > imported.refusals.size())
        log << "… and " << imported.reasons - imported.refusals.size() << " more.\n";
    if (imported.secondInMonth > 0)
        log << "Give --second-in-month to import the " << imported.secondInMonth
            << " second transactions of their employees' months as well.\n";
}

// Imports or exports every table; progress and refusals go to log. The exit code: 0 done, 1 the
// work failed or rows were refused (nothing stored), 2 the arguments are wrong.
int runTransfer(const QString& location, const QString& importFolder, const QString& exportFolder,
                const transfer::ImportOptions& options, QTextStream& log)
{
    if (importFolder.isEmpty() == exportFolder.isEmpty()) {
        log << "Give either --import FOLDER or --export FOLDER.\n";
        return 2;
    }
    if (!exportFolder.isEmpty() && !DatabaseLocation::namesServer(location) && !QFileInfo(location).isFile()) {
        log << "There is no database at " << location << ".\n";
        return 2;
    }
    // A mistyped folder is refused before the database is touched, so that nothing is created for it.
    if (!importFolder.isEmpty() && !QFileInfo(importFolder).isDir()) {
        log << "There is no folder " << QDir::toNativeSeparators(importFolder) << ".\n";
        return 2;
    }
    // The export only reads; the import creates a new database file, removed again when nothing is stored.
    const bool created = !DatabaseLocation::namesServer(location) && !QFileInfo::exists(location);
    Database db(QStringLiteral("kestrel-transfer"));
    if (Status opened = db.open(location, exportFolder.isEmpty() ? Database::Access::ReadWrite
                                                                 : Database::Access::ReadOnly);
        !opened) {
        log << opened.error() << '\n';
        return 1;
    }
    const auto removeIfCreated = [&] {
        if (!created)
            return;
        db.close();
        for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
            QFile::remove(location + suffix);
    };
    // Not under a running program, as the windows' own import is not: its windows would show a
    // month the import fills behind them (the lock is taken once the database's folder is there).
    InstanceLock lock(location);
    if (const auto held = exportFolder.isEmpty() ? lock.tryLock() : InstanceLock::Outcome::Locked;
        held != InstanceLock::Outcome::Locked) {
        log << (held == InstanceLock::Outcome::HeldByAnother
                    ? QStringLiteral("Kestrel is open on %1; close it there first.").arg(DatabaseLocation::shown(location))
                    : lock.failure())
            << '\n';
        removeIfCreated();
        return 1;
    }
    const auto say = [&](const QString& line) {
        log << line << '\n';
        log.flush();
    };
    if (!exportFolder.isEmpty()) {
        const auto written = transfer::exportFolder(db, exportFolder, say);
        if (!written) {
            log << written.error() << '\n';
            return 1;
        }
        log << "Exported " << written->size() << " tables to " << QDir::toNativeSeparators(exportFolder) << ".\n";
        return 0;
    }
    const auto imported = transfer::importFolder(db, importFolder, options, say);
    if (!imported || !imported->stored())
        removeIfCreated();
    if (!imported) {
        log << imported.error() << '\n';
        return 1;
    }
    if (!imported->stored()) {
        tellRefused(*imported, log);
        return 1;
    }
    qint64 stored = 0;
    for (const transfer::Count& count : imported->counts)
        stored += count.stored;
    log << "Imported " << stored << " rows of " << imported->counts.size() << " tables.\n";
    return 0;
}

// Puts a backup copy back as the database, as the Master menu's Restore does. The exit code: 0
// restored, 1 refused or failed (the database as it was), 2 the arguments are wrong.
int runRestore(const QString& location, const QString& copy, QTextStream& log)
{
    if (!QFileInfo(copy).isFile()) {
        log << "There is no copy at " << QDir::toNativeSeparators(copy) << ".\n";
        return 2;
    }
    // A mistyped database path must not become a new database that takes the copy while the real
    // one stays as it was.
    if (!DatabaseLocation::namesServer(location) && !QFileInfo(location).isFile()) {
        log << "There is no database at " << QDir::toNativeSeparators(location)
            << ". To start again from the copy, copy the file there and open it.\n";
        return 2;
    }
    // Not under a running program: its windows would go on showing what is no longer there.
    InstanceLock lock(location);
    if (const auto held = lock.tryLock(); held != InstanceLock::Outcome::Locked) {
        log << (held == InstanceLock::Outcome::HeldByAnother
                    ? QStringLiteral("Kestrel is open on %1; close it there first.").arg(DatabaseLocation::shown(location))
                    : lock.failure())
            << '\n';
        return 1;
    }
    Database db(QStringLiteral("kestrel-restore"));
    if (Status opened = db.open(location); !opened) {
        log << opened.error() << '\n';
        return 1;
    }
    SystemClock clock;
    const auto restored = restoreFrom(db, clock, copy);
    if (!restored) {
        log << restored.error() << '\n';
        return 1;
    }
    log << restored->summary() << '\n';
    return 0;
}

// Checks the audit trail's chain, reading the database without changing it. The exit code: 0 the
// trail is whole, 1 it is not (or cannot be read).
int runVerify(const QString& location, QTextStream& log)
{
    if (!DatabaseLocation::namesServer(location) && !QFileInfo(location).isFile()) {
        log << "There is no database at " << location << ".\n";
        return 2;
    }
    Database db(QStringLiteral("kestrel-verify"));
    if (Status opened = db.open(location, Database::Access::ReadOnly); !opened) {
        log << opened.error() << '\n';
        return 1;
    }
    const auto checked = audit::verify(db);
    if (!checked) {
        log << checked.error() << '\n';
        return 1;
    }
    log << checked->summary() << '\n';
    return checked->intact() ? 0 : 1;
}

std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv)
{
    if (onlyPrints(argc, argv) || asksForTransfer(argc, argv))
        return std::make_unique<QCoreApplication>(argc, argv);
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (!report::asksForExport(arguments))
        return std::make_unique<QApplication>(argc, argv);
    // An export draws pages but shows no window: it runs from a scheduler or a terminal without a
    // display unless a platform is named.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

// The options of the work on the tables that opens no window: moving them in and out, restoring a
// copy, checking the trail.
struct TableOptions {
    QCommandLineOption import{QStringLiteral("import"),
                              QStringLiteral("Read the tables from FOLDER (emp.csv, payroll.csv, …, one per table) "
                                             "into the database, all or nothing."),
                              QStringLiteral("FOLDER")};
    QCommandLineOption exportTables{QStringLiteral("export"),
                                    QStringLiteral("Write every table to FOLDER as TABLE.csv, as --import reads them."),
                                    QStringLiteral("FOLDER")};
    QCommandLineOption dayFirst{QStringLiteral("day-first"),
                                QStringLiteral("With --import: 03/05/2024 is 3 May (not 5 March).")};
    QCommandLineOption append{QStringLiteral("append"),
                              QStringLiteral("With --import: add the rows to a database that holds data already.")};
    QCommandLineOption second{QStringLiteral("second-in-month"),
                              QStringLiteral("With --import: take a payroll row of an employee's month that has a "
                                             "transaction already, as the payroll window does when asked.")};
    QCommandLineOption restore{QStringLiteral("restore"),
                               QStringLiteral("Put the backup copy FILE back as the database (a .db copy for a "
                                              "database file, a .dump for a server database), after taking a copy of "
                                              "the database as it is."),
                               QStringLiteral("FILE")};
    QCommandLineOption verify{QStringLiteral("verify-audit"),
                              QStringLiteral("Check that the audit trail is whole: every entry in its place and "
                                             "unchanged. Names the first entry that does not fit; exit code 1 when "
                                             "one does not.")};
    QList<QCommandLineOption> all() const { return {import, exportTables, dayFirst, append, second, restore, verify}; }
};

// The work on the tables the arguments ask for, on the database at location: its exit code.
int runTableWork(const QCommandLineParser& parser, const TableOptions& table, const QString& location, QTextStream& log)
{
    if (parser.isSet(table.verify))
        return runVerify(location, log);
    if (parser.isSet(table.restore)) {
        if (parser.isSet(table.import) || parser.isSet(table.exportTables)) {
            log << "Give --restore alone, without --import or --export.\n";
            return 2;
        }
        return runRestore(location, parser.value(table.restore), log);
    }
    transfer::ImportOptions options;
    options.dayFirst = parser.isSet(table.dayFirst);
    options.append = parser.isSet(table.append);
    options.secondInMonth = parser.isSet(table.second);
    return runTransfer(location, parser.value(table.import), parser.value(table.exportTables), options, log);
}

// The program with its windows, on the database given (the usual one when empty), or the demo's.
int runWindows(QCoreApplication& app, const QString& databasePath, bool demo)
{
    KeyboardRules::install();
    SystemClock clock;
    MessageBoxPrompter prompter;
    WindowCatalogue catalogue;
    addProgramWindows(catalogue);
    Startup startup(prompter, clock, catalogue);
    StartOptions options;
    options.databasePath = databasePath;
    options.demo = demo;
    if (!startup.open(options))
        return startup.exitCode();
    if (options.demo) {
        if (Status filled = ensureDemoData(*startup.database(), clock, options.databasePath.isEmpty()); !filled) {
            prompter.error(QStringLiteral("The demo database cannot be prepared: ") + filled.error());
            return 2;
        }
    }
    startup.showFirstWindow();
    QObject::connect(startup.controller(), &ShellController::finished, qApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    return app.exec();
}

} // namespace

int main(int argc, char** argv)
{
    // A file grown past the size limit (ulimit -f) fails its write, which the file writer reports,
    // rather than ending the program with the file half written.
    std::signal(SIGXFSZ, SIG_IGN);
    keepFreedMemoryForReuse();
    std::unique_ptr<QCoreApplication> app = makeApplication(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Kestrel"));
    QCoreApplication::setApplicationName(QStringLiteral("kestrel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KESTREL_VERSION));
    loadGrouping();
    // No display name: the platform would append it to every title, and the main window's title
    // must be the company alone.

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Kestrel: payroll and personnel for small companies."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption databaseOption(
        QStringLiteral("database"),
        QStringLiteral("Open the database PATH (a file, created when missing) or postgresql://user@host:port/dbname "
                       "(the password from ~/.pgpass or PGPASSWORD). Default: %1")
            .arg(defaultDatabasePath()),
        QStringLiteral("PATH"));
    const QCommandLineOption demoOption(QStringLiteral("demo"),
                                        QStringLiteral("Open the demo database, creating it on first use."));
    parser.addOption(databaseOption);
    parser.addOption(demoOption);
    parser.addOptions(report::exportOptions());
    const TableOptions table;
    parser.addOptions(table.all());
    if (!onlyPrints(argc, argv) && asksForTransfer(argc, argv)) {
        QTextStream log(stderr);
        if (!parser.parse(QCoreApplication::arguments())) {
            log << parser.errorText() << '\n';
            return 2;
        }
        // --demo moves the demo database's tables, as it opens the demo database in the windows.
        const QString location = parser.isSet(databaseOption) ? parser.value(databaseOption)
                                 : parser.isSet(demoOption)   ? demoDatabasePath()
                                                              : defaultDatabasePath();
        return runTableWork(parser, table, location, log);
    }
    if (!onlyPrints(argc, argv) && report::asksForExport(QCoreApplication::arguments())) {
        // An export's wrong arguments, unknown options included, end with its own exit code.
        QTextStream log(stderr);
        if (!parser.parse(QCoreApplication::arguments())) {
            log << parser.errorText() << '\n';
            return 2;
        }
        const auto request = report::exportRequest(parser);
        if (!request) {
            log << request.error() << '\n';
            return 2;
        }
        const QString path = parser.isSet(databaseOption) ? parser.value(databaseOption)
                             : parser.isSet(demoOption)   ? demoDatabasePath()
                                                          : defaultDatabasePath();
        return report::runExport(path, *request, log);
    }
    parser.process(*app);
    return runWindows(*app, parser.value(databaseOption), parser.isSet(demoOption));
}
