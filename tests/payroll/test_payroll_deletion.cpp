#include "data/database.h"
#include "data/payroll_repository.h"
#include "data/sql_query.h"
#include "data/user_repository.h"
#include "payroll/payroll_deletion_window.h"
#include "payroll/payroll_window.h"
#include "support/test_database.h"
#include "support/window_fixture.h"

#include <QDir>
#include <QTableView>
#include <QTest>

// The payroll deletion window on ACME's transactions 1 to 6 and OTHER CO's 7 and 8; the delete
// password is "del".
class TestPayrollDeletion : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_f = std::make_unique<WindowFixture>();
        PayrollRepository payroll(m_f->db());
        ensureKnown(m_f->db(), {"ACME", "OTHER CO"}, {{1, "A"}, {2, "B"}, {3, "C"}, {4, "D"}, {5, "E"}, {6, "F"}, {7, "G"}, {8, "H"}});
        for (int i = 1; i <= 8; ++i) {
            PayrollTransaction t;
            t.employeeId = i;
            t.payDate = QDate(2026, 3, 31);
            t.company = i <= 6 ? QStringLiteral("ACME") : QStringLiteral("OTHER CO");
            QVERIFY(payroll.insert(t));
        }
        QVERIFY(UserRepository(m_f->db()).setDeletePassword(QStringLiteral("del")));
        m_f->open<PayrollDeletionWindow>();
    }
    void cleanup() { m_f.reset(); }

    void byNumberOrRange_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last"); // empty: by number
        QTest::addColumn<QList<qint64>>("left");
        QTest::addColumn<QString>("message");
        // clang-format off
        QTest::newRow("one") << "3" << "" << QList<qint64>{1, 2, 4, 5, 6, 7, 8} << "Payroll Transaction record deleted successfully";
        QTest::newRow("one of another company") << "7" << "" << QList<qint64>{1, 2, 3, 4, 5, 6, 7, 8} << "ACME has no payroll transaction number 7; nothing was deleted.";
        QTest::newRow("range") << "2" << "4" << QList<qint64>{1, 5, 6, 7, 8} << "Payroll record deleted successfully: 3 transactions.";
        QTest::newRow("range into another company") << "5" << "8" << QList<qint64>{1, 2, 3, 4, 7, 8} << "Payroll record deleted successfully: 2 transactions.";
        QTest::newRow("range of another company") << "7" << "9" << QList<qint64>{1, 2, 3, 4, 5, 6, 7, 8} << "ACME has no payroll transaction numbered from 7 to 9; nothing was deleted.";
        QTest::newRow("range of one") << "6" << "6" << QList<qint64>{1, 2, 3, 4, 5, 7, 8} << "Payroll record deleted successfully: 1 transaction.";
        // clang-format on
    }
    void byNumberOrRange()
    {
        QFETCH(QString, first);
        QFETCH(QString, last);
        const bool range = !last.isEmpty();
        m_f->type(range ? "Text2" : "Text1", first, false);
        if (range)
            m_f->type("Text3", last, false);
        m_f->click(range ? "Command2" : "Command1");
        m_f->prompter.answer(true);
        m_f->type(range ? "Text5" : "Text4", "del", false);
        m_f->click(range ? "Command6" : "Command4");
        QTEST(m_f->prompter.lastText(), "message");
        QTEST(remaining(), "left");
    }

    void badNumbersAskNoPassword_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("message");
        QTest::newRow("reversed") << "5" << "2" << "The first transaction number (5) is above the last (2).";
        QTest::newRow("letters") << "abc" << "4" << "Please enter the first transaction number as a whole number above 0.";
        QTest::newRow("no last") << "1" << "" << "Please enter the last transaction number as a whole number above 0.";
    }
    void badNumbersAskNoPassword()
    {
        QFETCH(QString, first);
        QFETCH(QString, last);
        m_f->type("Text2", first, false);
        m_f->type("Text3", last, false);
        m_f->click("Command2");
        QTEST(m_f->prompter.lastText(), "message");
        QVERIFY(!m_f->control("Frame2")->isVisible());
        QCOMPARE(remaining().size(), 8);
    }

    // All of the company's transactions go, after a backup copy; the other company's stay.
    void allAfterABackup()
    {
        m_f->click("Command3");
        m_f->prompter.answer(true);
        m_f->type("Text6", "del", false);
        m_f->click("Command9");
        QCOMPARE(m_f->prompter.lastText(), QStringLiteral("ALL Payroll records deleted successfully: 6 transactions."));
        QCOMPARE(remaining(), (QList<qint64>{7, 8}));
        QCOMPARE(m_f->database().backupCopies(), 1);
        if (!TestDatabase::onServer()) {
            // The copy, written while the rows were deleted, holds them all.
            const QDir folder(m_f->database().folder() + "/backup");
            Database copy(QStringLiteral("copy"));
            QVERIFY(copy.open(folder.filePath(folder.entryList({"hr*"}, QDir::Files).value(0)), Database::Access::ReadOnly));
            QCOMPARE(SqlQuery(copy, "SELECT count(*) FROM payroll").single()->toInt(), 8);
        }
    }

    // Another number typed while the password frame is open closes it: the frame was opened for 3.
    // (A wrong password, No and CANCEL are the guard's, tried with it.)
    void anotherNumberClosesTheFrame()
    {
        m_f->type("Text1", "3", false);
        m_f->click("Command1");
        m_f->type("Text4", "del", false);
        m_f->type("Text1", "4", false);
        QVERIFY(!m_f->control("Frame1")->isVisible());
        QCOMPARE(m_f->text("Text4"), QString());
        QCOMPARE(remaining().size(), 8);
    }

    // The payroll window, open meanwhile, shows what is left and comes to the front.
    void payrollWindowFollows()
    {
        PayrollWindow payroll(m_f->context);
        const QAbstractItemModel* list = payroll.findChild<QTableView*>("lvwInfo")->model();
        QCOMPARE(list->rowCount(), 6);
        QStringList brought;
        m_f->context.openBeside = [&](const QString& name) -> QWidget* {
            brought << name;
            return &payroll;
        };
        m_f->context.findWindow = [&payroll](const QString& name) -> QWidget* {
            return name == "Form2" ? &payroll : nullptr;
        };
        m_f->type("Text1", "2", false);
        m_f->click("Command1");
        m_f->prompter.answer(true);
        m_f->type("Text4", "del", false);
        m_f->click("Command4");
        QCOMPARE(brought, QStringList{"Form2"});
        QCOMPARE(list->rowCount(), 5);
        m_f->context.findWindow = {};
        m_f->context.openBeside = {};
    }

private:
    QList<qint64> remaining() const
    {
        return SqlQuery(m_f->db(), "SELECT transid FROM payroll ORDER BY transid")
            .rows([](const SqlQuery& q) { return q.number(0); })
            .value();
    }

    std::unique_ptr<WindowFixture> m_f;
};

QTEST_MAIN(TestPayrollDeletion)
#include "test_payroll_deletion.moc"
