#pragma once

#include "rules/records.h"

#include <QString>
#include <QStringList>

class SqlQuery;

// A payroll row as it is stored, for the repository and the writing of many rows alike.
namespace payroll_row {

// The stored columns but transid, in the order bind() binds them; read() reads transid first.
const QStringList& columns();
// "SELECT transid, <columns> FROM payroll <rest>"
QString selectFrom(const QString& rest);
void bind(SqlQuery& query, const PayrollTransaction& t);
// A row of the payroll read from its values in the order transid, columns(): a stored row (a
// query's) or a file's row alike, so that both are read by this one reading.
template <typename Row>
PayrollTransaction read(const Row& q)
{
    PayrollTransaction t;
    t.transId = q.number(0);
    t.employeeId = q.number(1);
    t.name = q.text(2);
    t.monthRate = q.amount(3);
    t.payDate = q.date(4);
    t.bonus = q.amount(5);
    t.overtime = q.amount(6);
    t.totalLoan = q.amount(7);
    t.contribution = q.amount(8);
    t.lic = q.amount(9);
    t.pgvcl = q.amount(10);
    t.daysPresent = q.amount(11);
    t.presentDaysSalary = q.amount(12);
    t.advances = q.amount(13);
    t.totalAdditional = q.amount(14);
    t.totalDeductions = q.amount(15);
    t.loanRecovered = q.amount(16);
    t.travel = q.amount(17);
    t.netPay = q.amount(18);
    t.department = q.text(19);
    t.group = q.text(20);
    t.company = q.text(21);
    t.statutory = {q.amount(22), q.amount(23), q.amount(24), q.amount(25), q.amount(26),
                   q.amount(27), q.amount(28), q.amount(29), q.amount(30)};
    return t;
}
// What a closed month's refusal says cannot be done with its payroll.
QString closedWhat();

} // namespace payroll_row
