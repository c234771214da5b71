// Grid columns and their collection.
#include "client/widgets/gridcolumns.h"

#include "client/data/clientdataset.h"
#include "client/data/fields.h"

#include <algorithm>

// --- TColumnTitle ---------------------------------------------------------------------------

void TColumnTitle::SetCaption(const QString &caption)
{
    if (m_caption == caption)
        return;
    m_caption = caption;
    m_column->changed(TColumnChange::Title);
}

void TColumnTitle::SetAlignment(TAlignment alignment)
{
    m_alignment = alignment;
    m_column->changed(TColumnChange::Title);
}

void TColumnTitle::SetTitleButton(bool on)
{
    m_titleButton = on;
    m_column->changed(TColumnChange::Title);
}

void TColumnTitle::SetSortMarker(TSortMarker marker)
{
    if (m_sortMarker == marker)
        return;
    m_sortMarker = marker;
    m_column->changed(TColumnChange::Title);
}

void TColumnTitle::SetColor(const QColor &color)
{
    m_color = color;
    m_column->changed(TColumnChange::Title);
}

QStringList TColumnTitle::Levels() const
{
    QString caption = m_caption;
    if (caption.isEmpty() && m_column->Field())
        caption = m_column->Field()->DisplayLabel();
    if (caption.isEmpty())
        caption = m_column->FieldName();
    return caption.split(QLatin1Char('|'));
}

// --- TColumnFooter --------------------------------------------------------------------------

void TColumnFooter::SetValueType(TFooterValueType type)
{
    m_valueType = type;
    m_column->changed(TColumnChange::Footer);
}

void TColumnFooter::SetFieldName(const QString &name)
{
    m_fieldName = name;
    m_column->changed(TColumnChange::Footer);
}

void TColumnFooter::SetDisplayFormat(const QString &format)
{
    m_displayFormat = format;
    m_column->changed(TColumnChange::Footer);
}

void TColumnFooter::SetValue(const QString &text)
{
    m_value = text;
    m_column->changed(TColumnChange::Footer);
}

void TColumnFooter::SetAlignment(TAlignment alignment)
{
    m_alignment = alignment;
    m_hasAlignment = true;
    m_column->changed(TColumnChange::Footer);
}

void TColumnFooter::SetSum(const QString &displayFormat, const QString &fieldName)
{
    m_valueType = fvtSum;
    m_displayFormat = displayFormat;
    m_fieldName = fieldName;
    m_column->changed(TColumnChange::Footer);
}

void TColumnFooter::SetStaticText(const QString &text)
{
    m_valueType = fvtStaticText;
    m_value = text;
    if (!m_hasAlignment)
        m_alignment = taCenter;
    m_column->changed(TColumnChange::Footer);
}

// --- TColumn --------------------------------------------------------------------------------

TColumn::TColumn(TDBGridColumns *collection)
    : m_collection(collection)
{}

int TColumn::Index() const
{
    return m_collection->IndexOf(this);
}

void TColumn::SetIndex(int index)
{
    m_collection->Move(Index(), index);
}

void TColumn::SetFieldName(const QString &name)
{
    if (m_fieldName == name)
        return;
    m_fieldName = name;
    m_field = nullptr;
    changed(TColumnChange::Layout);
}

void TColumn::SetWidth(int width)
{
    if (m_width == width)
        return;
    m_width = width;
    changed(TColumnChange::Geometry);
}

void TColumn::SetVisible(bool visible)
{
    if (m_visible == visible)
        return;
    m_visible = visible;
    changed(TColumnChange::Geometry);
}

void TColumn::SetReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    changed(TColumnChange::Appearance);
}

void TColumn::SetButtonStyle(TColumnButtonStyle style)
{
    m_buttonStyle = style;
    changed(TColumnChange::Appearance);
}

void TColumn::SetAlwaysShowEditButton(bool on)
{
    m_alwaysShowEditButton = on;
    changed(TColumnChange::Appearance);
}

void TColumn::SetDisplayFormat(const QString &format)
{
    m_displayFormat = format;
    changed(TColumnChange::Appearance);
}

TAlignment TColumn::Alignment() const
{
    if (m_hasAlignment)
        return m_alignment;
    if (m_field)
        return m_field->IsNumeric() ? taRightJustify : m_field->Alignment();
    return taLeftJustify;
}

void TColumn::SetAlignment(TAlignment alignment)
{
    m_alignment = alignment;
    m_hasAlignment = true;
    changed(TColumnChange::Appearance);
}

void TColumn::SetColor(const QColor &color)
{
    m_color = color;
    changed(TColumnChange::Appearance);
}

void TColumn::SetFontColor(const QColor &color)
{
    m_fontColor = color;
    changed(TColumnChange::Appearance);
}

void TColumn::SetPickList(const QStringList &items)
{
    m_pickList = items;
    changed(TColumnChange::Appearance);
}

void TColumn::SetLedgerCells(bool on)
{
    m_ledgerCells = on;
    changed(TColumnChange::Appearance);
}

bool TColumn::CanModify() const
{
    return !m_readOnly && m_field && m_field->CanModify();
}

void TColumn::changed(TColumnChange change)
{
    m_collection->notify(this, change);
}

// --- TDBGridColumns -------------------------------------------------------------------------

TDBGridColumns::TDBGridColumns() = default;
TDBGridColumns::~TDBGridColumns() = default;

TColumn *TDBGridColumns::Add()
{
    // The first column the program adds replaces the default ones.
    if (!m_customized)
        m_items.clear();
    m_customized = true;
    m_items.push_back(std::unique_ptr<TColumn>(new TColumn(this)));
    notify(nullptr, TColumnChange::Layout);
    return m_items.back().get();
}

TColumn *TDBGridColumns::Add(const QString &fieldName, const QString &title, int width)
{
    BeginUpdate();
    TColumn *column = Add();
    column->m_fieldName = fieldName;
    column->m_title.m_caption = title;
    column->m_width = width;
    EndUpdate();
    return column;
}

void TDBGridColumns::Remove(TColumn *column)
{
    const int index = IndexOf(column);
    if (index < 0)
        return;
    m_items.erase(m_items.begin() + index);
    notify(nullptr, TColumnChange::Layout);
}

void TDBGridColumns::Clear()
{
    m_items.clear();
    m_customized = false;
    notify(nullptr, TColumnChange::Layout);
}

void TDBGridColumns::Move(int from, int to)
{
    if (from < 0 || from >= Count() || from == to)
        return;
    to = std::clamp(to, 0, Count() - 1);
    std::unique_ptr<TColumn> column = std::move(m_items[size_t(from)]);
    m_items.erase(m_items.begin() + from);
    m_items.insert(m_items.begin() + to, std::move(column));
    notify(nullptr, TColumnChange::Layout);
}

int TDBGridColumns::IndexOf(const TColumn *column) const
{
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].get() == column)
            return int(i);
    }
    return -1;
}

TColumn *TDBGridColumns::FindByFieldName(const QString &fieldName) const
{
    for (const auto &column : m_items) {
        if (column->FieldName().compare(fieldName, Qt::CaseInsensitive) == 0)
            return column.get();
    }
    return nullptr;
}

int TDBGridColumns::VisibleCount() const
{
    return int(std::count_if(m_items.begin(), m_items.end(),
                             [](const auto &column) { return column->Visible(); }));
}

void TDBGridColumns::RebuildColumns(const TClientDataSet *dataSet)
{
    BeginUpdate();
    m_items.clear();
    if (dataSet) {
        for (int i = 0; i < dataSet->FieldCount(); ++i) {
            TField *field = dataSet->Fields(i);
            if (!field->Visible())
                continue;
            auto column = std::unique_ptr<TColumn>(new TColumn(this));
            column->m_fieldName = field->FieldName();
            column->m_field = field;
            m_items.push_back(std::move(column));
        }
    }
    m_customized = false;
    m_pendingLayout = true;
    EndUpdate();
}

void TDBGridColumns::ResolveFields(const TClientDataSet *dataSet)
{
    for (const auto &column : m_items)
        column->m_field = dataSet && !column->FieldName().isEmpty()
                              ? dataSet->FindField(column->FieldName())
                              : nullptr;
}

void TDBGridColumns::BeginUpdate()
{
    ++m_updating;
}

void TDBGridColumns::EndUpdate()
{
    if (--m_updating > 0)
        return;
    m_updating = 0;
    if (m_pendingLayout) {
        m_pendingLayout = false;
        if (OnChange)
            OnChange(nullptr, TColumnChange::Layout);
    }
}

void TDBGridColumns::notify(TColumn *column, TColumnChange change)
{
    if (m_updating > 0) {
        m_pendingLayout = true;
        return;
    }
    if (OnChange)
        OnChange(column, change);
}
