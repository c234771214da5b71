// Workbooks from the three formats a shop's import files come in, read cell by cell, and files
// that are damaged, protected or not workbooks at all.
#include "client/common/gbk.h"
#include "client/output/workbookreader.h"

#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <functional>

#include <gtest/gtest.h>
#include <xlsxwriter.h>
#include <zip.h>

using namespace output;

namespace {

using Rows = QList<QList<QVariant>>;

QVariant text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A goods list as clerks keep it: a merged title over the headings, codes stored as text,
// dates, an empty cell, a flag; and a second sheet.
void writeGoodsXlsx(const QString &path)
{
    lxw_workbook *book = workbook_new(path.toUtf8().constData());
    lxw_worksheet *goods = workbook_add_worksheet(book, "货品");
    lxw_format *date = workbook_add_format(book);
    format_set_num_format(date, "yyyy-mm-dd");
    lxw_format *moment = workbook_add_format(book);
    format_set_num_format(moment, "yyyy-mm-dd hh:mm");
    lxw_format *amount = workbook_add_format(book);
    format_set_num_format(amount, "#,##0.00");
    worksheet_merge_range(goods, 0, 0, 0, 3, "进货单", nullptr);
    const char *headings[] = {"编号", "名称", "单价", "日期"};
    for (lxw_col_t c = 0; c < 4; ++c)
        worksheet_write_string(goods, 1, c, headings[c], nullptr);
    worksheet_write_string(goods, 2, 0, "00012", nullptr);
    worksheet_write_string(goods, 2, 1, "铅笔", nullptr);
    worksheet_write_number(goods, 2, 2, 1234.5, amount);
    lxw_datetime day = {2024, 2, 29, 0, 0, 0};
    worksheet_write_datetime(goods, 2, 3, &day, date);
    worksheet_write_string(goods, 3, 0, "00013", nullptr);
    // column 1 of this row stays empty
    worksheet_write_number(goods, 3, 2, 7, nullptr);
    lxw_datetime at = {2025, 1, 2, 13, 45, 0};
    worksheet_write_datetime(goods, 3, 3, &at, moment);
    worksheet_write_boolean(goods, 3, 4, 1, nullptr);
    lxw_worksheet *staff = workbook_add_worksheet(book, "Staff");
    worksheet_write_string(staff, 0, 0, "张三", nullptr);
    ASSERT_EQ(workbook_close(book), LXW_NO_ERROR);
}

// Edits the first sheet's XML in place, for what libxlsxwriter never writes.
void rewriteSheetXml(const QString &path, const std::function<void(QString *)> &edit)
{
    const QByteArray part("xl/worksheets/sheet1.xml");
    int zipError = 0;
    zip_t *archive = zip_open(path.toUtf8().constData(), 0, &zipError);
    ASSERT_TRUE(archive);
    zip_stat_t stat;
    ASSERT_EQ(zip_stat(archive, part.constData(), 0, &stat), 0);
    QByteArray xml(qsizetype(stat.size), '\0');
    zip_file_t *entry = zip_fopen(archive, part.constData(), 0);
    ASSERT_EQ(zip_fread(entry, xml.data(), stat.size), zip_int64_t(stat.size));
    zip_fclose(entry);
    QString text = QString::fromUtf8(xml);
    edit(&text);
    const QByteArray changed = text.toUtf8();
    ASSERT_NE(changed, xml);
    zip_source_t *source =
        zip_source_buffer(archive, changed.constData(), zip_uint64_t(changed.size()), 0);
    const zip_int64_t index = zip_name_locate(archive, part.constData(), 0);
    ASSERT_GE(zip_file_replace(archive, zip_uint64_t(index), source, 0), 0);
    ASSERT_EQ(zip_close(archive), 0);
}

std::unique_ptr<TWorkbookReader> open(const QString &path)
{
    QString error;
    auto reader = OpenWorkbook(path, &error);
    EXPECT_TRUE(reader) << error.toStdString();
    return reader;
}

Rows readSheet(TWorkbookReader *reader, int index, TSheetData *sheet = nullptr)
{
    TSheetData local;
    TSheetData *target = sheet ? sheet : &local;
    QString error;
    EXPECT_TRUE(reader->ReadSheet(index, target, &error)) << error.toStdString();
    return target->rows;
}

// Reading whatever the file holds ends either in cells or in an error message: never a crash,
// a hang or a silent failure.
void expectReadOrRefused(const QString &path)
{
    QString error;
    auto reader = OpenWorkbook(path, &error);
    if (!reader) {
        EXPECT_FALSE(error.isEmpty());
        return;
    }
    const int sheets = int(reader->SheetNames().size());
    for (int i = 0; i < sheets; ++i) {
        TSheetData sheet;
        error.clear();
        if (!reader->ReadSheet(i, &sheet, &error)) {
            EXPECT_FALSE(error.isEmpty());
        }
    }
}

} // namespace

TEST(WorkbookReader, XlsxCellsComeAsTextsNumbersDatesAndFlags)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("goods.xlsx"));
    writeGoodsXlsx(path);
    auto reader = open(path);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->SheetNames(), (QStringList{QStringLiteral("货品"), QStringLiteral("Staff")}));

    TSheetData sheet;
    const Rows rows = readSheet(reader.get(), 0, &sheet);
    EXPECT_EQ(sheet.name, QStringLiteral("货品"));
    const Rows expected = {
        {text("进货单")},
        {text("编号"), text("名称"), text("单价"), text("日期")},
        {text("00012"), text("铅笔"), 1234.5, QDate(2024, 2, 29)},
        {text("00013"), QVariant(), 7.0, QDateTime(QDate(2025, 1, 2), QTime(13, 45)), true},
    };
    ASSERT_EQ(rows.size(), expected.size());
    for (int r = 0; r < expected.size(); ++r) {
        for (int c = 0; c < 5; ++c) {
            const QVariant got = sheet.cell(r, c);
            const QVariant want = expected[r].value(c);
            EXPECT_EQ(got.typeId(), want.typeId()) << r << "," << c;
            EXPECT_EQ(got, want) << r << "," << c;
        }
    }
    EXPECT_EQ(readSheet(reader.get(), 1), (Rows{{text("张三")}}));
}

// Some programs write cells without their references; they follow one another in their row,
// and rows without a number follow the previous row.
TEST(WorkbookReader, XlsxCellsWithoutReferencesFollowThePreviousOne)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("goods.xlsx"));
    writeGoodsXlsx(path);
    auto reader = open(path);
    ASSERT_TRUE(reader);
    const Rows withReferences = readSheet(reader.get(), 0);
    reader.reset();

    // The headings row and the first goods row lose all references; they are gap-free.
    rewriteSheetXml(path, [](QString *xml) {
        xml->replace(QRegularExpression(QStringLiteral("<c r=\"[A-D][23]\"")),
                     QStringLiteral("<c"));
        xml->replace(QRegularExpression(QStringLiteral("<row r=\"[23]\"")), QStringLiteral("<row"));
    });
    reader = open(path);
    ASSERT_TRUE(reader);
    EXPECT_EQ(readSheet(reader.get(), 0), withReferences);
}

TEST(WorkbookReader, XlsxCellsStoredAsIsoDatesComeAsDates)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("goods.xlsx"));
    writeGoodsXlsx(path);
    // Row 3's name and price become an ISO date and an ISO date and time.
    rewriteSheetXml(path, [](QString *xml) {
        xml->replace(QRegularExpression(QStringLiteral("<c r=\"B3\"[^>]*><v>[^<]*</v></c>")),
                     QStringLiteral("<c r=\"B3\" t=\"d\"><v>2024-03-01</v></c>"));
        xml->replace(QRegularExpression(QStringLiteral("<c r=\"C3\"[^>]*><v>[^<]*</v></c>")),
                     QStringLiteral("<c r=\"C3\" t=\"d\"><v>2024-03-01T08:05:00</v></c>"));
    });
    auto reader = open(path);
    ASSERT_TRUE(reader);
    const Rows rows = readSheet(reader.get(), 0);
    EXPECT_EQ(rows.value(2).value(1), QVariant(QDate(2024, 3, 1)));
    EXPECT_EQ(rows.value(2).value(2), QVariant(QDateTime(QDate(2024, 3, 1), QTime(8, 5))));
}

TEST(WorkbookReader, MergedHeadingNamesEveryColumnItSpansWhenAsked)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("goods.xlsx"));
    writeGoodsXlsx(path);
    auto reader = open(path);
    ASSERT_TRUE(reader);
    TSheetData sheet;
    readSheet(reader.get(), 0, &sheet);
    EXPECT_TRUE(sheet.cell(0, 3).isNull());
    SpreadMergedCells(&sheet);
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(sheet.cell(0, c), text("进货单")) << c;
    EXPECT_TRUE(sheet.cell(0, 4).isNull());
    EXPECT_EQ(sheet.cell(1, 0), text("编号")); // rows below the range keep their own cells
}

TEST(WorkbookReader, XlsCellsComeAsTextsNumbersDatesAndTimes)
{
    auto reader = open(QStringLiteral(VZ_TEST_DATA "/import.xls"));
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->SheetNames(), (QStringList{QStringLiteral("货品"), QStringLiteral("Staff")}));
    TSheetData sheet;
    readSheet(reader.get(), 0, &sheet);
    const Rows expected = {
        {text("编号"), text("名称"), text("单价"), text("入库日期"), text("备注")},
        {text("00012"), text("铅笔"), 1.25, QDate(2024, 2, 29), text("HB")},
        {text("00013"), text("Eraser"), 3.0, QDateTime(QDate(2025, 1, 2), QTime(13, 45, 30))},
        {text("00014"), QVariant(), -0.5, QTime(8, 30)},
    };
    ASSERT_EQ(sheet.rows.size(), expected.size());
    for (int r = 0; r < expected.size(); ++r) {
        for (int c = 0; c < 5; ++c) {
            const QVariant got = sheet.cell(r, c);
            const QVariant want = expected[r].value(c);
            EXPECT_EQ(got.typeId(), want.typeId()) << r << "," << c;
            EXPECT_EQ(got, want) << r << "," << c;
        }
    }
    // An empty row between heading and data is kept, so row numbers match what the user sees.
    EXPECT_EQ(readSheet(reader.get(), 1),
              (Rows{{text("工号"), text("姓名")}, {}, {text("E01"), text("张三")}}));
}

TEST(WorkbookReader, CsvFieldsFollowQuotingRules)
{
    struct Case
    {
        const char *name;
        const char *csv;
        Rows rows;
    };
    const Case cases[] = {
        {"plain",
         "a,b,c\n1,2,3\n",
         {{text("a"), text("b"), text("c")}, {text("1"), text("2"), text("3")}}},
        {"no final break", "a,b", {{text("a"), text("b")}}},
        {"CRLF", "a\r\nb\r\n", {{text("a")}, {text("b")}}},
        {"comma in quotes", "\"1,5\",x", {{text("1,5"), text("x")}}},
        {"doubled quote", "\"say \"\"hi\"\"\"", {{text("say \"hi\"")}}},
        {"break in quotes",
         "\"line1\nline2\",z\nnext",
         {{text("line1\nline2"), text("z")}, {text("next")}}},
        {"empty fields", "a,,c\n,,\n", {{text("a"), QVariant(), text("c")}, {}}},
        {"quoted empty is text", "\"\",b", {{text(""), text("b")}}},
        {"numbers stay text", "00012,12.50,-3", {{text("00012"), text("12.50"), text("-3")}}},
        {"unterminated quote", "\"abc,d", {{text("abc,d")}}},
        {"stray quote kept", "ab\"c,d", {{text("ab\"c"), text("d")}}},
        {"blank line", "a\n\nb", {{text("a")}, {}, {text("b")}}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ParseCsv(QString::fromUtf8(c.csv)), c.rows) << c.name;
}

TEST(WorkbookReader, CsvIsUtf8WithOrWithoutBomElseGbk)
{
    const QString chinese = QStringLiteral("编号,名称\n00012,铅笔\n");
    const Rows rows = {{text("编号"), text("名称")}, {text("00012"), text("铅笔")}};
    struct Case
    {
        const char *name;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"UTF-8 with BOM", QByteArray("\xEF\xBB\xBF") + chinese.toUtf8()},
        {"UTF-8", chinese.toUtf8()},
        {"GBK", ToGbk(chinese)},
    };
    QTemporaryDir dir;
    for (const Case &c : cases) {
        const QString path = dir.filePath(QStringLiteral("goods.csv"));
        writeFile(path, c.bytes);
        auto reader = open(path);
        ASSERT_TRUE(reader) << c.name;
        EXPECT_EQ(reader->SheetNames(), QStringList{QStringLiteral("goods")}) << c.name;
        EXPECT_EQ(readSheet(reader.get(), 0), rows) << c.name;
    }
    // A BOM wins over what the bytes look like, and plain ASCII reads the same either way.
    EXPECT_EQ(DecodeCsv("abc"), QStringLiteral("abc"));
    EXPECT_EQ(DecodeCsv("\xEF\xBB\xBF"), QString());
}

TEST(WorkbookReader, UnreadableFilesAreRefusedWithAReason)
{
    QTemporaryDir dir;
    struct Case
    {
        const char *file;
        QByteArray bytes; // null: the file is not created
        const char *reason;
    };
    QByteArray protectedXlsx("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    protectedXlsx += QByteArray(504, '\0');
    const QString stream = QStringLiteral("EncryptedPackage");
    protectedXlsx += QByteArray(reinterpret_cast<const char *>(stream.utf16()), stream.size() * 2);
    const Case cases[] = {
        {"missing.xlsx", QByteArray(), "cannot be opened"},
        {"notes.docx", QByteArray("hello"), "is not a workbook"},
        {"garbage.xlsx", QByteArray("PK\x03\x04garbage", 11), "is not a workbook"},
        {"garbage.xls", QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1junk", 12), "not a readable"},
        {"locked.xlsx", protectedXlsx, "password"},
    };
    for (const Case &c : cases) {
        const QString path = dir.filePath(QString::fromUtf8(c.file));
        if (!c.bytes.isNull())
            writeFile(path, c.bytes);
        QString error;
        EXPECT_FALSE(OpenWorkbook(path, &error)) << c.file;
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.reason)))
            << c.file << ": " << error.toStdString();
    }
    auto reader = open(QStringLiteral(VZ_TEST_DATA "/import.xls"));
    ASSERT_TRUE(reader);
    TSheetData sheet;
    QString error;
    EXPECT_FALSE(reader->ReadSheet(2, &sheet, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("no sheet 3"))) << error.toStdString();
}

TEST(WorkbookReader, TruncatedAndCorruptedWorkbooksNeverCrash)
{
    QTemporaryDir dir;
    const QString xlsx = dir.filePath(QStringLiteral("goods.xlsx"));
    writeGoodsXlsx(xlsx);
    const QByteArray sources[] = {readFile(xlsx),
                                  readFile(QStringLiteral(VZ_TEST_DATA "/import.xls"))};
    const char *suffixes[] = {"xlsx", "xls"};
    QRandomGenerator random(20261207);
    for (int s = 0; s < 2; ++s) {
        const QByteArray &source = sources[s];
        ASSERT_FALSE(source.isEmpty());
        const QString path = dir.filePath(QStringLiteral("broken.") + QLatin1String(suffixes[s]));
        for (int cut : {9, 100, 512, 1000, int(source.size()) / 2, int(source.size()) - 1}) {
            writeFile(path, source.left(cut));
            expectReadOrRefused(path);
        }
        for (int round = 0; round < 40; ++round) {
            QByteArray bytes = source;
            for (int flip = 0; flip < 8; ++flip)
                bytes[random.bounded(8, int(bytes.size()))] = char(random.bounded(256));
            writeFile(path, bytes);
            expectReadOrRefused(path);
        }
    }
}

TEST(WorkbookReader, FormatIsToldByContentNotByName)
{
    QTemporaryDir dir;
    const QString xlsx = dir.filePath(QStringLiteral("real.xlsx"));
    writeGoodsXlsx(xlsx);
    struct Case
    {
        QByteArray bytes;
        const char *file;
        QVariant firstCell;
    };
    const Case cases[] = {
        {readFile(xlsx), "saved-as.xls", text("进货单")},
        {readFile(QStringLiteral(VZ_TEST_DATA "/import.xls")), "renamed.xlsx", text("编号")},
        {QByteArray("a,b\n"), "list.txt", text("a")},
    };
    for (const Case &c : cases) {
        const QString path = dir.filePath(QString::fromUtf8(c.file));
        writeFile(path, c.bytes);
        auto reader = open(path);
        ASSERT_TRUE(reader) << c.file;
        EXPECT_EQ(readSheet(reader.get(), 0).value(0).value(0), c.firstCell) << c.file;
    }
}
