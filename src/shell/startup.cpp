#include "startup.h"

#include "data/database.h"
#include "data/dialect.h"
#include "shell/instance_lock.h"
#include "shell/shell_controller.h"
#include "ui/prompter.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

QString databaseSettingKey()
{
    return QStringLiteral("database/location");
}

namespace {

const QString groupingKey = QStringLiteral("display/grouping");

struct GroupingName {
    Grouping grouping;
    const char* stored;
};
constexpr GroupingName groupingNames[] = {
    {Grouping::Indian, "indian"}, {Grouping::International, "international"}, {Grouping::System, "system"}};

} // namespace

void loadGrouping()
{
    const QString stored = QSettings().value(groupingKey).toString();
    for (const GroupingName& g : groupingNames)
        if (stored == QLatin1String(g.stored)) {
            Currency::setGrouping(g.grouping);
            return;
        }
    Currency::setGrouping(Currency::defaultGrouping());
}

void saveGrouping(Grouping grouping)
{
    Currency::setGrouping(grouping);
    for (const GroupingName& g : groupingNames)
        if (g.grouping == grouping)
            QSettings().setValue(groupingKey, QString::fromLatin1(g.stored));
}

QString defaultDatabasePath()
{
    const QString configured = QSettings().value(databaseSettingKey()).toString().trimmed();
    if (!configured.isEmpty())
        return configured;
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath(QStringLiteral("hr.db"));
}

QString demoDatabasePath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath(QStringLiteral("demo.db"));
}

Startup::Startup(Prompter& prompter, const Clock& clock, const WindowCatalogue& catalogue)
    : m_prompter(prompter), m_clock(clock), m_catalogue(catalogue)
{
}

Startup::~Startup()
{
    m_controller.reset(); // windows before the database they use
}

bool Startup::open(const StartOptions& options)
{
    const QString path = options.databasePath.isEmpty() ? (options.demo ? demoDatabasePath() : defaultDatabasePath())
                                                        : options.databasePath;
    m_lock = std::make_unique<InstanceLock>(path);
    switch (m_lock->tryLock()) {
    case InstanceLock::Outcome::Locked:
        break;
    case InstanceLock::Outcome::HeldByAnother:
        m_prompter.message(QStringLiteral("Application is already running"), Prompter::Icon::Critical,
                           Prompter::applicationTitle());
        m_exitCode = 1;
        return false;
    case InstanceLock::Outcome::Failed:
        m_prompter.error(QStringLiteral("Kestrel cannot start on %1: %2")
                             .arg(QDir::toNativeSeparators(DatabaseLocation::shown(path)), m_lock->failure()));
        m_exitCode = 2;
        return false;
    }
    m_database = std::make_unique<Database>();
    if (Status opened = m_database->open(path); !opened) {
        m_prompter.error(opened.error());
        m_exitCode = 2;
        return false;
    }
    return true;
}

void Startup::showFirstWindow()
{
    m_controller = std::make_unique<ShellController>(*m_database, m_prompter, m_clock, m_catalogue);
    m_controller->start();
}
