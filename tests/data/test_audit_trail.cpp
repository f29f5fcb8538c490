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
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
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
    t.monthRate = rupees(31000);
    t.payDate = day;
    t.daysPresent = rupees(day.daysInMonth());
    t.presentDaysSalary = rupees(31000);
    t.netPay = rupees(netPay);
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
// holds a payroll row and is open.
struct Office {
    TestDatabase t;
    FixedClock clock{QDateTime(QDate(2026, 12, 5), QTime(10, 30))};
    qint64 octoberRow = 0;
    qint64 novemberRow = 0;

    Office()
    {
        t.db().setClock(&clock);
        t.db().setUser(QStringLiteral("admin"));
        Employee e;
        e.name = QStringLiteral("RAVI");
        e.basicRate = rupees(31000);
        e.id = 7;
        EmployeeRepository(t.db()).insert(e);
        octoberRow = PayrollRepository(t.db()).insert(payrollOf(closedDay, 30000)).value();
        novemberRow = PayrollRepository(t.db()).insert(payrollOf(openDay, 29000)).value();
        LoanRepository(t.db()).insert({7, "RAVI", rupees(10000), rupees(1000), QDate(2026, 10, 5), {9, 0}, "", company});
        AdvanceRepository(t.db()).insert({7, "RAVI", rupees(2000), QDate(2026, 10, 12), {9, 0}, company});
        MonthCloseRepository(t.db()).close(company, closedDay);
    }
};

} // namespace

class TestAuditTrail : public QObject {
    Q_OBJECT
private slots:
    void everyDoorRefusesAClosedMonth_data();
    void everyDoorRefusesAClosedMonth();
    void aReopenedMonthIsRecordedAndOpen();
    void arrearsOfAClosedMonthArePaidToday();
    void everyChangeLeavesItsEntry_data();
    void everyChangeLeavesItsEntry();
    void theChainFindsWhatWasChangedBehindItsBack_data();
    void theChainFindsWhatWasChangedBehindItsBack();
};

void TestAuditTrail::everyDoorRefusesAClosedMonth_data()
{
    QTest::addColumn<QString>("door");
    QTest::addColumn<bool>("done");
    QTest::addColumn<QString>("said"); // in the failure, or what the deletion says of what it kept
    QTest::addColumn<int>("entries");  // the trail's new entries
    const QString closed = QStringLiteral("October 2026 is closed (closed by admin on 05/12/2026)");
    // clang-format off
    QTest::newRow("payroll saved") << "save" << false << closed << 0;
    QTest::newRow("payroll saved in an open month") << "save open" << true << "" << 1;
    QTest::newRow("payroll updated") << "update" << false << closed << 0;
    QTest::newRow("payroll moved into the month") << "move in" << false << closed << 0;
    QTest::newRow("payroll deleted by number") << "delete number" << false << closed << 0;
    QTest::newRow("payroll deleted by range") << "delete range" << true << "1 transaction of closed months was kept: October 2026 closed by admin on 05/12/2026." << 1;
    QTest::newRow("all payroll deleted") << "delete all" << true << "1 transaction of closed months was kept" << 1;
    QTest::newRow("all payroll deleted, one undated") << "delete all undated" << true << "1 transaction of closed months was kept" << 2;
    QTest::newRow("loan added") << "loan" << false << closed << 0;
    QTest::newRow("loan added in an open month") << "loan open" << true << "" << 1;
    QTest::newRow("loan amount changed") << "loan amount" << false << closed << 0;
    QTest::newRow("loan deleted") << "loan delete" << false << closed << 0;
    QTest::newRow("all loans deleted") << "loans delete all" << false << "October 2026 closed by admin" << 0;
    QTest::newRow("advance added") << "advance" << false << closed << 0;
    QTest::newRow("advance amount changed") << "advance amount" << false << closed << 0;
    QTest::newRow("advance deleted") << "advance delete" << false << closed << 0;
    QTest::newRow("all advances deleted") << "advances delete all" << false << "October 2026 closed by admin" << 0;
    QTest::newRow("payroll imported") << "import payroll" << false << closed << 0;
    QTest::newRow("advance imported") << "import adv" << false << closed << 0;
    QTest::newRow("payroll of an open month imported") << "import open" << true << "" << 1;
    // clang-format on
}

void TestAuditTrail::everyDoorRefusesAClosedMonth()
{
    QFETCH(QString, door);
    QFETCH(bool, done);
    QFETCH(QString, said);
    QFETCH(int, entries);
    Office o;
    const Database& db = o.t.db();
    const QString before = closedMonthAsStored(o.t);
    const qint64 last = lastEntry(o.t);
    PayrollRepository payroll(db);
    LoanRepository loans(db);
    AdvanceRepository advances(db);
    const QDate loanDay(2026, 10, 5);
    const QDate advanceDay(2026, 10, 12);
    const auto status = [](const auto& result) { return result.status(); };
    QTemporaryDir files;
    const auto import = [&](const QString& file, const QString& text) -> Status {
        QFile csv(files.filePath(file));
        csv.open(QIODevice::WriteOnly);
        csv.write(text.toUtf8());
        csv.close();
        transfer::ImportOptions options;
        options.append = true;
        const auto outcome = transfer::importFolder(db, files.path(), options);
        if (!outcome)
            return outcome.status();
        return outcome->refusals.isEmpty() ? Status() : Status::failure(outcome->refusals.first().reason);
    };
    QString kept;
    const auto deletion = [&](const Result<PayrollDeletion>& d) {
        if (d)
            kept = d->keptNote();
        return d.status();
    };
    const PayrollTransaction october = payroll.find(o.octoberRow).value().value();
    PayrollTransaction november = payroll.find(o.novemberRow).value().value();
    const QHash<QString, std::function<Status()>> doors = {
        {"save", [&] { return status(payroll.insert(payrollOf(QDate(2026, 10, 15), 100))); }},
        {"save open", [&] { return status(payroll.insert(payrollOf(QDate(2026, 11, 15), 100))); }},
        {"update",
         [&] {
             PayrollTransaction changed = october;
             changed.bonus = rupees(500);
             return status(payroll.update(o.octoberRow, changed, october));
         }},
        {"move in",
         [&] {
             PayrollTransaction moved = november;
             moved.payDate = QDate(2026, 10, 20);
             return status(payroll.update(o.novemberRow, moved, november));
         }},
        {"delete number", [&] { return status(payroll.removeNumber(company, o.octoberRow)); }},
        {"delete range", [&] { return deletion(payroll.removeRange(company, o.octoberRow, o.novemberRow)); }},
        {"delete all", [&] { return deletion(payroll.removeAll(company)); }},
        {"delete all undated",
         [&] {
             SqlQuery(db, "INSERT INTO payroll (ID, netpay, company) VALUES (7, 10, 'ACME')").exec();
             const Status done = deletion(payroll.removeAll(company));
             return o.t.count("SELECT count(*) FROM payroll") == 1 ? done : Status::failure("an undated row was left");
         }},
        {"loan", [&] { return loans.insert({7, "RAVI", rupees(500), rupees(50), loanDay.addDays(3), {9, 0}, "", company}); }},
        {"loan open",
         [&] { return loans.insert({7, "RAVI", rupees(500), rupees(50), QDate(2026, 11, 3), {9, 0}, "", company}); }},
        {"loan amount", [&] { return status(loans.setAmount(company, 7, loanDay, rupees(20000))); }},
        {"loan delete", [&] { return status(loans.remove(company, 7, loanDay)); }},
        {"loans delete all", [&] { return status(loans.removeAll(company)); }},
        {"advance", [&] { return advances.insert({7, "RAVI", rupees(100), advanceDay, {9, 0}, company}); }},
        {"advance amount", [&] { return status(advances.setAmount(company, 7, advanceDay, rupees(900))); }},
        {"advance delete", [&] { return status(advances.remove(company, 7, advanceDay)); }},
        {"advances delete all", [&] { return status(advances.removeAll(company)); }},
        {"import payroll", [&] { return import("payroll.csv", "transid,ID,emname,ddate,netpay,company\n900,7,RAVI,2026-10-20,5,ACME\n"); }},
        {"import adv", [&] { return import("adv.csv", "ID,emname,advamt,advdt,company\n7,RAVI,5,2026-10-20,ACME\n"); }},
        {"import open", [&] { return import("payroll.csv", "transid,ID,emname,ddate,netpay,company\n900,7,RAVI,2026-11-20,5,ACME\n"); }},
    };
    const Status outcome = doors.value(door)();
    QVERIFY2(outcome.ok() == done, qPrintable(outcome.error()));
    QVERIFY2((done ? kept : outcome.error()).contains(said), qPrintable(done ? kept : outcome.error()));
    QCOMPARE(closedMonthAsStored(o.t), before);
    QCOMPARE(entriesSince(db, last).size(), entries);
}

void TestAuditTrail::aReopenedMonthIsRecordedAndOpen()
{
    Office o;
    MonthCloseRepository months(o.t.db());
    QVERIFY(months.close(company, QDate(2026, 10, 3)).error().contains("already"));
    QVERIFY(!months.reopen(company, closedDay, "  "));
    QVERIFY(!months.reopen(company, openDay, "never closed"));
    const qint64 last = lastEntry(o.t);
    QVERIFY(months.reopen(company, closedDay, "bonus of Diwali left out"));
    QCOMPARE(entriesSince(o.t.db(), last), QStringList{"closedmonth reopen"});
    const auto entry = audit::find(o.t.db(), last + 1).value().value();
    QCOMPARE(entry.note, QStringLiteral("bonus of Diwali left out"));
    QCOMPARE(entry.user, QStringLiteral("admin"));
    QCOMPARE(entry.company, company);
    QVERIFY(entry.before.contains("closedby=admin"));
    QVERIFY(PayrollRepository(o.t.db()).insert(payrollOf(QDate(2026, 10, 15), 100)));
    QVERIFY(!months.find(company, closedDay).value());
}

// An increment's arrears are paid now: those of a closed month are dated today, and no payroll row changes.
void TestAuditTrail::arrearsOfAClosedMonthArePaidToday()
{
    Office o;
    Revision raise;
    raise.employeeId = 7;
    raise.name = "RAVI";
    raise.amount = rupees(1000);
    raise.date = o.clock.today();
    raise.from = QDate(2026, 10, 1);
    raise.to = openDay;
    raise.company = company;
    const QList<ArrearsRow> arrears = {{7, "RAVI", rupees(1000), "October2026", rupees(31), rupees(1000), company, closedDay},
                                       {7, "RAVI", rupees(1000), "November2026", rupees(30), rupees(1000), company, openDay}};
    const QString payrollBefore = closedMonthAsStored(o.t);
    QVERIFY(RevisionRepository(o.t.db()).saveIncrement(raise, arrears, rupees(31000), rupees(32000)));
    QCOMPARE(o.t.count("SELECT count(*) FROM arr WHERE ddat1 = '2026-12-05' AND incredt = 'October2026'"), 1);
    QCOMPARE(o.t.count("SELECT count(*) FROM arr WHERE ddat1 = '2026-11-30' AND incredt = 'November2026'"), 1);
    QCOMPARE(closedMonthAsStored(o.t), payrollBefore);
}

void TestAuditTrail::everyChangeLeavesItsEntry_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("shows"); // a line of the entry's values, or its note
    // clang-format off
    QTest::newRow("employee added") << "hire" << QStringList{"emp insert"} << "emname=ASHA";
    QTest::newRow("employee changed") << "rename" << QStringList{"emp update"} << "emname=RAVI KUMAR";
    QTest::newRow("employee deleted") << "fire" << QStringList{"emp delete"} << "emname=RAVI";
    QTest::newRow("payroll saved") << "save" << QStringList{"payroll insert"} << "netpay=100";
    QTest::newRow("payroll updated") << "update" << QStringList{"payroll update"} << "bonus=250.5";
    QTest::newRow("payroll deleted by range") << "delete range" << QStringList{"payroll delete", "payroll delete"} << "netpay=29000";
    // More entries in one change than the server takes in one round trip.
    QTest::newRow("payroll saved and deleted by the hundred") << "save and delete many" << QStringList(QList<QString>(120, "payroll insert") + QList<QString>(122, "payroll delete")) << "netpay=119";
    QTest::newRow("loan added") << "loan" << QStringList{"loan insert"} << "loanamt=500";
    QTest::newRow("loan changed") << "loan amount" << QStringList{"loan update"} << "loanamt=20000";
    QTest::newRow("advance deleted") << "advance delete" << QStringList{"adv delete"} << "advamt=300";
    QTest::newRow("increment") << "increment" << QStringList{"arr insert", "incre insert", "emp update"} << "basicrate=32000";
    QTest::newRow("decrement") << "decrement" << QStringList{"decre insert", "emp update"} << "basicrate=30000";
    QTest::newRow("company renamed") << "company" << QStringList{"cmpmaster update"} << "the new name carried to payroll 2";
    QTest::newRow("department added") << "department" << QStringList{"dept insert"} << "dept=STORES";
    QTest::newRow("user added") << "user" << QStringList{"use insert"} << "usernm=clerk";
    QTest::newRow("password changed") << "password" << QStringList{"use update"} << "the password was changed";
    QTest::newRow("delete password set") << "delete password" << QStringList{"passwd update"} << "the delete password was set";
    QTest::newRow("month closed") << "close" << QStringList{"closedmonth close"} << "month=2026-11";
    QTest::newRow("tables imported") << "import" << QStringList{"dept import", "grp import"} << "1 rows imported";
    QTest::newRow("refused by the rules") << "too many days" << QStringList{} << "";
    QTest::newRow("failed half way") << "stale increment" << QStringList{} << "";
    QTest::newRow("import refused") << "bad import" << QStringList{} << "";
    // clang-format on
}

void TestAuditTrail::everyChangeLeavesItsEntry()
{
    QFETCH(QString, change);
    QFETCH(QStringList, entries);
    QFETCH(QString, shows);
    Office o;
    const Database& db = o.t.db();
    const QString secret = QStringLiteral("S3cret-pass!");
    QVERIFY(UserRepository(db).add("admin", secret, "admin"));
    QVERIFY(AdvanceRepository(db).insert({7, "RAVI", rupees(300), QDate(2026, 11, 3), {9, 0}, company}));
    QVERIFY(LoanRepository(db).insert({7, "RAVI", rupees(10000), rupees(1000), QDate(2026, 11, 5), {9, 0}, "", company}));
    QVERIFY(MonthCloseRepository(db).reopen(company, closedDay, "for the test"));
    const qint64 last = lastEntry(o.t);
    const auto status = [](const auto& result) { return result.status(); };
    PayrollRepository payroll(db);
    const PayrollTransaction november = payroll.find(o.novemberRow).value().value();
    Revision revision;
    revision.employeeId = 7;
    revision.name = "RAVI";
    revision.amount = rupees(1000);
    revision.date = QDate(2026, 12, 5);
    revision.from = openDay;
    revision.to = openDay;
    revision.company = company;
    const QList<ArrearsRow> arrears = {{7, "RAVI", rupees(1000), "November2026", rupees(30), rupees(1000), company, openDay}};
    QTemporaryDir files;
    const auto import = [&](const QString& grp) {
        for (const auto& [file, text] : {std::pair<QString, QString>("grp.csv", "grp\n" + grp + "\n"),
                                         std::pair<QString, QString>("dept.csv", "dept\nNIGHTS\n")}) {
            QFile csv(files.filePath(file));
            csv.open(QIODevice::WriteOnly);
            csv.write(text.toUtf8());
        }
        transfer::ImportOptions options;
        options.append = true;
        const auto outcome = transfer::importFolder(db, files.path(), options);
        return outcome && outcome->stored() ? Status() : Status::failure("refused");
    };
    const QHash<QString, std::function<Status()>> changes = {
        {"hire",
         [&] {
             Employee e;
             e.name = "ASHA";
             return status(EmployeeRepository(db).insert(e));
         }},
        {"rename",
         [&] {
             Employee e = EmployeeRepository(db).find(7).value().value();
             e.name = "RAVI KUMAR";
             return EmployeeRepository(db).update(e);
         }},
        {"fire", [&] { return EmployeeRepository(db).remove(7); }},
        {"save", [&] { return status(payroll.insert(payrollOf(QDate(2026, 11, 15), 100))); }},
        {"update",
         [&] {
             PayrollTransaction changed = november;
             changed.bonus = Currency::fromUnits(2505000);
             return status(payroll.update(o.novemberRow, changed, november));
         }},
        {"delete range", [&] { return status(payroll.removeRange(company, o.octoberRow, o.novemberRow)); }},
        {"save and delete many",
         [&] {
             for (int i = 0; i < 120; ++i)
                 if (const auto saved = payroll.insert(payrollOf(QDate(2026, 11, 20), i)); !saved)
                     return saved.status();
             return status(payroll.removeRange(company, 0, std::numeric_limits<qint64>::max()));
         }},
        {"loan",
         [&] { return LoanRepository(db).insert({7, "RAVI", rupees(500), rupees(50), openDay, {9, 0}, "", company}); }},
        {"loan amount", [&] { return status(LoanRepository(db).setAmount(company, 7, QDate(2026, 11, 5), rupees(20000))); }},
        {"advance delete", [&] { return status(AdvanceRepository(db).remove(company, 7, QDate(2026, 11, 3))); }},
        {"increment", [&] { return RevisionRepository(db).saveIncrement(revision, arrears, rupees(31000), rupees(32000)); }},
        {"decrement", [&] { return RevisionRepository(db).saveDecrement(revision, rupees(31000), rupees(30000)); }},
        {"company",
         [&] {
             CompanyRepository companies(db);
             const qint64 row = companies.add(company, {}).value();
             const qint64 added = lastEntry(o.t);
             const Status renamed = companies.update(row, "ACME MILLS", "Rajkot");
             // Only the rename is asked about: the row's own entry goes with the company's adding.
             return entriesSince(db, added).size() == 1 && renamed ? Status() : Status::failure("rename");
         }},
        {"department", [&] { return status(MasterRepository(db, MasterRepository::Kind::Department).add("stores")); }},
        {"user", [&] { return status(UserRepository(db).add("clerk", secret, "user")); }},
        {"password", [&] { return UserRepository(db).update(1, "admin", secret + "2", "admin"); }},
        {"delete password", [&] { return UserRepository(db).setDeletePassword(secret); }},
        {"close", [&] { return MonthCloseRepository(db).close(company, openDay); }},
        {"import", [&] { return import("NIGHT"); }},
        {"too many days",
         [&] {
             PayrollTransaction t = payrollOf(QDate(2026, 11, 15), 100);
             t.daysPresent = rupees(31);
             return status(payroll.insert(t));
         }},
        {"stale increment", [&] { return RevisionRepository(db).saveIncrement(revision, arrears, rupees(25000), rupees(26000)); }},
        {"bad import", [&] { return import("\"\""); }},
    };
    const Status done = changes.value(change)();
    QCOMPARE(done.ok(), !entries.isEmpty());
    QStringList added = entriesSince(db, change == "company" ? lastEntry(o.t) - 1 : last);
    QCOMPARE(added, entries);
    const auto recorded = audit::select(db, audit::Filter{}, true).value();
    QStringList texts;
    for (const AuditEntry& e : recorded)
        if (e.seq > last)
            texts << e.before + '\n' + e.after + '\n' + e.note;
    QVERIFY2(shows.isEmpty() || texts.join('\n').contains(shows), qPrintable(texts.join("\n---\n")));
    // A password, or what it is stored as, never stands in the trail.
    QVERIFY(!texts.join('\n').contains(secret));
    const QString stored = o.t.count("SELECT count(*) FROM \"use\"") > 0
                               ? SqlQuery(db, "SELECT pass FROM \"use\" ORDER BY ID LIMIT 1").single().value().toString()
                               : QString();
    QVERIFY(stored.isEmpty() || !texts.join('\n').contains(stored));
    // Entries in the order made, each at its place in one chain, named for who made it and when.
    const QStringList ofEmployees = {"emp", "payroll", "loan", "adv", "incre", "decre", "arr"};
    for (const AuditEntry& e : recorded)
        if (e.seq > last) {
            QCOMPARE(e.user, QStringLiteral("admin"));
            QCOMPARE(e.at, QDateTime(QDate(2026, 12, 5), QTime(10, 30)));
            // Found by the employee's number, whichever of the employee's rows changed.
            QVERIFY2(!ofEmployees.contains(e.table) || e.employee == (change == "hire" ? 8 : 7), qPrintable(e.table));
        }
    // A saved row is recorded as the database stored it: read again now (when it is still there),
    // it is the entry's image.
    for (const AuditEntry& e : recorded)
        if (e.seq > last && e.table == "payroll" && e.kind == "insert") {
            const auto now = audit::Change::of(db, e.table, "transid = ?", {e.key.toLongLong()}).value();
            QVERIFY(now.before().size() == 1 || change.contains("delete"));
            if (!now.before().isEmpty())
                QCOMPARE(now.before().first().text, e.after);
        }
    const auto checked = audit::verify(db).value();
    QVERIFY2(checked.intact(), qPrintable(checked.summary()));
}

void TestAuditTrail::theChainFindsWhatWasChangedBehindItsBack_data()
{
    QTest::addColumn<QString>("tampering");
    QTest::addColumn<QString>("found");
    // clang-format off
    QTest::newRow("an amount edited") << "UPDATE audit SET newvalues = replace(newvalues, 'netpay=30000', 'netpay=3000') WHERE seq = 2" << "entry 2 (05/12/2026 10:30:00, admin, insert of payroll) does not fit";
    QTest::newRow("an entry deleted") << "DELETE FROM audit WHERE seq = 4" << "entry 5 follows entry 3";
    QTest::newRow("an entry put in") << "INSERT INTO audit (seq, stamp, usernm, kind, hash) SELECT max(seq) + 1, '2026-12-06 09:00:00', 'admin', 'delete', 'f00d' FROM audit" << "does not fit the entry before it";
    QTest::newRow("a name edited") << "UPDATE audit SET usernm = 'clerk' WHERE seq = 1" << "entry 1 (05/12/2026 10:30:00, clerk, insert of emp)";
    QTest::newRow("nothing") << "" << "";
    // clang-format on
}

void TestAuditTrail::theChainFindsWhatWasChangedBehindItsBack()
{
    QFETCH(QString, tampering);
    QFETCH(QString, found);
    Office o;
    const qint64 entries = lastEntry(o.t);
    QVERIFY(entries >= 6);
    // The trail's guard refuses the program's own connection.
    QVERIFY(!SqlQuery(o.t.db(), "UPDATE audit SET note = 'x' WHERE seq = 1").exec());
    QVERIFY(!SqlQuery(o.t.db(), "DELETE FROM audit WHERE seq = 1").exec());
    if (!tampering.isEmpty()) {
        if (!TestDatabase::onServer()) {
            // Another program that knows to remove the guard first: the sqlite3 shell.
            const QString shell = QStandardPaths::findExecutable("sqlite3");
            if (shell.isEmpty())
                QSKIP("the sqlite3 shell is not installed");
            o.t.db().close();
            QProcess sqlite;
            sqlite.start(shell, {o.t.path(), "DROP TRIGGER audit_kept_update; DROP TRIGGER audit_kept_delete; " +
                                                 tampering});
            QVERIFY(sqlite.waitForFinished(30000));
            QVERIFY2(sqlite.exitCode() == 0, sqlite.readAllStandardError().constData());
            QVERIFY(o.t.db().open(o.t.path()));
        } else {
            QSqlDatabase other = o.t.db().connection().cloneDatabase(o.t.db().connection(), "tamperer");
            QVERIFY(other.open());
            QSqlQuery q(other);
            QVERIFY2(q.exec("ALTER TABLE audit DISABLE TRIGGER audit_kept") && q.exec(tampering),
                     qPrintable(q.lastError().text()));
            other.close();
        }
    }
    const auto checked = audit::verify(o.t.db()).value();
    QVERIFY2(found.isEmpty() ? checked.intact() : checked.summary().contains(found), qPrintable(checked.summary()));
    // A guard removed is found even when every entry still fits.
    if (!tampering.isEmpty())
        QVERIFY(!checked.intact());
}

QTEST_GUILESS_MAIN(TestAuditTrail)
#include "test_audit_trail.moc"
