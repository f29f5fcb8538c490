#include "data/backup_service.h"
#include "data/company_repository.h"
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
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
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

template <typename T = QWidget>
T* child(QWidget* parent, const QString& name)
{
    T* w = parent->findChild<T*>(name);
    if (!w)
        qFatal("no control %s", qPrintable(name));
    return w;
}

// A working window that is only a name, standing for windows this folder does not build.
QWidget* placeholder(const QString& name, QWidget* parent)
{
    auto* window = new QWidget(parent);
    window->setObjectName(name);
    return window;
}
} // namespace

class TestShellFlow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void wholeRoad();
    void loginsThatFailLeaveNoTrace_data();
    void loginsThatFailLeaveNoTrace();
    void privilegeDecidesTheButtons_data();
    void privilegeDecidesTheButtons();
    void unknownCompanyIsNotAccepted();
    void exitFromLoginClearsFlag();
    void firstRunCreatesOneWorkingAdministrator();
    void openingAWindowClosesTheListedOthers();
    void everyCommandHasAKeyboardWay();
    void deleteCompanyNeedsUnlockKeyAndPassword();
    void endingKeepsUnsavedInputAndTellsAFailedBackup();
    void createCompanyReturnsToSelection();
    void administratorsImportAndRestore();

private:
    void chooseCompany(const QString& name);
    void logIn(const QString& name, const QString& password);
    MainWindow* logInAs(const QString& name);

    std::unique_ptr<WindowFixture> m_f;
    std::unique_ptr<WindowCatalogue> m_catalogue;
    std::unique_ptr<ShellController> m_shell;
};

void TestShellFlow::init()
{
    m_f = std::make_unique<WindowFixture>(QDateTime(QDate(2026, 12, 4), QTime(14, 35, 0)));
    CompanyRepository companies(m_f->db());
    QVERIFY(companies.add("ACME TEXTILES", "Rajkot").ok());
    QVERIFY(companies.add("O'NEIL WORKS", "Surat").ok());
    UserRepository users(m_f->db());
    QVERIFY(users.add("admin", "admin", "Admin").ok());
    QVERIFY(users.add("clerk", "clerk", "user").ok());
    QVERIFY(users.add("boss", "boss", " ADMIN ").ok());
    QVERIFY(users.add("sub", "sub", "User ").ok());
    // A privilege from an old file that is neither of the two.
    QVERIFY(SqlQuery(m_f->db(), "INSERT INTO \"use\" (usernm, pass, priv) VALUES ('odd', 'odd', 'Supervisor')").exec());
    QVERIFY(users.setDeletePassword("del"));
    m_catalogue = std::make_unique<WindowCatalogue>();
    addShellWindows(*m_catalogue);
    m_catalogue->add("Form2", [](AppContext&, QWidget* parent) { return placeholder("Form2", parent); });
    m_shell = std::make_unique<ShellController>(m_f->db(), m_f->prompter, m_f->clock, *m_catalogue);
    m_shell->start();
}

void TestShellFlow::cleanup()
{
    m_shell.reset();
    m_f.reset();
}

void TestShellFlow::chooseCompany(const QString& name)
{
    CompanySelectionWindow* selection = m_shell->companySelection();
    QVERIFY(selection->isVisible());
    auto* combo = child<QComboBox>(selection, "Combo1");
    combo->setEditText(QString());
    QTest::keyClicks(combo, name);
    QTest::mouseClick(child<QPushButton>(selection, "Command1"), Qt::LeftButton);
}

void TestShellFlow::logIn(const QString& name, const QString& password)
{
    LoginWindow* login = m_shell->login();
    QVERIFY(login->isVisible());
    for (const auto& [box, text] : {std::pair{"txtUserName", name}, {"txtPassword", password}}) {
        child<QLineEdit>(login, box)->clear();
        QTest::keyClicks(child<QLineEdit>(login, box), text);
    }
    QTest::mouseClick(child<QPushButton>(login, "cmdOK"), Qt::LeftButton);
}

MainWindow* TestShellFlow::logInAs(const QString& name)
{
    chooseCompany("ACME TEXTILES");
    logIn(name, name);
    MainWindow* main = m_shell->mainWindow();
    if (!main || !QTest::qWaitForWindowActive(main))
        qFatal("%s could not log in", qPrintable(name));
    return main;
}

void TestShellFlow::wholeRoad()
{
    chooseCompany("ACME TEXTILES");
    QVERIFY(!m_shell->companySelection()->isVisible());
    QCOMPARE(CompanyRepository(m_f->db()).selected(), std::optional<QString>("ACME TEXTILES"));
    logIn("clerk", "clerk");
    MainWindow* main = m_shell->mainWindow();
    QVERIFY(main);
    QCOMPARE(main->windowTitle(), QStringLiteral("ACME TEXTILES"));
    QCOMPARE(child<QLabel>(main, "Label2")->text(), QStringLiteral("clerk"));

    // Log out: back to the selection, the flag cleared; the next company and user take over.
    QTest::mouseClick(child<QPushButton>(main, "Command9"), Qt::LeftButton);
    QTRY_VERIFY(!m_shell->mainWindow());
    QVERIFY(m_shell->companySelection()->isVisible());
    QVERIFY(!CompanyRepository(m_f->db()).selected());
    chooseCompany("O'NEIL WORKS");
    logIn("admin", "admin");
    QVERIFY(m_shell->mainWindow());
    QCOMPARE(m_shell->mainWindow()->windowTitle(), QStringLiteral("O'NEIL WORKS"));
    QCOMPARE(m_shell->session().userName, QStringLiteral("admin"));
}

void TestShellFlow::loginsThatFailLeaveNoTrace_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("loggedIn"); // the user logged in, or empty
    // clang-format off
    QTest::newRow("wrong password") << "clerk" << "wrong" << "";
    QTest::newRow("password of another letter case") << "clerk" << "CLERK" << "";
    QTest::newRow("name of another letter case") << "CLERK" << "clerk" << "clerk";
    QTest::newRow("blanks around the name") << " Admin " << "admin" << "admin";
    QTest::newRow("quote in name") << "admin' --" << "x" << "";
    QTest::newRow("always-true password") << "admin" << "' or '1'='1" << "";
    QTest::newRow("both") << "' or 1=1 --" << "' or ''='" << "";
    // clang-format on
}

void TestShellFlow::loginsThatFailLeaveNoTrace()
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
    QCOMPARE(m_f->prompter.last().icon, Prompter::Icon::Information);
    // The boxes keep what was typed, nothing was stored, and the window still works.
    QCOMPARE(child<QLineEdit>(m_shell->login(), "txtPassword")->text(), password);
    QCOMPARE(UserRepository(m_f->db()).count().value(), 5);
    logIn("admin", "admin");
    QVERIFY(m_shell->mainWindow());
}

void TestShellFlow::privilegeDecidesTheButtons_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<bool>("restricted");
    // clang-format off
    QTest::newRow("user") << "clerk" << true;
    QTest::newRow("User, trailing blank") << "sub" << true;
    QTest::newRow("ADMIN, blanks around") << "boss" << false;
    QTest::newRow("Admin") << "admin" << false;
    QTest::newRow("unknown: restricts") << "odd" << true;
    // clang-format on
}

void TestShellFlow::privilegeDecidesTheButtons()
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
    if (restricted) {
        // The buttons after a hidden one move up.
        auto* command3 = child<QPushButton>(main, "Command3");
        QTRY_COMPARE(child<QPushButton>(main, "Command5")->x(), command3->x() + command3->width());
    }
}

void TestShellFlow::unknownCompanyIsNotAccepted()
{
    chooseCompany("NO SUCH COMPANY");
    QCOMPARE(m_f->prompter.lastText(), QStringLiteral("Please Select Company"));
    QVERIFY(!m_shell->login()->isVisible());
    QVERIFY(!CompanyRepository(m_f->db()).selected());
    chooseCompany("");
    QCOMPARE(m_f->prompter.texts().size(), 2);
}

void TestShellFlow::exitFromLoginClearsFlag()
{
    QSignalSpy finished(m_shell.get(), &ShellController::finished);
    chooseCompany("ACME TEXTILES");
    QVERIFY(CompanyRepository(m_f->db()).selected());
    QTest::mouseClick(child<QPushButton>(m_shell->login(), "cmdCancel"), Qt::LeftButton);
    QCOMPARE(finished.count(), 1);
    QVERIFY(!CompanyRepository(m_f->db()).selected());
}

void TestShellFlow::firstRunCreatesOneWorkingAdministrator()
{
    // A database with a company and no user yet, on the login's first-run page.
    WindowFixture fresh;
    QVERIFY(CompanyRepository(fresh.db()).add("ACME", {}).ok());
    ShellController shell(fresh.db(), fresh.prompter, fresh.clock, *m_catalogue);
    shell.start();
    QTest::keyClicks(child<QComboBox>(shell.companySelection(), "Combo1"), "ACME");
    QTest::mouseClick(child<QPushButton>(shell.companySelection(), "Command1"), Qt::LeftButton);
    LoginWindow* login = shell.login();
    QVERIFY(login->isFirstRun());
    const auto fill = [login](const QStringList& texts) {
        const QStringList boxes = {"txtUserName", "txtPassword", "txtConfirm", "txtDelPass", "txtDelConfirm"};
        for (int i = 0; i < boxes.size(); ++i) {
            child<QLineEdit>(login, boxes[i])->clear();
            QTest::keyClicks(child<QLineEdit>(login, boxes[i]), texts[i]);
        }
        QTest::mouseClick(child<QPushButton>(login, "cmdOK"), Qt::LeftButton);
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

void TestShellFlow::openingAWindowClosesTheListedOthers()
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
    QVERIFY(!child<QPushButton>(main, "Command7")->isEnabled());
    QVERIFY(!child<QAction>(main, "actCommand7")->isEnabled());
    QVERIFY(!main->openWindow("Form8"));
    // A window called up by another (the payslips by the payroll) opens beside it, closing none.
    QVERIFY(main->openWindow("Form2"));
    QTRY_VERIFY(!main->window("Form6"));
    QVERIFY(main->openWindow("Form6", MainWindow::Closing::None));
    QTest::qWait(50);
    QVERIFY(main->window("Form2"));
}

void TestShellFlow::everyCommandHasAKeyboardWay()
{
    MainWindow* main = logInAs("admin");
    // The focus starts on the payroll, not on whichever button comes first.
    QTRY_COMPARE(QApplication::focusWidget(), child<QWidget>(main, "Command2"));
    // Every button is an item of a menu reached by Alt and a letter; the monthly windows have shortcuts.
    for (const QAction* menu : main->menuBar()->actions())
        QVERIFY2(menu->text().contains('&'), qPrintable(menu->text()));
    const QStringList monthly = {"actCommand1", "actCommand2", "actCommand3",
                                 "actCommand5", "actCommand7", "actCommand8"};
    QList<QKeySequence> taken = {Qt::Key_F2, Qt::Key_F4}; // a grid's edit key, a combo box's list key
    for (const QString& button : allButtons) {
        auto* action = child<QAction>(main, "act" + button);
        QVERIFY2(action->text().contains('&'), qPrintable(button));
        QCOMPARE(action->shortcut().isEmpty(), !monthly.contains(action->objectName()));
        if (!action->shortcut().isEmpty()) {
            QVERIFY2(!taken.contains(action->shortcut()), qPrintable(button));
            taken << action->shortcut();
        }
    }
    QTest::keyClick(main, Qt::Key_F3);
    QVERIFY(main->window("Form2"));
}

void TestShellFlow::deleteCompanyNeedsUnlockKeyAndPassword()
{
    CompanySelectionWindow* selection = m_shell->companySelection();
    auto* remove = child<QPushButton>(selection, "Command3");
    auto* combo = child<QComboBox>(selection, "Combo1");
    QVERIFY(!remove->isEnabled());
    QTest::keyClicks(combo, QStringLiteral("O'NEIL WORKS") + QChar(CompanySelectionWindow::DeleteUnlockKey));
    QVERIFY(remove->isEnabled());
    QCOMPARE(combo->currentText(), QStringLiteral("O'NEIL WORKS"));
    QTest::mouseClick(remove, Qt::LeftButton);
    auto* frame = child(selection, "fraDelPass");
    QVERIFY(frame->isVisible());
    QVERIFY(m_f->prompter.entries().isEmpty()); // nothing asked before the password
    m_f->prompter.answer(true);
    QTest::keyClicks(child<QLineEdit>(selection, "txtDelPass"), "del");
    QTest::keyClick(child<QLineEdit>(selection, "txtDelPass"), Qt::Key_Return);
    QVERIFY(!frame->isVisible());
    QCOMPARE(m_f->prompter.texts(), (QStringList{"Are You Sure You Want To Delete Company",
                                                 "Company Delete But Data Remains In The Database"}));
    QCOMPARE(CompanyRepository(m_f->db()).list()->size(), 1);
    QVERIFY(combo->findText("O'NEIL WORKS") < 0);
    QVERIFY(!remove->isEnabled());
}

void TestShellFlow::endingKeepsUnsavedInputAndTellsAFailedBackup()
{
    QSignalSpy finished(m_shell.get(), &ShellController::finished);
    MainWindow* main = logInAs("admin");
    const QString folder = QDir(m_f->database().folder()).filePath("backup");
    QTRY_COMPARE(QDir(folder).entryList(QDir::Files).size(), 1);

    // A user being entered: log-out asks, and No keeps the session, the window and the entry.
    QWidget* users = main->openWindow("Form6");
    QTest::mouseClick(child<QPushButton>(users, "cmdAdd"), Qt::LeftButton);
    QTest::keyClicks(child<QLineEdit>(users, "txtName"), "meena");
    m_f->clock.advanceSeconds(120);
    QTest::mouseClick(child<QPushButton>(main, "Command9"), Qt::LeftButton);
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
    QTest::mouseClick(child<QPushButton>(main, "Command12"), Qt::LeftButton);
    QCOMPARE(finished.count(), 1);
    QVERIFY(!CompanyRepository(m_f->db()).selected());
    QVERIFY2(m_f->prompter.lastText().startsWith("Auto backup failed: "), qPrintable(m_f->prompter.lastText()));
    QCOMPARE(m_f->prompter.last().icon, Prompter::Icon::Warning);
    QVERIFY(!m_shell->companySelection()->isVisible());
}

void TestShellFlow::createCompanyReturnsToSelection()
{
    QTest::mouseClick(child<QPushButton>(m_shell->companySelection(), "Command2"), Qt::LeftButton);
    MasterWindow* master = m_shell->companyMaster();
    QVERIFY(master);
    QTRY_VERIFY(!m_shell->companySelection()->isVisible());
    // The new row is open for typing straight away.
    QVERIFY(QTest::qWaitForWindowActive(master));
    QTRY_VERIFY(qobject_cast<QLineEdit*>(QApplication::focusWidget()));
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(master->isAncestorOf(editor));
    QTest::keyClicks(editor, "beta mills");
    QTest::mouseClick(child<QPushButton>(master, "Command3"), Qt::LeftButton);
    QTRY_VERIFY(m_shell->companySelection()->isVisible());
    QVERIFY(child<QComboBox>(m_shell->companySelection(), "Combo1")->findText("BETA MILLS") >= 0);
}

// An administrator brings in a folder of the previous system's tables from the Master menu, after
// saying that the rows are added to the data there; a clerk has no such entry.
// Only administrators import tables and restore copies; a restore gives back the rows of the
// copy's time and starts the session again from the choice of company.
void TestShellFlow::administratorsImportAndRestore()
{
    MainWindow* clerk = logInAs("clerk");
    QVERIFY(!clerk->findChild<QAction*>("imptbl")->isVisible());
    QVERIFY(!clerk->findChild<QAction*>("rstbak")->isVisible());
    m_shell.reset();
    m_shell = std::make_unique<ShellController>(m_f->db(), m_f->prompter, m_f->clock, *m_catalogue);
    m_shell->start();
    MainWindow* admin = logInAs("admin");
    QAction* import = admin->findChild<QAction*>("imptbl");
    QVERIFY(import->isVisible());
    const BackupOutcome before = BackupService(m_f->db(), m_f->clock).takeFresh();
    QVERIFY2(before.taken(), qPrintable(before.reason));
    QTemporaryDir folder;
    QFile file(folder.filePath("grp.csv"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("grp\nNIGHT SHIFT\nDAY SHIFT\n");
    file.close();
    m_f->prompter.answerFile(folder.path());
    m_f->prompter.answer(false);
    import->trigger();
    QCOMPARE(m_f->database().count("SELECT count(*) FROM grp"), 0);
    m_f->prompter.answerFile(folder.path());
    m_f->prompter.answer(true);  // add to the data there
    m_f->prompter.answer(false); // month first
    import->trigger();
    QCOMPARE(m_f->prompter.lastText(), QStringLiteral("Imported 2 rows (grp: 2)."));
    QCOMPARE(m_f->database().count("SELECT count(*) FROM grp"), 2);

    QPointer<MainWindow> window(admin);
    m_f->prompter.answerFile(before.target);
    m_f->prompter.answer(true);
    admin->findChild<QAction*>("rstbak")->trigger();
    QVERIFY2(m_f->prompter.texts().join('\n').contains("Restored the copy"), qPrintable(m_f->prompter.texts().join('\n')));
    QCOMPARE(m_f->database().count("SELECT count(*) FROM grp"), 0);
    QTRY_VERIFY(!window || !window->isVisible());
}

QTEST_MAIN(TestShellFlow)
#include "test_shell_flow.moc"
