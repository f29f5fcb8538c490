#include "app/demo_data.h"
#include "common/clock.h"
#include "data/database.h"
#include "payroll/payroll_windows.h"
#include "shell/shell_controller.h"
#include "shell/shell_windows.h"
#include "shell/startup.h"
#include "ui/prompter.h"
#include "ui/window_catalogue.h"

#include <QApplication>
#include <QCommandLineParser>

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

} // namespace

int main(int argc, char** argv)
{
    std::unique_ptr<QCoreApplication> app = onlyPrints(argc, argv) ? std::make_unique<QCoreApplication>(argc, argv)
                                                                   : std::make_unique<QApplication>(argc, argv);
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
        QStringLiteral("Open the database PATH (created when missing). Default: %1").arg(defaultDatabasePath()),
        QStringLiteral("PATH"));
    const QCommandLineOption demoOption(QStringLiteral("demo"),
                                        QStringLiteral("Open the demo database, creating it on first use."));
    parser.addOption(databaseOption);
    parser.addOption(demoOption);
    parser.process(*app);

    SystemClock clock;
    MessageBoxPrompter prompter;
    WindowCatalogue catalogue;
    addShellWindows(catalogue);
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
