#include "instance_lock.h"

#include <QDir>
#include <QFileInfo>

InstanceLock::InstanceLock(const QString& databasePath)
    : m_lock(std::make_unique<QLockFile>(lockPathFor(QFileInfo(databasePath).absoluteFilePath())))
{
    // Staleness only by a dead owner, never by age: a program may run for days.
    m_lock->setStaleLockTime(0);
}

bool InstanceLock::tryLock()
{
    QDir().mkpath(QFileInfo(m_lock->fileName()).absolutePath());
    return m_lock->tryLock(0);
}

bool InstanceLock::isLocked() const
{
    return m_lock->isLocked();
}

void InstanceLock::unlock()
{
    m_lock->unlock();
}
