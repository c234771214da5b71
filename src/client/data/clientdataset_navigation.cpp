// Moving through a dataset: first, last, by rows, to a bookmark, and locating by key values.
#include "client/data/clientdataset.h"

#include "client/data/clientdataset_p.h"
#include "client/data/datasource.h"
#include "client/data/formats.h"

#include <algorithm>
#include <climits>

using DataInternal::NoRecord;
using DataInternal::RecordInfo;
using DataInternal::RecordStatus;

// --- Navigation ------------------------------------------------------------------------------

void TClientDataSet::First()
{
    d->checkActive();
    CheckBrowseMode();
    d->fire(BeforeScroll);
    const int old = d->pos;
    d->pos = d->view.empty() ? -1 : 0;
    d->bof = true;
    d->eof = d->view.empty();
    d->scrolled(old);
    d->fire(AfterScroll);
}

void TClientDataSet::Last()
{
    d->checkActive();
    CheckBrowseMode();
    d->fire(BeforeScroll);
    if (d->fetchOnDemand)
        d->fetchAll();
    const int old = d->pos;
    d->pos = int(d->view.size()) - 1;
    d->eof = true;
    d->bof = d->view.empty();
    d->scrolled(old);
    d->fire(AfterScroll);
}

void TClientDataSet::Next()
{
    MoveBy(1);
}

void TClientDataSet::Prior()
{
    MoveBy(-1);
}

int TClientDataSet::MoveBy(int distance)
{
    d->checkActive();
    CheckBrowseMode();
    d->fire(BeforeScroll);
    if (!((distance > 0 && !d->eof) || (distance < 0 && !d->bof)))
        return 0;
    d->bof = d->eof = false;
    const int old = d->pos;
    int moved = 0;
    while (distance > 0) {
        if (d->pos + 1 < int(d->view.size())) {
            ++d->pos;
        } else if (d->fetchOnDemand && d->cursorOpen && d->fetchMore(d->packetRecords, false) > 0) {
            continue;
        } else {
            d->eof = true;
            break;
        }
        --distance;
        ++moved;
    }
    while (distance < 0) {
        if (d->pos > 0) {
            --d->pos;
        } else {
            d->bof = true;
            break;
        }
        ++distance;
        --moved;
    }
    d->scrolled(old);
    d->fire(AfterScroll);
    return moved;
}

bool TClientDataSet::Bof() const
{
    return d->bof;
}

bool TClientDataSet::Eof() const
{
    return d->eof;
}

bool TClientDataSet::IsEmpty() const
{
    return d->view.empty();
}

int TClientDataSet::RecordCount() const
{
    if (d->state == dsInactive)
        return 0;
    return int(d->view.size()) - (d->state == dsInsert ? 1 : 0);
}

int TClientDataSet::RecNo() const
{
    if (d->state == dsInsert || d->pos < 0 || d->view.empty())
        return -1;
    return d->pos + 1;
}

void TClientDataSet::SetRecNo(int recNo)
{
    MoveToRow(recNo - 1);
}

void TClientDataSet::MoveToRow(int row)
{
    d->checkActive();
    CheckBrowseMode();
    if (row < 0)
        return;
    while (row >= int(d->view.size()) && d->fetchOnDemand && d->cursorOpen)
        d->fetchMore(d->packetRecords, false);
    if (row >= int(d->view.size()))
        return;
    d->fire(BeforeScroll);
    const int old = d->pos;
    d->pos = row;
    d->bof = d->eof = false;
    d->scrolled(old);
    d->fire(AfterScroll);
}

bool TClientDataSetPrivate::matchesKeys(int slot, const QList<TField *> &keyFields,
                                        const QVariantList &values, TLocateOptions options) const
{
    auto *self = const_cast<TClientDataSetPrivate *>(this);
    SlotContext context(self, slot, state);
    for (int i = 0; i < keyFields.size(); ++i) {
        const TField *field = keyFields[i];
        const QVariant &wanted = values[i];
        const bool wantedNull = !wanted.isValid() || wanted.isNull();
        if (field->IsNull()) {
            if (!wantedNull)
                return false;
            continue;
        }
        if (wantedNull)
            return false;
        if (IsStringType(field->DataType()) || wanted.typeId() == QMetaType::QString) {
            const QString value = field->AsString();
            QString key = wanted.typeId() == QMetaType::Double ? FloatToStr(wanted.toDouble())
                                                               : wanted.toString();
            if (!IsStringType(field->DataType())) {
                // A text key against a typed field: compare as the field's type.
                QVariant converted;
                if (IsNumericType(field->DataType())) {
                    double number = 0;
                    if (!TryStrToFloat(key, number))
                        return false;
                    if (field->AsFloat() != number)
                        return false;
                    continue;
                }
                if (field->DataType() == ftDate || field->DataType() == ftDateTime) {
                    QDateTime dt;
                    if (!TryStrToDateTime(key, dt))
                        return false;
                    if (field->DataType() == ftDate ? field->AsDate() != dt.date()
                                                    : field->AsDateTime() != dt)
                        return false;
                    continue;
                }
                if (field->DataType() == ftBoolean) {
                    if (field->AsBoolean() !=
                        (key.compare(u"true", Qt::CaseInsensitive) == 0 || key == u"1"))
                        return false;
                    continue;
                }
            }
            const Qt::CaseSensitivity cs =
                options & loCaseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
            const bool match =
                options & loPartialKey ? value.startsWith(key, cs) : value.compare(key, cs) == 0;
            if (!match)
                return false;
            continue;
        }
        switch (field->DataType()) {
        case ftBoolean:
            if (field->AsBoolean() != wanted.toBool())
                return false;
            break;
        case ftDate:
            if (field->AsDate() != wanted.toDate() && field->AsDate() != wanted.toDateTime().date())
                return false;
            break;
        case ftDateTime:
        case ftTime: {
            const QDateTime dt = wanted.typeId() == QMetaType::QDate
                                     ? QDateTime(wanted.toDate(), QTime(0, 0))
                                     : wanted.toDateTime();
            if (field->AsDateTime() != dt)
                return false;
            break;
        }
        default:
            if (field->AsFloat() != wanted.toDouble())
                return false;
            break;
        }
    }
    return true;
}

static QVariantList keyValueList(const QVariant &keyValues, int count)
{
    if (count > 1 || keyValues.typeId() == QMetaType::QVariantList)
        return keyValues.toList();
    return QVariantList{keyValues};
}

int TClientDataSetPrivate::findRow(const QList<TField *> &keyFields, const QVariantList &values,
                                   TLocateOptions options) const
{
    if (keyFields.isEmpty() || values.size() != keyFields.size())
        return -1;
    for (size_t row = 0; row < view.size(); ++row) {
        const RecordInfo &info = records[view[row]];
        if (info.status == RecordStatus::Pending)
            continue;
        if (matchesKeys(info.cur, keyFields, values, options))
            return int(row);
    }
    return -1;
}

bool TClientDataSet::Locate(const QString &keyFields, const QVariant &keyValues,
                            TLocateOptions options)
{
    d->checkActive();
    d->fire(BeforeScroll);
    CheckBrowseMode();
    if (d->fetchOnDemand)
        d->fetchAll();
    const QList<TField *> fields = d->fieldList(keyFields);
    const int row = d->findRow(fields, keyValueList(keyValues, int(fields.size())), options);
    if (row < 0)
        return false;
    const int old = d->pos;
    d->pos = row;
    d->bof = d->eof = false;
    d->scrolled(old);
    d->fire(AfterScroll);
    return true;
}

QVariant TClientDataSet::Lookup(const QString &keyFields, const QVariant &keyValues,
                                const QString &resultFields) const
{
    if (d->state == dsInactive)
        return QVariant();
    if (d->fetchOnDemand && d->cursorOpen)
        d->fetchAll();
    const QList<TField *> fields = d->fieldList(keyFields);
    const QVariantList values = keyValueList(keyValues, int(fields.size()));
    if (values.size() != fields.size())
        return QVariant();
    int slot = -1;
    if (fields.size() == 1 && fields[0]->m_column >= 0 && !fields[0]->IsBlob()) {
        // One key: a hash of the key's text form, rebuilt when the data changed.
        TField *key = fields[0];
        auto keyText = [key](const QVariant &v) -> QString {
            if (!v.isValid() || v.isNull())
                return QString();
            if (IsNumericType(key->DataType())) {
                double n = 0;
                if (v.typeId() == QMetaType::QString ? TryStrToFloat(v.toString(), n)
                                                     : (n = v.toDouble(), true))
                    return FloatToStr(n);
                return QStringLiteral("\x01") + v.toString();
            }
            if (key->DataType() == ftDate)
                return v.toDate().isValid() ? v.toDate().toString(Qt::ISODate)
                                            : v.toDateTime().date().toString(Qt::ISODate);
            if (key->DataType() == ftDateTime)
                return v.toDateTime().toString(Qt::ISODateWithMs);
            if (key->DataType() == ftBoolean)
                return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
            return v.toString();
        };
        if (d->lookupIndexVersion != d->version || d->lookupIndexField != key->FieldName()) {
            d->lookupIndex.clear();
            d->lookupIndex.reserve(qsizetype(d->view.size()));
            for (auto it = d->view.rbegin(); it != d->view.rend(); ++it) {
                const RecordInfo &info = d->records[*it];
                if (info.status == RecordStatus::Pending ||
                    d->store.isNull(key->m_column, info.cur))
                    continue;
                d->lookupIndex.insert(keyText(d->store.value(key->m_column, info.cur)), *it);
            }
            d->lookupIndexVersion = d->version;
            d->lookupIndexField = key->FieldName();
        }
        const QString text = keyText(values[0]);
        if (text.isNull())
            return QVariant();
        const auto it = d->lookupIndex.constFind(text);
        if (it == d->lookupIndex.constEnd())
            return QVariant();
        slot = d->records[it.value()].cur;
    } else {
        const int row = d->findRow(fields, values, {});
        if (row < 0)
            return QVariant();
        slot = d->records[d->view[size_t(row)]].cur;
    }
    SlotContext context(d.get(), slot, d->state);
    return FieldValues(resultFields);
}

TBookmark TClientDataSet::GetBookmark() const
{
    if (d->state == dsInactive || d->state == dsInsert || d->pos < 0 ||
        d->pos >= int(d->view.size()))
        return TBookmark();
    return TBookmark(d->view[size_t(d->pos)], d->generation);
}

bool TClientDataSet::BookmarkValid(const TBookmark &bookmark) const
{
    if (bookmark.isNull() || bookmark.m_generation != d->generation ||
        bookmark.m_record >= d->records.size())
        return false;
    return d->rowOf(bookmark.m_record) >= 0 &&
           d->records[bookmark.m_record].status != RecordStatus::Pending;
}

void TClientDataSet::GotoBookmark(const TBookmark &bookmark)
{
    d->checkActive();
    CheckBrowseMode();
    if (!BookmarkValid(bookmark))
        DatabaseError(QStringLiteral("Record not found"), this);
    d->fire(BeforeScroll);
    const int old = d->pos;
    d->pos = d->rowOf(bookmark.m_record);
    d->bof = d->eof = false;
    d->scrolled(old);
    d->fire(AfterScroll);
}

int TClientDataSet::CompareBookmarks(const TBookmark &a, const TBookmark &b) const
{
    const int rowA = BookmarkValid(a) ? d->rowOf(a.m_record) : -1;
    const int rowB = BookmarkValid(b) ? d->rowOf(b.m_record) : -1;
    return rowA < rowB ? -1 : (rowA > rowB ? 1 : 0);
}
