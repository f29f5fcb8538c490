#include "data/audit_trail.h"
#include "data/database.h"
#include "data/employee_repository.h"
#include "data/loan_repository.h"
#include "data/payroll_repository.h"
#include "data/revision_repository.h"
#include "data/table_transfer.h"
#include "data/sql_query.h"
#include "support/amounts.h"
#include "support/test_database.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <functional>
#include <utility>
#include <sys/wait.h>
#include <unistd.h>
#include <memory>

namespace {

// One workstation's clerk: a connection of its own that saves transactions and new employees as
// fast as it can, each save one transaction.
struct Clerk : QThread {
    Clerk(QString at, int n) : location(std::move(at)), number(n) {}
    const QString location;
    const int number;
    QStringList failures;

    void run() override
    {
        Database db(QStringLiteral("clerk-%1").arg(number));
        if (Status opened = db.open(location); !opened) {
            failures << opened.error();
            return;
        }
        PayrollRepository payroll(db);
        EmployeeRepository employees(db);
        qint64 hire = 0;
        for (int i = 0; i < 1000; ++i) {
            // Each hire is paid twenty times over, by the clerk who hired them.
            if (i % 20 == 0) {
                Employee e;
                e.name = QStringLiteral("HIRED BY %1 #%2").arg(number).arg(i / 20);
                const auto hired = employees.insert(e);
                if (!hired) {
                    failures << hired.error();
                    return;
                }
                hire = *hired;
            }
            PayrollTransaction t;
            t.employeeId = hire;
            t.name = QStringLiteral("CLERK %1 ROW %2").arg(number).arg(i);
            t.monthRate = Currency::fromUnits(i * 10000);
            t.payDate = QDate(2026, 3, 31);
            t.daysPresent = Currency::fromUnits(310000);
            t.company = QStringLiteral("ACME");
            if (auto saved = payroll.insert(t); !saved)
                failures << saved.error();
        }
    }
};

// Employee 1's pay with the loan deduction the window offered when the employee was chosen.
PayrollTransaction payOfEmployee1(QDate month, Currency offered)
{
    PayrollTransaction t;
    t.employeeId = 1;
    t.name = QStringLiteral("RAMESH");
    t.monthRate = Currency::fromUnits(100000000);
    t.payDate = month;
    t.daysPresent = Currency::fromUnits(310000);
    t.presentDaysSalary = Currency::fromUnits(100000000);
    t.loanRecovered = offered;
    t.totalDeductions = offered;
    t.netPay = *t.presentDaysSalary.minus(offered);
    t.company = QStringLiteral("ACME");
    return t;
}

// Work that changes the database in several statements, and what must hold of it however far the
// work got: all of an operation or none of it.
struct Interrupted {
    std::function<void(Database&)> prepare; // in the test's own process
    // In the child, until it is killed; it calls inside() once it is in the middle of its work.
    std::function<void(Database&, const std::function<void()>& inside)> work;
    std::function<QString(TestDatabase&)> broken; // what does not hold afterwards; empty when all is well
};

// Runs work in a child process with a connection of its own, and kills it (SIGKILL, as a power cut
// or the task manager would) a moment, up to withinMs, after it says it is in the middle of its work.
bool killMidWay(const QString& location, const Interrupted& operation, int withinMs)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return false;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        Database db(QStringLiteral("killed"));
        if (!db.open(location))
            ::_exit(3);
        bool told = false;
        operation.work(db, [&] {
            if (!std::exchange(told, true) && ::write(channel[1], "!", 1) < 0)
                ::_exit(4);
        });
        ::_exit(0); // the work ended before the kill: the test cannot tell anything
    }
    ::close(channel[1]);
    char said = 0;
    const bool inside = ::read(channel[0], &said, 1) == 1;
    ::close(channel[0]);
    if (inside)
        QThread::msleep(QRandomGenerator::global()->bounded(withinMs + 1));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    return inside && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

} // namespace

Q_DECLARE_METATYPE(Interrupted)

// Two workstations save at the same time: every row is kept, and the numbers the database gives
// are all different.
class TestConcurrency : public QObject {
    Q_OBJECT
private slots:
    // Lent 18,000, recovered 15,600: both clerks were offered the 2,400 still owed. The first save
    // holds the employee until it commits; the second waits for it, then finds the loan repaid and
    // saves 0, and is told so. In one month, the second is asked whether to add a transaction.
    void aSecondSaveWaitsForTheFirst_data()
    {
        QTest::addColumn<QDate>("second");
        QTest::newRow("December and January") << QDate(2027, 1, 31);
        QTest::newRow("the same month") << QDate(2026, 12, 31);
    }
    void aSecondSaveWaitsForTheFirst()
    {
        QFETCH(QDate, second);
        TestDatabase t;
        ensureKnown(t.db(), {"ACME"}, {{1, "RAMESH"}});
        QVERIFY(LoanRepository(t.db()).insert({1, "RAMESH", c("18000"), c("3000"), {2026, 1, 5}, {10, 0}, "", "ACME"}));
        QVERIFY(SqlQuery(t.db(), "INSERT INTO payroll (ID, ddate, loanrec, company) VALUES (1, '2026-11-30', 156000000, "
                                 "'ACME')").exec());
        const Currency offered = c("2400");
        QSemaphore held, release;
        QString firstFailure;
        std::unique_ptr<QThread> first(QThread::create([&] {
            Database db(QStringLiteral("first"));
            if (Status s = db.open(t.path()); !s) {
                firstFailure = s.error();
                held.release();
                return;
            }
            // The save runs inside a transaction kept open until the test lets it commit.
            const Status saved = inWriteTransaction(db, [&] {
                const auto written = PayrollRepository(db).save(payOfEmployee1(QDate(2026, 12, 31), offered), 0);
                held.release();
                release.acquire();
                return written.status();
            });
            if (!saved)
                firstFailure = saved.error();
        }));
        first->start();
        QVERIFY(held.tryAcquire(1, 60000));
        Result<PayrollWrite> secondWrite = Status::failure(QStringLiteral("not run"));
        std::unique_ptr<QThread> other(QThread::create([&] {
            Database db(QStringLiteral("second"));
            if (Status s = db.open(t.path()); !s) {
                secondWrite = s;
                return;
            }
            secondWrite = PayrollRepository(db).save(payOfEmployee1(second, offered), 0);
        }));
        other->start();
        QVERIFY2(!other->wait(700), "the second save did not wait for the first");
        release.release();
        QVERIFY(first->wait(60000) && other->wait(60000));
        QVERIFY2(firstFailure.isEmpty(), qPrintable(firstFailure));
        QVERIFY2(secondWrite, qPrintable(secondWrite.error()));
        QCOMPARE(t.count("SELECT sum(loanrec) FROM payroll"), 180000000);
        if (second.month() == 12) {
            QCOMPARE(secondWrite->outcome, PayrollWrite::Outcome::MonthTaken);
            QCOMPARE(secondWrite->existing, 1);
            QCOMPARE(t.count("SELECT count(*) FROM payroll"), 2);
        } else {
            QCOMPARE(secondWrite->outcome, PayrollWrite::Outcome::Written);
            QVERIFY(secondWrite->loanCapped);
            // Its totals were worked out again: nothing deducted, the whole salary paid.
            QCOMPARE(secondWrite->stored.netPay, Currency::fromUnits(100000000));
            QCOMPARE(t.count("SELECT count(*) FROM payroll WHERE loanrec = 0 AND netpay = 100000000 AND td = 0"), 1);
        }
    }

    void twoClerksSaveAtOnce()
    {
        TestDatabase t;
        ensureKnown(t.db(), {"ACME"});
        Clerk first(t.path(), 1), second(t.path(), 2);
        first.start();
        second.start();
        QVERIFY(first.wait(120000) && second.wait(120000));
        QVERIFY2(first.failures.isEmpty() && second.failures.isEmpty(),
                 qPrintable((first.failures + second.failures).join(QLatin1Char('\n'))));
        // Every row of each clerk, none twice: clerk n's hires are "HIRED BY n", each paid twenty times,
        // a rupee more each time.
        QCOMPARE(t.count("SELECT count(*) FROM payroll"), 2000);
        QCOMPARE(t.count("SELECT count(DISTINCT ID) FROM payroll"), 100);
        QCOMPARE(t.count("SELECT count(DISTINCT netpay) FROM payroll"), 1000);
        QCOMPARE(t.count("SELECT count(*) FROM emp"), 100);
        QCOMPARE(t.count("SELECT count(DISTINCT emname) FROM emp WHERE emname LIKE 'HIRED BY _ #%'"), 100);
        // Each save left its entry (and the company's), and the entries of both form one unbroken chain.
        QCOMPARE(t.count("SELECT count(*) FROM audit"), 2101);
        const auto trail = audit::verify(t.db());
        QVERIFY2(trail && trail->intact(), qPrintable(trail ? trail->summary() : trail.error()));
        // The next number follows all of them, and every number the payroll refers to.
        QCOMPARE(EmployeeRepository(t.db()).nextId().value(),
                 std::max(t.count("SELECT max(ID) FROM emp"), t.count("SELECT max(ID) FROM payroll")) + 1);
    }

    // A workstation killed in the middle of an import, an increment or a bulk deletion: opened
    // again, the database is whole and holds each operation entirely or not at all.
    void killedMidWayLeavesNothingHalfDone_data()
    {
        QTest::addColumn<Interrupted>("operation");
        // Each increment adds 1 rupee to the rate and writes 12 arrears rows, then the rate.
        const auto increments = [](Database& db, const std::function<void()>& inside) {
            const Revision r{1, "RAMESH", c("1"), {2026, 12, 1}, {10, 0}, {2026, 1, 1}, {2026, 12, 31}, "ACME"};
            QList<ArrearsRow> arrears;
            for (int m = 1; m <= 12; ++m)
                arrears << ArrearsRow{1, "RAMESH", r.amount, "March2026", c("25"), r.amount, "ACME", {2026, m, 28}};
            for (Currency rate = c("10000");; rate = *rate.plus(r.amount)) {
                if (Status s = RevisionRepository(db).saveIncrement(r, arrears, rate, *rate.plus(r.amount)); !s) {
                    qWarning("%s", qPrintable(s.error()));
                    return;
                }
                inside();
            }
        };
        QTest::newRow("increment") << Interrupted{
            [](Database& db) {
                SqlQuery(db, "INSERT INTO emp (ID, emname, basicrate) VALUES (1, 'RAMESH', 100000000)").exec();
            },
            increments,
            [](TestDatabase& t) {
                const qint64 done = t.count("SELECT count(*) FROM incre"), rows = t.count("SELECT count(*) FROM arr");
                const qint64 rate = t.count("SELECT basicrate FROM emp WHERE ID = 1");
                return rows == 12 * done && rate == 100000000 + 10000 * done
                           ? QString()
                           : QStringLiteral("%1 increments, %2 arrears rows, rate %3").arg(done).arg(rows).arg(rate);
            }};
        // A company's 20,000 transactions written and deleted again and again.
        QTest::newRow("bulk deletion") << Interrupted{
            [](Database&) {},
            [](Database& db, const std::function<void()>& inside) {
                for (;;) {
                    inTransaction(db, [&] {
                        return SqlQuery(db, "INSERT INTO payroll (ID, ddate, netpay, company) "
                                            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
                                            "SELECT i, '2026-03-31', 100, 'ACME' FROM n")
                            .exec();
                    });
                    if (!PayrollRepository(db).removeAll(QStringLiteral("ACME")))
                        return;
                    inside();
                }
            },
            [](TestDatabase& t) {
                const qint64 rows = t.count("SELECT count(*) FROM payroll");
                return rows == 0 || rows == 20000 ? QString() : QStringLiteral("%1 rows of 20,000 left").arg(rows);
            }};
        QTest::newRow("import") << Interrupted{
            [](Database&) {},
            [](Database& db, const std::function<void()>& inside) {
                // Told after the employees are read, inside the import's one transaction.
                transfer::importFolder(db, qEnvironmentVariable("KESTREL_KILL_IMPORT_FOLDER"), {},
                                       [&](const QString&) { inside(); });
            },
            [](TestDatabase& t) {
                const qint64 rows = t.count("SELECT count(*) FROM payroll");
                const qint64 employees = t.count("SELECT count(*) FROM emp");
                return (rows == 0 && employees == 0) || (rows == 30000 && employees == 300)
                           ? QString()
                           : QStringLiteral("%1 payroll rows and %2 employees imported").arg(rows).arg(employees);
            }};
    }
    void killedMidWayLeavesNothingHalfDone()
    {
        QFETCH(Interrupted, operation);
        // The import's files, written once: 300 employees and 30,000 transactions.
        QTemporaryDir files;
        {
            TestDatabase source;
            QVERIFY(SqlQuery(source.db(), "INSERT INTO emp (ID, emname) WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
                                          "SELECT i + 1 FROM n WHERE i < 300) SELECT i, 'EMPLOYEE ' || i FROM n")
                        .exec());
            QVERIFY(SqlQuery(source.db(), "INSERT INTO payroll (ID, ddate, netpay, company) WITH RECURSIVE n(i) AS "
                                          "(SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 29999) "
                                          "SELECT 1 + i % 300, '2026-03-31', 100, 'ACME' FROM n")
                        .exec());
            QVERIFY(transfer::exportFolder(source.db(), files.path()));
        }
        qputenv("KESTREL_KILL_IMPORT_FOLDER", files.path().toUtf8());
        TestDatabase t;
        operation.prepare(t.db());
        // The child must not share this connection: it is closed across the fork, and opened again.
        t.db().close();
        QVERIFY2(killMidWay(t.path(), operation, 100), "the operation ended before it could be killed");
        QVERIFY(t.db().open(t.path()));
        if (!TestDatabase::onServer())
            QCOMPARE(SqlQuery(t.db(), "PRAGMA integrity_check").single()->toString(), QStringLiteral("ok"));
        const QString broken = operation.broken(t);
        QVERIFY2(broken.isEmpty(), qPrintable(broken));
        // The trail holds the entries of what was stored, and none of what was not.
        const auto trail = audit::verify(t.db());
        QVERIFY2(trail && trail->intact(), qPrintable(trail ? trail->summary() : trail.error()));
    }

    // The server restarts under a running program: the next operation connects again and works; a
    // transaction open across the restart fails, says so, and stores nothing. On a server of the
    // test's own, so that the restart cuts no other test's connection.
    void aRestartedServerIsReachedAgain()
    {
        if (!TestDatabase::onServer())
            QSKIP("a server restarted under the program");
        const QString script = QStringLiteral(KESTREL_SOURCE_DIR "/scripts/test-postgres");
        QProcess start;
        start.start(script, {QStringLiteral("start")});
        QVERIFY(start.waitForFinished(120000));
        QCOMPARE(start.exitCode(), 0);
        const QStringList started = QString::fromUtf8(start.readAllStandardOutput()).trimmed().split(QLatin1Char('\n'));
        QCOMPARE(started.size(), 2);
        const QString cluster = started.at(0);
        struct Stop {
            QString script, cluster;
            ~Stop() { QProcess::execute(script, {QStringLiteral("stop"), cluster}); }
        } stop{script, cluster};
        const auto restart = [&] {
            QProcess run;
            run.start(script, {QStringLiteral("restart"), cluster});
            return run.waitForFinished(60000) && run.exitCode() == 0;
        };
        Database db(QStringLiteral("restarted"));
        QVERIFY(db.open(started.at(1)));
        const auto depts = [&] { return SqlQuery(db, "SELECT count(*) FROM dept").single().value().toLongLong(); };
        QVERIFY(SqlQuery(db, "INSERT INTO dept (dept) VALUES ('ACCOUNTS')").exec());
        QVERIFY(restart());
        QCOMPARE(depts(), 1);
        const Status during = inTransaction(db, [&] {
            if (Status s = SqlQuery(db, "INSERT INTO dept (dept) VALUES ('STORES')").exec(); !s)
                return s;
            if (!restart())
                return Status::failure(QStringLiteral("the server did not restart"));
            return SqlQuery(db, "INSERT INTO dept (dept) VALUES ('WORKSHOP')").exec();
        });
        QVERIFY(!during);
        QVERIFY2(during.error().contains(QStringLiteral("connection to the server was lost")), qPrintable(during.error()));
        QCOMPARE(depts(), 1);
        QVERIFY(SqlQuery(db, "INSERT INTO dept (dept) VALUES ('STORES')").exec());
        QCOMPARE(depts(), 2);
        db.close();
    }
};

QTEST_GUILESS_MAIN(TestConcurrency)
#include "test_concurrency.moc"
