#include "data/database.h"
#include "data/employee_repository.h"
#include "data/loan_repository.h"
#include "data/payroll_repository.h"
#include "data/sql_query.h"
#include "support/test_database.h"

#include <QSemaphore>
#include <QTest>
#include <QThread>

#include <atomic>
#include <memory>

namespace {

// One workstation's clerk: a connection of its own that saves transactions and new employees as
// fast as it can, each save one transaction.
class Clerk : public QThread {
public:
    Clerk(QString location, int number) : m_location(std::move(location)), m_number(number) {}

    QStringList failures;

protected:
    void run() override
    {
        Database db(QStringLiteral("clerk-%1").arg(m_number));
        if (Status opened = db.open(m_location); !opened) {
            failures << opened.error();
            return;
        }
        PayrollRepository payroll(db);
        EmployeeRepository employees(db);
        for (int i = 0; i < 1000; ++i) {
            PayrollTransaction t;
            t.employeeId = m_number * 10000 + i;
            t.name = QStringLiteral("CLERK %1 ROW %2").arg(m_number).arg(i);
            t.payDate = QDate(2026, 3, 31);
            t.netPay = Currency::fromUnits(i * 10000);
            t.company = QStringLiteral("ACME");
            if (auto saved = payroll.insert(t); !saved)
                failures << saved.error();
            if (i % 20 == 0) {
                Employee e;
                e.name = QStringLiteral("HIRED BY %1 #%2").arg(m_number).arg(i / 20);
                if (auto hired = employees.insert(e); !hired)
                    failures << hired.error();
            }
        }
    }

private:
    QString m_location;
    int m_number;
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

} // namespace

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
        QVERIFY(LoanRepository(t.db()).insert({1, "RAMESH", Currency::fromUnits(180000000), Currency::fromUnits(30000000),
                                               {2026, 1, 5}, {10, 0}, "", "ACME"}));
        QVERIFY(SqlQuery(t.db(), "INSERT INTO payroll (ID, ddate, loanrec, company) VALUES (1, '2026-11-30', 156000000, "
                                 "'ACME')")
                    .exec());
        const Currency offered = Currency::fromUnits(24000000);
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
        QVERIFY(first->wait(60000));
        QVERIFY(other->wait(60000));
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
        Clerk first(t.path(), 1);
        Clerk second(t.path(), 2);
        first.start();
        second.start();
        QVERIFY(first.wait(120000));
        QVERIFY(second.wait(120000));
        QVERIFY2(first.failures.isEmpty(), qPrintable(first.failures.join(QLatin1Char('\n'))));
        QVERIFY2(second.failures.isEmpty(), qPrintable(second.failures.join(QLatin1Char('\n'))));
        // Every row of each clerk, none twice.
        QCOMPARE(t.count("SELECT count(*) FROM payroll"), 2000);
        QCOMPARE(t.count("SELECT count(DISTINCT ID) FROM payroll WHERE ID BETWEEN 10000 AND 10999"), 1000);
        QCOMPARE(t.count("SELECT count(DISTINCT ID) FROM payroll WHERE ID BETWEEN 20000 AND 20999"), 1000);
        QCOMPARE(t.count("SELECT count(DISTINCT emname) FROM emp WHERE emname LIKE 'HIRED BY 1 #%'"), 50);
        QCOMPARE(t.count("SELECT count(DISTINCT emname) FROM emp WHERE emname LIKE 'HIRED BY 2 #%'"), 50);
        QCOMPARE(t.count("SELECT count(*) FROM emp"), 100);
        // The next number follows all of them.
        // The next number follows all of them, and every number the payroll refers to.
        QCOMPARE(EmployeeRepository(t.db()).nextId().value(),
                 std::max(t.count("SELECT max(ID) FROM emp"), t.count("SELECT max(ID) FROM payroll")) + 1);
    }
};

QTEST_GUILESS_MAIN(TestConcurrency)
#include "test_concurrency.moc"
