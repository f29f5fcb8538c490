#pragma once

#include "data/status.h"

class Clock;
class Database;

// Fills an empty database with a small, realistic company setting for trying the program:
// two companies, departments, groups, users admin/admin and clerk/clerk, delete password "delete",
// about thirty employees, and a year of payroll with loans and advances. Only a new, empty database
// is filled (and marked as the demo); the demo of an earlier run is left as it is, and any other
// database that holds data is refused with its data unchanged. demoFile says the database is the
// demo's own file in the data folder: one that holds data was filled by an earlier version before
// demos were marked, and is taken as the demo.
Status ensureDemoData(const Database& database, const Clock& clock, bool demoFile = false);
