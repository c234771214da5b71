// One request that stores the change logs of several datasets and runs statements with them, in
// the order they are added, all or nothing: a document's lines and header with its number
// counter, an audit's status change with its ledger rows.
//
//   TAtomicRequest request;
//   request.Apply(Data().Cgsh());   // the lines
//   request.Apply(Data().Cgshzb()); // the header
//   request.Execute("update MaxBillNo set MaxNo = 8 where TableName = 'CG202403' and MaxNo = 7",
//                   1);             // the counter, only while it still holds what was read
//   const TAtomicResult result = request.Send();
//   if (!result.Ok && result.ErrorCode == "conflict") ... draw the number again ...
//
// Send fires the BeforeApplyUpdates of every dataset, in the order added, before it takes any
// change log (a handler may edit another dataset of the request). When everything is stored,
// each dataset's log is merged as ApplyUpdates merges it: AfterApplyUpdates, then the merge.
// When a part is refused or the request fails, nothing is stored, every dataset keeps its change
// log and state untouched, and neither AfterApplyUpdates nor OnReconcileError fires: the result
// says which part, which row and why. The server holds no lock between requests, so a client
// that dies while sending holds nothing either.
#pragma once

#include "client/data/clientdataset.h"

#include <QList>
#include <QString>
#include <QVariantList>

class TCustomRemoteServer;

struct TAtomicResult
{
    bool Ok = true; // everything was stored (or there was nothing to store)

    // Why not, when not.
    int Part = -1;                     // the part that refused, in the order the parts were added
    TClientDataSet *DataSet = nullptr; // the part's dataset, for a change log
    int Row = -1;                      // the refused row: its position in the change log
    TBookmark Record;                  // the refused row's record, to go to it
    // From the server: "conflict" (a row changed meanwhile, or a statement that changed other
    // than the rows expected), "notFound", "unique", "constraint", "invalidValue", "refused";
    // for the request as a whole "sql", "timeout", "busy", "limit", "provider", ...
    // From the client: "connection" (the server could not be reached or went away), "local"
    // (the client could not send the request).
    QString ErrorCode;
    QString Message;        // the server's (or the connection's) text
    QVariantList CurValues; // the refused row as the server holds it now, when known
    // The connection broke after the request was sent: the server may have stored it.
    bool OutcomeUnknown = false;

    QList<qint64> RowsAffected; // per part, once stored: rows stored or changed
    QList<QVariantList> Rows;   // per part, once stored: a Query part's rows, each a QVariantList

    // "part 2 (Cgshzb), row 1: duplicate key ... [unique]", for logs and messages.
    QString Text() const;
};

class TAtomicRequest
{
public:
    // server: the connection the request goes over. By default that of the datasets, or the
    // central module's connection when there are only statements.
    explicit TAtomicRequest(TCustomRemoteServer *server = nullptr);

    // Adds the dataset's change log (nothing is sent for a dataset without changes).
    TAtomicRequest &Apply(TClientDataSet &dataSet);
    // Adds statements (several separated by ";"; user text quoted with QuotedStr); with
    // expectedRows >= 0 the request is refused, code "conflict", unless they change exactly that
    // many rows together.
    TAtomicRequest &Execute(const QString &sql, int expectedRows = -1);
    // Adds one select that reads, inside the transaction, what the parts before it left (at
    // most 1000 rows); its rows come back in the result's Rows.
    TAtomicRequest &Query(const QString &sql);

    int PartCount() const { return int(m_parts.size()); }

    // Sends the request and merges the change logs it stored. Raises EDatabaseError, before
    // anything is fired or sent, when a dataset is closed, has no provider, is added twice or
    // reaches another server than the request; a BeforeApplyUpdates handler that raises stops
    // the request, unsent.
    TAtomicResult Send();

private:
    struct Part
    {
        TClientDataSet *dataSet = nullptr; // null for statements
        QString sql;
        int expectedRows = -1;
        bool query = false;
    };

    TCustomRemoteServer *checkedServer() const;

    TCustomRemoteServer *m_server;
    QList<Part> m_parts;
};
