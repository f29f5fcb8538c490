#include "support/fixed_clock.h"
#include "data/backup_service.h"
#include "data/database.h"
#include "data/sql_query.h"
#include "support/test_database.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TestBackup : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void nameCarriesDayAndMinute();
    void missingFolderIsCreatedAndCopyHoldsTheRows();
    void sameMinuteGivesOneCopy();
    void folderNamedLikeTargetSuppressesCopy();
    void failureIsReportedWithReason();
    void networkNeedsAFolder();
    void networkCopyGoesToTheSetFolder();

private:
    FixedClock m_clock{QDateTime(QDate(2026, 12, 4), QTime(14, 35, 12))};
};

void TestBackup::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName("KestrelTest");
    QCoreApplication::setApplicationName("test_backup");
}

void TestBackup::nameCarriesDayAndMinute()
{
    QCOMPARE(BackupService::fileName(m_clock.now()), QStringLiteral("hr0412261435.db"));
}

void TestBackup::missingFolderIsCreatedAndCopyHoldsTheRows()
{
    TestDatabase t;
    QVERIFY(SqlQuery(t.db(), "INSERT INTO dept (dept) VALUES ('ACCOUNTS'), ('STORES')").exec());
    BackupService backup(t.db(), m_clock);
    QVERIFY(!QDir(backup.localFolder()).exists());

    const BackupOutcome outcome = backup.takeLocal();
    QVERIFY2(outcome.taken(), qPrintable(outcome.reason));
    QCOMPARE(outcome.target, QDir(t.folder()).filePath("backup/hr0412261435.db"));
    const auto permissions = QFile::permissions(outcome.target);
    QVERIFY(!(permissions & (QFile::ReadGroup | QFile::ReadOther)));

    // The connection stayed open, and the copy is a database with the same rows.
    QVERIFY(t.db().isOpen());
    QCOMPARE(t.count("SELECT count(*) FROM dept"), 2);
    Database copy(QStringLiteral("copy"));
    QVERIFY(copy.open(outcome.target));
    SqlQuery rows(copy, "SELECT dept FROM dept ORDER BY dept");
    QVERIFY(rows.exec());
    QStringList names;
    while (rows.next())
        names << rows.text(0);
    QCOMPARE(names, (QStringList{"ACCOUNTS", "STORES"}));
}

void TestBackup::sameMinuteGivesOneCopy()
{
    TestDatabase t;
    FixedClock clock(m_clock.now());
    BackupService backup(t.db(), clock);
    QVERIFY(backup.takeLocal().taken());
    clock.advanceSeconds(30); // 14:35:42, the same minute
    QCOMPARE(backup.takeLocal().kind, BackupOutcome::Kind::Skipped);
    clock.advanceSeconds(30); // 14:36:12
    QVERIFY(backup.takeLocal().taken());
    QCOMPARE(QDir(backup.localFolder()).entryList(QDir::Files).size(), 2);
}

void TestBackup::folderNamedLikeTargetSuppressesCopy()
{
    TestDatabase t;
    BackupService backup(t.db(), m_clock);
    QVERIFY(QDir().mkpath(QDir(backup.localFolder()).filePath(BackupService::fileName(m_clock.now()))));
    const BackupOutcome outcome = backup.takeLocal();
    QCOMPARE(outcome.kind, BackupOutcome::Kind::Skipped);
    QVERIFY(QFileInfo(outcome.target).isDir());
}

void TestBackup::failureIsReportedWithReason()
{
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

void TestBackup::networkNeedsAFolder()
{
    TestDatabase t;
    QSettings().remove(BackupService::networkFolderKey());
    const BackupOutcome outcome = BackupService(t.db(), m_clock).takeNetwork();
    QVERIFY(outcome.failed());
    QVERIFY(outcome.reason.contains("No network backup folder"));
}

void TestBackup::networkCopyGoesToTheSetFolder()
{
    TestDatabase t;
    QTemporaryDir share;
    const QString folder = QDir(share.path()).filePath("payroll backups");
    QSettings().setValue(BackupService::networkFolderKey(), folder);
    // A share that is not mounted: the copy fails and no folder is made in its place.
    const BackupOutcome missing = BackupService(t.db(), m_clock).takeNetwork();
    QVERIFY(missing.failed());
    QVERIFY2(missing.reason.contains("cannot be reached"), qPrintable(missing.reason));
    QVERIFY(!QFileInfo::exists(folder));

    QVERIFY(QDir().mkpath(folder));
    const BackupOutcome outcome = BackupService(t.db(), m_clock).takeNetwork();
    QSettings().remove(BackupService::networkFolderKey());
    QVERIFY2(outcome.taken(), qPrintable(outcome.reason));
    QVERIFY(QFile::exists(QDir(folder).filePath("hr0412261435.db")));
}

QTEST_GUILESS_MAIN(TestBackup)
#include "test_backup.moc"
