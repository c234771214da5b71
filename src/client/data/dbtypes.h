// Vocabulary shared by client datasets, their fields and data sources: states, field types,
// option sets, bookmarks, the data events data links receive, and the exceptions of the layer.
#pragma once

#include <QByteArray>
#include <QFlags>
#include <QString>

#include <cstdint>
#include <exception>

class TClientDataSet;
class TField;

enum TDataSetState {
    dsInactive,
    dsBrowse,
    dsEdit,
    dsInsert,
    dsCalcFields, // OnCalcFields is running for one record
    dsFilter      // OnFilterRecord is running for one record
};

enum TFieldType {
    ftUnknown,
    ftString,
    ftWideString,
    ftSmallint,
    ftInteger,
    ftAutoInc,
    ftLargeint,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD, // decimal with Size places after the point
    ftDate,
    ftTime,
    ftDateTime,
    ftMemo,
    ftWideMemo,
    ftBlob,
    ftGraphic
};

enum TFieldKind {
    fkData,         // a column of the data packet
    fkCalculated,   // set by OnCalcFields, not sent to the server
    fkLookup,       // looked up in LookupDataSet through KeyFields
    fkInternalCalc, // like fkCalculated but kept in the record store and indexable
};

enum TUpdateStatus { usUnmodified, usModified, usInserted, usDeleted };
enum TUpdateKind { ukModify, ukInsert, ukDelete };
enum TReconcileAction { raSkip, raAbort, raMerge, raCorrect, raCancel, raRefresh };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

enum TLocateOption { loCaseInsensitive = 0x1, loPartialKey = 0x2 };
Q_DECLARE_FLAGS(TLocateOptions, TLocateOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TLocateOptions)

// foGeneralEvaluator turns the filter's fast paths off, so that tests and benchmarks can hold
// them against the general evaluator.
enum TFilterOption { foCaseInsensitive = 0x1, foNoPartialCompare = 0x2, foGeneralEvaluator = 0x4 };
Q_DECLARE_FLAGS(TFilterOptions, TFilterOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFilterOptions)

enum TIndexOption { ixPrimary = 0x1, ixUnique = 0x2, ixDescending = 0x4, ixCaseInsensitive = 0x8 };
Q_DECLARE_FLAGS(TIndexOptions, TIndexOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TIndexOptions)

// How a column takes part in applying updates on the server.
enum TProviderFlag { pfInUpdate = 0x1, pfInWhere = 0x2, pfInKey = 0x4, pfHidden = 0x8 };
Q_DECLARE_FLAGS(TProviderFlags, TProviderFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TProviderFlags)

// Notifications a dataset sends to its data sources and through them to the data links.
// The first nine are the classic ones; the row events describe a change of the visible rows
// precisely so that item models can follow without a reset. One operation may send
// deUpdateState before its row event (Insert: state, then the new row; Cancel of an insert:
// state, then the removed row), so a model keeps its own row count and changes it only on
// the row events; while controls are disabled nothing is sent and EnableControls sends one
// deDataSetChange.
enum TDataEvent {
    deFieldChange,     // Info.Field changed its value in the current record
    deRecordChange,    // the current record changed as a whole (post, cancel of an edit)
    deDataSetChange,   // anything may have changed: reread everything
    deDataSetScroll,   // the current record moved by Info.Distance rows to Info.Row
    deLayoutChange,    // fields were created or destroyed (open, close, load)
    deUpdateRecord,    // Post is about to store the record: push pending edits now
    deUpdateState,     // the dataset's State changed
    deCheckBrowseMode, // the record is about to be posted or cancelled
    deFocusControl,    // put the focus on the control of Info.Field
    deRowsInserted,    // Info.Count rows now stand at Info.Row
    deRowsRemoved,     // Info.Count rows that stood at Info.Row are gone
    deRowMoved,        // the row at Info.FromRow now stands at Info.Row
};

struct TDataEventInfo
{
    TField *Field = nullptr;
    int Row = -1;
    int FromRow = -1;
    int Count = 0;
    int Distance = 0;
};

// A position in a dataset that survives edits, sorting and filtering of other records.
// A null bookmark never points anywhere.
class TBookmark
{
public:
    TBookmark() = default;
    bool isNull() const { return m_record == UINT32_MAX; }
    friend bool operator==(const TBookmark &a, const TBookmark &b) = default;

private:
    friend class TClientDataSet;
    friend class TClientDataSetPrivate;
    TBookmark(uint32_t record, uint32_t generation)
        : m_record(record)
        , m_generation(generation)
    {}
    uint32_t m_record = UINT32_MAX;
    uint32_t m_generation = 0;
};

// Base of the exceptions the data layer raises; Message() is the text for the user.
class Exception : public std::exception
{
public:
    explicit Exception(const QString &message);
    const QString &Message() const { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// The silent exception: a handler that raises it stops the operation that called it, and
// whoever shows errors to the user ignores it.
class EAbort : public Exception
{
public:
    EAbort();
};

// Raises EAbort.
[[noreturn]] void Abort();

// A refused dataset or field operation (wrong state, missing field, required value...).
class EDatabaseError : public Exception
{
public:
    using Exception::Exception;
};

// Text that does not convert to the value a field holds.
class EConvertError : public Exception
{
public:
    using Exception::Exception;
};

// Raises EDatabaseError with the message prefixed by the dataset's name when it has one.
[[noreturn]] void DatabaseError(const QString &message, const TClientDataSet *dataSet = nullptr);

// Field type names as shown in messages and the type of storage a field of the type uses.
QString FieldTypeName(TFieldType type);
bool IsNumericType(TFieldType type);
bool IsStringType(TFieldType type); // string, wide string, memo, wide memo
bool IsBlobType(TFieldType type);   // memo, wide memo, blob, graphic
