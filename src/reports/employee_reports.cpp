#include "employee_reports.h"

namespace report {

namespace {

using E = Employee;

Field<E> text(const char* caption, QString E::*member)
{
    return {{QString::fromLatin1(caption), Format::Text}, [member](const E& e) { return Value(e.*member); }};
}

} // namespace

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
            {{QStringLiteral("ID Number:"), Format::Number}, [](const E& e) { return Value(e.id); }},
            text("Emp. Name:", &E::name),
            {{QStringLiteral("Date Employed:"), Format::Date}, [](const E& e) { return Value(e.dateEmployed); }},
            text("Address:", &E::address),
            text("Gender:", &E::gender),
            text("Status:", &E::civilStatus),
            text("Emp. Status", &E::employmentStatus),
            text("Position:", &E::position),
            text("Department:", &E::department),
            text("Group:", &E::group),
            {{QStringLiteral("Basic Rate:"), Format::Amount}, [](const E& e) { return Value(e.basicRate); }},
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
