#pragma once

#include "data/revision_repository.h"
#include "reports/company_heading.h"
#include "reports/report_document.h"

namespace report {

// DataReport9: one employee's arrears, each with the month it is for and the date it was paid, with
// the totals of the increment, the days and the amount paid.
Document arrears(const CompanyHeading& company, const QString& employeeName, QList<ArrearsRow> rows);

} // namespace report
