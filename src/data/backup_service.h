#pragma once

#include "data/dialect.h"
#include "data/status.h"

#include <QDateTime>
#include <QList>
#include <QPointer>
#include <QString>

#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <utility>

class Clock;
class Database;
class QObject;
class QProcess;
class SafeFile;

struct BackupOutcome {
    enum class Kind { Taken, Skipped, Failed };
    Kind kind = Kind::Failed;
    QString folder; // where the copy goes
    QString target; // the copy's full path
    QString reason; // why it failed, or why it was skipped
    int removed = 0; // older copies removed by the retention rule after it

    bool taken() const { return kind == Kind::Taken; }
    bool failed() const { return kind == Kind::Failed; }
};

// A fresh copy being taken on a thread of its own (see BackupService::startFresh).
class FreshCopy {
public:
    FreshCopy();
    FreshCopy(FreshCopy&&) noexcept;
    FreshCopy& operator=(FreshCopy&&) = delete;
    // Waits for the copy and puts it in place: it is never left half written.
    ~FreshCopy();
    // Whether the copy is still being taken (its outcome not known yet).
    bool pending() const;
    // Waits for the copy, then puts it in place; what became of it.
    const BackupOutcome& outcome();

private:
    friend class BackupService;
    BackupOutcome m_outcome;
    std::shared_ptr<SafeFile> m_file;
    std::future<Status> m_running;
};

// Which copies are kept: every copy of the last allDays days, the newest of each day for dailyDays
// days, the newest of each month for monthlyMonths months; the newest copy is always kept. Read from
// the settings (backup/keepAllDays, backup/keepDailyDays, backup/keepMonthlyMonths).
struct Retention {
    int allDays = 2;
    int dailyDays = 30;
    int monthlyMonths = 12;
    static Retention fromSettings();
};

// The copies (by when each was taken) that the rule removes at now, as indexes into taken.
QList<int> copiesToRemove(const QList<QDateTime>& taken, const QDateTime& now, const Retention& rule);

// Writes consistent copies of the open database without closing the connection. A SQLite file is
// copied page by page by SQLite's online backup (hr + ddMMyy + HHmm + .db); a PostgreSQL database
// by pg_dump in its custom format (.dump), which pg_restore reads back. Every copy is written through the safe file writer,
// owner-only, and appears under its name only when whole.
//
// Routine copies (on activating and closing the main window) are named for the minute, so at most
// one a minute is taken, and the retention rule prunes the folder after each. A copy before a bulk
// deletion or a restore is fresh: named to the second (hr + ddMMyy + HHmmss, then -2, -3, … when that
// is taken), never skipped, and checked (PRAGMA quick_check, or pg_restore --list) before it is
// reported taken.
class BackupService {
public:
    BackupService(const Database& database, const Clock& clock) : m_db(database), m_clock(clock) {}

    // Into backup/ beside the database file (for a server database, backup/DBNAME-HOST-PORT in this
    // user's data folder); the folder is created when missing.
    BackupOutcome takeLocal() const;
    // Into the folder of the setting networkFolderKey(); fails when none is set or when the folder
    // is missing (an unmounted share), which is never created here.
    BackupOutcome takeNetwork() const;
    // A routine local copy that does not hold up the window: a server's dump runs in the background
    // (done is called from the event loop when it ends; the owner calls cancelBackground() before it
    // goes); a file's copy is taken at once. While one runs, another is skipped.
    void takeLocalInBackground(QObject* owner, std::function<void(const BackupOutcome&)> done) const;
    // Stops a background copy still running, without telling anyone and leaving no partial file:
    // for a window that is going away.
    void cancelBackground() const;
    // The checked copy a deletion or a restore begins with; into the network folder when asked and
    // one is set, otherwise into the local one.
    BackupOutcome takeFresh(bool network = false) const;
    // The same copy, of the database as it is now, taken while the caller goes on: a deletion
    // deletes while its copy is written, and commits only once the copy is whole (a database
    // file with a connection of its own to read it from; a server's dump is taken before this
    // returns, as is a copy asked for inside a transaction).
    FreshCopy startFresh(bool network = false) const;

    QString localFolder() const;
    // Removes the copies in folder that the retention rule does not keep; how many were removed.
    int prune(const QString& folder, const Retention& rule = Retention::fromSettings()) const;

    static QString fileName(const QDateTime& when, Backend backend = Backend::SQLite);
    // When a copy of that name was taken; none for a file that is not a copy.
    static std::optional<QDateTime> takenAt(const QString& fileName);
    static QString networkFolderKey() { return QStringLiteral("backup/networkFolder"); }
    // Whether the file at path is a whole copy: for a database file every page and record read back
    // (quick_check), and when thorough also every index against its table (integrity_check, seven
    // seconds for a 240 MB file, which a deletion's copy does not wait for: it was just written by
    // SQLite itself); for a dump its table of contents.
    static Status check(const QString& path, bool thorough = false);

private:
    BackupOutcome takeInto(const QString& folder, bool createFolder, bool fresh) const;
    // Where a fresh copy goes, and whether that folder may be created.
    std::pair<QString, bool> freshFolder(bool network) const;
    BackupOutcome prepare(const QString& folder, bool createFolder, bool fresh) const;
    const Database& m_db;
    const Clock& m_clock;
    mutable QPointer<QProcess> m_running; // the background dump, while it runs
};

// What a restore put back.
struct RestoreOutcome {
    QString file;        // the copy restored
    QDateTime taken;     // when it was taken (by its name, else the file's time)
    QString safetyCopy;  // the copy of the database as it was before
    QList<QPair<QString, qint64>> rows; // the main tables and their rows after the restore
    QString summary() const;
};

// Puts the copy at file back as the database: checks it, takes a fresh checked copy of the database
// as it is, replaces the contents in one step (a reader sees the old database or the restored one)
// and opens the database again. A database file takes a copy of a file (.db); a server database takes
// a dump (.dump), restored by pg_restore in one transaction. Nothing changes when any step fails.
Result<RestoreOutcome> restoreFrom(Database& database, const Clock& clock, const QString& file);
