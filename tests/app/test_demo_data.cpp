#include "app/demo_data.h"
#include "data/payroll_repository.h"
#include "data/user_repository.h"
#include "rules/pay_calculation.h"
#include "payroll/payroll_window.h"
#include "support/window_fixture.h"

#include <QAbstractItemModel>
#include <QDateEdit>
#include <QFile>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

class TestDemoData : public QObject {
    Q_OBJECT
private slots:
    void demoIsCompleteAndConsistent()
    {
        TestDatabase t;
        FixedClock clock(QDateTime(QDate(2026, 12, 6), QTime(9, 0)));
        const Status filled = ensureDemoData(t.db(), clock);
        QVERIFY2(filled, qPrintable(filled.error()));
        const auto count = [&t](const char* table) { return t.count(QStringLiteral("SELECT count(*) FROM ") + table); };
        // Two companies, their masters; an increment paid back over three payroll months, and a decrement.
        QCOMPARE((QList<qint64>{count("cmpmaster"), count("dept"), count("grp"), count("incre"), count("arr"), count("decre")}),
                 (QList<qint64>{2, 5, 3, 1, 3, 1}));
        QVERIFY(count("emp") >= 30 && count("loan") > 0 && count("adv") > 0);
        QVERIFY(t.count("SELECT count(*) FROM emp WHERE emname LIKE '%''%'") >= 2);
        UserRepository users(t.db());
        QCOMPARE(users.authenticate("admin", "admin")->privilege, QStringLiteral("Admin"));
        QCOMPARE(users.authenticate("clerk", "clerk")->privilege, QStringLiteral("user"));
        QVERIFY(users.checkDeletePassword("delete").value());

        // A year of payroll up to last month, every row as the pay calculation gives it.
        QCOMPARE(t.count("SELECT count(DISTINCT substr(ddate, 1, 7)) FROM payroll"), 12);
        QCOMPARE(t.count("SELECT count(*) FROM payroll WHERE ddate >= '2026-12-01' OR ddate < '2025-12-01'"), 0);
        QVERIFY(t.count("SELECT count(*) FROM payroll WHERE loanrec > 0") > 0);
        // The arrears are paid in payroll months, and no loan is recovered beyond what was lent.
        QCOMPARE(t.count("SELECT count(*) FROM arr a JOIN payroll p ON p.ID = a.ID AND p.ddate = a.ddat1"), 3);
        QCOMPARE(t.count("SELECT count(*) FROM (SELECT l.ID, sum(l.loanamt) AS lent FROM loan l GROUP BY l.ID) x"
                         " WHERE (SELECT sum(loanrec) FROM payroll p WHERE p.ID = x.ID) > x.lent"),
                 0);
        const auto november = PayrollRepository(t.db()).month("SHREE GANESH TEXTILES", QDate(2026, 11, 1));
        QVERIFY(!november->isEmpty());
        for (const PayrollTransaction& p : november.value()) {
            PayInputs in{p.monthRate, p.payDate,       p.daysPresent, p.bonus,        p.overtime, p.travel,
                         p.advances,  p.loanRecovered, p.lic,         p.contribution, p.pgvcl};
            QCOMPARE(calculatePay(in)->netPay, p.netPay);
        }
        // O'NEIL's rules at work: a month of two transactions, whose deductions are the month's; no
        // pension past 58 or outside the scheme; a member insured beyond the limit to the period's end.
        const QString oneil = QStringLiteral("O'NEIL ENGINEERING WORKS");
        QCOMPARE(t.count("SELECT count(*) FROM (SELECT ID FROM payroll WHERE ddate LIKE '2026-11%' GROUP BY ID, company"
                         " HAVING count(*) > 1) x"),
                 1);
        const auto oneilNovember = PayrollRepository(t.db()).month(oneil, QDate(2026, 11, 1)).value();
        Currency twiceTax, pastPension, outsidePension, insuredBeyond;
        for (const PayrollTransaction& p : oneilNovember) {
            if (p.name == QLatin1String("FARHAN SHAIKH"))
                twiceTax = *twiceTax.plus(p.statutory.professionalTax);
            if (p.name == QLatin1String("ASHOK PANDYA"))
                pastPension = p.statutory.pension;
            if (p.name == QLatin1String("MICHAEL O'CONNOR"))
                outsidePension = p.statutory.pension;
            if (p.name == QLatin1String("IMRAN PATHAN") && p.presentDaysSalary > Currency::fromUnits(21000'0000))
                insuredBeyond = p.statutory.esiEmployee;
        }
        QCOMPARE(twiceTax, Currency::fromUnits(200'0000));
        QCOMPARE(pastPension, Currency());
        QCOMPARE(outsidePension, Currency());
        QVERIFY(insuredBeyond > Currency());
        // A second run adds nothing.
        const qint64 rows = count("payroll");
        QVERIFY(ensureDemoData(t.db(), clock));
        QCOMPARE(count("payroll"), rows);
    }

    void databaseWithDataIsRefusedUnchanged()
    {
        TestDatabase t;
        FixedClock clock(QDateTime(QDate(2026, 12, 6), QTime(9, 0)));
        // A working database without any company yet: only a user and the delete password.
        UserRepository users(t.db());
        QVERIFY(users.add("owner", "pw", "Admin").ok());
        QVERIFY(users.setDeletePassword("del"));
        const Status refused = ensureDemoData(t.db(), clock);
        QVERIFY2(!refused && refused.error().contains("already holds data"), qPrintable(refused.error()));
        QCOMPARE(t.count("SELECT count(*) FROM \"use\""), 1);
        QCOMPARE(t.count("SELECT count(*) FROM cmpmaster") + t.count("SELECT count(*) FROM emp"), 0);
        QVERIFY(users.checkDeletePassword("del").value());
        // The demo folder's own file, filled before demos were marked, is the demo and stays as it is.
        QVERIFY(ensureDemoData(t.db(), clock, true));
        QVERIFY(ensureDemoData(t.db(), clock));
        QCOMPARE(t.count("SELECT count(*) FROM cmpmaster"), 0);
    }

    // The demo as the operator meets it, on either backend: the payroll window lists a month and the
    // command line writes it.
    void windowsAndExportWorkOnTheDemo()
    {
        WindowFixture f(QDateTime(QDate(2026, 12, 6), QTime(9, 0)));
        QVERIFY(ensureDemoData(f.db(), f.clock));
        f.session.company = QStringLiteral("SHREE GANESH TEXTILES");
        const qint64 november = PayrollRepository(f.db()).month(f.session.company, QDate(2026, 11, 1))->size();
        QVERIFY(november > 0);

        f.open<PayrollWindow>();
        f.control<QDateEdit>("DTPicker1")->setDate({2026, 11, 30});
        QCOMPARE(f.control<QTableView>("lvwInfo")->model()->rowCount(), november);

        QTemporaryDir folder;
        const QString output = folder.filePath("november.csv");
        QProcess kestrel;
        kestrel.start(KESTREL_EXECUTABLE, {"--database", f.database().path(), "--company", f.session.company, "--report",
                                           "payroll", "--from", "2026-11-01", "--to", "2026-11-30", "--output", output});
        QVERIFY(kestrel.waitForFinished(60000));
        QVERIFY2(kestrel.exitCode() == 0, kestrel.readAllStandardError().constData());
        QFile csv(output);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QCOMPARE(csv.readAll().count("\r\n"), november + 1);
    }
};

QTEST_MAIN(TestDemoData)
#include "test_demo_data.moc"
