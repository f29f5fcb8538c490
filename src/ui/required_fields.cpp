#include "required_fields.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {
bool isEmpty(const QWidget* control)
{
    if (const auto* edit = qobject_cast<const QLineEdit*>(control))
        return edit->echoMode() == QLineEdit::Normal ? edit->text().trimmed().isEmpty() : edit->text().isEmpty();
    if (const auto* combo = qobject_cast<const QComboBox*>(control))
        return combo->currentText().trimmed().isEmpty();
    if (const auto* text = qobject_cast<const QPlainTextEdit*>(control))
        return text->toPlainText().trimmed().isEmpty();
    return false;
}
} // namespace

bool requireFilled(Prompter& prompter, const QList<RequiredField>& fields, Prompter::Icon icon, const QString& title)
{
    for (const RequiredField& field : fields) {
        if (!isEmpty(field.control))
            continue;
        prompter.message(field.message, icon, title);
        field.control->setFocus();
        return false;
    }
    return true;
}

bool acceptRules(Prompter& prompter, const rules::Verdict& verdict, const QHash<QString, QWidget*>& controls,
                 Prompter::Icon icon, const QString& title)
{
    if (!verdict)
        return true;
    prompter.message(verdict->message, icon, title);
    if (QWidget* control = controls.value(verdict->field)) {
        control->setFocus();
        if (auto* edit = qobject_cast<QLineEdit*>(control))
            edit->selectAll();
    }
    return false;
}
