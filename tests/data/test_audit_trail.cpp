#include "data/advance_repository.h"
#include "data/audit_trail.h"
#include "data/company_repository.h"
#include "data/employee_repository.h"
#include "data/loan_repository.h"
#include "data/master_repository.h"
#include "data/month_close.h"
#include "data/payroll_repository.h"
#include "data/revision_repository.h"
#include "data/sql_query.h"
#include "data/table_transfer.h"
#include "data/user_repository.h"
#include "support/fixed_clock.h"
#include "support/test_database.h"

#include <limits>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {

const QString company = QStringLiteral("ACME");
const QDate closedDay(2026, 10, 31);
const QDate openDay(2026, 11, 30);

Currency rupees(qint64 whole)
{
    return Currency::fromUnits(whole * 10000);
}

PayrollTransaction payrollOf(QDate day, qint64 netPay)
{
    PayrollTransaction t;
    t.employeeId = 7;
    t.name = QStringLiteral("RAVI");
    // A whole month at a rate of the net pay: the net pay it is worked out to.
    t.monthRate = rupees(netPay);
    t.payDate = day;
    t.daysPresent = rupees(day.daysInMonth());
    t.company = company;
    return t;
}

// What the trail holds from entry `after` on: "table kind" for each entry, in order.
QStringList entriesSince(const Database& db, qint64 after)
{
    SqlQuery q(db, QStringLiteral("SELECT tbl, kind FROM audit WHERE seq > ? ORDER BY seq"));
    q.bind(after);
    return q.rows([](const SqlQuery& r) { return r.text(0) + QLatin1Char(' ') + r.text(1); }).value();
}

qint64 lastEntry(const TestDatabase& t)
{
    return t.count(QStringLiteral("SELECT coalesce(max(seq), 0) FROM audit"));
}

// The closed month as stored, independently of the repositories: its payroll, loans and advances.
QString closedMonthAsStored(const TestDatabase& t)
{
    return QStringLiteral("%1 %2 %3 %4")
        .arg(t.count("SELECT count(*) FROM payroll WHERE ddate LIKE '2026-10-%'"))
        .arg(t.count("SELECT coalesce(sum(netpay), 0) FROM payroll WHERE ddate LIKE '2026-10-%'"))
        .arg(t.count("SELECT coalesce(sum(loanamt), 0) + 7 * coalesce(sum(permonthded), 0) FROM loan"
                     " WHERE ldt LIKE '2026-10-%'"))
        .arg(t.count("SELECT coalesce(sum(advamt), 0) FROM adv WHERE advdt LIKE '2026-10-%'"));
}

// A company whose October 2026 holds a payroll row, a loan and an advance, and is closed; November
// holds a payroll row and is open. At its desk: its repositories, what a payroll deletion says it
// kept, where the trail's entries asked about begin, and files imported beside what is stored.
struct Desk {
    TestDatabase t;
    FixedClock clock{QDateTime(QDate(2026, 12, 5), QTime(10, 30))};
    const Database& db = t.db();
    PayrollRepository payroll{db};
    LoanRepository loans{db};
    AdvanceRepository advances{db};
    qint64 octoberRow = 0;
    qint64 novemberRow = 0;
    QTemporaryDir files;
    QString kept;
    qint64 since = 0;

    Desk()
    {
        t.db().setClock(&clock);
        t.db().setUser(QStringLiteral("admin"));
        Employee e;
        e.name = QStringLiteral("RAVI");
        e.basicRate = rupees(31000);
        e.id = 7;
        EmployeeRepository(db).insert(e);
        ensureKnown(db, {company});
        octoberRow = payroll.insert(payrollOf(closedDay, 30000)).value();
        novemberRow = payroll.insert(payrollOf(openDay, 29000)).value();
        loans.insert({7, "RAVI", rupees(10000), rupees(1000), QDate(2026, 10, 5), {9, 0}, "", company});
        advances.insert({7, "RAVI", rupees(2000), QDate(2026, 10, 12), {9, 0}, company});
        MonthCloseRepository(db).close(company, closedDay);
    }

    PayrollTransaction row(qint64 transId) const { return payroll.find(transId).value().value(); }
    Status deletion(const Result<PayrollDeletion>& d)
    {
        if (d)
            kept = d->keptNote();
        return d.status();
    }
    // The files (name, content, name, content, …) appended to what is stored; the first refusal fails it.
    Status import(const QStringList& csvs)
    {
        for (int i = 0; i + 1 < csvs.size(); i += 2) {
            QFile csv(files.filePath(csvs.at(i)));
            if (!csv.open(QIODevice::WriteOnly) || csv.write(csvs.at(i + 1).toUtf8()) < 0)
                return Status::failure(csvs.at(i));
        }
        transfer::ImportOptions options;
        options.append = true;
        const auto outcome = transfer::importFolder(db, files.path(), options);
        if (!outcome)
            return outcome.status();
        return outcome->stored() ? Status() : Status::failure(outcome->refusals.value(0).reason);
    }
};

using Work = std::function<Status(Desk&)>;

const QString secret = QStringLiteral("S3cret-pass!");

// A raise of 1,000 from November, and its arrears.
Revision novemberRaise()
{
    return {7, "RAVI", rupees(1000), QDate(2026, 12, 5), {}, openDay, openDay, company};
}

QList<ArrearsRow> novemberArrears()
{
    return {{7, "RAVI", rupees(1000), "November2026", rupees(30), rupees(1000), company, openDay}};
}

} // namespace

Q_DECLARE_METATYPE(Work)

class TestAuditTrail : public QObject {
    Q_OBJECT
private slots:
    void everyDoorRefusesAClosedMonth_data()
    {
        QTest::addColumn<Work>("door");
        QTest::addColumn<bool>("done");
        QTest::addColumn<QString>("said"); // in the failure, or what the deletion says of what it kept
        QTest::addColumn<int>("entries");  // the trail's new entries
        const QString closed = QStringLiteral("October 2026 is closed (closed by admin on 05/12/2026)");
        const QString kept = QStringLiteral("1 transaction of closed months was kept");
        const QDate loanDay(2026, 10, 5);
        const QDate advanceDay(2026, 10, 12);
        // clang-format off
        QTest::newRow("payroll saved") << Work([](Desk& d) { return d.payroll.insert(payrollOf(QDate(2026, 10, 15), 100)).status(); }) << false << closed << 0;
        QTest::newRow("payroll saved in an open month") << Work([](Desk& d) { return d.payroll.insert(payrollOf(QDate(2026, 11, 15), 100)).status(); }) << true << "" << 1;
        QTest::newRow("payroll updated") << Work([](Desk& d) {
            PayrollTransaction changed = d.row(d.octoberRow);
            changed.bonus = rupees(500);
            return d.payroll.update(d.octoberRow, changed, d.row(d.octoberRow)).status();
        }) << false << closed << 0;
        QTest::newRow("payroll moved into the month") << Work([](Desk& d) {
            PayrollTransaction moved = d.row(d.novemberRow);
            moved.payDate = QDate(2026, 10, 20);
            return d.payroll.update(d.novemberRow, moved, d.row(d.novemberRow)).status();
        }) << false << closed << 0;
        QTest::newRow("payroll deleted by number") << Work([](Desk& d) { return d.payroll.removeNumber(company, d.octoberRow).status(); }) << false << closed << 0;
        QTest::newRow("payroll deleted by range") << Work([](Desk& d) { return d.deletion(d.payroll.removeRange(company, d.octoberRow, d.novemberRow)); }) << true << kept + ": October 2026 closed by admin on 05/12/2026." << 1;
        QTest::newRow("all payroll deleted, one undated") << Work([](Desk& d) {
            SqlQuery(d.db, "INSERT INTO payroll (ID, netpay, company) VALUES (7, 10, 'ACME')").exec();
            const Status done = d.deletion(d.payroll.removeAll(company));
            return d.t.count("SELECT count(*) FROM payroll") == 1 ? done : Status::failure("an undated row was left");
        }) << true << kept << 2;
        QTest::newRow("loan added") << Work([=](Desk& d) { return d.loans.insert({7, "RAVI", rupees(500), rupees(50), loanDay.addDays(3), {9, 0}, "", company}); }) << false << closed << 0;
        QTest::newRow("loan added in an open month") << Work([](Desk& d) { return d.loans.insert({7, "RAVI", rupees(500), rupees(50), QDate(2026, 11, 3), {9, 0}, "", company}); }) << true << "" << 1;
        QTest::newRow("loan amount changed") << Work([=](Desk& d) { return d.loans.setAmount(company, 7, loanDay, rupees(20000)).status(); }) << false << closed << 0;
        QTest::newRow("loan deleted") << Work([=](Desk& d) { return d.loans.remove(company, 7, loanDay).status(); }) << false << closed << 0;
        QTest::newRow("all loans deleted") << Work([](Desk& d) { return d.loans.removeAll(company).status(); }) << false << "October 2026 closed by admin" << 0;
        QTest::newRow("advance added") << Work([=](Desk& d) { return d.advances.insert({7, "RAVI", rupees(100), advanceDay, {9, 0}, company}); }) << false << closed << 0;
        QTest::newRow("advance amount changed") << Work([=](Desk& d) { return d.advances.setAmount(company, 7, advanceDay, rupees(900)).status(); }) << false << closed << 0;
        QTest::newRow("advance deleted") << Work([=](Desk& d) { return d.advances.remove(company, 7, advanceDay).status(); }) << false << closed << 0;
        QTest::newRow("all advances deleted") << Work([](Desk& d) { return d.advances.removeAll(company).status(); }) << false << "October 2026 closed by admin" << 0;
        QTest::newRow("payroll imported") << Work([](Desk& d) { return d.import({"payroll.csv", "transid,ID,emname,ddate,netpay,company\n900,7,RAVI,2026-10-20,5,ACME\n"}); }) << false << closed << 0;
        QTest::newRow("advance imported") << Work([](Desk& d) { return d.import({"adv.csv", "ID,emname,advamt,advdt,company\n7,RAVI,5,2026-10-20,ACME\n"}); }) << false << closed << 0;
        // An increment's arrears are paid now: those of a closed month are dated today, and no payroll row changes.
        QTest::newRow("increment with arrears of the month") << Work([](Desk& d) {
            const ArrearsRow october{7, "RAVI", rupees(1000), "October2026", rupees(31), rupees(1000), company, closedDay};
            const Status saved = RevisionRepository(d.db).saveIncrement(novemberRaise(), QList<ArrearsRow>{october} + novemberArrears(), rupees(31000), rupees(32000));
            const qint64 dated = d.t.count("SELECT count(*) FROM arr WHERE (incredt = 'October2026' AND ddat1 = '2026-12-05') OR (incredt = 'November2026' AND ddat1 = '2026-11-30')");
            return !saved || dated == 2 ? saved : Status::failure("the arrears are not dated as they are paid");
        }) << true << "" << 4;
        QTest::newRow("payroll of an open month imported") << Work([](Desk& d) { return d.import({"payroll.csv", "ID,ddate,absences,company\n7,2026-12-20,31,ACME\n"}); }) << true << "" << 1;
        // clang-format on
    }
    void everyDoorRefusesAClosedMonth()
    {
        QFETCH(Work, door);
        QFETCH(bool, done);
        QFETCH(QString, said);
        QFETCH(int, entries);
        Desk d;
        const QString before = closedMonthAsStored(d.t);
        const qint64 last = lastEntry(d.t);
        const Status outcome = door(d);
        const QString told = done ? d.kept : outcome.error();
        QVERIFY2(outcome.ok() == done, qPrintable(outcome.error()));
        QVERIFY2(told.contains(said), qPrintable(told));
        QCOMPARE(closedMonthAsStored(d.t), before);
        QCOMPARE(entriesSince(d.db, last).size(), entries);
    }

    void aReopenedMonthIsRecordedAndOpen()
    {
        Desk d;
        MonthCloseRepository months(d.db);
        QVERIFY(months.close(company, QDate(2026, 10, 3)).error().contains("already"));
        QVERIFY(!months.reopen(company, closedDay, "  "));
        QVERIFY(!months.reopen(company, openDay, "never closed"));
        const qint64 last = lastEntry(d.t);
        QVERIFY(months.reopen(company, closedDay, "bonus of Diwali left out"));
        QCOMPARE(entriesSince(d.db, last), QStringList{"closedmonth reopen"});
        const auto entry = audit::find(d.db, last + 1).value().value();
        QCOMPARE((QStringList{entry.note, entry.user, entry.company}),
                 (QStringList{"bonus of Diwali left out", "admin", company}));
        QVERIFY(entry.before.contains("closedby=admin"));
        QVERIFY(d.payroll.insert(payrollOf(QDate(2026, 10, 15), 100)));
        QVERIFY(!months.find(company, closedDay).value());
    }

    void everyChangeLeavesItsEntry_data()
    {
        QTest::addColumn<Work>("change");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("shows"); // a line of the entry's values, or its note
        QTest::addColumn<int>("employee");  // whose rows the entries of employees' rows are found by
        // clang-format off
        QTest::newRow("employee added") << Work([](Desk& d) {
            Employee e;
            e.name = "ASHA";
            return EmployeeRepository(d.db).insert(e).status();
        }) << QStringList{"emp insert"} << "emname=ASHA" << 8;
        QTest::newRow("employee changed") << Work([](Desk& d) {
            Employee e = EmployeeRepository(d.db).find(7).value().value();
            e.name = "RAVI KUMAR";
            return EmployeeRepository(d.db).update(e);
        }) << QStringList{"emp update"} << "emname=RAVI KUMAR" << 7;
        QTest::newRow("employee deleted") << Work([](Desk& d) { return EmployeeRepository(d.db).remove(7); }) << QStringList{"emp delete"} << "emname=RAVI" << 7;
        QTest::newRow("payroll saved") << Work([](Desk& d) { return d.payroll.insert(payrollOf(QDate(2026, 11, 15), 100)).status(); }) << QStringList{"payroll insert"} << "netpay=100" << 7;
        QTest::newRow("payroll updated") << Work([](Desk& d) {
            PayrollTransaction changed = d.row(d.novemberRow);
            changed.bonus = Currency::fromUnits(2505000);
            return d.payroll.update(d.novemberRow, changed, d.row(d.novemberRow)).status();
        }) << QStringList{"payroll update"} << "bonus=250.5" << 7;
        QTest::newRow("payroll deleted by range") << Work([](Desk& d) { return d.payroll.removeRange(company, d.octoberRow, d.novemberRow).status(); }) << QStringList{"payroll delete", "payroll delete"} << "netpay=29000" << 7;
        // More entries in one change than the server takes in one round trip.
        QTest::newRow("payroll saved and deleted by the hundred") << Work([](Desk& d) {
            for (int i = 0; i < 120; ++i)
                if (const auto saved = d.payroll.insert(payrollOf(QDate(2026, 11, 20), i)); !saved)
                    return saved.status();
            return d.payroll.removeRange(company, 0, std::numeric_limits<qint64>::max()).status();
        }) << QStringList(QList<QString>(120, "payroll insert") + QList<QString>(122, "payroll delete")) << "netpay=119" << 7;
        QTest::newRow("loan added") << Work([](Desk& d) { return d.loans.insert({7, "RAVI", rupees(500), rupees(50), openDay, {9, 0}, "", company}); }) << QStringList{"loan insert"} << "loanamt=500" << 7;
        QTest::newRow("loan changed") << Work([](Desk& d) { return d.loans.setAmount(company, 7, QDate(2026, 11, 5), rupees(20000)).status(); }) << QStringList{"loan update"} << "loanamt=20000" << 7;
        QTest::newRow("advance deleted") << Work([](Desk& d) { return d.advances.remove(company, 7, QDate(2026, 11, 3)).status(); }) << QStringList{"adv delete"} << "advamt=300" << 7;
        QTest::newRow("increment") << Work([](Desk& d) { return RevisionRepository(d.db).saveIncrement(novemberRaise(), novemberArrears(), rupees(31000), rupees(32000)); }) << QStringList{"arr insert", "incre insert", "emp update"} << "basicrate=32000" << 7;
        QTest::newRow("decrement") << Work([](Desk& d) { return RevisionRepository(d.db).saveDecrement(novemberRaise(), rupees(31000), rupees(30000)); }) << QStringList{"decre insert", "emp update"} << "basicrate=30000" << 7;
        QTest::newRow("company renamed") << Work([](Desk& d) {
            CompanyRepository companies(d.db);
            return companies.update(companies.list().value().first().rowId, "ACME MILLS", "Rajkot");
        }) << QStringList{"cmpmaster update"} << "the new name carried to payroll 2" << 7;
        QTest::newRow("department added") << Work([](Desk& d) { return MasterRepository(d.db, MasterRepository::Kind::Department).add("stores").status(); }) << QStringList{"dept insert"} << "dept=STORES" << 7;
        QTest::newRow("user added") << Work([](Desk& d) { return UserRepository(d.db).add("clerk", secret, "user").status(); }) << QStringList{"use insert"} << "usernm=clerk" << 7;
        QTest::newRow("password changed") << Work([](Desk& d) { return UserRepository(d.db).update(1, "admin", secret + "2", "admin"); }) << QStringList{"use update"} << "the password was changed" << 7;
        QTest::newRow("delete password set") << Work([](Desk& d) { return UserRepository(d.db).setDeletePassword(secret); }) << QStringList{"passwd update"} << "the delete password was set" << 7;
        QTest::newRow("month closed") << Work([](Desk& d) { return MonthCloseRepository(d.db).close(company, openDay); }) << QStringList{"closedmonth close"} << "month=2026-11" << 7;
        QTest::newRow("tables imported") << Work([](Desk& d) { return d.import({"grp.csv", "grp\nNIGHT\n", "dept.csv", "dept\nNIGHTS\n"}); }) << QStringList{"dept insert", "dept import", "grp insert", "grp import"} << "1 rows imported" << 7;
        QTest::newRow("refused by the rules") << Work([](Desk& d) {
            PayrollTransaction t = payrollOf(QDate(2026, 11, 15), 100);
            t.daysPresent = rupees(31);
            return d.payroll.insert(t).status();
        }) << QStringList{} << "" << 7;
        QTest::newRow("failed half way") << Work([](Desk& d) { return RevisionRepository(d.db).saveIncrement(novemberRaise(), novemberArrears(), rupees(25000), rupees(26000)); }) << QStringList{} << "" << 7;
        QTest::newRow("import refused") << Work([](Desk& d) { return d.import({"grp.csv", "grp\n\"\"\n", "dept.csv", "dept\nNIGHTS\n"}); }) << QStringList{} << "" << 7;
        // clang-format on
    }
    void everyChangeLeavesItsEntry()
    {
        QFETCH(Work, change);
        QFETCH(QStringList, entries);
        QFETCH(QString, shows);
        QFETCH(int, employee);
        Desk d;
        QVERIFY(UserRepository(d.db).add("admin", secret, "admin"));
        QVERIFY(d.advances.insert({7, "RAVI", rupees(300), QDate(2026, 11, 3), {9, 0}, company}));
        QVERIFY(d.loans.insert({7, "RAVI", rupees(10000), rupees(1000), QDate(2026, 11, 5), {9, 0}, "", company}));
        QVERIFY(MonthCloseRepository(d.db).reopen(company, closedDay, "for the test"));
        const qint64 last = d.since = lastEntry(d.t);
        const Status done = change(d);
        QCOMPARE(done.ok(), !entries.isEmpty());
        QCOMPARE(entriesSince(d.db, d.since), entries);
        QString texts;
        const QStringList ofEmployees = {"emp", "payroll", "loan", "adv", "incre", "decre", "arr"};
        for (const AuditEntry& e : audit::select(d.db, audit::Filter{}, true).value()) {
            if (e.seq <= last)
                continue;
            texts += e.before + '\n' + e.after + '\n' + e.note + '\n';
            // Entries in the order made, each at its place in one chain, named for who made it and when.
            QCOMPARE(e.user, QStringLiteral("admin"));
            QCOMPARE(e.at, QDateTime(QDate(2026, 12, 5), QTime(10, 30)));
            // Found by the employee's number, whichever of the employee's rows changed.
            QVERIFY2(!ofEmployees.contains(e.table) || e.employee == employee, qPrintable(e.table));
            // A saved row is recorded as the database stored it: read again now (when it is still there),
            // it is the entry's image.
            if (e.table == "payroll" && e.kind == "insert") {
                const auto now = audit::Change::of(d.db, e.table, "transid = ?", {e.key.toLongLong()}).value();
                QVERIFY(now.before().size() == 1 || entries.contains("payroll delete"));
                if (!now.before().isEmpty())
                    QCOMPARE(now.before().first().text, e.after);
            }
        }
        QVERIFY2(shows.isEmpty() || texts.contains(shows), qPrintable(texts));
        // A password, or what it is stored as, never stands in the trail.
        QVERIFY(!texts.contains(secret));
        SqlQuery pass(d.db, "SELECT pass FROM \"use\" ORDER BY ID LIMIT 1");
        const QString stored = pass.single().value().toString();
        QVERIFY(stored.isEmpty() || !texts.contains(stored));
        const auto checked = audit::verify(d.db).value();
        QVERIFY2(checked.intact(), qPrintable(checked.summary()));
    }

    void theChainFindsWhatWasChangedBehindItsBack_data()
    {
        QTest::addColumn<QString>("tampering");
        QTest::addColumn<QString>("found");
        // clang-format off
        QTest::newRow("an amount edited") << "UPDATE audit SET newvalues = replace(newvalues, 'netpay=30000', 'netpay=3000') WHERE seq = 3" << "entry 3 (05/12/2026 10:30:00, admin, insert of payroll) does not fit";
        QTest::newRow("an entry deleted") << "DELETE FROM audit WHERE seq = 4" << "entry 5 follows entry 3";
        QTest::newRow("an entry put in") << "INSERT INTO audit (seq, stamp, usernm, kind, hash) SELECT max(seq) + 1, '2026-12-06 09:00:00', 'admin', 'delete', 'f00d' FROM audit" << "does not fit the entry before it";
        QTest::newRow("a name edited") << "UPDATE audit SET usernm = 'clerk' WHERE seq = 1" << "entry 1 (05/12/2026 10:30:00, clerk, insert of emp)";
        QTest::newRow("nothing") << "" << "";
        // clang-format on
    }
    void theChainFindsWhatWasChangedBehindItsBack()
    {
        QFETCH(QString, tampering);
        QFETCH(QString, found);
        Desk d;
        const qint64 entries = lastEntry(d.t);
        QVERIFY(entries >= 6);
        // The trail's guard refuses the program's own connection.
        QVERIFY(!SqlQuery(d.t.db(), "UPDATE audit SET note = 'x' WHERE seq = 1").exec());
        QVERIFY(!SqlQuery(d.t.db(), "DELETE FROM audit WHERE seq = 1").exec());
        if (!tampering.isEmpty()) {
            if (!TestDatabase::onServer()) {
                // Another program that knows to remove the guard first: the sqlite3 shell.
                const QString shell = QStandardPaths::findExecutable("sqlite3");
                if (shell.isEmpty())
                    QSKIP("the sqlite3 shell is not installed");
                d.t.db().close();
                QProcess sqlite;
                sqlite.start(shell, {d.t.path(), "DROP TRIGGER audit_kept_update; DROP TRIGGER audit_kept_delete; " +
                                                     tampering});
                QVERIFY(sqlite.waitForFinished(30000));
                QVERIFY2(sqlite.exitCode() == 0, sqlite.readAllStandardError().constData());
                QVERIFY(d.t.db().open(d.t.path()));
            } else {
                QSqlDatabase other = d.t.db().connection().cloneDatabase(d.t.db().connection(), "tamperer");
                QVERIFY(other.open());
                QSqlQuery q(other);
                QVERIFY2(q.exec("ALTER TABLE audit DISABLE TRIGGER audit_kept") && q.exec(tampering),
                         qPrintable(q.lastError().text()));
                other.close();
            }
        }
        const auto checked = audit::verify(d.t.db()).value();
        QVERIFY2(found.isEmpty() ? checked.intact() : checked.summary().contains(found), qPrintable(checked.summary()));
        // A guard removed is found even when every entry still fits.
        if (!tampering.isEmpty())
            QVERIFY(!checked.intact());
    }
};

QTEST_GUILESS_MAIN(TestAuditTrail)
#include "test_audit_trail.moc"
