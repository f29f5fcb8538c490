#include "data/backup_service.h"
#include "data/database.h"
#include "data/schema.h"
#include "data/sql_query.h"
#include "support/file_size_limit.h"
#include "support/fixed_clock.h"
#include "support/test_database.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

Q_DECLARE_METATYPE(Retention)

namespace {

// A copy of a database of the test's backend, as Kestrel would take it, after change ran on it.
QString copyOf(const QString& folder, const std::function<void(Database&)>& change)
{
    TestDatabase source;
    change(source.db());
    const QString path = QDir(folder).filePath(TestDatabase::onServer() ? "hr0412261435.dump" : "hr0412261435.db");
    if (!TestDatabase::onServer()) {
        SqlQuery(source.db(), "VACUUM INTO ?").bind(path).exec();
    } else {
        QProcess dump;
        dump.start("pg_dump", {"--format=custom", "--file=" + path, "--dbname=" + source.path()});
        dump.waitForFinished(60000);
    }
    return path;
}

// A database of the test's backend whose copies are taken at a clock the test moves, into a local
// folder that starts empty and is removed after: a server's lies in this user's data, which the tests
// share.
struct Copies {
    TestDatabase t;
    FixedClock clock{QDateTime(QDate(2026, 12, 4), QTime(14, 35, 12))};
    BackupService backup{t.db(), clock};
    QDir folder{backup.localFolder()};

    Copies() { folder.removeRecursively(); }
    ~Copies() { folder.removeRecursively(); }
};

} // namespace

using CopySetup = std::function<QString(const QString& folder)>; // makes the copy, gives its path
Q_DECLARE_METATYPE(CopySetup)

class TestBackup : public QObject {
    Q_OBJECT
    FixedClock m_clock{QDateTime(QDate(2026, 12, 4), QTime(14, 35, 12))};

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName("KestrelTest");
        QCoreApplication::setApplicationName("test_backup");
    }

    // A routine copy goes into a folder made for it (a file's beside it, a server's in this user's
    // data), owner-only, named for the minute, and reads back whole (what it holds is put back by the
    // restore below). At most one is taken a minute; the connection stays open.
    void routineCopyIsOneAMinuteAndHoldsTheRows()
    {
        Copies f;
        QVERIFY(SqlQuery(f.t.db(), "INSERT INTO dept (dept) VALUES ('ACCOUNTS'), ('STORES')").exec());
        const BackupOutcome outcome = f.backup.takeLocal();
        QVERIFY2(outcome.taken(), qPrintable(outcome.reason));
        // Named for the day and the minute: 4 December 2026, 14:35.
        QCOMPARE(outcome.target, TestDatabase::onServer() ? f.folder.filePath("hr0412261435.dump")
                                                          : QDir(f.t.folder()).filePath("backup/hr0412261435.db"));
        QCOMPARE(QFile::permissions(outcome.target) & (QFile::ReadGroup | QFile::ReadOther),
                 QFileDevice::Permissions());
        QVERIFY(BackupService::check(outcome.target));
        QCOMPARE(f.t.count("SELECT count(*) FROM dept"), 2);

        f.clock.advanceSeconds(30); // 14:35:42, the same minute
        QCOMPARE(f.backup.takeLocal().kind, BackupOutcome::Kind::Skipped);
        f.clock.advanceSeconds(30); // 14:36:12
        QVERIFY(f.backup.takeLocal().taken());
        QCOMPARE(f.folder.entryList(QDir::Files).size(), 2);
        // A folder named like the next copy, made by hand, suppresses it too.
        f.clock.advanceSeconds(60);
        QVERIFY(f.folder.mkpath(BackupService::fileName(f.clock.now(), f.t.db().backend())));
        QCOMPARE(f.backup.takeLocal().kind, BackupOutcome::Kind::Skipped);

        // The folder cannot be made, a plain file holding its name: the copy fails and says why.
        QVERIFY(f.folder.removeRecursively());
        QFile blocker(f.folder.path());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        f.clock.advanceSeconds(60);
        const BackupOutcome failed = f.backup.takeLocal();
        QVERIFY(failed.failed() && !failed.reason.isEmpty());
        QVERIFY(f.t.db().isOpen());
        QVERIFY(blocker.remove());
    }

    void networkCopyGoesOnlyToTheSetFolder()
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

    // The disk fills while the copy is written: the copy fails and says why, and no partial copy is
    // left to be taken for one. A deletion made while its copy was being written is undone.
    void aFullDiskFailsTheCopy()
    {
        if (TestDatabase::onServer())
            QSKIP("a copy of a database file");
        TestDatabase t;
        QVERIFY(SqlQuery(t.db(), "CREATE TABLE filler AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
                                 "FROM n WHERE i < 20000) SELECT i, printf('%0100d', i) AS text FROM n")
                    .exec());
        // The deletion's own writes start the write-ahead log afresh, well inside the limit.
        QVERIFY(SqlQuery(t.db(), "PRAGMA wal_checkpoint(TRUNCATE)").exec());
        BackupService backup(t.db(), m_clock);
        QVERIFY(QDir().mkpath(backup.localFolder()));
        enum Copy { Routine, Fresh, WhileDeleting };
        for (const Copy kind : {Routine, Fresh, WhileDeleting}) {
            const QString failure = failureUnderFileSizeLimit(64 * 1024, [&]() -> Status {
                // A connection of the child's own: SQLite's cannot cross a fork.
                Database own(QStringLiteral("child"));
                if (Status opened = own.open(t.path()); !opened)
                    return opened;
                const BackupService backup(own, m_clock);
                if (kind != WhileDeleting) {
                    const BackupOutcome outcome = kind == Fresh ? backup.takeFresh() : backup.takeLocal();
                    return outcome.taken() ? Status() : Status::failure(outcome.reason);
                }
                FreshCopy copy = backup.startFresh();
                const CommitGate gate(own, [&]() -> Status {
                    return copy.outcome().failed() ? Status::failure(copy.outcome().reason) : Status();
                });
                return inTransaction(own, [&] { return SqlQuery(own, "DELETE FROM filler WHERE i = 1").exec(); });
            });
            QVERIFY2(failure.contains("cannot be written"), qPrintable(failure));
            QCOMPARE(QDir(backup.localFolder()).entryList(QDir::Files | QDir::Hidden), QStringList());
            QCOMPARE(SqlQuery(t.db(), "SELECT count(*) FROM filler").single()->toInt(), 20000);
        }
    }

    // A year of a busy office, ten routine copies a working day, the folder pruned each day: what is
    // kept is every copy of the last two days, the last of each day of the month before, and the last
    // of each month of the year. The next routine copy prunes its folder; other files there stay.
    void aYearOfCopiesKeepsWhatAPersonWould()
    {
        Copies f;
        QDir& folder = f.folder;
        QVERIFY(QDir().mkpath(folder.path()));
        const auto name = [&f](QDate day, int hour) {
            return BackupService::fileName(QDateTime(day, QTime(hour, 0)), f.t.db().backend());
        };
        for (QDate day(2026, 1, 1); day <= QDate(2026, 12, 31); day = day.addDays(1)) {
            for (int hour = 9; hour <= 18; ++hour)
                QVERIFY(QFile(folder.filePath(name(day, hour))).open(QIODevice::WriteOnly));
            f.clock.set(QDateTime(day, QTime(18, 0)));
            f.backup.prune(folder.path(), Retention()); // 2 days, 30 days, 12 months
        }
        // Worked out by the calendar: 31 December 18:00.
        QStringList expected;
        for (QDate day(2026, 12, 2); day <= QDate(2026, 12, 31); day = day.addDays(1))
            for (int hour = day.day() >= 30 ? 9 : 18; hour <= 18; ++hour)
                expected << name(day, hour);
        for (int month = 1; month <= 11; ++month)
            expected << name(QDate(2026, month + 1, 1).addDays(-1), 18);
        QStringList kept = folder.entryList(QDir::Files);
        kept.sort();
        expected.sort();
        QCOMPARE(kept, expected);

        QVERIFY(QFile(folder.filePath("notes.txt")).open(QIODevice::WriteOnly));
        f.clock.set(QDateTime(QDate(2027, 2, 15), QTime(10, 0)));
        const BackupOutcome outcome = f.backup.takeLocal();
        QVERIFY2(outcome.taken(), qPrintable(outcome.reason));
        QVERIFY(outcome.removed > 0);
        // Left: the new copy, the last of each month from March to December 2026, and the notes.
        QCOMPARE(folder.entryList(QDir::Files).size(), 1 + 10 + 1);
    }

    // A server's routine copy runs beside the window: asked for, it has not ended yet; asked for again
    // meanwhile, it is not started twice; it ends taken.
    void serverCopyDoesNotHoldTheWindow()
    {
        if (!TestDatabase::onServer())
            QSKIP("a dump of a server database");
        Copies f;
        QObject window;
        QList<BackupOutcome> ended;
        f.backup.takeLocalInBackground(&window, [&](const BackupOutcome& o) { ended << o; });
        QVERIFY(ended.isEmpty());
        f.backup.takeLocalInBackground(&window, [&](const BackupOutcome& o) { ended << o; });
        QCOMPARE(ended.size(), 1);
        QCOMPARE(ended.first().kind, BackupOutcome::Kind::Skipped);
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 2, 60000);
        QVERIFY2(ended.last().taken(), qPrintable(ended.last().reason));
        QVERIFY(BackupService::check(ended.last().target));
        // The window goes while the next copy runs: nobody is told, and no partial copy is left.
        FixedClock later(m_clock.now().addSecs(60));
        BackupService next(f.t.db(), later);
        next.takeLocalInBackground(&window, [&](const BackupOutcome& o) { ended << o; });
        next.cancelBackground();
        QTest::qWait(200);
        QCOMPARE(ended.size(), 2);
        QCOMPARE(f.folder.entryList(QDir::Files | QDir::Hidden), QStringList{QFileInfo(ended.last().target).fileName()});
    }

    // A copy put back: the rows of its time return, the database as it was before is kept as a copy,
    // and the database is open as before. The copy is fresh, as a deletion's: taken even when this
    // minute's routine copy exists, so that what was saved since is in it, and never over another taken
    // in the same second.
    void restoreGivesBackTheRowsOfItsTime()
    {
        Copies f;
        TestDatabase& t = f.t;
        QVERIFY(f.backup.takeLocal().taken());
        QVERIFY(SqlQuery(t.db(), "INSERT INTO emp (emname) VALUES ('RAMESH'), ('SITA')").exec());
        const BackupOutcome copy = f.backup.takeFresh();
        QVERIFY2(copy.taken(), qPrintable(copy.reason));
        const BackupOutcome again = f.backup.takeFresh();
        QVERIFY2(again.taken() && again.target != copy.target, qPrintable(again.reason));
        QVERIFY(BackupService::check(again.target));
        QCOMPARE(f.folder.entryList(QDir::Files).size(), 3); // the minute's routine copy stays beside them
        QVERIFY(SqlQuery(t.db(), "INSERT INTO emp (emname) VALUES ('LATE')").exec());
        QVERIFY(SqlQuery(t.db(), "DELETE FROM emp WHERE emname = 'SITA'").exec());
        f.clock.advanceSeconds(60);
        const auto restored = restoreFrom(t.db(), f.clock, copy.target);
        QVERIFY2(restored, qPrintable(restored.error()));
        QCOMPARE(t.count("SELECT count(*) FROM emp WHERE emname IN ('RAMESH', 'SITA')"), 2);
        QCOMPARE(t.count("SELECT count(*) FROM emp"), 2);
        QCOMPARE(restored->rows.first(), qMakePair(QStringLiteral("emp"), qint64(2)));
        QCOMPARE(restored->taken, m_clock.now());
        QVERIFY2(restored->summary().contains("2 employees"), qPrintable(restored->summary()));
        // The restore is the restored trail's last entry, naming the copy and where the old database lies.
        SqlQuery last(t.db(), "SELECT kind || ' ' || note FROM audit ORDER BY seq DESC LIMIT 1");
        const QString entry = last.single()->toString();
        QVERIFY2(entry.startsWith("restore ") && entry.contains(restored->safetyCopy), qPrintable(entry));
        // The restore's own copy holds the database as it was: LATE in, SITA out.
        QVERIFY(restored->safetyCopy != copy.target && QFile::exists(restored->safetyCopy));
        if (!TestDatabase::onServer()) {
            Database before(QStringLiteral("before"));
            QVERIFY(before.open(restored->safetyCopy, Database::Access::ReadOnly));
            QCOMPARE(SqlQuery(before, "SELECT group_concat(emname) FROM emp").single()->toString(),
                     QStringLiteral("RAMESH,LATE"));
        }
        // New numbers go on after the restored ones.
        QVERIFY(SqlQuery(t.db(), "INSERT INTO emp (emname) VALUES ('NEW')").exec());
        QCOMPARE(t.count("SELECT count(*) FROM emp"), 3);
    }

    void restoreRefusesWhatItCannotPutBack_data()
    {
        QTest::addColumn<CopySetup>("setup");
        QTest::addColumn<QString>("reason");
        const bool server = TestDatabase::onServer();
        const auto named = [](const QString& name, const QByteArray& contents) {
            return CopySetup([=](const QString& folder) {
                const QString path = QDir(folder).filePath(name);
                if (!contents.isEmpty()) {
                    QFile f(path);
                    f.open(QIODevice::WriteOnly);
                    f.write(contents);
                }
                return path;
            });
        };
        const QString ownKind = server ? "hr0412261435.dump" : "hr0412261435.db";
        QTest::newRow("missing") << named(ownKind, {}) << "there is no copy";
        QTest::newRow("damaged") << named(ownKind, QByteArray(8192, 'x')) << (server ? "pg_restore" : "not a database");
        QTest::newRow("other kind") << named(server ? "hr0412261435.db" : "hr0412261435.dump", "x") << "restored from";
        // Another program's database, its copy taken as Kestrel takes one.
        QTest::newRow("another program's") << CopySetup([](const QString& folder) {
            return copyOf(folder, [](Database& db) {
                execute(db, "DROP TABLE schema_version");
                execute(db, "DROP TABLE emp");
            });
        }) << "not";
        QTest::newRow("newer version") << CopySetup([](const QString& folder) {
            return copyOf(folder, [](Database& db) {
                SqlQuery(db, "INSERT INTO schema_version (version) VALUES (?)")
                    .bind(schema::latestVersion() + 1)
                    .exec();
            });
        }) << "newer version";
    }
    void restoreRefusesWhatItCannotPutBack()
    {
        QFETCH(CopySetup, setup);
        QFETCH(QString, reason);
        // Made first: the database the copy is taken of is one of the test's, gone before the next opens.
        QTemporaryDir copies;
        const QString path = setup(copies.path());
        TestDatabase t;
        QVERIFY(SqlQuery(t.db(), "INSERT INTO dept (dept) VALUES ('ACCOUNTS')").exec());
        const int copiesBefore = t.backupCopies();
        const auto restored = restoreFrom(t.db(), m_clock, path);
        QVERIFY2(!restored && restored.error().startsWith("Nothing was restored") && restored.error().contains(reason),
                 qPrintable(restored.error()));
        QCOMPARE(t.count("SELECT count(*) FROM dept"), 1);
        QCOMPARE(t.backupCopies(), copiesBefore); // refused before the database was copied
    }

    // Which copies the rule keeps at its edges, at 31 December 2026 18:00, worked out by the calendar (its
    // usual working is the year of copies above).
    void retentionRule_data()
    {
        QTest::addColumn<QList<QDateTime>>("taken");
        QTest::addColumn<Retention>("rule");
        QTest::addColumn<QList<int>>("removed");
        const auto at = [](int y, int m, int d, int h) { return QDateTime(QDate(y, m, d), QTime(h, 0)); };
        const Retention usual;
        // clang-format off
        QTest::newRow("the only copy, two years old") << QList<QDateTime>{at(2024, 12, 31, 10)} << usual << QList<int>{};
        QTest::newRow("every limit 0: the newest stays") << QList<QDateTime>{at(2026, 11, 2, 9), at(2026, 12, 31, 9), at(2026, 12, 30, 9)} << Retention{0, 0, 0} << QList<int>{0, 2};
        QTest::newRow("dated after now (the clock was set back)") << QList<QDateTime>{at(2027, 1, 5, 10), at(2026, 12, 31, 9), at(2026, 12, 31, 8)} << usual << QList<int>{};
        QTest::newRow("twice in a minute") << QList<QDateTime>{at(2026, 12, 31, 10), at(2026, 12, 31, 10)} << usual << QList<int>{};
        QTest::newRow("past twelve months, none") << QList<QDateTime>{at(2026, 12, 31, 9), at(2026, 1, 31, 9), at(2025, 12, 31, 9)} << usual << QList<int>{2};
        // clang-format on
    }
    void retentionRule()
    {
        QFETCH(QList<QDateTime>, taken);
        QFETCH(Retention, rule);
        QFETCH(QList<int>, removed);
        QCOMPARE(copiesToRemove(taken, QDateTime(QDate(2026, 12, 31), QTime(18, 0)), rule), removed);
    }
};

QTEST_GUILESS_MAIN(TestBackup)
#include "test_backup.moc"
