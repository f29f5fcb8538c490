#include "data/payroll_repository.h"
#include "data/sql_query.h"
#include "reports/report_export.h"
#include "support/report_test_data.h"
#include "support/test_database.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int exitCode = -1;
    QString errors;
};

} // namespace

// The command-line export, run as the operator runs it: the program itself, on the fixed report
// database, without a display.
class TestReportExport : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        fillReportData(m_database.db());
        m_database.db().close();
    }

    void argumentsAreChecked_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        const QString out = QStringLiteral("--output=out.pdf");
        // clang-format off
        QTest::newRow("unknown report") << QStringList{"--report=payslip", "--company=ACME", out} << "There is no report \"payslip\"";
        QTest::newRow("no company") << QStringList{"--report=employees", out} << "Name the company";
        QTest::newRow("audit without a period") << QStringList{"--report=audit", out} << "Give the period";
        QTest::newRow("no output") << QStringList{"--report=employees", "--company=ACME"} << "Name the file to write";
        QTest::newRow("other file type") << QStringList{"--report=employees", "--company=ACME", "--output=out.txt"} << "Name the file to write";
        QTest::newRow("the insurance's file is a CSV") << QStringList{"--report=esi-return", "--company=ACME", "--month=2026-05", "--output=esi.txt"} << "--output FILE.csv";
        QTest::newRow("the return is a text file") << QStringList{"--report=pf-return", "--company=ACME", "--month=2026-05", out} << "--output FILE.txt";
        QTest::newRow("no month") << QStringList{"--report=payslips", "--company=ACME", out} << "Give the month";
        QTest::newRow("month 13") << QStringList{"--report=payslips", "--company=ACME", "--month=2026-13", out} << "Give the month";
        QTest::newRow("a month before Christ") << QStringList{"--report=payslips", "--company=ACME", "--month=-2026-03", out} << "Give the month";
        QTest::newRow("a period before Christ") << QStringList{"--report=loans", "--company=ACME", "--from=-2026-03-01", "--to=2026-03-31", out} << "Give the period";
        QTest::newRow("a period instead") << QStringList{"--report=payslips", "--company=ACME", "--month=2026-03", "--from=2026-03-01", out} << "takes no --from";
        QTest::newRow("month not taken") << QStringList{"--report=employees", "--company=ACME", "--month=2026-03", out} << "takes no --month";
        QTest::newRow("arrears without employee") << QStringList{"--report=arrears", "--company=ACME", "--from=2026-01-01", "--to=2026-03-31", out} << "needs --employee";
        QTest::newRow("arrears, period reversed") << QStringList{"--report=arrears", "--company=ACME", "--from=2026-04-01", "--to=2026-03-31", "--employee=1", out} << "starts after it ends";
        QTest::newRow("filter not taken") << QStringList{"--report=employees", "--company=ACME", "--group=STAFF", out} << "takes no --group";
        QTest::newRow("department payroll without department") << QStringList{"--report=department-payroll", "--company=ACME", "--from=2026-01-01", "--to=2026-01-31", out} << "needs --department";
        QTest::newRow("an empty department") << QStringList{"--report=department-payroll", "--company=ACME", "--from=2026-01-01", "--to=2026-01-31", "--department=", out} << "Give the department's name";
        QTest::newRow("salaries without group or employee") << QStringList{"--report=salary-period", "--company=ACME", "--from=2026-01-01", "--to=2026-03-31", out} << "needs --group, --employee or both";
        // clang-format on
    }
    void argumentsAreChecked()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        QCommandLineParser parser;
        parser.addOptions(report::exportOptions());
        QVERIFY(parser.parse(QStringList{QStringLiteral("kestrel")} + arguments));
        const auto request = report::exportRequest(parser);
        QVERIFY(!request);
        QVERIFY2(request.error().contains(message), qPrintable(request.error()));
    }

    // A bad argument or a failure writes nothing, says why, and ends with a code other than 0.
    void failuresWriteNothing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("output"); // in a new folder
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QString pdf = QStringLiteral("out.pdf");
        // clang-format off
        QTest::newRow("bad month") << QStringList{"--company", "ACME", "--report", "payslips", "--month", "March"} << pdf << 2 << "Give the month";
        QTest::newRow("unknown company") << QStringList{"--company", "ACMEE", "--report", "payslips", "--month", "2026-03"} << pdf << 2 << "There is no company named \"ACMEE\"";
        QTest::newRow("unknown option") << QStringList{"--company", "ACME", "--report", "payslips", "--monht", "2026-03"} << pdf << 2 << "Unknown option 'monht'";
        QTest::newRow("unknown employee") << QStringList{"--company", "ACME", "--report", "arrears", "--from", "2026-01-01", "--to", "2026-03-31", "--employee", "99"} << pdf << 2 << "There is no employee number 99.";
        QTest::newRow("unknown department") << QStringList{"--company", "ACME", "--report", "department-payroll", "--from", "2026-01-01", "--to", "2026-03-31", "--department", "STORES"} << pdf << 2 << "There is no department named \"STORES\".";
        QTest::newRow("unknown group") << QStringList{"--company", "ACME", "--report", "salary-period", "--from", "2026-01-01", "--to", "2026-03-31", "--group", "NIGHT"} << pdf << 2 << "There is no group named \"NIGHT\".";
        QTest::newRow("a letter to the bank for employees without accounts") << QStringList{"--company", "ACME", "--report", "bank-letter", "--month", "2026-03"} << pdf << 1 << "1 RAMESH PATEL: no account number, no branch code";
        QTest::newRow("no database") << QStringList{"--database", "missing.db", "--company", "ACME", "--report", "employees"} << pdf << 2 << "There is no database at";
        QTest::newRow("a folder that is not there") << QStringList{"--company", "ACME", "--report", "employees"} << "no/such/folder/out.csv" << 1 << "cannot be written";
        // clang-format on
    }
    void failuresWriteNothing()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, output);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QTemporaryDir dir;
        output = dir.filePath(output);
        const Run run = kestrel(arguments + QStringList{QStringLiteral("--output"), output}, dir.path());
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.errors.contains(message), qPrintable(run.errors));
        QVERIFY(!QFile::exists(output));
    }

    // Every net pay of the month is in the PDF's text.
    void payslipsToPdf()
    {
        // ./test installs poppler-utils: without pdftotext the PDF's text goes unchecked, so it fails.
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(),
                 "pdftotext (poppler-utils) is not installed");
        QTemporaryDir dir;
        const QString output = dir.filePath(QStringLiteral("march.pdf"));
        const Run run = kestrel({QStringLiteral("--company=ACME"), QStringLiteral("--report=payslips"),
                                 QStringLiteral("--month=2026-03"), QStringLiteral("--output=") + output});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.errors.contains(QStringLiteral("4 rows on 2 pages")), qPrintable(run.errors));
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), output, QStringLiteral("-")});
        QVERIFY(pdftotext.waitForFinished());
        const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput()).remove(QLatin1Char(','));
        for (const char* netPay : {"9983", "9851", "403", "19355"}) // ACME's of March
            QVERIFY2(text.contains(QRegularExpression(QStringLiteral("Net Pay\\s+%1\\.00").arg(netPay))),
                     qPrintable(netPay));
        QVERIFY(!text.contains(QStringLiteral("8065"))); // OTHER CO's transaction of the month
        for (int page : {1, 2}) // each page painted to its foot
            QVERIFY(text.contains(QRegularExpression(QStringLiteral("Page\\s+%1\\s+of\\s+2").arg(page))));
    }

    // An employee deleted since keeps the payroll rows paid to them: their salary is reported.
    void deletedEmployeeIsReportedFromPayroll()
    {
        if (TestDatabase::onServer())
            QSKIP("a copy of the database file");
        QTemporaryDir dir;
        const QString copy = dir.filePath(QStringLiteral("copy.db"));
        {
            Database db(QStringLiteral("copy"));
            QVERIFY(db.open(m_database.path()));
            QVERIFY(SqlQuery(db, "VACUUM INTO ?").bind(copy).exec());
        }
        {
            Database db(QStringLiteral("copy"));
            QVERIFY(db.open(copy));
            QVERIFY(SqlQuery(db, "DELETE FROM emp WHERE ID = 1").exec());
        }
        const QString output = dir.filePath(QStringLiteral("salary.csv"));
        const Run run = kestrel({QStringLiteral("--database=") + copy, QStringLiteral("--company=ACME"),
                                 QStringLiteral("--report=salary-month"), QStringLiteral("--month=2026-03"),
                                 QStringLiteral("--employee=1"), QStringLiteral("--output=") + output});
        QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
        QFile file(output);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("RAMESH PATEL"));
    }

    // The net-pay column of the CSV adds up to the month's total.
    void payslipsToCsv()
    {
        QTemporaryDir dir;
        const QString output = dir.filePath(QStringLiteral("march.csv"));
        // A report only reads: a database the operator keeps read-only stays so.
        const bool onFile = !TestDatabase::onServer();
        if (onFile)
            QVERIFY(QFile::setPermissions(m_database.path(), QFile::ReadOwner));
        const Run run = kestrel({QStringLiteral("--company=ACME"), QStringLiteral("--report=payslips"),
                                 QStringLiteral("--month=2026-03"), QStringLiteral("--output=") + output});
        if (onFile) {
            const auto mode = QFile::permissions(m_database.path()) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
            QFile::setPermissions(m_database.path(), QFile::ReadOwner | QFile::WriteOwner);
            QCOMPARE(mode, QFile::ReadOwner);
        }
        QCOMPARE(run.exitCode, 0);
        // A scheduled run's log holds what the export says, not the server's chatter.
        QVERIFY2(!run.errors.contains(QStringLiteral("NOTICE")), qPrintable(run.errors));
        QFile file(output);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        const int netPay = lines.first().split(QLatin1Char(',')).indexOf(QStringLiteral("Net Pay"));
        QVERIFY(netPay >= 0);
        Currency total;
        for (const QString& line : lines.mid(1)) {
            // Quoted fields may hold commas: count from the end, where only numbers stand.
            const QStringList fields = line.split(QLatin1Char(','));
            const int fromEnd = lines.first().count(QLatin1Char(',')) - netPay;
            total = *total.plus(*Currency::parse(fields.at(fields.size() - 1 - fromEnd)));
        }
        QCOMPARE(lines.size(), 5);
        QCOMPARE(total, reportMonthNetPay());

        // With the installation's setting on, the payslips write each net pay in words here too.
        QTemporaryDir config;
        QDir(config.path()).mkpath(QStringLiteral("Kestrel"));
        QFile settings(config.filePath(QStringLiteral("Kestrel/kestrel.conf")));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("[payslip]\nnetPayInWords=true\n");
        settings.close();
        QCOMPARE(kestrel({QStringLiteral("--company=ACME"), QStringLiteral("--report=payslips"),
                          QStringLiteral("--month=2026-03"), QStringLiteral("--output=") + output},
                         {}, config.path())
                     .exitCode,
                 0);
        file.close();
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString words = QString::fromUtf8(file.readAll());
        QVERIFY2(words.contains(QStringLiteral("In Words")) && words.contains(QStringLiteral("Rupees Nine Thousand")),
                 qPrintable(words));
    }

    // The reports over a range, written as PDF (a CSV is written from the same document): the rows of the
    // company (OTHER CO's stay out), the title and the company's address. The department, group, employee
    // and month asked for are taken, whatever the case of a name. Each kind's figures are checked against
    // its reference in test_report_definitions.
    void everyRangeReport_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("title");
        const QStringList period{"--from=2025-12-01", "--to=2026-03-31"};
        // clang-format off
        QTest::newRow("payroll") << QStringList{"--report=payroll"} + period << 9 << "PAYROLL REPORT";
        QTest::newRow("advances") << QStringList{"--report=advances"} + period << 3 << "DATE WISE ADVANCE REPORT";
        QTest::newRow("loans") << QStringList{"--report=loans"} + period << 3 << "DATE WISE LOAN REPORT";
        QTest::newRow("department payroll") << QStringList{"--report=department-payroll", "--department=accounts"} + period << 6 << "DEPARTMENT WISE PAYROLL REPORT";
        QTest::newRow("department and group payroll") << QStringList{"--report=department-payroll", "--department=WORKSHOP", "--group=WORKERS"} + period << 3 << "DEPARTMENT WISE PAYROLL REPORT";
        QTest::newRow("department payroll, all groups") << QStringList{"--report=department-payroll", "--department=WORKSHOP", "--group=ALL"} + period << 3 << "DEPARTMENT WISE PAYROLL REPORT";
        QTest::newRow("department loan recoveries") << QStringList{"--report=department-loan-recoveries", "--department=ACCOUNTS"} + period << 3 << "DEPARTMENT WISE LOAN RECOVERY REPORT";
        QTest::newRow("salary of a month") << QStringList{"--report=salary-month", "--month=2026-03", "--employee=1"} << 2 << "EMPLOYEE PAYROLL REPORT";
        QTest::newRow("salaries of a group") << QStringList{"--report=salary-period", "--group=staff"} + period << 2 << "EMPLOYEE PAYROLL REPORT";
        QTest::newRow("salary of an employee") << QStringList{"--report=salary-period", "--employee=2"} + period << 3 << "EMPLOYEE PAYROLL REPORT";
        // clang-format on
    }
    void everyRangeReport()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, rows);
        QFETCH(QString, title);
        QTemporaryDir dir;
        const QString pdfFile = dir.filePath(QStringLiteral("report.pdf"));
        const Run run =
            kestrel(arguments + QStringList{QStringLiteral("--company=ACME"), QStringLiteral("--output=") + pdfFile});
        QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
        QVERIFY2(run.errors.contains(QStringLiteral("%1 rows on 1 page.").arg(rows)), qPrintable(run.errors));
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), {pdfFile, QStringLiteral("-")});
        QVERIFY(pdftotext.waitForFinished());
        const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
        QVERIFY2(text.contains(title), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("1 MILL ROAD, HILLTOWN")));
    }

private:
    Run kestrel(QStringList arguments, const QString& folder = {}, const QString& configFolder = {})
    {
        if (!arguments.join(QLatin1Char(' ')).contains(QStringLiteral("--database")))
            arguments.prepend(QStringLiteral("--database=") + m_database.path());
        QProcess process;
        if (!folder.isEmpty())
            process.setWorkingDirectory(folder);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QT_QPA_PLATFORM")); // the export must not need a display
        environment.remove(QStringLiteral("DISPLAY"));
        if (!configFolder.isEmpty())
            environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configFolder);
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(KESTREL_EXECUTABLE), arguments);
        if (!process.waitForFinished(60000))
            return {};
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardError())};
    }

    TestDatabase m_database;
};

QTEST_MAIN(TestReportExport)
#include "test_report_export.moc"
