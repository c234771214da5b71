// The storage conventions and the provider rules of the server, without a server around them.
#include "server/provider.h"
#include "server/requesterror.h"
#include "server/storage.h"

#include <gtest/gtest.h>

using namespace server;

namespace {

// The stored form of a value as text: "kind:value".
QString storedAs(const QVariant &value, ValueType type)
{
    QString error;
    const auto stored = toStored(value, type, &error);
    if (!stored)
        return QStringLiteral("error:") + error;
    switch (stored->kind) {
    case StoredValue::Kind::Null:
        return QStringLiteral("null");
    case StoredValue::Kind::Integer:
        return QStringLiteral("int:%1").arg(stored->integer);
    case StoredValue::Kind::Real:
        return QStringLiteral("real:") + realText(stored->real);
    case StoredValue::Kind::Text:
        return QStringLiteral("text:") + QString::fromUtf8(stored->bytes);
    case StoredValue::Kind::Blob:
        return QStringLiteral("blob:") + QString::fromLatin1(stored->bytes.toHex());
    }
    return {};
}

} // namespace

TEST(Storage, DeclaredTypesMapToTheClientsTypes)
{
    const struct
    {
        const char *decl;
        ValueType type;
        int size;
    } cases[] = {{"varchar(50)", ValueType::Text, 50}, {"NVARCHAR(200)", ValueType::Text, 200},
                 {"memo", ValueType::Text, 0},         {"integer", ValueType::Integer, 0},
                 {"LONG", ValueType::Integer, 0},      {"counter", ValueType::Integer, 0},
                 {"bit", ValueType::Boolean, 0},       {"BOOLEAN", ValueType::Boolean, 0},
                 {"yesno", ValueType::Boolean, 0},     {"date", ValueType::Date, 0},
                 {"datetime", ValueType::DateTime, 0}, {"TIMESTAMP", ValueType::DateTime, 0},
                 {"float", ValueType::Float, 0},       {"decimal(18,2)", ValueType::Float, 0},
                 {"money", ValueType::Float, 0},       {"blob", ValueType::Blob, 0},
                 {"longbinary", ValueType::Blob, 0},   {"image", ValueType::Blob, 0},
                 {"", ValueType::Unknown, 0}};
    for (const auto &c : cases) {
        const DeclaredType declared = parseDeclaredType(c.decl);
        EXPECT_EQ(declared.type, c.type) << c.decl;
        EXPECT_EQ(declared.size, c.size) << c.decl;
    }
}

TEST(Storage, DatesInEveryFormTheSystemWritesBecomeCanonicalText)
{
    EXPECT_EQ(canonicalDateText(u"2024-03-01"), QStringLiteral("2024-03-01"));
    EXPECT_EQ(canonicalDateText(u"2024-3-1"), QStringLiteral("2024-03-01"));
    EXPECT_EQ(canonicalDateText(u"2024/03/01"), QStringLiteral("2024-03-01"));
    EXPECT_EQ(canonicalDateText(u" 2024-03-01 00:00:00 "), QStringLiteral("2024-03-01"));
    EXPECT_EQ(canonicalDateText(u"2024-03-01 9:05:00"), QStringLiteral("2024-03-01 09:05:00"));
    EXPECT_EQ(canonicalDateText(u"2024-03-01T09:05"), QStringLiteral("2024-03-01 09:05:00"));
    EXPECT_EQ(canonicalDateText(u"2024-03-01T09:05:07.250Z"),
              QStringLiteral("2024-03-01 09:05:07"));
    for (const char16_t *bad : {u"2024-02-30", u"2024-13-01", u"01/03/2024", u"2024-03-01 25:00",
                                u"2024-03", u"soon", u"2024-03-01 10:00 PM"})
        EXPECT_TRUE(canonicalDateText(bad).isEmpty()) << QString::fromUtf16(bad).toStdString();
}

TEST(Storage, WrittenValuesTakeTheirColumnsCanonicalForm)
{
    // Booleans: Jet's True is -1; texts of scripts say True and False.
    EXPECT_EQ(storedAs(-1, ValueType::Boolean), QStringLiteral("int:1"));
    EXPECT_EQ(storedAs(true, ValueType::Boolean), QStringLiteral("int:1"));
    EXPECT_EQ(storedAs(QStringLiteral("False"), ValueType::Boolean), QStringLiteral("int:0"));
    EXPECT_TRUE(storedAs(QStringLiteral("maybe"), ValueType::Boolean).startsWith(u"error"));
    // Dates and date-times: one text form, midnight without a time.
    EXPECT_EQ(storedAs(QDate(2024, 3, 1), ValueType::Date), QStringLiteral("text:2024-03-01"));
    EXPECT_EQ(storedAs(QDateTime(QDate(2024, 3, 1), QTime(0, 0)), ValueType::DateTime),
              QStringLiteral("text:2024-03-01"));
    EXPECT_EQ(storedAs(QDateTime(QDate(2024, 3, 1), QTime(13, 2, 3, 400)), ValueType::DateTime),
              QStringLiteral("text:2024-03-01 13:02:03"));
    EXPECT_EQ(storedAs(45352.5, ValueType::DateTime), QStringLiteral("text:2024-03-01 12:00:00"));
    EXPECT_EQ(storedAs(QString(), ValueType::Date), QStringLiteral("null"));
    EXPECT_TRUE(storedAs(QStringLiteral("next week"), ValueType::Date).startsWith(u"error"));
    // Numbers: measures stay floating point, keys integer.
    EXPECT_EQ(storedAs(17, ValueType::Float), QStringLiteral("real:17.0"));
    EXPECT_EQ(storedAs(QStringLiteral(" 2.5 "), ValueType::Float), QStringLiteral("real:2.5"));
    EXPECT_EQ(storedAs(3.0, ValueType::Integer), QStringLiteral("int:3"));
    EXPECT_EQ(storedAs(3.5, ValueType::Integer), QStringLiteral("real:3.5"));
    EXPECT_EQ(storedAs(QStringLiteral("-12"), ValueType::Integer), QStringLiteral("int:-12"));
    EXPECT_TRUE(storedAs(QStringLiteral("12kg"), ValueType::Integer).startsWith(u"error"));
    // Text keeps what it is given; dates written into text are canonical too.
    EXPECT_EQ(storedAs(QStringLiteral("O'Neil"), ValueType::Text), QStringLiteral("text:O'Neil"));
    EXPECT_EQ(storedAs(QDate(2024, 3, 1), ValueType::Text), QStringLiteral("text:2024-03-01"));
    EXPECT_EQ(storedAs(QByteArray("\x01\x02", 2), ValueType::Blob), QStringLiteral("blob:0102"));
    EXPECT_EQ(storedAs(QVariant(), ValueType::Integer), QStringLiteral("null"));
}

TEST(Storage, StoredValuesCompareNumbersByValue)
{
    EXPECT_TRUE(StoredValue::ofInteger(17).sameAs(StoredValue::ofReal(17.0)));
    EXPECT_FALSE(StoredValue::ofInteger(17).sameAs(StoredValue::ofReal(17.5)));
    EXPECT_FALSE(
        StoredValue::ofText(QStringLiteral("a")).sameAs(StoredValue::ofText(QStringLiteral("A"))));
    EXPECT_FALSE(StoredValue::null().sameAs(StoredValue::ofText(QString())));
    EXPECT_TRUE(StoredValue::null().sameAs(StoredValue::null()));
}

TEST(Storage, RowsWrittenBeforeTheConventionsCompareInTheirCanonicalForm)
{
    const auto legacyDate = StoredValue::ofText(QStringLiteral("2024-3-1"));
    EXPECT_TRUE(canonicalStored(legacyDate, ValueType::Date)
                    .sameAs(StoredValue::ofText(QStringLiteral("2024-03-01"))));
    EXPECT_TRUE(canonicalStored(StoredValue::ofInteger(-1), ValueType::Boolean)
                    .sameAs(StoredValue::ofInteger(1)));
    // Text columns keep their text exactly.
    EXPECT_FALSE(canonicalStored(legacyDate, ValueType::Text)
                     .sameAs(StoredValue::ofText(QStringLiteral("2024-03-01"))));
}

TEST(Providers, NamesResolveByTheNamingRule)
{
    const auto tables = [](const QString &name) {
        for (const char *table : {"HP", "SC_scjh", "VersionInfor"})
            if (name.compare(QLatin1String(table), Qt::CaseInsensitive) == 0)
                return QString::fromLatin1(table);
        return QString();
    };
    EXPECT_EQ(resolveProvider(QStringLiteral("pHp"), false, tables).kind, Provider::Kind::Table);
    EXPECT_EQ(resolveProvider(QStringLiteral("pHp"), false, tables).table, QStringLiteral("HP"));
    EXPECT_EQ(resolveProvider(QStringLiteral("pSC_SCJH"), false, tables).table,
              QStringLiteral("SC_scjh"));
    EXPECT_EQ(resolveProvider(QStringLiteral("pTMP"), false, tables).kind, Provider::Kind::Scratch);
    EXPECT_EQ(resolveProvider(QStringLiteral("pAccountTemp"), true, tables).kind,
              Provider::Kind::Registry);
    EXPECT_EQ(resolveProvider(QStringLiteral("dspAccounts"), false, tables).kind,
              Provider::Kind::AccountList);
    EXPECT_EQ(resolveProvider(QStringLiteral("pCgddHelp"), true, tables).kind,
              Provider::Kind::Query);
    EXPECT_THROW(resolveProvider(QStringLiteral("pCgddHelp"), false, tables), RequestError);
    EXPECT_THROW(resolveProvider(QStringLiteral("Hp"), true, tables), RequestError);
    EXPECT_TRUE(isRegistryProvider(QStringLiteral("PACCOUNTTEMP")));
    EXPECT_FALSE(isRegistryProvider(QStringLiteral("pTmp")));
}
