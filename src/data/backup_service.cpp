#include "backup_service.h"

#include "common/clock.h"
#include "data/database.h"
#include "data/sql_query.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>

QString BackupService::fileName(const QDateTime& when, Backend backend)
{
    return QStringLiteral("hr") + when.toString(QStringLiteral("ddMMyyHHmm")) +
           (backend == Backend::SQLite ? QStringLiteral(".db") : QStringLiteral(".dump"));
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
    return takeInto(localFolder(), true);
}

BackupOutcome BackupService::takeNetwork() const
{
    const QString folder = QSettings().value(networkFolderKey()).toString().trimmed();
    if (folder.isEmpty()) {
        BackupOutcome outcome;
        outcome.reason = QStringLiteral("No network backup folder is set (setting %1).").arg(networkFolderKey());
        return outcome;
    }
    return takeInto(folder, false);
}

BackupOutcome BackupService::takeInto(const QString& folder, bool createFolder) const
{
    BackupOutcome outcome;
    outcome.folder = QDir::cleanPath(folder);
    outcome.target = QDir(outcome.folder).filePath(fileName(m_clock.now(), m_db.backend()));

    // A file or a folder of that name means this minute's copy exists already.
    if (QFileInfo::exists(outcome.target)) {
        outcome.kind = BackupOutcome::Kind::Skipped;
        return outcome;
    }
    if (!m_db.isOpen()) {
        outcome.reason = QStringLiteral("The database is not open.");
        return outcome;
    }
    if (!createFolder && !QFileInfo(outcome.folder).isDir()) {
        outcome.reason =
            QStringLiteral("The backup folder %1 cannot be reached.").arg(QDir::toNativeSeparators(outcome.folder));
        return outcome;
    }
    if (!QDir().mkpath(outcome.folder)) {
        outcome.reason =
            QStringLiteral("The folder %1 cannot be created.").arg(QDir::toNativeSeparators(outcome.folder));
        return outcome;
    }
    // The copy starts as an empty owner-only file, so it is never readable by others, even briefly.
    QFile file(outcome.target);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (QFileInfo::exists(outcome.target)) {
            outcome.kind = BackupOutcome::Kind::Skipped;
            return outcome;
        }
        outcome.reason = file.errorString();
        return outcome;
    }
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    file.close();
    Status copied;
    if (m_db.backend() == Backend::PostgreSQL) {
        // Written under another name and renamed when whole, so that a copy cut short never stands
        // as this minute's copy.
        const QString partial = outcome.target + QStringLiteral(".partial");
        QFile::remove(partial);
        if (!QFile::rename(outcome.target, partial))
            copied = Status::failure(QStringLiteral("The copy %1 cannot be prepared.").arg(partial));
        if (copied)
            copied = dumpServer(partial);
        if (copied && !QFile::rename(partial, outcome.target))
            copied = Status::failure(QStringLiteral("The copy %1 cannot be renamed.").arg(partial));
        QFile::remove(partial);
    } else {
        // VACUUM INTO reads one consistent snapshot through the open connection.
        SqlQuery vacuum(m_db, QStringLiteral("VACUUM INTO ?"));
        vacuum.bind(outcome.target);
        copied = vacuum.exec();
    }
    if (!copied) {
        QFile::remove(outcome.target);
        outcome.reason = copied.error();
        return outcome;
    }
    outcome.kind = BackupOutcome::Kind::Taken;
    return outcome;
}

Status BackupService::dumpServer(const QString& target) const
{
    // pg_dump reads one consistent snapshot of its own; the password comes as for the program,
    // from the password file or the environment, which it inherits.
    const DatabaseLocation& server = m_db.location();
    QStringList arguments{QStringLiteral("--format=custom"), QStringLiteral("--no-password"),
                          QStringLiteral("--file=") + target, QStringLiteral("--host=") + server.host,
                          QStringLiteral("--port=") + QString::number(server.port)};
    if (!server.user.isEmpty())
        arguments << QStringLiteral("--username=") + server.user;
    arguments << QStringLiteral("--dbname=") + server.name;
    QProcess dump;
    dump.start(QStringLiteral("pg_dump"), arguments);
    if (!dump.waitForStarted())
        return Status::failure(QStringLiteral("pg_dump cannot be run (postgresql-client): %1").arg(dump.errorString()));
    if (!dump.waitForFinished(10 * 60 * 1000)) {
        dump.kill();
        dump.waitForFinished();
        return Status::failure(QStringLiteral("pg_dump did not finish within ten minutes."));
    }
    if (dump.exitStatus() != QProcess::NormalExit || dump.exitCode() != 0)
        return Status::failure(
            QStringLiteral("pg_dump failed: %1").arg(QString::fromLocal8Bit(dump.readAllStandardError()).trimmed()));
    return {};
}
