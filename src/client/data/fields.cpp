// Field classes: value conversions, display and edit texts, checks on assignment.
#include "client/data/fields.h"

#include "client/data/clientdataset_p.h"
#include "client/data/formats.h"

#include <cmath>
#include <limits>

using DataInternal::Storage;

// --- TFieldDefs ------------------------------------------------------------------------------

TFieldDef &TFieldDefs::Add(const QString &name, TFieldType dataType, int size, bool required)
{
    TFieldDef def;
    def.Name = name;
    def.DataType = dataType;
    def.Size = size;
    def.Required = required;
    m_defs.append(def);
    return m_defs.last();
}

int TFieldDefs::IndexOf(const QString &name) const
{
    for (int i = 0; i < m_defs.size(); ++i) {
        if (m_defs[i].Name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

const TFieldDef *TFieldDefs::Find(const QString &name) const
{
    const int i = IndexOf(name);
    return i < 0 ? nullptr : &m_defs[i];
}

// --- TField ----------------------------------------------------------------------------------

namespace {

// Text length as the size of a string field counts it: GBK bytes for ftString (two for
// every character beyond ASCII), characters otherwise.
QString truncateToSize(const QString &text, int size, TFieldType type)
{
    if (size <= 0)
        return text;
    if (type != ftString)
        return text.size() > size ? text.left(size) : text;
    int bytes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int width = text[i].unicode() < 0x80 ? 1 : 2;
        if (bytes + width > size)
            return text.left(i);
        bytes += width;
    }
    return text;
}

QString defaultDateTimeFormat(TFieldType type)
{
    if (type == ftDate)
        return ShortDateFormat.toString();
    if (type == ftTime)
        return LongTimeFormat.toString();
    return QStringLiteral("c");
}

} // namespace

TField::TField(TClientDataSet *dataSet, TFieldType dataType, const QString &fieldName,
               TFieldKind kind)
    : m_dataSet(dataSet)
    , m_fieldName(fieldName)
    , m_dataType(dataType)
    , m_fieldKind(kind)
    , m_alignment(IsNumericType(dataType) ? taRightJustify : taLeftJustify)
{}

TField::~TField()
{
    SetLookupDataSet(nullptr);
}

void TField::SetSize(int size)
{
    m_size = size;
}

int TField::DisplayWidth() const
{
    if (m_displayWidth > 0)
        return m_displayWidth;
    switch (m_dataType) {
    case ftString:
    case ftWideString:
        return m_size > 0 ? m_size : 20;
    case ftSmallint:
        return 6;
    case ftLargeint:
        return 15;
    case ftBoolean:
        return 5;
    case ftDate:
    case ftTime:
        return 10;
    case ftDateTime:
        return 18;
    default:
        return 10;
    }
}

void TField::SetVisible(bool visible)
{
    if (m_visible == visible)
        return;
    m_visible = visible;
    if (m_dataSet && m_dataSet->Active())
        m_dataSet->d->dataEvent(deLayoutChange);
}

void TField::SetDisplayFormat(const QString &format)
{
    m_displayFormat = format;
    if (m_dataSet && m_dataSet->Active())
        m_dataSet->d->dataEvent(deDataSetChange);
}

void TField::SetEditFormat(const QString &format)
{
    m_editFormat = format;
}

void TField::SetLookupDataSet(TClientDataSet *dataSet)
{
    if (m_lookupDataSet == dataSet)
        return;
    if (m_lookupDataSet) {
        auto &clients = m_lookupDataSet->d->lookupClients;
        clients.erase(std::remove(clients.begin(), clients.end(), this), clients.end());
    }
    m_lookupDataSet = dataSet;
    if (dataSet)
        dataSet->d->lookupClients.push_back(this);
}

bool TField::IsNull() const
{
    if (m_fieldKind == fkLookup)
        return !Value().isValid();
    const TClientDataSetPrivate *d = m_dataSet->d.get();
    const int slot = d->readSlot();
    return slot < 0 || m_column < 0 || d->store.isNull(m_column, slot);
}

QVariant TField::Value() const
{
    const TClientDataSetPrivate *d = m_dataSet->d.get();
    if (m_fieldKind == fkLookup)
        return d->lookupValue(*this);
    const int slot = d->readSlot();
    if (slot < 0 || m_column < 0)
        return QVariant();
    return d->store.value(m_column, slot);
}

QString TField::AsString() const
{
    const TClientDataSetPrivate *d = m_dataSet->d.get();
    if (m_fieldKind == fkLookup) {
        const QVariant v = Value();
        if (!v.isValid())
            return QString();
        if (v.typeId() == QMetaType::Double)
            return FloatToStr(v.toDouble());
        if (v.typeId() == QMetaType::QDate || v.typeId() == QMetaType::QDateTime)
            return FormatDateTime(defaultDateTimeFormat(m_dataType), v.toDateTime());
        return v.toString();
    }
    const int slot = d->readSlot();
    if (slot < 0 || m_column < 0 || d->store.isNull(m_column, slot))
        return QString();
    const auto &store = d->store;
    switch (store.kind(m_column)) {
    case Storage::Text:
        return store.text(m_column, slot);
    case Storage::Int32:
        return QString::number(store.int32(m_column, slot));
    case Storage::Int64:
        return QString::number(store.int64(m_column, slot));
    case Storage::Double:
        return FloatToStr(store.float64(m_column, slot));
    case Storage::Bool:
        return GetText(false);
    case Storage::Date:
    case Storage::Time:
    case Storage::DateTime: {
        QDate date;
        QTime time;
        dateTimeParts(date, time);
        return FormatDateTime(defaultDateTimeFormat(m_dataType), date, time);
    }
    case Storage::Blob:
        return QString::fromUtf8(store.blob(m_column, slot));
    }
    return QString();
}

qint64 TField::AsLargeInt() const
{
    const TClientDataSetPrivate *d = m_dataSet->d.get();
    if (m_fieldKind == fkLookup) {
        const QVariant v = Value();
        if (v.typeId() == QMetaType::QString) {
            const QString s = v.toString().trimmed();
            return s.isEmpty() ? 0 : StrToInt64(s);
        }
        return qint64(std::nearbyint(v.toDouble()));
    }
    const int slot = d->readSlot();
    if (slot < 0 || m_column < 0 || d->store.isNull(m_column, slot))
        return 0;
    const auto &store = d->store;
    switch (store.kind(m_column)) {
    case Storage::Int32:
        return store.int32(m_column, slot);
    case Storage::Int64:
        return store.int64(m_column, slot);
    case Storage::Double:
        return qint64(std::nearbyint(store.float64(m_column, slot)));
    case Storage::Bool:
        return store.boolean(m_column, slot) ? 1 : 0;
    case Storage::Text: {
        const QString s = store.text(m_column, slot).trimmed();
        if (s.isEmpty())
            return 0;
        qint64 value = 0;
        if (TryStrToInt64(s, value))
            return value;
        return qint64(std::nearbyint(StrToFloat(s)));
    }
    case Storage::Date:
    case Storage::Time:
    case Storage::DateTime: {
        QDate date;
        QTime time;
        dateTimeParts(date, time);
        return qint64(DateTimeToFloat(date, time));
    }
    case Storage::Blob:
        break;
    }
    throw EConvertError(
        QStringLiteral("Invalid conversion of field '%1' to an integer").arg(DisplayName()));
}

int TField::AsInteger() const
{
    return int(AsLargeInt());
}

double TField::AsFloat() const
{
    const TClientDataSetPrivate *d = m_dataSet->d.get();
    if (m_fieldKind == fkLookup) {
        const QVariant v = Value();
        if (!v.isValid())
            return 0;
        if (v.typeId() == QMetaType::QString) {
            const QString s = v.toString().trimmed();
            return s.isEmpty() ? 0 : StrToFloat(s);
        }
        if (v.typeId() == QMetaType::QDate || v.typeId() == QMetaType::QDateTime)
            return DateTimeToFloat(v.toDateTime());
        return v.toDouble();
    }
    const int slot = d->readSlot();
    if (slot < 0 || m_column < 0 || d->store.isNull(m_column, slot))
        return 0;
    const auto &store = d->store;
    switch (store.kind(m_column)) {
    case Storage::Double:
        return store.float64(m_column, slot);
    case Storage::Int32:
        return store.int32(m_column, slot);
    case Storage::Int64:
        return double(store.int64(m_column, slot));
    case Storage::Bool:
        return store.boolean(m_column, slot) ? 1 : 0;
    case Storage::Text: {
        const QString s = store.text(m_column, slot).trimmed();
        return s.isEmpty() ? 0 : StrToFloat(s);
    }
    case Storage::Date:
    case Storage::Time:
    case Storage::DateTime: {
        QDate date;
        QTime time;
        dateTimeParts(date, time);
        return DateTimeToFloat(date, time);
    }
    case Storage::Blob:
        break;
    }
    throw EConvertError(
        QStringLiteral("Invalid conversion of field '%1' to a number").arg(DisplayName()));
}

bool TField::AsBoolean() const
{
    const TClientDataSetPrivate *d = m_dataSet->d.get();
    if (m_fieldKind == fkLookup)
        return Value().toBool();
    const int slot = d->readSlot();
    if (slot < 0 || m_column < 0 || d->store.isNull(m_column, slot))
        return false;
    const auto &store = d->store;
    switch (store.kind(m_column)) {
    case Storage::Bool:
        return store.boolean(m_column, slot);
    case Storage::Int32:
        return store.int32(m_column, slot) != 0;
    case Storage::Int64:
        return store.int64(m_column, slot) != 0;
    case Storage::Double:
        return store.float64(m_column, slot) != 0;
    case Storage::Text: {
        const std::string_view s = store.utf8(m_column, slot);
        return !s.empty() && (s[0] == 'T' || s[0] == 't' || s[0] == 'Y' || s[0] == 'y');
    }
    default:
        break;
    }
    throw EConvertError(
        QStringLiteral("Invalid conversion of field '%1' to a boolean").arg(DisplayName()));
}

bool TField::dateTimeParts(QDate &date, QTime &time) const
{
    const TClientDataSetPrivate *d = m_dataSet->d.get();
    time = QTime(0, 0);
    if (m_fieldKind == fkLookup) {
        const QVariant v = Value();
        if (!v.isValid())
            return false;
        QDateTime dt;
        if (v.typeId() == QMetaType::QTime) {
            date = QDate(1899, 12, 30);
            time = v.toTime();
            return true;
        }
        if (v.typeId() == QMetaType::QDate) {
            date = v.toDate();
            return date.isValid();
        }
        if (v.typeId() == QMetaType::QString) {
            if (v.toString().trimmed().isEmpty())
                return false;
            dt = StrToDateTime(v.toString());
        } else {
            dt = v.toDateTime();
        }
        date = dt.date();
        time = dt.time();
        return dt.isValid();
    }
    const int slot = d->readSlot();
    if (slot < 0 || m_column < 0 || d->store.isNull(m_column, slot))
        return false;
    const auto &store = d->store;
    switch (store.kind(m_column)) {
    case Storage::Date:
        date = QDate::fromJulianDay(store.int32(m_column, slot));
        return true;
    case Storage::Time:
        date = QDate(1899, 12, 30);
        time = QTime::fromMSecsSinceStartOfDay(store.int32(m_column, slot));
        return true;
    case Storage::DateTime:
        DataInternal::unpackDateTime(store.int64(m_column, slot), date, time);
        return true;
    case Storage::Double:
    case Storage::Int32:
    case Storage::Int64: {
        const QDateTime dt =
            FloatToDateTime(store.kind(m_column) == Storage::Double ? store.float64(m_column, slot)
                                                                    : double(AsLargeInt()));
        date = dt.date();
        time = dt.time();
        return true;
    }
    case Storage::Text: {
        const QString s = store.text(m_column, slot).trimmed();
        if (s.isEmpty())
            return false;
        const QDateTime dt = StrToDateTime(s);
        date = dt.date();
        time = dt.time();
        return true;
    }
    default:
        break;
    }
    throw EConvertError(
        QStringLiteral("Invalid conversion of field '%1' to a date").arg(DisplayName()));
}

QDateTime TField::AsDateTime() const
{
    QDate date;
    QTime time;
    if (!dateTimeParts(date, time))
        return QDateTime();
    return QDateTime(date, time);
}

QDate TField::AsDate() const
{
    QDate date;
    QTime time;
    return dateTimeParts(date, time) ? date : QDate();
}

QByteArray TField::AsBytes() const
{
    const TClientDataSetPrivate *d = m_dataSet->d.get();
    const int slot = d->readSlot();
    if (m_fieldKind != fkLookup && slot >= 0 && m_column >= 0 &&
        d->store.kind(m_column) == Storage::Blob)
        return d->store.isNull(m_column, slot) ? QByteArray() : d->store.blob(m_column, slot);
    return AsString().toUtf8();
}

void TField::writeValue(const QVariant &input)
{
    TClientDataSetPrivate *d = m_dataSet->d.get();
    const int slot = d->writeSlot(*this);
    QVariant value = input;
    if (value.isValid() && !value.isNull()) {
        if (IsStringType(m_dataType) && m_dataType != ftMemo && m_dataType != ftWideMemo &&
            value.typeId() == QMetaType::QString)
            value = truncateToSize(value.toString(), m_size, m_dataType);
        CheckValue(value);
    }
    const QVariant old = d->store.value(m_column, slot);
    if (!d->store.setValue(m_column, slot, value))
        throw EConvertError(QStringLiteral("'%1' is not a valid value for field '%2'")
                                .arg(value.toString(), DisplayName()));
    if (m_dataType == ftBCD && !d->store.isNull(m_column, slot))
        d->store.setFloat64(m_column, slot,
                            RoundTo(d->store.float64(m_column, slot), m_size > 0 ? m_size : 4));
    if (OnValidate) {
        try {
            auto handler = OnValidate;
            handler(*this);
        } catch (...) {
            d->store.setValue(m_column, slot, old);
            throw;
        }
    }
    d->fieldChanged(this);
}

void TField::Clear()
{
    writeValue(QVariant());
}

void TField::SetValue(const QVariant &value)
{
    if (!value.isValid() || value.isNull()) {
        Clear();
        return;
    }
    if (value.typeId() == QMetaType::QString) {
        SetFromString(value.toString());
        return;
    }
    writeValue(value);
}

void TField::SetAsString(const QString &value)
{
    SetFromString(value);
}

void TField::SetAsInteger(int value)
{
    writeValue(QVariant(qint64(value)));
}

void TField::SetAsLargeInt(qint64 value)
{
    writeValue(QVariant(value));
}

void TField::SetAsFloat(double value)
{
    writeValue(QVariant(value));
}

void TField::SetAsBoolean(bool value)
{
    writeValue(QVariant(value));
}

void TField::SetAsDateTime(const QDateTime &value)
{
    writeValue(value.isValid() ? QVariant(value) : QVariant());
}

void TField::SetAsDate(QDate value)
{
    writeValue(value.isValid() ? QVariant(QDateTime(value, QTime(0, 0))) : QVariant());
}

void TField::SetAsBytes(const QByteArray &value)
{
    writeValue(QVariant(value));
}

QString TField::GetText(bool /*displayText*/) const
{
    return AsString();
}

void TField::SetFromString(const QString &text)
{
    writeValue(text.isEmpty() ? QVariant() : QVariant(text));
}

void TField::CheckValue(const QVariant &) const {}

QString TField::DisplayText() const
{
    if (OnGetText) {
        QString text;
        auto handler = OnGetText;
        handler(const_cast<TField &>(*this), text, true);
        return text;
    }
    return GetText(true);
}

QString TField::Text() const
{
    if (OnGetText) {
        QString text;
        auto handler = OnGetText;
        handler(const_cast<TField &>(*this), text, false);
        return text;
    }
    return GetText(false);
}

void TField::SetText(const QString &text)
{
    if (OnSetText) {
        auto handler = OnSetText;
        handler(*this, text);
        return;
    }
    SetAsString(text);
}

QVariant TField::OldValue() const
{
    const TClientDataSetPrivate *d = m_dataSet->d.get();
    if (m_fieldKind == fkLookup || m_column < 0 || d->state == dsInactive)
        return Value();
    uint32_t record = DataInternal::NoRecord;
    if (d->isEditing())
        record = d->editRecord;
    else if (d->pos >= 0 && d->pos < int(d->view.size()))
        record = d->view[size_t(d->pos)];
    if (record == DataInternal::NoRecord)
        return QVariant();
    const auto &info = d->records[record];
    if (info.orig < 0)
        return QVariant();
    return d->store.value(m_column, info.orig);
}

bool TField::CanModify() const
{
    return !m_readOnly && (m_fieldKind == fkData || m_fieldKind == fkInternalCalc) &&
           m_dataSet->CanModify();
}

void TField::FocusControl()
{
    TDataEventInfo info;
    info.Field = this;
    m_dataSet->d->dataEvent(deFocusControl, info);
}

// --- Strings ---------------------------------------------------------------------------------

TStringField::TStringField(TClientDataSet *dataSet, const QString &fieldName, int size,
                           TFieldKind kind, TFieldType type)
    : TField(dataSet, type, fieldName, kind)
{
    SetSize(size > 0 ? size : 20);
}

void TStringField::SetFromString(const QString &text)
{
    writeValue(text.isEmpty() ? QVariant() : QVariant(truncateToSize(text, Size(), DataType())));
}

TWideStringField::TWideStringField(TClientDataSet *dataSet, const QString &fieldName, int size,
                                   TFieldKind kind)
    : TStringField(dataSet, fieldName, size, kind, ftWideString)
{}

// --- Numbers ---------------------------------------------------------------------------------

QString TNumericField::formatNumber(bool displayText) const
{
    if (IsNull())
        return QString();
    const QString &format = displayText || EditFormat().isEmpty() ? DisplayFormat() : EditFormat();
    if (format.isEmpty()) {
        if (DataType() == ftFloat || DataType() == ftCurrency || DataType() == ftBCD)
            return FloatToStr(AsFloat());
        return QString::number(AsLargeInt());
    }
    return FormatFloat(format, AsFloat());
}

QString TNumericField::GetText(bool displayText) const
{
    return formatNumber(displayText);
}

TIntegerField::TIntegerField(TClientDataSet *dataSet, const QString &fieldName, TFieldKind kind,
                             TFieldType type)
    : TNumericField(dataSet, type, fieldName, kind)
{}

void TIntegerField::SetFromString(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        Clear();
        return;
    }
    qint64 value = 0;
    if (!TryStrToInt64(trimmed, value))
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    writeValue(QVariant(value));
}

void TIntegerField::CheckValue(const QVariant &value) const
{
    qint64 low = m_minValue;
    qint64 high = m_maxValue;
    if (low == 0 && high == 0) {
        switch (DataType()) {
        case ftSmallint:
            low = std::numeric_limits<qint16>::min();
            high = std::numeric_limits<qint16>::max();
            break;
        case ftLargeint:
            return;
        default:
            low = std::numeric_limits<qint32>::min();
            high = std::numeric_limits<qint32>::max();
            break;
        }
    }
    double number = 0;
    if (value.typeId() == QMetaType::QString) {
        qint64 parsed = 0;
        if (!TryStrToInt64(value.toString(), parsed))
            return; // the store refuses it with a conversion error
        number = double(parsed);
    } else {
        bool ok = false;
        number = value.toDouble(&ok);
        if (!ok)
            return;
    }
    if (number < double(low) || number > double(high))
        throw EDatabaseError(
            QStringLiteral("%1 is not a valid value for field '%2'. The allowed range is %3 to %4")
                .arg(FloatToStr(number), DisplayName())
                .arg(low)
                .arg(high));
}

TSmallintField::TSmallintField(TClientDataSet *dataSet, const QString &fieldName, TFieldKind kind)
    : TIntegerField(dataSet, fieldName, kind, ftSmallint)
{}

TAutoIncField::TAutoIncField(TClientDataSet *dataSet, const QString &fieldName, TFieldKind kind)
    : TIntegerField(dataSet, fieldName, kind, ftAutoInc)
{}

TLargeintField::TLargeintField(TClientDataSet *dataSet, const QString &fieldName, TFieldKind kind)
    : TIntegerField(dataSet, fieldName, kind, ftLargeint)
{}

TFloatField::TFloatField(TClientDataSet *dataSet, const QString &fieldName, TFieldKind kind,
                         TFieldType type)
    : TNumericField(dataSet, type, fieldName, kind)
{}

QString TFloatField::GetText(bool displayText) const
{
    if (m_currency && DisplayFormat().isEmpty() && EditFormat().isEmpty()) {
        if (IsNull())
            return QString();
        return FormatFloat(displayText ? u"#,0.00" : u"0.00", AsFloat());
    }
    return formatNumber(displayText);
}

void TFloatField::SetFromString(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        Clear();
        return;
    }
    double value = 0;
    if (!TryStrToFloat(trimmed, value))
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    writeValue(QVariant(value));
}

void TFloatField::CheckValue(const QVariant &value) const
{
    if (m_minValue == 0 && m_maxValue == 0)
        return;
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (ok && (number < m_minValue || number > m_maxValue))
        throw EDatabaseError(
            QStringLiteral("%1 is not a valid value for field '%2'. The allowed range is %3 to %4")
                .arg(FloatToStr(number), DisplayName(), FloatToStr(m_minValue),
                     FloatToStr(m_maxValue)));
}

TCurrencyField::TCurrencyField(TClientDataSet *dataSet, const QString &fieldName, TFieldKind kind)
    : TFloatField(dataSet, fieldName, kind, ftCurrency)
{
    SetCurrency(true);
}

TBCDField::TBCDField(TClientDataSet *dataSet, const QString &fieldName, int size, TFieldKind kind)
    : TFloatField(dataSet, fieldName, kind, ftBCD)
{
    SetSize(size > 0 ? size : 4);
}

// --- Booleans --------------------------------------------------------------------------------

TBooleanField::TBooleanField(TClientDataSet *dataSet, const QString &fieldName, TFieldKind kind)
    : TField(dataSet, ftBoolean, fieldName, kind)
{
    SetDisplayValues(QString());
}

void TBooleanField::SetDisplayValues(const QString &values)
{
    m_displayValues = values;
    const qsizetype split = values.indexOf(u';');
    if (values.isEmpty()) {
        m_trueText = QStringLiteral("True");
        m_falseText = QStringLiteral("False");
    } else if (split < 0) {
        m_trueText = values;
        m_falseText.clear();
    } else {
        m_trueText = values.left(split);
        m_falseText = values.mid(split + 1);
    }
}

QString TBooleanField::GetText(bool) const
{
    if (IsNull())
        return QString();
    return AsBoolean() ? m_trueText : m_falseText;
}

void TBooleanField::SetFromString(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        Clear();
        return;
    }
    auto matches = [&](const QString &candidate) {
        return !candidate.isEmpty() && candidate.startsWith(t, Qt::CaseInsensitive);
    };
    if (matches(m_trueText) || matches(QStringLiteral("True")))
        writeValue(QVariant(true));
    else if (matches(m_falseText) || matches(QStringLiteral("False")))
        writeValue(QVariant(false));
    else
        throw EConvertError(QStringLiteral("'%1' is not a valid boolean value").arg(text));
}

// --- Dates and times -------------------------------------------------------------------------

TDateTimeField::TDateTimeField(TClientDataSet *dataSet, const QString &fieldName, TFieldKind kind,
                               TFieldType type)
    : TField(dataSet, type, fieldName, kind)
{}

QString TDateTimeField::GetText(bool displayText) const
{
    QDate date;
    QTime time;
    if (!dateTimeParts(date, time))
        return QString();
    QString format = displayText ? DisplayFormat() : EditFormat();
    if (format.isEmpty())
        format = defaultDateTimeFormat(DataType());
    return FormatDateTime(format, date, time);
}

void TDateTimeField::SetFromString(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        Clear();
        return;
    }
    if (DataType() == ftTime) {
        QTime time;
        if (!TryStrToTime(t, time))
            throw EConvertError(QStringLiteral("'%1' is not a valid time").arg(text));
        writeValue(QVariant(QDateTime(QDate(1899, 12, 30), time)));
        return;
    }
    QDateTime value;
    if (!TryStrToDateTime(t, value))
        throw EConvertError(DataType() == ftDate
                                ? QStringLiteral("'%1' is not a valid date").arg(text)
                                : QStringLiteral("'%1' is not a valid date and time").arg(text));
    writeValue(QVariant(value));
}

TDateField::TDateField(TClientDataSet *dataSet, const QString &fieldName, TFieldKind kind)
    : TDateTimeField(dataSet, fieldName, kind, ftDate)
{}

TTimeField::TTimeField(TClientDataSet *dataSet, const QString &fieldName, TFieldKind kind)
    : TDateTimeField(dataSet, fieldName, kind, ftTime)
{}

// --- Blobs and memos -------------------------------------------------------------------------

TBlobField::TBlobField(TClientDataSet *dataSet, const QString &fieldName, TFieldKind kind,
                       TFieldType type)
    : TField(dataSet, type, fieldName, kind)
{}

QString TBlobField::GetText(bool) const
{
    const QString name =
        DataType() == ftGraphic ? QStringLiteral("(GRAPHIC)") : QStringLiteral("(BLOB)");
    return IsNull() ? name.toLower() : name;
}

TGraphicField::TGraphicField(TClientDataSet *dataSet, const QString &fieldName, TFieldKind kind)
    : TBlobField(dataSet, fieldName, kind, ftGraphic)
{}

TMemoField::TMemoField(TClientDataSet *dataSet, const QString &fieldName, TFieldKind kind,
                       TFieldType type)
    : TBlobField(dataSet, fieldName, kind, type)
{}

QString TMemoField::GetText(bool) const
{
    return AsString();
}

void TMemoField::SetFromString(const QString &text)
{
    writeValue(text.isEmpty() ? QVariant() : QVariant(text));
}

TWideMemoField::TWideMemoField(TClientDataSet *dataSet, const QString &fieldName, TFieldKind kind)
    : TMemoField(dataSet, fieldName, kind, ftWideMemo)
{}
