#pragma once

#include "data/payroll_repository.h"
#include "reports/company_heading.h"
#include "reports/report_document.h"

namespace report {

// drtSel: one payslip per transaction, each headed by the company.
Document payslips(const CompanyHeading& company, QList<PayrollTransaction> transactions);

} // namespace report
