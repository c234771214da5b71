// The rules of the list and edit forms that need no server: the table script's value rules,
// the goods attribute filter's condition, the universal find's matching, the code of a new
// record and the quoting of the reference probes.
#include "client/data/clientdataset.h"
#include "client/data/fields.h"
#include "client/forms/checkreferenced.h"
#include "client/forms/comedit.h"
#include "client/forms/filternew.h"
#include "client/forms/findpublic.h"
#include "client/forms/tablescript.h"

#include <QDate>
#include <QDateTime>

#include <gtest/gtest.h>

namespace {

// A table with every kind of column the script writes differently.
class ScriptTable : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TFieldDefs &defs = ds.FieldDefs();
        defs.Add(QStringLiteral("ID"), ftInteger);
        defs.Add(QStringLiteral("MC"), ftString, 40);
        defs.Add(QStringLiteral("QC"), ftWideString, 40);
        defs.Add(QStringLiteral("JE"), ftFloat);
        defs.Add(QStringLiteral("RQ"), ftDate);
        defs.Add(QStringLiteral("SJ"), ftDateTime);
        defs.Add(QStringLiteral("ZT"), ftBoolean);
        defs.Add(QStringLiteral("BZ"), ftMemo);
        defs.Add(QStringLiteral("Pict"), ftBlob);
        ds.CreateDataSet();
    }
    TClientDataSet ds;
};

TEST_F(ScriptTable, writesDeleteThenOneInsertPerRowWithTheValueRules)
{
    ds.AppendRecord({1, QStringLiteral("  O'Neil  "), QStringLiteral("全称"), 1234.5,
                     QDate(2024, 3, 1), QDateTime(QDate(2024, 3, 1), QTime(8, 30)), true,
                     QStringLiteral("memo"), QByteArray("\x01\x02", 2)});
    ds.AppendRecord({2, QVariant(), QStringLiteral("第一行\r\n第二行"), QVariant(), QVariant(),
                     QVariant(), false, QVariant(), QVariant()});
    QStringList lines;
    AppendTableScript(QStringLiteral("KH"), ds, lines);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], QStringLiteral("delete from KH"));
    EXPECT_EQ(lines[1],
              QStringLiteral("insert into KH(ID,MC,QC,JE,RQ,SJ,ZT,BZ,Pict) Values(1,'O''Neil',"
                             "'全称',1234.5,'2024-03-01','2024-03-01 08:30:00',True,null,null) "));
    // Null values are Null, blobs and memos null whatever they hold, and a line break keeps
    // the statement on one line.
    EXPECT_EQ(lines[2], QStringLiteral("insert into KH(ID,MC,QC,JE,RQ,SJ,ZT,BZ,Pict) Values(2,Null,"
                                       "'第一行' + char(13) + '' + char(10) + '第二行',"
                                       "Null,Null,Null,False,null,null) "));
}

TEST_F(ScriptTable, exactValuesKeepWhatTheListedOnesTrimOrDrop)
{
    ds.AppendRecord({1, QStringLiteral("  O'Neil  "), QStringLiteral("a\r\nb"), 0.1 + 0.2,
                     QDate(2024, 3, 1), QDateTime(QDate(2024, 3, 1), QTime(8, 30, 5)), false,
                     QStringLiteral(" 备注\n"), QByteArray("\x00\xff\x10", 3)});
    ds.AppendRecord({2, QVariant(), QVariant(), 1e-300, QVariant(), QVariant(), true, QVariant(),
                     QByteArray()});
    QStringList lines;
    AppendTableScript(QStringLiteral("KH"), ds, lines, ExactScriptValues(0));
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[1], QStringLiteral("insert into KH(ID,MC,QC,JE,RQ,SJ,ZT,BZ,Pict) Values(1,"
                                       "'  O''Neil  ','a' + char(13) + '' + char(10) + 'b',"
                                       "0.30000000000000004,#2024-03-01#,#2024-03-01 08:30:05#,"
                                       "False,' 备注' + char(10) + '',unhex('00ff10')) "));
    EXPECT_EQ(lines[2], QStringLiteral("insert into KH(ID,MC,QC,JE,RQ,SJ,ZT,BZ,Pict) Values(2,"
                                       "Null,Null,1e-300,Null,Null,True,Null,unhex('')) "));

    // T-SQL has no date literal and no True: quoted dates, 1 and 0.
    lines.clear();
    AppendTableScript(QStringLiteral("KH"), ds, lines, ExactScriptValues(1));
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[1].contains(QStringLiteral(
        "0.30000000000000004,'2024-03-01','2024-03-01 08:30:05',0,' 备注' + char(10) + ''")))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[2].contains(QStringLiteral(",1e-300,Null,Null,1,Null,unhex('')) ")))
        << lines[2].toStdString();
}

TEST_F(ScriptTable, systemTablesAndViewsGiveNothing)
{
    ds.AppendRecord({1, QStringLiteral("a")});
    for (const char *name : {"MSysObjects", "vi_Stock", "QY1", "QY3"}) {
        QStringList lines;
        AppendTableScript(QLatin1String(name), ds, lines);
        EXPECT_TRUE(lines.isEmpty()) << name;
    }
    QStringList lines;
    AppendTableScript(QStringLiteral("QY2"), ds, lines);
    EXPECT_EQ(lines.size(), 2);
}

TEST(AttrFilter, onlyRowsWithAValueJoinedByTheirLinks)
{
    QList<TAttrFilterRow> rows{
        {QStringLiteral("与"), QStringLiteral("货品编号"), QStringLiteral("="), QString(),
         QStringLiteral("BH")},
        {QStringLiteral("与"), QStringLiteral("货品名称"), QStringLiteral("包含"),
         QStringLiteral("abc"), QStringLiteral("PM")},
        {QStringLiteral("或"), QStringLiteral("助记码"), QStringLiteral("="), QStringLiteral("O'N"),
         QStringLiteral("ZJM")},
        {QStringLiteral("与"), QStringLiteral("颜色"), QStringLiteral(">="), QStringLiteral("红"),
         QStringLiteral("SX1")},
    };
    EXPECT_EQ(AttrFilterText(rows), QStringLiteral("(H.PM like '%abc%') or (H.ZJM='O''N') and "
                                                   "(H.SX1>='红')"));
    // A value only in the name row gives one parenthesised like-condition, whatever its link.
    rows[2].Value.clear();
    rows[3].Value.clear();
    rows[1].Flag = QStringLiteral("或");
    EXPECT_EQ(AttrFilterText(rows), QStringLiteral("(H.PM like '%abc%')"));
}

TEST(FindRow, wholeValueCaseAndStartRow)
{
    TClientDataSet ds;
    ds.FieldDefs().Add(QStringLiteral("MC"), ftWideString, 20);
    ds.CreateDataSet();
    for (const char *name : {"螺丝ABC", "abc", "ABCD", "螺母"})
        ds.AppendRecord({QString::fromUtf8(name)});
    TFindOptions options;
    options.FieldName = QStringLiteral("MC");
    options.Text = QStringLiteral("abc");
    EXPECT_EQ(FindRow(ds, options, 0), 0);
    EXPECT_EQ(FindRow(ds, options, 1), 1);
    options.CaseSensitive = true;
    EXPECT_EQ(FindRow(ds, options, 0), 1);
    options.CaseSensitive = false;
    options.WholeValue = true;
    EXPECT_EQ(FindRow(ds, options, 2), -1);
    options.Text = QStringLiteral("ABC");
    EXPECT_EQ(FindRow(ds, options, 0), 1);
    options.Text.clear();
    EXPECT_EQ(FindRow(ds, options, 0), -1);
}

TEST(NewRecordCode, padsToFourDigitsAndLeavesLongerNumbers)
{
    EXPECT_EQ(ZeroPaddedCode(1), QStringLiteral("0001"));
    EXPECT_EQ(ZeroPaddedCode(7), QStringLiteral("0007"));
    EXPECT_EQ(ZeroPaddedCode(12345), QStringLiteral("12345"));
}

TEST(ReferenceProbe, textKeysAndOddIdsAreQuoted)
{
    EXPECT_EQ(ReferenceProbe(QStringLiteral("yhz"), QStringLiteral("O'Neil组")).Sql,
              QStringLiteral(" select top 1 1 from AppUser where gName = 'O''Neil组'"));
    const TReferenceProbe dept = ReferenceProbe(QStringLiteral("Dept"), QStringLiteral("7"));
    EXPECT_EQ(dept.Sql, QStringLiteral(" select top 1 1 from CK where BMID = 7 union "
                                       " select top 1 1 from AppUserGroup where gMemo = '7' union "
                                       " select top 1 1 from YG where bmid = 7"));
    EXPECT_EQ(dept.Message, QStringLiteral("部门可能被【仓库，员工，用户组】引用,不能删除！"));
    // Every part of the probe quotes it.
    const QString goods = ReferenceProbe(QStringLiteral("HP"), QStringLiteral("1 or 1=1")).Sql;
    EXPECT_EQ(goods.count(QStringLiteral("'1 or 1=1'")),
              goods.count(QStringLiteral(" union ")) + 1);
    EXPECT_EQ(goods.count(QStringLiteral("1 or 1=1")), goods.count(QStringLiteral("'1 or 1=1'")));
    EXPECT_TRUE(ReferenceProbe(QStringLiteral("CK"), QStringLiteral("1")).Sql.isEmpty());
}

} // namespace
