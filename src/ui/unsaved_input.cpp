#include "unsaved_input.h"

#include "ui/prompter.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

UnsavedInput::UnsavedInput(QWidget* window, Prompter& prompter, QString what, const QList<QWidget*>& boxes)
    : QObject(window), m_prompter(prompter), m_what(std::move(what))
{
    for (QWidget* box : boxes.isEmpty() ? window->findChildren<QWidget*>() : boxes)
        if (qobject_cast<QLineEdit*>(box) || qobject_cast<QPlainTextEdit*>(box) ||
            qobject_cast<QAbstractSpinBox*>(box) || qobject_cast<QComboBox*>(box))
            watch(box);
}

void UnsavedInput::watch(QWidget* box)
{
    box->installEventFilter(this);
    if (auto* list = qobject_cast<QComboBox*>(box))
        connect(list, &QComboBox::activated, this, [this] { m_typed = true; });
}

bool UnsavedInput::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    // A character, or a key that removes one, in a box that takes it.
    const bool changes = (!key->text().isEmpty() && key->text().at(0).isPrint() &&
                          !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) ||
                         key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete;
    if (!changes)
        return false;
    if (auto* line = qobject_cast<QLineEdit*>(watched); line && line->isReadOnly())
        return false;
    if (auto* text = qobject_cast<QPlainTextEdit*>(watched); text && text->isReadOnly())
        return false;
    if (auto* widget = qobject_cast<QWidget*>(watched); widget && !widget->isEnabled())
        return false;
    m_typed = true;
    return false;
}

bool UnsavedInput::mayDiscard(const QString& action)
{
    if (!m_typed)
        return true;
    if (!m_prompter.question(QStringLiteral("%1 is not saved.\n\n%2 and discard it?").arg(m_what, action)))
        return false;
    m_typed = false;
    return true;
}
