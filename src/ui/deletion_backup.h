#pragma once

struct AppContext;

// The copy a bulk deletion begins with. Where is the only difference between the deletions.
enum class DeletionBackup {
    Local,   // backup/ beside the database
    Network, // the configured network folder; the local copy when none is configured
};

// Takes the copy. When it fails, the operator is told why and asked whether to delete all the same
// (No is the default); the answer is whether to go on.
bool backupBeforeDeletion(AppContext& context, DeletionBackup where);
