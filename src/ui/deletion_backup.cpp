#include "deletion_backup.h"

#include "data/backup_service.h"
#include "ui/app_context.h"
#include "ui/prompter.h"


bool backupBeforeDeletion(AppContext& context, DeletionBackup where)
{
    // Always a new copy, read back before the deletion goes on: a copy of a minute ago would not
    // hold what was saved since.
    const BackupOutcome outcome = BackupService(context.db, context.clock).takeFresh(where == DeletionBackup::Network);
    if (!outcome.failed())
        return true;
    return context.prompter.question(QStringLiteral("The backup copy before the deletion could not be taken: %1\n\n"
                                                    "Delete without a backup?")
                                         .arg(outcome.reason),
                                     Prompter::Icon::Warning);
}
