#include "range_reports.h"

#include "common/dates.h"

#include <QHash>

#include <algorithm>

namespace report {

namespace {

using T = PayrollTransaction;
using S = SalaryLine;

// Company, address, title, and the range line "… FROM: 01/03/2026 TO 31/03/2026".
QList<QList<Label>> rangeHeading(const QString& title, const QString& rangeCaption, QDate from, QDate to)
{
    return {{{QStringLiteral("Label20"), {}, true}},
            {{QStringLiteral("Label21"), {}}},
            {{QStringLiteral("Label18"), title, true}},
            {{QStringLiteral("Label19"), rangeCaption},
             {QStringLiteral("Label22"), dates::displayText(from)},
             {QStringLiteral("Label23"), QStringLiteral("TO")},
             {QStringLiteral("Label24"), dates::displayText(to)}}};
}

Document titled(const QString& name, const QString& title, QList<QList<Label>> heading, const CompanyHeading& company)
{
    Document d;
    d.name = name;
    d.title = title;
    d.heading = std::move(heading);
    setCompany(d, company);
    return d;
}

template <typename Row>
Field<Row> amountField(const QString& caption, Currency Row::*member, bool summed, double width = 1)
{
    return {{caption, Format::Amount, width, summed}, [member](const Row& row) { return Value(row.*member); }};
}

template <typename Row>
Field<Row> nameField(const QString& caption, QString Row::*member, double width = 2.5)
{
    return {{caption, Format::Text, width}, [member](const Row& row) { return Value(row.*member); }};
}

Field<T> statutoryField(const QString& caption, Currency statutory::Figures::*member, double width = 1)
{
    return {{caption, Format::Amount, width, true}, [member](const T& t) { return Value(t.statutory.*member); }};
}

// The payroll reports' columns: no employee number, the five amounts summed, a place to sign; and
// the employee's statutory shares (in the deduction already) when any row of the range has them.
QList<Field<T>> payrollReportFields(const QList<PayrollTransaction>& rows)
{
    QList<Field<T>> fields = {
        nameField(QStringLiteral("Employee Name"), &T::name),
        amountField(QStringLiteral("Basic Rate"), &T::monthRate, true, 1.4),
        amountField(QStringLiteral("Present"), &T::daysPresent, true, 1.1),
        amountField(QStringLiteral("Earnings"), &T::presentDaysSalary, true, 1.4),
        amountField(QStringLiteral("Deduction"), &T::totalDeductions, true, 1.2),
    };
    const bool statutory = std::any_of(rows.cbegin(), rows.cend(), [](const T& t) {
        return t.statutory != statutory::Figures{};
    });
    if (statutory)
        fields << statutoryField(QStringLiteral("PF"), &statutory::Figures::pfEmployee)
               << statutoryField(QStringLiteral("ESI"), &statutory::Figures::esiEmployee)
               << statutoryField(QStringLiteral("PT"), &statutory::Figures::professionalTax);
    fields << amountField(QStringLiteral("Netpay"), &T::netPay, true, 1.4)
           << Field<T>{{QStringLiteral("Signature"), Format::Signature, 1.2}, [](const T&) { return Value(); }};
    return fields;
}

QList<Field<S>> salaryFields()
{
    return {
        {{QStringLiteral("ID"), Format::Number, 0.6}, [](const S& s) { return Value(s.employeeId); }},
        nameField(QStringLiteral("Employee Name"), &S::name, 2.2),
        amountField(QStringLiteral("Basic Rate"), &S::monthRate, false, 1.2),
        amountField(QStringLiteral("Present"), &S::daysPresent, true, 1.1),
        amountField(QStringLiteral("Earnings"), &S::earnings, true, 1.4),
        amountField(QStringLiteral("Deduction"), &S::deductions, true, 1.2),
        amountField(QStringLiteral("Netpay"), &S::netPay, true, 1.4),
        {{QStringLiteral("Signature"), Format::Signature, 1.2}, [](const S&) { return Value(); }},
    };
}

QList<Field<T>> recoveryFields(bool withDepartment, bool grid)
{
    QList<Field<T>> fields = {
        memberField("ID", Format::Number, &T::employeeId),
        nameField(grid ? QStringLiteral("Name") : QStringLiteral("Employee Name"), &T::name),
        amountField(QStringLiteral("Loan Recovered"), &T::loanRecovered, true, 1.3),
        {{grid ? QStringLiteral("Date") : QStringLiteral("Recovery Date"), Format::Date, 1.2},
         [](const T& t) { return Value(t.payDate); }},
    };
    if (withDepartment)
        fields << nameField(grid ? QStringLiteral("Department") : QStringLiteral("dept:"), &T::department, 1.5);
    return fields;
}

SalaryLine lineOf(const T& t)
{
    return {t.employeeId, t.name, t.monthRate, t.daysPresent, t.presentDaysSalary, t.totalDeductions, t.netPay};
}

} // namespace

QList<SalaryLine> salaryLines(const QList<PayrollTransaction>& transactions)
{
    QList<SalaryLine> lines;
    lines.reserve(transactions.size());
    for (const T& t : transactions)
        lines << lineOf(t);
    return lines;
}

QList<SalaryLine> salaryByRate(const QList<PayrollTransaction>& transactions)
{
    QList<SalaryLine> lines;
    QHash<std::pair<qint64, qint64>, qsizetype> lineOfRate;
    for (const T& t : transactions) {
        const auto key = std::pair(t.employeeId, t.monthRate.units());
        const auto found = lineOfRate.constFind(key);
        if (found == lineOfRate.cend()) {
            lineOfRate.insert(key, lines.size());
            lines << lineOf(t);
            continue;
        }
        SalaryLine& line = lines[*found];
        // Sums of stored amounts stay far inside the range of Currency; a sum that would not is kept
        // at the last value it could hold rather than wrapped.
        line.daysPresent = line.daysPresent.plus(t.daysPresent).value_or(line.daysPresent);
        line.earnings = line.earnings.plus(t.presentDaysSalary).value_or(line.earnings);
        line.deductions = line.deductions.plus(t.totalDeductions).value_or(line.deductions);
        line.netPay = line.netPay.plus(t.netPay).value_or(line.netPay);
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](const SalaryLine& a, const SalaryLine& b) { return a.employeeId < b.employeeId; });
    return lines;
}

Document payrollReport(const CompanyHeading& company, QDate from, QDate to, QList<PayrollTransaction> rows)
{
    Document d = titled(
        QStringLiteral("DataReport1"), QStringLiteral("PAYROLL REPORT"),
        rangeHeading(QStringLiteral("PAYROLL REPORT"), QStringLiteral("PAYROLL REPORT FROM:"), from, to), company);
    auto fields = payrollReportFields(rows);
    d.setRows<T>(std::move(fields), std::move(rows));
    return d;
}

Document departmentPayrollReport(const CompanyHeading& company, QDate from, QDate to, const QString& department,
                                 const QString& group, QList<PayrollTransaction> rows)
{
    auto heading = rangeHeading(QStringLiteral("DEPARTMENT WISE PAYROLL REPORT"),
                                QStringLiteral("PAYROLL REPORT FROM:"), from, to);
    heading << QList<Label>{{QStringLiteral("Label15"), QStringLiteral("DEPARTMENT NAME:")},
                            {QStringLiteral("Label16"), department},
                            {QStringLiteral("Label17"), QStringLiteral("GROUP:")},
                            {QStringLiteral("Label25"), group}};
    Document d = titled(QStringLiteral("DataReport2"), QStringLiteral("DEPARTMENT WISE PAYROLL REPORT"),
                        std::move(heading), company);
    d.countCaption = QStringLiteral("Total Rows Count:");
    auto fields = payrollReportFields(rows);
    d.setRows<T>(std::move(fields), std::move(rows));
    return d;
}

Document advanceReport(const CompanyHeading& company, QDate from, QDate to, QList<Advance> rows)
{
    using A = Advance;
    Document d = titled(
        QStringLiteral("DataReport3"), QStringLiteral("DATE WISE ADVANCE REPORT"),
        rangeHeading(QStringLiteral("DATE WISE ADVANCE REPORT"), QStringLiteral("ADVANCE REPORT FROM:"), from, to),
        company);
    d.setRows<A>(
        {
            memberField("ID", Format::Number, &A::employeeId),
            nameField(QStringLiteral("Employee Name"), &A::name),
            amountField(QStringLiteral("Advance Amount"), &A::amount, true, 1.3),
            memberField("Advance Date", Format::Date, &A::date),
            {{QStringLiteral("Advance Time"), Format::Text},
             [](const A& a) { return Value(a.time.toString(QStringLiteral("HH:mm:ss"))); }},
        },
        std::move(rows));
    return d;
}

Document loanReport(const CompanyHeading& company, QDate from, QDate to, const std::optional<QString>& department,
                    QList<Loan> rows)
{
    using L = Loan;
    const bool byDepartment = department.has_value();
    const QString title =
        byDepartment ? QStringLiteral("DEPARTMENT WISE LOAN REPORT") : QStringLiteral("DATE WISE LOAN REPORT");
    auto heading = rangeHeading(title, QStringLiteral("LOAN REPORT FROM:"), from, to);
    if (byDepartment)
        heading << QList<Label>{{QStringLiteral("Label1"), QStringLiteral("DEPARTMENT:")},
                                {QStringLiteral("Label2"), *department}};
    heading << QList<Label>{{QStringLiteral("Label6"),
                             byDepartment ? QStringLiteral("DEPARTMENT WISE LOAN PAYMENT DETAILS")
                                          : QStringLiteral("DATE WISE LOAN PAYMENT DETAILS"),
                             true}};
    Document d = titled(byDepartment ? QStringLiteral("DataReport6") : QStringLiteral("DataReport4"), title,
                        std::move(heading), company);
    d.setRows<L>(
        {
            memberField("ID", Format::Number, &L::employeeId),
            nameField(QStringLiteral("Employee Name"), &L::name),
            amountField(QStringLiteral("Loan Amount"), &L::amount, true, 1.3),
            amountField(QStringLiteral("Per month Deduction"), &L::monthlyDeduction, false, 1.5),
            nameField(QStringLiteral("Department"), &L::department, 1.5),
        },
        std::move(rows));
    return d;
}

Document loanRecoveryReport(const CompanyHeading& company, QDate from, QDate to,
                            const std::optional<QString>& department, QList<PayrollTransaction> rows)
{
    const bool byDepartment = department.has_value();
    const QString title = byDepartment ? QStringLiteral("DEPARTMENT WISE LOAN RECOVERY REPORT")
                                       : QStringLiteral("DATE WISE LOAN RECOVERY REPORT");
    auto heading = rangeHeading(title, QStringLiteral("RECOVERY REPORT FROM:"), from, to);
    if (byDepartment)
        heading << QList<Label>{{QStringLiteral("Label1"), QStringLiteral("DEPARTMENT:")},
                                {QStringLiteral("Label2"), *department}};
    heading << QList<Label>{{QStringLiteral("Label6"),
                             byDepartment ? QStringLiteral("DEPARTMENT WISE LOAN RECOVERY DETAILS")
                                          : QStringLiteral("DATE WISE LOAN RECOVERY DETAILS"),
                             true}};
    Document d = titled(byDepartment ? QStringLiteral("DataReport7") : QStringLiteral("DataReport5"), title,
                        std::move(heading), company);
    d.setRows<T>(recoveryFields(byDepartment, false), std::move(rows));
    return d;
}

Document salaryMonthReport(const CompanyHeading& company, QDate month, QList<SalaryLine> lines)
{
    Document d = titled(
        QStringLiteral("DataReport8"), QStringLiteral("EMPLOYEE PAYROLL REPORT"),
        {{{QStringLiteral("Label20"), {}, true}},
         {{QStringLiteral("Label21"), {}}},
         {{QStringLiteral("Label18"), QStringLiteral("EMPLOYEE PAYROLL REPORT"), true}},
         {{QStringLiteral("Label19"), QStringLiteral("MONTH:")}, {QStringLiteral("Label22"), dates::monthName(month)}}},
        company);
    d.setRows<S>(salaryFields(), std::move(lines));
    return d;
}

Document salaryPeriodReport(const CompanyHeading& company, QDate from, QDate to, const QString& group,
                            QList<SalaryLine> lines)
{
    Document d = titled(QStringLiteral("DataReport10"), QStringLiteral("EMPLOYEE PAYROLL REPORT"),
                        {{{QStringLiteral("Label20"), {}, true}},
                         {{QStringLiteral("Label21"), {}}},
                         {{QStringLiteral("Label18"), QStringLiteral("EMPLOYEE PAYROLL REPORT"), true}},
                         {{QStringLiteral("Label19"), QStringLiteral("FROM MONTH:")},
                          {QStringLiteral("Label22"), dates::monthYearText(from)},
                          {QStringLiteral("Label5"), QStringLiteral("TO MONTH:")},
                          {QStringLiteral("Label6"), dates::monthYearText(to)}},
                         {{QStringLiteral("Label8"), QStringLiteral("Group:")}, {QStringLiteral("Label9"), group}}},
                        company);
    d.setRows<S>(salaryFields(), std::move(lines));
    return d;
}

const QList<std::pair<QString, Currency PayrollTransaction::*>>& payrollGridAmounts()
{
    static const QList<std::pair<QString, Currency T::*>> amounts = {
        {QStringLiteral("bonus"), &T::bonus},
        {QStringLiteral("Overtime"), &T::overtime},
        {QStringLiteral("Contribution"), &T::contribution},
        {QStringLiteral("LIC"), &T::lic},
        {QStringLiteral("PGVCL"), &T::pgvcl},
        {QStringLiteral("Present"), &T::daysPresent},
        {QStringLiteral("advances"), &T::advances},
        {QStringLiteral("Total Deduction"), &T::totalDeductions},
        {QStringLiteral("Loan Recovered"), &T::loanRecovered},
        {QStringLiteral("travel"), &T::travel},
        {QStringLiteral("netpay"), &T::netPay},
    };
    return amounts;
}

Document payrollGrid(QList<PayrollTransaction> rows)
{
    QList<Field<T>> fields = {memberField("ID", Format::Number, &T::employeeId),
                              nameField(QStringLiteral("Name"), &T::name)};
    for (const auto& [caption, member] : payrollGridAmounts())
        fields << amountField(caption, member, true);
    Document d;
    d.name = QStringLiteral("MSHFlexGrid1");
    d.setRows<T>(std::move(fields), std::move(rows));
    return d;
}

QList<Value> payrollGridTotals(const QList<PayrollTransaction>& rows)
{
    QList<Value> totals;
    for (const auto& [caption, member] : payrollGridAmounts())
        totals << exactTotal(rows, member);
    return totals;
}

Document advanceGrid(QList<Advance> rows)
{
    using A = Advance;
    Document d;
    d.name = QStringLiteral("MSHFlexGrid1");
    d.setRows<A>(
        {
            memberField("ID", Format::Number, &A::employeeId),
            nameField(QStringLiteral("Name"), &A::name),
            amountField(QStringLiteral("Amount"), &A::amount, true),
            memberField("Date", Format::Date, &A::date),
            {{QStringLiteral("Time"), Format::Text},
             [](const A& a) { return Value(a.time.toString(QStringLiteral("HH:mm:ss"))); }},
        },
        std::move(rows));
    return d;
}

Document loanGrid(QList<Loan> rows)
{
    using L = Loan;
    Document d;
    d.name = QStringLiteral("MSHFlexGrid1");
    d.setRows<L>(
        {
            memberField("ID", Format::Number, &L::employeeId),
            nameField(QStringLiteral("Name"), &L::name),
            amountField(QStringLiteral("Loan Amount"), &L::amount, true),
            memberField("Date", Format::Date, &L::date),
            {{QStringLiteral("Time"), Format::Text},
             [](const L& l) { return Value(l.time.toString(QStringLiteral("HH:mm:ss"))); }},
        },
        std::move(rows));
    return d;
}

Document loanRecoveryGrid(QList<PayrollTransaction> rows, bool withDepartment)
{
    Document d;
    d.name = QStringLiteral("MSHFlexGrid2");
    d.setRows<T>(recoveryFields(withDepartment, true), std::move(rows));
    return d;
}

} // namespace report
