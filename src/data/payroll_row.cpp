#include "payroll_row.h"

#include "data/sql_query.h"

namespace payroll_row {

// The stored columns in the order bindValues() binds them; reads put transid before them.
const QStringList& columns()
{
    static const QStringList all = {QStringLiteral("ID"),       QStringLiteral("emname"),   QStringLiteral("monthrate"),
                             QStringLiteral("ddate"),    QStringLiteral("bonus"),    QStringLiteral("ot"),
                             QStringLiteral("totloan"),  QStringLiteral("ph"),       QStringLiteral("intax"),
                             QStringLiteral("others"),   QStringLiteral("absences"), QStringLiteral("earn"),
                             QStringLiteral("advances"), QStringLiteral("tad"),      QStringLiteral("td"),
                             QStringLiteral("loanrec"),  QStringLiteral("travel"),   QStringLiteral("netpay"),
                             QStringLiteral("dept"),     QStringLiteral("grp"),      QStringLiteral("company"),
                             QStringLiteral("pfwages"),  QStringLiteral("pswages"),  QStringLiteral("pfemp"),
                             QStringLiteral("pfpen"),    QStringLiteral("pfer"),     QStringLiteral("esiwages"),
                             QStringLiteral("esiemp"),   QStringLiteral("esier"),    QStringLiteral("ptax")};
    return all;
}

QString selectFrom(const QString& rest)
{
    return QStringLiteral("SELECT transid, %1 FROM payroll %2").arg(columns().join(QStringLiteral(", ")), rest);
}

void bind(SqlQuery& q, const PayrollTransaction& t)
{
    q.bind(t.employeeId)
        .bind(t.name)
        .bind(t.monthRate)
        .bind(t.payDate)
        .bind(t.bonus)
        .bind(t.overtime)
        .bind(t.totalLoan)
        .bind(t.contribution)
        .bind(t.lic)
        .bind(t.pgvcl)
        .bind(t.daysPresent)
        .bind(t.presentDaysSalary)
        .bind(t.advances)
        .bind(t.totalAdditional)
        .bind(t.totalDeductions)
        .bind(t.loanRecovered)
        .bind(t.travel)
        .bind(t.netPay)
        .bind(t.department)
        .bind(t.group)
        .bind(t.company)
        .bind(t.statutory.pfWages)
        .bind(t.statutory.pensionWages)
        .bind(t.statutory.pfEmployee)
        .bind(t.statutory.pension)
        .bind(t.statutory.pfEmployer)
        .bind(t.statutory.esiWages)
        .bind(t.statutory.esiEmployee)
        .bind(t.statutory.esiEmployer)
        .bind(t.statutory.professionalTax);
}

QString closedWhat()
{
    return QStringLiteral("its payroll cannot be saved, changed or deleted");
}

} // namespace payroll_row
