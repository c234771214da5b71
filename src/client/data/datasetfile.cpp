// Local files of client datasets: field definitions, records and their change log in one
// binary stream, so that a document's lines can be kept on disk and applied later.
//
// Layout (QDataStream, Qt 6.4): magic "VZCD", format version, field definitions, record
// count, then per record its status, change sequence, original values (modified and deleted
// records) and current values (all but deleted records).
#include "client/data/clientdataset.h"
#include "client/data/clientdataset_p.h"

#include <QBuffer>
#include <QDataStream>
#include <QFile>
#include <QSaveFile>

using DataInternal::RecordStatus;
using DataInternal::Storage;

namespace {

constexpr quint32 Magic = 0x565A4344; // "VZCD"
constexpr quint16 FormatVersion = 1;

void writeCell(QDataStream &out, const DataInternal::RecordStore &store, int column, int slot)
{
    const bool null = store.isNull(column, slot);
    out << quint8(null ? 1 : 0);
    if (null)
        return;
    switch (store.kind(column)) {
    case Storage::Int32:
    case Storage::Date:
    case Storage::Time:
        out << store.int32(column, slot);
        break;
    case Storage::Int64:
    case Storage::DateTime:
        out << store.int64(column, slot);
        break;
    case Storage::Double:
        out << store.float64(column, slot);
        break;
    case Storage::Bool:
        out << store.boolean(column, slot);
        break;
    case Storage::Text: {
        const std::string_view text = store.utf8(column, slot);
        out << QByteArray(text.data(), qsizetype(text.size()));
        break;
    }
    case Storage::Blob:
        out << store.blob(column, slot);
        break;
    }
}

// Reads one cell of the given kind; stores it when column >= 0.
void readCell(QDataStream &in, DataInternal::RecordStore &store, Storage kind, int column, int slot)
{
    quint8 null = 0;
    in >> null;
    if (null) {
        if (column >= 0)
            store.setNull(column, slot);
        return;
    }
    switch (kind) {
    case Storage::Int32:
    case Storage::Date:
    case Storage::Time: {
        qint32 v = 0;
        in >> v;
        if (column >= 0)
            store.setInt32(column, slot, v);
        break;
    }
    case Storage::Int64:
    case Storage::DateTime: {
        qint64 v = 0;
        in >> v;
        if (column >= 0)
            store.setInt64(column, slot, v);
        break;
    }
    case Storage::Double: {
        double v = 0;
        in >> v;
        if (column >= 0)
            store.setFloat64(column, slot, v);
        break;
    }
    case Storage::Bool: {
        bool v = false;
        in >> v;
        if (column >= 0)
            store.setBoolean(column, slot, v);
        break;
    }
    case Storage::Text: {
        QByteArray v;
        in >> v;
        if (column >= 0)
            store.setUtf8(column, slot, v.constData(), v.size());
        break;
    }
    case Storage::Blob: {
        QByteArray v;
        in >> v;
        if (column >= 0)
            store.setBlob(column, slot, v);
        break;
    }
    }
}

} // namespace

void TClientDataSetPrivate::writeStream(QDataStream &out) const
{
    const std::vector<TField *> data = dataFields();
    out << Magic << FormatVersion << qint32(data.size());
    for (TField *field : data) {
        out << field->FieldName() << qint32(field->DataType()) << qint32(field->Size())
            << field->Required() << field->ReadOnly() << qint32(field->ProviderFlags().toInt())
            << field->Origin() << qint32(0);
    }
    qint32 count = 0;
    for (uint32_t id : order)
        count += records[id].status != RecordStatus::Dead ? 1 : 0;
    out << count;
    for (uint32_t id : order) {
        const RecordInfo &info = records[id];
        if (info.status == RecordStatus::Dead)
            continue;
        out << quint8(info.status) << quint32(info.seq);
        if (info.status == RecordStatus::Modified || info.status == RecordStatus::Deleted) {
            for (TField *field : data)
                writeCell(out, store, field->m_column, info.orig);
        }
        if (info.status != RecordStatus::Deleted) {
            for (TField *field : data)
                writeCell(out, store, field->m_column, info.cur);
        }
    }
}

void TClientDataSetPrivate::readRecords(QDataStream &in)
{
    const QList<TFieldDef> &defs = fieldDefs.Items();
    qint32 count = 0;
    in >> count;
    if (count < 0)
        DatabaseError(QStringLiteral("The data file is damaged"), q);
    store.reserve(count);
    auto readSlot = [&] {
        const int slot = store.newSlot();
        for (int i = 0; i < defs.size(); ++i)
            readCell(in, store, DataInternal::storageFor(defs[i].DataType), packetColumns[i], slot);
        return slot;
    };
    const bool calc = q->OnCalcFields != nullptr;
    for (qint32 n = 0; n < count; ++n) {
        quint8 status = 0;
        quint32 seq = 0;
        in >> status >> seq;
        if (status > quint8(RecordStatus::Deleted))
            DatabaseError(QStringLiteral("The data file is damaged"), q);
        const auto recordStatus = RecordStatus(status);
        int orig = -1;
        int cur = -1;
        if (recordStatus == RecordStatus::Modified || recordStatus == RecordStatus::Deleted)
            orig = readSlot();
        if (recordStatus != RecordStatus::Deleted)
            cur = readSlot();
        if (recordStatus == RecordStatus::Deleted)
            cur = orig;
        if (recordStatus == RecordStatus::Unmodified)
            orig = cur;
        if (calc && recordStatus != RecordStatus::Deleted)
            computeCalcFields(cur);
        addLoadedRecord(cur, recordStatus, orig, seq);
        if (recordStatus != RecordStatus::Unmodified) {
            ++changeCount;
            nextSeq = std::max(nextSeq, seq + 1);
        }
        if (in.status() != QDataStream::Ok)
            DatabaseError(QStringLiteral("The data file is damaged"), q);
    }
    store.shrinkToFit();
}

void TClientDataSet::SaveToStream(QIODevice &device)
{
    d->checkActive();
    CheckBrowseMode();
    QDataStream out(&device);
    out.setVersion(QDataStream::Qt_6_4);
    d->writeStream(out);
    if (out.status() != QDataStream::Ok)
        DatabaseError(QStringLiteral("Cannot write the data"), this);
}

void TClientDataSet::LoadFromStream(QIODevice &device)
{
    Close();
    QDataStream in(&device);
    in.setVersion(QDataStream::Qt_6_4);
    d->openFrom(TClientDataSetPrivate::Source::Stream, &in);
}

void TClientDataSet::SaveToFile(const QString &fileName)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        DatabaseError(
            QStringLiteral("Cannot create file \"%1\": %2").arg(fileName, file.errorString()),
            this);
    SaveToStream(file);
    if (!file.commit())
        DatabaseError(
            QStringLiteral("Cannot write file \"%1\": %2").arg(fileName, file.errorString()), this);
}

void TClientDataSet::LoadFromFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        DatabaseError(
            QStringLiteral("Cannot open file \"%1\": %2").arg(fileName, file.errorString()), this);
    LoadFromStream(file);
}

QByteArray TClientDataSet::Data() const
{
    if (!Active())
        return QByteArray();
    if (d->isEditing())
        DatabaseError(QStringLiteral("Dataset in edit or insert mode"), this);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QDataStream out(&buffer);
    out.setVersion(QDataStream::Qt_6_4);
    d->writeStream(out);
    return bytes;
}

void TClientDataSet::SetData(const QByteArray &data)
{
    if (data.isEmpty()) {
        Close();
        return;
    }
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    LoadFromStream(buffer);
}
