#include "table_transfer.h"

#include <algorithm>

// The tables as files: their columns, how each column's cells are read, and how they are ordered.
namespace transfer {

namespace {

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
Column exact(const char* name)
{
    return {QString::fromLatin1(name), Kind::Exact};
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
         {number("ID"), text("emname"), text("gender"), text("status"), text("address"), text("dept"),
          text("pos"), text("empstat"), amount("basicrate"), date("dateemployed"), text("empphoto"), text("grp"),
          text("pfno"), text("esino"), date("pfexfrom"), date("esiexfrom"), date("ptexfrom"), text("paymode"),
          text("acholder"), text("acno"), text("ifsc"), text("bankname"), date("birthdate"), number("penmember")},
         QStringLiteral("ID"), QStringLiteral("ID")},
        {QStringLiteral("payroll"),
         QList<Column>{number("transid"), number("ID"), text("emname"), amount("monthrate"), date("ddate")} +
             payrollAmounts + QList<Column>{text("dept"), text("grp"), text("company")} + payrollStatutory,
         QStringLiteral("transid"), QStringLiteral("transid")},
        {QStringLiteral("loan"),
         {number("ID"), text("emname"), amount("loanamt"), amount("permonthded"), date("ldt"), time("ltm"),
          text("dept"), text("company")},
         {}, QStringLiteral("rowid")},
        {QStringLiteral("adv"),
         {number("ID"), text("emname"), amount("advamt"), date("advdt"), time("advtm"), text("company")},
         {}, QStringLiteral("rowid")},
        {QStringLiteral("incre"),
         {number("ID"), text("emname"), amount("increamt"), date("incredt"), time("incretm"), date("fromdt"),
          date("todt"), text("company")},
         {}, QStringLiteral("rowid")},
        {QStringLiteral("decre"),
         {number("ID"), text("emname"), amount("decreamt"), date("decredt"), time("decretm"), text("company")},
         {}, QStringLiteral("rowid")},
        {QStringLiteral("arr"),
         {number("ID"), text("emname"), amount("increamt"), text("incredt"), amount("noofpre"), amount("amtpaid"),
          text("company"), date("ddat1")},
         {}, QStringLiteral("rowid")},
        {QStringLiteral("dept"), {text("dept", true)}, {}, QStringLiteral("rowid")},
        {QStringLiteral("grp"), {text("grp", true)}, {}, QStringLiteral("rowid")},
        {QStringLiteral("cmpmaster"),
         {text("company", true), text("addr"), number("selectt"), text("bankname"), text("bankacno"), text("bankifsc"),
          text("bankcols")},
         {},
         QStringLiteral("rowid")},
        {QStringLiteral("use"),
         {number("ID"), text("usernm"), {QStringLiteral("pass"), Kind::Password}, text("priv")},
         QStringLiteral("ID"), QStringLiteral("ID")},
        {QStringLiteral("passwd"), {{QStringLiteral("delpass"), Kind::Password}}, {}, QStringLiteral("rowid")},
        {QStringLiteral("statrule"),
         {text("company", true), date("fromdt"), number("divisor"), number("pfon"), amount("pfrate"), amount("pfceil"),
          number("pffull"), amount("penrate"), amount("pencap"), number("esion"), amount("esilimit"),
          amount("esirate"), amount("esierrate"), number("pton"), text("ptslabs"), text("pfheads"), text("esiheads"),
          text("esicover"), text("ptheads")},
         {}, QStringLiteral("company, fromdt")},
        // The months closed and the audit trail, so that an export brought into a new database is
        // the same data: its months as closed, its history as it was recorded.
        {QStringLiteral("closedmonth"),
         {text("company", true), text("month", true), text("closedby"), text("closedat")},
         {}, QStringLiteral("company, month")},
        {QStringLiteral("audit"),
         {number("seq", true), exact("stamp"), exact("usernm"), exact("workstation"), exact("company"), exact("tbl"),
          exact("rowkey"), number("employee"), exact("kind"), exact("note"), exact("oldvalues"), exact("newvalues"),
          exact("hash")},
         {}, QStringLiteral("seq")},
    };
}

} // namespace

int Table::indexOf(const QString& column) const
{
    for (int i = 0; i < columns.size(); ++i)
        if (columns.at(i).name == column)
            return i;
    return -1;
}

QString sqlName(const QString& table)
{
    return table == QStringLiteral("use") ? QStringLiteral("\"use\"") : table;
}

const QList<Table>& tables()
{
    static const QList<Table> all = makeTables();
    return all;
}

const Table* tableNamed(const QString& name)
{
    const auto found = std::find_if(tables().cbegin(), tables().cend(), [&](const Table& t) { return t.name == name; });
    return found == tables().cend() ? nullptr : &*found;
}

} // namespace transfer
