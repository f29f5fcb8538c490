#include "user_repository.h"

#include "data/audit_trail.h"
#include "data/database.h"
#include "data/dialect.h"
#include "data/password_hash.h"
#include "data/session.h"
#include "data/sql_query.h"
#include "rules/record_rules.h"

#include <algorithm>

namespace {
User readUser(const SqlQuery& q)
{
    return {q.number(0), q.text(1), q.text(2)};
}

bool restricts(const QString& privilege)
{
    return rules::privilegeOf(privilege) == rules::Privilege::Restricted;
}

bool sameName(const QString& a, const QString& b)
{
    return rules::cleanText(a).compare(rules::cleanText(b), Qt::CaseInsensitive) == 0;
}
} // namespace

Result<QList<User>> UserRepository::list() const
{
    SqlQuery query(m_db, QStringLiteral("SELECT ID, usernm, priv FROM \"use\" ORDER BY usernm, ID"));
    return query.rows(readUser);
}

std::optional<User> UserRepository::find(qint64 id) const
{
    SqlQuery query(m_db, QStringLiteral("SELECT ID, usernm, priv FROM \"use\" WHERE ID = ?"));
    query.bind(id);
    const auto user = query.first(readUser);
    return user ? *user : std::nullopt;
}

Result<qint64> UserRepository::count() const
{
    SqlQuery query(m_db, QStringLiteral("SELECT count(*) FROM \"use\""));
    const auto count = query.single();
    if (!count)
        return count.status();
    return count->toLongLong();
}

Status UserRepository::checkFields(qint64 id, const QString& name, const QString& password, const QString& privilege) const
{
    if (const auto broken = rules::checkUser(rules::cleanText(name), password, privilege, id == 0))
        return Status::refused(broken->field, broken->message);
    // Compared here, as a clerk reads them, rather than by the database, whose letter case rules
    // know only ASCII.
    const auto users = list();
    if (!users)
        return users.status();
    QStringList others;
    for (const User& user : *users)
        if (user.id != id)
            others << user.name;
    if (const auto broken = rules::distinctName(QStringLiteral("usernm"), QStringLiteral("user"),
                                                rules::cleanText(name), others))
        return Status::refused(broken->field, broken->message);
    return {};
}

Result<qint64> UserRepository::add(const QString& name, const QString& password, const QString& privilege)
{
    if (Status s = checkFields(0, name, password, privilege); !s)
        return s;
    SqlQuery query(m_db, QStringLiteral("INSERT INTO \"use\" (usernm, pass, priv) VALUES (?, ?, ?) RETURNING ID"));
    query.bind(rules::cleanText(name)).bind(password_hash::make(password)).bind(privilege.trimmed());
    return audit::recordedInsert(m_db, QStringLiteral("use"), [&]() -> Result<qint64> {
        const auto id = numberGiven(query);
        if (id && *id > rules::maxUserId)
            return Status::failure(QStringLiteral("Every user number up to %1 has been given out.").arg(rules::maxUserId));
        return id;
    });
}

namespace {
// What a password brought from a file is stored as: a plain one hashed, a sound hash as it is.
Result<QString> storedPassword(const QString& field, const QString& password)
{
    if (password_hash::needsRehash(password)) {
        if (const auto broken = rules::checkPassword(field, QStringLiteral("the password"), password))
            return Status::refused(broken->field, broken->message);
        return password_hash::make(password);
    }
    if (const QString why = password_hash::unsound(password); !why.isEmpty())
        return Status::refused(field, QStringLiteral("The password cannot be taken as it is stored: %1. Give it in "
                                                     "plain text, and it is stored as Kestrel stores passwords.")
                                          .arg(why));
    return password;
}
} // namespace

Result<qint64> UserRepository::addBrought(qint64 id, const QString& name, const QString& password,
                                          const QString& privilege)
{
    if (Status s = checkFields(0, name, password, privilege); !s)
        return s;
    if (id != 0) {
        if (const auto broken = rules::number(QStringLiteral("ID"), QStringLiteral("the user number"), id, rules::maxUserId))
            return Status::refused(broken->field, broken->message);
        if (find(id))
            return Status::refused(QStringLiteral("ID"), QStringLiteral("The user number %1 is taken already.").arg(id));
    }
    const auto stored = storedPassword(QStringLiteral("pass"), password);
    if (!stored)
        return stored.status();
    const QStringList columns = {QStringLiteral("usernm"), QStringLiteral("pass"), QStringLiteral("priv")};
    SqlQuery query(m_db, insertStatement(QStringLiteral("\"use\""), id != 0 ? QStringList{QStringLiteral("ID")} + columns : columns,
                                         QStringLiteral("ID")));
    if (id != 0)
        query.bind(id);
    query.bind(rules::cleanText(name)).bind(*stored).bind(privilege.trimmed());
    return audit::recordedInsert(m_db, QStringLiteral("use"), [&]() -> Result<qint64> {
        const auto given = numberGiven(query);
        if (!given)
            return given;
        // The database's own numbering goes on after a number kept.
        if (const QString follow = dialect::identityAfterLargest(m_db.backend(), QStringLiteral("\"use\""), QStringLiteral("ID"));
            !follow.isEmpty())
            if (Status s = execute(m_db, follow); !s)
                return s;
        return given;
    });
}

Status UserRepository::update(qint64 id, const QString& name, const QString& password, const QString& privilege)
{
    if (Status s = checkFields(id, name, password, privilege); !s)
        return s;
    const auto others = managersOtherThan(id);
    if (!others)
        return others.status();
    if (restricts(privilege) && *others == 0) {
        const auto current = find(id);
        if (current && !restricts(current->privilege))
            return Status::failure(QStringLiteral("At least one user must keep the privilege \"admin\", or nobody "
                                                  "could manage users."));
    }
    SqlQuery query(m_db, password.isEmpty()
                             ? QStringLiteral("UPDATE \"use\" SET usernm = ?, priv = ? WHERE ID = ?")
                             : QStringLiteral("UPDATE \"use\" SET usernm = ?, priv = ?, pass = ? WHERE ID = ?"));
    query.bind(rules::cleanText(name)).bind(privilege.trimmed());
    if (!password.isEmpty())
        query.bind(password_hash::make(password));
    query.bind(id);
    return audit::recorded(
        m_db, QStringLiteral("use"), QStringLiteral("ID = ?"), {QVariant(id)},
        [&] { return query.execChanging(QStringLiteral("The user no longer exists.")); },
        password.isEmpty() ? QString() : QStringLiteral("the password was changed"));
}

Result<qint64> UserRepository::managersOtherThan(qint64 id) const
{
    // Read by the rules, as every door reads a privilege.
    const auto users = list();
    if (!users)
        return users.status();
    return qint64(std::count_if(users->cbegin(), users->cend(),
                                [id](const User& u) { return u.id != id && !restricts(u.privilege); }));
}

Status UserRepository::remove(qint64 id, qint64 loggedInId)
{
    const auto user = find(id);
    if (!user)
        return Status::failure(QStringLiteral("The user no longer exists."));
    if (id == loggedInId)
        return Status::failure(
            QStringLiteral("%1 is logged in now and cannot be deleted. Log in as another user to delete %1.")
                .arg(user->name));
    const auto others = managersOtherThan(id);
    if (!others)
        return others.status();
    if (!restricts(user->privilege) && *others == 0)
        return Status::failure(
            QStringLiteral("%1 is the last user who can manage users and cannot be deleted.").arg(user->name));
    SqlQuery query(m_db, QStringLiteral("DELETE FROM \"use\" WHERE ID = ?"));
    query.bind(id);
    return audit::recorded(m_db, QStringLiteral("use"), QStringLiteral("ID = ?"), {QVariant(id)},
                           [&] { return query.execChanging(QStringLiteral("The user no longer exists.")); });
}

Result<User> UserRepository::createFirstAdministrator(const QString& name, const QString& password,
                                                      const QString& deletePassword)
{
    User created;
    const Status stored = inTransaction(m_db, [&] {
        const auto users = count();
        if (!users)
            return users.status();
        if (*users > 0)
            return Status::failure(QStringLiteral("The administrator has been created already. Please log in."));
        const auto id = add(name, password, QStringLiteral("Admin"));
        if (!id)
            return id.status();
        created = User{*id, rules::cleanText(name), QStringLiteral("Admin")};
        return setDeletePassword(deletePassword);
    });
    if (!stored)
        return stored;
    return created;
}

std::optional<User> UserRepository::authenticate(const QString& name, const QString& password)
{
    SqlQuery query(m_db, QStringLiteral("SELECT ID, usernm, priv, pass FROM \"use\" ORDER BY ID"));
    if (!query.exec())
        return std::nullopt;
    while (query.next()) {
        if (!sameName(query.text(1), name))
            continue;
        const QString stored = query.text(3);
        if (!password_hash::verify(password, stored))
            continue;
        const User user = readUser(query);
        if (password_hash::needsRehash(stored)) {
            SqlQuery rehash(m_db, QStringLiteral("UPDATE \"use\" SET pass = ? WHERE ID = ?"));
            rehash.bind(password_hash::make(password)).bind(user.id);
            // A failed rehash leaves the old text, which still works next time.
            inTransaction(m_db, [&]() -> Status {
                if (Status s = rehash.exec(); !s)
                    return s;
                return audit::recordEvent(m_db, audit::Kind::Update, QStringLiteral("use"), {},
                                          QStringLiteral("the password of %1 is stored as a hash now").arg(user.name));
            });
        }
        return user;
    }
    return std::nullopt;
}

Result<bool> UserRepository::hasDeletePassword() const
{
    return anyRowIn(m_db, {QStringLiteral("passwd")}, QStringLiteral("delpass <> ''"));
}

Status UserRepository::setDeletePassword(const QString& password)
{
    if (const auto broken = rules::checkPassword(QStringLiteral("delpass"), QStringLiteral("the delete password"), password))
        return Status::refused(broken->field, broken->message);
    return inTransaction(m_db, [&] {
        if (Status s = SqlQuery(m_db, QStringLiteral("DELETE FROM passwd")).exec(); !s)
            return s;
        SqlQuery insert(m_db, QStringLiteral("INSERT INTO passwd (delpass) VALUES (?)"));
        insert.bind(password_hash::make(password));
        if (Status s = insert.exec(); !s)
            return s;
        return audit::recordEvent(m_db, audit::Kind::Update, QStringLiteral("passwd"), {},
                                  QStringLiteral("the delete password was set"));
    });
}

Status UserRepository::bringDeletePassword(const QString& password)
{
    return inWriteTransaction(m_db, [&]() -> Status {
        const auto any = anyRowIn(m_db, {QStringLiteral("passwd")});
        if (!any)
            return any.status();
        if (*any)
            return Status::refused(QStringLiteral("delpass"), QStringLiteral("The database has its delete password "
                                                                             "already, which stays the one."));
        if (password_hash::needsRehash(password))
            return setDeletePassword(password);
        const auto stored = storedPassword(QStringLiteral("delpass"), password);
        if (!stored)
            return stored.status();
        SqlQuery insert(m_db, QStringLiteral("INSERT INTO passwd (delpass) VALUES (?)"));
        insert.bind(*stored);
        if (Status s = insert.exec(); !s)
            return s;
        return audit::recordEvent(m_db, audit::Kind::Update, QStringLiteral("passwd"), {},
                                  QStringLiteral("the delete password was set"));
    });
}

Result<bool> UserRepository::checkDeletePassword(const QString& password)
{
    SqlQuery query(m_db, QStringLiteral("SELECT rowid, delpass FROM passwd ORDER BY rowid LIMIT 1"));
    if (Status s = query.exec(); !s)
        return s;
    if (!query.next())
        return false;
    const QString stored = query.text(1);
    if (stored.isEmpty() || !password_hash::verify(password, stored))
        return false;
    if (password_hash::needsRehash(stored)) {
        SqlQuery rehash(m_db, QStringLiteral("UPDATE passwd SET delpass = ? WHERE rowid = ?"));
        rehash.bind(password_hash::make(password)).bind(query.number(0));
        inTransaction(m_db, [&]() -> Status {
            if (Status s = rehash.exec(); !s)
                return s;
            return audit::recordEvent(m_db, audit::Kind::Update, QStringLiteral("passwd"), {},
                                      QStringLiteral("the delete password is stored as a hash now"));
        });
    }
    return true;
}
