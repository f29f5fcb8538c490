// Measures what the operator waits for when printing payslips, on the benchmark database (built by
// the first run of either benchmark):
//   bench_reports [--database PATH] [--rebuild]
// The payslip window runs offscreen on the last month (5,000 transactions). Each action is timed
// from the operator's click or key until the window has processed what it set off; the PDF exports
// run through the viewer as the Export PDF button runs them. Memory is the growth of the peak
// resident set during an export; the command-line export is timed as a whole process.

#include "bench_support.h"
#include "common/dates.h"
#include "data/database.h"
#include "payroll/payslip_window.h"
#include "reports/report_viewer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace bench;

namespace {

// A figure of /proc/self/status in kB ("VmRSS", "VmHWM").
long statusKb(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').first().toLong();
    return -1;
}

// Runs work; how much the peak resident set rose above the resident set before it, in MB.
double peakGrowthMb(const std::function<void()>& work)
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5"); // resets the peak to the present resident set
    clear.close();
    const long before = statusKb("VmRSS");
    work();
    if (qEnvironmentVariableIsSet("BENCH_VERBOSE"))
        std::fprintf(stderr, "rss before %ld kB, peak after %ld kB, rss after %ld kB\n", before, statusKb("VmHWM"),
                     statusKb("VmRSS"));
    return double(statusKb("VmHWM") - before) / 1024;
}

struct Process {
    double seconds = 0;
    double peakMb = 0;
    int exitCode = -1;
};

Process runKestrel(const QStringList& arguments)
{
    QList<QByteArray> bytes;
    for (const QString& a : arguments)
        bytes << a.toLocal8Bit();
    std::vector<char*> argv{const_cast<char*>(KESTREL_EXECUTABLE)};
    for (QByteArray& b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Its progress lines are not the benchmark's figures.
        if (const int null = ::open("/dev/null", O_WRONLY); null >= 0)
            ::dup2(null, STDOUT_FILENO);
        ::execv(KESTREL_EXECUTABLE, argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    return {double(timer.nsecsElapsed()) / 1e9, double(usage.ru_maxrss) / 1024,
            WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

} // namespace

int main(int argc, char** argv)
{
    quietOffscreen();
    QApplication app(argc, argv);
    Database db;
    const QString path = openBenchDatabase(db, app.arguments());
    if (path.isEmpty())
        return 1;
    const auto reopen = [&] { reopenCold(db, path); };

    QTemporaryDir output;
    BenchOperator op(db);
    ScriptedPrompter& prompter = op.prompter;
    AppContext& context = op.context;
    PayslipWindow window(context);
    window.show();
    settle();
    auto* view = window.findChild<QTableView*>(QStringLiteral("lvwInfo"));
    if (view->model()->rowCount() != employees) {
        std::fprintf(stderr, "the month lists %d transactions, not %d\n", view->model()->rowCount(), employees);
        return 1;
    }
    const auto closeViewers = [&] {
        for (ReportViewer* viewer : window.findChildren<ReportViewer*>())
            delete viewer;
    };
    const auto lastViewer = [&] { return window.findChildren<ReportViewer*>().last(); };
    const auto click = [&](const char* button) {
        QTest::mouseClick(window.findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
        settle();
    };
    const auto exportPdf = [&](int payslips) {
        const QString file = output.filePath(QStringLiteral("payslips.pdf"));
        prompter.answerFile(file);
        lastViewer()->exportPdf();
        if (lastViewer()->document().rowCount() != payslips || QFile(file).size() < 1000) {
            std::fprintf(stderr, "the export holds %lld payslips, not %d, in %lld bytes\n",
                         static_cast<long long>(lastViewer()->document().rowCount()), payslips,
                         static_cast<long long>(QFile(file).size()));
            std::abort();
        }
    };

    figuresHeading();
    // The floor: the bare query of the month's transactions, as the window reads them.
    const auto bare = [&](int) {
        if (bareQuery(db,
                      QStringLiteral("SELECT * FROM payroll WHERE company = ? AND ddate BETWEEN ? AND ?"
                                     " ORDER BY ID, transid"),
                      {company, dates::storageText(dates::firstOfMonth(lastMonth)),
                       dates::storageText(dates::lastOfMonth(lastMonth))}) != employees)
            std::abort();
    };
    const double floorCold = measure(
        5, [&](int) { reopen(); }, bare);
    const double floorWarm = measure(
        11, [](int) {}, bare, true);
    // The floor of a file: its bytes written raw and synced.
    const auto rawWrite = [&](const QString& file) {
        return measure(
                   3, [](int) {},
                   [&](int run) {
                       if (!rawCopy(file, output.filePath(QStringLiteral("raw%1").arg(run))))
                           std::abort();
                   }) /
               1000;
    };

    // Print All: the month read again and its first payslips shown in the preview.
    figure("Print All (the month's payslips) to the preview shown, cold",
           measure(
               5,
               [&](int) {
                   closeViewers();
                   reopen();
               },
               [&](int) { click("cmdPrintAll"); }),
           floorCold, "ms");
    figure("Print All (the month's payslips) to the preview shown, warm",
           measure(
               11, [&](int) { closeViewers(); }, [&](int) { click("cmdPrintAll"); }, true),
           floorWarm, "ms");
    figure("turning a page of the preview (Page Down)",
           measure(
               51, [](int) {},
               [&](int) {
                   QTest::keyClick(lastViewer(), Qt::Key_PageDown);
                   settle();
               },
               true),
           "ms");

    // Export PDF of the whole month from the preview.
    // The largest growth of the runs.
    double growth5000 = 0;
    const double pdf5000 = measure(
        3, [](int) {}, [&](int) { growth5000 = std::max(growth5000, peakGrowthMb([&] { exportPdf(employees); })); });
    figure("Export PDF of the month's payslips (one per employee)", pdf5000 / 1000,
           rawWrite(output.filePath(QStringLiteral("payslips.pdf"))), "s");

    // The first 1,000 rows selected (a fifth of the month at the usual size), Print Selected, then
    // Export PDF.
    closeViewers();
    const int selected = std::min(1000, employees / 5);
    view->selectionModel()->select(QItemSelection(view->model()->index(0, 0), view->model()->index(selected - 1, 0)),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    figure("Print Selected (1,000 payslips, or a fifth) to the preview shown",
           measure(
               5, [&](int) { closeViewers(); }, [&](int) { click("cmdPrintSel"); }, true),
           floorWarm, "ms");
    double growth1000 = 0;
    const double pdf1000 = measure(
        3, [](int) {}, [&](int) { growth1000 = std::max(growth1000, peakGrowthMb([&] { exportPdf(selected); })); });
    figure("Export PDF of those payslips", pdf1000 / 1000,
           rawWrite(output.filePath(QStringLiteral("payslips.pdf"))), "s");
    figure("peak memory growth while exporting those payslips", growth1000, "MB");
    figure("peak memory growth while exporting the month's payslips", growth5000, "MB");

    // The command line, as a scheduled job runs it.
    db.close();
    const QString file = output.filePath(QStringLiteral("cli.pdf"));
    std::vector<double> seconds;
    double peak = 0;
    for (int run = 0; run < 3; ++run) {
        const Process p = runKestrel({QStringLiteral("--database"), path, QStringLiteral("--company"), company,
                                      QStringLiteral("--report"), QStringLiteral("payslips"), QStringLiteral("--month"),
                                      lastMonth.toString(QStringLiteral("yyyy-MM")), QStringLiteral("--output"), file});
        if (p.exitCode != 0) {
            std::fprintf(stderr, "the command-line export failed\n");
            return 1;
        }
        seconds.push_back(p.seconds);
        peak = p.peakMb;
    }
    // The floor of the whole process: the month's bare query and the file's bytes written raw.
    figure("command-line export of the month's payslips to PDF (whole process)", median(seconds),
           floorCold / 1000 + rawWrite(file), "s");
    figure("its peak resident memory", peak, "MB");
    return 0;
}
