#pragma once

#include <QObject>
#include <QWidget>

// Called from a window's destructor. Closing a window moves the focus out of its boxes, and the
// signals that raises (editing finished, an entry activated) must not reach the handlers of a window
// whose members are already gone, nor its helpers (an employee picker, a password guard) that call
// back into it.
inline void disconnectChildSignals(QObject* window)
{
    const QList<QObject*> children = window->findChildren<QObject*>();
    QList<QObject*> receivers{window};
    for (QObject* child : children)
        if (!child->isWidgetType())
            receivers.append(child);
    for (QObject* sender : children)
        for (QObject* receiver : receivers)
            QObject::disconnect(sender, nullptr, receiver, nullptr);
}
