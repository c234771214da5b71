// Grid exports from real grids over real datasets: the one-pass workbook of 27 and 52 columns
// (the column letters of the target block), carriage returns dropped, a CSV round trip, a
// server list read back from its workbook, and the table script restored through the server.
#include "client/data/datasource.h"
#include "client/data/fields.h"
#include "client/data/scriptrestore.h"
#include "client/forms/gridworkbook.h"
#include "client/forms/tablescript.h"
#include "client/output/excelexport.h"
#include "client/output/gridexport.h"
#include "client/output/xlsxreader.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/gridexportsource.h"
#include "formstests.h"

#include <QFile>
#include <QTemporaryDir>

using namespace formstest;

namespace {

// A dataset of `columns` columns (text, amount, date in turn) and `rows` rows on a grid.
struct WideTable
{
    WideTable(int columns, int rows)
    {
        for (int c = 0; c < columns; ++c) {
            const QString name = QStringLiteral("F%1").arg(c + 1);
            switch (c % 3) {
            case 0:
                ds.FieldDefs().Add(name, ftWideString, 40);
                break;
            case 1:
                ds.FieldDefs().Add(name, ftFloat);
                break;
            default:
                ds.FieldDefs().Add(name, ftDate);
                break;
            }
        }
        ds.CreateDataSet();
        for (int c = 0; c < columns; ++c) {
            if (c % 3 == 1)
                ds.Fields(c)->SetDisplayFormat(QStringLiteral("#,0.00"));
        }
        for (int r = 0; r < rows; ++r) {
            QVariantList values;
            for (int c = 0; c < columns; ++c) {
                switch (c % 3) {
                case 0:
                    values << QStringLiteral("行%1列%2").arg(r + 1).arg(c + 1);
                    break;
                case 1:
                    values << 1000.5 * (r + 1) + c;
                    break;
                default:
                    values << QDate(2024, 1, 1).addDays(r + c);
                    break;
                }
            }
            ds.AppendRecord(values);
        }
        source.SetDataSet(&ds);
        for (int c = 0; c < columns; ++c)
            grid.Columns().Add(ds.Fields(c)->FieldName(), QStringLiteral("标题%1").arg(c + 1));
        grid.SetDataSource(&source);
        ds.First();
    }
    ~WideTable() { grid.SetDataSource(nullptr); }

    TClientDataSet ds;
    TDataSource source;
    TDBGrid grid;
};

// The fields of one CSV line, quotes undone.
QStringList csvFields(const QString &text, qsizetype &pos)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    while (pos < text.size()) {
        const QChar c = text[pos++];
        if (quoted) {
            if (c == u'"' && pos < text.size() && text[pos] == u'"') {
                field += c;
                ++pos;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            fields << field;
            field.clear();
        } else if (c == u'\r' && pos < text.size() && text[pos] == u'\n') {
            ++pos;
            break;
        } else {
            field += c;
        }
    }
    fields << field;
    return fields;
}

QStringList tableRows(const QString &sql)
{
    QStringList rows;
    TTmpDataSet tmp;
    tmp->SetCommandText(sql);
    tmp->Open();
    for (int r = 0; r < tmp->RowCount(); ++r) {
        const TClientDataSet::TRowScope scope(*tmp, r);
        QStringList values;
        for (int c = 0; c < tmp->FieldCount(); ++c)
            values << (tmp->Fields(c)->IsNull() ? QStringLiteral("<null>")
                                                : tmp->Fields(c)->AsString());
        rows << values.join(QLatin1Char('|'));
    }
    return rows;
}

} // namespace

class TestGridExport : public QObject
{
    Q_OBJECT

    QTemporaryDir work;

private slots:
    void cleanup() { env().cleanup(); }

    void onePassWorkbookOfWideGrids_data()
    {
        QTest::addColumn<int>("columns");
        QTest::addColumn<QString>("letters");
        QTest::newRow("27 columns") << 27 << "AA";
        QTest::newRow("52 columns") << 52 << "AZ";
    }

    void onePassWorkbookOfWideGrids()
    {
        QFETCH(int, columns);
        QFETCH(QString, letters);
        WideTable table(columns, 30);
        QCOMPARE(output::ExcelColumnLetters(columns), letters);
        QCOMPARE(output::ExcelTargetRange(columns, 31), QStringLiteral("A1:") + letters + "31");

        table.ds.SetRecNo(7);
        const QString file = work.filePath(QStringLiteral("wide%1.xlsx").arg(columns));
        QString written;
        QString error;
        QVERIFY2(ExportGridToExcel(table.grid, file, &written, &error), qPrintable(error));
        QCOMPARE(written, file);
        QCOMPARE(table.ds.RecNo(), 7);
        QVERIFY(!table.ds.ControlsDisabled());

        output::TSheetData sheet;
        QVERIFY(output::readXlsxSheet(file, 0, &sheet, &error));
        QCOMPARE(sheet.rows.size(), 31);
        QCOMPARE(sheet.rows[0].size(), columns);
        QCOMPARE(sheet.cell(0, columns - 1).toString(), QStringLiteral("标题%1").arg(columns));
        QCOMPARE(sheet.cell(30, 0).toString(), QStringLiteral("行30列1"));
        QCOMPARE(sheet.cell(30, 1).toDouble(), 1000.5 * 30 + 1);
        QVERIFY(sheet.rows[30].size() == columns);
    }

    void carriageReturnsAreDroppedLineFeedsKept()
    {
        WideTable table(3, 1);
        table.ds.Edit();
        table.ds.Fields(0)->SetAsString(QStringLiteral("第一行\r\n第二行"));
        table.ds.Post();
        const QString file = work.filePath(QStringLiteral("lines.xlsx"));
        QVERIFY(ExportGridToExcel(table.grid, file));
        output::TSheetData sheet;
        QVERIFY(output::readXlsxSheet(file, 0, &sheet));
        QCOMPARE(sheet.cell(1, 0).toString(), QStringLiteral("第一行\n第二行"));
    }

    void csvRoundTripGivesTheGridsTexts()
    {
        WideTable table(6, 12);
        table.ds.Edit();
        table.ds.Fields(0)->SetAsString(QStringLiteral("含,逗号和\"引号\"\n换行"));
        table.ds.Post();
        const QString file = work.filePath(QStringLiteral("round.csv"));
        const TGridExportSource source(table.grid);
        QVERIFY(output::exportToFile(source, file, output::ExportFormat::Csv));

        QFile csv(file);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QByteArray bytes = csv.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        const QString text = QString::fromUtf8(bytes.mid(3));
        qsizetype pos = 0;
        QStringList titles = csvFields(text, pos);
        QCOMPARE(titles.size(), 6);
        QCOMPARE(titles[5], QStringLiteral("标题6"));
        for (int r = 0; r < table.ds.RowCount(); ++r) {
            const QStringList fields = csvFields(text, pos);
            const TClientDataSet::TRowScope scope(table.ds, r);
            for (int c = 0; c < 6; ++c) {
                QString shown = table.ds.Fields(c)->DisplayText();
                if (table.ds.Fields(c)->IsNumeric())
                    shown.remove(QLatin1Char(','));
                QCOMPARE(fields.value(c), shown);
            }
        }
        QCOMPARE(pos, text.size());
    }

    void serverListReadsBackFromItsWorkbook()
    {
        TfrmTestCust list;
        list.DoCreate();
        list.show();
        const QString file = work.filePath(QStringLiteral("customers.xlsx"));
        QVERIFY(ExportGridToExcel(*list.DBGrid1, file));
        output::TSheetData sheet;
        QVERIFY(output::readXlsxSheet(file, 0, &sheet));
        TClientDataSet &ds = *list.ListDataSet;
        QCOMPARE(sheet.rows.size(), ds.RecordCount() + 1);
        QCOMPARE(sheet.cell(0, 0).toString(), QStringLiteral("编号"));
        for (int r = 0; r < ds.RowCount(); ++r) {
            const TClientDataSet::TRowScope scope(ds, r);
            QCOMPARE(sheet.cell(r + 1, 0).toString(),
                     ds.FieldByName(QStringLiteral("BH"))->AsString());
            QCOMPARE(sheet.cell(r + 1, 3).toDouble(),
                     ds.FieldByName(QStringLiteral("QCJE"))->AsFloat());
        }
        list.close();
    }

    void tableScriptRestoresTheTableThroughTheServer()
    {
        QVERIFY(env().keepTables({QStringLiteral("YHCKQK")}));
        QVERIFY(ExecSQL(QStringLiteral("insert into YHCKQK (ID, RQ, JSR, PH, JE, BZ) values "
                                       "(8801, #2024-03-01#, 'O''Neil', 'P1', 1234.5, null)")));
        QVERIFY(ExecSQL(QStringLiteral("insert into YHCKQK (ID, RQ, JSR, PH, JE, BZ) values "
                                       "(8802, #2024-02-29#, '张三', null, 0.01, 'a' + char(10) + "
                                       "'b')")));
        const QString sql = QStringLiteral("select * from YHCKQK order by ID");
        const QStringList before = tableRows(sql);
        QVERIFY(before.size() >= 2);

        const QString file = work.filePath(QStringLiteral("yhckqk.txt"));
        QString error;
        QVERIFY2(WriteTableScript(QStringLiteral("YHCKQK"), file, &error), qPrintable(error));
        QVERIFY(ExecSQL(QStringLiteral("delete from YHCKQK")));
        QVERIFY(tableRows(sql).isEmpty());

        const TScriptRestoreResult restored = RestoreFromScriptFile(file, Data().Tmp());
        QVERIFY2(restored.Failed.isEmpty(), qPrintable(restored.Failed.join(QLatin1Char('\n'))));
        QCOMPARE(restored.Executed, before.size() + 1);
        QCOMPARE(tableRows(sql), before);
    }

    void blobsAreWrittenAsNull()
    {
        env().afterTest(QStringLiteral("delete from VersionInfor"));
        QVERIFY(ExecSQL(QStringLiteral("insert into VersionInfor (sName, sFileName, sVersion) "
                                       "values ('客户端', 'vzclient', '9.95')")));
        const QString file = work.filePath(QStringLiteral("version.txt"));
        QVERIFY(WriteTableScript(QStringLiteral("VersionInfor"), file));
        const QStringList lines = ReadScriptFile(file);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], QStringLiteral("delete from VersionInfor"));
        QVERIFY(lines[1].startsWith(QStringLiteral("insert into VersionInfor(")));
        QVERIFY(lines[1].contains(QStringLiteral("'客户端','vzclient','9.95',null,")));
    }
};

int runExportTests(int argc, char **argv)
{
    TestGridExport test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_gridexport.moc"
