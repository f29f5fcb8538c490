#pragma once

#include <QFlags>
#include <QObject>
#include <QStringList>

class QWidget;

// The entry habits every window shares, installed on controls by name instead of written per window:
//  - SelectAllOnFocus: a number box selects its whole text when it gets the focus, so typing replaces it;
//  - AmountKeys: a box takes only digits, "." and Backspace (editing keys still work), and at most
//    nine digits before the point and two after it;
//  - EnterMovesOn: Enter moves the focus on like Tab (enterPressed() is emitted first);
//  - UpperCase: letters are typed as capitals.
class EntryBehaviour : public QObject {
    Q_OBJECT
public:
    enum Behaviour {
        SelectAllOnFocus = 0x1,
        AmountKeys = 0x4,
        EnterMovesOn = 0x8,
        UpperCase = 0x10,
    };
    Q_DECLARE_FLAGS(Behaviours, Behaviour)

    // Installs (or extends) the behaviours of one control; the returned object lives as its child.
    static EntryBehaviour* install(QWidget* control, Behaviours behaviours);
    // Installs the behaviours on the named descendants of root; names that match nothing are ignored.
    static void installByName(QWidget* root, const QStringList& names, Behaviours behaviours);
    // The behaviour object of a control, or null.
    static EntryBehaviour* of(QWidget* control);

    Behaviours behaviours() const { return m_behaviours; }
    // Whether a typed character passes the amount filter.
    static bool isAmountCharacter(QChar c);

signals:
    void enterPressed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    EntryBehaviour(QWidget* control, Behaviours behaviours);
    QWidget* m_control;
    Behaviours m_behaviours;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(EntryBehaviour::Behaviours)
