// What a session does with the database of an account set, whatever engine holds it: the
// translator for its SQL, queries read in packets, statements, change logs applied with
// conflict detection and transact requests. The registry's own database is a store too.
#pragma once

#include "server/apply.h"
#include "server/transact.h"
#include "sql/translator.h"
#include "wire/protocol.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <cstdint>
#include <functional>
#include <memory>

namespace server {

class SessionDatabase;

// How much one packet may hold, whatever the client asked for.
struct PacketLimits
{
    int rows = 0;        // at most this many rows
    qint64 bytes = 0;    // no row is added once the reply has reached this size
    qint64 maxFrame = 0; // a reply larger than this cannot be sent at all
};

// An open query: its field definitions and the packets it hands out until it is exhausted.
class QueryCursor
{
public:
    virtual ~QueryCursor() = default;

    virtual const QList<wire::Field> &fields() const = 0;
    // Writes the next rows, at least one and no more than the limits allow, as one CBOR array
    // into the frame; true when the result is exhausted. Throws RequestError when a row cannot
    // be read (the time limit among them) or alone takes more than a frame may hold.
    virtual bool writePacket(wire::FrameBuilder &frame, const PacketLimits &limits) = 0;
    virtual bool exhausted() const = 0;
};

// A query to open: its text in the engine's SQL, what the translator learnt of it (may be
// null) and the table its rows are saved to (fields of other tables become read-only).
struct QueryRequest
{
    QByteArray sqlText;
    const sql::Translation *translation = nullptr;
    QString targetTable;
    // Runs, and may refuse by throwing, before a statement that changes data runs instead.
    std::function<void()> beforeWrite;
};

// What open gives: rows to read, or for a statement that changes data the rows it changed.
struct OpenedQuery
{
    std::unique_ptr<QueryCursor> cursor;
    int64_t changed = 0;
};

class AccountStore
{
public:
    virtual ~AccountStore() = default;

    virtual sql::Engine engine() const = 0;
    virtual sql::Translator &translator() = 0;
    // The stored name of a table or view matched without regard to case; empty when none.
    virtual QString findTable(const QString &name) = 0;
    virtual QStringList tableNames() = 0;

    // The statement of a client: a query gets a cursor that has already looked at its first
    // row; stored passwords show only whether one is set.
    virtual OpenedQuery open(const QueryRequest &query) = 0;
    // Statements in the engine's SQL, in one transaction when there are several; the rows
    // changed. A statement returning rows is refused before anything runs. When one fails,
    // *failed is its position in the list.
    virtual int64_t execute(const QList<QByteArray> &statements, qsizetype *failed = nullptr) = 0;
    virtual ApplyOutcome apply(const QString &table, const QList<wire::Change> &changes,
                               int maxErrors) = 0;
    virtual TransactOutcome transact(const QList<PreparedPart> &parts,
                                     TransactionRunner::StepHook stepHook) = 0;

    // The server's own statements (logins, rights): plain SQL every engine reads alike, with ?
    // parameters.
    virtual QList<QVariantList> readTrusted(const QByteArray &sqlText,
                                            const QVariantList &params = {}) = 0;
    virtual int64_t writeTrusted(const QByteArray &sqlText, const QVariantList &params = {}) = 0;

    // The stored form of a user's password (empty: none), and a new one stored.
    virtual QString storedPassword(qint64 userId) = 0;
    virtual void storePassword(qint64 userId, const QString &hash) = 0;

    // Brings the schema up to date (once per process and account set); note hears each step.
    virtual void upgrade(const std::function<void(const QString &)> &note) = 0;

    // The SQLite database behind the store, for what only a database file has (backups,
    // compacting); nullptr for other engines.
    virtual SessionDatabase *sqliteDatabase() { return nullptr; }
};

// Fields of other tables than the one a query's rows are saved to cannot be changed through it.
void markForeignFields(QList<wire::Field> &fields, const QString &targetTable);

} // namespace server
