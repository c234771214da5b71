// The generic list form on real tables: the search condition, the status strip, footers and
// totals, deletion with the reference check, the picker mode, the export menu, printing, the
// keys, and the dataset's handlers given back at close.
#include "client/data/fields.h"
#include "client/data/formats.h"
#include "client/forms/filedialogs.h"
#include "client/forms/findpublic.h"
#include "client/output/xlsxreader.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/gridprinter.h"
#include "client/widgets/messagebox.h"
#include "formstests.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>

using namespace formstest;

namespace {

QStringList codes(TClientDataSet &ds)
{
    QStringList out;
    const TField *field = ds.FieldByName(QStringLiteral("BH"));
    for (int row = 0; row < ds.RowCount(); ++row) {
        const TClientDataSet::TRowScope scope(ds, row);
        out << field->AsString();
    }
    return out;
}

int count(const QString &sql)
{
    return QueryValue(sql).toInt();
}

template<class Form>
Form *showForm()
{
    auto *form = new Form;
    form->DoCreate();
    form->show();
    return form;
}

} // namespace

class TestListForm : public QObject
{
    Q_OBJECT

    QTemporaryDir work;

private slots:
    void init() { QVERIFY(env().keepTables({QStringLiteral("KH")})); }
    void cleanup() { env().cleanup(); }

    void searchIsAPrefixOnCodeAndNameAndAnUpperCasePrefixOnTheMnemonic()
    {
        QPointer<TfrmTestCust> form = showForm<TfrmTestCust>();
        QCOMPARE(form->ListDataSet->RecordCount(),
                 count(QStringLiteral("select count(*) from KH")));
        QCOMPARE(form->SearchCondition(QStringLiteral("K.bh"), QStringLiteral("K.MC"),
                                       QStringLiteral("K.zjm")),
                 QString());

        form->RzBtnNo->setText(QStringLiteral("on"));
        QCOMPARE(form->SearchCondition(QStringLiteral("K.bh"), QStringLiteral("K.MC"),
                                       QStringLiteral("K.zjm")),
                 QStringLiteral(" and (K.bh like 'on%' or K.MC like 'on%' or K.zjm like 'ON%')"));
        QTest::keyClick(form->RzBtnNo, Qt::Key_Return);
        QCOMPARE(codes(*form->ListDataSet), (QStringList{"ON9003", "T9001"}));
        QVERIFY(form->OpenedCommandText.contains(QStringLiteral("K.zjm like 'ON%'")));

        // A name with a quote goes into the SQL quoted.
        form->RzBtnNo->setText(QStringLiteral("O'N"));
        form->btnFind->click();
        QCOMPARE(codes(*form->ListDataSet), QStringList{"T9001"});
        form->close();
    }

    void statusTabsNarrowTheDocumentListByAuditState()
    {
        QPointer<TfrmTestDeliveries> form = showForm<TfrmTestDeliveries>();
        QVERIFY(form->TabStatus->isVisible());
        const int levels = FuncRight().AuditNum;
        const int all = count(QStringLiteral("select count(*) from XSKDZB"));
        QCOMPARE(form->ListDataSet->RecordCount(), all);

        form->TabStatus->setCurrentIndex(1);
        QCOMPARE(form->StatusFilter, QStringLiteral(" and uFlag <>%1").arg(levels));
        QCOMPARE(
            form->ListDataSet->RecordCount(),
            count(QStringLiteral("select count(*) from XSKDZB where uFlag <> %1").arg(levels)));
        form->TabStatus->setCurrentIndex(2);
        QCOMPARE(form->StatusFilter, QStringLiteral(" and uFlag=%1").arg(levels));
        QCOMPARE(form->ListDataSet->RecordCount(),
                 count(QStringLiteral("select count(*) from XSKDZB where uFlag = %1").arg(levels)));
        form->TabStatus->setCurrentIndex(0);
        QCOMPARE(form->StatusFilter, QString());
        QCOMPARE(form->ListDataSet->RecordCount(), all);
        form->close();

        // Master data has no status strip.
        QPointer<TfrmTestCust> customers = showForm<TfrmTestCust>();
        QVERIFY(!customers->TabStatus->isVisible());
        QVERIFY(customers->pmnText->isVisible());
        QVERIFY(customers->btnDel->isVisible());
        QCOMPARE(customers->btnModify->text(), QStringLiteral("编辑(&E)"));
        customers->close();
    }

    void documentListsTotalAmountsInTheFooter()
    {
        QPointer<TfrmTestDeliveries> form = showForm<TfrmTestDeliveries>();
        TDBGrid *grid = form->DBGrid1;
        QCOMPARE(grid->FooterRowCount(), 1);
        QCOMPARE(grid->FooterText(0), QStringLiteral("合计"));
        QCOMPARE(grid->FooterValue(2).toDouble(),
                 QueryValue(QStringLiteral("select sum(JE) from XSKDZB")).toDouble());
        form->close();

        QPointer<TfrmTestCust> customers = showForm<TfrmTestCust>();
        QCOMPARE(customers->DBGrid1->FooterRowCount(), 0);
        customers->close();
    }

    void totalsSumTheNamedNumericColumns()
    {
        QPointer<TfrmTestDeliveries> form = showForm<TfrmTestDeliveries>();
        const QString records =
            QStringLiteral("总记录数 : ") + QString::number(form->ListDataSet->RecordCount());
        const TField *amount = form->ListDataSet->FieldByName(QStringLiteral("JE"));
        const TField *due = form->ListDataSet->FieldByName(QStringLiteral("YSJE"));
        const QString amountText =
            FormatFloat(amount->DisplayFormat(),
                        QueryValue(QStringLiteral("select sum(JE) from XSKDZB")).toDouble());
        const QString dueText =
            FormatFloat(due->DisplayFormat(),
                        QueryValue(QStringLiteral("select sum(YSJE) from XSKDZB")).toDouble());

        form->TotalFields = QStringLiteral("EMPTY");
        QCOMPARE(form->TotalsText(), records);

        form->TotalFields = QStringLiteral("uflag");
        QCOMPARE(form->TotalsText(),
                 records + QStringLiteral("\r\n\r\n审核 : ") +
                     QString::number(
                         QueryValue(QStringLiteral("select sum(uFlag) from XSKDZB")).toInt()));

        // A name is looked up as a piece of the list: "YSJE;" holds "JE;" as well.
        form->TotalFields = QStringLiteral("ysje");
        QCOMPARE(form->TotalsText(), records + QStringLiteral("\r\n\r\n金额 : ") + amountText +
                                         QStringLiteral("\r\n\r\n应收金额 : ") + dueText);

        // Every numeric column: amounts and the audit level.
        form->TotalFields.clear();
        const QString all = form->TotalsText();
        QVERIFY(all.startsWith(records + QStringLiteral("\r\n\r\n金额 : ") + amountText));
        QVERIFY(all.contains(QStringLiteral("\r\n\r\n审核 : ")));

        TMessageBoxScript boxes;
        const int row = form->ListDataSet->RecNo();
        form->aTotal->trigger();
        QCOMPARE(boxes.Count(), 1);
        QCOMPARE(boxes.Last().Caption, QStringLiteral("资料统计"));
        QCOMPARE(form->ListDataSet->RecNo(), row);
        QCOMPARE(form->ListDataSet->Aggregates().Count(), 0);
        form->close();
    }

    void deleteAsksAndRefusesReferencedRows()
    {
        QPointer<TfrmTestCust> form = showForm<TfrmTestCust>();
        TClientDataSet &ds = *form->ListDataSet;
        const QString used =
            QueryValue(QStringLiteral("select top 1 KHID from XSKDZB where KHID > 0")).toString();
        QVERIFY(ds.Locate(QStringLiteral("ID"), used.toInt()));
        {
            TMessageBoxScript boxes;
            form->aDel->trigger();
            QCOMPARE(boxes.Count(), 1);
            QCOMPARE(boxes.Last().Text, QStringLiteral("该数据已被引用,不能删除！"));
            QCOMPARE(boxes.Last().Caption, QStringLiteral("资料删除失败"));
            QCOMPARE(boxes.Last().Icon, TMsgIcon::Warning);
        }
        QVERIFY(ds.Locate(QStringLiteral("ID"), used.toInt()));

        QVERIFY(ds.Locate(QStringLiteral("ID"), 9002));
        {
            // No is the default answer.
            TMessageBoxScript boxes;
            form->aDel->trigger();
            QCOMPARE(boxes.Last().Text, QStringLiteral("确定要删除此项资料吗?"));
            QCOMPARE(boxes.Last().Caption, QStringLiteral("资料删除"));
            QCOMPARE(boxes.Last().DefaultButton, mrNo);
        }
        QCOMPARE(count(QStringLiteral("select count(*) from KH where ID = 9002")), 1);
        {
            TMessageBoxScript boxes{mrYes};
            form->aDel->trigger();
        }
        QCOMPARE(count(QStringLiteral("select count(*) from KH where ID = 9002")), 0);
        QVERIFY(!ds.Locate(QStringLiteral("ID"), 9002));
        QCOMPARE(ds.ChangeCount(), 0);

        // The last row of a list gone, modify and delete are off.
        form->RzBtnNo->setText(QStringLiteral("ON9003"));
        form->btnFind->click();
        QCOMPARE(ds.RecordCount(), 1);
        QVERIFY(form->aModify->isEnabled());
        {
            TMessageBoxScript boxes{mrYes};
            form->aDel->trigger();
        }
        QVERIFY(ds.IsEmpty());
        QVERIFY(!form->aModify->isEnabled());
        QVERIFY(!form->aDel->isEnabled());
        {
            TMessageBoxScript boxes;
            form->aDel->Execute();
            QCOMPARE(boxes.Count(), 0);
        }
        form->close();
    }

    void aTagWithheldByTheRightsKeepsTheActionOff()
    {
        QPointer<TfrmTestCust> form = showForm<TfrmTestCust>();
        QVERIFY(form->aNew->isEnabled());
        QVERIFY(form->btnNew->isEnabled());
        form->aNew->SetTag(1);
        form->aDel->SetTag(1);
        form->btnFind->click();
        QVERIFY(!form->aNew->isEnabled());
        QVERIFY(!form->btnNew->isEnabled());
        QVERIFY(!form->aDel->isEnabled());
        QVERIFY(form->aModify->isEnabled());
        form->close();
    }

    void pickerReturnsTheRowOrNothing()
    {
        {
            TfrmTestCust picker;
            picker.DoCreate();
            picker.SetSelectMode(true);
            QCOMPARE(picker.btnExit->text(), QStringLiteral("取消退出"));
            QCOMPARE(picker.btnSelectExit->text(), QStringLiteral("选中退出"));
            const auto answered = vztest::whenModal<TfrmTestCust>([](TfrmTestCust &form) {
                QVERIFY(form.btnSelectExit->isVisible());
                form.ListDataSet->Locate(QStringLiteral("ID"), 9001);
                form.DBGrid1->OnDblClick(*form.DBGrid1);
            });
            picker.ShowModal();
            QVERIFY(picker.Selected);
            QCOMPARE(picker.ResultID, QStringLiteral("9001"));
            QCOMPARE(picker.ResultName, QStringLiteral("O'Neil商行"));
        }
        {
            TfrmTestCust picker;
            picker.DoCreate();
            picker.SetSelectMode(true);
            const auto answered =
                vztest::whenModal<TfrmTestCust>([](TfrmTestCust &form) { form.btnExit->click(); });
            picker.ShowModal();
            QVERIFY(!picker.Selected);
            QVERIFY(picker.ResultID.isEmpty());
        }
    }

    void aListWithoutADataSourceSaysSo()
    {
        TMessageBoxScript boxes;
        QPointer<TfrmComJbzl> form = new TfrmComJbzl;
        form->setWindowTitle(QStringLiteral("测试资料"));
        form->DoCreate();
        form->show();
        QCOMPARE(boxes.Count(), 2);
        QCOMPARE(boxes.Requests()[0].Text,
                 QStringLiteral("没有指定数据表的名称,数据不能导出为文本文件！"));
        QCOMPARE(boxes.Requests()[1].Text, QStringLiteral("没有设置数据集！"));
        QCOMPARE(boxes.Requests()[1].Caption, QStringLiteral("出错提示"));
        QCOMPARE(boxes.Requests()[1].Icon, TMsgIcon::Error);
        QVERIFY(!form->ListDataSet);
        form->close();
    }

    void handlersOfTheDataSetAreGivenBackAtClose()
    {
        TClientDataSet &customers = Data().Kh();
        int marks = 0;
        customers.OnNewRecord = [&marks](TClientDataSet &) {
            ++marks;
        };
        QPointer<TfrmTestCust> form = showForm<TfrmTestCust>();
        customers.Append();
        customers.Cancel();
        QCOMPARE(marks, 0);
        form->close();
        QVERIFY(!customers.Active());
        customers.SetCommandText(QStringLiteral("select * from KH where 1=2"));
        customers.Open();
        customers.Append();
        customers.Cancel();
        QCOMPARE(marks, 1);
        customers.Close();
        customers.OnNewRecord = nullptr;
    }

    void exportMenuWritesTheChosenFormat()
    {
        QPointer<TfrmTestCust> form = showForm<TfrmTestCust>();
        const int rows = form->ListDataSet->RecordCount();

        // CSV, with the extension added and a byte-order mark for Chinese.
        {
            TFileDialogScript files;
            files.Answer(work.filePath(QStringLiteral("customers")), 2);
            TMessageBoxScript boxes;
            form->pmnExcel->trigger();
            QCOMPARE(files.Requests().first().FileName, QStringLiteral("客户资料"));
            QCOMPARE(files.Requests().first().Filters.size(), 5);
            QVERIFY(boxes.Last().Text.endsWith(work.filePath(QStringLiteral("customers.csv"))));
        }
        QFile csv(work.filePath(QStringLiteral("customers.csv")));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QByteArray bytes = csv.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        const QStringList lines =
            QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), rows + 1);
        QCOMPARE(lines.first(), QStringLiteral("编号,名称,助记码,期初应收,信用额度"));
        QVERIFY(lines.contains(QStringLiteral("T9001,O'Neil商行,ONSH,100,0")));

        // The workbook choice writes .xlsx and says so.
        {
            TFileDialogScript files;
            files.Answer(work.filePath(QStringLiteral("customers")), 1);
            TMessageBoxScript boxes;
            form->pmnExcel->trigger();
            QVERIFY(boxes.Last().Text.endsWith(work.filePath(QStringLiteral("customers.xlsx"))));
        }
        output::TSheetData sheet;
        QString error;
        QVERIFY2(output::readXlsxSheet(work.filePath(QStringLiteral("customers.xlsx")), 0, &sheet,
                                       &error),
                 qPrintable(error));
        QCOMPARE(sheet.cell(0, 1).toString(), QStringLiteral("名称"));
        QCOMPARE(sheet.rows.size(), rows + 1);

        // The one-pass workbook export.
        {
            TFileDialogScript files;
            files.Answer(work.filePath(QStringLiteral("onepass")));
            TMessageBoxScript boxes;
            form->pmnExcel2010->trigger();
            QCOMPARE(files.Requests().first().Filters, QStringList{"Excel(*.xlsx)"});
            QVERIFY(boxes.Last().Text.endsWith(work.filePath(QStringLiteral("onepass.xlsx"))));
        }
        QVERIFY(output::readXlsxSheet(work.filePath(QStringLiteral("onepass.xlsx")), 0, &sheet));
        QCOMPARE(sheet.rows.size(), rows + 1);

        // The table as an SQL script.
        {
            TFileDialogScript files;
            files.Answer(work.filePath(QStringLiteral("kh")));
            TMessageBoxScript boxes;
            form->pmnText->trigger();
            QCOMPARE(files.Requests().first().Filters, QStringList{"文本文件(*.txt)"});
        }
        QFile script(work.filePath(QStringLiteral("kh.txt")));
        QVERIFY(script.open(QIODevice::ReadOnly));
        const QStringList statements =
            QString::fromUtf8(script.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(statements.first(), QStringLiteral("delete from KH"));
        QCOMPARE(statements.size(), count(QStringLiteral("select count(*) from KH")) + 1);

        // Cancelling writes nothing and says nothing.
        {
            TFileDialogScript files;
            TMessageBoxScript boxes;
            form->pmnExcel->trigger();
            QCOMPARE(boxes.Count(), 0);
        }
        form->close();
    }

    void exportsAreRefusedWithoutRowsOrOutsideMasterData()
    {
        QPointer<TfrmTestDeliveries> deliveries = showForm<TfrmTestDeliveries>();
        {
            TMessageBoxScript boxes;
            TFileDialogScript files;
            deliveries->pmnText->trigger();
            QCOMPARE(boxes.Last().Text, QStringLiteral("只有基础资料才能导出为文本文件！"));
            QVERIFY(files.Requests().isEmpty());
        }
        deliveries->close();

        QPointer<TfrmTestCust> form = showForm<TfrmTestCust>();
        form->RzBtnNo->setText(QStringLiteral("no such customer"));
        form->btnFind->click();
        for (QAction *entry : {form->pmnExcel, form->pmnExcel2010, form->pmnText}) {
            TMessageBoxScript boxes;
            TFileDialogScript files;
            entry->trigger();
            QCOMPARE(boxes.Last().Text, QStringLiteral("没有数据,不能导出！"));
            QVERIFY(files.Requests().isEmpty());
        }
        form->close();
    }

    void printPreviewShowsTheCaptionAndPageFooter()
    {
        QPointer<TfrmTestCust> form = showForm<TfrmTestCust>();
        const TGridPrintOptions options = form->PrintOptions();
        QCOMPARE(options.Title, QStringLiteral("客户资料"));
        QCOMPARE(options.PageFooter, QStringLiteral("第&[Page]页，共&[Pages]页"));
        QVERIFY(options.TitleFont.bold());
        QCOMPARE(options.TitleFont.family(), options.Font.family());

        bool previewed = false;
        const auto answered =
            vztest::whenModal<QPrintPreviewDialog>([&previewed](QPrintPreviewDialog &preview) {
                previewed = preview.windowTitle() == QStringLiteral("客户资料");
                preview.reject();
            });
        form->aPrint->trigger();
        QVERIFY(previewed);
        form->close();
    }

    void keysFindAndDeleteFromTheGrid()
    {
        QPointer<TfrmTestCust> form = showForm<TfrmTestCust>();
        QApplication::setActiveWindow(form);
        form->DBGrid1->View()->setFocus();
        QVERIFY(form->DBGrid1->View()->hasFocus());

        form->ListDataSet->First();
        bool found = false;
        const auto answered = vztest::whenModal<TfrmFindPublic>([&found](TfrmFindPublic &find) {
            find.edtText->setText(QStringLiteral("o'neil"));
            find.cbFields->setCurrentIndex(1);
            find.btnFind->click();
            found = find.Found();
        });
        QTest::keyClick(form->DBGrid1->View(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(found);
        QCOMPARE(form->ListDataSet->FieldByName(QStringLiteral("ID"))->AsInteger(), 9001);

        TMessageBoxScript boxes; // "No": nothing deleted
        form->DBGrid1->View()->setFocus();
        QTest::keyClick(form->DBGrid1->View(), Qt::Key_Delete);
        QCOMPARE(boxes.Count(), 1);
        QCOMPARE(boxes.Last().Text, QStringLiteral("确定要删除此项资料吗?"));
        form->close();
    }
};

int runListFormTests(int argc, char **argv)
{
    TestListForm test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_listform.moc"
