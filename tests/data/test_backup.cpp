#include "data/backup_service.h"
#include "data/database.h"
#include "data/sql_query.h"
#include "support/fixed_clock.h"
#include "support/test_database.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TestBackup : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void missingFolderIsCreatedAndCopyHoldsTheRows();
    void oneCopyAMinute();
    void failureIsReportedWithReason();
    void networkCopyGoesOnlyToTheSetFolder();
    void serverCopyIsADumpThatRestores();

private:
    FixedClock m_clock{QDateTime(QDate(2026, 12, 4), QTime(14, 35, 12))};
};

void TestBackup::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName("KestrelTest");
    QCoreApplication::setApplicationName("test_backup");
}

void TestBackup::missingFolderIsCreatedAndCopyHoldsTheRows()
{
    if (TestDatabase::onServer())
        QSKIP("copies of a database file");
    TestDatabase t;
    QVERIFY(SqlQuery(t.db(), "INSERT INTO dept (dept) VALUES ('ACCOUNTS'), ('STORES')").exec());
    BackupService backup(t.db(), m_clock);
    QVERIFY(!QDir(backup.localFolder()).exists());

    const BackupOutcome outcome = backup.takeLocal();
    QVERIFY2(outcome.taken(), qPrintable(outcome.reason));
    // Named for the day and the minute: 4 December 2026, 14:35.
    QCOMPARE(outcome.target, QDir(t.folder()).filePath("backup/hr0412261435.db"));
    const auto permissions = QFile::permissions(outcome.target);
    QVERIFY(!(permissions & (QFile::ReadGroup | QFile::ReadOther)));

    // The connection stayed open, and the copy is a database with the same rows.
    QVERIFY(t.db().isOpen());
    QCOMPARE(t.count("SELECT count(*) FROM dept"), 2);
    Database copy(QStringLiteral("copy"));
    QVERIFY(copy.open(outcome.target));
    QCOMPARE(SqlQuery(copy, "SELECT group_concat(dept) FROM dept").single()->toString(),
             QStringLiteral("ACCOUNTS,STORES"));
}

void TestBackup::oneCopyAMinute()
{
    if (TestDatabase::onServer())
        QSKIP("copies of a database file");
    TestDatabase t;
    FixedClock clock(m_clock.now());
    BackupService backup(t.db(), clock);
    QVERIFY(backup.takeLocal().taken());
    clock.advanceSeconds(30); // 14:35:42, the same minute
    QCOMPARE(backup.takeLocal().kind, BackupOutcome::Kind::Skipped);
    clock.advanceSeconds(30); // 14:36:12
    QVERIFY(backup.takeLocal().taken());
    QCOMPARE(QDir(backup.localFolder()).entryList(QDir::Files).size(), 2);
    // A folder named like the next copy, made by hand, suppresses it too.
    clock.advanceSeconds(60);
    QVERIFY(QDir().mkpath(QDir(backup.localFolder()).filePath(BackupService::fileName(clock.now()))));
    QCOMPARE(backup.takeLocal().kind, BackupOutcome::Kind::Skipped);
}

void TestBackup::failureIsReportedWithReason()
{
    if (TestDatabase::onServer())
        QSKIP("copies of a database file");
    TestDatabase t;
    // backup/ cannot be made: a plain file holds its name.
    QFile blocker(QDir(t.folder()).filePath("backup"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    BackupService backup(t.db(), m_clock);
    const BackupOutcome outcome = backup.takeLocal();
    QVERIFY(outcome.failed());
    QVERIFY(!outcome.reason.isEmpty());
    QVERIFY(t.db().isOpen());
}

void TestBackup::networkCopyGoesOnlyToTheSetFolder()
{
    if (TestDatabase::onServer())
        QSKIP("copies of a database file");
    TestDatabase t;
    QSettings().remove(BackupService::networkFolderKey());
    QVERIFY(BackupService(t.db(), m_clock).takeNetwork().reason.contains("No network backup folder"));
    QTemporaryDir share;
    const QString folder = QDir(share.path()).filePath("payroll backups");
    QSettings().setValue(BackupService::networkFolderKey(), folder);
    // A share that is not mounted: the copy fails and no folder is made in its place.
    const BackupOutcome missing = BackupService(t.db(), m_clock).takeNetwork();
    QVERIFY2(missing.failed() && missing.reason.contains("cannot be reached"), qPrintable(missing.reason));
    QVERIFY(!QFileInfo::exists(folder));
    QVERIFY(QDir().mkpath(folder));
    const BackupOutcome outcome = BackupService(t.db(), m_clock).takeNetwork();
    QSettings().remove(BackupService::networkFolderKey());
    QVERIFY2(outcome.taken(), qPrintable(outcome.reason));
    QVERIFY(QFile::exists(QDir(folder).filePath("hr0412261435.db")));
}

// A server database is copied by pg_dump into the dated folder of this user's data, owner-only, in
// the format pg_restore reads.
void TestBackup::serverCopyIsADumpThatRestores()
{
    if (!TestDatabase::onServer())
        QSKIP("copies of a server database");
    TestDatabase t;
    QVERIFY(SqlQuery(t.db(), "INSERT INTO dept (dept) VALUES ('ACCOUNTS'), ('STORES')").exec());
    BackupService backup(t.db(), m_clock);
    QDir(backup.localFolder()).removeRecursively();
    const BackupOutcome outcome = backup.takeLocal();
    QVERIFY2(outcome.taken(), qPrintable(outcome.reason));
    QCOMPARE(outcome.target, QDir(backup.localFolder()).filePath("hr0412261435.dump"));
    QCOMPARE(QFile::permissions(outcome.target) & (QFileDevice::ReadOther | QFileDevice::ReadGroup),
             QFileDevice::Permissions());
    QProcess list;
    list.start("pg_restore", {"--list", outcome.target});
    QVERIFY(list.waitForFinished(60000));
    QCOMPARE(list.exitCode(), 0);
    const QString contents = QString::fromUtf8(list.readAllStandardOutput());
    QVERIFY2(contents.contains("TABLE DATA public dept"), qPrintable(contents));
    QVERIFY(contents.contains("TABLE public payroll"));
    QCOMPARE(backup.takeLocal().kind, BackupOutcome::Kind::Skipped);
    QDir(backup.localFolder()).removeRecursively();
}

QTEST_GUILESS_MAIN(TestBackup)
#include "test_backup.moc"
