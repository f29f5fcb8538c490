#include "statutory_reports.h"

#include "common/dates.h"
#include "data/employee_repository.h"
#include "data/statutory_repository.h"

#include <QMap>
#include <QSet>

namespace report {

namespace {

using L = StatutoryLine;

Currency added(Currency a, Currency b)
{
    // Stored amounts are far inside the range; a sum beyond it stays at the last value held.
    return a.plus(b).value_or(a);
}

// The gross wages of a return are whole rupees, halves up, as the fund's office counts them.
Currency toRupee(Currency amount)
{
    const qint64 units = amount.units();
    const qint64 whole = (units + Currency::Scale / 2) / Currency::Scale;
    return Currency::fromUnits(whole * Currency::Scale);
}

QString rupees(Currency amount)
{
    return QString::number(toRupee(amount).units() / Currency::Scale);
}

} // namespace

QList<StatutoryLine> statutoryLines(const QList<PayrollTransaction>& transactions)
{
    // The employee's month first: a later transaction may hand back what an earlier one took, and
    // an employee counts where the month, not a transaction, was charged.
    QMap<qint64, statutory::Figures> months;
    QMap<qint64, Currency> gross;
    for (const PayrollTransaction& t : transactions) {
        statutory::Figures& m = months[t.employeeId];
        const statutory::Figures& f = t.statutory;
        for (Currency statutory::Figures::*member :
             {&statutory::Figures::pfWages, &statutory::Figures::pensionWages, &statutory::Figures::pfEmployee,
              &statutory::Figures::pension, &statutory::Figures::pfEmployer, &statutory::Figures::esiWages,
              &statutory::Figures::esiEmployee, &statutory::Figures::esiEmployer, &statutory::Figures::professionalTax})
            m.*member = added(m.*member, f.*member);
        gross[t.employeeId] = added(gross.value(t.employeeId), added(t.presentDaysSalary, t.totalAdditional));
    }
    L pf, esi, pt;
    pf.deduction = QStringLiteral("Provident Fund");
    esi.deduction = QStringLiteral("Employees' State Insurance");
    pt.deduction = QStringLiteral("Professional Tax");
    for (auto it = months.cbegin(); it != months.cend(); ++it) {
        const statutory::Figures& f = *it;
        if (f.pfEmployee > Currency() || f.pfWages > Currency()) {
            ++pf.employees;
            pf.wages = added(pf.wages, f.pfWages);
            pf.employeeShare = added(pf.employeeShare, f.pfEmployee);
            // The employer pays the fund and the pension alike: both are its share.
            pf.employerShare = added(pf.employerShare, added(f.pfEmployer, f.pension));
            pf.pension = added(pf.pension, f.pension);
        }
        if (f.esiEmployee > Currency() || f.esiWages > Currency()) {
            ++esi.employees;
            esi.wages = added(esi.wages, f.esiWages);
            esi.employeeShare = added(esi.employeeShare, f.esiEmployee);
            esi.employerShare = added(esi.employerShare, f.esiEmployer);
        }
        if (f.professionalTax > Currency()) {
            ++pt.employees;
            pt.wages = added(pt.wages, gross.value(it.key()));
            pt.employeeShare = added(pt.employeeShare, f.professionalTax);
        }
    }
    return {pf, esi, pt};
}

Document statutorySummary(const CompanyHeading& company, QDate month, QList<StatutoryLine> lines)
{
    Document d;
    d.name = QStringLiteral("StatutorySummary");
    d.title = QStringLiteral("STATUTORY SUMMARY");
    d.heading = {{{QStringLiteral("Label20"), {}, true}},
                 {{QStringLiteral("Label21"), {}}},
                 {{QStringLiteral("Label18"), QStringLiteral("STATUTORY SUMMARY"), true}},
                 {{QStringLiteral("Label19"), QStringLiteral("FOR THE MONTH OF:")},
                  {QStringLiteral("Label22"), dates::monthName(month) + u' ' + QString::number(month.year())}}};
    setCompany(d, company);
    // The shares add up to what the month paid over; wages of different deductions do not add.
    const auto amount = [](const char* caption, Currency L::*member, bool summed = true) {
        return Field<L>{{QString::fromLatin1(caption), Format::Amount, 1.3, summed},
                        [member](const L& line) { return Value(line.*member); }};
    };
    d.setRows<L>({{{QStringLiteral("Deduction"), Format::Text, 2.4}, [](const L& l) { return Value(l.deduction); }},
                  {{QStringLiteral("Employees"), Format::Number, 1}, [](const L& l) { return Value(l.employees); }},
                  amount("Wages", &L::wages, false),
                  amount("Employee's Share", &L::employeeShare),
                  amount("Employer's Share", &L::employerShare),
                  amount("Pension Fund", &L::pension)},
                 std::move(lines));
    return d;
}

PfReturn pfReturn(const QList<PayrollTransaction>& transactions, const QHash<qint64, Employee>& employees,
                  const statutory::Rules& rules)
{
    struct Member {
        ReturnMember line;
        Currency daysPresent;
        QDate payDate;
    };
    // A member earning only additions in the month owes nothing but is still returned, with the
    // days not paid.
    const auto member = [&](const PayrollTransaction& t) {
        const statutory::Figures& f = t.statutory;
        if (f.pfEmployee > Currency() || f.pfWages > Currency())
            return true;
        const auto e = employees.constFind(t.employeeId);
        return rules.pfOn && e != employees.cend() && !statutory::Exemptions::holds(e->exemptions.pfFrom, t.payDate) &&
               added(t.presentDaysSalary, t.totalAdditional) > Currency();
    };
    // A member's line is the whole month: every transaction of it, charged or not, with its days.
    QSet<qint64> members;
    for (const PayrollTransaction& t : transactions)
        if (member(t))
            members.insert(t.employeeId);
    QMap<qint64, Member> byEmployee;
    for (const PayrollTransaction& t : transactions) {
        const statutory::Figures& f = t.statutory;
        if (!members.contains(t.employeeId))
            continue;
        Member& m = byEmployee[t.employeeId];
        ReturnMember& r = m.line;
        if (r.name.isEmpty()) {
            const Employee e = employees.value(t.employeeId);
            r.uan = e.pfNumber;
            r.name = e.id != 0 ? e.name : t.name;
        }
        r.grossWages = added(r.grossWages, added(t.presentDaysSalary, t.totalAdditional));
        r.pfWages = added(r.pfWages, f.pfWages);
        r.pensionWages = added(r.pensionWages, f.pensionWages);
        r.pfEmployee = added(r.pfEmployee, f.pfEmployee);
        r.pension = added(r.pension, f.pension);
        r.pfEmployer = added(r.pfEmployer, f.pfEmployer);
        m.daysPresent = added(m.daysPresent, t.daysPresent);
        m.payDate = t.payDate;
    }
    PfReturn out;
    for (auto it = byEmployee.begin(); it != byEmployee.end(); ++it) {
        ReturnMember r = it->line;
        // The insurance-linked wages are the fund's wages up to the ceiling, pension or none.
        r.edliWages = std::min(r.pfWages, rules.pfCeiling);
        r.daysNotPaid = statutory::daysNotPaid(it->payDate, it->daysPresent);
        if (r.uan.isEmpty())
            out.missing << QStringLiteral("%1 %2").arg(it.key()).arg(r.name);
        out.members << r;
    }
    return out;
}

QByteArray pfReturnText(const QList<ReturnMember>& members)
{
    static const QString separator = QStringLiteral("#~#");
    QStringList lines;
    for (const ReturnMember& m : members) {
        // A name holds no separator and no line break, whatever was typed.
        QString name = m.name.simplified();
        name.replace(separator, QStringLiteral(" "));
        lines << QStringList{m.uan,
                             name,
                             rupees(m.grossWages),
                             rupees(m.pfWages),
                             rupees(m.pensionWages),
                             rupees(m.edliWages),
                             rupees(m.pfEmployee),
                             rupees(m.pension),
                             rupees(m.pfEmployer),
                             QString::number(m.daysNotPaid),
                             QStringLiteral("0")}
                     .join(separator);
    }
    return lines.isEmpty() ? QByteArray() : (lines.join(u'\n') + u'\n').toUtf8();
}

Result<Document> statutorySummaryOf(const Database& db, const QString& company, QDate month)
{
    auto rows = PayrollRepository(db).month(company, month);
    if (!rows)
        return rows.status();
    const auto heading = companyHeading(db, company);
    if (!heading)
        return heading.status();
    return statutorySummary(*heading, month, statutoryLines(*rows));
}

Result<QByteArray> pfReturnOf(const Database& db, const QString& company, QDate month)
{
    const auto rows = PayrollRepository(db).month(company, month);
    if (!rows)
        return rows.status();
    const auto rules = StatutoryRepository(db).inForce(company, month);
    if (!rules)
        return rules.status();
    const auto employees = EmployeeRepository(db).ofTransactions(*rows);
    if (!employees)
        return employees.status();
    const PfReturn made = pfReturn(*rows, *employees, *rules);
    if (made.members.isEmpty())
        return Status::failure(
            QStringLiteral("Nobody of %1 was charged the provident fund in %2: there is no return to write.")
                .arg(company, monthCaption(month)));
    if (!made.missing.isEmpty())
        return unnumberedMembers(QStringLiteral("The return"), month, made.missing,
                                 QStringLiteral("provident fund account number (UAN)"));
    return pfReturnText(made.members);
}

QString monthCaption(QDate month)
{
    return dates::monthName(month) + u' ' + QString::number(month.year());
}

Status unnumberedMembers(const QString& paper, QDate month, const QStringList& missing, const QString& number)
{
    return Status::failure(QStringLiteral("%1 of %2 cannot be written: %3 %4 no %5: %6. Enter them in the employee's "
                                          "window first.")
                               .arg(paper, monthCaption(month))
                               .arg(missing.size())
                               .arg(missing.size() == 1 ? QStringLiteral("member has") : QStringLiteral("members have"),
                                    number, missing.join(QStringLiteral(", "))));
}

} // namespace report
