// The system settings, the operation log and the alerts against a real server on a new account
// set: audit levels and their rights items, the refusal while a document is audited, the
// margins and the default date range, the log purge, and whose audits the alert counts.
#include "client/admin/alert.h"
#include "client/admin/log.h"
#include "client/admin/printmodallist.h"
#include "client/admin/registerforms.h"
#include "client/admin/systemset.h"
#include "client/common/defaultdates.h"
#include "client/common/sqltext.h"
#include "client/core/session.h"
#include "client/core/sysconfig.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/documents/comdczl.h"
#include "client/documents/registerforms.h"
#include "client/forms/globalobj.h"
#include "client/masterdata/registerforms.h"
#include "client/shell/mainwindow.h"
#include "client/widgets/controls.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/messagebox.h"
#include "support/testworld.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

namespace {

QStringList column(const QString &sql)
{
    QStringList values;
    TTmpDataSet tmp;
    tmp->SetCommandText(sql);
    tmp->Open();
    for (tmp->First(); !tmp->Eof(); tmp->Next()) {
        QStringList row;
        for (int i = 0; i < tmp->FieldCount(); ++i)
            row << tmp->Fields(i)->AsString();
        values << row.join(QLatin1Char('|'));
    }
    return values;
}

QStringList levelItems()
{
    return column(QStringLiteral("select IndexNo, FuncItemNo, FuncItemName from Sys_FuncItem "
                                 "where IndexNo like '04%' order by IndexNo"));
}

int storedAuditNum()
{
    return QueryValue(QStringLiteral("select fAuditNum from CompanyInfo")).toInt();
}

vztest::WorldOptions newAccountSet()
{
    vztest::WorldOptions options;
    options.demo = false;
    return options;
}

void flush()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// The settings window with its request reachable without the checks before it.
class TSettingsProbe : public TSystemSetFrm
{
public:
    bool Send() { return ApplyChanges(); }
};

} // namespace

class TestSysSet : public QObject
{
    Q_OBJECT

    vztest::TestWorld world{newAccountSet()};
    std::unique_ptr<TMessageBoxScript> unexpected;
    QPointer<TSystemSetFrm> settings;
    QPointer<TFrmAlert> alert;

    // The window reads the row as stored whenever it opens: the tests change it beneath.
    TSystemSetFrm *openSettings()
    {
        settings = CreateForm<TSystemSetFrm>();
        settings->show();
        flush();
        return settings;
    }

    void chooseLevels(int levels)
    {
        settings->cbAuditNum->setCurrentIndex(levels - 1);
        Q_EMIT settings->cbAuditNum->activated(levels - 1);
        QCOMPARE(settings->EditDataSet->FieldByName(QStringLiteral("fAuditNum"))->AsInteger(),
                 levels);
    }

    // The audit levels stored as the settings window itself would leave them.
    void storeLevels(int levels)
    {
        QStringList statements = TSystemSetFrm::AuditLevelItemsSQL(levels);
        statements << QStringLiteral("update CompanyInfo set fAuditNum = %1").arg(levels);
        QVERIFY(ExecSQLScript(statements));
    }

    void keepSettings()
    {
        QVERIFY(world.keepTables({QStringLiteral("CompanyInfo"), QStringLiteral("Sys_FuncItem")}));
    }

    // A purchase receipt header of the state given; the ID is its number's sequence.
    void receipt(int id, int uFlag)
    {
        QVERIFY(ExecSQL(QStringLiteral("insert into CGSHZB (ID, DJBH, RQ, CKID, uFlag) values "
                                       "(%1, 'CG20260300%1', #2026-03-01#, 1, %2)")
                            .arg(id)
                            .arg(uFlag)));
    }

    void grantAndLogin(const QString &menu, const QString &items)
    {
        QVERIFY(ExecSQL(
            QStringLiteral("insert into AppUserGroup(ID,gName,bmid,mc) values(30,'审核组',0,'')")));
        QVERIFY(ExecSQL(QStringLiteral("insert into Sys_GroupFuncRight values('VZ',30,'0402',%1,"
                                       "%2,'2026-01-01')")
                            .arg(QuotedStr(menu), QuotedStr(items))));
        QVERIFY(ExecSQL(QStringLiteral("insert into AppUser(ID,uCode,uName,uPassword,gID,gName) "
                                       "values(30,'SH','审核员','','(30)','审核组')")));
        QVERIFY2(world.login(QStringLiteral("SH")), qPrintable(world.error()));
        TSystemFunctionRight &right = FuncRight();
        right.LoadRights(right.UserCode, right.GroupIDs, QStringLiteral("Sys_FuncTree_office"));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(world.start(), qPrintable(world.error()));
        RegisterAdminForms();
        RegisterMasterDataForms();
        RegisterDocumentForms();
        QVERIFY(ExecSQL(QStringLiteral("insert into CK (ID, MC) values (91, '主仓')")));
        QVERIFY(ExecSQL(QStringLiteral("insert into CK (ID, MC) values (92, '分仓')")));
    }

    void cleanupTestCase() { world.stop(); }

    void init() { unexpected = std::make_unique<TMessageBoxScript>(); }

    void cleanup()
    {
        const QStringList texts = [this] {
            QStringList t;
            for (const TMessageRequest &request : unexpected->Requests())
                t << request.Text;
            return t;
        }();
        unexpected.reset();
        if (settings) {
            TMessageBoxScript answers{mrNo, mrNo};
            delete settings.data();
        }
        if (alert)
            delete alert.data();
        flush();
        world.cleanup();
        QVERIFY2(world.login(QStringLiteral("SYS")), qPrintable(world.error()));
        QVERIFY2(texts.isEmpty(), qPrintable(texts.join(QLatin1Char('|'))));
    }

    // --- Audit levels --------------------------------------------------------------------------

    void auditLevelsRebuildTheirRightsItems_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("3 to 1") << 3 << 1 << QStringList{};
        QTest::newRow("1 to 3") << 1 << 3
                                << QStringList{QStringLiteral("042|Auditing2|二审"),
                                               QStringLiteral("043|Auditing3|三审")};
        QTest::newRow("4 to 2") << 4 << 2 << QStringList{QStringLiteral("042|Auditing2|二审")};
        QTest::newRow("2 to 5") << 2 << 5
                                << QStringList{QStringLiteral("042|Auditing2|二审"),
                                               QStringLiteral("043|Auditing3|三审"),
                                               QStringLiteral("044|Auditing4|四审"),
                                               QStringLiteral("045|Auditing5|五审")};
    }

    void auditLevelsRebuildTheirRightsItems()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QStringList, items);
        keepSettings();
        storeLevels(from);
        QCOMPARE(levelItems().size(), from - 1);
        openSettings();
        QCOMPARE(settings->cbAuditNum->currentText(), QString::number(from));
        chooseLevels(to);
        settings->btnOk_New->click();
        QCOMPARE(settings->ModalResult(), mrOk);
        QCOMPARE(levelItems(), items);
        QCOMPARE(storedAuditNum(), to);
        // The running session audits over the new levels at once.
        QCOMPARE(FuncRight().AuditNum, to);
        // The items outside the audit levels stay.
        QCOMPARE(column(QStringLiteral("select FuncItemNo from Sys_FuncItem where ObjectType = "
                                       "'Bill' and IndexNo = '035'")),
                 QStringList{QStringLiteral("Auditing1")});
    }

    void aLevelChangeIsRefusedWhileADocumentIsAudited()
    {
        keepSettings();
        QVERIFY(world.keepTables({QStringLiteral("CGSHZB")}));
        storeLevels(1);
        receipt(1, 0);
        receipt(2, 1);
        openSettings();
        chooseLevels(3);
        {
            TMessageBoxScript answers;
            settings->btnOk_New->click();
            QCOMPARE(answers.Count(), 1);
            QCOMPARE(answers.Last().Text, TSystemSetFrm::AuditedDocumentsText);
        }
        QVERIFY(settings->ModalResult() != mrOk);
        QVERIFY(settings->isVisible());
        QCOMPARE(storedAuditNum(), 1);
        QCOMPARE(levelItems(), QStringList{});
    }

    void anotherChangeIsStoredWhileADocumentIsAudited()
    {
        keepSettings();
        QVERIFY(world.keepTables({QStringLiteral("CGSHZB")}));
        storeLevels(2);
        receipt(2, 1);
        openSettings();
        settings->edtCompanyName->setFocus();
        settings->edtCompanyName->selectAll();
        QTest::keyClicks(settings->edtCompanyName, QStringLiteral("Acme Ltd"));
        settings->chkIsFSCK->click();
        settings->btnOk_New->click();
        QCOMPARE(settings->ModalResult(), mrOk);
        QCOMPARE(QueryValue(QStringLiteral("select fCompanyName from CompanyInfo")).toString(),
                 QStringLiteral("Acme Ltd"));
        QCOMPARE(QueryValue(QStringLiteral("select fIsFSCK from CompanyInfo")).toBool(), true);
        QCOMPARE(FuncRight().CompanyName, QStringLiteral("Acme Ltd"));
        QVERIFY(FuncRight().IsFSCK);
        QCOMPARE(levelItems(), QStringList{QStringLiteral("042|Auditing2|二审")});
    }

    void aDocumentAuditedMeanwhileStopsTheLevelChange()
    {
        keepSettings();
        QVERIFY(world.keepTables({QStringLiteral("CGSHZB")}));
        storeLevels(1);
        receipt(3, 0);
        auto *probe = CreateForm<TSettingsProbe>();
        settings = probe;
        probe->show();
        flush();
        chooseLevels(2);
        // The window has looked already when another clerk audits: the request refuses.
        probe->EditDataSet->Post();
        QVERIFY(ExecSQL(QStringLiteral("update CGSHZB set uFlag = 1 where ID = 3")));
        {
            TMessageBoxScript answers;
            QVERIFY(!probe->Send());
            QCOMPARE(answers.Last().Text, TSystemSetFrm::AuditedDocumentsText);
        }
        QCOMPARE(storedAuditNum(), 1);
        QCOMPARE(levelItems(), QStringList{});
    }

    // --- Margins and dates ---------------------------------------------------------------------

    void marginsShowTheStoredTextOnlyWhenItIsWhole_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QList<double>>("shown");
        const QList<double> defaults{1.5, 1.5, 1, 1, 0.5, 0.5};
        QTest::newRow("six parts")
            << QStringLiteral("2,2.5,1.2,1.3,0.6,0.7") << QList<double>{2, 2.5, 1.2, 1.3, 0.6, 0.7};
        QTest::newRow("five parts") << QStringLiteral("2,2.5,1.2,1.3,0.6") << defaults;
        QTest::newRow("empty") << QString() << defaults;
        QTest::newRow("one part") << QStringLiteral("3") << defaults;
    }

    void marginsShowTheStoredTextOnlyWhenItIsWhole()
    {
        QFETCH(QString, stored);
        QFETCH(QList<double>, shown);
        keepSettings();
        QVERIFY(ExecSQL(
            QStringLiteral("update CompanyInfo set fExcelPageSetup = %1").arg(QuotedStr(stored))));
        openSettings();
        const QList<double> margins{
            settings->seUpMargin->value(),     settings->seLowMargin->value(),
            settings->seLeftMargin->value(),   settings->seRightMargin->value(),
            settings->seHeaderMargin->value(), settings->seFooterMargin->value()};
        QCOMPARE(margins, shown);
        QCOMPARE(ParseExcelPageSetup(stored).Top, shown[0]);
    }

    void marginsAndTheDateRangeAreStored()
    {
        keepSettings();
        openSettings();
        settings->seUpMargin->setValue(2);
        settings->seFooterMargin->setValue(0.8);
        settings->rgDateRange->button(ddDaysBack)->click();
        QVERIFY(settings->edtDay->isEnabled());
        QVERIFY(!settings->combKJQJ->isEnabled());
        settings->edtDay->setValue(7);
        settings->btnOk_New->click();
        QCOMPARE(settings->ModalResult(), mrOk);
        QCOMPARE(QueryValue(QStringLiteral("select fExcelPageSetup from CompanyInfo")).toString(),
                 QStringLiteral("2,1.5,1,1,0.5,0.8"));
        QCOMPARE(FuncRight().ExcelPageSetup.Top, 2.0);
        const TDefaultDateSettings stored = ReadDefaultDateSettings();
        QCOMPARE(stored.ItemIndex, int(ddDaysBack));
        QCOMPARE(stored.Day, 7);
        const QDate today(2026, 3, 15);
        QCOMPARE(DefaultDateRange(stored.ItemIndex, stored.Day, stored.KJQJ, today).From,
                 QDate(2026, 3, 8));

        // Shown again as stored.
        delete settings.data();
        openSettings();
        QCOMPARE(settings->rgDateRange->checkedId(), int(ddDaysBack));
        QCOMPARE(settings->edtDay->value(), 7);
        QCOMPARE(settings->seFooterMargin->value(), 0.8);
        settings->rgDateRange->button(ddAccountingMonth)->click();
        QVERIFY(!settings->edtDay->isEnabled());
        QVERIFY(settings->combKJQJ->isEnabled());
        settings->combKJQJ->setCurrentIndex(24);
        settings->btnOk_New->click();
        QCOMPARE(ReadDefaultDateSettings().ItemIndex, int(ddAccountingMonth));
        QCOMPARE(ReadDefaultDateSettings().KJQJ, 25);
    }

    void thePrintTemplateButtonOpensTheTemplateList()
    {
        QVERIFY(world.keepTables({QStringLiteral("Pub_PrintModal")}));
        QVERIFY(ExecSQL(QStringLiteral("insert into Pub_PrintModal (ID, ObjectName, FileName, RQ) "
                                       "values (2, '销售出库单', 'b.xls', #2026-02-01#)")));
        QVERIFY(ExecSQL(QStringLiteral("insert into Pub_PrintModal (ID, ObjectName, FileName, RQ) "
                                       "values (1, '采购入库单', 'a.xls', #2026-03-01#)")));
        Data().Pub_PrintModal().Close();
        openSettings();
        QStringList files;
        auto shown = vztest::whenModal<TfrmPrintModalList>([&files](TfrmPrintModalList &list) {
            QCOMPARE(list.windowTitle(), QStringLiteral("打印模板设置"));
            TClientDataSet &rows = *list.ListDataSet;
            for (rows.First(); !rows.Eof(); rows.Next())
                files << rows.FieldByName(QStringLiteral("FileName"))->AsString();
            list.Close();
        });
        settings->RzBitBtnPrintModal->click();
        QVERIFY(shown);
        // Oldest first.
        QCOMPARE(files, (QStringList{QStringLiteral("b.xls"), QStringLiteral("a.xls")}));
        Data().Pub_PrintModal().Close();
    }

    // --- Operation log -------------------------------------------------------------------------

    void thePurgeDeletesTheLinesOfTheDateAndBefore()
    {
        QVERIFY(world.keepTables({QStringLiteral("AppLog")}));
        QVERIFY(ExecSQL(QStringLiteral("delete from AppLog")));
        const char *days[] = {"2026-02-28", "2026-03-01", "2026-03-02",
                              "2026-03-02", "2026-03-03", "2027-01-01"};
        for (const char *day : days)
            QVERIFY(ExecSQL(QStringLiteral("insert into AppLog (uName, cName, CZ, RQ, SJ) values "
                                           "('SYS', 'PC', 'x', #%1#, '10:00')")
                                .arg(QLatin1String(day))));
        QPointer<TfrmLog> log = CreateForm<TfrmLog>();
        log->show();
        flush();
        QCOMPARE(log->dtpRqa->Date(), QDate::currentDate());
        QCOMPARE(Data().AppLog().RecordCount(), 6);
        QVERIFY(!log->aNew->isEnabled());
        QVERIFY(!log->aModify->isEnabled());

        log->dtpRqa->SetDate(QDate(2026, 3, 2));
        log->btnDelLog->click();
        QVERIFY(log->pnlDelete->isVisible());
        QCOMPARE(log->lblDelete->text(), QStringLiteral("确定要删除2026-03-02及之前的日志资料吗?"));
        log->btnNo->click();
        QVERIFY(!log->pnlDelete->isVisible());
        QCOMPARE(QueryValue(QStringLiteral("select count(*) from AppLog")).toInt(), 6);

        log->btnDelLog->click();
        {
            TMessageBoxScript answers;
            log->btnYes->click();
            QCOMPARE(answers.Last().Text, QStringLiteral("已删除 2026-03-02 及之前的日志资料!"));
        }
        QVERIFY(!log->pnlDelete->isVisible());
        QCOMPARE(column(QStringLiteral("select RQ from AppLog order by RQ")).size(), 2);
        QCOMPARE(QueryValue(QStringLiteral("select count(*) from AppLog where RQ <= #2026-03-02#"))
                     .toInt(),
                 0);
        QCOMPARE(Data().AppLog().RecordCount(), 2);
        delete log.data();
        Data().AppLog().Close();
    }

    // --- Alerts --------------------------------------------------------------------------------

    void theAlertCountsOnlyTheTypesTheUserMayAudit()
    {
        QVERIFY(world.keepTables({QStringLiteral("CGSHZB"), QStringLiteral("FYKZZB"),
                                  QStringLiteral("AppUser"), QStringLiteral("AppUserGroup"),
                                  QStringLiteral("Sys_GroupFuncRight")}));
        receipt(1, 0);
        receipt(2, 0);
        receipt(3, 1);
        QVERIFY(ExecSQL(QStringLiteral("insert into FYKZZB (ID, DJBH, RQ, uFlag) values (1, "
                                       "'FY2026030001', #2026-03-01#, 0)")));

        // The administrator sees every type that waits, in the types' order.
        alert = ShowAlertWindow(QStringLiteral("audit_office"), true);
        QVERIFY(alert);
        QCOMPARE(alert->PendingRows(),
                 (QStringList{QStringLiteral("费用开支=1"), QStringLiteral("采购入库=2")}));
        delete alert.data();

        grantAndLogin(QStringLiteral("mnuCgsh"), QStringLiteral("Insert,Auditing1,Print"));
        alert = ShowAlertWindow(QStringLiteral("audit_office"), true);
        QVERIFY(alert);
        QCOMPARE(alert->PendingRows(), QStringList{QStringLiteral("采购入库=2")});
        QCOMPARE(alert->windowTitle(), QStringLiteral("系统提示"));
        QCOMPARE(alert->PageControl1->tabText(0), QStringLiteral("待审核单据"));
        delete alert.data();
    }

    void aUserWithoutAuditRightsGetsNoAlertAtStart()
    {
        QVERIFY(world.keepTables({QStringLiteral("CGSHZB"), QStringLiteral("AppUser"),
                                  QStringLiteral("AppUserGroup"),
                                  QStringLiteral("Sys_GroupFuncRight")}));
        receipt(1, 0);
        grantAndLogin(QStringLiteral("mnuCgsh"), QStringLiteral("Insert,Modify,UnAudit,Print"));
        QVERIFY(!ShowAlertWindow(QStringLiteral("audit_office"), true));
        // From the menu the window comes, empty.
        alert = ShowAlertWindow(QStringLiteral("audit_office"), false);
        QVERIFY(alert);
        QVERIFY(!alert->HasPending());
    }

    void nothingPendingOrSwitchedOffShowsNothingAtStart()
    {
        QVERIFY(world.keepTables({QStringLiteral("CGSHZB")}));
        QVERIFY(!ShowAlertWindow(QStringLiteral("audit_jxc"), true));
        receipt(1, 0);
        world.afterTest(
            [] { WriteLoginSetting(QStringLiteral("showaudit"), QStringLiteral("1")); });
        QVERIFY(WriteLoginSetting(QStringLiteral("showaudit"), QStringLiteral("0")));
        QVERIFY(!ShowAlertWindow(QStringLiteral("audit_jxc"), true));
        QVERIFY(WriteLoginSetting(QStringLiteral("showaudit"), QStringLiteral("1")));
        alert = ShowAlertWindow(QStringLiteral("audit_jxc"), true);
        QVERIFY(alert);
        QCOMPARE(alert->PendingRows(), QStringList{QStringLiteral("采购入库=1")});
        // The check box is written back when the window closes.
        alert->chkShowAtStart->setChecked(false);
        alert->btnClose->click();
        flush();
        QVERIFY(!ReadShowAudit());
    }

    void viewOpensTheListOfTheWaitingDocuments()
    {
        QVERIFY(world.keepTables({QStringLiteral("CGSHZB")}));
        receipt(1, 0);
        receipt(2, 0);
        receipt(3, 1);
        auto main = std::make_unique<TfrmMain>();
        main->FormCreate();
        main->resize(1200, 800);
        main->show();
        alert = ShowAlertWindow(QStringLiteral("audit_office"), false, main.get());
        QVERIFY(alert);
        QCOMPARE(alert->PendingRows(), QStringList{QStringLiteral("采购入库=2")});
        alert->btnView->click();
        flush();
        QPointer<TfrmComDczb> list = qobject_cast<TfrmComDczb *>(
            GlobalObj().MDIWindows.FindForm(QStringLiteral("frmPurInWork")));
        QVERIFY(list);
        QVERIFY(list->PendingAudits());
        QCOMPARE(list->ListDataSet->RecordCount(), 2);
        list->Close();
        flush();
        Data().Cgshzb().Close();

        // The log and the settings are items of the menu.
        main->Item(QStringLiteral("mnuLog"))->trigger();
        flush();
        QPointer<QWidget> log = GlobalObj().MDIWindows.FindForm(QStringLiteral("frmLog"));
        QVERIFY(qobject_cast<TfrmLog *>(log));
        static_cast<TfrmLog *>(log.data())->Close();
        flush();
        Data().AppLog().Close();
        auto shown = vztest::whenModal<TSystemSetFrm>([](TSystemSetFrm &form) {
            QCOMPARE(form.windowTitle(), QStringLiteral("系统设置"));
            form.btnCancel_New->click();
        });
        main->Item(QStringLiteral("mnuSystemSet"))->trigger();
        QVERIFY(shown);
        flush();
    }

    void aWrongKindIsNamed()
    {
        TMessageBoxScript answers;
        QVERIFY(!ShowAlertWindow(QStringLiteral("audit"), false));
        QCOMPARE(answers.Last().Text, QStringLiteral("提醒类型不正确！"));
    }

    void theStockAlarmListsGoodsOutsideTheirLimitsPerWarehouse()
    {
        QVERIFY(world.keepTables({QStringLiteral("HP"), QStringLiteral("Inv_ItemList")}));
        // Goods 1: limits 5..20; goods 2: no limits.
        QVERIFY(ExecSQL(QStringLiteral(
            "insert into HP (ID, BH, PM, SX, XX) values (1, 'A01', '螺丝', 5, 20)")));
        QVERIFY(ExecSQL(
            QStringLiteral("insert into HP (ID, BH, PM, SX, XX) values (2, 'A02', '螺母', 0, 0)")));
        const char *rows[][3] = {
            {"1", "91", "30"}, {"1", "92", "3"}, {"1", "92", "4"}, {"2", "91", "100"}};
        int n = 0;
        for (const auto &row : rows)
            QVERIFY(ExecSQL(
                QStringLiteral("insert into Inv_ItemList (RQ, BillType, Flag, DJBH, "
                               "HPID, CKID, SL) values (#2026-03-01#, 'CG', 1, "
                               "'CG%1', %2, %3, %4)")
                    .arg(++n)
                    .arg(QLatin1String(row[0]), QLatin1String(row[1]), QLatin1String(row[2]))));
        // 30 in 主仓 is above 20; 7 in 分仓 is within the limits.
        QCOMPARE(column(StockAlarmSQL(FuncRight().WarehouseFrom)),
                 QStringList{QStringLiteral("主仓|A01|螺丝|20|30|5")});
        QVERIFY(ExecSQL(QStringLiteral(
            "insert into Inv_ItemList (RQ, BillType, Flag, DJBH, HPID, CKID, SL) values "
            "(#2026-03-02#, 'XS', -1, 'XS1', 1, 92, 4)")));
        QCOMPARE(column(StockAlarmSQL(FuncRight().WarehouseFrom)),
                 (QStringList{QStringLiteral("分仓|A01|螺丝|20|3|5"),
                              QStringLiteral("主仓|A01|螺丝|20|30|5")}));
        alert = ShowAlertWindow(QStringLiteral("audit_office"), false);
        QVERIFY(alert);
        QVERIFY(!alert->StockRows().Active());
        alert->PageControl1->setCurrentWidget(alert->TabSheet2);
        QCOMPARE(alert->StockRows().RecordCount(), 2);
    }
};

QTEST_MAIN(TestSysSet)
#include "tst_sysset.moc"
