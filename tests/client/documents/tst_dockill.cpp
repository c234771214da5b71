// A document saved and audited through the real form while the server is killed at each step
// of the request that stores it: after a restart the account set holds the document whole or
// not at all, and an audited document with its ledger rows or neither.
#include "client/core/paths.h"
#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/data/socketconnection.h"
#include "client/documents/purin.h"
#include "client/forms/globalobj.h"
#include "client/widgets/messagebox.h"
#include "support/pgcluster.h"
#include "support/serverprocess.h"

#include <QApplication>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

constexpr qint64 Receipt = 990077;

// The receipt form with the audit reachable without its question.
class TKilledReceipt : public TfrmPurIn
{
public:
    bool Audit() { return AuditBill(true); }
};

void flush()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

} // namespace

class TestDocKill : public QObject
{
    Q_OBJECT

    vztest::ServerProcess server;
    std::unique_ptr<TData> data;
    // The client's own folder: the certificates it remembers are this test's, not those of
    // servers other tests ran on the same port before.
    QTemporaryDir clientFolder;

    bool connectClient()
    {
        data.reset();
        data = std::make_unique<TData>();
        data->cn().SetHost(server.address());
        CurUserCode = QStringLiteral("SYS"); // the connection logs SYS in
        CurUserPassword.clear();
        QString account = QStringLiteral("001");
        if (data->cn().AppServer().ConnectAct(0, account))
            return false;
        SessionInfo().DatabaseKind = 0;
        FuncRight() = TSystemFunctionRight();
        FuncRight().SetDataSets(&data->Tmp(), &data->Tmpf(), &data->Tmpl());
        FuncRight().UserCode = QStringLiteral("SYS");
        FuncRight().UserName = QStringLiteral("系统管理员");
        FuncRight().Boolean3 = true; // the number is drawn with the save, inside its request
        return true;
    }

    bool restart(const QStringList &arguments = {})
    {
        data.reset();
        server.stop();
        return server.start(arguments) && connectClient();
    }

    int count(const QString &sql) { return QueryValue(sql).toInt(); }

    TKilledReceipt *newReceipt()
    {
        TKilledReceipt *form = CreateForm<TKilledReceipt>();
        form->FOpenMode = QStringLiteral("A");
        form->show();
        flush();
        TClientDataSet &zb = *form->ZbDataSet();
        zb.FieldByName(QStringLiteral("GYSID"))->SetAsInteger(1);
        zb.FieldByName(QStringLiteral("aGYSMC"))->SetAsString(QStringLiteral("供应商一"));
        zb.FieldByName(QStringLiteral("CKID"))->SetAsInteger(1);
        zb.FieldByName(QStringLiteral("YWY"))->SetAsString(QStringLiteral("张三"));
        TClientDataSet &mx = *form->MxDataSet();
        mx.First();
        for (int goods = 1; goods <= 2; ++goods) {
            mx.Edit();
            mx.FieldByName(QStringLiteral("aBH"))
                ->SetAsString(
                    QueryValue(QStringLiteral("select BH from HP where ID = %1").arg(goods))
                        .toString());
            mx.FieldByName(QStringLiteral("SL"))->SetAsFloat(goods);
            mx.Post();
            mx.Next();
        }
        return form;
    }

    void closeForm(TfrmComDj *form)
    {
        TMessageBoxScript no{mrNo, mrNo, mrNo};
        QPointer<TfrmComDj> guard(form);
        form->Close();
        flush();
        if (guard)
            delete guard.data();
    }

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("VZ_TEST_HOOKS", "1");
        SetExeDir(clientFolder.path());
        QStringList create{QStringLiteral("--create-account"), QStringLiteral("001"),
                           QStringLiteral("--demo")};
        // Run once more by ctest with the set in PostgreSQL: a killed server's transaction dies
        // with its connection there.
        if (qEnvironmentVariable("VZ_TEST_ENGINE") == QLatin1String("postgresql"))
            create << QStringLiteral("--engine") << QStringLiteral("postgresql")
                   << QStringLiteral("--pg")
                   << QString::fromStdString(testsupport::PgCluster::shared().createDatabase());
        QString output;
        QVERIFY2(server.runTool(create, &output) == 0, qPrintable(output));
        QVERIFY2(server.start(), qPrintable(server.error()));
        QVERIFY(connectClient());
    }

    void cleanupTestCase()
    {
        data.reset();
        server.stop();
        qunsetenv("VZ_TEST_HOOKS");
    }

    void aSaveIsWholeOrAbsentWhereverTheServerDies()
    {
        // Steps of the save: the counter, two lines, the header, the log line, the commit, after
        // the commit.
        QList<int> outcome;
        for (int step = 1; step <= 8; ++step) {
            QVERIFY2(restart({QStringLiteral("--test-kill-at-statement"), QString::number(step)}),
                     qPrintable(server.error()));
            const int counters = count(QStringLiteral("select sum(MaxNo) from MaxBillNo"));
            const int headers = count(QStringLiteral("select count(*) from CGSHZB"));
            const int stored = count(QStringLiteral("select count(*) from CGSH"));
            const int logged = count(QStringLiteral("select count(*) from AppLog"));
            TKilledReceipt *form = newReceipt();
            {
                TMessageBoxScript answers;
                form->aSave->trigger();
            }
            const bool saved = !form->IsModified();
            closeForm(form);
            QVERIFY(restart());
            const int newHeaders = count(QStringLiteral("select count(*) from CGSHZB")) - headers;
            const int newLines = count(QStringLiteral("select count(*) from CGSH")) - stored;
            const int moved = count(QStringLiteral("select sum(MaxNo) from MaxBillNo")) - counters;
            // The log holds the save exactly when the save is stored.
            QCOMPARE(count(QStringLiteral("select count(*) from AppLog")) - logged, newHeaders);
            QVERIFY2((newHeaders == 0 && newLines == 0 && moved == 0) ||
                         (newHeaders == 1 && newLines == 2 && moved == 1),
                     qPrintable(QStringLiteral("step %1: %2 headers, %3 lines, counter +%4")
                                    .arg(step)
                                    .arg(newHeaders)
                                    .arg(newLines)
                                    .arg(moved)));
            // Lines without their header, anywhere in the account set: none.
            QCOMPARE(count(QStringLiteral(
                         "select count(*) from CGSH where ZBID not in (select ID from CGSHZB)")),
                     0);
            if (saved)
                QCOMPARE(newHeaders, 1);
            outcome << newHeaders;
        }
        // Killed before the commit: nothing; after it, or not killed: the whole document.
        QCOMPARE(outcome, (QList<int>{0, 0, 0, 0, 0, 0, 1, 1}));
    }

    void anAuditIsPostedWholeOrNotAtAllWhereverTheServerDies()
    {
        QVERIFY(restart());
        TKilledReceipt *form = newReceipt();
        form->aSave->trigger();
        QVERIFY(!form->IsModified());
        const QString billNo = form->ZbDataSet()->FieldByName(QStringLiteral("DJBH"))->AsString();
        const qint64 id = form->ZbDataSet()->FieldByName(QStringLiteral("ID"))->AsLargeInt();
        closeForm(form);
        // Steps of the audit: the header, the log line, two ledger rows, the commit, after the
        // commit.
        QList<int> outcome;
        for (int step = 1; step <= 7; ++step) {
            QVERIFY2(restart({QStringLiteral("--test-kill-at-statement"), QString::number(step)}),
                     qPrintable(server.error()));
            TClientDataSet &header = Data().Cgshzb();
            header.Close();
            header.SetCommandText(
                TfrmPurIn::HeaderQuery(QStringLiteral(" where Z.ID = ") + QString::number(id)));
            header.Open();
            auto *audited = CreateForm<TKilledReceipt>();
            audited->FOpenMode = QStringLiteral("M");
            audited->show();
            flush();
            {
                TMessageBoxScript answers;
                audited->Audit();
            }
            closeForm(audited);
            QVERIFY(restart());
            const int flag =
                count(QStringLiteral("select uFlag from CGSHZB where ID = %1").arg(id));
            const int rows = count(
                QStringLiteral("select count(*) from Inv_ItemList where DJBH = '%1'").arg(billNo));
            QVERIFY2((flag == 0 && rows == 0) || (flag == 1 && rows == 2),
                     qPrintable(QStringLiteral("step %1: uFlag %2, %3 ledger rows")
                                    .arg(step)
                                    .arg(flag)
                                    .arg(rows)));
            outcome << flag;
            if (flag == 1)
                QVERIFY(ExecSQLScript(
                    {QStringLiteral("update CGSHZB set uFlag = 0 where ID = %1").arg(id),
                     QStringLiteral("delete from Inv_ItemList where DJBH = '%1'").arg(billNo)}));
        }
    }
};

QTEST_MAIN(TestDocKill)
#include "tst_dockill.moc"
