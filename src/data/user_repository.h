#pragma once

#include "data/status.h"

#include <QList>
#include <QString>

#include <optional>

class Database;

struct User {
    qint64 id = 0;
    QString name;
    QString privilege;
};

// Operators (table use) and the delete password (table passwd). Passwords are stored as salted
// hashes; no method ever returns one. User names are stored trimmed and are unique whatever their
// letter case; passwords are exact and never empty. A privilege is "admin" or "user" (trimmed, any
// case); a stored one that is neither restricts.
class UserRepository {
public:
    explicit UserRepository(const Database& database) : m_db(database) {}

    Result<QList<User>> list() const; // by name
    std::optional<User> find(qint64 id) const;
    Result<qint64> count() const;
    Result<qint64> add(const QString& name, const QString& password, const QString& privilege);
    // A user brought from another system (an import): the number kept when given (0: the next),
    // the password given in plain text (stored hashed) or as a hash Kestrel made, never a weaker one.
    Result<qint64> addBrought(qint64 id, const QString& name, const QString& password, const QString& privilege);
    // An empty password keeps the stored one.
    Status update(qint64 id, const QString& name, const QString& password, const QString& privilege);
    // Refuses to delete the user who is logged in (loggedInId) and the last user who can manage users.
    Status remove(qint64 id, qint64 loggedInId);

    // A new database's first step: the administrator and the delete password, stored together, and
    // only while there is no user at all.
    Result<User> createFirstAdministrator(const QString& name, const QString& password, const QString& deletePassword);

    // The user whose name (any letter case, blanks around it ignored) and password match; an old
    // plain-text password is rehashed on success.
    std::optional<User> authenticate(const QString& name, const QString& password);

    Result<bool> hasDeletePassword() const;
    Status setDeletePassword(const QString& password);
    // The delete password brought from another system, in plain text or as a hash Kestrel made;
    // refused where there is one already, which stays the one.
    Status bringDeletePassword(const QString& password);
    // Whether the password is the delete password, letter case included; false when none is set,
    // since nothing may be deleted then. A failing look-up is a failure, not a wrong password.
    Result<bool> checkDeletePassword(const QString& password);

private:
    Status checkFields(qint64 id, const QString& name, const QString& password, const QString& privilege) const;
    Result<qint64> managersOtherThan(qint64 id) const;
    const Database& m_db;
};
