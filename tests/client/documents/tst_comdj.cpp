// The document form on a real server with the demo account set: blank lines by opening mode,
// the save question, audit levels, navigation, the column editor's right, goods entry by
// look-up box, barcode and picker, prices by document type, amounts, and the Enter key.
#include "client/common/sqltext.h"
#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/documents/comdczl.h"
#include "client/documents/lineprices.h"
#include "client/documents/purin.h"
#include "client/documents/registerforms.h"
#include "client/documents/xskd.h"
#include "client/forms/calculator.h"
#include "client/forms/calendar.h"
#include "client/forms/globalobj.h"
#include "client/masterdata/columnsedit.h"
#include "client/masterdata/registerforms.h"
#include "client/masterdata/selectitem.h"
#include "client/shell/mainwindow.h"
#include "client/widgets/controls.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dbnavigator.h"
#include "client/widgets/ledgercells.h"
#include "client/widgets/lookupbox.h"
#include "client/widgets/messagebox.h"
#include "docsupport.h"
#include "support/testworld.h"
#include "support/whenmodal.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTest>

using vztest::whenModal;

namespace {

int count(const QString &sql)
{
    return QueryValue(sql).toInt();
}

void sendText(QWidget *widget, const QString &text)
{
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &release);
    }
}

void sendKey(QWidget *widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    const QString text = key == Qt::Key_Return   ? QStringLiteral("\r")
                         : key == Qt::Key_Escape ? QStringLiteral("\x1b")
                                                 : QString();
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(widget, &release);
}

using docsupport::flush;

} // namespace

class TestComDj : public QObject
{
    Q_OBJECT

    vztest::TestWorld world;
    QList<QPointer<TfrmComDj>> forms;
    // A message box no test asked for is answered (so nothing hangs) and fails the test.
    std::unique_ptr<TMessageBoxScript> unexpected;

    // A stored receipt of three lines of the first goods, uFlag as given.
    qint64 storeReceipt(qint64 id, int flag)
    {
        world.afterTest(QStringLiteral("delete from CGSH where ZBID = %1").arg(id));
        world.afterTest(QStringLiteral("delete from CGSHZB where ID = %1").arg(id));
        QStringList statements{
            QStringLiteral("insert into CGSHZB (ID, DJBH, RQ, GYSID, CKID, FPLX, CGLX, uFlag, "
                           "NZK, CZY) values (%1, 'CS%1', #2026-01-05#, 1, 1, 3, 1, %2, 1, 'SYS')")
                .arg(id)
                .arg(flag)};
        for (int line = 1; line <= 3; ++line)
            statements << QStringLiteral("insert into CGSH (ZBID, HH, HPID, SL, DJ, NZK, NSL, "
                                         "RECID) values (%1, %2, %3, %2, 10, 1, 17, 'R%1_%2')")
                              .arg(id)
                              .arg(line)
                              .arg(line);
        return ExecSQLScript(statements) ? id : 0;
    }

    template<class Form = TfrmPurIn>
    Form *open(const QString &mode, const QString &headerWhere = {}, bool singleBill = false)
    {
        if (!headerWhere.isEmpty()) {
            TClientDataSet &header = Data().Cgshzb();
            header.Close();
            header.SetCommandText(TfrmPurIn::HeaderQuery(headerWhere));
            header.Open();
        }
        Form *form = CreateForm<Form>();
        form->FOpenMode = mode;
        form->FSingleBill = singleBill;
        forms << form;
        form->show();
        flush();
        return form;
    }

    void close(TfrmComDj *form) { docsupport::closeDocument(form); }

    static TClientDataSet &lines(TfrmComDj *form) { return *form->MxDataSet(); }
    static TClientDataSet &header(TfrmComDj *form) { return *form->ZbDataSet(); }

    static void setLine(TfrmComDj *form, const char *field, const QVariant &value)
    {
        TClientDataSet &mx = lines(form);
        mx.Edit();
        mx.FieldByName(QLatin1String(field))->SetValue(value);
    }

    static int columnOf(TfrmComDj *form, const char *field)
    {
        const TColumn *column = form->DBGrid1->Columns().FindByFieldName(QLatin1String(field));
        return column ? column->Index() : -1;
    }

    void loginAs(const QString &user)
    {
        QVERIFY(world.login(user));
        TSystemFunctionRight &right = FuncRight();
        right.LoadRights(right.UserCode, right.GroupIDs, QStringLiteral("Sys_FuncTree_office"));
    }

    QString firstGoodsCode()
    {
        return QueryValue(QStringLiteral("select BH from HP where ID = 1")).toString();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(world.start(), qPrintable(world.error()));
        RegisterMasterDataForms();
        RegisterDocumentForms();
    }

    void cleanupTestCase() { world.stop(); }

    void init() { unexpected = std::make_unique<TMessageBoxScript>(); }

    void cleanup()
    {
        const QStringList texts = docsupport::unexpectedTexts(unexpected);
        for (const QPointer<TfrmComDj> &form : forms)
            if (form)
                close(form);
        forms.clear();
        for (TClientDataSet *dataSet : {&Data().Cgshzb(), &Data().Cgsh(), &Data().Xskdzb(),
                                        &Data().Xskd(), &Data().QProducts()})
            dataSet->Close();
        FuncRight().AuditNum = 1;
        loginAs(QStringLiteral("SYS"));
        world.cleanup();
        QVERIFY2(texts.isEmpty(), qPrintable(texts.join(QLatin1Char('|'))));
    }

    // --- Opening ------------------------------------------------------------------------------

    void menuItemOpensTheReceiptListWhoseNewIsAReceipt()
    {
        QVERIFY(world.keepTables({QStringLiteral("MaxBillNo")}));
        auto main = std::make_unique<TfrmMain>();
        main->FormCreate();
        main->resize(1200, 800);
        main->show();
        main->Item(QStringLiteral("mnuCgsh"))->trigger();
        flush();
        QPointer<TfrmComDczb> list = qobject_cast<TfrmComDczb *>(
            GlobalObj().MDIWindows.FindForm(QStringLiteral("frmPurInWork")));
        QVERIFY(list);
        QCOMPARE(list->windowTitle(), QStringLiteral("采购入库单总表"));
        auto answered = vztest::whenModal<TfrmPurIn>([](TfrmPurIn &form) {
            QCOMPARE(form.windowTitle(), QStringLiteral("采购入库单"));
            QCOMPARE(form.Label1->text(), QStringLiteral("采购入库单"));
            QCOMPARE(form.MxDataSet()->RecordCount(), 16);
            QVERIFY(form.Menu_Ref->isVisible());
            TMessageBoxScript dropIt{mrNo};
            form.Close();
        });
        list->aNew->trigger();
        QVERIFY(answered);
        list->Close();
        flush();
        QVERIFY(!list);
        Data().Cgsh().Close();
    }

    void newDocumentHasSixteenLinesWhenOpenedNewAndFifteenFromNew()
    {
        QVERIFY(world.keepTables({QStringLiteral("MaxBillNo")}));
        TfrmPurIn *form = open(QStringLiteral("A"));
        QCOMPARE(lines(form).RecordCount(), 16);
        QCOMPARE(header(form).State(), dsInsert);
        QVERIFY(header(form)
                    .FieldByName(QStringLiteral("DJBH"))
                    ->AsString()
                    .startsWith(QLatin1String("CS")));
        QCOMPARE(form->pStatus->text(), QStringLiteral("草稿"));
        QVERIFY(form->aSave->isEnabled());
        QVERIFY(!form->aNew->isEnabled());
        // The lines of a new receipt take the tax rate of its invoice type (增值税发票).
        QCOMPARE(lines(form).FieldByName(QStringLiteral("NSL"))->AsFloat(), 17.0);
        QVERIFY(form->PanelBottom->isVisible());
        QVERIFY(form->Menu_Ref->isVisible());

        // Dropping the new document and starting another gives the plain 15.
        {
            TMessageBoxScript answers{mrYes};
            form->aCancel->trigger();
        }
        QVERIFY(form->aNew->isEnabled());
        form->aNew->trigger();
        QCOMPARE(lines(form).RecordCount(), 15);
    }

    void closingWithChangesAsksAndCancelKeepsEverything()
    {
        TfrmPurIn *form = open(QStringLiteral("A"));
        setLine(form, "aBH", firstGoodsCode());
        lines(form).Post();
        QVERIFY(form->IsModified());
        const QString code = lines(form).FieldByName(QStringLiteral("aBH"))->AsString();
        {
            TMessageBoxScript answers{mrCancel};
            form->Close();
            flush();
            QCOMPARE(answers.Count(), 1);
            QCOMPARE(answers.Last().Text, QStringLiteral("保存单据吗?"));
            QCOMPARE(answers.Last().Caption, QStringLiteral("单据保存"));
        }
        QVERIFY(form->isVisible());
        QVERIFY(form->IsModified());
        QCOMPARE(header(form).State(), dsInsert);
        QCOMPARE(lines(form).FieldByName(QStringLiteral("aBH"))->AsString(), code);
        QCOMPARE(lines(form).RecordCount(), 16);
    }

    void scrollingWithChangesAsksAndCancelStays()
    {
        QVERIFY(storeReceipt(990001, 0));
        QVERIFY(storeReceipt(990002, 0));
        TfrmPurIn *form = open(QStringLiteral("M"),
                               QStringLiteral(" where Z.ID in (990001, 990002) order by Z.ID"));
        QCOMPARE(header(form).FieldByName(QStringLiteral("ID"))->AsInteger(), 990001);
        QCOMPARE(lines(form).RecordCount(), 3);
        QVERIFY(form->aNext->isEnabled());
        QVERIFY(!form->aPrior->isEnabled());
        setLine(form, "SL", 7);
        lines(form).Post();
        QVERIFY(form->IsModified());
        {
            TMessageBoxScript answers{mrCancel};
            form->aNext->trigger();
            QCOMPARE(answers.Count(), 1);
        }
        QCOMPARE(header(form).FieldByName(QStringLiteral("ID"))->AsInteger(), 990001);
        QCOMPARE(lines(form).FieldByName(QStringLiteral("SL"))->AsFloat(), 7.0);
        {
            // No: move on without saving; the next receipt's lines load.
            TMessageBoxScript answers{mrNo};
            form->aNext->trigger();
        }
        QCOMPARE(header(form).FieldByName(QStringLiteral("ID"))->AsInteger(), 990002);
        QCOMPARE(lines(form).RecordCount(), 3);
        QVERIFY(!form->aNext->isEnabled());
        QVERIFY(form->aPrior->isEnabled());
        QCOMPARE(count(QStringLiteral("select sum(SL) from CGSH where ZBID = 990001")), 6);

        // Cancel gives a stored document its lines back, as the server holds them.
        lines(form).First();
        setLine(form, "SL", 9);
        lines(form).Post();
        lines(form).Append();
        lines(form).Post();
        {
            TMessageBoxScript answers{mrYes};
            form->aCancel->trigger();
        }
        QVERIFY(!form->IsModified());
        QCOMPARE(lines(form).RecordCount(), 3);
        lines(form).First();
        QCOMPARE(lines(form).FieldByName(QStringLiteral("SL"))->AsFloat(), 1.0);
        QCOMPARE(header(form).FieldByName(QStringLiteral("ID"))->AsInteger(), 990002);
    }

    void singleBillNeverNavigates()
    {
        QVERIFY(storeReceipt(990001, 0));
        QVERIFY(storeReceipt(990002, 0));
        TfrmPurIn *form =
            open(QStringLiteral("M"),
                 QStringLiteral(" where Z.ID in (990001, 990002) order by Z.ID"), true);
        QVERIFY(!form->aNext->isEnabled());
        QVERIFY(!form->aPrior->isEnabled());
        QVERIFY(!form->DBNavigator1->isEnabled());
        header(form).Next();
        flush();
        QVERIFY(!form->aNext->isEnabled());
        QVERIFY(!form->aPrior->isEnabled());
    }

    void auditLevelsShapeTheForm_data()
    {
        QTest::addColumn<int>("flag");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("auditCaption");
        QTest::addColumn<bool>("headerEditable");
        QTest::addColumn<bool>("canDelete");
        QTest::addColumn<bool>("canAudit");
        QTest::addColumn<bool>("canUnAudit");
        QTest::newRow("draft") << 0 << "草稿"
                               << "一审(&O)" << true << true << true << false;
        QTest::newRow("level 1 of 2") << 1 << "草稿"
                                      << "二审(&O)" << false << false << true << true;
        QTest::newRow("audited") << 2 << "已审核"
                                 << "二审(&O)" << false << false << false << true;
    }

    void auditLevelsShapeTheForm()
    {
        QFETCH(int, flag);
        QFETCH(QString, status);
        QFETCH(QString, auditCaption);
        QFETCH(bool, headerEditable);
        QFETCH(bool, canDelete);
        QFETCH(bool, canAudit);
        QFETCH(bool, canUnAudit);
        FuncRight().AuditNum = 2;
        QVERIFY(storeReceipt(990003, flag));
        TfrmPurIn *form = open(QStringLiteral("M"), QStringLiteral(" where Z.ID = 990003"));
        QCOMPARE(form->pStatus->text(), status);
        QCOMPARE(form->aAudit->text(), auditCaption);
        QCOMPARE(form->DBEditGysBH->isEnabled(), headerEditable);
        QCOMPARE(form->aDel->isEnabled(), canDelete);
        QCOMPARE(form->aAudit->isEnabled(), canAudit);
        QCOMPARE(form->aUnAudit->isEnabled(), canUnAudit);
        QCOMPARE(form->aInsert->isEnabled(), flag == 0);
        QCOMPARE(form->DBGrid1->ReadOnly(), flag > 0);
        QCOMPARE(form->aDelete->isEnabled(), flag == 0);
        QVERIFY(!form->aSave->isEnabled());
        if (flag > 0) {
            TMessageBoxScript answers;
            form->aDel->trigger();
            QCOMPARE(count(QStringLiteral("select count(*) from CGSHZB where ID = 990003")), 1);
        }
        if (flag == 1) {
            // Modify opens the partly audited header for editing.
            form->aModify->trigger();
            QVERIFY(form->DBEditGysBH->isEnabled());
            QVERIFY(!form->DBGrid1->ReadOnly());
            QVERIFY(form->aSave->isEnabled());
            QVERIFY(!form->aDel->isEnabled());
        }
    }

    void deleteRemovesHeaderAndLinesTogether()
    {
        QVERIFY(storeReceipt(990004, 0));
        TfrmPurIn *form = open(QStringLiteral("M"), QStringLiteral(" where Z.ID = 990004"));
        {
            TMessageBoxScript answers{mrNo};
            form->aDel->trigger();
            QCOMPARE(answers.Last().Text,
                     QStringLiteral("此张单有3条明细！\n删除单后不能恢复数据，确定要删除此张单吗"));
        }
        QCOMPARE(count(QStringLiteral("select count(*) from CGSH where ZBID = 990004")), 3);
        {
            TMessageBoxScript answers{mrYes};
            form->aDel->trigger();
        }
        QCOMPARE(count(QStringLiteral("select count(*) from CGSH where ZBID = 990004")), 0);
        QCOMPARE(count(QStringLiteral("select count(*) from CGSHZB where ID = 990004")), 0);
        QVERIFY(header(form).IsEmpty());
    }

    void onlyTheAdministratorEditsTheLayout()
    {
        loginAs(QStringLiteral("CK01"));
        TfrmPurIn *form = open(QStringLiteral("A"));
        {
            TMessageBoxScript answers;
            form->aFormat->trigger();
            QCOMPARE(answers.Last().Text, QStringLiteral("只有SYS用户才有权限设置格式！"));
        }
        close(form);
        loginAs(QStringLiteral("SYS"));
        form = open(QStringLiteral("A"));
        auto shown = whenModal<TfrmTableColumnsEdit>(
            [](TfrmTableColumnsEdit &editor) { editor.btnClose->click(); });
        form->aFormat->trigger();
        QVERIFY(shown);
    }

    void storedLayoutBoundsTheEnterWalk()
    {
        world.afterTest(QStringLiteral("delete from TableColumns where TableName = 'mnuCgsh'"));
        // Code, quantity and price shown in that order; everything else hidden.
        QVERIFY(ExecSQLScript(
            {QStringLiteral(
                 "insert into TableColumns (TableName, FieldName, FieldCaption, Width, "
                 "IsShow, PrintIsShow, XH) values ('mnuCgsh', 'aBH', '编号', 90, 1, 1, 1)"),
             QStringLiteral(
                 "insert into TableColumns (TableName, FieldName, FieldCaption, Width, "
                 "IsShow, PrintIsShow, XH) values ('mnuCgsh', 'SL', '数量', 60, 1, 1, 2)"),
             QStringLiteral(
                 "insert into TableColumns (TableName, FieldName, FieldCaption, Width, "
                 "IsShow, PrintIsShow, XH) values ('mnuCgsh', 'DJ', '价格', 60, 1, 1, 3)")}));
        TfrmPurIn *form = open(QStringLiteral("A"));
        QCOMPARE(form->VisibleColumns(), 3);
        QCOMPARE(form->DBGrid1->Columns()[2]->Title().Caption(), QStringLiteral("价格"));
        QTableView *view = form->DBGrid1->View();
        view->setFocus();
        form->DBGrid1->SetSelectedIndex(0);
        sendKey(view, Qt::Key_Return);
        QCOMPARE(form->DBGrid1->SelectedField()->FieldName(), QStringLiteral("SL"));
        sendKey(view, Qt::Key_Return);
        QCOMPARE(form->DBGrid1->SelectedField()->FieldName(), QStringLiteral("DJ"));
        sendKey(view, Qt::Key_Return);
        QCOMPARE(form->DBGrid1->SelectedIndex(), 0);
        QCOMPARE(lines(form).RecNo(), 2);
    }

    // --- Saving --------------------------------------------------------------------------------

    // A new receipt from supplier 1 into warehouse 1 with goods 1, 2 and 3 on lines 1, 3 and 5.
    TfrmPurIn *newReceiptWithGaps()
    {
        TfrmPurIn *form = open(QStringLiteral("A"));
        TClientDataSet &zb = header(form);
        zb.FieldByName(QStringLiteral("GYSID"))->SetAsInteger(1);
        zb.FieldByName(QStringLiteral("aGYSMC"))
            ->SetAsString(QueryValue(QStringLiteral("select MC from GYS where ID = 1")).toString());
        zb.FieldByName(QStringLiteral("CKID"))->SetAsInteger(1);
        zb.FieldByName(QStringLiteral("YWY"))->SetAsString(QStringLiteral("张三"));
        TClientDataSet &mx = lines(form);
        mx.First();
        for (int goods = 1; goods <= 3; ++goods) {
            setLine(form, "aBH",
                    QueryValue(QStringLiteral("select BH from HP where ID = %1").arg(goods)));
            mx.FieldByName(QStringLiteral("SL"))->SetAsFloat(goods);
            mx.FieldByName(QStringLiteral("DJ"))->SetAsFloat(10);
            mx.Post();
            mx.MoveBy(2);
        }
        return form;
    }

    void saveStoresTheFilledLinesNumberedInOneRequest()
    {
        QVERIFY(world.keepTables(
            {QStringLiteral("CGSHZB"), QStringLiteral("CGSH"), QStringLiteral("MaxBillNo")}));
        TfrmPurIn *form = newReceiptWithGaps();
        const qint64 id = header(form).FieldByName(QStringLiteral("ID"))->AsLargeInt();
        const qint64 requests = Data().cn().RequestCount();
        form->aSave->trigger();
        // Lines and header in one request.
        QCOMPARE(Data().cn().RequestCount() - requests, 1);
        QVERIFY(!form->IsModified());
        QCOMPARE(form->FOpenMode, QStringLiteral("M"));
        QCOMPARE(header(form).State(), dsBrowse);
        QCOMPARE(header(form).ChangeCount(), 0);
        QCOMPARE(lines(form).ChangeCount(), 0);
        // Three lines, 1 to 3, with the header's number, date and warehouse; the total.
        QCOMPARE(count(QStringLiteral("select count(*) from CGSH where ZBID = %1").arg(id)), 3);
        QCOMPARE(count(QStringLiteral("select sum(HH) from CGSH where ZBID = %1").arg(id)), 6);
        QCOMPARE(count(QStringLiteral("select count(*) from CGSH C, CGSHZB Z where C.ZBID = Z.ID "
                                      "and C.DJBH = Z.DJBH and C.RQ = Z.RQ and C.CKID = 1 and Z.ID "
                                      "= %1")
                           .arg(id)),
                 3);
        QCOMPARE(
            QueryValue(QStringLiteral("select JE from CGSHZB where ID = %1").arg(id)).toDouble(),
            60.0);
        QVERIFY(form->aNew->isEnabled());
        QVERIFY(form->aAudit->isEnabled());
    }

    void refusedSavesStoreNothingAndKeepTheDocument()
    {
        QVERIFY(world.keepTables(
            {QStringLiteral("CGSHZB"), QStringLiteral("CGSH"), QStringLiteral("MaxBillNo")}));
        const int headers = count(QStringLiteral("select count(*) from CGSHZB"));
        const int stored = count(QStringLiteral("select count(*) from CGSH"));
        TfrmPurIn *form = newReceiptWithGaps();
        header(form).FieldByName(QStringLiteral("aGYSMC"))->SetAsString(QString());
        {
            TMessageBoxScript answers;
            form->aSave->trigger();
            QCOMPARE(answers.Last().Text, QStringLiteral("'供应商'未录入, 请继续录入!"));
        }
        QVERIFY(form->IsModified());
        QCOMPARE(lines(form).RecordCount(), 3);
        QCOMPARE(count(QStringLiteral("select count(*) from CGSHZB")), headers);
        QCOMPARE(count(QStringLiteral("select count(*) from CGSH")), stored);

        // The number taken meanwhile by a document stored elsewhere: drawn again, unseen.
        header(form).Edit();
        header(form).FieldByName(QStringLiteral("aGYSMC"))->SetAsString(QStringLiteral("某供应商"));
        const QString number = header(form).FieldByName(QStringLiteral("DJBH"))->AsString();
        QVERIFY(ExecSQL(QStringLiteral("insert into CGSHZB (ID, DJBH, RQ) values (990099, %1, "
                                       "#2026-01-01#)")
                            .arg(QuotedStr(number))));
        form->aSave->trigger();
        QVERIFY(!form->IsModified());
        QVERIFY(header(form).FieldByName(QStringLiteral("DJBH"))->AsString() != number);
        QCOMPARE(form->NumberRetries(), 1);
        QCOMPARE(count(QStringLiteral("select count(*) from CGSH")), stored + 3);

        // Nothing but empty lines.
        QVERIFY(ExecSQL(QStringLiteral("delete from CGSHZB where ID = 990099")));
        form->aNew->trigger();
        {
            TMessageBoxScript answers;
            form->aSave->trigger();
            QCOMPARE(answers.Last().Text, QStringLiteral("单据明细为空，不能保存！"));
        }
        QCOMPARE(count(QStringLiteral("select count(*) from CGSHZB")), headers + 1);
    }

    // --- Lines ---------------------------------------------------------------------------------

    void enterWalksEditableColumnsAndAppendsAtTheEnd()
    {
        TfrmPurIn *form = open(QStringLiteral("A"));
        TDBGrid *grid = form->DBGrid1;
        QTableView *view = grid->View();
        view->setFocus();
        // From the code to the quantity: name, size and unit are read-only.
        grid->SetSelectedIndex(0);
        sendKey(view, Qt::Key_Return);
        QCOMPARE(grid->SelectedField()->FieldName(), QStringLiteral("SL"));
        QStringList walked;
        for (int i = 0; i < 5; ++i) {
            walked << grid->SelectedField()->FieldName();
            sendKey(view, Qt::Key_Return);
        }
        QCOMPARE(walked, (QStringList{"SL", "DJ", "NZK", "cJE", "NSL"}));
        QCOMPARE(grid->SelectedField()->FieldName(), QStringLiteral("SRCNO"));
        sendKey(view, Qt::Key_Return);
        QCOMPARE(grid->SelectedIndex(), 0);
        QCOMPARE(lines(form).RecNo(), 2);

        // Past the last line a new one is appended.
        lines(form).Last();
        grid->SetSelectedIndex(columnOf(form, "SRCNO"));
        sendKey(view, Qt::Key_Return);
        QCOMPARE(lines(form).State(), dsInsert);
        QCOMPARE(grid->SelectedIndex(), 0);
    }

    void lookupBoxFiltersByCodeNameAndMnemonic()
    {
        TfrmPurIn *form = open(QStringLiteral("A"));
        TDBGrid *grid = form->DBGrid1;
        grid->View()->setFocus();
        grid->SetSelectedIndex(columnOf(form, "aBH"));
        sendText(grid->View(), QStringLiteral("a"));
        flush();
        TDBLookupBox *box = form->wwDBLKProductCode;
        QVERIFY(box->isVisible());
        QCOMPARE(box->Text(), QStringLiteral("a"));
        TClientDataSet *list = box->ListSource()->DataSet();
        QVERIFY(list->Filtered());
        QCOMPARE(list->Filter(), QStringLiteral("bh like 'a%' or pm like 'a%' or zjm like 'A%'"));
        const int expected = count(QStringLiteral(
            "select count(*) from HP where not ZT and (BH like 'a%' or PM like 'a%' or ZJM like "
            "'A%')"));
        QVERIFY(expected > 0);
        QCOMPARE(list->RecordCount(), expected);
        // The box stands over the code cell.
        QRect cell = grid->CurrentCellRect();
        cell.moveTopLeft(grid->mapTo(form, cell.topLeft()));
        QCOMPARE(box->geometry().topLeft(), cell.topLeft());

        // Escape gives up the typing, not the document.
        sendKey(box->Editor(), Qt::Key_Escape);
        flush();
        QVERIFY(!box->isVisible());
        QVERIFY(form->isVisible());
        sendText(grid->View(), QStringLiteral("a"));
        flush();
        QVERIFY(box->isVisible());

        // Enter takes the first row and goes on to the quantity.
        list->First();
        const QString first = list->FieldByName(QStringLiteral("BH"))->AsString();
        sendKey(box->Editor(), Qt::Key_Return);
        flush();
        QVERIFY(!box->isVisible());
        QCOMPARE(lines(form).FieldByName(QStringLiteral("aBH"))->AsString(), first);
        QVERIFY(!lines(form).FieldByName(QStringLiteral("aPM"))->AsString().isEmpty());
        QCOMPARE(grid->SelectedField()->FieldName(), QStringLiteral("SL"));
    }

    void goodsCodeFillsTheLineOrIsRefused()
    {
        TfrmPurIn *form = open(QStringLiteral("A"));
        const QString code = firstGoodsCode();
        setLine(form, "aBH", code);
        TClientDataSet &mx = lines(form);
        QCOMPARE(mx.FieldByName(QStringLiteral("HPID"))->AsInteger(), 1);
        QCOMPARE(mx.FieldByName(QStringLiteral("aPM"))->AsString(),
                 QueryValue(QStringLiteral("select PM from HP where ID = 1")).toString());
        QCOMPARE(mx.FieldByName(QStringLiteral("DJ"))->AsFloat(),
                 QueryValue(QStringLiteral("select JJ from HP where ID = 1")).toDouble());
        QVERIFY(!mx.FieldByName(QStringLiteral("TypeName"))->AsString().isEmpty());
        mx.Post();
        mx.Next();
        TMessageBoxScript answers;
        setLine(form, "aBH", QStringLiteral("no-such-'code"));
        QCOMPARE(answers.Last().Text, QStringLiteral("该货品不存在！"));
        QVERIFY(mx.FieldByName(QStringLiteral("aBH"))->AsString().isEmpty());
        QCOMPARE(mx.FieldByName(QStringLiteral("HH"))->AsInteger(), 0);
    }

    void amountsAndAmountToPrice()
    {
        TfrmPurIn *form = open(QStringLiteral("A"));
        TClientDataSet &mx = lines(form);
        setLine(form, "aBH", firstGoodsCode());
        mx.FieldByName(QStringLiteral("SL"))->SetAsFloat(3);
        mx.FieldByName(QStringLiteral("DJ"))->SetAsFloat(10);
        mx.FieldByName(QStringLiteral("NZK"))->SetAsFloat(0.9);
        QCOMPARE(mx.FieldByName(QStringLiteral("cJE"))->AsFloat(), 27.0);
        mx.Post();
        QCOMPARE(form->DBGrid1->FooterValue(columnOf(form, "cJE")).toDouble(), 27.0);

        // An amount typed on 4 pieces gives the price when the amount column is left.
        struct Case
        {
            double quantity, amount, price;
        };
        for (const Case &c : {Case{4, 50, 12.5}, Case{0, 50, 10}}) {
            mx.Edit();
            mx.FieldByName(QStringLiteral("NZK"))->SetAsFloat(1);
            mx.FieldByName(QStringLiteral("DJ"))->SetAsFloat(10);
            mx.FieldByName(QStringLiteral("SL"))->SetAsFloat(c.quantity);
            form->DBGrid1->SetSelectedIndex(columnOf(form, "cJE"));
            mx.FieldByName(QStringLiteral("cJE"))->SetAsFloat(c.amount);
            form->DBGrid1->SetSelectedIndex(columnOf(form, "NSL"));
            QCOMPARE(mx.FieldByName(QStringLiteral("DJ"))->AsFloat(), c.price);
            mx.Post();
        }
    }

    void priceAndQuantityPostTheLineAtOnce()
    {
        TfrmPurIn *form = open(QStringLiteral("A"));
        TClientDataSet &mx = lines(form);
        setLine(form, "aBH", firstGoodsCode());
        mx.Post();
        mx.Edit();
        mx.FieldByName(QStringLiteral("SL"))->SetText(QStringLiteral("5"));
        QCOMPARE(mx.State(), dsBrowse);
        QCOMPARE(mx.FieldByName(QStringLiteral("SL"))->AsFloat(), 5.0);
        // A line without goods waits for its post.
        mx.Next();
        mx.Edit();
        mx.FieldByName(QStringLiteral("SL"))->SetText(QStringLiteral("2"));
        QCOMPARE(mx.State(), dsEdit);
        mx.Cancel();
    }

    void theSameBarcodeTwiceFillsTwoLines()
    {
        TfrmPurIn *form = open(QStringLiteral("A"));
        const QString barcode =
            QueryValue(QStringLiteral("select BarCode from HP where ID = 2")).toString();
        const double retail =
            QueryValue(QStringLiteral("select JQJ from HP where ID = 2")).toDouble();
        form->editNum->setText(QStringLiteral("3"));
        for (int scan = 0; scan < 2; ++scan) {
            form->editBarcode->setText(barcode);
            Q_EMIT form->editBarcode->returnPressed();
            QVERIFY(form->editBarcode->text().isEmpty());
        }
        TClientDataSet &mx = lines(form);
        QCOMPARE(mx.RecordCount(), 16);
        mx.First();
        for (int line = 0; line < 2; ++line) {
            QCOMPARE(mx.FieldByName(QStringLiteral("HPID"))->AsInteger(), 2);
            QCOMPARE(mx.FieldByName(QStringLiteral("SL"))->AsFloat(), 3.0);
            QCOMPARE(mx.FieldByName(QStringLiteral("DJ"))->AsFloat(), retail);
            mx.Next();
        }
        QVERIFY(mx.FieldByName(QStringLiteral("aBH"))->AsString().isEmpty());

        TMessageBoxScript answers;
        form->editBarcode->setText(QStringLiteral("nothing-'like-it"));
        Q_EMIT form->editBarcode->returnPressed();
        QCOMPARE(answers.Last().Text, QStringLiteral("输入的货品条码不正确，请重新输入！"));
        form->editBarcode->clear();
        Q_EMIT form->editBarcode->returnPressed();
        QCOMPARE(answers.Last().Text, QStringLiteral("条码不能为空！"));
        form->editBarcode->setText(barcode);
        form->editNum->clear();
        Q_EMIT form->editBarcode->returnPressed();
        QCOMPARE(answers.Last().Text, QStringLiteral("数量不能为空！"));
    }

    void salesPriceFollowsTheHeaderPriceLevel_data()
    {
        QTest::addColumn<QString>("level");
        QTest::addColumn<QString>("column");
        QTest::newRow("VIP") << "VIP价"
                             << "JVIP";
        QTest::newRow("member") << "会员价"
                                << "JHY";
        QTest::newRow("retail") << "零售价"
                                << "JQJ";
        QTest::newRow("standard") << "销售价"
                                  << "JJJ";
    }

    void salesPriceFollowsTheHeaderPriceLevel()
    {
        QFETCH(QString, level);
        QFETCH(QString, column);
        auto *form = open<TfrmSalOunt>(QStringLiteral("A"));
        header(form).FieldByName(QStringLiteral("PriceLevel"))->SetAsString(level);
        setLine(form, "aBH", firstGoodsCode());
        TClientDataSet &mx = lines(form);
        QCOMPARE(
            mx.FieldByName(QStringLiteral("DJ"))->AsFloat(),
            QueryValue(QStringLiteral("select %1 from HP where ID = 1").arg(column)).toDouble());
        const bool averaged =
            QueryValue(QStringLiteral("select HPHSFSID from HP where ID = 1")).toInt() == 1;
        if (!averaged)
            QCOMPARE(mx.FieldByName(QStringLiteral("CBDJ"))->AsFloat(),
                     QueryValue(QStringLiteral("select JJ from HP where ID = 1")).toDouble());
        QVERIFY(mx.FindField(QStringLiteral("cLRJE")));
    }

    void customerPriceFollowsTheCustomerLevel_data()
    {
        QTest::addColumn<QString>("level");
        QTest::addColumn<QString>("column");
        QTest::newRow("none") << ""
                              << "JJJ";
        QTest::newRow("second") << "销售价二"
                                << "F1";
        QTest::newRow("fourth") << "销售价四"
                                << "F3";
        QTest::newRow("last sold, never sold") << "最后销售价"
                                               << "JJJ";
    }

    void customerPriceFollowsTheCustomerLevel()
    {
        QFETCH(QString, level);
        QFETCH(QString, column);
        QVERIFY(world.keepTables({QStringLiteral("KH")}));
        QVERIFY(ExecSQL(
            QStringLiteral("update KH set PriceLevel = %1 where ID = 2").arg(QuotedStr(level))));
        // A goods item never sold to the customer.
        const int goods = count(QStringLiteral(
            "select min(ID) from HP where ID not in (select M.HPID from XSKDZB Z, XSKD M where "
            "Z.ID = M.ZBID and Z.KHID = 2)"));
        QVERIFY(goods > 0);
        QCOMPARE(
            lines::GetCustomerPrice(goods, 2),
            QueryValue(QStringLiteral("select %1 from HP where ID = %2").arg(column).arg(goods))
                .toDouble());
    }

    void lastSalePriceIsTheLatestDelivery()
    {
        QVERIFY(world.keepTables({QStringLiteral("KH")}));
        QVERIFY(ExecSQL(QStringLiteral("update KH set PriceLevel = '最后销售价' where ID = 2")));
        const int goods = count(QStringLiteral(
            "select min(M.HPID) from XSKDZB Z, XSKD M where Z.ID = M.ZBID and Z.KHID = 2"));
        QVERIFY(goods > 0);
        const double last = QueryValue(QStringLiteral("select top 1 M.DJ from XSKDZB Z, XSKD M "
                                                      "where Z.ID = M.ZBID and M.HPID = %1 and "
                                                      "Z.KHID = 2 order by Z.DJBH desc")
                                           .arg(goods))
                                .toDouble();
        QCOMPARE(lines::GetCustomerPrice(goods, 2), last);
    }

    void pickerChoiceFillsTheLine()
    {
        TfrmPurIn *form = open(QStringLiteral("A"));
        form->DBGrid1->SetSelectedIndex(columnOf(form, "aBH"));
        const QString code = firstGoodsCode();
        auto picked = whenModal<TfrmSelectItem>([&code](TfrmSelectItem &picker) {
            QVERIFY(picker.cdsHP->Locate(QStringLiteral("BH"), code));
            picker.btnOk->click();
        });
        form->DBGrid1->OnEditButtonClick(*form->DBGrid1);
        QVERIFY(picked);
        QCOMPARE(lines(form).FieldByName(QStringLiteral("aBH"))->AsString(), code);
        QCOMPARE(lines(form).FieldByName(QStringLiteral("HPID"))->AsInteger(), 1);
    }

    void calendarAndCalculatorAreOneWindowEach()
    {
        TfrmPurIn *form = open(QStringLiteral("A"));
        form->aCalendar->trigger();
        form->aCalendar->trigger();
        QList<TfrmCalendar *> calendars;
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (auto *calendar = qobject_cast<TfrmCalendar *>(widget);
                calendar && calendar->isVisible())
                calendars << calendar;
        QCOMPARE(calendars.size(), 1);
        QCOMPARE(calendars[0]->SelectedDate(), QDate::currentDate());
        QVERIFY(calendars[0]->DayText->text().contains(QStringLiteral("农历")));
        calendars[0]->close();
        flush();

        for (const char *program :
             {"gnome-calculator", "kcalc", "galculator", "mate-calc", "qalculate-gtk", "xcalc"})
            if (!QStandardPaths::findExecutable(QLatin1String(program)).isEmpty())
                QSKIP("the desktop's calculator would start");
        form->aCalculator->trigger();
        form->aCalculator->trigger();
        QList<TfrmCalculator *> calculators;
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (auto *calculator = qobject_cast<TfrmCalculator *>(widget);
                calculator && calculator->isVisible())
                calculators << calculator;
        QCOMPARE(calculators.size(), 1);
        for (const char *key : {"1", "2", ".", "5", "*", "4", "="})
            calculators[0]->Press(QLatin1String(key));
        QCOMPARE(calculators[0]->Display->text(), QStringLiteral("50"));
        calculators[0]->close();
        flush();
    }

    void ledgerCellsDrawNegativeAmountsInRed()
    {
        TfrmPurIn *form = open(QStringLiteral("A"));
        QVERIFY(form->DBGrid1->Columns()[columnOf(form, "cJE")]->LedgerCells());
        QVERIFY(!form->DBGrid1->Columns()[columnOf(form, "DJ")]->LedgerCells());
        const TLedgerLayout layout = LedgerLayout(-1234.5, 7);
        QString digits;
        for (const QChar cell : layout.Cells)
            if (cell != QLatin1Char(' '))
                digits += cell;
        QCOMPARE(digits, QStringLiteral("-123450"));
        QVERIFY(layout.Red);
    }
};

QTEST_MAIN(TestComDj)
#include "tst_comdj.moc"
