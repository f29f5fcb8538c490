#include "deletion_backup.h"

#include "data/backup_service.h"
#include "ui/app_context.h"
#include "ui/prompter.h"

#include <QSettings>

bool backupBeforeDeletion(AppContext& context, DeletionBackup where)
{
    const BackupService backup(context.db, context.clock);
    const bool network = where == DeletionBackup::Network &&
                         !QSettings().value(BackupService::networkFolderKey()).toString().trimmed().isEmpty();
    const BackupOutcome outcome = network ? backup.takeNetwork() : backup.takeLocal();
    if (!outcome.failed())
        return true;
    return context.prompter.question(QStringLiteral("The backup copy before the deletion could not be taken: %1\n\n"
                                                    "Delete without a backup?")
                                         .arg(outcome.reason),
                                     Prompter::Icon::Warning);
}
