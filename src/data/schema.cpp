#include "schema.h"

#include "data/database.h"
#include "data/sql_query.h"

#include <QStringList>

namespace schema {

namespace {

// Amounts and days are INTEGER ten-thousandths; dates are ISO text; times HH:mm:ss text.
const QStringList version1 = {
    QStringLiteral("CREATE TABLE emp ("
                   " ID INTEGER PRIMARY KEY AUTOINCREMENT,"
                   " emname TEXT, gender TEXT, status TEXT, address TEXT, dept TEXT, pos TEXT,"
                   " empstat TEXT, basicrate INTEGER, dateemployed TEXT, empphoto TEXT, grp TEXT)"),
    QStringLiteral("CREATE TABLE payroll ("
                   " transid INTEGER PRIMARY KEY AUTOINCREMENT,"
                   " ID INTEGER, emname TEXT, monthrate INTEGER, ddate TEXT,"
                   " bonus INTEGER, ot INTEGER, totloan INTEGER, ph INTEGER, intax INTEGER, others INTEGER,"
                   " absences INTEGER, earn INTEGER, advances INTEGER, tad INTEGER, td INTEGER,"
                   " loanrec INTEGER, travel INTEGER, netpay INTEGER, dept TEXT, grp TEXT, company TEXT)"),
    QStringLiteral("CREATE TABLE loan (ID INTEGER, emname TEXT, loanamt INTEGER, permonthded INTEGER,"
                   " ldt TEXT, ltm TEXT, dept TEXT, company TEXT)"),
    QStringLiteral("CREATE TABLE adv (ID INTEGER, emname TEXT, advamt INTEGER, advdt TEXT, advtm TEXT,"
                   " company TEXT)"),
    QStringLiteral("CREATE TABLE incre (ID INTEGER, emname TEXT, increamt INTEGER, incredt TEXT,"
                   " incretm TEXT, fromdt TEXT, todt TEXT, company TEXT)"),
    QStringLiteral("CREATE TABLE decre (ID INTEGER, emname TEXT, decreamt INTEGER, decredt TEXT,"
                   " decretm TEXT, company TEXT)"),
    QStringLiteral("CREATE TABLE arr (ID INTEGER, emname TEXT, increamt INTEGER, incredt TEXT,"
                   " noofpre INTEGER, amtpaid INTEGER, company TEXT, ddat1 TEXT)"),
    QStringLiteral("CREATE TABLE dept (dept TEXT NOT NULL COLLATE NOCASE UNIQUE)"),
    QStringLiteral("CREATE TABLE grp (grp TEXT NOT NULL COLLATE NOCASE UNIQUE)"),
    QStringLiteral("CREATE TABLE cmpmaster (company TEXT NOT NULL COLLATE NOCASE UNIQUE, addr TEXT,"
                   " selectt INTEGER NOT NULL DEFAULT 0)"),
    QStringLiteral("CREATE TABLE \"use\" (ID INTEGER PRIMARY KEY AUTOINCREMENT, usernm TEXT, pass TEXT,"
                   " priv TEXT)"),
    QStringLiteral("CREATE TABLE passwd (delpass TEXT)"),
    QStringLiteral("CREATE INDEX payroll_company_date ON payroll (company, ddate)"),
    QStringLiteral("CREATE INDEX payroll_employee ON payroll (ID, ddate)"),
    QStringLiteral("CREATE INDEX loan_employee ON loan (ID, ldt)"),
    QStringLiteral("CREATE INDEX adv_employee ON adv (ID, advdt)"),
    QStringLiteral("CREATE INDEX arr_employee ON arr (ID, ddat1)"),
    QStringLiteral("CREATE INDEX use_name ON \"use\" (usernm)"),
};

// The loan repaid so far is a sum over every payroll row of an employee; with rows laid out month by
// month it would read a page per month without an index that covers it. The info table keeps facts
// about the file itself, such as whether it is the demo database.
const QStringList version2 = {
    QStringLiteral("CREATE INDEX payroll_employee_loanrec ON payroll (ID, loanrec)"),
    QStringLiteral("CREATE TABLE kestrel_info (name TEXT PRIMARY KEY, value TEXT)"),
};

// The reports select one company's rows over a range of dates, of one department for some; the loan
// and advance reports would otherwise read every entry of every company.
const QStringList version3 = {
    QStringLiteral("CREATE INDEX payroll_company_dept_date ON payroll (company, dept, ddate)"),
    QStringLiteral("CREATE INDEX loan_company_date ON loan (company, ldt)"),
    QStringLiteral("CREATE INDEX adv_company_date ON adv (company, advdt)"),
};

// The audit trail, appended to and never changed (its entries are chained by their hashes), and
// the months closed to change. The trail is read by time and by employee.
const QStringList version4 = {
    QStringLiteral("CREATE TABLE audit (seq INTEGER PRIMARY KEY, stamp TEXT NOT NULL, usernm TEXT, workstation TEXT,"
                   " company TEXT, tbl TEXT, rowkey TEXT, employee INTEGER, kind TEXT NOT NULL, oldvalues TEXT,"
                   " newvalues TEXT, note TEXT, hash TEXT NOT NULL)"),
    QStringLiteral("CREATE INDEX audit_stamp ON audit (stamp)"),
    QStringLiteral("CREATE INDEX audit_employee ON audit (employee, stamp)"),
    QStringLiteral("CREATE TABLE closedmonth (company TEXT NOT NULL, month TEXT NOT NULL, closedby TEXT,"
                   " closedat TEXT, PRIMARY KEY (company, month))"),
};

// The statutory deductions: each company's dated rules, each employee's numbers for the returns and
// exemptions, and each payroll row's figures. Rows stored before keep their figures (empty, read as 0).
const QStringList version5 = {
    QStringLiteral("CREATE TABLE statrule (company TEXT NOT NULL, fromdt TEXT NOT NULL, divisor INTEGER NOT NULL,"
                   " pfon INTEGER NOT NULL, pfrate INTEGER, pfceil INTEGER, pffull INTEGER, penrate INTEGER,"
                   " pencap INTEGER, esion INTEGER NOT NULL, esilimit INTEGER, esirate INTEGER, esierrate INTEGER,"
                   " pton INTEGER NOT NULL, ptslabs TEXT)"),
    QStringLiteral("CREATE UNIQUE INDEX statrule_company_from ON statrule (company, fromdt)"),
    QStringLiteral("ALTER TABLE emp ADD COLUMN pfno TEXT"),
    QStringLiteral("ALTER TABLE emp ADD COLUMN esino TEXT"),
    QStringLiteral("ALTER TABLE emp ADD COLUMN pfexfrom TEXT"),
    QStringLiteral("ALTER TABLE emp ADD COLUMN esiexfrom TEXT"),
    QStringLiteral("ALTER TABLE emp ADD COLUMN ptexfrom TEXT"),
    QStringLiteral("ALTER TABLE payroll ADD COLUMN pfwages INTEGER"),
    QStringLiteral("ALTER TABLE payroll ADD COLUMN pswages INTEGER"),
    QStringLiteral("ALTER TABLE payroll ADD COLUMN pfemp INTEGER"),
    QStringLiteral("ALTER TABLE payroll ADD COLUMN pfpen INTEGER"),
    QStringLiteral("ALTER TABLE payroll ADD COLUMN pfer INTEGER"),
    QStringLiteral("ALTER TABLE payroll ADD COLUMN esiwages INTEGER"),
    QStringLiteral("ALTER TABLE payroll ADD COLUMN esiemp INTEGER"),
    QStringLiteral("ALTER TABLE payroll ADD COLUMN esier INTEGER"),
    QStringLiteral("ALTER TABLE payroll ADD COLUMN ptax INTEGER"),
};

// Paying salaries through the bank: each employee's way of being paid and account, each company's
// own account and the columns of its bank's upload file. Employees stored before are paid by bank
// transfer without details, so that they are listed for the clerk to mend, never left out.
const QStringList version6 = {
    QStringLiteral("ALTER TABLE emp ADD COLUMN paymode TEXT"),
    QStringLiteral("ALTER TABLE emp ADD COLUMN acholder TEXT"),
    QStringLiteral("ALTER TABLE emp ADD COLUMN acno TEXT"),
    QStringLiteral("ALTER TABLE emp ADD COLUMN ifsc TEXT"),
    QStringLiteral("ALTER TABLE emp ADD COLUMN bankname TEXT"),
    QStringLiteral("ALTER TABLE cmpmaster ADD COLUMN bankname TEXT"),
    QStringLiteral("ALTER TABLE cmpmaster ADD COLUMN bankacno TEXT"),
    QStringLiteral("ALTER TABLE cmpmaster ADD COLUMN bankifsc TEXT"),
    QStringLiteral("ALTER TABLE cmpmaster ADD COLUMN bankcols TEXT"),
};

// An employee's months are read for their loan recoveries (the loan window, the loan still owed at
// each save): an index holding what is read answers from a few of its pages, where the rows
// themselves lie one month's page apart. It serves what the two it replaces served.
const QStringList version7 = {
    QStringLiteral("DROP INDEX payroll_employee_loanrec"),
    QStringLiteral("DROP INDEX payroll_employee"),
    QStringLiteral("CREATE INDEX payroll_employee ON payroll (ID, ddate, transid, loanrec, company, emname)"),
};

// The employee's month as the law sees it: which heads of pay each deduction counts (empty: the
// public rules' own, see statutory::Rules), and the employee's date of birth and place in the
// pension scheme (empty: a member).
const QStringList version8 = {
    QStringLiteral("ALTER TABLE statrule ADD COLUMN pfheads TEXT"),
    QStringLiteral("ALTER TABLE statrule ADD COLUMN esiheads TEXT"),
    QStringLiteral("ALTER TABLE statrule ADD COLUMN esicover TEXT"),
    QStringLiteral("ALTER TABLE statrule ADD COLUMN ptheads TEXT"),
    QStringLiteral("ALTER TABLE emp ADD COLUMN birthdate TEXT"),
    QStringLiteral("ALTER TABLE emp ADD COLUMN penmember INTEGER"),
};

// Each entry upgrades the file from the version before it.
const QList<QStringList>& migrations()
{
    static const QList<QStringList> all = {version1, version2, version3, version4, version5, version6, version7, version8};
    return all;
}

// Statements of a version that each backend writes its own way: the guard that refuses every
// change to the trail's entries, whatever program makes it.
QStringList ownStatements(Backend backend, int version)
{
    if (version != 4)
        return {};
    if (backend == Backend::SQLite)
        return {QStringLiteral("CREATE TRIGGER audit_kept_update BEFORE UPDATE ON audit"
                               " BEGIN SELECT RAISE(ABORT, 'the audit trail cannot be changed'); END"),
                QStringLiteral("CREATE TRIGGER audit_kept_delete BEFORE DELETE ON audit"
                               " BEGIN SELECT RAISE(ABORT, 'the audit trail cannot be changed'); END")};
    return {QStringLiteral("CREATE FUNCTION audit_kept() RETURNS trigger LANGUAGE plpgsql AS"
                           " $$BEGIN RAISE EXCEPTION 'the audit trail cannot be changed'; END$$"),
            QStringLiteral("CREATE TRIGGER audit_kept BEFORE UPDATE OR DELETE OR TRUNCATE ON audit"
                           " FOR EACH STATEMENT EXECUTE FUNCTION audit_kept()")};
}

} // namespace

int latestVersion()
{
    return int(migrations().size());
}

int currentVersion(const Database& database)
{
    SqlQuery query(database, QStringLiteral("SELECT max(version) FROM schema_version"));
    if (!query.exec() || !query.next())
        return 0;
    return int(query.number(0));
}

namespace {

// How many tables the database holds, all of them or only the version table.
Result<qint64> tableCount(const Database& database, bool onlyVersionTable)
{
    QString sql = database.backend() == Backend::SQLite
                      ? QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table'")
                      : QStringLiteral("SELECT count(*) FROM information_schema.tables "
                                       "WHERE table_schema = current_schema()");
    if (onlyVersionTable)
        sql += database.backend() == Backend::SQLite ? QStringLiteral(" AND name = 'schema_version'")
                                                     : QStringLiteral(" AND table_name = 'schema_version'");
    SqlQuery query(database, sql);
    const auto count = query.single();
    if (!count)
        return count.status();
    return count->toLongLong();
}

Status migrateNow(const Database& database)
{
    const auto versioned = tableCount(database, true);
    if (!versioned)
        return versioned.status();
    if (*versioned == 0) {
        if (Status ours = refuseForeign(database); !ours)
            return ours;
        // Created only when missing, so that the server says nothing on every start.
        if (Status s = execute(database, QStringLiteral("CREATE TABLE schema_version (version INTEGER NOT NULL)")); !s)
            return s;
    }
    const int current = currentVersion(database);
    if (current > latestVersion())
        return Status::failure(
            QStringLiteral("the file was written by a newer version of Kestrel (schema %1)").arg(current));
    for (int version = current + 1; version <= latestVersion(); ++version) {
        const Status upgraded = inTransaction(database, [&] {
            for (const QString& written : migrations().at(version - 1))
                for (const QString& statement : dialect::schemaStatement(database.backend(), written))
                    if (Status s = execute(database, statement); !s)
                        return s;
            for (const QString& statement : ownStatements(database.backend(), version))
                if (Status s = execute(database, statement); !s)
                    return s;
            SqlQuery record(database, QStringLiteral("INSERT INTO schema_version (version) VALUES (?)"));
            record.bind(version);
            return record.exec();
        });
        if (!upgraded)
            return upgraded;
    }
    return {};
}

} // namespace

Status migrate(const Database& database)
{
    if (database.backend() == Backend::SQLite)
        return migrateNow(database);
    // Workstations opening a new server database at once: one creates or upgrades the schema, the
    // others wait for it and find it done.
    if (Status s = execute(database, QStringLiteral("SELECT pg_advisory_lock(7310)")); !s)
        return s;
    const Status migrated = migrateNow(database);
    execute(database, QStringLiteral("SELECT pg_advisory_unlock(7310)"));
    return migrated;
}

Status refuseForeign(const Database& database)
{
    const auto versioned = tableCount(database, true);
    if (!versioned)
        return versioned.status();
    if (*versioned > 0)
        return {};
    const auto tables = tableCount(database, false);
    if (!tables)
        return tables.status();
    if (*tables > 0)
        return Status::failure(QStringLiteral("it is not a Kestrel database (it holds other tables)"));
    return {};
}

Status checkReadable(const Database& database, bool acceptOlder)
{
    const auto versioned = tableCount(database, true);
    if (!versioned)
        return versioned.status();
    if (*versioned == 0)
        return Status::failure(QStringLiteral("it is not a Kestrel database"));
    const int current = currentVersion(database);
    if (current > latestVersion())
        return Status::failure(
            QStringLiteral("the file was written by a newer version of Kestrel (schema %1)").arg(current));
    if (current < latestVersion() && !acceptOlder)
        return Status::failure(QStringLiteral("it was written by an older version of Kestrel; open it once in "
                                              "Kestrel to bring it up to date"));
    return {};
}

Result<bool> holdsNoData(const Database& database)
{
    const auto any =
        anyRowIn(database, {QStringLiteral("emp"), QStringLiteral("payroll"), QStringLiteral("loan"),
                            QStringLiteral("adv"), QStringLiteral("incre"), QStringLiteral("decre"),
                            QStringLiteral("arr"), QStringLiteral("dept"), QStringLiteral("grp"),
                            QStringLiteral("cmpmaster"), QStringLiteral("\"use\""), QStringLiteral("passwd")});
    if (!any)
        return any.status();
    return !*any;
}

Result<QString> info(const Database& database, const QString& name)
{
    SqlQuery query(database, QStringLiteral("SELECT value FROM kestrel_info WHERE name = ?"));
    query.bind(name);
    const auto value = query.single();
    if (!value)
        return value.status();
    return value->toString();
}

Status setInfo(const Database& database, const QString& name, const QString& value)
{
    SqlQuery query(database, QStringLiteral("INSERT INTO kestrel_info (name, value) VALUES (?, ?)"
                                            " ON CONFLICT (name) DO UPDATE SET value = excluded.value"));
    query.bind(name).bind(value);
    return query.exec();
}

} // namespace schema
