#include "payroll_reports.h"

namespace report {

namespace {

using T = PayrollTransaction;

Field<T> amount(const char* caption, Currency T::*member)
{
    return {{QString::fromLatin1(caption), Format::Amount}, [member](const T& t) { return Value(t.*member); }};
}

Field<T> text(const char* caption, QString T::*member)
{
    return {{QString::fromLatin1(caption), Format::Text}, [member](const T& t) { return Value(t.*member); }};
}

} // namespace

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
            {{QStringLiteral("ID Number:"), Format::Number}, [](const T& t) { return Value(t.employeeId); }},
            text("Emp. Name:", &T::name),
            text("Department:", &T::department),
            text("Group:", &T::group),
            {{QStringLiteral("Salary for the Month:"), Format::MonthYear}, [](const T& t) { return Value(t.payDate); }},
            {{QStringLiteral("Dated:"), Format::Date}, [](const T& t) { return Value(t.payDate); }},
            amount("Basic Salary Rate:", &T::monthRate),
            amount("Present Days", &T::daysPresent),
            amount("Loan Deduct:", &T::loanRecovered),
            amount("Contribution:", &T::contribution),
            amount("LIC", &T::lic),
            amount("PGVCL", &T::pgvcl),
            amount("Advances:", &T::advances),
            amount("Bonus:", &T::bonus),
            amount("Overtime:", &T::overtime),
            amount("Travelling Charges:", &T::travel),
            amount("Net Pay", &T::netPay),
            {{QStringLiteral("Transcation ID:"), Format::Number}, [](const T& t) { return Value(t.transId); }},
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
