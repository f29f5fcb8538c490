// Measures bringing the tables in and taking them out, on the benchmark database (built by the first
// run of any benchmark): its 1,000,000 payroll rows with every other table are exported to CSV
// files, then imported into a new, empty database, as `kestrel --export` and `kestrel --import`
// do it: once as another system's history (the payroll kept as paid), once with the payroll given
// as its inputs alone and appended, every row worked out as the payroll window works it out:
//   bench_import [--database PATH] [--rebuild]

#include "bench_support.h"
#include "common/memory.h"
#include "data/database.h"
#include "data/table_transfer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

using namespace bench;

namespace {

// The seconds an import of the folder into a new database took; a negative number when it failed or
// stored other than every payroll row.
double importInto(const QString& path, const QStringList& folders)
{
    Database db(QFileInfo(path).baseName());
    if (!db.open(path))
        return -1;
    QElapsedTimer timer;
    timer.start();
    qint64 payroll = 0;
    for (const QString& folder : folders) {
        transfer::ImportOptions options;
        options.append = folder != folders.first();
        const auto read = transfer::importFolder(db, folder, options);
        if (!read || !read->stored()) {
            std::fprintf(stderr, "the import of %s failed: %s\n", qPrintable(folder),
                         qPrintable(read ? read->refusals.value(0).reason : read.error()));
            return -1;
        }
        for (const transfer::Count& count : read->counts)
            if (count.table == QStringLiteral("payroll"))
                payroll += count.stored;
    }
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    if (payroll != qint64(employees) * months) {
        std::fprintf(stderr, "%lld payroll rows stored\n", static_cast<long long>(payroll));
        return -1;
    }
    return seconds;
}

// The sqlite3 shell's .import of the files into the same tables of a new database, in one
// transaction, nothing checked: the floor of an import.
double bareImport(const QString& files, const QString& path)
{
    Database bare(QStringLiteral("bare"));
    if (!bare.open(path))
        return -1;
    bare.close();
    QString script = QStringLiteral(".bail on\nBEGIN;\n");
    for (const QString& name : QDir(files).entryList({QStringLiteral("*.csv")}))
        script += QStringLiteral(".import --csv --skip 1 '%1' %2\n").arg(QDir(files).filePath(name), name.chopped(4));
    script += QStringLiteral("COMMIT;\n");
    QProcess shell;
    QElapsedTimer timer;
    timer.start();
    shell.start(QStringLiteral("sqlite3"), {path});
    shell.write(script.toUtf8());
    shell.closeWriteChannel();
    const bool ran = shell.waitForFinished(-1) && shell.exitStatus() == QProcess::NormalExit && shell.exitCode() == 0;
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    if (!ran || !bare.open(path, Database::Access::ReadOnly) ||
        bareQuery(bare, QStringLiteral("SELECT transid FROM payroll")) != qint64(employees) * months) {
        std::fprintf(stderr, "the sqlite3 shell's import failed: %s\n", shell.readAllStandardError().constData());
        return -1;
    }
    return seconds;
}

// The payroll file as a spreadsheet of a month's inputs gives it: the employee, the date, the days
// and the typed amounts, no figure worked out. The other tables go to a folder of their own.
bool splitInputs(const QString& tables, const QString& masters, const QString& inputs)
{
    if (!QDir().mkpath(masters) || !QDir().mkpath(inputs))
        return false;
    for (const QString& name : QDir(tables).entryList({QStringLiteral("*.csv")}))
        if (name != QStringLiteral("payroll.csv") && !QFile::copy(QDir(tables).filePath(name), QDir(masters).filePath(name)))
            return false;
    QFile in(QDir(tables).filePath(QStringLiteral("payroll.csv")));
    QFile out(QDir(inputs).filePath(QStringLiteral("payroll.csv")));
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        return false;
    const QList<QByteArray> header = in.readLine().trimmed().split(',');
    QList<int> kept;
    for (const char* column : {"transid", "ID", "ddate", "absences", "bonus", "ot", "ph", "intax", "others", "advances",
                               "loanrec", "travel", "company"})
        kept << int(header.indexOf(QByteArray(column)));
    QByteArray lines;
    for (QByteArray line = header.join(','); !line.isEmpty(); line = in.readLine().trimmed()) {
        // The benchmark's rows hold no quoted comma.
        const QList<QByteArray> cells = line.split(',');
        QList<QByteArray> row;
        for (int column : kept)
            row << cells.value(column);
        lines += row.join(',') + "\r\n";
        if (lines.size() > (1 << 20)) {
            out.write(lines);
            lines.clear();
        }
    }
    return out.write(lines) >= 0 && out.flush();
}

} // namespace

int main(int argc, char** argv)
{
    keepFreedMemoryForReuse(); // as the program does from its start
    QCoreApplication app(argc, argv);
    Database db;
    const QString path = openBenchDatabase(db, app.arguments());
    if (path.isEmpty())
        return 1;
    QTemporaryDir folder;
    const QString tables = folder.filePath(QStringLiteral("tables"));
    figuresHeading();
    QElapsedTimer timer;
    timer.start();
    const auto written = transfer::exportFolder(db, tables);
    if (!written) {
        std::fprintf(stderr, "%s\n", qPrintable(written.error()));
        return 1;
    }
    figure("export of every table to CSV", double(timer.nsecsElapsed()) / 1e9, "s");
    figure("payroll.csv", double(QFileInfo(QDir(tables).filePath(QStringLiteral("payroll.csv"))).size()) / (1 << 20), "MB");
    const double floor = bareImport(tables, folder.filePath(QStringLiteral("bare.db")));
    const double history = importInto(folder.filePath(QStringLiteral("history.db")), {tables});
    const QString masters = folder.filePath(QStringLiteral("masters"));
    const QString inputs = folder.filePath(QStringLiteral("inputs"));
    if (!splitInputs(tables, masters, inputs))
        return 1;
    const double workedOut = importInto(folder.filePath(QStringLiteral("worked.db")), {masters, inputs});
    if (floor < 0 || history < 0 || workedOut < 0)
        return 1;
    figure("import of every table into a new database, the payroll kept as paid", history, floor, "s");
    figure("the same, the payroll given as its inputs and every row worked out (--append)", workedOut, floor, "s");
    return 0;
}
