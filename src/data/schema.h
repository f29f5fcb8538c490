#pragma once

#include "data/status.h"

#include <QString>

class Database;

// The tables of the program and the numbered migrations that build and upgrade them.
namespace schema {

int latestVersion();
// 0 for a file without the version table.
int currentVersion(const Database& database);
// Runs every migration newer than the file's version, each in its own transaction. A database that
// holds other tables but no version is another program's and is refused untouched.
Status migrate(const Database& database);
// Another program's database, given by mistake, is left as it was, not filled with our tables: a
// database that holds tables but not the version table is refused.
Status refuseForeign(const Database& database);
// For a database opened only to read: refuses one that is not Kestrel's or not of this version
// (an older one is taken when acceptOlder).
Status checkReadable(const Database& database, bool acceptOlder = false);

// True when no table of the program holds a row.
Result<bool> holdsNoData(const Database& database);
// Facts about the file itself, by name; an empty text for one never recorded.
Result<QString> info(const Database& database, const QString& name);
Status setInfo(const Database& database, const QString& name, const QString& value);

} // namespace schema
