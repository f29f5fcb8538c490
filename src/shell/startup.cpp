#include "startup.h"

#include "common/prompter.h"
#include "data/database.h"
#include "shell/instance_lock.h"

#include <QDir>
#include <QMainWindow>
#include <QStandardPaths>

QString defaultDatabasePath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath(QStringLiteral("hr.db"));
}

QString demoDatabasePath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath(QStringLiteral("demo.db"));
}

Startup::Startup(Prompter& prompter, const Clock& clock) : m_prompter(prompter), m_clock(clock) {}

Startup::~Startup() = default;

bool Startup::start(const StartOptions& options)
{
    const QString path = options.databasePath.isEmpty() ? (options.demo ? demoDatabasePath() : defaultDatabasePath())
                                                        : options.databasePath;
    m_lock = std::make_unique<InstanceLock>(path);
    if (!m_lock->tryLock()) {
        m_prompter.message(QStringLiteral("Application is already running"), Prompter::Icon::Critical,
                           Prompter::applicationTitle());
        m_exitCode = 1;
        return false;
    }
    m_database = std::make_unique<Database>();
    if (Status opened = m_database->open(path); !opened) {
        m_prompter.error(opened.error());
        m_exitCode = 2;
        return false;
    }
    auto window = std::make_unique<QMainWindow>();
    window->setWindowTitle(Prompter::applicationTitle());
    window->resize(800, 600);
    window->show();
    m_window = std::move(window);
    return true;
}
