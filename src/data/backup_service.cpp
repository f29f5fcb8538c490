#include "backup_service.h"

#include "common/clock.h"
#include "data/database.h"
#include "data/sql_query.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

QString BackupService::fileName(const QDateTime& when)
{
    return QStringLiteral("hr") + when.toString(QStringLiteral("ddMMyyHHmm")) + QStringLiteral(".db");
}

QString BackupService::localFolder() const
{
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
    outcome.target = QDir(outcome.folder).filePath(fileName(m_clock.now()));

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
    // VACUUM INTO reads one consistent snapshot through the open connection.
    SqlQuery vacuum(m_db, QStringLiteral("VACUUM INTO ?"));
    vacuum.bind(outcome.target);
    if (Status s = vacuum.exec(); !s) {
        QFile::remove(outcome.target);
        outcome.reason = s.error();
        return outcome;
    }
    outcome.kind = BackupOutcome::Kind::Taken;
    return outcome;
}
