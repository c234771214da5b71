// The goods import window against a real server: a workbook of two sheets, one row of which
// has a price that is no number. Declining leaves the goods as they were; continuing imports
// the other rows with ids running on across the sheets.
#include "client/admin/tranexcel.h"
#include "client/core/paths.h"
#include "client/data/serveraccess.h"
#include "client/widgets/messagebox.h"
#include "support/testworld.h"

#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <xlsxwriter.h>

namespace {

int count(const QString &sql)
{
    return QueryValue(sql).toInt();
}

// Sheet 1: three goods; sheet 2: two, the second priced "abc" (workbook row 3).
QString writeWorkbook(const QString &folder)
{
    const QString file = folder + QStringLiteral("/goods.xlsx");
    lxw_workbook *workbook = workbook_new(file.toUtf8().constData());
    const char *headings[] = {"货品编号", "货品名称", "货品类别", "采购价", "仓库", "期初数量"};
    const int rows[] = {3, 2};
    for (int s = 0; s < 2; ++s) {
        lxw_worksheet *sheet = workbook_add_worksheet(workbook, s ? "二" : "一");
        for (int c = 0; c < 6; ++c)
            worksheet_write_string(sheet, 0, lxw_col_t(c), headings[c], nullptr);
        for (int r = 1; r <= rows[s]; ++r) {
            worksheet_write_string(sheet, lxw_row_t(r), 0,
                                   QStringLiteral("X%1%2").arg(s).arg(r).toUtf8(), nullptr);
            worksheet_write_string(sheet, lxw_row_t(r), 2, "窗口新类", nullptr);
            if (s == 1 && r == 2)
                worksheet_write_string(sheet, lxw_row_t(r), 3, "abc", nullptr);
            else
                worksheet_write_number(sheet, lxw_row_t(r), 3, 2.5, nullptr);
            worksheet_write_number(sheet, lxw_row_t(r), 5, r, nullptr);
        }
    }
    workbook_close(workbook);
    return file;
}

} // namespace

class TestTranExcel : public QObject
{
    Q_OBJECT

    vztest::TestWorld world;
    QTemporaryDir dir;

    QStringList importAnswering(TModalResult answer)
    {
        std::unique_ptr<TFrmTranExcel> form(
            CreateForm<TFrmTranExcel>(QStringLiteral("hp"), QStringLiteral("hp"), true));
        if (!form->OpenWorkbook(writeWorkbook(dir.path())))
            return {};
        form->CheckBox1->setChecked(true);
        TMessageBoxScript script({answer, mrOk});
        form->ButtonTrans->click();
        QStringList texts;
        for (const TMessageRequest &request : script.Requests())
            texts << request.Text;
        return texts;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY2(world.start(), qPrintable(world.error())); }

    void importNeedsAWorkbookAndItsKeyField()
    {
        const int goods = count(QStringLiteral("select count(*) from hp"));
        std::unique_ptr<TFrmTranExcel> form(
            CreateForm<TFrmTranExcel>(QStringLiteral("hp"), QStringLiteral("hp"), true));
        {
            TMessageBoxScript script({mrOk});
            form->ButtonTrans->click();
            QCOMPARE(script.Last().Text, QStringLiteral("选择源Excel文件"));
        }
        QVERIFY(form->OpenWorkbook(writeWorkbook(dir.path())));
        form->SetHeading(0, QString());
        {
            TMessageBoxScript script({mrOk});
            form->ButtonTrans->click();
            QCOMPARE(script.Last().Text, QStringLiteral("第一个字段是关键字段，不能为空！"));
        }
        QCOMPARE(count(QStringLiteral("select count(*) from hp")), goods);
    }

    void decliningABrokenRowChangesNothing()
    {
        const int goods = count(QStringLiteral("select count(*) from hp"));
        const QStringList texts = importAnswering(mrNo);
        QCOMPARE(texts.size(), 1);
        QVERIFY(texts.first().contains(QStringLiteral("第3行")));
        QCOMPARE(count(QStringLiteral("select count(*) from hp")), goods);
        QCOMPARE(count(QStringLiteral("select count(*) from pub_ItemType where TypeName = "
                                      "'窗口新类'")),
                 0);
        QFile errors(ExeDirFile(QStringLiteral("ErrorSQL.txt")));
        QVERIFY(errors.open(QIODevice::ReadOnly));
        const QString written = QString::fromUtf8(errors.readAll());
        QVERIFY(written.contains(QStringLiteral("二 第3行")));
        QVERIFY(written.contains(QStringLiteral("abc")));
    }

    void continuingImportsTheOtherRows()
    {
        const QStringList texts = importAnswering(mrYes);
        QCOMPARE(texts.last(), QStringLiteral("成功导入数据：4;导入错误:1"));
        QCOMPARE(count(QStringLiteral("select count(*) from hp")), 4);
        QCOMPARE(count(QStringLiteral("select id from hp where BH = 'X11'")), 4);
        QCOMPARE(count(QStringLiteral("select count(*) from pub_ItemType where TypeName = "
                                      "'窗口新类'")),
                 1);
        QCOMPARE(count(QStringLiteral("select sum(SL*Flag) from Inv_ItemList where DJBH in "
                                      "(select DJBH from KCPDZB where BZ = '期初导入')")),
                 1 + 2 + 3 + 1);
    }

    // Employees: a new department named twice is created once, a birthday typed as a date
    // cell is stored as that day.
    void employeesWithANewDepartment()
    {
        const QString file = dir.filePath(QStringLiteral("staff.xlsx"));
        lxw_workbook *workbook = workbook_new(file.toUtf8().constData());
        lxw_worksheet *sheet = workbook_add_worksheet(workbook, nullptr);
        lxw_format *date = workbook_add_format(workbook);
        format_set_num_format(date, "yyyy-mm-dd");
        const char *headings[] = {"员工编号", "姓名", "部门", "出生日期"};
        for (int c = 0; c < 4; ++c)
            worksheet_write_string(sheet, 0, lxw_col_t(c), headings[c], nullptr);
        for (int r = 1; r <= 2; ++r) {
            worksheet_write_string(sheet, lxw_row_t(r), 0, QStringLiteral("E%1").arg(r).toUtf8(),
                                   nullptr);
            worksheet_write_string(sheet, lxw_row_t(r), 1, "张'三", nullptr);
            worksheet_write_string(sheet, lxw_row_t(r), 2, "导入新部门", nullptr);
            lxw_datetime birthday = {1990, 5, r, 0, 0, 0};
            worksheet_write_datetime(sheet, lxw_row_t(r), 3, &birthday, date);
        }
        // A number longer than the column's 10 bytes: refused alone, not the whole import.
        worksheet_write_string(sheet, 3, 0, "E1234567890", nullptr);
        worksheet_write_string(sheet, 3, 1, "李四", nullptr);
        QCOMPARE(workbook_close(workbook), LXW_NO_ERROR);

        std::unique_ptr<TFrmTranExcel> form(
            CreateForm<TFrmTranExcel>(QStringLiteral("yg"), QStringLiteral("yg"), true));
        QVERIFY(form->OpenWorkbook(file));
        form->SetHeading(4, QStringLiteral("部门")); // 职务 mapped by hand
        form->CheckBox1->setChecked(true);
        TMessageBoxScript script({mrYes, mrOk});
        form->ButtonTrans->click();
        QVERIFY(script.Requests().first().Text.contains(QStringLiteral("超过10个字节")));
        QCOMPARE(script.Last().Text, QStringLiteral("成功导入数据：2;导入错误:1"));
        QCOMPARE(count(QStringLiteral("select count(*) from yg")), 2);
        QCOMPARE(count(QStringLiteral("select count(*) from bm where mc = '导入新部门'")), 1);
        QCOMPARE(count(QStringLiteral("select count(*) from AppLog where CZ = 'Excel导入 yg 2'")),
                 1);
        QCOMPARE(count(QStringLiteral("select count(*) from yg Y inner join bm B on Y.BMID = "
                                      "B.ID where B.mc = '导入新部门' and Y.XM = '张''三'")),
                 2);
        QCOMPARE(count(QStringLiteral("select count(*) from yg where ZW = '导入新部门'")), 2);
        QCOMPARE(count(QStringLiteral("select count(*) from yg where BH = 'E2' and CSRQ = "
                                      "#1990-05-02#")),
                 1);
    }
};

QTEST_MAIN(TestTranExcel)
#include "tst_tranexcel.moc"
