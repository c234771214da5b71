// What a client of the protocol learns from the server beyond the rows: the keys its inserts
// were stored with, which columns are unique, why a statement of a script failed and where,
// and that execute is no way to read.
#include "rawclient.h"
#include "serverfixture.h"

using namespace vztest;

namespace {

class Protocol : public ServerTest
{
protected:
    void SetUp() override
    {
        ServerTest::SetUp();
        if (HasFatalFailure())
            return;
        client = connect();
        client->execute(QStringLiteral(
            "create table HP (ID integer primary key, BH varchar(20) not null, PM varchar(50))"));
        execOnFile("create unique index HP_BH on HP (BH)"); // beyond the dialects
        // A key of two columns, a text key, and a table with neither key nor ID.
        client->execute(QStringLiteral(
            "create table Line (ZBID integer, HH integer, SL float, primary key (ZBID, HH))"));
        client->execute(
            QStringLiteral("create table Unit (Code varchar(10) primary key, MC varchar(20))"));
        client->execute(QStringLiteral("create table Note (Txt varchar(20))"));
    }

    qint64 count(const QString &table)
    {
        return scalar(*client, QStringLiteral("select count(*) from ") + table).toLongLong();
    }

    // The server's error for a request that must fail.
    wire::Error errorOf(const std::function<void()> &request)
    {
        try {
            request();
        } catch (const wire::Error &e) {
            return e;
        }
        ADD_FAILURE() << "the request did not fail";
        return wire::Error(wire::Error::Kind::Server, {});
    }

    std::unique_ptr<wire::Client> client;
};

QVariantMap keyOf(const QString &column, const QVariant &value)
{
    return {{column, value}};
}

} // namespace

TEST_F(Protocol, AnInsertedRowComesBackWithTheKeyItWasStoredWith)
{
    const QString id = QStringLiteral("ID");
    const wire::ApplyResult result = client->apply(
        QStringLiteral("pHP"), {}, 0,
        {inserted({{QStringLiteral("BH"), QStringLiteral("A1")}}),
         inserted({{id, 40}, {QStringLiteral("BH"), QStringLiteral("A2")}}),
         inserted({{id, QStringLiteral("41")}, {QStringLiteral("BH"), QStringLiteral("A3")}}),
         modified({{id, 40}, {QStringLiteral("PM"), QVariant()}},
                  {{QStringLiteral("PM"), QStringLiteral("x")}}),
         inserted({{QStringLiteral("BH"), QStringLiteral("A4")}})});
    ASSERT_TRUE(result.errors.isEmpty()) << result.errors.first().message.toStdString();
    ASSERT_EQ(result.inserted.size(), 4);
    // The server fills an omitted integer key; a key given as text is stored as a number.
    const int indexes[] = {0, 1, 2, 4};
    const qint64 keys[] = {1, 40, 41, 42};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(result.inserted[i].index, indexes[i]);
        EXPECT_EQ(result.inserted[i].key, keyOf(id, keys[i])) << "insert " << indexes[i];
        EXPECT_EQ(result.inserted[i].key.value(id).typeId(), QMetaType::LongLong);
    }
    EXPECT_EQ(scalar(*client, QStringLiteral("select BH from HP where ID = 42")),
              QStringLiteral("A4"));
}

TEST_F(Protocol, KeysOfEveryShapeOfTableComeBackAsStored)
{
    struct Case
    {
        const char *provider;
        QVariantMap row;
        QVariantMap key;
    };
    const Case cases[] = {
        {"pLine", {{"ZBID", 7}, {"HH", 2}, {"SL", 1.5}}, {{"ZBID", qint64(7)}, {"HH", qint64(2)}}},
        {"pUnit", {{"Code", "kg"}, {"MC", "公斤"}}, {{"Code", "kg"}}},
        {"pNote", {{"Txt", "no key"}}, {}},
    };
    for (const Case &c : cases) {
        const wire::ApplyResult result =
            client->apply(QLatin1String(c.provider), {}, 0, {inserted(c.row)});
        ASSERT_EQ(result.inserted.size(), 1) << c.provider;
        EXPECT_EQ(result.inserted.first().key, c.key) << c.provider;
    }
}

TEST_F(Protocol, OnlyStoredInsertsAreReported)
{
    const QString bh = QStringLiteral("BH");
    client->apply(QStringLiteral("pHP"), {}, 0, {inserted({{bh, QStringLiteral("A")}})});
    const QList<wire::Change> changes = {inserted({{bh, QStringLiteral("B")}}),
                                         inserted({{bh, QStringLiteral("A")}}),
                                         inserted({{bh, QStringLiteral("C")}})};
    // Every good row stored: the refused one is missing from the keys, not misnumbered.
    const wire::ApplyResult some = client->apply(QStringLiteral("pHP"), {}, -1, changes);
    ASSERT_EQ(some.errors.size(), 1);
    EXPECT_EQ(some.errors.first().code, wire::code::Unique);
    ASSERT_EQ(some.inserted.size(), 2);
    EXPECT_EQ(some.inserted[0].index, 0);
    EXPECT_EQ(some.inserted[1].index, 2);
    EXPECT_EQ(some.inserted[1].key, keyOf(QStringLiteral("ID"), qint64(3)));

    // Nothing stored, nothing reported.
    const wire::ApplyResult none = client->apply(
        QStringLiteral("pHP"), {}, 0,
        {inserted({{bh, QStringLiteral("D")}}), inserted({{bh, QStringLiteral("B")}})});
    EXPECT_TRUE(none.rolledBack);
    EXPECT_TRUE(none.inserted.isEmpty());
    EXPECT_EQ(count(QStringLiteral("HP")), 3);
}

TEST_F(Protocol, ATransactionReportsTheKeysOfItsChangeLogsByPart)
{
    wire::TransactPart header;
    header.kind = wire::TransactPart::Kind::Apply;
    header.provider = QStringLiteral("pHP");
    header.changes = {inserted({{QStringLiteral("BH"), QStringLiteral("H1")}}),
                      inserted({{QStringLiteral("BH"), QStringLiteral("H2")}})};
    wire::TransactPart statement;
    statement.text = QStringLiteral("insert into Note (Txt) values ('between')");
    wire::TransactPart lines;
    lines.kind = wire::TransactPart::Kind::Apply;
    lines.provider = QStringLiteral("pLine");
    lines.changes = {inserted({{QStringLiteral("ZBID"), 1}, {QStringLiteral("HH"), 1}})};

    const wire::TransactResult result = client->transact({header, statement, lines});
    ASSERT_FALSE(result.rolledBack);
    ASSERT_EQ(result.inserted.size(), 3);
    EXPECT_EQ(result.inserted[0].part, 0);
    EXPECT_EQ(result.inserted[1].part, 0);
    EXPECT_EQ(result.inserted[1].index, 1);
    EXPECT_EQ(result.inserted[1].key, keyOf(QStringLiteral("ID"), qint64(2)));
    EXPECT_EQ(result.inserted[2].part, 2);
    EXPECT_EQ(result.inserted[2].index, 0);

    // Rolled back: no keys, for none was stored.
    lines.changes = {inserted({{QStringLiteral("ZBID"), 1}, {QStringLiteral("HH"), 1}})};
    const wire::TransactResult refused = client->transact({header, lines});
    EXPECT_TRUE(refused.rolledBack);
    EXPECT_TRUE(refused.inserted.isEmpty());
}

TEST_F(Protocol, FieldsSayWhichColumnsAreUniqueAlone)
{
    execOnFile("create index HP_PM on HP (PM); create unique index HP_BH_PM on HP (BH, PM);"
               "create unique index Note_Txt on Note (Txt) where Txt > 'a'");
    struct Case
    {
        const char *text;
        std::vector<bool> unique;
    };
    const Case cases[] = {
        // The integer key and a one-column unique index; a plain index and a two-column
        // unique one make nothing unique alone.
        {"select ID, BH, PM from HP", {true, true, false}},
        // Columns of a two-column key are not unique alone; a one-column text key is.
        {"select ZBID, HH, SL from Line", {false, false, false}},
        {"select Code, MC from Unit", {true, false}},
        // A partial unique index holds for some rows only; computed columns are nobody's.
        {"select Txt, upper(Txt) as U from Note", {false, false}},
        {"select H.BH, U.Code from HP H, Unit U", {true, true}},
    };
    for (const Case &c : cases) {
        const wire::OpenResult result = client->open(QStringLiteral("pTmp"), QLatin1String(c.text));
        ASSERT_EQ(size_t(result.fields.size()), c.unique.size()) << c.text;
        for (size_t i = 0; i < c.unique.size(); ++i)
            EXPECT_EQ(result.fields[qsizetype(i)].unique, c.unique[i])
                << c.text << ": " << result.fields[qsizetype(i)].name.toStdString();
    }
}

TEST_F(Protocol, ExecuteRefusesAStatementThatReturnsRows)
{
    client->execute(QStringLiteral("insert into Note (Txt) values ('a')"));
    for (const char *text : {"select * from Note", "insert into Note (Txt) values ('b'); select 1 "
                                                   "from Note"}) {
        const wire::Error error = errorOf([&] { client->execute(QLatin1String(text)); });
        EXPECT_EQ(error.code(), wire::code::Sql) << text;
        EXPECT_TRUE(error.message().contains(QStringLiteral("open"))) << text;
    }
    // The insert before the select of the script was not kept.
    EXPECT_EQ(count(QStringLiteral("Note")), 1);
}

TEST_F(Protocol, AFailingStatementOfAScriptIsNamedWithItsPlace)
{
    struct Case
    {
        QString script;
        int statement;
        int line;
        int column;
    };
    const Case cases[] = {
        // Fails when it runs: a duplicate key.
        {QStringLiteral("insert into HP (ID, BH) values (1, 'a');\n"
                        "insert into HP (ID, BH) values (2, 'b');  insert into HP (ID, BH) "
                        "values (3, 'a')"),
         2, 2, 43},
        // Fails when it is translated: no such table; characters, not bytes, are counted.
        {QStringLiteral("insert into Note (Txt) values ('货品');\n\n"
                        "  delete from Missing where X = '甲';"),
         1, 3, 3},
        {QStringLiteral("insert into Note (Txt) values ('货品'); update Missing set X = 1"), 1, 1,
         39},
    };
    for (const Case &c : cases) {
        RawClient raw;
        ASSERT_TRUE(startSession(raw, server.port()));
        QCborMap request = vztest::request(3, QStringLiteral("execute"));
        request[QStringLiteral("text")] = c.script;
        ASSERT_TRUE(raw.send(request));
        const QCborMap reply = raw.receive();
        EXPECT_FALSE(reply.value(QStringLiteral("ok")).toBool()) << c.script.toStdString();
        EXPECT_EQ(reply.value(QStringLiteral("code")).toString(), QStringLiteral("sql"));
        EXPECT_EQ(reply.value(QStringLiteral("statement")).toInteger(), c.statement)
            << c.script.toStdString();
        EXPECT_EQ(reply.value(QStringLiteral("line")).toInteger(), c.line)
            << c.script.toStdString();
        EXPECT_EQ(reply.value(QStringLiteral("column")).toInteger(), c.column)
            << c.script.toStdString();
        EXPECT_TRUE(reply.value(QStringLiteral("error"))
                        .toString()
                        .startsWith(QStringLiteral("statement %1 (counted from 0), at line %2, "
                                                   "column %3: ")
                                        .arg(c.statement)
                                        .arg(c.line)
                                        .arg(c.column)))
            << reply.value(QStringLiteral("error")).toString().toStdString();
    }
    // All or nothing still.
    EXPECT_EQ(count(QStringLiteral("HP")), 0);
    EXPECT_EQ(count(QStringLiteral("Note")), 0);
}
