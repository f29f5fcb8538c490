#include "keyboard_rules.h"

#include "ui/entry_behaviour.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTextEdit>

#include <optional>

namespace {

const QDate noDate(1900, 1, 1);

// The window a control is in: a working window inside the main window's area, or a window of its own.
const QWidget* windowOf(const QWidget* w)
{
    for (const QWidget* p = w; p; p = p->parentWidget())
        if (p->isWindow() || qobject_cast<const QMdiSubWindow*>(p))
            return p;
    return nullptr;
}

bool takesTabFocus(const QWidget* w)
{
    return (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisible();
}

// Whether a box shows text the operator cannot change.
std::optional<bool> readOnlyOf(const QObject* o)
{
    if (auto* line = qobject_cast<const QLineEdit*>(o)) {
        // The line edit inside a combo box or a spin box follows its owner.
        if (qobject_cast<const QComboBox*>(line->parent()) || qobject_cast<const QAbstractSpinBox*>(line->parent()))
            return std::nullopt;
        return line->isReadOnly();
    }
    if (auto* text = qobject_cast<const QPlainTextEdit*>(o))
        return text->isReadOnly();
    if (auto* text = qobject_cast<const QTextEdit*>(o))
        return text->isReadOnly();
    return std::nullopt;
}

} // namespace

void KeyboardRules::install()
{
    static KeyboardRules* rules = nullptr;
    if (rules)
        return;
    rules = new KeyboardRules(qApp);
    qApp->installEventFilter(rules);
}

void moveFocusOn(QWidget* from, bool forward)
{
    const QWidget* window = windowOf(from);
    QWidget* next = from;
    do {
        next = forward ? next->nextInFocusChain() : next->previousInFocusChain();
    } while (next != from && (windowOf(next) != window || from->isAncestorOf(next) || !takesTabFocus(next) ||
                              (next->focusProxy() && next->focusProxy() != next)));
    if (next != from)
        next->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

bool KeyboardRules::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::Polish) {
        // Tab leaves a grid like any other control; its cells are walked with the arrow keys.
        if (auto* view = qobject_cast<QAbstractItemView*>(watched))
            view->setTabKeyNavigation(false);
        // Tab leaves a text box of several lines too; Enter makes its new lines.
        if (auto* text = qobject_cast<QPlainTextEdit*>(watched))
            text->setTabChangesFocus(true);
    }
    if (type == QEvent::ReadOnlyChange || type == QEvent::Polish) {
        if (const auto readOnly = readOnlyOf(watched)) {
            // The box's own policy is kept aside while it is read-only, and given back after.
            auto* box = static_cast<QWidget*>(watched);
            const char* kept = "kestrelTypedFocus";
            if (*readOnly && (box->focusPolicy() & Qt::TabFocus)) {
                box->setProperty(kept, int(box->focusPolicy()));
                box->setFocusPolicy(Qt::ClickFocus);
            } else if (!*readOnly && box->property(kept).isValid()) {
                box->setFocusPolicy(Qt::FocusPolicy(box->property(kept).toInt()));
                box->setProperty(kept, QVariant());
            }
            // A style sheet that colours read-only boxes reads the state only when polished.
            if (type == QEvent::ReadOnlyChange) {
                box->style()->unpolish(box);
                box->style()->polish(box);
            }
        }
        return false;
    }
    if (type != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if (auto* date = qobject_cast<QDateTimeEdit*>(watched)) {
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && modifiers == Qt::NoModifier) {
            // A box that says more on Enter (EntryBehaviour) says it, then moves on with a Tab.
            const EntryBehaviour* behaviour = EntryBehaviour::of(date);
            if (behaviour && (behaviour->behaviours() & EntryBehaviour::EnterMovesOn))
                return false;
            moveFocusOn(date, true);
            return true;
        }
        if (key->key() == Qt::Key_Tab && modifiers == Qt::NoModifier) {
            moveFocusOn(date, true);
            return true;
        }
        if (key->key() == Qt::Key_Backtab || (key->key() == Qt::Key_Tab && modifiers == Qt::ShiftModifier)) {
            moveFocusOn(date, false);
            return true;
        }
        const QString text = key->text();
        if (text.size() == 1 && text.at(0).isPrint() && !text.at(0).isLetterOrNumber() &&
            !(modifiers & ~Qt::ShiftModifier)) {
            // Right after the box moved on to the next part by itself, past a separator, the same
            // separator typed as the date is shown would move it on once more. (A month written
            // out, "March", takes its letters as they come.)
            if (const auto* edit = date->findChild<QLineEdit*>()) {
                const int at = edit->cursorPosition();
                if (at > 0 && edit->text().at(at - 1) == text.at(0))
                    return true;
            }
        }
        return false;
    }
    return false;
}

void showInList(QComboBox* list, const QString& text)
{
    const int index = text.isEmpty() ? -1 : list->findText(text.trimmed(), Qt::MatchFixedString);
    list->setCurrentIndex(index);
    if (index < 0 && list->isEditable())
        list->setEditText(text);
}

void allowNoDate(QDateEdit* box)
{
    box->setMinimumDate(noDate);
    box->setSpecialValueText(QStringLiteral("No date"));
}

void showDate(QDateEdit* box, const QDate& date)
{
    box->setDate(date.isValid() ? date : box->minimumDate());
}

QDate dateShown(const QDateEdit* box)
{
    return !box->specialValueText().isEmpty() && box->date() == box->minimumDate() ? QDate() : box->date();
}
