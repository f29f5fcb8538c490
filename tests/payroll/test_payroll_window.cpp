#include "support/fixed_clock.h"
#include "support/scripted_prompter.h"
#include "data/advance_repository.h"
#include "ui/app_context.h"
#include "data/company_repository.h"
#include "data/employee_repository.h"
#include "data/loan_repository.h"
#include "data/master_repository.h"
#include "data/payroll_repository.h"
#include "data/session.h"
#include "payroll/pay_calculation.h"
#include "payroll/payroll_window.h"
#include "support/test_database.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {
Currency c(const char* text)
{
    return *Currency::parse(QString::fromLatin1(text));
}
} // namespace

class TestPayrollWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void bothWaysOfChoosingFillTheSameFields();
    void enteredInAnyOrderAndSavedAsCalculated();
    void secondSaveInTheMonthAsksAgain();
    void editPanelLoadsAndRewritesTransaction();
    void updateOfUnknownTransactionSaysSo();
    void unknownEmployeeIsRefused();
    void badInputNeverReachesTheDatabase();
    void monthChangeFollowsDaysAndAdvances();
    void repaidLoansGiveNoDeduction();
    void listShowsOnlyTheCompanysMonth();
    void orderOfEntryDoesNotMatter();
    void sameNameChoosesTheEntryPicked();
    void leavingAnUnknownNumberSaysSo();
    void editCanCorrectTheEmployee();
    void enterOnSaveSaves();

private:
    template <typename T>
    T* child(const QString& name)
    {
        T* w = m_window->findChild<T*>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }
    QString text(const QString& name) { return child<QLineEdit>(name)->text(); }
    QString caption(const QString& name) { return child<QLabel>(name)->text(); }
    void type(const QString& box, const QString& what, bool leave = true);
    void chooseNumber(const QString& id);
    void chooseName(const QString& name);
    QList<PayrollTransaction> stored();

    std::unique_ptr<TestDatabase> m_t;
    ScriptedPrompter m_prompter;
    FixedClock m_clock{QDateTime(QDate(2026, 3, 15), QTime(10, 0))};
    Session m_session{"ACME", "admin", "Admin"};
    std::unique_ptr<AppContext> m_context;
    std::unique_ptr<PayrollWindow> m_window;
};

void TestPayrollWindow::init()
{
    m_t = std::make_unique<TestDatabase>();
    Database& db = m_t->db();
    QVERIFY(CompanyRepository(db).add("ACME", {}).ok());
    MasterRepository(db, MasterRepository::Kind::Group).add("STAFF");
    MasterRepository(db, MasterRepository::Kind::Group).add("WORKERS");
    EmployeeRepository staff(db);
    Employee ramesh;
    ramesh.name = "RAMESH PATEL";
    ramesh.department = "ACCOUNTS";
    ramesh.position = "ACCOUNTANT";
    ramesh.employmentStatus = "Full Time";
    ramesh.group = "STAFF";
    ramesh.basicRate = c("10000");
    QCOMPARE(staff.insert(ramesh).value(), 1);
    Employee kevin = ramesh;
    kevin.name = "KEVIN O'BRIEN";
    kevin.department = "SALES";
    kevin.group = "WORKERS";
    kevin.basicRate = c("15500");
    QCOMPARE(staff.insert(kevin).value(), 2);
    QVERIFY(LoanRepository(db).insert(
        {1, "RAMESH PATEL", c("3000"), c("500"), QDate(2025, 1, 10), QTime(9, 0), "ACCOUNTS", "ACME"}));
    QVERIFY(LoanRepository(db).insert(
        {1, "RAMESH PATEL", c("2000"), c("1000"), QDate(2025, 6, 1), QTime(9, 0), "ACCOUNTS", "ACME"}));
    QVERIFY(AdvanceRepository(db).insert({1, "RAMESH PATEL", c("500"), QDate(2026, 3, 2), QTime(9, 0), "ACME"}));
    QVERIFY(AdvanceRepository(db).insert({1, "RAMESH PATEL", c("300"), QDate(2026, 3, 20), QTime(9, 0), "ACME"}));
    QVERIFY(AdvanceRepository(db).insert({1, "RAMESH PATEL", c("999"), QDate(2026, 4, 1), QTime(9, 0), "ACME"}));

    m_prompter = ScriptedPrompter();
    m_context = std::make_unique<AppContext>(AppContext{db, m_prompter, m_clock, m_session});
    m_window = std::make_unique<PayrollWindow>(*m_context);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void TestPayrollWindow::cleanup()
{
    m_window.reset();
    m_t.reset();
}

void TestPayrollWindow::type(const QString& box, const QString& what, bool leave)
{
    QLineEdit* edit = child<QLineEdit>(box);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, what);
    if (leave)
        QTest::keyClick(edit, Qt::Key_Return); // moves on, which leaves the box
}

void TestPayrollWindow::chooseNumber(const QString& id)
{
    auto* combo = child<QComboBox>("cboEmpID");
    combo->setFocus();
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo, id);
    QTest::keyClick(combo, Qt::Key_Return);
}

void TestPayrollWindow::chooseName(const QString& name)
{
    auto* combo = child<QComboBox>("Combo1");
    const int index = combo->findText(name);
    QVERIFY(index >= 0);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

QList<PayrollTransaction> TestPayrollWindow::stored()
{
    return PayrollRepository(m_t->db()).month("ACME", QDate(2026, 3, 1)).value();
}

void TestPayrollWindow::bothWaysOfChoosingFillTheSameFields()
{
    const QStringList labels = {"lblName", "lblDept", "lblPosition", "lblStatus", "lblRate", "lblPerDay", "Label24"};
    const QStringList boxes = {"Text1", "txtsss", "txtAdvances"};
    chooseNumber("1");
    QVERIFY(m_prompter.entries().isEmpty());
    QStringList byNumber;
    for (const QString& l : labels)
        byNumber << caption(l);
    for (const QString& b : boxes)
        byNumber << text(b);
    byNumber << child<QComboBox>("Combo2")->currentText() << child<QComboBox>("Combo1")->currentText();
    QCOMPARE(byNumber, (QStringList{"RAMESH PATEL", "ACCOUNTS", "ACCOUNTANT", "Full Time", "10000", "322.58", "0",
                                    "5000", "1000", "800", "STAFF", "RAMESH PATEL"}));

    chooseNumber("2");
    QCOMPARE(caption("lblName"), QStringLiteral("KEVIN O'BRIEN"));
    QCOMPARE(text("txtsss"), QStringLiteral("0"));

    chooseName("RAMESH PATEL");
    QStringList byName;
    for (const QString& l : labels)
        byName << caption(l);
    for (const QString& b : boxes)
        byName << text(b);
    byName << child<QComboBox>("Combo2")->currentText() << child<QComboBox>("Combo1")->currentText();
    QCOMPARE(byName, byNumber);
    QCOMPARE(child<QComboBox>("cboEmpID")->currentText(), QStringLiteral("1"));
}

void TestPayrollWindow::enteredInAnyOrderAndSavedAsCalculated()
{
    chooseNumber("1");
    type("txttax", "12.5");
    QCOMPARE(text("txttax"), QStringLiteral("12"));
    type("Text2", "20.25");
    type("txtBonus", "100");
    type("txtNumDays", "25");
    QCOMPARE(text("txtAbsences"), QStringLiteral("8064"));
    type("txtOverTime", "50");
    QCOMPARE(caption("lbltemp"), QStringLiteral("170.25"));
    type("txtph", "13.5");
    QCOMPARE(text("txtph"), QStringLiteral("14"));
    // Deductions: advances 800 + loan 1000 + LIC 12 + contribution 14 = 1826.
    QCOMPARE(caption("lblDeduct"), QStringLiteral("1826"));
    QCOMPARE(caption("lblNetPay"), QStringLiteral("6408.25"));

    m_prompter.answer(true);
    QTest::mouseClick(child<QPushButton>("cmdSave"), Qt::LeftButton);
    QCOMPARE(m_prompter.lastText(), QStringLiteral("Data successfully save."));
    QCOMPARE(m_prompter.last().title, QStringLiteral("Information"));

    const auto rows = stored();
    QCOMPARE(rows.size(), 1);
    const PayrollTransaction& t = rows.first();
    PayInputs in{c("10000"), QDate(2026, 3, 15), c("25"), c("100"), c("50"), c("20.25"),
                 c("800"),   c("1000"),          c("12"), c("14"),  c("0")};
    const PayResult expected = *calculatePay(in);
    QCOMPARE(t.employeeId, 1);
    QCOMPARE(t.name, QStringLiteral("RAMESH PATEL"));
    QCOMPARE(t.monthRate, expected.monthlyRate);
    QCOMPARE(t.payDate, QDate(2026, 3, 15));
    QCOMPARE(t.presentDaysSalary, expected.presentDaysSalary);
    QCOMPARE(t.totalAdditional, expected.totalAdditional);
    QCOMPARE(t.totalDeductions, expected.totalDeductions);
    QCOMPARE(t.netPay, expected.netPay);
    QCOMPARE(t.daysPresent, c("25"));
    QCOMPARE(t.loanRecovered, c("1000"));
    QCOMPARE(t.totalLoan, c("5000"));
    QCOMPARE(t.travel, c("20.25"));
    QCOMPARE(t.lic, c("12"));
    QCOMPARE(t.contribution, c("14"));
    QCOMPARE(t.department, QStringLiteral("ACCOUNTS"));
    QCOMPARE(t.group, QStringLiteral("STAFF"));
    QCOMPARE(t.company, QStringLiteral("ACME"));

    // The nine amount boxes are cleared; the list shows the new row.
    for (const char* box : {"txtAbsences", "txtAdvances", "txtBonus", "txtNumDays", "txtOverTime", "txtsss", "txttax",
                            "txtph", "txtOther"})
        QCOMPARE(text(box), QStringLiteral("0"));
    QCOMPARE(text("Text2"), QStringLiteral("20.25"));
    QCOMPARE(child<QTableView>("lvwInfo")->model()->rowCount(), 1);
}

void TestPayrollWindow::secondSaveInTheMonthAsksAgain()
{
    chooseNumber("2");
    type("txtNumDays", "30");
    m_prompter.answer(true);
    QTest::mouseClick(child<QPushButton>("cmdSave"), Qt::LeftButton);
    QCOMPARE(stored().size(), 1);

    type("txtNumDays", "1");
    m_prompter.answer(true);  // save?
    m_prompter.answer(false); // another one for this month?
    QTest::mouseClick(child<QPushButton>("cmdSave"), Qt::LeftButton);
    QVERIFY(m_prompter.lastText().contains("already exists"));
    QCOMPARE(stored().size(), 1);

    m_prompter.answer(true);
    m_prompter.answer(true);
    QTest::mouseClick(child<QPushButton>("cmdSave"), Qt::LeftButton);
    QCOMPARE(stored().size(), 2);
}

void TestPayrollWindow::editPanelLoadsAndRewritesTransaction()
{
    chooseNumber("1");
    type("txtNumDays", "25");
    m_prompter.answer(true);
    QTest::mouseClick(child<QPushButton>("cmdSave"), Qt::LeftButton);
    const qint64 transId = stored().first().transId;

    chooseNumber("2"); // something else on screen
    QVERIFY(!child<QLineEdit>("Text3")->isVisible());
    QTest::keyClick(child<QLineEdit>("txtBonus"), Qt::Key_O, Qt::ShiftModifier);
    QVERIFY(!child<QLineEdit>("Text3")->isVisible());
    QTest::keyClick(child<QLineEdit>("txtBonus"), Qt::Key_O, Qt::ControlModifier);
    QVERIFY(child<QLineEdit>("Text3")->isVisible());
    QVERIFY(!child<QPushButton>("cmdSave")->isVisible());

    QTest::keyClicks(child<QLineEdit>("Text3"), QString::number(transId));
    QCOMPARE(caption("lblName"), QStringLiteral("RAMESH PATEL"));
    QCOMPARE(text("txtNumDays"), QStringLiteral("25"));
    QCOMPARE(text("txtAbsences"), QStringLiteral("8064"));
    type("txtNumDays", "26");
    type("txtBonus", "250");
    QTest::mouseClick(child<QPushButton>("Command1"), Qt::LeftButton);
    QCOMPARE(m_prompter.lastText(), QStringLiteral("Payroll Updated"));
    QVERIFY(!child<QLineEdit>("Text3")->isVisible());

    const PayrollTransaction t = PayrollRepository(m_t->db()).find(transId)->value();
    PayInputs in{c("10000"), QDate(2026, 3, 15), c("26"), c("250"), {}, {}, c("800"), c("1000"), {}, {}, {}};
    const PayResult expected = *calculatePay(in);
    QCOMPARE(t.presentDaysSalary, c("8387"));
    QCOMPARE(t.totalAdditional, expected.totalAdditional);
    QCOMPARE(t.totalDeductions, expected.totalDeductions);
    QCOMPARE(t.netPay, expected.netPay);
    QCOMPARE(t.totalLoan, c("5000"));
    QCOMPARE(stored().size(), 1);

    // Esc hides the panel again.
    QTest::keyClick(child<QLineEdit>("txtBonus"), Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(child<QLineEdit>("Text3"), Qt::Key_Escape);
    QVERIFY(!child<QLineEdit>("Text3")->isVisible());
    QVERIFY(child<QPushButton>("cmdSave")->isVisible());
}

void TestPayrollWindow::updateOfUnknownTransactionSaysSo()
{
    m_window->showEditPanel(true);
    QTest::keyClicks(child<QLineEdit>("Text3"), "77");
    QTest::mouseClick(child<QPushButton>("Command1"), Qt::LeftButton);
    QCOMPARE(m_prompter.lastText(), QStringLiteral("There is no payroll transaction number 77."));
    QVERIFY(!m_prompter.texts().contains("Payroll Updated"));
}

void TestPayrollWindow::unknownEmployeeIsRefused()
{
    chooseNumber("1");
    chooseNumber("999");
    QCOMPARE(m_prompter.lastText(), QStringLiteral("Invalid Employee ID Number. Please try again"));
    QCOMPARE(m_prompter.last().title, QStringLiteral("Information"));
    QCOMPARE(caption("lblName"), QString());
    QCOMPARE(caption("lblRate"), QStringLiteral("0"));
    QCOMPARE(text("txtAdvances"), QStringLiteral("0"));
    type("txtNumDays", "20");
    m_prompter.answer(true);
    QTest::mouseClick(child<QPushButton>("cmdSave"), Qt::LeftButton);
    QCOMPARE(m_prompter.lastText(), QStringLiteral("Invalid Employee ID Number. Please try again"));
    QCOMPARE(stored().size(), 0);
}

void TestPayrollWindow::badInputNeverReachesTheDatabase()
{
    // Nobody chosen.
    type("txtNumDays", "10");
    QTest::mouseClick(child<QPushButton>("cmdSave"), Qt::LeftButton);
    QCOMPARE(m_prompter.lastText(), QStringLiteral("Please select an employee ID number."));

    chooseNumber("1");
    type("txtBonus", "1a2b", false);
    QCOMPARE(text("txtBonus"), QStringLiteral("12"));
    type("txtOverTime", ".");
    QCOMPARE(text("txtOverTime"), QStringLiteral("0"));
    type("Text2", ".");
    QCOMPARE(text("Text2"), QStringLiteral("0"));
    // Emptying a box gives 0 at once.
    QLineEdit* lic = child<QLineEdit>("txttax");
    lic->setFocus();
    lic->selectAll();
    QTest::keyClick(lic, Qt::Key_Backspace);
    QCOMPARE(lic->text(), QStringLiteral("0"));

    type("txtNumDays", "0");
    QTest::mouseClick(child<QPushButton>("cmdSave"), Qt::LeftButton);
    QCOMPARE(m_prompter.lastText(), QStringLiteral("Number of days cannot be zero Please enter greater than zero"));
    QCOMPARE(m_prompter.last().icon, Prompter::Icon::None);

    // Answering No stores nothing either.
    type("txtNumDays", "3");
    m_prompter.answer(false);
    QTest::mouseClick(child<QPushButton>("cmdSave"), Qt::LeftButton);
    QCOMPARE(stored().size(), 0);
}

void TestPayrollWindow::monthChangeFollowsDaysAndAdvances()
{
    chooseNumber("1");
    QCOMPARE(caption("lblPerDay"), QStringLiteral("322.58"));
    auto* picker = child<QDateEdit>("DTPicker1");
    picker->setDate(QDate(2026, 2, 10));
    QCOMPARE(text("txtMonth"), QStringLiteral("February"));
    QCOMPARE(text("txtYear"), QStringLiteral("2026"));
    QCOMPARE(caption("lblPerDay"), QStringLiteral("357.14"));
    QCOMPARE(text("txtAdvances"), QStringLiteral("0"));
    picker->setDate(QDate(2026, 4, 30));
    QCOMPARE(caption("lblPerDay"), QStringLiteral("333.33"));
    QCOMPARE(text("txtAdvances"), QStringLiteral("999"));
}

void TestPayrollWindow::repaidLoansGiveNoDeduction()
{
    PayrollTransaction paid;
    paid.employeeId = 1;
    paid.payDate = QDate(2025, 12, 31);
    paid.loanRecovered = c("5000");
    paid.company = "OTHER";
    QVERIFY(PayrollRepository(m_t->db()).insert(paid).ok());
    chooseName("RAMESH PATEL");
    QCOMPARE(caption("Label24"), QStringLiteral("5000"));
    QCOMPARE(text("Text1"), QStringLiteral("5000"));
    QCOMPARE(text("txtsss"), QStringLiteral("0"));
}

void TestPayrollWindow::listShowsOnlyTheCompanysMonth()
{
    PayrollRepository payroll(m_t->db());
    PayrollTransaction t;
    t.employeeId = 2;
    t.name = "KEVIN O'BRIEN";
    t.payDate = QDate(2026, 3, 31);
    t.company = "ACME";
    QVERIFY(payroll.insert(t).ok());
    t.company = "OTHER";
    QVERIFY(payroll.insert(t).ok());
    t.company = "ACME";
    t.payDate = QDate(2026, 4, 1);
    QVERIFY(payroll.insert(t).ok());
    m_window = std::make_unique<PayrollWindow>(*m_context);
    QAbstractItemModel* model = child<QTableView>("lvwInfo")->model();
    QCOMPARE(model->rowCount(), 1);
    QCOMPARE(model->headerData(7, Qt::Horizontal).toString(), QStringLiteral("Absences"));
    QCOMPARE(model->data(model->index(0, 1)).toString(), QStringLiteral("KEVIN O'BRIEN"));
    QCOMPARE(model->data(model->index(0, 3)).toString(), QStringLiteral("31/03/2026"));
}

void TestPayrollWindow::orderOfEntryDoesNotMatter()
{
    // Days first and LIC after, then the other way round: the same totals.
    chooseNumber("1");
    type("txtNumDays", "25");
    type("txttax", "300");
    const QStringList first = {caption("lblDeduct"), caption("lblNetPay")};
    type("txttax", "0");
    type("txtNumDays", "0");
    type("txttax", "300");
    type("txtNumDays", "25");
    QCOMPARE((QStringList{caption("lblDeduct"), caption("lblNetPay")}), first);
    QCOMPARE(first.first(), QStringLiteral("2100")); // 800 advances + 1000 loan + 300 LIC
}

void TestPayrollWindow::sameNameChoosesTheEntryPicked()
{
    Employee twin;
    twin.name = "RAMESH PATEL";
    twin.department = "STORES";
    twin.basicRate = c("9000");
    QCOMPARE(EmployeeRepository(m_t->db()).insert(twin).value(), 3);
    m_window = std::make_unique<PayrollWindow>(*m_context);
    m_window->show();
    auto* names = child<QComboBox>("Combo1");
    QCOMPARE(names->findText("RAMESH PATEL"), 0);
    // Picking each entry with the keyboard gives that entry's employee.
    names->setFocus();
    names->setCurrentIndex(1); // KEVIN O'BRIEN, employee 2
    QTest::keyClick(names, Qt::Key_Down);
    QCOMPARE(names->currentText(), QStringLiteral("RAMESH PATEL"));
    QCOMPARE(child<QComboBox>("cboEmpID")->currentText(), QStringLiteral("3"));
    QCOMPARE(caption("lblDept"), QStringLiteral("STORES"));
    QTest::keyClick(names, Qt::Key_Up);
    QTest::keyClick(names, Qt::Key_Up);
    QCOMPARE(child<QComboBox>("cboEmpID")->currentText(), QStringLiteral("1"));
    QCOMPARE(caption("lblDept"), QStringLiteral("ACCOUNTS"));
}

void TestPayrollWindow::leavingAnUnknownNumberSaysSo()
{
    chooseNumber("1");
    auto* number = child<QComboBox>("cboEmpID");
    number->setFocus();
    number->lineEdit()->selectAll();
    QTest::keyClicks(number, "999");
    child<QLineEdit>("txtBonus")->setFocus();
    QCOMPARE(m_prompter.texts(), QStringList{"Invalid Employee ID Number. Please try again"});
    QCOMPARE(caption("lblName"), QString());
    // Leaving again with the same number does not repeat the message.
    child<QLineEdit>("txtph")->setFocus();
    QCOMPARE(m_prompter.texts().size(), 1);
}

void TestPayrollWindow::editCanCorrectTheEmployee()
{
    chooseNumber("1");
    type("txtNumDays", "20");
    m_prompter.answer(true);
    QTest::mouseClick(child<QPushButton>("cmdSave"), Qt::LeftButton);
    const qint64 transId = stored().first().transId;

    m_window->showEditPanel(true);
    QTest::keyClicks(child<QLineEdit>("Text3"), QString::number(transId));
    chooseNumber("2");
    type("txtNumDays", "20");
    QTest::mouseClick(child<QPushButton>("Command1"), Qt::LeftButton);
    QCOMPARE(m_prompter.lastText(), QStringLiteral("Payroll Updated"));
    const PayrollTransaction t = PayrollRepository(m_t->db()).find(transId)->value();
    QCOMPARE(t.employeeId, 2);
    QCOMPARE(t.name, QStringLiteral("KEVIN O'BRIEN"));
    QCOMPARE(t.monthRate, c("15500"));
    QCOMPARE(t.presentDaysSalary, c("10000")); // 20 x 500
}

void TestPayrollWindow::enterOnSaveSaves()
{
    chooseNumber("2");
    type("txtNumDays", "30"); // Enter moves on to Save
    QVERIFY(child<QPushButton>("cmdSave")->hasFocus());
    m_prompter.answer(true);
    QTest::keyClick(child<QPushButton>("cmdSave"), Qt::Key_Return);
    QCOMPARE(stored().size(), 1);
}

QTEST_MAIN(TestPayrollWindow)
#include "test_payroll_window.moc"
