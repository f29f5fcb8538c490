#include "revision_reports.h"

namespace report {

using A = ArrearsRow;

Document arrears(const CompanyHeading& company, const QString& employeeName, QList<ArrearsRow> rows)
{
    Document d;
    d.name = QStringLiteral("DataReport9");
    d.title = QStringLiteral("EMPLOYEE ARRERS REPORT");
    d.heading = {{{QStringLiteral("Label20"), {}, true}},
                 {{QStringLiteral("Label21"), {}}},
                 {{QStringLiteral("Label18"), QStringLiteral("EMPLOYEE ARRERS REPORT"), true}},
                 {{QStringLiteral("Label19"), QStringLiteral("Employee Name:")}, {QStringLiteral("Label22"), {}}}};
    setCompany(d, company);
    d.setLabel(QStringLiteral("Label22"), employeeName);
    d.setRows<A>(
        {
            memberField("Employee ID", Format::Number, &A::employeeId),
            {{QStringLiteral("Employee Name"), Format::Text, 2.5}, [](const A& a) { return Value(a.name); }},
            {{QStringLiteral("Increment Amount"), Format::Amount, 1.4, true},
             [](const A& a) { return Value(a.increment); }},
            memberField("Increment Date", Format::Text, &A::month),
            memberField("Date Paid", Format::Date, &A::payDate),
            {{QStringLiteral("Present Days"), Format::Amount, 1, true},
             [](const A& a) { return Value(a.daysPresent); }},
            {{QStringLiteral("Amount Paid"), Format::Amount, 1.2, true}, [](const A& a) { return Value(a.paid); }},
        },
        std::move(rows));
    return d;
}

} // namespace report
