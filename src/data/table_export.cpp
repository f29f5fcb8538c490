#include "table_transfer.h"

#include "common/currency.h"
#include "data/csv_file.h"
#include "data/database.h"
#include "data/safe_file.h"
#include "data/sql_query.h"

#include <QDir>
#include <QLocale>

namespace transfer {

namespace {

QString writtenCount(qint64 n)
{
    return QLocale(QLocale::English).toString(n);
}

} // namespace

Result<QList<Count>> exportFolder(const Database& database, const QString& folder, const Progress& progress)
{
    // Salaries and password hashes: a folder made here is the owner's only, like the files; a folder
    // that was there (a shared one) keeps its mode.
    if (Status made = makeFolder(folder, FileAccess::OwnerOnly); !made)
        return made;
    QList<Count> counts;
    // One snapshot for every table, so that the files agree with one another.
    Transaction transaction(database);
    if (!transaction.active())
        return Status::failure(transaction.error());
    if (database.backend() == Backend::PostgreSQL)
        if (Status s = execute(database, QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ, READ ONLY"));
            !s)
            return s;
    for (const Table& table : tables()) {
        QStringList names;
        for (const Column& column : table.columns)
            names << column.name;
        SqlQuery query(database, QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                                     .arg(names.join(QStringLiteral(", ")), sqlName(table.name), table.order));
        if (Status s = query.exec(); !s)
            return s;
        SafeFile file(QDir(folder).filePath(table.fileName()));
        if (Status opened = file.open(); !opened)
            return opened;
        QByteArray lines = names.join(QLatin1Char(',')).toUtf8() + "\r\n";
        Count count{table.name};
        while (query.next()) {
            QStringList cells;
            for (int c = 0; c < table.columns.size(); ++c) {
                if (query.isNull(c)) {
                    cells << QString();
                    continue;
                }
                const Kind kind = table.columns.at(c).kind;
                cells << csvCell(kind == Kind::Amount   ? QVariant(Currency::fromUnits(query.number(c)).toString())
                                 : kind == Kind::Number ? QVariant(QString::number(query.number(c)))
                                                        : QVariant(query.text(c)));
            }
            lines += cells.join(QLatin1Char(',')).toUtf8() + "\r\n";
            ++count.read;
            ++count.stored;
            if (lines.size() > (1 << 20)) {
                file.write(lines);
                lines.clear();
            }
        }
        if (Status s = query.readFailure(); !s)
            return s;
        file.write(lines);
        if (Status written = file.commit(); !written)
            return written;
        counts << count;
        if (progress)
            progress(QStringLiteral("%1: %2 rows written").arg(table.fileName(), writtenCount(count.stored)));
    }
    return counts;
}

} // namespace transfer
