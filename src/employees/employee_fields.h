#pragma once

#include "data/employee_repository.h"
#include "ui/required_fields.h"

#include <QHash>
#include <QList>

struct AppContext;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

// Makes a box read-only or typable, and grey or white to match: the look follows the read-only flag
// only when the box is styled again.
void setTypable(QWidget* box, bool typable);

// The fields both employee windows have, from gender to the hire date; the name boxes, the ID and the
// photograph are each window's own.
struct EmployeeFields {
    QComboBox* gender;
    QComboBox* status;
    QPlainTextEdit* address;
    QComboBox* department;
    QComboBox* group;
    QLineEdit* position;
    QComboBox* employmentStatus;
    QLineEdit* basicRate;
    QDateEdit* hired;

    // Fills the department and group lists from their masters (sorted when asked) and installs the
    // entry habits: lists that open on focus, Enter that moves on.
    void setUp(AppContext& context, bool sorted) const;
    // Read-only and grey, or open for typing (the basic rate stays as its window set it up).
    void setLocked(bool locked) const;
    // Empties every field.
    void clear() const;
    void show(const Employee& employee) const;
    // Copies the fields into the employee; the name, ID, basic rate and photograph are left to the caller.
    void read(Employee& employee) const;
    // The checks of a save, in the order the operator meets them, the name box first.
    QList<RequiredField> required(QWidget* nameBox) const;
    // The control of each stored column, for the rules' verdicts.
    QHash<QString, QWidget*> controls(QWidget* nameBox, QWidget* photoBox) const;
};
