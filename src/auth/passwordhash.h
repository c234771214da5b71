// Stored passwords: a salted, deliberately slow hash (PBKDF2 with HMAC-SHA-256), written as
//   pbkdf2-sha256$<iterations>$<salt, base64>$<hash, base64>
// so that a later, stronger cost still verifies the passwords stored before it. An empty
// stored value means "no password": it accepts the empty entry and nothing else.
#pragma once

#include <QString>

namespace auth {

// Enough that guessing offline costs about a third of a second per try on a current core.
inline constexpr int DefaultIterations = 600000;
// Below this a stored hash is not trusted (a tampered row could otherwise name 1).
inline constexpr int MinimumIterations = 1000;
// Longer entries are refused before any hashing: a stranger must not choose the cost.
inline constexpr int MaxPasswordLength = 128;

// The stored form of a password; empty for the empty password.
QString hashPassword(const QString &password, int iterations = DefaultIterations);

// Whether the entry matches the stored form. A stored value that is not a hash this code
// wrote (clear text from before hashing, a damaged row) matches nothing but the empty entry
// of an empty value.
bool verifyPassword(const QString &entry, const QString &stored);

// Whether a stored value is a hash written by hashPassword.
bool isPasswordHash(const QString &stored);

} // namespace auth
