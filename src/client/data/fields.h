// Fields of a client dataset: the typed view of one column of the current record, with its
// display rules (labels, display and edit masks, get-text and set-text handlers), its checks
// (required, read-only, size, range, OnValidate) and the calculated and lookup kinds.
//
// A field always reads and writes the dataset's current record: the record under the cursor,
// the edit buffer while editing or inserting, or the record being calculated or filtered while
// OnCalcFields or OnFilterRecord runs. Fields are owned by their dataset.
#pragma once

#include "client/data/dbtypes.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>

#include <functional>

// The definition of one column: what a provider reports for its result and what
// CreateDataSet builds a local dataset from.
struct TFieldDef
{
    QString Name;
    TFieldType DataType = ftUnknown;
    int Size = 0; // characters of a string, places after the point of a decimal
    bool Required = false;
    bool ReadOnly = false;
    TProviderFlags ProviderFlags = TProviderFlags(pfInUpdate | pfInWhere);
    QString Origin; // "TABLE.COLUMN" of a plain table column, empty for computed columns
    int Precision = 0;
};

class TFieldDefs
{
public:
    TFieldDef &Add(const QString &name, TFieldType dataType, int size = 0, bool required = false);
    void Clear() { m_defs.clear(); }
    int Count() const { return int(m_defs.size()); }
    const TFieldDef &operator[](int index) const { return m_defs[index]; }
    TFieldDef &operator[](int index) { return m_defs[index]; }
    int IndexOf(const QString &name) const; // case-insensitive; -1 when missing
    const TFieldDef *Find(const QString &name) const;
    const QList<TFieldDef> &Items() const { return m_defs; }
    void Assign(const QList<TFieldDef> &defs) { m_defs = defs; }

private:
    QList<TFieldDef> m_defs;
};

class TField
{
public:
    virtual ~TField();
    TField(const TField &) = delete;
    TField &operator=(const TField &) = delete;

    TClientDataSet *DataSet() const { return m_dataSet; }
    const QString &FieldName() const { return m_fieldName; }
    TFieldType DataType() const { return m_dataType; }
    TFieldKind FieldKind() const { return m_fieldKind; }
    int Index() const { return m_index; } // position in the dataset's field list

    int Size() const { return m_size; }
    void SetSize(int size);
    QString DisplayLabel() const { return m_displayLabel.isEmpty() ? m_fieldName : m_displayLabel; }
    void SetDisplayLabel(const QString &label) { m_displayLabel = label; }
    QString DisplayName() const { return DisplayLabel(); }
    int DisplayWidth() const;
    void SetDisplayWidth(int width) { m_displayWidth = width; }
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment alignment) { m_alignment = alignment; }
    bool Required() const { return m_required; }
    void SetRequired(bool required) { m_required = required; }
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool Visible() const { return m_visible; }
    void SetVisible(bool visible);
    TProviderFlags ProviderFlags() const { return m_providerFlags; }
    void SetProviderFlags(TProviderFlags flags) { m_providerFlags = flags; }
    const QString &Origin() const { return m_origin; }
    void SetOrigin(const QString &origin) { m_origin = origin; }
    int Tag() const { return m_tag; }
    void SetTag(int tag) { m_tag = tag; }

    // Masks for numeric and date-time fields (formats.h); EditFormat falls back to
    // DisplayFormat when empty. Ignored by the other kinds.
    const QString &DisplayFormat() const { return m_displayFormat; }
    void SetDisplayFormat(const QString &format);
    const QString &EditFormat() const { return m_editFormat; }
    void SetEditFormat(const QString &format);

    // Lookup definition: the value is LookupResultField of the record of LookupDataSet whose
    // LookupKeyFields equal this record's KeyFields (lists separated by ";").
    TClientDataSet *LookupDataSet() const { return m_lookupDataSet; }
    void SetLookupDataSet(TClientDataSet *dataSet);
    const QString &LookupKeyFields() const { return m_lookupKeyFields; }
    void SetLookupKeyFields(const QString &fields) { m_lookupKeyFields = fields; }
    const QString &LookupResultField() const { return m_lookupResultField; }
    void SetLookupResultField(const QString &field) { m_lookupResultField = field; }
    const QString &KeyFields() const { return m_keyFields; }
    void SetKeyFields(const QString &fields) { m_keyFields = fields; }

    // Values. Reading a field of an empty dataset gives null; null reads as "", 0, false or
    // an invalid date. Writing needs the dataset in edit or insert state (or the field being
    // calculated), raises EConvertError for text that is not a value of the field's type and
    // EDatabaseError for a read-only field or a value out of range.
    bool IsNull() const;
    void Clear();
    QVariant Value() const; // invalid QVariant for null
    void SetValue(const QVariant &value);
    QString AsString() const;
    void SetAsString(const QString &value);
    int AsInteger() const;
    void SetAsInteger(int value);
    qint64 AsLargeInt() const;
    void SetAsLargeInt(qint64 value);
    double AsFloat() const;
    void SetAsFloat(double value);
    double AsCurrency() const { return AsFloat(); }
    void SetAsCurrency(double value) { SetAsFloat(value); }
    bool AsBoolean() const;
    void SetAsBoolean(bool value);
    QDateTime AsDateTime() const;
    void SetAsDateTime(const QDateTime &value);
    QDate AsDate() const;
    void SetAsDate(QDate value);
    QByteArray AsBytes() const;
    void SetAsBytes(const QByteArray &value);

    // The text a grid shows (OnGetText with DisplayText true, else the display mask) and the
    // text an editor edits (OnGetText with DisplayText false, else the edit mask).
    QString DisplayText() const;
    QString Text() const;
    // Sets the value from edited text: OnSetText when assigned, else AsString.
    void SetText(const QString &text);
    // The text without OnGetText, for handlers that change only some values' text.
    QString DefaultText(bool displayText) const { return GetText(displayText); }

    // The value of the current record before the changes of the change log (null for an
    // inserted record).
    QVariant OldValue() const;

    bool IsBlob() const { return IsBlobType(m_dataType); }
    bool IsNumeric() const { return IsNumericType(m_dataType); }
    bool CanModify() const;
    // Asks the data-aware control showing this field to take the focus.
    void FocusControl();

    std::function<void(TField &Sender, QString &Text, bool DisplayText)> OnGetText;
    std::function<void(TField &Sender, const QString &Text)> OnSetText;
    std::function<void(TField &Sender)> OnChange;
    // Runs after the new value is in place and before anyone is told: the handler reads the
    // new value and may raise to refuse it, which puts the old value back.
    std::function<void(TField &Sender)> OnValidate;

protected:
    TField(TClientDataSet *dataSet, TFieldType dataType, const QString &fieldName, TFieldKind kind);

    // Text of the current value; displayText chooses the display or the edit mask.
    virtual QString GetText(bool displayText) const;
    // Converts edited text into the field's value (the AsString setter).
    virtual void SetFromString(const QString &text);
    // Refuses values the field cannot hold (range, size); called before storing.
    virtual void CheckValue(const QVariant &value) const;
    // Stores a value into the current record: state and read-only checks, CheckValue,
    // OnValidate, then the change notifications.
    void writeValue(const QVariant &value);
    // The current value as date and time of day; false for null.
    bool dateTimeParts(QDate &date, QTime &time) const;

private:
    friend class TClientDataSet;
    friend class TClientDataSetPrivate;
    friend class TFieldDataLink;

    TClientDataSet *m_dataSet;
    QString m_fieldName;
    TFieldType m_dataType;
    TFieldKind m_fieldKind;
    int m_index = -1;
    int m_column = -1; // column of the record store, -1 for lookup fields
    int m_size = 0;
    QString m_displayLabel;
    int m_displayWidth = 0;
    TAlignment m_alignment = taLeftJustify;
    bool m_required = false;
    bool m_readOnly = false;
    bool m_visible = true;
    TProviderFlags m_providerFlags = TProviderFlags(pfInUpdate | pfInWhere);
    QString m_origin;
    int m_tag = 0;
    QString m_displayFormat;
    QString m_editFormat;
    TClientDataSet *m_lookupDataSet = nullptr;
    QString m_lookupKeyFields;
    QString m_lookupResultField;
    QString m_keyFields;
};

class TStringField : public TField
{
public:
    TStringField(TClientDataSet *dataSet, const QString &fieldName, int size,
                 TFieldKind kind = fkData, TFieldType type = ftString);

protected:
    // Text longer than Size is cut to Size characters (ftString counts GBK bytes).
    void SetFromString(const QString &text) override;
};

class TWideStringField : public TStringField
{
public:
    TWideStringField(TClientDataSet *dataSet, const QString &fieldName, int size,
                     TFieldKind kind = fkData);
};

// Integer, decimal and float fields: display and edit masks through FormatFloat.
class TNumericField : public TField
{
protected:
    using TField::TField;
    QString GetText(bool displayText) const override;
    QString formatNumber(bool displayText) const;
};

class TIntegerField : public TNumericField
{
public:
    TIntegerField(TClientDataSet *dataSet, const QString &fieldName, TFieldKind kind = fkData,
                  TFieldType type = ftInteger);
    qint64 MinValue() const { return m_minValue; }
    qint64 MaxValue() const { return m_maxValue; }
    void SetMinValue(qint64 value) { m_minValue = value; }
    void SetMaxValue(qint64 value) { m_maxValue = value; }

protected:
    void SetFromString(const QString &text) override;
    void CheckValue(const QVariant &value) const override;

private:
    qint64 m_minValue = 0; // both 0: the type's own range
    qint64 m_maxValue = 0;
};

class TSmallintField : public TIntegerField
{
public:
    TSmallintField(TClientDataSet *dataSet, const QString &fieldName, TFieldKind kind = fkData);
};

class TAutoIncField : public TIntegerField
{
public:
    TAutoIncField(TClientDataSet *dataSet, const QString &fieldName, TFieldKind kind = fkData);
};

class TLargeintField : public TIntegerField
{
public:
    TLargeintField(TClientDataSet *dataSet, const QString &fieldName, TFieldKind kind = fkData);
};

class TFloatField : public TNumericField
{
public:
    TFloatField(TClientDataSet *dataSet, const QString &fieldName, TFieldKind kind = fkData,
                TFieldType type = ftFloat);
    // A money field with no masks shows "#,0.00" and edits "0.00".
    bool Currency() const { return m_currency; }
    void SetCurrency(bool currency) { m_currency = currency; }
    double MinValue() const { return m_minValue; }
    double MaxValue() const { return m_maxValue; }
    void SetMinValue(double value) { m_minValue = value; }
    void SetMaxValue(double value) { m_maxValue = value; }

protected:
    QString GetText(bool displayText) const override;
    void SetFromString(const QString &text) override;
    void CheckValue(const QVariant &value) const override;

private:
    bool m_currency = false;
    double m_minValue = 0;
    double m_maxValue = 0;
};

class TCurrencyField : public TFloatField
{
public:
    TCurrencyField(TClientDataSet *dataSet, const QString &fieldName, TFieldKind kind = fkData);
};

// A decimal with Size places after the point (4 when Size is 0); values are rounded to
// them when stored.
class TBCDField : public TFloatField
{
public:
    TBCDField(TClientDataSet *dataSet, const QString &fieldName, int size,
              TFieldKind kind = fkData);
};

class TBooleanField : public TField
{
public:
    TBooleanField(TClientDataSet *dataSet, const QString &fieldName, TFieldKind kind = fkData);
    // "TrueText;FalseText", default "True;False"; used for text in both directions.
    const QString &DisplayValues() const { return m_displayValues; }
    void SetDisplayValues(const QString &values);

protected:
    QString GetText(bool displayText) const override;
    void SetFromString(const QString &text) override;

private:
    QString m_displayValues;
    QString m_trueText;
    QString m_falseText;
};

// Date-time fields; without a mask a date shows ShortDateFormat, a time LongTimeFormat, and a
// date-time both, leaving out a time of 00:00:00.
class TDateTimeField : public TField
{
public:
    TDateTimeField(TClientDataSet *dataSet, const QString &fieldName, TFieldKind kind = fkData,
                   TFieldType type = ftDateTime);

protected:
    QString GetText(bool displayText) const override;
    void SetFromString(const QString &text) override;
};

class TDateField : public TDateTimeField
{
public:
    TDateField(TClientDataSet *dataSet, const QString &fieldName, TFieldKind kind = fkData);
};

class TTimeField : public TDateTimeField
{
public:
    TTimeField(TClientDataSet *dataSet, const QString &fieldName, TFieldKind kind = fkData);
};

// Binary data; the display text is "(BLOB)" or "(GRAPHIC)" ("(blob)" when empty).
class TBlobField : public TField
{
public:
    TBlobField(TClientDataSet *dataSet, const QString &fieldName, TFieldKind kind = fkData,
               TFieldType type = ftBlob);

protected:
    QString GetText(bool displayText) const override;
};

class TGraphicField : public TBlobField
{
public:
    TGraphicField(TClientDataSet *dataSet, const QString &fieldName, TFieldKind kind = fkData);
};

// Long text; shows and edits its text.
class TMemoField : public TBlobField
{
public:
    TMemoField(TClientDataSet *dataSet, const QString &fieldName, TFieldKind kind = fkData,
               TFieldType type = ftMemo);

protected:
    QString GetText(bool displayText) const override;
    void SetFromString(const QString &text) override;
};

class TWideMemoField : public TMemoField
{
public:
    TWideMemoField(TClientDataSet *dataSet, const QString &fieldName, TFieldKind kind = fkData);
};
