// The pieces a data grid is assembled from: the table view, the title header with bands,
// sort markers and the filter row, the indicator column, the cell delegate, the footer row
// and the grouping panel. Internal to the grid.
#pragma once

#include <QHeaderView>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QWidget>

class QLineEdit;
class TColumn;
class TDBGrid;

namespace GridInternal {

inline constexpr char ColumnMimeType[] = "application/x-vzclient-grid-column";

class GridView : public QTableView
{
public:
    explicit GridView(TDBGrid *grid);

    // Commits and closes the in-place editor; false when the value was refused.
    bool commitEditor();
    // Closes the in-place editor and drops what was typed.
    void cancelEditor();
    QWidget *editor() const;
    // Lays out the headers again after the title height changed.
    void relayout() { updateGeometries(); }
    using QTableView::edit;
    // The edit button's rectangle in viewport coordinates (empty when the cell has none).
    QRect editButtonRect(const QModelIndex &index) const;
    bool hasEditButton(const QModelIndex &index) const;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    TDBGrid *m_grid;
};

class GridHeader : public QHeaderView
{
public:
    explicit GridHeader(TDBGrid *grid);

    QSize sizeHint() const override;
    // The filter cell of a section in header coordinates (empty without a filter row).
    QRect filterRect(int logical) const;
    void editFilter(int logical);
    void closeFilterEditor();

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void paintBand(QPainter *painter, const QRect &sectionRect, int logical, int level, int top,
                   int height) const;
    int dropIndex(const QPoint &pos) const;
    bool onResizeHandle(const QPoint &pos) const;

    TDBGrid *m_grid;
    QPoint m_pressPos;
    int m_pressSection = -1;
    bool m_resizing = false;
    QPointer<QLineEdit> m_filterEditor;
    int m_filterSection = -1;
};

// The indicator column: the current record marked by its state (browse, edit, insert).
class GridIndicator : public QHeaderView
{
public:
    explicit GridIndicator(TDBGrid *grid);
    // The marker column is a fixed strip: nothing in it is measured.
    QSize sizeHint() const override { return {IndicatorWidth, length()}; }
    static constexpr int IndicatorWidth = 12;

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;

private:
    TDBGrid *m_grid;
};

class GridDelegate : public QStyledItemDelegate
{
public:
    explicit GridDelegate(TDBGrid *grid);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

    QWidget *currentEditor() const { return m_editor; }
    void editorClosed(QWidget *editor)
    {
        if (m_editor == editor)
            m_editor = nullptr;
    }
    // The last value written from the editor was accepted by the field.
    bool lastCommitAccepted() const { return m_commitAccepted; }
    // A value is being written from the editor right now.
    bool committing() const { return m_committing; }

protected:
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    void paintGroupRow(QPainter *painter, const QStyleOptionViewItem &option,
                       const QModelIndex &index) const;

    TDBGrid *m_grid;
    mutable QPointer<QWidget> m_editor;
    mutable bool m_commitAccepted = true;
    mutable bool m_committing = false;
};

class GridFooter : public QWidget
{
public:
    explicit GridFooter(TDBGrid *grid);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    TDBGrid *m_grid;
};

// The panel above a report grid that titles are dragged onto to group the rows by them.
class GroupPanel : public QWidget
{
public:
    explicit GroupPanel(TDBGrid *grid);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    struct Chip
    {
        QRect rect;
        QRect close;
        QString field;
        QString title;
    };
    QList<Chip> chips() const;

    TDBGrid *m_grid;
};

} // namespace GridInternal
