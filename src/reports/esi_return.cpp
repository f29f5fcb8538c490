#include "esi_return.h"

#include "common/dates.h"
#include "data/employee_repository.h"
#include "reports/report_files.h"
#include "reports/statutory_reports.h"
#include "rules/statutory.h"

#include <QMap>

namespace report {

namespace {

bool insured(const PayrollTransaction& t)
{
    return !t.statutory.esiWages.isZero() || !t.statutory.esiEmployee.isZero();
}

// The portal takes a name of letters and spaces alone.
QString portalName(const QString& name)
{
    QString kept;
    for (QChar c : name)
        kept += c.isLetter() ? c : QChar(u' ');
    return kept.simplified();
}

// Days present to the next whole day, as the portal counts the days paid.
int wholeDaysUp(Currency days)
{
    const qint64 units = std::max<qint64>(days.units(), 0);
    return int((units + Currency::Scale - 1) / Currency::Scale);
}

} // namespace

EsiReturn esiReturn(const QList<PayrollTransaction>& month, const QList<PayrollTransaction>& earlier,
                    const QHash<qint64, Employee>& employees)
{
    QMap<qint64, EsiMember> byEmployee;
    QMap<qint64, Currency> days, charged;
    for (const PayrollTransaction& t : month) {
        if (!insured(t))
            continue;
        EsiMember& m = byEmployee[t.employeeId];
        m.employeeId = t.employeeId;
        m.name = t.name;
        m.wages = m.wages.plus(t.statutory.esiWages).value_or(m.wages);
        charged[t.employeeId] = charged.value(t.employeeId).plus(t.statutory.esiEmployee).value_or(Currency());
        days[t.employeeId] = days.value(t.employeeId).plus(t.daysPresent).value_or(days.value(t.employeeId));
    }
    // A month whose later transaction handed back what an earlier one took was not insured.
    for (auto it = byEmployee.begin(); it != byEmployee.end();) {
        it->daysPaid = wholeDaysUp(days.value(it.key()));
        it = it->wages.isZero() && charged.value(it.key()).isZero() ? byEmployee.erase(it) : std::next(it);
    }
    // Covered earlier in the period and unpaid this month: listed with no days, and the reason. A
    // month whose later transaction handed back what an earlier one took was not insured.
    QMap<std::pair<qint64, QDate>, Currency> earlierWages;
    for (const PayrollTransaction& t : earlier) {
        Currency& w = earlierWages[{t.employeeId, dates::firstOfMonth(t.payDate)}];
        w = w.plus(t.statutory.esiWages).value_or(w);
    }
    for (const PayrollTransaction& t : earlier) {
        if (earlierWages.value({t.employeeId, dates::firstOfMonth(t.payDate)}) <= Currency())
            continue;
        const bool known = byEmployee.contains(t.employeeId);
        EsiMember& m = byEmployee[t.employeeId];
        if (known && m.lastWorkingDay.isNull() && m.daysPaid > 0)
            continue;
        m.employeeId = t.employeeId;
        m.name = t.name;
        m.lastWorkingDay = std::max(m.lastWorkingDay, t.payDate);
    }
    EsiReturn out;
    for (EsiMember m : byEmployee) {
        const auto e = employees.constFind(m.employeeId);
        if (e != employees.cend()) {
            m.name = e->name;
            m.ipNumber = e->esiNumber;
        }
        if (m.daysPaid == 0 && e == employees.cend())
            m.reason = NoDaysReason::LeftService;
        else
            m.lastWorkingDay = QDate(); // only one who left gives the last day
        if (m.ipNumber.isEmpty())
            out.missing << QStringLiteral("%1 %2").arg(m.employeeId).arg(m.name);
        out.members << m;
    }
    return out;
}

QByteArray esiReturnText(const QList<EsiMember>& members)
{
    QStringList lines{QStringList{QStringLiteral("IP Number (10 Digits)"), QStringLiteral("IP Name( Only Alphabets and Space )"),
                                  QStringLiteral("No of Days for which wages paid/payable during the month"),
                                  QStringLiteral("Total Monthly Wages"),
                                  QStringLiteral("Reason Code for Zero workings days(numeric only; provide 0 for all "
                                                 "other reasons)"),
                                  QStringLiteral("Last Working Day( Format DD/MM/YYYY  or DD-MM-YYYY)")}
                          .join(u',')};
    for (const EsiMember& m : members)
        lines << QStringList{csvField(m.ipNumber, true), csvField(portalName(m.name), true), QString::number(m.daysPaid),
                             m.wages.toFixedText(false), QString::number(int(m.reason)),
                             m.lastWorkingDay.isValid() ? dates::displayText(m.lastWorkingDay) : QString()}
                     .join(u',');
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

Result<QByteArray> esiReturnOf(const Database& db, const QString& company, QDate month)
{
    const PayrollRepository payroll(db);
    const QDate first = dates::firstOfMonth(month);
    const auto rows = payroll.month(company, first);
    if (!rows)
        return rows.status();
    const QDate start = statutory::contributionPeriodStart(first);
    auto earlier = start < first ? payroll.select(PayrollSelection::range(company, start, first.addDays(-1)))
                                 : Result<QList<PayrollTransaction>>(QList<PayrollTransaction>());
    if (!earlier)
        return earlier.status();
    const auto employees = EmployeeRepository(db).ofTransactions(*rows + *earlier);
    if (!employees)
        return employees.status();
    const EsiReturn made = esiReturn(*rows, *earlier, *employees);
    if (made.members.isEmpty())
        return Status::failure(QStringLiteral("Nobody of %1 was insured in %2: there is no contribution file to write.")
                                   .arg(company, monthCaption(first)));
    if (!made.missing.isEmpty())
        return unnumberedMembers(QStringLiteral("The insurance's contribution file"), first, made.missing,
                                 QStringLiteral("insurance number"));
    return esiReturnText(made.members);
}

} // namespace report
