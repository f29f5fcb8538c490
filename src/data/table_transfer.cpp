#include "table_transfer.h"

#include "common/currency.h"
#include "data/database.h"
#include "data/audit_trail.h"
#include "data/dialect.h"
#include "data/month_close.h"
#include "data/password_hash.h"
#include "data/safe_file.h"
#include "data/schema.h"
#include "data/sql_query.h"
#include "data/employee_repository.h"
#include "rules/record_rules.h"
#include "rules/statutory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QSet>
#include <QTextStream>

#include <algorithm>

namespace transfer {

namespace {

constexpr int refusalsListed = 100;
constexpr qint64 progressEvery = 100000;

Column number(const char* name, bool required = false)
{
    return {QString::fromLatin1(name), Kind::Number, required};
}
Column amount(const char* name)
{
    return {QString::fromLatin1(name), Kind::Amount};
}
Column date(const char* name)
{
    return {QString::fromLatin1(name), Kind::Date};
}
Column time(const char* name)
{
    return {QString::fromLatin1(name), Kind::Time};
}
Column text(const char* name, bool required = false)
{
    return {QString::fromLatin1(name), Kind::Text, required};
}

QList<Table> makeTables()
{
    const QList<Column> payrollAmounts = {amount("bonus"),    amount("ot"),     amount("totloan"),  amount("ph"),
                                          amount("intax"),    amount("others"), amount("absences"), amount("earn"),
                                          amount("advances"), amount("tad"),    amount("td"),       amount("loanrec"),
                                          amount("travel"),   amount("netpay")};
    const QList<Column> payrollStatutory = {amount("pfwages"), amount("pswages"),  amount("pfemp"),
                                            amount("pfpen"),   amount("pfer"),     amount("esiwages"),
                                            amount("esiemp"),  amount("esier"),    amount("ptax")};
    return {
        {QStringLiteral("emp"),
         {number("ID", true), text("emname"), text("gender"), text("status"), text("address"), text("dept"),
          text("pos"), text("empstat"), amount("basicrate"), date("dateemployed"), text("empphoto"), text("grp"),
          text("pfno"), text("esino"), date("pfexfrom"), date("esiexfrom"), date("ptexfrom"), text("paymode"),
          text("acholder"), text("acno"), text("ifsc"), text("bankname")},
         QStringLiteral("ID"), {}},
        {QStringLiteral("payroll"),
         QList<Column>{number("transid", true), number("ID"), text("emname"), amount("monthrate"), date("ddate")} +
             payrollAmounts + QList<Column>{text("dept"), text("grp"), text("company")} + payrollStatutory,
         QStringLiteral("transid"), {}},
        {QStringLiteral("loan"),
         {number("ID"), text("emname"), amount("loanamt"), amount("permonthded"), date("ldt"), time("ltm"),
          text("dept"), text("company")},
         {}, {}},
        {QStringLiteral("adv"),
         {number("ID"), text("emname"), amount("advamt"), date("advdt"), time("advtm"), text("company")},
         {}, {}},
        {QStringLiteral("incre"),
         {number("ID"), text("emname"), amount("increamt"), date("incredt"), time("incretm"), date("fromdt"),
          date("todt"), text("company")},
         {}, {}},
        {QStringLiteral("decre"),
         {number("ID"), text("emname"), amount("decreamt"), date("decredt"), time("decretm"), text("company")},
         {}, {}},
        {QStringLiteral("arr"),
         {number("ID"), text("emname"), amount("increamt"), text("incredt"), amount("noofpre"), amount("amtpaid"),
          text("company"), date("ddat1")},
         {}, {}},
        {QStringLiteral("dept"), {text("dept", true)}, {}, QStringLiteral("dept")},
        {QStringLiteral("grp"), {text("grp", true)}, {}, QStringLiteral("grp")},
        {QStringLiteral("cmpmaster"),
         {text("company", true), text("addr"), number("selectt"), text("bankname"), text("bankacno"), text("bankifsc"),
          text("bankcols")},
         {},
         QStringLiteral("company")},
        {QStringLiteral("use"),
         {number("ID", true), text("usernm"), {QStringLiteral("pass"), Kind::Password}, text("priv")},
         QStringLiteral("ID"), QStringLiteral("usernm")},
        {QStringLiteral("passwd"), {{QStringLiteral("delpass"), Kind::Password}}, {}, {}},
        {QStringLiteral("statrule"),
         {text("company", true), date("fromdt"), number("divisor"), number("pfon"), amount("pfrate"), amount("pfceil"),
          number("pffull"), amount("penrate"), amount("pencap"), number("esion"), amount("esilimit"),
          amount("esirate"), amount("esierrate"), number("pton"), text("ptslabs")},
         {}, {}},
    };
}


// One record of a CSV file: its fields, whether each was quoted (a quoted empty field is an empty
// text, an unquoted one is Null), and the line it starts on.
struct Record {
    QStringList fields;
    QList<bool> quoted;
    qint64 line = 0;
    QString problem; // why the record cannot be read as CSV, if it cannot
};

class CsvReader {
public:
    explicit CsvReader(QIODevice& device) : m_in(&device) { m_in.setEncoding(QStringConverter::Utf8); }

    // The next record; false at the end of the file. Blank lines between records are passed over.
    bool next(Record& record)
    {
        record = Record();
        QString line;
        do {
            if (m_in.atEnd())
                return false;
            line = m_in.readLine();
            if (++m_line == 1 && line.startsWith(QChar(0xFEFF)))
                line.remove(0, 1);
        } while (line.isEmpty());
        record.line = m_line;
        QString field;
        bool quoted = false;
        bool inQuotes = false;
        qsizetype i = 0;
        while (true) {
            if (i == line.size()) {
                // A quoted field goes on over the line's end.
                if (!inQuotes)
                    break;
                if (m_in.atEnd()) {
                    record.problem = QStringLiteral("a quote opened here is never closed");
                    break;
                }
                field += QLatin1Char('\n');
                line = m_in.readLine();
                ++m_line;
                i = 0;
                continue;
            }
            const QChar c = line.at(i++);
            if (inQuotes) {
                if (c != QLatin1Char('"'))
                    field += c;
                else if (i < line.size() && line.at(i) == QLatin1Char('"'))
                    field += line.at(i++);
                else
                    inQuotes = false;
            } else if (c == QLatin1Char('"') && field.isEmpty() && !quoted) {
                inQuotes = quoted = true;
            } else if (quoted && c != QLatin1Char(',')) {
                if (record.problem.isEmpty())
                    record.problem = QStringLiteral("has text after the closing quote of a field");
            } else if (c == QLatin1Char(',')) {
                record.fields << field;
                record.quoted << quoted;
                field.clear();
                quoted = false;
            } else {
                field += c;
            }
        }
        record.fields << field;
        record.quoted << quoted;
        return true;
    }

private:
    QTextStream m_in;
    qint64 m_line = 0;
};

// A cell read into the value that is stored, or the reason it cannot be.
std::variant<QVariant, QString> cellValue(const Column& column, const QString& raw, bool quoted, bool dayFirst)
{
    if (raw.contains(QChar::ReplacementCharacter))
        return QStringLiteral("holds characters that are not UTF-8 (save the file as UTF-8)");
    // Texts are stored as the windows store them, without blanks around them; a password is exact.
    const QString text = column.kind == Kind::Password ? raw : rules::cleanText(raw);
    // An empty number that must be there is the reader's to refuse; an empty text, the rules'.
    if (text.isEmpty() && column.required && column.kind != Kind::Text)
        return QStringLiteral("is empty");
    if (text.isEmpty() && !(quoted && column.kind == Kind::Text))
        return QVariant();
    switch (column.kind) {
    case Kind::Number: {
        bool ok = false;
        const qint64 n = text.toLongLong(&ok);
        if (!ok)
            return QStringLiteral("\"%1\" is not a whole number").arg(text);
        return QVariant(n);
    }
    case Kind::Amount: {
        const auto a = Currency::parse(text);
        const qsizetype point = text.indexOf(QLatin1Char('.'));
        if (a && point >= 0 && text.size() - point - 1 > 4)
            return QStringLiteral("\"%1\" has more than four decimals").arg(text);
        if (!a)
            return QStringLiteral("\"%1\" is not an amount (digits with a decimal point)").arg(text);
        return QVariant(a->units());
    }
    case Kind::Date: {
        const auto d = parseDate(text, dayFirst);
        if (!d)
            return QStringLiteral("\"%1\" is not a date (05-Mar-2024, %2 or 2024-03-05)")
                .arg(text, dayFirst ? QStringLiteral("05/03/2024") : QStringLiteral("03/05/2024"));
        return QVariant(d->toString(Qt::ISODate));
    }
    case Kind::Time: {
        const auto t = parseTime(text);
        if (!t)
            return QStringLiteral("\"%1\" is not a time (14:05:09 or 2:05:09 PM)").arg(text);
        return QVariant(t->toString(QStringLiteral("HH:mm:ss")));
    }
    case Kind::Password:
        return QVariant(password_hash::needsRehash(text) ? password_hash::make(text) : text);
    case Kind::Text:
        // A quoted empty cell is an empty text, not Null.
        return QVariant(text.isNull() ? QStringLiteral("") : text);
    }
    return QVariant();
}

// The cell as export writes it: quoted where a reader needs it, an empty text as "".
QString csvCell(const QVariant& value)
{
    if (value.isNull())
        return {};
    QString text = value.toString();
    if (text.isEmpty() || text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) ||
        text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) || text != text.trimmed())
        text = QLatin1Char('"') + text.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
    return text;
}

QString grouped(qint64 n)
{
    return QLocale(QLocale::English).toString(n);
}

// One row's values by column, as they will be stored, for the rules.
class RowValues {
public:
    RowValues(const QStringList& names, const QVariantList& values, const QHash<QString, QString>& passwords)
        : m_passwords(passwords)
    {
        for (int i = 0; i < names.size(); ++i)
            m_values.insert(names.at(i), values.at(i));
    }
    bool has(const char* column) const { return m_values.contains(QString::fromLatin1(column)); }
    QString text(const char* column) const { return m_values.value(QString::fromLatin1(column)).toString(); }
    qint64 number(const char* column) const { return m_values.value(QString::fromLatin1(column)).toLongLong(); }
    Currency amount(const char* column) const { return Currency::fromUnits(number(column)); }
    QDate date(const char* column) const { return QDate::fromString(text(column), Qt::ISODate); }
    QTime time(const char* column) const { return QTime::fromString(text(column), QStringLiteral("HH:mm:ss")); }
    QString password(const char* column) const { return m_passwords.value(QString::fromLatin1(column)); }

private:
    QHash<QString, QVariant> m_values;
    QHash<QString, QString> m_passwords;
};

// Bank details as the windows store them: numbers and branch codes without blanks, the codes in
// capitals, the payment mode in its stored word; what cannot be read is left for the rules to refuse.
QVariant storedBankValue(const QString& table, const QString& column, const QVariant& value)
{
    if (table != QStringLiteral("emp") && table != QStringLiteral("cmpmaster"))
        return value;
    if (column == QStringLiteral("acno") || column == QStringLiteral("bankacno"))
        return bank::normalisedNumber(value.toString());
    if (column == QStringLiteral("ifsc") || column == QStringLiteral("bankifsc"))
        return bank::normalisedCode(value.toString());
    if (column == QStringLiteral("paymode"))
        if (const auto mode = bank::modeFromStored(value.toString()))
            return bank::storedMode(*mode);
    return value;
}

// The rules every other door applies, applied to an imported row.
rules::Verdict checkRow(const QString& table, const RowValues& r)
{
    // A file without the numbering column leaves the numbers to the database.
    if (table == QStringLiteral("emp")) {
        if (auto broken = !r.has("ID") ? rules::Verdict() : rules::number(QStringLiteral("ID"), QStringLiteral("the employee number"), r.number("ID"),
                                        rules::maxEmployeeId))
            return broken;
        const auto mode = bank::modeFromStored(r.text("paymode"));
        if (!mode)
            return rules::Broken{QStringLiteral("paymode"),
                                 QStringLiteral("The payment mode must be bank, cheque or cash (it is \"%1\").")
                                     .arg(r.text("paymode"))};
        const bank::Details details{*mode, r.text("acholder"), r.text("acno"), r.text("ifsc"), r.text("bankname")};
        return rules::check(Employee{r.number("ID"), r.text("emname"), r.text("gender"), r.text("status"),
                                     r.text("address"), r.text("dept"), r.text("pos"), r.text("empstat"),
                                     r.amount("basicrate"), r.date("dateemployed"), r.text("empphoto"), r.text("grp"),
                                     r.text("pfno"), r.text("esino"),
                                     statutory::Exemptions{r.date("pfexfrom"), r.date("esiexfrom"), r.date("ptexfrom")},
                                     details});
    }
    if (table == QStringLiteral("payroll")) {
        if (auto broken = !r.has("transid") ? rules::Verdict()
                                            : rules::number(QStringLiteral("transid"), QStringLiteral("the transaction number"),
                                                            r.number("transid"), rules::maxTransactionId))
            return broken;
        PayrollTransaction t;
        t.transId = r.number("transid");
        t.employeeId = r.number("ID");
        t.name = r.text("emname");
        t.monthRate = r.amount("monthrate");
        t.payDate = r.date("ddate");
        t.bonus = r.amount("bonus");
        t.overtime = r.amount("ot");
        t.totalLoan = r.amount("totloan");
        t.contribution = r.amount("ph");
        t.lic = r.amount("intax");
        t.pgvcl = r.amount("others");
        t.daysPresent = r.amount("absences");
        t.presentDaysSalary = r.amount("earn");
        t.advances = r.amount("advances");
        t.totalAdditional = r.amount("tad");
        t.totalDeductions = r.amount("td");
        t.loanRecovered = r.amount("loanrec");
        t.travel = r.amount("travel");
        t.netPay = r.amount("netpay");
        t.department = r.text("dept");
        t.group = r.text("grp");
        t.company = r.text("company");
        t.statutory = statutory::Figures{r.amount("pfwages"), r.amount("pswages"), r.amount("pfemp"),
                                         r.amount("pfpen"),   r.amount("pfer"),    r.amount("esiwages"),
                                         r.amount("esiemp"),  r.amount("esier"),   r.amount("ptax")};
        return rules::check(t);
    }
    if (table == QStringLiteral("statrule")) {
        statutory::Rules rules;
        rules.company = r.text("company");
        rules.from = r.date("fromdt");
        const auto divisor = statutory::divisorFromStored(r.number("divisor"));
        if (!divisor)
            return rules::Broken{QStringLiteral("divisor"), QStringLiteral("The divisor must be 0 (days of the month), "
                                                                           "30 or 26.")};
        rules.divisor = *divisor;
        rules.pfOn = r.number("pfon") != 0;
        rules.pfRate = r.amount("pfrate");
        rules.pfCeiling = r.amount("pfceil");
        rules.pfOnFullWages = r.number("pffull") != 0;
        rules.pensionRate = r.amount("penrate");
        rules.pensionCap = r.amount("pencap");
        rules.esiOn = r.number("esion") != 0;
        rules.esiLimit = r.amount("esilimit");
        rules.esiEmployeeRate = r.amount("esirate");
        rules.esiEmployerRate = r.amount("esierrate");
        rules.ptOn = r.number("pton") != 0;
        const auto slabs = statutory::parseSlabs(r.text("ptslabs"));
        if (!slabs)
            return rules::Broken{QStringLiteral("ptslabs"),
                                 QStringLiteral("The slabs must read like 0=0;12000=200 (gross wages from = tax).")};
        rules.ptSlabs = *slabs;
        if (rules.from.isValid() && rules.from.day() != 1)
            return rules::Broken{QStringLiteral("fromdt"), QStringLiteral("Rules hold from the first day of a month.")};
        return statutory::check(rules);
    }
    if (table == QStringLiteral("loan"))
        return rules::check(Loan{r.number("ID"), r.text("emname"), r.amount("loanamt"), r.amount("permonthded"),
                                 r.date("ldt"), r.time("ltm"), r.text("dept"), r.text("company")});
    if (table == QStringLiteral("adv"))
        return rules::check(
            Advance{r.number("ID"), r.text("emname"), r.amount("advamt"), r.date("advdt"), r.time("advtm"), r.text("company")});
    if (table == QStringLiteral("incre"))
        return rules::check(Revision{r.number("ID"), r.text("emname"), r.amount("increamt"), r.date("incredt"),
                                     r.time("incretm"), r.date("fromdt"), r.date("todt"), r.text("company")},
                            rules::RevisionKind::Increment);
    if (table == QStringLiteral("decre"))
        return rules::check(Revision{r.number("ID"), r.text("emname"), r.amount("decreamt"), r.date("decredt"),
                                     r.time("decretm"), {}, {}, r.text("company")},
                            rules::RevisionKind::Decrement);
    if (table == QStringLiteral("arr"))
        return rules::check(ArrearsRow{r.number("ID"), r.text("emname"), r.amount("increamt"), r.text("incredt"),
                                       r.amount("noofpre"), r.amount("amtpaid"), r.text("company"), r.date("ddat1")});
    if (table == QStringLiteral("dept"))
        return rules::checkMasterName(QStringLiteral("dept"), QStringLiteral("department"), r.text("dept"));
    if (table == QStringLiteral("grp"))
        return rules::checkMasterName(QStringLiteral("grp"), QStringLiteral("group"), r.text("grp"));
    if (table == QStringLiteral("cmpmaster")) {
        if (auto broken = rules::checkCompany(r.text("company"), r.text("addr")))
            return broken;
        if (auto broken = rules::check(bank::Account{r.text("bankname"), r.text("bankacno"), r.text("bankifsc")}))
            return broken;
        if (r.text("bankcols").isEmpty())
            return {};
        const auto columns = bank::parseLayout(r.text("bankcols"));
        if (!columns)
            return rules::Broken{QStringLiteral("bankcols"),
                                 QStringLiteral("The upload file's columns must read like field|heading|value;... "
                                                "with fields such as serial, account, ifsc, amount, fixed.")};
        return rules::check(*columns);
    }
    if (table == QStringLiteral("use")) {
        if (auto broken = !r.has("ID") ? rules::Verdict()
                                       : rules::number(QStringLiteral("ID"), QStringLiteral("the user number"),
                                                       r.number("ID"), rules::maxUserId))
            return broken;
        return rules::checkUser(r.text("usernm"), r.password("pass"), r.text("priv"), true);
    }
    if (table == QStringLiteral("passwd"))
        return rules::checkPassword(QStringLiteral("delpass"), QStringLiteral("the delete password"),
                                    r.password("delpass"));
    return {};
}

// The masters are read first, so that the rows naming a company, department or group store it as
// the master spells it, whatever the case the file wrote it in.
bool isMaster(const Table& table)
{
    return !table.uniqueName.isEmpty() && table.identity.isEmpty();
}

// Column -> the master whose spelling it takes.
QString masterOf(const QString& table, const QString& column)
{
    if (column == QStringLiteral("company") && table != QStringLiteral("cmpmaster"))
        return QStringLiteral("cmpmaster");
    if ((column == QStringLiteral("dept") || column == QStringLiteral("grp")) && table != column)
        return column;
    return {};
}

} // namespace

QString sqlName(const QString& table)
{
    return table == QStringLiteral("use") ? QStringLiteral("\"use\"") : table;
}

const QList<Table>& tables()
{
    static const QList<Table> all = makeTables();
    return all;
}

std::optional<QDate> parseDate(const QString& text, bool dayFirst)
{
    const QString t = text.trimmed();
    // A date and time from a database tool: the date is what counts; after it only a time may stand.
    const QString day = t.section(QLatin1Char(' '), 0, 0);
    const QString rest = t.section(QLatin1Char(' '), 1);
    if (!rest.isEmpty() && !parseTime(rest))
        return std::nullopt;
    const auto plausible = [](QDate d) {
        return d.isValid() && d.year() >= 1900 && d.year() <= 2100 ? std::optional<QDate>(d) : std::nullopt;
    };
    static const QLocale english(QLocale::English);
    for (const QString& format :
         {QStringLiteral("yyyy-MM-dd"), QStringLiteral("dd-MMM-yyyy"), QStringLiteral("d-MMM-yyyy")}) {
        const QDate d = english.toDate(day, format);
        if (d.isValid())
            return plausible(d);
    }
    const QStringList parts = day.split(QLatin1Char('/'));
    if (parts.size() == 3 && parts.at(2).size() == 4) {
        bool okA = false, okB = false, okY = false;
        const int a = parts.at(0).toInt(&okA);
        const int b = parts.at(1).toInt(&okB);
        const int y = parts.at(2).toInt(&okY);
        if (okA && okB && okY)
            return plausible(dayFirst ? QDate(y, b, a) : QDate(y, a, b));
    }
    return std::nullopt;
}

std::optional<QTime> parseTime(const QString& text)
{
    QString t = text.trimmed();
    // A time from a database tool may come with the date 30/12/1899 before it.
    if (t.count(QLatin1Char(' ')) >= 1 && (t.contains(QLatin1Char('/')) || t.contains(QLatin1Char('-'))))
        t = t.section(QLatin1Char(' '), 1);
    static const QLocale english(QLocale::English);
    for (const QString& format :
         {QStringLiteral("HH:mm:ss"), QStringLiteral("H:mm:ss"), QStringLiteral("HH:mm"), QStringLiteral("H:mm"),
          QStringLiteral("h:mm:ss AP"), QStringLiteral("h:mm AP"), QStringLiteral("hh:mm:ss AP")}) {
        const QTime time = english.toTime(t, format);
        if (time.isValid())
            return time;
    }
    return std::nullopt;
}

Result<ImportOutcome> importFolder(const Database& database, const QString& folder, const ImportOptions& options,
                                   const Progress& progress)
{
    const QDir dir(folder);
    if (!dir.exists())
        return Status::failure(QStringLiteral("There is no folder %1.").arg(QDir::toNativeSeparators(folder)));
    // Files are found whatever the case of their names; a CSV file no table is named for is refused
    // rather than passed over, so that no table is left behind unnoticed.
    QList<const Table*> present;
    QHash<const Table*, QString> fileOf;
    QStringList strangers;
    QList<QPair<QString, QString>> twins; // two files of one table, their names differing in case
    for (const QString& name : dir.entryList(QDir::Files)) {
        if (!name.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive))
            continue;
        const auto table = std::find_if(tables().cbegin(), tables().cend(), [&](const Table& t) {
            return t.fileName().compare(name, Qt::CaseInsensitive) == 0;
        });
        if (table == tables().cend())
            strangers << name;
        else if (fileOf.contains(&*table))
            twins << qMakePair(fileOf.value(&*table), name);
        else
            fileOf.insert(&*table, name);
    }
    // The masters first (see masterOf), then the rest in their order.
    for (bool masters : {true, false})
        for (const Table& table : tables())
            if (fileOf.contains(&table) && isMaster(table) == masters)
                present << &table;
    if (present.isEmpty())
        return Status::failure(QStringLiteral("%1 holds none of the tables' files (emp.csv, payroll.csv, …).")
                                   .arg(QDir::toNativeSeparators(folder)));

    ImportOutcome outcome;
    const auto refuse = [&](const QString& file, qint64 line, const QString& column, const QString& reason) {
        ++outcome.reasons;
        if (outcome.refusals.size() < refusalsListed)
            outcome.refusals << Refusal{file, line, column, reason.section(QLatin1Char('\n'), 0, 0).trimmed()};
    };
    for (const QString& name : strangers) {
        refuse(name, 0, {}, QStringLiteral("is named for no table (emp.csv, payroll.csv, …)"));
        ++outcome.refused;
    }
    for (const auto& [first, second] : twins) {
        refuse(second, 0, {}, QStringLiteral("is the same table as %1: keep one of the two files").arg(first));
        ++outcome.refused;
    }
    // A write transaction that holds the giving of employee numbers: a workstation adding an
    // employee meanwhile cannot take a number an imported ledger refers to.
    Transaction transaction(database, Transaction::Kind::Write);
    if (!transaction.active())
        return Status::failure(transaction.error());
    if (Status s = lockEmployeeNumbers(database); !s)
        return s;
    // Asked under the lock: two imports into one new database cannot both find it empty.
    if (!options.append) {
        const auto empty = schema::holdsNoData(database);
        if (!empty)
            return empty.status();
        if (!*empty)
            return Status::failure(QStringLiteral("%1 holds data already. Import into a new, empty database, or give "
                                                  "--append to add the files' rows to it.")
                                       .arg(DatabaseLocation::shown(database.path())));
    }
    // New employee numbers go on after the largest that any table refers to.
    const auto moveEmployeeNumbers = [&]() -> Status {
        const auto next = EmployeeRepository(database).nextId();
        if (!next)
            return next.status();
        for (const QString& statement : dialect::employeeNumbersFrom(database.backend())) {
            SqlQuery move(database, statement);
            if (statement.contains(QLatin1Char('?')))
                move.bind(*next);
            if (Status s = move.exec(); !s)
                return s;
        }
        return {};
    };
    // Each month the rows fall in, held as it is from its first row on (see lockMonth) and read
    // then: a closed one's payroll, loans and advances get no row from an import.
    QHash<QString, std::optional<ClosedMonth>> monthsHeld; // "COMPANY|yyyy-MM"
    const MonthCloseRepository closedMonths(database);
    // For each employee whose imported payroll recovers a loan: the line of the last such row.
    QHash<qint64, qint64> recoveryLine;
    QString payrollFile;
    for (const Table* table : present) {
        const QString file = fileOf.value(table);
        QFile input(dir.filePath(file));
        if (!input.open(QIODevice::ReadOnly))
            return Status::failure(QStringLiteral("%1 cannot be read: %2").arg(file, input.errorString()));
        CsvReader reader(input);
        Count count{table->name};
        Record header;
        if (!reader.next(header)) {
            refuse(file, 1, {}, QStringLiteral("is empty: its first line must name the columns"));
            ++outcome.refused;
            outcome.counts << count;
            continue;
        }
        // The header names the columns, in any order and any case; unknown ones are refused.
        QList<int> columnOf; // for each field of a record, the column it fills
        QList<const Column*> filled;
        bool headerRefused = false;
        for (int position = 0; position < header.fields.size(); ++position) {
            const QString& name = header.fields.at(position);
            if (name.trimmed().isEmpty()) {
                refuse(file, header.line, {}, QStringLiteral("column %1 of the header has no name").arg(position + 1));
                headerRefused = true;
                continue;
            }
            const auto found = std::find_if(table->columns.cbegin(), table->columns.cend(), [&](const Column& c) {
                return c.name.compare(name.trimmed(), Qt::CaseInsensitive) == 0;
            });
            if (found == table->columns.cend()) {
                refuse(file, header.line, name.trimmed(), QStringLiteral("is not a column of %1").arg(table->name));
                headerRefused = true;
                continue;
            }
            if (filled.contains(&*found)) {
                refuse(file, header.line, found->name, QStringLiteral("stands twice in the header"));
                headerRefused = true;
                continue;
            }
            columnOf << int(filled.size());
            filled << &*found;
        }
        for (const Column& column : table->columns)
            if (column.required && !filled.contains(&column) && column.name != table->identity) {
                refuse(file, header.line, column.name, QStringLiteral("is missing from the header"));
                headerRefused = true;
            }
        if (headerRefused) {
            ++outcome.refused;
            outcome.counts << count;
            continue;
        }
        QStringList names;
        for (const Column* column : filled)
            names << column->name;
        // Employees without numbers of their own get the database's next ones.
        if (table->name == QStringLiteral("emp") && !names.contains(QStringLiteral("ID")))
            if (Status s = moveEmployeeNumbers(); !s)
                return s;
        const int recoveredColumn =
            table->name == QStringLiteral("payroll") ? int(names.indexOf(QStringLiteral("loanrec"))) : -1;
        const int employeeColumn = int(names.indexOf(QStringLiteral("ID")));
        if (recoveredColumn >= 0)
            payrollFile = file;
        // The rows dated in a month: those of a closed month are refused.
        const QString datedBy = table->name == QStringLiteral("payroll") ? QStringLiteral("ddate")
                                : table->name == QStringLiteral("loan")  ? QStringLiteral("ldt")
                                : table->name == QStringLiteral("adv")   ? QStringLiteral("advdt")
                                                                         : QString();
        const int dateColumn = datedBy.isEmpty() ? -1 : int(names.indexOf(datedBy));
        const int companyColumn = int(names.indexOf(QStringLiteral("company")));
        const QString closedWhat = table->name == QStringLiteral("payroll")
                                       ? QStringLiteral("its payroll cannot be saved, changed or deleted")
                                       : QStringLiteral("nothing can be added to it");
        // Numbers and names that must be unique are checked here, against the rows before them and
        // those in the database, so that every clash is listed and not only the first the database
        // meets. A number is compared as it stands, a name whatever its case.
        struct Key {
            int column;
            bool byName;
            QSet<QString> taken;
        };
        QList<Key> keys;
        for (const auto& [key, byName] : {qMakePair(table->identity, false), qMakePair(table->uniqueName, true)}) {
            const int column = key.isEmpty() ? -1 : int(names.indexOf(key));
            if (column < 0)
                continue;
            Key k{column, byName, {}};
            if (options.append) {
                SqlQuery taken(database, (byName ? QStringLiteral("SELECT upper(%1) FROM %2")
                                                 : QStringLiteral("SELECT %1 FROM %2"))
                                             .arg(key, sqlName(table->name)));
                const auto existing = taken.rows([](const SqlQuery& r) { return r.text(0); });
                if (!existing)
                    return existing.status();
                for (const QString& name : *existing)
                    k.taken.insert(byName ? name.toUpper() : name);
            }
            keys << k;
        }
        // The spelling of each master name in the database (the masters' files are stored already).
        QHash<int, QHash<QString, QString>> spellings; // field -> upper(name) -> name
        for (int i = 0; i < names.size(); ++i) {
            const QString master = masterOf(table->name, names.at(i));
            if (master.isEmpty())
                continue;
            const QString column = master == QStringLiteral("cmpmaster") ? QStringLiteral("company") : master;
            SqlQuery read(database, QStringLiteral("SELECT %1 FROM %2").arg(column, master));
            const auto stored = read.rows([](const SqlQuery& r) { return r.text(0); });
            if (!stored)
                return stored.status();
            for (const QString& name : *stored)
                spellings[i].insert(name.toUpper(), name);
        }
        // The delete password is one: a database that has it keeps it.
        bool passwordKept = false;
        if (table->name == QStringLiteral("passwd") && options.append) {
            const auto any = anyRowIn(database, {QStringLiteral("passwd")});
            if (!any)
                return any.status();
            passwordKept = *any;
        }
        SqlQuery insert(database, insertStatement(sqlName(table->name), names));
        Record record;
        while (reader.next(record)) {
            ++count.read;
            if (progress && count.read % progressEvery == 0)
                progress(QStringLiteral("%1: %2 rows read").arg(file, grouped(count.read)));
            if (!record.problem.isEmpty()) {
                refuse(file, record.line, {}, record.problem);
                ++outcome.refused;
                continue;
            }
            if (passwordKept) {
                refuse(file, record.line, {}, QStringLiteral("the database has its delete password already"));
                ++outcome.refused;
                continue;
            }
            if (record.fields.size() != header.fields.size()) {
                refuse(
                    file, record.line, {},
                    QStringLiteral("has %1 fields, the header %2").arg(record.fields.size()).arg(header.fields.size()));
                ++outcome.refused;
                continue;
            }
            QVariantList values;
            QHash<QString, QString> passwords; // as typed, for the rules; stored hashed
            bool rowRefused = false;
            for (int i = 0; i < filled.size(); ++i) {
                const auto value = cellValue(*filled.at(i), record.fields.at(i), record.quoted.at(i), options.dayFirst);
                if (const auto* reason = std::get_if<QString>(&value)) {
                    refuse(file, record.line, filled.at(i)->name, *reason);
                    rowRefused = true;
                    continue;
                }
                QVariant v = std::get<QVariant>(value);
                // The company master's flag has a default, not a Null.
                if (v.isNull() && filled.at(i)->name == QStringLiteral("selectt"))
                    v = QVariant(qint64(0));
                if (filled.at(i)->kind == Kind::Password)
                    passwords.insert(names.at(i), record.fields.at(i));
                // Department and group names are kept in capitals; a name of a master is spelt as
                // the master spells it.
                if (isMaster(*table) && table->name != QStringLiteral("cmpmaster") && !v.isNull())
                    v = QVariant(rules::masterName(v.toString()));
                else if (spellings.contains(i) && !v.isNull())
                    v = QVariant(spellings.value(i).value(v.toString().toUpper(), v.toString()));
                else if (!v.isNull())
                    v = storedBankValue(table->name, filled.at(i)->name, v);
                values << v;
            }
            if (!rowRefused)
                if (const auto broken = checkRow(table->name, RowValues(names, values, passwords))) {
                    refuse(file, record.line, broken->field, broken->message);
                    rowRefused = true;
                }
            if (!rowRefused && dateColumn >= 0 && companyColumn >= 0 && !values.at(dateColumn).isNull()) {
                const QString company = values.at(companyColumn).toString();
                const QDate date = QDate::fromString(values.at(dateColumn).toString().left(10), Qt::ISODate);
                const QString month = company + QLatin1Char('|') + date.toString(QStringLiteral("yyyy-MM"));
                if (!monthsHeld.contains(month)) {
                    if (Status s = lockMonth(database, company, date, false); !s)
                        return s;
                    const auto state = closedMonths.find(company, date);
                    if (!state)
                        return state.status();
                    monthsHeld.insert(month, *state);
                }
                if (const auto& closed = monthsHeld[month]) {
                    refuse(file, record.line, datedBy, closedMonthRefusal(*closed, closedWhat));
                    rowRefused = true;
                }
            }
            for (Key& key : keys) {
                if (rowRefused)
                    break;
                const QString value = values.at(key.column).toString();
                const QString k = key.byName ? value.toUpper() : value;
                if (key.taken.contains(k)) {
                    refuse(file, record.line, names.at(key.column),
                           QStringLiteral("\"%1\" is taken already").arg(value));
                    rowRefused = true;
                } else {
                    key.taken.insert(k);
                }
            }
            if (rowRefused) {
                ++outcome.refused;
                continue;
            }
            // Once a row is refused nothing will be stored: the rest is only checked.
            if (outcome.refused > 0)
                continue;
            for (const QVariant& v : values)
                insert.bind(v);
            if (Status s = insert.exec(); !s) {
                refuse(file, record.line, {}, s.error());
                ++outcome.refused;
                continue;
            }
            ++count.stored;
            if (recoveredColumn >= 0 && employeeColumn >= 0 && values.at(recoveredColumn).toLongLong() > 0)
                recoveryLine.insert(values.at(employeeColumn).toLongLong(), record.line);
        }
        if (outcome.refused > 0)
            count.stored = 0;
        else if (count.stored > 0)
            if (Status s = audit::recordEvent(database, audit::Kind::Import, table->name, {},
                                              QStringLiteral("%1 rows imported from %2 (%3 read)")
                                                  .arg(count.stored)
                                                  .arg(QDir::toNativeSeparators(dir.filePath(file)))
                                                  .arg(count.read));
                !s)
                return s;
        outcome.counts << count;
        if (progress)
            progress(QStringLiteral("%1: %2 rows read, %3 stored")
                         .arg(file, grouped(count.read), grouped(outcome.refused > 0 ? 0 : count.stored)));
    }
    // Nothing is recovered beyond what was lent, as at every other door.
    if (outcome.refused == 0 && !recoveryLine.isEmpty()) {
        SqlQuery beyond(database, QStringLiteral("SELECT p.ID, p.recovered, coalesce(l.lent, 0) FROM"
                                                 " (SELECT ID, sum(loanrec) AS recovered FROM payroll GROUP BY ID) AS p"
                                                 " LEFT JOIN (SELECT ID, sum(loanamt) AS lent FROM loan GROUP BY ID) AS l"
                                                 " ON l.ID = p.ID WHERE p.recovered > coalesce(l.lent, 0) ORDER BY p.ID"));
        // The employees concerned are held first (in order), as every save holds them.
        QList<qint64> concerned = recoveryLine.keys();
        std::sort(concerned.begin(), concerned.end());
        for (qint64 id : concerned)
            if (Status s = lockEmployee(database, id); !s)
                return s;
        if (Status s = beyond.exec(); !s)
            return s;
        while (beyond.next()) {
            const qint64 id = beyond.number(0);
            if (!recoveryLine.contains(id))
                continue;
            refuse(payrollFile, recoveryLine.value(id), QStringLiteral("loanrec"),
                   QStringLiteral("the payroll would recover %1 of employee number %2's loans, more than the %3 lent")
                       .arg(beyond.amount(1).toString())
                       .arg(id)
                       .arg(beyond.amount(2).toString()));
            ++outcome.refused;
        }
        if (Status s = beyond.readFailure(); !s)
            return s;
    }
    if (outcome.refused > 0) {
        transaction.rollback();
        for (Count& count : outcome.counts)
            count.stored = 0;
        return outcome;
    }
    // Numbers the database gives go on after the largest imported; employee numbers after the
    // largest that any imported ledger refers to, so that no new employee takes on old rows.
    for (const Table* table : present)
        if (!table->identity.isEmpty())
            if (const QString follow =
                    dialect::identityAfterLargest(database.backend(), sqlName(table->name), table->identity);
                !follow.isEmpty())
                if (Status s = execute(database, follow); !s)
                    return s;
    if (Status s = moveEmployeeNumbers(); !s)
        return s;
    if (Status s = transaction.commit(); !s)
        return s;
    return outcome;
}

Result<QList<Count>> exportFolder(const Database& database, const QString& folder, const Progress& progress)
{
    // Salaries and password hashes: a folder made here is the owner's only, like the files; a folder
    // that was there (a shared one) keeps its mode.
    if (Status made = makeFolder(folder, FileAccess::OwnerOnly); !made)
        return made;
    QList<Count> counts;
    // One snapshot for every table, so that the files agree with one another.
    Transaction transaction(database);
    if (!transaction.active())
        return Status::failure(transaction.error());
    if (database.backend() == Backend::PostgreSQL)
        if (Status s = execute(database, QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ, READ ONLY"));
            !s)
            return s;
    for (const Table& table : tables()) {
        QStringList names;
        for (const Column& column : table.columns)
            names << column.name;
        const QString order = table.identity.isEmpty() ? QStringLiteral("rowid") : table.identity;
        SqlQuery query(database, QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                                     .arg(names.join(QStringLiteral(", ")), sqlName(table.name), order));
        if (Status s = query.exec(); !s)
            return s;
        SafeFile file(QDir(folder).filePath(table.fileName()));
        if (Status opened = file.open(); !opened)
            return opened;
        QByteArray lines = names.join(QLatin1Char(',')).toUtf8() + "\r\n";
        Count count{table.name};
        while (query.next()) {
            QStringList cells;
            for (int c = 0; c < table.columns.size(); ++c) {
                if (query.isNull(c)) {
                    cells << QString();
                    continue;
                }
                const Kind kind = table.columns.at(c).kind;
                cells << csvCell(kind == Kind::Amount   ? QVariant(Currency::fromUnits(query.number(c)).toString())
                                 : kind == Kind::Number ? QVariant(QString::number(query.number(c)))
                                                        : QVariant(query.text(c)));
            }
            lines += cells.join(QLatin1Char(',')).toUtf8() + "\r\n";
            ++count.read;
            ++count.stored;
            if (lines.size() > (1 << 20)) {
                file.write(lines);
                lines.clear();
            }
        }
        if (Status s = query.readFailure(); !s)
            return s;
        file.write(lines);
        if (Status written = file.commit(); !written)
            return written;
        counts << count;
        if (progress)
            progress(QStringLiteral("%1: %2 rows written").arg(table.fileName(), grouped(count.stored)));
    }
    return counts;
}

} // namespace transfer
