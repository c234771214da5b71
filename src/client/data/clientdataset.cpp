// The client dataset: opening, fetching, fields, notifications and control batching. Views
// (filter, order) live in clientdataset_views.cpp, navigation and editing in their own files,
// the change log and its apply in changelog.cpp, local files in datasetfile.cpp.
#include "client/data/clientdataset.h"

#include "client/data/clientdataset_p.h"
#include "client/data/datasource.h"
#include "client/data/formats.h"

#include <algorithm>
#include <climits>

using DataInternal::NoRecord;
using DataInternal::RecordInfo;
using DataInternal::RecordStatus;
using DataInternal::splitNames;

// --- TIndexDefs ------------------------------------------------------------------------------

TIndexDef &TIndexDefs::Add(const QString &name, const QString &fields, TIndexOptions options)
{
    const int existing = IndexOf(name);
    if (existing >= 0)
        m_defs.removeAt(existing);
    TIndexDef def;
    def.Name = name;
    def.Fields = fields;
    def.Options = options;
    m_defs.append(def);
    return m_defs.last();
}

int TIndexDefs::IndexOf(const QString &name) const
{
    for (int i = 0; i < m_defs.size(); ++i) {
        if (m_defs[i].Name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

const TIndexDef *TIndexDefs::Find(const QString &name) const
{
    const int i = IndexOf(name);
    return i < 0 ? nullptr : &m_defs[i];
}

void TIndexDefs::Remove(const QString &name)
{
    const int i = IndexOf(name);
    if (i >= 0)
        m_defs.removeAt(i);
}

// --- TAggregates -----------------------------------------------------------------------------

TAggregate *TAggregates::Add()
{
    m_items.push_back(std::unique_ptr<TAggregate>(new TAggregate(m_dataSet)));
    return m_items.back().get();
}

TAggregate *TAggregates::Add(const QString &name, const QString &expression, bool active)
{
    TAggregate *aggregate = Add();
    aggregate->AggregateName = name;
    aggregate->Expression = expression;
    aggregate->Active = active;
    return aggregate;
}

void TAggregates::Remove(TAggregate *aggregate)
{
    m_items.erase(std::remove_if(m_items.begin(), m_items.end(),
                                 [&](const auto &item) { return item.get() == aggregate; }),
                  m_items.end());
}

void TAggregates::Clear()
{
    m_items.clear();
}

TAggregate *TAggregates::Find(const QString &name) const
{
    for (const auto &item : m_items) {
        if (item->AggregateName.compare(name, Qt::CaseInsensitive) == 0)
            return item.get();
    }
    return nullptr;
}

bool TAggregate::InUse() const
{
    return Active && m_dataSet->AggregatesActive();
}

QVariant TAggregate::Value() const
{
    if (!InUse() || !m_dataSet->Active())
        return QVariant();
    return m_dataSet->d->aggregateValue(*this);
}

QString TAggregate::DisplayText() const
{
    const QVariant value = Value();
    if (!value.isValid())
        return QString();
    if (!DisplayFormat.isEmpty()) {
        if (value.typeId() == QMetaType::QDateTime)
            return FormatDateTime(DisplayFormat, value.toDateTime());
        if (value.typeId() != QMetaType::QString)
            return FormatFloat(DisplayFormat, value.toDouble());
    }
    if (value.typeId() == QMetaType::Double)
        return FloatToStr(value.toDouble());
    if (value.typeId() == QMetaType::QDateTime)
        return FormatDateTime(u"c", value.toDateTime());
    return value.toString();
}

QVariant TClientDataSetPrivate::aggregateValue(const TAggregate &aggregate)
{
    if (!aggregate.m_compiled || aggregate.m_parsedExpression != aggregate.Expression ||
        aggregate.m_parsedGeneration != generation) {
        aggregate.m_compiled.reset();
        aggregate.m_compiled = DataInternal::Expression::parse(aggregate.Expression, *q, true);
        aggregate.m_parsedExpression = aggregate.Expression;
        aggregate.m_parsedGeneration = generation;
        aggregate.m_cachedVersion = 0;
    }
    if (aggregate.m_cachedVersion == version)
        return aggregate.m_cachedValue;
    const QVariant value = aggregate.m_compiled->evaluateAggregate([this](const auto &visit) {
        for (size_t row = 0; row < view.size(); ++row) {
            const RecordInfo &info = records[view[row]];
            if (info.status == RecordStatus::Pending)
                continue;
            SlotContext context(this, info.cur, state);
            visit();
        }
    });
    aggregate.m_cachedVersion = version;
    aggregate.m_cachedValue = value;
    return value;
}

// --- Private ---------------------------------------------------------------------------------

TClientDataSetPrivate::TClientDataSetPrivate(TClientDataSet *q)
    : q(q)
    , aggregates(q)
{}

void TClientDataSetPrivate::checkActive() const
{
    if (state == dsInactive)
        DatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"), q);
}

void TClientDataSetPrivate::checkCanModify() const
{
    if (!q->CanModify())
        DatabaseError(QStringLiteral("Cannot modify a read-only dataset"), q);
}

void TClientDataSetPrivate::setState(TDataSetState newState)
{
    if (state == newState)
        return;
    state = newState;
    modified = false;
    dataEvent(deUpdateState);
}

void TClientDataSetPrivate::dataEvent(TDataEvent event, const TDataEventInfo &info)
{
    if (disableCount == 0) {
        // A source may remove itself from the list while it is told.
        const std::vector<TDataSource *> sources = dataSources;
        for (TDataSource *source : sources) {
            if (std::find(dataSources.begin(), dataSources.end(), source) != dataSources.end())
                source->DataEvent(event, info);
        }
    } else if ((event == deUpdateState && state == dsInactive) || event == deLayoutChange) {
        enableEvent = deLayoutChange;
    }
}

void TClientDataSetPrivate::fire(const TDataSetNotifyEvent &handler)
{
    if (handler) {
        // A handler may replace itself while it runs (forms restore saved handlers).
        TDataSetNotifyEvent copy = handler;
        copy(*q);
    }
}

int TClientDataSetPrivate::writeSlot(const TField &field) const
{
    if (state == dsInactive)
        DatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"), q);
    const bool calculated =
        field.FieldKind() == fkCalculated || field.FieldKind() == fkInternalCalc;
    if (state == dsCalcFields) {
        if (!calculated)
            DatabaseError(QStringLiteral("Field '%1' cannot be modified").arg(field.DisplayName()),
                          q);
        return contextSlot;
    }
    if (field.FieldKind() == fkLookup || field.FieldKind() == fkCalculated || field.m_column < 0)
        DatabaseError(QStringLiteral("Field '%1' cannot be modified").arg(field.DisplayName()), q);
    if (!isEditing())
        DatabaseError(QStringLiteral("Dataset not in edit or insert mode"), q);
    if (field.ReadOnly())
        DatabaseError(QStringLiteral("Field '%1' cannot be modified").arg(field.DisplayName()), q);
    return editSlot;
}

int TClientDataSetPrivate::slotOfRow(int row) const
{
    if (row < 0 || row >= int(view.size()))
        return -1;
    if (row == pos && isEditing())
        return editSlot;
    return records[view[size_t(row)]].cur;
}

void TClientDataSetPrivate::fieldChanged(TField *field)
{
    if (state == dsCalcFields || state == dsFilter)
        return;
    if (field->FieldKind() == fkData || field->FieldKind() == fkInternalCalc)
        modified = true;
    if (field->OnChange) {
        auto handler = field->OnChange;
        handler(*field);
    }
    if (autoCalcFields && field->FieldKind() == fkData && isEditing())
        computeCalcFields(editSlot);
    TDataEventInfo info;
    info.Field = field;
    info.Row = pos;
    dataEvent(deFieldChange, info);
}

bool TClientDataSetPrivate::hasCalcFields() const
{
    if (q->OnCalcFields)
        return true;
    for (const auto &field : fields) {
        if (field->FieldKind() == fkCalculated || field->FieldKind() == fkInternalCalc)
            return true;
    }
    return false;
}

bool TClientDataSetPrivate::storesText(const TField &field)
{
    return field.m_fieldKind != fkLookup && field.m_column >= 0 &&
           field.m_dataSet->d->store.kind(field.m_column) == DataInternal::Storage::Text;
}

void TClientDataSetPrivate::computeCalcFields(int slot)
{
    if (slot < 0)
        return;
    bool any = false;
    for (const auto &field : fields) {
        if (field->FieldKind() == fkCalculated) {
            store.setNull(field->m_column, slot);
            any = true;
        }
    }
    if (!q->OnCalcFields)
        return;
    (void)any;
    SlotContext context(this, slot, dsCalcFields);
    TDataSetNotifyEvent handler = q->OnCalcFields;
    handler(*q);
}

QVariant TClientDataSetPrivate::lookupValue(const TField &field) const
{
    TClientDataSet *target = field.LookupDataSet();
    if (!target || !target->Active())
        return QVariant();
    const QList<TField *> keys = fieldList(field.KeyFields());
    QVariantList values;
    for (TField *key : keys) {
        if (key == &field)
            return QVariant();
        values.append(key->Value());
    }
    if (values.isEmpty())
        return QVariant();
    const QVariant keyValues = values.size() == 1 ? values[0] : QVariant(values);
    return target->Lookup(field.LookupKeyFields(), keyValues, field.LookupResultField());
}

QList<TField *> TClientDataSetPrivate::fieldList(const QString &names) const
{
    QList<TField *> result;
    for (const QString &name : splitNames(names))
        result.append(q->FieldByName(name));
    return result;
}

void TClientDataSetPrivate::reindexFields()
{
    fieldsBySpelling.clear();
    fieldsByName.clear();
    for (size_t i = 0; i < fields.size(); ++i) {
        fields[i]->m_index = int(i);
        const QString key = fields[i]->FieldName().toCaseFolded();
        if (!fieldsByName.contains(key)) {
            fieldsByName.insert(key, fields[i].get());
            fieldsBySpelling.insert(fields[i]->FieldName(), fields[i].get());
        }
    }
}

std::unique_ptr<TField> TClientDataSetPrivate::createField(TFieldType type, const QString &name,
                                                           int size, TFieldKind kind)
{
    switch (type) {
    case ftString:
        return std::make_unique<TStringField>(q, name, size, kind);
    case ftWideString:
        return std::make_unique<TWideStringField>(q, name, size, kind);
    case ftSmallint:
        return std::make_unique<TSmallintField>(q, name, kind);
    case ftInteger:
        return std::make_unique<TIntegerField>(q, name, kind);
    case ftAutoInc:
        return std::make_unique<TAutoIncField>(q, name, kind);
    case ftLargeint:
        return std::make_unique<TLargeintField>(q, name, kind);
    case ftBoolean:
        return std::make_unique<TBooleanField>(q, name, kind);
    case ftFloat:
        return std::make_unique<TFloatField>(q, name, kind);
    case ftCurrency:
        return std::make_unique<TCurrencyField>(q, name, kind);
    case ftBCD:
        return std::make_unique<TBCDField>(q, name, size, kind);
    case ftDate:
        return std::make_unique<TDateField>(q, name, kind);
    case ftTime:
        return std::make_unique<TTimeField>(q, name, kind);
    case ftDateTime:
        return std::make_unique<TDateTimeField>(q, name, kind);
    case ftMemo:
        return std::make_unique<TMemoField>(q, name, kind);
    case ftWideMemo:
        return std::make_unique<TWideMemoField>(q, name, kind);
    case ftBlob:
        return std::make_unique<TBlobField>(q, name, kind);
    case ftGraphic:
        return std::make_unique<TGraphicField>(q, name, kind);
    case ftUnknown:
        break;
    }
    DatabaseError(QStringLiteral("Field '%1' is of an unknown type").arg(name), q);
}

// Creates the data fields a packet needs (unless persistent ones exist), gives every stored
// field a column of the record store and maps the packet's columns onto them.
void TClientDataSetPrivate::bindFields(const QList<TFieldDef> &defs)
{
    const bool persistentData = std::any_of(fields.begin(), fields.end(),
                                            [](const auto &f) { return f->FieldKind() == fkData; });
    if (persistentData) {
        for (const auto &field : fields) {
            if (field->FieldKind() != fkData)
                continue;
            bool found = false;
            for (const TFieldDef &def : defs) {
                if (def.Name.compare(field->FieldName(), Qt::CaseInsensitive) == 0) {
                    found = true;
                    if (def.ProviderFlags & pfInKey)
                        field->m_providerFlags |= pfInKey;
                    if (field->m_origin.isEmpty())
                        field->m_origin = def.Origin;
                    break;
                }
            }
            if (!found)
                DatabaseError(QStringLiteral("Field '%1' not found").arg(field->FieldName()), q);
        }
    } else {
        std::vector<std::unique_ptr<TField>> created;
        for (const TFieldDef &def : defs) {
            auto field = createField(def.DataType, def.Name, def.Size, fkData);
            if (def.DataType == ftBCD || IsStringType(def.DataType))
                field->m_size = def.Size > 0 ? def.Size : field->m_size;
            field->m_required = def.Required;
            field->m_readOnly = def.ReadOnly;
            field->m_providerFlags = def.ProviderFlags;
            field->m_origin = def.Origin;
            dynamicFields.push_back(field.get());
            created.push_back(std::move(field));
        }
        // Data fields first, then the persistent calculated and lookup fields.
        for (auto &field : fields)
            created.push_back(std::move(field));
        fields = std::move(created);
    }
    reindexFields();
    store.clear();
    for (const auto &field : fields) {
        field->m_column = field->FieldKind() == fkLookup
                              ? -1
                              : store.addColumn(DataInternal::storageFor(field->DataType()));
    }
    packetColumns.clear();
    for (const TFieldDef &def : defs) {
        int column = -1;
        for (const auto &field : fields) {
            if (field->FieldKind() == fkData &&
                field->FieldName().compare(def.Name, Qt::CaseInsensitive) == 0) {
                column = field->m_column;
                break;
            }
        }
        packetColumns.append(column);
    }
}

void TClientDataSetPrivate::destroyDynamicFields()
{
    if (dynamicFields.empty())
        return;
    fields.erase(std::remove_if(fields.begin(), fields.end(),
                                [this](const auto &field) {
                                    return std::find(dynamicFields.begin(), dynamicFields.end(),
                                                     field.get()) != dynamicFields.end();
                                }),
                 fields.end());
    dynamicFields.clear();
    reindexFields();
}

void TClientDataSetPrivate::resetData()
{
    records.clear();
    order.clear();
    view.clear();
    rowOfRecord.clear();
    rowIndexValid = false;
    store.clearSlots();
    pos = -1;
    bof = eof = true;
    editSlot = -1;
    editRecord = NoRecord;
    modified = false;
    changeCount = 0;
    nextSeq = 1;
    ++version;
    ++generation;
    lookupIndex.clear();
    lookupIndexField.clear();
}

uint32_t TClientDataSetPrivate::addLoadedRecord(int slot, RecordStatus status, int orig,
                                                uint32_t seq)
{
    RecordInfo info;
    info.cur = slot;
    info.orig = orig;
    info.status = status;
    info.seq = seq;
    records.push_back(info);
    const uint32_t id = uint32_t(records.size() - 1);
    order.push_back(id);
    return id;
}

int TClientDataSetPrivate::fetchPacket(int count)
{
    if (!cursorOpen || !server)
        return 0;
    std::vector<int> newSlots;
    TPacketWriter writer(store, packetColumns);
    writer.m_slots = &newSlots;
    bool more = false;
    try {
        more = server->FetchPacket(cursor, count, writer);
    } catch (...) {
        for (int slot : newSlots)
            store.freeSlot(slot);
        throw;
    }
    const bool calc = q->OnCalcFields != nullptr;
    for (int slot : newSlots) {
        if (calc)
            computeCalcFields(slot);
        const uint32_t id = addLoadedRecord(slot, RecordStatus::Unmodified, slot, 0);
        if (!filtered || acceptRecord(id))
            view.push_back(id);
    }
    if (!sortKeys.empty())
        std::stable_sort(view.begin(), view.end(),
                         [this](uint32_t a, uint32_t b) { return lessRecord(a, b); });
    if (!more) {
        // The whole result is in: give back what was kept for growth.
        cursorOpen = false;
        store.shrinkToFit();
        records.shrink_to_fit();
        order.shrink_to_fit();
        view.shrink_to_fit();
    }
    invalidateRows();
    ++version;
    return int(newSlots.size());
}

// Fetches while the dataset is open and tells the views which rows arrived; the cursor stays
// on its record.
int TClientDataSetPrivate::fetchMore(int count, bool all)
{
    if (!cursorOpen)
        return 0;
    const uint32_t current = pos >= 0 && pos < int(view.size()) ? view[size_t(pos)] : NoRecord;
    const int before = int(view.size());
    int fetched = fetchPacket(count);
    while (all && cursorOpen)
        fetched += fetchPacket(-1);
    if (current != NoRecord)
        pos = rowOf(current);
    if (int(view.size()) != before && state != dsInactive) {
        TDataEventInfo info;
        if (sortKeys.empty()) {
            info.Row = before;
            info.Count = int(view.size()) - before;
            dataEvent(deRowsInserted, info);
        } else {
            dataEvent(deDataSetChange);
        }
    }
    return fetched;
}

void TClientDataSetPrivate::fetchAll()
{
    fetchMore(-1, true);
}

void TClientDataSetPrivate::openFrom(Source source, QDataStream *stream)
{
    fire(q->BeforeOpen);
    resetData();
    try {
        QList<TFieldDef> defs;
        switch (source) {
        case Source::Provider: {
            if (!server || providerName.isEmpty())
                DatabaseError(QStringLiteral("Missing data provider or data packet"), q);
            TProviderCursor opened = server->OpenProvider(providerName, commandText, packetRecords);
            cursor = opened.Handle;
            cursorOpen = true;
            defs = opened.FieldDefs;
            break;
        }
        case Source::Empty:
            defs = fieldDefs.Items();
            if (defs.isEmpty()) {
                for (const auto &field : fields) {
                    if (field->FieldKind() != fkData)
                        continue;
                    TFieldDef def;
                    def.Name = field->FieldName();
                    def.DataType = field->DataType();
                    def.Size = field->Size();
                    def.Required = field->Required();
                    def.ProviderFlags = field->ProviderFlags();
                    defs.append(def);
                }
            }
            if (defs.isEmpty())
                DatabaseError(QStringLiteral("Field definitions are missing"), q);
            break;
        case Source::Stream: {
            QDataStream &in = *stream;
            quint32 magic = 0;
            quint16 formatVersion = 0;
            in >> magic >> formatVersion;
            if (magic != 0x565A4344 || formatVersion != 1)
                DatabaseError(QStringLiteral("Not a data file of this program"), q);
            qint32 count = 0;
            in >> count;
            for (qint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
                TFieldDef def;
                qint32 type = 0, size = 0, flags = 0, precision = 0;
                in >> def.Name >> type >> size >> def.Required >> def.ReadOnly >> flags >>
                    def.Origin >> precision;
                def.DataType = TFieldType(type);
                def.Size = size;
                def.ProviderFlags = TProviderFlags(flags);
                def.Precision = precision;
                defs.append(def);
            }
            if (in.status() != QDataStream::Ok)
                DatabaseError(QStringLiteral("The data file is damaged"), q);
            break;
        }
        }
        fieldDefs.Assign(defs);
        bindFields(defs);
        if (q->OnFieldsCreated) {
            auto setUp = q->OnFieldsCreated;
            setUp(*q);
        }
        if (source == Source::Stream)
            readRecords(*stream);
        buildSortKeys();
        if (filtered && !filterText.isEmpty()) {
            filterExpression = DataInternal::Expression::parse(filterText, *q, false);
            filterExpression->setOptions(filterOptions);
        }
        if (source == Source::Provider && packetRecords != 0) {
            fetchPacket(packetRecords);
            if (!sortKeys.empty())
                while (cursorOpen)
                    fetchPacket(-1);
        }
        state = dsBrowse; // the notifications follow once everything is in place
        rebuildView();
    } catch (...) {
        state = dsInactive;
        if (cursorOpen && server) {
            try {
                server->CloseCursor(cursor);
            } catch (...) {
            }
        }
        cursorOpen = false;
        resetData();
        store.clear();
        destroyDynamicFields();
        throw;
    }
    pos = view.empty() ? -1 : 0;
    bof = true;
    eof = view.empty();
    state = dsInactive;
    setState(dsBrowse);
    dataEvent(deLayoutChange);
    fire(q->AfterOpen);
    if (!view.empty())
        fire(q->AfterScroll);
}

// --- TClientDataSet --------------------------------------------------------------------------

TClientDataSet::TClientDataSet()
    : d(std::make_unique<TClientDataSetPrivate>(this))
{}

TClientDataSet::TClientDataSet(const QString &name)
    : TClientDataSet()
{
    d->name = name;
}

TClientDataSet::~TClientDataSet()
{
    for (TDataSource *source : std::vector<TDataSource *>(d->dataSources))
        source->dataSetDestroyed();
    for (TField *client : std::vector<TField *>(d->lookupClients))
        client->m_lookupDataSet = nullptr;
    d->lookupClients.clear();
    if (d->cursorOpen && d->server) {
        try {
            d->server->CloseCursor(d->cursor);
        } catch (...) {
        }
    }
    // Fields unregister from the datasets they look up in while d is still alive.
    d->fieldsBySpelling.clear();
    d->fieldsByName.clear();
    d->fields.clear();
}

const QString &TClientDataSet::Name() const
{
    return d->name;
}

void TClientDataSet::SetName(const QString &name)
{
    d->name = name;
}

int TClientDataSet::Tag() const
{
    return d->tag;
}

void TClientDataSet::SetTag(int tag)
{
    d->tag = tag;
}

TCustomRemoteServer *TClientDataSet::RemoteServer() const
{
    return d->server;
}

void TClientDataSet::SetRemoteServer(TCustomRemoteServer *server)
{
    d->server = server;
}

const QString &TClientDataSet::ProviderName() const
{
    return d->providerName;
}

void TClientDataSet::SetProviderName(const QString &name)
{
    d->providerName = name;
}

const QString &TClientDataSet::CommandText() const
{
    return d->commandText;
}

void TClientDataSet::SetCommandText(const QString &text)
{
    d->commandText = text;
}

int TClientDataSet::PacketRecords() const
{
    return d->packetRecords;
}

void TClientDataSet::SetPacketRecords(int records)
{
    d->packetRecords = records;
}

bool TClientDataSet::FetchOnDemand() const
{
    return d->fetchOnDemand;
}

void TClientDataSet::SetFetchOnDemand(bool on)
{
    d->fetchOnDemand = on;
}

int TClientDataSet::GetNextPacket()
{
    d->checkActive();
    const bool wasEmpty = d->view.empty();
    const int count = d->fetchMore(d->packetRecords > 0 ? d->packetRecords : -1, false);
    if (wasEmpty && !d->view.empty()) {
        d->pos = 0;
        d->bof = true;
    }
    if (!d->view.empty())
        d->eof = false;
    return count;
}

bool TClientDataSet::AllRecordsFetched() const
{
    return !d->cursorOpen;
}

int TClientDataSet::Execute()
{
    if (!d->server || d->providerName.isEmpty())
        DatabaseError(QStringLiteral("Missing data provider"), this);
    return d->server->ExecuteCommand(d->providerName, d->commandText);
}

TFieldDefs &TClientDataSet::FieldDefs()
{
    return d->fieldDefs;
}

const TFieldDefs &TClientDataSet::FieldDefs() const
{
    return d->fieldDefs;
}

int TClientDataSet::FieldCount() const
{
    return int(d->fields.size());
}

TField *TClientDataSet::Fields(int index) const
{
    if (index < 0 || index >= int(d->fields.size()))
        DatabaseError(QStringLiteral("Field index out of range"), this);
    return d->fields[size_t(index)].get();
}

TField *TClientDataSet::FindField(const QString &name) const
{
    if (TField *spelled = d->fieldsBySpelling.value(name, nullptr))
        return spelled;
    return d->fieldsByName.value(name.trimmed().toCaseFolded(), nullptr);
}

TField *TClientDataSet::FieldByName(const QString &name) const
{
    TField *field = FindField(name);
    if (!field)
        DatabaseError(QStringLiteral("Field '%1' not found").arg(name), this);
    return field;
}

QStringList TClientDataSet::GetFieldNames() const
{
    QStringList names;
    for (const auto &field : d->fields)
        names.append(field->FieldName());
    return names;
}

TField *TClientDataSet::AddField(TFieldType type, const QString &name, int size, TFieldKind kind)
{
    if (Active())
        DatabaseError(QStringLiteral("Cannot perform this operation on an open dataset"), this);
    if (FindField(name))
        DatabaseError(QStringLiteral("Duplicate field name '%1'").arg(name), this);
    auto field = d->createField(type, name, size, kind);
    if (kind == fkCalculated || kind == fkLookup)
        field->m_providerFlags = {};
    TField *result = field.get();
    d->fields.push_back(std::move(field));
    d->reindexFields();
    return result;
}

TField *TClientDataSet::AddLookupField(TFieldType type, const QString &name,
                                       const QString &keyFields, TClientDataSet *lookupDataSet,
                                       const QString &lookupKeyFields,
                                       const QString &lookupResultField, int size)
{
    TField *field = AddField(type, name, size, fkLookup);
    field->SetKeyFields(keyFields);
    field->SetLookupDataSet(lookupDataSet);
    field->SetLookupKeyFields(lookupKeyFields);
    field->SetLookupResultField(lookupResultField);
    return field;
}

void TClientDataSet::RemoveField(TField *field)
{
    if (Active())
        DatabaseError(QStringLiteral("Cannot perform this operation on an open dataset"), this);
    d->fields.erase(std::remove_if(d->fields.begin(), d->fields.end(),
                                   [&](const auto &f) { return f.get() == field; }),
                    d->fields.end());
    d->reindexFields();
}

QVariant TClientDataSet::FieldValues(const QString &fieldNames) const
{
    const QList<TField *> fields = d->fieldList(fieldNames);
    if (fields.size() == 1)
        return fields[0]->Value();
    QVariantList values;
    for (TField *field : fields)
        values.append(field->Value());
    return values;
}

void TClientDataSet::SetFieldValues(const QString &fieldNames, const QVariant &values)
{
    const QList<TField *> fields = d->fieldList(fieldNames);
    if (fields.size() == 1) {
        fields[0]->SetValue(values);
        return;
    }
    const QVariantList list = values.toList();
    for (int i = 0; i < fields.size() && i < list.size(); ++i)
        fields[i]->SetValue(list[i]);
}

bool TClientDataSet::AutoCalcFields() const
{
    return d->autoCalcFields;
}

void TClientDataSet::SetAutoCalcFields(bool on)
{
    d->autoCalcFields = on;
}

void TClientDataSet::Open()
{
    if (d->state != dsInactive)
        return;
    d->openFrom(TClientDataSetPrivate::Source::Provider, nullptr);
}

void TClientDataSet::Close()
{
    if (d->state == dsInactive)
        return;
    d->fire(BeforeClose);
    if (d->cursorOpen && d->server) {
        try {
            d->server->CloseCursor(d->cursor);
        } catch (...) {
            // The cursor dies with the server's session anyway.
        }
    }
    d->cursorOpen = false;
    d->setState(dsInactive);
    d->resetData();
    d->store.clear();
    d->sortKeys.clear();
    d->filterExpression.reset();
    d->destroyDynamicFields();
    for (const auto &field : d->fields)
        field->m_column = -1;
    d->fire(AfterClose);
}

bool TClientDataSet::Active() const
{
    return d->state != dsInactive;
}

void TClientDataSet::SetActive(bool active)
{
    if (active)
        Open();
    else
        Close();
}

void TClientDataSet::CreateDataSet()
{
    if (Active())
        DatabaseError(QStringLiteral("Cannot perform this operation on an open dataset"), this);
    d->openFrom(TClientDataSetPrivate::Source::Empty, nullptr);
}

void TClientDataSet::EmptyDataSet()
{
    d->checkActive();
    d->checkCanModify();
    if (d->isEditing())
        Cancel();
    if (d->cursorOpen && d->server) {
        try {
            d->server->CloseCursor(d->cursor);
        } catch (...) {
        }
    }
    d->cursorOpen = false;
    const int columns = d->store.columnCount();
    (void)columns;
    d->records.clear();
    d->order.clear();
    d->store.clearSlots();
    d->changeCount = 0;
    d->rebuildView();
    d->pos = -1;
    d->bof = d->eof = true;
    ++d->generation;
    d->dataEvent(deDataSetChange);
}

void TClientDataSet::Refresh()
{
    d->checkActive();
    CheckBrowseMode();
    if (d->changeCount > 0)
        DatabaseError(QStringLiteral("Must apply updates before refreshing data"), this);
    if (!d->server || d->providerName.isEmpty())
        return;
    const int oldPos = d->pos;
    TProviderCursor opened =
        d->server->OpenProvider(d->providerName, d->commandText, d->packetRecords);
    if (d->cursorOpen) {
        try {
            d->server->CloseCursor(d->cursor);
        } catch (...) {
        }
    }
    d->records.clear();
    d->order.clear();
    d->view.clear();
    d->invalidateRows();
    ++d->generation; // the records are new: old bookmarks must not find them
    d->store.clearSlots();
    d->changeCount = 0;
    d->cursor = opened.Handle;
    d->cursorOpen = true;
    d->fetchPacket(d->packetRecords);
    if (!d->sortKeys.empty() || oldPos >= int(d->view.size()))
        while (d->cursorOpen && (!d->sortKeys.empty() || oldPos >= int(d->view.size())))
            d->fetchPacket(d->packetRecords > 0 ? d->packetRecords : -1);
    d->rebuildView();
    d->pos = d->view.empty() ? -1 : std::clamp(oldPos, 0, int(d->view.size()) - 1);
    d->bof = d->eof = d->view.empty();
    d->dataEvent(deDataSetChange);
}

TDataSetState TClientDataSet::State() const
{
    return d->state;
}

// --- Controls --------------------------------------------------------------------------------

void TClientDataSet::DisableControls()
{
    if (d->disableCount == 0) {
        d->disableState = d->state;
        d->enableEvent = deDataSetChange;
    }
    ++d->disableCount;
}

void TClientDataSet::EnableControls()
{
    if (d->disableCount == 0)
        return;
    if (--d->disableCount == 0) {
        if (d->disableState != d->state)
            d->dataEvent(deUpdateState);
        if (d->disableState != dsInactive && d->state != dsInactive)
            d->dataEvent(d->enableEvent);
    }
}

bool TClientDataSet::ControlsDisabled() const
{
    return d->disableCount > 0;
}

int TClientDataSet::RowCount() const
{
    return d->state == dsInactive ? 0 : int(d->view.size());
}

int TClientDataSet::CurrentRow() const
{
    return d->state == dsInactive ? -1 : d->pos;
}

QVariant TClientDataSet::RowValue(int row, const TField *field) const
{
    TRowScope scope(*this, row);
    return field->Value();
}

QString TClientDataSet::RowDisplayText(int row, const TField *field) const
{
    TRowScope scope(*this, row);
    return field->DisplayText();
}

QString TClientDataSet::RowText(int row, const TField *field) const
{
    TRowScope scope(*this, row);
    return field->Text();
}

TUpdateStatus TClientDataSet::RowUpdateStatus(int row) const
{
    if (row < 0 || row >= int(d->view.size()))
        return usUnmodified;
    switch (d->records[d->view[size_t(row)]].status) {
    case RecordStatus::Modified:
        return usModified;
    case RecordStatus::Inserted:
    case RecordStatus::Pending:
        return usInserted;
    case RecordStatus::Deleted:
        return usDeleted;
    default:
        return usUnmodified;
    }
}

TBookmark TClientDataSet::RowBookmark(int row) const
{
    if (row < 0 || row >= int(d->view.size()) ||
        d->records[d->view[size_t(row)]].status == RecordStatus::Pending)
        return TBookmark();
    return TBookmark(d->view[size_t(row)], d->generation);
}

int TClientDataSet::RowOfBookmark(const TBookmark &bookmark) const
{
    return BookmarkValid(bookmark) ? d->rowOf(bookmark.m_record) : -1;
}

TClientDataSet::TRowScope::TRowScope(const TClientDataSet &dataSet, int row)
    : m_dataSet(dataSet)
    , m_savedSlot(dataSet.d->contextActive ? dataSet.d->contextSlot : INT_MIN)
{
    dataSet.d->contextActive = true;
    dataSet.d->contextSlot = dataSet.d->slotOfRow(row);
}

TClientDataSet::TRowScope::~TRowScope()
{
    m_dataSet.d->contextActive = m_savedSlot != INT_MIN;
    m_dataSet.d->contextSlot = m_savedSlot == INT_MIN ? -1 : m_savedSlot;
}

qint64 TClientDataSet::DataSize() const
{
    return d->store.bytes() + qint64(d->records.capacity() * sizeof(DataInternal::RecordInfo)) +
           qint64((d->order.capacity() + d->view.capacity()) * sizeof(uint32_t)) +
           qint64(d->rowOfRecord.capacity() * sizeof(int));
}
