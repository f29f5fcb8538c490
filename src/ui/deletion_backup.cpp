#include "deletion_backup.h"

#include "data/database.h"
#include "ui/app_context.h"
#include "ui/prompter.h"

BackupBeforeDeletion::BackupBeforeDeletion(AppContext& context, DeletionBackup where)
    : m_context(context),
      m_copy(BackupService(context.db, context.clock).startFresh(where == DeletionBackup::Network))
{
    if (!m_copy.pending() && m_copy.outcome().failed())
        m_goOn = deleteWithout(m_copy.outcome().reason);
}

std::optional<Status> BackupBeforeDeletion::run(const std::function<Status()>& deletion)
{
    if (!m_copy.pending())
        return deletion();
    bool copyFailed = false;
    Status done;
    {
        const CommitGate gate(m_context.db, [&]() -> Status {
            const BackupOutcome& copied = m_copy.outcome();
            copyFailed = copied.failed();
            return copyFailed ? Status::failure(copied.reason) : Status();
        });
        done = deletion();
    }
    if (done || !copyFailed)
        return done;
    if (!deleteWithout(m_copy.outcome().reason))
        return std::nullopt;
    return deletion();
}

bool BackupBeforeDeletion::deleteWithout(const QString& reason) const
{
    return m_context.prompter.question(QStringLiteral("The backup copy before the deletion could not be taken: %1\n\n"
                                                      "Delete without a backup?")
                                           .arg(reason),
                                       Prompter::Icon::Warning);
}
