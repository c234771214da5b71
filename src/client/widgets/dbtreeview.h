// A tree fed by a dataset of nodes: each record is a node with a key, the key of its parent
// (ParentCode), a caption and a sort value. Records whose parent is missing hang under the
// root node (when there is one) or at the top. Nodes with children show folder images (open
// and closed), the others a leaf image; with mutually exclusive expansion opening a node
// closes its open siblings.
#pragma once

#include "client/data/datasource.h"

#include <QIcon>
#include <QTreeView>

#include <functional>

class QStandardItem;
class QStandardItemModel;

class TDBTreeView : public QTreeView
{
    Q_OBJECT
public:
    enum Role { KeyRole = Qt::UserRole + 1, IsRootRole };

    explicit TDBTreeView(QWidget *parent = nullptr);
    ~TDBTreeView() override;

    TDataSource *DataSource() const { return m_link.DataSource(); }
    void SetDataSource(TDataSource *dataSource);
    // Field names of the node key, the parent key, the caption and the order (the caption
    // when empty).
    void SetFields(const QString &keyField, const QString &parentField, const QString &displayField,
                   const QString &sortField = {});
    const QString &KeyField() const { return m_keyField; }
    const QString &ParentField() const { return m_parentField; }
    const QString &DisplayField() const { return m_displayField; }
    const QString &SortField() const { return m_sortField; }
    // The caption of a root node above all records; empty for none.
    void SetRootText(const QString &text);
    const QString &RootText() const { return m_rootText; }
    bool MutualExpand() const { return m_mutualExpand; }
    void SetMutualExpand(bool on) { m_mutualExpand = on; }
    // Selecting a node moves the dataset to its record.
    void SetSyncDataSet(bool on) { m_syncDataSet = on; }
    // Images by index: 0 open folder, 1 closed folder, 2 leaf.
    void SetImages(const QIcon &open, const QIcon &closed, const QIcon &leaf);

    // Reads the nodes again, keeping the expanded and selected nodes.
    void Rebuild();

    // The selected node: its key (empty for the root node), caption and level (0 for top).
    QString SelectedKey() const;
    QString SelectedText() const;
    int SelectedLevel() const;
    bool SelectedIsRoot() const;
    // The selected node is the only node at its level under its parent.
    bool SelectedHasSiblings() const;
    bool SelectKey(const QString &key);
    void SelectRoot();
    QStandardItem *ItemOfKey(const QString &key) const;
    QStandardItemModel *Model() const { return m_model; }

    std::function<void(TDBTreeView &Sender)> OnChange;

private:
    class Link : public TDataLink
    {
    public:
        explicit Link(TDBTreeView *tree)
            : m_tree(tree)
        {}
        void DataEvent(TDataEvent event, const TDataEventInfo &info) override;

    protected:
        void ActiveChanged() override { m_tree->scheduleRebuild(); }

    private:
        TDBTreeView *m_tree;
    };

    void scheduleRebuild();
    void updateIcon(QStandardItem *item);
    void nodeExpanded(const QModelIndex &index);
    void nodeCollapsed(const QModelIndex &index);
    void selectionChanged(const QModelIndex &current);

    Link m_link{this};
    QStandardItemModel *m_model;
    QString m_keyField;
    QString m_parentField;
    QString m_displayField;
    QString m_sortField;
    QString m_rootText;
    bool m_mutualExpand = false;
    bool m_syncDataSet = true;
    bool m_rebuildPending = false;
    bool m_rebuilding = false;
    QIcon m_open;
    QIcon m_closed;
    QIcon m_leaf;
    QHash<QString, QStandardItem *> m_items;
    QStandardItem *m_root = nullptr;
};
