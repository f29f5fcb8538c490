#pragma once

#include "rules/record_rules.h"
#include "ui/prompter.h"

#include <QHash>

#include <QList>
#include <QString>

class QWidget;

// One box that must be filled before a save, and what to tell the operator when it is not.
struct RequiredField {
    QWidget* control;
    QString message;
};

// Checks the boxes in order: the first empty one shows its message (with the icon and title given)
// and takes the focus, and the answer is false. A box holding only blanks is empty, except a
// password box, where blanks are part of the password.
bool requireFilled(Prompter& prompter, const QList<RequiredField>& fields,
                   Prompter::Icon icon = Prompter::Icon::Warning, const QString& title = {});

// Turns the rules' verdict into a message and a focus: the message is shown (with the icon and
// title given) and the control of the broken field, named by its stored column, takes the focus,
// its text selected. True when the rules find nothing wrong.
bool acceptRules(Prompter& prompter, const rules::Verdict& verdict, const QHash<QString, QWidget*>& controls,
                 Prompter::Icon icon = Prompter::Icon::Warning, const QString& title = {});
