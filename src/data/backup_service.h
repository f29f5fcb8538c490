#pragma once

#include "data/dialect.h"
#include "data/status.h"

#include <QDateTime>
#include <QString>

class Clock;
class Database;

struct BackupOutcome {
    enum class Kind { Taken, Skipped, Failed };
    Kind kind = Kind::Failed;
    QString folder; // where the copy goes
    QString target; // the copy's full path
    QString reason; // why it failed

    bool taken() const { return kind == Kind::Taken; }
    bool failed() const { return kind == Kind::Failed; }
};

// Writes a consistent copy of the open database without closing the connection, named for the
// minute it is taken (hr + ddMMyy + HHmm + .db), so at most one copy is taken per minute. A
// PostgreSQL database is copied by pg_dump in its custom format (hr + ddMMyy + HHmm + .dump), which
// pg_restore reads back.
class BackupService {
public:
    BackupService(const Database& database, const Clock& clock) : m_db(database), m_clock(clock) {}

    // Into backup/ beside the database file (for a server database, backup/DBNAME-HOST-PORT in this
    // user's data folder); the folder is created when missing.
    BackupOutcome takeLocal() const;
    // Into the folder of the setting networkFolderKey(); fails when none is set or when the folder
    // is missing (an unmounted share), which is never created here.
    BackupOutcome takeNetwork() const;

    QString localFolder() const;
    static QString fileName(const QDateTime& when, Backend backend = Backend::SQLite);
    static QString networkFolderKey() { return QStringLiteral("backup/networkFolder"); }

private:
    BackupOutcome takeInto(const QString& folder, bool createFolder) const;
    Status dumpServer(const QString& target) const;
    const Database& m_db;
    const Clock& m_clock;
};
