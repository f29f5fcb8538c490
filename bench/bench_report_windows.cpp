// Measures what the operator waits for in the date-wise payroll report, on the benchmark database
// (built by the first run of any benchmark):
//   bench_report_windows [--database PATH] [--rebuild]
// One company's payroll of one year: 60,000 transactions of 5,000 employees, laid out month after
// month as the office enters them. The window runs offscreen. Timed are the selection with its
// totals and count as "Ok" makes them (one read serves the report and the grid), the same selection
// written with the dates formatted as text and compared (the four statements of such an "Ok": the
// report's rows, the grid's rows, the sums, the count), filling the grid with the rows, and the
// whole "Ok" press (report shown in the preview, grid, boxes).

#include "bench_support.h"
#include "common/dates.h"
#include "data/database.h"
#include "data/payroll_repository.h"
#include "data/sql_query.h"
#include "report_windows/payroll_report_window.h"
#include "report_windows/report_window_support.h"
#include "reports/range_reports.h"
#include "reports/report_grid.h"
#include "reports/report_viewer.h"

#include <QApplication>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>
#include <QTest>

#include <cstdio>

using namespace bench;

namespace {

constexpr int year = 2025;
int rowsOfYear = 0; // 12 x the employees, once the arguments are read

// The selection as "Ok" makes it: the rows on the stored date, then the totals and the count.
struct Selected {
    QList<PayrollTransaction> rows;
    QList<report::Value> sums;
    qsizetype count = 0;
};

Selected select(const Database& db)
{
    Selected s;
    s.rows = PayrollRepository(db).select(PayrollSelection::range(company, {year, 1, 1}, {year, 12, 31})).value();
    s.sums = report::payrollGridTotals(s.rows);
    s.count = s.rows.size();
    return s;
}

// The same selection with the dates formatted as text and compared, month and day first, with the
// years bounded apart, as four statements: the report's rows, the grid's rows, the sums, the count.
qint64 selectAsText(const Database& db)
{
    const QString condition = QStringLiteral(
        "strftime('%m/%d/%Y', ddate) BETWEEN ? AND ? AND company = ? AND strftime('%Y', ddate) BETWEEN ? AND ?"
        " AND ddate IS NOT NULL");
    const auto bind = [&](SqlQuery& q) {
        q.bind(QStringLiteral("01/01/%1").arg(year))
            .bind(QStringLiteral("12/31/%1").arg(year))
            .bind(company)
            .bind(QString::number(year))
            .bind(QString::number(year));
    };
    SqlQuery report(db, QStringLiteral("SELECT ID, emname, monthrate, absences, earn, td, netpay FROM payroll WHERE ") +
                            condition + QStringLiteral(" ORDER BY ID"));
    bind(report);
    const auto reportRows = report.rows([](const SqlQuery& q) {
        qint64 checksum = q.number(0) + q.text(1).size();
        for (int c = 2; c <= 6; ++c)
            checksum += q.number(c);
        return checksum;
    });
    SqlQuery rows(db, QStringLiteral("SELECT ID, emname, bonus, ot, ph, intax, others, absences, advances, td, loanrec,"
                                     " travel, netpay FROM payroll WHERE ") +
                          condition + QStringLiteral(" ORDER BY ID"));
    bind(rows);
    const auto read = rows.rows([](const SqlQuery& q) {
        qint64 checksum = q.number(0) + q.text(1).size();
        for (int c = 2; c <= 12; ++c)
            checksum += q.number(c);
        return checksum;
    });
    SqlQuery sums(
        db, QStringLiteral("SELECT sum(bonus), sum(ot), sum(ph), sum(intax), sum(others), sum(absences),"
                           " sum(advances), sum(td), sum(loanrec), sum(travel), sum(netpay) FROM payroll WHERE ") +
                condition);
    bind(sums);
    const auto total = sums.single();
    SqlQuery count(db, QStringLiteral("SELECT count(*) FROM payroll WHERE ") + condition);
    bind(count);
    const auto counted = count.single();
    if (!reportRows || !read || !total || !counted || reportRows->size() != rowsOfYear || read->size() != rowsOfYear ||
        counted->toLongLong() != rowsOfYear)
        std::abort();
    return counted->toLongLong();
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
    rowsOfYear = 12 * employees;
    figuresHeading();

    if (select(db).count != rowsOfYear) {
        std::fprintf(stderr, "the year holds not %d transactions\n", rowsOfYear);
        return 1;
    }
    // The floor: the bare query of the year's rows, as the repository sends it.
    const auto bare = [&](int) {
        if (bareQuery(db,
                      QStringLiteral("SELECT * FROM payroll WHERE company = ? AND ddate BETWEEN ? AND ?"
                                     " ORDER BY ddate, transid"),
                      {company, QStringLiteral("%1-01-01").arg(year), QStringLiteral("%1-12-31").arg(year)}) !=
            rowsOfYear)
            std::abort();
    };
    const auto cold = [&](int) { reopenCold(db, path); };
    const double ours = measure(5, cold, [&](int) { select(db); });
    const double floorCold = measure(5, cold, bare);
    figure("one year (12 months of every employee): query, totals and count, cold", ours, floorCold, "ms");
    const double oursWarm = measure(
        7, [](int) {}, [&](int) { select(db); }, true);
    const double floorWarm = measure(
        7, [](int) {}, bare, true);
    figure("one year (12 months of every employee): query, totals and count, warm", oursWarm, floorWarm, "ms");
    const double text = measure(3, cold, [&](int) { selectAsText(db); });
    figure("the same with dates formatted as text and compared, cold", text, floorCold, "ms");
    const double textWarm = measure(
        3, [](int) {}, [&](int) { selectAsText(db); }, true);
    figure("the same with dates formatted as text and compared, warm", textWarm, floorWarm, "ms");
    figure("times faster on the stored date, cold", text / ours, "x");
    figure("times faster on the stored date, warm", textWarm / oursWarm, "x");

    BenchOperator op(db);
    PayrollReportWindow window(op.context, PayrollReportWindow::Kind::Datewise);
    window.resize(1100, 700);
    window.show();
    settle();
    auto* view = window.findChild<QTableView*>(QStringLiteral("MSHFlexGrid1"));
    auto* model = qobject_cast<report::DocumentModel*>(view->model());
    const QList<PayrollTransaction> rows = select(db).rows;
    figure("filling the grid with the year's rows",
           measure(
               7,
               [&](int) {
                   reportwin::showGrid(model, view, report::payrollGrid({}));
                   settle();
               },
               [&](int) {
                   reportwin::showGrid(model, view, report::payrollGrid(rows));
                   settle();
               }),
           "ms");

    window.findChild<QDateEdit*>(QStringLiteral("DTPicker1"))->setDate({year, 1, 1});
    window.findChild<QDateEdit*>(QStringLiteral("DTPicker2"))->setDate({year, 12, 31});
    const auto closeViewers = [&] {
        for (ReportViewer* viewer : window.findChildren<ReportViewer*>())
            delete viewer;
    };
    const auto ok = [&](int) {
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
        settle();
        if (window.findChild<QLineEdit*>(QStringLiteral("Text5"))->text() != QString::number(rowsOfYear))
            std::abort();
    };
    figure("Ok: report in the preview, grid and the twelve boxes, cold",
           measure(
               5,
               [&](int) {
                   closeViewers();
                   reopenCold(db, path);
               },
               ok),
           floorCold, "ms");
    figure("Ok: report in the preview, grid and the twelve boxes, warm",
           measure(
               5, [&](int) { closeViewers(); }, ok, true),
           floorWarm, "ms");
    return 0;
}
