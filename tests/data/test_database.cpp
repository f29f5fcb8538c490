#include "support/test_database.h"
#include "data/database.h"
#include "data/schema.h"
#include "data/sql_query.h"

#include <QFile>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

class TestDatabaseFile : public QObject {
    Q_OBJECT
private slots:
    void newFileHasEveryTableAndColumn_data();
    void newFileHasEveryTableAndColumn();
    void reopeningKeepsDataAndVersion();
    void fileIsOwnerOnly();
    void quotesAreStoredAsTyped();
    void transactionRollsBackWhenSecondStatementFails();
    void nestedTransactionsCompose();
    void notADatabaseIsReported();
    void unwritableFolderIsReported();
    void newerSchemaIsRefused();
    void idsAreNeverReused();
};

void TestDatabaseFile::newFileHasEveryTableAndColumn_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("columns");
    QTest::newRow("emp") << "emp" << QStringList{"ID",  "emname",  "gender",    "status",       "address",  "dept",
                                                 "pos", "empstat", "basicrate", "dateemployed", "empphoto", "grp"};
    QTest::newRow("payroll") << "payroll"
                             << QStringList{"transid", "ID",       "emname", "monthrate", "ddate",   "bonus",
                                            "ot",      "totloan",  "ph",     "intax",     "others",  "absences",
                                            "earn",    "advances", "tad",    "td",        "loanrec", "travel",
                                            "netpay",  "dept",     "grp",    "company"};
    QTest::newRow("loan") << "loan"
                          << QStringList{"ID", "emname", "loanamt", "permonthded", "ldt", "ltm", "dept", "company"};
    QTest::newRow("adv") << "adv" << QStringList{"ID", "emname", "advamt", "advdt", "advtm", "company"};
    QTest::newRow("incre") << "incre" << QStringList{"ID", "emname", "increamt"};
    QTest::newRow("decre") << "decre" << QStringList{"ID", "emname", "decreamt", "decredt", "decretm", "company"};
    QTest::newRow("arr") << "arr" << QStringList{"ID",      "emname",  "increamt", "incredt",
                                                 "noofpre", "amtpaid", "company",  "ddat1"};
    QTest::newRow("dept") << "dept" << QStringList{"dept"};
    QTest::newRow("grp") << "grp" << QStringList{"grp"};
    QTest::newRow("cmpmaster") << "cmpmaster" << QStringList{"company", "addr", "selectt"};
    QTest::newRow("use") << "use" << QStringList{"ID", "usernm", "pass", "priv"};
    QTest::newRow("passwd") << "passwd" << QStringList{"delpass"};
}

void TestDatabaseFile::newFileHasEveryTableAndColumn()
{
    QFETCH(QString, table);
    QFETCH(QStringList, columns);
    TestDatabase t;
    const QSqlRecord record = t.db().connection().record(table);
    QVERIFY2(!record.isEmpty(), qPrintable(table));
    for (int i = 0; i < columns.size(); ++i)
        QVERIFY2(record.indexOf(columns[i]) >= 0, qPrintable(table + "." + columns[i]));
    // Tables whose inserts name no columns keep the documented order.
    if (table != "incre")
        for (int i = 0; i < columns.size(); ++i)
            QCOMPARE(record.fieldName(i), columns[i]);
}

void TestDatabaseFile::reopeningKeepsDataAndVersion()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("hr.db");
    {
        Database db;
        QVERIFY(db.open(path));
        QCOMPARE(db.schemaVersion(), schema::latestVersion());
        SqlQuery insert(db, "INSERT INTO dept (dept) VALUES (?)");
        QVERIFY(insert.bind(QString("STORES")).exec());
    }
    Database db;
    QVERIFY(db.open(path));
    QCOMPARE(db.schemaVersion(), schema::latestVersion());
    // A change reported as stored survives a power cut: WAL with full synchronisation.
    QCOMPARE(SqlQuery(db, "PRAGMA journal_mode").single()->toString(), QStringLiteral("wal"));
    QCOMPARE(SqlQuery(db, "PRAGMA synchronous").single()->toInt(), 2);
    SqlQuery query(db, "SELECT dept FROM dept");
    QVERIFY(query.exec());
    QVERIFY(query.next());
    QCOMPARE(query.text(0), QStringLiteral("STORES"));
}

void TestDatabaseFile::fileIsOwnerOnly()
{
    TestDatabase t;
    const auto permissions = QFile::permissions(t.path());
    QVERIFY(permissions & QFile::ReadOwner);
    QVERIFY(!(permissions & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther)));
}

void TestDatabaseFile::quotesAreStoredAsTyped()
{
    TestDatabase t;
    const QString name = QStringLiteral("O'Brien \"Jr\"'; DROP TABLE emp; --");
    SqlQuery insert(t.db(), "INSERT INTO emp (emname) VALUES (?)");
    QVERIFY(insert.bind(name).exec());
    SqlQuery read(t.db(), "SELECT emname FROM emp WHERE emname = ?");
    QVERIFY(read.bind(name).exec());
    QVERIFY(read.next());
    QCOMPARE(read.text(0), name);
    QCOMPARE(t.count("SELECT count(*) FROM emp"), 1);
}

void TestDatabaseFile::transactionRollsBackWhenSecondStatementFails()
{
    TestDatabase t;
    const auto insertThen = [&t](const QString& second) {
        return inTransaction(t.db(), [&] {
            if (Status s = SqlQuery(t.db(), "INSERT INTO dept (dept) VALUES ('ACCOUNTS')").exec(); !s)
                return s;
            return SqlQuery(t.db(), second).exec();
        });
    };
    const Status failed = insertThen("INSERT INTO no_such_table VALUES (1)");
    QVERIFY(!failed);
    QVERIFY(failed.error().contains("no_such_table"));
    QCOMPARE(t.count("SELECT count(*) FROM dept"), 0);
    QVERIFY(insertThen("INSERT INTO grp (grp) VALUES ('STAFF')"));
    QCOMPARE(t.count("SELECT count(*) FROM dept") + t.count("SELECT count(*) FROM grp"), 2);
}

void TestDatabaseFile::nestedTransactionsCompose()
{
    TestDatabase t;
    {
        Transaction outer(t.db());
        QVERIFY(SqlQuery(t.db(), "INSERT INTO grp (grp) VALUES ('A')").exec());
        {
            Transaction inner(t.db());
            QVERIFY(inner.active());
            QVERIFY(SqlQuery(t.db(), "INSERT INTO grp (grp) VALUES ('B')").exec());
            // Not committed: only the inner part is undone.
        }
        {
            Transaction inner(t.db());
            QVERIFY(SqlQuery(t.db(), "INSERT INTO grp (grp) VALUES ('C')").exec());
            QVERIFY(inner.commit());
        }
        QVERIFY(outer.commit());
    }
    QCOMPARE(t.count("SELECT count(*) FROM grp"), 2);
    QCOMPARE(t.count("SELECT count(*) FROM grp WHERE grp = 'B'"), 0);
    {
        // The outer rollback takes a committed inner part with it.
        Transaction outer(t.db());
        Transaction inner(t.db());
        QVERIFY(SqlQuery(t.db(), "INSERT INTO grp (grp) VALUES ('D')").exec());
        QVERIFY(inner.commit());
    }
    QCOMPARE(t.count("SELECT count(*) FROM grp WHERE grp = 'D'"), 0);
}

void TestDatabaseFile::notADatabaseIsReported()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("notes.db");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    Database db;
    const Status opened = db.open(path);
    QVERIFY(!opened);
    QVERIFY2(opened.error().contains(path), qPrintable(opened.error()));
    QVERIFY2(opened.error().contains("not a database"), qPrintable(opened.error()));
    QVERIFY(!db.isOpen());
    QCOMPARE(QFile(path).size(), 4096); // the file is left as it was
}

void TestDatabaseFile::unwritableFolderIsReported()
{
    // A folder that cannot be made, even by root: its parent is a plain file.
    QTemporaryDir dir;
    QFile blocker(dir.filePath("blocker"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString path = dir.filePath("blocker/data/hr.db");
    Database db;
    const Status opened = db.open(path);
    QVERIFY(!opened);
    QVERIFY2(opened.error().contains(path), qPrintable(opened.error()));
    QVERIFY(opened.error().contains("cannot be created"));
}

void TestDatabaseFile::newerSchemaIsRefused()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("hr.db");
    {
        Database db;
        QVERIFY(db.open(path));
        SqlQuery bump(db, "INSERT INTO schema_version (version) VALUES (?)");
        QVERIFY(bump.bind(schema::latestVersion() + 1).exec());
    }
    Database db;
    const Status opened = db.open(path);
    QVERIFY(!opened);
    QVERIFY(opened.error().contains("newer version"));
}

void TestDatabaseFile::idsAreNeverReused()
{
    TestDatabase t;
    SqlQuery insert(t.db(), "INSERT INTO emp (emname) VALUES ('A'), ('B')");
    QVERIFY(insert.exec());
    QVERIFY(SqlQuery(t.db(), "DELETE FROM emp WHERE ID = 2").exec());
    SqlQuery again(t.db(), "INSERT INTO emp (emname) VALUES ('C')");
    QVERIFY(again.exec());
    QCOMPARE(again.lastInsertId(), 3);
}

QTEST_GUILESS_MAIN(TestDatabaseFile)
#include "test_database.moc"
