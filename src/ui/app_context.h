#pragma once

#include <functional>

class BackupService;
class Clock;
class Database;
class Prompter;
class QString;
class QWidget;
struct Session;

// What every window is handed: the one database, the operator's prompter, the clock and the session.
struct AppContext {
    Database& db;
    Prompter& prompter;
    const Clock& clock;
    Session& session;
    // Opens (or brings forward) a working window by name beside the open ones, closing none of them:
    // how one window calls up another, as the payroll window its payslips. Set by the main window;
    // without it a window opens on its own.
    std::function<QWidget*(const QString& name)> openBeside = {};
    // The open working window of that name, or null; set by the main window.
    std::function<QWidget*(const QString& name)> findWindow = {};
};
