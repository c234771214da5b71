// The dataset-fed tree.
#include "client/widgets/dbtreeview.h"

#include "client/data/clientdataset.h"
#include "client/data/fields.h"
#include "client/data/valueorder.h"
#include "client/widgets/messagebox.h"

#include <QApplication>
#include <QSet>
#include <QStandardItemModel>
#include <QStyle>
#include <QTimer>

#include <algorithm>

namespace {

QString keyText(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return {};
    if (value.typeId() == QMetaType::Double) {
        const double number = value.toDouble();
        if (number == double(qint64(number)))
            return QString::number(qint64(number));
    }
    return value.toString().trimmed();
}

} // namespace

void TDBTreeView::Link::DataEvent(TDataEvent event, const TDataEventInfo &info)
{
    TDataLink::DataEvent(event, info);
    switch (event) {
    case deDataSetChange:
    case deLayoutChange:
    case deRecordChange:
    case deRowsInserted:
    case deRowsRemoved:
        m_tree->scheduleRebuild();
        break;
    default:
        break;
    }
}

TDBTreeView::TDBTreeView(QWidget *parent)
    : QTreeView(parent)
    , m_model(new QStandardItemModel(this))
{
    setModel(m_model);
    setHeaderHidden(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);
    QStyle *style = QApplication::style();
    m_open = style->standardIcon(QStyle::SP_DirOpenIcon);
    m_closed = style->standardIcon(QStyle::SP_DirClosedIcon);
    m_leaf = style->standardIcon(QStyle::SP_FileIcon);
    connect(this, &QTreeView::expanded, this, &TDBTreeView::nodeExpanded);
    connect(this, &QTreeView::collapsed, this, &TDBTreeView::nodeCollapsed);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) { selectionChanged(current); });
}

TDBTreeView::~TDBTreeView()
{
    m_link.SetDataSource(nullptr);
}

void TDBTreeView::SetDataSource(TDataSource *dataSource)
{
    m_link.SetDataSource(dataSource);
    Rebuild();
}

void TDBTreeView::SetFields(const QString &keyField, const QString &parentField,
                            const QString &displayField, const QString &sortField)
{
    m_keyField = keyField;
    m_parentField = parentField;
    m_displayField = displayField;
    m_sortField = sortField;
    Rebuild();
}

void TDBTreeView::SetRootText(const QString &text)
{
    m_rootText = text;
    Rebuild();
}

void TDBTreeView::SetImages(const QIcon &open, const QIcon &closed, const QIcon &leaf)
{
    m_open = open;
    m_closed = closed;
    m_leaf = leaf;
    Rebuild();
}

void TDBTreeView::scheduleRebuild()
{
    if (m_rebuildPending)
        return;
    m_rebuildPending = true;
    QTimer::singleShot(0, this, [this] {
        if (m_rebuildPending)
            Rebuild();
    });
}

void TDBTreeView::Rebuild()
{
    m_rebuildPending = false;
    // What the user had open and chosen survives the reload.
    QSet<QString> expandedKeys;
    for (auto it = m_items.cbegin(); it != m_items.cend(); ++it) {
        if (isExpanded(it.value()->index()))
            expandedKeys.insert(it.key());
    }
    const bool rootExpanded = !m_root || isExpanded(m_root->index());
    const bool rootSelected = SelectedIsRoot();
    const QString selected = SelectedKey();

    m_rebuilding = true;
    m_model->clear();
    m_items.clear();
    m_root = nullptr;
    QStandardItem *top = m_model->invisibleRootItem();
    if (!m_rootText.isEmpty()) {
        m_root = new QStandardItem(m_rootText);
        m_root->setData(true, IsRootRole);
        m_root->setData(QString(), KeyRole);
        top->appendRow(m_root);
        top = m_root;
    }

    TClientDataSet *ds = m_link.Active() ? m_link.DataSet() : nullptr;
    TField *keyField = ds ? ds->FindField(m_keyField) : nullptr;
    TField *parentField = ds ? ds->FindField(m_parentField) : nullptr;
    TField *displayField = ds ? ds->FindField(m_displayField) : nullptr;
    TField *sortField =
        ds ? ds->FindField(m_sortField.isEmpty() ? m_displayField : m_sortField) : nullptr;
    if (ds && keyField && displayField) {
        struct Node
        {
            QString key;
            QString parent;
            QString text;
            QVariant sort;
        };
        std::vector<Node> nodes;
        const int rows = ds->RowCount();
        nodes.reserve(size_t(rows));
        for (int r = 0; r < rows; ++r) {
            Node node;
            node.key = keyText(ds->RowValue(r, keyField));
            if (node.key.isEmpty())
                continue;
            node.parent = parentField ? keyText(ds->RowValue(r, parentField)) : QString();
            node.text = ds->RowDisplayText(r, displayField);
            node.sort = sortField ? ds->RowValue(r, sortField) : QVariant(node.text);
            nodes.push_back(std::move(node));
        }
        std::stable_sort(nodes.begin(), nodes.end(), [](const Node &a, const Node &b) {
            return CompareValues(a.sort, b.sort, TTextOrder::Locale) < 0;
        });
        QHash<QString, int> byKey;
        for (int i = 0; i < int(nodes.size()); ++i)
            byKey.insert(nodes[size_t(i)].key, i);
        QHash<QString, QList<int>> children;
        QList<int> roots;
        for (int i = 0; i < int(nodes.size()); ++i) {
            const Node &node = nodes[size_t(i)];
            if (!node.parent.isEmpty() && node.parent != node.key && byKey.contains(node.parent))
                children[node.parent].append(i);
            else
                roots.append(i);
        }
        // Depth first from the roots; nodes caught in a parent cycle are never reached and
        // are shown at the top so that no record disappears.
        std::vector<bool> placed(nodes.size(), false);
        std::function<void(int, QStandardItem *)> place = [&](int index, QStandardItem *parent) {
            placed[size_t(index)] = true;
            const Node &node = nodes[size_t(index)];
            auto *item = new QStandardItem(node.text);
            item->setData(node.key, KeyRole);
            item->setData(false, IsRootRole);
            parent->appendRow(item);
            m_items.insert(node.key, item);
            for (int child : children.value(node.key)) {
                if (!placed[size_t(child)])
                    place(child, item);
            }
        };
        for (int index : roots)
            place(index, top);
        for (int i = 0; i < int(nodes.size()); ++i) {
            if (!placed[size_t(i)])
                place(i, top);
        }
    }
    for (QStandardItem *item : std::as_const(m_items))
        updateIcon(item);
    if (m_root) {
        updateIcon(m_root);
        if (rootExpanded)
            expand(m_root->index());
    }
    for (const QString &key : expandedKeys) {
        if (QStandardItem *item = m_items.value(key))
            expand(item->index());
    }
    m_rebuilding = false;
    if (!selected.isEmpty() && m_items.contains(selected))
        setCurrentIndex(m_items.value(selected)->index());
    else if (rootSelected && m_root)
        setCurrentIndex(m_root->index());
}

void TDBTreeView::updateIcon(QStandardItem *item)
{
    if (item->hasChildren())
        item->setIcon(isExpanded(item->index()) ? m_open : m_closed);
    else
        item->setIcon(m_leaf);
}

void TDBTreeView::nodeExpanded(const QModelIndex &index)
{
    QStandardItem *item = m_model->itemFromIndex(index);
    if (!item)
        return;
    updateIcon(item);
    if (!m_mutualExpand || m_rebuilding)
        return;
    QStandardItem *parent = item->parent() ? item->parent() : m_model->invisibleRootItem();
    for (int i = 0; i < parent->rowCount(); ++i) {
        QStandardItem *sibling = parent->child(i);
        if (sibling != item && isExpanded(sibling->index()))
            collapse(sibling->index());
    }
}

void TDBTreeView::nodeCollapsed(const QModelIndex &index)
{
    if (QStandardItem *item = m_model->itemFromIndex(index))
        updateIcon(item);
}

void TDBTreeView::selectionChanged(const QModelIndex &current)
{
    if (m_rebuilding || !current.isValid())
        return;
    if (m_syncDataSet && !SelectedIsRoot()) {
        TClientDataSet *ds = m_link.Active() ? m_link.DataSet() : nullptr;
        const QString key = SelectedKey();
        if (ds && !key.isEmpty() && ds->FindField(m_keyField)) {
            TField *field = ds->FieldByName(m_keyField);
            QVariant value(key);
            if (field->IsNumeric())
                value = key.toDouble();
            Guarded([&] { ds->Locate(m_keyField, value); });
        }
    }
    if (OnChange)
        Guarded([&] { OnChange(*this); });
}

QString TDBTreeView::SelectedKey() const
{
    const QModelIndex index = currentIndex();
    return index.isValid() ? index.data(KeyRole).toString() : QString();
}

QString TDBTreeView::SelectedText() const
{
    const QModelIndex index = currentIndex();
    return index.isValid() ? index.data(Qt::DisplayRole).toString() : QString();
}

int TDBTreeView::SelectedLevel() const
{
    QModelIndex index = currentIndex();
    if (!index.isValid())
        return -1;
    int level = 0;
    while (index.parent().isValid()) {
        index = index.parent();
        ++level;
    }
    return level;
}

bool TDBTreeView::SelectedIsRoot() const
{
    const QModelIndex index = currentIndex();
    return index.isValid() && index.data(IsRootRole).toBool();
}

bool TDBTreeView::SelectedHasSiblings() const
{
    const QModelIndex index = currentIndex();
    if (!index.isValid())
        return false;
    return m_model->rowCount(index.parent()) > 1;
}

QStandardItem *TDBTreeView::ItemOfKey(const QString &key) const
{
    return m_items.value(key);
}

bool TDBTreeView::SelectKey(const QString &key)
{
    QStandardItem *item = m_items.value(key);
    if (!item)
        return false;
    setCurrentIndex(item->index());
    scrollTo(item->index());
    return true;
}

void TDBTreeView::SelectRoot()
{
    if (m_root)
        setCurrentIndex(m_root->index());
}
