// PBKDF2-HMAC-SHA-256 through OpenSSL's libcrypto.
#include "auth/passwordhash.h"

#include <QByteArray>
#include <QList>

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <stdexcept>

namespace auth {

namespace {

constexpr QLatin1StringView Scheme{"pbkdf2-sha256"};
constexpr int SaltBytes = 16;
constexpr int HashBytes = 32;
constexpr int MaxIterations = 100000000;

QByteArray derive(const QByteArray &password, const QByteArray &salt, int iterations)
{
    QByteArray hash(HashBytes, Qt::Uninitialized);
    if (PKCS5_PBKDF2_HMAC(password.constData(), int(password.size()),
                          reinterpret_cast<const unsigned char *>(salt.constData()),
                          int(salt.size()), iterations, EVP_sha256(), HashBytes,
                          reinterpret_cast<unsigned char *>(hash.data())) != 1)
        throw std::runtime_error("the password hash could not be computed");
    return hash;
}

struct ParsedHash
{
    int iterations = 0;
    QByteArray salt;
    QByteArray hash;
};

bool parse(const QString &stored, ParsedHash &parsed)
{
    const QStringList parts = stored.split(QLatin1Char('$'));
    if (parts.size() != 4 || parts[0] != Scheme)
        return false;
    bool ok = false;
    parsed.iterations = parts[1].toInt(&ok);
    if (!ok || parsed.iterations < MinimumIterations || parsed.iterations > MaxIterations)
        return false;
    const auto salt = QByteArray::fromBase64Encoding(parts[2].toLatin1(),
                                                     QByteArray::AbortOnBase64DecodingErrors);
    const auto hash = QByteArray::fromBase64Encoding(parts[3].toLatin1(),
                                                     QByteArray::AbortOnBase64DecodingErrors);
    if (!salt || !hash || salt.decoded.size() < 8 || hash.decoded.size() != HashBytes)
        return false;
    parsed.salt = salt.decoded;
    parsed.hash = hash.decoded;
    return true;
}

} // namespace

QString hashPassword(const QString &password, int iterations)
{
    if (password.isEmpty())
        return {};
    if (iterations < MinimumIterations || iterations > MaxIterations)
        throw std::invalid_argument("the password hash cost is out of range");
    QByteArray salt(SaltBytes, Qt::Uninitialized);
    if (RAND_bytes(reinterpret_cast<unsigned char *>(salt.data()), SaltBytes) != 1)
        throw std::runtime_error("no random bytes for the password salt");
    const QByteArray hash = derive(password.toUtf8(), salt, iterations);
    return QStringLiteral("%1$%2$%3$%4")
        .arg(Scheme)
        .arg(iterations)
        .arg(QString::fromLatin1(salt.toBase64()), QString::fromLatin1(hash.toBase64()));
}

bool verifyPassword(const QString &entry, const QString &stored)
{
    if (stored.isEmpty())
        return entry.isEmpty();
    if (entry.size() > MaxPasswordLength)
        return false;
    ParsedHash parsed;
    if (!parse(stored, parsed))
        return false;
    const QByteArray hash = derive(entry.toUtf8(), parsed.salt, parsed.iterations);
    return CRYPTO_memcmp(hash.constData(), parsed.hash.constData(), HashBytes) == 0;
}

bool isPasswordHash(const QString &stored)
{
    ParsedHash parsed;
    return parse(stored, parsed);
}

} // namespace auth
