// Measures bringing the tables in and taking them out, on the benchmark database (built by the first
// run of any benchmark): its 1,000,000 payroll rows with every other table are exported to CSV
// files, then imported into a new, empty database, as `kestrel --export` and `kestrel --import`
// do it:
//   bench_import [--database PATH] [--rebuild]

#include "bench_support.h"
#include "data/database.h"
#include "data/table_transfer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

using namespace bench;

int main(int argc, char** argv)
{
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
    figure("export of every table (1,000,000 payroll rows) to CSV", double(timer.nsecsElapsed()) / 1e9, "s");
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
    figure("import of every table (1,000,000 payroll rows) into a new database", double(timer.nsecsElapsed()) / 1e9,
           "s");
    for (const transfer::Count& count : read->counts)
        if (count.table == QStringLiteral("payroll") && count.stored != 1000000) {
            std::fprintf(stderr, "%lld payroll rows stored, not 1,000,000\n", static_cast<long long>(count.stored));
            return 1;
        }
    return 0;
}
