#include "app/demo_data.h"
#include "data/audit_trail.h"
#include "data/employee_repository.h"
#include "data/payroll_repository.h"
#include "data/session.h"
#include "data/schema.h"
#include "data/sql_query.h"
#include "data/table_transfer.h"
#include "data/user_repository.h"
#include "support/fixed_clock.h"
#include "support/test_database.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace transfer;

namespace {

void write(const QTemporaryDir& folder, const QString& file, const QByteArray& text)
{
    QFile f(folder.filePath(file));
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(file));
    f.write(text);
}

// Every row of every table, as text, in a fixed order; of the trail its first `entries` entries.
QStringList contents(TestDatabase& t, qint64 entries = 0)
{
    QStringList all;
    for (const Table& table : tables()) {
        QStringList names;
        for (const Column& c : table.columns)
            names << QStringLiteral("coalesce(CAST(%1 AS TEXT), '<null>')").arg(c.name);
        SqlQuery q(t.db(), QStringLiteral("SELECT %1 FROM %2 %3 ORDER BY %4")
                               .arg(names.join(QStringLiteral(" || '|' || ")), sqlName(table.name),
                                    table.name == "audit" ? QStringLiteral("WHERE seq <= %1").arg(entries) : QString(),
                                    table.order));
        const auto rows = q.rows([](const SqlQuery& r) { return r.text(0); });
        if (!rows)
            qFatal("%s", qPrintable(rows.error()));
        all << table.name + QStringLiteral(":") << rows.value();
    }
    return all;
}

} // namespace

// The tables of the previous system brought in from CSV files, all or nothing, and taken out again.
class TestTableTransfer : public QObject {
    Q_OBJECT
private slots:
    void datesInEveryForm_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("dayFirst");
        QTest::addColumn<QDate>("date");
        QTest::newRow("dd-MMM-yyyy") << "05-Mar-2024" << false << QDate(2024, 3, 5);
        QTest::newRow("month first") << "03/05/2024" << false << QDate(2024, 3, 5);
        QTest::newRow("day first") << "03/05/2024" << true << QDate(2024, 5, 3);
        QTest::newRow("single digits") << "3/5/2024" << false << QDate(2024, 3, 5);
        QTest::newRow("ISO") << "2024-03-05" << false << QDate(2024, 3, 5);
        QTest::newRow("with a time") << "3/5/2024 00:00:00" << false << QDate(2024, 3, 5);
        QTest::newRow("no 31st month") << "31/12/2024" << false << QDate();
        QTest::newRow("no 30 February") << "2024-02-30" << false << QDate();
        QTest::newRow("two-digit year") << "03/05/24" << false << QDate();
        QTest::newRow("two-digit year with a month name") << "05-Mar-49" << false << QDate();
        QTest::newRow("words") << "March 5" << false << QDate();
        QTest::newRow("more than a time after it") << "2024-03-05 junk" << false << QDate();
        QTest::newRow("a year beyond sense") << "03/05/0202" << false << QDate();
    }
    void datesInEveryForm()
    {
        QFETCH(QString, text);
        QFETCH(bool, dayFirst);
        QFETCH(QDate, date);
        QCOMPARE(parseDate(text, dayFirst).value_or(QDate()), date);
    }

    void importStoresEveryForm()
    {
        TestDatabase t;
        QTemporaryDir folder;
        write(folder, "emp.csv",
              "\xEF\xBB\xBFID,emname,address,basicrate,dateemployed,dept\r\n"
              "7,\"SMITH, ANNA\",\"12, \"\"ROSE\"\" VILLA\",12500.50,05-Mar-2024,SALES\r\n"
              "12,O'BRIEN,,9000,03/05/2024,\r\n"
              "\r\n"
              "9,NINE,\"TWO\nLINES\",0,2024-03-05,STORES\r\n");
        write(folder, "loan.csv", "ID,loanamt,permonthded,ldt,ltm,company\n7,5000,500,12/31/2025,2:05:09 PM,ACME\n");
        write(folder, "use.csv", "usernm,pass,priv,ID\nadmin,secret,Admin,4\nclerk,c,user ,3\n");
        write(folder, "passwd.csv", "delpass\ndelete\n");
        // Masters are spelt as the master spells them, whatever the case elsewhere in the files.
        write(folder, "cmpmaster.csv", "company,addr\n Acme ,Rajkot\n");
        write(folder, "dept.csv", "dept\nsales\nstores\n");
        const auto outcome = importFolder(t.db(), folder.path(), {});
        QVERIFY2(outcome, qPrintable(outcome.error()));
        QVERIFY(outcome->stored());
        QCOMPARE(t.count("SELECT count(*) FROM emp"), 3);
        const auto anna = EmployeeRepository(t.db()).find(7).value().value();
        QCOMPARE((QStringList{anna.name, anna.address, anna.basicRate.toString()}),
                 (QStringList{"SMITH, ANNA", "12, \"ROSE\" VILLA", "12500.5"}));
        QCOMPARE(EmployeeRepository(t.db()).find(9).value()->address, QStringLiteral("TWO\nLINES"));
        // An empty cell is Null.
        QCOMPARE(t.count("SELECT count(*) FROM emp WHERE address IS NULL"), 1);
        QCOMPARE(t.count("SELECT count(*) FROM loan WHERE ldt = '2025-12-31' AND ltm = '14:05:09' AND company = 'ACME'"),
                 1);
        QCOMPARE(t.count("SELECT count(*) FROM dept WHERE dept = 'SALES'"), 1);
        QCOMPARE(t.count("SELECT count(*) FROM emp WHERE dept = 'SALES'"), 1);
        // Passwords are stored as hashes; the numbers go on after the largest.
        QVERIFY(UserRepository(t.db()).authenticate("admin", "secret"));
        QCOMPARE(t.count("SELECT count(*) FROM \"use\" WHERE pass = 'secret'"), 0);
        QVERIFY(UserRepository(t.db()).checkDeletePassword("delete").value());
        QCOMPARE(EmployeeRepository(t.db()).nextId().value(), 13);
        QCOMPARE(UserRepository(t.db()).add("CASHIER", "c", "user").value(), 5);
        // A privilege is stored as the windows store it, trimmed: "user " restricts.
        QVERIFY((Session{{}, {}, UserRepository(t.db()).authenticate("clerk", "c")->privilege}.isRestricted()));
        QCOMPARE(t.count("SELECT count(*) FROM \"use\" WHERE priv = 'user'"), 2);
    }

    // Rows and files that cannot be stored are listed each one, by file, line and column, the masters'
    // files first, and an import with any of them stores nothing anywhere, not even the tables read
    // before it. Into a database that holds data, an import goes only when asked to append; numbers
    // and master names already in the database, or given twice, are refused one by one, and the delete
    // password there stays the one.
    void refusedImportsStoreNothing_data()
    {
        QTest::addColumn<QStringList>("files"); // name, content, name, content, …
        QTest::addColumn<bool>("append");       // into a database with employee 5, STORES and a delete password
        QTest::addColumn<QStringList>("refusals"); // "file:line column reason", each in part, in order
        // clang-format off
        QTest::newRow("an empty file") << QStringList{"emp.csv", ""} << false << QStringList{"emp.csv:1  is empty"};
        QTest::newRow("a column without a name") << QStringList{"emp.csv", "ID,,emname\n1,x,A\n"} << false << QStringList{"emp.csv:1  column 2 of the header has no name"};
        QTest::newRow("one table twice") << QStringList{"emp.csv", "ID,emname\n1,A\n", "EMP.csv", "ID,emname\n2,B\n"} << false << QStringList{"is the same table as"};
        QTest::newRow("an empty quoted name of a master") << QStringList{"dept.csv", "dept\n\"\"\n"} << false << QStringList{"dept.csv:2 dept Please enter the department name."};
        QTest::newRow("a bad row of a file without numbers") << QStringList{"emp.csv", "emname,basicrate\nA,1\nB,-1\n"} << false << QStringList{"emp.csv:3 basicrate The basic rate cannot be negative."};
        QTest::newRow("more recovered than lent") << QStringList{"cmpmaster.csv", "company\nACME\n", "emp.csv", "ID,emname\n5,A\n", "loan.csv", "ID,loanamt,ldt,company\n5,1000,2026-01-05,ACME\n",
                                                                 "payroll.csv", "transid,ID,ddate,loanrec,company\n1,5,2026-01-31,600,ACME\n2,5,2026-02-28,600,ACME\n"} << false << QStringList{"payroll.csv:3 loanrec The loan deduction 600 is more than the 400 employee number 5 still owes (1000 lent, 600 recovered)."};
        // A history is kept as paid, but no month pays what its days cannot earn nor deducts what its rules never asked.
        QTest::newRow("a salary no month pays") << QStringList{"cmpmaster.csv", "company\nACME\n", "emp.csv", "ID,emname\n5,A\n",
                                                               "payroll.csv", "ID,monthrate,ddate,absences,earn,netpay,company\n5,14500,2026-01-31,31,99999,99999,ACME\n"} << false
            << QStringList{"payroll.csv:2 earn The present days salary (99999) is more than 31 days can earn on the monthly rate of 14500 (17288 at the most)."};
        QTest::newRow("an employer's fund beyond its rate") << QStringList{"cmpmaster.csv", "company\nACME\n", "emp.csv", "ID,emname\n5,A\n",
                                                                           "statrule.csv", "company,fromdt,divisor,pfon,pfrate,pfceil,pffull,penrate,pencap,esion,esilimit,esirate,esierrate,pton,ptslabs\nACME,2026-01-01,0,1,12,15000,0,8.33,1250,0,21000,0.75,3.25,0,0=0\n",
                                                                           "payroll.csv", "ID,ddate,absences,pfwages,pfer,company\n5,2026-01-31,31,15000,99999,ACME\n"} << false
            << QStringList{"payroll.csv:2 pfer The employer's provident fund (99999) is more than the rules of its date allow (1800)."};
        QTest::newRow("user names differing in case") << QStringList{"use.csv", "ID,usernm,pass,priv\n1,Ann,a,admin\n2,ANN,b,user\n"} << false << QStringList{"use.csv:3 usernm The user Ann already exists."};
        QTest::newRow("refusals in several files") << QStringList{"EMP.CSV", "ID,emname\n1,A\n2,B\n", "cmpmaster.csv", "company\nA\n",
                                                               "loan.csv", "ID,loanamt,ldt,company\n1,100,2024-01-01,A\n2,12O0,2024-01-01,A\n3,100,31/31/2024,A\n4,1.23456,2024-01-01,A\n",
                                                               "grp.csv", "grp,colour\nSTAFF,red\n", "dept.csv", "dept\nSTORES\nstores\n\"OPEN,\nSALES\n", "notes.csv", "a\n1\n"} << false
            << QStringList{"notes.csv:0  is named for no table", "dept.csv:3 dept The department STORES already exists.", "dept.csv:4  a quote opened here is never closed",
                           "grp.csv:1 colour is not a column of grp", "loan.csv:3 loanamt \"12O0\" is not an amount", "loan.csv:4 ldt \"31/31/2024\" is not a date",
                           "loan.csv:5 loanamt \"1.23456\" has more than four decimals"};
        // A department is compared in capitals, as it is stored.
        QTest::newRow("clashes with the database's rows") << QStringList{"emp.csv", "ID,emname\n5,A\n6,B\n6,C\n", "dept.csv", "dept\nStores\n", "passwd.csv", "delpass\nnew\n", "grp.csv", "grp\n\"STAFF\"x\n"} << true
            << QStringList{"passwd.csv:2 delpass The database has its delete password already", "dept.csv:2 dept The department STORES already exists.", "grp.csv:2  has text after the closing quote",
                           "emp.csv:2 ID The employee number 5 is taken already.", "emp.csv:4 ID The employee number 6 is taken already."};
        // clang-format on
    }
    void refusedImportsStoreNothing()
    {
        QFETCH(QStringList, files);
        QFETCH(bool, append);
        QFETCH(QStringList, refusals);
        TestDatabase t;
        if (append) {
            QVERIFY(SqlQuery(t.db(), "INSERT INTO emp (ID, emname) VALUES (5, 'HERE')").exec());
            QVERIFY(SqlQuery(t.db(), "INSERT INTO dept (dept) VALUES ('STORES')").exec());
            QVERIFY(SqlQuery(t.db(), "INSERT INTO passwd (delpass) VALUES ('x')").exec());
        }
        QTemporaryDir folder;
        for (int i = 0; i + 1 < files.size(); i += 2)
            write(folder, files.at(i), files.at(i + 1).toUtf8());
        ImportOptions options;
        if (append) {
            const auto unasked = importFolder(t.db(), folder.path(), options);
            QVERIFY2(!unasked && unasked.error().contains("--append"), qPrintable(unasked.error()));
            options.append = true;
        }
        const auto outcome = importFolder(t.db(), folder.path(), options);
        QVERIFY2(outcome, qPrintable(outcome.error()));
        QStringList said;
        for (const Refusal& r : outcome->refusals)
            said << QStringLiteral("%1:%2 %3 %4").arg(r.file).arg(r.line).arg(r.column, r.reason);
        QVERIFY2(said.size() == refusals.size() && outcome->refused == refusals.size(), qPrintable(said.join(u'\n')));
        for (int i = 0; i < refusals.size(); ++i)
            QVERIFY2(said.at(i).contains(refusals.at(i)), qPrintable(said.at(i)));
        if (append)
            QCOMPARE(t.count("SELECT count(*) FROM emp"), 1);
        else
            QVERIFY(schema::holdsNoData(t.db()).value());
    }

    // The demo taken out and brought into an empty database is the same, row for row: its months as
    // closed, its trail as it was, which the import's own entries then go on from. A trail changed
    // on the way does not come in.
    void roundTripOfTheDemo()
    {
        TestDatabase demo;
        QVERIFY(ensureDemoData(demo.db(), FixedClock(QDateTime(QDate(2026, 12, 6), QTime(9, 0)))));
        // A second transaction of a month, agreed to when it was saved, comes back with the rest.
        PayrollTransaction second = PayrollRepository(demo.db()).find(332).value().value();
        second.transId = 0;
        second.daysPresent = Currency::fromUnits(10000);
        QVERIFY(PayrollRepository(demo.db()).insert(second));
        QTemporaryDir folder;
        const auto written = exportFolder(demo.db(), folder.path());
        QVERIFY2(written, qPrintable(written.error()));
        const qint64 entries = demo.count("SELECT count(*) FROM audit");
        TestDatabase copy;
        const auto read = importFolder(copy.db(), folder.path(), {});
        QVERIFY2(read && read->stored(), qPrintable(read ? read->refusals.value(0).reason : read.error()));
        QCOMPARE(contents(copy, entries), contents(demo, entries));
        QVERIFY(contents(demo).size() > 400 && demo.count("SELECT count(*) FROM closedmonth") == 20 && entries > 400);
        const auto trail = audit::verify(copy.db());
        QVERIFY2(trail && trail->intact() && trail->entries > entries, qPrintable(trail->summary()));

        QFile file(QDir(folder.path()).filePath("audit.csv"));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QByteArray text = file.readAll().replace("netpay=17533", "netpay=27533");
        file.resize(0);
        file.write(text);
        file.close();
        TestDatabase tampered;
        const auto refused = importFolder(tampered.db(), folder.path(), {});
        QVERIFY(refused && !refused->stored());
        QVERIFY2(refused->refusals.first().reason.startsWith("The trail does not hold together: entry "),
                 qPrintable(refused->refusals.first().reason));
        QVERIFY(schema::holdsNoData(tampered.db()).value());
    }

    // Thousands of random corruptions of a valid export (lines cut, columns swapped, bytes, huge
    // numbers, quotes): the import never crashes, a refused import changes nothing, and every refusal
    // names its file and line. Seeded, so that a failure comes back the same.
    void randomCorruptionsAreRefusedCleanly()
    {
        if (TestDatabase::onServer())
            QSKIP("the import's checks are the same on both backends; one is enough for thousands of runs");
        TestDatabase demo;
        QVERIFY(ensureDemoData(demo.db(), FixedClock(QDateTime(QDate(2026, 12, 6), QTime(9, 0)))));
        QTemporaryDir full;
        QVERIFY(exportFolder(demo.db(), full.path()));
        // A few lines of each table keep each run short; the trail, whose entries go on over several
        // lines and whose guard keeps it from being emptied between runs, is tried on its own.
        QHash<QString, QList<QByteArray>> valid;
        for (const Table& table : tables()) {
            if (table.name == "audit")
                continue;
            QFile file(QDir(full.path()).filePath(table.fileName()));
            QVERIFY(file.open(QIODevice::ReadOnly));
            valid.insert(table.fileName(), file.readAll().split('\n').mid(0, 5));
        }
        const QList<QString> names = valid.keys();
        const QList<QByteArray> strange = {"9223372036854775807", "-5", "0", "99999999999999999999", "\"", "\"\"",
                                           "1e9", QByteArray(1, '\0'), "\x1b", "\xff\xfe", ",", "\r", "31/31/2024",
                                           "922337203685477.5807", "  ", "user ", "0.00001"};
        TestDatabase target;
        QRandomGenerator random(20261207);
        const auto pick = [&random](qsizetype below) { return int(random.bounded(below)); };
        int refused = 0;
        for (int run = 0; run < 1500; ++run) {
            QHash<QString, QList<QByteArray>> files = valid;
            for (int change = 0, changes = 1 + int(random.bounded(3)); change < changes; ++change) {
                QList<QByteArray>& lines = files[names.at(pick(names.size()))];
                if (lines.isEmpty())
                    continue;
                QByteArray& line = lines[pick(lines.size())];
                QList<QByteArray> cells = line.split(',');
                switch (random.bounded(6)) {
                case 0: // cut
                    line.truncate(pick(line.size() + 1));
                    break;
                case 1: // two cells swapped (in the header: two columns)
                    if (cells.size() > 1)
                        cells.swapItemsAt(pick(cells.size()), pick(cells.size()));
                    line = cells.join(',');
                    break;
                case 2: // a strange value in a cell
                    cells[pick(cells.size())] = strange.at(pick(strange.size()));
                    line = cells.join(',');
                    break;
                case 3: // a random byte anywhere
                    line.insert(pick(line.size() + 1), char(random.bounded(256)));
                    break;
                case 4: // a line twice
                    lines.append(line);
                    break;
                default: // a line gone
                    lines.removeAt(pick(lines.size()));
                    break;
                }
            }
            QTemporaryDir folder;
            for (auto it = files.cbegin(); it != files.cend(); ++it)
                write(folder, it.key(), it.value().join('\n'));
            const auto outcome = importFolder(target.db(), folder.path(), {});
            QVERIFY2(outcome, qPrintable(QStringLiteral("run %1: %2").arg(run).arg(outcome.error())));
            if (outcome->stored()) {
                for (const Table& table : tables())
                    QVERIFY(SqlQuery(target.db(), "DELETE FROM " + sqlName(table.name)).exec());
                continue;
            }
            ++refused;
            QVERIFY2(schema::holdsNoData(target.db()).value(), qPrintable(QString::number(run)));
            for (const Refusal& r : outcome->refusals)
                QVERIFY2(!r.file.isEmpty() && r.line >= 1,
                         qPrintable(QStringLiteral("run %1: %2:%3 %4").arg(run).arg(r.file).arg(r.line).arg(r.reason)));
        }
        // Most corruptions are caught; some (a line gone, a cell cut to a shorter valid one) are
        // still valid data.
        QVERIFY2(refused > 750, qPrintable(QString::number(refused)));
    }

    // What the command line touches: nothing for a refused import (it lists each refused row as
    // file:line: column: reason and ends with 1) or a mistyped folder, the demo's database with --demo,
    // only the files of an export in a folder that was there, and the database a restore puts back.
    void commandLineTouchesOnlyWhatItIsAsked_data()
    {
        QTest::addColumn<QStringList>("arguments"); // HOME stands for the test's home folder
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("said");
        QTest::addColumn<QStringList>("made");    // files that are there afterwards
        QTest::addColumn<QStringList>("notMade"); // files that are not
        const QString data = "HOME/data/Kestrel/kestrel/";
        // clang-format off
        QTest::newRow("mistyped folder") << QStringList{"--database", "HOME/new.db", "--import", "HOME/no-such"} << 2 << "There is no folder" << QStringList{} << QStringList{"HOME/new.db"};
        QTest::newRow("refused import") << QStringList{"--database", "HOME/new.db", "--import", "HOME/bad"} << 1 << "emp.csv:2: basicrate: \"abc\" is not an amount" << QStringList{} << QStringList{"HOME/new.db", "HOME/new.db-wal"};
        QTest::newRow("demo import") << QStringList{"--demo", "--import", "HOME/good", "--append"} << 0 << "Imported 1 rows" << QStringList{data + "demo.db"} << QStringList{data + "hr.db"};
        // HELD: a window of the program holds the database meanwhile.
        QTest::newRow("import under a running program") << QStringList{"HELD", "--database", "HOME/hr.db", "--import", "HOME/good", "--append"} << 1 << "Kestrel is open on" << QStringList{"HOME/hr.db"} << QStringList{};
        QTest::newRow("demo export") << QStringList{"--demo", "--export", "HOME/out"} << 2 << "kestrel/demo.db." << QStringList{} << QStringList{data + "hr.db", data + "demo.db"};
        QTest::newRow("restore") << QStringList{"--database", "HOME/hr.db", "--restore", "HOME/copy.db"} << 0 << "Restored the copy" << QStringList{"HOME/hr.db", "HOME/backup"} << QStringList{};
        QTest::newRow("restore into a mistyped database") << QStringList{"--database", "HOME/hr-db", "--restore", "HOME/copy.db"} << 2 << "There is no database at" << QStringList{"HOME/hr.db"} << QStringList{"HOME/hr-db", "HOME/backup"};
        QTest::newRow("audit trail checked") << QStringList{"--database", "HOME/hr.db", "--verify-audit"} << 0 << "entries is intact." << QStringList{"HOME/hr.db"} << QStringList{"HOME/backup"};
        QTest::newRow("audit trail of a mistyped database") << QStringList{"--database", "HOME/hr-db", "--verify-audit"} << 2 << "There is no database at" << QStringList{} << QStringList{"HOME/hr-db"};
        QTest::newRow("restore of a missing copy") << QStringList{"--database", "HOME/hr.db", "--restore", "HOME/none.db"} << 2 << "There is no copy" << QStringList{"HOME/hr.db"} << QStringList{"HOME/backup"};
        // clang-format on
    }
    void commandLineTouchesOnlyWhatItIsAsked()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, said);
        QFETCH(QStringList, made);
        QFETCH(QStringList, notMade);
        if (TestDatabase::onServer())
            QSKIP("files of the command line");
        QTemporaryDir home;
        const auto at = [&](QString path) { return path.replace("HOME", home.path()); };
        QVERIFY(QDir().mkpath(at("HOME/bad")) && QDir().mkpath(at("HOME/good")));
        write(home, "bad/emp.csv", "ID,emname,basicrate\n1,A,abc\n");
        write(home, "good/grp.csv", "grp\nNIGHT\n");
        {
            // A database with one department, its copy, then a second department.
            Database db(QStringLiteral("original"));
            QVERIFY(db.open(at("HOME/hr.db")));
            QVERIFY(SqlQuery(db, "INSERT INTO dept (dept) VALUES ('ACCOUNTS')").exec());
            QVERIFY(SqlQuery(db, "VACUUM INTO ?").bind(at("HOME/copy.db")).exec());
            QVERIFY(SqlQuery(db, "INSERT INTO dept (dept) VALUES ('STORES')").exec());
        }
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_DATA_HOME", at("HOME/data"));
        environment.insert("XDG_CONFIG_HOME", at("HOME/config"));
        QProcess kestrel;
        kestrel.setProcessEnvironment(environment);
        QLockFile window(at("HOME/hr.db.lock"));
        if (arguments.removeAll("HELD") > 0)
            QVERIFY(window.tryLock(0));
        for (QString& argument : arguments)
            argument = at(argument);
        kestrel.start(KESTREL_EXECUTABLE, arguments);
        QVERIFY(kestrel.waitForFinished(60000));
        const QString errors = QString::fromUtf8(kestrel.readAllStandardError());
        QVERIFY2(kestrel.exitCode() == exitCode && errors.contains(said), qPrintable(errors));
        for (const QString& path : std::as_const(made))
            QVERIFY2(QFileInfo::exists(at(path)), qPrintable(path));
        for (const QString& path : std::as_const(notMade))
            QVERIFY2(!QFileInfo::exists(at(path)), qPrintable(path));
        // The database after a restore holds what its copy held, and nothing after.
        if (arguments.contains("--restore") && exitCode == 0) {
            Database db(QStringLiteral("restored"));
            QVERIFY(db.open(at("HOME/hr.db"), Database::Access::ReadOnly));
            QCOMPARE(SqlQuery(db, "SELECT group_concat(dept) FROM dept").single()->toString(), QStringLiteral("ACCOUNTS"));
        }
    }

    // An export into a folder that was there (shared with the office) leaves the folder's mode as it
    // was; the files, which hold salaries and password hashes, are the owner's only.
    void exportKeepsTheFolderItDidNotMake()
    {
        TestDatabase t;
        QTemporaryDir parent;
        const QString shared = parent.filePath("shared");
        QVERIFY(QDir().mkdir(shared));
        QVERIFY(::chmod(QFile::encodeName(shared).constData(), 02775) == 0);
        QVERIFY(exportFolder(t.db(), shared));
        struct stat info {};
        QVERIFY(::stat(QFile::encodeName(shared).constData(), &info) == 0);
        QCOMPARE(info.st_mode & 07777, mode_t(02775));
        QCOMPARE(QFile::permissions(QDir(shared).filePath("emp.csv")) & (QFile::ReadGroup | QFile::ReadOther),
                 QFileDevice::Permissions());
        // A folder it makes is the owner's only.
        const QString made = parent.filePath("made/here");
        QVERIFY(exportFolder(t.db(), made));
        QVERIFY(::stat(QFile::encodeName(made).constData(), &info) == 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0700));
    }
};

QTEST_GUILESS_MAIN(TestTableTransfer)
#include "test_table_transfer.moc"
