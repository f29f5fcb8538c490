#include "data/employee_repository.h"
#include "data/payroll_repository.h"
#include "data/company_repository.h"
#include "reports/bank_reports.h"
#include "reports/esi_return.h"
#include "reports/company_heading.h"
#include "reports/payroll_reports.h"
#include "reports/range_reports.h"
#include "reports/report_export.h"
#include "reports/report_files.h"
#include "reports/report_pages.h"
#include "reports/statutory_reports.h"
#include "data/statutory_repository.h"
#include "support/amounts.h"
#include "support/report_test_data.h"
#include "support/test_database.h"

#include <QFile>
#include <QHash>
#include <QLocale>
#include <QTest>

#include <algorithm>

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

const ExportKind& kindNamed(const QString& name)
{
    for (const ExportKind& kind : exportKinds())
        if (kind.name == name)
            return kind;
    qFatal("no export kind %s", qPrintable(name));
}

// The lines' net pays added up, with no rounding.
Currency netPaysOf(const QList<BankLine>& lines)
{
    qint64 units = 0;
    for (const BankLine& line : lines)
        units += line.netPay.units();
    return Currency::fromUnits(units);
}

} // namespace

Q_DECLARE_METATYPE(report::ExportRequest)

class TestReportDefinitions : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        fillReportData(m_database.db());
    }

    void emptyMonthHasNoPayslips()
    {
        const Document d = report::payslips(companyHeading(m_database.db(), QStringLiteral("ACME")).value(), {});
        QCOMPARE(textDump(d), QStringLiteral("== drtSel page 1 ==\nPage 1 of 1\n"));
    }

    // Each report, made as the command line and the windows make it: the selection of the company's
    // rows, then the definition. Other companies' rows never appear.
    void reportsMatchTheirReferences_data()
    {
        QTest::addColumn<ExportRequest>("request");
        QTest::addColumn<QString>("reference");
        QTest::addColumn<int>("rows");
        // The request as the command line makes it: the month is the From date's; an employee of 0 is none.
        const auto asked = [](const QString& kind, const QString& company, QDate from, QDate to,
                              const QString& department = {}, const QString& group = {}, qint64 employee = 0) {
            ExportRequest r{kind, company, {}, from, from, to, department, group, std::nullopt};
            if (employee > 0)
                r.employee = employee;
            return r;
        };
        const QDate dec1(2025, 12, 1), jan31(2026, 1, 31), mar1(2026, 3, 1), mar31(2026, 3, 31);
        const QString acme = QStringLiteral("ACME");
        const QString other = QStringLiteral("OTHER CO");
        // clang-format off
        QTest::newRow("payslips of a month") << asked("payslips", acme, mar1, mar1) << "drtSel" << 4;
        QTest::newRow("employees under a company without address") << asked("employees", other, mar1, mar1) << "drtSel_emp_info" << 3;
        // The period's arrears are those for its months, March's among them though paid in April.
        QTest::newRow("arrears of an employee") << asked("arrears", acme, QDate(2026, 1, 1), mar31, {}, {}, 1) << "DataReport9" << 3;
        QTest::newRow("payroll across the year end") << asked("payroll", acme, dec1, jan31) << "DataReport1-year-end" << 4;
        QTest::newRow("payroll of one day") << asked("payroll", acme, mar31, mar31) << "DataReport1-one-day" << 3;
        QTest::newRow("payroll of an empty range") << asked("payroll", acme, QDate(2026, 6, 1), QDate(2026, 6, 30)) << "DataReport1-empty" << 0;
        QTest::newRow("payroll of a company without address") << asked("payroll", other, mar1, mar31) << "DataReport1-other-company" << 1;
        QTest::newRow("department, all groups") << asked("department-payroll", acme, dec1, mar31, "ACCOUNTS") << "DataReport2-all-groups" << 6;
        QTest::newRow("department and group") << asked("department-payroll", acme, QDate(2026, 1, 1), QDate(2026, 4, 30), "WORKSHOP", "WORKERS") << "DataReport2-group" << 4;
        QTest::newRow("advances") << asked("advances", acme, dec1, mar31) << "DataReport3" << 3;
        QTest::newRow("advances of a company without address") << asked("advances", other, mar1, mar31) << "DataReport3-other-company" << 1;
        QTest::newRow("loans across the year end") << asked("loans", acme, dec1, jan31) << "DataReport4" << 2;
        QTest::newRow("loan recoveries") << asked("loan-recoveries", acme, dec1, mar31) << "DataReport5" << 3;
        QTest::newRow("department loans") << asked("department-loans", acme, dec1, mar31, "ACCOUNTS") << "DataReport6" << 2;
        QTest::newRow("department loan recoveries") << asked("department-loan-recoveries", acme, dec1, mar31, "ACCOUNTS") << "DataReport7" << 3;
        QTest::newRow("salary of a month") << asked("salary-month", acme, mar1, mar1, {}, {}, 1) << "DataReport8" << 2;
        QTest::newRow("salaries of a group") << asked("salary-period", acme, dec1, mar1, {}, "STAFF") << "DataReport10-group" << 2;
        QTest::newRow("salary of an employee over months") << asked("salary-period", acme, dec1, mar1, {}, "STAFF", 1) << "DataReport10-employee" << 4;
        // clang-format on
    }

    void reportsMatchTheirReferences()
    {
        QFETCH(ExportRequest, request);
        QFETCH(QString, reference);
        QFETCH(int, rows);
        const auto d = kindNamed(request.kind).make(m_database.db(), request);
        QVERIFY2(d, qPrintable(d.error()));
        QCOMPARE(d->rowCount(), rows);
        compareWithReference(csv(*d), reference + QStringLiteral(".csv"));
        compareWithReference(textDump(*d).toUtf8(), reference + QStringLiteral(".txt"));
    }

    // The whole group's report has one line per employee and monthly rate, each the exact sum of its
    // transactions; a rate changed within the period starts a line of its own.
    void salaryByRateAddsEachRate()
    {
        const auto t = [](qint64 id, const char* rate, const char* days, const char* earn, const char* net) {
            PayrollTransaction p;
            p.employeeId = id;
            p.name = QStringLiteral("E%1").arg(id);
            p.monthRate = c(rate);
            p.daysPresent = c(days);
            p.presentDaysSalary = c(earn);
            p.totalDeductions = c("0.01");
            p.netPay = c(net);
            return p;
        };
        const QList<SalaryLine> lines =
            salaryByRate({t(2, "900", "30", "900", "899.99"), t(1, "1000", "30", "1000", "999.99"),
                          t(1, "1100", "15.5", "550.01", "550"), t(1, "1000", "0.5", "16.13", "16.12")});
        QStringList shown; // employee, rate, days, earnings, deductions, net pay
        for (const SalaryLine& l : lines)
            shown << QStringList{QString::number(l.employeeId), l.monthRate.toString(), l.daysPresent.toString(),
                                 l.earnings.toString(), l.deductions.toString(), l.netPay.toString()}
                         .join(QLatin1Char(' '));
        QCOMPARE(shown, QStringList({"1 1000 30.5 1016.13 0.02 1016.11", "1 1100 15.5 550.01 0.01 550",
                                     "2 900 30 900 0.01 899.99"}));
    }

    // May 2026 under every deduction (in force from April): a member over the ceiling and a member with half a day off
    // and travel in paise. The summary is compared with its reference and the return with a sample
    // of the fund's format written from its description: one line a member, eleven fields split by
    // #~# (account number, name, gross, fund, pension and insurance-linked wages, the three
    // contributions, days not paid, advances refunded), whole rupees, no heading.
    void statutoryMonthAndItsReturn()
    {
        const Database& db = m_database.db();
        statutory::Rules rules;
        rules.company = QStringLiteral("ACME");
        rules.from = QDate(2026, 4, 1);
        rules.pfOn = rules.esiOn = rules.ptOn = true;
        QVERIFY(StatutoryRepository(db).save(rules));
        EmployeeRepository staff(db);
        for (const auto& [id, uan] :
             {std::pair(1, "100200300401"), std::pair(2, "100200300402"), std::pair(3, "100200300403")}) {
            Employee e = staff.find(id).value().value();
            e.pfNumber = QString::fromLatin1(uan);
            e.esiNumber = QStringLiteral("200000000%1").arg(id);
            QVERIFY(staff.update(e));
        }
        // 31,000 for 31 days with a bonus of 500; 9,300 for 27.5 days (300 a day) with travel of 120.50;
        // a member away all month paid a bonus of 1,000 alone, who owes the fund nothing but is returned.
        // April, the contribution period's first month, insured ANNA's 20,000: she stays insured to
        // its end, and is on May's contribution file with no days.
        for (const auto& [id, rate, days, bonus, travel] :
             {std::tuple(3, "20000", "30", "0", "0"), std::tuple(1, "31000", "31", "500", "0"),
              std::tuple(2, "9300", "27.5", "0", "120.5"), std::tuple(3, "20000", "0", "1000", "0")}) {
            PayrollTransaction t;
            t.employeeId = id;
            t.name = staff.find(id).value()->name;
            t.monthRate = c(rate);
            t.daysPresent = c(days);
            t.bonus = c(bonus);
            t.travel = c(travel);
            t.payDate = days == QLatin1String("30") ? QDate(2026, 4, 30) : QDate(2026, 5, 31);
            t.company = QStringLiteral("ACME");
            QVERIFY(PayrollRepository(db).insert(t));
        }
        const auto summary = statutorySummaryOf(db, QStringLiteral("ACME"), QDate(2026, 5, 1));
        QVERIFY(summary);
        compareWithReference(csv(*summary), QStringLiteral("StatutorySummary.csv"));
        compareWithReference(textDump(*summary).toUtf8(), QStringLiteral("StatutorySummary.txt"));

        // Each payslip's columns add up to their totals: the statutory shares stand with the deductions.
        const auto may = PayrollRepository(db).month(QStringLiteral("ACME"), QDate(2026, 5, 1)).value();
        const QStringList slips = textDump(payslips(companyHeading(db, QStringLiteral("ACME")).value(), may))
                                      .split(QStringLiteral("\n--\n"));
        for (const QString& slip : slips.mid(1)) {
            const QStringList lines = slip.split(u'\n');
            const auto figure = [](const QString& cell) {
                const QString text = cell.section(u' ', -1).remove(u',');
                return text.isEmpty() ? Currency() : Currency::parse(text).value_or(Currency::fromUnits(-1));
            };
            Currency deductions, additions;
            qsizetype at = lines.indexOf(QStringLiteral("Deductions | Additionals")) + 1;
            for (; at > 0 && at < lines.size() && !lines.at(at).startsWith(QStringLiteral("Total Deductions:")); ++at) {
                deductions = *deductions.plus(figure(lines.at(at).section(QStringLiteral(" | "), 0, 0)));
                additions = *additions.plus(figure(lines.at(at).section(QStringLiteral(" | "), 1)));
            }
            QVERIFY2(at > 0 && at < lines.size(), qPrintable(slip));
            QCOMPARE(deductions, figure(lines.at(at).section(QStringLiteral(" | "), 0, 0)));
            QCOMPARE(additions, figure(lines.at(at).section(QStringLiteral(" | "), 1)));
        }

        const auto text = pfReturnOf(db, QStringLiteral("ACME"), QDate(2026, 5, 1));
        QVERIFY(text);
        QFile sample(QStringLiteral(KESTREL_REFERENCE_DIR "/ECR-sample.txt"));
        QVERIFY(sample.open(QIODevice::ReadOnly));
        QCOMPARE(*text, sample.readAll());
        // The insurance's upload, against a sample of the portal's layout written from its description:
        // days up to the whole day, names of letters and spaces, a member with no days this month.
        const auto esi = esiReturnOf(db, QStringLiteral("ACME"), QDate(2026, 5, 1));
        QVERIFY2(esi, qPrintable(esi.status().error()));
        QFile esiSample(QStringLiteral(KESTREL_REFERENCE_DIR "/ESI-sample.csv"));
        QVERIFY(esiSample.open(QIODevice::ReadOnly));
        QCOMPARE(*esi, esiSample.readAll());
        // A member without an account number stops the whole return, naming the member.
        Employee second = staff.find(2).value().value();
        second.pfNumber.clear();
        QVERIFY(staff.update(second));
        const auto refused = pfReturnOf(db, QStringLiteral("ACME"), QDate(2026, 5, 1));
        QVERIFY(!refused);
        QVERIFY2(refused.error().contains(QStringLiteral("2 KEVIN O'BRIEN")), qPrintable(refused.error()));
        second.esiNumber.clear();
        QVERIFY(staff.update(second));
        const auto noInsurance = esiReturnOf(db, QStringLiteral("ACME"), QDate(2026, 5, 1));
        QVERIFY2(!noInsurance && noInsurance.error().contains(QStringLiteral("1 member has no insurance number: 2 "
                                                                             "KEVIN O'BRIEN")),
                 qPrintable(noInsurance.status().error()));
    }

    // March of ACME paid three ways: RAMESH's two transactions by transfer, KEVIN by cheque, and
    // ANNA by transfer without an account until she is paid in cash. Every rupee of the month is on
    // the list; the letter and the upload file wait until nobody is left to mend.
    void bankTransferMonthAndItsFiles()
    {
        const Database& db = m_database.db();
        const QString acme = QStringLiteral("ACME");
        EmployeeRepository staff(db);
        const auto pay = [&](qint64 id, bank::Details details) {
            Employee e = staff.find(id).value().value();
            e.bank = details;
            QVERIFY(staff.update(e));
        };
        pay(1, {bank::PayMode::Transfer, "R. K. PATEL", "001234567890", "sbin0001234", "STATE BANK OF INDIA"});
        pay(2, {bank::PayMode::Cheque, {}, {}, {}, {}});
        pay(3, {bank::PayMode::Transfer, {}, {}, {}, {}});

        const auto paid = bankMonthOf(db, acme, reportMonth());
        QVERIFY(paid);
        QCOMPARE(netPaysOf(paid->all()), reportMonthNetPay());
        QCOMPARE(netPaysOf(paid->transfers), c("10386")); // 9,983 + 403
        QCOMPARE(netPaysOf(paid->cheques), c("9851"));
        QCOMPARE(netPaysOf(paid->toMend), c("19355"));
        QVERIFY(paid->cash.isEmpty());
        QCOMPARE(paid->toMendText(), QStringList{"3 SMITH, ANNA: no account number, no branch code"});
        // The employee's month is paid once, however many transactions it has, and the list says so.
        QCOMPARE(paid->transfers.size(), 1);
        QCOMPARE(paid->severalTransactions, QStringList{"1 RAMESH PATEL (2 transactions)"});
        const Document list = bankTransferList(companyHeading(db, acme).value(), reportMonth(), *paid);
        compareWithReference(csv(list), QStringLiteral("BankTransferList.csv"));
        compareWithReference(textDump(list).toUtf8(), QStringLiteral("BankTransferList.txt"));

        // Nothing goes to the bank while an employee paid by transfer has no account, or while the
        // company's own account is not set.
        for (const QString& refused : {bankLetterOf(db, acme, reportMonth(), {2026, 4, 2}).status().error(),
                                       uploadFileOf(db, acme, reportMonth()).status().error()})
            QVERIFY2(refused.contains("3 SMITH, ANNA: no account number"), qPrintable(refused));
        pay(3, {bank::PayMode::Cash, {}, {}, {}, {}});
        QVERIFY2(uploadFileOf(db, acme, reportMonth()).status().error().contains("Bank Settings"), "no account");

        bank::Settings settings;
        settings.account = {"CANARA BANK", "0123456789012", "CNRB0000123"};
        QVERIFY(CompanyRepository(db).saveBankSettings(acme, settings));
        const auto letter = bankLetterOf(db, acme, reportMonth(), {2026, 4, 2});
        QVERIFY2(letter, qPrintable(letter.status().error()));
        compareWithReference(textDump(*letter).toUtf8(), QStringLiteral("BankLetter.txt"));
        const auto usual = uploadFileOf(db, acme, reportMonth());
        QVERIFY(usual);
        compareWithReference(*usual, QStringLiteral("BankUpload-usual.csv"));
        // A bank of its own ways: a fixed first column, the holder before the account, the date.
        using F = bank::Field;
        settings.columns = {{F::Fixed, "PYMT_MODE", "NEFT"}, {F::EmployeeId, "EMP", {}},
                            {F::AccountHolder, "BENE_NAME", {}}, {F::AccountNumber, "BENE_ACC_NO", {}},
                            {F::BranchCode, "BENE_IFSC", {}}, {F::Amount, "AMOUNT", {}},
                            {F::PayDate, "VALUE_DATE", {}}, {F::Fixed, "REMARKS", "SALARY, MARCH"}};
        QVERIFY(CompanyRepository(db).saveBankSettings(acme, settings));
        const auto own = uploadFileOf(db, acme, reportMonth());
        QVERIFY(own);
        compareWithReference(*own, QStringLiteral("BankUpload-own.csv"));
        for (qint64 id : {1, 2, 3})
            pay(id, {});
    }

    // Each payment lands in exactly one group, so the list's total is the month's; only transfers
    // that can be made go to the bank, rounded to the paisa, and the letter asks for what the file pays.
    void everyPaymentInOneGroup_data()
    {
        QTest::addColumn<bank::PayMode>("mode");
        QTest::addColumn<QString>("account"); // the branch code goes with any account given
        QTest::addColumn<QString>("netPay");
        QTest::addColumn<bool>("onTheRoll");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("problem");
        const auto transfer = bank::PayMode::Transfer;
        QTest::newRow("a transfer") << transfer << "12345678" << "100" << true << "Bank transfer" << "";
        QTest::newRow("a transfer without an account") << transfer << "" << "100" << true << "To mend" << "no account number";
        QTest::newRow("a transfer of nothing") << transfer << "12345678" << "0" << true << "Not sent" << "nothing to pay";
        QTest::newRow("a transfer below nothing, no account") << transfer << "" << "-50" << true << "Not sent" << "nothing to pay";
        QTest::newRow("an employee no longer on the roll") << transfer << "12345678" << "100" << false << "Not sent" << "no longer an employee";
        QTest::newRow("a transfer that rounds to no paisa") << transfer << "12345678" << "0.0049" << true << "Not sent" << "nothing to pay";
        QTest::newRow("a transfer of half a paisa") << transfer << "12345678" << "0.005" << true << "Not sent" << "nothing to pay";
        QTest::newRow("a cheque below nothing") << bank::PayMode::Cheque << "" << "-50" << true << "Not sent" << "nothing to pay";
        QTest::newRow("cash of nothing") << bank::PayMode::Cash << "" << "0" << true << "Not sent" << "nothing to pay";
        QTest::newRow("a cheque") << bank::PayMode::Cheque << "" << "50" << true << "Cheque" << "";
        QTest::newRow("cash") << bank::PayMode::Cash << "" << "75.25" << true << "Cash" << "";
    }
    void everyPaymentInOneGroup()
    {
        QFETCH(bank::PayMode, mode);
        QFETCH(QString, account);
        QFETCH(QString, netPay);
        QFETCH(bool, onTheRoll);
        QFETCH(QString, group);
        QFETCH(QString, problem);
        // A second, ordinary transfer beside the one under test, both in paise and below.
        PayrollTransaction t, other;
        t.employeeId = 5;
        t.name = "UNDER TEST";
        t.netPay = c(qPrintable(netPay));
        other.employeeId = 6;
        other.name = "OTHER";
        other.netPay = c("200.0050");
        const auto employee = [](qint64 id, const char* name, bank::Details details) {
            Employee e;
            e.id = id;
            e.name = QString::fromLatin1(name);
            e.bank = details;
            return e;
        };
        QHash<qint64, Employee> staff;
        staff.insert(6, employee(6, "OTHER", {bank::PayMode::Transfer, {}, "87654321", "HDFC0000001", {}}));
        if (onTheRoll)
            staff.insert(5, employee(5, "UNDER TEST", {mode, {}, account, account.isEmpty() ? QString() : "SBIN0000001", {}}));
        const BankMonth paid = bankMonth({t, other}, staff);
        const QList<BankLine> all = paid.all();
        QCOMPARE(all.size(), 2);
        QCOMPARE(netPaysOf(all).units(), t.netPay.units() + other.netPay.units());
        const auto tested = std::find_if(all.cbegin(), all.cend(), [](const BankLine& l) { return l.employeeId == 5; });
        QCOMPARE(tested->paidBy, group);
        QVERIFY2(problem.isEmpty() || tested->problems.join(", ").startsWith(problem), qPrintable(tested->problems.join(", ")));
        QCOMPARE(tested->problems.isEmpty(), problem.isEmpty());

        // What goes to the bank: the file's amounts add up to the letter's total, to the paisa.
        const BankMonth sent = roundedForTheBank(paid);
        bank::Settings settings;
        settings.account = {"CANARA BANK", "0123456789012", "CNRB0000123"};
        const QByteArray file = uploadFile(settings, reportMonth(), sent.transfers);
        qint64 filePaise = 0;
        for (const QByteArray& line : file.split('\n').mid(1))
            if (!line.trimmed().isEmpty())
                filePaise += qRound64(line.split(',').at(4).toDouble() * 100);
        const Document letter = bankLetter({"ACME", {}}, settings.account, reportMonth(), {2026, 4, 2}, sent);
        const qint64 letterPaise = std::get<Currency>(letter.sums().last()).rounded(2)->units() / 100;
        QCOMPARE(letterPaise, filePaise);
        QCOMPARE(filePaise, qint64(group == "Bank transfer" ? 10000 + 20000 : 20000)); // 200.005 to even: 200.00
    }

    // Paper shows figures as the office writes them, whichever way that is; files for other
    // programs never group them.
    void groupedOnPaperPlainInFiles_data()
    {
        QTest::addColumn<Grouping>("grouping");
        QTest::addColumn<QString>("onPaper");
        QTest::newRow("Indian") << Grouping::Indian << "1,23,45,678.50";
        QTest::newRow("international") << Grouping::International << "12,345,678.50";
    }
    void groupedOnPaperPlainInFiles()
    {
        QFETCH(Grouping, grouping);
        QFETCH(QString, onPaper);
        const Grouping before = Currency::grouping();
        Currency::setGrouping(grouping);
        PayrollTransaction t;
        t.employeeId = 7;
        t.name = "BIG EARNER";
        t.payDate = {2026, 3, 31};
        t.monthRate = t.presentDaysSalary = t.netPay = c("12345678.5");
        const CompanyHeading heading{"ACME", "1 MILL ROAD"};
        const Document slips = report::payslips(heading, {t}, true);
        BankMonth month;
        month.transfers << BankLine{"Bank transfer", 7, "BIG EARNER", {}, t.netPay, t.payDate, {}};
        const Document list = bankTransferList(heading, reportMonth(), month);
        const QString slipText = textDump(slips), listText = textDump(list);
        const QByteArray slipCsv = csv(slips), listCsv = csv(list);
        Currency::setGrouping(before);
        QVERIFY2(slipText.contains("Net Pay " + onPaper), qPrintable(slipText));
        QVERIFY(slipText.contains("In Words: Rupees One Crore Twenty Three Lakh Forty Five Thousand Six Hundred and "
                                  "Seventy Eight and Paise Fifty Only"));
        QVERIFY2(listText.contains("Bank transfer: 1 payment, " + onPaper), qPrintable(listText));
        for (const QByteArray& file : {slipCsv, listCsv})
            QVERIFY2(file.contains(",12345678.50") && !file.contains(onPaper.toUtf8()), file.constData());
    }

private:
    TestDatabase m_database;
};

QTEST_MAIN(TestReportDefinitions)
#include "test_report_definitions.moc"
