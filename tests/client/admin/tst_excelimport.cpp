#include "client/admin/excelimport.h"
#include "client/admin/importworkbook.h"
#include "client/common/gbk.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <xlsxwriter.h>

namespace {

QList<TImportField> goodsFields()
{
    return {
        {QStringLiteral("BH"), QStringLiteral("货品编号"), QStringLiteral("S")},
        {QStringLiteral("MC"), QStringLiteral("货品名称"), QStringLiteral("S")},
        {QStringLiteral("HPLBID"), QStringLiteral("货品类别"), QStringLiteral("S")},
        {QStringLiteral("JJ"), QStringLiteral("进价"), QStringLiteral("F")},
        {QStringLiteral("CKID"), QStringLiteral("仓库"), QStringLiteral("F")},
        {QStringLiteral("GG"), QStringLiteral("规格"), QStringLiteral("S")},
    };
}

const QStringList GoodsHeadings = {QStringLiteral("货品编号"), QStringLiteral("货品名称"),
                                   QStringLiteral("货品类别"), QStringLiteral("进价"),
                                   QStringLiteral("仓库")};

QList<TImportField> mappedGoods()
{
    QList<TImportField> fields = goodsFields();
    MapFieldsByHeading(fields, GoodsHeadings);
    return fields;
}

} // namespace

class TstExcelImport : public QObject
{
    Q_OBJECT

private slots:
    void headingsMapOnlyOnExactEquality()
    {
        QList<TImportField> fields = goodsFields();
        MapFieldsByHeading(fields, {QStringLiteral("货品名称 "), QStringLiteral("进价")});
        QCOMPARE(fields[1].Column, -1);
        QCOMPARE(fields[3].Column, 1);
        QCOMPARE(fields[5].Column, -1);
    }

    void valuesByDataType_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("value");
        QTest::newRow("empty text is null") << "S"
                                            << "" << true << "Null";
        QTest::newRow("text quoted") << "S"
                                     << "O'Neil" << true << "'O''Neil'";
        QTest::newRow("empty number is 0") << "F"
                                           << "" << true << "0";
        QTest::newRow("number as text") << "F"
                                        << " 1,200.5 " << true << "1200.5";
        QTest::newRow("no number") << "F"
                                   << "abc" << false << "";
        QTest::newRow("other: date") << "D"
                                     << "2024-03-05" << true << "#2024-03-05#";
        QTest::newRow("other: number") << "D"
                                       << "12" << true << "12";
        QTest::newRow("other: text quoted") << "D"
                                            << "a'b" << true << "'a''b'";
        QTest::newRow("other: empty") << "D"
                                      << "" << true << "Null";
    }
    void valuesByDataType()
    {
        QFETCH(QString, type);
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(QString, value);
        QString written;
        QCOMPARE(TImportBuilder::ConvertValue(type, text, &written), ok);
        if (ok)
            QCOMPARE(written, value);
    }

    void newCategoryIsCreatedOnceForManyRows()
    {
        TImportNames names;
        names.Add(TImportNames::GoodsCategory, QStringLiteral("7"), QStringLiteral("饮料"));
        TImportBuilder builder(QStringLiteral("hp"), mappedGoods(), true, &names);
        QString error;
        for (int i = 0; i < 100; ++i) {
            const QString category = i % 2 ? QStringLiteral("新类") : QStringLiteral("饮料");
            QVERIFY(builder.AddRow({QString::number(i), QStringLiteral("品"), category,
                                    QStringLiteral("1"), QString()},
                                   &error));
        }
        QCOMPARE(builder.Created(),
                 QStringList{" insert into pub_ItemType(ItemType,TypeName) values (8,'新类')"});
        QCOMPARE(builder.Imported(), 100);
        QVERIFY(builder.Inserts()[0].contains(QStringLiteral("Values(1,'0','品',7,1,0)")));
        QVERIFY(builder.Inserts()[1].contains(QStringLiteral("Values(2,'1','品',8,1,0)")));
        QCOMPARE(builder.Statements().first(), builder.Created().first());
    }

    void lookupOfEachKind_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("created");
        QTest::newRow("department") << "BMID"
                                    << "销售部"
                                    << "1"
                                    << " insert into bm(id,mc) values (1,'销售部')";
        QTest::newRow("depart") << "Depart"
                                << "财务"
                                << "1"
                                << " insert into bm(id,mc) values (1,'财务')";
        QTest::newRow("warehouse") << "CKID"
                                   << "北库"
                                   << "1"
                                   << " insert into ck(id,mc) values (1,'北库')";
        QTest::newRow("warehouse 0 is no name") << "CKID"
                                                << "0"
                                                << "0"
                                                << "";
        QTest::newRow("empty name is 1") << "BMID"
                                         << ""
                                         << "1"
                                         << "";
        QTest::newRow("employee category")
            << "ItemType"
            << "临时工"
            << "'临时工'"
            << " insert into zc_Project(id,pid,name) values (1,9991,'临时工')";
        QTest::newRow("quote in a name") << "BMID"
                                         << "A'B"
                                         << "1"
                                         << " insert into bm(id,mc) values (1,'A''B')";
    }
    void lookupOfEachKind()
    {
        QFETCH(QString, code);
        QFETCH(QString, cell);
        QFETCH(QString, value);
        QFETCH(QString, created);
        TImportNames names;
        const QList<TImportField> fields = {
            {QStringLiteral("BH"), QStringLiteral("编号"), QStringLiteral("S"), 0},
            {code, QStringLiteral("名"), QStringLiteral("F"), 1},
        };
        TImportBuilder builder(QStringLiteral("t"), fields, false, &names);
        QString error;
        QVERIFY(builder.AddRow({QStringLiteral("k"), cell}, &error));
        QCOMPARE(builder.Inserts(),
                 QStringList{" Insert Into t(BH," + code + ") Values('k'," + value + ")"});
        QCOMPARE(builder.Created(), created.isEmpty() ? QStringList() : QStringList{created});
    }

    void refusedRowCreatesNothingAndKeepsIds()
    {
        TImportNames names;
        TImportBuilder builder(QStringLiteral("hp"), mappedGoods(), true, &names);
        QString error;
        QVERIFY(!builder.AddRow({QStringLiteral("A1"), QStringLiteral("品"), QStringLiteral("坏类"),
                                 QStringLiteral("十元")},
                                &error));
        QVERIFY(error.contains(QStringLiteral("进价")));
        QVERIFY(error.contains(QStringLiteral("十元")));
        QVERIFY(builder.Created().isEmpty());
        QVERIFY(builder.AddRow({QStringLiteral("A2"), QStringLiteral("品"), QStringLiteral("坏类"),
                                QStringLiteral("10")},
                               &error));
        QCOMPARE(builder.Created().size(), 1);
        QVERIFY(builder.Inserts().first().contains(QStringLiteral("Values(1,'A2'")));
    }

    // What the column takes: GBK bytes (two per Chinese character) and not null.
    void rowsTheColumnsCannotTakeAreRefused_data()
    {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("reason");
        QTest::newRow("fits in bytes") << "张三" << true << "";
        QTest::newRow("one byte over") << "张三a" << false << "【名称】超过4个字节：张三a";
        QTest::newRow("ascii fits") << "abcd" << true << "";
        QTest::newRow("empty not null") << "" << false << "【名称】不能为空";
    }
    void rowsTheColumnsCannotTakeAreRefused()
    {
        QFETCH(QString, cell);
        QFETCH(bool, ok);
        QFETCH(QString, reason);
        TImportNames names;
        TImportField name{QStringLiteral("MC"), QStringLiteral("名称"), QStringLiteral("S"), 1};
        name.MaxBytes = 4;
        name.Required = true;
        const QList<TImportField> fields = {
            {QStringLiteral("BH"), QStringLiteral("编号"), QStringLiteral("S"), 0}, name};
        TImportBuilder builder(QStringLiteral("t"), fields, false, &names);
        QString error;
        QCOMPARE(builder.AddRow({QStringLiteral("k"), cell}, &error), ok);
        QCOMPARE(error, reason);
    }

    void rowWithoutKeyIsSkipped()
    {
        TImportNames names;
        TImportBuilder builder(QStringLiteral("hp"), mappedGoods(), true, &names);
        QString error;
        QVERIFY(builder.AddRow({QStringLiteral(" "), QStringLiteral("品"), QStringLiteral("类")},
                               &error));
        QCOMPARE(builder.Imported(), 0);
        QVERIFY(builder.Statements().isEmpty());
    }

    // A workbook as a clerk saves it: two sheets, a date cell, a number typed as text.
    void idsRunOnAcrossSheetsOfAWorkbook()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("goods.xlsx"));
        lxw_workbook *workbook = workbook_new(file.toUtf8().constData());
        lxw_format *date = workbook_add_format(workbook);
        format_set_num_format(date, "yyyy-mm-dd");
        const int counts[] = {3, 2};
        for (int s = 0; s < 2; ++s) {
            lxw_worksheet *sheet =
                workbook_add_worksheet(workbook, QStringLiteral("表%1").arg(s + 1).toUtf8());
            for (int c = 0; c < GoodsHeadings.size(); ++c)
                worksheet_write_string(sheet, 0, lxw_col_t(c), GoodsHeadings[c].toUtf8(), nullptr);
            for (int r = 1; r <= counts[s]; ++r) {
                worksheet_write_string(sheet, lxw_row_t(r), 0,
                                       QStringLiteral("S%1-%2").arg(s).arg(r).toUtf8(), nullptr);
                worksheet_write_string(sheet, lxw_row_t(r), 3, "12.5", nullptr);
            }
            lxw_datetime when = {2024, 3, 5, 0, 0, 0};
            worksheet_write_datetime(sheet, 1, 5, &when, date);
        }
        QCOMPARE(workbook_close(workbook), LXW_NO_ERROR);

        QList<TImportSheet> sheets;
        QString error;
        QVERIFY2(ReadImportWorkbook(file, &sheets, &error), qPrintable(error));
        QCOMPARE(sheets.size(), 2);
        QCOMPARE(sheets[1].Name, QStringLiteral("表2"));
        QCOMPARE(sheets[0].Rows[1].value(5), QStringLiteral("2024-03-05"));

        QList<TImportField> fields = goodsFields();
        MapFieldsByHeading(fields, sheets[0].Rows[0]);
        TImportNames names;
        TImportBuilder builder(QStringLiteral("hp"), fields, true, &names);
        for (const TImportSheet &sheet : std::as_const(sheets))
            for (int r = 1; r < sheet.Rows.size(); ++r)
                QVERIFY2(builder.AddRow(sheet.Rows[r], &error), qPrintable(error));
        QCOMPARE(builder.Imported(), 5);
        QCOMPARE(builder.Inserts()[3],
                 " Insert Into hp(id,BH,MC,HPLBID,JJ,CKID) Values(4,'S1-1',Null,1,12.5,0)");
    }

    // The old binary workbooks and text files come in through the same seam: dates as the
    // day, codes kept as typed, an empty cell empty; a GBK file read as GBK.
    void xlsAndCsvWorkbooksAreReadToo()
    {
        QList<TImportSheet> sheets;
        QString error;
        QVERIFY2(ReadImportWorkbook(QStringLiteral(VZ_TEST_DATA "/import.xls"), &sheets, &error),
                 qPrintable(error));
        QCOMPARE(sheets.size(), 2);
        QCOMPARE(sheets[0].Name, QStringLiteral("货品"));
        QCOMPARE(
            sheets[0].Rows[1],
            (QStringList{QStringLiteral("00012"), QStringLiteral("铅笔"), QStringLiteral("1.25"),
                         QStringLiteral("2024-02-29"), QStringLiteral("HB")}));
        QCOMPARE(sheets[0].Rows[2].value(3), QStringLiteral("2025-01-02 13:45:30"));
        QCOMPARE(sheets[0].Rows[3].value(1), QString());

        QTemporaryDir dir;
        const QString csv = dir.filePath(QStringLiteral("goods.csv"));
        QFile f(csv);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(ToGbk(QStringLiteral("编号,名称,单价\n00021,\"红, 蓝笔\",2.5\n")));
        f.close();
        QVERIFY2(ReadImportWorkbook(csv, &sheets, &error), qPrintable(error));
        QCOMPARE(sheets.size(), 1);
        QCOMPARE(sheets[0].Rows[1],
                 (QStringList{QStringLiteral("00021"), QStringLiteral("红, 蓝笔"),
                              QStringLiteral("2.5")}));
    }

    void notAWorkbookIsRefused()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("x.xlsx"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a workbook");
        f.close();
        QList<TImportSheet> sheets;
        QString error;
        QVERIFY(!ReadImportWorkbook(file, &sheets, &error));
        QVERIFY(!error.isEmpty());
    }

    void statementsAreJoinedIntoFewParts()
    {
        QStringList statements;
        for (int i = 0; i < 1201; ++i)
            statements << QStringLiteral("s%1").arg(i);
        const QStringList parts = JoinIntoParts(statements);
        QCOMPARE(parts.size(), 3);
        QVERIFY(parts[2].startsWith(QStringLiteral("s1000;\n")));
        QVERIFY(parts[2].endsWith(QStringLiteral(";\ns1200")));
        QVERIFY(parts[0].startsWith(QStringLiteral("s0;\ns1;")));
    }
};

QTEST_GUILESS_MAIN(TstExcelImport)
#include "tst_excelimport.moc"
