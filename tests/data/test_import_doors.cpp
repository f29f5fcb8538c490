#include "app/demo_data.h"
#include "data/audit_trail.h"
#include "data/advance_repository.h"
#include "data/company_repository.h"
#include "data/employee_repository.h"
#include "data/loan_repository.h"
#include "data/payroll_repository.h"
#include "data/sql_query.h"
#include "data/statutory_repository.h"
#include "data/table_transfer.h"
#include "rules/pay_calculation.h"
#include "support/fixed_clock.h"
#include "support/test_database.h"

#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace transfer;

// The import as a door into data in use: every rule the windows keep, kept for a file's rows too;
// payroll rows that give only their inputs paid as the payroll window pays them.
namespace {

const QString shree = QStringLiteral("SHREE GANESH TEXTILES");
const QString oneil = QStringLiteral("O'NEIL ENGINEERING WORKS");

Result<ImportOutcome> importFiles(const Database& db, const QStringList& files, bool secondInMonth = false)
{
    QTemporaryDir folder;
    for (int i = 0; i + 1 < files.size(); i += 2) {
        QFile file(folder.filePath(files.at(i)));
        if (!file.open(QIODevice::WriteOnly) || file.write(files.at(i + 1).toUtf8()) < 0)
            return Status::failure(files.at(i));
    }
    ImportOptions options;
    options.append = true;
    options.secondInMonth = secondInMonth;
    return importFolder(db, folder.path(), options);
}

QString firstRefusal(const Result<ImportOutcome>& outcome)
{
    if (!outcome)
        return outcome.error();
    const Refusal r = outcome->refusals.value(0);
    return QStringLiteral("%1:%2: %3: %4").arg(r.file).arg(r.line).arg(r.column, r.reason);
}

// How many rows each table holds, and the trail's end: a refused import changes none of it.
QString fingerprint(const TestDatabase& t)
{
    QStringList counts;
    for (const Table& table : tables())
        counts << QString::number(t.count(QStringLiteral("SELECT count(*) FROM %1").arg(sqlName(table.name))));
    return counts.join(u' ');
}

Currency c(const char* text)
{
    return Currency::parse(QString::fromLatin1(text)).value();
}

// A month's row as a file gives it: its inputs, and the figures of `given` that are named.
QString csvOf(const PayrollTransaction& t, const QStringList& given)
{
    QStringList cells = {QString::number(t.employeeId), t.payDate.toString(Qt::ISODate), t.daysPresent.toString(),
                         t.bonus.toString(), t.overtime.toString(), t.travel.toString(), t.lic.toString(),
                         t.contribution.toString(), t.pgvcl.toString(), t.advances.toString(), t.loanRecovered.toString(),
                         t.company};
    const auto figure = [&](const QString& column) -> Currency {
        const QHash<QString, Currency> figures = {
            {"monthrate", t.monthRate}, {"totloan", t.totalLoan}, {"earn", t.presentDaysSalary},
            {"tad", t.totalAdditional}, {"td", t.totalDeductions}, {"netpay", t.netPay},
            {"pfwages", t.statutory.pfWages}, {"pswages", t.statutory.pensionWages}, {"pfemp", t.statutory.pfEmployee},
            {"pfpen", t.statutory.pension}, {"pfer", t.statutory.pfEmployer}, {"esiwages", t.statutory.esiWages},
            {"esiemp", t.statutory.esiEmployee}, {"esier", t.statutory.esiEmployer}, {"ptax", t.statutory.professionalTax}};
        return figures.value(column);
    };
    for (const QString& column : given)
        cells << figure(column).toString();
    return cells.join(u',');
}

const QString inputsHeader = QStringLiteral("ID,ddate,absences,bonus,ot,travel,intax,ph,others,advances,loanrec,company");

// Two companies, one under rules that deduct everything from January 2026 with the divisor given,
// one without; four employees (one exempt from the fund, one from the insurance), loans and advances.
void prepare(const Database& db, statutory::Divisor divisor)
{
    ensureKnown(db, {"RULED", "PLAIN"});
    statutory::Rules rules;
    rules.company = "RULED";
    rules.from = QDate(2026, 1, 1);
    rules.divisor = divisor;
    rules.pfOn = rules.esiOn = rules.ptOn = true;
    QVERIFY(StatutoryRepository(db).save(rules));
    const char* rates[] = {"9850.5", "14999", "19500", "62000"};
    for (int i = 0; i < 4; ++i) {
        Employee e;
        e.name = QStringLiteral("WORKER %1").arg(i + 1);
        e.basicRate = c(rates[i]);
        e.exemptions.pfFrom = i == 1 ? QDate(2026, 5, 1) : QDate();
        e.exemptions.esiFrom = i == 2 ? QDate(2026, 3, 1) : QDate();
        QVERIFY(EmployeeRepository(db).insert(e));
    }
    QVERIFY(LoanRepository(db).insert({1, "WORKER 1", c("6000"), c("1500"), {2026, 1, 2}, {9, 0}, {}, "PLAIN"}));
    QVERIFY(LoanRepository(db).insert({3, "WORKER 3", c("20000"), c("2500"), {2026, 1, 2}, {9, 0}, {}, "RULED"}));
    for (int month = 1; month <= 12; month += 3)
        QVERIFY(AdvanceRepository(db).insert({2, "WORKER 2", c("700"), {2026, month, 10}, {9, 0}, "RULED"}));
}

// A month of the four employees, each in a random company, with random days and amounts; the loan
// deduction within what is owed.
QList<PayrollTransaction> randomMonth(quint32 seed)
{
    QRandomGenerator random(seed);
    const QDate month = QDate(2026, 1 + int(random.bounded(12)), 1);
    QList<PayrollTransaction> rows;
    for (qint64 id = 1; id <= 4; ++id) {
        PayrollTransaction t;
        t.employeeId = id;
        t.company = random.bounded(2) ? "RULED" : "PLAIN";
        t.payDate = QDate(month.year(), month.month(), month.daysInMonth());
        t.daysPresent = Currency::fromUnits(qint64(random.bounded(month.daysInMonth() * 2 + 1)) * 5000);
        const auto some = [&](int most) { return random.bounded(3) ? Currency() : Currency::fromUnits(qint64(random.bounded(most)) * 10000); };
        t.bonus = some(3000);
        t.overtime = some(2000);
        t.travel = Currency::fromUnits(qint64(random.bounded(2)) * random.bounded(90000));
        t.lic = some(900);
        t.contribution = some(300);
        t.pgvcl = some(200);
        t.advances = some(1000);
        t.loanRecovered = id == 1 || id == 3 ? Currency::fromUnits(qint64(random.bounded(11)) * 1000000 / 10) : Currency();
        rows << t;
    }
    return rows;
}

} // namespace

class TestImportDoors : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        m_demo = std::make_unique<TestDatabase>();
        QVERIFY(ensureDemoData(m_demo->db(), FixedClock(QDateTime(QDate(2026, 12, 6), QTime(9, 0)))));
    }
    void cleanupTestCase() { m_demo.reset(); }

    // Rows added to the demo that break a rule the windows keep: each refused, naming its file, line
    // and column, and nothing of the files stored.
    void appendedRowsMeetEveryRule_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("refusal");
        const QString pay = "payroll.csv", month = "ID,ddate,absences,%1company\n%2,2026-12-31,31,%3%4\n";
        const auto payroll = [&](const QString& columns, qint64 id, const QString& cells, const QString& company) {
            return QStringList{pay, month.arg(columns).arg(id).arg(cells, company)};
        };
        const QString rules = "company,fromdt,divisor,pfon,pfrate,pfceil,pffull,penrate,pencap,esion,esilimit,esirate,esierrate,pton,ptslabs\n";
        const QString set = ",26,0,12,15000,0,8.33,1250,0,21000,0.75,3.25,0,0=0\n";
        const QString lookAlike = QString(shree).replace(QStringLiteral("TEXTILES"), QStringLiteral("T\u0415XTILES"));
        // clang-format off
        QTest::newRow("a net pay that does not add up") << payroll("ph,netpay,", 2, "200,99999,", shree) << "payroll.csv:2: netpay: The net pay given is 99999, but it works out to 18800: leave the column empty to have it worked out, or correct the row.";
        QTest::newRow("deductions below the contribution") << payroll("ph,td,", 2, "200,5,", shree) << "payroll.csv:2: td: The total deductions given is 5, but it works out to 200";
        QTest::newRow("a salary far beyond the rate") << payroll("earn,", 2, "99999999.99,", shree) << "payroll.csv:2: earn: The present days salary given is 99999999.99, but it works out to 19000";
        QTest::newRow("no deductions where the rules deduct") << payroll("pfemp,esiemp,ptax,", 18, "0,0,0,", oneil) << "payroll.csv:2: pfemp: The provident fund given is 0, but it works out to 1800";
        QTest::newRow("a fund beyond its ceiling") << payroll("pfwages,pfemp,", 18, "99999,99999,", oneil) << "payroll.csv:2: pfwages: The provident fund wages given is 99999, but it works out to 15000";
        QTest::newRow("a rate that is not the employee's") << payroll("monthrate,", 2, "32000,", shree) << "payroll.csv:2: monthrate: The monthly rate given is 32000, but employee number 2's rate is 19000";
        QTest::newRow("more recovered than is owed") << payroll("loanrec,", 2, "5000,", shree) << "payroll.csv:2: loanrec: The loan deduction 5000 is more than the 0 employee number 2 still owes (0 lent, 0 recovered).";
        QTest::newRow("a company nobody has") << payroll("", 2, "", "NO SUCH COMPANY") << "payroll.csv:2: company: There is no company named NO SUCH COMPANY.";
        QTest::newRow("an employee nobody has") << payroll("", 99999, "", shree) << "payroll.csv:2: ID: There is no employee number 99999.";
        QTest::newRow("a company that only looks like one") << QStringList{pay, "ID,ddate,absences,company\n2,2026-10-31,31," + lookAlike + "\n"} << "payroll.csv:2: company: There is no company named " + lookAlike + ".";
        QTest::newRow("a second transaction of a month") << QStringList{pay, "ID,ddate,absences,company\n2,2026-11-30,30," + shree + "\n"} << "payroll.csv:2: ddate: Employee number 2 has transaction 332 in November 2026 already: a second transaction of a month is imported only when asked for.";
        QTest::newRow("two of one month in the file") << QStringList{pay, "ID,ddate,absences,company\n2,2026-12-31,31," + shree + "\n2,2026-12-31,1," + shree + "\n"} << "payroll.csv:3: ddate: Employee number 2 has the transaction of line 2 in December 2026 already";
        QTest::newRow("a month closed") << QStringList{pay, "ID,ddate,absences,company\n2,2026-09-30,30," + shree + "\n"} << "payroll.csv:2: ddate: September 2026 is closed (closed by admin on ";
        QTest::newRow("a number beyond what the program gives") << QStringList{pay, "transid,ID,ddate,absences,company\n1000000000000,2,2026-12-31,31," + shree + "\n"} << "payroll.csv:2: transid: The transaction number must be a whole number from 1 to 999999999999.";
        QTest::newRow("rules dated in a closed month") << QStringList{"statrule.csv", rules + shree + ",2026-03-01" + set} << "statrule.csv:2: fromdt: Rules cannot change from March 2026: September 2026 closed by admin on ";
        QTest::newRow("rules given twice") << QStringList{"statrule.csv", rules + oneil + ",2026-12-01" + set + oneil + ",2026-12-01" + set} << "statrule.csv:3: fromdt: The rules of O'NEIL ENGINEERING WORKS from December 2026 are there already: a month has one set of rules.";
        QTest::newRow("a company mixing scripts") << QStringList{"cmpmaster.csv", "company\n" + lookAlike + "\n"} << "cmpmaster.csv:2: company: The company name mixes the letters of two scripts in \"T\u0415XTILES\"";
        QTest::newRow("a company with a double blank") << QStringList{"cmpmaster.csv", "company\nShree  Ganesh Textiles\n"} << "cmpmaster.csv:2: company: The company SHREE GANESH TEXTILES already exists.";
        QTest::newRow("a department not in the master") << QStringList{"emp.csv", "emname,dept\nNEW HAND,NOWHERE\n"} << "emp.csv:2: dept: The department NOWHERE is not in the department master: add it there first.";
        QTest::newRow("a name turned right to left") << QStringList{"emp.csv", "emname\nASHA \u202ESHARMA\n"} << "emp.csv:2: emname: The employee's name holds a character that cannot be seen (U+202E)";
        QTest::newRow("a number given out before") << QStringList{"emp.csv", "ID,emname\n3,ANOTHER\n"} << "emp.csv:2: ID: The employee number 3 is taken already.";
        QTest::newRow("a password hashed once") << QStringList{"use.csv", "usernm,pass,priv\nmallory,pbkdf2-sha256$1$c2FsdHNhbHRzYWx0c2FsdA==$MDEyMzQ1Njc4OWFiY2RlZjAxMjM0NTY3ODlhYmNkZWY=,admin\n"} << "use.csv:2: pass: The password cannot be taken as it is stored: it is a hash of 1 iterations, where Kestrel makes 120000.";
        QTest::newRow("another database's trail") << QStringList{"audit.csv", "seq,stamp,kind,hash\n1,2026-01-01 10:00:00,insert,x\n"} << "audit.csv:0: : The trail of another database is brought only into a new, empty one";
        QTest::newRow("months closed by a file") << QStringList{"closedmonth.csv", "company,month,closedby,closedat\n" + shree + ",2026-11,someone,2001-01-01 00:00:00\n"} << "closedmonth.csv:0: : Months are closed in Master";
        QTest::newRow("an increment that changes no rate") << QStringList{"incre.csv", "ID,increamt,incredt,company\n2,1000,2026-12-01," + shree + "\n"} << "incre.csv:0: : Increments, decrements and their arrears come only with the history of a new, empty database";
        QTest::newRow("a name not the employee's") << payroll("emname,", 2, "SOMEONE ELSE,", shree) << "payroll.csv:2: emname: Employee number 2 is SUNITA SHARMA, not SOMEONE ELSE.";
        QTest::newRow("a department not the employee's") << payroll("dept,", 2, "PRODUCTION,", shree) << "payroll.csv:2: dept: Employee number 2 is of the department ACCOUNTS, not PRODUCTION.";
        QTest::newRow("a group not in the master") << payroll("grp,", 2, "NOWHERE,", shree) << "payroll.csv:2: grp: The group NOWHERE is not in the group master";
        QTest::newRow("an employee number far ahead") << QStringList{"emp.csv", "ID,emname\n999999999,TYPO\n"} << "emp.csv:2: ID: The employee number 999999999 is far beyond the next ones (up to 33 for this line)";
        QTest::newRow("a transaction number far ahead") << QStringList{pay, "transid,ID,ddate,absences,company\n999999999999,2,2026-12-31,31," + shree + "\n"} << "payroll.csv:2: transid: The transaction number 999999999999 is far beyond the next ones (up to 363 for this line)";
        QTest::newRow("a user number far ahead") << QStringList{"use.csv", "ID,usernm,pass,priv\n999999999,typo,pw,user\n"} << "use.csv:2: ID: The user number must be a whole number from 1 to 4 here";
        // clang-format on
    }
    void appendedRowsMeetEveryRule()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, refusal);
        const QString before = fingerprint(*m_demo);
        const auto outcome = importFiles(m_demo->db(), files);
        QVERIFY2(outcome && !outcome->stored(), qPrintable(firstRefusal(outcome)));
        QVERIFY2(firstRefusal(outcome).startsWith(refusal), qPrintable(firstRefusal(outcome)));
        QCOMPARE(fingerprint(*m_demo), before);
    }

    // Rows that give only their inputs are paid as the window pays them, figures worked out under
    // the rules of their date (here counted by hand); a second transaction of a month is taken when
    // asked for; a company comes in capitals and unchosen; the trail records each table with its
    // file's SHA-256 and each company by name.
    void appendedRowsAreStoredAsTheWindowsStoreThem()
    {
        const qint64 last = m_demo->count("SELECT max(seq) FROM audit");
        // The first numbered in turn, the rest numbered as the window numbers them (on a server the
        // numbering goes on after it).
        const QString rows = "transid,ID,ddate,absences,company\n362,2,2026-12-31,31," + shree + "\n,18,2026-12-31,15.5," +
                             oneil + "\n,2,2026-11-30,2," + shree + "\n,1,2026-12-31,31," + shree + "\n";
        const qint64 owed = m_demo->count("SELECT (SELECT sum(loanamt) FROM loan WHERE ID = 1) - (SELECT sum(loanrec) FROM payroll WHERE ID = 1)") / 10000;
        const auto outcome = importFiles(m_demo->db(), {"payroll.csv", rows, "cmpmaster.csv", "company,selectt\nnew co,1\n",
                                                        "use.csv", "usernm,pass,priv\nauditor,secret,user\n"},
                                         true);
        QVERIFY2(outcome && outcome->stored() && outcome->intoDataInUse, qPrintable(firstRefusal(outcome)));
        const auto stored = [&](qint64 id, const char* date) {
            SqlQuery q(m_demo->db(), "SELECT emname, monthrate, earn, pfemp, esiemp, ptax, td, netpay FROM payroll"
                                     " WHERE ID = ? AND ddate = ? ORDER BY transid DESC LIMIT 1");
            q.bind(id).bind(QString::fromLatin1(date));
            return q.first([](const SqlQuery& r) {
                QStringList figures{r.text(0)};
                for (int i = 1; i < 8; ++i)
                    figures << r.amount(i).toString();
                return figures.join(u' ');
            }).value().value_or(QString());
        };
        // 19,000 in full. 30,500 for 15.5 of 31 days: 983.87 a day, 15,250 earned (15,249.985); 12 % of
        // the 15,000 ceiling to the fund; 15,250 is within the insurance's 21,000, 0.75 % of it is
        // 114.375, up 115; 200 of tax. Two days of November: 633.33 a day, 1,266.66, 1,267.
        QCOMPARE(stored(2, "2026-12-31"), QStringLiteral("SUNITA SHARMA 19000 19000 0 0 0 0 19000"));
        QCOMPARE(stored(18, "2026-12-31"), QStringLiteral("MEERA DESAI 30500 15250 1800 115 200 2115 13135"));
        QCOMPARE(stored(2, "2026-11-30"), QStringLiteral("SUNITA SHARMA 19000 1267 0 0 0 0 1267"));
        // Employee 1's latest loan deducts 2,600 a month, never more than is still owed.
        const qint64 instalment = std::min<qint64>(2600, owed);
        QCOMPARE(stored(1, "2026-12-31"), QStringLiteral("RAMESH PATEL 32000 32000 0 0 0 %1 %2").arg(instalment).arg(32000 - instalment));
        QCOMPARE(m_demo->count("SELECT count(*) FROM payroll WHERE transid = 362 AND ID = 2"), 1);
        QCOMPARE(m_demo->count("SELECT count(*) FROM cmpmaster WHERE company = 'NEW CO' AND selectt = 0"), 1);
        SqlQuery entries(m_demo->db(), "SELECT tbl || ' ' || kind || ' ' || coalesce(note, '') || coalesce(newvalues, '')"
                                       " FROM audit WHERE seq > ? ORDER BY seq");
        entries.bind(last);
        const QStringList trail = entries.rows([](const SqlQuery& r) { return r.text(0); }).value();
        QCOMPARE(trail.size(), 5);
        QVERIFY2(trail.at(0).contains("use insert ID=") && trail.at(0).contains("usernm=auditor") &&
                     trail.at(2).contains("cmpmaster insert company=NEW CO") &&
                     trail.at(4).contains(QRegularExpression("payroll import 4 rows imported from .*SHA-256 [0-9a-f]{64}")),
                 qPrintable(trail.join('\n')));
        QVERIFY(audit::verify(m_demo->db())->intact());
    }

    // Random months paid from their inputs through the import are, to the paisa, the months saved
    // through the payroll window's repository in a twin database: every column stored. Half of them
    // leave the advances and the loan deduction to the import, as the window offers them.
    void aMonthFromInputsIsTheWindowsMonth_data()
    {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<int>("divisor");
        for (quint32 seed = 1; seed <= 6; ++seed)
            QTest::newRow(qPrintable(QStringLiteral("month %1").arg(seed))) << seed * 7919 << (seed % 3 == 0 ? 0 : seed % 3 == 1 ? 30 : 26);
    }
    void aMonthFromInputsIsTheWindowsMonth()
    {
        QFETCH(quint32, seed);
        QFETCH(int, divisor);
        TestDatabase imported, saved;
        for (TestDatabase* t : {&imported, &saved})
            prepare(t->db(), statutory::Divisor(divisor));
        QList<PayrollTransaction> month = randomMonth(seed);
        const bool offered = seed % 2 == 0;
        // Months of two and three transactions, let in as second ones, dated before the month's end:
        // each pays the month's days and deductions once, as the window's saves do.
        if (!offered)
            for (const auto& [index, day] : {std::pair(1, 15), std::pair(2, 10), std::pair(2, 20)}) {
                PayrollTransaction more = month.at(index);
                more.payDate = QDate(more.payDate.year(), more.payDate.month(), day);
                more.daysPresent = Currency::fromUnits(qint64(day) * 5000);
                more.loanRecovered = Currency();
                month << more;
            }
        QStringList lines{offered ? QString(inputsHeader).remove(",advances,loanrec") : inputsHeader};
        for (const PayrollTransaction& t : month) {
            lines << (offered ? csvOf(t, {}).remove(QRegularExpression(",[^,]*,[^,]*(?=,[^,]*$)")) : csvOf(t, {}));
            // What the window sends: the employee's details beside the typed inputs, and what it offers.
            const Employee e = EmployeeRepository(saved.db()).find(t.employeeId)->value();
            PayrollTransaction window = t;
            window.name = e.name;
            window.monthRate = e.basicRate.rounded(0).value();
            window.totalLoan = LoanRepository(saved.db()).totalLent(t.employeeId).value();
            if (offered) {
                window.advances = AdvanceRepository(saved.db()).monthTotal(t.employeeId, t.payDate).value();
                window.loanRecovered = offeredLoanDeduction(LoanRepository(saved.db()).latestMonthlyDeduction(t.employeeId).value(),
                                                            window.totalLoan, PayrollRepository(saved.db()).loanRecovered(t.employeeId).value());
            }
            QVERIFY(PayrollRepository(saved.db()).save(window, 3));
        }
        const auto outcome = importFiles(imported.db(), {"payroll.csv", lines.join('\n')}, !offered);
        QVERIFY2(outcome && outcome->stored(), qPrintable(firstRefusal(outcome)));
        const auto rows = [](TestDatabase& t) {
            auto all = PayrollRepository(t.db()).select(PayrollSelection::range("RULED", {2026, 1, 1}, {2026, 12, 31})).value() +
                       PayrollRepository(t.db()).select(PayrollSelection::range("PLAIN", {2026, 1, 1}, {2026, 12, 31})).value();
            for (PayrollTransaction& row : all)
                row.transId = 0;
            return all;
        };
        QCOMPARE(rows(imported), rows(saved));
    }

    // A row that gives every figure as the window stored it is taken; one paisa off in any worked-out
    // figure, it is refused, naming the column, the figure given and the one worked out.
    void aFigureOffByAPaisaIsRefused_data()
    {
        QTest::addColumn<QString>("column");
        QTest::newRow("none") << QString();
        for (const char* column : {"monthrate", "totloan", "earn", "tad", "td", "netpay", "pfwages", "pswages", "pfemp",
                                   "pfpen", "pfer", "esiwages", "esiemp", "esier", "ptax"})
            QTest::newRow(column) << QString::fromLatin1(column);
    }
    void aFigureOffByAPaisaIsRefused()
    {
        QFETCH(QString, column);
        TestDatabase imported, saved;
        for (TestDatabase* t : {&imported, &saved})
            prepare(t->db(), statutory::Divisor::Calendar);
        // Worker 3 in March: under the insurance's limit, exempt from it from March on; so worker 4 in
        // April for the insurance, and worker 3 for the rest.
        PayrollTransaction t = randomMonth(11).at(column.startsWith("esi") ? 0 : 2);
        t.company = "RULED";
        t.payDate = QDate(2026, 4, 30);
        const Employee e = EmployeeRepository(saved.db()).find(t.employeeId)->value();
        t.name = e.name;
        t.monthRate = e.basicRate.rounded(0).value();
        t.totalLoan = LoanRepository(saved.db()).totalLent(t.employeeId).value();
        t = PayrollRepository(saved.db()).save(t, 0)->stored;
        const QStringList figures = {"monthrate", "totloan", "earn", "tad", "td", "netpay", "pfwages", "pswages", "pfemp",
                                     "pfpen", "pfer", "esiwages", "esiemp", "esier", "ptax"};
        QStringList cells = csvOf(t, figures).split(u',');
        const qsizetype at = 12 + figures.indexOf(column);
        const QString right = cells.value(at);
        if (!column.isEmpty())
            cells[at] = Currency::parse(right)->plus(c("0.01"))->toString();
        const auto outcome = importFiles(imported.db(), {"payroll.csv", inputsHeader + ',' + figures.join(u',') + '\n' + cells.join(u',')});
        QVERIFY(outcome);
        QCOMPARE(outcome->stored(), column.isEmpty());
        if (!column.isEmpty())
            QVERIFY2(firstRefusal(outcome).startsWith(QStringLiteral("payroll.csv:2: %1: ").arg(column)) &&
                         firstRefusal(outcome).contains(QStringLiteral(" given is %1, but ").arg(cells.at(at))) &&
                         firstRefusal(outcome).contains(QStringLiteral(" %1: leave").arg(right)),
                     qPrintable(firstRefusal(outcome)));
    }

    // Numbers a file may give are those the program could give itself, and it gives none beyond
    // them: whatever was imported, an export of the database can be imported again.
    void numbersStayWithinWhatAFileCarries()
    {
        // The history of another system keeps its numbers, the largest ones too.
        TestDatabase t;
        const auto outcome = importFiles(t.db(), {"cmpmaster.csv", "company\nACME\n", "emp.csv", "ID,emname\n999999999,LAST\n", "payroll.csv",
                                                  "transid,ID,ddate,absences,company\n999999999999,999999999,2026-01-31,31,ACME\n"});
        QVERIFY2(outcome && outcome->stored(), qPrintable(firstRefusal(outcome)));
        Employee next;
        next.name = "ONE MORE";
        QCOMPARE(EmployeeRepository(t.db()).insert(next).error(), QStringLiteral("Every employee number up to 999999999 has been given out."));
        PayrollTransaction more = PayrollRepository(t.db()).find(999999999999).value().value();
        more.transId = 0;
        QCOMPARE(PayrollRepository(t.db()).insert(more).error(), QStringLiteral("Every transaction number up to 999999999999 has been given out."));
        QCOMPARE(firstRefusal(importFiles(t.db(), {"emp.csv", "emname\nANOTHER\n"})), QStringLiteral("emp.csv:2: ID: Every employee number up to 999999999 has been given out."));
        QTemporaryDir folder;
        QVERIFY(exportFolder(t.db(), folder.path()));
        TestDatabase copy;
        const auto again = importFolder(copy.db(), folder.path(), {});
        QVERIFY2(again && again->stored(), qPrintable(firstRefusal(again)));
    }

    // A company deleted keeps its rows, and a new company of its name does not take them unasked:
    // the import, which cannot ask, refuses it and says what is left.
    void aDeletedCompanyStaysDeleted()
    {
        const qint64 paid = m_demo->count("SELECT count(*) FROM payroll WHERE company = 'O''NEIL ENGINEERING WORKS'");
        QVERIFY(CompanyRepository(m_demo->db()).remove(oneil));
        QCOMPARE(firstRefusal(importFiles(m_demo->db(), {"cmpmaster.csv", "company\nO'Neil Engineering Works\n"})),
                 QStringLiteral("cmpmaster.csv:2: company: The company O'NEIL ENGINEERING WORKS was deleted, and its rows "
                                "are still in the database: %1 payroll transactions, 3 loans, 18 advances, 1 set of "
                                "statutory rules and 10 closed months. Bring them back with it in the company master, or "
                                "give the new company another name.")
                     .arg(paid));
    }

private:
    std::unique_ptr<TestDatabase> m_demo;
};

QTEST_GUILESS_MAIN(TestImportDoors)
#include "test_import_doors.moc"
