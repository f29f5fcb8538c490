#include "common/currency.h"
#include "data/company_repository.h"
#include "data/employee_repository.h"
#include "data/payroll_repository.h"
#include "data/sql_query.h"
#include "data/statutory_repository.h"
#include "report_windows/advance_report_window.h"
#include "report_windows/audit_window.h"
#include "report_windows/bank_transfer_window.h"
#include "report_windows/loan_report_window.h"
#include "report_windows/payroll_report_window.h"
#include "report_windows/salary_report_window.h"
#include "report_windows/statutory_summary_window.h"
#include "reports/bank_reports.h"
#include "reports/report_viewer.h"
#include "reports/statutory_reports.h"
#include "shell/bank_settings_window.h"
#include "support/amounts.h"
#include "support/report_test_data.h"
#include "support/window_fixture.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QHeaderView>
#include <QLocale>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

// An amount as the total boxes show it.
QString shown(Currency amount)
{
    return amount.toFixedText(true);
}

const QDate dec1(2025, 12, 1);
const QDate mar1(2026, 3, 1);
const QDate mar31(2026, 3, 31);

} // namespace

// The report windows on the fixed report data, worked as the operator works them. The reports' figures
// are checked against reference files in test_report_definitions; here, that each window makes the right
// report of its company's rows in the range chosen, its totals checked against the database read here on
// its own, and that each file it writes is the one its builder makes. The company is ACME; today is 15
// March 2026.
class TestReportWindows : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_f = std::make_unique<WindowFixture>();
        fillReportData(m_f->db());
    }
    void cleanup() { m_f.reset(); }

    // From 1 December, across the year end; OTHER CO's payroll of 15 March stays out. The department
    // report's Print shows the report alone, without filling the grid.
    void payrollGridTotalsAndCount_data()
    {
        QTest::addColumn<bool>("byDepartment");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QString>("department");
        QTest::addColumn<QString>("group");
        QTest::addColumn<int>("rows");
        QTest::newRow("datewise") << false << mar31 << QString() << QString() << 9;
        QTest::newRow("a department, all groups") << true << mar31 << "ACCOUNTS" << "ALL" << 6;
        QTest::newRow("a department and a group") << true << QDate(2026, 4, 30) << "WORKSHOP" << "WORKERS" << 4;
    }
    void payrollGridTotalsAndCount()
    {
        QFETCH(bool, byDepartment);
        QFETCH(QDate, to);
        QFETCH(QString, department);
        QFETCH(QString, group);
        QFETCH(int, rows);
        using Kind = PayrollReportWindow::Kind;
        m_f->open<PayrollReportWindow>(byDepartment ? Kind::Department : Kind::Datewise);
        QString condition =
            QStringLiteral("company = 'ACME' AND ddate BETWEEN '2025-12-01' AND '%1'").arg(to.toString(Qt::ISODate));
        if (byDepartment) {
            m_f->control<QComboBox>("Combo1")->setCurrentText(department);
            m_f->control<QComboBox>("Combo2")->setCurrentText(group);
            condition += QStringLiteral(" AND dept = '%1'").arg(department);
            if (group != QStringLiteral("ALL"))
                condition += QStringLiteral(" AND grp = '%1'").arg(group);
        }
        refusesAReversedRange();
        if (byDepartment) {
            show(dec1, to, "Command3");
            QCOMPARE(viewed().rowCount(), rows);
            QCOMPARE(m_f->control<QTableView>("MSHFlexGrid1")->model()->rowCount(), 0);
        }
        show(dec1, to);
        // Each box with the column it adds up.
        const QList<std::pair<const char*, const char*>> boxes = {
            {"Text1", "bonus"},    {"Text2", "ot"},       {"Text4", "ph"},       {"Text6", "intax"},
            {"Text7", "others"},   {"Text8", "absences"}, {"Text9", "advances"}, {"Text10", "td"},
            {"Text11", "loanrec"}, {"Text12", "travel"},  {"Text3", "netpay"}};
        for (const auto& [box, column] : boxes)
            QCOMPARE(m_f->text(box), shown(sumOf("payroll", column, condition)));
        QCOMPARE(m_f->text("Text5"), QString::number(rows));
        QCOMPARE(m_f->control<QTableView>("MSHFlexGrid1")->model()->rowCount(), rows);
        const report::Document& d = viewed();
        QCOMPARE(QStringList({d.name, QString::number(d.rowCount()), d.label("Label22"), d.label("Label24")}),
                 QStringList({byDepartment ? "DataReport2" : "DataReport1", QString::number(rows), "01/12/2025",
                              to.toString("dd/MM/yyyy")}));
    }

    // OTHER CO's advance of 5 March stays out.
    void advancesOfTheCompanyInTheRange()
    {
        m_f->open<AdvanceReportWindow>();
        refusesAReversedRange();
        show(dec1, mar31);
        QCOMPARE(m_f->text("Text3"),
                 shown(sumOf("adv", "advamt", "company = 'ACME' AND advdt BETWEEN '2025-12-01' AND '2026-03-31'")));
        QCOMPARE(m_f->text("Text5"), QStringLiteral("3"));
        QCOMPARE(viewed().name, QStringLiteral("DataReport3"));
    }

    // December to March; OTHER CO's loan of 10 January and recovery of 15 March stay out.
    void loansPaidAndRecovered_data()
    {
        QTest::addColumn<QString>("department"); // empty: date wise
        QTest::addColumn<int>("loans");
        QTest::addColumn<int>("recoveries");
        QTest::newRow("datewise") << QString() << 3 << 3;
        QTest::newRow("a department") << "ACCOUNTS" << 2 << 3;
    }
    void loansPaidAndRecovered()
    {
        QFETCH(QString, department);
        QFETCH(int, loans);
        QFETCH(int, recoveries);
        const bool byDepartment = !department.isEmpty();
        using Kind = LoanReportWindow::Kind;
        m_f->open<LoanReportWindow>(byDepartment ? Kind::Department : Kind::Datewise);
        if (byDepartment)
            m_f->control<QComboBox>("Combo1")->setCurrentText(department);
        refusesAReversedRange();
        show(dec1, mar31);
        const QString range = " BETWEEN '2025-12-01' AND '2026-03-31'" +
                              (byDepartment ? QStringLiteral(" AND dept = '%1'").arg(department) : QString());
        QCOMPARE(m_f->text("Text3"), shown(sumOf("loan", "loanamt", "company = 'ACME' AND ldt" + range)));
        // Only the payroll rows that recovered an instalment.
        QCOMPARE(m_f->text("Text2"),
                 shown(sumOf("payroll", "loanrec", "company = 'ACME' AND loanrec > 0 AND ddate" + range)));
        QCOMPARE(QStringList({m_f->text("Text5"), m_f->text("Text1")}),
                 QStringList({QString::number(loans), QString::number(recoveries)}));
        QCOMPARE(m_f->control<QTableView>("MSHFlexGrid1")->model()->rowCount(), loans);
        QCOMPARE(m_f->control<QTableView>("MSHFlexGrid2")->model()->rowCount(), recoveries);

        // Each list prints its own report, without Ok having to come first.
        m_f->click("Command3");
        QCOMPARE(viewed().name, byDepartment ? QStringLiteral("DataReport6") : QStringLiteral("DataReport4"));
        QCOMPARE(viewed().rowCount(), loans);
        m_f->click(byDepartment ? "Command2" : "Command4");
        QCOMPARE(viewed().name, byDepartment ? QStringLiteral("DataReport7") : QStringLiteral("DataReport5"));
        QCOMPARE(viewed().rowCount(), recoveries);
    }

    // Refused with nothing shown: a month's salary before the employee is chosen; over months, employee 2
    // (of WORKERS, not of the group chosen) and a From month after the To month.
    void salaryOfAMonthAndRefusals()
    {
        m_f->open<SalaryReportWindow>();
        m_f->click("Command1");
        QCOMPARE(m_f->prompter.lastText(), QStringLiteral("Please choose the employee first."));
        m_f->control<QComboBox>("Combo5")->setCurrentText("STAFF");
        m_f->type("Combo4", "2");
        QVERIFY(m_f->prompter.lastText().contains(QStringLiteral("is not in the group STAFF")));
        QCOMPARE(m_f->text("Combo4"), QString());
        QCOMPARE(m_f->control<QComboBox>("Combo4")->count(), 2); // employees 1 and 3
        m_f->control<QDateEdit>("DTPicker3")->setDate({2026, 3, 5});
        m_f->control<QDateEdit>("DTPicker2")->setDate({2026, 4, 1});
        m_f->click("Command2");
        QCOMPARE(m_f->prompter.lastText(), QStringLiteral("The From Month (April 2026) is after the To Month (March "
                                                          "2026). Choose a From Month on or before the To Month."));
        QVERIFY(m_f->window()->findChildren<ReportViewer*>().isEmpty());

        m_f->type("Combo1", "1");
        m_f->control<QDateEdit>("DTPicker1")->setDate({2026, 3, 20});
        m_f->click("Command1");
        const report::Document& d = viewed();
        QCOMPARE(d.name, QStringLiteral("DataReport8"));
        // Employee 1's two ACME transactions of March; OTHER CO's of the same month stays out.
        QCOMPARE(d.rowCount(), 2);
        QCOMPARE(
            std::get<Currency>(d.sums().at(d.columnIndex("Netpay"))),
            sumOf("payroll", "netpay", "company = 'ACME' AND ID = 1 AND ddate BETWEEN '2026-03-01' AND '2026-03-31'"));
    }

    // The period runs from the first day of the From month to the last of the To month, whatever days
    // the pickers show; within one month the From picker may hold a later day than the To picker.
    void salaryOverMonths_data()
    {
        QTest::addColumn<QString>("employee");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<int>("lines");
        QTest::addColumn<QString>("condition");
        const QDate dec15(2025, 12, 15), mar2(2026, 3, 2);
        // clang-format off
        QTest::newRow("the group, a line per employee and rate") << QString() << dec15 << mar2 << 2 << "grp = 'STAFF'";
        QTest::newRow("one employee's months") << "1" << dec15 << mar2 << 4 << "grp = 'STAFF' AND ID = 1";
        QTest::newRow("one month") << QString() << QDate(2026, 3, 28) << QDate(2026, 3, 5) << 2 << "grp = 'STAFF'";
        // clang-format on
    }
    void salaryOverMonths()
    {
        QFETCH(QString, employee);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(int, lines);
        QFETCH(QString, condition);
        m_f->open<SalaryReportWindow>();
        m_f->control<QComboBox>("Combo5")->setCurrentText("STAFF");
        if (!employee.isEmpty())
            m_f->type("Combo4", employee);
        m_f->control<QDateEdit>("DTPicker2")->setDate(from);
        m_f->control<QDateEdit>("DTPicker3")->setDate(to);
        m_f->click("Command2");
        const report::Document& d = viewed();
        const auto month = [](QDate day) { return QLocale(QLocale::English).toString(day, "MMMMyyyy"); };
        QCOMPARE(QStringList({d.name, QString::number(d.rowCount()), d.label("Label22"), d.label("Label6"),
                              d.label("Label9")}),
                 QStringList({"DataReport10", QString::number(lines), month(from), month(to), "STAFF"}));
        const QString inPeriod = QStringLiteral("company = 'ACME' AND ddate BETWEEN '%1' AND '%2' AND ")
                                     .arg(QDate(from.year(), from.month(), 1).toString(Qt::ISODate),
                                          QDate(to.year(), to.month(), to.daysInMonth()).toString(Qt::ISODate)) +
                                 condition;
        QCOMPARE(std::get<Currency>(d.sums().at(d.columnIndex("Netpay"))), sumOf("payroll", "netpay", inPeriod));
    }

    // March of ACME through the bank: the account set in Bank Settings (a short number refused at
    // its box), the list shown after the employees to mend are named, and the month's upload file
    // written. An employee to mend stops the upload (the upload's other refusals, and its figures
    // against the bank's reference files, are test_report_definitions').
    void bankTransferWindowWritesTheUploadFile_data()
    {
        QTest::addColumn<bool>("kevinHasAnAccount");
        QTest::newRow("ready") << true;
        QTest::newRow("an employee to mend") << false;
    }
    void bankTransferWindowWritesTheUploadFile()
    {
        QFETCH(bool, kevinHasAnAccount);
        EmployeeRepository staff(m_f->db());
        for (const auto& [id, details] :
             {std::pair<qint64, bank::Details>{1, {bank::PayMode::Transfer, {}, "11112222", "SBIN0000001", {}}},
              {2, {bank::PayMode::Transfer, {}, kevinHasAnAccount ? "33334444" : "", "HDFC0000002", {}}},
              {3, {bank::PayMode::Cash, {}, {}, {}, {}}}}) {
            Employee e = staff.find(id).value().value();
            e.bank = details;
            QVERIFY(staff.update(e));
        }
        m_f->open<BankSettingsWindow>();
        m_f->type("txtAccountNo", "12345");
        m_f->type("txtBranchCode", "cnrb0000123");
        m_f->click("cmdSave");
        QVERIFY2(m_f->prompter.lastText().startsWith("The account number must be 6 to 18 digits"),
                 qPrintable(m_f->prompter.lastText()));
        m_f->type("txtAccountNo", "0123456789012");
        m_f->click("cmdSave");
        QCOMPARE(CompanyRepository(m_f->db()).bankSettings("ACME").value().account.branchCode, "CNRB0000123");

        m_f->open<BankTransferWindow>();
        m_f->control<QDateEdit>("dtpMonth")->setDate(reportMonth());
        const int toldBefore = int(m_f->prompter.entries().size());
        m_f->prompter.answer(false);
        m_f->click("cmdShow");
        // Employees to mend are named before the list, which is shown only when asked for.
        QCOMPARE(int(m_f->prompter.entries().size()) > toldBefore, !kevinHasAnAccount);
        if (kevinHasAnAccount)
            QCOMPARE(viewed().name, "BankTransferList");

        QTemporaryDir folder;
        const QString path = folder.filePath("bank.csv");
        if (!kevinHasAnAccount) {
            m_f->click("cmdUpload");
            QVERIFY2(m_f->prompter.lastText().contains("2 KEVIN O'BRIEN: no account number"),
                     qPrintable(m_f->prompter.lastText()));
            QVERIFY(m_f->prompter.suggestedPath().isEmpty());
            QVERIFY(!QFile::exists(path));
            return;
        }
        m_f->prompter.answerFile(path);
        m_f->click("cmdUpload");
        // RAMESH's two transactions of the month go as one transfer.
        QCOMPARE(m_f->prompter.lastText(), "Wrote " + path + ": 2 transfers.");
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), report::uploadFileOf(m_f->db(), "ACME", reportMonth()).value());
    }

    // The window shows the month's summary and writes the month's return as it is made (its figures are
    // checked against the fund's sample in test_report_definitions).
    void statutorySummaryWritesTheReturn_data()
    {
        QTest::addColumn<QDate>("month");
        QTest::addColumn<QString>("refusal"); // a part of the error; empty: the return is written
        QTest::newRow("two members") << QDate(2026, 5, 1) << QString();
        // March's payroll was paid before the fund's rules began.
        QTest::newRow("nobody charged") << reportMonth() << "there is no return to write";
    }
    void statutorySummaryWritesTheReturn()
    {
        QFETCH(QDate, month);
        QFETCH(QString, refusal);
        statutory::Rules fund;
        fund.company = "ACME";
        fund.from = QDate(2026, 5, 1);
        fund.pfOn = true;
        QVERIFY(StatutoryRepository(m_f->db()).save(fund));
        for (const auto& [name, uan] :
             {std::pair("ASHA DESAI", "100200300400"), std::pair("VIJAY KUMAR", "100200300401")}) {
            Employee e;
            e.name = name;
            e.basicRate = c("9996");
            e.pfNumber = uan;
            const auto id = EmployeeRepository(m_f->db()).insert(e);
            QVERIFY2(id, qPrintable(id.error()));
            PayrollTransaction t;
            t.employeeId = *id;
            t.name = name;
            t.monthRate = e.basicRate;
            t.payDate = QDate(2026, 5, 31);
            t.daysPresent = c("31");
            t.company = "ACME";
            const auto saved = PayrollRepository(m_f->db()).save(t, 0);
            QVERIFY2(saved, qPrintable(saved.error()));
        }

        m_f->open<StatutorySummaryWindow>();
        m_f->control<QDateEdit>("dtpMonth")->setDate(month);
        m_f->click("cmdShow");
        QCOMPARE(viewed().label("Label22"), QLocale(QLocale::English).toString(month, "MMMM yyyy"));
        QTemporaryDir folder;
        const QString path = folder.filePath("ECR.txt");
        // A month without a return is told before the operator is asked where to keep it.
        if (!refusal.isEmpty()) {
            m_f->click("cmdReturn");
            QVERIFY2(m_f->prompter.lastText().contains(refusal), qPrintable(m_f->prompter.lastText()));
            QVERIFY(m_f->prompter.suggestedPath().isEmpty());
            return;
        }
        m_f->prompter.answerFile(path);
        m_f->click("cmdReturn");
        QCOMPARE(m_f->prompter.lastText(), "Wrote " + path + ": 2 members.");
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), report::pfReturnOf(m_f->db(), "ACME", month).value());
    }

    // A header click sorts the grid by that column's values, and Ctrl+E writes what it shows.
    void gridSortsAndExports()
    {
        m_f->open<PayrollReportWindow>(PayrollReportWindow::Kind::Datewise);
        show(dec1, mar31);
        auto* grid = m_f->control<QTableView>("MSHFlexGrid1");
        grid->horizontalHeader()->setSortIndicator(12, Qt::DescendingOrder); // netpay, largest first

        QTemporaryDir folder;
        const QString path = folder.filePath("payroll.csv");
        m_f->prompter.answerFile(path);
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_E, Qt::ControlModifier);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
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
        QCOMPARE(grid->model()->rowCount(), int(m_f->database().count("SELECT count(*) FROM audit")));
        m_f->control<QComboBox>("cboKind")->setCurrentText("update");
        m_f->type("txtEmployee", "3");
        m_f->click("cmdShow");
        QCOMPARE(grid->model()->rowCount(), 1);
        auto* values = m_f->control<QTableWidget>("lvwValues");
        const auto changed = values->findItems("emname", Qt::MatchExactly);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(values->item(changed.first()->row(), 1)->text() + " > " + values->item(changed.first()->row(), 2)->text(),
                 oldName + " > ANNA SMITH-ROY");
        m_f->click("cmdVerify");
        QVERIFY2(m_f->prompter.lastText().endsWith("entries is intact."), qPrintable(m_f->prompter.lastText()));
    }

private:
    // Chooses the range and presses the button that shows it.
    void show(QDate from, QDate to, const char* button = "Command1")
    {
        m_f->control<QDateEdit>("DTPicker1")->setDate(from);
        m_f->control<QDateEdit>("DTPicker2")->setDate(to);
        m_f->click(button);
    }

    Currency sumOf(const QString& table, const QString& column, const QString& condition) const
    {
        const auto sum =
            SqlQuery(m_f->db(), QStringLiteral("SELECT sum(%1) FROM %2 WHERE %3").arg(column, table, condition)).total();
        if (!sum)
            qFatal("%s", qPrintable(sum.error()));
        return *sum;
    }

    // A From date after the To date is refused, and nothing is read or shown.
    void refusesAReversedRange()
    {
        show(mar31, mar1);
        QCOMPARE(m_f->prompter.lastText(),
                 QStringLiteral("The From Date (31/03/2026) is after the To Date (01/03/2026). Choose a From Date on "
                                "or before the To Date."));
        QVERIFY(m_f->window()->findChildren<ReportViewer*>().isEmpty());
        QCOMPARE(m_f->control<QTableView>("MSHFlexGrid1")->model()->rowCount(), 0);
    }

    const report::Document& viewed() const { return m_f->last<ReportViewer>()->document(); }

    std::unique_ptr<WindowFixture> m_f;
};

QTEST_MAIN(TestReportWindows)
#include "test_report_windows.moc"
