#pragma once

#include <QDate>
#include <QObject>

class QComboBox;
class QDateEdit;
class QWidget;

// The keyboard habits of every window, kept once for the whole program rather than by each window:
//  - a date box is left at once by Enter, Tab and Shift+Tab, never walked section by section; a
//    separator typed just after the box moved on to the next part by itself is dropped, so that
//    15/01/2025 typed as it is shown is 15 January 2025 and not another date;
//  - a box that cannot be typed into (read-only) is out of the Tab and Enter order; it can still be
//    clicked, to copy from it;
// Installed on the application by the program and by the window tests.
class KeyboardRules : public QObject {
public:
    static void install();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};

// Moves the focus from the control to the next (or the previous) one that takes it with Tab in its
// window, leaving any box the control is part of.
void moveFocusOn(QWidget* from, bool forward = true);

// A list shows, highlights and stores the same entry: the entry of that text (whatever its case)
// becomes the chosen one; a text the list does not hold stands in an editable list's box alone,
// and leaves a fixed list with nothing chosen.
void showInList(QComboBox* list, const QString& text);

// A date box that may hold no date: no date shows as "No date" (the box's lowest date stands for it).
void allowNoDate(QDateEdit* box);
void showDate(QDateEdit* box, const QDate& date);
// The date shown, an invalid one for "No date".
QDate dateShown(const QDateEdit* box);
