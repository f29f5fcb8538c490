#pragma once

#include "data/status.h"

#include <QString>

#include <optional>

class QWidget;

// The only way a window talks to the operator outside its own controls. The program uses message
// boxes; tests use a scripted prompter that records every text and answers from a queue.
class Prompter {
public:
    enum class Icon { None, Information, Warning, Critical, Question };
    // The button Enter presses in a question.
    enum class Default { No, Yes };

    virtual ~Prompter() = default;

    // An empty title shows the application's title.
    virtual void message(const QString& text, Icon icon = Icon::None, const QString& title = {}) = 0;
    // Yes/No question; true for Yes. No is the default button unless said otherwise, so that Enter
    // never confirms a deletion by accident.
    virtual bool question(const QString& text, Icon icon = Icon::Question, const QString& title = {},
                          Default defaultButton = Default::No) = 0;
    // A password typed into a box that hides it; nothing when the operator cancels.
    virtual std::optional<QString> password(const QString& text, const QString& title = {}) = 0;
    // A file name to save to, or an empty text when the operator cancels.
    virtual QString saveFileName(const QString& caption, const QString& suggestedPath, const QString& filter) = 0;
    // An existing file to open, or an empty text when the operator cancels.
    virtual QString openFileName(const QString& caption, const QString& folder, const QString& filter) = 0;
    // An existing folder, or an empty text when the operator cancels.
    virtual QString folderName(const QString& caption, const QString& folder) = 0;

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
    bool question(const QString& text, Icon icon, const QString& title, Default defaultButton) override;
    std::optional<QString> password(const QString& text, const QString& title) override;
    QString saveFileName(const QString& caption, const QString& suggestedPath, const QString& filter) override;
    QString openFileName(const QString& caption, const QString& folder, const QString& filter) override;
    QString folderName(const QString& caption, const QString& folder) override;

private:
    QWidget* parentWidget() const;
    QWidget* m_parent;
};

// The result's value, or nothing after telling the operator why there is none.
template <typename T>
std::optional<T> valueOrTell(Prompter& prompter, Result<T> result)
{
    if (!result) {
        prompter.error(result.error());
        return std::nullopt;
    }
    return std::move(result.value());
}
