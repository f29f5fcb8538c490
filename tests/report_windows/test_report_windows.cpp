#include "common/currency.h"
#include "data/company_repository.h"
#include "data/employee_repository.h"
#include "data/payroll_repository.h"
#include "data/statutory_repository.h"
#include "report_windows/advance_report_window.h"
#include "report_windows/audit_window.h"
#include "report_windows/bank_transfer_window.h"
#include "report_windows/loan_report_window.h"
#include "report_windows/payroll_report_window.h"
#include "report_windows/salary_report_window.h"
#include "report_windows/statutory_summary_window.h"
#include "reports/report_viewer.h"
#include "shell/bank_settings_window.h"
#include "support/amounts.h"
#include "support/report_test_data.h"
#include "support/window_fixture.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <tuple>

namespace {

// An amount as the total boxes show it.
QString shown(Currency amount)
{
    return amount.toFixedText(true);
}

const QDate dec1(2025, 12, 1);
const QDate jan31(2026, 1, 31);
const QDate mar1(2026, 3, 1);
const QDate mar31(2026, 3, 31);

} // namespace

// The report windows on the fixed report data, worked as the operator works them; every figure is
// checked against the database read here on its own. The company is ACME; today is 15 March 2026.
class TestReportWindows : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_f = std::make_unique<WindowFixture>();
        fillReportData(m_f->db());
    }
    void cleanup() { m_f.reset(); }

    void payrollGridTotalsAndCount_data()
    {
        QTest::addColumn<bool>("byDepartment");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QString>("department");
        QTest::addColumn<QString>("group");
        QTest::addColumn<int>("rows");
        QTest::newRow("across the year end") << false << dec1 << jan31 << QString() << QString() << 4;
        QTest::newRow("one day") << false << mar31 << mar31 << QString() << QString() << 3;
        QTest::newRow("nothing in the range")
            << false << QDate(2026, 6, 1) << QDate(2026, 6, 30) << QString() << QString() << 0;
        QTest::newRow("four months") << false << dec1 << mar31 << QString() << QString() << 9;
        QTest::newRow("a department, all groups") << true << dec1 << mar31 << "ACCOUNTS"
                                                  << "ALL" << 6;
        QTest::newRow("a department and a group") << true << dec1 << QDate(2026, 4, 30) << "WORKSHOP"
                                                  << "WORKERS" << 4;
        QTest::newRow("a group the department has not") << true << dec1 << mar31 << "WORKSHOP"
                                                        << "STAFF" << 0;
    }
    void payrollGridTotalsAndCount()
    {
        QFETCH(bool, byDepartment);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QString, department);
        QFETCH(QString, group);
        QFETCH(int, rows);
        using Kind = PayrollReportWindow::Kind;
        m_f->open<PayrollReportWindow>(byDepartment ? Kind::Department : Kind::Datewise);
        if (byDepartment) {
            m_f->control<QComboBox>("Combo1")->setCurrentText(department);
            m_f->control<QComboBox>("Combo2")->setCurrentText(group);
        }
        setRange(from, to);
        m_f->click("Command1");

        QString condition = QStringLiteral("company = 'ACME' AND ddate BETWEEN '%1' AND '%2'")
                                .arg(from.toString(Qt::ISODate), to.toString(Qt::ISODate));
        if (byDepartment)
            condition += QStringLiteral(" AND dept = '%1'").arg(department);
        if (byDepartment && group != QStringLiteral("ALL"))
            condition += QStringLiteral(" AND grp = '%1'").arg(group);
        // Each box with the column it adds up.
        const QList<std::pair<const char*, const char*>> boxes = {
            {"Text1", "bonus"},    {"Text2", "ot"},       {"Text4", "ph"},       {"Text6", "intax"},
            {"Text7", "others"},   {"Text8", "absences"}, {"Text9", "advances"}, {"Text10", "td"},
            {"Text11", "loanrec"}, {"Text12", "travel"},  {"Text3", "netpay"}};
        for (const auto& [box, column] : boxes)
            QCOMPARE(m_f->text(box), shown(sumOf(QStringLiteral("payroll"), column, condition)));
        QCOMPARE(m_f->text("Text5"), QString::number(rows));
        QCOMPARE(countOf(QStringLiteral("payroll"), condition), rows);

        auto* grid = m_f->control<QTableView>("MSHFlexGrid1");
        QCOMPARE(grid->model()->rowCount(), rows);
        // The same headers whichever filter is chosen.
        QCOMPARE(grid->model()->headerData(9, Qt::Horizontal).toString(), QStringLiteral("Total Deduction"));
        QCOMPARE(grid->model()->headerData(7, Qt::Horizontal).toString(), QStringLiteral("Present"));
        // The grid's net pay column adds up to its box.
        QCOMPARE(columnTotal(grid, 12), sumOf(QStringLiteral("payroll"), "netpay", condition));

        const report::Document& d = m_f->last<ReportViewer>()->document();
        QCOMPARE(d.name, byDepartment ? QStringLiteral("DataReport2") : QStringLiteral("DataReport1"));
        QCOMPARE(d.rowCount(), rows);
        QCOMPARE(d.label("Label22"), from.toString("dd/MM/yyyy"));
        QCOMPARE(d.label("Label24"), to.toString("dd/MM/yyyy"));
        QCOMPARE(d.label("Label20"), QStringLiteral("ACME"));
        if (byDepartment) {
            QCOMPARE(d.label("Label16"), department);
            QCOMPARE(d.label("Label25"), group == QStringLiteral("ALL") ? QString() : group);
        }
    }

    void departmentPrintShowsTheReportAlone()
    {
        m_f->open<PayrollReportWindow>(PayrollReportWindow::Kind::Department);
        m_f->control<QComboBox>("Combo1")->setCurrentText("ACCOUNTS");
        QCOMPARE(m_f->control<QComboBox>("Combo2")->itemText(0), QStringLiteral("ALL"));
        setRange(dec1, mar31);
        m_f->click("Command3");
        QCOMPARE(m_f->last<ReportViewer>()->document().rowCount(), 6);
        QCOMPARE(m_f->control<QTableView>("MSHFlexGrid1")->model()->rowCount(), 0);
        QCOMPARE(m_f->text("Text5"), QStringLiteral("0"));
    }

    void fromAfterToIsRefused_data()
    {
        QTest::addColumn<QString>("window");
        QTest::newRow("datewise payroll") << "Form12";
        QTest::newRow("department payroll") << "Form14";
        QTest::newRow("advances") << "Form13";
        QTest::newRow("datewise loans") << "Form15";
        QTest::newRow("department loans") << "Form16";
    }
    void fromAfterToIsRefused()
    {
        QFETCH(QString, window);
        openByName(window);
        if (auto* department = m_f->window()->findChild<QComboBox*>("Combo1"))
            department->setCurrentText("ACCOUNTS");
        setRange(mar31, mar1);
        m_f->click("Command1");
        QCOMPARE(m_f->prompter.lastText(),
                 QStringLiteral("The From Date (31/03/2026) is after the To Date (01/03/2026). Choose a From Date on "
                                "or before the To Date."));
        QVERIFY(m_f->window()->findChildren<ReportViewer*>().isEmpty());
        QCOMPARE(m_f->control<QTableView>("MSHFlexGrid1")->model()->rowCount(), 0);
    }

    void advancesOfTheCompanyInTheRange()
    {
        m_f->open<AdvanceReportWindow>();
        setRange(dec1, mar31);
        m_f->click("Command1");
        const QString condition = QStringLiteral("company = 'ACME' AND advdt BETWEEN '2025-12-01' AND '2026-03-31'");
        QCOMPARE(m_f->text("Text3"), shown(sumOf("adv", "advamt", condition)));
        QCOMPARE(m_f->text("Text5"), QString::number(countOf("adv", condition)));
        QCOMPARE(m_f->text("Text5"), QStringLiteral("3"));
        auto* grid = m_f->control<QTableView>("MSHFlexGrid1");
        QCOMPARE(grid->model()->rowCount(), 3);
        QCOMPARE(columnTotal(grid, 2), sumOf("adv", "advamt", condition));
        QCOMPARE(m_f->last<ReportViewer>()->document().name, QStringLiteral("DataReport3"));
    }

    void loansPaidAndRecovered_data()
    {
        QTest::addColumn<bool>("byDepartment");
        QTest::addColumn<QString>("department");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<int>("loans");
        QTest::addColumn<int>("recoveries");
        QTest::newRow("datewise, across the year end") << false << QString() << dec1 << jan31 << 2 << 2;
        QTest::newRow("datewise, four months") << false << QString() << dec1 << mar31 << 3 << 3;
        QTest::newRow("datewise, nothing") << false << QString() << QDate(2026, 5, 1) << QDate(2026, 5, 31) << 0 << 0;
        QTest::newRow("a department") << true << "ACCOUNTS" << dec1 << mar31 << 2 << 3;
        QTest::newRow("a department without loans") << true << "SALES" << dec1 << mar31 << 0 << 0;
    }
    void loansPaidAndRecovered()
    {
        QFETCH(bool, byDepartment);
        QFETCH(QString, department);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(int, loans);
        QFETCH(int, recoveries);
        using Kind = LoanReportWindow::Kind;
        m_f->open<LoanReportWindow>(byDepartment ? Kind::Department : Kind::Datewise);
        if (byDepartment)
            m_f->control<QComboBox>("Combo1")->setCurrentText(department);
        setRange(from, to);
        m_f->click("Command1");

        const QString range =
            QStringLiteral(" BETWEEN '%1' AND '%2'").arg(from.toString(Qt::ISODate), to.toString(Qt::ISODate));
        const QString inDepartment = byDepartment ? QStringLiteral(" AND dept = '%1'").arg(department) : QString();
        const QString loanCondition = "company = 'ACME' AND ldt" + range + inDepartment;
        // Only the payroll rows that recovered an instalment.
        const QString recoveryCondition = "company = 'ACME' AND loanrec > 0 AND ddate" + range + inDepartment;
        QCOMPARE(m_f->text("Text3"), shown(sumOf("loan", "loanamt", loanCondition)));
        QCOMPARE(m_f->text("Text5"), QString::number(loans));
        QCOMPARE(countOf("loan", loanCondition), loans);
        QCOMPARE(m_f->text("Text2"), shown(sumOf("payroll", "loanrec", recoveryCondition)));
        QCOMPARE(m_f->text("Text1"), QString::number(recoveries));
        QCOMPARE(countOf("payroll", recoveryCondition), recoveries);
        QCOMPARE(m_f->control<QTableView>("MSHFlexGrid1")->model()->rowCount(), loans);
        QCOMPARE(m_f->control<QTableView>("MSHFlexGrid2")->model()->rowCount(), recoveries);
        QCOMPARE(columnTotal(m_f->control<QTableView>("MSHFlexGrid2"), 2),
                 sumOf("payroll", "loanrec", recoveryCondition));

        // Each list prints its own report, without Ok having to come first.
        m_f->click("Command3");
        QCOMPARE(m_f->last<ReportViewer>()->document().name,
                 byDepartment ? QStringLiteral("DataReport6") : QStringLiteral("DataReport4"));
        QCOMPARE(m_f->last<ReportViewer>()->document().rowCount(), loans);
        m_f->click(byDepartment ? "Command2" : "Command4");
        QCOMPARE(m_f->last<ReportViewer>()->document().name,
                 byDepartment ? QStringLiteral("DataReport7") : QStringLiteral("DataReport5"));
        QCOMPARE(m_f->last<ReportViewer>()->document().rowCount(), recoveries);
        if (byDepartment)
            QCOMPARE(m_f->last<ReportViewer>()->document().label("Label2"), department);
    }

    void salaryOfAMonth()
    {
        m_f->open<SalaryReportWindow>();
        m_f->click("Command1");
        QCOMPARE(m_f->prompter.lastText(), QStringLiteral("Please choose the employee first."));
        QVERIFY(m_f->window()->findChildren<ReportViewer*>().isEmpty());

        m_f->type("Combo1", "1");
        QCOMPARE(m_f->text("Combo2"), QStringLiteral("RAMESH PATEL"));
        m_f->control<QDateEdit>("DTPicker1")->setDate({2026, 3, 20});
        m_f->click("Command1");
        const report::Document& d = m_f->last<ReportViewer>()->document();
        QCOMPARE(d.name, QStringLiteral("DataReport8"));
        QCOMPARE(d.label("Label22"), QStringLiteral("March"));
        // Employee 1's two ACME transactions of March; OTHER CO's of the same month stays out.
        QCOMPARE(d.rowCount(), 2);
        QCOMPARE(
            std::get<Currency>(d.sums().at(d.columnIndex("Netpay"))),
            sumOf("payroll", "netpay", "company = 'ACME' AND ID = 1 AND ddate BETWEEN '2026-03-01' AND '2026-03-31'"));
    }

    void salaryOverMonths_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("employee");
        QTest::addColumn<int>("lines");
        QTest::addColumn<QString>("condition");
        QTest::newRow("the whole group, a line per employee and rate")
            << "STAFF" << QString() << 2 << "company = 'ACME' AND grp = 'STAFF'";
        QTest::newRow("one employee's months") << "STAFF"
                                               << "1" << 4 << "company = 'ACME' AND grp = 'STAFF' AND ID = 1";
        QTest::newRow("another group") << "WORKERS" << QString() << 1 << "company = 'ACME' AND grp = 'WORKERS'";
    }
    // One month: the From picker may hold a later day of it than the To picker.
    void salaryOfOneMonthOverMonths()
    {
        m_f->open<SalaryReportWindow>();
        m_f->control<QComboBox>("Combo5")->setCurrentText("STAFF");
        m_f->control<QDateEdit>("DTPicker2")->setDate({2026, 3, 28});
        m_f->control<QDateEdit>("DTPicker3")->setDate({2026, 3, 5});
        m_f->click("Command2");
        const report::Document& d = m_f->last<ReportViewer>()->document();
        QCOMPARE(d.label("Label22"), QStringLiteral("March2026"));
        QCOMPARE(std::get<Currency>(d.sums().at(d.columnIndex("Netpay"))),
                 sumOf("payroll", "netpay", "company = 'ACME' AND grp = 'STAFF' AND ddate LIKE '2026-03-%'"));
        m_f->control<QDateEdit>("DTPicker2")->setDate({2026, 4, 1});
        m_f->click("Command2");
        QCOMPARE(m_f->prompter.lastText(), QStringLiteral("The From Month (April 2026) is after the To Month (March "
                                                          "2026). Choose a From Month on or before the To Month."));
    }
    void salaryOverMonths()
    {
        QFETCH(QString, group);
        QFETCH(QString, employee);
        QFETCH(int, lines);
        QFETCH(QString, condition);
        m_f->open<SalaryReportWindow>();
        m_f->control<QComboBox>("Combo5")->setCurrentText(group);
        if (!employee.isEmpty())
            m_f->type("Combo4", employee);
        // Months: the period runs from 1 December to 31 March whatever days the pickers show.
        m_f->control<QDateEdit>("DTPicker2")->setDate({2025, 12, 15});
        m_f->control<QDateEdit>("DTPicker3")->setDate({2026, 3, 2});
        m_f->click("Command2");
        const report::Document& d = m_f->last<ReportViewer>()->document();
        QCOMPARE(d.name, QStringLiteral("DataReport10"));
        QCOMPARE(d.rowCount(), lines);
        QCOMPARE(d.label("Label22"), QStringLiteral("December2025"));
        QCOMPARE(d.label("Label6"), QStringLiteral("March2026"));
        QCOMPARE(d.label("Label9"), group);
        const QString inPeriod = condition + " AND ddate BETWEEN '2025-12-01' AND '2026-03-31'";
        QCOMPARE(std::get<Currency>(d.sums().at(d.columnIndex("Netpay"))), sumOf("payroll", "netpay", inPeriod));
        QCOMPARE(std::get<Currency>(d.sums().at(d.columnIndex("Present"))), sumOf("payroll", "absences", inPeriod));
    }

    void anEmployeeOutsideTheGroupIsRefused()
    {
        m_f->open<SalaryReportWindow>();
        m_f->control<QComboBox>("Combo5")->setCurrentText("STAFF");
        // Employee 2 is of WORKERS.
        m_f->type("Combo4", "2");
        QVERIFY(m_f->prompter.lastText().contains(QStringLiteral("is not in the group STAFF")));
        QCOMPARE(m_f->text("Combo4"), QString());
        QCOMPARE(m_f->control<QComboBox>("Combo4")->count(), 2); // employees 1 and 3
    }

    // March of ACME through the bank: the account set in Bank Settings (a short number refused at
    // its box), the list shown after the employees to mend are named, and the upload file written
    // with every transfer, checked against the stored net pays.
    void bankTransferWindowWritesTheUploadFile_data()
    {
        QTest::addColumn<bool>("kevinHasAnAccount");
        QTest::addColumn<bool>("accountSet");
        QTest::addColumn<QString>("refusal"); // a part of the upload's refusal; empty: written
        QTest::newRow("ready") << true << true << QString();
        QTest::newRow("an employee to mend") << false << true << "2 KEVIN O'BRIEN: no account number";
        QTest::newRow("the company's account not set") << true << false << "Bank Settings";
    }
    void bankTransferWindowWritesTheUploadFile()
    {
        QFETCH(bool, kevinHasAnAccount);
        QFETCH(bool, accountSet);
        QFETCH(QString, refusal);
        EmployeeRepository staff(m_f->db());
        for (const auto& [id, details] :
             {std::pair<qint64, bank::Details>{1, {bank::PayMode::Transfer, {}, "11112222", "SBIN0000001", {}}},
              {2, {bank::PayMode::Transfer, {}, kevinHasAnAccount ? "33334444" : "", "HDFC0000002", {}}},
              {3, {bank::PayMode::Cash, {}, {}, {}, {}}}}) {
            Employee e = staff.find(id).value().value();
            e.bank = details;
            QVERIFY(staff.update(e));
        }
        if (accountSet) {
            m_f->open<BankSettingsWindow>();
            m_f->type("txtAccountNo", "12345");
            m_f->type("txtBranchCode", "cnrb0000123");
            m_f->click("cmdSave");
            QVERIFY2(m_f->prompter.lastText().startsWith("The account number must be 6 to 18 digits"),
                     qPrintable(m_f->prompter.lastText()));
            QVERIFY(m_f->control("txtAccountNo")->hasFocus());
            m_f->type("txtAccountNo", "0123456789012");
            m_f->click("cmdSave");
            QCOMPARE(CompanyRepository(m_f->db()).bankSettings("ACME").value().account.branchCode, "CNRB0000123");
        }

        m_f->open<BankTransferWindow>();
        m_f->control<QDateEdit>("dtpMonth")->setDate(reportMonth());
        const int toldBefore = int(m_f->prompter.entries().size());
        m_f->prompter.answer(false);
        m_f->click("cmdShow");
        // Employees to mend are named before the list, which is shown only when asked for.
        QCOMPARE(int(m_f->prompter.entries().size()) > toldBefore, !kevinHasAnAccount);
        if (kevinHasAnAccount)
            QCOMPARE(m_f->last<ReportViewer>()->document().name, "BankTransferList");

        QTemporaryDir folder;
        const QString path = folder.filePath("bank.csv");
        if (!refusal.isEmpty()) {
            m_f->click("cmdUpload");
            QVERIFY2(m_f->prompter.lastText().contains(refusal), qPrintable(m_f->prompter.lastText()));
            QVERIFY(m_f->prompter.suggestedPath().isEmpty());
            QVERIFY(!QFile::exists(path));
            return;
        }
        m_f->prompter.answerFile(path);
        m_f->click("cmdUpload");
        QCOMPARE(m_f->prompter.lastText(), "Wrote " + path + ": 3 transfers.");
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        // Sr No, Beneficiary Name, Beneficiary Account, IFSC, Amount, ...: the usual columns.
        qint64 paise = 0;
        for (const QByteArray& line : file.readAll().split('\n').mid(1))
            if (!line.trimmed().isEmpty())
                paise += qRound64(line.split(',').at(4).toDouble() * 100);
        const Currency transferred = sumOf("payroll", "netpay",
                                           "company = 'ACME' AND ddate BETWEEN '2026-03-01' AND '2026-03-31' AND ID IN (1, 2)");
        QCOMPARE(paise * 100, transferred.units());
    }

    void statutorySummaryWritesTheReturn_data()
    {
        QTest::addColumn<QDate>("month");
        QTest::addColumn<bool>("bothHaveUans");
        QTest::addColumn<QString>("refusal"); // a part of the error; empty: the return is written
        QTest::newRow("two members") << QDate(2026, 5, 1) << true << QString();
        QTest::newRow("a member without a UAN") << QDate(2026, 5, 1) << false << "VIJAY KUMAR";
        // March's payroll was paid before the fund's rules began.
        QTest::newRow("nobody charged") << reportMonth() << true << "there is no return to write";
    }
    void statutorySummaryWritesTheReturn()
    {
        QFETCH(QDate, month);
        QFETCH(bool, bothHaveUans);
        QFETCH(QString, refusal);
        statutory::Rules fund;
        fund.company = "ACME";
        fund.from = QDate(2026, 5, 1);
        fund.pfOn = true;
        QVERIFY(StatutoryRepository(m_f->db()).save(fund));
        // One over the wage ceiling, one under it with a share that is not whole rupees.
        const QList<std::tuple<QString, const char*, QString>> members = {
            {"ASHA DESAI", "20000", "100200300400"}, {"VIJAY KUMAR", "9996", bothHaveUans ? "100200300401" : ""}};
        QHash<QString, qint64> byUan;
        for (const auto& [name, rate, uan] : members) {
            Employee e;
            e.name = name;
            e.basicRate = c(rate);
            e.pfNumber = uan;
            const auto id = EmployeeRepository(m_f->db()).insert(e);
            QVERIFY2(id, qPrintable(id.error()));
            byUan.insert(uan, *id);
            PayrollTransaction t;
            t.employeeId = *id;
            t.name = name;
            t.monthRate = c(rate);
            t.payDate = QDate(2026, 5, 31);
            t.daysPresent = c("31");
            t.company = "ACME";
            const auto saved = PayrollRepository(m_f->db()).save(t, 0);
            QVERIFY2(saved, qPrintable(saved.error()));
        }

        m_f->open<StatutorySummaryWindow>();
        // Last month's return is the one filed: today is in March.
        QCOMPARE(m_f->control<QDateEdit>("dtpMonth")->date().toString("yyyy-MM"), QStringLiteral("2026-02"));
        m_f->control<QDateEdit>("dtpMonth")->setDate(month);
        m_f->click("cmdShow");
        QCOMPARE(m_f->last<ReportViewer>()->document().label("Label22"),
                 QLocale(QLocale::English).toString(month, "MMMM yyyy"));
        QTemporaryDir folder;
        const QString path = folder.filePath("ECR.txt");
        // A month without a return is told before the operator is asked where to keep it.
        if (!refusal.isEmpty()) {
            m_f->click("cmdReturn");
            QVERIFY2(m_f->prompter.lastText().contains(refusal), qPrintable(m_f->prompter.lastText()));
            QCOMPARE(m_f->prompter.last().icon, Prompter::Icon::Critical);
            QVERIFY(m_f->prompter.suggestedPath().isEmpty());
            return;
        }
        m_f->prompter.answerFile(path);
        m_f->click("cmdReturn");
        QCOMPARE(QFileInfo(m_f->prompter.suggestedPath()).fileName(), "ECR-ACME-" + month.toString("yyyy-MM") + ".txt");
        QCOMPARE(m_f->prompter.lastText(), "Wrote " + path + ": 2 members.");
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().trimmed().split('\n');
        QCOMPARE(lines.size(), 2);
        QStringList uans;
        for (const QByteArray& line : lines) {
            const QStringList fields = QString::fromUtf8(line).split("#~#");
            QCOMPARE(fields.size(), 11);
            uans << fields.at(0);
            // The employee's share: 12 % of the present days salary up to 15,000, to the rupee, halves up.
            const QString ofMember = QStringLiteral("ID = %1").arg(byUan.value(fields.at(0)));
            const qint64 earn = sumOf("payroll", "earn", ofMember).units();
            const qint64 share = (std::min<qint64>(earn, 15000 * 10000) * 12 + 50 * 10000) / (100 * 10000);
            QCOMPARE(fields.at(6), QString::number(share));
        }
        QCOMPARE(uans, QStringList({"100200300400", "100200300401"}));
    }

    // A header click sorts the grid by that column's values, and Ctrl+E writes what it shows.
    void gridSortsAndExports()
    {
        m_f->open<PayrollReportWindow>(PayrollReportWindow::Kind::Datewise);
        setRange(dec1, mar31);
        m_f->click("Command1");
        auto* grid = m_f->control<QTableView>("MSHFlexGrid1");
        grid->horizontalHeader()->setSortIndicator(12, Qt::DescendingOrder); // netpay, largest first
        QCOMPARE(grid->model()->index(0, 12).data().toString(), QStringLiteral("20,000.00"));
        QCOMPARE(grid->model()->index(8, 12).data().toString(), QStringLiteral("403.00"));

        QTemporaryDir folder;
        const QString path = folder.filePath("payroll.csv");
        m_f->prompter.answerFile(path);
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_E, Qt::ControlModifier);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.at(0).trimmed(), QByteArray("ID,Name,bonus,Overtime,Contribution,LIC,PGVCL,Present,advances,"
                                                   "Total Deduction,Loan Recovered,travel,netpay"));
        QVERIFY(lines.at(1).startsWith("3,\"SMITH, ANNA\","));
        QVERIFY(lines.at(1).trimmed().endsWith(",20000.00"));
        QCOMPARE(lines.size(), 11); // heading, nine rows, and the end of the last line
    }

    // The trail of the report data's own writing, narrowed down, one entry's values side by side,
    // and the chain checked.
    void auditTrailShowsAndChecksTheChanges()
    {
        Employee e = EmployeeRepository(m_f->db()).find(3).value().value();
        const QString oldName = e.name;
        e.name = "ANNA SMITH-ROY";
        QVERIFY(EmployeeRepository(m_f->db()).update(e));
        m_f->open<AuditWindow>();
        auto* grid = m_f->control<QTableView>("lvwAudit");
        QCOMPARE(grid->model()->rowCount(), countOf("audit", "1 = 1"));
        m_f->control<QComboBox>("cboKind")->setCurrentText("update");
        m_f->type("txtEmployee", "3");
        m_f->click("cmdShow");
        QCOMPARE(grid->model()->rowCount(), 1);
        auto* values = m_f->control<QTableWidget>("lvwValues");
        const auto changed = values->findItems("emname", Qt::MatchExactly);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(values->item(changed.first()->row(), 1)->text() + " > " + values->item(changed.first()->row(), 2)->text(),
                 oldName + " > ANNA SMITH-ROY");
        QVERIFY(values->item(changed.first()->row(), 2)->font().bold());
        m_f->click("cmdVerify");
        QVERIFY2(m_f->prompter.lastText().endsWith("entries is intact."), qPrintable(m_f->prompter.lastText()));
    }

private:
    void openByName(const QString& name)
    {
        if (name == "Form12")
            m_f->open<PayrollReportWindow>(PayrollReportWindow::Kind::Datewise);
        else if (name == "Form14")
            m_f->open<PayrollReportWindow>(PayrollReportWindow::Kind::Department);
        else if (name == "Form13")
            m_f->open<AdvanceReportWindow>();
        else if (name == "Form15")
            m_f->open<LoanReportWindow>(LoanReportWindow::Kind::Datewise);
        else
            m_f->open<LoanReportWindow>(LoanReportWindow::Kind::Department);
    }

    void setRange(QDate from, QDate to)
    {
        m_f->control<QDateEdit>("DTPicker1")->setDate(from);
        m_f->control<QDateEdit>("DTPicker2")->setDate(to);
    }

    Currency sumOf(const QString& table, const QString& column, const QString& condition) const
    {
        QSqlQuery q(m_f->db().connection());
        if (!q.exec(QStringLiteral("SELECT coalesce(sum(%1), 0) FROM %2 WHERE %3").arg(column, table, condition)) ||
            !q.next())
            qFatal("%s", qPrintable(q.lastError().text()));
        return Currency::fromUnits(q.value(0).toLongLong());
    }

    int countOf(const QString& table, const QString& condition) const
    {
        QSqlQuery q(m_f->db().connection());
        if (!q.exec(QStringLiteral("SELECT count(*) FROM %1 WHERE %2").arg(table, condition)) || !q.next())
            qFatal("%s", qPrintable(q.lastError().text()));
        return q.value(0).toInt();
    }

    // The column's amounts as the grid shows them, added up.
    static Currency columnTotal(const QTableView* grid, int column)
    {
        Currency total;
        for (int row = 0; row < grid->model()->rowCount(); ++row)
            total = *total.plus(*Currency::parse(grid->model()->index(row, column).data().toString().remove(',')));
        return total;
    }

    std::unique_ptr<WindowFixture> m_f;
};

QTEST_MAIN(TestReportWindows)
#include "test_report_windows.moc"
