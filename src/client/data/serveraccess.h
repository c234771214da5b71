// The routines every form uses to talk to the server: run a query or a statement on a
// dataset, read one value, test for rows, copy a row into fields, borrow a scratch dataset.
// They work on the central data module (Data()) and its connection cn.
//
// Failure: RunSQL and ExecSQL never raise; they return false and show nothing, and the
// caller tests the result. QueryValue, HasRows, SQLToFields and FillListFromQuery raise the
// server's error (EDatabaseError) to the caller.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

class TClientDataSet;

// Closes the dataset, sets its command text and opens it (isQuery) or runs it as a
// statement. False when anything fails.
bool RunSQL(TClientDataSet &dataSet, const QString &sql, bool isQuery);

// The first closed member of the scratch pool (TMP0, TMP1, ...; provider pTmp on cn), a new
// member when every one is open. It is handed out clean (no handlers, filter or order); the
// taker closes it when done, which gives it back.
TClientDataSet &GetFreeTmpDataSet();

// Holds a pool member for a scope, open or not, and gives it back (closes it) when the scope
// ends:
//   TTmpDataSet tmp;  tmp->SetCommandText(...);  tmp->Open();  ...
class TTmpDataSet
{
public:
    TTmpDataSet();
    ~TTmpDataSet();
    TTmpDataSet(const TTmpDataSet &) = delete;
    TTmpDataSet &operator=(const TTmpDataSet &) = delete;
    TClientDataSet &operator*() const { return m_dataSet; }
    TClientDataSet *operator->() const { return &m_dataSet; }

private:
    TClientDataSet &m_dataSet;
};

// A new dataset of the caller's own on the same connection as dataSet, provider pTmp.
std::unique_ptr<TClientDataSet> NewScratchDataSet(const TClientDataSet &dataSet);

// Runs a statement on a pool member; false (nothing shown) when it fails.
bool ExecSQL(const QString &sql);
// Runs the statements in one request, which the server stores whole or not at all; false
// (nothing shown, nothing stored) when one fails.
bool ExecSQLScript(const QStringList &statements);

// The first column of the query's first row. With no row: "" for a text column, 0 for a
// numeric or boolean column, and an unassigned value for any other.
QVariant QueryValue(const QString &sql);

bool HasRows(const QString &sql);

// Copies the first row of the query into the fields named in fieldNames ("A;B"), the k-th
// column into the k-th name (as far as there are columns), putting dataSet into edit state
// first unless it is editing or inserting; true. With no row: false, and when clearIfEmpty
// the named numeric fields get 0 and the named text fields empty text.
bool SQLToFields(const QString &sql, TClientDataSet &dataSet, const QString &fieldNames,
                 bool clearIfEmpty);

// Clears the list and fills it with the first column of every row of the query, opened on
// the dataset (which is closed again afterwards).
void FillListFromQuery(QStringList &list, const QString &sql, TClientDataSet &dataSet);

// Every float field whose upper-cased name holds "DJ", "PRICE" or "JE" edits as "0.00" and
// shows as "￥,0.00".
void SetMoneyFormats(TClientDataSet &dataSet);

// The counter row of MaxBillNo that numbers the prefix's documents of the date's month
// ("XS202403"), and the number of a sequence in it ("XS2024030007"). The counter holds the
// next sequence to take.
QString BillCounterName(const QString &prefix, QDate date);
QString BillNumber(const QString &prefix, QDate date, qint64 sequence);

// A document number drawn from the counter table MaxBillNo, with the statement that moves
// the counter on only while it still holds what was read: sent in the request that stores
// the document, a clerk who drew the same number meanwhile makes the request fail (the
// statement changes no row, or the insert of a new month's row meets the other one) and the
// number is drawn again.
struct TDrawnBillNo
{
    QString BillNo;     // prefix, year, month and a four-digit sequence ("XS2024030007")
    QString CounterSql; // changes exactly one row while the number is still free
};
TDrawnBillNo DrawBillNo(const QString &prefix, QDate date);

// The next document number, taken for good in one request: the counter moves on under that
// request's own lock and the number is read back in it, so no other clerk can take it too
// (a number taken and then not stored leaves a gap). EDatabaseError when the counter cannot
// be moved.
QString GetNewBillNo(const QString &prefix, QDate date);
// The header key of a document number: the number's text from its first digit on, as an
// integer ("CS2024030007" gives 2024030007); 0 when it holds no digits.
qint64 BillNoToID(const QString &billNo);
