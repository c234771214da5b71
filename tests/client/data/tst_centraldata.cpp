// The central data module on a real account set: providers and command texts, the field
// rules applied when datasets open, calculated fields, new-record defaults, before-open
// rules, SetID, the scratch pool and the server-access routines, and the script restore.
#include "linktests.h"

#include "client/common/sqltext.h"
#include "client/core/session.h"
#include "client/data/scriptrestore.h"

#include <QDir>
#include <QFile>
#include <QSet>

using linktest::columnTexts;
using linktest::displayTexts;

class TestCentralData : public QObject
{
    Q_OBJECT

    vztest::TestWorld world{linktest::worldOptions()};

    // Whether the server understands the Jet text of SetID (the dialect translator).
    bool serverSpeaksJet()
    {
        try {
            QueryValue(QStringLiteral("select iif(isnull(max(ID)), 1, max(ID)+1) from HP"));
            return true;
        } catch (const EDatabaseError &) {
            return false;
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(world.start(), qPrintable(world.error()));
        // the new account set comes with catalogue rows; these tests bring their own
        for (const char *table : {"KH", "ZH", "SRZCLB", "HPHSFF", "QTKCBDLX", "CK", "SFKFS"})
            QVERIFY(ExecSQL(QStringLiteral("delete from ") + QLatin1String(table)));
    }
    void cleanupTestCase() { world.stop(); }
    void cleanup() { world.cleanup(); }

    void datasetsAreNamedAfterTheirProviders()
    {
        QSet<QString> names;
        for (int id = 0; id < TData::DataSetCount; ++id)
            names.insert(TData::DataSetName(TData::TDataSetId(id)).toUpper());
        QCOMPARE(int(TData::DataSetCount), 165);
        QCOMPARE(names.size(), 165);

        // the rule, and one case of each kind of exception
        QCOMPARE(Data().Hp().ProviderName(), QStringLiteral("pHp"));
        QCOMPARE(Data().HpHelp().ProviderName(), QStringLiteral("pHp"));
        QCOMPARE(Data().XsThgc().ProviderName(), QStringLiteral("pTmp"));
        QCOMPARE(Data().cdsCltFkRec().ProviderName(), QStringLiteral("pCltFkRec"));
        QCOMPARE(Data().ClientDataSet2().ProviderName(), QStringLiteral("pWy_Project"));

        QCOMPARE(Data().AppMenu().CommandText(),
                 QStringLiteral("select * from AppMenu order by mIndex"));
        QCOMPARE(Data().ZC_gh().CommandText(), QStringLiteral("select * from zc_gh where 1=2 "));
        QVERIFY(Data().Hp().CommandText().isEmpty());
        QCOMPARE(Data().Hp().PacketRecords(), 2000);
        QCOMPARE(Data().Tmp().RemoteServer(), &Data().cn());
        QCOMPARE(Data().CnBb().ServerName(), QStringLiteral("ZezU.DatasBb"));

        // by name, without regard to case, and the data sources beside them
        QCOMPARE(&Data().DataSetByName(QStringLiteral("xskdzb")), &Data().Xskdzb());
        QVERIFY(!Data().FindDataSet(QStringLiteral("NoSuchTable")));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, Data().DataSetByName(QStringLiteral("Nope")));
        QCOMPARE(Data().sKh().DataSet(), &Data().Kh());
        QCOMPARE(Data().sKh().Name(), QStringLiteral("sKh"));
        QCOMPARE(Data().FindDataSource(QStringLiteral("sAppUser")), &Data().sAppUser());

        // only one central module per run
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, TData());
    }

    void fixedCommandTextsRunOnTheServer()
    {
        TClientDataSet &menu = Data().AppMenu();
        menu.Open();
        QVERIFY(menu.RecordCount() > 0);
        int lastIndex = -1;
        for (menu.First(); !menu.Eof(); menu.Next()) {
            const int index = menu.FieldByName(QStringLiteral("mIndex"))->AsInteger();
            QVERIFY(index >= lastIndex);
            lastIndex = index;
        }
        menu.Close();
        for (TClientDataSet *ds : {&Data().XsSkgc(), &Data().QtkcbdHpHelp(), &Data().QProducts(),
                                   &Data().AppGroupDesktopClass()}) {
            ds->Open();
            QVERIFY2(ds->Active(), qPrintable(ds->Name()));
            ds->Close();
        }
    }

    void codedFieldsShowTheirTexts_data()
    {
        QTest::addColumn<QString>("dataSet");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QStringList>("texts");
        auto row = [](const char *name, const char *dataSet, const char *table, const char *rows,
                      const char *field, const QStringList &texts) {
            QTest::newRow(name) << QString::fromLatin1(dataSet) << QString::fromLatin1(table)
                                << QString::fromUtf8(rows) << QString::fromLatin1(field) << texts;
        };
        row("audit level", "Xskdzb", "XSKDZB",
            "(ID, DJBH, RQ, uFlag) values (1, 'X1', #2024-03-01#, 0), "
            "(2, 'X2', #2024-03-01#, 1), (3, 'X3', #2024-03-01#, 2)",
            "uFlag", {QStringLiteral("草稿"), QStringLiteral("审核"), QString()});
        row("tax rate", "Xskd", "XSKD", "(ZBID, HH, NSL) values (1, 1, 17), (1, 2, 13.5)", "NSL",
            {QStringLiteral("17%"), QStringLiteral("13.5%")});
        row("accounting method", "Hphsff", "HPHSFF",
            "(ID, MC, LB) values (1, 'a', 1), (2, 'b', 2), (3, 'c', 5), (4, 'd', 6)", "LB",
            {QStringLiteral("库存商品"), QStringLiteral("服务/劳务"), QStringLiteral("折扣"),
             QString()});
        row("stock change in", "Qtkcbdlx", "QTKCBDLX",
            "(ID, MC, RKL, THBZ) values (1, 'a', 1, 0), (2, 'b', 0, 1)", "RKL",
            {QStringLiteral("入库类"), QStringLiteral("出库类")});
        row("stock change return", "Qtkcbdlx", "QTKCBDLX",
            "(ID, MC, RKL, THBZ) values (1, 'a', 1, 0), (2, 'b', 0, 1)", "THBZ",
            {QStringLiteral("不需要"), QStringLiteral("需要")});
        row("wage method", "Yg", "YG",
            "(ID, BH, XM, JSFF) values (1, 'Y1', 'a', 1), (2, 'Y2', 'b', 2)", "JSFF",
            {QStringLiteral("月薪"), QStringLiteral("计件")});
        row("account kind", "Zh", "ZH", "(ID, MC, YHL) values (1, 'a', 1), (2, 'b', 0)", "YHL",
            {QStringLiteral("银行存款类"), QStringLiteral("现金类")});
        row("income kind", "Srzclb", "SRZCLB", "(ID, BH, SRL) values (1, '01', 1), (2, '02', 0)",
            "SRL", {QStringLiteral("收入类"), QStringLiteral("支出类")});
        row("income kind picker", "SrzclbHelp", "SRZCLB",
            "(ID, BH, SRL) values (1, '01', 1), (2, '02', 0)", "SRL",
            {QStringLiteral("收入类"), QStringLiteral("支出类")});
    }

    void codedFieldsShowTheirTexts()
    {
        QFETCH(QString, dataSet);
        QFETCH(QString, table);
        QFETCH(QString, rows);
        QFETCH(QString, field);
        QFETCH(QStringList, texts);
        world.afterTest(QStringLiteral("delete from ") + table);
        QVERIFY(ExecSQL(QStringLiteral("insert into ") + table + QLatin1Char(' ') + rows));
        TClientDataSet &ds = Data().DataSetByName(dataSet);
        ds.Open();
        QCOMPARE(displayTexts(ds, field), texts);
        // the editing text follows the same rule
        QCOMPARE(ds.FieldByName(field)->Text(), texts.first());
        ds.Close();
    }

    void menuCaptionsAreIndentedByLevel()
    {
        TClientDataSet &menu = Data().AppMenu();
        menu.Open();
        QVERIFY(menu.Locate(QStringLiteral("mLevel"), 1));
        const QString caption = menu.FieldByName(QStringLiteral("mCaption"))->AsString();
        QCOMPARE(menu.FieldByName(QStringLiteral("mCaption"))->DisplayText(),
                 QStringLiteral("    ") + caption);
        menu.Close();
    }

    void floatFieldsGetTheDefaultFormats()
    {
        world.afterTest(QStringLiteral("delete from HP"));
        world.afterTest(QStringLiteral("delete from ZH"));
        QVERIFY(ExecSQL(QStringLiteral(
            "insert into HP (ID, BH, PM, JJ, HPSXID) values (1, 'A1', '螺丝', 1234.5, 2)")));
        TClientDataSet &hp = Data().Hp();
        hp.Open();
        TField *price = hp.FieldByName(QStringLiteral("JJ"));
        QCOMPARE(price->DisplayFormat(), QStringLiteral("#,0.##"));
        QCOMPARE(price->EditFormat(), QStringLiteral("0.##"));
        QCOMPARE(price->DisplayText(), QStringLiteral("1,234.5"));
        QCOMPARE(price->Text(), QStringLiteral("1234.5"));
        // integers keep showing as plain numbers
        QVERIFY(hp.FieldByName(QStringLiteral("ID"))->DisplayFormat().isEmpty());
        hp.Close();

        // a field that has its own display format keeps it and edits without the ","
        TClientDataSet &zh = Data().Zh();
        world.afterTest([&zh] {
            zh.Close();
            for (const char *name : {"QCJE", "ID"}) {
                if (TField *field = zh.FindField(QLatin1String(name)))
                    zh.RemoveField(field);
            }
        });
        zh.AddField(ftInteger, QStringLiteral("ID"));
        zh.AddField(ftFloat, QStringLiteral("QCJE"))->SetDisplayFormat(QStringLiteral("#,0.00"));
        QVERIFY(
            ExecSQL(QStringLiteral("insert into ZH (ID, MC, QCJE) values (1, '现金', 1234.567)")));
        zh.Open();
        TField *opening = zh.FieldByName(QStringLiteral("QCJE"));
        QCOMPARE(opening->DisplayFormat(), QStringLiteral("#,0.00"));
        QCOMPARE(opening->EditFormat(), QStringLiteral("0.00"));
        QCOMPARE(opening->DisplayText(), QStringLiteral("1,234.57"));
        QCOMPARE(opening->Text(), QStringLiteral("1234.57"));
        zh.Close();

        // the scratch datasets hold what a form loads, as it comes
        QVERIFY(RunSQL(Data().Tmp(), QStringLiteral("select JJ from HP"), true));
        QVERIFY(Data().Tmp().Fields(0)->DisplayFormat().isEmpty());
        Data().Tmp().Close();
    }

    void moneyFormatsGoToPriceAndAmountFields()
    {
        QVERIFY(RunSQL(Data().Tmp(),
                       QStringLiteral("select 1.5 as DJ, 2.5 as cJE, 3.5 as SL, 4.5 as "
                                      "PriceLevel, 'x' as DJBH"),
                       true));
        TClientDataSet &tmp = Data().Tmp();
        SetMoneyFormats(tmp);
        QCOMPARE(tmp.FieldByName(QStringLiteral("DJ"))->DisplayFormat(), QStringLiteral("￥,0.00"));
        QCOMPARE(tmp.FieldByName(QStringLiteral("DJ"))->EditFormat(), QStringLiteral("0.00"));
        QCOMPARE(tmp.FieldByName(QStringLiteral("cJE"))->DisplayText(), QStringLiteral("￥2.50"));
        QCOMPARE(tmp.FieldByName(QStringLiteral("PriceLevel"))->DisplayFormat(),
                 QStringLiteral("￥,0.00"));
        QVERIFY(tmp.FieldByName(QStringLiteral("SL"))->DisplayFormat().isEmpty());
        QVERIFY(tmp.FieldByName(QStringLiteral("DJBH"))->DisplayFormat().isEmpty());
        tmp.Close();
    }

    void calculatedFields()
    {
        for (const char *table : {"Wy_ZHBX", "CY_KD", "Gz_JJGZ"})
            world.afterTest(QStringLiteral("delete from ") + QLatin1String(table));
        world.afterTest([] {
            for (TClientDataSet *ds :
                 {&Data().BaoXiu(), &Data().CY_KD(), &Data().GZ_JJGZ(), &Data().Gz_GXu()})
                ds->Close();
        });
        QVERIFY(ExecSQL(QStringLiteral(
            "insert into Wy_ZHBX (ZBID, HH, HPID, SL, DJ) values (1, 1, 1, 3, 2.5)")));
        Data().BaoXiu().Open();
        QCOMPARE(Data().BaoXiu().FieldByName(QStringLiteral("cJE"))->AsFloat(), 7.5);
        // it follows edits
        Data().BaoXiu().Edit();
        Data().BaoXiu().FieldByName(QStringLiteral("SL"))->SetAsFloat(4);
        QCOMPARE(Data().BaoXiu().FieldByName(QStringLiteral("cJE"))->AsFloat(), 10.0);
        Data().BaoXiu().Cancel();
        Data().BaoXiu().Close();

        QVERIFY(ExecSQL(QStringLiteral(
            "insert into CY_KD (ZBID, HH, HPID, SL, DJ, NSL) values (1, 1, 1, 2, 10, 0.9)")));
        Data().CY_KD().Open();
        QCOMPARE(Data().CY_KD().FieldByName(QStringLiteral("cJE"))->AsFloat(), 18.0);
        Data().CY_KD().Close();

        QVERIFY(ExecSQL(QStringLiteral(
            "insert into Gz_JJGZ (id, F_SL, F_DJ, F_JBGZ) values (1, 100, 1.5, 800)")));
        TClientDataSet &wages = Data().GZ_JJGZ();
        QVERIFY(!Data().Gz_GXu().Active());
        wages.Open();
        QVERIFY(Data().Gz_GXu().Active()); // the before-open rule
        QCOMPARE(wages.FieldByName(QStringLiteral("JE"))->AsFloat(), 950.0);
        QCOMPARE(wages.FieldByName(QStringLiteral("JE"))->FieldKind(), fkCalculated);
        wages.Close();
        Data().Gz_GXu().Close();
    }

    void newRecordsTakeTheServerDate()
    {
        const QDate today = Data().cn().AppServer().GetServerDate();

        TClientDataSet &house = Data().Oa_House();
        house.Open();
        house.Append();
        QCOMPARE(house.FieldByName(QStringLiteral("F_BillDate"))->AsDate(), today);
        house.Cancel();
        house.Close();

        TClientDataSet &leave = Data().Oa_Leave();
        leave.Open();
        leave.Append();
        QCOMPARE(leave.FieldByName(QStringLiteral("F_BillDate"))->AsDate(), today);
        QCOMPARE(leave.FieldByName(QStringLiteral("F_StartDate"))->AsDateTime(),
                 QDateTime(today, QTime(9, 0)));
        QCOMPARE(leave.FieldByName(QStringLiteral("F_EndDate"))->AsDateTime(),
                 QDateTime(today, QTime(17, 30)));
        leave.Cancel();
        leave.Close();

        TClientDataSet &fees = Data().cdsCltFyRec();
        fees.Open();
        fees.Append();
        QCOMPARE(fees.FieldByName(QStringLiteral("F_Year"))->AsInteger(), today.year());
        QCOMPARE(fees.FieldByName(QStringLiteral("F_Month"))->AsInteger(), today.month());
        QCOMPARE(fees.FieldByName(QStringLiteral("F_EditDate"))->AsDate(), today);
        fees.Cancel();
        fees.Close();

        // repair requests get a number from the counter table as well
        TClientDataSet &repairs = Data().BaoXiuzb();
        repairs.Open();
        const QString prefix = QStringLiteral("BX") + today.toString(QStringLiteral("yyyyMM"));
        repairs.Append();
        QCOMPARE(repairs.FieldByName(QStringLiteral("DJBH"))->AsString(),
                 prefix + QStringLiteral("0001"));
        QCOMPARE(repairs.FieldByName(QStringLiteral("F_bxDate"))->AsDate(), today);
        QCOMPARE(repairs.FieldByName(QStringLiteral("RQ"))->AsDate(), today);
        repairs.Cancel();
        repairs.Append();
        QCOMPARE(repairs.FieldByName(QStringLiteral("DJBH"))->AsString(),
                 prefix + QStringLiteral("0002"));
        repairs.Cancel();
        repairs.Close();

        TClientDataSet &order = Data().CY_KD();
        order.Open();
        order.Append();
        QCOMPARE(order.FieldByName(QStringLiteral("RQ"))->AsDate(), today);
        QCOMPARE(order.FieldByName(QStringLiteral("NSL"))->AsFloat(), 1.0);
        order.Cancel();
        order.Close();
    }

    void beforeOpenRulesOpenWhatLookupsNeed()
    {
        QVERIFY(!Data().Ck().Active());
        Data().Qtkcbdzb().Open();
        QVERIFY(Data().Ck().Active());
        QVERIFY(Data().Qtkcbdlx().Active());
        Data().Qtkcbdzb().Close();

        QVERIFY(!Data().Zh().Active());
        Data().Fykzzb().Open();
        QVERIFY(Data().Sfkfs().Active());
        QVERIFY(Data().Zh().Active());
        QCOMPARE(Data().Zh().CommandText(),
                 QStringLiteral("select  *, '现金类'  as aYHL  from ZH order by MC"));
        QVERIFY(Data().Zh().FindField(QStringLiteral("aYHL")));
        for (TClientDataSet *ds :
             {&Data().Fykzzb(), &Data().Sfkfs(), &Data().Zh(), &Data().Ck(), &Data().Qtkcbdlx()})
            ds->Close();
        Data().Zh().SetCommandText(QString());
    }

    void setIdTakesOneMoreThanTheLargestPositiveId()
    {
        if (!serverSpeaksJet())
            QSKIP("the server does not translate the Jet dialect yet");
        world.afterTest(QStringLiteral("delete from HP"));
        TClientDataSet &hp = Data().Hp();
        hp.Open();
        hp.Append();
        Data().SetID(hp);
        QCOMPARE(hp.FieldByName(QStringLiteral("ID"))->AsInteger(), 1); // empty table
        hp.Cancel();
        hp.Close();

        QVERIFY(ExecSQL(
            QStringLiteral("insert into HP (ID, BH) values (-5, 'N'), (0, 'Z'), (3, 'C')")));
        hp.Open();
        hp.Append();
        Data().SetID(hp);
        QCOMPARE(hp.FieldByName(QStringLiteral("ID"))->AsInteger(), 4);
        hp.Cancel();

        // not inserting: nothing
        QVERIFY(hp.Locate(QStringLiteral("ID"), 3));
        Data().SetID(hp);
        QCOMPARE(hp.State(), dsBrowse);
        QCOMPARE(hp.FieldByName(QStringLiteral("ID"))->AsInteger(), 3);
        hp.Close();

        QVERIFY(ExecSQL(QStringLiteral("delete from HP where ID > 0")));
        hp.Open();
        hp.Append();
        Data().SetID(hp); // only IDs of 0 and below: they do not count
        QCOMPARE(hp.FieldByName(QStringLiteral("ID"))->AsInteger(), 1);
        hp.Cancel();
        hp.Close();
    }

    void dialectRoutinesRunOnTheServerInBothDialects()
    {
        if (!serverSpeaksJet())
            QSKIP("the server does not translate the Jet dialect yet");
        world.afterTest(QStringLiteral("delete from XSKDZB"));
        world.afterTest([] {
            // the session's dialect as the login chose it
            Data().Xskdzb().Close();
            QString accountNo = QStringLiteral("001");
            Data().cn().AppServer().ConnectAct(0, accountNo);
            SessionInfo().DatabaseKind = 0;
        });
        QVERIFY(ExecSQL(QStringLiteral(
            "insert into XSKDZB (ID, DJBH, RQ, JE) values (1, 'XS1', #2024-02-28#, 10), "
            "(2, 'XS2', #2024-03-01#, 20), (3, 'XS3', #2024-03-31#, 30)")));
        for (const int kind : {0, 1}) {
            QString accountNo = QStringLiteral("001");
            QVERIFY(!Data().cn().AppServer().ConnectAct(kind, accountNo));
            SessionInfo().DatabaseKind = kind;
            const QString range = SQLDateRange(kind, true, QDate(2024, 3, 1), QDate(2024, 3, 31));
            QCOMPARE(QueryValue(QStringLiteral("select sum(M.JE) from XSKDZB M where 1=1") + range)
                         .toDouble(),
                     50.0);
            const QString late = SQLIif(kind, QStringLiteral("M.RQ >= #2024-03-01#"),
                                        QStringLiteral("M.JE"), QStringLiteral("0"));
            QCOMPARE(
                QueryValue(QStringLiteral("select sum(") + late + QStringLiteral(") from XSKDZB M"))
                    .toDouble(),
                50.0);
            QCOMPARE(QueryValue(QStringLiteral("select ") +
                                SQLIsNull(kind, QStringLiteral("max(M.JE)")) +
                                QStringLiteral(" from XSKDZB M where M.ID > 9"))
                         .toDouble(),
                     0.0);
            QCOMPARE(QueryValue(QStringLiteral("select count(*) from XSKDZB where RQ = ") +
                                SQLDate(kind, QDate(2024, 2, 28)))
                         .toInt(),
                     1);
            // SetID in the session's dialect
            TClientDataSet &headers = Data().Xskdzb();
            headers.Open();
            headers.Append();
            Data().SetID(headers);
            QCOMPARE(headers.FieldByName(QStringLiteral("ID"))->AsInteger(), 4);
            headers.Cancel();
            headers.Close();
        }
    }

    void nestedCallsTakeDifferentPoolMembers()
    {
        TClientDataSet &outer = GetFreeTmpDataSet();
        QCOMPARE(outer.Name(), QStringLiteral("TMP0"));
        QCOMPARE(outer.ProviderName(), QStringLiteral("pTmp"));
        QCOMPARE(outer.RemoteServer(), &Data().cn());
        outer.SetCommandText(QStringLiteral("select 1 as A"));
        outer.Open();
        {
            TTmpDataSet inner;
            QCOMPARE(inner->Name(), QStringLiteral("TMP1"));
            inner->SetCommandText(QStringLiteral("select 2 as B"));
            inner->Open();
            // a routine called meanwhile takes a third one and gives it back
            QCOMPARE(QueryValue(QStringLiteral("select 3")).toInt(), 3);
            QCOMPARE(Data().TmpPoolSize(), 3);
        }
        QCOMPARE(&GetFreeTmpDataSet(), Data().FindDataSet(QStringLiteral("TMP1")));
        outer.Close();
        // a member is handed out clean
        outer.BeforeOpen = [](TClientDataSet &) {
            Abort();
        };
        outer.SetFilter(QStringLiteral("A = 2"));
        outer.SetFiltered(true);
        outer.AddField(ftInteger, QStringLiteral("A"));
        TClientDataSet &again = GetFreeTmpDataSet();
        QCOMPARE(&again, &outer);
        QVERIFY(!again.BeforeOpen);
        QVERIFY(!again.Filtered());
        QCOMPARE(again.FieldCount(), 0);
        again.SetCommandText(QStringLiteral("select 5 as B"));
        again.Open();
        QCOMPARE(again.FieldByName(QStringLiteral("B"))->AsInteger(), 5);
        again.Close();
        QCOMPARE(Data().TmpPoolSize(), 3);
    }

    void heldMembersAreNotSharedBeforeTheyOpen()
    {
        TTmpDataSet first;
        TTmpDataSet second;
        QVERIFY(&*first != &*second);
        first->SetCommandText(QStringLiteral("select 1 as A"));
        second->SetCommandText(QStringLiteral("select 2 as A"));
        first->Open();
        second->Open();
        QCOMPARE(first->FieldByName(QStringLiteral("A"))->AsInteger(), 1);
        QCOMPARE(second->FieldByName(QStringLiteral("A"))->AsInteger(), 2);
        // closed but still held: a routine called meanwhile takes another member
        second->Close();
        QVERIFY(&GetFreeTmpDataSet() != &*second);
    }

    void queryRoutinesAndTheirFailures()
    {
        QCOMPARE(QueryValue(QStringLiteral("select JJ from HP where 1 = 2")), QVariant(0));
        QCOMPARE(QueryValue(QStringLiteral("select ID from HP where 1 = 2")), QVariant(0));
        QCOMPARE(QueryValue(QStringLiteral("select PM from HP where 1 = 2")), QVariant(QString()));
        QCOMPARE(QueryValue(QStringLiteral("select ZT from HP where 1 = 2")), QVariant(0));
        QVERIFY(!QueryValue(QStringLiteral("select RQ from XSKDZB where 1 = 2")).isValid());
        world.afterTest(QStringLiteral("delete from HP"));
        QVERIFY(ExecSQL(QStringLiteral("insert into HP (ID, BH, PM) values (1, 'A', 'O''Neil')")));
        QCOMPARE(QueryValue(QStringLiteral("select PM from HP where BH = ") +
                            QuotedStr(QStringLiteral("A"))),
                 QVariant(QStringLiteral("O'Neil")));
        QVERIFY(HasRows(QStringLiteral("select * from HP where PM = ") +
                        QuotedStr(QStringLiteral("O'Neil"))));
        QVERIFY(!HasRows(QStringLiteral("select * from HP where ID = 2")));

        // the server's error reaches the caller of the reading routines
        QVERIFY_THROWS_EXCEPTION(ERemoteError, QueryValue(QStringLiteral("select * from NOPE")));
        QVERIFY_THROWS_EXCEPTION(ERemoteError, HasRows(QStringLiteral("select * from NOPE")));
        // the statement routines answer false instead
        QVERIFY(!ExecSQL(QStringLiteral("insert into NOPE values (1)")));
        QVERIFY(!RunSQL(Data().Tmp(), QStringLiteral("select from"), true));
        QVERIFY(!Data().Tmp().Active());
        QVERIFY(
            RunSQL(Data().Tmp(), QStringLiteral("update HP set PM = 'x' where ID = 99"), false));
        QVERIFY(RunSQL(Data().Tmp(), QStringLiteral("select * from HP"), true));
        QCOMPARE(Data().Tmp().RecordCount(), 1);
        Data().Tmp().Close();

        // the pool is whole again after failures
        for (int i = 0; i < Data().TmpPoolSize(); ++i)
            QVERIFY(!Data().FindDataSet(QStringLiteral("TMP%1").arg(i))->Active());

        QStringList list{QStringLiteral("old")};
        QVERIFY(ExecSQL(QStringLiteral("insert into HP (ID, BH, PM) values (2, 'B', '螺母')")));
        FillListFromQuery(list, QStringLiteral("select PM from HP order by ID"), Data().Tmpf());
        QCOMPARE(list, (QStringList{QStringLiteral("O'Neil"), QStringLiteral("螺母")}));
    }

    void sqlToFieldsCopiesAsManyColumnsAsThereAre()
    {
        TClientDataSet target;
        target.FieldDefs().Add(QStringLiteral("A"), ftWideString, 20);
        target.FieldDefs().Add(QStringLiteral("B"), ftFloat);
        target.FieldDefs().Add(QStringLiteral("C"), ftDate);
        target.CreateDataSet();
        target.AppendRecord({QStringLiteral("a0"), 5.0, QDate(2024, 1, 1)});

        QVERIFY(
            SQLToFields(QStringLiteral("select 'one' as X"), target, QStringLiteral("A;B"), false));
        QCOMPARE(target.State(), dsEdit);
        QCOMPARE(target.FieldByName(QStringLiteral("A"))->AsString(), QStringLiteral("one"));
        QCOMPARE(target.FieldByName(QStringLiteral("B"))->AsFloat(), 5.0);
        target.Post();

        QVERIFY(SQLToFields(QStringLiteral("select 'two', 7.25"), target, QStringLiteral("A;B"),
                            false));
        QCOMPARE(target.FieldByName(QStringLiteral("B"))->AsFloat(), 7.25);
        target.Post();

        // no row: false, and the fields are left alone unless asked to clear them
        QVERIFY(!SQLToFields(QStringLiteral("select PM, JJ from HP where 1 = 2"), target,
                             QStringLiteral("A;B"), false));
        QCOMPARE(target.State(), dsBrowse);
        QCOMPARE(target.FieldByName(QStringLiteral("A"))->AsString(), QStringLiteral("two"));
        QVERIFY(!SQLToFields(QStringLiteral("select PM, JJ from HP where 1 = 2"), target,
                             QStringLiteral("A;B;C"), true));
        QCOMPARE(target.FieldByName(QStringLiteral("A"))->AsString(), QString());
        QCOMPARE(target.FieldByName(QStringLiteral("B"))->IsNull(), false);
        QCOMPARE(target.FieldByName(QStringLiteral("B"))->AsFloat(), 0.0);
        QCOMPARE(target.FieldByName(QStringLiteral("C"))->AsDate(), QDate(2024, 1, 1));
        target.Cancel();

        // an unknown field name is an error, not a silent skip
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, SQLToFields(QStringLiteral("select 1"), target,
                                                             QStringLiteral("Nope"), false));
        target.Cancel();
    }

    void scriptRestoreSkipsCommentsAndCollectsFailures()
    {
        QTemporaryDir work;
        world.afterTest(QStringLiteral("delete from KH"));
        world.afterTest([previous = QDir::currentPath()] { QDir::setCurrent(previous); });
        QDir::setCurrent(work.path());
        const QStringList lines{
            QStringLiteral("// backup of KH"),
            QString(),
            QStringLiteral("insert into KH (ID, BH, MC) values (1, 'K1', 'O''Neil')"),
            QStringLiteral("insert into NOPE values (1)"),
            QStringLiteral("   "),
            QStringLiteral("insert into KH (ID, BH, MC) values (2, 'K2', '二')"),
            QStringLiteral("insert into KH (ID, BH, MC) values (2, 'K2', 'again')"),
        };
        QFile script(work.filePath(QStringLiteral("backup.txt")));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(lines.join(QStringLiteral("\r\n")).toUtf8());
        script.close();

        QList<int> seen;
        const TScriptRestoreResult result =
            RestoreFromScriptFile(script.fileName(), Data().Tmp(), [&](int line, const QString &) {
                seen.append(line);
                return true;
            });
        QCOMPARE(seen.size(), lines.size());
        QCOMPARE(result.Executed, 2);
        QCOMPARE(result.Failed, (QStringList{lines[3], lines[6]}));
        QVERIFY(!result.Cancelled);
        QCOMPARE(QueryValue(QStringLiteral("select count(*) from KH")).toInt(), 2);
        QCOMPARE(QueryValue(QStringLiteral("select MC from KH where ID = 1")).toString(),
                 QStringLiteral("O'Neil"));
        QCOMPARE(ReadScriptFile(work.filePath(QStringLiteral("ErorSql.txt"))), result.Failed);

        // a restore the user stops runs no further line, and without failures no file is written
        QFile::remove(work.filePath(QStringLiteral("ErorSql.txt")));
        QVERIFY(ExecSQL(QStringLiteral("delete from KH")));
        const TScriptRestoreResult stopped = RestoreScriptLines(
            lines, Data().Tmp(), [](int line, const QString &) { return line < 3; });
        QVERIFY(stopped.Cancelled);
        QCOMPARE(stopped.Executed, 1);
        QVERIFY(stopped.Failed.isEmpty());
        QVERIFY(!QFile::exists(work.filePath(QStringLiteral("ErorSql.txt"))));

        // a script saved in GBK reads as well
        QFile gbk(work.filePath(QStringLiteral("gbk.txt")));
        QVERIFY(gbk.open(QIODevice::WriteOnly));
        gbk.write(QByteArray("insert into KH (ID, BH, MC) values (9, 'K9', '") +
                  QByteArray::fromHex("b2e2cad4") + QByteArray("')\r\n"));
        gbk.close();
        QCOMPARE(ReadScriptFile(gbk.fileName()).value(0).right(4), QStringLiteral("测试')"));
    }
};

int runCentralDataTests(int argc, char **argv)
{
    TestCentralData test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_centraldata.moc"
