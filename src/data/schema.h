#pragma once

#include "data/status.h"

class Database;

// The tables of the program and the numbered migrations that build and upgrade them.
namespace schema {

int latestVersion();
// 0 for a file without the version table.
int currentVersion(const Database& database);
// Runs every migration newer than the file's version, each in its own transaction.
Status migrate(const Database& database);

} // namespace schema
