// Account sets through their windows on a real server: the manager creates, renames, deletes
// and restores them (the server makes and removes the folders), the SQL export writes the
// account set as a script that the script restore reads back row for row into another one.
#include "client/admin/exportsql.h"
#include "client/admin/ztmanager.h"
#include "client/common/sqltext.h"
#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/scriptrestore.h"
#include "client/data/serveraccess.h"
#include "client/data/socketconnection.h"
#include "client/forms/filedialogs.h"
#include "client/widgets/messagebox.h"
#include "support/testworld.h"
#include "support/whenmodal.h"
#include "wire/client.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>

using vztest::whenModal;

namespace {

QStringList texts(const TMessageBoxScript &script)
{
    QStringList list;
    for (const TMessageRequest &request : script.Requests())
        list << request.Text;
    return list;
}

// A value as text that tells every value apart: bytes in hexadecimal, numbers to the last bit.
QString exactText(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QStringLiteral("<null>");
    switch (value.typeId()) {
    case QMetaType::QByteArray:
        return QStringLiteral("x") + QString::fromLatin1(value.toByteArray().toHex());
    case QMetaType::Double:
        return QString::number(value.toDouble(), 'g', 17);
    case QMetaType::QDateTime:
        return value.toDateTime().toString(Qt::ISODate);
    default:
        return value.toString();
    }
}

// Every row of a table as a sorted list of lines.
QStringList tableRows(wire::Client &client, const QString &table)
{
    wire::OpenResult result =
        client.open(QStringLiteral("pTmp"), QStringLiteral("select * from ") + table, -1);
    client.fetchAll(result);
    QStringList rows;
    for (const QVariantList &row : result.rows) {
        QStringList values;
        for (const QVariant &value : row)
            values << exactText(value);
        rows << values.join(QLatin1Char('|'));
    }
    rows.sort();
    return rows;
}

// Quantity in stock per goods (sum of SL*Flag), zero balances left out.
QMap<QString, double> stockPerGoods(wire::Client &client)
{
    wire::OpenResult result = client.open(
        QStringLiteral("pTmp"),
        QStringLiteral("select HPID, sum(SL*Flag) as Q from Inv_ItemList group by HPID"), -1);
    client.fetchAll(result);
    QMap<QString, double> stock;
    for (const QVariantList &row : result.rows)
        if (std::abs(row.value(1).toDouble()) > 1e-9)
            stock[row.value(0).toString()] = row.value(1).toDouble();
    return stock;
}

} // namespace

class TestAccountSets : public QObject
{
    Q_OBJECT

    vztest::TestWorld world{[] {
        vztest::WorldOptions options;
        options.moreAccountSets = {QStringLiteral("002"), QStringLiteral("003")};
        return options;
    }()};
    QTemporaryDir work;

    QString folder(const QString &no) { return world.server().dataDir() + QLatin1Char('/') + no; }

    std::unique_ptr<TfrmZTManager> openManager()
    {
        std::unique_ptr<TfrmZTManager> form(CreateForm<TfrmZTManager>());
        form->show();
        return form;
    }

    static bool select(TfrmZTManager &form, const QString &no)
    {
        return form.cdsAccounts.Locate(QStringLiteral("AccountNo"), no, loCaseInsensitive);
    }

    static int logLines(const QString &text)
    {
        return QueryValue(QStringLiteral("select count(*) from AppLog where CZ = ") +
                          QuotedStr(text))
            .toInt();
    }

    std::unique_ptr<TFrmExportSQL> openExport()
    {
        std::unique_ptr<TFrmExportSQL> form(CreateForm<TFrmExportSQL>());
        form->show();
        return form;
    }

    QStringList offered(TFrmExportSQL &form)
    {
        QStringList names;
        for (int i = 0; i < form.QBTables->count(); ++i)
            names << form.QBTables->item(i)->text();
        return names;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(world.start(), qPrintable(world.error()));
        QVERIFY(work.isValid());
    }

    void cleanup() { world.cleanup(); }

    void aNewAccountSetIsCreatedRenamedAndDeletedWithItsFolder()
    {
        world.afterTest(QStringLiteral("delete from AppLog"));
        auto form = openManager();
        QCOMPARE(form->PopupMenu1->actions().size(), 5);
        QCOMPARE(form->MenuNew->text(), QStringLiteral("新建帐套..."));
        QCOMPARE(form->MenuModify->text(), QStringLiteral("修改帐套名称...."));
        QCOMPARE(form->MenuDelete->text(), QStringLiteral("删除帐套...."));
        QCOMPARE(form->MenuRestore->text(), QStringLiteral("恢复备份..."));
        const int before = form->cdsAccounts.RecordCount();

        auto created = whenModal<TNewZTFrm>([](TNewZTFrm &dialog) {
            dialog.dbNo->setText(QStringLiteral("N7"));
            dialog.dbName->setText(QStringLiteral("七号店"));
            dialog.dbCompany->setText(QStringLiteral("七号公司"));
            dialog.btnCreate->click();
        });
        form->MenuNew->trigger();
        QVERIFY(created);
        QVERIFY(QFileInfo::exists(folder(QStringLiteral("N7")) + QStringLiteral("/VzData.db")));
        QCOMPARE(form->cdsAccounts.RecordCount(), before + 1);
        QCOMPARE(form->cdsAccounts.ChangeCount(), 0);
        QCOMPARE(logLines(QStringLiteral("新建帐套 N7 七号店")), 1);

        QVERIFY(select(*form, QStringLiteral("N7")));
        auto renamed = whenModal<TEditZTFrm>([](TEditZTFrm &dialog) {
            QCOMPARE(dialog.dbName->text(), QStringLiteral("七号店"));
            dialog.dbName->setText(QStringLiteral("七号分店"));
            dialog.btnOK->click();
        });
        form->MenuModify->trigger();
        QVERIFY(renamed);
        form->cdsAccounts.Close();
        form->cdsAccounts.Open();
        QVERIFY(select(*form, QStringLiteral("N7")));
        QCOMPARE(form->cdsAccounts.FieldByName(QStringLiteral("AccountName"))->AsString(),
                 QStringLiteral("七号分店"));
        QCOMPARE(logLines(QStringLiteral("修改帐套名称 N7 七号分店")), 1);

        // Cancelling the question keeps everything.
        {
            TMessageBoxScript script({mrCancel});
            form->MenuDelete->trigger();
            QCOMPARE(texts(script), QStringList{QStringLiteral("真的要删除<七号分店>帐套吗？")});
            QCOMPARE(script.Requests().first().Caption, QStringLiteral("提醒"));
        }
        QVERIFY(QFileInfo::exists(folder(QStringLiteral("N7"))));
        // A file of someone else's in the folder goes with it.
        QFile extra(folder(QStringLiteral("N7")) + QStringLiteral("/notes.txt"));
        QVERIFY(extra.open(QIODevice::WriteOnly));
        extra.close();
        {
            TMessageBoxScript script({mrOk});
            form->MenuDelete->trigger();
            QCOMPARE(script.Requests().size(), 1);
        }
        QVERIFY(!QFileInfo::exists(folder(QStringLiteral("N7"))));
        QCOMPARE(form->cdsAccounts.RecordCount(), before);
        QVERIFY(!select(*form, QStringLiteral("N7")));
        QCOMPARE(logLines(QStringLiteral("删除帐套 N7 七号分店")), 1);
    }

    void theNewAccountSetDialogChecksCodeAndName_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        const QString letters = QStringLiteral("帐套代码只能由字母或数字组成");
        QTest::newRow("empty code") << QString() << "x" << QStringLiteral("帐套代码不能为空");
        QTest::newRow("blank code") << "  "
                                    << "x" << QStringLiteral("帐套代码不能为空");
        QTest::newRow("empty name") << "A1"
                                    << "" << QStringLiteral("帐套名称不能为空");
        QTest::newRow("blank name") << "A1"
                                    << "   " << QStringLiteral("帐套名称不能为空");
        QTest::newRow("dash") << "A-1"
                              << "x" << letters;
        QTest::newRow("underscore") << "A_1"
                                    << "x" << letters;
        QTest::newRow("path") << "../x"
                              << "x" << letters;
        QTest::newRow("space inside") << "A 1"
                                      << "x" << letters;
        QTest::newRow("chinese") << QStringLiteral("帐套") << "x" << letters;
        QTest::newRow("full-width digit") << QStringLiteral("１２") << "x" << letters;
        QTest::newRow("letters and digits") << "Ab12"
                                            << "x" << QString();
    }

    void theNewAccountSetDialogChecksCodeAndName()
    {
        QFETCH(QString, code);
        QFETCH(QString, name);
        QFETCH(QString, message);
        TNewZTFrm dialog;
        dialog.dbNo->setText(code);
        dialog.dbName->setText(name);
        TMessageBoxScript script;
        dialog.btnCreate->click();
        if (message.isEmpty()) {
            QVERIFY(script.Requests().isEmpty());
            QCOMPARE(dialog.ModalResult(), mrOk);
        } else {
            QCOMPARE(texts(script), QStringList{message});
            QCOMPARE(dialog.ModalResult(), mrNone);
        }
    }

    void anExistingCodeIsRefusedAndTheListStaysAsItWas()
    {
        auto form = openManager();
        const int before = form->cdsAccounts.RecordCount();
        auto created = whenModal<TNewZTFrm>([](TNewZTFrm &dialog) {
            dialog.dbNo->setText(QStringLiteral("002"));
            dialog.dbName->setText(QStringLiteral("重复"));
            dialog.btnCreate->click();
        });
        TMessageBoxScript script;
        form->MenuNew->trigger();
        QVERIFY(created);
        const QStringList shown = texts(script);
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown[0].startsWith(QStringLiteral("新建帐套出错：")) &&
                     shown[0].contains(QStringLiteral("already exists")),
                 qPrintable(shown[0]));
        QCOMPARE(form->cdsAccounts.RecordCount(), before);
        QCOMPARE(form->cdsAccounts.ChangeCount(), 0);
        QVERIFY(QFileInfo::exists(folder(QStringLiteral("002")) + QStringLiteral("/VzData.db")));
        QCOMPARE(logLines(QStringLiteral("新建帐套 002 重复")), 0);
    }

    void theAccountSetInUseIsNotDeleted()
    {
        auto form = openManager();
        QVERIFY(select(*form, SessionInfo().AccountNo));
        TMessageBoxScript script;
        form->MenuDelete->trigger();
        QCOMPARE(texts(script), QStringList{QStringLiteral("删除帐套出错，帐套正在使用！")});
        QCOMPARE(script.Requests().first().Caption, QStringLiteral("错误"));
        QVERIFY(QFileInfo::exists(folder(SessionInfo().AccountNo)));
    }

    void anAccountSetAnotherClientHoldsIsNotDeleted()
    {
        auto other = world.otherClient(QStringLiteral("003"));
        auto form = openManager();
        QVERIFY(select(*form, QStringLiteral("003")));
        TMessageBoxScript script({mrOk});
        form->MenuDelete->trigger();
        const QStringList shown = texts(script);
        QCOMPARE(shown.size(), 2);
        QVERIFY2(shown[1].startsWith(QStringLiteral("删除帐套出错：")) &&
                     shown[1].contains(QStringLiteral("in use")),
                 qPrintable(shown[1]));
        QCOMPARE(script.Requests()[1].Caption, QStringLiteral("错误"));
        QVERIFY(QFileInfo::exists(folder(QStringLiteral("003")) + QStringLiteral("/VzData.db")));
        QCOMPARE(form->cdsAccounts.ChangeCount(), 0);
        QVERIFY(select(*form, QStringLiteral("003")));
        form->cdsAccounts.Close();
        form->cdsAccounts.Open();
        QVERIFY(select(*form, QStringLiteral("003")));
    }

    void theExportOffersNeitherReportNorSystemTables()
    {
        QVERIFY(ExecSQL(QStringLiteral("create table KDYX (ID int)")));
        world.afterTest(QStringLiteral("drop table KDYX"));
        const QStringList all = Data().cn().AppServer().GetTableNames().split(QLatin1Char('|'));
        QVERIFY(all.contains(QStringLiteral("rpt_Static_StockQty")));
        QVERIFY(all.contains(QStringLiteral("KDYX")));
        auto form = openExport();
        const QStringList names = offered(*form);
        QVERIFY(names.contains(QStringLiteral("HP")));
        QVERIFY(names.contains(QStringLiteral("Inv_ItemList")));
        for (const QString &name : names)
            QVERIFY2(IsExportedTable(name), qPrintable(name));
        QVERIFY(!names.contains(QStringLiteral("KDYX")));
        QVERIFY(!names.contains(QStringLiteral("rpt_Static_StockQty")));

        const struct
        {
            const char *name;
            bool exported;
        } cases[] = {{"rpt_Static_StockQty", false},
                     {"KDYX", false},
                     {"DYMB", false},
                     {"MSysObjects", false},
                     {"vi_Stock", false},
                     {"QY1", false},
                     {"QY3", false},
                     {"QY2", true},
                     {"HP", true}};
        for (const auto &c : cases)
            QVERIFY2(IsExportedTable(QLatin1String(c.name)) == c.exported, c.name);
    }

    void exportingNothingCheckedWritesAnEmptyFile()
    {
        auto form = openExport();
        form->Button3->click();
        QCOMPARE(form->CheckedTables().size(), form->QBTables->count());
        form->Button4->click();
        QVERIFY(form->CheckedTables().isEmpty());
        TFileDialogScript files;
        const QString chosen = work.filePath(QStringLiteral("nothing"));
        files.Answer(chosen);
        TMessageBoxScript script;
        form->Button5->click();
        QCOMPARE(files.Requests().size(), 1);
        QVERIFY2(QRegularExpression(QStringLiteral("^导出数据_\\d{14}$"))
                     .match(files.Requests().first().FileName)
                     .hasMatch(),
                 qPrintable(files.Requests().first().FileName));
        QCOMPARE(files.Requests().first().Filters, QStringList{QStringLiteral("文本文件(*.txt)")});
        QCOMPARE(texts(script), QStringList{QStringLiteral("导出完成！")});
        QCOMPARE(script.Requests().first().Caption, QStringLiteral("信息"));
        QFileInfo written(chosen + QStringLiteral(".txt"));
        QVERIFY(written.exists());
        QCOMPARE(written.size(), 0);
    }

    void aTableThatCannotBeReadStopsTheExportBeforeAnythingIsWritten()
    {
        QVERIFY(ExecSQL(QStringLiteral("create table GONEX (ID int)")));
        world.afterTest(QStringLiteral("drop table if exists GONEX"));
        auto form = openExport();
        for (int i = 0; i < form->QBTables->count(); ++i) {
            QListWidgetItem *item = form->QBTables->item(i);
            if (item->text() == QLatin1String("GONEX") || item->text() == QLatin1String("BM"))
                item->setCheckState(Qt::Checked);
        }
        QCOMPARE(form->CheckedTables().size(), 2);
        QVERIFY(ExecSQL(QStringLiteral("drop table GONEX")));
        TFileDialogScript files;
        const QString chosen = work.filePath(QStringLiteral("gone"));
        files.Answer(chosen);
        TMessageBoxScript script;
        form->Button5->click();
        QCOMPARE(script.Requests().size(), 1);
        QVERIFY(script.Requests().first().Text != QStringLiteral("导出完成！"));
        QVERIFY(!QFileInfo::exists(chosen + QStringLiteral(".txt")));
    }

    void theExportRestoredIntoAnotherAccountSetGivesTheSameRows()
    {
        // Values that a careless script would change.
        QVERIFY(world.keepTables({QStringLiteral("KH"), QStringLiteral("Hp_Pict")}));
        QVERIFY(ExecSQL(
            QStringLiteral("insert into KH (ID, BH, MC, DZ) values (90001, 'Q1', ") +
            QuotedStr(QStringLiteral("O'Neil \"引号\" ")) + QStringLiteral(" + char(13) + ") +
            QuotedStr(QStringLiteral("第二行'")) + QStringLiteral(" + char(10) + ") +
            QuotedStr(QStringLiteral("  末行 // 不是注释 ")) + QStringLiteral(", Null)")));
        QVERIFY(ExecSQL(QStringLiteral("insert into KH (ID, BH, MC) values (90002, '  ', '')")));
        QByteArray picture;
        for (int i = 0; i < 5000; ++i)
            picture.append(char(i * 37 % 256));
        QVERIFY(ExecSQL(QStringLiteral("insert into Hp_Pict (id, ygid, pict, Ext) values (90001, "
                                       "1, unhex('") +
                        QString::fromLatin1(picture.toHex()) + QStringLiteral("'), '.jpg')")));
        QVERIFY(ExecSQL(QStringLiteral(
            "insert into Hp_Pict (id, ygid, pict, Ext) values (90002, 2, Null, Null)")));

        auto form = openExport();
        form->Button3->click();
        const QStringList tables = form->CheckedTables();
        QVERIFY(tables.size() > 20);
        TFileDialogScript files;
        const QString chosen = work.filePath(QStringLiteral("all"));
        files.Answer(chosen);
        {
            TMessageBoxScript script;
            form->Button5->click();
            QCOMPARE(texts(script), QStringList{QStringLiteral("导出完成！")});
        }
        const QString file = chosen + QStringLiteral(".txt");
        const QStringList lines = ReadScriptFile(file);
        QVERIFY(lines.size() > tables.size());

        // Into account set 002, through the script restore of the menu.
        QString target = QStringLiteral("002");
        QVERIFY(!Data().cn().AppServer().ConnectAct(0, target));
        world.afterTest([] {
            QString back = QStringLiteral("001");
            Data().cn().AppServer().ConnectAct(0, back);
        });
        const TScriptRestoreResult restored = RestoreFromScriptFile(file, Data().Tmp());
        QVERIFY2(restored.Failed.isEmpty(),
                 qPrintable(restored.Failed.mid(0, 3).join(QLatin1Char('\n'))));

        auto original = world.otherClient(QStringLiteral("001"));
        auto copy = world.otherClient(QStringLiteral("002"));
        int compared = 0;
        for (const QString &table : tables) {
            const QStringList want = tableRows(*original, table);
            const QStringList got = tableRows(*copy, table);
            if (want != got) {
                for (int i = 0; i < std::min(want.size(), got.size()); ++i)
                    if (want[i] != got[i])
                        qWarning().noquote()
                            << table << "\n  want" << want[i] << "\n  got " << got[i];
                QFAIL(qPrintable(QStringLiteral("%1: %2 rows against %3")
                                     .arg(table)
                                     .arg(want.size())
                                     .arg(got.size())));
            }
            compared += int(want.size());
        }
        QVERIFY(compared > 1000);
        QCOMPARE(
            tableRows(*copy, QStringLiteral("Hp_Pict")).filter(QStringLiteral("90001")).first(),
            QStringLiteral("90001|1|x") + QString::fromLatin1(picture.toHex()) +
                QStringLiteral("|.jpg"));
    }

    void aRestoredBackupOpensWithTheStockOfItsTime()
    {
        world.afterTest(QStringLiteral("delete from AppLog"));
        auto housekeeping = world.otherClient(QStringLiteral("001"));
        const QMap<QString, double> atBackup = stockPerGoods(*housekeeping);
        QVERIFY(atBackup.size() > 5);
        QString accountNo = SessionInfo().AccountNo;
        Data().cn().AppServer().BackupData(accountNo);
        // Stock moves on after the backup.
        world.afterTest(QStringLiteral("delete from Inv_ItemList where DJBH = 'AFTER'"));
        QVERIFY(ExecSQL(
            QStringLiteral(
                "insert into Inv_ItemList (RQ, BillType, Flag, DJBH, HPID, HH, SL, DJ, CKID) "
                "values (#2026-01-05#, 'CGSH', 1, 'AFTER', ") +
            atBackup.firstKey() + QStringLiteral(", 1, 7, 1, 1)")));
        QVERIFY(stockPerGoods(*housekeeping) != atBackup);

        auto form = openManager();
        QVERIFY(select(*form, QStringLiteral("001")));
        const QList<TBackupEntry> backups = TfrmZTManager::ListBackups(QStringLiteral("001"));
        QVERIFY(!backups.isEmpty());

        // An existing code is refused by the server, and nothing changes.
        {
            auto answered = whenModal<TRestoreZTFrm>([](TRestoreZTFrm &dialog) {
                dialog.dbNo->setText(QStringLiteral("002"));
                dialog.dbName->setText(QStringLiteral("重复"));
                dialog.btnRestore->click();
            });
            TMessageBoxScript script;
            form->MenuRestore->trigger();
            QVERIFY(answered);
            QCOMPARE(script.Requests().size(), 1);
            QVERIFY2(script.Requests().first().Text.contains(QStringLiteral("already exists")),
                     qPrintable(script.Requests().first().Text));
        }

        auto answered = whenModal<TRestoreZTFrm>([&](TRestoreZTFrm &dialog) {
            QCOMPARE(dialog.grdBackups->rowCount(), backups.size());
            QCOMPARE(dialog.grdBackups->item(0, 0)->text(),
                     backups.first().Time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
            dialog.grdBackups->selectRow(0);
            dialog.dbNo->setText(QStringLiteral("R1"));
            dialog.dbName->setText(QStringLiteral("恢复的帐套"));
            dialog.btnRestore->click();
        });
        {
            TMessageBoxScript script;
            form->MenuRestore->trigger();
            QVERIFY2(script.Requests().isEmpty(),
                     qPrintable(texts(script).join(QLatin1Char('\n'))));
        }
        QVERIFY(answered);
        QCOMPARE(form->cdsAccounts.FieldByName(QStringLiteral("AccountNo"))->AsString(),
                 QStringLiteral("R1"));
        QCOMPARE(logLines(QStringLiteral("恢复备份 001 ") + backups.first().FileName +
                          QStringLiteral(" 为帐套 R1 恢复的帐套")),
                 1);

        auto restored = world.otherClient(QStringLiteral("R1"));
        QCOMPARE(stockPerGoods(*restored), atBackup);
    }
};

QTEST_MAIN(TestAccountSets)
#include "tst_accountsets.moc"
