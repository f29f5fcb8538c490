#pragma once

#include <QString>

#include <memory>

class Prompter;
class Clock;
class Database;
class InstanceLock;
class QWidget;

struct StartOptions {
    QString databasePath;
    bool demo = false;
};

// The per-user data folder's database files.
QString defaultDatabasePath();
QString demoDatabasePath();

// What a run holds while it lasts: the instance lock, the open database and the first window.
class Startup {
public:
    Startup(Prompter& prompter, const Clock& clock);
    ~Startup();

    // Locks, opens (creating a new file) and shows the first window. False when the program must end;
    // the operator has been told why, and exitCode() says how.
    bool start(const StartOptions& options);
    int exitCode() const { return m_exitCode; }
    Database* database() const { return m_database.get(); }
    QWidget* firstWindow() const { return m_window.get(); }

private:
    Prompter& m_prompter;
    const Clock& m_clock;
    std::unique_ptr<InstanceLock> m_lock;
    std::unique_ptr<Database> m_database;
    std::unique_ptr<QWidget> m_window;
    int m_exitCode = 0;
};
