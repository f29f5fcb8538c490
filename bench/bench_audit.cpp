// Measures what the operator waits for in the audit trail window, on a trail of 1,000,000 entries,
// and the bare query under it (the same statement through the query helper, no window) as its floor:
//   bench_audit [--database PATH] [--rebuild]
// The trail (bench-audit.db unless named) is built on first use and kept for later runs: 1,000,000
// entries over five years, about 550 a day, as an office's payroll, loans and master changes leave
// them, each with the values of a payroll row. Timed is the Show press for one month's entries
// (about 16,500), cold and warm, and one employee's entries of the five years; the floor reads the
// same entries with the same statement.

#include "bench_support.h"
#include "data/audit_trail.h"
#include "data/database.h"
#include "data/sql_query.h"
#include "report_windows/audit_window.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <cstdio>

using namespace bench;

namespace {

constexpr qint64 entries = 1000000;
const QDate trailStart(2021, 1, 1);
constexpr int trailDays = 5 * 365;

// A payroll row's values as the trail keeps them.
QString rowText(qint64 n)
{
    return QStringLiteral("ID=%1\nemname=EMPLOYEE %1\nmonthrate=18500\nddate=2024-03-31\nbonus=0\not=%2\ntotloan=0\nph=0\n"
                          "intax=0\nothers=0\nabsences=26\nearn=16038\nadvances=0\ntad=%2\ntd=0\nloanrec=0\ntravel=0\n"
                          "netpay=%3\ndept=PRODUCTION\ngrp=WORKERS\ncompany=BENCH COMPANY")
        .arg(1 + n % employees)
        .arg(n % 500)
        .arg(16038 + n % 500);
}

bool buildTrail(Database& db)
{
    const qint64 have = SqlQuery(db, QStringLiteral("SELECT count(*) FROM audit")).single().value().toLongLong();
    if (have >= entries)
        return true;
    std::fprintf(stderr, "Building a trail of %lld entries…\n", static_cast<long long>(entries - have));
    FixedClock clock(QDateTime(trailStart, QTime(8, 0)));
    db.setClock(&clock);
    db.setUser(QStringLiteral("clerk"));
    const Status built = inWriteTransaction(db, [&]() -> Status {
        for (qint64 n = have; n < entries; ++n) {
            // Spread evenly over the days, in working hours.
            const qint64 second = n * trailDays * 9 * 3600 / entries;
            clock.set(QDateTime(trailStart.addDays(second / (9 * 3600)), QTime(8, 0).addSecs(int(second % (9 * 3600)))));
            audit::RowImage image{QString::number(n + 1), 1 + n % employees, company, rowText(n)};
            const bool update = n % 3 == 0;
            audit::RowImage before = image;
            before.text.replace(QStringLiteral("ot="), QStringLiteral("ot=1"));
            if (Status s = audit::record(db, update ? audit::Kind::Update : audit::Kind::Insert,
                                         QStringLiteral("payroll"), update ? std::optional(before) : std::nullopt,
                                         image);
                !s)
                return s;
        }
        return Status();
    });
    db.setClock(nullptr);
    if (!built) {
        std::fprintf(stderr, "%s\n", qPrintable(built.error()));
        return false;
    }
    return true;
}

// The floor: the entries of the filter, read by the same statement as the window's, no window.
qsizetype bareQuery(const Database& db, QDate from, QDate to, std::optional<qint64> employee)
{
    QString sql = QStringLiteral("SELECT seq, stamp, usernm, workstation, company, tbl, rowkey, employee, kind, note"
                                 " FROM audit WHERE ");
    SqlQuery q(db, sql + (employee ? QStringLiteral("employee = ? AND stamp >= ? AND stamp < ? ORDER BY seq")
                                   : QStringLiteral("stamp >= ? AND stamp < ? ORDER BY seq")));
    if (employee)
        q.bind(*employee);
    q.bind(from.toString(Qt::ISODate)).bind(to.addDays(1).toString(Qt::ISODate));
    const auto rows = q.rows([](const SqlQuery& r) {
        return r.number(0) + r.text(1).size() + r.text(2).size() + r.text(3).size() + r.text(4).size() +
               r.text(5).size() + r.text(6).size() + r.number(7) + r.text(8).size() + r.text(9).size();
    });
    if (!rows)
        std::abort();
    return rows->size();
}

} // namespace

int main(int argc, char** argv)
{
    quietOffscreen();
    QApplication app(argc, argv);
    QStringList arguments = app.arguments();
    const int named = int(arguments.indexOf(QStringLiteral("--database")));
    const QString path = named > 0 && named + 1 < arguments.size() ? arguments.at(named + 1)
                                                                   : QStringLiteral("bench-audit.db");
    if (arguments.contains(QStringLiteral("--rebuild")))
        for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
            QFile::remove(path + suffix);
    Database db;
    if (Status opened = db.open(path); !opened) {
        std::fprintf(stderr, "%s\n", qPrintable(opened.error()));
        return 1;
    }
    if (!buildTrail(db))
        return 1;

    BenchOperator op(db);
    AuditWindow window(op.context);
    window.resize(1100, 700);
    window.show();
    settle();
    auto* from = window.findChild<QDateEdit*>(QStringLiteral("dtpFrom"));
    auto* to = window.findChild<QDateEdit*>(QStringLiteral("dtpTo"));
    auto* employee = window.findChild<QLineEdit*>(QStringLiteral("txtEmployee"));
    auto* grid = window.findChild<QTableView*>(QStringLiteral("lvwAudit"));
    auto* show = window.findChild<QPushButton*>(QStringLiteral("cmdShow"));
    const QDate month(2023, 6, 1);
    const auto showMonth = [&](int) {
        QTest::mouseClick(show, Qt::LeftButton);
        settle();
    };
    from->setDate(month);
    to->setDate(month.addMonths(1).addDays(-1));
    employee->clear();
    showMonth(0);
    const qsizetype monthEntries = grid->model()->rowCount();
    if (monthEntries != bareQuery(db, from->date(), to->date(), std::nullopt) || monthEntries < 10000) {
        std::fprintf(stderr, "the window shows %lld entries of the month\n", static_cast<long long>(monthEntries));
        return 1;
    }
    struct Row {
        QString what;
        double kestrel;
        double floor;
    };
    QList<Row> rows;
    rows.append({QStringLiteral("a month's entries (%1), cold").arg(monthEntries),
                 measure(5, [&](int) { reopenCold(db, path); }, showMonth),
                 measure(5, [&](int) { reopenCold(db, path); },
                         [&](int) { bareQuery(db, from->date(), to->date(), std::nullopt); })});
    rows.append({QStringLiteral("a month's entries (%1), warm").arg(monthEntries), measure(7, [](int) {}, showMonth, true),
                 measure(7, [](int) {}, [&](int) { bareQuery(db, from->date(), to->date(), std::nullopt); }, true)});
    // One employee over the five years.
    from->setDate(trailStart);
    to->setDate(trailStart.addDays(trailDays));
    employee->setText(QStringLiteral("1234"));
    showMonth(0);
    const qsizetype employeeEntries = grid->model()->rowCount();
    rows.append({QStringLiteral("one employee's entries of five years (%1), cold").arg(employeeEntries),
                 measure(5, [&](int) { reopenCold(db, path); }, showMonth),
                 measure(5, [&](int) { reopenCold(db, path); },
                         [&](int) { bareQuery(db, from->date(), to->date(), 1234); })});
    rows.append({QStringLiteral("one employee's entries of five years (%1), warm").arg(employeeEntries),
                 measure(7, [](int) {}, showMonth, true),
                 measure(7, [](int) {}, [&](int) { bareQuery(db, from->date(), to->date(), 1234); }, true)});

    std::printf("trail of %lld entries\n", static_cast<long long>(entries));
    std::printf("%-56s %10s %10s %8s\n", "median ms", "Kestrel", "floor", "ratio");
    for (const Row& row : rows)
        std::printf("%-56s %10.3f %10.3f %8.1f\n", qPrintable(row.what), row.kestrel, row.floor, row.kestrel / row.floor);
    return 0;
}
