// A real vzserver on a fresh data folder holding the account set 001, and helpers to talk to
// it through the protocol client.
#pragma once

#include "sql/database.h"
#include "support/serverprocess.h"
#include "wire/client.h"

#include <QDir>

#include <gtest/gtest.h>

#include <memory>

namespace vztest {

class ServerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.createAccount(QStringLiteral("001"))) << server.error().toStdString();
        emptyAccountSet(QStringLiteral("001"));
        ASSERT_TRUE(server.start(serverArguments())) << server.error().toStdString();
    }

    // These tests are about the server, not the account-set schema: they start from an
    // account set without tables (still at the current schema version, so nothing is
    // migrated back in) and create what they need. The users and their rights stay: a
    // session logs in before it does anything.
    void emptyAccountSet(const QString &accountNo)
    {
        sql::Database db(QDir(server.dataDir())
                             .filePath(accountNo + QStringLiteral("/VzData.db"))
                             .toStdString());
        for (const char *type : {"view", "table"}) {
            std::vector<std::string> names;
            auto list =
                db.prepare(std::string("select name from sqlite_master where type = '") + type +
                           "' and name not like 'sqlite_%' and name not in "
                           "('AppUser', 'Sys_GroupFuncRight')");
            while (list.step())
                names.push_back(list.columnText(0));
            for (const std::string &name : names)
                db.exec(std::string("drop ") + type + " \"" + name + "\"");
        }
    }

    // Runs SQLite's own SQL on an account set's file beside the server, as another tool would:
    // the quick way to fill a large table.
    void execOnFile(const std::string &sqlText, const QString &accountNo = QStringLiteral("001"))
    {
        sql::Database db(QDir(server.dataDir())
                             .filePath(accountNo + QStringLiteral("/VzData.db"))
                             .toStdString());
        // The server may still be closing a session's connections, checkpointing as it goes.
        sqlite3_busy_timeout(db.handle(), 10000);
        db.exec(sqlText);
    }

    // Extra arguments for vzserver (a test may shorten the query time limit).
    virtual QStringList serverArguments() const { return {}; }

    // A client that said hello and, unless accountNo is empty, chose the account set and
    // logged in (SYS unless told otherwise).
    std::unique_ptr<wire::Client> connect(const QString &accountNo = QStringLiteral("001"),
                                          const QString &module = wire::CentralModule,
                                          const QString &user = QStringLiteral("SYS"))
    {
        auto client = std::make_unique<wire::Client>();
        client->connect(server.host(), server.port());
        client->hello(module);
        if (!accountNo.isEmpty()) {
            QString no = accountNo;
            QString message;
            EXPECT_FALSE(client->connectAct(0, no, &message)) << message.toStdString();
            if (!user.isEmpty())
                client->login(user, QString());
        }
        return client;
    }

    ServerProcess server;
};

// Every row of a query, read through all its packets.
inline QList<wire::Row> rowsOf(wire::Client &client, const QString &text,
                               const QString &provider = QStringLiteral("pTmp"))
{
    wire::OpenResult result = client.open(provider, text);
    client.fetchAll(result);
    return result.rows;
}

inline QVariant scalar(wire::Client &client, const QString &text)
{
    const QList<wire::Row> rows = rowsOf(client, text);
    return rows.isEmpty() || rows.first().isEmpty() ? QVariant() : rows.first().first();
}

inline wire::Change inserted(const QVariantMap &values)
{
    return {wire::ChangeKind::Insert, {}, values};
}

inline wire::Change modified(const QVariantMap &oldValues, const QVariantMap &newValues)
{
    return {wire::ChangeKind::Modify, oldValues, newValues};
}

inline wire::Change deleted(const QVariantMap &oldValues)
{
    return {wire::ChangeKind::Delete, oldValues, {}};
}

} // namespace vztest
