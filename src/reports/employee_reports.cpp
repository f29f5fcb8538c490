#include "employee_reports.h"

namespace report {

using E = Employee;

Document employeeInformation(const CompanyHeading& company, QList<Employee> employees)
{
    Document d;
    d.name = QStringLiteral("drtSel_emp_info");
    d.title = QStringLiteral("Employee's Information");
    d.emblem = true;
    d.layout = Document::Layout::Records;
    d.heading = {{{QStringLiteral("Label20"), {}, true}},
                 {{QStringLiteral("Label21"), {}}},
                 {{QStringLiteral("Label1"), QStringLiteral("Employee's Information"), true}}};
    setCompany(d, company);
    d.setRows<E>(
        {
            memberField("ID Number:", Format::Number, &E::id),
            memberField("Emp. Name:", Format::Text, &E::name),
            memberField("Date Employed:", Format::Date, &E::dateEmployed),
            memberField("Address:", Format::Text, &E::address),
            memberField("Gender:", Format::Text, &E::gender),
            memberField("Status:", Format::Text, &E::civilStatus),
            memberField("Emp. Status", Format::Text, &E::employmentStatus),
            memberField("Position:", Format::Text, &E::position),
            memberField("Department:", Format::Text, &E::department),
            memberField("Group:", Format::Text, &E::group),
            memberField("Basic Rate:", Format::Amount, &E::basicRate),
        },
        std::move(employees));
    d.record = {
        {{QStringLiteral("ID Number:"), QStringLiteral("Date Employed:")}, {}},
        {{QStringLiteral("Emp. Name:")}, {}},
        {{QStringLiteral("Address:")}, {}},
        {{QStringLiteral("Gender:"), QStringLiteral("Status:")}, {}},
        {{QStringLiteral("Position:"), QStringLiteral("Emp. Status")}, {}},
        {{QStringLiteral("Department:"), QStringLiteral("Group:")}, {}},
        {{QStringLiteral("Basic Rate:"), QString()}, {}},
    };
    return d;
}

} // namespace report
