#include "instance_lock.h"

#include "data/dialect.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString InstanceLock::lockPathFor(const QString& databasePath)
{
    // A server database is shared by the office; the lock keeps one program per workstation user on
    // it, named for the database however its address is written. It lies in the user's own runtime
    // folder: in the shared temporary folder another user's stale lock, or a file any user made under
    // the predictable name, would lock everybody else out.
    if (DatabaseLocation::namesServer(databasePath)) {
        const auto location = DatabaseLocation::parse(databasePath);
        const QString key = location ? location->display() : databasePath;
        const QByteArray digest = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex();
        return QDir(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation))
            .filePath(QStringLiteral("kestrel-") + QString::fromLatin1(digest.left(16)) + QStringLiteral(".lock"));
    }
    return QFileInfo(databasePath).absoluteFilePath() + QStringLiteral(".lock");
}

InstanceLock::InstanceLock(const QString& databasePath) : m_lock(std::make_unique<QLockFile>(lockPathFor(databasePath)))
{
    // Staleness only by a dead owner, never by age: a program may run for days.
    m_lock->setStaleLockTime(0);
}

InstanceLock::Outcome InstanceLock::tryLock()
{
    const QString folder = QFileInfo(m_lock->fileName()).absolutePath();
    if (!QDir().mkpath(folder)) {
        m_failure = QStringLiteral("The folder %1 cannot be created.").arg(QDir::toNativeSeparators(folder));
        return Outcome::Failed;
    }
    if (m_lock->tryLock(0))
        return Outcome::Locked;
    if (m_lock->error() == QLockFile::LockFailedError)
        return Outcome::HeldByAnother;
    const QString file = QDir::toNativeSeparators(m_lock->fileName());
    m_failure = m_lock->error() == QLockFile::PermissionError
                    ? QStringLiteral("The lock file %1 cannot be written: permission denied.").arg(file)
                    : QStringLiteral("The lock file %1 cannot be made.").arg(file);
    return Outcome::Failed;
}

bool InstanceLock::isLocked() const
{
    return m_lock->isLocked();
}

void InstanceLock::unlock()
{
    m_lock->unlock();
}
