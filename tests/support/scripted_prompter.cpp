#include "scripted_prompter.h"

namespace {
QString titleOr(const QString& title)
{
    return title.isEmpty() ? Prompter::applicationTitle() : title;
}
} // namespace

void ScriptedPrompter::message(const QString& text, Icon icon, const QString& title)
{
    m_entries.append({Kind::Message, text, titleOr(title), icon, Default::No});
}

bool ScriptedPrompter::question(const QString& text, Icon icon, const QString& title, Default defaultButton)
{
    m_entries.append({Kind::Question, text, titleOr(title), icon, defaultButton});
    return m_answers.isEmpty() ? false : m_answers.dequeue();
}

std::optional<QString> ScriptedPrompter::password(const QString& text, const QString& title)
{
    m_entries.append({Kind::Password, text, titleOr(title), Icon::None, Default::No});
    return m_passwords.isEmpty() ? std::nullopt : std::optional<QString>(m_passwords.dequeue());
}

QString ScriptedPrompter::saveFileName(const QString& caption, const QString& suggestedPath, const QString&)
{
    m_suggestedPath = suggestedPath;
    m_entries.append({Kind::SaveFile, caption, caption, Icon::None, Default::No});
    return m_files.isEmpty() ? QString() : m_files.dequeue();
}

QString ScriptedPrompter::openFileName(const QString& caption, const QString&, const QString&)
{
    m_entries.append({Kind::OpenFile, caption, caption, Icon::None, Default::No});
    return m_files.isEmpty() ? QString() : m_files.dequeue();
}

QString ScriptedPrompter::folderName(const QString& caption, const QString& folder)
{
    return openFileName(caption, folder, {});
}

QStringList ScriptedPrompter::texts() const
{
    QStringList list;
    for (const Entry& e : m_entries)
        list << e.text;
    return list;
}
