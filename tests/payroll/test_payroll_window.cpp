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
#include "support/window_fixture.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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
    void init();
    void cleanup();
    void bothWaysOfChoosingFillTheSameFields();
    void enteredInAnyOrderAndSavedAsCalculated();
    void choosingAgainRefillsEverything_data();
    void choosingAgainRefillsEverything();
    void loanDeductionIsWhatIsStillOwed_data();
    void loanDeductionIsWhatIsStillOwed();
    void keyboardOnlyEntry();
    void numberBoxChoosesWhatIsTyped();
    void twinsStayApart();
    void everyEmployeeOfALargeCompanyCanBeChosen();
    void boxesShowWhatIsStored_data();
    void boxesShowWhatIsStored();
    void daysPresentAreChecked_data();
    void daysPresentAreChecked();
    void tooLargeFiguresAreExplained();
    void editPanelLoadsOnEnterAndUpdatesWithTheSameChecks();
    void monthShownFollowsThePicker();
    void closingAsksBeforeDroppingAnEntry();
    void aClosedMonthIsShownLocked();

private:
    PayrollWindow* open() { return m_f->open<PayrollWindow>(); }
    QString text(const QString& name) { return m_f->text(name); }
    void type(const QString& box, const QString& what, bool enter = true) { m_f->type(box, what, enter); }
    void chooseName(int entry);
    // Presses Save with the answers queued for its questions: save? and, for a second row of the
    // month, another one? None for a save refused before any question.
    void save(std::initializer_list<bool> answers = {true});
    QList<PayrollTransaction> stored();

    std::unique_ptr<WindowFixture> m_f;
};

void TestPayrollWindow::init()
{
    // Figures nobody types over are grouped as the installation writes them.
    Currency::setGrouping(Grouping::International);
    m_f = std::make_unique<WindowFixture>();
    Database& db = m_f->db();
    QVERIFY(CompanyRepository(db).add("ACME", {}).ok());
    MasterRepository(db, MasterRepository::Kind::Group).add("STAFF");
    MasterRepository(db, MasterRepository::Kind::Group).add("WORKERS");
    EmployeeRepository staff(db);
    QCOMPARE(staff.insert(employee("RAMESH PATEL", "ACCOUNTS", "STAFF", "10000")).value(), 1);
    QCOMPARE(staff.insert(employee("KEVIN O'BRIEN", "SALES", "WORKERS", "15500")).value(), 2);
    LoanRepository loans(db);
    QVERIFY(
        loans.insert({1, "RAMESH PATEL", c("3000"), c("500"), QDate(2025, 1, 10), QTime(9, 0), "ACCOUNTS", "ACME"}));
    QVERIFY(
        loans.insert({1, "RAMESH PATEL", c("2000"), c("1000"), QDate(2025, 6, 1), QTime(9, 0), "ACCOUNTS", "ACME"}));
    AdvanceRepository advances(db);
    QVERIFY(advances.insert({1, "RAMESH PATEL", c("500"), QDate(2026, 3, 2), QTime(9, 0), "ACME"}));
    QVERIFY(advances.insert({1, "RAMESH PATEL", c("300"), QDate(2026, 3, 20), QTime(9, 0), "ACME"}));
    QVERIFY(advances.insert({1, "RAMESH PATEL", c("999"), QDate(2026, 4, 1), QTime(9, 0), "ACME"}));
    open();
}

void TestPayrollWindow::cleanup()
{
    m_f.reset();
}

void TestPayrollWindow::chooseName(int entry)
{
    auto* combo = m_f->control<QComboBox>("Combo1");
    combo->setCurrentIndex(entry);
    emit combo->activated(entry);
}

void TestPayrollWindow::save(std::initializer_list<bool> answers)
{
    for (bool yes : answers)
        m_f->prompter.answer(yes);
    m_f->click("cmdSave");
}

QList<PayrollTransaction> TestPayrollWindow::stored()
{
    return PayrollRepository(m_f->db()).month("ACME", QDate(2026, 3, 1)).value();
}

void TestPayrollWindow::bothWaysOfChoosingFillTheSameFields()
{
    const QStringList shown = {"lblName", "lblDept", "lblPosition", "lblStatus",   "lblRate", "lblPerDay",
                               "Label24", "Text1",   "txtsss",      "txtAdvances", "Combo2",  "Combo1"};
    const auto values = [&] {
        QStringList list;
        for (const QString& name : shown)
            list << text(name);
        return list;
    };
    type("cboEmpID", "1");
    QVERIFY(m_f->prompter.entries().isEmpty());
    const QStringList byNumber = values();
    QCOMPARE(byNumber, (QStringList{"RAMESH PATEL", "ACCOUNTS", "ACCOUNTANT", "Full Time", "10,000", "322.58", "0",
                                    "5000", "1000", "800", "STAFF", "RAMESH PATEL"}));
    type("cboEmpID", "2");
    QCOMPARE(text("lblName"), QStringLiteral("KEVIN O'BRIEN"));
    QCOMPARE(text("txtsss"), QStringLiteral("0"));
    chooseName(0);
    QCOMPARE(values(), byNumber);
    QCOMPARE(text("cboEmpID"), QStringLiteral("1"));
}

void TestPayrollWindow::enteredInAnyOrderAndSavedAsCalculated()
{
    type("cboEmpID", "1");
    type("txttax", "12.5");
    QCOMPARE(text("txttax"), QStringLiteral("12"));
    type("Text2", "20.25");
    type("txtBonus", "100");
    type("txtNumDays", "25");
    QCOMPARE(text("txtAbsences"), QStringLiteral("8,064"));
    type("txtOverTime", "50");
    QCOMPARE(text("lbltemp"), QStringLiteral("170.25"));
    type("txtph", "13.5");
    QCOMPARE(text("txtph"), QStringLiteral("14"));
    // Deductions: advances 800 + loan 1000 + LIC 12 + contribution 14 = 1826.
    QCOMPARE(text("lblDeduct"), QStringLiteral("1,826"));
    QCOMPARE(text("lblNetPay"), QStringLiteral("6,408.25"));

    save();
    const auto asked = m_f->prompter.entries().first();
    QCOMPARE(asked.kind, ScriptedPrompter::Kind::Question);
    QCOMPARE(asked.defaultButton, Prompter::Default::Yes); // Enter confirms the save
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
    QCOMPARE(QList<Currency>({t.daysPresent, t.loanRecovered, t.totalLoan, t.travel, t.lic, t.contribution}),
             QList<Currency>({c("25"), c("1000"), c("5000"), c("20.25"), c("12"), c("14")}));

    // Nothing of this employee carries over to the next: every amount, travel too, and the employee go.
    for (const QString& box : amountBoxes)
        QCOMPARE(text(box), QStringLiteral("0"));
    QCOMPARE(text("lblName") + text("cboEmpID") + text("Combo1"), QString());
    QVERIFY(m_f->control("Combo1")->hasFocus());
    QCOMPARE(m_f->control<QTableView>("lvwInfo")->model()->rowCount(), 1);
}

void TestPayrollWindow::choosingAgainRefillsEverything_data()
{
    QTest::addColumn<bool>("byName");
    // clang-format off
    QTest::newRow("by number") << false;
    QTest::newRow("by name") << true;
    // clang-format on
}

void TestPayrollWindow::choosingAgainRefillsEverything()
{
    QFETCH(bool, byName);
    const auto chooseRamesh = [&] { byName ? chooseName(0) : type("cboEmpID", "1"); };
    chooseRamesh();
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

void TestPayrollWindow::loanDeductionIsWhatIsStillOwed_data()
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

void TestPayrollWindow::loanDeductionIsWhatIsStillOwed()
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

void TestPayrollWindow::keyboardOnlyEntry()
{
    // Boxes the operator cannot type into take no focus and look so.
    for (const char* box : {"txtAdvances", "Text1", "txtsss", "txtAbsences", "txtMonth", "txtYear"}) {
        auto* edit = m_f->control<QLineEdit>(box);
        QVERIFY2(edit->isReadOnly() && edit->focusPolicy() == Qt::NoFocus, box);
        QCOMPARE(edit->palette().color(QPalette::Base), QColor(224, 224, 224));
    }
    QCOMPARE(m_f->control<QLineEdit>("txtBonus")->palette().color(QPalette::Base), QColor(Qt::white));
    // Number, Enter, and from one typed box to the next with Enter alone, ending on Save.
    QVERIFY(m_f->control("cboEmpID")->hasFocus());
    QTest::keyClicks(m_f->control<QComboBox>("cboEmpID")->lineEdit(), "2");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    for (const char* box : {"txtBonus", "txtOverTime", "Text2", "txttax", "txtph", "txtOther", "txtNumDays"}) {
        QVERIFY2(m_f->control(box)->hasFocus(), box);
        QTest::keyClicks(QApplication::focusWidget(), box == QLatin1String("txtNumDays") ? "30" : "1");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    QVERIFY(m_f->control("cmdSave")->hasFocus());
    m_f->prompter.answer(true);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(stored().size(), 1);
    QCOMPARE(stored().first().netPay, c("15000")); // 30 days of 500, 3 added and 3 deducted
}

void TestPayrollWindow::numberBoxChoosesWhatIsTyped()
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
    QCOMPARE(text("lblName") + "|" + text("cboEmpID") + "|" + text("Combo1"), QStringLiteral("SEVEN|7|SEVEN"));
    // A number typed and left is chosen too, so what is shown is always what is typed.
    type("cboEmpID", "70", false);
    m_f->control("txtBonus")->setFocus();
    QCOMPARE(text("lblName"), QStringLiteral("SEVENTY"));
    // A number of nobody puts the last employee away, says so, and stays for correction.
    type("cboEmpID", "999");
    QCOMPARE(m_f->prompter.lastText(), QStringLiteral("Invalid Employee ID Number. Please try again"));
    QCOMPARE(m_f->prompter.last().title, QStringLiteral("Information"));
    QCOMPARE(text("lblName") + "|" + text("lblRate") + "|" + text("txtAdvances"), QStringLiteral("|0|0"));
    QVERIFY(m_f->control("cboEmpID")->hasFocus());
    save({}); // leaving the box said nothing more; Save says it once again
    QCOMPARE(m_f->prompter.entries().size(), 3);
    QCOMPARE(stored().size(), 0);
}

void TestPayrollWindow::twinsStayApart()
{
    QCOMPARE(EmployeeRepository(m_f->db()).insert(employee("RAMESH PATEL", "STORES", "STAFF", "9000")).value(), 3);
    open();
    auto* names = m_f->control<QComboBox>("Combo1");
    QCOMPARE(names->itemText(2), QStringLiteral("RAMESH PATEL"));
    // The entry picked is the employee chosen, with the keyboard as with the list.
    names->setFocus();
    names->setCurrentIndex(1);
    QTest::keyClick(names, Qt::Key_Down);
    QCOMPARE(text("cboEmpID") + " " + text("lblDept"), QStringLiteral("3 STORES"));
    chooseName(0);
    QCOMPARE(text("cboEmpID") + " " + text("lblDept"), QStringLiteral("1 ACCOUNTS"));
    // The second of the two chosen by number: leaving the name box, or Enter in it, keeps that one.
    type("cboEmpID", "3");
    names->setFocus();
    m_f->control("txtBonus")->setFocus();
    QCOMPARE(text("cboEmpID") + " " + text("lblDept"), QStringLiteral("3 STORES"));
    names->setFocus();
    QTest::keyClick(names, Qt::Key_Return);
    QCOMPARE(text("cboEmpID") + " " + text("lblDept"), QStringLiteral("3 STORES"));
}

// A company of a thousand employees: the lists are read a page at a time, and every way of choosing
// reaches every employee, twins beyond the pages read included.
void TestPayrollWindow::everyEmployeeOfALargeCompanyCanBeChosen()
{
    QVERIFY(SqlQuery(m_f->db(), "WITH RECURSIVE n(i) AS (SELECT 3 UNION ALL SELECT i + 1 FROM n WHERE i < 1000) "
                                "INSERT INTO emp (ID, emname, dept, grp, basicrate) SELECT i, CASE WHEN i >= 999 "
                                "THEN 'LATE TWIN' ELSE 'WORKER ' || (10000 + i) END, 'STORES', 'STAFF', 100000 FROM n")
                .exec());
    open();
    auto* names = m_f->control<QComboBox>("Combo1");
    QVERIFY(names->count() < 1000);
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
    QVERIFY(!completer->popup()->isVisible());
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
    QVERIFY(!completer->popup()->isVisible());
    QCOMPARE(text("cboEmpID") + " " + text("lblName"), QStringLiteral("1000 LATE TWIN"));
    QVERIFY(m_f->prompter.entries().isEmpty());
}

void TestPayrollWindow::boxesShowWhatIsStored_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    for (const char* box : {"txtBonus", "txtOverTime", "Text2", "txttax", "txtph", "txtOther", "txtNumDays"})
        QTest::addRow("%s: a lone point", box) << box << QStringLiteral(".") << QStringLiteral("0");
    // clang-format off
    QTest::newRow("letters are dropped") << "txtBonus" << "1a2b" << "12";
    QTest::newRow("whole amounts round half to even") << "txtOther" << "2.5" << "2";
    QTest::newRow("a third decimal is refused") << "Text2" << "20.125" << "20.12";
    QTest::newRow("a ninth digit is refused") << "txtBonus" << "123456789" << "12345678";
    QTest::newRow("travel keeps its decimals") << "Text2" << "20.50" << "20.5";
    QTest::newRow("days keep half days") << "txtNumDays" << "25.50" << "25.5";
    QTest::newRow("a trailing point goes") << "txtNumDays" << "25." << "25";
    QTest::newRow("a third digit of days is refused") << "txtNumDays" << "100" << "10";
    // clang-format on
}

void TestPayrollWindow::boxesShowWhatIsStored()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    type("cboEmpID", "2");
    type(box, typed);
    QTEST(text(box), "shown");
    if (box == "txtNumDays")
        type("txtBonus", "1"); // the days are stored only with days present
    else
        type("txtNumDays", "1");
    save();
    if (!stored().isEmpty()) {
        const PayrollTransaction t = stored().first();
        const QHash<QString, Currency> columns = {
            {"txtBonus", t.bonus},     {"txtOverTime", t.overtime}, {"Text2", t.travel},          {"txttax", t.lic},
            {"txtph", t.contribution}, {"txtOther", t.pgvcl},       {"txtNumDays", t.daysPresent}};
        QCOMPARE(columns.value(box).toString(), shown);
    } else {
        QCOMPARE(shown, QStringLiteral("0")); // only no days keep a row from being stored
    }
}

void TestPayrollWindow::daysPresentAreChecked_data()
{
    QTest::addColumn<QDate>("month");
    QTest::addColumn<QString>("days");
    QTest::addColumn<QString>("message"); // empty: stored
    // clang-format off
    QTest::newRow("none") << QDate(2026, 3, 15) << "0"
                          << "Number of days cannot be zero Please enter greater than zero";
    QTest::newRow("all of March") << QDate(2026, 3, 15) << "31" << "";
    QTest::newRow("more than March has") << QDate(2026, 3, 15) << "31.5"
                                         << "The days present cannot be more than the 31 days of March 2026.";
    QTest::newRow("more than February has") << QDate(2026, 2, 1) << "29"
                                            << "The days present cannot be more than the 28 days of February 2026.";
    QTest::newRow("a leap February") << QDate(2024, 2, 1) << "29" << "";
    // clang-format on
}

void TestPayrollWindow::daysPresentAreChecked()
{
    QFETCH(QDate, month);
    QFETCH(QString, days);
    QFETCH(QString, message);
    m_f->control<QDateEdit>("DTPicker1")->setDate(month);
    type("cboEmpID", "2");
    type("txtNumDays", days);
    save(message.isEmpty() ? std::initializer_list<bool>{true} : std::initializer_list<bool>{});
    const auto inMonth = PayrollRepository(m_f->db()).month("ACME", month).value();
    const bool storedOne = std::count_if(inMonth.cbegin(), inMonth.cend(),
                                         [](const PayrollTransaction& t) { return t.employeeId == 2; }) == 1;
    QCOMPARE(storedOne, message.isEmpty());
    if (!message.isEmpty()) {
        QCOMPARE(m_f->prompter.texts(), QStringList{message});
        QVERIFY(m_f->control("txtNumDays")->hasFocus());
    }
}

void TestPayrollWindow::tooLargeFiguresAreExplained()
{
    // A basic rate near the largest amount, as a file from before the rules may hold: the rates can
    // be shown, the net pay cannot be held.
    QVERIFY(SqlQuery(m_f->db(), "INSERT INTO emp (ID, emname, dept, grp, basicrate) VALUES (3, 'BIG', 'STORES', "
                                "'STAFF', 9223372000000000000)")
                .exec());
    open();
    type("cboEmpID", "3");
    type("txtNumDays", "31");
    type("txtBonus", "99999999");
    QCOMPARE(text("lblRate"), QStringLiteral("922,337,200,000,000"));
    QCOMPARE(text("lblPerDay"), QStringLiteral("29,752,812,903,225.81"));
    QCOMPARE(text("txtAbsences"), QStringLiteral("922,337,200,000,000"));
    QCOMPARE(text("lblNetPay"), QStringLiteral("too large"));
    // The same figures as an office that writes lakhs and crores reads them.
    Currency::setGrouping(Grouping::Indian);
    type("txtNumDays", "30");
    QCOMPARE(text("lblRate") + "|" + text("lblPerDay") + "|" + text("txtAbsences"),
             QStringLiteral("92,23,37,20,00,00,000|2,97,52,81,29,03,225.81|89,25,84,38,70,96,774"));
    type("txtNumDays", "31");
    save({});
    QCOMPARE(m_f->prompter.texts(), QStringList{"The Net Pay is too large to work out. Please check the amounts and "
                                                "the employee's basic rate (922337200000000)."});
    QCOMPARE(stored().size(), 0);
}

void TestPayrollWindow::editPanelLoadsOnEnterAndUpdatesWithTheSameChecks()
{
    type("cboEmpID", "1");
    type("txtNumDays", "25");
    save();
    const qint64 transId = stored().first().transId;
    // Something else typed on the screen: loading asks before it is lost.
    type("cboEmpID", "2");
    type("txtBonus", "5");

    QTest::keyClick(m_f->control("txtBonus"), Qt::Key_O, Qt::ShiftModifier);
    QVERIFY(!m_f->control("Text3")->isVisible());
    QTest::keyClick(m_f->control("txtBonus"), Qt::Key_O, Qt::ControlModifier);
    QVERIFY(m_f->control("Text3")->isVisible() && !m_f->control("cmdSave")->isVisible());
    type("Text3", QString::number(transId));
    QCOMPARE(m_f->prompter.last().kind, ScriptedPrompter::Kind::Question);
    QCOMPARE(text("lblName"), QStringLiteral("KEVIN O'BRIEN"));
    // Enter loads the transaction; it does not rewrite it.
    m_f->prompter.answer(true);
    type("Text3", QString::number(transId));
    QCOMPARE(text("lblName") + "|" + text("txtNumDays") + "|" + text("txtAbsences"),
             QStringLiteral("RAMESH PATEL|25|8,064"));
    QVERIFY(!m_f->prompter.texts().contains("Payroll Updated"));
    QVERIFY(m_f->control("txtBonus")->hasFocus());

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
    QVERIFY(!m_f->control("Text3")->isVisible());
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
    // Esc hides the panel again.
    QTest::keyClick(m_f->control("Text3"), Qt::Key_Escape);
    QVERIFY(!m_f->control("Text3")->isVisible() && m_f->control("cmdSave")->isVisible());
}

void TestPayrollWindow::monthShownFollowsThePicker()
{
    PayrollRepository payroll(m_f->db());
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
    // The list is the company's month alone, under the headers the operators know.
    QAbstractItemModel* model = m_f->control<QTableView>("lvwInfo")->model();
    QCOMPARE(model->rowCount(), 1);
    QCOMPARE(model->headerData(7, Qt::Horizontal).toString(), QStringLiteral("Absences"));
    QCOMPARE(model->index(0, 1).data().toString() + " " + model->index(0, 3).data().toString(),
             QStringLiteral("KEVIN O'BRIEN 31/03/2026"));
    // A saved row takes its place by employee number, as a list read afresh would have it.
    type("cboEmpID", "1");
    type("txtNumDays", "3");
    save();
    QCOMPARE(model->rowCount(), 2);
    QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("RAMESH PATEL"));
    // Another month: its list, the days of its month in the daily rate, its advances.
    type("cboEmpID", "1");
    QCOMPARE(text("lblPerDay"), QStringLiteral("322.58"));
    auto* picker = m_f->control<QDateEdit>("DTPicker1");
    picker->setDate(QDate(2026, 2, 10));
    QCOMPARE(text("txtMonth") + " " + text("txtYear"), QStringLiteral("February 2026"));
    QCOMPARE(text("lblPerDay") + "|" + text("txtAdvances"), QStringLiteral("357.14|0"));
    QCOMPARE(model->rowCount(), 0);
    picker->setDate(QDate(2026, 4, 30));
    QCOMPARE(text("lblPerDay") + "|" + text("txtAdvances"), QStringLiteral("333.33|999"));
    QCOMPARE(model->rowCount(), 1);
}

void TestPayrollWindow::closingAsksBeforeDroppingAnEntry()
{
    type("cboEmpID", "2");
    type("txtNumDays", "12");
    QVERIFY(!m_f->window()->close());
    QCOMPARE(m_f->prompter.last().kind, ScriptedPrompter::Kind::Question);
    QCOMPARE(text("txtNumDays"), QStringLiteral("12"));
    m_f->prompter.answer(true);
    QVERIFY(m_f->window()->close());
    QCOMPARE(stored().size(), 0);
}

// A closed month shows who closed it and takes no entry; the next month is open as ever.
void TestPayrollWindow::aClosedMonthIsShownLocked()
{
    QVERIFY(MonthCloseRepository(m_f->db()).close("ACME", QDate(2026, 3, 1)));
    open();
    QCOMPARE(m_f->text("lblClosedMonth"), QStringLiteral("March 2026 closed by admin on 15/03/2026"));
    QVERIFY(m_f->control("lblClosedMonth")->isVisible());
    QVERIFY(!m_f->control("cmdSave")->isEnabled());
    QVERIFY(m_f->control<QLineEdit>("txtNumDays")->isReadOnly());
    type("cboEmpID", "1");
    // Whatever reaches the repository is refused there too, naming the month.
    PayrollTransaction t;
    t.employeeId = 1;
    t.payDate = QDate(2026, 3, 31);
    t.company = "ACME";
    QVERIFY(PayrollRepository(m_f->db()).insert(t).error().startsWith("March 2026 is closed (closed by admin"));
    m_f->control<QDateEdit>("DTPicker1")->setDate(QDate(2026, 4, 30));
    QVERIFY(!m_f->control("lblClosedMonth")->isVisible());
    QVERIFY(m_f->control("cmdSave")->isEnabled());
    type("txtNumDays", "3");
    save();
    QCOMPARE(PayrollRepository(m_f->db()).month("ACME", QDate(2026, 4, 1)).value().size(), 1);
}

QTEST_MAIN(TestPayrollWindow)
#include "test_payroll_window.moc"
