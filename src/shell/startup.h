#pragma once

#include "common/currency.h"

#include <QString>

#include <memory>

class Prompter;
class Clock;
class Database;
class InstanceLock;
class ShellController;
class WindowCatalogue;

struct StartOptions {
    QString databasePath;
    bool demo = false;
};

// The database the program opens when none is named: the one the settings name (key
// databaseSettingKey(), a file or a PostgreSQL address, set for an office's workstations), else
// hr.db in this user's data folder.
QString defaultDatabasePath();
QString databaseSettingKey();
// How figures are grouped in this installation (Master, Number Grouping): read from the settings
// into the figures' formatting at start-up, and remembered when the operator changes it. Without a
// setting, the default that Currency gives for the system's locale.
void loadGrouping();
void saveGrouping(Grouping grouping);

// The demo database: demo.db in this user's data folder.
QString demoDatabasePath();

// What a run holds while it lasts: the instance lock, the open database and the windows.
class Startup {
public:
    Startup(Prompter& prompter, const Clock& clock, const WindowCatalogue& catalogue);
    ~Startup();

    // Locks and opens (creating a new file). False when the program must end; the operator has been
    // told why, and exitCode() says how.
    bool open(const StartOptions& options);
    // Shows the company selection; the controller's finished() ends the run.
    void showFirstWindow();

    int exitCode() const { return m_exitCode; }
    Database* database() const { return m_database.get(); }
    ShellController* controller() const { return m_controller.get(); }

private:
    Prompter& m_prompter;
    const Clock& m_clock;
    const WindowCatalogue& m_catalogue;
    std::unique_ptr<InstanceLock> m_lock;
    std::unique_ptr<Database> m_database;
    std::unique_ptr<ShellController> m_controller;
    int m_exitCode = 0;
};
