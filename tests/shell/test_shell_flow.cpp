#include "data/backup_service.h"
#include "data/company_repository.h"
#include "data/month_close.h"
#include "data/session.h"
#include "data/sql_query.h"
#include "data/user_repository.h"
#include "shell/company_selection_window.h"
#include "shell/login_window.h"
#include "shell/main_window.h"
#include "shell/master_window.h"
#include "shell/shell_controller.h"
#include "shell/shell_windows.h"
#include "support/window_fixture.h"
#include "ui/window_catalogue.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QPointer>
#include <QTest>

namespace {
const QStringList allButtons = {"Command1", "Command2", "Command3", "Command4",  "Command5",  "Command6",
                                "Command7", "Command8", "Command9", "Command10", "Command11", "Command12"};
const QStringList restrictedButtons = {"Command4", "Command6", "Command10", "Command11"};
// The menu items a user who is not an administrator does not see, besides those of the buttons.
const QStringList restrictedItems = {"imptbl", "rstbak", "clsmon", "statrl", "audtrl", "bnkset"};

template <typename T = QWidget>
T* child(QWidget* parent, const QString& name)
{
    T* w = parent->findChild<T*>(name);
    if (!w)
        qFatal("no control %s", qPrintable(name));
    return w;
}
void press(QWidget* parent, const QString& button)
{
    QTest::mouseClick(child<QPushButton>(parent, button), Qt::LeftButton);
}
} // namespace

class TestShellFlow : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_f = std::make_unique<WindowFixture>(QDateTime(QDate(2026, 12, 4), QTime(14, 35, 0)));
        CompanyRepository companies(m_f->db());
        QVERIFY(companies.add("ACME TEXTILES", "Rajkot").ok());
        QVERIFY(companies.add("O'NEIL WORKS", "Surat").ok());
        UserRepository users(m_f->db());
        QVERIFY(users.add("admin", "admin", "Admin").ok());
        QVERIFY(users.add("clerk", "clerk", "user").ok());
        // A privilege from an old file that is neither of the two.
        QVERIFY(SqlQuery(m_f->db(), "INSERT INTO \"use\" (usernm, pass, priv) VALUES ('odd', 'odd', 'Supervisor')").exec());
        QVERIFY(users.setDeletePassword("del"));
        m_catalogue = std::make_unique<WindowCatalogue>();
        addShellWindows(*m_catalogue);
        // A working window that is only a name, standing for the payroll this folder does not build.
        m_catalogue->add("Form2", [](AppContext&, QWidget* parent) {
            auto* window = new QWidget(parent);
            window->setObjectName("Form2");
            return window;
        });
        m_shell = std::make_unique<ShellController>(m_f->db(), m_f->prompter, m_f->clock, *m_catalogue);
        m_shell->start();
    }

    void cleanup()
    {
        m_shell.reset();
        m_f.reset();
    }

    // A company not in the list, or none, goes no further and leaves no flag.
    void wholeRoad()
    {
        QSignalSpy finished(m_shell.get(), &ShellController::finished);
        chooseCompany("NO SUCH COMPANY");
        QCOMPARE(m_f->prompter.lastText(), QStringLiteral("Please Select Company"));
        chooseCompany("");
        QCOMPARE(m_f->prompter.texts().size(), 2);
        QVERIFY(!m_shell->login()->isVisible() && !CompanyRepository(m_f->db()).selected());
        chooseCompany("ACME TEXTILES");
        QCOMPARE(CompanyRepository(m_f->db()).selected(), std::optional<QString>("ACME TEXTILES"));
        logIn("clerk", "clerk");
        QVERIFY(m_shell->mainWindow());
        QCOMPARE(m_shell->session().company + "|" + m_shell->session().userName, QStringLiteral("ACME TEXTILES|clerk"));

        // Log out: back to the selection, the flag cleared; the next company and user take over.
        press(m_shell->mainWindow(), "Command9");
        QTRY_VERIFY(!m_shell->mainWindow());
        QVERIFY(m_shell->companySelection()->isVisible());
        QVERIFY(!CompanyRepository(m_f->db()).selected());
        chooseCompany("O'NEIL WORKS");
        logIn("admin", "admin");
        QVERIFY(m_shell->mainWindow());
        QCOMPARE(m_shell->session().company + "|" + m_shell->session().userName, QStringLiteral("O'NEIL WORKS|admin"));

        // Leaving from the login ends the program, the flag cleared.
        press(m_shell->mainWindow(), "Command9");
        QTRY_VERIFY(!m_shell->mainWindow());
        chooseCompany("ACME TEXTILES");
        press(m_shell->login(), "cmdCancel");
        QCOMPARE(finished.count(), 1);
        QVERIFY(!CompanyRepository(m_f->db()).selected());
    }

    void loginsThatFailLeaveNoTrace_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("loggedIn"); // the user logged in, or empty
        QTest::newRow("wrong password") << "clerk" << "wrong" << "";
        QTest::newRow("password of another letter case") << "clerk" << "CLERK" << "";
        QTest::newRow("name of another letter case") << "CLERK" << "clerk" << "clerk";
        QTest::newRow("blanks around the name") << " Admin " << "admin" << "admin";
        QTest::newRow("quote in name") << "admin' --" << "x" << "";
        QTest::newRow("always-true password") << "admin" << "' or '1'='1" << "";
    }
    void loginsThatFailLeaveNoTrace()
    {
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(QString, loggedIn);
        chooseCompany("ACME TEXTILES");
        logIn(name, password);
        if (!loggedIn.isEmpty()) {
            QVERIFY(m_shell->mainWindow());
            QCOMPARE(m_shell->session().userName, loggedIn);
            return;
        }
        QVERIFY(!m_shell->mainWindow());
        QCOMPARE(m_f->prompter.texts(), QStringList{"Enter Username And Password"});
        // The boxes keep what was typed, nothing was stored, and the window still works.
        QCOMPARE(child<QLineEdit>(m_shell->login(), "txtPassword")->text(), password);
        QCOMPARE(UserRepository(m_f->db()).count().value(), 3);
        logIn("admin", "admin");
        QVERIFY(m_shell->mainWindow());
    }

    // How a privilege's text is read (case, blanks) is the rules' business, tested with them.
    void privilegeDecidesTheButtons_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<bool>("restricted");
        QTest::newRow("user") << "clerk" << true;
        QTest::newRow("Admin") << "admin" << false;
        QTest::newRow("unknown: restricts") << "odd" << true;
    }
    void privilegeDecidesTheButtons()
    {
        QFETCH(QString, user);
        QFETCH(bool, restricted);
        MainWindow* main = logInAs(user);
        // Only the privilege nobody recognises is explained.
        QCOMPARE(m_f->prompter.texts().join('\n').contains("is neither \"admin\" nor \"user\""), user == "odd");
        // The activation ran: it took the backup and read the privilege again.
        QTRY_VERIFY(main->statusBar()->currentMessage().startsWith("Auto backup Taken To "));
        for (const QString& name : allButtons)
            QVERIFY2(child<QPushButton>(main, name)->isVisibleTo(main) == !(restricted && restrictedButtons.contains(name)),
                     qPrintable(name));
        for (const QString& name : restrictedButtons)
            QCOMPARE(child<QAction>(main, "act" + name)->isVisible(), !restricted);
        for (const QString& name : restrictedItems)
            QVERIFY2(child<QAction>(main, name)->isVisible() == !restricted, qPrintable(name));
    }

    void firstRunCreatesOneWorkingAdministrator()
    {
        // A database with a company and no user yet, on the login's first-run page.
        WindowFixture fresh;
        QVERIFY(CompanyRepository(fresh.db()).add("ACME", {}).ok());
        ShellController shell(fresh.db(), fresh.prompter, fresh.clock, *m_catalogue);
        shell.start();
        QTest::keyClicks(child<QComboBox>(shell.companySelection(), "Combo1"), "ACME");
        press(shell.companySelection(), "Command1");
        LoginWindow* login = shell.login();
        QVERIFY(login->isFirstRun());
        const auto fill = [login](const QStringList& texts) {
            const QStringList boxes = {"txtUserName", "txtPassword", "txtConfirm", "txtDelPass", "txtDelConfirm"};
            for (int i = 0; i < boxes.size(); ++i) {
                child<QLineEdit>(login, boxes[i])->clear();
                QTest::keyClicks(child<QLineEdit>(login, boxes[i]), texts[i]);
            }
            press(login, "cmdOK");
        };
        fill({" owner ", "pw1", "pw2", "del", "del"});
        QCOMPARE(fresh.prompter.lastText(), QStringLiteral("Password does not match!"));
        fill({" owner ", "pw1", "pw1", "del", "dell"});
        QCOMPARE(fresh.prompter.lastText(), QStringLiteral("Delete password does not match!"));
        UserRepository users(fresh.db());
        QCOMPARE(users.count().value(), 0);

        // Made meanwhile by someone else: the window neither makes a second one nor replaces the
        // delete password, and offers the plain login.
        QVERIFY(users.createFirstAdministrator("first", "pw", "del1").ok());
        fill({"second", "pw2", "pw2", "del2", "del2"});
        QCOMPARE(fresh.prompter.last().title, QStringLiteral("Error"));
        QCOMPARE(users.count().value(), 1);
        QVERIFY(users.checkDeletePassword("del1").value() && !login->isFirstRun());
        QVERIFY(!shell.mainWindow());

        // On a new database the name is stored trimmed and the login that made it goes through at once.
        QVERIFY(execute(fresh.db(), "DELETE FROM \"use\""));
        login->reset();
        fill({" owner ", "pw1", "pw1", "del", "del"});
        QVERIFY(shell.mainWindow());
        QCOMPARE(shell.session().userName, QStringLiteral("owner"));
        QCOMPARE(users.count().value(), 1);
        QVERIFY(!Session({{}, {}, users.authenticate("OWNER", "pw1")->privilege}).isRestricted());
        QVERIFY(users.checkDeletePassword("del").value() && !users.checkDeletePassword("DEL").value());
    }

    void openingAWindowClosesTheListedOthers()
    {
        MainWindow* main = logInAs("admin");
        QVERIFY(main->openWindow("Form4"));
        QVERIFY(main->openWindow("Form20"));
        // The users window closes Form1 to Form5 (the time record among them); the masters stay.
        QVERIFY(main->openWindow("Form6"));
        QTRY_VERIFY(!main->window("Form4"));
        QVERIFY(main->window("Form20"));
        // Opening an open window brings it forward instead of making a second one.
        QWidget* users = main->window("Form6");
        QCOMPARE(main->openWindow("Form6"), users);
        // A window not built yet is not offered.
        QVERIFY(!main->openWindow("Form8"));
        // A window called up by another (the payslips by the payroll) opens beside it, closing none.
        QVERIFY(main->openWindow("Form2"));
        QTRY_VERIFY(!main->window("Form6"));
        QVERIFY(main->openWindow("Form6", MainWindow::Closing::None));
        QTest::qWait(50);
        QVERIFY(main->window("Form2"));
    }

    void everyCommandHasAKeyboardWay()
    {
        MainWindow* main = logInAs("admin");
        // Every button is an item with a letter of its menu; no two shortcuts share a key, nor take a
        // grid's edit key (F2) or a combo box's list key (F4).
        QList<QKeySequence> taken = {Qt::Key_F2, Qt::Key_F4};
        for (const QString& button : allButtons) {
            auto* action = child<QAction>(main, "act" + button);
            QVERIFY2(action->text().contains('&') && !taken.contains(action->shortcut()), qPrintable(button));
            if (!action->shortcut().isEmpty())
                taken << action->shortcut();
        }
        QTest::keyClick(main, Qt::Key_F3);
        QVERIFY(main->window("Form2"));
    }

    // The selection's use of the delete-password frame; the frame's own refusals are tested with it.
    // Created again under its name (in other letters), the company takes its rows back only when the
    // operator says so behind the same password; otherwise it is another name's to take.
    void deleteCompanyNeedsUnlockKeyAndPassword_data()
    {
        QTest::addColumn<bool>("bringBack");
        QTest::newRow("brought back") << true;
        QTest::newRow("another name chosen") << false;
    }
    void deleteCompanyNeedsUnlockKeyAndPassword()
    {
        QFETCH(bool, bringBack);
        QVERIFY(SqlQuery(m_f->db(), "INSERT INTO payroll (ID, ddate, netpay, company) VALUES (1, '2026-10-31', 10,"
                                    " 'O''NEIL WORKS')").exec());
        QVERIFY(CompanyRepository(m_f->db()).saveBankSettings("O'NEIL WORKS", {{"HDFC BANK", "50200012345678", "HDFC0000246"}, bank::defaultLayout()}));
        QVERIFY(MonthCloseRepository(m_f->db()).close("O'NEIL WORKS", QDate(2026, 10, 1)));
        CompanySelectionWindow* selection = m_shell->companySelection();
        auto* remove = child<QPushButton>(selection, "Command3");
        auto* combo = child<QComboBox>(selection, "Combo1");
        QVERIFY(!remove->isEnabled());
        QTest::keyClicks(combo, QStringLiteral("O'NEIL WORKS") + QChar(CompanySelectionWindow::DeleteUnlockKey));
        QVERIFY(remove->isEnabled());
        QCOMPARE(combo->currentText(), QStringLiteral("O'NEIL WORKS"));
        QTest::mouseClick(remove, Qt::LeftButton);
        QVERIFY(child(selection, "fraDelPass")->isVisible());
        m_f->prompter.answer(true);
        QTest::keyClicks(child<QLineEdit>(selection, "txtDelPass"), "del");
        QTest::keyClick(child<QLineEdit>(selection, "txtDelPass"), Qt::Key_Return);
        QCOMPARE(m_f->prompter.texts(), (QStringList{"Are You Sure You Want To Delete Company",
                                                     "Company Delete But Data Remains In The Database"}));
        QCOMPARE(CompanyRepository(m_f->db()).list()->size(), 1);
        QVERIFY(combo->findText("O'NEIL WORKS") < 0);
        QVERIFY(!remove->isEnabled()); // unlocked for one deletion only

        press(selection, "Command2");
        MasterWindow* master = m_shell->companyMaster();
        QVERIFY(QTest::qWaitForWindowActive(master));
        QTRY_VERIFY(qobject_cast<QLineEdit*>(QApplication::focusWidget()));
        QTest::keyClicks(QApplication::focusWidget(), "o'neil  works");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCoreApplication::processEvents(); // the grid stores the cell once the editor has seen the key
        QVERIFY(child(master, "fraDelPass")->isVisible());
        QTest::keyClicks(child<QLineEdit>(master, "txtDelPass"), "del");
        m_f->prompter.answer(bringBack);
        QTest::keyClick(child<QLineEdit>(master, "txtDelPass"), Qt::Key_Return);
        QCOMPARE(m_f->prompter.texts().at(2), QStringLiteral("The company O'NEIL WORKS was deleted, and its rows are "
                                                             "still in the database: 1 payroll transaction and 1 closed "
                                                             "month.\n\nBring them back with the company?\n\nNo: give "
                                                             "the new company another name."));
        const auto companies = CompanyRepository(m_f->db()).list().value();
        QCOMPARE(companies.size(), bringBack ? 2 : 1);
        if (bringBack) {
            // As it was: its address and its bank, which the trail kept of the deleted row.
            QCOMPARE(companies.last().name + " " + companies.last().address, QStringLiteral("O'NEIL WORKS Surat"));
            QCOMPARE(CompanyRepository(m_f->db()).bankSettings("O'NEIL WORKS")->account.account, QStringLiteral("50200012345678"));
        }
    }

    void endingKeepsUnsavedInputAndTellsAFailedBackup()
    {
        QSignalSpy finished(m_shell.get(), &ShellController::finished);
        MainWindow* main = logInAs("admin");
        const QString folder = QDir(m_f->database().folder()).filePath("backup");
        QTRY_COMPARE(QDir(folder).entryList(QDir::Files).size(), 1);

        // A user being entered: log-out asks, and No keeps the session, the window and the entry.
        QWidget* users = main->openWindow("Form6");
        press(users, "cmdAdd");
        QTest::keyClicks(child<QLineEdit>(users, "txtName"), "meena");
        m_f->clock.advanceSeconds(120);
        press(main, "Command9");
        QCOMPARE(m_f->prompter.last().kind, ScriptedPrompter::Kind::Question);
        QVERIFY(m_shell->mainWindow());
        QCOMPARE(child<QLineEdit>(users, "txtName")->text(), QStringLiteral("meena"));
        QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 1);
        QVERIFY(CompanyRepository(m_f->db()).selected());

        // Exit with Yes: the window goes first, then the flag and the backup, whose failure is told.
        QVERIFY(QDir(folder).removeRecursively());
        QFile blocker(folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        m_f->prompter.answer(true);
        press(main, "Command12");
        QCOMPARE(finished.count(), 1);
        QVERIFY(!CompanyRepository(m_f->db()).selected());
        QVERIFY2(m_f->prompter.lastText().startsWith("Auto backup failed: "), qPrintable(m_f->prompter.lastText()));
        QCOMPARE(m_f->prompter.last().icon, Prompter::Icon::Warning);
        QVERIFY(!m_shell->companySelection()->isVisible());
    }

    void createCompanyReturnsToSelection()
    {
        press(m_shell->companySelection(), "Command2");
        MasterWindow* master = m_shell->companyMaster();
        QVERIFY(master);
        // The new row is open for typing straight away.
        QVERIFY(QTest::qWaitForWindowActive(master));
        QTRY_VERIFY(qobject_cast<QLineEdit*>(QApplication::focusWidget()));
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(master->isAncestorOf(editor));
        QTest::keyClicks(editor, "beta mills");
        press(master, "Command3");
        QTRY_VERIFY(m_shell->companySelection()->isVisible());
        QVERIFY(child<QComboBox>(m_shell->companySelection(), "Combo1")->findText("BETA MILLS") >= 0);
    }

    // An administrator imports a folder of the previous system's tables once the rows are agreed to be
    // added to the data there, and a second transaction of a month once that is agreed to as the
    // payroll window asks it; a restore gives back the copy's rows and starts again from the company.
    void administratorsImportAndRestore()
    {
        MainWindow* admin = logInAs("admin");
        QAction* import = admin->findChild<QAction*>("imptbl");
        const BackupOutcome before = BackupService(m_f->db(), m_f->clock).takeFresh();
        QVERIFY2(before.taken(), qPrintable(before.reason));
        QTemporaryDir folder;
        for (const auto& [name, text] : {std::pair{"grp.csv", "grp\nNIGHT SHIFT\nDAY SHIFT\n"}, {"emp.csv", "emname\nRAVI\n"},
                                         {"payroll.csv", "ID,ddate,absences,company\n1,2026-11-30,30,ACME TEXTILES\n"
                                                         "1,2026-11-30,1,ACME TEXTILES\n"}}) {
            QFile file(folder.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) > 0);
        }
        m_f->prompter.answerFile(folder.path());
        m_f->prompter.answer(false);
        import->trigger();
        QCOMPARE(m_f->database().count("SELECT count(*) FROM grp"), 0);
        m_f->prompter.answerFile(folder.path());
        m_f->prompter.answer(true);  // add to the data there
        m_f->prompter.answer(false); // month first
        m_f->prompter.answer(true);  // a second transaction of November
        import->trigger();
        QCOMPARE(m_f->prompter.texts().at(m_f->prompter.texts().size() - 2),
                 QStringLiteral("1 payroll row is of an employee's month that has a transaction already (payroll.csv, "
                                "line 3: Employee number 1 has the transaction of line 2 in November 2026 already).\n\n"
                                "Do you want to import it as a further transaction of its month?"));
        QCOMPARE(m_f->prompter.lastText(), QStringLiteral("Imported 5 rows (grp: 2, emp: 1, payroll: 2)."));
        QCOMPARE(m_f->database().count("SELECT count(*) FROM payroll WHERE earn = 0 AND netpay = 0"), 2);

        QPointer<MainWindow> window(admin);
        m_f->prompter.answerFile(before.target);
        m_f->prompter.answer(true);
        admin->findChild<QAction*>("rstbak")->trigger();
        QVERIFY2(m_f->prompter.texts().join('\n').contains("Restored the copy"), qPrintable(m_f->prompter.texts().join('\n')));
        QCOMPARE(m_f->database().count("SELECT count(*) FROM grp"), 0);
        QCOMPARE(m_f->database().count("SELECT count(*) FROM payroll"), 0);
        QTRY_VERIFY(!window || !window->isVisible());
    }

private:
    void chooseCompany(const QString& name)
    {
        CompanySelectionWindow* selection = m_shell->companySelection();
        QVERIFY(selection->isVisible());
        auto* combo = child<QComboBox>(selection, "Combo1");
        combo->setEditText(QString());
        QTest::keyClicks(combo, name);
        press(selection, "Command1");
    }
    void logIn(const QString& name, const QString& password)
    {
        LoginWindow* login = m_shell->login();
        QVERIFY(login->isVisible());
        for (const auto& [box, text] : {std::pair{"txtUserName", name}, {"txtPassword", password}}) {
            child<QLineEdit>(login, box)->clear();
            QTest::keyClicks(child<QLineEdit>(login, box), text);
        }
        press(login, "cmdOK");
    }
    MainWindow* logInAs(const QString& name)
    {
        chooseCompany("ACME TEXTILES");
        logIn(name, name);
        MainWindow* main = m_shell->mainWindow();
        if (!main || !QTest::qWaitForWindowActive(main))
            qFatal("%s could not log in", qPrintable(name));
        return main;
    }

    std::unique_ptr<WindowFixture> m_f;
    std::unique_ptr<WindowCatalogue> m_catalogue;
    std::unique_ptr<ShellController> m_shell;
};

QTEST_MAIN(TestShellFlow)
#include "test_shell_flow.moc"
