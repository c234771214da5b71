// Finding records, bookmarks, filters, indexes, aggregates and random row access.
#include "testdata.h"

namespace {

TField *field(TClientDataSet &ds, const char *name)
{
    return ds.FieldByName(QString::fromLatin1(name));
}

QString codes(TClientDataSet &ds)
{
    return columnTexts(ds, QStringLiteral("BH")).join(u',');
}

// Goods with codes that differ in case, a null name and a null quantity.
void createGoods(TClientDataSet &ds)
{
    ds.FieldDefs().Add(QStringLiteral("ID"), ftInteger);
    ds.FieldDefs().Add(QStringLiteral("BH"), ftWideString, 10);
    ds.FieldDefs().Add(QStringLiteral("PM"), ftWideString, 20);
    ds.FieldDefs().Add(QStringLiteral("SL"), ftFloat);
    ds.FieldDefs().Add(QStringLiteral("RQ"), ftDate);
    ds.FieldDefs().Add(QStringLiteral("ZT"), ftBoolean);
    ds.CreateDataSet();
    ds.AppendRecord({1, "b01", "O'Neil 螺丝", 5, QDate(2024, 3, 1), false});
    ds.AppendRecord({2, "A02", "螺母", 12.5, QDate(2024, 3, 5), true});
    ds.AppendRecord({3, "a03", QVariant(), QVariant(), QDate(2024, 2, 28), false});
    ds.AppendRecord({4, "B04", "垫圈", 0, QVariant(), false});
    ds.MergeChangeLog();
    ds.First();
}

} // namespace

TEST(Navigation, LocateOptions)
{
    TClientDataSet ds;
    createGoods(ds);
    EXPECT_FALSE(ds.Locate(QStringLiteral("BH"), QStringLiteral("a02")));
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_TRUE(ds.Locate(QStringLiteral("BH"), QStringLiteral("a02"), loCaseInsensitive));
    EXPECT_EQ(field(ds, "ID")->AsInteger(), 2);
    EXPECT_TRUE(ds.Locate(QStringLiteral("bh"), QStringLiteral("B"), loPartialKey));
    EXPECT_EQ(field(ds, "ID")->AsInteger(), 4);
    EXPECT_TRUE(ds.Locate(QStringLiteral("PM"), QStringLiteral("o'neil"),
                          loCaseInsensitive | loPartialKey));
    EXPECT_EQ(field(ds, "ID")->AsInteger(), 1);
    EXPECT_TRUE(ds.Locate(QStringLiteral("ZT;SL"), QVariantList{false, 0}));
    EXPECT_EQ(field(ds, "ID")->AsInteger(), 4);
    EXPECT_TRUE(ds.Locate(QStringLiteral("SL"), QVariant()));
    EXPECT_EQ(field(ds, "ID")->AsInteger(), 3);
    EXPECT_TRUE(ds.Locate(QStringLiteral("ID"), QStringLiteral("2")));
    EXPECT_TRUE(ds.Locate(QStringLiteral("RQ"), QDate(2024, 2, 28)));
    EXPECT_EQ(field(ds, "ID")->AsInteger(), 3);
    EXPECT_EQ(ds.Lookup(QStringLiteral("BH"), QStringLiteral("B04"), QStringLiteral("ID;PM")),
              QVariant(QVariantList{4, QStringLiteral("垫圈")}));
    EXPECT_EQ(field(ds, "ID")->AsInteger(), 3); // Lookup does not move
}

TEST(Navigation, BookmarksSurviveReorderingAndDieWithTheirRecord)
{
    TClientDataSet ds;
    createGoods(ds);
    ds.Locate(QStringLiteral("ID"), 3);
    const TBookmark three = ds.GetBookmark();
    ds.First();
    const TBookmark one = ds.GetBookmark();
    EXPECT_LT(ds.CompareBookmarks(one, three), 0);
    ds.SetIndexFieldNames(QStringLiteral("BH"));
    EXPECT_GT(ds.CompareBookmarks(one, three), 0);
    ds.GotoBookmark(three);
    EXPECT_EQ(field(ds, "BH")->AsString(), u"a03");
    ds.Delete();
    EXPECT_FALSE(ds.BookmarkValid(three));
    EXPECT_THROW(ds.GotoBookmark(three), EDatabaseError);
    EXPECT_FALSE(ds.BookmarkValid(TBookmark()));
    ds.Close();
    ds.CreateDataSet();
    EXPECT_FALSE(ds.BookmarkValid(one)); // from an earlier opening
}

TEST(Navigation, FilterExpressions)
{
    TClientDataSet ds;
    createGoods(ds);
    ds.SetFiltered(true);
    const struct
    {
        const char16_t *filter;
        const char16_t *codes;
    } cases[] = {
        {u"SL > 1", u"b01,A02"},
        {u"SL >= 0 and ZT = false", u"b01,B04"},
        {u"(ID = 1 or ID = 4) and not PM = '垫圈'", u"b01"},
        {u"PM = 'O''Neil 螺丝'", u"b01"},
        {u"PM like '%螺%'", u"b01,A02"},
        {u"bh like 'a%' or pm like 'a%' or zjm_missing is null", u""},
        {u"BH = 'B*'", u"B04"},
        {u"PM is null", u"a03"},
        {u"SL is not null and SL < 10", u"b01,B04"},
        {u"ID in (2, 4)", u"A02,B04"},
        {u"RQ >= '2024-03-01'", u"b01,A02"},
        {u"UPPER(BH) = 'A03'", u"a03"},
        {u"SL * 2 = 25", u"A02"},
        {u"[BH] <> 'b01'", u"A02,a03,B04"},
        {u"bh like 'A%' or pm like '垫%'", u"A02,B04"},
        {u"", u"b01,A02,a03,B04"},
    };
    for (const auto &c : cases) {
        const QString filter = QString::fromUtf16(c.filter);
        if (filter.contains(u"zjm_missing")) {
            EXPECT_THROW(ds.SetFilter(filter), EDatabaseError);
            continue;
        }
        ds.SetFilter(filter);
        EXPECT_EQ(codes(ds), QString::fromUtf16(c.codes)) << filter.toStdString();
    }
    ds.SetFilterOptions(foCaseInsensitive);
    ds.SetFilter(QStringLiteral("BH like 'a%'"));
    EXPECT_EQ(codes(ds), u"A02,a03");
    ds.SetFilterOptions({});
    EXPECT_EQ(codes(ds), u"a03");
    // A filter that does not parse is refused and the old one stays.
    EXPECT_THROW(ds.SetFilter(QStringLiteral("BH = ")), EDatabaseError);
    EXPECT_EQ(ds.Filter(), u"BH like 'a%'");
    EXPECT_EQ(codes(ds), u"a03");
    ds.SetFiltered(false);
    EXPECT_EQ(ds.RecordCount(), 4);
}

QString repeated(const QString &piece, int count)
{
    return piece.repeated(count);
}

// A filter of any length or depth is refused with a clear error, never a crash, and the old
// filter stays; long ones below the bounds filter as written.
TEST(Navigation, FiltersBeyondTheBoundsAreRefused)
{
    TClientDataSet ds;
    createGoods(ds);
    ds.SetFiltered(true);
    ds.SetFilter(QStringLiteral("ID < 3"));
    const QString deeper = QStringLiteral("expression too complex: nested deeper than 256 levels");
    const struct
    {
        const char *what;
        QString filter;
        QString error;
    } refused[] = {
        {"a sum of 100,000 terms",
         QStringLiteral("SL") + repeated(QStringLiteral(" + SL"), 99999) + QStringLiteral(" > 0"),
         deeper},
        {"a conjunction of 200,000 terms",
         QStringLiteral("ID > 0") + repeated(QStringLiteral(" and ID > 0"), 200000), deeper},
        {"100,000 nested parentheses",
         repeated(QStringLiteral("("), 100000) + QStringLiteral("ID = 1") +
             repeated(QStringLiteral(")"), 100000),
         deeper},
        {"100,000 NOTs", repeated(QStringLiteral("not "), 100000) + QStringLiteral("ID = 1"),
         deeper},
        {"100,000 minus signs", repeated(QStringLiteral("- "), 100000) + QStringLiteral("ID = 1"),
         deeper},
        {"100,000 plus signs", repeated(QStringLiteral("+ "), 100000) + QStringLiteral("ID = 1"),
         deeper},
        {"50,000 nested calls",
         repeated(QStringLiteral("UPPER("), 50000) + QStringLiteral("BH") +
             repeated(QStringLiteral(")"), 50000) + QStringLiteral(" = 'A02'"),
         deeper},
        {"an IN list of 150,000 values",
         QStringLiteral("ID in (") + repeated(QStringLiteral("1, "), 150000) + QStringLiteral("2)"),
         QStringLiteral("expression too complex: more than 100000 nodes")},
    };
    for (const auto &c : refused) {
        try {
            ds.SetFilter(c.filter);
            ADD_FAILURE() << c.what << " was accepted";
        } catch (const EDatabaseError &e) {
            EXPECT_TRUE(e.Message().contains(c.error))
                << c.what << ": " << e.Message().toStdString();
            // The message names the reason without repeating pages of text.
            EXPECT_LT(e.Message().size(), 400) << c.what;
        }
        EXPECT_EQ(ds.Filter(), u"ID < 3") << c.what;
        EXPECT_EQ(codes(ds), u"b01,A02") << c.what;
    }

    const struct
    {
        const char *what;
        QString filter;
        const char16_t *codes;
    } accepted[] = {
        {"a long sum",
         QStringLiteral("ID") + repeated(QStringLiteral(" + ID"), 249) + QStringLiteral(" = 500"),
         u"A02"},
        {"a long disjunction",
         QStringLiteral("ID = 4") + repeated(QStringLiteral(" or ID = 3"), 249), u"a03,B04"},
        {"deep parentheses",
         repeated(QStringLiteral("("), 240) + QStringLiteral("ID = 1") +
             repeated(QStringLiteral(")"), 240),
         u"b01"},
        {"an even number of NOTs", repeated(QStringLiteral("not "), 240) + QStringLiteral("ID = 1"),
         u"b01"},
        {"a long IN list",
         QStringLiteral("ID in (") + repeated(QStringLiteral("9, "), 90000) + QStringLiteral("4)"),
         u"B04"},
    };
    for (const auto &c : accepted) {
        ds.SetFilter(c.filter);
        EXPECT_EQ(codes(ds), QString::fromUtf16(c.codes)) << c.what;
    }
}

TEST(Navigation, RecordFilterHandlerAndPostedRecords)
{
    TClientDataSet ds;
    createGoods(ds);
    ds.OnFilterRecord = [](TClientDataSet &d, bool &accept) {
        EXPECT_EQ(d.State(), dsFilter);
        accept = !d.FieldByName(QStringLiteral("ZT"))->AsBoolean();
    };
    ds.SetFilter(QStringLiteral("SL < 10"));
    ds.SetFiltered(true);
    EXPECT_EQ(codes(ds), u"b01,B04"); // both must accept
    // A record edited out of the filter leaves the view; the cursor stays in place.
    ds.Edit();
    field(ds, "SL")->SetAsFloat(50);
    ds.Post();
    EXPECT_EQ(codes(ds), u"B04");
    EXPECT_EQ(field(ds, "BH")->AsString(), u"B04");
    ds.SetFiltered(false);
    EXPECT_EQ(ds.RecordCount(), 4);
}

TEST(Navigation, IndexesAscendingDescendingAndCaseInsensitive)
{
    TClientDataSet ds;
    createGoods(ds);
    ds.SetIndexFieldNames(QStringLiteral("BH"));
    EXPECT_EQ(codes(ds), u"A02,B04,a03,b01");
    EXPECT_EQ(field(ds, "BH")->AsString(), u"b01"); // the current record stays current
    ds.AddIndex(QStringLiteral("iBH"), QStringLiteral("BH"), ixDescending);
    ds.SetIndexName(QStringLiteral("iBH"));
    EXPECT_EQ(ds.IndexFieldNames(), u"");
    EXPECT_EQ(codes(ds), u"b01,a03,B04,A02");
    ds.AddIndex(QStringLiteral("ci"), QStringLiteral("BH"), ixCaseInsensitive);
    ds.SetIndexName(QStringLiteral("ci"));
    EXPECT_EQ(codes(ds), u"A02,a03,b01,B04");
    ds.SetIndexFieldNames(QStringLiteral("SL;BH")); // nulls first
    EXPECT_EQ(codes(ds), u"a03,B04,b01,A02");
    ds.AddIndex(QStringLiteral("mixed"), QStringLiteral("ZT;SL"), {}, QStringLiteral("SL"));
    ds.SetIndexName(QStringLiteral("mixed"));
    EXPECT_EQ(codes(ds), u"b01,B04,a03,A02");
    EXPECT_THROW(ds.SetIndexName(QStringLiteral("nope")), EDatabaseError);
    EXPECT_EQ(ds.IndexName(), u"mixed");
    ds.SetIndexName(QStringLiteral("DEFAULT_ORDER"));
    EXPECT_EQ(codes(ds), u"b01,A02,a03,B04");
}

TEST(Navigation, PostedRecordsTakeTheirPlaceInTheIndex)
{
    TClientDataSet ds;
    createGoods(ds);
    ds.SetIndexFieldNames(QStringLiteral("ID"));
    ds.Append();
    field(ds, "ID")->SetAsInteger(0);
    field(ds, "BH")->SetAsString(QStringLiteral("Z00"));
    EXPECT_EQ(codes(ds), u"b01,A02,a03,B04,Z00"); // at the end while inserting
    ds.Post();
    EXPECT_EQ(codes(ds), u"Z00,b01,A02,a03,B04");
    EXPECT_EQ(ds.RecNo(), 1);
    ds.Last();
    ds.Edit();
    field(ds, "ID")->SetAsInteger(2);
    ds.Post();
    EXPECT_EQ(codes(ds), u"Z00,b01,A02,B04,a03"); // equal keys keep their arrival order
    EXPECT_EQ(field(ds, "BH")->AsString(), u"B04");
}

TEST(Navigation, AggregatesFollowEditsDeletesAndFilters)
{
    TClientDataSet ds;
    createGoods(ds);
    TAggregate *sum = ds.Aggregates().Add(QStringLiteral("sumSL"), QStringLiteral("SUM(SL)"));
    TAggregate *count = ds.Aggregates().Add(QStringLiteral("n"), QStringLiteral("COUNT(*)"));
    TAggregate *counted = ds.Aggregates().Add(QStringLiteral("nSL"), QStringLiteral("count(SL)"));
    TAggregate *extremes =
        ds.Aggregates().Add(QStringLiteral("range"), QStringLiteral("MAX(SL) - MIN(SL)"));
    TAggregate *average = ds.Aggregates().Add(QStringLiteral("avg"), QStringLiteral("AVG(SL*2)"));
    sum->DisplayFormat = QStringLiteral("#,0.00");
    EXPECT_FALSE(sum->Value().isValid()); // aggregates are off
    ds.SetAggregatesActive(true);
    EXPECT_EQ(sum->Value().toDouble(), 17.5);
    EXPECT_EQ(sum->DisplayText(), u"17.50");
    EXPECT_EQ(count->Value().toInt(), 4);
    EXPECT_EQ(counted->Value().toInt(), 3);
    EXPECT_EQ(extremes->Value().toDouble(), 12.5);
    EXPECT_DOUBLE_EQ(average->Value().toDouble(), 35.0 / 3);
    ds.Edit();
    field(ds, "SL")->SetAsFloat(105);
    EXPECT_EQ(sum->Value().toDouble(), 17.5); // an unposted edit does not count
    ds.Post();
    EXPECT_EQ(sum->Value().toDouble(), 117.5);
    ds.Delete();
    EXPECT_EQ(sum->Value().toDouble(), 12.5);
    EXPECT_EQ(count->Value().toInt(), 3);
    ds.SetFilter(QStringLiteral("ID > 3"));
    ds.SetFiltered(true);
    EXPECT_EQ(sum->Value().toDouble(), 0);
    ds.SetFilter(QStringLiteral("ID > 30"));
    EXPECT_FALSE(sum->Value().isValid()); // over nothing
    EXPECT_EQ(count->Value().toInt(), 0);
    EXPECT_EQ(ds.Aggregates().Find(QStringLiteral("SUMSL")), sum);
    TAggregate *broken = ds.Aggregates().Add(QStringLiteral("x"), QStringLiteral("SL + 1"));
    EXPECT_THROW(broken->Value(), EDatabaseError);
    ds.Aggregates().Remove(broken);
    // Reopened, the dataset has new fields; the aggregates follow them.
    ds.Close();
    ds.SetFiltered(false);
    ds.CreateDataSet();
    ds.AppendRecord({7, "C07", "新", 2.25});
    EXPECT_EQ(sum->Value().toDouble(), 2.25);
}

TEST(Navigation, RowsAreReadWithoutMovingTheCursor)
{
    TClientDataSet ds;
    createGoods(ds);
    TDataSource source(&ds);
    int notifications = 0;
    source.OnDataChange = [&](TDataSource &, TField *) {
        ++notifications;
    };
    ds.BeforeScroll = [](TClientDataSet &) {
        ADD_FAILURE() << "scrolled";
    };
    TField *pm = field(ds, "PM");
    pm->SetDisplayFormat(QStringLiteral("ignored for text"));
    EXPECT_EQ(ds.RowDisplayText(1, pm), u"螺母");
    EXPECT_EQ(ds.RowValue(3, field(ds, "SL")).toDouble(), 0.0);
    EXPECT_FALSE(ds.RowValue(2, pm).isValid());
    EXPECT_FALSE(ds.RowValue(9, pm).isValid());
    {
        TClientDataSet::TRowScope scope(ds, 2);
        EXPECT_EQ(field(ds, "BH")->AsString(), u"a03");
        EXPECT_EQ(field(ds, "RQ")->DisplayText(), u"2024-02-28");
    }
    EXPECT_EQ(field(ds, "BH")->AsString(), u"b01");
    EXPECT_EQ(ds.CurrentRow(), 0);
    EXPECT_EQ(notifications, 1); // only the display format change
    ds.BeforeScroll = nullptr;
    // The row being edited shows the edit buffer.
    ds.Edit();
    pm->SetAsString(QStringLiteral("新"));
    EXPECT_EQ(ds.RowDisplayText(0, pm), u"新");
    ds.Post();
    EXPECT_EQ(ds.RowUpdateStatus(0), usModified);
    EXPECT_EQ(ds.RowUpdateStatus(1), usUnmodified);
    EXPECT_EQ(ds.RowOfBookmark(ds.RowBookmark(3)), 3);
    ds.MoveToRow(2);
    EXPECT_EQ(ds.RecNo(), 3);
}

TEST(Navigation, EmptyingAndCopyingData)
{
    TClientDataSet ds;
    createGoods(ds);
    ds.Edit();
    field(ds, "PM")->SetAsString(QStringLiteral("改"));
    ds.Post();
    // Data carries fields, records and the pending change.
    TClientDataSet copy;
    copy.SetData(ds.Data());
    EXPECT_EQ(codes(copy), u"b01,A02,a03,B04");
    EXPECT_EQ(copy.ChangeCount(), 1);
    EXPECT_EQ(copy.FieldByName(QStringLiteral("PM"))->OldValue().toString(), u"O'Neil 螺丝");
    ds.EmptyDataSet();
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_EQ(ds.ChangeCount(), 0);
    EXPECT_TRUE(ds.Active());
    ds.AppendRecord({9, "Z09"});
    EXPECT_EQ(codes(ds), u"Z09");
    EXPECT_EQ(copy.RecordCount(), 4);
}
