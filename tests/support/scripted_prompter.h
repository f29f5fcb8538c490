#pragma once

#include "ui/prompter.h"

#include <QList>
#include <QQueue>
#include <QStringList>

// Records every text the program shows and answers its questions from queues. An unqueued
// question is answered No, an unqueued password question is cancelled.
class ScriptedPrompter final : public Prompter {
public:
    enum class Kind { Message, Question, Password, SaveFile, OpenFile };
    struct Entry {
        Kind kind = Kind::Message;
        QString text;
        QString title;
        Icon icon = Icon::None;
        Default defaultButton = Default::No;
    };

    void message(const QString& text, Icon icon, const QString& title) override;
    bool question(const QString& text, Icon icon, const QString& title, Default defaultButton) override;
    std::optional<QString> password(const QString& text, const QString& title) override;
    QString saveFileName(const QString& caption, const QString& suggestedPath, const QString& filter) override;
    // Answered from the same queue of files as saveFileName.
    QString openFileName(const QString& caption, const QString& folder, const QString& filter) override;
    // Answered from the same queue of files as saveFileName.
    QString folderName(const QString& caption, const QString& folder) override;

    void answer(bool yes) { m_answers.enqueue(yes); }
    void answerPassword(const QString& password) { m_passwords.enqueue(password); }
    void answerFile(const QString& path) { m_files.enqueue(path); }

    const QList<Entry>& entries() const { return m_entries; }
    // The path the last save dialog suggested.
    const QString& suggestedPath() const { return m_suggestedPath; }
    QStringList texts() const;
    QString lastText() const { return last().text; }
    Entry last() const { return m_entries.isEmpty() ? Entry{} : m_entries.last(); }

private:
    QList<Entry> m_entries;
    QQueue<bool> m_answers;
    QQueue<QString> m_passwords;
    QQueue<QString> m_files;
    QString m_suggestedPath;
};
