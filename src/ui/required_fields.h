#pragma once

#include "ui/prompter.h"

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
