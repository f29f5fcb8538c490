#pragma once

#include <QList>
#include <QObject>
#include <QString>

class Prompter;
class QWidget;

// What the operator has typed into a window and not saved. Watches the window's boxes (a text typed
// or pasted, a date changed, an entry chosen from a list); the window clears it when the
// input is saved, cancelled or replaced by a stored record. Before the input would be lost (the
// window closes, however it is closed, or another record is loaded into it) the window asks.
class UnsavedInput : public QObject {
public:
    // what names the input in the question ("the employee being entered"). Every box of the window
    // is watched unless boxes names the ones that hold the input (not those that choose an employee).
    UnsavedInput(QWidget* window, Prompter& prompter, QString what, const QList<QWidget*>& boxes = {});

    void clear() { m_typed = false; }
    bool any() const { return m_typed; }
    // True when nothing unsaved would be lost, or the operator agrees to lose it (No is the default).
    bool mayDiscard(const QString& action = QStringLiteral("Close the window"));

private:
    void watch(QWidget* box);
    Prompter& m_prompter;
    QString m_what;
    bool m_typed = false;
};
