#pragma once

class BackupService;
class Clock;
class Database;
class Prompter;
struct Session;

// What every window is handed: the one database, the operator's prompter, the clock and the session.
struct AppContext {
    Database& db;
    Prompter& prompter;
    const Clock& clock;
    Session& session;
};
