#include "safe_file.h"

#include <QDir>
#include <QFileInfo>
#include <QIODevice>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <utility>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The mode a new file gets from the umask, as the system's own tools create files.
mode_t umaskMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// A renamed file's new name is durable only once its folder is synced.
void syncFolder(const QString& folder)
{
    const int handle = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle < 0)
        return;
    ::fsync(handle);
    ::close(handle);
}

} // namespace

// The partial file as a device: every write goes to the system at once, and the first failure's
// reason is kept for commit().
class SafeFile::Output : public QIODevice {
public:
    Output(int handle, QString path) : m_handle(handle), m_path(std::move(path)) { open(QIODevice::WriteOnly); }
    ~Output() override
    {
        if (m_handle >= 0) {
            ::close(m_handle);
            ::unlink(QFile::encodeName(m_path).constData());
        }
    }
    int handle() const { return m_handle; }
    const QString& path() const { return m_path; }
    const QString& failure() const { return m_failure; }
    // Closes the handle and keeps the file (it has been renamed, or is about to be).
    Status finish()
    {
        const int handle = std::exchange(m_handle, -1);
        QIODevice::close();
        if (::close(handle) != 0)
            return Status::failure(systemError(errno));
        return {};
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        if (!m_failure.isEmpty())
            return -1;
        qint64 done = 0;
        while (done < size) {
            const ssize_t n = ::write(m_handle, data + done, size_t(size - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                m_failure = systemError(n < 0 ? errno : ENOSPC);
                setErrorString(m_failure);
                return -1;
            }
            done += n;
        }
        return done;
    }

private:
    int m_handle;
    QString m_path;
    QString m_failure;
};

SafeFile::SafeFile(QString target, FileAccess access) : m_target(std::move(target)), m_access(access) {}

SafeFile::~SafeFile()
{
    cancel();
}

Status SafeFile::failure(QString reason)
{
    // The reason is a copy: it may be the failure of the partial file that cancel() closes.
    cancel();
    return Status::failure(QStringLiteral("The file %1 cannot be written: %2").arg(shown(m_target), reason));
}

Status SafeFile::open()
{
    cancel();
    const QFileInfo target(m_target);
    if (target.isDir())
        return failure(QStringLiteral("it is a folder"));
    if (!target.absoluteDir().exists())
        return failure(QStringLiteral("the folder %1 does not exist").arg(shown(target.absolutePath())));
    // Hidden and marked as partial, so that nobody takes it for the file while it is written; made
    // owner-only by mkstemp, and opened up to the umask only for a file that is not pay data.
    const QString suffix = QStringLiteral(".part");
    QByteArray name = QFile::encodeName(
        target.absoluteDir().filePath(QStringLiteral(".") + target.fileName() + QStringLiteral(".XXXXXX") + suffix));
    const int handle = ::mkostemps(name.data(), int(suffix.size()), O_CLOEXEC);
    if (handle < 0)
        return failure(systemError(errno));
    m_file = std::make_unique<Output>(handle, QFile::decodeName(name));
    if (m_access == FileAccess::AsUmask && ::fchmod(handle, umaskMode()) != 0)
        return failure(systemError(errno));
    return {};
}

QIODevice& SafeFile::device()
{
    return *m_file;
}

QString SafeFile::partialPath() const
{
    return m_file ? m_file->path() : QString();
}

bool SafeFile::write(const QByteArray& bytes)
{
    return m_file && m_file->write(bytes) == bytes.size();
}

Status SafeFile::commit()
{
    if (!m_file)
        return failure(QStringLiteral("it was not opened"));
    // A device written by someone else (a PDF or an image writer) may not have looked at a failure.
    if (!m_file->failure().isEmpty())
        return failure(m_file->failure());
    if (::fsync(m_file->handle()) != 0)
        return failure(systemError(errno));
    const QString partial = m_file->path();
    // Closed before the rename: a close that fails (a network file system reports late) still
    // leaves the old file in place.
    if (Status closed = m_file->finish(); !closed) {
        ::unlink(QFile::encodeName(partial).constData());
        return failure(closed.error());
    }
    m_file.reset();
    // rename() replaces the target in one step: a reader sees the old file or the new one, whole.
    if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(m_target).constData()) != 0) {
        const int error = errno;
        ::unlink(QFile::encodeName(partial).constData());
        return failure(systemError(error));
    }
    syncFolder(QFileInfo(m_target).absolutePath());
    return {};
}

void SafeFile::cancel()
{
    // Output removes its partial file when dropped unfinished.
    m_file.reset();
}

Status writeFileSafely(const QString& path, const QByteArray& bytes, FileAccess access)
{
    SafeFile file(path, access);
    if (Status opened = file.open(); !opened)
        return opened;
    file.write(bytes);
    return file.commit();
}

Status createEmptyFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::NewOnly, ownerOnly))
        return Status::failure(QStringLiteral("The file %1 cannot be created: %2").arg(shown(path), file.errorString()));
    return {};
}

Status makeFolder(const QString& path, FileAccess access)
{
    const QString folder = QDir::cleanPath(QDir(path).absolutePath());
    // The folders that are missing, outermost first, so that only those are restricted.
    QStringList missing;
    for (QString f = folder; !QFileInfo::exists(f); f = QFileInfo(f).absolutePath()) {
        missing.prepend(f);
        if (QFileInfo(f).absolutePath() == f)
            break;
    }
    if (missing.isEmpty() && !QFileInfo(folder).isDir())
        return Status::failure(QStringLiteral("%1 is not a folder.").arg(shown(folder)));
    for (const QString& f : std::as_const(missing)) {
        // Made with its mode, so that it is never open to others, even briefly.
        if (::mkdir(QFile::encodeName(f).constData(), access == FileAccess::OwnerOnly ? 0700 : 0777) != 0) {
            const int error = errno;
            if (error != EEXIST || !QFileInfo(f).isDir())
                return Status::failure(QStringLiteral("The folder %1 cannot be made: %2").arg(shown(f), systemError(error)));
        }
    }
    return {};
}
