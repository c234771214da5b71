// The parts of the data grid: view, headers, delegate, footer and grouping panel.
#include "client/widgets/gridparts.h"
#include "client/widgets/uistyle.h"

#include "client/data/clientdataset.h"
#include "client/data/fields.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/gridmodel.h"
#include "client/widgets/messagebox.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDrag>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpressionValidator>
#include <QTimer>

namespace GridInternal {

namespace {

const QColor GridLineColor(0xC0, 0xC0, 0xC0);
const QColor FixedLineColor(0x80, 0x80, 0x80);
constexpr int EditButtonWidth = 16;
constexpr int GroupIndent = 16;

void drawEditButton(QPainter &painter, const QRect &rect)
{
    painter.save();
    painter.fillRect(rect, QColor(0xF0, 0xF0, 0xF0));
    painter.setPen(Qt::white);
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
    painter.setPen(FixedLineColor);
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomRight());
    painter.setPen(Qt::black);
    const int y = rect.center().y() + 1;
    for (int i = -1; i <= 1; ++i)
        painter.drawPoint(rect.center().x() + i * 3, y);
    painter.restore();
}

void drawSortMarker(QPainter &painter, const QRect &cell, TSortMarker marker)
{
    if (marker == smNone)
        return;
    const int x = cell.right() - 9;
    const int y = cell.center().y();
    QPainterPath path;
    if (marker == smUp) {
        path.moveTo(x - 4, y + 2);
        path.lineTo(x + 4, y + 2);
        path.lineTo(x, y - 3);
    } else {
        path.moveTo(x - 4, y - 2);
        path.lineTo(x + 4, y - 2);
        path.lineTo(x, y + 3);
    }
    path.closeSubpath();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(path, QColor(0x40, 0x40, 0x40));
    painter.restore();
}

void drawFixedCell(QPainter &painter, const QRect &rect, const QColor &color)
{
    painter.fillRect(rect, color);
    painter.setPen(color.lighter(115));
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
    painter.setPen(FixedLineColor);
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomRight());
}

QIcon ellipsisIcon()
{
    QPixmap pixmap(12, 12);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    for (int i = 0; i < 3; ++i)
        painter.drawRect(1 + i * 4, 8, 1, 1);
    return QIcon(pixmap);
}

bool isBooleanColumn(const TColumn *column)
{
    return column && column->Field() && column->Field()->DataType() == ftBoolean;
}

} // namespace

// --- GridView -------------------------------------------------------------------------------

GridView::GridView(TDBGrid *grid)
    : QTableView(grid)
    , m_grid(grid)
{
    setFrameShape(QFrame::NoFrame);
    setCornerButtonEnabled(false);
    setWordWrap(false);
    setShowGrid(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
}

QWidget *GridView::editor() const
{
    return m_grid->m_delegate->currentEditor();
}

bool GridView::commitEditor()
{
    QWidget *current = editor();
    if (!current)
        return true;
    if (state() != QAbstractItemView::EditingState) {
        // Closed already, its deletion still pending.
        m_grid->m_delegate->editorClosed(current);
        return true;
    }
    // Writing the cell puts the dataset into edit state, which asks the grid to commit again.
    if (m_grid->m_delegate->committing())
        return true;
    commitData(current);
    if (!m_grid->m_delegate->lastCommitAccepted()) {
        current->setFocus();
        return false;
    }
    closeEditor(current, QAbstractItemDelegate::NoHint);
    return true;
}

void GridView::cancelEditor()
{
    if (QWidget *current = editor())
        closeEditor(current, QAbstractItemDelegate::RevertModelCache);
}

bool GridView::hasEditButton(const QModelIndex &index) const
{
    if (!index.isValid() || m_grid->m_model->IsGroupRow(index.row()))
        return false;
    const TColumn *column = m_grid->m_columns[index.column()];
    if (column->ButtonStyle() != cbsEllipsis)
        return false;
    if (column->AlwaysShowEditButton())
        return true;
    const bool editable = (m_grid->m_options & dgEditing) && !m_grid->m_readOnly;
    return editable && index == currentIndex();
}

QRect GridView::editButtonRect(const QModelIndex &index) const
{
    if (!hasEditButton(index))
        return {};
    const QRect cell = visualRect(index);
    return QRect(cell.right() - EditButtonWidth, cell.top(), EditButtonWidth, cell.height() - 1);
}

void GridView::keyPressEvent(QKeyEvent *event)
{
    QWidget *focus = QApplication::focusWidget();
    const bool fromEditor =
        editor() && focus && (focus == editor() || editor()->isAncestorOf(focus));
    if (!fromEditor && m_grid->dispatchKey(event)) {
        event->accept();
        return;
    }
    if (fromEditor && event->key() == Qt::Key_Down && !commitEditor()) {
        event->accept();
        return;
    }
    if (m_grid->handleGridKey(event)) {
        event->accept();
        return;
    }
    const QKeyEvent *saved = m_grid->m_dispatchedEvent;
    m_grid->m_dispatchedEvent = event;
    QTableView::keyPressEvent(event);
    m_grid->m_dispatchedEvent = saved;
}

void GridView::mousePressEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && event->button() == Qt::LeftButton) {
        if (m_grid->m_model->IsGroupRow(index.row())) {
            const int level = m_grid->m_model->GroupLevel(index.row());
            const int x = event->position().toPoint().x() - visualRect(index).left();
            if (x < (level + 1) * GroupIndent + 4) {
                m_grid->m_model->ToggleGroup(index.row());
                return;
            }
        } else if (hasEditButton(index) &&
                   editButtonRect(index).contains(event->position().toPoint())) {
            if (index != currentIndex()) {
                QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect;
                if (m_grid->m_options & dgRowSelect)
                    flags |= QItemSelectionModel::Rows;
                selectionModel()->setCurrentIndex(index, flags);
            }
            if (currentIndex() == index)
                m_grid->editButtonClicked();
            return;
        }
    }
    QTableView::mousePressEvent(event);
    if (index.isValid() && !m_grid->m_model->IsGroupRow(index.row()) && m_grid->OnCellClick) {
        TColumn *column = m_grid->m_columns[index.column()];
        Guarded([&] { m_grid->OnCellClick(*m_grid, *column); });
    }
}

void GridView::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && m_grid->m_model->IsGroupRow(index.row())) {
        m_grid->m_model->ToggleGroup(index.row());
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
    if (index.isValid() && m_grid->OnDblClick)
        Guarded([&] { m_grid->OnDblClick(*m_grid); });
}

bool GridView::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    if (index.isValid() && m_grid->m_model->IsGroupRow(index.row()))
        return false;
    if (trigger == SelectedClicked && event && event->type() == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (editButtonRect(index).contains(mouse->position().toPoint()))
            return false;
    }
    return QTableView::edit(index, trigger, event);
}

void GridView::focusOutEvent(QFocusEvent *event)
{
    QTableView::focusOutEvent(event);
    if (!(m_grid->m_options & dgCancelOnExit))
        return;
    // An untouched new record is dropped when the focus leaves the grid for good.
    QTimer::singleShot(0, m_grid, [grid = m_grid] {
        QWidget *focus = QApplication::focusWidget();
        if (focus && (focus == grid || grid->isAncestorOf(focus)))
            return;
        TClientDataSet *ds = grid->DataSet();
        if (ds && ds->State() == dsInsert && !ds->Modified())
            Guarded([&] { ds->Cancel(); });
    });
}

void GridView::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    m_grid->m_delegate->editorClosed(editor);
    QTableView::closeEditor(editor, hint);
}

void GridView::scrollContentsBy(int dx, int dy)
{
    QTableView::scrollContentsBy(dx, dy);
    if (dx != 0) {
        m_grid->m_header->closeFilterEditor();
        m_grid->footerRepaint();
    }
}

// --- GridHeader -----------------------------------------------------------------------------

GridHeader::GridHeader(TDBGrid *grid)
    : QHeaderView(Qt::Horizontal, grid)
    , m_grid(grid)
{
    setSectionsClickable(false);
    setSectionsMovable(false);
    setHighlightSections(false);
    setStretchLastSection(false);
    setMinimumSectionSize(8);
    setDefaultAlignment(Qt::AlignCenter);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
}

QSize GridHeader::sizeHint() const
{
    // The height is the grid's own; the base class would measure every title for a width the
    // view never uses.
    return {length(), m_grid->titleHeight() + m_grid->filterRowHeight()};
}

QRect GridHeader::filterRect(int logical) const
{
    if (!m_grid->m_filterRowVisible || logical < 0 || logical >= count())
        return {};
    const int top = m_grid->titleHeight();
    return QRect(sectionViewportPosition(logical), top, sectionSize(logical),
                 m_grid->filterRowHeight());
}

void GridHeader::editFilter(int logical)
{
    closeFilterEditor();
    const QRect rect = filterRect(logical);
    if (rect.isEmpty() || m_grid->m_columns[logical]->FieldName().isEmpty())
        return;
    auto *editor = new QLineEdit(viewport());
    editor->setFrame(false);
    editor->setText(m_grid->ColumnFilterText(logical));
    editor->setGeometry(rect.adjusted(0, 0, -1, -1));
    m_filterEditor = editor;
    m_filterSection = logical;
    connect(editor, &QLineEdit::textEdited, m_grid, [grid = m_grid, logical](const QString &text) {
        grid->SetColumnFilterText(logical, text);
    });
    connect(editor, &QLineEdit::editingFinished, this,
            [this] { QTimer::singleShot(0, this, [this] { closeFilterEditor(); }); });
    editor->show();
    editor->setFocus();
}

void GridHeader::closeFilterEditor()
{
    if (m_filterEditor) {
        m_filterEditor->hide();
        m_filterEditor->deleteLater();
    }
    m_filterEditor = nullptr;
    m_filterSection = -1;
}

void GridHeader::paintBand(QPainter *painter, const QRect &sectionRect, int logical, int level,
                           int top, int height) const
{
    const QStringList levels = m_grid->m_columns[logical]->Title().Levels();
    const QStringList prefix = levels.mid(0, level + 1);
    auto sharesBand = [&](int other) {
        const QStringList otherLevels = m_grid->m_columns[other]->Title().Levels();
        return otherLevels.size() > level + 1 && otherLevels.mid(0, level + 1) == prefix;
    };
    const int visual = visualIndex(logical);
    int first = visual;
    int last = visual;
    for (int v = visual - 1; v >= 0; --v) {
        const int other = logicalIndex(v);
        if (isSectionHidden(other))
            continue;
        if (!sharesBand(other))
            break;
        first = v;
    }
    for (int v = visual + 1; v < count(); ++v) {
        const int other = logicalIndex(v);
        if (isSectionHidden(other))
            continue;
        if (!sharesBand(other))
            break;
        last = v;
    }
    const int left = sectionViewportPosition(logicalIndex(first));
    const int right = sectionViewportPosition(logicalIndex(last)) + sectionSize(logicalIndex(last));
    const QRect band(left, top, right - left, height);

    painter->save();
    painter->setClipRect(QRect(sectionRect.left(), top, sectionRect.width(), height));
    drawFixedCell(*painter, band, m_grid->m_fixedColor);
    painter->setPen(Qt::black);
    painter->drawText(band.adjusted(2, 0, -2, 0), Qt::AlignCenter | Qt::TextSingleLine,
                      prefix.last());
    painter->restore();
}

void GridHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    if (logicalIndex < 0 || logicalIndex >= m_grid->m_columns.Count())
        return;
    const TColumn *column = m_grid->m_columns[logicalIndex];
    const QStringList levels = m_grid->m_useMultiTitle
                                   ? column->Title().Levels()
                                   : QStringList{column->Title().Levels().join(QLatin1Char('|'))};
    const int titleHeight = m_grid->titleHeight();
    const int band = painter->fontMetrics().height() + 6;
    const int bands = int(levels.size()) - 1;
    for (int level = 0; level < bands; ++level)
        paintBand(painter, rect, logicalIndex, level, level * band, band);

    const QRect cell(rect.left(), bands * band, rect.width(), titleHeight - bands * band);
    painter->save();
    painter->setClipRect(cell);
    const QColor color =
        column->Title().Color().isValid() ? column->Title().Color() : m_grid->m_fixedColor;
    drawFixedCell(*painter, cell, color);
    painter->setPen(Qt::black);
    int flags = QtAlignment(column->Title().Alignment());
    flags |= m_grid->m_useMultiTitle ? Qt::TextWordWrap : Qt::TextSingleLine;
    const int markerSpace = column->Title().SortMarker() == smNone ? 0 : 12;
    painter->drawText(cell.adjusted(3, 1, -3 - markerSpace, -1), flags, levels.last());
    drawSortMarker(*painter, cell, column->Title().SortMarker());
    painter->restore();

    if (m_grid->m_filterRowVisible) {
        const QRect filter(rect.left(), titleHeight, rect.width(), m_grid->filterRowHeight());
        painter->save();
        painter->setClipRect(filter);
        painter->fillRect(filter, Qt::white);
        painter->setPen(GridLineColor);
        painter->drawLine(filter.bottomLeft(), filter.bottomRight());
        painter->drawLine(filter.topRight(), filter.bottomRight());
        const QString text = m_grid->ColumnFilterText(logicalIndex);
        if (!text.isEmpty()) {
            painter->setPen(QColor(0x00, 0x00, 0x80));
            painter->drawText(filter.adjusted(3, 0, -3, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
        }
        painter->restore();
    }
}

bool GridHeader::onResizeHandle(const QPoint &pos) const
{
    if (!(m_grid->m_options & dgColumnResize))
        return false;
    const int logical = logicalIndexAt(pos);
    if (logical < 0)
        return false;
    const int left = sectionViewportPosition(logical);
    const int right = left + sectionSize(logical);
    return pos.x() >= right - 4 || (pos.x() <= left + 3 && visualIndex(logical) > 0);
}

void GridHeader::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (event->button() != Qt::LeftButton) {
        QHeaderView::mousePressEvent(event);
        return;
    }
    if (m_grid->m_filterRowVisible && pos.y() >= m_grid->titleHeight()) {
        editFilter(logicalIndexAt(pos));
        return;
    }
    closeFilterEditor();
    if (onResizeHandle(pos)) {
        m_resizing = true;
        QHeaderView::mousePressEvent(event);
        return;
    }
    m_pressPos = pos;
    m_pressSection = logicalIndexAt(pos);
}

void GridHeader::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (m_resizing || !(event->buttons() & Qt::LeftButton) || m_pressSection < 0) {
        QHeaderView::mouseMoveEvent(event);
        return;
    }
    if ((pos - m_pressPos).manhattanLength() < QApplication::startDragDistance())
        return;
    const int section = std::exchange(m_pressSection, -1);
    auto *mime = new QMimeData;
    mime->setData(QLatin1String(ColumnMimeType), QByteArray::number(section));
    auto *drag = new QDrag(this);
    drag->setMimeData(mime);
    const QRect rect(sectionViewportPosition(section), 0, sectionSize(section),
                     m_grid->titleHeight());
    drag->setPixmap(viewport()->grab(rect));
    drag->setHotSpot(m_pressPos - rect.topLeft());
    drag->exec(Qt::MoveAction);
}

void GridHeader::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_resizing) {
        m_resizing = false;
        QHeaderView::mouseReleaseEvent(event);
        return;
    }
    const int section = std::exchange(m_pressSection, -1);
    if (section >= 0 && logicalIndexAt(event->position().toPoint()) == section)
        m_grid->titleClicked(section);
}

int GridHeader::dropIndex(const QPoint &pos) const
{
    int logical = logicalIndexAt(pos);
    if (logical < 0)
        return pos.x() < 0 ? 0 : count();
    const int middle = sectionViewportPosition(logical) + sectionSize(logical) / 2;
    return pos.x() > middle ? logical + 1 : logical;
}

void GridHeader::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasFormat(QLatin1String(ColumnMimeType)) && event->source() == this)
        event->acceptProposedAction();
    else
        event->ignore();
}

void GridHeader::dragMoveEvent(QDragMoveEvent *event)
{
    if (event->mimeData()->hasFormat(QLatin1String(ColumnMimeType)) && event->source() == this)
        event->acceptProposedAction();
    else
        event->ignore();
}

void GridHeader::dropEvent(QDropEvent *event)
{
    if (!event->mimeData()->hasFormat(QLatin1String(ColumnMimeType)) || event->source() != this) {
        event->ignore();
        return;
    }
    const int from = event->mimeData()->data(QLatin1String(ColumnMimeType)).toInt();
    int to = dropIndex(event->position().toPoint());
    if (to > from)
        --to;
    event->acceptProposedAction();
    if (from != to)
        QTimer::singleShot(0, m_grid, [grid = m_grid, from, to] { grid->moveColumn(from, to); });
}

void GridHeader::contextMenuEvent(QContextMenuEvent *event)
{
    const int logical = logicalIndexAt(event->pos());
    QMenu menu(this);
    if (m_grid->m_groupPanelVisible && logical >= 0) {
        menu.addAction(QStringLiteral("按此列分组"), m_grid,
                       [grid = m_grid, logical] { grid->GroupByColumn(logical); });
        if (!m_grid->GroupFields().isEmpty())
            menu.addAction(QStringLiteral("取消全部分组"), m_grid,
                           [grid = m_grid] { grid->SetGroupFields({}); });
    }
    if (m_grid->m_filterRowVisible)
        menu.addAction(QStringLiteral("清除过滤条件"), m_grid,
                       [grid = m_grid] { grid->ClearFilterRow(); });
    if (menu.isEmpty()) {
        event->ignore();
        return;
    }
    menu.exec(event->globalPos());
}

// --- GridIndicator --------------------------------------------------------------------------

GridIndicator::GridIndicator(TDBGrid *grid)
    : QHeaderView(Qt::Vertical, grid)
    , m_grid(grid)
{
    setSectionResizeMode(QHeaderView::Fixed);
    setMinimumSectionSize(8);
    setDefaultSectionSize(grid->RowHeight());
    setMinimumWidth(IndicatorWidth);
    setMaximumWidth(IndicatorWidth);
    setSectionsClickable(false);
    setHighlightSections(false);
}

void GridIndicator::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    drawFixedCell(*painter, rect, m_grid->m_fixedColor);
    TClientDataSet *ds = m_grid->DataSet();
    if (!ds || m_grid->m_model->ModelRow(ds->CurrentRow()) != logicalIndex)
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QPoint c = rect.center();
    switch (ds->State()) {
    case dsEdit:
        painter->setPen(QPen(Qt::black, 1));
        painter->drawLine(c.x(), c.y() - 4, c.x(), c.y() + 4);
        painter->drawLine(c.x() - 2, c.y() - 4, c.x() + 2, c.y() - 4);
        painter->drawLine(c.x() - 2, c.y() + 4, c.x() + 2, c.y() + 4);
        break;
    case dsInsert:
        painter->setPen(Qt::black);
        painter->drawText(rect, Qt::AlignCenter, QStringLiteral("*"));
        break;
    default: {
        QPainterPath path;
        path.moveTo(c.x() - 2, c.y() - 4);
        path.lineTo(c.x() + 3, c.y());
        path.lineTo(c.x() - 2, c.y() + 4);
        path.closeSubpath();
        painter->fillPath(path, Qt::black);
        break;
    }
    }
    painter->restore();
}

// --- GridDelegate ---------------------------------------------------------------------------

GridDelegate::GridDelegate(TDBGrid *grid)
    : QStyledItemDelegate(grid)
    , m_grid(grid)
{}

void GridDelegate::paintGroupRow(QPainter *painter, const QStyleOptionViewItem &option,
                                 const QModelIndex &index) const
{
    const int level = index.data(TDBGridModel::GroupLevelRole).toInt();
    const bool expanded = index.data(TDBGridModel::GroupExpandedRole).toBool();
    QRect rect = option.rect;
    painter->save();
    const bool selected = option.state & QStyle::State_Selected;
    painter->fillRect(rect, selected ? option.palette.color(QPalette::Highlight)
                                     : m_grid->m_fixedColor.lighter(104));
    painter->setPen(GridLineColor);
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    const QRect glyph(rect.left() + level * GroupIndent + 4, rect.center().y() - 4, 9, 9);
    painter->setPen(FixedLineColor);
    painter->setBrush(Qt::white);
    painter->drawRect(glyph);
    painter->setPen(Qt::black);
    painter->drawLine(glyph.left() + 2, glyph.center().y(), glyph.right() - 2, glyph.center().y());
    if (!expanded)
        painter->drawLine(glyph.center().x(), glyph.top() + 2, glyph.center().x(),
                          glyph.bottom() - 2);
    QFont font = option.font;
    font.setBold(true);
    painter->setFont(font);
    painter->setPen(selected ? option.palette.color(QPalette::HighlightedText) : Qt::black);
    const QRect text = rect.adjusted(glyph.right() + 6 - rect.left(), 0, -4, 0);
    painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      index.data(Qt::DisplayRole).toString());
    painter->restore();
}

void GridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                         const QModelIndex &index) const
{
    if (index.data(TDBGridModel::DataRowRole).toInt() < 0) {
        paintGroupRow(painter, option, index);
        return;
    }
    auto *view = static_cast<GridView *>(m_grid->m_view);
    TColumn *column = m_grid->m_columns[index.column()];
    const int dataRow = index.data(TDBGridModel::DataRowRole).toInt();
    TClientDataSet *ds = m_grid->DataSet();
    TGridDrawState state;
    if (option.state & QStyle::State_Selected)
        state |= gdSelected;
    if (index == view->currentIndex() && view->hasFocus())
        state |= gdFocused;
    if (ds && ds->CurrentRow() == dataRow)
        state |= gdCurrentRow;

    const QRect cell = option.rect;
    const TCellParams params = m_grid->cellParams(dataRow, *column, state);
    painter->save();
    m_grid->DefaultDrawColumnCell(*painter, cell, *column, params);
    if (view->hasEditButton(index))
        drawEditButton(*painter, view->editButtonRect(index));
    painter->restore();

    if (m_grid->OnDrawColumnCell && ds && dataRow >= 0 && dataRow < ds->RowCount()) {
        TClientDataSet::TRowScope scope(*ds, dataRow);
        painter->save();
        try {
            m_grid->OnDrawColumnCell(*m_grid, *painter, cell, index.column(), *column, state);
        } catch (const std::exception &) {
            // A failing painting hook leaves the cell as drawn.
        }
        painter->restore();
    }

    painter->save();
    painter->setPen(GridLineColor);
    if (m_grid->m_options & dgColLines)
        painter->drawLine(cell.topRight(), cell.bottomRight());
    if (m_grid->m_options & dgRowLines)
        painter->drawLine(cell.bottomLeft(), cell.bottomRight());
    if ((state & gdFocused) && !(m_grid->m_options & dgRowSelect)) {
        QPen pen(Qt::white, 1, Qt::DotLine);
        painter->setPen(pen);
        painter->drawRect(cell.adjusted(0, 0, -2, -2));
    }
    painter->restore();
}

QWidget *GridDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                    const QModelIndex &index) const
{
    Q_UNUSED(option);
    TColumn *column = m_grid->m_columns[index.column()];
    if (!column->Field() || isBooleanColumn(column))
        return nullptr;
    QWidget *editor = nullptr;
    if (!column->PickList().isEmpty() && column->ButtonStyle() == cbsAuto) {
        auto *combo = new QComboBox(parent);
        combo->setEditable(true);
        combo->addItems(column->PickList());
        combo->setFrame(false);
        editor = combo;
    } else {
        auto *line = new QLineEdit(parent);
        line->setFrame(false);
        TField *field = column->Field();
        if (field->IsNumeric()) {
            static const QRegularExpression number(QStringLiteral("[-+0-9.,eE]*"));
            line->setValidator(new QRegularExpressionValidator(number, line));
        }
        if (field->DataType() == ftWideString && field->Size() > 0)
            line->setMaxLength(field->Size());
        if (column->ButtonStyle() == cbsEllipsis) {
            QAction *button = line->addAction(ellipsisIcon(), QLineEdit::TrailingPosition);
            connect(button, &QAction::triggered, m_grid, [grid = m_grid] {
                QTimer::singleShot(0, grid, [grid] { grid->editButtonClicked(); });
            });
        }
        editor = line;
    }
    editor->setFont(m_grid->m_view->font());
    editor->setAutoFillBackground(true);
    m_editor = editor;
    m_commitAccepted = true;
    return editor;
}

void GridDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    const QString text = index.data(Qt::EditRole).toString();
    if (auto *line = qobject_cast<QLineEdit *>(editor)) {
        line->setText(text);
        line->selectAll();
    } else if (auto *combo = qobject_cast<QComboBox *>(editor)) {
        combo->setCurrentText(text);
    }
}

void GridDelegate::setModelData(QWidget *editor, QAbstractItemModel *model,
                                const QModelIndex &index) const
{
    QString text;
    if (auto *line = qobject_cast<QLineEdit *>(editor))
        text = line->text();
    else if (auto *combo = qobject_cast<QComboBox *>(editor))
        text = combo->currentText();
    else
        return;
    if (text == index.data(Qt::EditRole).toString()) {
        m_commitAccepted = true;
        return;
    }
    m_committing = true;
    m_commitAccepted = model->setData(index, text, Qt::EditRole);
    m_committing = false;
}

void GridDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                        const QModelIndex &index) const
{
    Q_UNUSED(index);
    editor->setGeometry(option.rect.adjusted(0, 0, -1, -1));
}

bool GridDelegate::editorEvent(QEvent *event, QAbstractItemModel *model,
                               const QStyleOptionViewItem &option, const QModelIndex &index)
{
    TColumn *column = m_grid->m_columns[index.column()];
    if (isBooleanColumn(column) && (model->flags(index) & Qt::ItemIsEditable)) {
        bool toggle = false;
        if (event->type() == QEvent::MouseButtonRelease) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            toggle = mouse->button() == Qt::LeftButton &&
                     option.rect.contains(mouse->position().toPoint());
        } else if (event->type() == QEvent::KeyPress) {
            toggle = static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space;
        }
        if (toggle) {
            const bool value = index.data(TDBGridModel::ValueRole).toBool();
            model->setData(index, !value, Qt::EditRole);
            return true;
        }
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}

bool GridDelegate::eventFilter(QObject *object, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && object == m_editor) {
        auto *key = static_cast<QKeyEvent *>(event);
        // The key that opened the editor was already offered to the handlers by the view.
        if (key != m_grid->m_dispatchedEvent && m_grid->dispatchKey(key))
            return true;
        const TColumn *column = m_grid->SelectedColumn();
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & Qt::ControlModifier) && column &&
            column->ButtonStyle() == cbsEllipsis) {
            QTimer::singleShot(0, m_grid, [grid = m_grid] { grid->editButtonClicked(); });
            return true;
        }
        switch (key->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            // Leaving the cell upward or downward stores it, as the grid's own keys do.
            if (!qobject_cast<QComboBox *>(m_editor.data())) {
                QApplication::sendEvent(m_grid->m_view, key);
                return true;
            }
            break;
        default:
            break;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

// --- GridFooter -----------------------------------------------------------------------------

GridFooter::GridFooter(TDBGrid *grid)
    : QWidget(grid)
    , m_grid(grid)
{}

void GridFooter::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    painter.fillRect(rect(), m_grid->m_footerColor);
    QWidget *viewport = m_grid->m_view->viewport();
    const int origin = viewport->mapTo(m_grid, QPoint(0, 0)).x() - pos().x();
    if (origin > 0)
        drawFixedCell(painter, QRect(0, 0, origin, height()), m_grid->m_fixedColor);
    painter.setClipRect(QRect(origin, 0, viewport->width(), height()));
    painter.setFont(m_grid->m_view->font());
    QHeaderView *header = m_grid->m_header;
    for (int i = 0; i < m_grid->m_columns.Count(); ++i) {
        if (header->isSectionHidden(i))
            continue;
        const QRect cell(origin + header->sectionViewportPosition(i), 0, header->sectionSize(i),
                         height());
        painter.setPen(FixedLineColor);
        painter.drawLine(cell.topRight(), cell.bottomRight());
        painter.drawLine(cell.topLeft(), cell.topRight());
        const QString text = m_grid->FooterText(i);
        if (text.isEmpty())
            continue;
        const TColumnFooter &footer = m_grid->m_columns[i]->Footer();
        TAlignment alignment = footer.Alignment();
        if (!footer.HasAlignment() && footer.ValueType() != fvtStaticText)
            alignment = taRightJustify;
        painter.setPen(Qt::black);
        painter.drawText(cell.adjusted(3, 1, -3, 0), QtAlignment(alignment) | Qt::TextSingleLine,
                         text);
    }
}

// --- GroupPanel -----------------------------------------------------------------------------

GroupPanel::GroupPanel(TDBGrid *grid)
    : QWidget(grid)
    , m_grid(grid)
{
    setAcceptDrops(true);
}

QSize GroupPanel::sizeHint() const
{
    return QSize(200, fontMetrics().height() + 16);
}

QList<GroupPanel::Chip> GroupPanel::chips() const
{
    QList<Chip> result;
    int x = 6;
    const int h = fontMetrics().height() + 6;
    const int y = (height() - h) / 2;
    for (const QString &field : m_grid->GroupFields()) {
        QString title = field;
        if (TColumn *column = m_grid->m_columns.FindByFieldName(field))
            title = column->Title().Levels().join(QLatin1Char('-'));
        const int w = fontMetrics().horizontalAdvance(title) + 28;
        Chip chip;
        chip.rect = QRect(x, y, w, h);
        chip.close = QRect(x + w - 16, y + (h - 10) / 2, 10, 10);
        chip.field = field;
        chip.title = title;
        result.append(chip);
        x += w + 14;
    }
    return result;
}

void GroupPanel::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    painter.fillRect(rect(), m_grid->m_fixedColor.darker(106));
    painter.setPen(FixedLineColor);
    painter.drawLine(rect().bottomLeft(), rect().bottomRight());
    const QList<Chip> list = chips();
    if (list.isEmpty()) {
        painter.setPen(QColor(0x60, 0x60, 0x60));
        painter.drawText(rect().adjusted(8, 0, -8, 0), Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("拖动列标题到此处，按该列分组"));
        return;
    }
    for (int i = 0; i < list.size(); ++i) {
        const Chip &chip = list[i];
        drawFixedCell(painter, chip.rect, m_grid->m_fixedColor);
        painter.setPen(Qt::black);
        painter.drawText(chip.rect.adjusted(6, 0, -18, 0), Qt::AlignLeft | Qt::AlignVCenter,
                         chip.title);
        painter.setPen(QColor(0x60, 0x60, 0x60));
        painter.drawLine(chip.close.topLeft(), chip.close.bottomRight());
        painter.drawLine(chip.close.topRight(), chip.close.bottomLeft());
        if (i + 1 < list.size()) {
            const int y = chip.rect.center().y();
            painter.setPen(FixedLineColor);
            painter.drawLine(chip.rect.right() + 2, y, chip.rect.right() + 12, y);
        }
    }
}

void GroupPanel::mousePressEvent(QMouseEvent *event)
{
    for (const Chip &chip : chips()) {
        if (chip.close.adjusted(-3, -3, 3, 3).contains(event->position().toPoint())) {
            m_grid->UngroupField(chip.field);
            return;
        }
    }
    QWidget::mousePressEvent(event);
}

void GroupPanel::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasFormat(QLatin1String(ColumnMimeType)) &&
        event->source() == m_grid->m_header)
        event->acceptProposedAction();
    else
        event->ignore();
}

void GroupPanel::dropEvent(QDropEvent *event)
{
    if (!event->mimeData()->hasFormat(QLatin1String(ColumnMimeType)) ||
        event->source() != m_grid->m_header) {
        event->ignore();
        return;
    }
    const int column = event->mimeData()->data(QLatin1String(ColumnMimeType)).toInt();
    event->acceptProposedAction();
    QTimer::singleShot(0, m_grid, [grid = m_grid, column] { grid->GroupByColumn(column); });
}

void GroupPanel::contextMenuEvent(QContextMenuEvent *event)
{
    if (m_grid->GroupFields().isEmpty()) {
        event->ignore();
        return;
    }
    QMenu menu(this);
    menu.addAction(QStringLiteral("全部展开"), m_grid,
                   [grid = m_grid] { grid->SetAllGroupsExpanded(true); });
    menu.addAction(QStringLiteral("全部折叠"), m_grid,
                   [grid = m_grid] { grid->SetAllGroupsExpanded(false); });
    menu.addSeparator();
    menu.addAction(QStringLiteral("取消全部分组"), m_grid,
                   [grid = m_grid] { grid->SetGroupFields({}); });
    menu.exec(event->globalPos());
}

} // namespace GridInternal
