// An in-process provider over a real SQLite database, for the dataset's own tests and
// benchmarks: providers "p" + table read that table, command texts run as they stand, and
// change logs go to the server's own applier, sent as the server link sends them, so that
// the datasets are tested against the server's apply rules and no copy of them.
#pragma once

#include "client/data/remoteserver.h"
#include "sql/database.h"

#include <QHash>
#include <QString>

#include <memory>

class SqliteProvider : public TCustomRemoteServer
{
public:
    explicit SqliteProvider(sql::Database &db)
        : m_db(db)
    {}
    ~SqliteProvider() override;

    TProviderCursor OpenProvider(const QString &providerName, const QString &commandText,
                                 int packetRecords) override;
    bool FetchPacket(qint64 handle, int count, TPacketWriter &rows) override;
    void CloseCursor(qint64 handle) override;
    int ExecuteCommand(const QString &providerName, const QString &commandText) override;
    TApplyResult ApplyUpdates(const QString &providerName, const QString &commandText,
                              int maxErrors, const TDelta &delta) override;

    int openCursors() const { return int(m_cursors.size()); }
    int fetchCalls() const { return m_fetchCalls; }
    int applyCalls() const { return m_applyCalls; }

private:
    struct Cursor;

    sql::Database &m_db;
    QHash<qint64, std::shared_ptr<Cursor>> m_cursors;
    qint64 m_nextHandle = 1;
    int m_fetchCalls = 0;
    int m_applyCalls = 0;
};
