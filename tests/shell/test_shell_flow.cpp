#include "support/fixed_clock.h"
#include "support/scripted_prompter.h"
#include "ui/window_catalogue.h"
#include "data/backup_service.h"
#include "data/company_repository.h"
#include "data/session.h"
#include "data/user_repository.h"
#include "shell/company_selection_window.h"
#include "shell/login_window.h"
#include "shell/main_window.h"
#include "shell/master_window.h"
#include "shell/shell_controller.h"
#include "shell/shell_windows.h"
#include "support/test_database.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>

namespace {
const QStringList allButtons = {"Command1", "Command2", "Command3", "Command4",  "Command5",  "Command6",
                                "Command7", "Command8", "Command9", "Command10", "Command11", "Command12"};
const QStringList restrictedButtons = {"Command4", "Command6", "Command10", "Command11"};
} // namespace

class TestShellFlow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void wholeRoad();
    void failedLoginKeepsTextsAndSaysSo();
    void quotesNeitherLogInNorBreak_data();
    void quotesNeitherLogInNorBreak();
    void capitalUserPrivilegeGetsAllButtons();
    void activationsInOneMinuteGiveOneBackup();
    void unknownCompanyIsNotAccepted();
    void exitFromLoginClearsFlag();
    void firstRunCreatesWorkingAdministrator();
    void openingAWindowClosesTheListedOthers();
    void deleteCompanyNeedsUnlockKey();
    void privilegeIsTheLoggedInUsers();
    void exitTakesBackupAndClearsFlag();
    void createCompanyReturnsToSelection();

private:
    void chooseCompany(const QString& name);
    void logIn(const QString& name, const QString& password);
    template <typename T>
    T* child(QWidget* parent, const QString& name)
    {
        T* w = parent->findChild<T*>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }

    std::unique_ptr<TestDatabase> m_t;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<FixedClock> m_clock;
    std::unique_ptr<WindowCatalogue> m_catalogue;
    std::unique_ptr<ShellController> m_shell;
};

void TestShellFlow::init()
{
    m_t = std::make_unique<TestDatabase>();
    CompanyRepository companies(m_t->db());
    QVERIFY(companies.add("ACME TEXTILES", "Rajkot").ok());
    QVERIFY(companies.add("O'NEIL WORKS", "Surat").ok());
    UserRepository users(m_t->db());
    QVERIFY(users.add("admin", "admin", "Admin").ok());
    QVERIFY(users.add("clerk", "clerk", "user").ok());
    QVERIFY(users.add("boss", "boss", "User").ok());
    m_prompter = std::make_unique<ScriptedPrompter>();
    m_clock = std::make_unique<FixedClock>(QDateTime(QDate(2026, 12, 4), QTime(14, 35, 0)));
    m_catalogue = std::make_unique<WindowCatalogue>();
    addShellWindows(*m_catalogue);
    m_shell = std::make_unique<ShellController>(m_t->db(), *m_prompter, *m_clock, *m_catalogue);
    m_shell->start();
}

void TestShellFlow::cleanup()
{
    m_shell.reset();
    m_t.reset();
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
    QTest::keyClicks(child<QLineEdit>(login, "txtUserName"), name);
    QTest::keyClicks(child<QLineEdit>(login, "txtPassword"), password);
    QTest::mouseClick(child<QPushButton>(login, "cmdOK"), Qt::LeftButton);
}

void TestShellFlow::wholeRoad()
{
    chooseCompany("ACME TEXTILES");
    QVERIFY(!m_shell->companySelection()->isVisible());
    QCOMPARE(CompanyRepository(m_t->db()).selected(), std::optional<QString>("ACME TEXTILES"));

    // An ordinary user: four buttons hidden, the others moved up.
    logIn("clerk", "clerk");
    MainWindow* main = m_shell->mainWindow();
    QVERIFY(main);
    QVERIFY(QTest::qWaitForWindowExposed(main));
    QCOMPARE(main->windowTitle(), QStringLiteral("ACME TEXTILES"));
    QCOMPARE(child<QLabel>(main, "Label2")->text(), QStringLiteral("clerk"));
    QTRY_VERIFY(!child<QPushButton>(main, "Command4")->isVisibleTo(main));
    for (const QString& name : allButtons)
        QCOMPARE(child<QPushButton>(main, name)->isVisibleTo(main), !restrictedButtons.contains(name));
    auto* command3 = child<QPushButton>(main, "Command3");
    QTRY_COMPARE(child<QPushButton>(main, "Command5")->x(), command3->x() + command3->width());

    // Log out: back to the selection, the flag cleared.
    QTest::mouseClick(child<QPushButton>(main, "Command9"), Qt::LeftButton);
    QTRY_VERIFY(!m_shell->mainWindow());
    QVERIFY(m_shell->companySelection()->isVisible());
    QVERIFY(!CompanyRepository(m_t->db()).selected());

    // An administrator sees all twelve and adds a user.
    chooseCompany("O'NEIL WORKS");
    logIn("admin", "admin");
    main = m_shell->mainWindow();
    QVERIFY(main);
    QCOMPARE(main->windowTitle(), QStringLiteral("O'NEIL WORKS"));
    for (const QString& name : allButtons)
        QVERIFY2(child<QPushButton>(main, name)->isVisibleTo(main), qPrintable(name));
    QTest::mouseClick(child<QPushButton>(main, "Command6"), Qt::LeftButton);
    QWidget* users = main->window("Form6");
    QVERIFY(users);
    QTest::mouseClick(child<QPushButton>(users, "cmdAdd"), Qt::LeftButton);
    QTest::keyClicks(child<QLineEdit>(users, "txtName"), "meena");
    QTest::keyClicks(child<QLineEdit>(users, "txtPass"), "s3cret");
    QTest::keyClicks(child<QLineEdit>(users, "txtConfirm"), "s3cret");
    auto* privilege = child<QComboBox>(users, "cboPriv");
    privilege->setEditText("user");
    QTest::mouseClick(child<QPushButton>(users, "cmdSave"), Qt::LeftButton);
    QCOMPARE(m_prompter->lastText(), QStringLiteral("New record saved."));

    QTest::mouseClick(child<QPushButton>(main, "Command9"), Qt::LeftButton);
    QTRY_VERIFY(!m_shell->mainWindow());
    chooseCompany("ACME TEXTILES");
    logIn("meena", "s3cret");
    QVERIFY(m_shell->mainWindow());
    QCOMPARE(m_shell->session().userName, QStringLiteral("meena"));
}

void TestShellFlow::failedLoginKeepsTextsAndSaysSo()
{
    chooseCompany("ACME TEXTILES");
    logIn("clerk", "wrong");
    QVERIFY(!m_shell->mainWindow());
    QCOMPARE(m_prompter->lastText(), QStringLiteral("Enter Username And Password"));
    QCOMPARE(m_prompter->last().icon, Prompter::Icon::Information);
    QCOMPARE(m_prompter->last().title, QStringLiteral("Kestrel1"));
    QCOMPARE(child<QLineEdit>(m_shell->login(), "txtUserName")->text(), QStringLiteral("clerk"));
    QCOMPARE(child<QLineEdit>(m_shell->login(), "txtPassword")->text(), QStringLiteral("wrong"));
}

void TestShellFlow::quotesNeitherLogInNorBreak_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::newRow("quote in name") << "admin' --"
                                   << "x";
    QTest::newRow("always-true password") << "admin"
                                          << "' or '1'='1";
    QTest::newRow("both") << "' or 1=1 --"
                          << "' or ''='";
}

void TestShellFlow::quotesNeitherLogInNorBreak()
{
    QFETCH(QString, name);
    QFETCH(QString, password);
    chooseCompany("ACME TEXTILES");
    logIn(name, password);
    QVERIFY(!m_shell->mainWindow());
    QCOMPARE(m_prompter->lastText(), QStringLiteral("Enter Username And Password"));
    QCOMPARE(UserRepository(m_t->db()).count().value(), 3);
    // The window still works afterwards.
    child<QLineEdit>(m_shell->login(), "txtUserName")->clear();
    child<QLineEdit>(m_shell->login(), "txtPassword")->clear();
    logIn("admin", "admin");
    QVERIFY(m_shell->mainWindow());
}

void TestShellFlow::capitalUserPrivilegeGetsAllButtons()
{
    chooseCompany("ACME TEXTILES");
    logIn("boss", "boss");
    MainWindow* main = m_shell->mainWindow();
    QVERIFY(QTest::qWaitForWindowActive(main));
    // The activation ran: it took the backup and read the privilege again.
    QTRY_VERIFY(main->statusBar()->currentMessage().startsWith("Auto backup Taken To "));
    for (const QString& name : allButtons)
        QVERIFY2(child<QPushButton>(main, name)->isVisibleTo(main), qPrintable(name));
}

void TestShellFlow::activationsInOneMinuteGiveOneBackup()
{
    chooseCompany("ACME TEXTILES");
    logIn("admin", "admin");
    MainWindow* main = m_shell->mainWindow();
    QVERIFY(QTest::qWaitForWindowActive(main));
    const QString folder = QDir(QFileInfo(m_t->path()).absolutePath()).filePath("backup");
    QTRY_COMPARE(QDir(folder).entryList(QDir::Files).size(), 1);
    QVERIFY(main->statusBar()->currentMessage().startsWith("Auto backup Taken To "));

    // Another activation in the same minute, then one a minute later.
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(main, &activate);
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 1);
    m_clock->advanceSeconds(60);
    QApplication::sendEvent(main, &activate);
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 2);
}

void TestShellFlow::unknownCompanyIsNotAccepted()
{
    chooseCompany("NO SUCH COMPANY");
    QCOMPARE(m_prompter->lastText(), QStringLiteral("Please Select Company"));
    QVERIFY(!m_shell->login()->isVisible());
    QVERIFY(!CompanyRepository(m_t->db()).selected());
    chooseCompany("");
    QCOMPARE(m_prompter->texts().size(), 2);
}

void TestShellFlow::exitFromLoginClearsFlag()
{
    QSignalSpy finished(m_shell.get(), &ShellController::finished);
    chooseCompany("ACME TEXTILES");
    QVERIFY(CompanyRepository(m_t->db()).selected());
    QTest::mouseClick(child<QPushButton>(m_shell->login(), "cmdCancel"), Qt::LeftButton);
    QCOMPARE(finished.count(), 1);
    QVERIFY(!CompanyRepository(m_t->db()).selected());
}

void TestShellFlow::firstRunCreatesWorkingAdministrator()
{
    TestDatabase fresh;
    QVERIFY(CompanyRepository(fresh.db()).add("ACME", {}).ok());
    ShellController shell(fresh.db(), *m_prompter, *m_clock, *m_catalogue);
    shell.start();
    auto* combo = child<QComboBox>(shell.companySelection(), "Combo1");
    QTest::keyClicks(combo, "ACME");
    QTest::mouseClick(child<QPushButton>(shell.companySelection(), "Command1"), Qt::LeftButton);
    LoginWindow* login = shell.login();
    QVERIFY(login->isFirstRun());
    QVERIFY(child<QLineEdit>(login, "txtDelPass")->isVisibleTo(login));
    QTest::keyClicks(child<QLineEdit>(login, "txtUserName"), "owner");
    QTest::keyClicks(child<QLineEdit>(login, "txtPassword"), "pw1");
    QTest::keyClicks(child<QLineEdit>(login, "txtConfirm"), "pw2");
    QTest::keyClicks(child<QLineEdit>(login, "txtDelPass"), "del");
    QTest::keyClicks(child<QLineEdit>(login, "txtDelConfirm"), "del");
    QTest::mouseClick(child<QPushButton>(login, "cmdOK"), Qt::LeftButton);
    QCOMPARE(m_prompter->lastText(), QStringLiteral("Password does not match!"));
    QCOMPARE(UserRepository(fresh.db()).count().value(), 0);

    auto* confirm = child<QLineEdit>(login, "txtConfirm");
    confirm->clear();
    QTest::keyClicks(confirm, "pw1");
    QTest::mouseClick(child<QPushButton>(login, "cmdOK"), Qt::LeftButton);
    QVERIFY(shell.mainWindow());
    UserRepository users(fresh.db());
    const auto owner = users.authenticate("owner", "pw1");
    QVERIFY(owner);
    const Session ownerSession{{}, {}, owner->privilege};
    QVERIFY(!ownerSession.isRestricted());
    QVERIFY(users.checkDeletePassword("del"));
    QVERIFY(!users.checkDeletePassword("DEL"));
}

void TestShellFlow::openingAWindowClosesTheListedOthers()
{
    chooseCompany("ACME TEXTILES");
    logIn("admin", "admin");
    MainWindow* main = m_shell->mainWindow();
    QVERIFY(main->openWindow("Form4"));
    QVERIFY(main->openWindow("Form20"));
    QVERIFY(main->window("Form4"));
    // The users window closes Form1 to Form5 (the time record among them); the masters stay.
    QVERIFY(main->openWindow("Form6"));
    QTRY_VERIFY(!main->window("Form4"));
    QVERIFY(main->window("Form20"));
    // Opening an open window brings it forward instead of making a second one.
    QWidget* users = main->window("Form6");
    QCOMPARE(main->openWindow("Form6"), users);
    // A window not built yet is not offered.
    QVERIFY(!child<QPushButton>(main, "Command7")->isEnabled());
    QVERIFY(!main->openWindow("Form8"));
}

void TestShellFlow::deleteCompanyNeedsUnlockKey()
{
    CompanySelectionWindow* selection = m_shell->companySelection();
    auto* remove = child<QPushButton>(selection, "Command3");
    auto* combo = child<QComboBox>(selection, "Combo1");
    QVERIFY(!remove->isEnabled());
    QTest::keyClicks(combo, QStringLiteral("O'NEIL WORKS") + QChar(CompanySelectionWindow::DeleteUnlockKey));
    QVERIFY(remove->isEnabled());
    QCOMPARE(combo->currentText(), QStringLiteral("O'NEIL WORKS"));
    m_prompter->answer(true);
    QTest::mouseClick(remove, Qt::LeftButton);
    QCOMPARE(m_prompter->lastText(), QStringLiteral("Company Delete But Data Remains In The Database"));
    QCOMPARE(CompanyRepository(m_t->db()).list()->size(), 1);
    QVERIFY(!remove->isEnabled());
}

void TestShellFlow::privilegeIsTheLoggedInUsers()
{
    // Two users may share a name; each keeps the privilege of their own row.
    UserRepository(m_t->db()).add("clerk", "other", "Admin");
    chooseCompany("ACME TEXTILES");
    logIn("clerk", "other");
    MainWindow* main = m_shell->mainWindow();
    QVERIFY(QTest::qWaitForWindowActive(main));
    QTRY_VERIFY(!main->statusBar()->currentMessage().isEmpty());
    QVERIFY(child<QPushButton>(main, "Command6")->isVisibleTo(main));

    // The restricted one is restricted from the start, before any activation.
    QTest::mouseClick(child<QPushButton>(main, "Command9"), Qt::LeftButton);
    chooseCompany("ACME TEXTILES");
    logIn("clerk", "clerk");
    main = m_shell->mainWindow();
    QVERIFY(!child<QPushButton>(main, "Command6")->isVisibleTo(main));
}

void TestShellFlow::exitTakesBackupAndClearsFlag()
{
    QSignalSpy finished(m_shell.get(), &ShellController::finished);
    chooseCompany("ACME TEXTILES");
    logIn("admin", "admin");
    MainWindow* main = m_shell->mainWindow();
    QVERIFY(QTest::qWaitForWindowActive(main));
    const QString folder = QDir(QFileInfo(m_t->path()).absolutePath()).filePath("backup");
    QTRY_COMPARE(QDir(folder).entryList(QDir::Files).size(), 1);
    m_clock->advanceSeconds(120);
    QTest::mouseClick(child<QPushButton>(main, "Command12"), Qt::LeftButton);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 2);
    QVERIFY(!CompanyRepository(m_t->db()).selected());
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

QTEST_MAIN(TestShellFlow)
#include "test_shell_flow.moc"
