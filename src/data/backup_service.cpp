#include "backup_service.h"

#include "common/clock.h"
#include "data/audit_trail.h"
#include "data/database.h"
#include "data/safe_file.h"
#include "data/schema.h"
#include "data/sql_query.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int dumpLimitMs = 10 * 60 * 1000;

QString extension(Backend backend)
{
    return backend == Backend::SQLite ? QStringLiteral(".db") : QStringLiteral(".dump");
}

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// pg_dump and pg_restore reach the server as the program does; the password comes from the password
// file or the environment, which they inherit. A server that does not answer is given up after ten
// seconds rather than holding the operator.
void prepareClient(QProcess& process)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!environment.contains(QStringLiteral("PGCONNECT_TIMEOUT")))
        environment.insert(QStringLiteral("PGCONNECT_TIMEOUT"), QStringLiteral("10"));
    process.setProcessEnvironment(environment);
}

QStringList serverArguments(const DatabaseLocation& server)
{
    QStringList arguments{QStringLiteral("--no-password"), QStringLiteral("--host=") + server.host,
                          QStringLiteral("--port=") + QString::number(server.port)};
    if (!server.user.isEmpty())
        arguments << QStringLiteral("--username=") + server.user;
    return arguments;
}

QStringList dumpArguments(const DatabaseLocation& server, const QString& target)
{
    return QStringList{QStringLiteral("--format=custom"), QStringLiteral("--file=") + target} +
           serverArguments(server) + QStringList{QStringLiteral("--dbname=") + server.name};
}

// How a client program ended, as a failure when it did not end well.
Status clientOutcome(QProcess& process, const QString& program, bool timedOut)
{
    if (timedOut)
        return Status::failure(QStringLiteral("%1 did not finish within ten minutes.").arg(program));
    if (process.error() == QProcess::FailedToStart)
        return Status::failure(
            QStringLiteral("%1 cannot be run (postgresql-client): %2").arg(program, process.errorString()));
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return Status::failure(QStringLiteral("%1 failed: %2")
                                   .arg(program, QString::fromLocal8Bit(process.readAllStandardError()).trimmed()));
    return {};
}

// Runs a client program to its end; what it wrote to its output, or why it failed.
Result<QByteArray> clientOutput(const QString& program, const QStringList& arguments,
                                const QStringList& options = {})
{
    QProcess process;
    prepareClient(process);
    if (!options.isEmpty()) {
        QProcessEnvironment environment = process.processEnvironment();
        environment.insert(QStringLiteral("PGOPTIONS"), options.join(QLatin1Char(' ')));
        process.setProcessEnvironment(environment);
    }
    process.start(program, arguments);
    if (!process.waitForStarted())
        return clientOutcome(process, program, false);
    bool timedOut = false;
    if (!process.waitForFinished(dumpLimitMs)) {
        timedOut = true;
        process.kill();
        process.waitForFinished();
    }
    if (Status ended = clientOutcome(process, program, timedOut); !ended)
        return ended;
    return process.readAllStandardOutput();
}

Status runClient(const QString& program, const QStringList& arguments, const QStringList& options = {})
{
    return clientOutput(program, arguments, options).status();
}

// The schema version recorded in a dump; a failure for a dump of another program's database.
Result<int> dumpVersion(const QString& dump)
{
    const auto data = clientOutput(QStringLiteral("pg_restore"),
                                   {QStringLiteral("--data-only"), QStringLiteral("--table=schema_version"),
                                    QStringLiteral("--file=-"), dump});
    if (!data)
        return data.status();
    int version = 0;
    bool inData = false;
    for (const QByteArray& line : data->split('\n')) {
        if (line.startsWith("COPY ") && line.contains("schema_version"))
            inData = true;
        else if (line == "\\.")
            inData = false;
        else if (inData)
            version = std::max(version, line.trimmed().toInt());
    }
    if (version == 0)
        return Status::failure(QStringLiteral("%1 is not a copy of a Kestrel database").arg(shown(dump)));
    return version;
}

} // namespace

Retention Retention::fromSettings()
{
    const QSettings settings;
    Retention rule;
    rule.allDays = std::max(0, settings.value(QStringLiteral("backup/keepAllDays"), rule.allDays).toInt());
    rule.dailyDays = std::max(0, settings.value(QStringLiteral("backup/keepDailyDays"), rule.dailyDays).toInt());
    rule.monthlyMonths =
        std::max(0, settings.value(QStringLiteral("backup/keepMonthlyMonths"), rule.monthlyMonths).toInt());
    return rule;
}

QList<int> copiesToRemove(const QList<QDateTime>& taken, const QDateTime& now, const Retention& rule)
{
    QList<int> newestFirst;
    for (int i = 0; i < taken.size(); ++i)
        newestFirst << i;
    std::stable_sort(newestFirst.begin(), newestFirst.end(),
                     [&](int a, int b) { return taken.at(a) > taken.at(b); });
    QSet<int> kept;
    QSet<qint64> daysSeen;
    QSet<int> monthsSeen;
    const auto monthOf = [](const QDate& d) { return d.year() * 12 + d.month(); };
    for (int i : std::as_const(newestFirst)) {
        const QDateTime& when = taken.at(i);
        const qint64 daysAgo = when.date().daysTo(now.date());
        const int monthsAgo = monthOf(now.date()) - monthOf(when.date());
        bool keep = kept.isEmpty(); // the newest copy, whatever its age
        keep = keep || daysAgo < rule.allDays;
        if (daysAgo < rule.dailyDays && !daysSeen.contains(when.date().toJulianDay()))
            keep = true;
        if (monthsAgo < rule.monthlyMonths && !monthsSeen.contains(monthOf(when.date())))
            keep = true;
        // The newest of a day or a month is the one that stands for it, kept or not.
        daysSeen.insert(when.date().toJulianDay());
        monthsSeen.insert(monthOf(when.date()));
        if (keep)
            kept.insert(i);
    }
    QList<int> removed;
    for (int i = 0; i < taken.size(); ++i)
        if (!kept.contains(i))
            removed << i;
    return removed;
}

QString BackupService::fileName(const QDateTime& when, Backend backend)
{
    return QStringLiteral("hr") + when.toString(QStringLiteral("ddMMyyHHmm")) + extension(backend);
}

std::optional<QDateTime> BackupService::takenAt(const QString& fileName)
{
    static const QRegularExpression name(
        QStringLiteral("^hr(\\d\\d)(\\d\\d)(\\d\\d)(\\d\\d)(\\d\\d)(\\d\\d)?(?:-\\d+)?\\.(?:db|dump)$"));
    const QRegularExpressionMatch m = name.match(fileName);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate date(2000 + m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).isEmpty() ? 0 : m.captured(6).toInt());
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time);
}

QString BackupService::localFolder() const
{
    // A server database's copies go to this user's data folder, a folder for each database.
    if (m_db.backend() == Backend::PostgreSQL) {
        const DatabaseLocation& server = m_db.location();
        return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
            .filePath(QStringLiteral("backup/%1-%2-%3").arg(server.name, server.host).arg(server.port));
    }
    return QFileInfo(m_db.path()).absoluteDir().filePath(QStringLiteral("backup"));
}

BackupOutcome BackupService::takeLocal() const
{
    return takeInto(localFolder(), true, false);
}

BackupOutcome BackupService::takeNetwork() const
{
    const QString folder = QSettings().value(networkFolderKey()).toString().trimmed();
    if (folder.isEmpty()) {
        BackupOutcome outcome;
        outcome.reason = QStringLiteral("No network backup folder is set (setting %1).").arg(networkFolderKey());
        return outcome;
    }
    return takeInto(folder, false, false);
}

std::pair<QString, bool> BackupService::freshFolder(bool network) const
{
    const QString folder = QSettings().value(networkFolderKey()).toString().trimmed();
    if (network && !folder.isEmpty())
        return {folder, false};
    return {localFolder(), true};
}

BackupOutcome BackupService::takeFresh(bool network) const
{
    const auto [folder, createFolder] = freshFolder(network);
    return takeInto(folder, createFolder, true);
}

BackupOutcome BackupService::prepare(const QString& folder, bool createFolder, bool fresh) const
{
    BackupOutcome outcome;
    outcome.folder = QDir::cleanPath(folder);
    const QDateTime now = m_clock.now();
    if (fresh) {
        // Named to the second, and numbered on when that name is taken: never skipped.
        const QString stem = QStringLiteral("hr") + now.toString(QStringLiteral("ddMMyyHHmmss"));
        QString name = stem + extension(m_db.backend());
        for (int n = 2; QFileInfo::exists(QDir(outcome.folder).filePath(name)); ++n)
            name = stem + QLatin1Char('-') + QString::number(n) + extension(m_db.backend());
        outcome.target = QDir(outcome.folder).filePath(name);
    } else {
        outcome.target = QDir(outcome.folder).filePath(fileName(now, m_db.backend()));
        // A file or a folder of that name means this minute's copy exists already.
        if (QFileInfo::exists(outcome.target)) {
            outcome.kind = BackupOutcome::Kind::Skipped;
            outcome.reason = QStringLiteral("This minute's copy exists already.");
            return outcome;
        }
    }
    if (!m_db.isOpen()) {
        outcome.reason = QStringLiteral("The database is not open.");
        return outcome;
    }
    if (!createFolder && !QFileInfo(outcome.folder).isDir()) {
        outcome.reason = QStringLiteral("The backup folder %1 cannot be reached.").arg(shown(outcome.folder));
        return outcome;
    }
    if (Status made = makeFolder(outcome.folder, FileAccess::OwnerOnly); !made) {
        outcome.reason = made.error();
        return outcome;
    }
    outcome.kind = BackupOutcome::Kind::Taken; // prepared; the caller takes the copy
    return outcome;
}

namespace {

// Every page of source's present snapshot into the file at path, whose own connection is closed
// before this returns (the caller syncs the file).
Status copyPagesFrom(sqlite3* source, const QString& path)
{
    sqlite3* target = nullptr;
    Status status;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK) {
        status = Status::failure(QString::fromUtf8(sqlite3_errmsg(target)));
    } else if (sqlite3_exec(target, "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF", nullptr, nullptr,
                            nullptr) != SQLITE_OK) {
        // The copy is a new partial file, synced and put in place only when whole: a journal of it
        // and syncs on the way would guard nothing, and took two thirds of the copy's time.
        status = Status::failure(QString::fromUtf8(sqlite3_errmsg(target)));
    } else if (sqlite3_backup* backup = sqlite3_backup_init(target, "main", source, "main"); !backup) {
        status = Status::failure(QString::fromUtf8(sqlite3_errmsg(target)));
    } else {
        const int stepped = sqlite3_backup_step(backup, -1);
        const int finished = sqlite3_backup_finish(backup);
        if (stepped != SQLITE_DONE || finished != SQLITE_OK)
            status = Status::failure(QString::fromUtf8(sqlite3_errstr(stepped != SQLITE_DONE ? stepped : finished)));
        // The pages carry the database's write-ahead mode; a copy is a file on its own, read
        // (and checked) without the -wal and -shm files that mode would leave beside it.
        else if (sqlite3_exec(target, "PRAGMA journal_mode = DELETE", nullptr, nullptr, nullptr) != SQLITE_OK)
            status = Status::failure(QString::fromUtf8(sqlite3_errmsg(target)));
    }
    if (sqlite3_close(target) != SQLITE_OK && status)
        status = Status::failure(QStringLiteral("the copy could not be closed"));
    return status;
}

// Syncs the file at path to the disk, through a handle of its own.
Status syncFile(const QString& path)
{
    const int handle = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (handle < 0 || ::fsync(handle) != 0) {
        const Status failed = Status::failure(QString::fromLocal8Bit(std::strerror(errno)));
        if (handle >= 0)
            ::close(handle);
        return failed;
    }
    ::close(handle);
    return {};
}

// The same from the open database's connection.
Status copyPages(const Database& database, const QString& path)
{
    sqlite3* source = sqliteConnection(database);
    if (!source) {
        // A driver with a SQLite of its own cannot lend its connection: the copy is rebuilt
        // through it from one consistent snapshot instead (slower, as sound).
        SqlQuery vacuum(database, QStringLiteral("VACUUM INTO ?"));
        vacuum.bind(path);
        return vacuum.exec();
    }
    return copyPagesFrom(source, path);
}

// What is left of a database file's copy once its pages are written (or failed to be): the copy
// is synced and put in place, and read back before it is called taken when check is asked.
BackupOutcome finishFileCopy(BackupOutcome outcome, SafeFile& file, Status copied, bool check)
{
    // SQLite may leave the copy's own journal beside it when the copy fails.
    for (const QString& suffix : {QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(file.partialPath() + suffix);
    if (!copied)
        copied = Status::failure(
            QStringLiteral("The copy %1 cannot be written: %2 (is the disk full?)").arg(shown(outcome.target), copied.error()));
    if (copied)
        copied = file.commit();
    if (copied && check) {
        // A copy that a deletion or a restore relies on is read back before it is called taken.
        copied = BackupService::check(outcome.target);
        if (!copied)
            QFile::remove(outcome.target);
    }
    if (!copied) {
        outcome.kind = BackupOutcome::Kind::Failed;
        outcome.reason = copied.error();
    }
    return outcome;
}

} // namespace

BackupOutcome BackupService::takeInto(const QString& folder, bool createFolder, bool fresh) const
{
    BackupOutcome outcome = prepare(folder, createFolder, fresh);
    if (!outcome.taken())
        return outcome;
    SafeFile file(outcome.target);
    if (Status opened = file.open(); !opened) {
        outcome.kind = BackupOutcome::Kind::Failed;
        outcome.reason = opened.error();
        return outcome;
    }
    if (m_db.backend() == Backend::SQLite) {
        // SQLite's online backup copies the pages of one consistent snapshot, read through the
        // open connection, into the empty file: page by page, without rebuilding every table and
        // index as VACUUM INTO did (three times as long for a database of a few hundred MB).
        outcome = finishFileCopy(outcome, file, copyPages(m_db, file.partialPath()), fresh);
        if (outcome.taken() && !fresh)
            outcome.removed = prune(outcome.folder);
        return outcome;
    }
    Status copied = runClient(QStringLiteral("pg_dump"), dumpArguments(m_db.location(), file.partialPath()));
    if (copied)
        copied = file.commit();
    if (copied && fresh) {
        copied = check(outcome.target);
        if (!copied)
            QFile::remove(outcome.target);
    }
    if (!copied) {
        outcome.kind = BackupOutcome::Kind::Failed;
        outcome.reason = copied.error();
    } else if (!fresh) {
        outcome.removed = prune(outcome.folder);
    }
    return outcome;
}

FreshCopy BackupService::startFresh(bool network) const
{
    FreshCopy copy;
    sqlite3* own = m_db.backend() == Backend::SQLite ? sqliteConnection(m_db) : nullptr;
    // A server's dump, a driver that lends no connection, or a transaction open on the connection
    // (whose snapshot a connection of the copy's own would not see): taken here and now.
    if (!own || m_db.inTransaction()) {
        copy.m_outcome = takeFresh(network);
        return copy;
    }
    const auto [folder, createFolder] = freshFolder(network);
    BackupOutcome outcome = prepare(folder, createFolder, true);
    auto file = std::make_shared<SafeFile>(outcome.target);
    Status opened = outcome.taken() ? file->open() : Status();
    // The copy's snapshot is the database as it is now: a connection of the copy's own begins its
    // read transaction here, before the caller changes anything (write-ahead logging lets it read
    // that snapshot while the caller writes), and is read on the copy's thread.
    sqlite3* source = nullptr;
    if (outcome.taken() && opened) {
        if (sqlite3_open_v2(sqlite3_db_filename(own, "main"), &source, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK ||
            sqlite3_busy_timeout(source, 5000) != SQLITE_OK ||
            sqlite3_exec(source, "BEGIN; SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) != SQLITE_OK)
            opened = Status::failure(QStringLiteral("The database cannot be read for its copy: %1")
                                         .arg(QString::fromUtf8(sqlite3_errmsg(source))));
    }
    if (outcome.taken() && !opened) {
        sqlite3_close(source);
        outcome.kind = BackupOutcome::Kind::Failed;
        outcome.reason = opened.error();
    }
    if (!outcome.taken()) {
        copy.m_outcome = outcome;
        return copy;
    }
    copy.m_outcome = outcome;
    copy.m_file = file;
    // The copy's thread writes the pages, syncs them and reads them back; the file is put in place
    // by whoever asks for the outcome, on the thread that opened it.
    const auto work = [source, partial = file->partialPath()] {
        Status copied = copyPagesFrom(source, partial);
        sqlite3_exec(source, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(source);
        if (copied)
            copied = syncFile(partial);
        if (copied)
            copied = BackupService::check(partial);
        return copied;
    };
    try {
        copy.m_running = std::async(std::launch::async, work);
    } catch (const std::system_error&) {
        // No thread to be had: the copy is taken here and now, as the same work.
        copy.m_outcome = finishFileCopy(outcome, *file, work(), false);
        copy.m_file.reset();
    }
    return copy;
}

FreshCopy::FreshCopy() = default;
FreshCopy::FreshCopy(FreshCopy&&) noexcept = default;

FreshCopy::~FreshCopy()
{
    // A copy started is finished and kept, whatever became of what it was taken for.
    outcome();
}

bool FreshCopy::pending() const
{
    return m_running.valid();
}

const BackupOutcome& FreshCopy::outcome()
{
    if (m_running.valid()) {
        // Synced and read back already: finishing is the rename.
        m_outcome = finishFileCopy(m_outcome, *m_file, m_running.get(), false);
        m_file.reset();
    }
    return m_outcome;
}

void BackupService::takeLocalInBackground(QObject* owner, std::function<void(const BackupOutcome&)> done) const
{
    if (m_db.backend() == Backend::SQLite) {
        done(takeLocal());
        return;
    }
    if (m_running) {
        BackupOutcome busy;
        busy.kind = BackupOutcome::Kind::Skipped;
        busy.reason = QStringLiteral("A copy is being taken.");
        done(busy);
        return;
    }
    BackupOutcome outcome = prepare(localFolder(), true, false);
    if (!outcome.taken()) {
        done(outcome);
        return;
    }
    auto file = std::make_shared<SafeFile>(outcome.target);
    if (Status opened = file->open(); !opened) {
        outcome.kind = BackupOutcome::Kind::Failed;
        outcome.reason = opened.error();
        done(outcome);
        return;
    }
    auto* process = new QProcess(owner);
    m_running = process;
    prepareClient(*process);
    auto timedOut = std::make_shared<bool>(false);
    auto* limit = new QTimer(process);
    limit->setSingleShot(true);
    QObject::connect(limit, &QTimer::timeout, process, [process, timedOut] {
        *timedOut = true;
        process->kill();
    });
    // Everything the end needs is held by value.
    const Database* db = &m_db;
    const Clock* clock = &m_clock;
    const auto finish = [=, outcome = std::make_shared<BackupOutcome>(outcome)] {
        if (!process->property("kestrelFinished").isNull())
            return;
        process->setProperty("kestrelFinished", true);
        Status copied = clientOutcome(*process, QStringLiteral("pg_dump"), *timedOut);
        if (copied)
            copied = file->commit();
        else
            file->cancel();
        if (copied) {
            outcome->removed = BackupService(*db, *clock).prune(outcome->folder);
        } else {
            outcome->kind = BackupOutcome::Kind::Failed;
            outcome->reason = copied.error();
        }
        process->deleteLater();
        done(*outcome);
    };
    QObject::connect(process, &QProcess::finished, process, finish);
    QObject::connect(process, &QProcess::errorOccurred, process, [finish](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            finish();
    });
    limit->start(dumpLimitMs);
    process->start(QStringLiteral("pg_dump"), dumpArguments(m_db.location(), file->partialPath()));
}

void BackupService::cancelBackground() const
{
    if (!m_running)
        return;
    QProcess* process = m_running;
    // Without its connections no one is told, and the partial file they hold goes with them.
    QObject::disconnect(process, nullptr, nullptr, nullptr);
    process->kill();
    process->waitForFinished(5000);
    delete process;
}

int BackupService::prune(const QString& folder, const Retention& rule) const
{
    // The copies taken before a deletion or a restore (named to the second) are a series of their
    // own: the routine copies of the days after must not push out the last copy from before a
    // deletion.
    QHash<bool, QStringList> paths;
    QHash<bool, QList<QDateTime>> taken;
    for (const QFileInfo& info : QDir(folder).entryInfoList(QDir::Files))
        if (const auto when = takenAt(info.fileName())) {
            const bool fresh = info.fileName().indexOf(QLatin1Char('.')) != 12; // hr + ddMMyyHHmm is routine
            paths[fresh] << info.absoluteFilePath();
            taken[fresh] << *when;
        }
    int removed = 0;
    for (const bool fresh : {false, true})
        for (int i : copiesToRemove(taken.value(fresh), m_clock.now(), rule))
            if (QFile::remove(paths.value(fresh).at(i)))
                ++removed;
    return removed;
}

Status BackupService::check(const QString& path, bool thorough)
{
    if (path.endsWith(QStringLiteral(".dump")))
        return runClient(QStringLiteral("pg_restore"), {QStringLiteral("--list"), path});
    sqlite3* copy = nullptr;
    const QByteArray name = QFile::encodeName(path);
    Status status;
    if (sqlite3_open_v2(name.constData(), &copy, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        status = Status::failure(QStringLiteral("The copy %1 cannot be opened: %2")
                                     .arg(shown(path), QString::fromUtf8(sqlite3_errmsg(copy))));
    } else {
        sqlite3_stmt* statement = nullptr;
        QString answer;
        if (sqlite3_prepare_v2(copy, thorough ? "PRAGMA integrity_check" : "PRAGMA quick_check", -1, &statement,
                               nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW)
            answer = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        else
            answer = QString::fromUtf8(sqlite3_errmsg(copy));
        sqlite3_finalize(statement);
        if (answer != QStringLiteral("ok"))
            status = Status::failure(QStringLiteral("The copy %1 is damaged: %2").arg(shown(path), answer));
    }
    sqlite3_close(copy);
    return status;
}

QString RestoreOutcome::summary() const
{
    // As the clerk calls them, not as the tables are named.
    static const QHash<QString, QString> nouns = {
        {QStringLiteral("emp"), QStringLiteral("employees")},     {QStringLiteral("payroll"), QStringLiteral("payroll transactions")},
        {QStringLiteral("loan"), QStringLiteral("loans")},        {QStringLiteral("adv"), QStringLiteral("advances")},
        {QStringLiteral("incre"), QStringLiteral("increments")}, {QStringLiteral("decre"), QStringLiteral("decrements")},
        {QStringLiteral("arr"), QStringLiteral("arrears rows")}};
    QStringList counts;
    for (const auto& [table, count] : rows)
        counts << QStringLiteral("%1 %2").arg(count).arg(nouns.value(table, table));
    return QStringLiteral("Restored the copy of %1 (%2): %3. The database as it was before is kept as %4.")
        .arg(taken.toString(QStringLiteral("dd/MM/yyyy HH:mm")), QDir::toNativeSeparators(file),
             counts.join(QStringLiteral(", ")), QDir::toNativeSeparators(safetyCopy));
}

namespace {

Result<RestoreOutcome> refused(const QString& reason)
{
    return Status::failure(QStringLiteral("Nothing was restored: %1").arg(reason));
}

// Copies every page of the copy into the open database in one write transaction of SQLite's own
// backup, so that the database holds either all of the old pages or all of the copy's.
Status replaceFileContents(const Database& database, const QString& copyPath)
{
    sqlite3* target = sqliteConnection(database);
    if (!target)
        return Status::failure(QStringLiteral("the database's connection cannot be reached for a restore"));
    sqlite3* source = nullptr;
    Status status;
    if (sqlite3_open_v2(QFile::encodeName(copyPath).constData(), &source, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        status = Status::failure(QString::fromUtf8(sqlite3_errmsg(source)));
    } else if (sqlite3_backup* backup = sqlite3_backup_init(target, "main", source, "main"); !backup) {
        status = Status::failure(QString::fromUtf8(sqlite3_errmsg(target)));
    } else {
        const int stepped = sqlite3_backup_step(backup, -1);
        sqlite3_backup_finish(backup);
        if (stepped != SQLITE_DONE)
            status = Status::failure(stepped == SQLITE_BUSY || stepped == SQLITE_LOCKED
                                         ? QStringLiteral("another program is using the database; close it and try again")
                                         : QString::fromUtf8(sqlite3_errstr(stepped)));
    }
    sqlite3_close(source);
    return status;
}

} // namespace

Result<RestoreOutcome> restoreFrom(Database& database, const Clock& clock, const QString& file)
{
    RestoreOutcome outcome;
    const QFileInfo info(file);
    outcome.file = info.absoluteFilePath();
    if (!info.isFile())
        return refused(QStringLiteral("there is no copy at %1.").arg(shown(file)));
    if (!database.isOpen())
        return refused(QStringLiteral("the database is not open."));
    const bool dump = info.suffix() == QStringLiteral("dump");
    if (database.backend() == Backend::SQLite && dump)
        return refused(QStringLiteral("%1 is a copy of a server database; a database file is restored from a "
                                      "copy of a file (.db).")
                           .arg(shown(file)));
    if (database.backend() == Backend::PostgreSQL && !dump)
        return refused(QStringLiteral("a server database is restored from a dump (.dump) that Kestrel took of it, "
                                      "not from %1.")
                           .arg(shown(file)));
    // A copy may have lain on a disk for months: it is read back whole before it replaces anything.
    if (Status whole = BackupService::check(outcome.file, true); !whole)
        return refused(whole.error());
    // A copy of another program's database, or of a newer Kestrel, is refused before anything changes.
    if (!dump) {
        Database copy(QStringLiteral("kestrel-restore-check"));
        if (Status opened = copy.open(outcome.file, Database::Access::Inspect); !opened)
            return refused(opened.error());
    } else {
        const auto version = dumpVersion(outcome.file);
        if (!version)
            return refused(version.error());
        if (*version > schema::latestVersion())
            return refused(QStringLiteral("the copy was taken by a newer version of Kestrel (schema %1).").arg(*version));
        // pg_restore --clean replaces only the tables the dump holds: one from before a table was
        // added would leave that table as it is now, half of one database and half of the other.
        if (*version < schema::latestVersion())
            return refused(QStringLiteral("the copy was taken by an older version of Kestrel (schema %1). Restore it "
                                          "into a new, empty database with pg_restore and open that once in Kestrel.")
                               .arg(*version));
    }
    outcome.taken = BackupService::takenAt(info.fileName()).value_or(info.lastModified());

    const BackupOutcome safety = BackupService(database, clock).takeFresh();
    if (!safety.taken())
        return refused(QStringLiteral("the database could not be copied first: %1").arg(safety.reason));
    outcome.safetyCopy = safety.target;

    Status replaced;
    if (database.backend() == Backend::SQLite) {
        replaced = replaceFileContents(database, outcome.file);
    } else {
        // One transaction: a restore that fails half-way leaves the database as it was. A table that
        // another workstation holds is waited for half a minute, then the restore gives up.
        replaced = runClient(QStringLiteral("pg_restore"),
                             QStringList{QStringLiteral("--clean"), QStringLiteral("--if-exists"),
                                         QStringLiteral("--single-transaction"), QStringLiteral("--exit-on-error"),
                                         QStringLiteral("--no-owner"), QStringLiteral("--no-privileges")} +
                                 serverArguments(database.location()) +
                                 QStringList{QStringLiteral("--dbname=") + database.location().name, outcome.file},
                             {QStringLiteral("-c lock_timeout=30000")});
    }
    if (!replaced)
        return refused(replaced.error());
    // Opened again: an older copy is brought up to this version, and nothing read before is kept.
    if (Status reopened = database.reopen(); !reopened)
        return Status::failure(QStringLiteral("The copy was restored, but the database cannot be opened again: %1")
                                   .arg(reopened.error()));
    for (const char* table : {"emp", "payroll", "loan", "adv", "incre", "decre", "arr"}) {
        SqlQuery count(database, QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(table)));
        const auto rows = count.single();
        if (!rows)
            return rows.status();
        outcome.rows << qMakePair(QString::fromLatin1(table), rows->toLongLong());
    }
    // The trail is the copy's own; the restore is its next entry. The entries made since the copy
    // was taken stay in the copy of the database as it was.
    const Status recorded = inTransaction(database, [&] {
        return audit::recordEvent(database, audit::Kind::Restore, {}, {},
                                  QStringLiteral("restored from %1 (taken %2); the database as it was is kept in %3")
                                      .arg(outcome.file, outcome.taken.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")),
                                           outcome.safetyCopy));
    });
    if (!recorded)
        return Status::failure(QStringLiteral("The copy was restored, but the audit trail cannot record it: %1")
                                   .arg(recorded.error()));
    return outcome;
}
