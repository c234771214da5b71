// The contract between client datasets and whatever serves their providers: open a provider
// with a command text and read its rows in packets, execute a statement, apply a change log.
// The server link implements it over the wire protocol; tests and tools may implement it over
// a local database.
#pragma once

#include "client/data/fields.h"

#include <QList>
#include <QString>
#include <QStringView>
#include <QVariant>

#include <memory>
#include <vector>

namespace DataInternal {
class RecordStore;
}

// Receives the rows of one packet straight into a dataset's record store. Columns are those
// of the cursor's field definitions, by position; a column not set in a row is null. Values
// are converted to the column's type (a text into a numeric column is parsed).
class TPacketWriter
{
public:
    TPacketWriter(const TPacketWriter &) = delete;
    TPacketWriter &operator=(const TPacketWriter &) = delete;

    void BeginRow();
    void SetNull(int column);
    void SetInteger(int column, qint64 value);
    void SetFloat(int column, double value);
    void SetBoolean(int column, bool value);
    void SetText(int column, QStringView value);
    void SetUtf8(int column, const char *data, qsizetype size);
    void SetDate(int column, QDate value);
    void SetTime(int column, QTime value);
    void SetDateTime(int column, const QDateTime &value);
    void SetBlob(int column, const QByteArray &value);
    // Any of the above from a variant: invalid or null gives null.
    void SetValue(int column, const QVariant &value);
    void EndRow();

    int RowsWritten() const { return m_rows; }

private:
    friend class TClientDataSetPrivate;
    TPacketWriter(DataInternal::RecordStore &store, QList<int> columnMap);
    int target(int column) const;

    DataInternal::RecordStore &m_store;
    QList<int> m_columnMap;              // packet column -> store column, -1 when no field takes it
    std::vector<int> *m_slots = nullptr; // receives the slot of every row begun
    int m_slot = -1;
    int m_rows = 0;
};

// An open result on the server side.
struct TProviderCursor
{
    QList<TFieldDef> FieldDefs;
    qint64 Handle = 0; // passed back to FetchPacket and CloseCursor
};

// One row of a change log. For ukModify OldValues holds the row as it was read and NewValues
// the row as it is now, Changed marking the columns that differ; ukInsert has only
// NewValues, ukDelete only OldValues. Values are by position of TDelta::FieldDefs.
struct TDeltaRow
{
    TUpdateKind UpdateKind = ukModify;
    QVariantList OldValues;
    QVariantList NewValues;
    QList<bool> Changed;
};

struct TDelta
{
    QList<TFieldDef> FieldDefs; // the data fields, with their provider flags (pfInKey ...)
    QList<TDeltaRow> Rows;      // in the order the changes were first made
};

// A row the server did not store.
struct TUpdateError
{
    int RowIndex = -1;      // into TDelta::Rows
    QString ErrorCode;      // "conflict", "notFound", "unique", "constraint", ...
    QString Message;        // the database's text
    QVariantList CurValues; // the row as it is now stored, by position; empty when unknown
};

struct TApplyResult
{
    // True when nothing was stored because there were more errors than allowed; the rows
    // without error then stay in the change log as well.
    bool RolledBack = false;
    QList<TUpdateError> Errors;
};

// A part of a request that stores several change logs and statements together: a provider's
// change log, or statements that, when ExpectedRows >= 0, must change exactly that many rows.
struct TRequestPart
{
    enum TKind { rpApply, rpExecute, rpQuery };
    TKind Kind = rpExecute;
    QString ProviderName; // rpApply
    QString CommandText;  // rpApply: the text the rows were read with; rpExecute: the
                          // statements; rpQuery: the select
    TDelta Delta;         // rpApply
    int ExpectedRows = -1;
};

// The part that refused such a request; nothing of it was stored then.
struct TPartError
{
    int Part = -1;      // into the request's parts
    TUpdateError Error; // Error.RowIndex: the row of an rpApply part's delta; -1 for statements
};

struct TRequestResult
{
    bool RolledBack = false;    // a part refused: nothing was stored
    QList<TPartError> Errors;   // the refusal
    QList<qint64> RowsAffected; // per part, when stored
    QList<QVariantList> Rows;   // per part: an rpQuery part's rows, each a QVariantList
};

// The remote side of datasets. Every call blocks until the answer is in and raises
// EDatabaseError (or a subclass) with the server's message on failure.
class TCustomRemoteServer
{
public:
    virtual ~TCustomRemoteServer() = default;

    // Runs the provider's query (the command text when not empty, else the provider's own).
    virtual TProviderCursor OpenProvider(const QString &providerName, const QString &commandText,
                                         int packetRecords) = 0;
    // Writes the next count rows (all remaining when count < 0) and returns true while more
    // rows remain; the cursor is closed once this returns false.
    virtual bool FetchPacket(qint64 handle, int count, TPacketWriter &rows) = 0;
    // Gives up a cursor whose rows were not all read.
    virtual void CloseCursor(qint64 handle) = 0;
    // Runs a statement that returns no rows; returns the number of rows it changed.
    virtual int ExecuteCommand(const QString &providerName, const QString &commandText) = 0;
    // Stores a change log in one transaction. With maxErrors >= 0, more errors than that roll
    // everything back; with -1 every good row is kept.
    virtual TApplyResult ApplyUpdates(const QString &providerName, const QString &commandText,
                                      int maxErrors, const TDelta &delta) = 0;
    // Stores change logs and runs statements, in order, in one transaction: all or, when a part
    // is refused, none. A server that cannot raises EDatabaseError.
    virtual TRequestResult ApplyParts(const QList<TRequestPart> &parts);
};
