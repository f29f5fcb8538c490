#include "payroll_reports.h"

namespace report {

using T = PayrollTransaction;

Document payslips(const CompanyHeading& company, QList<PayrollTransaction> transactions)
{
    Document d;
    d.name = QStringLiteral("drtSel");
    d.title = QStringLiteral("Payslip Report");
    d.emblem = true;
    d.layout = Document::Layout::Records;
    d.headingOnEachRecord = true;
    d.heading = {{{QStringLiteral("Label20"), {}, true}},
                 {{QStringLiteral("Label21"), {}}},
                 {{QStringLiteral("Label1"), QStringLiteral("Payslip Report"), true}}};
    setCompany(d, company);
    d.setRows<T>(
        {
            memberField("ID Number:", Format::Number, &T::employeeId),
            memberField("Emp. Name:", Format::Text, &T::name),
            memberField("Department:", Format::Text, &T::department),
            memberField("Group:", Format::Text, &T::group),
            memberField("Salary for the Month:", Format::MonthYear, &T::payDate),
            memberField("Dated:", Format::Date, &T::payDate),
            memberField("Basic Salary Rate:", Format::Amount, &T::monthRate),
            memberField("Present Days", Format::Amount, &T::daysPresent),
            memberField("Loan Deduct:", Format::Amount, &T::loanRecovered),
            memberField("Contribution:", Format::Amount, &T::contribution),
            memberField("LIC", Format::Amount, &T::lic),
            memberField("PGVCL", Format::Amount, &T::pgvcl),
            memberField("Advances:", Format::Amount, &T::advances),
            memberField("Bonus:", Format::Amount, &T::bonus),
            memberField("Overtime:", Format::Amount, &T::overtime),
            memberField("Travelling Charges:", Format::Amount, &T::travel),
            memberField("Net Pay", Format::Amount, &T::netPay),
            memberField("Transcation ID:", Format::Number, &T::transId),
            {{QStringLiteral("Signature:"), Format::Signature}, [](const T&) { return Value(); }},
        },
        std::move(transactions));
    d.record = {
        {{QStringLiteral("Salary for the Month:"), QStringLiteral("Transcation ID:")}, {}},
        {{QStringLiteral("ID Number:"), QStringLiteral("Dated:")}, {}},
        {{QStringLiteral("Emp. Name:")}, {}},
        {{QStringLiteral("Department:"), QStringLiteral("Group:")}, {}},
        {{QStringLiteral("Basic Salary Rate:"), QStringLiteral("Present Days")}, {}},
        {{}, {QStringLiteral("Deductions"), QStringLiteral("Additionals")}},
        {{QStringLiteral("Loan Deduct:"), QStringLiteral("Bonus:")}, {}},
        {{QStringLiteral("Contribution:"), QStringLiteral("Overtime:")}, {}},
        {{QStringLiteral("LIC"), QStringLiteral("Travelling Charges:")}, {}},
        {{QStringLiteral("PGVCL"), QString()}, {}},
        {{QStringLiteral("Advances:"), QString()}, {}},
        {{QStringLiteral("Net Pay"), QStringLiteral("Signature:")}, {}},
    };
    return d;
}

} // namespace report
