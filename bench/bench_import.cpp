// Measures bringing the tables in and taking them out, on the benchmark database (built by the first
// run of any benchmark): its 1,000,000 payroll rows with every other table are exported to CSV
// files, then imported into a new, empty database, as `kestrel --export` and `kestrel --import`
// do it:
//   bench_import [--database PATH] [--rebuild]

#include "bench_support.h"
#include "common/memory.h"
#include "data/database.h"
#include "data/table_transfer.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

using namespace bench;

int main(int argc, char** argv)
{
    keepFreedMemoryForReuse(); // as the program does from its start
    QCoreApplication app(argc, argv);
    Database db;
    const QString path = openBenchDatabase(db, app.arguments());
    if (path.isEmpty())
        return 1;
    QTemporaryDir folder;
    figuresHeading();
    QElapsedTimer timer;
    timer.start();
    const auto written = transfer::exportFolder(db, folder.filePath(QStringLiteral("tables")));
    if (!written) {
        std::fprintf(stderr, "%s\n", qPrintable(written.error()));
        return 1;
    }
    figure("export of every table to CSV", double(timer.nsecsElapsed()) / 1e9, "s");
    figure("payroll.csv", double(QFileInfo(folder.filePath(QStringLiteral("tables/payroll.csv"))).size()) / (1 << 20),
           "MB");

    Database copy(QStringLiteral("copy"));
    if (!copy.open(folder.filePath(QStringLiteral("copy.db"))))
        return 1;
    timer.restart();
    const auto read = transfer::importFolder(copy, folder.filePath(QStringLiteral("tables")), {});
    if (!read || !read->stored()) {
        std::fprintf(stderr, "the import failed\n");
        return 1;
    }
    const double imported = double(timer.nsecsElapsed()) / 1e9;
    copy.close();

    // The floor: the sqlite3 shell's .import of the same files into the same tables of a new
    // database, in one transaction, nothing checked.
    Database bare(QStringLiteral("bare"));
    const QString barePath = folder.filePath(QStringLiteral("bare.db"));
    if (!bare.open(barePath))
        return 1;
    bare.close();
    QString script = QStringLiteral(".bail on\nBEGIN;\n");
    for (const QString& name : QDir(folder.filePath(QStringLiteral("tables"))).entryList({QStringLiteral("*.csv")}))
        script += QStringLiteral(".import --csv --skip 1 '%1' %2\n")
                      .arg(folder.filePath(QStringLiteral("tables/") + name), name.chopped(4));
    script += QStringLiteral("COMMIT;\n");
    QProcess shell;
    timer.restart();
    shell.start(QStringLiteral("sqlite3"), {barePath});
    shell.write(script.toUtf8());
    shell.closeWriteChannel();
    const bool ran = shell.waitForFinished(-1) && shell.exitStatus() == QProcess::NormalExit && shell.exitCode() == 0;
    const double floor = double(timer.nsecsElapsed()) / 1e9;
    qint64 bareRows = -1;
    if (ran && bare.open(barePath, Database::Access::ReadOnly))
        bareRows = bareQuery(bare, QStringLiteral("SELECT transid FROM payroll"));
    if (ran && bareRows != qint64(employees) * months) {
        std::fprintf(stderr, "the sqlite3 shell stored %lld payroll rows\n", static_cast<long long>(bareRows));
        return 1;
    }
    if (!ran) {
        std::fprintf(stderr, "the sqlite3 shell's import failed: %s\n", shell.readAllStandardError().constData());
        figure("import of every table into a new database", imported, "s");
    } else {
        figure("import of every table into a new database", imported, floor, "s");
    }
    for (const transfer::Count& count : read->counts)
        if (count.table == QStringLiteral("payroll") && count.stored != qint64(employees) * months) {
            std::fprintf(stderr, "%lld payroll rows stored\n", static_cast<long long>(count.stored));
            return 1;
        }
    return 0;
}
