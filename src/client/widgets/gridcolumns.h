// The columns of a data grid: which field each shows and how (title with bands, width,
// format, edit button, footer). A grid without columns of its own shows one column per
// visible field of its dataset.
#pragma once

#include "client/data/dbtypes.h"

#include <QColor>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class TColumn;
class TDBGridColumns;
class TField;

enum TColumnButtonStyle {
    cbsAuto,     // a pick list drops down when the column has one
    cbsEllipsis, // an edit button that fires the grid's OnEditButtonClick
    cbsNone,
};

enum TFooterValueType { fvtNon, fvtSum, fvtCount, fvtAvg, fvtStaticText };

enum TSortMarker { smNone, smUp, smDown };

// What changed in a column, so the grid repaints no more than it has to.
enum class TColumnChange {
    Layout,   // added, removed, moved or bound to another field
    Geometry, // width or visibility
    Title,
    Footer,
    Appearance,
};

class TColumnTitle
{
public:
    const QString &Caption() const { return m_caption; }
    // "金额|一月": the part before "|" is a band shared with the neighbouring columns whose
    // titles start with the same band.
    void SetCaption(const QString &caption);
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment alignment);
    // A title button sorts (or runs OnTitleClick) when clicked.
    bool TitleButton() const { return m_titleButton; }
    void SetTitleButton(bool on);
    TSortMarker SortMarker() const { return m_sortMarker; }
    void SetSortMarker(TSortMarker marker);
    QColor Color() const { return m_color; } // invalid: the grid's fixed colour
    void SetColor(const QColor &color);

    // The band path and the column's own caption: "A|B|C" gives {"A", "B", "C"}.
    QStringList Levels() const;

private:
    friend class TColumn;
    friend class TDBGridColumns;
    explicit TColumnTitle(TColumn *column)
        : m_column(column)
    {}
    TColumn *m_column;
    QString m_caption;
    TAlignment m_alignment = taCenter;
    bool m_titleButton = false;
    TSortMarker m_sortMarker = smNone;
    QColor m_color;
};

class TColumnFooter
{
public:
    TFooterValueType ValueType() const { return m_valueType; }
    void SetValueType(TFooterValueType type);
    // The field summed; empty means the column's own field.
    const QString &FieldName() const { return m_fieldName; }
    void SetFieldName(const QString &name);
    const QString &DisplayFormat() const { return m_displayFormat; }
    void SetDisplayFormat(const QString &format);
    // The text of a static footer ("合计").
    const QString &Value() const { return m_value; }
    void SetValue(const QString &text);
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment alignment);
    bool HasAlignment() const { return m_hasAlignment; }

    // Shorthands: a sum with its format, a static text.
    void SetSum(const QString &displayFormat, const QString &fieldName = {});
    void SetStaticText(const QString &text);

private:
    friend class TColumn;
    explicit TColumnFooter(TColumn *column)
        : m_column(column)
    {}
    TColumn *m_column;
    TFooterValueType m_valueType = fvtNon;
    QString m_fieldName;
    QString m_displayFormat;
    QString m_value;
    TAlignment m_alignment = taRightJustify;
    bool m_hasAlignment = false;
};

class TColumn
{
public:
    TColumn(const TColumn &) = delete;
    TColumn &operator=(const TColumn &) = delete;

    TDBGridColumns &Collection() const { return *m_collection; }
    int Index() const;
    void SetIndex(int index);

    const QString &FieldName() const { return m_fieldName; }
    void SetFieldName(const QString &name);
    // The field of the grid's dataset, nullptr while closed or when there is none by that name.
    TField *Field() const { return m_field; }

    TColumnTitle &Title() { return m_title; }
    const TColumnTitle &Title() const { return m_title; }
    TColumnFooter &Footer() { return m_footer; }
    const TColumnFooter &Footer() const { return m_footer; }

    // Pixels; 0 takes the field's display width.
    int Width() const { return m_width; }
    void SetWidth(int width);
    bool Visible() const { return m_visible; }
    void SetVisible(bool visible);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly);
    TColumnButtonStyle ButtonStyle() const { return m_buttonStyle; }
    void SetButtonStyle(TColumnButtonStyle style);
    // The edit button shows on every row, not only in the current cell.
    bool AlwaysShowEditButton() const { return m_alwaysShowEditButton; }
    void SetAlwaysShowEditButton(bool on);
    // Overrides the field's display mask for this column ("#,0.00", "yyyy-mm-dd").
    const QString &DisplayFormat() const { return m_displayFormat; }
    void SetDisplayFormat(const QString &format);
    // Numbers are right-aligned unless the column says otherwise.
    TAlignment Alignment() const;
    void SetAlignment(TAlignment alignment);
    QColor Color() const { return m_color; } // invalid: the grid's cell colour
    void SetColor(const QColor &color);
    QColor FontColor() const { return m_fontColor; }
    void SetFontColor(const QColor &color);
    const QStringList &PickList() const { return m_pickList; }
    void SetPickList(const QStringList &items);
    // Draws the value as ledger digit cells.
    bool LedgerCells() const { return m_ledgerCells; }
    void SetLedgerCells(bool on);
    int Tag() const { return m_tag; }
    void SetTag(int tag) { m_tag = tag; }

    // True when the user may change the cell: neither the column nor its field is read-only.
    bool CanModify() const;

private:
    friend class TDBGridColumns;
    friend class TColumnTitle;
    friend class TColumnFooter;
    explicit TColumn(TDBGridColumns *collection);
    void changed(TColumnChange change);

    TDBGridColumns *m_collection;
    QString m_fieldName;
    TField *m_field = nullptr;
    TColumnTitle m_title{this};
    TColumnFooter m_footer{this};
    int m_width = 0;
    bool m_visible = true;
    bool m_readOnly = false;
    TColumnButtonStyle m_buttonStyle = cbsAuto;
    bool m_alwaysShowEditButton = false;
    QString m_displayFormat;
    TAlignment m_alignment = taLeftJustify;
    bool m_hasAlignment = false;
    QColor m_color;
    QColor m_fontColor;
    QStringList m_pickList;
    bool m_ledgerCells = false;
    int m_tag = 0;
};

// The columns of one grid, in display order.
class TDBGridColumns
{
public:
    using TChangeHandler = std::function<void(TColumn *column, TColumnChange change)>;

    TDBGridColumns();
    ~TDBGridColumns();
    TDBGridColumns(const TDBGridColumns &) = delete;
    TDBGridColumns &operator=(const TDBGridColumns &) = delete;

    int Count() const { return int(m_items.size()); }
    TColumn *operator[](int index) const { return m_items[size_t(index)].get(); }
    TColumn *Items(int index) const { return m_items[size_t(index)].get(); }
    // Adds a column; its title defaults to the field's label once the dataset is open.
    TColumn *Add();
    TColumn *Add(const QString &fieldName, const QString &title = {}, int width = 0);
    void Remove(TColumn *column);
    void Clear();
    void Move(int from, int to);
    int IndexOf(const TColumn *column) const;
    // Case-insensitive; nullptr when no column shows the field.
    TColumn *FindByFieldName(const QString &fieldName) const;
    int VisibleCount() const;

    // Columns added by the program are kept; without any, the grid shows every visible field
    // and rebuilds the columns whenever the dataset's fields change.
    bool Customized() const { return m_customized; }
    // Replaces the columns with one per visible field of dataSet (the columns stay default).
    void RebuildColumns(const TClientDataSet *dataSet);
    // Finds the fields of dataSet (nullptr: none) for every column.
    void ResolveFields(const TClientDataSet *dataSet);

    void BeginUpdate();
    void EndUpdate();

    TChangeHandler OnChange;

private:
    friend class TColumn;
    void notify(TColumn *column, TColumnChange change);

    std::vector<std::unique_ptr<TColumn>> m_items;
    bool m_customized = false;
    int m_updating = 0;
    bool m_pendingLayout = false;
};
