// Editing a dataset: insert, edit, post, cancel and delete, and the edit buffer behind them.
#include "client/data/clientdataset.h"

#include "client/data/clientdataset_p.h"
#include "client/data/datasource.h"
#include "client/data/formats.h"

#include <algorithm>
#include <climits>

using DataInternal::NoRecord;
using DataInternal::RecordInfo;
using DataInternal::RecordStatus;

// --- Editing ---------------------------------------------------------------------------------

void TClientDataSetPrivate::beginInsert(bool append)
{
    checkActive();
    q->CheckBrowseMode();
    checkCanModify();
    fire(q->BeforeInsert);
    fire(q->BeforeScroll);
    if (append && fetchOnDemand)
        fetchAll();
    const int oldPos = pos;
    const int slot = store.newSlot();
    RecordInfo info;
    info.cur = slot;
    info.status = RecordStatus::Pending;
    records.push_back(info);
    const uint32_t record = uint32_t(records.size() - 1);
    const int row = append || pos < 0 ? int(view.size()) : pos;
    insertBefore = row < int(view.size()) ? view[size_t(row)] : NoRecord;
    view.insert(view.begin() + row, record);
    invalidateRows();
    pos = row;
    editSlot = slot;
    editRecord = record;
    bof = eof = false;
    setState(dsInsert);
    TDataEventInfo inserted;
    inserted.Row = row;
    inserted.Count = 1;
    dataEvent(deRowsInserted, inserted);
    try {
        fire(q->OnNewRecord);
        computeCalcFields(editSlot);
    } catch (...) {
        view.erase(view.begin() + row);
        invalidateRows();
        records[record].status = RecordStatus::Dead;
        store.freeSlot(slot);
        editSlot = -1;
        editRecord = NoRecord;
        pos = oldPos;
        bof = eof = view.empty();
        setState(dsBrowse);
        TDataEventInfo removed;
        removed.Row = row;
        removed.Count = 1;
        dataEvent(deRowsRemoved, removed);
        throw;
    }
    modified = false;
    fire(q->AfterInsert);
    fire(q->AfterScroll);
}

void TClientDataSetPrivate::checkRequiredFields()
{
    for (const auto &field : fields) {
        if (field->Required() && !field->ReadOnly() && field->FieldKind() == fkData &&
            store.isNull(field->m_column, editSlot)) {
            field->FocusControl();
            DatabaseError(QStringLiteral("Field '%1' must have a value").arg(field->DisplayName()),
                          q);
        }
    }
}

void TClientDataSetPrivate::storeEditBuffer()
{
    RecordInfo &info = records[editRecord];
    if (state == dsInsert) {
        const auto at = insertBefore == NoRecord
                            ? order.end()
                            : std::find(order.begin(), order.end(), insertBefore);
        order.insert(at, editRecord);
        info.cur = editSlot;
        if (logChanges) {
            info.status = RecordStatus::Inserted;
            info.orig = -1;
            info.seq = nextSeq++;
            ++changeCount;
        } else {
            info.status = RecordStatus::Unmodified;
            info.orig = editSlot;
        }
    } else if (info.status == RecordStatus::Unmodified) {
        if (logChanges) {
            info.orig = info.cur;
            info.cur = editSlot;
            info.status = RecordStatus::Modified;
            info.seq = nextSeq++;
            ++changeCount;
        } else {
            store.freeSlot(info.cur);
            info.cur = info.orig = editSlot;
        }
    } else {
        store.freeSlot(info.cur);
        info.cur = editSlot;
    }
    editSlot = -1;
    editRecord = NoRecord;
    insertBefore = NoRecord;
    ++version;
}

// --- Editing ---------------------------------------------------------------------------------

void TClientDataSet::Append()
{
    d->beginInsert(true);
}

void TClientDataSet::Insert()
{
    d->beginInsert(false);
}

void TClientDataSet::Edit()
{
    d->checkActive();
    if (d->isEditing())
        return;
    if (d->view.empty()) {
        Insert();
        return;
    }
    CheckBrowseMode();
    d->checkCanModify();
    d->fire(BeforeEdit);
    if (d->isEditing() || d->view.empty() || d->pos < 0)
        return;
    const uint32_t record = d->view[size_t(d->pos)];
    const int slot = d->store.copySlot(d->records[record].cur);
    if (OnCalcFields) {
        try {
            d->computeCalcFields(slot);
        } catch (...) {
            d->store.freeSlot(slot);
            throw;
        }
    }
    d->editSlot = slot;
    d->editRecord = record;
    d->setState(dsEdit);
    d->modified = false;
    TDataEventInfo info;
    info.Row = d->pos;
    d->dataEvent(deRecordChange, info);
    d->fire(AfterEdit);
}

void TClientDataSet::Post()
{
    d->checkActive();
    UpdateRecord();
    if (!d->isEditing())
        return;
    d->dataEvent(deCheckBrowseMode);
    d->fire(BeforePost);
    if (!d->isEditing())
        return; // the handler posted or cancelled the record itself
    d->checkRequiredFields();
    d->computeCalcFields(d->editSlot);
    const uint32_t record = d->editRecord;
    const int row = d->pos;
    d->storeEditBuffer();

    // The posted record takes its place in the order and may leave a filtered view.
    TDataEvent event = deRecordChange;
    TDataEventInfo info;
    info.Row = row;
    if (d->filtered && !d->acceptRecord(record)) {
        d->view.erase(d->view.begin() + row);
        d->invalidateRows();
        d->pos = d->view.empty() ? -1 : std::min(row, int(d->view.size()) - 1);
        event = deRowsRemoved;
        info.Count = 1;
    } else if (!d->sortKeys.empty()) {
        d->view.erase(d->view.begin() + row);
        const auto at =
            std::upper_bound(d->view.begin(), d->view.end(), record,
                             [this](uint32_t a, uint32_t b) { return d->lessRecord(a, b); });
        const int newRow = int(at - d->view.begin());
        d->view.insert(at, record);
        d->invalidateRows();
        d->pos = newRow;
        if (newRow != row) {
            event = deRowMoved;
            info.FromRow = row;
            info.Row = newRow;
        }
    }
    d->bof = d->eof = d->view.empty();
    d->setState(dsBrowse);
    d->dataEvent(event, info);
    d->fire(AfterPost);
}

void TClientDataSet::Cancel()
{
    if (!d->isEditing())
        return;
    d->dataEvent(deCheckBrowseMode);
    d->fire(BeforeCancel);
    if (!d->isEditing())
        return;
    const bool inserting = d->state == dsInsert;
    if (inserting) {
        d->fire(BeforeScroll);
        if (d->state != dsInsert)
            return;
    }
    const int row = d->pos;
    if (inserting) {
        d->view.erase(d->view.begin() + row);
        d->invalidateRows();
        d->records[d->editRecord].status = RecordStatus::Dead;
        d->pos = d->view.empty() ? -1 : std::min(row, int(d->view.size()) - 1);
    }
    d->store.freeSlot(d->editSlot);
    d->editSlot = -1;
    d->editRecord = NoRecord;
    d->insertBefore = NoRecord;
    d->bof = d->eof = d->view.empty();
    d->setState(dsBrowse);
    TDataEventInfo info;
    info.Row = row;
    if (inserting) {
        info.Count = 1;
        d->dataEvent(deRowsRemoved, info);
    } else {
        d->dataEvent(deRecordChange, info);
    }
    d->fire(AfterCancel);
    if (inserting)
        d->fire(AfterScroll);
}

void TClientDataSet::Delete()
{
    d->checkActive();
    if (d->state == dsInsert) {
        Cancel();
        return;
    }
    if (d->view.empty())
        DatabaseError(QStringLiteral("Cannot perform this operation on an empty dataset"), this);
    d->checkCanModify();
    d->dataEvent(deCheckBrowseMode);
    d->fire(BeforeDelete);
    d->fire(BeforeScroll);
    if (d->view.empty() || d->pos < 0 || d->state == dsInsert)
        return; // the handlers emptied the dataset or started an insert
    if (d->state == dsEdit) {
        d->store.freeSlot(d->editSlot);
        d->editSlot = -1;
        d->editRecord = NoRecord;
    }
    const int row = d->pos;
    const uint32_t record = d->view[size_t(row)];
    RecordInfo &info = d->records[record];
    auto removeFromOrder = [&] {
        d->order.erase(std::find(d->order.begin(), d->order.end(), record));
    };
    switch (info.status) {
    case RecordStatus::Unmodified:
        if (d->logChanges) {
            info.status = RecordStatus::Deleted;
            info.seq = d->nextSeq++;
            ++d->changeCount;
        } else {
            d->store.freeSlot(info.cur);
            info.status = RecordStatus::Dead;
            removeFromOrder();
        }
        break;
    case RecordStatus::Modified:
        d->store.freeSlot(info.cur);
        info.cur = info.orig;
        info.status = RecordStatus::Deleted;
        break;
    case RecordStatus::Inserted:
        d->store.freeSlot(info.cur);
        info.status = RecordStatus::Dead;
        removeFromOrder();
        --d->changeCount;
        break;
    default:
        break;
    }
    d->view.erase(d->view.begin() + row);
    d->invalidateRows();
    d->pos = d->view.empty() ? -1 : std::min(row, int(d->view.size()) - 1);
    d->bof = d->eof = d->view.empty();
    ++d->version;
    d->setState(dsBrowse);
    TDataEventInfo removed;
    removed.Row = row;
    removed.Count = 1;
    d->dataEvent(deRowsRemoved, removed);
    d->fire(AfterDelete);
    d->fire(AfterScroll);
}

void TClientDataSet::CheckBrowseMode()
{
    d->checkActive();
    d->dataEvent(deCheckBrowseMode);
    if (d->isEditing()) {
        UpdateRecord();
        if (d->modified)
            Post();
        else
            Cancel();
    }
}

static void assignInOrder(TClientDataSet &dataSet, const QVariantList &values)
{
    for (int i = 0; i < values.size() && i < dataSet.FieldCount(); ++i) {
        if (!values[i].isValid())
            continue;
        dataSet.Fields(i)->SetValue(values[i]);
    }
}

void TClientDataSet::AppendRecord(const QVariantList &values)
{
    Append();
    try {
        assignInOrder(*this, values);
        Post();
    } catch (...) {
        Cancel();
        throw;
    }
}

void TClientDataSet::InsertRecord(const QVariantList &values)
{
    Insert();
    try {
        assignInOrder(*this, values);
        Post();
    } catch (...) {
        Cancel();
        throw;
    }
}

void TClientDataSet::UpdateRecord()
{
    if (!d->isEditing())
        DatabaseError(QStringLiteral("Dataset not in edit or insert mode"), this);
    d->dataEvent(deUpdateRecord);
}

bool TClientDataSet::Modified() const
{
    return d->modified;
}

bool TClientDataSet::CanModify() const
{
    return !d->readOnly;
}

bool TClientDataSet::ReadOnly() const
{
    return d->readOnly;
}

void TClientDataSet::SetReadOnly(bool readOnly)
{
    d->readOnly = readOnly;
}
