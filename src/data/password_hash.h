#pragma once

#include <QString>

// Salted PBKDF2-SHA256 password hashes, stored as "pbkdf2-sha256$iterations$salt$hash" (base64).
namespace password_hash {

QString make(const QString& password);
// True when the password matches. A stored text that is not a hash is an old plain-text password
// and is compared as text; needsRehash() tells the caller to replace it.
bool verify(const QString& password, const QString& stored);
bool needsRehash(const QString& stored);
// A stored hash is what make() makes: as many iterations, a salt and a key as long. A hash of one
// iteration, brought in from a file, would give a password up to anyone who reads the file. Why
// it is not, when it is not.
QString unsound(const QString& stored);

} // namespace password_hash
