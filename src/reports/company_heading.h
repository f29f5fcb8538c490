#pragma once

#include "data/status.h"

#include <QString>

class Database;

namespace report {

class Document;

// The company name and address line that head every report.
struct CompanyHeading {
    QString name;
    QString address;
};

// The address line is the company's `addr`, or the fixed line when it is empty or the company has
// no row in the company master. A failure to read it is a failure, not the fixed line.
Result<CompanyHeading> companyHeading(const Database& db, const QString& company);

// Fills the heading's company name (Label20) and address line (Label21).
void setCompany(Document& document, const CompanyHeading& company);

} // namespace report
