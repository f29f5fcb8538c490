#pragma once

#include "data/status.h"

#include <QByteArray>
#include <QString>

#include <memory>

class QIODevice;

// Who may read a file Kestrel writes. Pay data (reports, exports, backups, the database) is the
// owner's only; a photograph is as the umask allows.
enum class FileAccess { OwnerOnly, AsUmask };

// The one way Kestrel writes a file. The bytes go to a temporary file beside the target, every
// write is checked, the file is flushed and synced, and only a whole file is renamed over the
// target (then the folder is synced, so that the new name survives a power cut). On any failure, or
// when the writer is dropped before commit(), the old file stays as it was and the partial one is
// removed; the failure names the file and the reason (a full disk, a size limit, a read-only folder).
class SafeFile {
public:
    explicit SafeFile(QString target, FileAccess access = FileAccess::OwnerOnly);
    ~SafeFile();
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;

    // Creates the temporary file in the target's folder, which must exist.
    Status open();
    // Written through by whatever draws the content (a PDF writer, an image writer).
    QIODevice& device();
    // False when the bytes could not all be written; commit() then reports why.
    bool write(const QByteArray& bytes);
    // The temporary file's path, for a producer that writes by name into the empty file (VACUUM
    // INTO, pg_dump); commit() then syncs and renames what it wrote.
    QString partialPath() const;
    // Fails, keeping the old file, when any write failed or the file cannot be made durable.
    Status commit();
    // Drops what was written; the old file stays.
    void cancel();

    const QString& target() const { return m_target; }

    class Output;

private:
    Status failure(QString reason);
    QString m_target;
    FileAccess m_access;
    std::unique_ptr<Output> m_file; // the partial file, written straight to the system: no buffer hides a failure
};

// The whole of bytes as the file path, through SafeFile.
Status writeFileSafely(const QString& path, const QByteArray& bytes, FileAccess access = FileAccess::OwnerOnly);

// Creates path as a new empty owner-only file, never replacing one (for a new database file, which
// SQLite then fills in place).
Status createEmptyFile(const QString& path);

// Makes the folder and any missing parents. Only folders made here are restricted to the owner when
// access is OwnerOnly: a folder that was there (a shared one, the system's temporary folder) keeps
// its mode.
Status makeFolder(const QString& path, FileAccess access);
