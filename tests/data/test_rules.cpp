#include "data/advance_repository.h"
#include "data/company_repository.h"
#include "data/employee_repository.h"
#include "data/loan_repository.h"
#include "data/master_repository.h"
#include "data/payroll_repository.h"
#include "data/revision_repository.h"
#include "data/schema.h"
#include "data/session.h"
#include "data/table_transfer.h"
#include "data/user_repository.h"
#include "support/test_database.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The same bad records through every door: the import lists each as file:line: column: reason, the
// repositories refuse it with the same reason, and nothing is stored.
namespace {

// The cells of one CSV line by column (the lines here hold no quoted commas).
QHash<QString, QString> cells(const QString& header, const QString& line)
{
    const QStringList names = header.split(u',');
    const QStringList values = line.split(u',');
    QHash<QString, QString> row;
    for (int i = 0; i < names.size(); ++i)
        row.insert(names.at(i), values.value(i));
    return row;
}

// The record through its repository, as a window or the command line would store it.
Status throughRepository(const Database& db, const QString& table, const QHash<QString, QString>& r)
{
    const auto amount = [&r](const QString& column) { return Currency::parse(r.value(column)).value_or(Currency()); };
    const auto date = [&r](const QString& column) { return QDate::fromString(r.value(column), Qt::ISODate); };
    const auto number = [&r](const QString& column) { return r.value(column).toLongLong(); };
    // A ledger's row names a company and an employee that are there.
    if (table == "payroll" || table == "loan" || table == "adv")
        ensureKnown(db, {"ACME"}, {{1, "A"}});
    if (table == "emp") {
        Employee e{number("ID"), r.value("emname"), {}, {}, {}, {}, {}, {}, amount("basicrate"), {}, {}, {}};
        e.bank = {bank::modeFromStored(r.value("paymode")).value_or(bank::PayMode::Transfer), {}, r.value("acno"),
                  r.value("ifsc"), {}};
        return EmployeeRepository(db).insert(e).status();
    }
    if (table == "payroll") {
        PayrollTransaction t;
        t.transId = number("transid");
        t.employeeId = number("ID");
        t.payDate = date("ddate");
        t.daysPresent = amount("absences");
        t.bonus = amount("bonus");
        t.netPay = amount("netpay");
        t.company = r.value("company");
        return PayrollRepository(db).insert(t).status();
    }
    if (table == "loan")
        return LoanRepository(db).insert(
            {number("ID"), {}, amount("loanamt"), amount("permonthded"), date("ldt"), {}, {}, r.value("company")});
    if (table == "adv")
        return AdvanceRepository(db).insert({number("ID"), {}, amount("advamt"), date("advdt"), {}, r.value("company")});
    if (table == "incre" || table == "decre") {
        // A revision changes an employee's rate: one earning 1,000.
        const Currency rate = Currency::fromUnits(10000000);
        const Employee earning{number("ID"), "A", {}, {}, {}, {}, {}, {}, rate, {}, {}, {}};
        if (Status s = EmployeeRepository(db).insert(earning).status(); !s)
            return s;
        if (table == "incre")
            return RevisionRepository(db).saveIncrement(
                {number("ID"), {}, amount("increamt"), date("incredt"), {}, {}, {}, r.value("company")}, {}, rate,
                rate.plus(amount("increamt")).value_or(rate));
        return RevisionRepository(db).saveDecrement(
            {number("ID"), {}, amount("decreamt"), date("decredt"), {}, {}, {}, r.value("company")}, rate,
            rate.minus(amount("decreamt")).value_or(rate));
    }
    if (table == "use")
        return UserRepository(db).add(r.value("usernm"), r.value("pass"), r.value("priv")).status();
    if (table == "dept")
        return MasterRepository(db, MasterRepository::Kind::Department).add(r.value("dept")).status();
    if (table == "cmpmaster")
        return CompanyRepository(db).add(r.value("company"), r.value("addr")).status();
    return Status::failure("no door for " + table);
}

} // namespace

class TestRules : public QObject {
    Q_OBJECT
private slots:
    void everyDoorRefusesTheSame_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("column"); // empty: every door takes the record
        QTest::addColumn<QString>("reason");
        QTest::addColumn<bool>("repositoryToo"); // a number of 0 is the repository's "give the next one"
        const auto row = [](const char* name, const QString& table, const QString& header, const QString& line,
                            const QString& column = {}, const QString& reason = {}, bool repositoryToo = true) {
            QTest::newRow(name) << table << header << line << column << reason << repositoryToo;
        };
        // clang-format off
        const QString emp = "ID,emname", rate = "ID,emname,basicrate", banked = "ID,emname,paymode,acno,ifsc";
        const QString pay = "transid,ID,ddate,absences,bonus,netpay,company", loan = "ID,loanamt,permonthded,ldt,company";
        const QString user = "ID,usernm,pass,priv", upload = "company,addr,bankcols";
        const QString employeeNumber = "The employee number must be a whole number from 1 to 999999999.";
        const auto control = [](const QString& what) { return what + " holds a control character (such as NUL or escape), which cannot be stored."; };
        const auto account = [](const QString& it) { return "The account number must be 6 to 18 digits (it is \"" + it + "\")."; };
        const auto branch = [](const QString& it) { return "The branch code must be four letters, a zero and six letters or digits, like SBIN0001234 (it is \"" + it + "\")."; };
        row("employee number 0", "emp", emp, "0,A", "ID", employeeNumber, false);
        row("employee number -5", "emp", emp, "-5,A", "ID", employeeNumber);
        row("employee number at the 64-bit end", "emp", emp, "9223372036854775807,A", "ID", employeeNumber);
        row("no name", "emp", emp, "1,  ", "emname", "Please enter the employee's name.");
        row("a NUL in a name", "emp", emp, QString("1,A") + QChar(0) + "B", "emname", control("The employee's name"));
        row("a name too long", "emp", emp, "1," + QString(101, u'N'), "emname", "The employee's name can be 100 characters long at the most (it has 101).");
        row("a negative basic rate", "emp", rate, "1,A,-1", "basicrate", "The basic rate cannot be negative.");
        row("a basic rate beyond the boxes", "emp", rate, "1,A,100000000", "basicrate", "The basic rate can be 99999999.99 at the most.");
        row("a transaction number at the 64-bit end", "payroll", pay, "9223372036854775807,1,2026-01-31,31,0,0,ACME", "transid", "The transaction number must be a whole number from 1 to 999999999999.");
        row("pay of employee 0", "payroll", pay, "1,0,2026-01-31,31,0,0,ACME", "ID", employeeNumber);
        row("no pay date", "payroll", pay, "1,1,,31,0,0,ACME", "ddate", "Please enter the pay date.");
        row("32 days of January", "payroll", pay, "1,1,2026-01-31,32,0,0,ACME", "absences", "The days present cannot be more than the 31 days of January 2026.");
        row("a third decimal of days", "payroll", pay, "1,1,2026-01-31,30.125,0,0,ACME", "absences", "The days present can have two decimals at the most.");
        row("a negative bonus", "payroll", pay, "1,1,2026-01-31,31,-5,0,ACME", "bonus", "The bonus cannot be negative.");
        row("a net pay that would overflow a total", "payroll", pay, "1,1,2026-01-31,31,0,922337203685477,ACME", "netpay", "The net pay can be 99999999.99 at the most.");
        row("pay of no company", "payroll", pay, "1,1,2026-01-31,31,0,0,", "company", "Please enter the company.");
        row("a loan of 0", "loan", loan, "1,0,0,2026-01-05,ACME", "loanamt", "The loan amount must be above 0.");
        row("a negative instalment", "loan", loan, "1,100,-1,2026-01-05,ACME", "permonthded", "The per month deduction cannot be negative.");
        row("an instalment above the loan", "loan", loan, "1,100,101,2026-01-05,ACME", "permonthded", "The per month deduction (101) cannot be more than the loan amount (100).");
        row("a negative advance", "adv", "ID,advamt,advdt,company", "1,-5,2026-01-05,ACME", "advamt", "The advance amount must be above 0.");
        row("an increment in paise", "incre", "ID,increamt,incredt,company", "1,500.50,2026-01-05,ACME", "increamt", "The increment amount must be whole rupees.");
        row("a decrement in paise", "decre", "ID,decreamt,decredt,company", "1,0.5,2026-01-05,ACME", "decreamt", "The decrement amount must be whole rupees.");
        row("an empty password", "use", user, "1,ann,,admin", "pass", "Please enter password.");
        row("an unknown privilege", "use", user, "1,ann,pw,Supervisor", "priv", "The privilege \"Supervisor\" is neither \"admin\" nor \"user\".");
        row("an escape in a department", "dept", "dept", QString("STO") + QChar(27) + "RES", "dept", control("The department name"));
        row("an account number with letters", "emp", banked, "1,A,bank,12AB5678,", "acno", account("12AB5678"));
        row("an account number too short", "emp", banked, "1,A,bank,12345,", "acno", account("12345"));
        row("a branch code without its zero", "emp", banked, "1,A,bank,123456,SBIN1234567", "ifsc", branch("SBIN1234567"));
        row("a branch code too short", "emp", banked, "1,A,bank,123456,SBIN012345", "ifsc", branch("SBIN012345"));
        row("a payment by card", "emp", banked, "1,A,card,,", "paymode", "The payment mode must be bank, cheque or cash (it is \"card\").", false);
        row("a company account too short", "cmpmaster", "company,addr,bankacno,bankifsc", "ACME,x,12345,SBIN0001234", "bankacno", account("12345"), false);
        row("an upload column without a field", "cmpmaster", upload, "ACME,x,amount|Amount", "bankcols", "The upload file's columns must read like field|heading|value;... with fields such as serial, account, ifsc, amount, fixed.", false);
        row("an upload column without a heading", "cmpmaster", upload, "ACME,x,amount||", "bankcols", "Column 1 of the upload file has no heading.", false);
        row("an upload file without the amount", "cmpmaster", upload, "ACME,x,account|A|;ifsc|I|", "bankcols", "The upload file needs a column of the net pay.", false);
        row("a company name too long", "cmpmaster", "company,addr", QString(101, u'C') + ",x", "company", "The company name can be 100 characters long at the most (it has 101).");
        // Good values at the edges pass every door.
        row("an account of 18 digits", "emp", banked, "1,A,bank,123456789012345678,HDFC0ABC123");
        row("paid by cheque without an account", "emp", banked, "1,A,cheque,,");
        row("an account and a code as typed, stored as the windows store them", "emp", banked, "1,A,CHEQUE,1234 5678,sbin0001234");
        row("the largest basic rate", "emp", rate, "1,A,99999999.99");
        row("a loan of one paisa", "loan", loan, "1,0.01,0,2026-01-05,ACME");
        row("an instalment of the whole loan", "loan", loan, "1,100,100,2026-01-05,ACME");
        row("all 31 days of January", "payroll", pay, "1,1,2026-01-31,31,0,0,ACME");
        row("a quarter day", "payroll", pay, "1,1,2026-01-31,30.25,0,0,ACME");
        row("a net pay below zero", "payroll", pay, "1,1,2026-01-31,31,0,-500,ACME");
        row("a decrement of whole rupees", "decre", "ID,decreamt,decredt,company", "1,500,2026-01-05,ACME");
        row("ADMIN in capitals with blanks", "use", user, "1,ann,pw, ADMIN ");
        // clang-format on
    }
    void everyDoorRefusesTheSame()
    {
        QFETCH(QString, table);
        QFETCH(QString, header);
        QFETCH(QString, line);
        QFETCH(QString, column);
        QFETCH(QString, reason);
        QFETCH(bool, repositoryToo);

        TestDatabase imported;
        QTemporaryDir folder;
        const auto write = [&](const QString& name, const QString& text) {
            QFile file(folder.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(text.toUtf8());
        };
        write(table + ".csv", header + "\n" + line + "\n");
        // A ledger's row names a company and an employee that are there.
        if (table == "payroll" || table == "loan" || table == "adv" || table == "incre" || table == "decre") {
            write("cmpmaster.csv", "company\nACME\n");
            write("emp.csv", "ID,emname\n1,A\n");
        }
        const auto outcome = transfer::importFolder(imported.db(), folder.path(), {});
        QVERIFY2(outcome, qPrintable(outcome.error()));
        if (reason.isEmpty()) {
            QVERIFY2(outcome->stored(), qPrintable(outcome->refusals.value(0).reason));
            TestDatabase stored;
            const Status accepted = throughRepository(stored.db(), table, cells(header, line));
            QVERIFY2(accepted, qPrintable(accepted.error()));
            return;
        }
        QCOMPARE(outcome->refused, 1);
        const transfer::Refusal& refusal = outcome->refusals.first();
        QCOMPARE(QStringLiteral("%1:%2: %3: %4").arg(refusal.file).arg(refusal.line).arg(refusal.column, refusal.reason),
                 QStringLiteral("%1.csv:2: %2: %3").arg(table, column, reason));
        QVERIFY(schema::holdsNoData(imported.db()).value());

        if (!repositoryToo)
            return;
        TestDatabase stored;
        const Status refused = throughRepository(stored.db(), table, cells(header, line));
        QCOMPARE(refused.error(), reason);
        QCOMPARE(stored.count(QStringLiteral("SELECT count(*) FROM %1").arg(table == "use" ? "\"use\"" : table)), 0);
    }

    // A name is refused when it would look like one there already, whatever the letters it is made of,
    // or when a letter in it cannot be seen or passes for another script's; the existing one is named.
    void namesThatLookAlikeAreOne_data()
    {
        QTest::addColumn<QString>("master"); // cmpmaster, dept, grp or use
        QTest::addColumn<QString>("existing");
        QTest::addColumn<QString>("added");
        QTest::addColumn<QString>("refusal"); // empty: added
        // clang-format off
        QTest::newRow("other letter case and blanks") << "dept" << "STORES" << " stores " << "The department STORES already exists.";
        QTest::newRow("a user in capitals") << "use" << "ravi" << "RAVI" << "The user ravi already exists.";
        QTest::newRow("every letter Cyrillic") << "cmpmaster" << "ACME" << "\u0410\u0421\u041C\u0415" << "\"\u0410\u0421\u041C\u0415\" would look the same as the company ACME, which exists already: choose a name that reads differently.";
        QTest::newRow("wide letters") << "cmpmaster" << "ACME" << "\uFF21\uFF23\uFF2D\uFF25" << "would look the same as the company ACME";
        QTest::newRow("an accent typed apart") << "cmpmaster" << "CAF\u00C9" << "Cafe\u0301" << "The company CAF\u00C9 already exists.";
        QTest::newRow("a space nobody sees") << "grp" << "NIGHT" << "NIGHT\u200B" << "The group name holds a character that cannot be seen (U+200B)";
        QTest::newRow("a word of two scripts") << "dept" << "SALES" << "T\u0415ST" << "The department name mixes the letters of two scripts in \"T\u0415ST\"";
        QTest::newRow("a spreadsheet's apostrophe") << "cmpmaster" << "O'NEIL WORKS" << "O\u2019NEIL WORKS" << "would look the same as the company O'NEIL WORKS";
        QTest::newRow("Cherokee letters") << "cmpmaster" << "SHREE" << "\u13DA\u13BB\u13A1\u13AC\u13AC" << "would look the same as the company SHREE";
        QTest::newRow("a variation selector") << "cmpmaster" << "SHREE" << "SHREE\uFE0F" << "The company name holds a character that cannot be seen (U+FE0F)";
        QTest::newRow("a tag beyond the first plane") << "grp" << "NIGHT" << "NIGHT" + QString::fromUcs4(U"\U000E0041") << "The group name holds a character that cannot be seen (U+E0041)";
        QTest::newRow("another name") << "cmpmaster" << "ACME" << "ACME MILLS" << "";
        QTest::newRow("a joiner Hindi needs") << "dept" << "SALES" << "\u0915\u094D\u200D\u0937" << "";
        // clang-format on
    }
    void namesThatLookAlikeAreOne()
    {
        QFETCH(QString, master);
        QFETCH(QString, existing);
        QFETCH(QString, added);
        QFETCH(QString, refusal);
        TestDatabase t;
        const auto add = [&](const QString& name) -> Status {
            if (master == "cmpmaster")
                return CompanyRepository(t.db()).add(name, {}).status();
            if (master == "use")
                return UserRepository(t.db()).add(name, "pw", "user").status();
            return MasterRepository(t.db(), master == "dept" ? MasterRepository::Kind::Department
                                                             : MasterRepository::Kind::Group)
                .add(name)
                .status();
        };
        QVERIFY(add(existing));
        const Status outcome = add(added);
        QVERIFY2(refusal.isEmpty() ? outcome.ok() : outcome.error().contains(refusal), qPrintable(outcome.error()));
    }

    // The two privileges, read trimmed and in any case; anything else restricts.
    void privileges_data()
    {
        QTest::addColumn<QString>("privilege");
        QTest::addColumn<bool>("recognised");
        QTest::addColumn<bool>("restricted");
        // clang-format off
        QTest::newRow("admin") << "admin" << true << false;
        QTest::newRow("Admin with blanks") << " Admin " << true << false;
        QTest::newRow("user") << "user" << true << true;
        QTest::newRow("USER") << "USER" << true << true;
        QTest::newRow("empty") << "" << false << true;
        QTest::newRow("administrator") << "administrator" << false << true;
        // clang-format on
    }
    void privileges()
    {
        QFETCH(QString, privilege);
        QFETCH(bool, recognised);
        QFETCH(bool, restricted);
        QCOMPARE(rules::recognisedPrivilege(privilege).has_value(), recognised);
        QCOMPARE((Session{{}, {}, privilege}.isRestricted()), restricted);
    }
};

QTEST_GUILESS_MAIN(TestRules)
#include "test_rules.moc"
