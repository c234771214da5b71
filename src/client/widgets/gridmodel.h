// The item model behind a data grid: the visible records of a data source's dataset as rows,
// the grid's columns as columns. It reads through the dataset's random-access row API (no
// copy of the data, no cursor moves) and follows the dataset's row events precisely, so the
// view never has to reload a hundred thousand rows for one insert.
//
// With group fields the model shows the rows ordered and nested under group header rows; the
// dataset's own order is left alone.
#pragma once

#include "client/data/datasource.h"

#include <QAbstractTableModel>
#include <QSet>
#include <QStringList>

#include <functional>
#include <vector>

class TColumn;
class TDBGridColumns;

class TDBGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Role {
        DataRowRole = Qt::UserRole + 1, // the dataset row, -1 for a group row
        GroupLevelRole,                 // the nesting level of a group row, -1 for a data row
        GroupExpandedRole,
        ValueRole, // the field's value (QVariant of its type, invalid for null)
    };

    TDBGridModel(TDBGridColumns &columns, QObject *parent = nullptr);
    ~TDBGridModel() override;

    TDataSource *DataSource() const { return m_link.DataSource(); }
    void SetDataSource(TDataSource *dataSource);
    // The dataset while the source is active, else nullptr.
    TClientDataSet *DataSet() const;
    bool Active() const { return m_link.Active(); }

    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // A dataset opened with packets fetches its next one when the view scrolls to the end.
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

    // Rows of the dataset and of the model; they differ only while grouping.
    int DataRow(int modelRow) const;
    int ModelRow(int dataRow) const; // -1 when the row sits in a collapsed group
    bool IsGroupRow(int modelRow) const;
    // The caption of a group row: "title: value (count)".
    QString GroupText(int modelRow) const;
    int GroupLevel(int modelRow) const;

    // The text a cell shows: the column's display format, else the field's display text.
    QString CellText(int dataRow, const TColumn *column) const;
    QVariant CellValue(int dataRow, const TColumn *column) const;

    // Grouping by the fields named, outermost first; an empty list ends grouping.
    const QStringList &GroupFields() const { return m_groupFields; }
    void SetGroupFields(const QStringList &fieldNames);
    void ToggleGroup(int modelRow);
    void SetAllGroupsExpanded(bool expanded);

    // The columns were added, removed, moved or bound to other fields.
    void ColumnsChanged();
    // The text, alignment or format of the columns changed: repaint.
    void ColumnsAppearanceChanged();

    // After the model followed a dataset notification: the grid moves its current cell,
    // refreshes footers and the indicator.
    std::function<void(TDataEvent event, const TDataEventInfo &info)> OnDataEvent;

private:
    class Link : public TDataLink
    {
    public:
        explicit Link(TDBGridModel *model)
            : m_model(model)
        {}
        void DataEvent(TDataEvent event, const TDataEventInfo &info) override;

    protected:
        void ActiveChanged() override;

    private:
        TDBGridModel *m_model;
        bool m_inEvent = false;
    };

    enum class ResetKind {
        Rows,    // the records changed
        Columns, // the columns changed: find their fields again
        Fields,  // the dataset's fields changed: default columns are rebuilt too
    };

    struct Group
    {
        int level = 0;
        QString path; // the values of this group and its parents, for the expanded state
        QString text;
        int count = 0;
        int parent = -1;
        std::vector<int> children; // group indices
        std::vector<int> rows;     // data rows of the innermost level
    };
    struct Entry
    {
        int dataRow; // -1 for a group header
        int group;   // the group of a header row
    };
    // The dataset reports a change after making it, while the view must be told before:
    // between begin and end of the notification the rows are mapped as they were.
    struct PendingChange
    {
        enum Kind { None, Insert, Remove, Move } kind = None;
        int row = 0;
        int count = 0;
        int from = 0;
    };

    void dataEvent(TDataEvent event, const TDataEventInfo &info);
    void reset(ResetKind kind);
    void rebuildGroups();
    void flattenGroup(int group);
    bool grouping() const { return !m_groupFields.isEmpty() && Active(); }
    TColumn *column(int index) const;

    TDBGridColumns &m_columns;
    Link m_link{this};
    int m_rowCount = 0;
    PendingChange m_pending;
    bool m_readOnly = false;
    bool m_activeChanged = false;
    bool m_resetting = false;

    QStringList m_groupFields;
    QSet<QString> m_collapsed;
    std::vector<Group> m_groups;
    std::vector<int> m_topGroups;
    std::vector<Entry> m_entries;
    std::vector<int> m_modelRowOfData;
};
