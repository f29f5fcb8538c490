#include "data/advance_repository.h"
#include "data/company_repository.h"
#include "data/employee_repository.h"
#include "data/loan_repository.h"
#include "data/master_repository.h"
#include "data/month_close.h"
#include "data/payroll_repository.h"
#include "data/sql_query.h"
#include "rules/pay_calculation.h"
#include "payroll/payroll_window.h"
#include "support/amounts.h"
#include "support/test_database.h"
#include "support/window_fixture.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QCompleter>
#include <QDateEdit>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

namespace {
Employee employee(const QString& name, const QString& department, const QString& group, const char* rate)
{
    Employee e;
    e.name = name;
    e.department = department;
    e.position = QStringLiteral("ACCOUNTANT");
    e.employmentStatus = QStringLiteral("Full Time");
    e.group = group;
    e.basicRate = c(rate);
    return e;
}

const QStringList amountBoxes = {"txtAbsences", "txtAdvances", "txtBonus", "txtNumDays", "txtOverTime",
                                 "txtsss",      "txttax",      "txtph",    "txtOther",   "Text2"};
} // namespace

// The payroll window on a database of ACME with two employees: 1 RAMESH PATEL (10000 a month; loans
// of 3000 and 2000, the later one deducting 1000 a month; advances of 500 and 300 in March 2026)
// and 2 KEVIN O'BRIEN (15500, nothing else). Today is 15 March 2026.
class TestPayrollWindow : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        // Figures nobody types over are grouped as the installation writes them.
        Currency::setGrouping(Grouping::International);
        m_f = std::make_unique<WindowFixture>();
        Database& db = m_f->db();
        QVERIFY(CompanyRepository(db).add("ACME", {}).ok());
        for (const char* department : {"ACCOUNTS", "SALES", "STORES"})
            MasterRepository(db, MasterRepository::Kind::Department).add(department);
        MasterRepository(db, MasterRepository::Kind::Group).add("STAFF");
        MasterRepository(db, MasterRepository::Kind::Group).add("WORKERS");
        EmployeeRepository staff(db);
        QCOMPARE(staff.insert(employee("RAMESH PATEL", "ACCOUNTS", "STAFF", "10000")).value(), 1);
        QCOMPARE(staff.insert(employee("KEVIN O'BRIEN", "SALES", "WORKERS", "15500")).value(), 2);
        for (const auto& [lent, monthly, date] :
             {std::tuple{"3000", "500", QDate(2025, 1, 10)}, {"2000", "1000", QDate(2025, 6, 1)}})
            QVERIFY(LoanRepository(db).insert(
                {1, "RAMESH PATEL", c(lent), c(monthly), date, QTime(9, 0), "ACCOUNTS", "ACME"}));
        for (const auto& [amount, date] :
             {std::pair{"500", QDate(2026, 3, 2)}, {"300", QDate(2026, 3, 20)}, {"999", QDate(2026, 4, 1)}})
            QVERIFY(AdvanceRepository(db).insert({1, "RAMESH PATEL", c(amount), date, QTime(9, 0), "ACME"}));
        open();
    }
    void cleanup() { m_f.reset(); }

    void enteredInAnyOrderAndSavedAsCalculated()
    {
        type("cboEmpID", "1");
        type("txttax", "12.5");
        type("Text2", "20.25");
        type("txtBonus", "100");
        type("txtNumDays", "25");
        QCOMPARE(text("txtAbsences"), QStringLiteral("8,064"));
        type("txtOverTime", "50");
        QCOMPARE(text("lbltemp"), QStringLiteral("170.25"));
        type("txtph", "13.5");
        type("txtOther", "."); // a lone point is nothing
        QCOMPARE(texts({"txttax", "txtph", "txtOther"}), (QStringList{"12", "14", "0"})); // whole, half to even
        // Deductions: advances 800 + loan 1000 + LIC 12 + contribution 14 = 1826.
        QCOMPARE(text("lblDeduct"), QStringLiteral("1,826"));
        QCOMPARE(text("lblNetPay"), QStringLiteral("6,408.25"));

        // Enter on Save saves (the Tab and Enter order of the boxes is walked with every window's).
        m_f->prompter.answer(true);
        m_f->control("cmdSave")->setFocus();
        QTest::keyClick(m_f->control("cmdSave"), Qt::Key_Return);
        QCOMPARE(m_f->prompter.entries().first().defaultButton, Prompter::Default::Yes); // Enter confirms the save
        QCOMPARE(m_f->prompter.lastText(), QStringLiteral("Data successfully save."));
        const auto rows = stored();
        QCOMPARE(rows.size(), 1);
        const PayrollTransaction& t = rows.first();
        const PayResult expected = *calculatePay({c("10000"), QDate(2026, 3, 15), c("25"), c("100"), c("50"), c("20.25"),
                                                  c("800"), c("1000"), c("12"), c("14"), c("0")});
        QCOMPARE(QStringList({QString::number(t.employeeId), t.name, t.department, t.group, t.company,
                              t.payDate.toString(Qt::ISODate)}),
                 QStringList({"1", "RAMESH PATEL", "ACCOUNTS", "STAFF", "ACME", "2026-03-15"}));
        QCOMPARE(QList<Currency>({t.monthRate, t.presentDaysSalary, t.totalAdditional, t.totalDeductions, t.netPay}),
                 QList<Currency>({expected.monthlyRate, expected.presentDaysSalary, expected.totalAdditional,
                                  expected.totalDeductions, expected.netPay}));
        // Each box in its column.
        QCOMPARE(QList<Currency>({t.daysPresent, t.bonus, t.overtime, t.travel, t.loanRecovered, t.totalLoan, t.lic,
                                  t.contribution, t.pgvcl}),
                 QList<Currency>({c("25"), c("100"), c("50"), c("20.25"), c("1000"), c("5000"), c("12"), c("14"), {}}));

        // Nothing of this employee carries over to the next: every amount, travel too, and the employee go.
        for (const QString& box : amountBoxes)
            QCOMPARE(text(box), QStringLiteral("0"));
        QCOMPARE(text("lblName") + text("cboEmpID") + text("Combo1"), QString());
    }

    // Chosen by number or by name after another employee, every field is the employee's; chosen
    // again, everything is read again.
    void choosingFillsEverything_data()
    {
        QTest::addColumn<bool>("byName");
        QTest::newRow("by number") << false;
        QTest::newRow("by name") << true;
    }
    void choosingFillsEverything()
    {
        QFETCH(bool, byName);
        const auto chooseRamesh = [&] { byName ? chooseName(0) : type("cboEmpID", "1"); };
        type("cboEmpID", "2");
        QCOMPARE(texts({"lblName", "txtsss"}), (QStringList{"KEVIN O'BRIEN", "0"}));
        chooseRamesh();
        QVERIFY(m_f->prompter.entries().isEmpty());
        QCOMPARE(texts({"cboEmpID", "Combo1", "lblName", "lblDept", "lblPosition", "lblStatus", "Combo2", "lblRate",
                        "lblPerDay", "Label24", "Text1", "txtsss", "txtAdvances"}),
                 (QStringList{"1", "RAMESH PATEL", "RAMESH PATEL", "ACCOUNTS", "ACCOUNTANT", "Full Time", "STAFF",
                              "10,000", "322.58", "0", "5000", "1000", "800"}));
        // An advance entered meanwhile elsewhere shows when the employee shown is chosen again.
        QVERIFY(AdvanceRepository(m_f->db()).insert({1, "RAMESH PATEL", c("200"), QDate(2026, 3, 9), QTime(9, 0), "ACME"}));
        chooseRamesh();
        QCOMPARE(text("txtAdvances"), QStringLiteral("1000"));
        type("txtNumDays", "20");
        save();
        // The second transaction of the month deducts the loan again, from what is still owed.
        chooseRamesh();
        QCOMPARE(text("txtsss") + "|" + text("Label24"), QStringLiteral("1000|1000"));
        type("txtNumDays", "1");
        save({true, false}); // another one for this month? No, the default, stores nothing
        QVERIFY(m_f->prompter.lastText().contains("already exists"));
        QCOMPARE(m_f->prompter.last().defaultButton, Prompter::Default::No);
        QCOMPARE(stored().size(), 1);
        save({true, true});
        const auto rows = stored();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows.at(1).loanRecovered, c("1000"));
        QCOMPARE(rows.at(1).advances, c("1000"));
        // Asked from the list first; a row stored meanwhile at another workstation, which the list does
        // not show, is asked about again before the save.
        PayrollTransaction elsewhere = rows.at(1);
        elsewhere.transId = 0;
        QVERIFY(PayrollRepository(m_f->db()).insert(elsewhere));
        chooseRamesh();
        type("txtNumDays", "1");
        const qsizetype asked = m_f->prompter.texts().filter("already exists").size();
        save({true, true, true});
        QCOMPARE(m_f->prompter.texts().filter("already exists").size(), asked + 2);
        QCOMPARE(stored().size(), 4);
    }

    // What the window offers from what was lent and recovered, and what the save stores.
    void loanDeductionIsWhatIsStillOwed_data()
    {
        QTest::addColumn<QString>("recovered");
        QTest::addColumn<QString>("offered");
        QTest::addColumn<QString>("meanwhile"); // recovered at another workstation after the choice
        QTest::addColumn<QString>("saved");
        // clang-format off
        QTest::newRow("the last instalment is smaller") << "4500" << "500" << "0" << "500";
        QTest::newRow("repaid") << "5000" << "0" << "0" << "0";
        QTest::newRow("recovered beyond what was lent") << "6000" << "0" << "0" << "0";
        QTest::newRow("recovered meanwhile at another workstation") << "4500" << "500" << "300" << "200";
        // clang-format on
    }
    void loanDeductionIsWhatIsStillOwed()
    {
        QFETCH(QString, recovered);
        // Recovered at another company, stored as a file from before the rules may hold it (more than lent).
        const auto recover = [&](const char* date, const QString& amount) {
            return SqlQuery(m_f->db(), "INSERT INTO payroll (ID, ddate, loanrec, company) VALUES (1, ?, ?, 'OTHER')")
                .bind(QString::fromLatin1(date))
                .bind(*Currency::parse(amount))
                .exec()
                .ok();
        };
        QVERIFY(recover("2025-12-31", recovered));
        chooseName(0);
        QCOMPARE(text("Label24"), recovered);
        QCOMPARE(text("Text1"), QStringLiteral("5000"));
        QTEST(text("txtsss"), "offered");
        // The save finds what is still owed then, and says so when it is less than the screen's figure.
        QFETCH(QString, meanwhile);
        QFETCH(QString, saved);
        if (meanwhile != "0")
            QVERIFY(recover("2026-01-31", meanwhile));
        type("txtNumDays", "31");
        save();
        QCOMPARE(stored().size(), 1);
        QCOMPARE(stored().first().loanRecovered, *Currency::parse(saved));
        QCOMPARE(m_f->prompter.texts().join('\n').contains("The loan deduction saved is " + saved), meanwhile != "0");
    }

    void numberBoxChoosesWhatIsTyped()
    {
        Employee seventy = employee("SEVENTY", "STORES", "STAFF", "70000");
        seventy.id = 70;
        QVERIFY(EmployeeRepository(m_f->db()).insert(seventy).ok());
        open();
        type("txtNumDays", "10");
        save({});
        QCOMPARE(m_f->prompter.texts(), QStringList{"Please select an employee ID number."});
        // Employee 7 joins after the lists were read: "7" and Enter is still 7, never a completion to 70.
        Employee seven = employee("SEVEN", "STORES", "STAFF", "7000");
        seven.id = 7;
        QVERIFY(EmployeeRepository(m_f->db()).insert(seven).ok());
        type("cboEmpID", "7");
        QCOMPARE(texts({"lblName", "cboEmpID", "Combo1"}), (QStringList{"SEVEN", "7", "SEVEN"}));
        // A number typed and left is chosen too, so what is shown is always what is typed.
        type("cboEmpID", "70", false);
        m_f->control("txtBonus")->setFocus();
        QCOMPARE(text("lblName"), QStringLiteral("SEVENTY"));
        // A number of nobody puts the last employee away and says so.
        type("cboEmpID", "999");
        QCOMPARE(m_f->prompter.lastText(), QStringLiteral("Invalid Employee ID Number. Please try again"));
        QCOMPARE(texts({"lblName", "lblRate", "txtAdvances"}), (QStringList{"", "0", "0"}));
        save({}); // leaving the box said nothing more; Save says it once again
        QCOMPARE(m_f->prompter.entries().size(), 3);
        QCOMPARE(stored().size(), 0);
    }

    // A company of a thousand employees: the lists are read a page at a time, and every way of choosing
    // reaches every employee; twins (3 is another RAMESH PATEL) stay apart, beyond the pages read too.
    void everyEmployeeOfALargeCompanyCanBeChosen()
    {
        QVERIFY(SqlQuery(m_f->db(), "WITH RECURSIVE n(i) AS (SELECT 3 UNION ALL SELECT i + 1 FROM n WHERE i < 1000) "
                                    "INSERT INTO emp (ID, emname, dept, grp, basicrate) SELECT i, CASE WHEN i = 3 THEN "
                                    "'RAMESH PATEL' WHEN i >= 999 THEN 'LATE TWIN' ELSE 'WORKER ' || (10000 + i) END, "
                                    "'STORES', 'STAFF', 100000 FROM n")
                    .exec());
        open();
        auto* names = m_f->control<QComboBox>("Combo1");
        QVERIFY(names->count() < 1000);
        // The entry picked is the employee chosen, with the keyboard as with the list; the second twin
        // chosen by number stays chosen when the name box is left.
        QCOMPARE(names->itemText(2), QStringLiteral("RAMESH PATEL"));
        names->setFocus();
        names->setCurrentIndex(1);
        QTest::keyClick(names, Qt::Key_Down);
        QCOMPARE(texts({"cboEmpID", "lblDept"}), (QStringList{"3", "STORES"}));
        chooseName(0);
        QCOMPARE(texts({"cboEmpID", "lblDept"}), (QStringList{"1", "ACCOUNTS"}));
        type("cboEmpID", "3");
        names->setFocus();
        m_f->control("txtBonus")->setFocus();
        QCOMPARE(texts({"cboEmpID", "lblDept"}), (QStringList{"3", "STORES"}));
        // By number, beyond the entries read, or the last of them: the name box shows the name all the
        // same, and an arrow key steps on from there.
        const int read = names->count();
        for (const int number : {750, read}) {
            type("cboEmpID", QString::number(number));
            QCOMPARE(text("lblName") + "|" + text("Combo1"), QStringLiteral("WORKER %1|WORKER %1").arg(10000 + number));
            names->setFocus();
            QTest::keyClick(names, Qt::Key_Down);
            QCOMPARE(text("cboEmpID"), QString::number(number + 1));
        }
        // The names that begin with what is typed are offered from every employee; one is picked.
        names->lineEdit()->selectAll();
        QTest::keyClicks(names->lineEdit(), "worker 1098");
        QCompleter* completer = nullptr;
        for (auto* c : m_f->window()->findChildren<QCompleter*>())
            if (c->widget() == names->lineEdit())
                completer = c;
        QVERIFY(completer && completer->popup()->isVisible());
        QCOMPARE(completer->popup()->model()->rowCount(), 10);
        QTest::keyClick(completer->popup(), Qt::Key_Down);
        QTest::keyClick(completer->popup(), Qt::Key_Return);
        QCOMPARE(text("cboEmpID") + " " + text("Combo1"), QStringLiteral("980 WORKER 10980"));
        // One of twins chosen by number stays chosen by Enter in the name box; a name typed whole
        // chooses the last employee of that name.
        type("cboEmpID", "999");
        names->setFocus();
        QTest::keyClick(names, Qt::Key_Return);
        QCOMPARE(text("cboEmpID"), QStringLiteral("999"));
        type("cboEmpID", "2");
        names->lineEdit()->selectAll();
        QTest::keyClicks(names->lineEdit(), "late twin");
        QTest::keyClick(completer->popup(), Qt::Key_Return);
        QCOMPARE(text("cboEmpID") + " " + text("lblName"), QStringLiteral("1000 LATE TWIN"));
        QVERIFY(m_f->prompter.entries().isEmpty());
    }

    // The month's length is the rules' (tried in test_rules); the window says it. Half days are stored as such.
    void daysPresentAreChecked_data()
    {
        QTest::addColumn<QString>("days");
        QTest::addColumn<QString>("message"); // empty: stored
        QTest::newRow("none") << "0" << "Number of days cannot be zero Please enter greater than zero";
        QTest::newRow("all of March") << "31" << "";
        QTest::newRow("half days") << "30.5" << "";
        QTest::newRow("over March") << "31.5" << "The days present cannot be more than the 31 days of March 2026.";
    }
    void daysPresentAreChecked()
    {
        QFETCH(QString, days);
        QFETCH(QString, message);
        type("cboEmpID", "2");
        type("txtNumDays", days);
        save(message.isEmpty() ? std::initializer_list<bool>{true} : std::initializer_list<bool>{});
        QCOMPARE(stored().size(), message.isEmpty() ? 1 : 0);
        if (message.isEmpty())
            QCOMPARE(stored().first().daysPresent.toString(), days);
        else
            QCOMPARE(m_f->prompter.texts(), QStringList{message});
    }

    void tooLargeFiguresAreExplained()
    {
        // A basic rate near the largest amount, as a file from before the rules may hold: the net pay
        // cannot be held (which figures can is tried in test_pay_calculation).
        QVERIFY(SqlQuery(m_f->db(), "INSERT INTO emp (ID, emname, dept, grp, basicrate) VALUES (3, 'BIG', 'STORES', "
                                    "'STAFF', 9223372000000000000)")
                    .exec());
        open();
        type("cboEmpID", "3");
        type("txtNumDays", "31");
        type("txtBonus", "99999999");
        QCOMPARE(text("lblNetPay"), QStringLiteral("too large"));
        save({});
        QCOMPARE(m_f->prompter.texts(), QStringList{"The Net Pay is too large to work out. Please check the amounts and "
                                                    "the employee's basic rate (922337200000000)."});
        // The refused entry is still the operator's: closing asks before dropping it, and No keeps it.
        QVERIFY(!m_f->window()->close());
        QCOMPARE(m_f->prompter.last().kind, ScriptedPrompter::Kind::Question);
        QCOMPARE(text("txtNumDays"), QStringLiteral("31"));
        m_f->prompter.answer(true);
        QVERIFY(m_f->window()->close());
        QCOMPARE(stored().size(), 0);
    }

    void editPanelLoadsOnEnterAndUpdatesWithTheSameChecks()
    {
        type("cboEmpID", "1");
        type("txtNumDays", "25");
        save();
        const qint64 transId = stored().first().transId;
        // Something else typed on the screen: loading asks before it is lost.
        type("cboEmpID", "2");
        type("txtBonus", "5");
        QTest::keyClick(m_f->control("txtBonus"), Qt::Key_O, Qt::ControlModifier);
        type("Text3", QString::number(transId));
        QCOMPARE(m_f->prompter.last().kind, ScriptedPrompter::Kind::Question);
        QCOMPARE(text("lblName"), QStringLiteral("KEVIN O'BRIEN"));
        // Enter loads the transaction; it does not rewrite it.
        m_f->prompter.answer(true);
        type("Text3", QString::number(transId));
        QCOMPARE(texts({"lblName", "txtNumDays", "txtAbsences"}), (QStringList{"RAMESH PATEL", "25", "8,064"}));
        QVERIFY(!m_f->prompter.texts().contains("Payroll Updated"));

        // Update makes the checks Save makes.
        type("txtNumDays", "0");
        m_f->click("Command1");
        QCOMPARE(m_f->prompter.lastText(), QStringLiteral("Number of days cannot be zero Please enter greater than zero"));
        QCOMPARE(stored().first().daysPresent, c("25"));

        // Another workstation changed the transaction since it was loaded: the update shows it and asks
        // before overwriting it.
        QVERIFY(SqlQuery(m_f->db(), "UPDATE payroll SET ot = 770000 WHERE transid = ?").bind(transId).exec());
        type("txtNumDays", "26");
        type("txtBonus", "250");
        m_f->click("Command1");
        QVERIFY2(m_f->prompter.lastText().startsWith(
                     QStringLiteral("Transaction %1 was changed at another workstation").arg(transId)),
                 qPrintable(m_f->prompter.lastText()));
        QCOMPARE(stored().first().overtime, c("77"));
        m_f->prompter.answer(true);
        m_f->click("Command1");
        QCOMPARE(m_f->prompter.lastText(), QStringLiteral("Payroll Updated"));
        const PayrollTransaction t = PayrollRepository(m_f->db()).find(transId)->value();
        const PayResult expected =
            *calculatePay({c("10000"), QDate(2026, 3, 15), c("26"), c("250"), {}, {}, c("800"), c("1000"), {}, {}, {}});
        QCOMPARE(
            QList<Currency>({t.presentDaysSalary, t.totalAdditional, t.totalDeductions, t.netPay, t.totalLoan}),
            QList<Currency>({c("8387"), expected.totalAdditional, expected.totalDeductions, expected.netPay, c("5000")}));
        QCOMPARE(stored().size(), 1);

        // A number with no transaction of this company says so, and nothing is updated.
        QTest::keyClick(m_f->control("txtBonus"), Qt::Key_O, Qt::ControlModifier);
        type("Text3", "77");
        QCOMPARE(m_f->prompter.lastText(), QStringLiteral("There is no payroll transaction number 77."));
        m_f->click("Command1");
        QCOMPARE(m_f->prompter.lastText(), QStringLiteral("There is no payroll transaction number 77."));
    }

    void monthShownFollowsThePicker()
    {
        PayrollRepository payroll(m_f->db());
        ensureKnown(m_f->db(), {"OTHER"});
        PayrollTransaction t;
        t.employeeId = 2;
        t.name = "KEVIN O'BRIEN";
        for (const auto& [date, company] :
             {std::pair{QDate(2026, 3, 31), "ACME"}, {QDate(2026, 3, 31), "OTHER"}, {QDate(2026, 4, 1), "ACME"}}) {
            t.payDate = date;
            t.company = QString::fromLatin1(company);
            QVERIFY(payroll.insert(t).ok());
        }
        open();
        // The list is the company's month alone.
        QAbstractItemModel* model = m_f->control<QTableView>("lvwInfo")->model();
        QCOMPARE(model->rowCount(), 1);
        QCOMPARE(model->index(0, 1).data().toString() + " " + model->index(0, 3).data().toString(),
                 QStringLiteral("KEVIN O'BRIEN 31/03/2026"));
        // A saved row is listed at once.
        type("cboEmpID", "1");
        type("txtNumDays", "3");
        save();
        QCOMPARE(model->rowCount(), 2);
        // Another month: its list, the days of its month in the daily rate, its advances.
        type("cboEmpID", "1");
        auto* picker = m_f->control<QDateEdit>("DTPicker1");
        picker->setDate(QDate(2026, 2, 10));
        QCOMPARE(model->rowCount(), 0);
        picker->setDate(QDate(2026, 4, 30));
        QCOMPARE(text("lblPerDay") + "|" + text("txtAdvances"), QStringLiteral("333.33|999"));
        QCOMPARE(model->rowCount(), 1);
    }

    // A closed month shows who closed it and takes no entry; the next month is open as ever.
    void aClosedMonthIsShownLocked()
    {
        QVERIFY(MonthCloseRepository(m_f->db()).close("ACME", QDate(2026, 3, 1)));
        open();
        QCOMPARE(m_f->text("lblClosedMonth"), QStringLiteral("March 2026 closed by admin on 15/03/2026"));
        QVERIFY(m_f->control("lblClosedMonth")->isVisible());
        QVERIFY(!m_f->control("cmdSave")->isEnabled());
        QVERIFY(m_f->control<QLineEdit>("txtNumDays")->isReadOnly());
        type("cboEmpID", "1");
        m_f->control<QDateEdit>("DTPicker1")->setDate(QDate(2026, 4, 30));
        QVERIFY(!m_f->control("lblClosedMonth")->isVisible());
        type("txtNumDays", "3");
        save(); // enabled again
        QCOMPARE(PayrollRepository(m_f->db()).month("ACME", QDate(2026, 4, 1)).value().size(), 1);
    }

private:
    PayrollWindow* open() { return m_f->open<PayrollWindow>(); }
    QString text(const QString& name) { return m_f->text(name); }
    QStringList texts(std::initializer_list<const char*> names) { return m_f->texts(names); }
    void type(const QString& box, const QString& what, bool enter = true) { m_f->type(box, what, enter); }
    void chooseName(int entry)
    {
        auto* combo = m_f->control<QComboBox>("Combo1");
        combo->setCurrentIndex(entry);
        emit combo->activated(entry);
    }
    // Presses Save with the answers queued for its questions: save? and, for a second row of the
    // month, another one? None for a save refused before any question.
    void save(std::initializer_list<bool> answers = {true})
    {
        for (bool yes : answers)
            m_f->prompter.answer(yes);
        m_f->click("cmdSave");
    }
    QList<PayrollTransaction> stored() { return PayrollRepository(m_f->db()).month("ACME", QDate(2026, 3, 1)).value(); }

    std::unique_ptr<WindowFixture> m_f;
};

QTEST_MAIN(TestPayrollWindow)
#include "test_payroll_window.moc"
