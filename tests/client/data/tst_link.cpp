// The server link through a real server: connecting from the configuration, custom methods
// with arguments by reference, rows in packets, value types both ways, the report connection,
// and what a lost connection costs.
#include "linktests.h"

#include "client/core/sysconfig.h"
#include "client/data/reportdata.h"
#include "wire/tls.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

using linktest::columnTexts;
using linktest::displayTexts;

class TestLink : public QObject
{
    Q_OBJECT

    vztest::TestWorld world{linktest::worldOptions()};

private slots:
    void initTestCase()
    {
        QVERIFY2(world.start(), qPrintable(world.error()));
        QVERIFY(ExecSQL(QStringLiteral("delete from KH")));
    }
    void cleanupTestCase() { world.stop(); }
    void cleanup() { world.cleanup(); }

    void connectServerReportsWhyItFailed()
    {
        TSocketConnection other(QStringLiteral("ZezU.datas"));
        QString message;
        QVERIFY(ConnectServer(&other, &message));
        QVERIFY(other.Connected());
        QCOMPARE(other.Address(), world.address());

        // a server that is not there
        SaveServerAddress(QStringLiteral("127.0.0.1:1"));
        QVERIFY(!ConnectServer(&other, &message));
        QCOMPARE(message, QStringLiteral(
                              "找不到服务器，请检查本软件包安装目录下面的SysConfig.ini配置文件！"));
        QVERIFY(!other.Connected());

        // no configuration at all: a default one naming this computer is written first
        QFile::remove(SysConfigFileName());
        ConnectServer(&other, &message);
        QVERIFY(SysConfigExists());
        QCOMPARE(ConfiguredHostName(), LocalComputerName());
        QVERIFY(!ConnectServer(nullptr, &message));

        QFile::remove(SysConfigFileName());
        SaveServerAddress(world.address());
        QVERIFY(ConnectServer(&other, &message));
    }

    void theFirstConnectionRemembersTheServersCertificate()
    {
        QFile::remove(SysConfigFileName());
        SaveServerAddress(world.address());
        const QString fingerprint = wire::certificateFileFingerprint(
            QDir(world.server().dataDir()).filePath(QStringLiteral("tls/server.crt")));
        TSocketConnection other(QStringLiteral("ZezU.datas"));
        QString message;
        QVERIFY(ConnectServer(&other, &message));
        QCOMPARE(other.ServerFingerprint(), fingerprint);
        QCOMPARE(KnownServerFingerprint(world.address()), fingerprint);
        QFile file(SysConfigFileName());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text =
            QString::fromUtf8(file.readAll()).replace(QLatin1String("\r\n"), QLatin1String("\n"));
        QVERIFY2(text.contains(QStringLiteral("[tls]\n%1=%2").arg(world.address(), fingerprint)),
                 qPrintable(text));

        // the server's answer to a connection without TLS is an error, not a wait
        other.SetTls(false);
        QVERIFY(!ConnectServer(&other, &message));
        QCOMPARE(message, QStringLiteral("连接服务器错误！"));
        QCOMPARE(KnownServerFingerprint(world.address()), fingerprint);
    }

    void aChangedCertificateIsRefusedUntilItsLineIsDeleted()
    {
        vztest::ServerProcess replaced;
        QVERIFY2(replaced.start(), qPrintable(replaced.error()));
        SaveServerAddress(replaced.address());
        TSocketConnection other(QStringLiteral("ZezU.datas"));
        QString message;
        QVERIFY(ConnectServer(&other, &message));
        const QString known = other.ServerFingerprint();
        QCOMPARE(KnownServerFingerprint(replaced.address()), known);

        // the administrator puts another certificate in place, or someone stands in between
        QTemporaryDir folder;
        const QString certificate = folder.filePath(QStringLiteral("new.crt"));
        const QString key = folder.filePath(QStringLiteral("new.key"));
        wire::createSelfSignedCertificate(certificate, key, QStringLiteral("new"), {}, 30);
        const QString presented = wire::certificateFileFingerprint(certificate);
        replaced.stop();
        QVERIFY2(replaced.start({QStringLiteral("--port"), QString::number(replaced.port()),
                                 QStringLiteral("--tls-cert"), certificate,
                                 QStringLiteral("--tls-key"), key}),
                 qPrintable(replaced.error()));
        QVERIFY(!ConnectServer(&other, &message));
        QVERIFY(!other.Connected());
        const QString line = replaced.address() + QLatin1Char('=') + known;
        for (const QString &part : {QStringLiteral("安全证书"), QStringLiteral("截取"), known,
                                    presented, SysConfigFileName(), line})
            QVERIFY2(message.contains(part), qPrintable(message));
        try {
            other.Open();
            QFAIL("a server with another certificate was connected");
        } catch (const EConnectionError &e) {
            QCOMPARE(e.Reason(), EConnectionError::crCertificateChanged);
            QCOMPARE(e.Message(), message);
        }
        QCOMPARE(KnownServerFingerprint(replaced.address()), known);

        // as the message says: once the line is deleted, the next connection learns the new one
        QFile file(SysConfigFileName());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        file.close();
        QCOMPARE(lines.removeAll(line) + lines.removeAll(line + QLatin1Char('\r')), 1);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(lines.join(QLatin1Char('\n')).toUtf8());
        file.close();
        QVERIFY(ConnectServer(&other, &message));
        QCOMPARE(KnownServerFingerprint(replaced.address()), presented);
    }

    void customMethodsPassArgumentsByReference()
    {
        TAppServer &server = Data().cn().AppServer();
        QCOMPARE(server.GetServerDate(), QDate::currentDate());
        QVERIFY(qAbs(server.GetServerDateTime().secsTo(QDateTime::currentDateTime())) < 60);
        QVERIFY(server.GetTableNames().split(QLatin1Char('|')).contains(QStringLiteral("HP")));

        // an empty account-set code comes back as the one the server chose
        QVariantList args{0, QString(), QString(), QString(), QString()};
        QCOMPARE(server.Call(QStringLiteral("ConnectAct"), args).toBool(), false);
        QCOMPARE(args.value(2).toString(), QStringLiteral("001"));

        QString unknown = QStringLiteral("999");
        QVERIFY(server.ConnectAct(0, unknown));
        QVERIFY(!server.LastMessage().isEmpty());
        QString accountNo = QStringLiteral("001");
        QVERIFY(!server.ConnectAct(0, accountNo));

        // a method the server does not have raises its message
        try {
            server.Call(QStringLiteral("NoSuchMethod"));
            QFAIL("an unknown method was accepted");
        } catch (const ERemoteError &e) {
            QCOMPARE(e.ErrorCode(), QStringLiteral("method"));
            QVERIFY(!e.Message().isEmpty());
        }
        // and the connection goes on
        QVERIFY(HasRows(QStringLiteral("select * from AppUser")));
    }

    void rowsArriveInPacketsOnDemand()
    {
        world.afterTest(QStringLiteral("delete from KH"));
        QVERIFY(linktest::addCustomers(4500));
        TClientDataSet &kh = Data().Kh();
        kh.SetCommandText(QStringLiteral("select ID, BH, MC from KH order by ID"));
        kh.Open();
        QCOMPARE(kh.RecordCount(), 2000);
        QVERIFY(!kh.AllRecordsFetched());
        kh.Last();
        QCOMPARE(kh.RecordCount(), 4500);
        QCOMPARE(kh.FieldByName(QStringLiteral("MC"))->AsString(), QStringLiteral("客户4500"));
        int expected = 1;
        for (kh.First(); !kh.Eof(); kh.Next()) {
            if (kh.FieldByName(QStringLiteral("ID"))->AsInteger() != expected)
                QFAIL(qPrintable(QStringLiteral("row %1 out of order").arg(expected)));
            ++expected;
        }
        QCOMPARE(expected, 4501);
        kh.Close();

        // a dataset that wants only the fields gets its rows when it asks
        TClientDataSet &tmp = GetFreeTmpDataSet();
        tmp.SetPacketRecords(0);
        tmp.SetCommandText(QStringLiteral("select ID from KH where ID <= 3 order by ID"));
        tmp.Open();
        QCOMPARE(tmp.RecordCount(), 0);
        QCOMPARE(tmp.FieldCount(), 1);
        tmp.GetNextPacket();
        QCOMPARE(columnTexts(tmp, QStringLiteral("ID")),
                 (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
        tmp.Close();
    }

    void valuesKeepTheirTypesBothWays()
    {
        for (const char *table : {"YG", "Oa_Leave", "Hp_Pict"})
            world.afterTest(QStringLiteral("delete from ") + QLatin1String(table));
        world.afterTest([] {
            Data().Yg().Close();
            Data().Yg().SetCommandText(QString());
        });
        TClientDataSet &yg = Data().Yg();
        yg.Open();
        yg.Append();
        yg.FieldByName(QStringLiteral("ID"))->SetAsInteger(7);
        yg.FieldByName(QStringLiteral("BH"))->SetAsString(QStringLiteral("Y07"));
        yg.FieldByName(QStringLiteral("XM"))->SetAsString(QStringLiteral("O'Neil 王"));
        yg.FieldByName(QStringLiteral("CSRQ"))->SetAsDate(QDate(1990, 2, 28));
        yg.FieldByName(QStringLiteral("JBGZ"))->SetAsFloat(4321.05);
        yg.FieldByName(QStringLiteral("YWYBZ"))->SetAsBoolean(true);
        yg.FieldByName(QStringLiteral("GRJL"))->SetAsString(QStringLiteral("第一行\n第二行"));
        yg.Post();
        QCOMPARE(yg.ApplyUpdates(0), 0);
        yg.Close();

        yg.SetCommandText(QStringLiteral("select * from YG where ID = 7"));
        yg.Open();
        QCOMPARE(yg.RecordCount(), 1);
        QCOMPARE(yg.FieldByName(QStringLiteral("CSRQ"))->DataType(), ftDate);
        QCOMPARE(yg.FieldByName(QStringLiteral("CSRQ"))->AsDate(), QDate(1990, 2, 28));
        QCOMPARE(yg.FieldByName(QStringLiteral("JBGZ"))->DataType(), ftFloat);
        QCOMPARE(yg.FieldByName(QStringLiteral("JBGZ"))->AsFloat(), 4321.05);
        QCOMPARE(yg.FieldByName(QStringLiteral("YWYBZ"))->DataType(), ftBoolean);
        QCOMPARE(yg.FieldByName(QStringLiteral("YWYBZ"))->AsBoolean(), true);
        QCOMPARE(yg.FieldByName(QStringLiteral("XM"))->AsString(), QStringLiteral("O'Neil 王"));
        QCOMPARE(yg.FieldByName(QStringLiteral("XM"))->Size(), 20);
        QCOMPARE(yg.FieldByName(QStringLiteral("GRJL"))->AsString(),
                 QStringLiteral("第一行\n第二行"));
        QVERIFY(yg.FieldByName(QStringLiteral("ID"))->ProviderFlags() & pfInKey);
        yg.Close();

        // date-times, with and without a time of day, and the edges of the number kinds
        QVERIFY(ExecSQL(
            QStringLiteral("insert into Oa_Leave (ID, F_StartDate, F_EndDate, F_Hours) values "
                           "(1, '2024-03-01 09:05:00', '2024-03-02', -1.5)")));
        TClientDataSet &leave = Data().Oa_Leave();
        leave.Open();
        QCOMPARE(leave.FieldByName(QStringLiteral("F_StartDate"))->DataType(), ftDateTime);
        QCOMPARE(leave.FieldByName(QStringLiteral("F_StartDate"))->AsDateTime(),
                 QDateTime(QDate(2024, 3, 1), QTime(9, 5)));
        QCOMPARE(leave.FieldByName(QStringLiteral("F_EndDate"))->AsDateTime(),
                 QDateTime(QDate(2024, 3, 2), QTime(0, 0)));
        QCOMPARE(leave.FieldByName(QStringLiteral("F_Hours"))->AsFloat(), -1.5);
        leave.Close();
        QCOMPARE(QueryValue(QStringLiteral("select -9007199254740993")).toLongLong(),
                 Q_INT64_C(-9007199254740993));

        // binary values
        TClientDataSet &pict = Data().Hp_Pict();
        pict.Open();
        QByteArray bytes(70000, Qt::Uninitialized);
        for (int i = 0; i < bytes.size(); ++i)
            bytes[i] = char(i * 7);
        pict.AppendRecord({1, 3, bytes, QStringLiteral("jpg")});
        QCOMPARE(pict.ApplyUpdates(0), 0);
        pict.Close();
        pict.Open();
        QCOMPARE(pict.FieldByName(QStringLiteral("pict"))->AsBytes(), bytes);
        pict.Close();
    }

    void reportConnectionFollowsTheCentralOneToItsAccountSet()
    {
        world.afterTest(QStringLiteral("delete from KH"));
        QVERIFY(ExecSQL(QStringLiteral("insert into KH (ID, BH, MC) values (1, 'K1', '华东')")));
        TDataBb reports(Data());
        TClientDataSet &sales = DataBb().DataSet(QStringLiteral("KhXsHz"));
        QCOMPARE(sales.ProviderName(), QStringLiteral("pKhXsHz"));
        QCOMPARE(DataBb().DataSet(QStringLiteral("HpCwb")).ProviderName(),
                 QStringLiteral("pXsMsdj"));
        QCOMPARE(DataBb().DataSet(QStringLiteral("ZlFxt")).ProviderName(), QStringLiteral("pFxt"));
        QCOMPARE(sales.RemoteServer(), &Data().CnBb());

        sales.SetCommandText(QStringLiteral("select MC, 17 as NSL, '' as YWY from KH"));
        sales.Open();
        QVERIFY(Data().CnBb().Connected());
        QCOMPARE(Data().CnBb().Address(), world.address());
        QCOMPARE(sales.FieldByName(QStringLiteral("cMC"))->AsString(), QStringLiteral("华东"));
        QCOMPARE(sales.FieldByName(QStringLiteral("NSL"))->DisplayText(), QStringLiteral("17%"));
        QCOMPARE(sales.FieldByName(QStringLiteral("YWY"))->DisplayText(), QStringLiteral("其他"));
        // sortable by the twin
        sales.SetIndexFieldNames(QStringLiteral("cMC"));
        sales.Close();

        TClientDataSet &detail = DataBb().DataSet(QStringLiteral("XsMsdj"));
        detail.SetCommandText(QStringLiteral("select 'A' as YWY, 0.0 as ZKJE, 2.5 as SE"));
        detail.Open();
        QCOMPARE(detail.FieldByName(QStringLiteral("cYWY"))->AsString(), QStringLiteral("A"));
        QCOMPARE(detail.FieldByName(QStringLiteral("ZKJE"))->DisplayText(), QString());
        QCOMPARE(detail.FieldByName(QStringLiteral("SE"))->DisplayText(), QStringLiteral("2.5"));
        detail.Close();
    }

    void aLostConnectionIsReportedAndTheNextCallReconnects()
    {
        world.afterTest(QStringLiteral("delete from KH"));
        world.afterTest([] {
            Data().Kh().Close();
            Data().Kh().SetCommandText(QString());
        });
        QVERIFY(linktest::addCustomers(3000));
        TClientDataSet &kh = Data().Kh();
        kh.SetCommandText(QStringLiteral("select ID, MC from KH order by ID"));
        kh.Open(); // 2000 rows in, the rest still on the server
        QVERIFY(!kh.AllRecordsFetched());
        const int connections = Data().cn().ConnectCount();
        const quint16 port = world.server().port();

        world.server().kill();
        try {
            QueryValue(QStringLiteral("select count(*) from KH"));
            QFAIL("a call on a dead connection succeeded");
        } catch (const EConnectionError &e) {
            QCOMPARE(e.Reason(), EConnectionError::crLost);
            QVERIFY2(e.Message().contains(QStringLiteral("连接已断开")), qPrintable(e.Message()));
            QVERIFY(e.Message().contains(world.address()));
            // The transport's English detail goes to the log, not to the clerk.
            QVERIFY2(!e.Message().contains(QRegularExpression(QStringLiteral("[A-Za-z]"))),
                     qPrintable(e.Message()));
        }
        QVERIFY(!Data().cn().Connected());
        // while the server is down each call says so, and nothing crashes
        try {
            QueryValue(QStringLiteral("select count(*) from KH"));
            QFAIL("connected to a stopped server");
        } catch (const EConnectionError &e) {
            QCOMPARE(e.Reason(), EConnectionError::crCannotConnect);
        }
        QVERIFY(!RunSQL(Data().Tmp(), QStringLiteral("select 1"), true));

        QVERIFY2(world.server().start({QStringLiteral("--port"), QString::number(port)}),
                 qPrintable(world.server().error()));
        // the session's account set is chosen again: its tables are there
        QCOMPARE(QueryValue(QStringLiteral("select count(*) from KH")).toInt(), 3000);
        QVERIFY(Data().cn().ConnectCount() > connections);

        // rows that were still on the old connection are gone; opening again reads them all
        try {
            kh.Last();
            QFAIL("rows of a lost cursor arrived");
        } catch (const EConnectionError &e) {
            QVERIFY(!e.Message().isEmpty());
        }
        kh.Close();
        kh.Open();
        kh.Last();
        QCOMPARE(kh.RecordCount(), 3000);
        kh.Close();

        // the report connection, idle while the server was away, finds out at its next
        // call, and reconnects to the session's account set at the one after
        TDataBb reports(Data());
        TClientDataSet &sales = DataBb().DataSet(QStringLiteral("KhXsHz"));
        sales.SetCommandText(QStringLiteral("select count(*) as N from KH"));
        QVERIFY(Data().CnBb().Connected());
        QVERIFY_THROWS_EXCEPTION(EConnectionError, sales.Open());
        QVERIFY(!sales.Active());
        sales.Open();
        QCOMPARE(sales.Fields(0)->AsInteger(), 3000);
        sales.Close();
    }
};

int runLinkTests(int argc, char **argv)
{
    TestLink test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_link.moc"
