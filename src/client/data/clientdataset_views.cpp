// The dataset's views: which records a filter lets through and in which order they stand.
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

// --- Views -----------------------------------------------------------------------------------

bool TClientDataSetPrivate::acceptRecord(uint32_t record)
{
    if (!filtered)
        return true;
    const bool hasHandler = q->OnFilterRecord != nullptr;
    if (!filterExpression && !hasHandler)
        return true;
    SlotContext context(this, records[record].cur, dsFilter);
    if (filterExpression && !filterExpression->accepts())
        return false;
    if (hasHandler) {
        bool accept = true;
        TFilterRecordEvent handler = q->OnFilterRecord;
        handler(*q, accept);
        return accept;
    }
    return true;
}

void TClientDataSetPrivate::buildSortKeys()
{
    sortKeys.clear();
    if (!indexFieldNames.isEmpty()) {
        for (TField *field : fieldList(indexFieldNames))
            sortKeys.push_back({field, false, false});
        return;
    }
    if (indexName.isEmpty() || indexName.compare(u"DEFAULT_ORDER", Qt::CaseInsensitive) == 0)
        return;
    const TIndexDef *def = indexDefs.Find(indexName);
    if (!def)
        DatabaseError(QStringLiteral("Index '%1' not found").arg(indexName), q);
    const QStringList desc = splitNames(def->DescFields);
    const QStringList caseIns = splitNames(def->CaseInsFields);
    for (TField *field : fieldList(def->Fields)) {
        DataInternal::SortKey key{field, false, false};
        key.descending =
            (def->Options & ixDescending) || desc.contains(field->FieldName(), Qt::CaseInsensitive);
        key.caseInsensitive = (def->Options & ixCaseInsensitive) ||
                              caseIns.contains(field->FieldName(), Qt::CaseInsensitive);
        sortKeys.push_back(key);
    }
}

int TClientDataSetPrivate::compareRecords(uint32_t a, uint32_t b) const
{
    const int slotA = a == editRecord && isEditing() ? editSlot : records[a].cur;
    const int slotB = b == editRecord && isEditing() ? editSlot : records[b].cur;
    for (const DataInternal::SortKey &key : sortKeys) {
        int c = 0;
        if (key.field->m_column >= 0) {
            c = store.compare(key.field->m_column, slotA, slotB, key.caseInsensitive);
        } else {
            auto *self = const_cast<TClientDataSetPrivate *>(this);
            QVariant va, vb;
            {
                SlotContext context(self, slotA, state);
                va = key.field->Value();
            }
            {
                SlotContext context(self, slotB, state);
                vb = key.field->Value();
            }
            c = QVariant::compare(va, vb) == QPartialOrdering::Less      ? -1
                : QVariant::compare(va, vb) == QPartialOrdering::Greater ? 1
                                                                         : 0;
            if (!va.isValid() || !vb.isValid())
                c = va.isValid() == vb.isValid() ? 0 : (va.isValid() ? 1 : -1);
        }
        if (c != 0)
            return key.descending ? -c : c;
    }
    return 0;
}

bool TClientDataSetPrivate::lessRecord(uint32_t a, uint32_t b) const
{
    return compareRecords(a, b) < 0;
}

void TClientDataSetPrivate::rebuildView()
{
    view.clear();
    view.reserve(order.size());
    for (uint32_t id : order) {
        const RecordStatus status = records[id].status;
        if (status == RecordStatus::Deleted || status == RecordStatus::Dead)
            continue;
        if (!filtered || acceptRecord(id))
            view.push_back(id);
    }
    if (!sortKeys.empty())
        std::stable_sort(view.begin(), view.end(),
                         [this](uint32_t a, uint32_t b) { return lessRecord(a, b); });
    invalidateRows();
    ++version;
}

// The view holds every live record the previous filter accepted, in arrival order, and the
// current filter accepts none beyond them (Expression::narrows): testing the view's records
// gives what rebuildView gives.
void TClientDataSetPrivate::narrowView()
{
    std::vector<uint32_t> kept;
    kept.reserve(view.size());
    for (uint32_t id : view) {
        if (acceptRecord(id))
            kept.push_back(id);
    }
    view.swap(kept);
    invalidateRows();
    ++version;
}

int TClientDataSetPrivate::rowOf(uint32_t record) const
{
    if (record == NoRecord || record >= records.size())
        return -1;
    if (!rowIndexValid) {
        rowOfRecord.assign(records.size(), -1);
        for (size_t row = 0; row < view.size(); ++row)
            rowOfRecord[view[row]] = int(row);
        rowIndexValid = true;
    }
    return record < rowOfRecord.size() ? rowOfRecord[record] : -1;
}

void TClientDataSetPrivate::restorePosition(uint32_t record, int fallbackRow)
{
    const int row = rowOf(record);
    if (row >= 0)
        pos = row;
    else if (view.empty())
        pos = -1;
    else
        pos = std::clamp(fallbackRow, 0, int(view.size()) - 1);
    bof = view.empty();
    eof = view.empty();
}

void TClientDataSetPrivate::scrolled(int oldPos)
{
    TDataEventInfo info;
    info.Row = pos;
    info.FromRow = oldPos;
    info.Distance = pos - oldPos;
    dataEvent(deDataSetScroll, info);
}

void TClientDataSetPrivate::purgeDeadFromOrder()
{
    order.erase(
        std::remove_if(order.begin(), order.end(),
                       [this](uint32_t id) { return records[id].status == RecordStatus::Dead; }),
        order.end());
}

// --- Filter and order ------------------------------------------------------------------------

const QString &TClientDataSet::Filter() const
{
    return d->filterText;
}

void TClientDataSet::SetFilter(const QString &filter)
{
    if (filter == d->filterText)
        return;
    std::shared_ptr<DataInternal::Expression> expression;
    if (Active() && !filter.trimmed().isEmpty()) {
        expression = DataInternal::Expression::parse(filter, *this, false);
        expression->setOptions(d->filterOptions);
    }
    if (Active() && d->filtered)
        CheckBrowseMode();
    // Typing a code one character further keeps a subset of the rows: only they are tested.
    const bool narrowing = Active() && d->filtered && expression && d->filterExpression &&
                           !OnFilterRecord && d->sortKeys.empty() &&
                           expression->narrows(*d->filterExpression);
    d->filterText = filter;
    d->filterExpression = expression;
    if (Active() && d->filtered) {
        if (narrowing)
            d->narrowView();
        else
            d->rebuildView();
        d->pos = d->view.empty() ? -1 : 0;
        d->dataEvent(deDataSetChange);
        First();
    }
}

bool TClientDataSet::Filtered() const
{
    return d->filtered;
}

void TClientDataSet::SetFiltered(bool filtered)
{
    if (d->filtered == filtered)
        return;
    if (!Active()) {
        d->filtered = filtered;
        return;
    }
    CheckBrowseMode();
    if (filtered && !d->filterExpression && !d->filterText.trimmed().isEmpty()) {
        d->filterExpression = DataInternal::Expression::parse(d->filterText, *this, false);
        d->filterExpression->setOptions(d->filterOptions);
    }
    d->filtered = filtered;
    d->rebuildView();
    d->pos = d->view.empty() ? -1 : 0;
    d->dataEvent(deDataSetChange);
    First();
}

TFilterOptions TClientDataSet::FilterOptions() const
{
    return d->filterOptions;
}

void TClientDataSet::SetFilterOptions(TFilterOptions options)
{
    if (d->filterOptions == options)
        return;
    d->filterOptions = options;
    if (d->filterExpression) {
        d->filterExpression->setOptions(options);
    }
    if (Active() && d->filtered) {
        CheckBrowseMode();
        d->rebuildView();
        d->pos = d->view.empty() ? -1 : 0;
        d->dataEvent(deDataSetChange);
        First();
    }
}

TIndexDefs &TClientDataSet::IndexDefs()
{
    return d->indexDefs;
}

const QString &TClientDataSet::IndexName() const
{
    return d->indexName;
}

// Switching the order keeps the current record and fires no scroll events.
static void applyOrder(TClientDataSetPrivate *d, const QString &indexName,
                       const QString &fieldNames)
{
    if (d->state != dsInactive)
        d->q->CheckBrowseMode();
    const QString oldName = d->indexName;
    const QString oldFields = d->indexFieldNames;
    d->indexName = indexName;
    d->indexFieldNames = fieldNames;
    if (d->state == dsInactive)
        return;
    try {
        d->buildSortKeys();
    } catch (...) {
        d->indexName = oldName;
        d->indexFieldNames = oldFields;
        d->buildSortKeys();
        throw;
    }
    if (!d->sortKeys.empty())
        d->fetchAll();
    const uint32_t current = d->pos >= 0 ? d->view[size_t(d->pos)] : NoRecord;
    d->rebuildView();
    d->restorePosition(current, 0);
    d->bof = d->eof = d->view.empty();
    d->dataEvent(deDataSetChange);
}

void TClientDataSet::SetIndexName(const QString &name)
{
    if (name == d->indexName && d->indexFieldNames.isEmpty())
        return;
    applyOrder(d.get(), name, QString());
}

const QString &TClientDataSet::IndexFieldNames() const
{
    return d->indexFieldNames;
}

void TClientDataSet::SetIndexFieldNames(const QString &fieldNames)
{
    if (fieldNames == d->indexFieldNames && d->indexName.isEmpty())
        return;
    applyOrder(d.get(), QString(), fieldNames);
}

void TClientDataSet::AddIndex(const QString &name, const QString &fields, TIndexOptions options,
                              const QString &descFields, const QString &caseInsFields)
{
    if (Active())
        d->fieldList(fields); // refuses missing fields now rather than at selection
    TIndexDef &def = d->indexDefs.Add(name, fields, options);
    def.DescFields = descFields;
    def.CaseInsFields = caseInsFields;
}

void TClientDataSet::DeleteIndex(const QString &name)
{
    if (d->indexName.compare(name, Qt::CaseInsensitive) == 0)
        applyOrder(d.get(), QString(), QString());
    d->indexDefs.Remove(name);
}

TAggregates &TClientDataSet::Aggregates()
{
    return d->aggregates;
}

bool TClientDataSet::AggregatesActive() const
{
    return d->aggregatesActive;
}

void TClientDataSet::SetAggregatesActive(bool active)
{
    d->aggregatesActive = active;
}
