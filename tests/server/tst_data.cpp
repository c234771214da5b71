// Reading and saving through a real vzserver: packets, execute, apply with its conflict and
// error rules, the storage conventions of written values, and provider names.
#include "serverfixture.h"

#include "sql/database.h"

#include <QDir>

using namespace vztest;
using wire::ChangeKind;

namespace {

const QString goodsTable = QStringLiteral(
    "create table HP (ID integer primary key, BH varchar(20), PM varchar(50), SL float, "
    "RQ date, SJ datetime, ZT bit, PIC blob)");

QList<wire::Change> numberedRows(int first, int count)
{
    QList<wire::Change> changes;
    for (int i = first; i < first + count; ++i)
        changes.append(inserted({{QStringLiteral("ID"), i},
                                 {QStringLiteral("BH"), QStringLiteral("B%1").arg(i)},
                                 {QStringLiteral("PM"), QStringLiteral("商品%1").arg(i)},
                                 {QStringLiteral("SL"), i * 0.5}}));
    return changes;
}

class Data : public ServerTest
{
protected:
    void SetUp() override
    {
        ServerTest::SetUp();
        if (HasFatalFailure())
            return;
        client = connect();
        client->execute(goodsTable);
    }

    void fill(int count)
    {
        const wire::ApplyResult result =
            client->apply(QStringLiteral("pHP"), {}, 0, numberedRows(1, count));
        ASSERT_TRUE(result.errors.isEmpty()) << result.errors.first().message.toStdString();
        ASSERT_EQ(result.applied, count);
    }

    qint64 count(const QString &table = QStringLiteral("HP"))
    {
        return scalar(*client, QStringLiteral("select count(*) from ") + table).toLongLong();
    }

    // The raw stored text of a column, read beside the server as another tool would.
    QString stored(const QString &column, int id)
    {
        sql::Database db(
            QDir(server.dataDir()).filePath(QStringLiteral("001/VzData.db")).toStdString(),
            sql::Database::Mode::ReadOnly);
        auto stmt = db.prepare(("select " + column + ", typeof(" + column +
                                ") from HP where ID = " + QString::number(id))
                                   .toStdString());
        if (!stmt.step())
            return QStringLiteral("<no row>");
        return QString::fromStdString(stmt.columnText(0)) + QLatin1Char(':') +
               QString::fromStdString(stmt.columnText(1));
    }

    std::unique_ptr<wire::Client> client;
};

} // namespace

TEST_F(Data, PacketsHoldExactlyTheRowsAskedAndTheLastSaysEof)
{
    fill(4500);
    wire::OpenResult first = client->open(QStringLiteral("pHP"), {}, 2000);
    ASSERT_EQ(first.rows.size(), 2000);
    ASSERT_FALSE(first.eof());
    EXPECT_EQ(first.rows[0][0].toLongLong(), 1);
    wire::Packet second = client->fetch(first.cursor);
    EXPECT_EQ(second.rows.size(), 2000);
    EXPECT_FALSE(second.eof());
    wire::Packet third = client->fetch(second.cursor);
    EXPECT_EQ(third.rows.size(), 500);
    EXPECT_TRUE(third.eof());
    EXPECT_EQ(third.rows.last()[0].toLongLong(), 4500);
    EXPECT_THROW(client->fetch(first.cursor), wire::Error); // read to the end: gone

    // A result that ends exactly at a packet boundary says so in that packet.
    wire::OpenResult exact =
        client->open(QStringLiteral("pTmp"), QStringLiteral("select * from HP where ID <= 4000"));
    wire::Packet rest = client->fetch(exact.cursor);
    EXPECT_EQ(rest.rows.size(), 2000);
    EXPECT_TRUE(rest.eof());

    // A smaller packet size given to fetch applies from then on.
    wire::OpenResult small = client->open(QStringLiteral("pHP"), {}, 10);
    EXPECT_EQ(small.rows.size(), 10);
    EXPECT_EQ(client->fetch(small.cursor, 3).rows.size(), 3);
    client->close(small.cursor);
    EXPECT_THROW(client->fetch(small.cursor), wire::Error);
}

TEST_F(Data, FieldDefinitionsCarryTypesSizesKeysAndBaseColumns)
{
    client->execute(QStringLiteral("create table DQ (ID integer primary key, MC varchar(30))"));
    const wire::OpenResult result = client->open(
        QStringLiteral("pHP"),
        QStringLiteral("select H.*, D.MC as aDQMC, H.SL * 2 as cSL from HP H left join DQ D "
                       "on D.ID = H.ID"));
    ASSERT_EQ(result.fields.size(), 10);
    const auto field = [&](const char *name) {
        for (const wire::Field &f : result.fields)
            if (f.name == QLatin1String(name))
                return f;
        ADD_FAILURE() << "no field " << name;
        return wire::Field();
    };
    EXPECT_EQ(field("ID").type, wire::ValueType::Integer);
    EXPECT_TRUE(field("ID").key);
    EXPECT_FALSE(field("ID").readOnly);
    EXPECT_EQ(field("BH").type, wire::ValueType::Text);
    EXPECT_EQ(field("BH").size, 20);
    EXPECT_EQ(field("BH").table, QStringLiteral("HP"));
    EXPECT_EQ(field("SL").type, wire::ValueType::Float);
    EXPECT_EQ(field("RQ").type, wire::ValueType::Date);
    EXPECT_EQ(field("SJ").type, wire::ValueType::DateTime);
    EXPECT_EQ(field("ZT").type, wire::ValueType::Boolean);
    EXPECT_EQ(field("PIC").type, wire::ValueType::Blob);
    // A column looked up from another table is not saved with the provider's table.
    EXPECT_EQ(field("aDQMC").table, QStringLiteral("DQ"));
    EXPECT_TRUE(field("aDQMC").readOnly);
    EXPECT_TRUE(field("cSL").readOnly);
}

TEST_F(Data, ExecuteReportsRowsAffectedAndErrorsLeaveTheSessionUsable)
{
    fill(30);
    EXPECT_EQ(client->execute(QStringLiteral("update HP set SL = 1 where ID <= 10")), 10);
    EXPECT_EQ(client->execute(QStringLiteral("delete from HP where ID > 25")), 5);
    try {
        client->execute(QStringLiteral("update Missing set X = 1"));
        FAIL() << "no error";
    } catch (const wire::Error &e) {
        EXPECT_EQ(e.kind(), wire::Error::Kind::Server);
        EXPECT_EQ(e.code(), wire::code::Sql);
        EXPECT_TRUE(e.message().contains(QStringLiteral("Missing")));
    }
    EXPECT_EQ(count(), 25);
}

TEST_F(Data, AScriptRunsWholeOrNotAtAll)
{
    fill(5);
    // A delete and the inserts that replace the rows, as the rights and quick-bar saves send
    // them; a ';' inside a text is not a separator.
    EXPECT_EQ(client->execute(QStringLiteral("delete from HP where ID > 3;\n"
                                             "insert into HP (ID, PM) values (10, 'a;b');\n"
                                             "insert into HP (ID, PM) values (11, 'c')")),
              4);
    EXPECT_EQ(count(), 5);
    EXPECT_THROW(client->execute(QStringLiteral("delete from HP;\n"
                                                "insert into HP (ID, PM) values (20, 'x');\n"
                                                "insert into HP (ID, PM) values (20, 'y')")),
                 wire::Error);
    EXPECT_EQ(count(), 5);
    // The session goes on, outside any transaction.
    EXPECT_EQ(client->execute(QStringLiteral("delete from HP where ID = 11")), 1);
    EXPECT_EQ(count(), 4);
}

TEST_F(Data, EveryValueTypeRoundTripsAndIsStoredInCanonicalForm)
{
    const QByteArray picture("\x00\x01\xff jpeg", 9);
    const wire::ApplyResult result = client->apply(
        QStringLiteral("pHP"), {}, 0,
        {inserted({{QStringLiteral("ID"), 1},
                   {QStringLiteral("BH"), QStringLiteral("O'Neil")},
                   {QStringLiteral("PM"), QStringLiteral("螺丝钉")},
                   {QStringLiteral("SL"), 17},
                   {QStringLiteral("RQ"), QDate(2024, 3, 1)},
                   {QStringLiteral("SJ"), QDateTime(QDate(2024, 3, 1), QTime(9, 5, 7))},
                   {QStringLiteral("ZT"), -1}, // Jet's True
                   {QStringLiteral("PIC"), picture}}),
         inserted({{QStringLiteral("ID"), 2},
                   {QStringLiteral("RQ"), QStringLiteral("2024-3-1")},
                   {QStringLiteral("SJ"), QDateTime(QDate(2024, 3, 2), QTime(0, 0))},
                   {QStringLiteral("ZT"), QStringLiteral("False")}}),
         inserted({{QStringLiteral("ID"), 3},
                   {QStringLiteral("SJ"), QStringLiteral("2024-03-01 9:05:00")},
                   {QStringLiteral("ZT"), true}})});
    ASSERT_TRUE(result.errors.isEmpty()) << result.errors.first().message.toStdString();

    EXPECT_EQ(stored(QStringLiteral("RQ"), 1), QStringLiteral("2024-03-01:text"));
    EXPECT_EQ(stored(QStringLiteral("SJ"), 1), QStringLiteral("2024-03-01 09:05:07:text"));
    EXPECT_EQ(stored(QStringLiteral("ZT"), 1), QStringLiteral("1:integer"));
    EXPECT_EQ(stored(QStringLiteral("SL"), 1), QStringLiteral("17.0:real"));
    EXPECT_EQ(stored(QStringLiteral("RQ"), 2), QStringLiteral("2024-03-01:text"));
    EXPECT_EQ(stored(QStringLiteral("SJ"), 2), QStringLiteral("2024-03-02:text")); // midnight
    EXPECT_EQ(stored(QStringLiteral("ZT"), 2), QStringLiteral("0:integer"));
    EXPECT_EQ(stored(QStringLiteral("SJ"), 3), QStringLiteral("2024-03-01 09:05:00:text"));

    const QList<wire::Row> rows =
        rowsOf(*client, QStringLiteral("select BH, PM, SL, RQ, SJ, ZT, PIC from HP order by ID"));
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0][0], QVariant(QStringLiteral("O'Neil")));
    EXPECT_EQ(rows[0][1], QVariant(QStringLiteral("螺丝钉")));
    EXPECT_EQ(rows[0][2].typeId(), QMetaType::Double);
    EXPECT_EQ(rows[0][2].toDouble(), 17.0);
    EXPECT_EQ(rows[0][3], QVariant(QDate(2024, 3, 1)));
    EXPECT_EQ(rows[0][4], QVariant(QDateTime(QDate(2024, 3, 1), QTime(9, 5, 7))));
    EXPECT_EQ(rows[0][5], QVariant(true));
    EXPECT_EQ(rows[0][6], QVariant(picture));
    EXPECT_FALSE(rows[1][0].isValid());                 // null
    EXPECT_EQ(rows[1][4], QVariant(QDate(2024, 3, 2))); // a date-time at midnight is a date
    EXPECT_EQ(rows[1][5], QVariant(false));

    // A value a column cannot hold is refused with the column's name.
    const wire::ApplyResult bad = client->apply(
        QStringLiteral("pHP"), {}, -1,
        {inserted({{QStringLiteral("ID"), 4}, {QStringLiteral("RQ"), QStringLiteral("soon")}})});
    ASSERT_EQ(bad.errors.size(), 1);
    EXPECT_EQ(bad.errors[0].code, wire::code::InvalidValue);
    EXPECT_TRUE(bad.errors[0].message.contains(QStringLiteral("RQ")));
}

TEST_F(Data, ApplyInsertsModifiesAndDeletesIgnoringColumnsTheTableLacks)
{
    fill(3);
    const wire::ApplyResult result = client->apply(
        QStringLiteral("pHP"), {}, 0,
        {inserted({{QStringLiteral("ID"), 10},
                   {QStringLiteral("bh"), QStringLiteral("B10")}, // names match without case
                   {QStringLiteral("aDWMC"), QStringLiteral("个")},
                   {QStringLiteral("cJE"), 12.5}}),
         modified({{QStringLiteral("ID"), 2}, {QStringLiteral("PM"), QStringLiteral("商品2")}},
                  {{QStringLiteral("PM"), QStringLiteral("新名")},
                   {QStringLiteral("aDWMC"), QStringLiteral("箱")}}),
         deleted({{QStringLiteral("ID"), 3}})});
    ASSERT_TRUE(result.errors.isEmpty()) << result.errors.first().message.toStdString();
    EXPECT_EQ(result.applied, 3);
    const QList<wire::Row> rows =
        rowsOf(*client, QStringLiteral("select ID, BH, PM from HP order by ID"));
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[1][2], QVariant(QStringLiteral("新名")));
    EXPECT_EQ(rows[2][0].toLongLong(), 10);
    EXPECT_EQ(rows[2][1], QVariant(QStringLiteral("B10")));
}

TEST_F(Data, ScratchProvidersSaveToTheFirstTableOfTheirText)
{
    fill(2);
    client->execute(QStringLiteral("create table DW (ID integer primary key, MC varchar(10))"));
    const QString text =
        QStringLiteral("select H.ID, H.PM, D.MC as aDWMC from HP H left join DW D on D.ID = H.ID");
    const wire::OpenResult opened = client->open(QStringLiteral("pTmp"), text);
    EXPECT_FALSE(opened.fields[1].readOnly);
    EXPECT_TRUE(opened.fields[2].readOnly);
    const wire::ApplyResult result = client->apply(
        QStringLiteral("pTmp"), text, 0,
        {modified({{QStringLiteral("ID"), 1}, {QStringLiteral("PM"), QStringLiteral("商品1")}},
                  {{QStringLiteral("PM"), QStringLiteral("改")},
                   {QStringLiteral("aDWMC"), QStringLiteral("x")}})});
    ASSERT_TRUE(result.errors.isEmpty()) << result.errors.first().message.toStdString();
    EXPECT_EQ(scalar(*client, QStringLiteral("select PM from HP where ID = 1")),
              QVariant(QStringLiteral("改")));
    EXPECT_EQ(count(QStringLiteral("DW")), 0);

    // A query over a derived table saves to the table the derived table reads.
    const wire::ApplyResult derived = client->apply(
        QStringLiteral("pTmp"), QStringLiteral("select x.ID, x.PM from (select ID, PM from HP) x"),
        0,
        {modified({{QStringLiteral("ID"), 2}, {QStringLiteral("PM"), QStringLiteral("商品2")}},
                  {{QStringLiteral("PM"), QStringLiteral("改二")}})});
    ASSERT_TRUE(derived.errors.isEmpty()) << derived.errors.first().message.toStdString();
    EXPECT_EQ(scalar(*client, QStringLiteral("select PM from HP where ID = 2")),
              QVariant(QStringLiteral("改二")));

    // Without a text a scratch provider cannot know its table.
    EXPECT_THROW(client->apply(QStringLiteral("pTmp"), {}, 0, {deleted({{"ID", 1}})}), wire::Error);
}

TEST_F(Data, ARowChangedByAnotherUserIsAConflictShowingTheStoredValues)
{
    fill(2);
    auto other = connect();
    const QVariantMap asRead{{QStringLiteral("ID"), 1},
                             {QStringLiteral("BH"), QStringLiteral("B1")},
                             {QStringLiteral("PM"), QStringLiteral("商品1")},
                             {QStringLiteral("SL"), 0.5}};
    // The other user renames the goods first.
    ASSERT_TRUE(other
                    ->apply(QStringLiteral("pHP"), {}, 0,
                            {modified(asRead, {{QStringLiteral("PM"), QStringLiteral("他的")}})})
                    .errors.isEmpty());

    const wire::ApplyResult mine =
        client->apply(QStringLiteral("pHP"), {}, 0,
                      {modified(asRead, {{QStringLiteral("PM"), QStringLiteral("我的")}})});
    ASSERT_EQ(mine.errors.size(), 1);
    EXPECT_TRUE(mine.rolledBack);
    EXPECT_EQ(mine.errors[0].code, wire::code::Conflict);
    EXPECT_EQ(mine.errors[0].kind, ChangeKind::Modify);
    EXPECT_TRUE(mine.errors[0].message.contains(QStringLiteral("PM")));
    EXPECT_EQ(mine.errors[0].current.value(QStringLiteral("PM")), QVariant(QStringLiteral("他的")));
    EXPECT_EQ(mine.errors[0].current.value(QStringLiteral("SL")).toDouble(), 0.5);

    // A column the other user did not touch can still be changed from the old reading.
    const wire::ApplyResult quantity =
        client->apply(QStringLiteral("pHP"), {}, 0, {modified(asRead, {{"SL", 9.0}})});
    EXPECT_TRUE(quantity.errors.isEmpty());
    EXPECT_EQ(scalar(*client, QStringLiteral("select PM from HP where ID = 1")),
              QVariant(QStringLiteral("他的")));

    // A row deleted meanwhile cannot be changed or deleted again.
    ASSERT_TRUE(
        other->apply(QStringLiteral("pHP"), {}, 0, {deleted({{"ID", 2}})}).errors.isEmpty());
    const wire::ApplyResult gone =
        client->apply(QStringLiteral("pHP"), {}, -1,
                      {modified({{"ID", 2}, {"SL", 1.0}}, {{"SL", 5.0}}), deleted({{"ID", 2}})});
    ASSERT_EQ(gone.errors.size(), 2);
    EXPECT_EQ(gone.errors[0].code, wire::code::NotFound);
    EXPECT_EQ(gone.errors[1].kind, ChangeKind::Delete);
}

TEST_F(Data, MaxErrorsZeroStoresNothingWhenOneRowFails)
{
    fill(1);
    QList<wire::Change> changes = numberedRows(2, 9);
    changes.insert(5, numberedRows(1, 1).first()); // ID 1 exists already
    const wire::ApplyResult result = client->apply(QStringLiteral("pHP"), {}, 0, changes);
    EXPECT_TRUE(result.rolledBack);
    EXPECT_EQ(result.applied, 0);
    ASSERT_EQ(result.errors.size(), 1);
    EXPECT_EQ(result.errors[0].index, 5);
    EXPECT_EQ(result.errors[0].code, wire::code::Unique);
    EXPECT_TRUE(result.errors[0].message.contains(QStringLiteral("ID = 1")))
        << result.errors[0].message.toStdString();
    EXPECT_EQ(count(), 1);
}

TEST_F(Data, MaxErrorsMinusOneStoresTheGoodRowsAndReportsEachBadOne)
{
    {
        // A unique key beside the primary key, made as the schema would make it.
        sql::Database db(
            QDir(server.dataDir()).filePath(QStringLiteral("001/VzData.db")).toStdString());
        db.exec("create unique index HP_BH on HP (BH)");
    }
    fill(1);
    QList<wire::Change> changes = numberedRows(2, 9);
    changes[3].newValues[QStringLiteral("BH")] = QStringLiteral("B1"); // unique key BH taken
    changes.append(numberedRows(1, 1).first());                        // ID 1 taken
    const wire::ApplyResult result = client->apply(QStringLiteral("pHP"), {}, -1, changes);
    EXPECT_FALSE(result.rolledBack);
    EXPECT_EQ(result.applied, 8);
    ASSERT_EQ(result.errors.size(), 2);
    EXPECT_EQ(result.errors[0].index, 3);
    EXPECT_TRUE(result.errors[0].message.contains(QStringLiteral("BH = 'B1'")))
        << result.errors[0].message.toStdString();
    EXPECT_EQ(result.errors[1].index, 9);
    EXPECT_EQ(count(), 9);

    // A limit above zero stores the good rows while the errors stay within it.
    const wire::ApplyResult limited = client->apply(
        QStringLiteral("pHP"), {}, 1, {numberedRows(1, 1).first(), numberedRows(50, 1).first()});
    EXPECT_EQ(limited.applied, 1);
    EXPECT_FALSE(limited.rolledBack);
}

TEST_F(Data, ProvidersFollowTheNamingRuleAndItsExceptions)
{
    // Tables named as the central data module's exceptions, in a letter case of their own.
    const QStringList tables{
        QStringLiteral("GYS"),         QStringLiteral("KH"),          QStringLiteral("SRZCLB"),
        QStringLiteral("SC_SCJH"),     QStringLiteral("SC_WLXQJH"),   QStringLiteral("SC_CGJH"),
        QStringLiteral("SC_BOM"),      QStringLiteral("SC_CGJHZB"),   QStringLiteral("SC_SCJHZB"),
        QStringLiteral("SC_WLXQJHZB"), QStringLiteral("SC_BOMZB"),    QStringLiteral("ZC_GH"),
        QStringLiteral("zhts"),        QStringLiteral("OA_OVERTIME"), QStringLiteral("Xiaoqu"),
        QStringLiteral("ClientRoom"),  QStringLiteral("PublicSet"),   QStringLiteral("CarPos"),
        QStringLiteral("Goods"),       QStringLiteral("CltCarPos"),   QStringLiteral("CltSearch"),
        QStringLiteral("CltFyRec"),    QStringLiteral("CltFkRec"),    QStringLiteral("WY_ZHBXZB"),
        QStringLiteral("WY_ZHBX"),     QStringLiteral("WY_SBWXZB"),   QStringLiteral("WY_SBWX"),
        QStringLiteral("WY_PROJECT"),  QStringLiteral("RS_CONTRACT"), QStringLiteral("RS_PX"),
        QStringLiteral("RS_KH"),       QStringLiteral("RS_DD"),       QStringLiteral("RS_JC"),
        QStringLiteral("RS_TX"),       QStringLiteral("CRM_LINKMAN")};
    for (const QString &table : tables)
        client->execute(QStringLiteral("create table %1 (ID integer primary key)").arg(table));
    const QStringList providers{
        "pGys",       "pHp",      "pKh",          "pSrzclb",    "pSC_scjh",     "pSC_wlxqjh",
        "pSC_cgjh",   "pSC_Bom",  "pSC_cgjhZB",   "pSC_scjhZB", "pSC_wlxqjhZB", "pSC_Bomzb",
        "pZC_Gh",     "pZHTS",    "pOa_Overtime", "pXiaoqu",    "pClientRoom",  "pPublicSet",
        "pCarPos",    "pGoods",   "pCltCarPos",   "pCltSearch", "pCltFyRec",    "pCltFkRec",
        "pWy_ZHBXzb", "pWy_ZHBX", "pWy_SBWXzb",   "pWy_SBWX",   "pWy_Project",  "pRs_Contract",
        "pRs_PX",     "pRs_KH",   "pRs_DD",       "pRs_JC",     "pRs_TX",       "pCrm_LinkMan"};
    for (const QString &provider : providers) {
        try {
            const wire::OpenResult result = client->open(provider);
            EXPECT_EQ(result.fields.size(), provider == QLatin1String("pHp") ? 8 : 1)
                << provider.toStdString();
        } catch (const wire::Error &e) {
            ADD_FAILURE() << provider.toStdString() << ": " << e.message().toStdString();
        }
    }
    for (const char *scratch : {"pTmp", "pTmpf", "pTmpl", "pQryPub", "pPub", "pProject"})
        EXPECT_EQ(client->open(QLatin1String(scratch), QStringLiteral("select 1 as N")).rows.size(),
                  1)
            << scratch;
    // A picker named after no table reads what its text says.
    EXPECT_EQ(
        client->open(QStringLiteral("pXskdHelp"), QStringLiteral("select ID from HP")).rows.size(),
        0);

    for (const char *unknown : {"pNoSuchTable", "NoPrefix"}) {
        try {
            client->open(QLatin1String(unknown));
            ADD_FAILURE() << unknown << " opened";
        } catch (const wire::Error &e) {
            EXPECT_EQ(e.code(), wire::code::Provider);
            EXPECT_TRUE(e.message().contains(QLatin1String(unknown))) << e.message().toStdString();
        }
    }
}

TEST_F(Data, TheReportModuleServesItsDatasetsTheSameWay)
{
    fill(5);
    auto reports = connect(QStringLiteral("001"), wire::ReportModule);
    const wire::OpenResult result =
        reports->open(QStringLiteral("pKhXsHz"),
                      QStringLiteral("select PM as MC, sum(SL) as JE from HP group by PM"));
    EXPECT_EQ(result.rows.size(), 5);
    EXPECT_EQ(
        reports->open(QStringLiteral("pXsMsdj"), QStringLiteral("select * from HP")).rows.size(),
        5);
}

TEST_F(Data, AChangeSavedWhileACursorIsOpenIsSeenByTheNextQuery)
{
    fill(100);
    auto other = connect();
    // This client keeps a cursor open (a dataset not read to the end) ...
    const wire::OpenResult pending = client->open(QStringLiteral("pHP"), {}, 10);
    ASSERT_FALSE(pending.eof());
    // ... while another user saves, and then saves itself.
    ASSERT_TRUE(other->apply(QStringLiteral("pHP"), {}, 0, numberedRows(200, 1)).errors.isEmpty());
    const wire::ApplyResult mine =
        client->apply(QStringLiteral("pHP"), {}, 0, numberedRows(300, 1));
    ASSERT_TRUE(mine.errors.isEmpty()) << mine.errors.first().message.toStdString();
    EXPECT_EQ(client->execute(QStringLiteral("update HP set SL = 0 where ID = 200")), 1);
    EXPECT_EQ(count(), 102);
    // The open cursor still reads its own snapshot to the end.
    wire::OpenResult rest = pending;
    client->fetchAll(rest);
    EXPECT_EQ(rest.rows.size(), 100);
}

TEST_F(Data, AStatementOpenedAsAQueryRunsAndReportsRowsAffected)
{
    fill(4);
    const wire::OpenResult result =
        client->open(QStringLiteral("pTmp"), QStringLiteral("delete from HP where ID > 2"));
    EXPECT_TRUE(result.fields.isEmpty());
    EXPECT_EQ(result.rowsAffected, 2);
    EXPECT_EQ(count(), 2);
}

class SlowQueries : public Data
{
protected:
    QStringList serverArguments() const override
    {
        return {QStringLiteral("--query-timeout"), QStringLiteral("1")};
    }
};

TEST_F(SlowQueries, ARunawayQueryIsStoppedWithAClearErrorAndTheSessionGoesOn)
{
    fill(1000);
    try {
        rowsOf(*client, QStringLiteral("select count(*) from HP a, HP b, HP c, HP d"));
        FAIL() << "the runaway query was not stopped";
    } catch (const wire::Error &e) {
        EXPECT_EQ(e.kind(), wire::Error::Kind::Server);
        EXPECT_EQ(e.code(), wire::code::Timeout);
        EXPECT_TRUE(e.message().contains(QStringLiteral("time limit")))
            << e.message().toStdString();
    }
    EXPECT_EQ(count(), 1000);
}

namespace {

// Records what a reader with its own storage receives, one text per value.
class RecordingSink : public wire::RowSink
{
public:
    QList<QStringList> rows;
    void beginRow() override { rows.append(QStringList()); }
    void setNull(int column) override { put(column, QStringLiteral("null")); }
    void setInteger(int column, qint64 value) override
    {
        put(column, QStringLiteral("int %1").arg(value));
    }
    void setFloat(int column, double value) override
    {
        put(column, QStringLiteral("float %1").arg(value));
    }
    void setBoolean(int column, bool value) override
    {
        put(column, value ? QStringLiteral("true") : QStringLiteral("false"));
    }
    void setText(int column, const char *utf8, qsizetype size) override
    {
        put(column, QStringLiteral("text ") + QString::fromUtf8(utf8, size));
    }
    void setDate(int column, QDate value) override
    {
        put(column, QStringLiteral("date ") + value.toString(Qt::ISODate));
    }
    void setDateTime(int column, const QDateTime &value) override
    {
        put(column, QStringLiteral("datetime ") + value.toString(Qt::ISODate));
    }
    void setBlob(int column, const QByteArray &value) override
    {
        put(column, QStringLiteral("blob %1").arg(value.size()));
    }
    void endRow() override {}

private:
    void put(int column, const QString &text)
    {
        QStringList &row = rows.last();
        while (row.size() <= column)
            row.append(QString());
        row[column] = text;
    }
};

} // namespace

TEST_F(Data, RowsCanGoStraightIntoTheReadersOwnStorage)
{
    client->apply(QStringLiteral("pHP"), {}, 0,
                  {inserted({{QStringLiteral("ID"), 1},
                             {QStringLiteral("BH"), QStringLiteral("螺丝")},
                             {QStringLiteral("SL"), 2.5},
                             {QStringLiteral("RQ"), QDate(2024, 3, 1)},
                             {QStringLiteral("SJ"), QDateTime(QDate(2024, 3, 1), QTime(8, 0))},
                             {QStringLiteral("ZT"), true},
                             {QStringLiteral("PIC"), QByteArray(3, 'x')}}),
                   inserted({{QStringLiteral("ID"), 2}})});
    RecordingSink first;
    const wire::OpenResult opened = client->open(QStringLiteral("pHP"), {}, 1, &first);
    EXPECT_EQ(opened.fields.size(), 8);
    EXPECT_TRUE(opened.rows.isEmpty());
    ASSERT_EQ(first.rows.size(), 1);
    EXPECT_EQ(first.rows[0],
              (QStringList{"int 1", "text 螺丝", "null", "float 2.5", "date 2024-03-01",
                           "datetime 2024-03-01T08:00:00", "true", "blob 3"}));
    RecordingSink rest;
    EXPECT_TRUE(client->fetch(opened.cursor, 0, &rest).eof());
    ASSERT_EQ(rest.rows.size(), 1);
    EXPECT_EQ(rest.rows[0][0], QStringLiteral("int 2"));
    EXPECT_EQ(rest.rows[0][2], QStringLiteral("null"));
}
