#include "support/report_test_data.h"
#include "support/amounts.h"

#include "data/advance_repository.h"
#include "data/company_repository.h"
#include "data/employee_repository.h"
#include "data/loan_repository.h"
#include "data/master_repository.h"
#include "data/payroll_repository.h"
#include "data/revision_repository.h"
#include "data/sql_query.h"

#include <QTest>

namespace {

Employee employee(const char* name, const char* address, const char* department, const char* group, const char* rate,
                  QDate employed)
{
    Employee e;
    e.name = QString::fromUtf8(name);
    e.gender = QStringLiteral("Male");
    e.civilStatus = QStringLiteral("Married");
    e.address = QString::fromUtf8(address);
    e.department = QString::fromLatin1(department);
    e.position = QStringLiteral("CLERK");
    e.employmentStatus = QStringLiteral("Regular");
    e.group = QString::fromLatin1(group);
    e.basicRate = c(rate);
    e.dateEmployed = employed;
    return e;
}

struct Pay {
    qint64 id;
    const char* name;
    QDate date;
    const char* days;
    const char* earn;
    const char* net;
    const char* company;
    const char* loanRecovered = "0";
};

PayrollTransaction transaction(const Pay& p)
{
    PayrollTransaction t;
    t.employeeId = p.id;
    t.name = QString::fromUtf8(p.name);
    t.monthRate = p.id == 1 ? c("12500") : p.id == 2 ? c("9851") : c("20000");
    t.payDate = p.date;
    t.daysPresent = c(p.days);
    t.presentDaysSalary = c(p.earn);
    t.netPay = c(p.net);
    t.company = QString::fromLatin1(p.company);
    t.loanRecovered = c(p.loanRecovered);
    t.department = p.id == 2 ? QStringLiteral("WORKSHOP") : QStringLiteral("ACCOUNTS");
    t.group = p.id == 2 ? QStringLiteral("WORKERS") : QStringLiteral("STAFF");
    if (p.id == 1 && p.days == QByteArrayView("25.5")) {
        t.bonus = c("500");
        t.overtime = c("250.75");
        t.travel = c("1350.25");
        t.totalAdditional = c("2101");
        t.advances = c("300");
        t.loanRecovered = c("1000");
        t.totalLoan = c("1000");
        t.lic = c("750");
        t.contribution = c("200");
        t.pgvcl = c("150");
        t.totalDeductions = c("2400");
    }
    return t;
}

// clang-format off
const Pay payroll[] = {
    {1, "RAMESH PATEL",  {2026, 3, 31}, "25.5", "10282", "9983",  "ACME"},
    {2, "KEVIN O'BRIEN", {2026, 3, 31}, "31",   "9851",  "9851",  "ACME"},
    {1, "RAMESH PATEL",  {2026, 3, 31}, "1",    "403",   "403",   "ACME"},
    {3, "SMITH, ANNA",   {2026, 3, 1},  "30",   "19355", "19355", "ACME"},
    {2, "KEVIN O'BRIEN", {2026, 4, 1},  "30",   "9851",  "9851",  "ACME"},
    {2, "KEVIN O'BRIEN", {2026, 2, 28}, "28",   "9851",  "9851",  "ACME"},
    {1, "RAMESH PATEL",  {2026, 3, 15}, "20",   "8065",  "7665",  "OTHER CO", "400"},
    // Around the turn of the year, for ranges that cross it.
    {1, "RAMESH PATEL",  {2025, 12, 31}, "26",  "10484", "9984",  "ACME", "500"},
    {3, "SMITH, ANNA",   {2025, 12, 31}, "31",  "20000", "20000", "ACME"},
    {1, "RAMESH PATEL",  {2026, 1, 31},  "31",  "12500", "11750", "ACME", "750"},
    {2, "KEVIN O'BRIEN", {2026, 1, 31},  "31",  "9851",  "9851",  "ACME"},
};
// clang-format on

} // namespace

void fillReportData(Database& db)
{
    CompanyRepository companies(db);
    QVERIFY(companies.add(QStringLiteral("ACME"), QStringLiteral("1 MILL ROAD, HILLTOWN")));
    QVERIFY(companies.add(QStringLiteral("OTHER CO"), QString()));
    for (const char* department : {"ACCOUNTS", "WORKSHOP", "SALES"})
        QVERIFY(MasterRepository(db, MasterRepository::Kind::Department).add(QString::fromLatin1(department)));
    for (const char* group : {"STAFF", "WORKERS"})
        QVERIFY(MasterRepository(db, MasterRepository::Kind::Group).add(QString::fromLatin1(group)));
    EmployeeRepository employees(db);
    QVERIFY(employees.insert(employee("RAMESH PATEL", "12, GANDHI NAGAR", "ACCOUNTS", "STAFF", "12500", {2019, 4, 1})));
    QVERIFY(
        employees.insert(employee("KEVIN O'BRIEN", "\"ROSE VILLA\"", "WORKSHOP", "WORKERS", "9850.5", {2021, 11, 15})));
    QVERIFY(employees.insert(employee("SMITH, ANNA", "", "SALES", "STAFF", "20000", {2024, 1, 10})));
    for (const Loan& loan : {Loan{1, "RAMESH PATEL", c("5000"), c("500"), {2025, 12, 20}, {9, 30}, "ACCOUNTS", "ACME"},
                             {2, "KEVIN O'BRIEN", c("3000"), c("300"), {2026, 1, 5}, {9, 30}, "WORKSHOP", "ACME"},
                             {3, "SMITH, ANNA", c("2000.5"), c("250"), {2026, 3, 10}, {9, 30}, "ACCOUNTS", "ACME"},
                             {1, "RAMESH PATEL", c("9999"), c("999"), {2026, 1, 10}, {9, 30}, "ACCOUNTS", "OTHER CO"}})
        QVERIFY(LoanRepository(db).insert(loan));
    // The payroll recovers what was lent, so it is stored after the loans.
    PayrollRepository repository(db);
    for (const Pay& p : payroll)
        QVERIFY(repository.insert(transaction(p)));
    for (const Advance& advance : {Advance{1, "RAMESH PATEL", c("300"), {2026, 3, 5}, {11, 15}, "ACME"},
                                   {2, "KEVIN O'BRIEN", c("450.5"), {2026, 3, 31}, {11, 15}, "ACME"},
                                   {3, "SMITH, ANNA", c("1000"), {2025, 12, 24}, {11, 15}, "ACME"},
                                   {2, "KEVIN O'BRIEN", c("777"), {2026, 3, 5}, {11, 15}, "OTHER CO"}})
        QVERIFY(AdvanceRepository(db).insert(advance));
    // An increment of 310 for employee 1 with its arrears; the basic rate is then set back to the
    // one the other reports show.
    RevisionRepository revisions(db);
    const auto arrears = [](const char* company, const char* month, QDate date, const char* days, const char* paid) {
        return ArrearsRow{1,       QStringLiteral("RAMESH PATEL"), c("310"), QString::fromLatin1(month), c(days),
                          c(paid), QString::fromLatin1(company),   date};
    };
    const Revision increment{1, QStringLiteral("RAMESH PATEL"), c("310"), {2026, 4, 2}, {10, 0}, {2026, 1, 1},
                             {2026, 3, 31}, QStringLiteral("ACME")};
    QVERIFY(revisions.saveIncrement(increment,
                                    {arrears("ACME", "January2026", {2026, 1, 31}, "31", "310"),
                                     arrears("ACME", "February2026", {2026, 2, 28}, "25.5", "282"),
                                     arrears("OTHER CO", "February2026", {2026, 2, 28}, "28", "310"),
                                     arrears("ACME", "April2026", {2026, 4, 30}, "30", "310"),
                                     // March was closed: its arrears are paid with the increment.
                                     arrears("ACME", "March2026", {2026, 4, 2}, "30", "300")},
                                    c("12500"), c("12810")));
    QVERIFY(SqlQuery(db, QStringLiteral("UPDATE emp SET basicrate = 125000000 WHERE ID = 1")).exec());
}

Currency reportMonthNetPay()
{
    return c("9983").plus(c("9851"))->plus(c("403"))->plus(c("19355")).value();
}
