#pragma once

#include "rules/record_rules.h"

#include <QString>

// Who is working on which company: set by the company selection and the login, shown by the main
// window, and handed to every window it opens.
struct Session {
    QString company;
    QString userName;
    QString privilege;
    qint64 userId = 0; // the row of the user who logged in

    // Only "admin" (trimmed, any case) gives full access; "user" and any text not recognised restrict.
    bool isRestricted() const { return rules::privilegeOf(privilege) != rules::Privilege::Administrator; }
};
