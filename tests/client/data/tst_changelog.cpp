// Datasets over a provider backed by a real SQLite database: packets and fetch on demand, the
// change log and its apply, rejected rows and their reconciliation, a second client's changes.
#include "sqliteprovider.h"
#include "testdata.h"

#include <QBuffer>

#include <map>
#include <memory>
#include <random>

namespace {

class ProviderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        db.open(":memory:");
        db.exec("create table HP (ID integer primary key, BH varchar(10) unique, PM varchar(20),"
                " SL float, DJ money, RQ date, ZT boolean, BZ memo, PIC blob)");
        for (int id = 1; id <= 10; ++id) {
            db.exec(QStringLiteral("insert into HP values (%1, 'H%2', '货品%1', %3, %4, "
                                   "'2024-03-%5', %6, null, null)")
                        .arg(id)
                        .arg(id, 2, 10, QLatin1Char('0'))
                        .arg(id * 1.5)
                        .arg(id * 10 + 0.25)
                        .arg(id, 2, 10, QLatin1Char('0'))
                        .arg(id % 2)
                        .toStdString());
        }
    }

    std::unique_ptr<TClientDataSet> openGoods(int packetRecords = -1)
    {
        auto ds = std::make_unique<TClientDataSet>(QStringLiteral("Hp"));
        ds->SetRemoteServer(&provider);
        ds->SetProviderName(QStringLiteral("pHp"));
        ds->SetPacketRecords(packetRecords);
        ds->Open();
        return ds;
    }

    QString serverValue(const QString &sqlText)
    {
        sql::Statement stmt = db.prepare(sqlText.toStdString());
        return stmt.step() ? QString::fromStdString(stmt.columnText(0)) : QStringLiteral("<none>");
    }

    sql::Database db;
    SqliteProvider provider{db};
};

TField *field(TClientDataSet &ds, const char *name)
{
    return ds.FieldByName(QString::fromLatin1(name));
}

} // namespace

TEST_F(ProviderTest, FieldsComeFromTheServersDefinitions)
{
    auto ds = openGoods();
    EXPECT_EQ(ds->FieldCount(), 9);
    EXPECT_EQ(field(*ds, "ID")->DataType(), ftInteger);
    EXPECT_TRUE(field(*ds, "ID")->ProviderFlags() & pfInKey);
    EXPECT_FALSE(field(*ds, "BH")->ProviderFlags() & pfInKey);
    EXPECT_EQ(field(*ds, "ID")->Origin(), u"HP.ID");
    EXPECT_EQ(field(*ds, "BH")->DataType(), ftWideString);
    EXPECT_EQ(field(*ds, "BH")->Size(), 10);
    EXPECT_EQ(field(*ds, "SL")->DataType(), ftFloat);
    EXPECT_EQ(field(*ds, "DJ")->DataType(), ftCurrency);
    EXPECT_EQ(field(*ds, "RQ")->DataType(), ftDate);
    EXPECT_EQ(field(*ds, "ZT")->DataType(), ftBoolean);
    EXPECT_EQ(field(*ds, "BZ")->DataType(), ftWideMemo);
    EXPECT_EQ(field(*ds, "PIC")->DataType(), ftBlob);
    EXPECT_EQ(field(*ds, "PM")->AsString(), u"货品1");
    EXPECT_EQ(field(*ds, "RQ")->AsDate(), QDate(2024, 3, 1));
    EXPECT_EQ(field(*ds, "DJ")->DisplayText(), u"10.25");
    EXPECT_TRUE(field(*ds, "ZT")->AsBoolean());
    EXPECT_TRUE(field(*ds, "BZ")->IsNull());
    ds->Close();
    EXPECT_EQ(ds->FieldCount(), 0); // fields made for the packet go with it
}

TEST_F(ProviderTest, RowsArriveInPacketsOnDemand)
{
    auto ds = openGoods(3);
    struct ArrivalLink : TDataLink
    {
        QStringList arrived;
        void DataEvent(TDataEvent event, const TDataEventInfo &info) override
        {
            if (event == deRowsInserted)
                arrived << QStringLiteral("%1+%2").arg(info.Row).arg(info.Count);
        }
    } link;
    TDataSource source(ds.get());
    link.SetDataSource(&source);
    EXPECT_EQ(ds->RecordCount(), 3);
    EXPECT_FALSE(ds->AllRecordsFetched());
    EXPECT_EQ(provider.openCursors(), 1);
    int visited = 0;
    while (!ds->Eof()) {
        ++visited;
        ds->Next();
    }
    EXPECT_EQ(visited, 10);
    EXPECT_EQ(link.arrived.join(u' '), u"3+3 6+3 9+1");
    EXPECT_TRUE(ds->AllRecordsFetched());
    EXPECT_EQ(provider.openCursors(), 0);

    auto manual = openGoods(4);
    manual->SetFetchOnDemand(false);
    manual->Last();
    EXPECT_EQ(manual->RecNo(), 4);
    EXPECT_EQ(manual->GetNextPacket(), 4);
    EXPECT_EQ(manual->RecordCount(), 8);
    EXPECT_EQ(manual->RecNo(), 4); // fetching does not move
    manual->SetFetchOnDemand(true);
    EXPECT_TRUE(manual->Locate(QStringLiteral("BH"), QStringLiteral("H10")));
    EXPECT_EQ(manual->RecordCount(), 10);

    auto partial = openGoods(2);
    partial->Close(); // gives the cursor back
    EXPECT_EQ(provider.openCursors(), 0);
}

TEST_F(ProviderTest, ChangesAreAppliedAndSurviveAReopen)
{
    auto ds = openGoods();
    EventLog log;
    log.attach(*ds);
    ds->Locate(QStringLiteral("ID"), 2);
    ds->Edit();
    field(*ds, "PM")->SetAsString(QStringLiteral("O'Neil 螺丝"));
    field(*ds, "SL")->SetAsFloat(1234.57);
    ds->Post();
    EXPECT_EQ(ds->UpdateStatus(), usModified);
    ds->Append();
    ds->SetFieldValues(QStringLiteral("ID;BH;PM;RQ;ZT"),
                       QVariantList{11, "H11", "新货", QDate(2024, 4, 1), true});
    field(*ds, "PIC")->SetAsBytes(QByteArray("\x89PNG\0\1", 6));
    ds->Post();
    EXPECT_EQ(ds->UpdateStatus(), usInserted);
    ds->Locate(QStringLiteral("ID"), 5);
    ds->Delete();
    EXPECT_EQ(ds->ChangeCount(), 3);

    const TDelta delta = ds->Delta();
    ASSERT_EQ(delta.Rows.size(), 3);
    EXPECT_EQ(delta.Rows[0].UpdateKind, ukModify);
    EXPECT_EQ(delta.Rows[1].UpdateKind, ukInsert);
    EXPECT_EQ(delta.Rows[2].UpdateKind, ukDelete);
    EXPECT_EQ(delta.Rows[0].Changed,
              (QList<bool>{false, false, true, true, false, false, false, false, false}));

    log.take();
    EXPECT_EQ(ds->ApplyUpdates(0), 0);
    EXPECT_EQ(log.take(), u"BeforeApplyUpdates AfterApplyUpdates");
    EXPECT_EQ(ds->ChangeCount(), 0);
    EXPECT_EQ(ds->ApplyUpdates(0), 0); // nothing left to send
    EXPECT_EQ(provider.applyCalls(), 1);

    auto again = openGoods();
    EXPECT_EQ(again->RecordCount(), 10);
    EXPECT_EQ(again->Lookup(QStringLiteral("ID"), 2, QStringLiteral("PM;SL")),
              QVariant(QVariantList{QStringLiteral("O'Neil 螺丝"), 1234.57}));
    EXPECT_TRUE(again->Locate(QStringLiteral("ID"), 11));
    EXPECT_EQ(field(*again, "RQ")->AsDate(), QDate(2024, 4, 1));
    EXPECT_EQ(field(*again, "PIC")->AsBytes(), QByteArray("\x89PNG\0\1", 6));
    EXPECT_FALSE(again->Locate(QStringLiteral("ID"), 5));
    // The dataset that applied holds what the server holds.
    for (int row = 0; row < again->RowCount(); ++row) {
        const int id = again->RowValue(row, field(*again, "ID")).toInt();
        ASSERT_TRUE(ds->Locate(QStringLiteral("ID"), id));
        for (int f = 0; f < again->FieldCount(); ++f)
            EXPECT_EQ(ds->Fields(f)->Value(), again->RowValue(row, again->Fields(f)))
                << "ID " << id << " " << again->Fields(f)->FieldName().toStdString();
    }
}

TEST_F(ProviderTest, ApplyUpdatesZeroKeepsTheWholeLogOnOneBadRow)
{
    auto ds = openGoods();
    int reconciled = 0;
    ds->OnReconcileError = [&](TClientDataSet &, EReconcileError &e, TUpdateKind kind,
                               TReconcileAction &action) {
        ++reconciled;
        EXPECT_EQ(kind, ukInsert);
        EXPECT_EQ(e.ErrorCode, u"unique");
        EXPECT_TRUE(e.Message().contains(u"BH = 'H03'")) << e.Message().toStdString();
        action = raSkip;
    };
    ds->Edit();
    field(*ds, "PM")->SetAsString(QStringLiteral("改名"));
    ds->Post();
    ds->AppendRecord({12, "H12", "好的"});
    ds->AppendRecord({13, "H03", "重复编号"});
    EXPECT_EQ(ds->ApplyUpdates(0), 1);
    EXPECT_EQ(reconciled, 1);
    EXPECT_EQ(ds->ChangeCount(), 3);
    EXPECT_EQ(serverValue(QStringLiteral("select PM from HP where ID = 1")), u"货品1");
    EXPECT_EQ(serverValue(QStringLiteral("select count(*) from HP")), u"10");
    // Corrected, the same log goes through.
    ASSERT_TRUE(ds->Locate(QStringLiteral("ID"), 13));
    ds->Edit();
    field(*ds, "BH")->SetAsString(QStringLiteral("H13"));
    ds->Post();
    EXPECT_EQ(ds->ApplyUpdates(0), 0);
    EXPECT_EQ(serverValue(QStringLiteral("select count(*) from HP")), u"12");
    EXPECT_EQ(serverValue(QStringLiteral("select PM from HP where ID = 1")), u"改名");
}

TEST_F(ProviderTest, RowsStoredLeaveTheLogEvenWhenAfterApplyUpdatesRaises)
{
    auto ds = openGoods();
    ds->AfterApplyUpdates = [](TClientDataSet &, QVariant &) {
        Abort();
    };
    ds->AppendRecord({12, "H12", "好的"});
    EXPECT_THROW(ds->ApplyUpdates(0), EAbort);
    // Sent again, the row would be stored twice.
    EXPECT_EQ(ds->ChangeCount(), 0);
    EXPECT_EQ(serverValue(QStringLiteral("select count(*) from HP")), u"11");
}

TEST_F(ProviderTest, ApplyUpdatesMinusOneKeepsOnlyTheBadRow)
{
    auto ds = openGoods();
    ds->Edit();
    field(*ds, "PM")->SetAsString(QStringLiteral("改名"));
    ds->Post();
    ds->AppendRecord({12, "H12", "好的"});
    ds->AppendRecord({13, "H03", "重复编号"});
    EXPECT_EQ(ds->ApplyUpdates(-1), 1);
    EXPECT_EQ(ds->ChangeCount(), 1);
    EXPECT_EQ(ds->UpdateStatus(), usInserted); // still on the rejected row
    EXPECT_EQ(field(*ds, "ID")->AsInteger(), 13);
    EXPECT_EQ(serverValue(QStringLiteral("select count(*) from HP")), u"11");
    EXPECT_EQ(serverValue(QStringLiteral("select PM from HP where ID = 1")), u"改名");
    ds->Locate(QStringLiteral("ID"), 1);
    EXPECT_EQ(ds->UpdateStatus(), usUnmodified);
}

TEST_F(ProviderTest, AbortEndsTheReconciliationAndKeepsTheRestInTheLog)
{
    auto ds = openGoods();
    int calls = 0;
    ds->OnReconcileError = [&](TClientDataSet &, EReconcileError &, TUpdateKind,
                               TReconcileAction &action) {
        ++calls;
        action = raAbort;
    };
    ds->AppendRecord({12, "H01", "重复一"});
    ds->AppendRecord({13, "H02", "重复二"});
    ds->AppendRecord({14, "H14", "好的"});
    EXPECT_EQ(ds->ApplyUpdates(-1), 2);
    EXPECT_EQ(calls, 1); // the second rejected row is not even offered
    EXPECT_EQ(ds->ChangeCount(), 2);
    EXPECT_EQ(serverValue(QStringLiteral("select PM from HP where ID = 14")), u"好的");
}

TEST_F(ProviderTest, ACorrectedRowIsSentAgain)
{
    auto ds = openGoods();
    ds->OnReconcileError = [](TClientDataSet &, EReconcileError &e, TUpdateKind,
                              TReconcileAction &action) {
        for (TReconcileField &f : e.Fields) {
            if (f.FieldName == u"BH") {
                EXPECT_EQ(f.NewValue.toString(), u"H03");
                EXPECT_FALSE(f.OldValue.isValid());
                f.NewValue = QStringLiteral("H99");
                f.NewValueAssigned = true;
            }
        }
        action = raCorrect;
    };
    ds->AppendRecord({13, "H03", "重复编号"});
    EXPECT_EQ(ds->ApplyUpdates(0), 1);
    EXPECT_EQ(field(*ds, "BH")->AsString(), u"H99");
    ds->OnReconcileError = nullptr;
    EXPECT_EQ(ds->ApplyUpdates(0), 0);
    EXPECT_EQ(serverValue(QStringLiteral("select PM from HP where BH = 'H99'")), u"重复编号");
}

// Two clients change the same row: the second one's apply finds the row changed.
class ConflictTest
    : public ProviderTest
    , public ::testing::WithParamInterface<TReconcileAction>
{
};

TEST_P(ConflictTest, ReconcileActions)
{
    auto first = openGoods();
    auto second = openGoods();
    second->Locate(QStringLiteral("ID"), 3);
    second->Edit();
    field(*second, "PM")->SetAsString(QStringLiteral("second"));
    second->Post();
    ASSERT_EQ(second->ApplyUpdates(0), 0);

    first->Locate(QStringLiteral("ID"), 3);
    first->Edit();
    field(*first, "PM")->SetAsString(QStringLiteral("first"));
    field(*first, "SL")->SetAsFloat(99);
    first->Post();
    const TReconcileAction action = GetParam();
    int calls = 0;
    first->OnReconcileError = [&](TClientDataSet &ds, EReconcileError &e, TUpdateKind kind,
                                  TReconcileAction &chosen) {
        ++calls;
        EXPECT_EQ(&ds, first.get());
        EXPECT_EQ(kind, ukModify);
        EXPECT_EQ(e.ErrorCode, u"conflict");
        EXPECT_EQ(ds.RowOfBookmark(e.Record), 2);
        for (const TReconcileField &f : e.Fields) {
            if (f.FieldName == u"PM") {
                EXPECT_EQ(f.OldValue.toString(), u"货品3");
                EXPECT_EQ(f.NewValue.toString(), u"first");
                EXPECT_EQ(f.CurValue.toString(), u"second");
            }
            if (f.FieldName == u"BH") {
                EXPECT_FALSE(f.NewValueAssigned); // unchanged
                EXPECT_EQ(f.CurValue.toString(), u"H03");
            }
        }
        chosen = action;
    };
    EXPECT_EQ(first->ApplyUpdates(0), 1);
    EXPECT_EQ(calls, 1);
    first->Locate(QStringLiteral("ID"), 3);
    switch (action) {
    case raSkip:
        EXPECT_EQ(first->ChangeCount(), 1);
        EXPECT_EQ(field(*first, "PM")->AsString(), u"first");
        break;
    case raCancel:
        EXPECT_EQ(first->ChangeCount(), 0);
        EXPECT_EQ(field(*first, "PM")->AsString(), u"货品3");
        break;
    case raRefresh:
        EXPECT_EQ(first->ChangeCount(), 0);
        EXPECT_EQ(field(*first, "PM")->AsString(), u"second");
        break;
    case raMerge:
        // The client's changes stay on top of the server's row and now go through.
        EXPECT_EQ(first->ChangeCount(), 1);
        EXPECT_EQ(first->ApplyUpdates(0), 0);
        EXPECT_EQ(serverValue(QStringLiteral("select PM || '/' || SL from HP where ID = 3")),
                  u"first/99.0");
        break;
    default:
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(Actions, ConflictTest,
                         ::testing::Values(raSkip, raCancel, raRefresh, raMerge));

TEST_F(ProviderTest, RowsDeletedByAnotherClientAreReported)
{
    auto first = openGoods();
    auto second = openGoods();
    second->Locate(QStringLiteral("ID"), 4);
    second->Delete();
    ASSERT_EQ(second->ApplyUpdates(0), 0);
    first->Locate(QStringLiteral("ID"), 4);
    first->Delete();
    QString code;
    first->OnReconcileError = [&](TClientDataSet &, EReconcileError &e, TUpdateKind kind,
                                  TReconcileAction &action) {
        code = e.ErrorCode;
        EXPECT_EQ(kind, ukDelete);
        action = raCancel;
    };
    EXPECT_EQ(first->ApplyUpdates(-1), 1);
    EXPECT_EQ(code, u"notFound");
    EXPECT_EQ(first->ChangeCount(), 0);
    EXPECT_TRUE(first->Locate(QStringLiteral("ID"), 4)); // back, as the cancel asked
}

TEST_F(ProviderTest, UndoingTheChangeLog)
{
    auto ds = openGoods();
    ds->Locate(QStringLiteral("ID"), 2);
    ds->Edit();
    field(*ds, "PM")->SetAsString(QStringLiteral("x"));
    ds->Post();
    ds->Locate(QStringLiteral("ID"), 4);
    ds->Delete();
    ds->Insert();
    field(*ds, "ID")->SetAsInteger(20);
    ds->Post();
    EXPECT_EQ(ds->ChangeCount(), 3);
    ds->Locate(QStringLiteral("ID"), 2);
    ds->RevertRecord();
    EXPECT_EQ(field(*ds, "PM")->AsString(), u"货品2");
    EXPECT_EQ(ds->ChangeCount(), 2);
    ds->CancelUpdates();
    EXPECT_EQ(ds->ChangeCount(), 0);
    EXPECT_EQ(columnTexts(*ds, QStringLiteral("ID")).join(u','), u"1,2,3,4,5,6,7,8,9,10");
    EXPECT_EQ(field(*ds, "ID")->AsInteger(), 2);
    // Merging keeps the values and forgets that they changed.
    ds->Edit();
    field(*ds, "PM")->SetAsString(QStringLiteral("y"));
    ds->Post();
    ds->MergeChangeLog();
    EXPECT_EQ(ds->ChangeCount(), 0);
    EXPECT_EQ(field(*ds, "PM")->AsString(), u"y");
    EXPECT_EQ(field(*ds, "PM")->OldValue().toString(), u"y");
}

TEST_F(ProviderTest, CommandTextsStatementsAndRefresh)
{
    auto ds = std::make_unique<TClientDataSet>(QStringLiteral("Tmp"));
    ds->SetRemoteServer(&provider);
    ds->SetProviderName(QStringLiteral("pTmp"));
    ds->SetCommandText(QStringLiteral("update HP set SL = 0 where ID <= 3"));
    EXPECT_EQ(ds->Execute(), 3);
    ds->SetCommandText(QStringLiteral("select H.ID, H.PM, 'x' as aBH from HP H where H.SL = 0"));
    ds->Open();
    EXPECT_EQ(ds->RecordCount(), 3);
    EXPECT_EQ(field(*ds, "aBH")->Origin(), u"");
    EXPECT_TRUE(field(*ds, "ID")->ProviderFlags() & pfInKey);
    // A display column the table lacks does not stop the apply.
    ds->SetProviderName(QStringLiteral("pHP"));
    ds->Edit();
    field(*ds, "PM")->SetAsString(QStringLiteral("改"));
    ds->Post();
    EXPECT_THROW(ds->Refresh(), EDatabaseError); // changes first
    EXPECT_EQ(ds->ApplyUpdates(0), 0);
    db.exec("update HP set PM = 'outside' where ID = 2");
    ds->Next();
    ds->Refresh();
    EXPECT_EQ(field(*ds, "PM")->AsString(), u"outside");
    EXPECT_EQ(ds->RecNo(), 2);
}

TEST_F(ProviderTest, OpenFailuresLeaveTheDataSetClosed)
{
    TClientDataSet ds(QStringLiteral("Hp"));
    EventLog log;
    log.attach(ds);
    EXPECT_THROW(ds.Open(), EDatabaseError); // no provider
    ds.SetRemoteServer(&provider);
    ds.SetProviderName(QStringLiteral("pHp"));
    ds.SetCommandText(QStringLiteral("select * from NOPE"));
    EXPECT_THROW(ds.Open(), EDatabaseError);
    EXPECT_FALSE(ds.Active());
    EXPECT_EQ(log.take(), u"BeforeOpen BeforeOpen");
    ds.SetCommandText(QString());
    ds.AddField(ftInteger, QStringLiteral("ID"));
    ds.AddField(ftWideString, QStringLiteral("MISSING"), 10);
    try {
        ds.Open();
        FAIL();
    } catch (const EDatabaseError &e) {
        EXPECT_TRUE(e.Message().contains(u"MISSING"));
    }
    EXPECT_FALSE(ds.Active());
    EXPECT_EQ(provider.openCursors(), 0);
    ds.RemoveField(ds.FindField(QStringLiteral("MISSING")));
    ds.Open();
    EXPECT_EQ(ds.FieldCount(), 1); // persistent fields: exactly those
    EXPECT_EQ(ds.RecordCount(), 10);
}

// Random edits, inserts, deletes, cancels, reverts, file round trips and applies, checked
// against a plain model of what the client and the server should hold.
TEST_F(ProviderTest, RandomOperationsAgreeWithAModel)
{
    using Rows = std::map<int, std::pair<QString, double>>;
    Rows server;
    for (int id = 1; id <= 10; ++id)
        server[id] = {QStringLiteral("货品%1").arg(id), id * 1.5};
    Rows client = server;
    auto ds = openGoods();
    ds->SetIndexFieldNames(QStringLiteral("ID"));
    TField *id = field(*ds, "ID");
    TField *pm = field(*ds, "PM");
    TField *sl = field(*ds, "SL");
    std::mt19937 random(2024);
    int nextId = 11;
    auto pick = [&] {
        return int(random() % uint32_t(ds->RecordCount())) + 1;
    };
    auto rowsOf = [&] {
        Rows rows;
        for (int row = 0; row < ds->RowCount(); ++row)
            rows[ds->RowValue(row, id).toInt()] = {ds->RowValue(row, pm).toString(),
                                                   ds->RowValue(row, sl).toDouble()};
        return rows;
    };
    auto serverRows = [&] {
        Rows rows;
        sql::Statement stmt = db.prepare("select ID, PM, SL from HP");
        while (stmt.step())
            rows[int(stmt.columnInt(0))] = {QString::fromStdString(stmt.columnText(1)),
                                            stmt.columnDouble(2)};
        return rows;
    };
    for (int step = 0; step < 400; ++step) {
        const int op = int(random() % 11);
        const QString name = QStringLiteral("名%1").arg(random() % 1000);
        const double amount = double(random() % 10000) / 100;
        SCOPED_TRACE(::testing::Message() << "step " << step << " op " << op);
        if (ds->IsEmpty() && op <= 5 && op != 1 && op != 2)
            continue;
        switch (op) {
        case 0: { // edit and post
            ds->SetRecNo(pick());
            ds->Edit();
            pm->SetAsString(name);
            sl->SetAsFloat(amount);
            ds->Post();
            client[id->AsInteger()] = {name, amount};
            break;
        }
        case 1:
        case 2: { // append or insert
            if (op == 1)
                ds->Append();
            else
                ds->Insert();
            id->SetAsInteger(nextId);
            pm->SetAsString(name);
            sl->SetAsFloat(amount);
            ds->Post();
            client[nextId++] = {name, amount};
            break;
        }
        case 3: { // delete
            ds->SetRecNo(pick());
            client.erase(id->AsInteger());
            ds->Delete();
            break;
        }
        case 4: // edit, then change one's mind
            ds->SetRecNo(pick());
            ds->Edit();
            pm->SetAsString(name);
            ds->Cancel();
            break;
        case 5: { // revert one record
            ds->SetRecNo(pick());
            const int key = id->AsInteger();
            ds->RevertRecord();
            if (server.count(key))
                client[key] = server[key];
            else
                client.erase(key);
            break;
        }
        case 6:
            ds->Append();
            ds->Cancel();
            break;
        case 7: { // through a local file and back
            QBuffer buffer;
            buffer.open(QIODevice::ReadWrite);
            ds->SaveToStream(buffer);
            buffer.seek(0);
            ds->LoadFromStream(buffer);
            id = field(*ds, "ID");
            pm = field(*ds, "PM");
            sl = field(*ds, "SL");
            break;
        }
        case 8:
            ASSERT_EQ(ds->ApplyUpdates(0), 0);
            ASSERT_EQ(ds->ChangeCount(), 0);
            server = client;
            ASSERT_EQ(serverRows(), server);
            break;
        case 9:
            ds->CancelUpdates();
            client = server;
            break;
        case 10:
            ds->SetFilter(QStringLiteral("SL > 50"));
            ds->SetFiltered(true);
            for (int row = 0; row < ds->RowCount(); ++row)
                ASSERT_GT(ds->RowValue(row, sl).toDouble(), 50);
            ds->SetFiltered(false);
            break;
        }
        ASSERT_EQ(rowsOf(), client);
        ASSERT_EQ(ds->Delta().Rows.size(), ds->ChangeCount());
    }
    ASSERT_EQ(ds->ApplyUpdates(0), 0);
    EXPECT_EQ(serverRows(), client);
}
