// The world of the end-to-end tests of the server link: a real vzserver on a fresh account
// set 001 built from the real schema, a client folder whose SysConfig.ini names it, and the
// central data module connected the way the start-up connects it.
#pragma once

#include "client/core/paths.h"
#include "client/core/session.h"
#include "client/core/sysconfig.h"
#include "client/data/centraldata.h"
#include "client/data/serveraccess.h"
#include "support/serverprocess.h"
#include "wire/client.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace linktest {

class Environment
{
public:
    // Starts the server on account set 001 (the demo rows when asked for) and connects
    // Data(); false with the reason in error().
    bool start(bool demo = false)
    {
        QString output;
        const bool created =
            demo ? server.runTool({QStringLiteral("--create-account"), QStringLiteral("001"),
                                   QStringLiteral("演示帐套"), QStringLiteral("--demo")},
                                  &output) == 0
                 : server.createAccount(QStringLiteral("001"));
        if (!created) {
            m_error = demo ? output : server.error();
            return false;
        }
        if (!server.start()) {
            m_error = server.error();
            return false;
        }
        SetExeDir(home.path());
        SaveServerAddress(server.address());
        SessionInfo().DatabaseKind = 0;
        SessionInfo().AccountNo = QStringLiteral("001");
        data = std::make_unique<TData>();
        QString message;
        if (!ConnectServer(&data->cn(), &message)) {
            m_error = message;
            return false;
        }
        QVariantList args{0, QString(), QStringLiteral("001"), QString(), QString()};
        if (data->cn().AppServer().Call(QStringLiteral("ConnectAct"), args).toBool()) {
            m_error = data->cn().AppServer().LastMessage();
            return false;
        }
        return true;
    }

    void stop()
    {
        data.reset();
        server.stop();
        SetExeDir(QString());
    }

    QString error() const { return m_error; }

    // A second workstation: its own protocol connection to the same account set.
    std::unique_ptr<wire::Client> otherClient()
    {
        auto client = std::make_unique<wire::Client>();
        client->connect(server.host(), server.port());
        client->hello();
        QString no = QStringLiteral("001");
        client->connectAct(0, no);
        return client;
    }

    vztest::ServerProcess server;
    QTemporaryDir home;
    std::unique_ptr<TData> data;

private:
    QString m_error;
};

// Stores customers 1 ... count (BH "K1", MC "客户1", ...) through one change log.
inline bool addCustomers(int count)
{
    TClientDataSet customers;
    customers.SetRemoteServer(&Data().cn());
    customers.SetProviderName(QStringLiteral("pKh"));
    customers.SetCommandText(QStringLiteral("select ID, BH, MC from KH where 1 = 2"));
    customers.Open();
    for (int id = 1; id <= count; ++id)
        customers.AppendRecord(
            {id, QStringLiteral("K%1").arg(id), QStringLiteral("客户%1").arg(id)});
    return customers.ApplyUpdates(0) == 0;
}

// Every value of a column, in the dataset's order, as text.
inline QStringList columnTexts(TClientDataSet &ds, const QString &fieldName)
{
    QStringList texts;
    const TField *field = ds.FieldByName(fieldName);
    for (int row = 0; row < ds.RowCount(); ++row) {
        const TClientDataSet::TRowScope scope(ds, row);
        texts.append(field->AsString());
    }
    return texts;
}

inline QStringList displayTexts(TClientDataSet &ds, const QString &fieldName)
{
    QStringList texts;
    const TField *field = ds.FieldByName(fieldName);
    for (int row = 0; row < ds.RowCount(); ++row) {
        const TClientDataSet::TRowScope scope(ds, row);
        texts.append(field->DisplayText());
    }
    return texts;
}

} // namespace linktest

// The test classes of the executable, run one after another by its main().
int runLinkTests(int argc, char **argv);
int runCentralDataTests(int argc, char **argv);
int runServerChangeLogTests(int argc, char **argv);
int runReconcileFormTests(int argc, char **argv);
int runSharedRoutinesTests(int argc, char **argv);
