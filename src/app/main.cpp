#include "app/demo_data.h"
#include "common/clock.h"
#include "data/database.h"
#include "employees/employee_windows.h"
#include "ledgers/ledger_windows.h"
#include "payroll/payroll_windows.h"
#include "report_windows/report_windows.h"
#include "reports/report_export.h"
#include "shell/shell_controller.h"
#include "shell/shell_windows.h"
#include "shell/startup.h"
#include "ui/prompter.h"
#include "ui/window_catalogue.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>

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

std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv)
{
    if (onlyPrints(argc, argv))
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

} // namespace

int main(int argc, char** argv)
{
    std::unique_ptr<QCoreApplication> app = makeApplication(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Kestrel"));
    QCoreApplication::setApplicationName(QStringLiteral("kestrel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KESTREL_VERSION));
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

    SystemClock clock;
    MessageBoxPrompter prompter;
    WindowCatalogue catalogue;
    addShellWindows(catalogue);
    addEmployeeWindows(catalogue);
    addLedgerWindows(catalogue);
    addReportWindows(catalogue);
    addPayrollWindows(catalogue);
    Startup startup(prompter, clock, catalogue);
    StartOptions options;
    options.databasePath = parser.value(databaseOption);
    options.demo = parser.isSet(demoOption);
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
    return app->exec();
}
