// The function tree that rights are granted on and quick-launch buttons chosen from: the
// nodes of Sys_FuncTree_office with one group's grants, and the tree widget built from them.
#pragma once

#include <QList>
#include <QString>

class QTreeWidget;
class QTreeWidgetItem;
class TClientDataSet;

struct TFuncNode
{
    QString FuncNodeNo;
    QString FuncNodeName;
    QString PrevNodeNo;
    QString ObjectType;
    QString ObjectName;
    QString FuncItems; // the granted item codes joined by ","
    bool Granted = false;

    bool IsTop() const { return PrevNodeNo.isEmpty() || PrevNodeNo == QLatin1String("0000"); }
};

// Every node of the tree with the grants of one group ("0" for none: every node, none
// granted), in FuncNodeNo order.
QString FuncTreeSQL(const QString &groupID);
QList<TFuncNode> LoadFuncTree(TClientDataSet &dataSet, const QString &groupID);

// Fills the tree widget with one item per node, each hung under the node named by its
// PrevNodeNo (top level when there is none); an item keeps its node's index in Qt::UserRole.
// Returns the items in node order.
QList<QTreeWidgetItem *> FillFuncTree(QTreeWidget *tree, const QList<TFuncNode> &nodes,
                                      bool checkable);
