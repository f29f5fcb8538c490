#include "data/advance_repository.h"
#include "data/loan_repository.h"
#include "data/master_repository.h"
#include "data/payroll_repository.h"
#include "data/sql_query.h"
#include "data/user_repository.h"
#include "ledgers/advance_window.h"
#include "ledgers/decrement_window.h"
#include "ledgers/increment_window.h"
#include "ledgers/loan_window.h"
#include "reports/report_viewer.h"
#include "support/amounts.h"
#include "support/test_database.h"
#include "support/window_fixture.h"

#include <QComboBox>
#include <QDateEdit>
#include <QSettings>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTest>

#include <functional>

using Opening = std::function<void(WindowFixture&)>;
Q_DECLARE_METATYPE(Opening)

// The loan and advance windows on ACME (the session's company) and OTHER CO, with employee 1
// RAMESH PATEL and 2 SUNITA SHARMA. Today is 15 March 2026; the delete password is "del".
class TestLedgerWindows : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName("KestrelTest");
        QCoreApplication::setApplicationName("test_ledger_windows");
    }
    void init()
    {
        Currency::setGrouping(Grouping::International);
        m_f = std::make_unique<WindowFixture>();
        QVERIFY(MasterRepository(m_f->db(), MasterRepository::Kind::Department).add("ACCOUNTS"));
        ensureKnown(m_f->db(), {m_f->session.company});
        for (const char* name : {"RAMESH PATEL", "SUNITA SHARMA"}) {
            Employee e;
            e.name = QString::fromLatin1(name);
            e.department = QStringLiteral("ACCOUNTS");
            e.basicRate = c("31000");
            QVERIFY(EmployeeRepository(m_f->db()).insert(e));
        }
        QVERIFY(UserRepository(m_f->db()).setDeletePassword(QStringLiteral("del")));
    }
    void cleanup() { m_f.reset(); }

    // Each window watches its amount: typed and not saved, it is not lost unasked when the window
    // closes (the question's own cases are tried with the employee windows).
    void typedAmountIsNotLostUnasked_data()
    {
        QTest::addColumn<Opening>("opening");
        QTest::newRow("loan") << Opening([](WindowFixture& f) { f.open<LoanWindow>(); });
        QTest::newRow("advance") << Opening([](WindowFixture& f) { f.open<AdvanceWindow>(); });
        QTest::newRow("increment") << Opening([](WindowFixture& f) { f.open<IncrementWindow>(); });
        QTest::newRow("decrement") << Opening([](WindowFixture& f) { f.open<DecrementWindow>(); });
    }
    void typedAmountIsNotLostUnasked()
    {
        QFETCH(Opening, opening);
        opening(*m_f);
        m_f->type("Combo1", "1");
        m_f->type("Text1", "500", false);
        m_f->prompter.answer(false);
        QVERIFY(!m_f->window()->close());
        QVERIFY2(m_f->prompter.lastText().contains("is not saved"), qPrintable(m_f->prompter.lastText()));
    }

    // Totals count every company; the balance is exact. Another employee's figures would replace a
    // loan typed and not saved: the operator is asked first, and saying No keeps the employee, the
    // boxes and what was typed.
    void loanFiguresAndTheTypedLoan()
    {
        loan(1, "1000", "100", {2026, 1, 5}, "ACME");
        loan(1, "500", "50", {2026, 2, 5}, "OTHER CO");
        payroll(1, "250.5", "ACME");
        m_f->open<LoanWindow>();
        m_f->type("Combo1", "1");
        // Lent, recovered, the balance, and the latest entry's deduction.
        QCOMPARE(m_f->texts({"Text1", "Text2", "Text3", "Text4"}), (QStringList{"1500", "250.5", "1,249.5", "50"}));
        QCOMPARE(m_f->control<QTableWidget>("MSHFlexGrid1")->rowCount(), 2);
        QCOMPARE(m_f->control<QTableWidget>("MSHFlexGrid2")->rowCount(), 1);
        m_f->click("Command1");
        m_f->type("Text1", "4000", false);
        m_f->prompter.answer(false);
        m_f->type("Combo1", "2");
        QVERIFY2(m_f->prompter.lastText().contains("is not saved"), qPrintable(m_f->prompter.lastText()));
        QCOMPARE(m_f->texts({"Combo1", "Combo2", "Text1"}), (QStringList{"1", "RAMESH PATEL", "4000"}));
        m_f->prompter.answer(true);
        m_f->type("Combo1", "2");
        QCOMPARE(m_f->texts({"Combo2", "Text1"}), (QStringList{"SUNITA SHARMA", "0"}));
    }

    // The deduction's rule is turned into a message by the update below. The department list shows
    // the chosen employee's department as its chosen entry, and Enter keeps and stores that entry:
    // never the list's first one.
    void loanSaveChecksAndStores()
    {
        QVERIFY(MasterRepository(m_f->db(), MasterRepository::Kind::Department).add("SALES"));
        QVERIFY(SqlQuery(m_f->db(), "UPDATE emp SET dept = 'SALES' WHERE ID = 2").exec());
        m_f->open<LoanWindow>();
        m_f->type("Combo1", "2");
        m_f->click("cmdSave"); // the box still shows the total: refused
        QVERIFY(m_f->prompter.lastText().startsWith(QStringLiteral("Press Add New")));
        auto* department = m_f->control<QComboBox>("Combo3");
        QCOMPARE(department->currentIndex(), department->findText(QStringLiteral("SALES")));
        department->setFocus(Qt::TabFocusReason);
        QTest::keyClick(department, Qt::Key_Return);
        m_f->click("Command1");
        m_f->type("Text1", "3000", false);
        m_f->type("Text4", "2000", false);
        m_f->click("cmdSave");
        QCOMPARE(m_f->prompter.lastText(), QStringLiteral("Record Saved Successfully"));
        const auto entries = LoanRepository(m_f->db()).entries(2).value();
        QCOMPARE(entries.size(), 1);
        const auto& e = entries.first();
        QCOMPARE(QStringList({e.amount.toString(), e.monthlyDeduction.toString(), e.date.toString(Qt::ISODate), e.company,
                              e.department}),
                 QStringList({"3000", "2000", "2026-03-15", "ACME", "SALES"}));
    }

    // Every ACME entry of the day is changed or deleted, and OTHER CO's of the same day stay. The rule of
    // the deduction (tried in test_rules) is told once here.
    void loanUpdateAndDelete_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("amount"); // empty: not typed
        QTest::addColumn<QString>("deduction");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("stored"); // each entry's amount/deduction after, by date
        const QString untouched = "1000/100 400/100 500/50 500/50";
        // clang-format off
        QTest::newRow("amount") << "Command2" << "1200" << "" << QDate(2026, 1, 5) << "Values Updated: 2 loan entries." << "1200/100 1200/100 500/50 500/50";
        QTest::newRow("deduction") << "Command2" << "" << "150" << QDate(2026, 1, 5) << "Values Updated: 2 loan entries." << "1000/150 400/150 500/50 500/50";
        QTest::newRow("both") << "Command2" << "1200" << "150" << QDate(2026, 1, 5) << "update loan amount and permonth deductio one by one" << untouched;
        QTest::newRow("neither") << "Command2" << "" << "" << QDate(2026, 1, 5) << "Change the loan amount or the per month deduction first; nothing was updated." << untouched;
        QTest::newRow("no entry that day") << "Command2" << "1200" << "" << QDate(2026, 1, 6) << "RAMESH PATEL has no loan entry of ACME dated 06/01/2026; nothing was updated." << untouched;
        QTest::newRow("another company's day") << "Command2" << "1200" << "" << QDate(2026, 2, 5) << "RAMESH PATEL has no loan entry of ACME dated 05/02/2026; nothing was updated." << untouched;
        QTest::newRow("deduction above the amount") << "Command2" << "" << "1500" << QDate(2026, 1, 5) << "The per month deduction (1500) cannot be more than the loan amount (1000)." << untouched;
        QTest::newRow("delete") << "Command4" << "" << "" << QDate(2026, 1, 5) << "Current Record Deleted: 2 loan entries." << "500/50 500/50";
        QTest::newRow("delete, no entry that day") << "Command4" << "" << "" << QDate(2026, 1, 6) << "RAMESH PATEL has no loan entry of ACME dated 06/01/2026; nothing was deleted." << untouched;
        // clang-format on
    }
    void loanUpdateAndDelete()
    {
        QFETCH(QString, button);
        QFETCH(QString, amount);
        QFETCH(QString, deduction);
        QFETCH(QDate, date);
        loan(1, "1000", "100", {2026, 1, 5}, "ACME");
        loan(1, "400", "100", {2026, 1, 5}, "ACME");
        loan(1, "500", "50", {2026, 1, 5}, "OTHER CO");
        loan(1, "500", "50", {2026, 2, 5}, "OTHER CO");
        m_f->open<LoanWindow>();
        m_f->type("Combo1", "1");
        m_f->control<QDateEdit>("DTPicker1")->setDate(date);
        if (!amount.isEmpty())
            m_f->type("Text1", amount, false);
        if (!deduction.isEmpty())
            m_f->type("Text4", deduction, false);
        if (button == "Command4") {
            // The deletion asks first; No, the default, keeps every entry.
            m_f->click(button);
            QCOMPARE(m_f->prompter.last().defaultButton, Prompter::Default::No);
            QCOMPARE(LoanRepository(m_f->db()).entries(1).value().size(), 4);
            m_f->prompter.answer(true);
        }
        m_f->click(button);
        QTEST(m_f->prompter.lastText(), "message");
        QStringList stored;
        for (const Loan& e : LoanRepository(m_f->db()).entries(1).value())
            stored << e.amount.toString() + "/" + e.monthlyDeduction.toString();
        QTEST(stored.join(' '), "stored");
    }

    // DELETE ALL takes only the company's loans or advances, after a copy: into the network folder when
    // one is set, else locally. A copy that fails stops the deletion unless the operator says otherwise.
    // (The password, its frame and the question are the guard's, tried with it.)
    void deleteAll_data()
    {
        QTest::addColumn<bool>("loans");
        QTest::addColumn<QString>("network"); // the setting; "missing" for a folder that is not there
        QTest::addColumn<bool>("anyway");
        QTest::addColumn<int>("left");
        QTest::newRow("loans, no network folder: a local copy") << true << "" << false << 1;
        QTest::newRow("advances, no network folder: a local copy") << false << "" << false << 1;
        QTest::newRow("network copy fails, stop") << true << "missing" << false << 3;
        QTest::newRow("network copy fails, delete anyway") << true << "missing" << true << 1;
    }
    void deleteAll()
    {
        QFETCH(bool, loans);
        QFETCH(QString, network);
        QFETCH(bool, anyway);
        QSettings settings;
        if (network.isEmpty())
            settings.remove("backup/networkFolder");
        else
            settings.setValue("backup/networkFolder", m_f->database().folder() + "/missing");
        for (const char* company : {"ACME", "ACME", "OTHER CO"}) {
            if (loans)
                loan(1, "1000", "100", {2026, 1, 5}, company);
            else
                advance(1, "300", {2026, 1, 5}, company);
        }
        if (loans)
            m_f->open<LoanWindow>();
        else
            m_f->open<AdvanceWindow>();
        m_f->click("Command3");
        m_f->type("Text6", "del", false);
        if (!network.isEmpty())
            m_f->prompter.answer(anyway);
        m_f->prompter.answer(true);
        m_f->click("Command9");
        settings.remove("backup/networkFolder");
        QTEST(int(m_f->database().count(loans ? "SELECT count(*) FROM loan" : "SELECT count(*) FROM adv")), "left");
        QCOMPARE(m_f->database().backupCopies(), network.isEmpty() ? 1 : 0);
        if (!network.isEmpty()) {
            const auto& asked = m_f->prompter.entries().at(m_f->prompter.entries().size() - (anyway ? 3 : 1));
            QVERIFY2(asked.text.startsWith("The backup copy before the deletion could not be taken"),
                     qPrintable(asked.text));
            QCOMPARE(asked.defaultButton, Prompter::Default::No);
        }
    }

    void advances_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("acme"); // ACME's advances after, as "amount amount"
        // clang-format off
        QTest::newRow("update") << "Command1" << QDate(2026, 1, 5) << "Values Updated: 2 advances." << "750 750";
        QTest::newRow("update, no advance that day") << "Command1" << QDate(2026, 1, 6) << "RAMESH PATEL has no advance of ACME dated 06/01/2026; nothing was updated." << "300 200";
        QTest::newRow("delete") << "Command2" << QDate(2026, 1, 5) << "Current Record Deleted: 2 advances." << "";
        QTest::newRow("delete, no advance that day") << "Command2" << QDate(2026, 1, 7) << "RAMESH PATEL has no advance of ACME dated 07/01/2026; nothing was deleted." << "300 200";
        // clang-format on
    }
    void advances()
    {
        QFETCH(QString, button);
        QFETCH(QDate, date);
        advance(1, "300", {2026, 1, 5}, "ACME");
        advance(1, "200", {2026, 1, 5}, "ACME");
        advance(1, "900", {2026, 1, 5}, "OTHER CO");
        m_f->open<AdvanceWindow>();
        m_f->type("Combo1", "1");
        m_f->control<QDateEdit>("DTPicker1")->setDate(date);
        m_f->type("Text1", "750", false);
        m_f->prompter.answer(true); // the delete's question
        m_f->click(button);
        QTEST(m_f->prompter.lastText(), "message");
        QTEST(amounts("ACME"), "acme");
        QCOMPARE(amounts("OTHER CO"), QStringLiteral("900"));
    }

    void advanceSaveChecksAndStores()
    {
        m_f->open<AdvanceWindow>();
        m_f->type("Text1", "500", false);
        m_f->click("cmdSave");
        QCOMPARE(m_f->prompter.lastText(), QStringLiteral("Please choose the employee first."));
        m_f->type("Combo1", "2");
        m_f->type("Text1", "0", false);
        m_f->click("cmdSave");
        QCOMPARE(m_f->prompter.lastText(), QStringLiteral("The advance amount must be above 0."));
        m_f->type("Text1", "500.5", false);
        m_f->click("cmdSave");
        QCOMPARE(m_f->prompter.lastText(), QStringLiteral("Record Saved Successfully"));
        QCOMPARE(AdvanceRepository(m_f->db()).monthTotal(2, QDate(2026, 3, 1)).value(), c("500.5"));
        QCOMPARE(m_f->texts({"Combo1", "Text1"}), (QStringList{"", "0"}));
    }

    // Arrears for each payroll month of the company in the period, the increment and the new rate. A
    // reversed period, then no amount, are refused first and store nothing.
    void incrementPaysArrearsForEachMonth()
    {
        payroll(1, "0", "ACME", {2026, 1, 31}, "31");
        payroll(1, "0", "ACME", {2026, 2, 28}, "25.5");
        payroll(1, "0", "ACME", {2026, 3, 31}, "20");
        payroll(1, "0", "OTHER CO", {2026, 2, 28}, "28");
        payroll(1, "0", "ACME", {2026, 4, 30}, "30");
        auto* window = openIncrement("2026-04-01", "2026-03-31");
        for (const auto& [amount, refusal] :
             {std::pair{"310", "The period starts after it ends: From Month is later than To Month."},
              {"0", "The increment amount must be above 0."}}) {
            m_f->type("Text1", amount, false);
            m_f->click("cmdSave");
            QCOMPARE(m_f->prompter.lastText(), QString::fromLatin1(refusal));
            m_f->control<QDateEdit>("DTPicker1")->setDate({2026, 1, 1});
        }
        QCOMPARE(m_f->database().count("SELECT count(*) FROM incre"), 0);
        m_f->type("Text1", "310", false);
        m_f->click("cmdSave");
        QCOMPARE(m_f->prompter.lastText(), QStringLiteral("Basic Rate Updated Successfully"));
        QCOMPARE(arrears(), QStringLiteral("January2026 31 310; February2026 25.5 282; March2026 20 200"));
        QCOMPARE(m_f->database().count("SELECT count(*) FROM incre WHERE ID = 1 AND company = 'ACME'"), 1);
        QCOMPARE(EmployeeRepository(m_f->db()).find(1).value()->basicRate, c("31310"));

        // A second save for the period asks first; No stores nothing.
        m_f->type("Text1", "310", false);
        m_f->click("cmdSave");
        QCOMPARE(m_f->prompter.last().kind, ScriptedPrompter::Kind::Question);
        QCOMPARE(m_f->prompter.last().defaultButton, Prompter::Default::No);
        QCOMPARE(m_f->database().count("SELECT count(*) FROM arr"), 3);
        // A failure in the middle of a save is told, and leaves the arrears and the rate as they were.
        const char* refuse =
            TestDatabase::onServer()
                ? "CREATE FUNCTION refuse() RETURNS trigger AS $$ BEGIN RAISE EXCEPTION 'the disk is full'; END $$ "
                  "LANGUAGE plpgsql; CREATE TRIGGER refuse BEFORE UPDATE ON emp FOR EACH ROW EXECUTE FUNCTION refuse()"
                : "CREATE TRIGGER refuse BEFORE UPDATE ON emp BEGIN SELECT RAISE(ABORT, 'the disk is full'); END";
        QVERIFY(QSqlQuery(m_f->db().connection()).exec(QString::fromLatin1(refuse)));
        m_f->prompter.answer(true);
        m_f->click("cmdSave");
        QVERIFY2(m_f->prompter.lastText().contains("the disk is full"), qPrintable(m_f->prompter.lastText()));
        QCOMPARE(m_f->database().count("SELECT count(*) FROM arr"), 3);
        QCOMPARE(EmployeeRepository(m_f->db()).find(1).value()->basicRate, c("31310"));

        m_f->click("Command1");
        const report::Document& printed = window->findChildren<ReportViewer*>().last()->document();
        QCOMPARE(printed.rowCount(), 3);
        QCOMPARE(printed.label("Label22"), QStringLiteral("RAMESH PATEL"));
    }

    void decrement_data()
    {
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<int>("rows");
        QTest::newRow("lowered") << "500" << "30500" << 1;
        QTest::newRow("down to zero") << "31000" << "0" << 1;
        QTest::newRow("below zero") << "31001" << "31000" << 0;
    }
    void decrement()
    {
        QFETCH(QString, amount);
        m_f->open<DecrementWindow>();
        m_f->type("Combo1", "1");
        m_f->type("Text1", amount, false);
        m_f->click("cmdSave");
        QTEST(EmployeeRepository(m_f->db()).find(1).value()->basicRate.toString(), "rate");
        QTEST(int(m_f->database().count("SELECT count(*) FROM decre")), "rows");
        if (amount == "31001")
            QCOMPARE(m_f->prompter.lastText(), QStringLiteral("The new basic rate cannot be negative."));
    }

private:
    IncrementWindow* openIncrement(const QString& from, const QString& to)
    {
        auto* window = m_f->open<IncrementWindow>();
        m_f->type("Combo1", "1");
        m_f->control<QDateEdit>("DTPicker2")->setDate(QDate::fromString(to, Qt::ISODate));
        m_f->control<QDateEdit>("DTPicker1")->setDate(QDate::fromString(from, Qt::ISODate));
        return window;
    }
    QString arrears() const
    {
        return SqlQuery(m_f->db(), "SELECT incredt, noofpre, amtpaid FROM arr ORDER BY ddat1")
            .rows([](const SqlQuery& q) {
                return QStringLiteral("%1 %2 %3").arg(q.text(0), q.amount(1).toString(), q.amount(2).toString());
            })
            .value()
            .join("; ");
    }
    void loan(qint64 id, const char* amount, const char* deduction, QDate date, const char* company)
    {
        ensureKnown(m_f->db(), {QString::fromLatin1(company)});
        QVERIFY(
            LoanRepository(m_f->db()).insert({id, id == 1 ? "RAMESH PATEL" : "SUNITA SHARMA", c(amount), c(deduction),
                                              date, QTime(10, 0), "ACCOUNTS", QString::fromLatin1(company)}));
    }
    void advance(qint64 id, const char* amount, QDate date, const char* company)
    {
        ensureKnown(m_f->db(), {QString::fromLatin1(company)});
        QVERIFY(AdvanceRepository(m_f->db()).insert(
            {id, "RAMESH PATEL", c(amount), date, QTime(10, 0), QString::fromLatin1(company)}));
    }
    void payroll(qint64 id, const char* recovered, const char* company, QDate date = {2026, 2, 28},
                 const char* days = "0")
    {
        PayrollTransaction t;
        t.employeeId = id;
        t.name = id == 1 ? QStringLiteral("RAMESH PATEL") : QStringLiteral("SUNITA SHARMA");
        t.payDate = date;
        t.daysPresent = c(days);
        t.loanRecovered = c(recovered);
        t.company = QString::fromLatin1(company);
        ensureKnown(m_f->db(), {t.company});
        QVERIFY(PayrollRepository(m_f->db()).insert(t));
    }
    QString amounts(const char* company) const
    {
        return SqlQuery(m_f->db(), "SELECT advamt FROM adv WHERE company = ? ORDER BY rowid")
            .bind(QString::fromLatin1(company))
            .rows([](const SqlQuery& q) { return q.amount(0).toString(); })
            .value()
            .join(' ');
    }

    std::unique_ptr<WindowFixture> m_f;
};

QTEST_MAIN(TestLedgerWindows)
#include "test_ledger_windows.moc"
