#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

// One running program per database file: a lock file beside the database. A lock left behind by a
// program that crashed is taken over, since its process is gone.
class InstanceLock {
public:
    enum class Outcome { Locked, HeldByAnother, Failed };

    explicit InstanceLock(const QString& databasePath);
    // Failed means the lock file could not be made at all; failure() says why.
    Outcome tryLock();
    QString failure() const { return m_failure; }
    bool isLocked() const;
    void unlock();
    // Beside a database file; for a server database, in this user's runtime folder.
    static QString lockPathFor(const QString& databasePath);

private:
    std::unique_ptr<QLockFile> m_lock;
    QString m_failure;
};
