// The grid's item model over a dataset.
#include "client/widgets/gridmodel.h"
#include "client/widgets/uistyle.h"

#include "client/data/clientdataset.h"
#include "client/data/fields.h"
#include "client/data/formats.h"
#include "client/data/valueorder.h"
#include "client/widgets/gridcolumns.h"
#include "client/widgets/messagebox.h"

#include <QDate>
#include <QDateTime>

#include <algorithm>
#include <numeric>
#include <utility>

void TDBGridModel::Link::DataEvent(TDataEvent event, const TDataEventInfo &info)
{
    m_inEvent = true;
    TDataLink::DataEvent(event, info);
    m_inEvent = false;
    m_model->dataEvent(event, info);
}

void TDBGridModel::Link::ActiveChanged()
{
    if (m_inEvent) {
        m_model->m_activeChanged = true;
        return;
    }
    m_model->reset(ResetKind::Fields);
    if (m_model->OnDataEvent)
        m_model->OnDataEvent(deLayoutChange, TDataEventInfo());
}

TDBGridModel::TDBGridModel(TDBGridColumns &columns, QObject *parent)
    : QAbstractTableModel(parent)
    , m_columns(columns)
{}

TDBGridModel::~TDBGridModel()
{
    m_link.SetDataSource(nullptr);
}

void TDBGridModel::SetDataSource(TDataSource *dataSource)
{
    if (m_link.DataSource() == dataSource)
        return;
    m_link.SetDataSource(dataSource);
    m_activeChanged = false;
    reset(ResetKind::Fields);
    if (OnDataEvent)
        OnDataEvent(deLayoutChange, TDataEventInfo());
}

TClientDataSet *TDBGridModel::DataSet() const
{
    return m_link.Active() ? m_link.DataSet() : nullptr;
}

void TDBGridModel::SetReadOnly(bool readOnly)
{
    if (m_readOnly == readOnly)
        return;
    m_readOnly = readOnly;
    if (m_rowCount > 0 && columnCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

bool TDBGridModel::canFetchMore(const QModelIndex &parent) const
{
    const TClientDataSet *ds = DataSet();
    return !parent.isValid() && !grouping() && ds && ds->FetchOnDemand() &&
           !ds->AllRecordsFetched();
}

void TDBGridModel::fetchMore(const QModelIndex &parent)
{
    if (canFetchMore(parent))
        DataSet()->GetNextPacket();
}

int TDBGridModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return grouping() ? int(m_entries.size()) : m_rowCount;
}

int TDBGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns.Count();
}

TColumn *TDBGridModel::column(int index) const
{
    return index >= 0 && index < m_columns.Count() ? m_columns[index] : nullptr;
}

QString TDBGridModel::CellText(int dataRow, const TColumn *column) const
{
    TClientDataSet *ds = DataSet();
    TField *field = column ? column->Field() : nullptr;
    if (!ds || !field || dataRow < 0 || dataRow >= ds->RowCount())
        return {};
    const QString &format = column->DisplayFormat();
    if (!format.isEmpty()) {
        const QVariant value = ds->RowValue(dataRow, field);
        if (!value.isValid() || value.isNull())
            return {};
        if (field->IsNumeric())
            return FormatFloat(format, value.toDouble());
        if (value.typeId() == QMetaType::QDateTime)
            return FormatDateTime(format, value.toDateTime());
        if (value.typeId() == QMetaType::QDate)
            return FormatDateTime(format, value.toDate());
    }
    return ds->RowDisplayText(dataRow, field);
}

QVariant TDBGridModel::CellValue(int dataRow, const TColumn *column) const
{
    TClientDataSet *ds = DataSet();
    TField *field = column ? column->Field() : nullptr;
    if (!ds || !field || dataRow < 0 || dataRow >= ds->RowCount())
        return {};
    return ds->RowValue(dataRow, field);
}

QVariant TDBGridModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int dataRow = DataRow(index.row());
    TColumn *col = column(index.column());
    if (IsGroupRow(index.row())) {
        switch (role) {
        case Qt::DisplayRole:
            return index.column() == 0 ? GroupText(index.row()) : QString();
        case DataRowRole:
            return -1;
        case GroupLevelRole:
            return GroupLevel(index.row());
        case GroupExpandedRole:
            return !m_collapsed.contains(
                m_groups[size_t(m_entries[size_t(index.row())].group)].path);
        default:
            return {};
        }
    }
    if (dataRow < 0)
        return {}; // a row the dataset has already removed
    switch (role) {
    case Qt::DisplayRole:
        return CellText(dataRow, col);
    case Qt::EditRole: {
        TClientDataSet *ds = DataSet();
        return ds && col && col->Field() ? ds->RowText(dataRow, col->Field()) : QString();
    }
    case ValueRole:
        return CellValue(dataRow, col);
    case Qt::TextAlignmentRole:
        return col ? QtAlignment(col->Alignment()) : int(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        return col && col->Color().isValid() ? QVariant(col->Color()) : QVariant();
    case Qt::ForegroundRole:
        return col && col->FontColor().isValid() ? QVariant(col->FontColor()) : QVariant();
    case DataRowRole:
        return dataRow;
    case GroupLevelRole:
        return -1;
    default:
        return {};
    }
}

bool TDBGridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    if (!(flags(index) & Qt::ItemIsEditable))
        return false;
    const int dataRow = DataRow(index.row());
    TColumn *col = column(index.column());
    TClientDataSet *ds = DataSet();
    if (dataRow < 0 || !col || !col->Field() || !ds)
        return false;
    return Guarded([&] {
        if (ds->CurrentRow() != dataRow)
            ds->MoveToRow(dataRow);
        if (!m_link.Edit())
            return;
        TField *field = col->Field();
        if (value.typeId() == QMetaType::Bool && field->DataType() == ftBoolean)
            field->SetAsBoolean(value.toBool());
        else
            field->SetText(value.toString());
    });
}

QVariant TDBGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal) {
        TColumn *col = column(section);
        if (!col)
            return {};
        if (role == Qt::DisplayRole)
            return col->Title().Levels().join(QLatin1Char('|'));
        if (role == Qt::TextAlignmentRole)
            return QtAlignment(col->Title().Alignment());
        return {};
    }
    if (role == Qt::DisplayRole && section >= 0 && section < rowCount())
        return QString();
    return {};
}

Qt::ItemFlags TDBGridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (IsGroupRow(index.row()))
        return flags;
    TColumn *col = column(index.column());
    TClientDataSet *ds = DataSet();
    if (!m_readOnly && col && ds && col->CanModify() && ds->CanModify() && !m_link.ReadOnly())
        flags |= Qt::ItemIsEditable;
    return flags;
}

int TDBGridModel::DataRow(int modelRow) const
{
    if (!grouping()) {
        const PendingChange &p = m_pending;
        switch (p.kind) {
        case PendingChange::None:
            return modelRow;
        case PendingChange::Insert:
            return modelRow < p.row ? modelRow : modelRow + p.count;
        case PendingChange::Remove:
            if (modelRow < p.row)
                return modelRow;
            return modelRow < p.row + p.count ? -1 : modelRow - p.count;
        case PendingChange::Move:
            if (modelRow == p.from)
                return p.row;
            if (p.from < p.row && modelRow > p.from && modelRow <= p.row)
                return modelRow - 1;
            if (p.from > p.row && modelRow >= p.row && modelRow < p.from)
                return modelRow + 1;
            return modelRow;
        }
        return modelRow;
    }
    if (modelRow < 0 || modelRow >= int(m_entries.size()))
        return -1;
    return m_entries[size_t(modelRow)].dataRow;
}

int TDBGridModel::ModelRow(int dataRow) const
{
    if (!grouping())
        return dataRow >= 0 && dataRow < m_rowCount ? dataRow : -1;
    if (dataRow < 0 || dataRow >= int(m_modelRowOfData.size()))
        return -1;
    return m_modelRowOfData[size_t(dataRow)];
}

bool TDBGridModel::IsGroupRow(int modelRow) const
{
    return grouping() && modelRow >= 0 && modelRow < int(m_entries.size()) &&
           m_entries[size_t(modelRow)].dataRow < 0;
}

int TDBGridModel::GroupLevel(int modelRow) const
{
    if (!IsGroupRow(modelRow))
        return -1;
    return m_groups[size_t(m_entries[size_t(modelRow)].group)].level;
}

QString TDBGridModel::GroupText(int modelRow) const
{
    if (!IsGroupRow(modelRow))
        return {};
    const Group &group = m_groups[size_t(m_entries[size_t(modelRow)].group)];
    const QString &fieldName = m_groupFields.value(group.level);
    QString title = fieldName;
    if (TColumn *col = m_columns.FindByFieldName(fieldName))
        title = col->Title().Levels().join(QLatin1Char('-'));
    else if (TClientDataSet *ds = DataSet()) {
        if (TField *field = ds->FindField(fieldName))
            title = field->DisplayLabel();
    }
    return QStringLiteral("%1: %2 (%3)").arg(title, group.text).arg(group.count);
}

void TDBGridModel::SetGroupFields(const QStringList &fieldNames)
{
    if (m_groupFields == fieldNames)
        return;
    m_groupFields = fieldNames;
    m_collapsed.clear();
    reset(ResetKind::Rows);
}

void TDBGridModel::ToggleGroup(int modelRow)
{
    if (!IsGroupRow(modelRow))
        return;
    const QString &path = m_groups[size_t(m_entries[size_t(modelRow)].group)].path;
    if (m_collapsed.contains(path))
        m_collapsed.remove(path);
    else
        m_collapsed.insert(path);
    reset(ResetKind::Rows);
}

void TDBGridModel::SetAllGroupsExpanded(bool expanded)
{
    if (!grouping())
        return;
    m_collapsed.clear();
    if (!expanded) {
        for (const Group &group : m_groups)
            m_collapsed.insert(group.path);
    }
    reset(ResetKind::Rows);
}

void TDBGridModel::ColumnsChanged()
{
    if (m_resetting)
        return;
    reset(ResetKind::Columns);
}

void TDBGridModel::ColumnsAppearanceChanged()
{
    if (rowCount() > 0 && columnCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    if (columnCount() > 0)
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void TDBGridModel::reset(ResetKind kind)
{
    m_resetting = true;
    beginResetModel();
    TClientDataSet *ds = DataSet();
    if (kind == ResetKind::Fields && !m_columns.Customized())
        m_columns.RebuildColumns(ds);
    if (kind != ResetKind::Rows)
        m_columns.ResolveFields(ds);
    m_rowCount = ds ? ds->RowCount() : 0;
    rebuildGroups();
    endResetModel();
    m_resetting = false;
}

void TDBGridModel::dataEvent(TDataEvent event, const TDataEventInfo &info)
{
    const bool activeChanged = std::exchange(m_activeChanged, false);
    TClientDataSet *ds = DataSet();
    if (activeChanged || event == deLayoutChange) {
        reset(ResetKind::Fields);
    } else if (event == deDataSetChange) {
        reset(ResetKind::Rows);
    } else if (ds) {
        switch (event) {
        case deRowsInserted:
            if (grouping()) {
                reset(ResetKind::Rows);
            } else if (info.Count > 0 && info.Row >= 0 && info.Row <= m_rowCount) {
                m_pending = {PendingChange::Insert, info.Row, info.Count, 0};
                beginInsertRows(QModelIndex(), info.Row, info.Row + info.Count - 1);
                m_pending = {};
                m_rowCount += info.Count;
                endInsertRows();
            }
            break;
        case deRowsRemoved:
            if (grouping()) {
                reset(ResetKind::Rows);
            } else if (info.Count > 0 && info.Row >= 0 && info.Row + info.Count <= m_rowCount) {
                m_pending = {PendingChange::Remove, info.Row, info.Count, 0};
                beginRemoveRows(QModelIndex(), info.Row, info.Row + info.Count - 1);
                m_pending = {};
                m_rowCount -= info.Count;
                endRemoveRows();
            }
            break;
        case deRowMoved:
            if (grouping()) {
                reset(ResetKind::Rows);
            } else if (info.FromRow != info.Row && info.FromRow >= 0 && info.FromRow < m_rowCount &&
                       info.Row >= 0 && info.Row < m_rowCount) {
                const int destination = info.Row > info.FromRow ? info.Row + 1 : info.Row;
                m_pending = {PendingChange::Move, info.Row, 1, info.FromRow};
                beginMoveRows(QModelIndex(), info.FromRow, info.FromRow, QModelIndex(),
                              destination);
                m_pending = {};
                endMoveRows();
            }
            break;
        case deFieldChange:
        case deRecordChange: {
            if (grouping() &&
                (event == deRecordChange || !info.Field ||
                 m_groupFields.contains(info.Field->FieldName(), Qt::CaseInsensitive))) {
                reset(ResetKind::Rows);
                break;
            }
            const int row = ModelRow(ds->CurrentRow());
            if (row >= 0 && row < rowCount() && columnCount() > 0)
                Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
            break;
        }
        case deUpdateState: {
            // State changes come in the middle of an operation, before its row event.
            const int row = ModelRow(ds->CurrentRow());
            if (row >= 0 && row < rowCount())
                Q_EMIT headerDataChanged(Qt::Vertical, row, row);
            break;
        }
        default:
            break;
        }
    }
    // Whatever the events said, the model never disagrees with the dataset about its size
    // once an operation is complete (state changes and pre-post notices come mid-way).
    ds = DataSet();
    const bool complete = event != deUpdateState && event != deCheckBrowseMode &&
                          event != deUpdateRecord && event != deFocusControl;
    if (complete && !grouping() && m_rowCount != (ds ? ds->RowCount() : 0))
        reset(ResetKind::Rows);
    if (OnDataEvent)
        OnDataEvent(event, info);
}

void TDBGridModel::rebuildGroups()
{
    m_groups.clear();
    m_topGroups.clear();
    m_entries.clear();
    m_modelRowOfData.clear();
    TClientDataSet *ds = DataSet();
    if (!ds || m_groupFields.isEmpty())
        return;
    std::vector<TField *> fields;
    for (const QString &name : m_groupFields) {
        if (TField *field = ds->FindField(name))
            fields.push_back(field);
    }
    const int rows = ds->RowCount();
    m_modelRowOfData.assign(size_t(rows), -1);
    if (fields.empty())
        return;
    const size_t levels = fields.size();
    std::vector<QVariant> keys(size_t(rows) * levels);
    for (int r = 0; r < rows; ++r) {
        for (size_t l = 0; l < levels; ++l)
            keys[size_t(r) * levels + l] = ds->RowValue(r, fields[l]);
    }
    auto compareRows = [&](int a, int b) {
        for (size_t l = 0; l < levels; ++l) {
            const int c = CompareValues(keys[size_t(a) * levels + l], keys[size_t(b) * levels + l]);
            if (c != 0)
                return c;
        }
        return 0;
    };
    std::vector<int> order(static_cast<size_t>(rows));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return compareRows(a, b) < 0; });

    std::vector<int> current(levels, -1);
    int previous = -1;
    for (int r : order) {
        size_t first = 0;
        if (previous >= 0) {
            first = levels;
            for (size_t l = 0; l < levels; ++l) {
                if (CompareValues(keys[size_t(r) * levels + l],
                                  keys[size_t(previous) * levels + l]) != 0) {
                    first = l;
                    break;
                }
            }
        }
        for (size_t l = first; l < levels; ++l) {
            Group group;
            group.level = int(l);
            group.parent = l == 0 ? -1 : current[l - 1];
            group.text = ds->RowDisplayText(r, fields[l]);
            group.path = (l == 0 ? QString() : m_groups[size_t(group.parent)].path) + QChar(0x1F) +
                         group.text;
            const int index = int(m_groups.size());
            m_groups.push_back(std::move(group));
            if (l == 0)
                m_topGroups.push_back(index);
            else
                m_groups[size_t(current[l - 1])].children.push_back(index);
            current[l] = index;
        }
        for (size_t l = 0; l < levels; ++l)
            ++m_groups[size_t(current[l])].count;
        m_groups[size_t(current[levels - 1])].rows.push_back(r);
        previous = r;
    }
    for (int top : m_topGroups)
        flattenGroup(top);
}

void TDBGridModel::flattenGroup(int group)
{
    m_entries.push_back({-1, group});
    const Group &g = m_groups[size_t(group)];
    if (m_collapsed.contains(g.path))
        return;
    for (int child : g.children)
        flattenGroup(child);
    for (int row : g.rows) {
        m_modelRowOfData[size_t(row)] = int(m_entries.size());
        m_entries.push_back({row, group});
    }
}
