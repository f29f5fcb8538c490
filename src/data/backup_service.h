#pragma once

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
// minute it is taken (hr + ddMMyy + HHmm + .db), so at most one copy is taken per minute.
class BackupService {
public:
    BackupService(const Database& database, const Clock& clock) : m_db(database), m_clock(clock) {}

    // Into backup/ beside the database file; the folder is created when missing.
    BackupOutcome takeLocal() const;
    // Into the folder of the setting networkFolderKey(); fails when none is set or when the folder
    // is missing (an unmounted share), which is never created here.
    BackupOutcome takeNetwork() const;

    QString localFolder() const;
    static QString fileName(const QDateTime& when);
    static QString networkFolderKey() { return QStringLiteral("backup/networkFolder"); }

private:
    BackupOutcome takeInto(const QString& folder, bool createFolder) const;
    const Database& m_db;
    const Clock& m_clock;
};
