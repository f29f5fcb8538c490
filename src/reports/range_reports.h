#pragma once

#include "data/advance_repository.h"
#include "data/loan_repository.h"
#include "data/payroll_repository.h"
#include "reports/company_heading.h"
#include "reports/report_document.h"

#include <optional>

// The reports over a range of dates (payroll, advances, loans, salaries) and the grids of the
// windows that show them. A grid is a document without a heading, so it sorts, exports and sums
// through the same engine as the printed report.
namespace report {

// A line of an employee salary report: one transaction, or one employee's transactions at one
// monthly rate added together.
struct SalaryLine {
    qint64 employeeId = 0;
    QString name;
    Currency monthRate;
    Currency daysPresent;
    Currency earnings;
    Currency deductions;
    Currency netPay;
};

// The group entry of the department-wise payroll that stands for every group of the department.
inline QString allGroups()
{
    return QStringLiteral("ALL");
}

// One line per transaction.
QList<SalaryLine> salaryLines(const QList<PayrollTransaction>& transactions);
// One line per employee and monthly rate, with the days, earnings, deductions and net pay added
// exactly; by employee number, then in the order the rates were first paid.
QList<SalaryLine> salaryByRate(const QList<PayrollTransaction>& transactions);

// DataReport1: the company's payroll between two dates.
Document payrollReport(const CompanyHeading& company, QDate from, QDate to, QList<PayrollTransaction> rows);
// DataReport2: the same for one department, and one group unless `group` is empty (all groups).
Document departmentPayrollReport(const CompanyHeading& company, QDate from, QDate to, const QString& department,
                                 const QString& group, QList<PayrollTransaction> rows);
// DataReport3: the advances paid between two dates.
Document advanceReport(const CompanyHeading& company, QDate from, QDate to, QList<Advance> rows);
// DataReport4, or DataReport6 when a department is given: the loans paid between two dates.
Document loanReport(const CompanyHeading& company, QDate from, QDate to, const std::optional<QString>& department,
                    QList<Loan> rows);
// DataReport5, or DataReport7 when a department is given: the loan instalments recovered through
// payroll between two dates.
Document loanRecoveryReport(const CompanyHeading& company, QDate from, QDate to,
                            const std::optional<QString>& department, QList<PayrollTransaction> rows);
// DataReport8: an employee's salary in one month.
Document salaryMonthReport(const CompanyHeading& company, QDate month, QList<SalaryLine> lines);
// DataReport10: salaries from one month to another, of a group or of one employee in it.
Document salaryPeriodReport(const CompanyHeading& company, QDate from, QDate to, const QString& group,
                            QList<SalaryLine> lines);

// The exact total of one amount over the rows, as the total boxes show it; nothing when it is
// beyond range.
template <typename Row>
Value exactTotal(const QList<Row>& rows, Currency Row::*member)
{
    std::optional<Currency> total = Currency();
    for (const Row& row : rows)
        if (!(total = total->plus(row.*member)))
            return Value();
    return *total;
}

// The grids of the report windows.
Document payrollGrid(QList<PayrollTransaction> rows);
// The payroll grid's amount columns, from "bonus" to "netpay": their captions and members.
const QList<std::pair<QString, Currency PayrollTransaction::*>>& payrollGridAmounts();
// The exact total of each of those columns over the rows (nothing for a total beyond range).
QList<Value> payrollGridTotals(const QList<PayrollTransaction>& rows);
Document advanceGrid(QList<Advance> rows);
Document loanGrid(QList<Loan> rows);
Document loanRecoveryGrid(QList<PayrollTransaction> rows, bool withDepartment);

} // namespace report
