// The data grid: wiring of model, view, headers, footer and panels, and the grid's rules
// (current record, editing, sorting, footers, filter row, saved layouts).
#include "client/widgets/dbgrid.h"

#include "client/common/sqltext.h"
#include "client/data/clientdataset.h"
#include "client/data/datasource.h"
#include "client/data/fields.h"
#include "client/data/formats.h"
#include "client/widgets/gridmodel.h"
#include "client/widgets/gridparts.h"
#include "client/widgets/keychar.h"
#include "client/widgets/ledgercells.h"
#include "client/widgets/messagebox.h"
#include "client/widgets/uistyle.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

using namespace GridInternal;

namespace {

// One column's condition of the filter row; empty when the text gives none.
QString filterCondition(const TField &field, const QString &text)
{
    QString value = text.trimmed();
    if (value.isEmpty())
        return {};
    QString op;
    for (const char *candidate : {"<>", ">=", "<=", "=", ">", "<"}) {
        if (value.startsWith(QLatin1String(candidate))) {
            op = QLatin1String(candidate);
            value = value.mid(op.size()).trimmed();
            break;
        }
    }
    if (value.isEmpty())
        return {};
    const QString name = field.FieldName();
    if (op.isEmpty() && !IsStringType(field.DataType()))
        op = QStringLiteral("=");
    if (IsNumericType(field.DataType())) {
        double number = 0;
        if (!TryStrToFloat(value, number))
            return {};
        return name + QLatin1Char(' ') + op + QLatin1Char(' ') + FloatToStr(number);
    }
    switch (field.DataType()) {
    case ftDate:
    case ftDateTime:
    case ftTime: {
        QDate date;
        if (!TryStrToDate(value, date))
            return {};
        return name + QLatin1Char(' ') + op + QLatin1Char(' ') +
               QuotedStr(date.toString(QStringLiteral("yyyy-MM-dd")));
    }
    case ftBoolean: {
        static const QStringList yes = {QStringLiteral("是"),   QStringLiteral("真"),
                                        QStringLiteral("true"), QStringLiteral("1"),
                                        QStringLiteral("√"),    QStringLiteral("y")};
        const bool truth = yes.contains(value, Qt::CaseInsensitive);
        return name + QLatin1Char(' ') + op + QLatin1Char(' ') +
               (truth ? QStringLiteral("true") : QStringLiteral("false"));
    }
    default:
        break;
    }
    if (op.isEmpty())
        return name + QStringLiteral(" like ") +
               QuotedStr(QLatin1Char('%') + value + QLatin1Char('%'));
    return name + QLatin1Char(' ') + op + QLatin1Char(' ') + QuotedStr(value);
}

} // namespace

TDBGrid::TDBGrid(QWidget *parent)
    : QFrame(parent)
    , m_options(dgEditing | dgTitles | dgIndicator | dgColumnResize | dgColLines | dgRowLines |
                dgTabs | dgCancelOnExit)
    , m_fixedColor(ButtonFaceColor())
    , m_color(Qt::white)
    , m_footerColor(ButtonFaceColor())
{
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Plain);
    setLineWidth(1);
    QPalette framePalette = palette();
    framePalette.setColor(QPalette::WindowText, QColor(0x80, 0x80, 0x80));
    setPalette(framePalette);

    m_model = new TDBGridModel(m_columns, this);
    m_view = new GridView(this);
    m_header = new GridHeader(this);
    m_indicator = new GridIndicator(this);
    m_view->setHorizontalHeader(m_header);
    m_view->setVerticalHeader(m_indicator);
    m_view->setModel(m_model);
    m_delegate = new GridDelegate(this);
    m_view->setItemDelegate(m_delegate);
    m_footer = new GridFooter(this);
    m_groupPanel = new GroupPanel(this);
    m_hbar = new QScrollBar(Qt::Horizontal, this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_groupPanel);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_footer);
    layout->addWidget(m_hbar);
    m_groupPanel->hide();
    m_footer->hide();
    m_hbar->hide();

    m_columns.OnChange = [this](TColumn *column, TColumnChange change) {
        columnsChanged(column, change);
    };
    m_model->OnDataEvent = [this](TDataEvent event, const TDataEventInfo &info) {
        dataEvent(event, info);
    };
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        applyColumnGeometry();
        applyGroupSpans();
        invalidateFooters();
        syncCurrentFromDataSet();
    });
    connect(m_view->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TDBGrid::viewCurrentChanged);
    connect(m_header, &QHeaderView::sectionResized, this, [this](int logical, int, int size) {
        if (!m_applyingGeometry && logical >= 0 && logical < m_columns.Count()) {
            m_applyingGeometry = true;
            m_columns[logical]->SetWidth(size);
            m_applyingGeometry = false;
        }
        m_header->closeFilterEditor();
        if (m_useMultiTitle)
            updateHeaderHeight();
        footerRepaint();
    });

    // The view's own horizontal bar would sit above the footer; the grid's bar sits below it.
    m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QScrollBar *inner = m_view->horizontalScrollBar();
    connect(inner, &QScrollBar::rangeChanged, this, [this, inner](int minimum, int maximum) {
        m_hbar->setRange(minimum, maximum);
        m_hbar->setPageStep(inner->pageStep());
        m_hbar->setSingleStep(inner->singleStep());
        m_hbar->setVisible(maximum > minimum);
    });
    connect(inner, &QScrollBar::valueChanged, m_hbar, &QScrollBar::setValue);
    connect(m_hbar, &QScrollBar::valueChanged, inner, &QScrollBar::setValue);

    setFocusProxy(m_view);
    applyOptions();
    SetFixedColor(m_fixedColor);
    updateHeaderHeight();
}

void TDBGrid::changeEvent(QEvent *event)
{
    QFrame::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateHeaderHeight();
}

TDBGrid::~TDBGrid()
{
    // The view and the model read the columns: they go before the grid's own members do.
    m_model->OnDataEvent = nullptr;
    m_columns.OnChange = nullptr;
    m_model->SetDataSource(nullptr);
    m_model->disconnect(this);
    m_view->selectionModel()->disconnect(this);
    m_header->disconnect(this);
    delete m_view;
    delete m_model;
}

TDataSource *TDBGrid::DataSource() const
{
    return m_model->DataSource();
}

void TDBGrid::SetDataSource(TDataSource *dataSource)
{
    m_model->SetDataSource(dataSource);
}

TClientDataSet *TDBGrid::DataSet() const
{
    return m_model->DataSet();
}

QTableView *TDBGrid::View() const
{
    return m_view;
}

void TDBGrid::SetOptions(TDBGridOptions options)
{
    m_options = options;
    applyOptions();
}

void TDBGrid::SetReadOnly(bool readOnly)
{
    // Document forms say it again on every field change.
    if (m_readOnly == readOnly)
        return;
    m_readOnly = readOnly;
    applyOptions();
}

void TDBGrid::SetRowHeight(int height)
{
    m_rowHeight = qMax(8, height);
    m_indicator->setDefaultSectionSize(m_rowHeight);
    updateHeaderHeight();
    if (m_footer->isVisible())
        m_footer->setFixedHeight(m_footerRowCount * (m_rowHeight + 1));
}

void TDBGrid::SetUseMultiTitle(bool on)
{
    m_useMultiTitle = on;
    updateHeaderHeight();
}

void TDBGrid::SetFixedColor(const QColor &color)
{
    m_fixedColor = color;
    // The header's area past the last column takes the colour too.
    for (QHeaderView *header :
         {static_cast<QHeaderView *>(m_header), static_cast<QHeaderView *>(m_indicator)}) {
        QPalette palette = header->palette();
        for (QPalette::ColorRole role : {QPalette::Window, QPalette::Button, QPalette::Base})
            palette.setColor(role, color);
        header->setPalette(palette);
    }
    m_header->viewport()->update();
    m_indicator->viewport()->update();
    m_groupPanel->update();
    update();
}

void TDBGrid::SetColor(const QColor &color)
{
    m_color = color;
    applyOptions();
}

void TDBGrid::SetTitleButtons(bool on)
{
    m_titleButtons = on;
    m_columns.BeginUpdate();
    for (int i = 0; i < m_columns.Count(); ++i)
        m_columns[i]->Title().SetTitleButton(on);
    m_columns.EndUpdate();
}

void TDBGrid::SetFooterRowCount(int count)
{
    m_footerRowCount = qBound(0, count, 1);
    m_footer->setVisible(m_footerRowCount > 0);
    m_footer->setFixedHeight(m_footerRowCount * (m_rowHeight + 1));
    invalidateFooters();
}

void TDBGrid::SetFooterColor(const QColor &color)
{
    m_footerColor = color;
    m_footer->update();
}

void TDBGrid::applyOptions()
{
    const bool editable = (m_options & dgEditing) && !m_readOnly;
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setSelectionBehavior((m_options & dgRowSelect) ? QAbstractItemView::SelectRows
                                                           : QAbstractItemView::SelectItems);
    m_view->setShowGrid(m_options & (dgColLines | dgRowLines));
    m_view->setGridStyle(Qt::SolidLine);
    m_view->setTabKeyNavigation(m_options & dgTabs);
    m_view->setEditTriggers(
        editable ? QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                       QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked
                 : QAbstractItemView::NoEditTriggers);
    m_header->setVisible(m_options & dgTitles);
    m_indicator->setVisible(m_options & dgIndicator);
    m_header->setSectionResizeMode((m_options & dgColumnResize) ? QHeaderView::Interactive
                                                                : QHeaderView::Fixed);
    m_model->SetReadOnly(!editable);

    QPalette palette = m_view->palette();
    palette.setColor(QPalette::Base, m_color);
    palette.setColor(QPalette::Highlight, HighlightColor());
    palette.setColor(QPalette::HighlightedText, HighlightTextColor());
    if (m_options & dgAlwaysShowSelection) {
        palette.setColor(QPalette::Inactive, QPalette::Highlight, HighlightColor());
        palette.setColor(QPalette::Inactive, QPalette::HighlightedText, HighlightTextColor());
    }
    m_view->setPalette(palette);
    m_view->viewport()->update();
}

void TDBGrid::columnsChanged(TColumn *column, TColumnChange change)
{
    Q_UNUSED(column);
    switch (change) {
    case TColumnChange::Layout:
        m_header->closeFilterEditor();
        m_model->ColumnsChanged();
        break;
    case TColumnChange::Geometry:
        if (!m_applyingGeometry)
            applyColumnGeometry();
        footerRepaint();
        break;
    case TColumnChange::Title:
        updateHeaderHeight();
        m_header->viewport()->update();
        break;
    case TColumnChange::Footer:
        invalidateFooters();
        break;
    case TColumnChange::Appearance:
        m_model->ColumnsAppearanceChanged();
        break;
    }
}

void TDBGrid::applyColumnGeometry()
{
    m_applyingGeometry = true;
    const QFontMetrics metrics(m_view->font());
    for (int i = 0; i < m_columns.Count(); ++i) {
        TColumn *column = m_columns[i];
        int width = column->Width();
        if (width <= 0) {
            int chars = 10;
            if (TField *field = column->Field())
                chars = field->DisplayWidth();
            width = qBound(40, chars * metrics.horizontalAdvance(QLatin1Char('0')) + 8, 240);
            const int title = metrics.horizontalAdvance(column->Title().Levels().last()) + 12;
            width = qMax(width, qMin(title, 240));
        }
        m_header->resizeSection(i, width);
        m_view->setColumnHidden(i, !column->Visible());
    }
    m_applyingGeometry = false;
    updateHeaderHeight();
    footerRepaint();
}

int TDBGrid::measureTitleHeight() const
{
    const QFontMetrics metrics(m_view->font());
    const int line = metrics.height();
    const int band = line + 6;
    int levels = 1;
    int bottom = qMax(m_rowHeight, line + 6);
    for (int i = 0; i < m_columns.Count(); ++i) {
        TColumn *column = m_columns[i];
        if (!column->Visible())
            continue;
        const QStringList parts =
            m_useMultiTitle ? column->Title().Levels()
                            : QStringList{column->Title().Levels().join(QLatin1Char('|'))};
        levels = qMax(levels, int(parts.size()));
        if (m_useMultiTitle) {
            const int width = qMax(10, m_header->sectionSize(i) - 6);
            const QRect needed = metrics.boundingRect(
                QRect(0, 0, width, 10 * line), Qt::TextWordWrap | Qt::AlignCenter, parts.last());
            bottom = qMax(bottom, qMin(needed.height(), 3 * line) + 6);
        }
    }
    return (levels - 1) * band + bottom;
}

int TDBGrid::filterRowHeight() const
{
    return m_filterRowVisible ? m_rowHeight + 1 : 0;
}

void TDBGrid::updateHeaderHeight()
{
    m_titleHeight = measureTitleHeight();
    const int height = m_titleHeight + filterRowHeight();
    if (m_header->height() != height || m_header->minimumHeight() != height) {
        m_header->setFixedHeight(height);
        m_view->relayout();
    }
    m_header->viewport()->update();
}

void TDBGrid::footerRepaint()
{
    if (m_footer->isVisible())
        m_footer->update();
}

void TDBGrid::invalidateFooters()
{
    m_footersValid = false;
    footerRepaint();
}

QVariant TDBGrid::FooterValue(int column) const
{
    if (column < 0 || column >= m_columns.Count())
        return {};
    if (!m_footersValid) {
        m_footerValues.assign(size_t(m_columns.Count()), QVariant());
        TClientDataSet *ds = DataSet();
        for (int i = 0; i < m_columns.Count(); ++i) {
            const TColumnFooter &footer = m_columns[i]->Footer();
            const TFooterValueType type = footer.ValueType();
            if (type == fvtStaticText) {
                m_footerValues[size_t(i)] = footer.Value();
                continue;
            }
            if (type == fvtNon || !ds)
                continue;
            TField *field = footer.FieldName().isEmpty() ? m_columns[i]->Field()
                                                         : ds->FindField(footer.FieldName());
            const int rows = ds->RowCount();
            if (type == fvtCount && !field) {
                m_footerValues[size_t(i)] = rows;
                continue;
            }
            if (!field)
                continue;
            double sum = 0;
            int count = 0;
            for (int r = 0; r < rows; ++r) {
                const QVariant value = ds->RowValue(r, field);
                if (!value.isValid() || value.isNull())
                    continue;
                sum += value.toDouble();
                ++count;
            }
            if (type == fvtSum)
                m_footerValues[size_t(i)] = sum;
            else if (type == fvtCount)
                m_footerValues[size_t(i)] = count;
            else if (count > 0)
                m_footerValues[size_t(i)] = sum / count;
        }
        m_footersValid = true;
    }
    return m_footerValues[size_t(column)];
}

QString TDBGrid::FooterText(int column) const
{
    if (column < 0 || column >= m_columns.Count())
        return {};
    const TColumn *col = m_columns[column];
    const TColumnFooter &footer = col->Footer();
    const QVariant value = FooterValue(column);
    switch (footer.ValueType()) {
    case fvtNon:
        return {};
    case fvtStaticText:
        return footer.Value();
    case fvtCount:
        return value.isValid() ? QString::number(value.toInt()) : QString();
    case fvtSum:
    case fvtAvg: {
        if (!value.isValid())
            return {};
        QString format = footer.DisplayFormat();
        if (format.isEmpty())
            format = col->DisplayFormat();
        if (format.isEmpty() && col->Field())
            format = col->Field()->DisplayFormat();
        return format.isEmpty() ? FloatToStr(value.toDouble())
                                : FormatFloat(format, value.toDouble());
    }
    }
    return {};
}

void TDBGrid::dataEvent(TDataEvent event, const TDataEventInfo &info)
{
    switch (event) {
    case deUpdateRecord:
    case deCheckBrowseMode:
        // The record is about to be stored or left: what is typed in the cell goes with it.
        if (m_delegate->currentEditor())
            m_view->commitEditor();
        return;
    case deFocusControl:
        if (info.Field) {
            for (int i = 0; i < m_columns.Count(); ++i) {
                if (m_columns[i]->Field() == info.Field) {
                    SetSelectedIndex(i);
                    m_view->setFocus();
                    break;
                }
            }
        }
        return;
    case deUpdateState: {
        TClientDataSet *ds = DataSet();
        if (ds && ds->State() == dsBrowse && m_delegate->currentEditor())
            m_view->cancelEditor();
        m_indicator->viewport()->update();
        return;
    }
    case deDataSetScroll:
        m_indicator->viewport()->update();
        syncCurrentFromDataSet();
        return;
    default:
        break;
    }
    invalidateFooters();
    m_indicator->viewport()->update();
    syncCurrentFromDataSet();
}

void TDBGrid::syncCurrentFromDataSet()
{
    if (m_syncing)
        return;
    TClientDataSet *ds = DataSet();
    if (!ds || m_columns.Count() == 0)
        return;
    const int row = m_model->ModelRow(ds->CurrentRow());
    if (row < 0)
        return;
    int column = qBound(0, m_selectedIndex, m_columns.Count() - 1);
    if (m_view->isColumnHidden(column)) {
        for (int i = 0; i < m_columns.Count(); ++i) {
            if (!m_view->isColumnHidden(i)) {
                column = i;
                break;
            }
        }
    }
    const QModelIndex index = m_model->index(row, column);
    if (m_view->currentIndex() == index)
        return;
    m_syncing = true;
    QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect;
    if (m_options & dgRowSelect)
        flags |= QItemSelectionModel::Rows;
    m_view->selectionModel()->setCurrentIndex(index, flags);
    m_view->scrollTo(index);
    m_syncing = false;
}

void TDBGrid::viewCurrentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    if (!current.isValid())
        return;
    if (current.column() != m_selectedIndex) {
        if (previous.isValid() && OnColExit)
            Guarded([&] { OnColExit(*this); });
        m_selectedIndex = current.column();
        if (OnColEnter)
            Guarded([&] { OnColEnter(*this); });
    }
    if (m_syncing)
        return;
    TClientDataSet *ds = DataSet();
    const int dataRow = m_model->DataRow(current.row());
    if (!ds || dataRow < 0 || ds->CurrentRow() == dataRow)
        return;
    // Leaving the row stores it first, which may remove an untouched new record and shift
    // the rows: the target is followed by its bookmark.
    const bool moved = Guarded([&] {
        const TBookmark target = ds->RowBookmark(dataRow);
        ds->CheckBrowseMode();
        const int row = ds->RowOfBookmark(target);
        if (row >= 0 && row != ds->CurrentRow())
            ds->MoveToRow(row);
    });
    if (!moved || m_model->ModelRow(ds->CurrentRow()) != m_view->currentIndex().row())
        QTimer::singleShot(0, this, [this] { syncCurrentFromDataSet(); });
}

void TDBGrid::SetSelectedIndex(int column)
{
    if (column < 0 || column >= m_columns.Count())
        return;
    const QModelIndex current = m_view->currentIndex();
    int row = current.isValid() ? current.row() : -1;
    if (row < 0) {
        if (TClientDataSet *ds = DataSet())
            row = m_model->ModelRow(ds->CurrentRow());
    }
    if (row < 0) {
        m_selectedIndex = column;
        return;
    }
    const QModelIndex target = m_model->index(row, column);
    if (target == current)
        return;
    QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect;
    if (m_options & dgRowSelect)
        flags |= QItemSelectionModel::Rows;
    m_view->selectionModel()->setCurrentIndex(target, flags);
    m_view->scrollTo(target);
}

TColumn *TDBGrid::SelectedColumn() const
{
    return m_selectedIndex >= 0 && m_selectedIndex < m_columns.Count() ? m_columns[m_selectedIndex]
                                                                       : nullptr;
}

TField *TDBGrid::SelectedField() const
{
    TColumn *column = SelectedColumn();
    return column ? column->Field() : nullptr;
}

bool TDBGrid::EditorMode() const
{
    return m_delegate->currentEditor() != nullptr;
}

void TDBGrid::SetEditorMode(bool on)
{
    if (on == EditorMode())
        return;
    if (on) {
        syncCurrentFromDataSet();
        m_view->edit(m_view->currentIndex());
    } else {
        m_view->commitEditor();
    }
}

QWidget *TDBGrid::InplaceEditor() const
{
    return m_delegate->currentEditor();
}

QRect TDBGrid::CellRect(int dataRow, int column) const
{
    const int row = m_model->ModelRow(dataRow);
    if (row < 0 || column < 0 || column >= m_columns.Count())
        return {};
    const QRect rect = m_view->visualRect(m_model->index(row, column));
    if (rect.isEmpty() || !m_view->viewport()->rect().intersects(rect))
        return {};
    return rect.translated(m_view->viewport()->mapTo(this, QPoint(0, 0)));
}

QRect TDBGrid::CurrentCellRect() const
{
    TClientDataSet *ds = DataSet();
    return ds ? CellRect(ds->CurrentRow(), m_selectedIndex) : QRect();
}

void TDBGrid::titleClicked(int column)
{
    if (column < 0 || column >= m_columns.Count())
        return;
    TColumn *col = m_columns[column];
    if (!col->Title().TitleButton() && !m_titleButtons)
        return;
    if (OnTitleClick)
        Guarded([&] { OnTitleClick(*this, *col); });
    else
        SortByColumn(column);
}

void TDBGrid::SortByColumn(int column)
{
    TClientDataSet *ds = DataSet();
    if (!ds || column < 0 || column >= m_columns.Count())
        return;
    TColumn *col = m_columns[column];
    TField *field = col->Field();
    if (!field || (field->FieldKind() != fkData && field->FieldKind() != fkInternalCalc) ||
        field->IsBlob())
        return;
    const QString name = field->FieldName();
    TSortMarker marker = smUp;
    const bool sorted = Guarded([&] {
        THourGlass hourGlass;
        ds->CheckBrowseMode();
        if (ds->IndexFieldNames().compare(name, Qt::CaseInsensitive) == 0) {
            const QString index = QLatin1Char('i') + name;
            if (ds->IndexDefs().IndexOf(index) < 0)
                ds->AddIndex(index, name, ixDescending);
            ds->SetIndexName(index);
            marker = smDown;
        } else {
            ds->SetIndexFieldNames(name);
        }
    });
    if (!sorted)
        return;
    m_columns.BeginUpdate();
    for (int i = 0; i < m_columns.Count(); ++i)
        m_columns[i]->Title().SetSortMarker(i == column ? marker : smNone);
    m_columns.EndUpdate();
}

void TDBGrid::editButtonClicked()
{
    if (m_delegate->currentEditor() && !m_view->commitEditor())
        return;
    if (OnEditButtonClick)
        Guarded([&] { OnEditButtonClick(*this); });
}

void TDBGrid::moveColumn(int from, int to)
{
    const bool selected = from == m_selectedIndex;
    m_columns.Move(from, to);
    if (selected)
        m_selectedIndex = qBound(0, to, m_columns.Count() - 1);
}

bool TDBGrid::dispatchKey(QKeyEvent *event)
{
    if (OnKeyDown) {
        int key = event->key();
        Guarded([&] { OnKeyDown(*this, key, event->modifiers()); });
        if (key == 0)
            return true;
    }
    if (OnKeyPress) {
        const QChar ch = KeyPressChar(event);
        if (!ch.isNull()) {
            QChar key = ch;
            Guarded([&] { OnKeyPress(*this, key); });
            if (key.isNull())
                return true;
        }
    }
    return false;
}

bool TDBGrid::handleGridKey(QKeyEvent *event)
{
    TClientDataSet *ds = DataSet();
    const bool editable = (m_options & dgEditing) && !m_readOnly && ds && ds->CanModify();
    switch (event->key()) {
    case Qt::Key_Escape:
        if (ds && (ds->State() == dsEdit || ds->State() == dsInsert)) {
            Guarded([&] { ds->Cancel(); });
            return true;
        }
        return false;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        TColumn *column = SelectedColumn();
        if ((event->modifiers() & Qt::ControlModifier) && column &&
            column->ButtonStyle() == cbsEllipsis)
            editButtonClicked();
        return true;
    }
    case Qt::Key_Down: {
        if (!editable || event->modifiers() != Qt::NoModifier)
            return false;
        const QModelIndex current = m_view->currentIndex();
        if (!ds->IsEmpty() && current.isValid() && current.row() < m_model->rowCount() - 1)
            return false;
        if (ds->State() == dsInsert && !ds->Modified())
            return true;
        Guarded([&] { ds->Append(); });
        return true;
    }
    case Qt::Key_Insert:
        if (!editable || event->modifiers() != Qt::NoModifier)
            return false;
        Guarded([&] { ds->Insert(); });
        return true;
    default:
        return false;
    }
}

TCellParams TDBGrid::cellParams(int dataRow, TColumn &column, TGridDrawState state) const
{
    TCellParams params;
    params.Row = dataRow;
    params.Text = m_model->CellText(dataRow, &column);
    params.Font = m_view->font();
    params.Background = column.Color().isValid() ? column.Color() : m_color;
    params.FontColor = column.FontColor().isValid() ? column.FontColor() : QColor(Qt::black);
    if (state & gdSelected) {
        params.Background = m_view->palette().color(
            m_view->hasFocus() ? QPalette::Active : QPalette::Inactive, QPalette::Highlight);
        params.FontColor = m_view->palette().color(
            m_view->hasFocus() ? QPalette::Active : QPalette::Inactive, QPalette::HighlightedText);
    }
    params.Alignment = column.Alignment();
    params.State = state;
    TClientDataSet *ds = DataSet();
    if (OnGetCellParams && ds && dataRow >= 0 && dataRow < ds->RowCount()) {
        TClientDataSet::TRowScope scope(*ds, dataRow);
        try {
            OnGetCellParams(const_cast<TDBGrid &>(*this), column, params);
        } catch (const std::exception &) {
            // A painting hook that fails leaves the cell as the grid would draw it.
        }
    }
    return params;
}

void TDBGrid::DefaultDrawColumnCell(QPainter &painter, const QRect &rect, TColumn &column,
                                    const TCellParams &params) const
{
    painter.fillRect(rect, params.Background);
    TField *field = column.Field();
    if (column.LedgerCells()) {
        const QVariant value =
            params.Text.isEmpty() ? QVariant() : m_model->CellValue(params.Row, &column);
        PaintLedgerCells(painter, rect, value, params.Font, params.FontColor);
        return;
    }
    if (field && field->DataType() == ftBoolean && !params.Text.isEmpty()) {
        const QVariant value = m_model->CellValue(params.Row, &column);
        const int size = qMin(13, rect.height() - 4);
        QRect box(0, 0, size, size);
        box.moveCenter(rect.center());
        painter.save();
        painter.setPen(QColor(0x40, 0x40, 0x40));
        painter.setBrush(Qt::white);
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        if (value.toBool()) {
            QPen pen(QColor(0x20, 0x20, 0x20), 2);
            painter.setPen(pen);
            painter.drawLine(box.left() + 3, box.center().y(), box.center().x() - 1,
                             box.bottom() - 3);
            painter.drawLine(box.center().x() - 1, box.bottom() - 3, box.right() - 2,
                             box.top() + 3);
        }
        painter.restore();
        return;
    }
    painter.save();
    painter.setFont(params.Font);
    painter.setPen(params.FontColor);
    const QRect textRect = rect.adjusted(3, 0, -3, 0);
    const QString text =
        painter.fontMetrics().elidedText(params.Text, Qt::ElideRight, textRect.width());
    painter.drawText(textRect, QtAlignment(params.Alignment) | Qt::TextSingleLine, text);
    painter.restore();
}

// --- Grouping and the filter row ------------------------------------------------------------

void TDBGrid::SetGroupPanelVisible(bool visible)
{
    m_groupPanelVisible = visible;
    m_groupPanel->setVisible(visible);
    if (!visible)
        SetGroupFields({});
}

QStringList TDBGrid::GroupFields() const
{
    return m_model->GroupFields();
}

void TDBGrid::SetGroupFields(const QStringList &fieldNames)
{
    m_model->SetGroupFields(fieldNames);
    m_groupPanel->update();
}

void TDBGrid::GroupByColumn(int column)
{
    if (column < 0 || column >= m_columns.Count() || m_columns[column]->FieldName().isEmpty())
        return;
    QStringList fields = GroupFields();
    const QString name = m_columns[column]->FieldName();
    if (fields.contains(name, Qt::CaseInsensitive))
        return;
    fields.append(name);
    SetGroupFields(fields);
}

void TDBGrid::UngroupField(const QString &fieldName)
{
    QStringList fields = GroupFields();
    fields.removeIf(
        [&](const QString &name) { return name.compare(fieldName, Qt::CaseInsensitive) == 0; });
    SetGroupFields(fields);
}

void TDBGrid::applyGroupSpans()
{
    // A group row is one cell across the grid; spans exist only while grouping.
    if (!m_view->model())
        return;
    m_view->clearSpans();
    const int columns = m_model->columnCount();
    if (m_model->GroupFields().isEmpty() || columns < 2)
        return;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (m_model->IsGroupRow(row))
            m_view->setSpan(row, 0, 1, columns);
    }
}

void TDBGrid::SetAllGroupsExpanded(bool expanded)
{
    m_model->SetAllGroupsExpanded(expanded);
}

void TDBGrid::SetFilterRowVisible(bool visible)
{
    if (m_filterRowVisible == visible)
        return;
    m_filterRowVisible = visible;
    if (!visible)
        ClearFilterRow();
    updateHeaderHeight();
}

QString TDBGrid::ColumnFilterText(int column) const
{
    if (column < 0 || column >= m_columns.Count())
        return {};
    return m_filterTexts.value(m_columns[column]->FieldName().toLower());
}

void TDBGrid::SetColumnFilterText(int column, const QString &text)
{
    if (column < 0 || column >= m_columns.Count() || m_columns[column]->FieldName().isEmpty())
        return;
    const QString key = m_columns[column]->FieldName().toLower();
    if (text.trimmed().isEmpty())
        m_filterTexts.remove(key);
    else
        m_filterTexts.insert(key, text);
    applyFilterRow();
    m_header->viewport()->update();
}

void TDBGrid::ClearFilterRow()
{
    m_header->closeFilterEditor();
    if (m_filterTexts.isEmpty() && !m_filterOwned)
        return;
    m_filterTexts.clear();
    applyFilterRow();
    m_header->viewport()->update();
}

QString TDBGrid::FilterExpression() const
{
    QStringList parts;
    for (int i = 0; i < m_columns.Count(); ++i) {
        TColumn *column = m_columns[i];
        const QString text = m_filterTexts.value(column->FieldName().toLower());
        if (text.isEmpty() || !column->Field())
            continue;
        const QString condition = filterCondition(*column->Field(), text);
        if (!condition.isEmpty())
            parts.append(condition);
    }
    return parts.join(QStringLiteral(" and "));
}

void TDBGrid::applyFilterRow()
{
    TClientDataSet *ds = DataSet();
    if (!ds)
        return;
    const QString expression = FilterExpression();
    if (expression.isEmpty() && !m_filterOwned)
        return;
    Guarded([&] {
        ds->CheckBrowseMode();
        if (!expression.isEmpty())
            ds->SetFilterOptions(ds->FilterOptions() | foCaseInsensitive);
        ds->SetFilter(expression);
        ds->SetFiltered(!expression.isEmpty());
    });
    m_filterOwned = !expression.isEmpty();
}

// --- Column layout --------------------------------------------------------------------------

namespace {

QString layoutKey(const TColumn &column, int index)
{
    return column.FieldName().isEmpty() ? QStringLiteral("#%1").arg(index) : column.FieldName();
}

} // namespace

TColumnsLayout TDBGrid::ColumnsLayout() const
{
    TColumnsLayout layout;
    for (int i = 0; i < m_columns.Count(); ++i) {
        const TColumn *column = m_columns[i];
        const int width = m_header->sectionSize(i) > 0 ? m_header->sectionSize(i) : column->Width();
        layout.insert(layoutKey(*column, i), {i, width});
    }
    return layout;
}

void TDBGrid::ApplyColumnsLayout(const TColumnsLayout &layout)
{
    if (layout.isEmpty())
        return;
    struct Placed
    {
        TColumn *column;
        int position;
        int original;
    };
    std::vector<Placed> order;
    for (int i = 0; i < m_columns.Count(); ++i) {
        TColumn *column = m_columns[i];
        int position = i;
        const auto saved = layout.constFind(layoutKey(*column, i));
        if (saved != layout.constEnd()) {
            position = saved->Position;
            if (saved->Width > 0)
                column->SetWidth(saved->Width);
        }
        order.push_back({column, position, i});
    }
    std::stable_sort(order.begin(), order.end(), [](const Placed &a, const Placed &b) {
        return a.position != b.position ? a.position < b.position : a.original < b.original;
    });
    m_columns.BeginUpdate();
    for (int target = 0; target < int(order.size()); ++target)
        m_columns.Move(m_columns.IndexOf(order[size_t(target)].column), target);
    m_columns.EndUpdate();
    applyColumnGeometry();
}

void TDBGrid::ScrollColumns(int columns)
{
    QTableView *view = View();
    QScrollBar *bar = view->horizontalScrollBar();
    if (view->horizontalScrollMode() == QAbstractItemView::ScrollPerItem) {
        bar->setValue(bar->value() + columns);
        return;
    }
    const QHeaderView *header = view->horizontalHeader();
    const int first = header->visualIndexAt(0);
    if (first < 0)
        return;
    const int target = qBound(0, first + columns, header->count() - 1);
    bar->setValue(header->sectionPosition(header->logicalIndex(target)));
}
