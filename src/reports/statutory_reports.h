#pragma once

#include "data/payroll_repository.h"
#include "data/status.h"
#include "reports/company_heading.h"
#include "reports/report_document.h"
#include "rules/statutory.h"

#include <QByteArray>
#include <QHash>

class Database;

namespace report {

// One deduction's month: how many were charged, on what wages, and the shares.
struct StatutoryLine {
    QString deduction;
    qint64 employees = 0;
    Currency wages;
    Currency employeeShare;
    Currency employerShare; // for the provident fund, the fund's part and the pension part together
    Currency pension;       // of the employer's share, the part to the pension fund
};

// The provident fund, the insurance and the professional tax of the transactions, added exactly;
// an employee counts once however many transactions of the month they have.
QList<StatutoryLine> statutoryLines(const QList<PayrollTransaction>& transactions);
Document statutorySummary(const CompanyHeading& company, QDate month, QList<StatutoryLine> lines);

// One member's line of the provident fund's electronic challan-cum-return.
struct ReturnMember {
    QString uan;
    QString name;
    Currency grossWages; // present days salary and additions, to the rupee
    Currency pfWages;
    Currency pensionWages;
    Currency edliWages; // the insurance-linked wages: the pension wages
    Currency pfEmployee;
    Currency pension;
    Currency pfEmployer; // the employer's share less the pension part
    int daysNotPaid = 0;
};

// A month's members: every employee charged the provident fund, or a member of it (the fund on,
// not exempt) earning only additions, their transactions of the month added together, by
// employee number. Employees without an account number are named in `missing`.
struct PfReturn {
    QList<ReturnMember> members;
    QStringList missing; // "12 JOSEPH FERNANDES"
};
PfReturn pfReturn(const QList<PayrollTransaction>& transactions, const QHash<qint64, Employee>& employees,
                  const statutory::Rules& rules);
// The file's text: one line per member, fields separated by #~#, whole rupees, no heading.
QByteArray pfReturnText(const QList<ReturnMember>& members);

// The refusal of a month's return while members lack the number it names them by: "The return of
// May 2026 cannot be written: 1 member has no provident fund account number (UAN): 12 JOSEPH …".
Status unnumberedMembers(const QString& paper, QDate month, const QStringList& missing, const QString& number);
// "May 2026".
QString monthCaption(QDate month);

// The company's month read from the database: the summary, or the return (refused, naming them,
// when a member has no account number, or when nobody was charged).
Result<Document> statutorySummaryOf(const Database& db, const QString& company, QDate month);
Result<QByteArray> pfReturnOf(const Database& db, const QString& company, QDate month);

} // namespace report
