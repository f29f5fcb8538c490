#pragma once

#include "data/backup_service.h"
#include "data/status.h"

#include <functional>
#include <optional>

struct AppContext;

// The copy a bulk deletion begins with. Where is the only difference between the deletions.
enum class DeletionBackup {
    Local,   // backup/ beside the database
    Network, // the configured network folder; the local copy when none is configured
};

// Always a new copy of the database as it is when the deletion is asked for (a copy of a minute ago
// would not hold what was saved since), written and read back while the operator confirms and the
// rows are deleted; the deletion commits only once the copy is whole. When the copy fails, the
// operator is told why and asked whether to delete all the same (No is the default).
class BackupBeforeDeletion {
public:
    // Starts the copy. One that cannot even begin (its folder cannot be reached) is told at once.
    BackupBeforeDeletion(AppContext& context, DeletionBackup where);
    // False when the copy could not begin and the operator would not delete without it.
    bool goOn() const { return m_goOn; }
    // Runs deletion, whose commit waits for the copy. A copy that failed meanwhile undoes the
    // deletion; the operator is told why and asked again, and on Yes it runs without the copy.
    // Nothing when the operator chose not to delete.
    std::optional<Status> run(const std::function<Status()>& deletion);

private:
    bool deleteWithout(const QString& reason) const;

    AppContext& m_context;
    FreshCopy m_copy;
    bool m_goOn = true;
};
