#include "company_heading.h"

#include "data/company_repository.h"
#include "reports/report_document.h"

namespace report {

Result<CompanyHeading> companyHeading(const Database& db, const QString& company)
{
    const auto stored = CompanyRepository(db).address(company);
    if (!stored)
        return stored.status();
    const QString address = stored->trimmed();
    return CompanyHeading{company, address.isEmpty() ? QStringLiteral("MARKET ROAD HILLTOWN") : address};
}

void setCompany(Document& document, const CompanyHeading& company)
{
    document.setLabel(QStringLiteral("Label20"), company.name);
    document.setLabel(QStringLiteral("Label21"), company.address);
}

} // namespace report
