#include "data/employee_repository.h"
#include "data/loan_repository.h"
#include "data/payroll_repository.h"
#include "data/sql_query.h"
#include "support/test_database.h"

#include <QSemaphore>
#include <QTest>
#include <QThread>

#include <atomic>

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

// One workstation's clerk paying employee 1: the loan deduction is worked out when the employee is
// chosen, as the payroll window does; both clerks have chosen before either saves.
class PayingClerk : public QThread {
public:
    PayingClerk(QString location, int number, QDate month, QSemaphore& chosen, QSemaphore& go)
        : m_location(std::move(location)), m_number(number), m_month(month), m_chosen(chosen), m_go(go)
    {
    }

    QString failure;
    std::optional<PayrollWrite> written;

protected:
    void run() override
    {
        Database db(QStringLiteral("paying-%1").arg(m_number));
        const Status opened = db.open(m_location);
        const auto lent = opened ? LoanRepository(db).totalLent(1) : Result<Currency>(opened);
        const auto recovered = opened ? PayrollRepository(db).loanRecovered(1) : Result<Currency>(opened);
        m_chosen.release();
        m_go.acquire();
        if (!lent || !recovered) {
            failure = !lent ? lent.error() : recovered.error();
            return;
        }
        PayrollTransaction t;
        t.employeeId = 1;
        t.name = QStringLiteral("RAMESH");
        t.monthRate = Currency::fromUnits(100000000);
        t.payDate = m_month;
        t.daysPresent = Currency::fromUnits(310000);
        t.presentDaysSalary = Currency::fromUnits(100000000);
        t.loanRecovered = std::min(Currency::fromUnits(30000000), *lent->minus(*recovered));
        t.totalDeductions = t.loanRecovered;
        t.netPay = *t.presentDaysSalary.minus(t.loanRecovered);
        t.company = QStringLiteral("ACME");
        const auto saved = PayrollRepository(db).save(t, 0);
        if (saved)
            written = *saved;
        else
            failure = saved.error();
    }

private:
    QString m_location;
    int m_number;
    QDate m_month;
    QSemaphore& m_chosen;
    QSemaphore& m_go;
};

} // namespace

// Two workstations save at the same time: every row is kept, and the numbers the database gives
// are all different.
class TestConcurrency : public QObject {
    Q_OBJECT
private slots:
    // Lent 18,000, recovered 15,600: both clerks are offered the 2,400 still owed. Whatever the
    // order, never more is recovered than was lent; the second save is told it was capped. In one
    // month only one transaction is saved without a question.
    void twoClerksRecoverOneLoan_data()
    {
        QTest::addColumn<QDate>("second");
        QTest::newRow("December and January") << QDate(2027, 1, 31);
        QTest::newRow("the same month") << QDate(2026, 12, 31);
    }
    void twoClerksRecoverOneLoan()
    {
        QFETCH(QDate, second);
        TestDatabase t;
        QVERIFY(LoanRepository(t.db()).insert({1, "RAMESH", Currency::fromUnits(180000000), Currency::fromUnits(30000000),
                                               {2026, 1, 5}, {10, 0}, "", "ACME"}));
        QVERIFY(SqlQuery(t.db(), "INSERT INTO payroll (ID, ddate, loanrec, company) VALUES (1, '2026-11-30', 156000000, "
                                 "'ACME')")
                    .exec());
        QSemaphore chosen, go;
        PayingClerk first(t.path(), 1, QDate(2026, 12, 31), chosen, go);
        PayingClerk other(t.path(), 2, second, chosen, go);
        first.start();
        other.start();
        QVERIFY(chosen.tryAcquire(2, 60000));
        go.release(2);
        QVERIFY(first.wait(60000));
        QVERIFY(other.wait(60000));
        QVERIFY2(first.failure.isEmpty(), qPrintable(first.failure));
        QVERIFY2(other.failure.isEmpty(), qPrintable(other.failure));
        QCOMPARE(t.count("SELECT sum(loanrec) FROM payroll"), 180000000);
        QList<PayrollWrite> outcomes{*first.written, *other.written};
        if (second.month() == 12) {
            // One saved; the other is asked whether to add a second transaction to the month.
            QCOMPARE(t.count("SELECT count(*) FROM payroll"), 2);
            QCOMPARE(std::count_if(outcomes.cbegin(), outcomes.cend(),
                                   [](const PayrollWrite& w) { return w.outcome == PayrollWrite::Outcome::MonthTaken; }),
                     1);
        } else {
            QCOMPARE(t.count("SELECT count(*) FROM payroll"), 3);
            // The one that came second saved 0 and was told so; its net pay is the whole salary.
            QCOMPARE(std::count_if(outcomes.cbegin(), outcomes.cend(), [](const PayrollWrite& w) { return w.loanCapped; }),
                     1);
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
