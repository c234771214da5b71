// The client dataset: a table held in memory, opened from a provider and a command text (or
// created locally from field definitions), navigated with a cursor, edited locally with a
// change log, and sent back with ApplyUpdates. Every form of the client is written against it.
//
// Event sequences. "[..]" is what the dataset itself does; a handler that raises stops the
// sequence there and the dataset keeps the data and state it had before the operation (for
// OnNewRecord: the new record is removed again). EAbort (Abort()) is the silent way to do it.
//
//   Open            BeforeOpen [fields, OnFieldsCreated, first packet, dsBrowse] AfterOpen
//                   AfterScroll¹
//   Close           BeforeClose [dsInactive, records and change log dropped] AfterClose
//   Insert, Append  CheckBrowseMode² BeforeInsert BeforeScroll [new record, dsInsert]
//                   OnNewRecord [Modified := false] AfterInsert AfterScroll
//   Edit            CheckBrowseMode² BeforeEdit [dsEdit] AfterEdit; on an empty dataset the
//                   Insert sequence; nothing while already editing or inserting
//   Post            OnUpdateData³ BeforePost [Required check, store, dsBrowse, the record
//                   takes its place in the index; a filtered-out record leaves the view]
//                   AfterPost
//   Cancel (edit)   BeforeCancel [edit buffer dropped, dsBrowse] AfterCancel
//   Cancel (insert) BeforeCancel BeforeScroll [record removed, dsBrowse] AfterCancel
//                   AfterScroll
//   Delete          in dsInsert: the Cancel (insert) sequence; else BeforeDelete BeforeScroll
//                   [record removed] AfterDelete AfterScroll
//   First, Last, Next, Prior, MoveBy, SetRecNo, GotoBookmark, MoveToRow
//                   CheckBrowseMode² BeforeScroll [move] AfterScroll; Next at Eof and Prior
//                   at Bof fire BeforeScroll only
//   Locate          BeforeScroll CheckBrowseMode² [search] AfterScroll when found
//   ApplyUpdates    CheckBrowseMode² BeforeApplyUpdates [server] AfterApplyUpdates
//                   OnReconcileError for each rejected row; nothing when ChangeCount is 0
//   CancelUpdates   Cancel [change log undone]
//   Filtered, Filter, FilterOptions (changing an active filter)
//                   CheckBrowseMode² [view rebuilt] then the First sequence
//   IndexName, IndexFieldNames  CheckBrowseMode² [view sorted]; the record stays current
//   LoadFromFile, LoadFromStream, SetData  the Close sequence, then the Open sequence
//   Refresh         CheckBrowseMode² [records read again]; no other events
//   field assignment  [stored] OnValidate (raising puts the old value back) [Modified]
//                   OnChange OnCalcFields⁴ OnDataChange(field)
//   OnCalcFields    in dsCalcFields for each record as it is loaded or posted, when editing
//                   starts and after each change of a data field (AutoCalcFields)
//   OnFilterRecord  in dsFilter for each record when Filtered is switched on or the filter
//                   changes, and for a record as it is posted
//
//   ¹ only when the dataset is not empty
//   ² CheckBrowseMode in dsEdit or dsInsert: OnUpdateData³, then Post when the record was
//     modified, otherwise Cancel (an untouched appended record disappears)
//   ³ the data sources' OnUpdateData and their links' UpdateData
//   ⁴ when AutoCalcFields is on and the field is a data field
#pragma once

#include "client/data/dbtypes.h"
#include "client/data/fields.h"
#include "client/data/remoteserver.h"

#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TClientDataSet;
class TClientDataSetPrivate;
class TDataSource;
namespace DataInternal {
class Expression;
}

using TDataSetNotifyEvent = std::function<void(TClientDataSet &DataSet)>;
using TFilterRecordEvent = std::function<void(TClientDataSet &DataSet, bool &Accept)>;
using TRemoteEvent = std::function<void(TClientDataSet &DataSet, QVariant &OwnerData)>;

// A field of a row the server rejected, as the reconcile handler sees it.
struct TReconcileField
{
    QString FieldName;
    QVariant OldValue; // as read from the server
    QVariant NewValue; // as changed on the client; unassigned when unchanged
    bool NewValueAssigned = false;
    QVariant CurValue; // as the server holds it now; unassigned when unknown
    bool CurValueAssigned = false;
};

// A rejected row. A handler that chooses raCorrect writes the corrected values into
// Fields[i].NewValue (and sets NewValueAssigned) before returning.
class EReconcileError : public EDatabaseError
{
public:
    EReconcileError(const QString &message, const QString &errorCode, TUpdateKind updateKind)
        : EDatabaseError(message)
        , ErrorCode(errorCode)
        , UpdateKind(updateKind)
    {}
    QString ErrorCode;
    TUpdateKind UpdateKind;
    QList<TReconcileField> Fields;
    TBookmark Record; // the record in the dataset, for handlers that want to show it
};

using TReconcileErrorEvent = std::function<void(TClientDataSet &DataSet, EReconcileError &E,
                                                TUpdateKind UpdateKind, TReconcileAction &Action)>;

// The dataset's event handlers as one value, so that a form can save them, install its own
// and put the old ones back: TDataSetEvents saved = ds.Events(); ... ds.Events() = saved;
struct TDataSetEvents
{
    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, OnNewRecord, AfterInsert;
    TDataSetNotifyEvent BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost;
    TDataSetNotifyEvent BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete;
    TDataSetNotifyEvent BeforeScroll, AfterScroll;
    TDataSetNotifyEvent OnCalcFields;
    TFilterRecordEvent OnFilterRecord;
    TRemoteEvent BeforeApplyUpdates, AfterApplyUpdates;
    TReconcileErrorEvent OnReconcileError;
};

struct TIndexDef
{
    QString Name;
    QString Fields;        // "A;B"
    TIndexOptions Options; // ixDescending: every field descending
    QString DescFields;    // fields sorted descending when the index as a whole is not
    QString CaseInsFields; // fields compared ignoring case
};

class TIndexDefs
{
public:
    TIndexDef &Add(const QString &name, const QString &fields, TIndexOptions options = {});
    void Clear() { m_defs.clear(); }
    int Count() const { return int(m_defs.size()); }
    const TIndexDef &operator[](int index) const { return m_defs[index]; }
    int IndexOf(const QString &name) const; // case-insensitive; -1 when missing
    const TIndexDef *Find(const QString &name) const;
    void Remove(const QString &name);

private:
    QList<TIndexDef> m_defs;
};

// A summary over the visible records: SUM, COUNT, MIN, MAX or AVG of a field expression,
// optionally combined ("SUM(JE)-SUM(ZKJE)", "SUM(SL*DJ)"). Null values are left out; the
// value of an aggregate over no values is null (COUNT gives 0). It follows every change of
// the records, the filter and the pending insert once posted.
class TAggregate
{
public:
    QString AggregateName;
    QString Expression;
    QString DisplayFormat;
    bool Active = false;
    int Tag = 0;

    QVariant Value() const; // null while inactive or while the dataset is closed
    QString DisplayText() const;
    bool InUse() const; // active, and the dataset's aggregates are active

private:
    friend class TAggregates;
    friend class TClientDataSetPrivate;
    explicit TAggregate(TClientDataSet *dataSet)
        : m_dataSet(dataSet)
    {}
    TClientDataSet *m_dataSet;
    mutable QString m_parsedExpression;
    mutable uint32_t m_parsedGeneration = 0; // fields are made anew at every opening
    mutable std::shared_ptr<DataInternal::Expression> m_compiled;
    mutable quint64 m_cachedVersion = 0;
    mutable QVariant m_cachedValue;
};

class TAggregates
{
public:
    explicit TAggregates(TClientDataSet *dataSet)
        : m_dataSet(dataSet)
    {}
    TAggregate *Add(); // inactive, with empty expression
    TAggregate *Add(const QString &name, const QString &expression, bool active = true);
    void Remove(TAggregate *aggregate);
    void Clear();
    int Count() const { return int(m_items.size()); }
    TAggregate *operator[](int index) const { return m_items[index].get(); }
    TAggregate *Find(const QString &name) const;

private:
    TClientDataSet *m_dataSet;
    std::vector<std::unique_ptr<TAggregate>> m_items;
};

// A change log on its way to the server as part of a larger request: see
// TClientDataSet::BeginApply.
class TApplyTicket
{
public:
    const TDelta &Delta() const { return m_delta; }

private:
    friend class TClientDataSet;
    TDelta m_delta;
    std::vector<uint32_t> m_records; // the record of each delta row
    QVariant m_ownerData;            // handed from BeforeApplyUpdates to AfterApplyUpdates
};

class TClientDataSet : private TDataSetEvents
{
public:
    TClientDataSet();
    explicit TClientDataSet(const QString &name);
    ~TClientDataSet();
    TClientDataSet(const TClientDataSet &) = delete;
    TClientDataSet &operator=(const TClientDataSet &) = delete;

    // The handlers; Events() gives them all at once.
    using TDataSetEvents::AfterApplyUpdates;
    using TDataSetEvents::AfterCancel;
    using TDataSetEvents::AfterClose;
    using TDataSetEvents::AfterDelete;
    using TDataSetEvents::AfterEdit;
    using TDataSetEvents::AfterInsert;
    using TDataSetEvents::AfterOpen;
    using TDataSetEvents::AfterPost;
    using TDataSetEvents::AfterScroll;
    using TDataSetEvents::BeforeApplyUpdates;
    using TDataSetEvents::BeforeCancel;
    using TDataSetEvents::BeforeClose;
    using TDataSetEvents::BeforeDelete;
    using TDataSetEvents::BeforeEdit;
    using TDataSetEvents::BeforeInsert;
    using TDataSetEvents::BeforeOpen;
    using TDataSetEvents::BeforePost;
    using TDataSetEvents::BeforeScroll;
    using TDataSetEvents::OnCalcFields;
    using TDataSetEvents::OnFilterRecord;
    using TDataSetEvents::OnNewRecord;
    using TDataSetEvents::OnReconcileError;
    TDataSetEvents &Events() { return *this; }
    const TDataSetEvents &Events() const { return *this; }

    // Sets up the fields an opening has just made (masks, text handlers, labels) before the
    // first record is read: what design-time field properties are to fields that come from
    // the provider. Not one of the events, so a form that swaps the handlers through
    // Events() keeps it.
    std::function<void(TClientDataSet &DataSet)> OnFieldsCreated;

    const QString &Name() const;
    void SetName(const QString &name);
    int Tag() const;
    void SetTag(int tag);

    // --- Provider ---------------------------------------------------------------------------
    TCustomRemoteServer *RemoteServer() const;
    void SetRemoteServer(TCustomRemoteServer *server); // not owned
    const QString &ProviderName() const;
    void SetProviderName(const QString &name);
    const QString &CommandText() const;
    void SetCommandText(const QString &text); // takes effect at the next Open or Execute
    // Records per packet: -1 all at once (the default), 0 only the field definitions.
    int PacketRecords() const;
    void SetPacketRecords(int records);
    // When on (the default) moving past the last fetched record, Last, Locate, sorting and
    // Append fetch the remaining packets.
    bool FetchOnDemand() const;
    void SetFetchOnDemand(bool on);
    // Fetches the next packet; returns the number of records that arrived.
    int GetNextPacket();
    bool AllRecordsFetched() const;
    // Runs CommandText as a statement on the provider; returns the rows it changed.
    int Execute();

    // --- Fields -----------------------------------------------------------------------------
    TFieldDefs &FieldDefs();
    const TFieldDefs &FieldDefs() const;
    int FieldCount() const;
    TField *Fields(int index) const;
    TField *FieldByName(const QString &name) const; // EDatabaseError when missing
    TField *FindField(const QString &name) const;   // nullptr when missing
    QStringList GetFieldNames() const;
    // Creates a persistent field (only while the dataset is closed). A dataset with
    // persistent data fields opens with exactly those; one with only calculated and lookup
    // fields gets data fields for every column as well.
    TField *AddField(TFieldType type, const QString &name, int size = 0, TFieldKind kind = fkData);
    TField *AddLookupField(TFieldType type, const QString &name, const QString &keyFields,
                           TClientDataSet *lookupDataSet, const QString &lookupKeyFields,
                           const QString &lookupResultField, int size = 0);
    void RemoveField(TField *field); // persistent fields, while closed
    // Values of the fields named in "A;B": one value, or a QVariantList for several names.
    QVariant FieldValues(const QString &fieldNames) const;
    void SetFieldValues(const QString &fieldNames, const QVariant &values);
    bool AutoCalcFields() const;
    void SetAutoCalcFields(bool on);

    // --- Open and close ---------------------------------------------------------------------
    void Open();
    void Close();
    bool Active() const;
    void SetActive(bool active);
    // Opens an empty local dataset from FieldDefs (or from the persistent fields).
    void CreateDataSet();
    // Removes every record and the change log; no delete events.
    void EmptyDataSet();
    // Reads the data again from the provider, staying on the same position; refused while
    // the change log is not empty.
    void Refresh();
    TDataSetState State() const;

    // --- Navigation -------------------------------------------------------------------------
    void First();
    void Last();
    void Next();
    void Prior();
    int MoveBy(int distance); // returns the rows actually moved
    bool Bof() const;
    bool Eof() const;
    bool IsEmpty() const;
    // Posted visible records (the record being inserted is not counted).
    int RecordCount() const;
    int RecNo() const; // 1-based; -1 while inserting or when empty
    void SetRecNo(int recNo);
    // Moves to the first record whose fields "A;B" equal the values (one value or a
    // QVariantList); loPartialKey compares text keys as prefixes.
    bool Locate(const QString &keyFields, const QVariant &keyValues, TLocateOptions options = {});
    // The result fields of the first matching record without moving; null when none.
    QVariant Lookup(const QString &keyFields, const QVariant &keyValues,
                    const QString &resultFields) const;
    TBookmark GetBookmark() const;
    void GotoBookmark(const TBookmark &bookmark); // EDatabaseError when not valid
    bool BookmarkValid(const TBookmark &bookmark) const;
    // <0, 0, >0 by position in the current order; null bookmarks sort first.
    int CompareBookmarks(const TBookmark &a, const TBookmark &b) const;
    TBookmark Bookmark() const { return GetBookmark(); }
    void SetBookmark(const TBookmark &bookmark) { GotoBookmark(bookmark); }

    // --- Editing ----------------------------------------------------------------------------
    void Append();
    void Insert();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    void CheckBrowseMode();
    // Append or insert a record, set the data fields in order from values (an invalid
    // QVariant leaves a field untouched), and post it.
    void AppendRecord(const QVariantList &values);
    void InsertRecord(const QVariantList &values);
    // Tells the data sources to push pending edits into the fields (before Post).
    void UpdateRecord();
    bool Modified() const;
    bool CanModify() const;
    bool ReadOnly() const;
    void SetReadOnly(bool readOnly);

    // --- Change log -------------------------------------------------------------------------
    // Records with pending changes (inserted, modified or deleted).
    int ChangeCount() const;
    TUpdateStatus UpdateStatus() const;
    void CancelUpdates();
    void RevertRecord();
    void MergeChangeLog();
    // When off, changes are merged as they are posted (scratch datasets).
    bool LogChanges() const;
    void SetLogChanges(bool on);
    // Sends the change log to the provider. Rows the server stored leave the log; rejected
    // rows go through OnReconcileError (raSkip when there is no handler) and stay in the log
    // unless the action says otherwise. When the server rolled back (more errors than
    // maxErrors) the whole log stays. Returns the number of rejected rows.
    int ApplyUpdates(int maxErrors);
    // ApplyUpdates in steps, for a request that stores several change logs together:
    //   BeginApply   CheckBrowseMode BeforeApplyUpdates; false (and nothing fired) when there
    //                are no changes
    //   TakeDelta    CheckBrowseMode, then the log to send; called once every dataset of the
    //                request has begun, since their handlers may edit one another
    //   FinishApply  the server's answer: AfterApplyUpdates and the reconciliation, exactly as
    //                ApplyUpdates; the dataset must not change between TakeDelta and it
    bool BeginApply(TApplyTicket &ticket);
    void TakeDelta(TApplyTicket &ticket);
    int FinishApply(TApplyTicket &ticket, const TApplyResult &result);
    // The record of a row of the ticket's change log, to go to it; null when there is none.
    TBookmark DeltaRecord(const TApplyTicket &ticket, int row) const;
    TDelta Delta() const;

    // --- Filter, order, aggregates -------------------------------------------------------------
    // Filter expressions: field comparisons (= <> < > <= >=) with numbers, 'quoted text'
    // (quotes doubled inside), dates as 'yyyy-mm-dd', true/false and null; AND, OR, NOT,
    // parentheses; LIKE with % and _ (and * as %); IS [NOT] NULL; IN (...); + - * /;
    // UPPER, LOWER, TRIM, SUBSTRING(s, from, len), YEAR, MONTH, DAY. A text compared with
    // "=" and ending in "*" matches as a prefix unless foNoPartialCompare is set.
    const QString &Filter() const;
    void SetFilter(const QString &filter); // EDatabaseError for an expression that does not parse
    bool Filtered() const;
    void SetFiltered(bool filtered);
    TFilterOptions FilterOptions() const;
    void SetFilterOptions(TFilterOptions options);

    TIndexDefs &IndexDefs();
    const QString &IndexName() const;
    void SetIndexName(const QString &name); // "" or "DEFAULT_ORDER": the order of arrival
    const QString &IndexFieldNames() const;
    void SetIndexFieldNames(const QString &fieldNames); // "A;B", ascending
    void AddIndex(const QString &name, const QString &fields, TIndexOptions options = {},
                  const QString &descFields = {}, const QString &caseInsFields = {});
    void DeleteIndex(const QString &name);

    TAggregates &Aggregates();
    bool AggregatesActive() const;
    void SetAggregatesActive(bool active);

    // --- Data-aware controls ----------------------------------------------------------------
    void DisableControls();
    void EnableControls(); // the last one sends deDataSetChange
    bool ControlsDisabled() const;
    // Runs body with the controls disabled, enabling them again however it ends.
    template<class Body>
    void WithControlsDisabled(Body &&body)
    {
        DisableControls();
        try {
            body();
        } catch (...) {
            EnableControls();
            throw;
        }
        EnableControls();
    }

    // Random access for views: rows are the visible records in order, the record being
    // inserted included. Reading moves nothing and fires nothing.
    int RowCount() const;
    int CurrentRow() const; // -1 when there is no current record
    QVariant RowValue(int row, const TField *field) const;
    QString RowDisplayText(int row, const TField *field) const;
    QString RowText(int row, const TField *field) const;
    TUpdateStatus RowUpdateStatus(int row) const;
    TBookmark RowBookmark(int row) const;
    int RowOfBookmark(const TBookmark &bookmark) const; // -1 when not visible
    void MoveToRow(int row);                            // a scroll, with its events

    // Makes the fields read the record at a row for the scope's lifetime, so that several
    // fields (and their OnGetText handlers) can be read without moving the cursor.
    class TRowScope
    {
    public:
        TRowScope(const TClientDataSet &dataSet, int row);
        ~TRowScope();
        TRowScope(const TRowScope &) = delete;
        TRowScope &operator=(const TRowScope &) = delete;

    private:
        const TClientDataSet &m_dataSet;
        int m_savedSlot;
    };

    // --- Local files ------------------------------------------------------------------------
    // Own binary format: field definitions, records and their change log.
    void SaveToFile(const QString &fileName);
    void LoadFromFile(const QString &fileName); // replaces data and fields; open afterwards
    void SaveToStream(QIODevice &device);
    void LoadFromStream(QIODevice &device);
    // The records and their change log as one value, in the file format: copying Data from
    // one dataset to another copies fields, records and pending changes.
    QByteArray Data() const;
    void SetData(const QByteArray &data);

    // Bytes held by the records (for benchmarks and diagnostics).
    qint64 DataSize() const;

private:
    friend class TField;
    friend class TDataSource;
    friend class TAggregate;
    friend class TClientDataSetPrivate;
    std::unique_ptr<TClientDataSetPrivate> d;
};
