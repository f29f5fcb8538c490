#include "data/employee_repository.h"
#include "data/payroll_repository.h"
#include "data/sql_query.h"
#include "support/test_database.h"

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

} // namespace

// Two workstations save at the same time: every row is kept, and the numbers the database gives
// are all different.
class TestConcurrency : public QObject {
    Q_OBJECT
private slots:
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
        QCOMPARE(EmployeeRepository(t.db()).nextId().value(), t.count("SELECT max(ID) FROM emp") + 1);
    }
};

QTEST_GUILESS_MAIN(TestConcurrency)
#include "test_concurrency.moc"
