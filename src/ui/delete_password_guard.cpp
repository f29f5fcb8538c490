#include "delete_password_guard.h"

#include "data/user_repository.h"
#include "ui/app_context.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QShortcut>

DeletePasswordGuard::DeletePasswordGuard(AppContext& context, Controls controls, QObject* parent)
    : QObject(parent), m_context(context), m_controls(controls)
{
    m_controls.frame->hide();
    m_controls.password->setEchoMode(QLineEdit::Password);
    connect(m_controls.confirm, &QAbstractButton::clicked, this, &DeletePasswordGuard::confirm);
    connect(m_controls.password, &QLineEdit::returnPressed, this, &DeletePasswordGuard::confirm);
    connect(m_controls.cancel, &QAbstractButton::clicked, this, &DeletePasswordGuard::cancel);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), m_controls.frame);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &DeletePasswordGuard::cancel);
}

bool DeletePasswordGuard::isOpen() const
{
    return m_controls.frame->isVisible();
}

bool DeletePasswordGuard::request(Deletion deletion)
{
    const auto isSet = UserRepository(m_context.db).hasDeletePassword();
    if (!isSet) {
        m_context.prompter.error(isSet.error());
        return false;
    }
    if (!*isSet) {
        m_context.prompter.warning(QStringLiteral("No delete password is set, so nothing can be deleted. An "
                                                  "administrator sets it with \"Delete Password...\" in NEW SYSTEM "
                                                  "USER."));
        return false;
    }
    m_pending = std::move(deletion);
    m_controls.password->clear();
    m_controls.frame->show();
    m_controls.password->setFocus();
    return true;
}

void DeletePasswordGuard::cancel()
{
    if (isOpen())
        close(false);
}

void DeletePasswordGuard::close(bool deleted)
{
    m_controls.password->clear();
    m_controls.frame->hide();
    m_pending = {};
    emit finished(deleted);
}

void DeletePasswordGuard::confirm()
{
    if (!isOpen() || !m_pending.run)
        return;
    const Deletion deletion = m_pending;
    // The copy is of the database as it is when DELETE is pressed; it is written while the
    // operator answers and the rows are deleted.
    std::optional<BackupBeforeDeletion> backup;
    if (m_backup) {
        backup.emplace(m_context, *m_backup);
        if (!backup->goOn()) {
            close(false);
            return;
        }
    }
    const QString typed = m_controls.password->text();
    m_controls.password->clear();
    m_controls.frame->hide();
    Prompter& prompter = m_context.prompter;
    const auto right = UserRepository(m_context.db).checkDeletePassword(typed);
    if (!right || !*right) {
        if (right)
            prompter.message(QStringLiteral("wrong password"));
        else
            prompter.error(right.error());
        close(false);
        return;
    }
    if (!prompter.question(deletion.question, Prompter::Icon::None)) {
        close(false);
        return;
    }
    const std::optional<Status> done = backup ? backup->run(deletion.run) : std::optional<Status>(deletion.run());
    if (!done || !*done) {
        if (done)
            prompter.error(done->error());
        close(false);
        return;
    }
    prompter.message(deletion.describe ? deletion.describe() : deletion.done, deletion.doneIcon);
    close(true);
}

GuardedDeletion countedDeletion(std::function<Result<qint64>()> remove, std::function<QString(qint64)> describe)
{
    auto count = std::make_shared<qint64>(0);
    GuardedDeletion deletion;
    deletion.run = [remove = std::move(remove), count] {
        const auto removed = remove();
        if (removed)
            *count = *removed;
        return removed.status();
    };
    deletion.doneIcon = Prompter::Icon::None;
    deletion.describe = [describe = std::move(describe), count] { return describe(*count); };
    return deletion;
}
