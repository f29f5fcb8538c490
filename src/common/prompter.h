#pragma once

#include <QList>
#include <QQueue>
#include <QString>

class QWidget;

// The only way a window talks to the operator outside its own controls. The program uses message
// boxes; tests use ScriptedPrompter, which records every text and answers from a queue.
class Prompter {
public:
    enum class Icon { None, Information, Warning, Critical, Question };

    virtual ~Prompter() = default;

    // An empty title shows the application's title.
    virtual void message(const QString& text, Icon icon = Icon::None, const QString& title = {}) = 0;
    // Yes/No question; true for Yes.
    virtual bool question(const QString& text, Icon icon = Icon::Question, const QString& title = {}) = 0;
    // A file name to save to, or an empty text when the operator cancels.
    virtual QString saveFileName(const QString& caption, const QString& suggestedPath, const QString& filter) = 0;

    void information(const QString& text, const QString& title = {}) { message(text, Icon::Information, title); }
    void warning(const QString& text, const QString& title = {}) { message(text, Icon::Warning, title); }
    // A failure's description, critical icon, title "Error".
    void error(const QString& text) { message(text, Icon::Critical, QStringLiteral("Error")); }

    static QString applicationTitle() { return QStringLiteral("Kestrel1"); }
};

class MessageBoxPrompter final : public Prompter {
public:
    explicit MessageBoxPrompter(QWidget* parent = nullptr) : m_parent(parent) {}
    void message(const QString& text, Icon icon, const QString& title) override;
    bool question(const QString& text, Icon icon, const QString& title) override;
    QString saveFileName(const QString& caption, const QString& suggestedPath, const QString& filter) override;

private:
    QWidget* parentWidget() const;
    QWidget* m_parent;
};

class ScriptedPrompter final : public Prompter {
public:
    enum class Kind { Message, Question, SaveFile };
    struct Entry {
        Kind kind;
        QString text;
        QString title;
        Icon icon;
    };

    void message(const QString& text, Icon icon, const QString& title) override;
    bool question(const QString& text, Icon icon, const QString& title) override;
    QString saveFileName(const QString& caption, const QString& suggestedPath, const QString& filter) override;

    void answer(bool yes) { m_answers.enqueue(yes); }
    void answerFile(const QString& path) { m_files.enqueue(path); }

    const QList<Entry>& entries() const { return m_entries; }
    QStringList texts() const;
    QString lastText() const { return m_entries.isEmpty() ? QString() : m_entries.last().text; }
    Entry last() const { return m_entries.isEmpty() ? Entry{} : m_entries.last(); }

private:
    QList<Entry> m_entries;
    QQueue<bool> m_answers;
    QQueue<QString> m_files;
};
