#include "data/advance_repository.h"
#include "data/company_repository.h"
#include "data/employee_repository.h"
#include "data/loan_repository.h"
#include "data/master_repository.h"
#include "data/payroll_repository.h"
#include "data/month_close.h"
#include "data/revision_repository.h"
#include "data/statutory_repository.h"
#include "data/sql_query.h"
#include "data/user_repository.h"
#include "support/amounts.h"
#include "support/test_database.h"

#include <QSet>
#include <QTest>

#include <tuple>

class TestRepositories : public QObject {
    Q_OBJECT
private slots:
    // Exactly one company is flagged, never an unknown one; names are unique whatever the case and not
    // empty; a rename carries the company's rows in every ledger, and a refused one moves none.
    void companiesAreSelectedNamedAndRenamed()
    {
        TestDatabase t;
        CompanyRepository companies(t.db());
        const qint64 acme = companies.add("ACME", "One").value();
        QVERIFY(companies.add("O'NEIL TRADERS", "Surat").ok());
        QVERIFY(companies.select("ACME"));
        QVERIFY(companies.select("O'NEIL TRADERS"));
        QVERIFY(!companies.select("NO SUCH")); // and the failed choice changed nothing
        QCOMPARE(companies.selected(), std::optional<QString>("O'NEIL TRADERS"));
        QCOMPARE(t.count("SELECT count(*) FROM cmpmaster WHERE selectt <> 0"), 1);

        QVERIFY(!companies.add("acme", "Two").ok());
        QVERIFY(!companies.add("   ", "Three").ok());
        QVERIFY(companies.update(acme, "ACME", "New address"));
        QCOMPARE(companies.address("ACME").value(), QStringLiteral("New address"));

        const QStringList tables = {"payroll", "loan", "adv", "arr", "incre", "decre"};
        for (const QString& table : tables)
            for (const char* company : {"ACME", "BETA"})
                QVERIFY(SqlQuery(t.db(), QStringLiteral("INSERT INTO %1 (ID, company) VALUES (1, ?)").arg(table))
                            .bind(QString::fromLatin1(company))
                            .exec());
        QVERIFY(companies.update(acme, "ACME & SONS", "Rajkot"));
        for (const QString& table : tables) {
            QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM %1 WHERE company = 'ACME & SONS'").arg(table)), 1);
            QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM %1 WHERE company = 'BETA'").arg(table)), 1);
        }
        QVERIFY(!companies.update(acme, "O'NEIL TRADERS", {})); // the name is taken
        QCOMPARE(t.count("SELECT count(*) FROM payroll WHERE company = 'ACME & SONS'"), 1);
    }

    void masterNamesAreCapitalUniqueAndNotEmpty_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("department") << int(MasterRepository::Kind::Department);
        QTest::newRow("group") << int(MasterRepository::Kind::Group);
    }
    void masterNamesAreCapitalUniqueAndNotEmpty()
    {
        QFETCH(int, kind);
        TestDatabase t;
        MasterRepository master(t.db(), MasterRepository::Kind(kind));
        const auto added = master.add("  accounts ");
        QVERIFY2(added.ok(), qPrintable(added.error()));
        QCOMPARE(master.names(), QStringList{"ACCOUNTS"});
        QVERIFY(!master.add("Accounts").ok());
        QVERIFY(!master.add("").ok());
        QVERIFY(master.add("stores").ok());
        QVERIFY(!master.rename(added.value(), "STORES"));
        QVERIFY(master.rename(added.value(), "finance"));
        QCOMPARE(master.names(), (QStringList{"FINANCE", "STORES"}));
        // Deleting a name leaves the employees recorded under it alone.
        QVERIFY(SqlQuery(t.db(), "INSERT INTO emp (emname, dept, grp) VALUES ('R. PATEL', 'FINANCE', 'FINANCE')")
                    .exec());
        QVERIFY(master.remove(added.value()));
        QCOMPARE(master.names(), QStringList{"STORES"});
        QCOMPARE(t.count("SELECT count(*) FROM emp WHERE dept = 'FINANCE' AND grp = 'FINANCE'"), 1);
        // A row removed meanwhile is reported, not silently "deleted" or "renamed" again.
        QVERIFY(!master.remove(added.value()));
        QVERIFY(!master.rename(added.value(), "AGAIN"));
        QVERIFY(!CompanyRepository(t.db()).remove("NO SUCH COMPANY"));
    }

    // A number given once is never given again, whether the database gave it or it came with the
    // employee (as imported employees do); nor is a number any ledger refers to, of an employee deleted
    // or not imported: the new employee would take on that ledger's loans, advances and payroll.
    void employeeNumbersAreNeverGivenTwice()
    {
        TestDatabase t;
        EmployeeRepository employees(t.db());
        QCOMPARE(employees.nextId().value(), 1);
        Employee e;
        e.name = QStringLiteral("FIRST");
        QCOMPARE(employees.insert(e).value(), 1);
        e.id = 50;
        e.name = QStringLiteral("BROUGHT WITH ITS NUMBER");
        QCOMPARE(employees.insert(e).value(), 50);
        QCOMPARE(employees.nextId().value(), 51);
        e.id = 0;
        e.name = QStringLiteral("NEXT");
        QCOMPARE(employees.insert(e).value(), 51);
        QVERIFY(employees.remove(51));
        QCOMPARE(employees.nextId().value(), 52);
        e.id = 50;
        QVERIFY(!employees.insert(e)); // taken
        QCOMPARE(t.count("SELECT count(*) FROM emp"), 2);
        // Each ledger in turn refers to a number above all before.
        qint64 gone = 60;
        const QString refer = QStringLiteral("INSERT INTO %1 (ID, emname) VALUES (?, 'GONE')");
        for (const char* ledger : {"payroll", "loan", "adv", "incre", "decre", "arr"}) {
            gone += 10;
            QVERIFY(SqlQuery(t.db(), refer.arg(QString::fromLatin1(ledger))).bind(gone).exec());
            QCOMPARE(employees.nextId().value(), gone + 1);
        }
        e.id = 0;
        QCOMPARE(employees.insert(e).value(), gone + 1);
    }

    // Employee 16 was lent 6,000 and has repaid it; a new loan of 5,000 has 1,000 of it recovered. No
    // change may bring what was lent below the 7,000 recovered, or the balance would go negative and the
    // new loan would never be deducted.
    void aLoanIsNeverBelowWhatWasRecovered_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<bool>("allowed");
        QTest::addColumn<qint64>("lentAfter"); // in rupees
        // clang-format off
        QTest::newRow("lowered below what was recovered") << "amount" << "900" << false << qint64(11000);
        QTest::newRow("lowered to what was recovered") << "amount" << "1000" << true << qint64(7000);
        QTest::newRow("raised") << "amount" << "8000" << true << qint64(14000);
        QTest::newRow("deleted") << "delete" << "" << false << qint64(11000);
        QTest::newRow("deduction above the amount") << "deduction" << "5001" << false << qint64(11000);
        QTest::newRow("deduction changed") << "deduction" << "250" << true << qint64(11000);
        QTest::newRow("all of the company deleted") << "delete all" << "ACME" << false << qint64(11000);
        QTest::newRow("all of another company deleted") << "delete all" << "OTHER" << true << qint64(11000);
        // clang-format on
    }
    void aLoanIsNeverBelowWhatWasRecovered()
    {
        QFETCH(QString, change);
        QFETCH(QString, amount);
        QFETCH(bool, allowed);
        QFETCH(qint64, lentAfter);
        TestDatabase t;
        ensureKnown(t.db(), {"ACME"}, {{16, "RAVI"}});
        LoanRepository loans(t.db());
        const QDate second(2026, 6, 10);
        QVERIFY(loans.insert({16, "RAVI", c("6000"), c("500"), {2025, 1, 10}, {10, 0}, "", "ACME"}));
        QVERIFY(loans.insert({16, "RAVI", c("5000"), c("500"), second, {10, 0}, "", "ACME"}));
        QVERIFY(SqlQuery(t.db(), "INSERT INTO payroll (ID, ddate, loanrec, company) VALUES (16, '2026-07-31', "
                                 "70000000, 'ACME')").exec());
        const Currency value = Currency::parse(amount).value_or(Currency());
        const Result<qint64> changed = change == "amount"       ? loans.setAmount("ACME", 16, second, value)
                                       : change == "deduction"  ? loans.setMonthlyDeduction("ACME", 16, second, value)
                                       : change == "delete all" ? loans.removeAll(amount)
                                                                : loans.remove("ACME", 16, second);
        QCOMPARE(changed.ok(), allowed);
        if (!allowed && change != "deduction")
            QVERIFY2(changed.error().contains("7000") && changed.error().contains("Nothing was"),
                     qPrintable(changed.error()));
        QCOMPARE(loans.totalLent(16).value(), Currency::fromUnits(lentAfter * 10000));
    }

    // The count of the month's transactions and the new one are one step: a save never adds to more
    // transactions than the operator was asked about. An update never overwrites another workstation's
    // edit unasked.
    void payrollWritesOnlyWhatTheOperatorWasAskedAbout()
    {
        TestDatabase t;
        ensureKnown(t.db(), {"ACME", "OTHER"}, {{3, "ANNA"}});
        PayrollRepository payroll(t.db());
        PayrollTransaction p;
        p.employeeId = 3;
        p.name = "ANNA";
        p.payDate = QDate(2026, 11, 30);
        p.daysPresent = Currency::fromUnits(300000);
        p.company = "ACME";
        QCOMPARE(payroll.save(p, 0).value().outcome, PayrollWrite::Outcome::Written);
        QCOMPARE(payroll.save(p, 1).value().outcome, PayrollWrite::Outcome::Written);
        QCOMPARE(payroll.save(p, 1).value().existing, 2);
        // Other companies and months do not count.
        p.company = "OTHER";
        QCOMPARE(payroll.save(p, 0).value().outcome, PayrollWrite::Outcome::Written);
        QCOMPARE(t.count("SELECT count(*) FROM payroll"), 3);

        p.transId = payroll.insert(p).value();
        const PayrollTransaction loaded = payroll.find(p.transId).value().value();
        // Another workstation changes the bonus.
        PayrollTransaction theirs = loaded;
        theirs.bonus = Currency::fromUnits(5000000);
        QCOMPARE(payroll.update(p.transId, theirs, loaded).value().outcome, PayrollWrite::Outcome::Written);
        // This one, loaded before, is told and shown the row as it is now.
        PayrollTransaction mine = loaded;
        mine.overtime = Currency::fromUnits(1000000);
        const auto refused = payroll.update(p.transId, mine, loaded).value();
        QCOMPARE(refused.outcome, PayrollWrite::Outcome::ChangedMeanwhile);
        QCOMPARE(refused.stored.bonus, Currency::fromUnits(5000000));
        QCOMPARE(payroll.find(p.transId).value()->overtime, Currency());
        // Agreed on the row as it is now, the update goes through.
        QCOMPARE(payroll.update(p.transId, mine, refused.stored).value().outcome, PayrollWrite::Outcome::Written);
        QCOMPARE(payroll.find(p.transId).value()->overtime, Currency::fromUnits(1000000));
    }

    // A stored empty password (an old file, an import from before the rules) never opens the program; the
    // last user who can manage users can be neither deleted nor demoted.
    void noEmptyPasswordAndTheLastManagerStays()
    {
        TestDatabase t;
        UserRepository users(t.db());
        const qint64 admin = users.add("ADMIN", "a", "Admin").value();
        const qint64 clerk = users.add("CLERK", "c", "user").value();
        const Status refused = users.remove(admin, clerk);
        QVERIFY2(!refused && refused.error().contains("last user who can manage"), qPrintable(refused.error()));
        QVERIFY(!users.update(admin, "ADMIN", QString(), "user"));
        const qint64 second = users.add("SECOND", "s", "Admin").value();
        QVERIFY(users.remove(admin, second));
        QVERIFY(users.authenticate("CLERK", "c"));
        QVERIFY(SqlQuery(t.db(), "INSERT INTO \"use\" (usernm, pass, priv) VALUES ('ghost', '', 'Admin')").exec());
        QVERIFY(!users.authenticate("ghost", ""));
        QVERIFY(!users.authenticate("ghost", "x"));
        QCOMPARE(t.count("SELECT count(*) FROM \"use\""), 3);
    }

    // A revision worked out on a basic rate that another workstation has changed since stores nothing.
    void aRevisionOnAStaleRateIsRefused()
    {
        TestDatabase t;
        Employee e;
        e.name = QStringLiteral("R. PATEL");
        e.basicRate = c("1000");
        const qint64 id = EmployeeRepository(t.db()).insert(e).value();
        RevisionRepository revisions(t.db());
        const Revision raise{id, e.name, c("100"), {2026, 3, 1}, {10, 0}, {2026, 1, 1}, {2026, 2, 28}, "ACME"};
        const ArrearsRow owed{id, e.name, raise.amount, "January2026", c("31"), c("100"), "ACME", {2026, 1, 31}};
        const Status stale = revisions.saveIncrement(raise, {owed}, c("900"), c("1000"));
        QVERIFY2(!stale && stale.error().contains("changed meanwhile"), qPrintable(stale.error()));
        QCOMPARE(t.count("SELECT count(*) FROM incre"), 0);
        QCOMPARE(t.count("SELECT count(*) FROM arr"), 0);
        // A new rate other than the old one changed by the amount would record one change and pay another.
        const Status disagreeing = revisions.saveIncrement(raise, {owed}, c("1000"), c("1200"));
        QVERIFY2(disagreeing.error().contains("is not the rate 1000 changed by 100"), qPrintable(disagreeing.error()));
        QVERIFY(revisions.saveIncrement(raise, {owed}, c("1000"), c("1100")));
        QCOMPARE(t.count("SELECT basicrate FROM emp"), 11000000);
        QCOMPARE(t.count("SELECT count(*) FROM arr"), 1);
        QVERIFY(!revisions.saveDecrement(raise, c("1000"), c("900")));
        QCOMPARE(t.count("SELECT count(*) FROM decre"), 0);
    }

    // The loans and advances of one company paid over a range; deleting all of a company's leaves the others'.
    void ledgersOfACompanyOverARange()
    {
        TestDatabase t;
        ensureKnown(t.db(), {"ACME", "OTHER"}, {{1, "R"}});
        LoanRepository loans(t.db());
        AdvanceRepository advances(t.db());
        const Currency amount = Currency::fromUnits(5000000);
        for (const auto& [company, date, department] :
             {std::tuple("ACME", QDate(2025, 12, 31), "STORES"), std::tuple("ACME", QDate(2026, 1, 1), "SALES"),
              std::tuple("ACME", QDate(2026, 2, 1), "STORES"), std::tuple("OTHER", QDate(2026, 1, 15), "STORES")}) {
            QVERIFY(loans.insert({1, "R", amount, amount, date, {9, 0}, department, company}));
            QVERIFY(advances.insert({1, "R", amount, date, {9, 0}, company}));
        }
        QCOMPARE(loans.paid("ACME", {2025, 12, 31}, {2026, 1, 31})->size(), 2);
        QCOMPARE(loans.paid("ACME", {2025, 12, 1}, {2026, 2, 28}, QStringLiteral("STORES"))->size(), 2);
        QCOMPARE(advances.paid("ACME", {2026, 1, 1}, {2026, 1, 31})->size(), 1);
        QCOMPARE(advances.paid("OTHER", {2026, 1, 1}, {2026, 1, 31})->size(), 1);
        QCOMPARE(loans.removeAll("ACME").value(), 3);
        QCOMPARE(advances.removeAll("ACME").value(), 3);
        QCOMPARE(t.count("SELECT count(*) FROM loan"), 1);
        QCOMPARE(t.count("SELECT count(*) FROM adv"), 1);
        // A selection of more payroll rows than are read at once comes back by employee, date and
        // number, each row whole (its net pay is its number here).
        if (TestDatabase::onServer())
            return;
        QVERIFY(SqlQuery(t.db(), "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 9000) "
                                 "INSERT INTO payroll (transid, ID, emname, ddate, company, netpay) SELECT i, "
                                 "(i * 7919) % 101 + 1, 'E', printf('2026-%02d-28', (i * 31) % 12 + 1), 'ACME', i "
                                 "FROM n")
                    .exec());
        const auto rows =
            PayrollRepository(t.db()).select(PayrollSelection::range("ACME", {2026, 1, 1}, {2026, 12, 31}));
        QVERIFY(rows);
        QCOMPARE(rows->size(), 9000);
        QSet<qint64> numbers;
        for (qsizetype i = 0; i < rows->size(); ++i) {
            const PayrollTransaction& r = rows->at(i);
            QCOMPARE(r.netPay.units(), r.transId);
            numbers.insert(r.transId);
            if (i > 0) {
                const PayrollTransaction& before = rows->at(i - 1);
                QVERIFY(std::tuple(before.employeeId, before.payDate, before.transId) <
                        std::tuple(r.employeeId, r.payDate, r.transId));
            }
        }
        QCOMPARE(numbers.size(), 9000);
    }

    // The rules in force on the pay date decide the figures, whatever the caller worked out; a rate
    // changed later never changes a month stored, and a month closed keeps its rules.
    void payrollIsStoredUnderTheRulesOfItsMonth()
    {
        TestDatabase t;
        const QString company = "ACME";
        ensureKnown(t.db(), {company});
        Employee e;
        e.name = "ANNA";
        e.basicRate = Currency::fromUnits(15000'0000);
        e.id = EmployeeRepository(t.db()).insert(e).value();
        StatutoryRepository rules(t.db());
        statutory::Rules april;
        april.company = company;
        april.from = QDate(2026, 4, 1);
        april.pfOn = april.esiOn = april.ptOn = true;
        QVERIFY(rules.save(april));
        PayrollRepository payroll(t.db());
        // What the window would send for a 30-day month paid in full, without any deduction.
        const auto month = [&](QDate payDate) {
            PayrollTransaction p;
            p.employeeId = e.id;
            p.name = e.name;
            p.monthRate = e.basicRate;
            p.payDate = payDate;
            p.daysPresent = Currency::fromUnits(qint64(payDate.daysInMonth()) * 10000);
            p.presentDaysSalary = p.netPay = e.basicRate;
            p.company = company;
            return payroll.find(payroll.insert(p).value()).value().value();
        };
        const auto shares = [](const PayrollTransaction& p) {
            return QStringList{p.statutory.pfEmployee.toString(), p.statutory.esiEmployee.toString(),
                               p.statutory.professionalTax.toString(), p.totalDeductions.toString(),
                               p.netPay.toString()}
                .join(u' ');
        };
        // 12 % of 15,000; 0.75 % of it, 112.50 up; the slab from 12,000. 15,000 less 2,113.
        const PayrollTransaction september = month(QDate(2026, 9, 30));
        QCOMPARE(shares(september), QStringLiteral("1800 113 200 2113 12887"));
        QCOMPARE(september.statutory.pension, Currency::fromUnits(1250'0000));

        // From October the fund takes 10 %; September stays as it was paid.
        statutory::Rules october = april;
        october.from = QDate(2026, 10, 1);
        october.pfRate = Currency::fromUnits(10'0000);
        QVERIFY(rules.save(october));
        QCOMPARE(shares(month(QDate(2026, 10, 31))), QStringLiteral("1500 113 200 1813 13187"));
        QCOMPARE(shares(payroll.find(september.transId).value().value()), QStringLiteral("1800 113 200 2113 12887"));

        // October closed: its rules, and any from before it, can no longer change.
        QVERIFY(MonthCloseRepository(t.db()).close(company, QDate(2026, 10, 1)));
        for (QDate from : {QDate(2026, 10, 1), QDate(2026, 6, 1)}) {
            statutory::Rules late = october;
            late.from = from;
            late.pfRate = Currency::fromUnits(11'0000);
            const Status refused = rules.save(late);
            QVERIFY2(!refused && refused.error().contains("October 2026 closed"), qPrintable(refused.error()));
            QVERIFY(!rules.remove(company, from));
        }
        QCOMPARE(rules.book(company).value().on(QDate(2026, 10, 31)).pfRate, Currency::fromUnits(10'0000));

        // Exempt from the fund from November on; a month of the other company is not theirs to deduct.
        e.exemptions.pfFrom = QDate(2026, 11, 1);
        QVERIFY(EmployeeRepository(t.db()).update(e));
        QCOMPARE(shares(month(QDate(2026, 11, 30))), QStringLiteral("0 113 200 313 14687"));

        // A row stored before the figures existed keeps the totals it was stored with.
        QVERIFY(SqlQuery(t.db(), "INSERT INTO payroll (ID, ddate, earn, td, netpay, company) VALUES "
                                 "(1, '2025-01-31', 150000000, 1000000, 149000000, 'OLD')")
                    .exec());
        const auto old = payroll.month("OLD", QDate(2025, 1, 1)).value();
        QCOMPARE(old.size(), 1);
        QCOMPARE(shares(old.first()), QStringLiteral("0 0 0 100 14900"));
    }

    // The law caps, limits and slabs the employee's month: each transaction owes what the month
    // comes to beyond its earlier transactions, and writing one works the later ones out again.
    // 15,000 a month for November's 30 days, under the fund, the insurance and the tax.
    void aMonthOfSeveralTransactionsOwesTheMonth_data()
    {
        QTest::addColumn<QStringList>("steps"); // "add DAYS", "edit N DAYS", "resave N", "delete N" (N: the Nth added)
        QTest::addColumn<QString>("stored");    // each row left: fund, pension, employer's fund, insurance, tax, net pay
        QTest::addColumn<int>("divisor");       // 0: the days of the month
        // clang-format off
        QTest::newRow("one transaction") << QStringList{"add 30"} << "1800 1250 550 113 200 12887" << 0;
        // 30,000 in the month: the fund's ceiling and the tax's slab once; no insurance, which
        // the first took back as the second made the month's wages more than it covers.
        QTest::newRow("a second transaction") << QStringList{"add 30", "add 30"}
            << "1800 1250 550 113 200 12887; 0 0 0 -113 0 15113" << 0;
        // Saved again as the window sends it, with the figures it shows: a hand-back is no refusal.
        QTest::newRow("the second saved again") << QStringList{"add 30", "add 30", "resave 2"}
            << "1800 1250 550 113 200 12887; 0 0 0 -113 0 15113" << 0;
        // 20,000 in the month: the ceiling reached on the second, the insurance on all of it.
        QTest::newRow("the first changed") << QStringList{"add 30", "add 30", "edit 1 10"}
            << "600 417 183 38 0 4362; 1200 833 367 112 200 13488" << 0;
        QTest::newRow("the first deleted") << QStringList{"add 30", "add 30", "delete 1"}
            << "1800 1250 550 113 200 12887" << 0;
        // 15,000 over three: the slab reached on the third.
        QTest::newRow("a third reaching the slab") << QStringList{"add 10", "add 10", "add 10"}
            << "600 417 183 38 0 4362; 600 416 184 37 0 4363; 600 417 183 38 200 4162" << 0;
        // Under a 26-day divisor the month's 30 days earn the rate once, however they are split: the
        // first half 15,000 less 15 days at 576.92, the second the rest.
        QTest::newRow("two halves under a fixed divisor") << QStringList{"add 15", "add 15"}
            << "762 529 233 48 0 5536; 1038 721 317 65 200 7351" << 26;
        // clang-format on
    }
    void aMonthOfSeveralTransactionsOwesTheMonth()
    {
        QFETCH(QStringList, steps);
        TestDatabase t;
        const QString company = "O'NEIL ENGINEERING WORKS";
        ensureKnown(t.db(), {company});
        Employee e;
        e.name = "ANNA";
        e.basicRate = Currency::fromUnits(15000'0000);
        e.id = EmployeeRepository(t.db()).insert(e).value();
        statutory::Rules rules;
        rules.company = company;
        rules.from = QDate(2026, 4, 1);
        rules.pfOn = rules.esiOn = rules.ptOn = true;
        QFETCH(int, divisor);
        rules.divisor = *statutory::divisorFromStored(divisor);
        QVERIFY(StatutoryRepository(t.db()).save(rules));
        PayrollRepository payroll(t.db());
        QList<qint64> added;
        const auto transaction = [&](const QString& days) {
            PayrollTransaction p;
            p.employeeId = e.id;
            p.name = e.name;
            p.monthRate = e.basicRate;
            p.payDate = QDate(2026, 11, 30);
            p.daysPresent = *Currency::parse(days);
            p.company = company;
            return p;
        };
        for (const QString& step : steps) {
            const QStringList words = step.split(u' ');
            if (words.at(0) == "add") {
                added << payroll.insert(transaction(words.at(1))).value();
            } else if (words.at(0) == "resave") {
                const qint64 number = added.at(words.at(1).toInt() - 1);
                const PayrollTransaction loaded = payroll.find(number).value().value();
                const auto written = payroll.update(number, loaded, loaded);
                QVERIFY2(written, qPrintable(written.status().error()));
            } else if (words.at(0) == "edit") {
                const qint64 number = added.at(words.at(1).toInt() - 1);
                const PayrollTransaction loaded = payroll.find(number).value().value();
                QVERIFY(payroll.update(number, transaction(words.at(2)), loaded));
            } else {
                QCOMPARE(payroll.removeNumber(company, added.at(words.at(1).toInt() - 1)).value(), 1);
            }
        }
        QStringList stored;
        for (const PayrollTransaction& p : payroll.month(company, QDate(2026, 11, 1)).value()) {
            const statutory::Figures& f = p.statutory;
            stored << QStringList{f.pfEmployee.toString(), f.pension.toString(), f.pfEmployer.toString(),
                                  f.esiEmployee.toString(), f.professionalTax.toString(), p.netPay.toString()}
                          .join(u' ');
        }
        QTEST(stored.join(QStringLiteral("; ")), "stored");
    }
};

QTEST_GUILESS_MAIN(TestRepositories)
#include "test_repositories.moc"
