// Measures what the operator waits for in the payroll window, on a database laid out as real use
// lays it out, and the bare SQLite work under each action as its floor:
//   bench_payroll [--database PATH] [--rebuild]
// The database (5,000 employees, 200 months of payroll appended month by month: 1,000,000 rows,
// with loans and advances) is built on first use and kept for later runs. The window runs
// offscreen; each action is timed from the operator's key or click until the window has processed
// the events it caused. "Cold" runs first drop the database file from the page cache and open a new
// connection; "warm" runs follow one another.

#include "common/dates.h"
#include "data/database.h"
#include "data/session.h"
#include "data/sql_query.h"
#include "payroll/employee_pay_facts.h"
#include "payroll/pay_calculation.h"
#include "payroll/payroll_window.h"
#include "support/fixed_clock.h"
#include "support/scripted_prompter.h"
#include "ui/app_context.h"

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

constexpr int employees = 5000;
constexpr int months = 200;
const QString company = QStringLiteral("BENCH COMPANY");
const QDate firstMonth(2010, 1, 1);
const QDate lastMonth = firstMonth.addMonths(months - 1);

Currency whole(qint64 v)
{
    return *Currency::fromWhole(v);
}

bool run(QSqlQuery& query, std::initializer_list<QVariant> values)
{
    for (const QVariant& v : values)
        query.addBindValue(v);
    return query.exec();
}

// Month after month, every employee's pay, as a payroll office enters it; loans are granted and
// advances paid in the months they happen.
bool build(Database& db)
{
    QSqlQuery emp(db.connection());
    emp.prepare(QStringLiteral(
        "INSERT INTO emp (ID, emname, dept, pos, empstat, basicrate, grp) VALUES (?, ?, 'STORES', 'CLERK',"
        " 'Full Time', ?, 'STAFF')"));
    QSqlQuery pay(db.connection());
    pay.prepare(
        QStringLiteral("INSERT INTO payroll (ID, emname, monthrate, ddate, bonus, ot, totloan, ph, intax, others,"
                       " absences, earn, advances, tad, td, loanrec, travel, netpay, dept, grp, company)"
                       " VALUES (?, ?, ?, ?, 0, 0, ?, 0, 0, 0, ?, ?, ?, 0, ?, ?, 0, ?, 'STORES', 'STAFF', ?)"));
    QSqlQuery loan(db.connection());
    loan.prepare(QStringLiteral("INSERT INTO loan VALUES (?, ?, ?, ?, ?, '10:00:00', 'STORES', ?)"));
    QSqlQuery adv(db.connection());
    adv.prepare(QStringLiteral("INSERT INTO adv VALUES (?, ?, ?, ?, '10:00:00', ?)"));
    const auto name = [](int id) { return QStringLiteral("EMPLOYEE %1").arg(id); };
    const auto rate = [](int id) { return whole(10000 + (id % 50) * 500); };
    {
        Transaction t(db);
        for (int id = 1; id <= employees; ++id)
            if (!run(emp, {id, name(id), rate(id).units()}))
                return false;
        if (!t.commit())
            return false;
    }
    std::vector<Currency> recovered(employees + 1);
    std::vector<Currency> lent(employees + 1);
    for (int m = 0; m < months; ++m) {
        Transaction t(db);
        const QDate date = dates::lastOfMonth(firstMonth.addMonths(m));
        for (int id = 1; id <= employees; ++id) {
            if (m % 60 == 0) {
                lent[id] = *lent[id].plus(whole(12000));
                if (!run(loan, {id, name(id), whole(12000).units(), whole(1000).units(),
                                dates::storageText(date.addDays(-20)), company}))
                    return false;
            }
            const bool advance = (id + m) % 10 == 0;
            if (advance && !run(adv, {id, name(id), whole(500).units(), dates::storageText(date.addDays(-5)), company}))
                return false;
            PayInputs in{rate(id),
                         date,
                         whole(26),
                         {},
                         {},
                         {},
                         advance ? whole(500) : Currency(),
                         offeredLoanDeduction(whole(1000), lent[id], recovered[id]),
                         {},
                         {},
                         {}};
            recovered[id] = *recovered[id].plus(in.loanDeduction);
            const PayResult r = *calculatePay(in);
            if (!run(pay, {id, name(id), r.monthlyRate.units(), dates::storageText(date), lent[id].units(),
                           whole(26).units(), r.presentDaysSalary.units(), in.advances.units(),
                           r.totalDeductions.units(), in.loanDeduction.units(), r.netPay.units(), company}))
                return false;
        }
        if (!t.commit())
            return false;
    }
    return execute(db, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)")).ok();
}

// Drops the file's pages from the operating system's cache, so the next read comes from the disk.
void evict(const QString& path)
{
    for (const QString& file : {path, path + QStringLiteral("-wal")}) {
        const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY);
        if (fd < 0)
            continue;
        ::fdatasync(fd);
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

// Until the window has handled what the action set off (deferred work, repaints).
void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// prepare (untimed), then action (timed), runs times; the median in milliseconds. A warm
// measurement goes through all the runs once untimed first, so that everything they read is cached.
double measure(int runs, const std::function<void(int)>& prepare, const std::function<void(int)>& action,
               bool warm = false)
{
    if (warm)
        for (int i = 0; i < runs; ++i) {
            prepare(i);
            action(i);
        }
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare(i);
        QElapsedTimer timer;
        timer.start();
        action(i);
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return median(times);
}

struct Row {
    const char* what;
    double kestrel;
    double floor;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform cannot raise windows or popups, and says so each time.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type != QtDebugMsg && type != QtWarningMsg && type != QtInfoMsg)
            std::fprintf(stderr, "%s\n", qPrintable(message));
    });
    QApplication app(argc, argv);
    QString path = QStringLiteral("bench-payroll.db");
    const QStringList args = app.arguments();
    if (const int i = int(args.indexOf(QStringLiteral("--database"))); i > 0 && i + 1 < args.size())
        path = args[i + 1];
    if (args.contains(QStringLiteral("--rebuild")))
        for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
            QFile::remove(path + suffix);

    const bool exists = QFile::exists(path);
    Database db;
    if (Status s = db.open(path); !s) {
        std::fprintf(stderr, "%s\n", qPrintable(s.error()));
        return 1;
    }
    if (!exists) {
        std::printf("building %d employees x %d months, month by month...\n", employees, months);
        std::fflush(stdout);
        QElapsedTimer timer;
        timer.start();
        if (!build(db)) {
            std::fprintf(stderr, "building the database failed\n");
            return 1;
        }
        std::printf("built in %.1f s\n", double(timer.elapsed()) / 1000);
    }
    const auto reopen = [&] {
        db.close();
        evict(path);
        if (!db.open(path))
            std::abort();
    };

    ScriptedPrompter prompter;
    FixedClock clock(QDateTime(dates::lastOfMonth(lastMonth), QTime(10, 0)));
    Session session{company, QStringLiteral("bench"), QStringLiteral("Admin")};
    AppContext context{db, prompter, clock, session};
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
        QSqlQuery names(db.connection());
        names.exec(QStringLiteral("SELECT ID, emname FROM emp ORDER BY ID"));
        while (names.next())
            names.value(1);
        QSqlQuery month(db.connection());
        month.prepare(QStringLiteral("SELECT * FROM payroll WHERE company = ? AND ddate BETWEEN ? AND ?"
                                     " ORDER BY ID, transid"));
        for (const QVariant& v : {QVariant(company), QVariant(dates::storageText(dates::firstOfMonth(lastMonth))),
                                  QVariant(dates::storageText(dates::lastOfMonth(lastMonth)))})
            month.addBindValue(v);
        month.exec();
        while (month.next())
            month.value(21);
    };
    const auto floorChoose = [&](int id) {
        const QDate month = lastMonth;
        for (const char* sql :
             {"SELECT * FROM emp WHERE ID = ?", "SELECT sum(loanamt) FROM loan WHERE ID = ?",
              "SELECT sum(loanrec) FROM payroll WHERE ID = ?",
              "SELECT permonthded FROM loan WHERE ID = ? ORDER BY ldt DESC, ltm DESC, rowid DESC LIMIT 1"}) {
            QSqlQuery q(db.connection());
            q.prepare(QLatin1String(sql));
            q.addBindValue(id);
            q.exec();
            q.next();
        }
        QSqlQuery adv(db.connection());
        adv.prepare(QStringLiteral("SELECT sum(advamt) FROM adv WHERE ID = ? AND advdt BETWEEN ? AND ?"));
        for (const QVariant& v : {QVariant(id), QVariant(dates::storageText(dates::firstOfMonth(month))),
                                  QVariant(dates::storageText(dates::lastOfMonth(month)))})
            adv.addBindValue(v);
        adv.exec();
        adv.next();
    };
    const auto floorMonth = [&](QDate month) {
        QSqlQuery q(db.connection());
        q.prepare(
            QStringLiteral("SELECT * FROM payroll WHERE company = ? AND ddate BETWEEN ? AND ? ORDER BY ID, transid"));
        for (const QVariant& v : {QVariant(company), QVariant(dates::storageText(dates::firstOfMonth(month))),
                                  QVariant(dates::storageText(dates::lastOfMonth(month)))})
            q.addBindValue(v);
        q.exec();
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
    cold.push_back({"showing a month's list (5,000 rows)",
                    measure(
                        5, [&](int) { reopen(); }, showMonth),
                    measure(
                        5, [&](int) { reopen(); }, [&](int run) { floorMonth(monthOf(run + 7)); })});
    warm.push_back({"showing a month's list (5,000 rows)", measure(21, noPreparation, showMonth, true),
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
    QSqlQuery insert(db.connection());
    insert.prepare(QStringLiteral("INSERT INTO payroll (ID, emname, ddate, company) VALUES (?, 'FLOOR', ?, ?)"));
    const auto floorSave = [&](int run) {
        Transaction t(db);
        insert.addBindValue(employeeOf(run));
        insert.addBindValue(dates::storageText(lastMonth));
        insert.addBindValue(company);
        if (!insert.exec() || !t.commit())
            std::abort();
    };
    warm.push_back({"saving a transaction (synchronous=FULL)", measure(51, prepareSave, clickSave, true),
                    measure(51, noPreparation, floorSave, true)});
    // What full synchronisation costs: the same with the default of WAL databases.
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

    std::printf("%-42s %10s %10s %8s\n", "median ms", "Kestrel", "floor", "ratio");
    for (const auto& [title, rows] : {std::pair{"cold", &cold}, std::pair{"warm", &warm}})
        for (const Row& row : *rows)
            std::printf("%-42s %10.3f %10.3f %8.1f\n",
                        qPrintable(QStringLiteral("%1, %2").arg(QLatin1String(row.what), QLatin1String(title))),
                        row.kestrel, row.floor, row.kestrel / row.floor);
    std::printf("pay calculations: %.0f per second (checksum %lld)\n", calculations / (calc / 1000),
                static_cast<long long>(checksum));
    return 0;
}
