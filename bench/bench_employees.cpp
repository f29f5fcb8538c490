// Measures what the operator waits for in the employee list, on the benchmark database (5,000
// employees; built by the first run of any benchmark):
//   bench_employees [--database PATH] [--rebuild]
// The list window runs offscreen; each action is timed from the operator's click or key until the
// window has processed what it set off.

#include "bench_support.h"
#include "common/dates.h"
#include "data/database.h"
#include "employees/employee_list_window.h"
#include "reports/report_viewer.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using namespace bench;

int main(int argc, char** argv)
{
    quietOffscreen();
    QApplication app(argc, argv);
    Database db;
    const QString path = openBenchDatabase(db, app.arguments());
    if (path.isEmpty())
        return 1;

    BenchOperator op(db);
    ScriptedPrompter& prompter = op.prompter;
    AppContext& context = op.context;
    std::unique_ptr<EmployeeListWindow> window;
    const auto open = [&] {
        window = std::make_unique<EmployeeListWindow>(context);
        window->show();
        settle();
        if (window->findChild<QTableView*>(QStringLiteral("lvlEmpInfo"))->model()->rowCount() != employees)
            std::abort();
    };
    figuresHeading();
    // The floor: the bare query of every employee, as the list reads them.
    const auto bare = [&](int) {
        if (bareQuery(db, QStringLiteral("SELECT * FROM emp ORDER BY ID")) != employees)
            std::abort();
    };
    const auto cold = [&](int) {
        window.reset();
        reopenCold(db, path);
    };
    const double floorCold = measure(5, cold, bare);
    const double floorWarm = measure(
        11, [](int) {}, bare, true);
    figure("opening the employee list (every employee), cold", measure(5, cold, [&](int) { open(); }), floorCold,
           "ms");
    figure("opening the employee list (every employee), warm",
           measure(
               11, [&](int) { window.reset(); }, [&](int) { open(); }, true),
           floorWarm, "ms");

    // Typing "EMPLOYEE 4321" into the filter box, a key at a time, and clearing it again.
    auto* filter = window->findChild<QLineEdit*>(QStringLiteral("txtFilter"));
    const QString typed = QStringLiteral("EMPLOYEE 4321");
    std::vector<double> keys;
    for (int run = 0; run < 5; ++run) {
        filter->clear();
        settle();
        for (const QChar c : typed)
            keys.push_back(measure(
                1, [](int) {},
                [&](int) {
                    QTest::keyClick(filter, c.toLatin1());
                    settle();
                }));
    }
    // No floor: the list is filtered in memory, nothing is read.
    figure("a key typed into the filter box (every employee)", median(keys), "ms");
    std::sort(keys.begin(), keys.end());
    figure("the slowest key typed into the filter box", keys.back(), "ms");
    filter->clear();
    settle();

    // Print All, then Export PDF from the preview.
    QTemporaryDir output;
    const double preview = measure(
        5,
        [&](int) {
            for (ReportViewer* viewer : window->findChildren<ReportViewer*>())
                delete viewer;
        },
        [&](int) {
            QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("cmdPrintAll")), Qt::LeftButton);
            settle();
        });
    figure("Print All (every employee) to the preview shown", preview, floorWarm, "ms");
    const double pdf = measure(
        3, [](int) {},
        [&](int) {
            prompter.answerFile(output.filePath(QStringLiteral("employees.pdf")));
            window->findChildren<ReportViewer*>().last()->exportPdf();
            if (QFile(output.filePath(QStringLiteral("employees.pdf"))).size() < 1000)
                std::abort();
        });
    // The floor: the same bytes written raw and synced.
    const QString written = output.filePath(QStringLiteral("employees.pdf"));
    const double raw = measure(
        3, [](int) {},
        [&](int run) {
            if (!rawCopy(written, output.filePath(QStringLiteral("raw%1.pdf").arg(run))))
                std::abort();
        });
    figure("Export PDF of every employee", pdf / 1000, raw / 1000, "s");
    return 0;
}
