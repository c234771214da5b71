// The data grid: the rows of a data source's dataset under titled columns, with footers,
// title-click sorting, editing through the dataset, cell hooks, ledger amount cells, a
// grouping panel and a filter row for reports, and column layouts kept in an ini file.
//
// Built on Qt's model/view: a grid over a hundred thousand rows paints only the rows in
// sight and creates no widget per row.
#pragma once

#include "client/widgets/gridcolumns.h"

#include <QFlags>
#include <QFont>
#include <QFrame>
#include <QHash>
#include <QRect>

#include <functional>
#include <memory>

class QPainter;
class QScrollBar;
class QTableView;
class TClientDataSet;
class TDataSource;
class TDBGridModel;

namespace GridInternal {
class GridView;
class GridHeader;
class GridIndicator;
class GridDelegate;
class GridFooter;
class GroupPanel;
} // namespace GridInternal

enum TDBGridOption {
    dgEditing = 0x1,
    dgTitles = 0x2,
    dgIndicator = 0x4,
    dgColumnResize = 0x8,
    dgColLines = 0x10,
    dgRowLines = 0x20,
    dgTabs = 0x40,
    dgRowSelect = 0x80,
    dgAlwaysShowSelection = 0x100,
    dgCancelOnExit = 0x200,
};
Q_DECLARE_FLAGS(TDBGridOptions, TDBGridOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TDBGridOptions)

enum TGridDrawStateFlag {
    gdSelected = 0x1,   // the cell is highlighted (current cell, or current row in row select)
    gdFocused = 0x2,    // the current cell of a focused grid
    gdCurrentRow = 0x4, // the row of the dataset's current record
};
Q_DECLARE_FLAGS(TGridDrawState, TGridDrawStateFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TGridDrawState)

// What OnGetCellParams may change before a cell is painted. While the handler runs, the
// dataset's fields read the row being painted.
struct TCellParams
{
    int Row = -1; // the dataset row
    QString Text;
    QFont Font;
    QColor Background;
    QColor FontColor;
    TAlignment Alignment = taLeftJustify;
    TGridDrawState State;
};

// Where one column stands in a saved layout. The grid hands its layout out and takes one
// back; where layouts are kept is the owning form's business.
struct TColumnPlacement
{
    int Position = 0;
    int Width = 0;
};
// Keyed by field name, "#n" for the n-th column when it has none.
using TColumnsLayout = QHash<QString, TColumnPlacement>;

class TDBGrid : public QFrame
{
    Q_OBJECT
public:
    explicit TDBGrid(QWidget *parent = nullptr);
    ~TDBGrid() override;

    TDataSource *DataSource() const;
    void SetDataSource(TDataSource *dataSource); // not owned
    // The dataset while the source is active, else nullptr.
    TClientDataSet *DataSet() const;
    TDBGridColumns &Columns() { return m_columns; }
    const TDBGridColumns &Columns() const { return m_columns; }

    TDBGridOptions Options() const { return m_options; }
    void SetOptions(TDBGridOptions options);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly);
    // Rows are 20 pixels high unless told otherwise.
    int RowHeight() const { return m_rowHeight; }
    void SetRowHeight(int height);
    // Titles wrap over several lines and "|" bands titles over several columns.
    bool UseMultiTitle() const { return m_useMultiTitle; }
    void SetUseMultiTitle(bool on);
    // Colour of the titles and the indicator column.
    QColor FixedColor() const { return m_fixedColor; }
    void SetFixedColor(const QColor &color);
    // Colour of the data cells.
    QColor Color() const { return m_color; }
    void SetColor(const QColor &color);
    // Every column's title becomes a title button.
    void SetTitleButtons(bool on);

    // --- Footers ----------------------------------------------------------------------------
    int FooterRowCount() const { return m_footerRowCount; }
    void SetFooterRowCount(int count); // 0 or 1
    QColor FooterColor() const { return m_footerColor; }
    void SetFooterColor(const QColor &color);
    // The footer of a column: the sum (count, average) over the visible rows, or its text.
    QVariant FooterValue(int column) const;
    QString FooterText(int column) const;

    // --- Current cell -----------------------------------------------------------------------
    int SelectedIndex() const { return m_selectedIndex; }
    void SetSelectedIndex(int column);
    TColumn *SelectedColumn() const;
    TField *SelectedField() const;
    // The in-place editor is open.
    bool EditorMode() const;
    void SetEditorMode(bool on);
    QWidget *InplaceEditor() const;
    // Grid coordinates of a cell of a dataset row; empty when it is not in sight.
    QRect CellRect(int dataRow, int column) const;
    QRect CurrentCellRect() const;

    // --- Sorting ----------------------------------------------------------------------------
    // The title-click rule: the first click orders ascending through the dataset's index field
    // names; a click on the column already ordered ascending selects a descending index named
    // "i" + field name (made when missing).
    void SortByColumn(int column);

    // --- Grouping and filter row (report grids) ---------------------------------------------
    bool GroupPanelVisible() const { return m_groupPanelVisible; }
    void SetGroupPanelVisible(bool visible);
    QStringList GroupFields() const;
    void SetGroupFields(const QStringList &fieldNames);
    void GroupByColumn(int column);
    void UngroupField(const QString &fieldName);
    void SetAllGroupsExpanded(bool expanded);

    bool FilterRowVisible() const { return m_filterRowVisible; }
    void SetFilterRowVisible(bool visible);
    QString ColumnFilterText(int column) const;
    // Applied at once: the dataset shows only the rows that match every column's text.
    void SetColumnFilterText(int column, const QString &text);
    void ClearFilterRow();
    // The dataset filter the row's texts give: numbers and dates compare ("=" unless the text
    // starts with < > <= >= <>), texts match anywhere.
    QString FilterExpression() const;

    // --- Column layout ----------------------------------------------------------------------
    // Column order and widths. Columns the layout does not name keep their place among the
    // others; a width of 0 keeps the column's width.
    TColumnsLayout ColumnsLayout() const;
    void ApplyColumnsLayout(const TColumnsLayout &layout);

    // --- Painting helpers for hooks ---------------------------------------------------------
    // The cell as the grid draws it without hooks.
    void DefaultDrawColumnCell(QPainter &painter, const QRect &rect, TColumn &column,
                               const TCellParams &params) const;

    QTableView *View() const;
    // Scrolls the view sideways by whole columns (negative: to the left).
    void ScrollColumns(int columns);
    TDBGridModel *Model() const { return m_model; }

    // --- Events -----------------------------------------------------------------------------
    std::function<void(TDBGrid &Sender)> OnEditButtonClick;
    // Characters typed into the grid or its editor, Enter as '\r' and Escape as '\x1b'; a
    // handler that sets Key to a null character swallows the key.
    std::function<void(TDBGrid &Sender, QChar &Key)> OnKeyPress;
    // Every key before the grid handles it (Qt key codes); Key = 0 swallows it.
    std::function<void(TDBGrid &Sender, int &Key, Qt::KeyboardModifiers Shift)> OnKeyDown;
    std::function<void(TDBGrid &Sender)> OnColEnter;
    std::function<void(TDBGrid &Sender)> OnColExit;
    std::function<void(TDBGrid &Sender)> OnDblClick;
    std::function<void(TDBGrid &Sender, TColumn &Column)> OnCellClick;
    // Replaces the title-click sort for title buttons.
    std::function<void(TDBGrid &Sender, TColumn &Column)> OnTitleClick;
    // After the grid drew a data cell; the dataset's fields read the painted row.
    std::function<void(TDBGrid &Sender, QPainter &Canvas, const QRect &Rect, int DataCol,
                       TColumn &Column, TGridDrawState State)>
        OnDrawColumnCell;
    std::function<void(TDBGrid &Sender, TColumn &Column, TCellParams &Params)> OnGetCellParams;

protected:
    void changeEvent(QEvent *event) override;

private:
    friend class GridInternal::GridView;
    friend class GridInternal::GridHeader;
    friend class GridInternal::GridIndicator;
    friend class GridInternal::GridDelegate;
    friend class GridInternal::GridFooter;
    friend class GridInternal::GroupPanel;

    void columnsChanged(TColumn *column, TColumnChange change);
    void applyColumnGeometry();
    void applyOptions();
    void applyGroupSpans();
    void dataEvent(TDataEvent event, const TDataEventInfo &info);
    void syncCurrentFromDataSet();
    void viewCurrentChanged(const QModelIndex &current, const QModelIndex &previous);
    void titleClicked(int column);
    void editButtonClicked();
    void moveColumn(int from, int to);
    void invalidateFooters();
    void applyFilterRow();
    // OnKeyDown and OnKeyPress for a key typed into the grid or its editor; true when a
    // handler swallowed it.
    bool dispatchKey(QKeyEvent *event);
    // The grid's own keys: Escape cancels, Down past the last row appends, Insert inserts.
    bool handleGridKey(QKeyEvent *event);
    TCellParams cellParams(int dataRow, TColumn &column, TGridDrawState state) const;
    // The title band's height, kept since the last updateHeaderHeight: the header asks for it on
    // every layout and paint, and measuring wrapped titles is the costliest part of a relayout.
    int titleHeight() const { return m_titleHeight; }
    int measureTitleHeight() const;
    int filterRowHeight() const;
    void updateHeaderHeight();
    void layoutParts();
    void footerRepaint();

    TDBGridColumns m_columns;
    TDBGridModel *m_model;
    GridInternal::GridView *m_view;
    GridInternal::GridHeader *m_header;
    GridInternal::GridIndicator *m_indicator;
    GridInternal::GridDelegate *m_delegate;
    GridInternal::GridFooter *m_footer;
    GridInternal::GroupPanel *m_groupPanel;
    QScrollBar *m_hbar;

    TDBGridOptions m_options;
    bool m_readOnly = false;
    int m_rowHeight = 20;
    int m_titleHeight = 20;
    bool m_useMultiTitle = false;
    bool m_titleButtons = false;
    QColor m_fixedColor;
    QColor m_color;
    int m_footerRowCount = 0;
    QColor m_footerColor;
    int m_selectedIndex = 0;
    bool m_syncing = false;
    bool m_applyingGeometry = false;
    bool m_groupPanelVisible = false;
    bool m_filterRowVisible = false;
    bool m_filterOwned = false;
    QHash<QString, QString> m_filterTexts; // by lower-case field name
    mutable std::vector<QVariant> m_footerValues;
    mutable bool m_footersValid = false;
    const QKeyEvent *m_dispatchedEvent = nullptr;
};
