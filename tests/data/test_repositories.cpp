#include "data/advance_repository.h"
#include "data/company_repository.h"
#include "data/employee_repository.h"
#include "data/loan_repository.h"
#include "data/master_repository.h"
#include "data/revision_repository.h"
#include "data/sql_query.h"
#include "data/user_repository.h"
#include "support/test_database.h"

#include <QTest>

class TestRepositories : public QObject {
    Q_OBJECT
private slots:
    void selectingFlagsExactlyOneCompany();
    void unknownCompanyIsNotSelected();
    void companyNamesAreUniqueAndNotEmpty();
    void renamedCompanyKeepsItsRows();
    void masterNamesAreCapitalUniqueAndNotEmpty_data();
    void masterNamesAreCapitalUniqueAndNotEmpty();
    void deletingDepartmentLeavesEmployeesAlone();
    void employeeNumbersAreNeverGivenTwice();
    void aRevisionOnAStaleRateIsRefused();
    void theLastManagerStays();
    void ledgersOfACompanyOverARange();
};

void TestRepositories::selectingFlagsExactlyOneCompany()
{
    TestDatabase t;
    CompanyRepository companies(t.db());
    QVERIFY(companies.add("ACME TEXTILES", "Rajkot").ok());
    QVERIFY(companies.add("O'NEIL TRADERS", "Surat").ok());
    QVERIFY(!companies.selected());

    QVERIFY(companies.select("ACME TEXTILES"));
    QVERIFY(companies.select("O'NEIL TRADERS"));
    QCOMPARE(companies.selected(), std::optional<QString>("O'NEIL TRADERS"));
    QCOMPARE(t.count("SELECT count(*) FROM cmpmaster WHERE selectt <> 0"), 1);
    QCOMPARE(companies.address("O'NEIL TRADERS"), QStringLiteral("Surat"));

    QVERIFY(companies.clearSelection());
    QVERIFY(!companies.selected());
}

void TestRepositories::unknownCompanyIsNotSelected()
{
    TestDatabase t;
    CompanyRepository companies(t.db());
    QVERIFY(companies.add("ACME", {}).ok());
    QVERIFY(companies.select("ACME"));
    QVERIFY(!companies.select("NO SUCH"));
    // The failed choice changed nothing.
    QCOMPARE(companies.selected(), std::optional<QString>("ACME"));
}

void TestRepositories::companyNamesAreUniqueAndNotEmpty()
{
    TestDatabase t;
    CompanyRepository companies(t.db());
    const auto first = companies.add("ACME", "One");
    QVERIFY(first.ok());
    QVERIFY(!companies.add("acme", "Two").ok());
    QVERIFY(!companies.add("   ", "Three").ok());
    QVERIFY(companies.update(first.value(), "ACME", "New address"));
    QCOMPARE(companies.address("ACME"), QStringLiteral("New address"));
    const auto second = companies.add("BETA", {});
    QVERIFY(!companies.update(second.value(), "ACME", {}));
    QCOMPARE(companies.list()->size(), 2);
}

void TestRepositories::renamedCompanyKeepsItsRows()
{
    TestDatabase t;
    CompanyRepository companies(t.db());
    const qint64 acme = companies.add("ACME", {}).value();
    QVERIFY(companies.add("BETA", {}).ok());
    const QStringList tables = {"payroll", "loan", "adv", "arr", "incre", "decre"};
    for (const QString& table : tables)
        for (const char* company : {"ACME", "BETA"})
            QVERIFY(SqlQuery(t.db(), QStringLiteral("INSERT INTO %1 (ID, company) VALUES (1, ?)").arg(table))
                        .bind(QString::fromLatin1(company))
                        .exec());
    QVERIFY(!companies.hasData("GAMMA").value());
    QVERIFY(companies.hasData("ACME").value());

    QVERIFY(companies.update(acme, "ACME & SONS", "Rajkot"));
    for (const QString& table : tables) {
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM %1 WHERE company = 'ACME & SONS'").arg(table)), 1);
        QCOMPARE(t.count(QStringLiteral("SELECT count(*) FROM %1 WHERE company = 'BETA'").arg(table)), 1);
    }
    QVERIFY(!companies.hasData("ACME").value());
    // A refused rename (the name is taken) moves no row.
    QVERIFY(!companies.update(acme, "BETA", {}));
    QCOMPARE(t.count("SELECT count(*) FROM payroll WHERE company = 'ACME & SONS'"), 1);
}

void TestRepositories::masterNamesAreCapitalUniqueAndNotEmpty_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("department") << int(MasterRepository::Kind::Department);
    QTest::newRow("group") << int(MasterRepository::Kind::Group);
}

void TestRepositories::masterNamesAreCapitalUniqueAndNotEmpty()
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
    QVERIFY(master.remove(added.value()));
    QCOMPARE(master.names(), QStringList{"STORES"});
    // A row removed meanwhile is reported, not silently "deleted" or "renamed" again.
    QVERIFY(!master.remove(added.value()));
    QVERIFY(!master.rename(added.value(), "AGAIN"));
    QVERIFY(!CompanyRepository(t.db()).remove("NO SUCH COMPANY"));
}

void TestRepositories::deletingDepartmentLeavesEmployeesAlone()
{
    TestDatabase t;
    MasterRepository departments(t.db(), MasterRepository::Kind::Department);
    const auto id = departments.add("STORES");
    SqlQuery employee(t.db(), "INSERT INTO emp (emname, dept) VALUES (?, ?)");
    QVERIFY(employee.bind(QString("R. PATEL")).bind(QString("STORES")).exec());
    QVERIFY(departments.remove(id.value()));
    QCOMPARE(t.count("SELECT count(*) FROM emp WHERE dept = 'STORES'"), 1);
}

// A number given once is never given again, whether the database gave it or it came with the
// employee (as imported employees do).
void TestRepositories::employeeNumbersAreNeverGivenTwice()
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
}

// A revision worked out on a basic rate that another workstation has changed since stores nothing.
void TestRepositories::aRevisionOnAStaleRateIsRefused()
{
    TestDatabase t;
    Employee e;
    e.name = QStringLiteral("R. PATEL");
    e.basicRate = Currency::fromUnits(10000000); // 1,000
    const qint64 id = EmployeeRepository(t.db()).insert(e).value();
    RevisionRepository revisions(t.db());
    const Revision raise{id,           e.name,        Currency::fromUnits(1000000), {2026, 3, 1}, {10, 0},
                         {2026, 1, 1}, {2026, 2, 28}, QStringLiteral("ACME")};
    const ArrearsRow owed{id,
                          e.name,
                          raise.amount,
                          QStringLiteral("January2026"),
                          Currency::fromUnits(310000),
                          Currency::fromUnits(1000000),
                          QStringLiteral("ACME"),
                          {2026, 1, 31}};
    const Status stale =
        revisions.saveIncrement(raise, {owed}, Currency::fromUnits(9000000), Currency::fromUnits(10000000));
    QVERIFY(!stale);
    QVERIFY2(stale.error().contains(QStringLiteral("changed meanwhile")), qPrintable(stale.error()));
    QCOMPARE(t.count("SELECT count(*) FROM incre"), 0);
    QCOMPARE(t.count("SELECT count(*) FROM arr"), 0);
    QVERIFY(revisions.saveIncrement(raise, {owed}, Currency::fromUnits(10000000), Currency::fromUnits(11000000)));
    QCOMPARE(t.count("SELECT basicrate FROM emp"), 11000000);
    QCOMPARE(t.count("SELECT count(*) FROM arr"), 1);
    QVERIFY(!revisions.saveDecrement(raise, Currency::fromUnits(10000000), Currency::fromUnits(9000000)));
    QCOMPARE(t.count("SELECT count(*) FROM decre"), 0);
}

void TestRepositories::theLastManagerStays()
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
    QCOMPARE(t.count("SELECT count(*) FROM \"use\""), 2);
}

// The loans and advances of one company paid over a range; deleting all of a company's leaves the others'.
void TestRepositories::ledgersOfACompanyOverARange()
{
    TestDatabase t;
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
}

QTEST_GUILESS_MAIN(TestRepositories)
#include "test_repositories.moc"
