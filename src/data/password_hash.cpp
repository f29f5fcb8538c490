#include "password_hash.h"

#include <QCryptographicHash>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QStringList>

namespace password_hash {

namespace {
const QString prefix = QStringLiteral("pbkdf2-sha256");
constexpr int iterations = 120000;
constexpr int keyLength = 32;

QByteArray derive(const QString& password, const QByteArray& salt, int rounds)
{
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password.toUtf8(), salt, rounds, keyLength);
}

// Compares without stopping at the first difference, so timing tells nothing.
bool sameBytes(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}
} // namespace

QString make(const QString& password)
{
    QByteArray salt(16, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(salt.data()), salt.size() / 4);
    return QStringList{prefix, QString::number(iterations), QString::fromLatin1(salt.toBase64()),
                       QString::fromLatin1(derive(password, salt, iterations).toBase64())}
        .join(u'$');
}

bool needsRehash(const QString& stored)
{
    return !stored.startsWith(prefix + u'$');
}

QString unsound(const QString& stored)
{
    const QStringList parts = stored.split(u'$');
    bool ok = false;
    const int rounds = parts.size() == 4 ? parts[1].toInt(&ok) : 0;
    if (!ok)
        return QStringLiteral("it is not a hash that Kestrel makes");
    if (rounds < iterations)
        return QStringLiteral("it is a hash of %1 iterations, where Kestrel makes %2").arg(rounds).arg(iterations);
    const auto decoded = [](const QString& part) {
        return QByteArray::fromBase64Encoding(part.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    };
    const auto salt = decoded(parts[2]);
    const auto key = decoded(parts[3]);
    if (!salt || !key || salt.decoded.size() < 16 || key.decoded.size() != keyLength)
        return QStringLiteral("its salt or key is not as long as Kestrel makes them");
    return {};
}

bool verify(const QString& password, const QString& stored)
{
    // An empty password is never one: an empty stored text would open the door to anyone.
    if (password.isEmpty() || stored.isEmpty())
        return false;
    if (needsRehash(stored))
        return sameBytes(password.toUtf8(), stored.toUtf8());
    const QStringList parts = stored.split(u'$');
    if (parts.size() != 4)
        return false;
    bool ok = false;
    const int rounds = parts[1].toInt(&ok);
    if (!ok || rounds < 1)
        return false;
    const QByteArray salt = QByteArray::fromBase64(parts[2].toLatin1());
    const QByteArray expected = QByteArray::fromBase64(parts[3].toLatin1());
    return sameBytes(derive(password, salt, rounds), expected);
}

} // namespace password_hash
