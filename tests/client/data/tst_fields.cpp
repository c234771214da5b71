// Fields: conversions, display and edit texts, checks on assignment, calculated and lookup
// fields.
#include "client/data/formats.h"
#include "testdata.h"

namespace {

TField *field(TClientDataSet &ds, const char *name)
{
    return ds.FieldByName(QString::fromLatin1(name));
}

} // namespace

TEST(Fields, FindingFieldsByName)
{
    TClientDataSet ds(QStringLiteral("Cgdd"));
    createLines(ds);
    EXPECT_EQ(ds.FindField(QStringLiteral("bh")), ds.Fields(1));
    EXPECT_EQ(ds.FindField(QStringLiteral("NOPE")), nullptr);
    try {
        ds.FieldByName(QStringLiteral("NOPE"));
        FAIL();
    } catch (const EDatabaseError &e) {
        EXPECT_EQ(e.Message(), u"Lines: Field 'NOPE' not found");
    }
    EXPECT_EQ(ds.GetFieldNames(), (QStringList{"HH", "BH", "PM", "SL", "DJ", "JE", "RQ"}));
    EXPECT_EQ(ds.FieldByName(QStringLiteral("SL"))->Index(), 3);
    EXPECT_EQ(ds.FieldByName(QStringLiteral("SL"))->Alignment(), taRightJustify);
}

// The central module's defaults: "#,0.##" shown, the same without "," edited.
TEST(Fields, NumericDisplayAndEditMasks)
{
    TClientDataSet ds;
    createLines(ds);
    TField *je = field(ds, "JE");
    je->SetDisplayFormat(QStringLiteral("#,0.00"));
    je->SetEditFormat(QStringLiteral("0.00"));
    ds.Append();
    je->SetAsFloat(1234.567);
    EXPECT_EQ(je->DisplayText(), u"1,234.57");
    EXPECT_EQ(je->Text(), u"1234.57");
    EXPECT_EQ(je->AsFloat(), 1234.567); // formatting does not round the value
    // What an edit form does before posting: re-set the value from its shown text.
    je->SetText(je->Text());
    EXPECT_EQ(je->AsFloat(), 1234.57);
    EXPECT_EQ(je->DisplayText(), u"1,234.57");

    TField *hh = field(ds, "HH");
    hh->SetDisplayFormat(QStringLiteral("#,0.##"));
    hh->SetAsInteger(12345);
    EXPECT_EQ(hh->DisplayText(), u"12,345");
    EXPECT_EQ(hh->Text(), u"12,345"); // no edit mask: the display mask serves
    hh->SetEditFormat(QStringLiteral("0.##"));
    EXPECT_EQ(hh->Text(), u"12345");
    EXPECT_EQ(hh->AsString(), u"12345");

    TField *sl = field(ds, "SL");
    EXPECT_EQ(sl->DisplayText(), u""); // null
    sl->SetAsFloat(0.1 + 0.2);
    EXPECT_EQ(sl->AsString(), u"0.3");
    sl->SetText(QString());
    EXPECT_TRUE(sl->IsNull());
}

// The edit form's rule before posting: a value whose shown text has thousands separators is
// stored as shown (rounded to the displayed places); others keep all their digits.
TEST(Fields, RoundingToTheShownDigitsBeforePost)
{
    TClientDataSet ds;
    createLines(ds);
    TField *je = field(ds, "JE");
    je->SetDisplayFormat(QStringLiteral("#,##0.00"));
    ds.BeforePost = [](TClientDataSet &d) {
        for (int i = 0; i < d.FieldCount(); ++i) {
            TField *f = d.Fields(i);
            if (!f->IsNumeric() || f->DisplayFormat().isEmpty())
                continue;
            if (FormatFloat(f->DisplayFormat(), f->AsFloat()).contains(u','))
                f->SetText(FormatFloat(QString(f->DisplayFormat()).remove(u','), f->AsFloat()));
        }
    };
    ds.Append();
    je->SetAsFloat(1234.567);
    ds.Post();
    EXPECT_EQ(je->AsFloat(), 1234.57);
    ds.Append();
    je->SetAsFloat(12.345);
    ds.Post();
    EXPECT_EQ(je->AsFloat(), 12.345);
}

TEST(Fields, MoneyAndDecimalFields)
{
    TClientDataSet ds;
    ds.FieldDefs().Add(QStringLiteral("JE"), ftCurrency);
    ds.FieldDefs().Add(QStringLiteral("fTaxRate"), ftBCD, 2);
    ds.CreateDataSet();
    ds.Append();
    field(ds, "JE")->SetAsFloat(-1234.5);
    EXPECT_EQ(field(ds, "JE")->DisplayText(), u"-1,234.50");
    EXPECT_EQ(field(ds, "JE")->Text(), u"-1234.50");
    field(ds, "JE")->SetDisplayFormat(QStringLiteral("￥,0.00"));
    EXPECT_EQ(field(ds, "JE")->DisplayText(), u"-￥1,234.50");
    field(ds, "fTaxRate")->SetAsFloat(17.125);
    EXPECT_EQ(field(ds, "fTaxRate")->AsFloat(), 17.13); // stored with its two places
}

TEST(Fields, BadValuesAreRefusedAndChangeNothing)
{
    TClientDataSet ds;
    ds.FieldDefs().Add(QStringLiteral("N"), ftInteger);
    ds.FieldDefs().Add(QStringLiteral("S"), ftSmallint);
    ds.FieldDefs().Add(QStringLiteral("F"), ftFloat);
    ds.FieldDefs().Add(QStringLiteral("D"), ftDate);
    ds.FieldDefs().Add(QStringLiteral("B"), ftBoolean);
    ds.CreateDataSet();
    ds.Append();
    field(ds, "N")->SetAsInteger(7);
    EXPECT_THROW(field(ds, "N")->SetAsString(QStringLiteral("abc")), EConvertError);
    EXPECT_THROW(field(ds, "N")->SetAsString(QStringLiteral("1.5")), EConvertError);
    EXPECT_EQ(field(ds, "N")->AsInteger(), 7);
    field(ds, "N")->SetAsString(QStringLiteral("1,234"));
    EXPECT_EQ(field(ds, "N")->AsInteger(), 1234);
    EXPECT_THROW(field(ds, "S")->SetAsInteger(40000), EDatabaseError);
    EXPECT_TRUE(field(ds, "S")->IsNull());
    EXPECT_THROW(field(ds, "F")->SetAsString(QStringLiteral("12..5")), EConvertError);
    EXPECT_THROW(field(ds, "D")->SetAsString(QStringLiteral("2024-02-30")), EConvertError);
    field(ds, "D")->SetAsString(QStringLiteral("2024-3-1"));
    EXPECT_EQ(field(ds, "D")->AsDate(), QDate(2024, 3, 1));
    EXPECT_EQ(field(ds, "D")->DisplayText(), u"2024-03-01");
    EXPECT_EQ(field(ds, "D")->Value(), QVariant(QDate(2024, 3, 1)));
    EXPECT_THROW(field(ds, "B")->SetAsString(QStringLiteral("maybe")), EConvertError);
    field(ds, "B")->SetAsString(QStringLiteral("t"));
    EXPECT_TRUE(field(ds, "B")->AsBoolean());
    EXPECT_EQ(field(ds, "B")->AsString(), u"True");
    ds.Post();
    // Outside edit state nothing can be written.
    EXPECT_THROW(field(ds, "N")->SetAsInteger(1), EDatabaseError);
}

TEST(Fields, TextIsCutToTheFieldSize)
{
    TClientDataSet ds;
    ds.FieldDefs().Add(QStringLiteral("W"), ftWideString, 4);
    ds.FieldDefs().Add(QStringLiteral("A"), ftString, 5);
    ds.CreateDataSet();
    ds.Append();
    field(ds, "W")->SetAsString(QStringLiteral("螺丝螺母垫圈"));
    EXPECT_EQ(field(ds, "W")->AsString(), u"螺丝螺母");
    field(ds, "A")->SetAsString(QStringLiteral("汉字ab"));
    EXPECT_EQ(field(ds, "A")->AsString(), u"汉字a"); // five GBK bytes
    field(ds, "W")->SetAsString(QString());
    EXPECT_TRUE(field(ds, "W")->IsNull());
}

TEST(Fields, BooleanAndDateTimeTexts)
{
    TClientDataSet ds;
    ds.FieldDefs().Add(QStringLiteral("ZT"), ftBoolean);
    ds.FieldDefs().Add(QStringLiteral("SJ"), ftDateTime);
    ds.CreateDataSet();
    auto *zt = static_cast<TBooleanField *>(field(ds, "ZT"));
    zt->SetDisplayValues(QStringLiteral("是;否"));
    ds.Append();
    EXPECT_EQ(zt->DisplayText(), u"");
    zt->SetText(QStringLiteral("否"));
    EXPECT_FALSE(zt->AsBoolean());
    EXPECT_EQ(zt->DisplayText(), u"否");
    TField *sj = field(ds, "SJ");
    sj->SetAsDateTime(QDateTime(QDate(2024, 3, 1), QTime(0, 0)));
    EXPECT_EQ(sj->DisplayText(), u"2024-03-01");
    sj->SetText(QStringLiteral("2024-03-01 17:30"));
    EXPECT_EQ(sj->DisplayText(), u"2024-03-01 17:30:00");
    sj->SetDisplayFormat(QStringLiteral("yyyy年m月d日"));
    EXPECT_EQ(sj->DisplayText(), u"2024年3月1日");
    EXPECT_EQ(sj->AsFloat(), 45352 + 17.5 / 24);
}

TEST(Fields, GetTextSetTextValidateAndChange)
{
    TClientDataSet ds;
    createLines(ds);
    fillLines(ds);
    TField *sl = field(ds, "SL");
    sl->SetDisplayFormat(QStringLiteral("#,0.##"));
    // A zero-to-empty handler that keeps the mask for the other values.
    sl->OnGetText = [](TField &f, QString &text, bool displayText) {
        text = f.AsFloat() == 0 ? QString() : f.DefaultText(displayText);
    };
    EXPECT_EQ(ds.RowDisplayText(0, sl), u"10");
    EXPECT_EQ(ds.RowDisplayText(2, sl), u"");
    sl->OnSetText = [](TField &f, const QString &text) {
        f.SetAsFloat(text.toDouble() * 2);
    };
    sl->OnValidate = [](TField &f) {
        if (f.AsFloat() > 100)
            throw EDatabaseError(QStringLiteral("too many"));
    };
    int changes = 0;
    sl->OnChange = [&](TField &) {
        ++changes;
    };
    ds.Edit();
    sl->SetText(QStringLiteral("20"));
    EXPECT_EQ(sl->AsFloat(), 40);
    EXPECT_THROW(sl->SetText(QStringLiteral("60")), EDatabaseError);
    EXPECT_EQ(sl->AsFloat(), 40); // the refused value was taken back
    EXPECT_EQ(changes, 1);
}

TEST(Fields, ReadOnlyFieldsAndDataSets)
{
    TClientDataSet ds;
    createLines(ds);
    fillLines(ds);
    field(ds, "PM")->SetReadOnly(true);
    ds.Edit();
    EXPECT_THROW(field(ds, "PM")->SetAsString(QStringLiteral("x")), EDatabaseError);
    EXPECT_FALSE(field(ds, "PM")->CanModify());
    ds.Cancel();
    ds.SetReadOnly(true);
    EXPECT_THROW(ds.Edit(), EDatabaseError);
    EXPECT_THROW(ds.Append(), EDatabaseError);
    EXPECT_THROW(ds.Delete(), EDatabaseError);
    EXPECT_EQ(ds.State(), dsBrowse);
}

TEST(Fields, OldValueIsTheValueBeforeTheChangeLog)
{
    TClientDataSet ds;
    createLines(ds);
    fillLines(ds);
    ds.Edit();
    field(ds, "SL")->SetAsFloat(12);
    EXPECT_EQ(field(ds, "SL")->OldValue().toDouble(), 10);
    ds.Post();
    ds.Edit();
    field(ds, "SL")->SetAsFloat(13);
    ds.Post();
    EXPECT_EQ(field(ds, "SL")->OldValue().toDouble(), 10);
    EXPECT_EQ(field(ds, "SL")->AsFloat(), 13);
    ds.Append();
    EXPECT_FALSE(field(ds, "SL")->OldValue().isValid());
}

TEST(Fields, CalculatedFieldsFollowTheirInputs)
{
    TClientDataSet ds;
    ds.AddField(ftFloat, QStringLiteral("cJE"), 0, fkCalculated);
    createLines(ds);
    int runs = 0;
    ds.OnCalcFields = [&](TClientDataSet &d) {
        ++runs;
        EXPECT_EQ(d.State(), dsCalcFields);
        d.FieldByName(QStringLiteral("cJE"))
            ->SetAsFloat(d.FieldByName(QStringLiteral("SL"))->AsFloat() *
                         d.FieldByName(QStringLiteral("DJ"))->AsFloat());
    };
    fillLines(ds);
    EXPECT_EQ(ds.Fields(ds.FieldCount() - 1)->FieldName(), u"cJE"); // after the data fields
    EXPECT_EQ(ds.RowValue(0, field(ds, "cJE")).toDouble(), 25);
    EXPECT_EQ(ds.RowValue(1, field(ds, "cJE")).toDouble(), 5);
    ds.Edit();
    field(ds, "SL")->SetAsFloat(2);
    EXPECT_EQ(field(ds, "cJE")->AsFloat(), 5);
    ds.Cancel();
    EXPECT_EQ(field(ds, "cJE")->AsFloat(), 25);
    EXPECT_THROW(field(ds, "cJE")->SetAsFloat(1), EDatabaseError); // not outside calculation
    // A data field cannot be written while calculating.
    EXPECT_GT(runs, 3);
    ds.OnCalcFields = [](TClientDataSet &d) {
        d.FieldByName(QStringLiteral("SL"))->SetAsFloat(0);
    };
    EXPECT_THROW(ds.Edit(), EDatabaseError);
    EXPECT_EQ(ds.State(), dsBrowse);
}

TEST(Fields, LookupFieldsReadTheOtherDataSet)
{
    TClientDataSet goods(QStringLiteral("Hp"));
    goods.FieldDefs().Add(QStringLiteral("ID"), ftInteger);
    goods.FieldDefs().Add(QStringLiteral("PM"), ftWideString, 20);
    goods.CreateDataSet();
    goods.AppendRecord({1, QStringLiteral("螺丝")});
    goods.AppendRecord({2, QStringLiteral("螺母")});

    TClientDataSet lines;
    lines.AddLookupField(ftWideString, QStringLiteral("aPM"), QStringLiteral("HPID"), &goods,
                         QStringLiteral("ID"), QStringLiteral("PM"), 20);
    lines.FieldDefs().Add(QStringLiteral("HPID"), ftInteger);
    lines.CreateDataSet();
    lines.AppendRecord({2});
    EXPECT_EQ(lines.FieldByName(QStringLiteral("aPM"))->AsString(), u"螺母");
    lines.Edit();
    lines.FieldByName(QStringLiteral("HPID"))->SetAsInteger(1);
    EXPECT_EQ(lines.FieldByName(QStringLiteral("aPM"))->DisplayText(), u"螺丝");
    lines.FieldByName(QStringLiteral("HPID"))->SetAsInteger(9);
    EXPECT_TRUE(lines.FieldByName(QStringLiteral("aPM"))->IsNull());
    EXPECT_THROW(lines.FieldByName(QStringLiteral("aPM"))->SetAsString(QStringLiteral("x")),
                 EDatabaseError);
    lines.Cancel();
    // The lookup follows changes of the looked-up records.
    goods.Locate(QStringLiteral("ID"), 2);
    goods.Edit();
    goods.FieldByName(QStringLiteral("PM"))->SetAsString(QStringLiteral("六角螺母"));
    goods.Post();
    EXPECT_EQ(lines.FieldByName(QStringLiteral("aPM"))->AsString(), u"六角螺母");
    EXPECT_EQ(goods.Lookup(QStringLiteral("ID"), QStringLiteral("1"), QStringLiteral("PM")),
              QVariant(QStringLiteral("螺丝")));
    EXPECT_FALSE(goods.Lookup(QStringLiteral("ID"), 5, QStringLiteral("PM")).isValid());
}

TEST(Fields, PersistentFieldsKeepTheirSettingsAcrossOpens)
{
    TClientDataSet ds;
    TField *bh = ds.AddField(ftWideString, QStringLiteral("BH"), 10);
    bh->SetDisplayLabel(QStringLiteral("编号"));
    ds.AddField(ftFloat, QStringLiteral("SL"));
    ds.CreateDataSet();
    EXPECT_EQ(ds.FieldCount(), 2);
    ds.AppendRecord({QStringLiteral("A"), 1.5});
    ds.Close();
    EXPECT_EQ(ds.FindField(QStringLiteral("BH")), bh);
    EXPECT_EQ(bh->DisplayLabel(), u"编号");
    ds.CreateDataSet();
    EXPECT_EQ(ds.FieldByName(QStringLiteral("BH")), bh);
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_THROW(ds.AddField(ftInteger, QStringLiteral("X")), EDatabaseError);
}
