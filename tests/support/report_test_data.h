#pragma once

#include "common/currency.h"

#include <QDate>

class Database;

// The fixed database the report tests render: ACME (with an address) and OTHER CO (without), the
// departments ACCOUNTS, WORKSHOP and SALES, the groups STAFF and WORKERS, three employees, and payroll rows around
// March 2026: four of ACME in March (two of employee 1 on the same day, one on the 1st), one of ACME in February and in
// April, one of OTHER CO in March, two of ACME on 31 December 2025 and two on 31 January 2026 (loan instalments of
// employee 1 in December, January and March); loans and advances of ACME from December 2025 to March 2026 and one of
// each of OTHER CO; arrears of an increment of 310 for employee 1: ACME's January, February and April, OTHER CO's
// February.
void fillReportData(Database& db);

inline QDate reportMonth()
{
    return {2026, 3, 1};
}

// ACME's net pay in March 2026, and each of its transactions' net pay.
Currency reportMonthNetPay();
