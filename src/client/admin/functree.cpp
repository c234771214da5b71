// The function tree with one group's grants, shared by the rights form and the quick-launch set-up.
#include "client/admin/functree.h"

#include "client/data/clientdataset.h"
#include "client/security/systemfunctionright.h"

#include <QHash>
#include <QTreeWidget>

namespace {

QString text(const TClientDataSet &dataSet, const char *name)
{
    const TField *field = dataSet.FindField(QLatin1String(name));
    return field && !field->IsNull() ? field->AsString() : QString();
}

} // namespace

QString FuncTreeSQL(const QString &groupID)
{
    const QString group = groupID.trimmed().isEmpty() ? QStringLiteral("0") : groupID.trimmed();
    return QStringLiteral("select F.FuncNodeNo,F.FuncNodeName,F.PrevNodeNo,F.ObjectType,"
                          "F.ObjectName,U.UserGroupNo,U.FuncItems from Sys_FuncTree_office F "
                          "left outer join (select * from Sys_GroupFuncRight where "
                          "CompanyCode='%1' and UserGroupNo=%2) U on F.FuncNodeNo=U.FuncNodeNo "
                          "order by F.FuncNodeNo")
        .arg(QStringLiteral("VZ"), group);
}

QList<TFuncNode> LoadFuncTree(TClientDataSet &dataSet, const QString &groupID)
{
    const QString group = groupID.trimmed().isEmpty() ? QStringLiteral("0") : groupID.trimmed();
    OpenQuery(dataSet, FuncTreeSQL(group));
    QList<TFuncNode> nodes;
    for (dataSet.First(); !dataSet.Eof(); dataSet.Next()) {
        TFuncNode node;
        node.FuncNodeNo = text(dataSet, "FuncNodeNo");
        node.FuncNodeName = text(dataSet, "FuncNodeName");
        node.PrevNodeNo = text(dataSet, "PrevNodeNo");
        node.ObjectType = text(dataSet, "ObjectType");
        node.ObjectName = text(dataSet, "ObjectName");
        node.FuncItems = text(dataSet, "FuncItems");
        node.Granted = text(dataSet, "UserGroupNo") == group;
        nodes << node;
    }
    dataSet.Close();
    return nodes;
}

QList<QTreeWidgetItem *> FillFuncTree(QTreeWidget *tree, const QList<TFuncNode> &nodes,
                                      bool checkable)
{
    tree->clear();
    QList<QTreeWidgetItem *> items;
    QHash<QString, QTreeWidgetItem *> byNo;
    for (int i = 0; i < nodes.size(); ++i) {
        auto *item = new QTreeWidgetItem({nodes[i].FuncNodeName});
        item->setData(0, Qt::UserRole, i);
        if (checkable) {
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(0, nodes[i].Granted ? Qt::Checked : Qt::Unchecked);
        }
        items << item;
        byNo.insert(nodes[i].FuncNodeNo, item);
    }
    for (int i = 0; i < nodes.size(); ++i) {
        QTreeWidgetItem *parent = byNo.value(nodes[i].PrevNodeNo);
        if (parent && parent != items[i])
            parent->addChild(items[i]);
        else
            tree->addTopLevelItem(items[i]);
    }
    return items;
}
