// Measures what the operator waits for in the payroll window, on a database laid out as real use
// lays it out, and the bare SQLite work under each action (the same statements through the query
// helper, no window) as its floor:
//   bench_payroll [--database PATH] [--rebuild]
// The database (5,000 employees, 200 months of payroll appended month by month: 1,000,000 rows,
// with loans and advances) is built on first use and kept for later runs. The window runs
// offscreen; each action is timed from the operator's key or click until the window has processed
// the events it caused. "Cold" runs first drop the database file from the page cache and open a new
// connection; "warm" runs follow one another.

#include "bench_support.h"
#include "common/dates.h"
#include "data/audit_trail.h"
#include "data/database.h"
#include "data/sql_query.h"
#include "payroll/employee_pay_facts.h"
#include "rules/pay_calculation.h"
#include "payroll/payroll_window.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <unistd.h>
#include <vector>

namespace {

using namespace bench;

struct Row {
    const char* what;
    double kestrel;
    double floor;
};

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

    BenchOperator op(db);
    ScriptedPrompter& prompter = op.prompter;
    AppContext& context = op.context;
    std::unique_ptr<PayrollWindow> window;
    const auto openWindow = [&] {
        window = std::make_unique<PayrollWindow>(context);
        window->show();
        settle();
    };
    const auto control = [&](const char* name) { return window->findChild<QWidget*>(QLatin1String(name)); };
    const auto employeeOf = [](int run) { return 1 + (run * 997) % employees; };
    const auto choose = [&](int id) {
        auto* number = static_cast<QComboBox*>(control("cboEmpID"));
        number->setEditText(QString::number(id));
        QTest::keyClick(number->lineEdit(), Qt::Key_Return);
        settle();
    };
    const auto monthOf = [](int run) { return dates::lastOfMonth(lastMonth.addMonths(-1 - run % 24)); };

    // The bare statements under each action.
    const auto floorOpen = [&] {
        SqlQuery names(db, QStringLiteral("SELECT ID, emname FROM emp ORDER BY ID"));
        if (!names.exec())
            std::abort();
        while (names.next())
            names.text(1);
        SqlQuery month(db, QStringLiteral("SELECT * FROM payroll WHERE company = ? AND ddate BETWEEN ? AND ?"
                                          " ORDER BY ID, transid"));
        month.bind(company).bind(dates::firstOfMonth(lastMonth)).bind(dates::lastOfMonth(lastMonth));
        if (!month.exec())
            std::abort();
        while (month.next())
            month.value(21);
    };
    const auto floorChoose = [&](int id) {
        const QDate month = lastMonth;
        for (const char* sql :
             {"SELECT * FROM emp WHERE ID = ?", "SELECT sum(loanamt) FROM loan WHERE ID = ?",
              "SELECT sum(loanrec) FROM payroll WHERE ID = ?",
              "SELECT permonthded FROM loan WHERE ID = ? ORDER BY ldt DESC, ltm DESC, rowid DESC LIMIT 1"}) {
            SqlQuery q(db, QLatin1String(sql));
            q.bind(id).single();
        }
        SqlQuery adv(db, QStringLiteral("SELECT sum(advamt) FROM adv WHERE ID = ? AND advdt BETWEEN ? AND ?"));
        adv.bind(id).bind(dates::firstOfMonth(month)).bind(dates::lastOfMonth(month)).single();
    };
    const auto floorMonth = [&](QDate month) {
        SqlQuery q(db, QStringLiteral("SELECT * FROM payroll WHERE company = ? AND ddate BETWEEN ? AND ?"
                                      " ORDER BY ID, transid"));
        q.bind(company).bind(dates::firstOfMonth(month)).bind(dates::lastOfMonth(month));
        if (!q.exec())
            std::abort();
        int rows = 0;
        while (q.next()) {
            for (int c = 0; c < 22; ++c)
                q.value(c);
            ++rows;
        }
        if (rows != employees)
            std::abort();
    };

    std::vector<Row> cold;
    std::vector<Row> warm;
    const auto noPreparation = [](int) {};

    // Opening the window.
    cold.push_back({"opening the payroll window",
                    measure(
                        5,
                        [&](int) {
                            window.reset();
                            reopen();
                        },
                        [&](int) { openWindow(); }),
                    measure(
                        5, [&](int) { reopen(); }, [&](int) { floorOpen(); })});
    warm.push_back({"opening the payroll window",
                    measure(
                        11, [&](int) { window.reset(); }, [&](int) { openWindow(); }, true),
                    measure(
                        11, noPreparation, [&](int) { floorOpen(); }, true)});

    // Choosing an employee through the number box.
    cold.push_back({"choosing an employee",
                    measure(
                        21, [&](int) { reopen(); }, [&](int run) { choose(employeeOf(run)); }),
                    measure(
                        21, [&](int) { reopen(); }, [&](int run) { floorChoose(employeeOf(run + 50)); })});
    warm.push_back({"choosing an employee",
                    measure(
                        101, noPreparation, [&](int run) { choose(employeeOf(run)); }, true),
                    measure(
                        101, noPreparation, [&](int run) { floorChoose(employeeOf(run)); }, true)});

    // Another month's list shown in the view.
    auto* picker = static_cast<QDateEdit*>(control("DTPicker1"));
    const auto showMonth = [&](int run) {
        picker->setDate(monthOf(run));
        settle();
    };
    cold.push_back({"showing a month's list (every employee)",
                    measure(
                        5, [&](int) { reopen(); }, showMonth),
                    measure(
                        5, [&](int) { reopen(); }, [&](int run) { floorMonth(monthOf(run + 7)); })});
    warm.push_back({"showing a month's list (every employee)", measure(21, noPreparation, showMonth, true),
                    measure(
                        21, noPreparation, [&](int run) { floorMonth(monthOf(run)); }, true)});
    picker->setDate(dates::lastOfMonth(lastMonth));
    settle();

    // Saving: the employee chosen and the days typed first; timed from the click on Save until the
    // row is in the list and the boxes are cleared. Every save is a second row of its month, so the
    // operator confirms twice. The rows saved are removed afterwards.
    QSqlQuery top(db.connection());
    top.exec(QStringLiteral("SELECT max(transid) FROM payroll"));
    top.next();
    const qint64 keepUpTo = top.value(0).toLongLong();
    const auto prepareSave = [&](int run) {
        choose(employeeOf(run));
        auto* days = static_cast<QLineEdit*>(control("txtNumDays"));
        days->setText(QStringLiteral("26"));
        prompter.answer(true);
        prompter.answer(true);
    };
    const auto clickSave = [&](int) {
        QTest::mouseClick(static_cast<QPushButton*>(control("cmdSave")), Qt::LeftButton);
        settle();
    };
    SqlQuery insert(db, QStringLiteral("INSERT INTO payroll (ID, emname, ddate, company) VALUES (?, 'FLOOR', ?, ?)"));
    const auto floorSave = [&](int run) {
        Transaction t(db);
        insert.bind(qint64(employeeOf(run))).bind(lastMonth).bind(company);
        if (!insert.exec() || !t.commit())
            std::abort();
    };
    warm.push_back({"saving a transaction (synchronous=FULL)", measure(51, prepareSave, clickSave, true),
                    measure(51, noPreparation, floorSave, true)});
    // What full synchronisation costs: the same with the default of WAL databases. The month is
    // listed again first, with the floor's rows, which the window would otherwise ask about again.
    picker->setDate(dates::lastOfMonth(lastMonth.addMonths(-1)));
    settle();
    picker->setDate(dates::lastOfMonth(lastMonth));
    settle();
    execute(db, QStringLiteral("PRAGMA synchronous=NORMAL"));
    warm.push_back({"saving a transaction (synchronous=NORMAL)", measure(51, prepareSave, clickSave, true),
                    measure(51, noPreparation, floorSave, true)});
    execute(db, QStringLiteral("PRAGMA synchronous=FULL"));
    // Every timed save must have stored its row: 4 x 51 window saves and as many floor rows.
    QSqlQuery saved(db.connection());
    saved.exec(QStringLiteral("SELECT count(*) FROM payroll WHERE transid > %1 AND emname <> 'FLOOR'").arg(keepUpTo));
    if (!saved.next() || saved.value(0).toInt() != 4 * 51) {
        std::fprintf(stderr, "the saves did not all store their row\n");
        return 1;
    }
    // What the trail adds to a save: the same row stored in a write transaction with its entry, and
    // without it (the floor).
    SqlQuery stored(db, insertStatement(QStringLiteral("payroll"),
                                        {QStringLiteral("ID"), QStringLiteral("emname"), QStringLiteral("ddate"),
                                         QStringLiteral("netpay"), QStringLiteral("company")},
                                        QStringLiteral("transid")));
    const auto saveRow = [&](int run, bool trail) {
        Transaction t(db, Transaction::Kind::Write);
        stored.bind(qint64(employeeOf(run))).bind(QStringLiteral("FLOOR")).bind(lastMonth).bind(whole(16000)).bind(company);
        const auto id = numberGiven(stored);
        if (!id || (trail && !audit::recordInserted(db, QStringLiteral("payroll"), QString::number(*id))) || !t.commit())
            std::abort();
    };
    warm.push_back({"saving a row with its trail entry (floor: without)",
                    measure(51, noPreparation, [&](int run) { saveRow(run, true); }, true),
                    measure(51, noPreparation, [&](int run) { saveRow(run, false); }, true)});
    window.reset();
    QSqlQuery cleanUp(db.connection());
    cleanUp.prepare(QStringLiteral("DELETE FROM payroll WHERE transid > ?"));
    cleanUp.addBindValue(keepUpTo);
    cleanUp.exec();

    // The pay function alone.
    constexpr int calculations = 1000000;
    qint64 checksum = 0; // printed, so the work cannot be optimised away
    const double calc = measure(5, noPreparation, [&](int run) {
        PayInputs in{whole(18500), QDate(2026, 3, 31), whole(25),
                     whole(100),   whole(50),          *Currency::parse(QStringLiteral("20.25")),
                     whole(500),   whole(1000),        whole(12),
                     whole(14),    whole(run)};
        for (int i = 0; i < calculations; ++i) {
            in.daysPresent = Currency::fromUnits(10000 * (i % 31));
            checksum += calculatePay(in)->netPay.units();
        }
    });

    std::printf("%s\n", qPrintable(sizeText()));
    std::printf("%-42s %10s %10s %8s\n", "median ms", "Kestrel", "floor", "ratio");
    for (const auto& [title, rows] : {std::pair{"cold", &cold}, std::pair{"warm", &warm}})
        for (const Row& row : *rows)
            std::printf("%-42s %10.3f %10.3f %8.1f\n",
                        qPrintable(QStringLiteral("%1, %2").arg(QLatin1String(row.what), QLatin1String(title))),
                        row.kestrel, row.floor, row.kestrel / row.floor);
    for (const Row& row : warm)
        if (QLatin1String(row.what).startsWith(QLatin1String("saving a row with its trail")))
            std::printf("the trail adds %.3f ms to a save\n", row.kestrel - row.floor);
    std::printf("pay calculations: %.0f per second (checksum %lld)\n", calculations / (calc / 1000),
                static_cast<long long>(checksum));
    return 0;
}
