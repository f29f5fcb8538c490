#include "data/company_repository.h"
#include "data/master_repository.h"
#include "data/sql_query.h"
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

QTEST_GUILESS_MAIN(TestRepositories)
#include "test_repositories.moc"
