#include "unsaved_input.h"

#include "ui/prompter.h"

#include <QAbstractSpinBox>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateTimeEdit>
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
    // The signals of the operator's own changes (typing, pasting, choosing): a text the window sets
    // itself (a record shown) raises none of them, or raises them while the box has no focus.
    const auto typed = [this] { m_typed = true; };
    if (auto* line = qobject_cast<QLineEdit*>(box)) {
        // A list's or a date box's own line edit is watched through its owner.
        if (!qobject_cast<QComboBox*>(line->parent()) && !qobject_cast<QAbstractSpinBox*>(line->parent()))
            connect(line, &QLineEdit::textEdited, this, typed);
    } else if (auto* text = qobject_cast<QPlainTextEdit*>(box)) {
        connect(text, &QPlainTextEdit::textChanged, this, [this, text] {
            if (text->hasFocus() && !text->isReadOnly())
                m_typed = true;
        });
    } else if (auto* date = qobject_cast<QDateTimeEdit*>(box)) {
        // Typed, stepped with the arrows or the wheel, or chosen on the calendar.
        connect(date, &QDateTimeEdit::dateTimeChanged, this, [this, date] {
            const bool calendarOpen = date->calendarWidget() && date->calendarWidget()->isVisible();
            if ((date->hasFocus() || calendarOpen) && !date->isReadOnly() && date->isEnabled())
                m_typed = true;
        });
    } else if (auto* list = qobject_cast<QComboBox*>(box)) {
        connect(list, &QComboBox::activated, this, typed);
        if (list->lineEdit())
            connect(list->lineEdit(), &QLineEdit::textEdited, this, typed);
    }
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
