#include "data/employee_repository.h"
#include "data/payroll_repository.h"
#include "reports/company_heading.h"
#include "reports/employee_reports.h"
#include "reports/payroll_reports.h"
#include "reports/report_files.h"
#include "reports/report_pages.h"
#include "reports/revision_reports.h"
#include "support/report_test_data.h"
#include "support/test_database.h"

#include <QFile>
#include <QLocale>
#include <QTest>

using namespace report;

namespace {

// Compares with the committed reference file; KESTREL_UPDATE_REFERENCES=1 rewrites it instead, to
// be reviewed in the diff.
void compareWithReference(const QByteArray& actual, const QString& name)
{
    const QString path = QStringLiteral(KESTREL_REFERENCE_DIR "/") + name;
    QFile file(path);
    if (qEnvironmentVariableIntValue("KESTREL_UPDATE_REFERENCES") == 1) {
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(actual);
        return;
    }
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
    const QByteArray expected = file.readAll();
    if (actual != expected)
        qWarning().noquote() << "rendered:\n" << actual;
    QCOMPARE(actual, expected);
}

} // namespace

class TestReportDefinitions : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        fillReportData(m_database.db());
    }

    void payslips()
    {
        const auto rows = PayrollRepository(m_database.db()).month(QStringLiteral("ACME"), reportMonth());
        QVERIFY(rows);
        QCOMPARE(rows->size(), 4);
        const Document d = report::payslips(companyHeading(m_database.db(), QStringLiteral("ACME")), *rows);
        compareWithReference(csv(d), QStringLiteral("drtSel.csv"));
        compareWithReference(textDump(d).toUtf8(), QStringLiteral("drtSel.txt"));
    }

    void employeeInformation()
    {
        const auto rows = EmployeeRepository(m_database.db()).all();
        QVERIFY(rows);
        const Document d =
            report::employeeInformation(companyHeading(m_database.db(), QStringLiteral("OTHER CO")), *rows);
        compareWithReference(csv(d), QStringLiteral("drtSel_emp_info.csv"));
        compareWithReference(textDump(d).toUtf8(), QStringLiteral("drtSel_emp_info.txt"));
    }

    // The company's arrears of the period; the totals are those of the lines.
    void arrears()
    {
        const auto rows = RevisionRepository(m_database.db()).arrears("ACME", 1, {2026, 1, 1}, {2026, 3, 31});
        QVERIFY(rows);
        const Document d = report::arrears(companyHeading(m_database.db(), "ACME"), "RAMESH PATEL", *rows);
        compareWithReference(csv(d), QStringLiteral("DataReport9.csv"));
        compareWithReference(textDump(d).toUtf8(), QStringLiteral("DataReport9.txt"));
        const QList<Value> sums = d.sums();
        QCOMPARE(std::get<Currency>(sums.at(2)), Currency::fromUnits(6200000)); // 310 twice
        QCOMPARE(std::get<Currency>(sums.at(4)), Currency::fromUnits(565000));  // 31 + 25.5 days
        QCOMPARE(std::get<Currency>(sums.at(5)), Currency::fromUnits(5920000)); // 310 + 282
    }

    void emptyMonthHasNoPayslips()
    {
        const Document d = report::payslips(companyHeading(m_database.db(), QStringLiteral("ACME")), {});
        QCOMPARE(textDump(d), QStringLiteral("== drtSel page 1 ==\nPage 1 of 1\n"));
        QCOMPARE(QString::fromUtf8(csv(d)).count(QStringLiteral("\r\n")), 1);
    }

private:
    TestDatabase m_database;
};

QTEST_MAIN(TestReportDefinitions)
#include "test_report_definitions.moc"
