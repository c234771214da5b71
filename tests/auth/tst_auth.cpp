// Stored passwords and the slowing down of guesses.
#include "auth/loginthrottle.h"
#include "auth/passwordhash.h"

#include <gtest/gtest.h>

using namespace auth;

namespace {

constexpr int Cheap = MinimumIterations; // the cost does not change what is checked

} // namespace

TEST(PasswordHash, VerifiesOnlyTheRightEntry)
{
    const QString stored = hashPassword(QStringLiteral("Kj'01 密码"), Cheap);
    ASSERT_TRUE(isPasswordHash(stored));
    EXPECT_TRUE(stored.startsWith(QStringLiteral("pbkdf2-sha256$1000$")));
    EXPECT_FALSE(stored.contains(QStringLiteral("Kj'01")));
    const struct
    {
        const char *entry;
        bool right;
    } entries[] = {
        {"Kj'01 密码", true}, {"kj'01 密码", false}, {"Kj'01 密码 ", false},
        {"", false},          {"Kj'01", false},
    };
    for (const auto &[entry, right] : entries)
        EXPECT_EQ(verifyPassword(QString::fromUtf8(entry), stored), right) << entry;
    // A fresh salt each time: equal passwords do not show as equal hashes.
    EXPECT_NE(hashPassword(QStringLiteral("123"), Cheap),
              hashPassword(QStringLiteral("123"), Cheap));
}

TEST(PasswordHash, EmptyMeansNoPasswordAndAnythingElseIsNoHash)
{
    EXPECT_EQ(hashPassword(QString()), QString());
    EXPECT_TRUE(verifyPassword(QString(), QString()));
    EXPECT_FALSE(verifyPassword(QStringLiteral("x"), QString()));

    const QString good = hashPassword(QStringLiteral("123"), Cheap);
    const QStringList parts = good.split(QLatin1Char('$'));
    const QString badStored[] = {
        QStringLiteral("123"), // clear text from before hashing never matches
        parts[0] + QStringLiteral("$999$") + parts[2] + QLatin1Char('$') + parts[3], // too cheap
        parts[0] + QStringLiteral("$1000$") + parts[2] + QLatin1Char('$') +
            parts[3].left(10), // cut hash
        QStringLiteral("md5$1000$") + parts[2] + QLatin1Char('$') + parts[3],
        parts[0] + QStringLiteral("$1000$!!$") + parts[3],
    };
    for (const QString &stored : badStored) {
        EXPECT_FALSE(isPasswordHash(stored)) << stored.toStdString();
        EXPECT_FALSE(verifyPassword(QStringLiteral("123"), stored)) << stored.toStdString();
    }
    EXPECT_FALSE(verifyPassword(QString(MaxPasswordLength + 1, QLatin1Char('a')), good));
}

TEST(LoginThrottle, GuessesWaitLongerAndLongerButNeverForever)
{
    LoginThrottle throttle;
    const QString address = QStringLiteral("192.168.1.20");
    qint64 now = 1'000'000;
    const qint64 expected[] = {0, 0, 0, 1000, 2000, 4000, 8000, 16000, 30000, 30000};
    for (qint64 delay : expected) {
        EXPECT_EQ(throttle.delayMs(address, now), delay);
        throttle.failed(address, now);
        now += 100;
    }
    // Others are not held up by one address's guesses.
    EXPECT_EQ(throttle.delayMs(QStringLiteral("192.168.1.21"), now), 0);
    // The right password clears the count; so does a quarter of an hour of quiet.
    throttle.succeeded(address);
    EXPECT_EQ(throttle.delayMs(address, now), 0);
    for (int i = 0; i < 5; ++i)
        throttle.failed(address, now);
    EXPECT_EQ(throttle.delayMs(address, now), 4000);
    now += LoginThrottle::ForgetAfterMs;
    EXPECT_EQ(throttle.delayMs(address, now), 0);
    throttle.failed(address, now);
    EXPECT_EQ(throttle.delayMs(address, now), 0);
}

TEST(LoginThrottle, AFloodOfAddressesIsBounded)
{
    LoginThrottle throttle;
    for (int i = 0; i < LoginThrottle::MaxAddresses + 500; ++i)
        throttle.failed(QStringLiteral("10.0.%1.%2").arg(i / 256).arg(i % 256), i);
    // The newest are still remembered.
    const QString last = QStringLiteral("10.0.%1.%2")
                             .arg((LoginThrottle::MaxAddresses + 499) / 256)
                             .arg((LoginThrottle::MaxAddresses + 499) % 256);
    for (int i = 0; i < 3; ++i)
        throttle.failed(last, LoginThrottle::MaxAddresses + 600);
    EXPECT_EQ(throttle.delayMs(last, LoginThrottle::MaxAddresses + 600), 2000);
}
