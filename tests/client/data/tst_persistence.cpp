// Local line files: a dataset saved with its pending change log and loaded back applies the
// same changes; every field type survives; a damaged file is refused.
#include "sqliteprovider.h"
#include "testdata.h"

#include <QBuffer>
#include <QTemporaryDir>

TEST(Persistence, AllTypesAndNullsRoundTrip)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("frmXskd.cds"));
    TClientDataSet ds;
    const TFieldType types[] = {ftWideString, ftString,   ftSmallint, ftInteger, ftLargeint,
                                ftBoolean,    ftFloat,    ftCurrency, ftBCD,     ftDate,
                                ftTime,       ftDateTime, ftWideMemo, ftBlob};
    for (TFieldType type : types)
        ds.FieldDefs().Add(FieldTypeName(type), type, type == ftBCD ? 2 : 20);
    ds.CreateDataSet();
    ds.AppendRecord({QStringLiteral("螺丝 M8"), QStringLiteral("abc"), -7, 123456, qint64(1) << 40,
                     true, 0.1 + 0.2, 1234.5, 3.14159, QDate(2024, 2, 29), QTime(17, 30, 5),
                     QDateTime(QDate(2008, 5, 1), QTime(9, 0)), QString(50, u'长'),
                     QByteArray("\0\1\2", 3)});
    ds.Append();
    ds.Post(); // a record of nulls
    ds.SaveToFile(path);

    TClientDataSet loaded;
    loaded.LoadFromFile(path);
    ASSERT_EQ(loaded.FieldCount(), ds.FieldCount());
    ASSERT_EQ(loaded.RecordCount(), 2);
    for (int row = 0; row < 2; ++row) {
        for (int f = 0; f < ds.FieldCount(); ++f) {
            EXPECT_EQ(loaded.RowValue(row, loaded.Fields(f)), ds.RowValue(row, ds.Fields(f)))
                << row << " " << ds.Fields(f)->FieldName().toStdString();
        }
    }
    EXPECT_EQ(loaded.Fields(8)->AsFloat(), 3.14); // the decimal kept its two places
    EXPECT_EQ(loaded.ChangeCount(), 2);
}

TEST(Persistence, PendingChangesSurviveTheFileAndApplyLater)
{
    sql::Database db(":memory:");
    db.exec("create table XSKD (ID integer primary key, ZBID integer, HH integer, BH varchar(10),"
            " SL float, DJ float)");
    db.exec("insert into XSKD values (1, 7, 1, 'A01', 2, 3.5), (2, 7, 2, 'B02', 1, 10),"
            " (3, 7, 3, 'C03', 4, 1.25)");
    SqliteProvider provider(db);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("frmXskd.cds"));
    {
        TClientDataSet lines(QStringLiteral("Xskd"));
        lines.SetRemoteServer(&provider);
        lines.SetProviderName(QStringLiteral("pXskd"));
        lines.Open();
        lines.Edit();
        lines.FieldByName(QStringLiteral("SL"))->SetAsFloat(20);
        lines.Next();
        lines.Delete();
        lines.AppendRecord({4, 7, 4, QStringLiteral("D04"), 1, 99.99});
        lines.Edit(); // a pending edit is posted before writing
        lines.FieldByName(QStringLiteral("DJ"))->SetAsFloat(100);
        lines.SaveToFile(path);
        EXPECT_EQ(lines.State(), dsBrowse);
    }
    TClientDataSet lines(QStringLiteral("Xskd"));
    lines.SetRemoteServer(&provider);
    lines.SetProviderName(QStringLiteral("pXskd"));
    EventLog log;
    log.attach(lines);
    lines.LoadFromFile(path);
    EXPECT_EQ(log.take(), u"BeforeOpen AfterOpen AfterScroll");
    EXPECT_EQ(lines.ChangeCount(), 3);
    EXPECT_EQ(columnTexts(lines, QStringLiteral("BH")).join(u','), u"A01,C03,D04");
    lines.First();
    EXPECT_EQ(lines.UpdateStatus(), usModified);
    EXPECT_EQ(lines.FieldByName(QStringLiteral("SL"))->OldValue().toDouble(), 2);
    lines.CancelUpdates(); // the deleted line comes back from the file too
    EXPECT_EQ(columnTexts(lines, QStringLiteral("BH")).join(u','), u"A01,B02,C03");
    lines.LoadFromFile(path);
    EXPECT_EQ(lines.ApplyUpdates(0), 0);

    sql::Statement stmt = db.prepare("select group_concat(BH || ':' || SL || ':' || DJ, ',') "
                                     "from (select * from XSKD order by ID)");
    ASSERT_TRUE(stmt.step());
    EXPECT_EQ(stmt.columnText(0), "A01:20.0:3.5,C03:4.0:1.25,D04:1.0:100.0");
}

TEST(Persistence, DamagedFilesAreRefused)
{
    TClientDataSet ds;
    createLines(ds);
    fillLines(ds);
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    ds.SaveToStream(buffer);
    QByteArray bytes = buffer.data();

    for (const QByteArray &damaged :
         {QByteArray("not a data file"), bytes.left(bytes.size() / 2)}) {
        QBuffer in;
        in.setData(damaged);
        in.open(QIODevice::ReadOnly);
        TClientDataSet target;
        EXPECT_THROW(target.LoadFromStream(in), EDatabaseError);
        EXPECT_FALSE(target.Active());
        EXPECT_EQ(target.FieldCount(), 0);
    }
    TClientDataSet missing;
    EXPECT_THROW(missing.LoadFromFile(QStringLiteral("/nonexistent/frm.cds")), EDatabaseError);
}
