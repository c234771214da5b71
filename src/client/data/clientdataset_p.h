// Internal state of a client dataset, shared by the files that implement it, its fields and
// its data sources.
#pragma once

#include "client/data/clientdataset.h"
#include "client/data/expression.h"
#include "client/data/recordstore.h"

#include <QHash>

#include <memory>
#include <string_view>
#include <vector>

class QDataStream;

namespace DataInternal {

enum class RecordStatus : uint8_t {
    Unmodified,
    Modified, // cur holds the new values, orig the values as read
    Inserted, // cur only
    Deleted,  // orig (== cur) only; not visible
    Dead,     // gone for good; bookmarks to it are invalid
    Pending   // the record being inserted, not yet posted
};

constexpr uint32_t NoRecord = UINT32_MAX;

// Field names of a ";"-separated list, blanks dropped.
inline QStringList splitNames(const QString &names)
{
    QStringList result;
    for (const QString &part : names.split(u';')) {
        const QString name = part.trimmed();
        if (!name.isEmpty())
            result.append(name);
    }
    return result;
}

struct RecordInfo
{
    int cur = -1;
    int orig = -1;
    uint32_t seq = 0; // order of the first change, for the delta
    RecordStatus status = RecordStatus::Unmodified;
};

struct SortKey
{
    TField *field = nullptr;
    bool descending = false;
    bool caseInsensitive = false;
};

} // namespace DataInternal

class TClientDataSetPrivate
{
public:
    explicit TClientDataSetPrivate(TClientDataSet *q);

    using RecordStatus = DataInternal::RecordStatus;
    using RecordInfo = DataInternal::RecordInfo;

    TClientDataSet *q;
    QString name;
    int tag = 0;

    // Provider
    TCustomRemoteServer *server = nullptr;
    QString providerName;
    QString commandText;
    int packetRecords = -1;
    bool fetchOnDemand = true;
    qint64 cursor = 0;
    bool cursorOpen = false;

    // Fields
    TFieldDefs fieldDefs;
    std::vector<std::unique_ptr<TField>> fields;
    // Name as spelled -> field, and case-folded name -> field, the first of a name: forms look
    // fields up by name all the time, nearly always spelled as the field is.
    QHash<QString, TField *> fieldsBySpelling;
    QHash<QString, TField *> fieldsByName;
    std::vector<TField *> dynamicFields; // created at open, destroyed at close
    QList<int> packetColumns;            // column of the cursor -> store column
    bool autoCalcFields = true;

    // Records
    DataInternal::RecordStore store;
    std::vector<RecordInfo> records;
    std::vector<uint32_t> order;          // arrival order of live and deleted records
    std::vector<uint32_t> view;           // visible records in the current order
    mutable std::vector<int> rowOfRecord; // view position by record, -1 when not visible
    mutable bool rowIndexValid = false;
    int pos = -1;
    bool bof = true;
    bool eof = true;
    TDataSetState state = dsInactive;
    int editSlot = -1;
    uint32_t editRecord = DataInternal::NoRecord;
    uint32_t insertBefore = DataInternal::NoRecord; // arrival-order neighbour of a pending insert
    bool modified = false;
    bool contextActive = false;
    int contextSlot = -1;
    int changeCount = 0;
    uint32_t nextSeq = 1;
    quint64 version = 1;
    uint32_t generation = 1;
    bool readOnly = false;
    bool logChanges = true;

    // Filter, order, aggregates
    QString filterText;
    std::shared_ptr<DataInternal::Expression> filterExpression;
    bool filtered = false;
    TFilterOptions filterOptions;
    TIndexDefs indexDefs;
    QString indexName;
    QString indexFieldNames;
    std::vector<DataInternal::SortKey> sortKeys;
    TAggregates aggregates;
    bool aggregatesActive = false;

    // Data-aware controls
    std::vector<TDataSource *> dataSources;
    int disableCount = 0;
    TDataSetState disableState = dsInactive;
    TDataEvent enableEvent = deDataSetChange;

    // Lookups: fields of other datasets that look up in this one, and the key index that
    // speeds up Lookup on one key field.
    std::vector<TField *> lookupClients;
    QString lookupIndexField;
    quint64 lookupIndexVersion = 0;
    QHash<QString, uint32_t> lookupIndex;

    // --- State and events
    bool isEditing() const { return state == dsEdit || state == dsInsert; }
    void checkActive() const;
    void checkCanModify() const;
    void setState(TDataSetState newState);
    void dataEvent(TDataEvent event, const TDataEventInfo &info = {});
    void fire(const TDataSetNotifyEvent &handler);

    // --- Fields and slots
    int readSlot() const
    {
        if (contextActive)
            return contextSlot;
        if (isEditing())
            return editSlot;
        return pos >= 0 && pos < int(view.size()) ? records[view[size_t(pos)]].cur : -1;
    }
    int writeSlot(const TField &field) const;
    int slotOfRow(int row) const;
    void fieldChanged(TField *field);
    QVariant lookupValue(const TField &field) const;
    void reindexFields();
    void bindFields(const QList<TFieldDef> &defs);
    void destroyDynamicFields();
    std::unique_ptr<TField> createField(TFieldType type, const QString &name, int size,
                                        TFieldKind kind);
    void computeCalcFields(int slot);
    bool hasCalcFields() const;

    // For filters that match text without decoding it: whether a field's value is the text its
    // store column holds, and those bytes on the record the fields read (false for null).
    static bool storesText(const TField &field);
    static const TClientDataSetPrivate *of(const TField &field) { return field.m_dataSet->d.get(); }
    bool storedText(const TField &field, std::string_view &utf8) const
    {
        const int slot = readSlot();
        if (slot < 0 || store.isNull(field.m_column, slot))
            return false;
        utf8 = store.utf8Cell(field.m_column, slot);
        return true;
    }

    // --- Opening and loading
    enum class Source { Provider, Empty, Stream };
    void openFrom(Source source, QDataStream *stream);
    void resetData();
    int fetchPacket(int count);
    int fetchMore(int count, bool all);
    void fetchAll();
    uint32_t addLoadedRecord(int slot, RecordStatus status, int orig, uint32_t seq);

    // --- Views
    void rebuildView();
    void narrowView();
    bool acceptRecord(uint32_t record);
    void buildSortKeys();
    bool lessRecord(uint32_t a, uint32_t b) const;
    int compareRecords(uint32_t a, uint32_t b) const;
    int rowOf(uint32_t record) const;
    void invalidateRows() { rowIndexValid = false; }
    void restorePosition(uint32_t record, int fallbackRow);
    void scrolled(int oldPos);
    void purgeDeadFromOrder();

    // --- Editing and the change log
    void beginInsert(bool append);
    void storeEditBuffer();
    void checkRequiredFields();
    void mergeRecord(uint32_t record);
    void revertRecord(uint32_t record);
    QVariantList slotValues(int slot, const std::vector<TField *> &dataFields) const;
    std::vector<TField *> dataFields() const;
    TDelta buildDelta(std::vector<uint32_t> *rowRecords) const;
    void reconcile(const TApplyResult &result, const TDelta &delta,
                   const std::vector<uint32_t> &rowRecords);

    // --- Locate and lookup
    bool matchesKeys(int slot, const QList<TField *> &fields, const QVariantList &values,
                     TLocateOptions options) const;
    QList<TField *> fieldList(const QString &names) const;
    int findRow(const QList<TField *> &fields, const QVariantList &values,
                TLocateOptions options) const;

    // --- Aggregates
    QVariant aggregateValue(const TAggregate &aggregate);

    // --- Files
    void writeStream(QDataStream &out) const;
    void readRecords(QDataStream &in);
};

// Makes the fields read one slot for a while, in a temporary state, without notifications.
class SlotContext
{
public:
    SlotContext(TClientDataSetPrivate *d, int slot, TDataSetState tempState)
        : m_d(d)
        , m_savedActive(d->contextActive)
        , m_savedSlot(d->contextSlot)
        , m_savedState(d->state)
    {
        d->contextActive = true;
        d->contextSlot = slot;
        d->state = tempState;
    }
    ~SlotContext()
    {
        m_d->contextActive = m_savedActive;
        m_d->contextSlot = m_savedSlot;
        m_d->state = m_savedState;
    }
    SlotContext(const SlotContext &) = delete;
    SlotContext &operator=(const SlotContext &) = delete;

private:
    TClientDataSetPrivate *m_d;
    bool m_savedActive;
    int m_savedSlot;
    TDataSetState m_savedState;
};
