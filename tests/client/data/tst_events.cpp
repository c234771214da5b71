// The event sequences of the dataset, row by row of the table in clientdataset.h, and what a
// handler that refuses leaves behind.
#include "testdata.h"

TEST(Events, OpenAndClose)
{
    TClientDataSet ds;
    EventLog log;
    log.attach(ds);
    createLines(ds);
    EXPECT_EQ(log.take(), u"BeforeOpen AfterOpen"); // empty: no AfterScroll
    fillLines(ds);
    log.take();
    ds.Close();
    EXPECT_EQ(log.take(), u"BeforeClose AfterClose");
    EXPECT_EQ(ds.State(), dsInactive);
    EXPECT_EQ(ds.RecordCount(), 0);
}

TEST(Events, InsertThenPost)
{
    TClientDataSet ds;
    createLines(ds);
    fillLines(ds);
    EventLog log;
    log.attach(ds);
    ds.Next();
    log.take();
    ds.Insert();
    EXPECT_EQ(log.take(), u"BeforeInsert BeforeScroll OnNewRecord AfterInsert AfterScroll");
    EXPECT_EQ(ds.State(), dsInsert);
    EXPECT_EQ(ds.RecNo(), -1);
    EXPECT_EQ(ds.RecordCount(), 3);
    EXPECT_EQ(ds.RowCount(), 4);
    ds.FieldByName(QStringLiteral("BH"))->SetAsString(QStringLiteral("N01"));
    ds.Post();
    EXPECT_EQ(log.take(), u"BeforePost AfterPost");
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(columnTexts(ds, QStringLiteral("BH")), (QStringList{"A01", "N01", "B02", "a03"}));
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_EQ(ds.UpdateStatus(), usInserted);
}

TEST(Events, InsertingAgainPostsAModifiedRecordAndDropsAnUntouchedOne)
{
    TClientDataSet ds;
    createLines(ds);
    fillLines(ds);
    EventLog log;
    log.attach(ds);
    ds.Append();
    ds.FieldByName(QStringLiteral("BH"))->SetAsString(QStringLiteral("X"));
    log.take();
    ds.Append();
    EXPECT_EQ(
        log.take(),
        u"BeforePost AfterPost BeforeInsert BeforeScroll OnNewRecord AfterInsert AfterScroll");
    // An appended record nobody touched disappears at the next CheckBrowseMode.
    ds.Append();
    EXPECT_EQ(log.take(), u"BeforeCancel BeforeScroll AfterCancel AfterScroll "
                          u"BeforeInsert BeforeScroll OnNewRecord AfterInsert AfterScroll");
    ds.Cancel();
    EXPECT_EQ(ds.RecordCount(), 4);
    // ...but an explicit Post keeps an empty record, as blank document lines need.
    ds.Append();
    ds.Post();
    EXPECT_EQ(ds.RecordCount(), 5);
}

TEST(Events, ValuesSetInOnNewRecordDoNotCountAsModifications)
{
    TClientDataSet ds;
    createLines(ds);
    ds.OnNewRecord = [](TClientDataSet &d) {
        d.FieldByName(QStringLiteral("SL"))->SetAsFloat(1);
    };
    ds.Append();
    EXPECT_FALSE(ds.Modified());
    EXPECT_EQ(ds.FieldByName(QStringLiteral("SL"))->AsFloat(), 1);
    ds.CheckBrowseMode();
    EXPECT_EQ(ds.RecordCount(), 0);
}

TEST(Events, EditThenCancel)
{
    TClientDataSet ds;
    createLines(ds);
    fillLines(ds);
    EventLog log;
    log.attach(ds);
    ds.Edit();
    EXPECT_EQ(log.take(), u"BeforeEdit AfterEdit");
    ds.Edit(); // already editing: nothing
    EXPECT_EQ(log.take(), u"");
    ds.FieldByName(QStringLiteral("PM"))->SetAsString(QStringLiteral("改了"));
    ds.Cancel();
    EXPECT_EQ(log.take(), u"BeforeCancel AfterCancel");
    EXPECT_EQ(ds.FieldByName(QStringLiteral("PM"))->AsString(), u"螺丝");
    EXPECT_EQ(ds.ChangeCount(), 0);
    ds.Cancel(); // browsing: nothing
    EXPECT_EQ(log.take(), u"");
}

TEST(Events, EditOfAnEmptyDataSetInserts)
{
    TClientDataSet ds;
    createLines(ds);
    EventLog log;
    log.attach(ds);
    ds.Edit();
    EXPECT_EQ(log.take(), u"BeforeInsert BeforeScroll OnNewRecord AfterInsert AfterScroll");
    EXPECT_EQ(ds.State(), dsInsert);
}

TEST(Events, CancelOfAnInsertRemovesTheRecord)
{
    TClientDataSet ds;
    createLines(ds);
    fillLines(ds);
    ds.Next();
    EventLog log;
    log.attach(ds);
    ds.Insert();
    ds.FieldByName(QStringLiteral("BH"))->SetAsString(QStringLiteral("N01"));
    log.take();
    ds.Cancel();
    EXPECT_EQ(log.take(), u"BeforeCancel BeforeScroll AfterCancel AfterScroll");
    EXPECT_EQ(columnTexts(ds, QStringLiteral("BH")), (QStringList{"A01", "B02", "a03"}));
    EXPECT_EQ(ds.FieldByName(QStringLiteral("BH"))->AsString(), u"B02");
    EXPECT_EQ(ds.ChangeCount(), 0);
}

TEST(Events, Delete)
{
    TClientDataSet ds;
    createLines(ds);
    fillLines(ds);
    EventLog log;
    log.attach(ds);
    ds.Delete();
    EXPECT_EQ(log.take(), u"BeforeDelete BeforeScroll AfterDelete AfterScroll");
    EXPECT_EQ(ds.FieldByName(QStringLiteral("BH"))->AsString(), u"B02");
    EXPECT_EQ(ds.RecordCount(), 2);
    // In insert state Delete is the cancel of the insert.
    ds.Append();
    log.take();
    ds.Delete();
    EXPECT_EQ(log.take(), u"BeforeCancel BeforeScroll AfterCancel AfterScroll");
    ds.Last();
    ds.Delete();
    EXPECT_EQ(ds.FieldByName(QStringLiteral("BH"))->AsString(), u"B02"); // the new last one
    ds.Delete();
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_TRUE(ds.Eof() && ds.Bof());
    EXPECT_THROW(ds.Delete(), EDatabaseError);
}

TEST(Events, ScrollingAndItsEnds)
{
    TClientDataSet ds;
    createLines(ds);
    fillLines(ds);
    EventLog log;
    log.attach(ds);
    EXPECT_TRUE(ds.Bof());
    ds.Next();
    EXPECT_EQ(log.take(), u"BeforeScroll AfterScroll");
    ds.Last();
    EXPECT_TRUE(ds.Eof());
    log.take();
    ds.Next(); // already at the end
    EXPECT_EQ(log.take(), u"BeforeScroll");
    ds.First();
    int visited = 0;
    while (!ds.Eof()) {
        ++visited;
        ds.Next();
    }
    EXPECT_EQ(visited, 3);
    EXPECT_EQ(ds.MoveBy(-10), -2);
    EXPECT_TRUE(ds.Bof());
    ds.SetRecNo(3);
    EXPECT_EQ(ds.FieldByName(QStringLiteral("HH"))->AsInteger(), 3);
}

TEST(Events, ScrollingPostsAPendingEdit)
{
    TClientDataSet ds;
    createLines(ds);
    fillLines(ds);
    EventLog log;
    log.attach(ds);
    ds.Edit();
    ds.FieldByName(QStringLiteral("SL"))->SetAsFloat(11);
    log.take();
    ds.Next();
    EXPECT_EQ(log.take(), u"BeforePost AfterPost BeforeScroll AfterScroll");
    EXPECT_EQ(ds.ChangeCount(), 1);
}

TEST(Events, LocateScrollsOnlyWhenItFinds)
{
    TClientDataSet ds;
    createLines(ds);
    fillLines(ds);
    EventLog log;
    log.attach(ds);
    EXPECT_TRUE(ds.Locate(QStringLiteral("BH"), QStringLiteral("a03")));
    EXPECT_EQ(log.take(), u"BeforeScroll AfterScroll");
    EXPECT_FALSE(ds.Locate(QStringLiteral("BH"), QStringLiteral("zz")));
    EXPECT_EQ(log.take(), u"BeforeScroll");
    EXPECT_EQ(ds.RecNo(), 3);
}

TEST(Events, PostAndEditOutsideTheirStates)
{
    TClientDataSet ds;
    EXPECT_THROW(ds.Edit(), EDatabaseError); // closed
    createLines(ds);
    fillLines(ds);
    EXPECT_THROW(ds.Post(), EDatabaseError); // browsing
    // A handler that finishes the record itself leaves nothing for the caller to do.
    ds.BeforePost = [](TClientDataSet &d) {
        d.Cancel();
    };
    ds.Edit();
    ds.FieldByName(QStringLiteral("SL"))->SetAsFloat(1);
    ds.Post();
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(ds.FieldByName(QStringLiteral("SL"))->AsFloat(), 10);
}

TEST(Events, BeforeScrollAbortKeepsThePosition)
{
    TClientDataSet ds;
    createLines(ds);
    fillLines(ds);
    EventLog log;
    log.attach(ds);
    ds.BeforeScroll = [&](TClientDataSet &) {
        log.events << QStringLiteral("BeforeScroll");
        Abort();
    };
    EXPECT_THROW(ds.Next(), EAbort);
    EXPECT_EQ(log.take(), u"BeforeScroll");
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_THROW(ds.Locate(QStringLiteral("BH"), QStringLiteral("a03")), EAbort);
    EXPECT_EQ(ds.RecNo(), 1);
    // Insert stops after BeforeInsert and BeforeScroll with nothing inserted.
    log.take();
    EXPECT_THROW(ds.Append(), EAbort);
    EXPECT_EQ(log.take(), u"BeforeInsert BeforeScroll");
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(ds.RowCount(), 3);
}

TEST(Events, PostAbortedByBeforePostLeavesTheDataUnchanged)
{
    TClientDataSet ds;
    createLines(ds);
    fillLines(ds);
    ds.BeforePost = [](TClientDataSet &d) {
        if (d.FieldByName(QStringLiteral("SL"))->AsFloat() < 0)
            Abort();
    };
    ds.Edit();
    ds.FieldByName(QStringLiteral("SL"))->SetAsFloat(-1);
    EXPECT_THROW(ds.Post(), EAbort);
    EXPECT_EQ(ds.State(), dsEdit);
    EXPECT_EQ(ds.FieldByName(QStringLiteral("SL"))->AsFloat(), -1); // the edit is still there
    EXPECT_EQ(ds.ChangeCount(), 0);
    EXPECT_EQ(ds.FieldByName(QStringLiteral("SL"))->OldValue().toDouble(), 10);
    // Scrolling away posts, so it is refused the same way.
    EXPECT_THROW(ds.Next(), EAbort);
    EXPECT_EQ(ds.RecNo(), 1);
    ds.Cancel();
    EXPECT_EQ(ds.FieldByName(QStringLiteral("SL"))->AsFloat(), 10);
    // Any other exception refuses the same way and reaches the caller as it is.
    ds.BeforePost = [](TClientDataSet &) {
        throw EDatabaseError(QStringLiteral("no"));
    };
    ds.Edit();
    ds.FieldByName(QStringLiteral("SL"))->SetAsFloat(5);
    EXPECT_THROW(ds.Post(), EDatabaseError);
    EXPECT_EQ(ds.State(), dsEdit);
}

TEST(Events, RefusingBeforeHandlersChangeNothing)
{
    TClientDataSet ds;
    createLines(ds);
    fillLines(ds);
    ds.BeforeEdit = [](TClientDataSet &) {
        Abort();
    };
    EXPECT_THROW(ds.Edit(), EAbort);
    EXPECT_EQ(ds.State(), dsBrowse);
    ds.BeforeEdit = nullptr;
    ds.BeforeDelete = [](TClientDataSet &) {
        Abort();
    };
    EXPECT_THROW(ds.Delete(), EAbort);
    EXPECT_EQ(ds.RecordCount(), 3);
    ds.BeforeCancel = [](TClientDataSet &) {
        Abort();
    };
    ds.Edit();
    EXPECT_THROW(ds.Cancel(), EAbort);
    EXPECT_EQ(ds.State(), dsEdit);
}

TEST(Events, FailingOnNewRecordRemovesTheNewRecord)
{
    TClientDataSet ds;
    createLines(ds);
    fillLines(ds);
    ds.Next();
    ds.OnNewRecord = [](TClientDataSet &) {
        throw EDatabaseError(QStringLiteral("no default"));
    };
    EXPECT_THROW(ds.Insert(), EDatabaseError);
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(ds.RowCount(), 3);
    EXPECT_EQ(ds.RecNo(), 2);
}

TEST(Events, RequiredFieldRefusesThePost)
{
    TClientDataSet ds;
    createLines(ds);
    ds.FieldByName(QStringLiteral("BH"))->SetRequired(true);
    ds.FieldByName(QStringLiteral("BH"))->SetDisplayLabel(QStringLiteral("货品编号"));
    EventLog log;
    log.attach(ds);
    ds.Append();
    ds.FieldByName(QStringLiteral("SL"))->SetAsFloat(3);
    log.take();
    try {
        ds.Post();
        FAIL() << "posted without a required value";
    } catch (const EDatabaseError &e) {
        EXPECT_TRUE(e.Message().contains(u"货品编号"));
    }
    EXPECT_EQ(log.take(), u"BeforePost");
    EXPECT_EQ(ds.State(), dsInsert);
    EXPECT_EQ(ds.RecordCount(), 0);
}

TEST(Events, FieldAssignmentOrder)
{
    TClientDataSet ds;
    createLines(ds);
    ds.Close();
    ds.AddField(ftFloat, QStringLiteral("cJE"), 0, fkCalculated);
    QStringList order;
    TDataSource source(&ds);
    ds.OnCalcFields = [&](TClientDataSet &d) {
        order << QStringLiteral("OnCalcFields");
        d.FieldByName(QStringLiteral("cJE"))
            ->SetAsFloat(d.FieldByName(QStringLiteral("SL"))->AsFloat() *
                         d.FieldByName(QStringLiteral("DJ"))->AsFloat());
    };
    ds.CreateDataSet();
    TField *sl = ds.FieldByName(QStringLiteral("SL"));
    sl->OnValidate = [&](TField &) {
        order << QStringLiteral("OnValidate");
    };
    sl->OnChange = [&](TField &) {
        order << QStringLiteral("OnChange");
    };
    source.OnDataChange = [&](TDataSource &, TField *field) {
        order << (field ? QStringLiteral("OnDataChange(") + field->FieldName() + u')'
                        : QStringLiteral("OnDataChange"));
    };
    ds.Append();
    ds.FieldByName(QStringLiteral("DJ"))->SetAsFloat(2);
    order.clear();
    sl->SetAsFloat(3);
    EXPECT_EQ(order.join(u' '), u"OnValidate OnChange OnCalcFields OnDataChange(SL)");
    EXPECT_EQ(ds.FieldByName(QStringLiteral("cJE"))->AsFloat(), 6);
}

TEST(Events, HandlersCanBeSavedReplacedAndRestored)
{
    TClientDataSet ds;
    createLines(ds);
    fillLines(ds);
    QStringList calls;
    ds.AfterScroll = [&](TClientDataSet &) {
        calls << QStringLiteral("list");
    };
    const TDataSetEvents saved = ds.Events();
    ds.AfterScroll = [&](TClientDataSet &d) {
        calls << QStringLiteral("form");
        d.Events() = saved; // a form that closes from inside a handler
    };
    ds.Next();
    ds.Next();
    EXPECT_EQ(calls, (QStringList{"form", "list"}));
}

TEST(Events, DataSourceFollowsStateDataAndUpdates)
{
    TClientDataSet ds;
    createLines(ds);
    fillLines(ds);
    TDataSource source(&ds);
    QStringList seen;
    source.OnStateChange = [&](TDataSource &s) {
        seen << QStringLiteral("state%1").arg(s.State());
    };
    source.OnDataChange = [&](TDataSource &, TField *f) {
        seen << (f ? QStringLiteral("data:") + f->FieldName() : QStringLiteral("data"));
    };
    source.OnUpdateData = [&](TDataSource &) {
        seen << QStringLiteral("update");
    };
    source.Edit();
    ds.FieldByName(QStringLiteral("PM"))->SetAsString(QStringLiteral("x"));
    ds.Post();
    EXPECT_EQ(seen.join(u' '),
              QStringLiteral("state%1 data data:PM update state%2 data").arg(dsEdit).arg(dsBrowse));
    seen.clear();
    source.SetAutoEdit(false);
    source.Edit();
    EXPECT_EQ(ds.State(), dsBrowse);
    // Batched changes reach the source once, as a change of everything.
    ds.DisableControls();
    ds.Edit();
    ds.FieldByName(QStringLiteral("SL"))->SetAsFloat(1);
    ds.Post();
    ds.Next();
    EXPECT_TRUE(seen.isEmpty());
    ds.EnableControls();
    EXPECT_EQ(seen.join(u' '), u"data");
    // A disabled source hears nothing and shows its links an inactive dataset.
    seen.clear();
    source.SetEnabled(false);
    EXPECT_EQ(source.State(), dsInactive);
    ds.Next();
    source.SetEnabled(true);
    EXPECT_EQ(seen.join(u' '), QStringLiteral("state%1 state%2").arg(dsInactive).arg(dsBrowse));
}

// Rows as an item model sees them: each change says which rows moved, appeared or went.
TEST(Events, DataLinksReceiveRowEvents)
{
    struct RowLink : TDataLink
    {
        QStringList seen;
        void DataEvent(TDataEvent event, const TDataEventInfo &info) override
        {
            switch (event) {
            case deRowsInserted:
                seen << QStringLiteral("inserted %1+%2").arg(info.Row).arg(info.Count);
                break;
            case deRowsRemoved:
                seen << QStringLiteral("removed %1+%2").arg(info.Row).arg(info.Count);
                break;
            case deRowMoved:
                seen << QStringLiteral("moved %1>%2").arg(info.FromRow).arg(info.Row);
                break;
            case deRecordChange:
                seen << QStringLiteral("record %1").arg(info.Row);
                break;
            case deDataSetScroll:
                seen << QStringLiteral("scroll %1").arg(info.Row);
                break;
            default:
                break;
            }
            TDataLink::DataEvent(event, info);
        }
        void ActiveChanged() override { seen << QStringLiteral("active %1").arg(Active()); }
        void EditingChanged() override { seen << QStringLiteral("editing %1").arg(Editing()); }
    };
    TClientDataSet ds;
    createLines(ds);
    fillLines(ds);
    ds.SetIndexFieldNames(QStringLiteral("BH"));
    TDataSource source(&ds);
    RowLink link;
    link.SetDataSource(&source);
    EXPECT_EQ(link.seen.join(u", "), u"active 1");
    link.seen.clear();
    ds.Append();
    ds.FieldByName(QStringLiteral("BH"))->SetAsString(QStringLiteral("A00"));
    ds.Post();
    ds.Delete();
    ds.Next();
    EXPECT_EQ(link.seen.join(u", "), u"editing 1, inserted 3+1, editing 0, moved 3>0, "
                                     u"removed 0+1, scroll 1");
    ds.Close();
    EXPECT_EQ(link.seen.last(), u"active 0");
}
