#pragma once

#include <QString>

// Who is working on which company: set by the company selection and the login, shown by the main
// window, and handed to every window it opens.
struct Session {
    QString company;
    QString userName;
    QString privilege;
    qint64 userId = 0; // the row of the user who logged in

    // Only the exact privilege "user" restricts; "User", "admin" and the rest give full access.
    bool isRestricted() const { return privilege == QLatin1String("user"); }
};
