// Several datasets' change logs and statements stored by one request through a real server: all
// of them or none, with the logs kept whole when the request is refused.
#include "linktests.h"

#include "client/data/atomicrequest.h"
#include "client/data/socketconnection.h"
#include "wire/client.h"

namespace {

// A purchase receipt's header or lines, opened empty on the central connection.
std::unique_ptr<TClientDataSet> openEmpty(const QString &name, const QString &table)
{
    auto ds = std::make_unique<TClientDataSet>();
    ds->SetName(name);
    ds->SetRemoteServer(&Data().cn());
    ds->SetProviderName(QStringLiteral("p") + table);
    ds->SetCommandText(QStringLiteral("select * from %1 where 1 = 2").arg(table));
    ds->Open();
    return ds;
}

void appendRow(TClientDataSet &ds, const QVariantMap &values)
{
    ds.Append();
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        ds.FieldByName(it.key())->SetValue(it.value());
    ds.Post();
}

void appendHeader(TClientDataSet &header, int id, const QString &number)
{
    appendRow(header, {{QStringLiteral("ID"), id},
                       {QStringLiteral("DJBH"), number},
                       {QStringLiteral("RQ"), QDate(2024, 3, 1)}});
}

void appendLine(TClientDataSet &lines, int headerId, int lineNo, double quantity)
{
    appendRow(lines, {{QStringLiteral("ZBID"), headerId},
                      {QStringLiteral("HH"), lineNo},
                      {QStringLiteral("HPID"), 7},
                      {QStringLiteral("SL"), quantity}});
}

QString counterStep(int from)
{
    return QStringLiteral("update MaxBillNo set MaxNo = %1 where TableName = 'CS202403' and "
                          "MaxNo = %2")
        .arg(from + 1)
        .arg(from);
}

} // namespace

class TestAtomicRequest : public QObject
{
    Q_OBJECT

    vztest::TestWorld world{linktest::worldOptions()};
    std::unique_ptr<wire::Client> other;
    std::unique_ptr<TClientDataSet> header;
    std::unique_ptr<TClientDataSet> lines;

    // A number as another workstation reads it from the server.
    int stored(const QString &sql)
    {
        const wire::OpenResult result = other->open(QStringLiteral("pTmp"), sql);
        return result.rows.value(0).value(0).toInt();
    }
    int storedLines() { return stored(QStringLiteral("select count(*) from CGSH")); }
    int storedHeaders() { return stored(QStringLiteral("select count(*) from CGSHZB")); }
    int counter()
    {
        return stored(QStringLiteral("select MaxNo from MaxBillNo where TableName = 'CS202403'"));
    }

    // A new document of two lines in the datasets, not stored yet.
    void enterDocument(int id, const QString &number)
    {
        appendLine(*lines, id, 1, 3);
        appendLine(*lines, id, 2, 4);
        appendHeader(*header, id, number);
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(world.start(), qPrintable(world.error()));
        other = world.otherClient();
    }
    void cleanupTestCase()
    {
        other.reset();
        world.stop();
    }
    void init()
    {
        other->execute(QStringLiteral("insert into MaxBillNo (TableName, MaxNo) values "
                                      "('CS202403', 7)"));
        world.afterTest(QStringLiteral("delete from CGSH; delete from CGSHZB; delete from "
                                       "MaxBillNo where TableName = 'CS202403'"));
        header = openEmpty(QStringLiteral("Cgshzb"), QStringLiteral("CGSHZB"));
        lines = openEmpty(QStringLiteral("Cgsh"), QStringLiteral("CGSH"));
    }
    void cleanup()
    {
        header.reset();
        lines.reset();
        world.cleanup();
    }

    void twoDataSetsAndAStatementAreStoredTogetherInOneRequest()
    {
        QStringList events;
        for (TClientDataSet *ds : {lines.get(), header.get()}) {
            ds->BeforeApplyUpdates = [&events](TClientDataSet &d, QVariant &owner) {
                events.append(QStringLiteral("before ") + d.Name());
                owner = d.Name();
            };
            ds->AfterApplyUpdates = [&events](TClientDataSet &d, QVariant &owner) {
                events.append(QStringLiteral("after %1 (%2 changes, %3)")
                                  .arg(d.Name())
                                  .arg(d.ChangeCount())
                                  .arg(owner.toString()));
            };
        }
        enterDocument(1, QStringLiteral("CS2024030007"));
        const int requestsBefore = Data().cn().RequestCount();

        TAtomicRequest request;
        request.Apply(*lines).Apply(*header).Execute(counterStep(7), 1);
        const TAtomicResult result = request.Send();

        QVERIFY2(result.Ok, qPrintable(result.Text()));
        QCOMPARE(Data().cn().RequestCount() - requestsBefore, 1);
        QCOMPARE(result.RowsAffected, (QList<qint64>{2, 1, 1}));
        QCOMPARE(lines->ChangeCount(), 0);
        QCOMPARE(header->ChangeCount(), 0);
        // Every handler before the request; after it, as ApplyUpdates: before the merge.
        QCOMPARE(events,
                 (QStringList{QStringLiteral("before Cgsh"), QStringLiteral("before Cgshzb"),
                              QStringLiteral("after Cgsh (2 changes, Cgsh)"),
                              QStringLiteral("after Cgshzb (1 changes, Cgshzb)")}));
        QCOMPARE(storedLines(), 2);
        QCOMPARE(storedHeaders(), 1);
        QCOMPARE(counter(), 8);
    }

    void aUniqueKeyInTheSecondPartStoresNothingAndKeepsBothLogs()
    {
        other->execute(QStringLiteral("insert into CGSHZB (ID, DJBH, RQ) values (99, "
                                      "'CS2024030007', '2024-03-01')"));
        int afterApply = 0;
        int reconciled = 0;
        for (TClientDataSet *ds : {lines.get(), header.get()}) {
            ds->AfterApplyUpdates = [&](TClientDataSet &, QVariant &) {
                ++afterApply;
            };
            ds->OnReconcileError = [&](TClientDataSet &, EReconcileError &, TUpdateKind,
                                       TReconcileAction &) {
                ++reconciled;
            };
        }
        enterDocument(1, QStringLiteral("CS2024030007"));
        TAtomicRequest request;
        request.Apply(*lines).Apply(*header).Execute(counterStep(7), 1);
        const TAtomicResult refused = request.Send();

        QVERIFY(!refused.Ok);
        QCOMPARE(refused.ErrorCode, QStringLiteral("unique"));
        QCOMPARE(refused.Part, 1);
        QCOMPARE(refused.DataSet, header.get());
        QCOMPARE(refused.Row, 0);
        QVERIFY2(refused.Message.contains(QStringLiteral("CS2024030007")),
                 qPrintable(refused.Message));
        QVERIFY2(refused.Text().startsWith(QStringLiteral("part 1 (Cgshzb), row 0: ")),
                 qPrintable(refused.Text()));
        // Nothing stored, nothing merged, nothing reconciled.
        QCOMPARE(storedLines(), 0);
        QCOMPARE(storedHeaders(), 1);
        QCOMPARE(counter(), 7);
        QCOMPARE(lines->ChangeCount(), 2);
        QCOMPARE(header->ChangeCount(), 1);
        QCOMPARE(afterApply, 0);
        QCOMPARE(reconciled, 0);
        QCOMPARE(header->UpdateStatus(), usInserted);

        // The refused row is at hand; put right, the same logs go through once.
        header->GotoBookmark(refused.Record);
        QCOMPARE(header->FieldByName(QStringLiteral("DJBH"))->AsString(),
                 QStringLiteral("CS2024030007"));
        header->Edit();
        header->FieldByName(QStringLiteral("DJBH"))->SetAsString(QStringLiteral("CS2024030008"));
        header->Post();
        TAtomicRequest again;
        again.Apply(*lines).Apply(*header).Execute(counterStep(7), 1);
        const TAtomicResult result = again.Send();
        QVERIFY2(result.Ok, qPrintable(result.Text()));
        QCOMPARE(storedLines(), 2);
        QCOMPARE(storedHeaders(), 2);
        QCOMPARE(counter(), 8);
        QCOMPARE(lines->ChangeCount(), 0);
        QCOMPARE(afterApply, 2);
    }

    void aStatementChangingOtherRowsThanExpectedStoresNothing()
    {
        enterDocument(1, QStringLiteral("CS2024030007"));
        other->execute(counterStep(7)); // another clerk drew number 7 meanwhile
        TAtomicRequest request;
        request.Apply(*lines).Apply(*header).Execute(counterStep(7), 1);
        const TAtomicResult result = request.Send();
        QVERIFY(!result.Ok);
        QCOMPARE(result.ErrorCode, QStringLiteral("conflict"));
        QCOMPARE(result.Part, 2);
        QCOMPARE(result.DataSet, nullptr);
        QCOMPARE(result.Row, -1);
        QCOMPARE(storedLines(), 0);
        QCOMPARE(storedHeaders(), 0);
        QCOMPARE(counter(), 8);
        QCOMPARE(lines->ChangeCount(), 2);
        QCOMPARE(header->ChangeCount(), 1);
    }

    void aRowChangedMeanwhileRefusesTheWholeRequest()
    {
        other->execute(QStringLiteral("insert into CGSHZB (ID, DJBH, RQ, BZ) values (5, 'CS1', "
                                      "'2024-03-01', 'read')"));
        header->SetCommandText(QStringLiteral("select * from CGSHZB where ID = 5"));
        header->Close();
        header->Open();
        other->execute(QStringLiteral("update CGSHZB set BZ = 'changed by another' where ID = 5"));
        appendLine(*lines, 5, 1, 2);
        header->Edit();
        header->FieldByName(QStringLiteral("BZ"))->SetAsString(QStringLiteral("mine"));
        header->Post();

        TAtomicRequest request;
        request.Apply(*lines).Apply(*header);
        const TAtomicResult result = request.Send();
        QVERIFY(!result.Ok);
        QCOMPARE(result.ErrorCode, QStringLiteral("conflict"));
        QCOMPARE(result.Part, 1);
        const int bz = header->FieldByName(QStringLiteral("BZ"))->Index();
        QVERIFY(bz >= 0 && bz < result.CurValues.size());
        QCOMPARE(result.CurValues[bz].toString(), QStringLiteral("changed by another"));
        QCOMPARE(storedLines(), 0);
        QCOMPARE(header->FieldByName(QStringLiteral("BZ"))->AsString(), QStringLiteral("mine"));
        QCOMPARE(header->ChangeCount(), 1);
    }

    void aHandlerMayEditAnotherDataSetOfTheRequest()
    {
        // The header's handler gives the lines their link field, as a save does; the lines'
        // log is taken after every handler ran, so the link goes with them.
        appendLine(*lines, 0, 1, 3);
        appendHeader(*header, 12, QStringLiteral("CS2024030009"));
        header->BeforeApplyUpdates = [this](TClientDataSet &, QVariant &) {
            lines->First();
            lines->Edit();
            lines->FieldByName(QStringLiteral("ZBID"))->SetAsInteger(12);
        };
        TAtomicRequest request;
        request.Apply(*lines).Apply(*header);
        const TAtomicResult result = request.Send();
        QVERIFY2(result.Ok, qPrintable(result.Text()));
        QCOMPARE(stored(QStringLiteral("select count(*) from CGSH where ZBID = 12")), 1);
        QCOMPARE(lines->ChangeCount(), 0);
    }

    void misuseIsRefusedBeforeAnythingIsFiredOrSent()
    {
        TSocketConnection elsewhere(QStringLiteral("ZezU.datas"));
        elsewhere.SetHost(Data().cn().Address());
        elsewhere.SetSessionRule(TSocketConnection::srSessionAccount);
        TClientDataSet foreign;
        foreign.SetRemoteServer(&elsewhere);
        foreign.SetProviderName(QStringLiteral("pCGSH"));
        foreign.SetCommandText(QStringLiteral("select * from CGSH where 1 = 2"));
        foreign.Open();
        foreign.AppendRecord({1});
        const int elsewhereRequests = elsewhere.RequestCount();
        TClientDataSet closed;
        closed.SetRemoteServer(&Data().cn());
        closed.SetProviderName(QStringLiteral("pCGSH"));
        TClientDataSet noProvider;
        noProvider.SetRemoteServer(&Data().cn());

        enterDocument(1, QStringLiteral("CS2024030007"));
        int fired = 0;
        lines->BeforeApplyUpdates = [&](TClientDataSet &, QVariant &) {
            ++fired;
        };
        // The dataset each request adds after the lines, and what its refusal says.
        struct Case
        {
            const char *name;
            TClientDataSet *second;
            QString says;
        };
        noProvider.SetCommandText(QStringLiteral("select * from CGSH where 1 = 2"));
        noProvider.SetProviderName(QStringLiteral("pCGSH"));
        noProvider.Open();
        noProvider.SetProviderName(QString());
        const Case cases[] = {
            {"a dataset added twice", lines.get(), QStringLiteral("twice")},
            {"a dataset of another connection", &foreign, QStringLiteral("another connection")},
            {"a closed dataset", &closed, QStringLiteral("closed")},
            {"a dataset without provider", &noProvider, QStringLiteral("Missing data provider")},
        };
        const int requestsBefore = Data().cn().RequestCount();
        for (const Case &c : cases) {
            TAtomicRequest request;
            request.Apply(*lines).Apply(*c.second);
            QString message;
            try {
                request.Send();
            } catch (const EDatabaseError &e) {
                message = e.Message();
            }
            QVERIFY2(message.contains(c.says),
                     qPrintable(QString::fromLatin1(c.name) + QStringLiteral(": ") + message));
        }
        // A request for another server than its datasets'.
        TAtomicRequest wrongServer(&elsewhere);
        wrongServer.Apply(*lines);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, wrongServer.Send());
        QCOMPARE(fired, 0);
        QCOMPARE(Data().cn().RequestCount(), requestsBefore);
        QCOMPARE(elsewhere.RequestCount(), elsewhereRequests);
        QCOMPARE(lines->ChangeCount(), 2);
    }

    void aServerOutOfReachIsAResultAndNothingIsLost()
    {
        TSocketConnection nowhere(QStringLiteral("ZezU.datas"));
        nowhere.SetHost(QStringLiteral("127.0.0.1:1"));
        nowhere.SetConnectTimeout(2000);
        TAtomicRequest request(&nowhere);
        request.Execute(counterStep(7), 1);
        const TAtomicResult result = request.Send();
        QVERIFY(!result.Ok);
        QCOMPARE(result.ErrorCode, QStringLiteral("connection"));
        QVERIFY(!result.OutcomeUnknown);
        QCOMPARE(counter(), 7);
    }

    void nothingToStoreSendsNothing()
    {
        const int requestsBefore = Data().cn().RequestCount();
        TAtomicRequest request;
        request.Apply(*lines).Apply(*header);
        const TAtomicResult result = request.Send();
        QVERIFY(result.Ok);
        QCOMPARE(Data().cn().RequestCount(), requestsBefore);
    }

    void statementsAloneGoOverTheCentralConnection()
    {
        TAtomicRequest request;
        request.Execute(counterStep(7), 1).Execute(counterStep(8), 1);
        const TAtomicResult result = request.Send();
        QVERIFY2(result.Ok, qPrintable(result.Text()));
        QCOMPARE(result.RowsAffected, (QList<qint64>{1, 1}));
        QCOMPARE(counter(), 9);
    }
};

int runAtomicRequestTests(int argc, char **argv)
{
    TestAtomicRequest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_atomicrequest.moc"
