#include "payroll_reports.h"

#include "common/amount_words.h"

#include <QSettings>

#include <algorithm>

namespace report {

namespace {
const QString wordsKey = QStringLiteral("payslip/netPayInWords");
} // namespace

bool netPayInWordsSetting()
{
    return QSettings().value(wordsKey).toBool();
}

void setNetPayInWordsSetting(bool on)
{
    QSettings().setValue(wordsKey, on);
}

using T = PayrollTransaction;

namespace {

Field<T> statutoryField(const char* caption, Currency statutory::Figures::*member)
{
    return {{QString::fromLatin1(caption), Format::Amount}, [member](const T& t) { return Value(t.statutory.*member); }};
}

} // namespace

Document payslips(const CompanyHeading& company, QList<PayrollTransaction> transactions, bool netPayInWords)
{
    const bool statutory = std::any_of(transactions.cbegin(), transactions.cend(), [](const T& t) {
        return t.statutory != statutory::Figures{};
    });
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
    QList<Field<T>> fields = {
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
            memberField("Present Days Salary:", Format::Amount, &T::presentDaysSalary),
            memberField("Total Deductions:", Format::Amount, &T::totalDeductions),
            memberField("Total Additional:", Format::Amount, &T::totalAdditional),
            memberField("Net Pay", Format::Amount, &T::netPay),
            memberField("Transcation ID:", Format::Number, &T::transId),
            {{QStringLiteral("Signature:"), Format::Signature}, [](const T&) { return Value(); }},
    };
    if (statutory)
        fields << statutoryField("Provident Fund:", &statutory::Figures::pfEmployee)
               << statutoryField("ESI:", &statutory::Figures::esiEmployee)
               << statutoryField("Professional Tax:", &statutory::Figures::professionalTax);
    if (netPayInWords)
        fields << Field<T>{{QStringLiteral("In Words:"), Format::Text},
                           [](const T& t) { return Value(amountInWords(t.netPay)); }};
    d.setRows<T>(std::move(fields), std::move(transactions));
    d.record = {
        {{QStringLiteral("Salary for the Month:"), QStringLiteral("Transcation ID:")}, {}},
        {{QStringLiteral("ID Number:"), QStringLiteral("Dated:")}, {}},
        {{QStringLiteral("Emp. Name:")}, {}},
        {{QStringLiteral("Department:"), QStringLiteral("Group:")}, {}},
        {{QStringLiteral("Basic Salary Rate:"), QStringLiteral("Present Days")}, {}},
        {{QStringLiteral("Present Days Salary:"), QString()}, {}},
        {{}, {QStringLiteral("Deductions"), QStringLiteral("Additionals")}},
        {{QStringLiteral("Loan Deduct:"), QStringLiteral("Bonus:")}, {}},
        {{QStringLiteral("Contribution:"), QStringLiteral("Overtime:")}, {}},
        {{QStringLiteral("LIC"), QStringLiteral("Travelling Charges:")}, {}},
        {{QStringLiteral("PGVCL"), QString()}, {}},
        {{QStringLiteral("Advances:"), QString()}, {}},
    };
    // The statutory lines stand only on the payslips of a company that deducts them, so that the
    // others read as they always have; they are deductions, and stand in that column alone.
    if (statutory)
        d.record << RecordLine{{QStringLiteral("Provident Fund:"), QString()}, {}}
                 << RecordLine{{QStringLiteral("ESI:"), QString()}, {}}
                 << RecordLine{{QStringLiteral("Professional Tax:"), QString()}, {}};
    d.record << RecordLine{{QStringLiteral("Total Deductions:"), QStringLiteral("Total Additional:")}, {}}
             << RecordLine{{QStringLiteral("Net Pay"), QStringLiteral("Signature:")}, {}};
    if (netPayInWords)
        d.record << RecordLine{{QStringLiteral("In Words:")}, {}};
    return d;
}

} // namespace report
