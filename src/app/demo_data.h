#pragma once

#include "data/status.h"

class Clock;
class Database;

// Fills an empty database with a small, realistic company setting for trying the program:
// two companies, departments, groups, users admin/admin and clerk/clerk, delete password "delete",
// about thirty employees, and a year of payroll with loans and advances. A database that already
// has a company is left alone.
Status ensureDemoData(const Database& database, const Clock& clock);
