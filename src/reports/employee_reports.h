#pragma once

#include "data/employee_repository.h"
#include "reports/company_heading.h"
#include "reports/report_document.h"

namespace report {

// drtSel_emp_info: one block per employee, in the order given.
Document employeeInformation(const CompanyHeading& company, QList<Employee> employees);

} // namespace report
