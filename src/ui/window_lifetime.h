#pragma once

#include <QObject>

// Called from a window's destructor. Closing a window moves the focus out of its boxes, and the
// signals that raises (editing finished, an entry activated) must not reach the handlers of a window
// whose members are already gone.
inline void disconnectChildSignals(QObject* window)
{
    for (QObject* child : window->findChildren<QObject*>())
        QObject::disconnect(child, nullptr, window, nullptr);
}
