#pragma once

#include <QString>

// Salted PBKDF2-SHA256 password hashes, stored as "pbkdf2-sha256$iterations$salt$hash" (base64).
namespace password_hash {

QString make(const QString& password);
// True when the password matches. A stored text that is not a hash is an old plain-text password
// and is compared as text; needsRehash() tells the caller to replace it.
bool verify(const QString& password, const QString& stored);
bool needsRehash(const QString& stored);

} // namespace password_hash
