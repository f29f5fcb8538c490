#pragma once

#include "data/payroll_repository.h"
#include "reports/company_heading.h"
#include "reports/report_document.h"

namespace report {

// drtSel: one payslip per transaction, each headed by the company.
// With netPayInWords, each payslip also writes its net pay in words under the figure.
// Whether payslips write the net pay in words, wherever they are printed from; kept in the
// installation's settings.
bool netPayInWordsSetting();
void setNetPayInWordsSetting(bool on);
Document payslips(const CompanyHeading& company, QList<PayrollTransaction> transactions, bool netPayInWords = false);

} // namespace report
