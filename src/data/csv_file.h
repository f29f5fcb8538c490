#pragma once

#include "data/table_transfer.h"

#include <QCryptographicHash>
#include <QFile>
#include <QIODevice>
#include <QList>
#include <QStringList>
#include <QTextStream>
#include <QVariant>

#include <variant>

// The CSV files the tables move in and out as: what a spreadsheet or a database tool writes.
namespace transfer {

// One record of a CSV file: its fields, whether each was quoted (a quoted empty field is an empty
// text, an unquoted one is Null), and the line it starts on.
struct Record {
    QStringList fields;
    QList<bool> quoted;
    qint64 line = 0;
    QString problem; // why the record cannot be read as CSV, if it cannot
};

class CsvReader {
public:
    explicit CsvReader(QIODevice& device) : m_in(&device) { m_in.setEncoding(QStringConverter::Utf8); }

    // The next record; false at the end of the file. Blank lines between records are passed over.
    bool next(Record& record);

private:
    QTextStream m_in;
    qint64 m_line = 0;
};

// A file read through as it is read, its SHA-256 made of the very bytes read: what an import records
// of the file is what it read, even were the file changed behind it.
class HashedFile final : public QIODevice {
public:
    explicit HashedFile(const QString& path) : m_file(path) {}
    bool open(OpenMode mode) override;
    qint64 bytesAvailable() const override { return m_file.bytesAvailable() + QIODevice::bytesAvailable(); }
    bool isSequential() const override { return true; }
    QString errorText() const { return m_file.errorString(); }
    QString fileName() const { return m_file.fileName(); }
    // The SHA-256 of what was read so far, in hexadecimal.
    QString hash() const;

protected:
    qint64 readData(char* data, qint64 most) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QFile m_file;
    QCryptographicHash m_hash{QCryptographicHash::Sha256};
};

// A cell read into the value that is stored: an amount as its ten-thousandths, a date as
// yyyy-MM-dd, a time as HH:mm:ss, a text as a clerk reads it; or the reason it cannot be.
std::variant<QVariant, QString> cellValue(const Column& column, const QString& raw, bool quoted, bool dayFirst);
// The cell as export writes it: quoted where a reader needs it, an empty text as "".
QString csvCell(const QVariant& value);

} // namespace transfer
