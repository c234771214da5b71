// The change log of a client dataset: status of records, undoing and merging changes, the
// delta sent to the provider and the reconciliation of the rows it rejected.
#include "client/data/clientdataset.h"
#include "client/data/clientdataset_p.h"

#include <algorithm>
#include <exception>

using DataInternal::NoRecord;
using DataInternal::RecordStatus;

std::vector<TField *> TClientDataSetPrivate::dataFields() const
{
    std::vector<TField *> result;
    for (const auto &field : fields) {
        if (field->FieldKind() == fkData)
            result.push_back(field.get());
    }
    return result;
}

QVariantList TClientDataSetPrivate::slotValues(int slot, const std::vector<TField *> &data) const
{
    QVariantList values;
    values.reserve(qsizetype(data.size()));
    for (TField *field : data)
        values.append(slot < 0 ? QVariant() : store.value(field->m_column, slot));
    return values;
}

void TClientDataSetPrivate::mergeRecord(uint32_t record)
{
    RecordInfo &info = records[record];
    switch (info.status) {
    case RecordStatus::Modified:
        store.freeSlot(info.orig);
        info.orig = info.cur;
        break;
    case RecordStatus::Inserted:
        info.orig = info.cur;
        break;
    case RecordStatus::Deleted:
        store.freeSlot(info.cur);
        info.status = RecordStatus::Dead;
        --changeCount;
        return;
    default:
        return;
    }
    info.status = RecordStatus::Unmodified;
    info.seq = 0;
    --changeCount;
}

void TClientDataSetPrivate::revertRecord(uint32_t record)
{
    RecordInfo &info = records[record];
    switch (info.status) {
    case RecordStatus::Modified:
        store.freeSlot(info.cur);
        info.cur = info.orig;
        break;
    case RecordStatus::Inserted:
        store.freeSlot(info.cur);
        info.status = RecordStatus::Dead;
        --changeCount;
        return;
    case RecordStatus::Deleted:
        break;
    default:
        return;
    }
    info.status = RecordStatus::Unmodified;
    info.seq = 0;
    --changeCount;
}

int TClientDataSet::ChangeCount() const
{
    return d->changeCount;
}

TUpdateStatus TClientDataSet::UpdateStatus() const
{
    if (d->state == dsInsert)
        return usInserted;
    return RowUpdateStatus(d->pos);
}

bool TClientDataSet::LogChanges() const
{
    return d->logChanges;
}

void TClientDataSet::SetLogChanges(bool on)
{
    d->logChanges = on;
}

void TClientDataSet::CancelUpdates()
{
    if (!Active())
        return;
    Cancel();
    const uint32_t current = d->pos >= 0 ? d->view[size_t(d->pos)] : NoRecord;
    const int row = d->pos;
    for (uint32_t id = 0; id < d->records.size(); ++id)
        d->revertRecord(id);
    d->purgeDeadFromOrder();
    d->changeCount = 0;
    d->nextSeq = 1;
    d->rebuildView();
    d->restorePosition(current, row);
    d->dataEvent(deDataSetChange);
}

void TClientDataSet::RevertRecord()
{
    d->checkActive();
    if (d->isEditing())
        Cancel();
    if (d->pos < 0)
        return;
    const uint32_t record = d->view[size_t(d->pos)];
    const int row = d->pos;
    d->revertRecord(record);
    d->purgeDeadFromOrder();
    d->rebuildView();
    d->restorePosition(record, row);
    d->dataEvent(deDataSetChange);
}

void TClientDataSet::MergeChangeLog()
{
    d->checkActive();
    CheckBrowseMode();
    for (uint32_t id = 0; id < d->records.size(); ++id)
        d->mergeRecord(id);
    d->purgeDeadFromOrder();
    d->changeCount = 0;
    d->nextSeq = 1;
    ++d->version;
}

TDelta TClientDataSetPrivate::buildDelta(std::vector<uint32_t> *rowRecords) const
{
    TDelta delta;
    const std::vector<TField *> data = dataFields();
    for (TField *field : data) {
        TFieldDef def;
        def.Name = field->FieldName();
        def.DataType = field->DataType();
        def.Size = field->Size();
        def.Required = field->Required();
        def.ReadOnly = field->ReadOnly();
        def.ProviderFlags = field->ProviderFlags();
        def.Origin = field->Origin();
        delta.FieldDefs.append(def);
    }
    std::vector<uint32_t> changed;
    for (uint32_t id : order) {
        const RecordStatus status = records[id].status;
        if (status == RecordStatus::Modified || status == RecordStatus::Inserted ||
            status == RecordStatus::Deleted)
            changed.push_back(id);
    }
    std::stable_sort(changed.begin(), changed.end(),
                     [this](uint32_t a, uint32_t b) { return records[a].seq < records[b].seq; });
    for (uint32_t id : changed) {
        const RecordInfo &info = records[id];
        TDeltaRow row;
        switch (info.status) {
        case RecordStatus::Modified:
            row.UpdateKind = ukModify;
            row.OldValues = slotValues(info.orig, data);
            row.NewValues = slotValues(info.cur, data);
            for (TField *field : data)
                row.Changed.append(!store.sameValue(field->m_column, info.orig, info.cur));
            break;
        case RecordStatus::Inserted:
            row.UpdateKind = ukInsert;
            row.NewValues = slotValues(info.cur, data);
            for (TField *field : data)
                row.Changed.append(!store.isNull(field->m_column, info.cur));
            break;
        default:
            row.UpdateKind = ukDelete;
            row.OldValues = slotValues(info.orig, data);
            row.Changed = QList<bool>(qsizetype(data.size()), false);
            break;
        }
        delta.Rows.append(row);
        if (rowRecords)
            rowRecords->push_back(id);
    }
    return delta;
}

TDelta TClientDataSet::Delta() const
{
    return d->buildDelta(nullptr);
}

int TClientDataSet::ApplyUpdates(int maxErrors)
{
    TApplyTicket ticket;
    if (!BeginApply(ticket))
        return 0;
    TakeDelta(ticket);
    const TApplyResult result =
        d->server->ApplyUpdates(d->providerName, d->commandText, maxErrors, ticket.m_delta);
    return FinishApply(ticket, result);
}

bool TClientDataSet::BeginApply(TApplyTicket &ticket)
{
    d->checkActive();
    CheckBrowseMode();
    if (d->changeCount == 0)
        return false;
    if (!d->server || d->providerName.isEmpty())
        DatabaseError(QStringLiteral("Missing data provider"), this);
    ticket = TApplyTicket();
    if (BeforeApplyUpdates) {
        TRemoteEvent handler = BeforeApplyUpdates;
        handler(*this, ticket.m_ownerData);
    }
    return true;
}

void TClientDataSet::TakeDelta(TApplyTicket &ticket)
{
    // The handlers may have edited records (link fields, renumbering): post them.
    CheckBrowseMode();
    ticket.m_records.clear();
    ticket.m_delta = d->buildDelta(&ticket.m_records);
}

int TClientDataSet::FinishApply(TApplyTicket &ticket, const TApplyResult &result)
{
    // What the server stored leaves the log even when the handler raises: sent again, it
    // would be stored twice.
    std::exception_ptr handlerError;
    if (AfterApplyUpdates) {
        try {
            TRemoteEvent handler = AfterApplyUpdates;
            handler(*this, ticket.m_ownerData);
        } catch (...) {
            handlerError = std::current_exception();
        }
    }
    d->reconcile(result, ticket.m_delta, ticket.m_records);
    if (handlerError)
        std::rethrow_exception(handlerError);
    return int(result.Errors.size());
}

TBookmark TClientDataSet::DeltaRecord(const TApplyTicket &ticket, int row) const
{
    if (row < 0 || size_t(row) >= ticket.m_records.size())
        return {};
    return TBookmark(ticket.m_records[size_t(row)], d->generation);
}

// Rows the server stored leave the log; each rejected row is handed to OnReconcileError and
// treated by the action it chooses. The view is rebuilt once at the end.
void TClientDataSetPrivate::reconcile(const TApplyResult &result, const TDelta &delta,
                                      const std::vector<uint32_t> &rowRecords)
{
    const uint32_t current = pos >= 0 && pos < int(view.size()) ? view[size_t(pos)] : NoRecord;
    const int currentRow = pos;
    std::vector<bool> failed(rowRecords.size(), false);
    for (const TUpdateError &error : result.Errors) {
        if (error.RowIndex >= 0 && size_t(error.RowIndex) < failed.size())
            failed[size_t(error.RowIndex)] = true;
    }
    if (!result.RolledBack) {
        for (size_t i = 0; i < rowRecords.size(); ++i) {
            if (!failed[i])
                mergeRecord(rowRecords[i]);
        }
    }

    const std::vector<TField *> data = dataFields();
    bool aborted = false;
    std::exception_ptr handlerError;
    for (const TUpdateError &error : result.Errors) {
        if (aborted || error.RowIndex < 0 || size_t(error.RowIndex) >= rowRecords.size())
            continue;
        const uint32_t record = rowRecords[size_t(error.RowIndex)];
        const TDeltaRow &row = delta.Rows[error.RowIndex];
        EReconcileError e(error.Message, error.ErrorCode, row.UpdateKind);
        e.Record = TBookmark(record, generation);
        for (int i = 0; i < int(data.size()); ++i) {
            TReconcileField field;
            field.FieldName = data[size_t(i)]->FieldName();
            if (row.UpdateKind != ukInsert)
                field.OldValue = row.OldValues.value(i);
            if (row.UpdateKind != ukDelete && row.Changed.value(i)) {
                field.NewValue = row.NewValues.value(i);
                field.NewValueAssigned = true;
            }
            if (i < error.CurValues.size()) {
                field.CurValue = error.CurValues[i];
                field.CurValueAssigned = true;
            }
            e.Fields.append(field);
        }
        TReconcileAction action = raSkip;
        if (q->OnReconcileError) {
            try {
                TReconcileErrorEvent handler = q->OnReconcileError;
                handler(*q, e, row.UpdateKind, action);
            } catch (...) {
                // A failing handler ends the reconciliation like raAbort; the error is raised
                // once the log is consistent again.
                handlerError = std::current_exception();
                aborted = true;
                continue;
            }
        }
        RecordInfo &info = records[record];
        const bool haveCurrent = !error.CurValues.isEmpty();
        switch (action) {
        case raSkip:
            break;
        case raAbort:
            aborted = true;
            break;
        case raMerge:
            // The server's row becomes the original; the client's changes stay on top of it.
            if (haveCurrent && info.status == RecordStatus::Modified) {
                for (int i = 0; i < int(data.size()); ++i) {
                    const int column = data[size_t(i)]->m_column;
                    if (!row.Changed.value(i))
                        store.setValue(column, info.cur, error.CurValues.value(i));
                    store.setValue(column, info.orig, error.CurValues.value(i));
                }
            } else if (haveCurrent && info.status == RecordStatus::Deleted) {
                for (int i = 0; i < int(data.size()); ++i)
                    store.setValue(data[size_t(i)]->m_column, info.orig, error.CurValues.value(i));
            }
            break;
        case raCorrect:
            if (info.status == RecordStatus::Modified || info.status == RecordStatus::Inserted) {
                for (int i = 0; i < int(data.size()) && i < e.Fields.size(); ++i) {
                    if (e.Fields[i].NewValueAssigned)
                        store.setValue(data[size_t(i)]->m_column, info.cur, e.Fields[i].NewValue);
                }
            }
            break;
        case raCancel:
            revertRecord(record);
            break;
        case raRefresh:
            revertRecord(record);
            if (haveCurrent && info.status == RecordStatus::Unmodified) {
                for (int i = 0; i < int(data.size()); ++i)
                    store.setValue(data[size_t(i)]->m_column, info.cur, error.CurValues.value(i));
            }
            break;
        }
    }
    purgeDeadFromOrder();
    rebuildView();
    restorePosition(current, currentRow);
    dataEvent(deDataSetChange);
    if (handlerError)
        std::rethrow_exception(handlerError);
}
