#include "common/clock.h"
#include "data/database.h"
#include "shell/company_selection_window.h"
#include "shell/instance_lock.h"
#include "shell/shell_controller.h"
#include "shell/startup.h"
#include "support/scripted_prompter.h"
#include "ui/window_catalogue.h"

#include <QFile>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTest>

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void instanceLockRefusesSecondHolder()
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
        // A server database's lock is this user's own, however the address is written: another user's
        // stale lock, or a file anyone made in the shared temporary folder, cannot lock this user out.
        const QString server = InstanceLock::lockPathFor("postgresql://clerk@office:5432/payroll");
        QCOMPARE(QFileInfo(server).absolutePath(), QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation));
        QCOMPARE(InstanceLock::lockPathFor("postgresql://clerk@office/payroll"), server);
    }

    void startThatCannotGoOnSaysWhy_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("another instance") << "running" << "Application is already running" << 1;
        QTest::newRow("not a database") << "text file" << "hr.db" << 2;
        QTest::newRow("lock that cannot be made") << "file as folder" << "cannot be created" << 2;
    }
    void startThatCannotGoOnSaysWhy()
    {
        QFETCH(QString, obstacle);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QString path = dir.filePath(obstacle == "running" ? "new folder/hr.db" : "hr.db");
        SystemClock clock;
        WindowCatalogue catalogue;
        ScriptedPrompter firstPrompter;
        Startup first(firstPrompter, clock, catalogue);
        if (obstacle == "running") {
            // A new path, folder and all, is made into a database silently, and the first window shows.
            QVERIFY(first.open({path, false}));
            QVERIFY(firstPrompter.entries().isEmpty());
            QVERIFY(!first.database()->connection().record("payroll").isEmpty());
            first.showFirstWindow();
            QVERIFY(first.controller()->companySelection()->isVisible());
        } else {
            // Some text, or a plain file where the database's folder should be.
            QFile file(obstacle == "text file" ? path : dir.filePath("share"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("this is not a database, just some text that is long enough to matter");
            if (obstacle == "file as folder")
                path = dir.filePath("share/hr.db");
        }
        ScriptedPrompter prompter;
        Startup second(prompter, clock, catalogue);
        QVERIFY(!second.open({path, false}));
        QTEST(second.exitCode(), "exitCode");
        QCOMPARE(prompter.texts().size(), 1);
        QVERIFY2(prompter.lastText().contains(message), qPrintable(prompter.lastText()));
        QCOMPARE(prompter.last().icon, Prompter::Icon::Critical);
    }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
