#include "entry_behaviour.h"

#include "rules/record_rules.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QRegularExpressionValidator>
#include <QTimer>

EntryBehaviour::EntryBehaviour(QWidget* control, Behaviours behaviours)
    : QObject(control), m_control(control), m_behaviours(behaviours)
{
    setObjectName(QStringLiteral("entryBehaviour"));
}

EntryBehaviour* EntryBehaviour::of(QWidget* control)
{
    return control ? control->findChild<EntryBehaviour*>(QStringLiteral("entryBehaviour"), Qt::FindDirectChildrenOnly)
                   : nullptr;
}

EntryBehaviour* EntryBehaviour::install(QWidget* control, Behaviours behaviours)
{
    if (!control)
        return nullptr;
    EntryBehaviour* filter = of(control);
    if (filter) {
        filter->m_behaviours |= behaviours;
    } else {
        filter = new EntryBehaviour(control, behaviours);
        control->installEventFilter(filter);
        // An editable combo box's keys and focus reach its line edit.
        if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->lineEdit())
            combo->lineEdit()->installEventFilter(filter);
    }
    if (behaviours & AmountKeys) {
        // Pasted text passes through the same filter as typed text: as many digits as the largest
        // amount the rules store, and two decimals; more would be a slip of the finger.
        static const QRegularExpression amount(
            QStringLiteral("[0-9]{0,%1}(\\.[0-9]{0,2})?")
                .arg(QString::number(rules::maxAmount.units() / Currency::Scale).size()));
        // A box with a validator of its own (days, whole numbers) keeps it.
        if (auto* edit = qobject_cast<QLineEdit*>(control); edit && !edit->validator())
            edit->setValidator(new QRegularExpressionValidator(amount, edit));
    }
    if (auto* combo = qobject_cast<QComboBox*>(control))
        combo->setInsertPolicy(QComboBox::NoInsert);
    return filter;
}

void EntryBehaviour::installByName(QWidget* root, const QStringList& names, Behaviours behaviours)
{
    for (const QString& name : names)
        install(root->findChild<QWidget*>(name), behaviours);
}

bool EntryBehaviour::isAmountCharacter(QChar c)
{
    return (c >= u'0' && c <= u'9') || c == u'.';
}

bool EntryBehaviour::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Coming back from the combo box's own list or from another window is not entering the box.
        const bool entering = reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
        if ((m_behaviours & SelectAllOnFocus) && entering) {
            // Deferred: a mouse click that gave the focus would otherwise clear the selection again.
            QPointer<QWidget> control = m_control;
            QTimer::singleShot(0, this, [control] {
                if (!control)
                    return;
                if (auto* edit = qobject_cast<QLineEdit*>(control))
                    edit->selectAll();
                else if (auto* spin = qobject_cast<QAbstractSpinBox*>(control))
                    spin->selectAll();
                else if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->lineEdit())
                    combo->lineEdit()->selectAll();
            });
        }
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;

    auto* key = static_cast<QKeyEvent*>(event);
    const bool plainEnter = (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
                            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if ((m_behaviours & EnterMovesOn) && plainEnter) {
        QPointer<QWidget> control = m_control;
        emit enterPressed();
        // The handler may have moved the focus, closed the window or deleted this control.
        if (control && control->isVisible() && control->hasFocus()) {
            QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
            QApplication::sendEvent(control, &tab);
        }
        return true;
    }
    const QString text = key->text();
    const bool printable = !text.isEmpty() && text.at(0).isPrint() &&
                           !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if ((m_behaviours & AmountKeys) && printable) {
        for (QChar c : text)
            if (!isAmountCharacter(c))
                return true; // dropped
        return false;
    }
    if ((m_behaviours & UpperCase) && printable && text != text.toUpper()) {
        QKeyEvent upper(QEvent::KeyPress, key->key(), key->modifiers(), text.toUpper(), key->isAutoRepeat(),
                        ushort(key->count()));
        QApplication::sendEvent(watched, &upper);
        return true;
    }
    return false;
}
