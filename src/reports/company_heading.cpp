#include "company_heading.h"

#include "data/company_repository.h"
#include "reports/report_document.h"

namespace report {

CompanyHeading companyHeading(const Database& db, const QString& company)
{
    QString address = CompanyRepository(db).address(company).trimmed();
    if (address.isEmpty())
        address = QStringLiteral("MARKET ROAD HILLTOWN");
    return {company, address};
}

void setCompany(Document& document, const CompanyHeading& company)
{
    document.setLabel(QStringLiteral("Label20"), company.name);
    document.setLabel(QStringLiteral("Label21"), company.address);
}

} // namespace report
