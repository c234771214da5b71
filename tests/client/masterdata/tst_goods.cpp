// Goods against a real server on the demo account set: the list with its category tree and
// the user's category scope, the edit form's rules, deletion with the reference check,
// pictures, recomputing mnemonics, and the pickers every document chooses goods, customers
// and categories with.
#include "client/common/pinyin.h"
#include "client/common/sqltext.h"
#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/forms/filedialogs.h"
#include "client/forms/globalobj.h"
#include "client/forms/procblobobj.h"
#include "client/forms/reconcileerrorform.h"
#include "client/masterdata/goodssql.h"
#include "client/masterdata/hp.h"
#include "client/masterdata/itemedit.h"
#include "client/masterdata/itemtypeedit.h"
#include "client/masterdata/partnerhelp.h"
#include "client/masterdata/registerforms.h"
#include "client/masterdata/selectitem.h"
#include "client/shell/mainwindow.h"
#include "client/widgets/controls.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dbtreeview.h"
#include "client/widgets/image.h"
#include "client/widgets/messagebox.h"
#include "masterdatatest.h"
#include "support/testpictures.h"
#include "support/testworld.h"
#include "wire/client.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QStandardItem>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using vztest::whenModal;

namespace {

using masterdatatest::count;
using masterdatatest::text;

// The goods of a category and of its direct children.
QString categoryGoods(int key)
{
    return QStringLiteral("select count(*) from HP where HPLBID = %1 or HPLBID in (select "
                          "ItemType from Pub_ItemType where ParentCode = %1)")
        .arg(key);
}

void click(TDBTreeView *tree, const QString &key)
{
    if (key.isEmpty())
        tree->SelectRoot();
    else
        QVERIFY(tree->SelectKey(key));
    Q_EMIT tree->clicked(tree->currentIndex());
}

// Types the text as key presses carrying it, which QTest::keyClicks cannot do for Chinese.
void typeText(QWidget *widget, const QString &text)
{
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &release);
    }
}

QString serverDateText()
{
    return Data().GetServerDate().toString(Qt::ISODate);
}

} // namespace

class TestGoods : public QObject
{
    Q_OBJECT

    vztest::TestWorld world;
    std::unique_ptr<TfrmMain> main;
    QTemporaryDir files;

    TfrmHp *openGoods() { return masterdatatest::OpenFromMenu<TfrmHp>(*main, "mnuHp", "frmHp"); }

    void loginAs(const QString &user)
    {
        QVERIFY(world.login(user));
        TSystemFunctionRight &right = FuncRight();
        right.LoadRights(right.UserCode, right.GroupIDs, QStringLiteral("Sys_FuncTree_office"));
    }

    QString picture(const char *name, const char *format, QColor colour)
    {
        const QString path = files.filePath(QLatin1String(name));
        vztest::filled(QSize(40, 30), colour).save(path, format);
        return path;
    }

    static QByteArray bytesOf(const QString &path)
    {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }

    // A goods item of category 31 nothing refers to yet.
    int newGoods(const QString &name, bool stopped = false)
    {
        const int id = count(QStringLiteral("select max(ID) from HP")) + 1;
        world.afterTest(QStringLiteral("delete from HP where ID = %1").arg(id));
        world.afterTest(QStringLiteral("delete from Hp_Pict where ygid = %1").arg(id));
        const bool done = ExecSQL(
            QStringLiteral("insert into HP (ID, BH, BarCode, HPLBID, PM, GG, DW, "
                           "ZT, ZJM) values (%1, 'T%1', '69T%1', 31, %2, 'X', '个', %3, %4)")
                .arg(id)
                .arg(QuotedStr(name), stopped ? "1" : "0", QuotedStr(GetPY(name))));
        return done ? id : 0;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(world.start(), qPrintable(world.error()));
        main = masterdatatest::ShowMainWindow();
    }

    void cleanupTestCase()
    {
        main.reset();
        world.stop();
    }

    void cleanup()
    {
        // A test that failed midway leaves its list open; the next one starts afresh.
        if (auto *list =
                qobject_cast<TfrmHp *>(GlobalObj().MDIWindows.FindForm(QStringLiteral("frmHp"))))
            list->Close();
        world.cleanup();
    }

    // --- The SQL pieces -----------------------------------------------------------------------

    void searchBoxHints_data()
    {
        QTest::addColumn<QString>("hint");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("part");
        QTest::newRow("contains") << "%MC"
                                  << "纸"
                                  << " and MC like '%纸%'";
        QTest::newRow("begins") << "BH"
                                << "01"
                                << " and BH like '01%'";
        QTest::newRow("alias") << "%K.MC"
                               << "ab"
                               << " and K.MC like '%ab%'";
        QTest::newRow("quote") << "%MC"
                               << "O'Neil"
                               << " and MC like '%O''Neil%'";
        QTest::newRow("empty text") << "BH"
                                    << ""
                                    << "";
        QTest::newRow("no hint") << ""
                                 << "x"
                                 << "";
    }
    void searchBoxHints()
    {
        QFETCH(QString, hint);
        QFETCH(QString, text);
        QFETCH(QString, part);
        QCOMPARE(TfrmComHelp::FilterPart(hint, text), part);
    }

    void sqlPieces()
    {
        QCOMPARE(goods::CategoryCondition(QStringLiteral("3")),
                 QStringLiteral(" and  (C.ItemType= 3 or C.ItemType In( select ItemType from "
                                "Pub_ItemType where ParentCode=3))"));
        // A key that is no number goes in quoted, never as SQL.
        QVERIFY(goods::CategoryCondition(QStringLiteral("1 or 1=1"))
                    .contains(QStringLiteral("'1 or 1=1'")));
        QCOMPARE(goods::SearchCondition(QStringLiteral(" fy "), true),
                 QStringLiteral(" and H.ID in (select ID from HP where BH like 'fy%' union "
                                "select ID from HP where BarCode like 'fy%' union select ID from "
                                "HP where ZJM like 'FY%' union select ID from HP where PM like "
                                "'%fy%')"));
        QVERIFY(goods::SearchCondition(QStringLiteral("fy"), false)
                    .endsWith(QStringLiteral("PM like 'fy%')")));
        QCOMPARE(goods::SearchCondition(QString(), true), QString());
        QCOMPARE(TfrmSrzclbHelp::FilterOfCaption(QStringLiteral("选择收支类别 - 支出类"), 0),
                 QStringLiteral("SRL = false"));
        QCOMPARE(TfrmSrzclbHelp::FilterOfCaption(QStringLiteral("选择收支类别 - 收入类"), 1),
                 QStringLiteral("SRL = 1"));
        QCOMPARE(TfrmSrzclbHelp::FilterOfCaption(QStringLiteral("选择收支类别"), 0), QString());
    }

    // --- The goods list -------------------------------------------------------------------------

    void theTreeListsACategoryAndItsDirectChildren()
    {
        QVERIFY(world.keepTables({QStringLiteral("Pub_ItemType")}));
        // A grandchild of 3 (under 31) with goods of its own.
        QVERIFY(ExecSQL(QStringLiteral(
            "insert into Pub_ItemType (ItemType, TypeName, ParentCode) values (311, '孙类', 31)")));
        const int deep = newGoods(QStringLiteral("孙类货品"));
        QVERIFY(ExecSQL(QStringLiteral("update HP set HPLBID = 311 where ID = %1").arg(deep)));

        auto *list = openGoods();
        QVERIFY(list);
        QCOMPARE(list->windowTitle(), QStringLiteral("货品资料"));
        QVERIFY(list->PanelLeft->isVisible());
        TClientDataSet &ds = *list->ListDataSet;
        QCOMPARE(ds.RecordCount(), count(QStringLiteral("select count(*) from HP")));

        const struct
        {
            const char *key;
            QString expected;
        } nodes[] = {
            {"", QStringLiteral("select count(*) from HP")},
            {"3", categoryGoods(3)},
            {"31", categoryGoods(31)},
            {"311", QStringLiteral("select count(*) from HP where HPLBID = 311")},
        };
        list->stDBTree1->Rebuild();
        for (const auto &node : nodes) {
            click(list->stDBTree1, QLatin1String(node.key));
            QCOMPARE(ds.RecordCount(), count(node.expected));
        }
        click(list->stDBTree1, QStringLiteral("3"));
        QVERIFY(!ds.Locate(QStringLiteral("ID"), deep));
        click(list->stDBTree1, QStringLiteral("31"));
        QVERIFY(ds.Locate(QStringLiteral("ID"), deep));
        QVERIFY(list->aModify->isEnabled());
        list->Close();
    }

    void categoriesAreKeptFromTheTreesMenu()
    {
        QVERIFY(world.keepTables({QStringLiteral("Pub_ItemType")}));
        auto *list = openGoods();
        QVERIFY(list);
        TDBTreeView *tree = list->stDBTree1;
        const int next = count(QStringLiteral("select max(ItemType) from Pub_ItemType")) + 1;

        // A new category goes under the chosen one, with the next code.
        click(tree, QStringLiteral("32"));
        auto added = whenModal<TfrmItemTypeEdit>([](TfrmItemTypeEdit &dialog) {
            QVERIFY(dialog.RzEdit_Name->text().isEmpty());
            dialog.RzEdit_Name->setText(QStringLiteral("O'Neil笔"));
            dialog.btnOk->click();
        });
        list->mnuNewType->trigger();
        QVERIFY(added);
        QCOMPARE(text(QStringLiteral("select TypeName from Pub_ItemType where ItemType = %1 and "
                                     "ParentCode = 32")
                          .arg(next)),
                 QStringLiteral("O'Neil笔"));
        QVERIFY(tree->ItemOfKey(QString::number(next)));

        // Renamed, it shows its old name first.
        QVERIFY(tree->SelectKey(QString::number(next)));
        auto renamed = whenModal<TfrmItemTypeEdit>([](TfrmItemTypeEdit &dialog) {
            QCOMPARE(dialog.RzEdit_Name->text(), QStringLiteral("O'Neil笔"));
            dialog.RzEdit_Name->setText(QStringLiteral("签字笔"));
            dialog.btnOk->click();
        });
        list->mnuEditType->trigger();
        QVERIFY(renamed);
        QCOMPARE(
            text(QStringLiteral("select TypeName from Pub_ItemType where ItemType = %1").arg(next)),
            QStringLiteral("签字笔"));

        // A category with children or with goods stays; an empty leaf goes.
        TMessageBoxScript boxes;
        QVERIFY(tree->SelectKey(QStringLiteral("3")));
        list->mnuDelType->trigger();
        QCOMPARE(boxes.Last().Text, QStringLiteral("有子节点，不能删除！"));
        QVERIFY(tree->SelectKey(QStringLiteral("32")));
        list->mnuDelType->trigger();
        QCOMPARE(boxes.Last().Text, QStringLiteral("有子节点，不能删除！"));
        QVERIFY(tree->SelectKey(QStringLiteral("31")));
        list->mnuDelType->trigger();
        QCOMPARE(boxes.Last().Text, QStringLiteral("该数据已被引用,不能删除！"));
        QVERIFY(tree->SelectKey(QString::number(next)));
        boxes.Answer(mrYes);
        list->mnuDelType->trigger();
        QCOMPARE(
            count(
                QStringLiteral("select count(*) from Pub_ItemType where ItemType = %1").arg(next)),
            0);
        QVERIFY(!tree->ItemOfKey(QString::number(next)));
        QCOMPARE(count(QStringLiteral("select count(*) from Pub_ItemType where ItemType in (3, "
                                      "31, 32)")),
                 3);
        list->Close();
    }

    void theSearchFindsByCodeNameAndMnemonic()
    {
        const int id = newGoods(QStringLiteral("O'Neil复印纸"));
        auto *list = openGoods();
        QVERIFY(list);
        TClientDataSet &ds = *list->ListDataSet;
        const QString code = QStringLiteral("T%1").arg(id);
        for (const QString &typed :
             {code.toLower(), QStringLiteral("O'Neil复"), QStringLiteral("o'nei")}) {
            list->RzBtnNo->setText(typed);
            list->btnFind->click();
            QVERIFY2(ds.Locate(QStringLiteral("ID"), id), qPrintable(typed));
        }
        QCOMPARE(text(QStringLiteral("select ZJM from HP where ID = %1").arg(id)),
                 QStringLiteral("O'NeilF").left(5));
        list->RzBtnNo->clear();
        list->Close();
    }

    void aDeniedCategoryIsInvisibleToTheClerksOfItsGroup()
    {
        QVERIFY(world.keepTables({QStringLiteral("Sys_GroupUnRight_HPLB")}));
        world.afterTest([this] { loginAs(QStringLiteral("SYS")); });
        QVERIFY(ExecSQL(QStringLiteral(
            "insert into Sys_GroupUnRight_HPLB (UserGroupNo, ItemType) values (3, 31)")));
        loginAs(QStringLiteral("CK01"));
        auto list = std::make_unique<TfrmHp>();
        list->DoCreate();
        list->show();
        TClientDataSet &ds = *list->ListDataSet;
        QVERIFY(ds.Active());
        QVERIFY(!list->stDBTree1->ItemOfKey(QStringLiteral("31")));
        QVERIFY(list->stDBTree1->ItemOfKey(QStringLiteral("32")));
        const int visible = count(QStringLiteral("select count(*) from HP where HPLBID <> 31"));
        QCOMPARE(ds.RecordCount(), visible);
        click(list->stDBTree1, QString());
        QCOMPARE(ds.RecordCount(), visible);
        list->Close();
        list.reset();

        // The same clerk's picker does not offer them either.
        TfrmSelectItem picker;
        picker.DoCreate();
        auto ran = whenModal<TfrmSelectItem>([&](TfrmSelectItem &p) {
            QCOMPARE(
                p.cdsHP->RecordCount(),
                count(QStringLiteral("select count(*) from HP where HPLBID <> 31 and ZT = 0")));
            p.btnCancel->click();
        });
        picker.ShowModal();
        QVERIFY(ran);
    }

    void stockLimitsAndTheMnemonicOnANewGoodsItem()
    {
        QVERIFY(world.keepTables({QStringLiteral("HP")}));
        auto *list = openGoods();
        QVERIFY(list);
        TClientDataSet &ds = *list->ListDataSet;
        const int before = count(QStringLiteral("select count(*) from HP"));
        TMessageBoxScript boxes;
        auto ran = whenModal<TfrmItemEdit>([&](TfrmItemEdit &edit) {
            QCOMPARE(ds.State(), dsInsert);
            QCOMPARE(ds.FieldByName(QStringLiteral("BARCODE"))->AsString(),
                     ds.FieldByName(QStringLiteral("BH"))->AsString());
            QCOMPARE(ds.FieldByName(QStringLiteral("HPHSFFID"))->AsInteger(), 1);
            QVERIFY(edit.RzDBComboBox_DW->Items().contains(QStringLiteral("包")));
            // One editor per configured goods attribute, on its own page.
            const int attributes = int(FuncRight().AttrList.size());
            const QList<QWidget *> editors = edit.TabSheet_SX->findChildren<QWidget *>();
            QCOMPARE(std::count_if(editors.begin(), editors.end(),
                                   [](QWidget *w) { return dynamic_cast<TFieldControl *>(w); }),
                     attributes);
            QCOMPARE(edit.RzPageClient->isTabVisible(edit.RzPageClient->indexOf(edit.TabSheet_SX)),
                     attributes > 0);
            // A barcode cleared follows the code when the code is left.
            ds.FieldByName(QStringLiteral("BARCODE"))->SetAsString(QString());
            edit.RzDBEdit_BH->setFocus();
            edit.RzDBEdit_BH->setText(QStringLiteral("T-7788"));
            Q_EMIT edit.RzDBEdit_BH->editingFinished();
            QCOMPARE(ds.FieldByName(QStringLiteral("BARCODE"))->AsString(),
                     QStringLiteral("T-7788"));
            QVERIFY(ds.FieldByName(QStringLiteral("IsMaterial"))->AsBoolean());
            // The mnemonic follows the name as it is typed.
            typeText(edit.RzDBEdit_Name, QStringLiteral("中文A4复印纸"));
            QCOMPARE(ds.FieldByName(QStringLiteral("ZJM"))->AsString(), QStringLiteral("ZWA4F"));
            ds.FieldByName(QStringLiteral("PM"))->SetAsString(QStringLiteral("中文A4复印纸"));
            ds.FieldByName(QStringLiteral("GG"))->SetAsString(QStringLiteral("测试"));
            ds.FieldByName(QStringLiteral("DW"))->SetAsString(QStringLiteral("包"));
            ds.FieldByName(QStringLiteral("HPLBID"))->SetAsInteger(31);
            QCOMPARE(ds.FieldByName(QStringLiteral("aHPLBMC"))->AsString(),
                     QStringLiteral("纸张本册"));
            ds.FieldByName(QStringLiteral("SX"))->SetAsFloat(11);
            ds.FieldByName(QStringLiteral("XX"))->SetAsFloat(10);
            edit.btnOk_New->click();
            QCOMPARE(boxes.Last().Text, QStringLiteral("最低库存应该小于最高库存，请重新输入！"));
            QCOMPARE(ds.State(), dsInsert);
            QCOMPARE(count(QStringLiteral("select count(*) from HP")), before);
            ds.FieldByName(QStringLiteral("SX"))->SetAsFloat(10);
            edit.btnOk_New->click();
        });
        list->aNew->trigger();
        QVERIFY(ran);
        QCOMPARE(count(QStringLiteral("select count(*) from HP")), before + 1);
        QCOMPARE(text(QStringLiteral("select ZJM from HP where PM = '中文A4复印纸'")),
                 QStringLiteral("ZWA4F"));
        QCOMPARE(count(QStringLiteral("select SX from HP where PM = '中文A4复印纸'")), 10);

        // The same name with the same size (规格) is refused.
        boxes.Clear();
        auto again = whenModal<TfrmItemEdit>([&](TfrmItemEdit &edit) {
            ds.FieldByName(QStringLiteral("PM"))->SetAsString(QStringLiteral("中文A4复印纸"));
            ds.FieldByName(QStringLiteral("GG"))->SetAsString(QStringLiteral("测试"));
            ds.FieldByName(QStringLiteral("DW"))->SetAsString(QStringLiteral("包"));
            ds.FieldByName(QStringLiteral("HPLBID"))->SetAsInteger(31);
            edit.btnOk_New->click();
            QCOMPARE(boxes.Last().Text,
                     QStringLiteral("【货品名称,货品规格】不能重复，请重新输入！"));
            edit.btnCancel_New->click();
        });
        list->aNew->trigger();
        QVERIFY(again);
        QCOMPARE(count(QStringLiteral("select count(*) from HP")), before + 1);
        list->Close();
    }

    void aCodeAnotherGoodsItemHoldsIsRefusedBeforeSaving()
    {
        QVERIFY(world.keepTables({QStringLiteral("HP")}));
        QCOMPARE(count(QStringLiteral("select count(*) from HP where BH = '11059'")), 1);
        auto *list = openGoods();
        QVERIFY(list);
        TClientDataSet &ds = *list->ListDataSet;
        const int before = count(QStringLiteral("select count(*) from HP"));
        TMessageBoxScript boxes;
        auto ran = whenModal<TfrmItemEdit>([&](TfrmItemEdit &edit) {
            ds.FieldByName(QStringLiteral("PM"))->SetAsString(QStringLiteral("重号货品"));
            ds.FieldByName(QStringLiteral("DW"))->SetAsString(QStringLiteral("个"));
            ds.FieldByName(QStringLiteral("HPLBID"))->SetAsInteger(31);
            // The focus is elsewhere, as after typing the name.
            edit.RzDBEdit_Name->setFocus();
            ds.FieldByName(QStringLiteral("BH"))->SetAsString(QStringLiteral("11059"));
            edit.btnOk_New->click();
            QCOMPARE(boxes.Last().Text, QStringLiteral("货品编号已存在，请重新输入！"));
            QCOMPARE(ds.State(), dsInsert);
            QCOMPARE(edit.focusWidget(), edit.RzDBEdit_BH);
            QCOMPARE(ds.ChangeCount(), 0);
            // Save-and-add is refused the same way; a free code is stored.
            edit.btnInsert_New->click();
            QCOMPARE(boxes.Last().Text, QStringLiteral("货品编号已存在，请重新输入！"));
            ds.FieldByName(QStringLiteral("BH"))->SetAsString(QStringLiteral("11059-2"));
            edit.btnOk_New->click();
        });
        list->aNew->trigger();
        QVERIFY(ran);
        QCOMPARE(count(QStringLiteral("select count(*) from HP")), before + 1);
        QCOMPARE(count(QStringLiteral("select count(*) from HP where BH = '11059'")), 1);

        // Changing an item's code to another's is refused too; keeping its own is not.
        const int own = count(QStringLiteral("select ID from HP where BH = '11059-2'"));
        QVERIFY(ds.Locate(QStringLiteral("ID"), own));
        boxes.Clear();
        auto modified = whenModal<TfrmItemEdit>([&](TfrmItemEdit &edit) {
            ds.Edit();
            ds.FieldByName(QStringLiteral("BH"))->SetAsString(QStringLiteral("11059"));
            edit.btnOk_New->click();
            QCOMPARE(boxes.Last().Text, QStringLiteral("货品编号已存在，请重新输入！"));
            ds.FieldByName(QStringLiteral("BH"))->SetAsString(QStringLiteral("11059-2"));
            ds.FieldByName(QStringLiteral("GG"))->SetAsString(QStringLiteral("改规格"));
            edit.btnOk_New->click();
        });
        list->aModify->trigger();
        QVERIFY(modified);
        QCOMPARE(text(QStringLiteral("select GG from HP where BH = '11059-2'")),
                 QStringLiteral("改规格"));
        list->Close();

        // What still reaches the server, from a program without the check, is refused by the
        // key with its own code.
        auto client = world.otherClient();
        const wire::ApplyResult result =
            client->apply(QStringLiteral("pHP"), {}, 0,
                          {{wire::ChangeKind::Insert,
                            {},
                            {{QStringLiteral("BH"), QStringLiteral("11059")},
                             {QStringLiteral("PM"), QStringLiteral("协议重号")}}}});
        QVERIFY(result.rolledBack);
        QCOMPARE(result.errors.size(), 1);
        QCOMPARE(result.errors.first().code, QString(wire::code::Unique));
        QVERIFY2(result.errors.first().message.contains(QStringLiteral("'11059'")),
                 qPrintable(result.errors.first().message));
        QCOMPARE(count(QStringLiteral("select count(*) from HP where BH = '11059'")), 1);
    }

    void aDuplicateThatStillReachesTheServerIsShownAsTheKeysRefusal()
    {
        QVERIFY(world.keepTables({QStringLiteral("HP")}));
        const int before = count(QStringLiteral("select count(*) from HP"));
        // As the start-up installs it; the test answers the dialog.
        Data().SetReconcileErrorHandler(HandleReconcileError);
        QString shown;
        TReconcileErrorForm::SetTestHook([&](TReconcileErrorForm &form) {
            shown = form.ErrorMessageText();
            form.reject();
        });
        auto *list = openGoods();
        QVERIFY(list);
        TClientDataSet &ds = *list->ListDataSet;
        auto ran = whenModal<TfrmItemEdit>([&](TfrmItemEdit &edit) {
            // Another workstation took the code after the form looked: here, the form does
            // not look at all.
            edit.UniqueCode = {};
            ds.FieldByName(QStringLiteral("BH"))->SetAsString(QStringLiteral("11059"));
            ds.FieldByName(QStringLiteral("PM"))->SetAsString(QStringLiteral("抢号货品"));
            ds.FieldByName(QStringLiteral("DW"))->SetAsString(QStringLiteral("个"));
            ds.FieldByName(QStringLiteral("HPLBID"))->SetAsInteger(31);
            edit.btnOk_New->click();
            QVERIFY(edit.isVisible());
            edit.btnCancel_New->click();
        });
        list->aNew->trigger();
        TReconcileErrorForm::SetTestHook({});
        Data().SetReconcileErrorHandler({});
        QVERIFY(ran);
        QVERIFY2(shown.contains(QStringLiteral("duplicate key")) &&
                     shown.contains(QStringLiteral("BH = '11059'")),
                 qPrintable(shown));
        QCOMPARE(count(QStringLiteral("select count(*) from HP")), before);
        list->Close();
    }

    void deletionIsRefusedForGoodsInUse()
    {
        const int used = count(QStringLiteral("select min(HPID) from XSKD"));
        QVERIFY(used > 0);
        const int free = newGoods(QStringLiteral("待删货品"));
        auto *list = openGoods();
        QVERIFY(list);
        TClientDataSet &ds = *list->ListDataSet;
        TMessageBoxScript boxes;
        QVERIFY(ds.Locate(QStringLiteral("ID"), used));
        list->aDel->trigger();
        QCOMPARE(boxes.Last().Text, QStringLiteral("该数据已被引用,不能删除！"));
        QCOMPARE(count(QStringLiteral("select count(*) from HP where ID = %1").arg(used)), 1);

        // A goods item nothing refers to goes, and its picture with it.
        TProcBlobObj store(QStringLiteral("hp_pict"));
        QVERIFY(store.Save(QString::number(free), picture("del.png", "PNG", Qt::red)));
        QVERIFY(ds.Locate(QStringLiteral("ID"), free));
        boxes.Answer(mrYes);
        list->aDel->trigger();
        QCOMPARE(count(QStringLiteral("select count(*) from HP where ID = %1").arg(free)), 0);
        QCOMPARE(count(QStringLiteral("select count(*) from Hp_Pict where ygid = %1").arg(free)),
                 0);
        list->Close();
    }

    void aPictureUploadedInTheEditFormComesBackWhole()
    {
        const int id = newGoods(QStringLiteral("带图货品"));
        const QString png = picture("up.png", "PNG", Qt::blue);
        auto *list = openGoods();
        QVERIFY(list);
        TClientDataSet &ds = *list->ListDataSet;
        QVERIFY(ds.Locate(QStringLiteral("ID"), id));
        TFileDialogScript dialogs;
        dialogs.Answer(png);
        auto ran = whenModal<TfrmItemEdit>([&](TfrmItemEdit &edit) {
            QVERIFY(edit.Image1->IsEmpty());
            edit.btnUpload->click();
            QVERIFY(!edit.Image1->IsEmpty());
            edit.btnCancel_New->click();
        });
        list->aModify->trigger();
        QVERIFY(ran);
        TProcBlobObj store(QStringLiteral("hp_pict"));
        QCOMPARE(store.Bytes(QString::number(id)), bytesOf(png));

        // Reopened, the form shows it; cleared, it is gone.
        TMessageBoxScript boxes;
        boxes.Answer(mrYes);
        auto reopened = whenModal<TfrmItemEdit>([&](TfrmItemEdit &edit) {
            QVERIFY(!edit.Image1->IsEmpty());
            QCOMPARE(edit.Image1->Picture().pixelColor(5, 5), QColor(Qt::blue));
            edit.btnClearPicture->click();
            QCOMPARE(boxes.Last().Text, QStringLiteral("确实要删除图片吗？"));
            QVERIFY(edit.Image1->IsEmpty());
            edit.btnCancel_New->click();
        });
        list->aModify->trigger();
        QVERIFY(reopened);
        QVERIFY(store.Bytes(QString::number(id)).isEmpty());

        // The list's floating window shows the current goods' picture.
        QVERIFY(store.Save(QString::number(id), png));
        list->ShowCurrentPicture();
        QVERIFY(list->PictureWindow());
        list->Close();
    }

    void aPictureChosenForANewGoodsItemIsStoredWithIt()
    {
        QVERIFY(world.keepTables({QStringLiteral("HP"), QStringLiteral("Hp_Pict")}));
        const QString jpg = picture("new.jpg", "JPG", Qt::green);
        auto *list = openGoods();
        QVERIFY(list);
        TClientDataSet &ds = *list->ListDataSet;
        TFileDialogScript dialogs;
        dialogs.Answer(jpg);
        TMessageBoxScript boxes; // a refusal must not wait for a click
        int id = 0;
        auto ran = whenModal<TfrmItemEdit>([&](TfrmItemEdit &edit) {
            id = ds.FieldByName(QStringLiteral("ID"))->AsInteger();
            edit.btnUpload->click();
            QCOMPARE(edit.PictureFile(), jpg);
            // Nothing is stored for a record the server does not hold yet.
            QCOMPARE(count(QStringLiteral("select count(*) from Hp_Pict where ygid = %1").arg(id)),
                     0);
            ds.FieldByName(QStringLiteral("PM"))->SetAsString(QStringLiteral("新图货品"));
            ds.FieldByName(QStringLiteral("DW"))->SetAsString(QStringLiteral("个"));
            ds.FieldByName(QStringLiteral("HPLBID"))->SetAsInteger(31);
            edit.btnOk_New->click();
        });
        list->aNew->trigger();
        QVERIFY(ran);
        QVERIFY(id > 0);
        QCOMPARE(TProcBlobObj(QStringLiteral("hp_pict")).Bytes(QString::number(id)), bytesOf(jpg));
        list->Close();
    }

    void barcodeLabelsOfTheListedGoodsGoToThePrintPreview()
    {
        auto *list = openGoods();
        QVERIFY(list);
        QVERIFY(list->btnTotal->isVisible());
        QCOMPARE(list->btnTotal->text(), QStringLiteral("打印条码(&T)"));
        click(list->stDBTree1, QStringLiteral("32"));
        auto shown = whenModal<QPrintPreviewDialog>([](QPrintPreviewDialog &preview) {
            QCOMPARE(preview.windowTitle(), QStringLiteral("货品条码"));
            preview.reject();
        });
        list->aTotal->trigger();
        QVERIFY(shown);
        list->Close();
    }

    void everyMnemonicIsRecomputedInOneGo()
    {
        QVERIFY(world.keepTables({QStringLiteral("HP")}));
        QVERIFY(ExecSQL(QStringLiteral("update HP set ZJM = 'XX'")));
        auto *list = openGoods();
        QVERIFY(list);
        list->UpdateMnemonics();
        TTmpDataSet rows;
        rows->SetCommandText(QStringLiteral("select PM, ZJM from HP"));
        rows->Open();
        QVERIFY(rows->RecordCount() > 10);
        for (rows->First(); !rows->Eof(); rows->Next()) {
            const QString name = rows->FieldByName(QStringLiteral("PM"))->AsString();
            QCOMPARE(rows->FieldByName(QStringLiteral("ZJM"))->AsString(), GetPY(name));
        }
        QCOMPARE(list->ListDataSet->FieldByName(QStringLiteral("ZJM"))->AsString(),
                 GetPY(list->ListDataSet->FieldByName(QStringLiteral("PM"))->AsString()));
        list->Close();
    }

    // --- The pickers ---------------------------------------------------------------------------

    void theCustomerPickerFiltersAndCopies()
    {
        const QString part = text(QStringLiteral("select substring(MC, 3, 2) from KH where ID = "
                                                 "(select min(ID) from KH where not ZT)"));
        std::unique_ptr<TClientDataSet> target = NewScratchDataSet(Data().Tmp());
        target->SetCommandText(
            QStringLiteral("select ID as KHID, MC as KHMC, BH from KH where 1=0"));
        target->Open();
        target->Append();
        TfrmKhHelp picker;
        picker.DoCreate();
        picker.TargetDataSet = target.get();
        picker.TargetFields = QStringLiteral("KHID;KHMC;BH");
        picker.SourceFields = QStringLiteral("ID;MC;");
        auto ran = whenModal<TfrmKhHelp>([&](TfrmKhHelp &p) {
            p.Edit2->setText(part);
            p.btnFind->click();
            QCOMPARE(p.HelpDataSet->RecordCount(),
                     count(QStringLiteral("select count(*) from KH where not ZT and MC like ") +
                           QuotedStr(QLatin1Char('%') + part + QLatin1Char('%'))));
            QVERIFY(p.btnOk->isEnabled());
            p.btnOk->click();
        });
        picker.ShowModal();
        QVERIFY(ran);
        QVERIFY(picker.Selected);
        QCOMPARE(target->FieldByName(QStringLiteral("KHID"))->AsString(), picker.ResultID);
        QCOMPARE(target->FieldByName(QStringLiteral("KHMC"))->AsString(), picker.ResultMC);
        QCOMPARE(target->FieldByName(QStringLiteral("BH"))->AsString(), picker.ResultBH);
        QVERIFY(picker.ResultMC.contains(part));
    }

    void theCategoryPickerMatchesCodesByTheirStart()
    {
        TfrmSrzclbHelp picker;
        picker.DoCreate();
        picker.setWindowTitle(QStringLiteral("选择收支类别 - 支出类"));
        auto ran = whenModal<TfrmSrzclbHelp>([&](TfrmSrzclbHelp &p) {
            QCOMPARE(p.HelpDataSet->RecordCount(),
                     count(QStringLiteral("select count(*) from SRZCLB where SRL = 0")));
            const QString first = text(QStringLiteral("select min(BH) from SRZCLB where SRL = 0"));
            p.Edit1->setText(first.left(1));
            p.btnFind->click();
            QCOMPARE(
                p.HelpDataSet->RecordCount(),
                count(QStringLiteral("select count(*) from SRZCLB where SRL = 0 and BH like ") +
                      QuotedStr(first.left(1) + QLatin1Char('%'))));
            p.Edit1->setText(QStringLiteral("zz-none"));
            p.btnFind->click();
            QVERIFY(!p.btnOk->isEnabled());
            p.btnCancel->click();
        });
        picker.ShowModal();
        QVERIFY(ran);
        QVERIFY(!picker.Selected);
    }

    void theGoodsPickerNeverOffersStoppedGoods()
    {
        const int stopped = newGoods(QStringLiteral("停用测试纸"), true);
        const int active = newGoods(QStringLiteral("在用测试纸"));
        TfrmSelectItem picker;
        picker.DoCreate();
        auto ran = whenModal<TfrmSelectItem>([&](TfrmSelectItem &p) {
            TClientDataSet &ds = *p.cdsHP;
            QVERIFY(!ds.Locate(QStringLiteral("ID"), stopped));
            QVERIFY(ds.Locate(QStringLiteral("ID"), active));
            for (const QString &typed :
                 {QStringLiteral("T%1").arg(stopped), QStringLiteral("测试纸"),
                  QStringLiteral("TYCSZ"), QStringLiteral("69T%1").arg(stopped)}) {
                p.Edit1->setText(typed);
                p.btnFind->click();
                QVERIFY2(!ds.Locate(QStringLiteral("ID"), stopped), qPrintable(typed));
            }
            p.Edit1->setText(QStringLiteral("测试纸"));
            p.btnFind->click();
            QVERIFY(ds.Locate(QStringLiteral("ID"), active));
            click(p.stDBTree1, QStringLiteral("31"));
            QVERIFY(!ds.Locate(QStringLiteral("ID"), stopped));
            QVERIFY(ds.Locate(QStringLiteral("ID"), active));
            click(p.stDBTree1, QString());
            QCOMPARE(ds.RecordCount(),
                     count(QStringLiteral("select count(*) from HP where ZT = 0")));
            p.IsMaterial->click();
            QCOMPARE(
                ds.RecordCount(),
                count(QStringLiteral("select count(*) from HP where ZT = 0 and IsMaterial = 1")));
            p.CbItem->click();
            QVERIFY(!p.IsMaterial->isChecked());
            QCOMPARE(ds.RecordCount(),
                     count(QStringLiteral("select count(*) from HP where ZT = 0")));
            p.btnCancel->click();
        });
        picker.ShowModal();
        QVERIFY(ran);
    }

    void theGoodsPickerShowsTheStockOfTheLedgerPerWarehouse()
    {
        const int goodsId = count(QStringLiteral(
            "select top 1 HPID from HPKC where JCS <> 0 group by HPID having count(*) > 1"));
        QVERIFY(goodsId > 0);
        TfrmSelectItem picker;
        picker.DoCreate();
        auto ran = whenModal<TfrmSelectItem>([&](TfrmSelectItem &p) {
            QCOMPARE(p.StockDate.toString(Qt::ISODate), serverDateText());
            QVERIFY(p.cdsHP->Locate(QStringLiteral("ID"), goodsId));
            p.ShowStock();
            TClientDataSet &stock = *p.cdsKC;
            TTmpDataSet ledger;
            ledger->SetCommandText(QStringLiteral("select C.MC, K.JCS from HPKC K inner join CK C "
                                                  "on K.CKID = C.ID where K.HPID = %1")
                                       .arg(goodsId));
            ledger->Open();
            QCOMPARE(stock.RecordCount(), ledger->RecordCount());
            for (ledger->First(); !ledger->Eof(); ledger->Next()) {
                const QString warehouse = ledger->FieldByName(QStringLiteral("MC"))->AsString();
                QVERIFY(stock.Locate(QStringLiteral("mc"), warehouse));
                QCOMPARE(stock.FieldByName(QStringLiteral("qty"))->AsFloat(),
                         ledger->FieldByName(QStringLiteral("JCS"))->AsFloat());
            }
            p.btnCancel->click();
        });
        picker.ShowModal();
        QVERIFY(ran);
    }

    void theGoodsPickerEditsThroughTheGoodsForm()
    {
        const int id = newGoods(QStringLiteral("选中修改纸"));
        const int used = count(QStringLiteral("select min(HPID) from XSKD"));
        TfrmSelectItem picker;
        picker.DoCreate();
        TMessageBoxScript boxes;
        auto ran = whenModal<TfrmSelectItem>([&](TfrmSelectItem &p) {
            QVERIFY(p.btnModify->isVisible() && p.btnModify->isEnabled());
            QVERIFY(p.cdsHP->Locate(QStringLiteral("ID"), id));
            auto edited = whenModal<TfrmItemEdit>([&](TfrmItemEdit &edit) {
                // The form shows and changes the picker's row, not the goods list's.
                QCOMPARE(edit.RzDBEdit_Name->text(), QStringLiteral("选中修改纸"));
                p.cdsHP->Edit();
                p.cdsHP->FieldByName(QStringLiteral("GG"))->SetAsString(QStringLiteral("改后"));
                edit.btnOk_New->click();
            });
            p.btnModify->click();
            QVERIFY(edited);
            // Goods in use stay, in the picker as on the server.
            QVERIFY(p.cdsHP->Locate(QStringLiteral("ID"), used));
            boxes.Answer(mrYes);
            p.btnDel->click();
            QCOMPARE(boxes.Last().Text, QStringLiteral("该数据已被引用,不能删除！"));
            QVERIFY(p.cdsHP->Locate(QStringLiteral("ID"), used));
            p.btnCancel->click();
        });
        picker.ShowModal();
        QVERIFY(ran);
        QCOMPARE(text(QStringLiteral("select GG from HP where ID = %1").arg(id)),
                 QStringLiteral("改后"));
        QCOMPARE(count(QStringLiteral("select count(*) from HP where ID = %1").arg(used)), 1);
    }

    void theKeysSteerTheGridFromTheSearchBox()
    {
        TfrmSelectItem picker;
        picker.DoCreate();
        picker.SingleChoice = true;
        auto ran = whenModal<TfrmSelectItem>([&](TfrmSelectItem &p) {
            QVERIFY(!p.btnOk_All->isVisible());
            p.Edit1->setFocus();
            QTest::keyClicks(p.Edit1, QStringLiteral("3"));
            QTest::keyClick(p.Edit1, Qt::Key_Return); // searches what was typed
            TClientDataSet &ds = *p.cdsHP;
            QVERIFY(ds.RecordCount() > 2);
            QCOMPARE(ds.RecNo(), 1);
            QTest::keyClick(p.Edit1, Qt::Key_Down);
            QTest::keyClick(p.Edit1, Qt::Key_Down);
            QTest::keyClick(p.Edit1, Qt::Key_Up);
            QCOMPARE(ds.RecNo(), 2);
            QCOMPARE(p.Edit1->text(), QStringLiteral("3"));
            QTest::keyClick(p.Edit1, Qt::Key_Return); // takes the row
        });
        picker.ShowModal();
        QVERIFY(ran);
        QVERIFY(picker.Selected);
        TTmpDataSet row;
        row->SetCommandText(QStringLiteral("select * from HP where ID = ") + picker.ResultID);
        row->Open();
        QCOMPARE(picker.LineText, goods::LineText(*row));
        QCOMPARE(picker.ResultBH, row->FieldByName(QStringLiteral("BH"))->AsString());
        QCOMPARE(picker.LineText.count(QLatin1Char('|')), 8);
    }

    void goodsAreAddedToTheDocumentOneOrAll()
    {
        std::unique_ptr<TClientDataSet> lines = NewScratchDataSet(Data().Tmp());
        lines->SetCommandText(QStringLiteral("select ZBID, HH, SX1 as aBH from XSKD where 1=0"));
        lines->Open();
        TfrmSelectItem picker;
        picker.DoCreate();
        picker.TargetDataSet = lines.get();
        auto ran = whenModal<TfrmSelectItem>([&](TfrmSelectItem &p) {
            click(p.stDBTree1, QStringLiteral("32"));
            const int rows = p.cdsHP->RecordCount();
            QVERIFY(rows > 1);
            p.cdsHP->Last();
            p.btnOk_All->click();
            QCOMPARE(lines->RecordCount(), 1);
            QCOMPARE(lines->FieldByName(QStringLiteral("aBH"))->AsString(),
                     p.cdsHP->FieldByName(QStringLiteral("BH"))->AsString());
            p.btnOK_AlldsHelp->click();
            QCOMPARE(lines->RecordCount(), 1 + rows);
            QVERIFY(p.cdsHP->Eof() || p.cdsHP->RecNo() == rows);
            p.btnCancel->click();
        });
        picker.ShowModal();
        QVERIFY(ran);
    }
};

QTEST_MAIN(TestGoods)
#include "tst_goods.moc"
