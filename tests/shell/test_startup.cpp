#include "common/clock.h"
#include "data/database.h"
#include "shell/company_selection_window.h"
#include "shell/instance_lock.h"
#include "shell/shell_controller.h"
#include "shell/startup.h"
#include "support/scripted_prompter.h"
#include "ui/window_catalogue.h"

#include <QApplication>
#include <QFile>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void instanceLockRefusesSecondHolder();
    void newPathCreatesDatabaseAndShowsWindow();
    void secondStartOnSameFileIsRefused();
    void badFileIsReportedNotCrashed();
    void lockThatCannotBeMadeSaysWhatFailed();
};

void TestStartup::instanceLockRefusesSecondHolder()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("hr.db");
    using Outcome = InstanceLock::Outcome;
    InstanceLock first(path);
    QCOMPARE(first.tryLock(), Outcome::Locked);
    InstanceLock second(path);
    QCOMPARE(second.tryLock(), Outcome::HeldByAnother);
    first.unlock();
    QCOMPARE(second.tryLock(), Outcome::Locked);
    // Another database file has its own lock.
    InstanceLock other(dir.filePath("other.db"));
    QCOMPARE(other.tryLock(), Outcome::Locked);
}

void TestStartup::newPathCreatesDatabaseAndShowsWindow()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("new folder/hr.db");
    ScriptedPrompter prompter;
    SystemClock clock;
    WindowCatalogue catalogue;
    Startup startup(prompter, clock, catalogue);
    QVERIFY(startup.open({path, false}));
    QVERIFY(prompter.entries().isEmpty());
    QVERIFY(QFile::exists(path));
    QVERIFY(!startup.database()->connection().record("payroll").isEmpty());
    startup.showFirstWindow();
    QWidget* first = startup.controller()->companySelection();
    QCOMPARE(first->objectName(), QStringLiteral("Form18"));
    QVERIFY(first->isVisible());
}

void TestStartup::secondStartOnSameFileIsRefused()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("hr.db");
    SystemClock clock;
    WindowCatalogue catalogue;
    ScriptedPrompter firstPrompter;
    Startup first(firstPrompter, clock, catalogue);
    QVERIFY(first.open({path, false}));

    ScriptedPrompter prompter;
    Startup second(prompter, clock, catalogue);
    QVERIFY(!second.open({path, false}));
    QCOMPARE(second.exitCode(), 1);
    QCOMPARE(prompter.texts(), QStringList{"Application is already running"});
    QCOMPARE(prompter.last().icon, Prompter::Icon::Critical);
    QCOMPARE(prompter.last().title, QStringLiteral("Kestrel1"));
    QVERIFY(!second.database());
}

void TestStartup::badFileIsReportedNotCrashed()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("hr.db");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("this is not a database, just some text that is long enough to matter");
    file.close();
    ScriptedPrompter prompter;
    SystemClock clock;
    WindowCatalogue catalogue;
    Startup startup(prompter, clock, catalogue);
    QVERIFY(!startup.open({path, false}));
    QCOMPARE(startup.exitCode(), 2);
    QCOMPARE(prompter.last().title, QStringLiteral("Error"));
    QVERIFY(prompter.lastText().contains(path));
}

void TestStartup::lockThatCannotBeMadeSaysWhatFailed()
{
    QTemporaryDir dir;
    // A plain file stands where the database's folder should be.
    QFile blocker(dir.filePath("share"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ScriptedPrompter prompter;
    SystemClock clock;
    WindowCatalogue catalogue;
    Startup startup(prompter, clock, catalogue);
    QVERIFY(!startup.open({dir.filePath("share/hr.db"), false}));
    QCOMPARE(prompter.texts().size(), 1);
    QVERIFY2(prompter.lastText().contains("cannot be created"), qPrintable(prompter.lastText()));
    QCOMPARE(prompter.last().title, QStringLiteral("Error"));
    QCOMPARE(startup.exitCode(), 2);
}

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
