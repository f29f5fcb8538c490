#pragma once

#include "data/status.h"

#include <QString>

class Database;

// The tables of the program and the numbered migrations that build and upgrade them.
namespace schema {

int latestVersion();
// 0 for a file without the version table.
int currentVersion(const Database& database);
// Runs every migration newer than the file's version, each in its own transaction.
Status migrate(const Database& database);

// True when no table of the program holds a row.
Result<bool> holdsNoData(const Database& database);
// Facts about the file itself, by name; an empty text for one never recorded.
Result<QString> info(const Database& database, const QString& name);
Status setInfo(const Database& database, const QString& name, const QString& value);

} // namespace schema
