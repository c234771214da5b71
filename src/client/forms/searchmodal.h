// The tree search dialogs: TSearchModalFrm ("查找模板") shows the rows of a tree table under a
// root node "全部" and returns the chosen node; TSearchItemTypeFrm ("选择货品类别") sets it up
// for goods categories, regions, departments or basic lists, as the edit forms pick a parent node.
#pragma once

#include "client/forms/rootform.h"

#include <memory>

class QPushButton;
class TClientDataSet;
class TDataSource;
class TDBTreeView;

class TSearchModalFrm : public TFrmRoot
{
    Q_OBJECT
public:
    explicit TSearchModalFrm(QWidget *parent = nullptr);
    ~TSearchModalFrm() override;

    // The record's own key (the node being edited); empty when there is none.
    QString OwnKey;
    // The chosen node after OK.
    QString ResultKey;
    QString ResultText;

    // Opens the rows: provider, command text, key, parent and caption fields.
    void OpenTree(const QString &providerName, const QString &sqlText, const QString &keyField,
                  const QString &displayField);

    TDBTreeView *stDBTree1;
    QPushButton *btnOk;
    QPushButton *btnCancel;
    TClientDataSet *cdsTree;

protected:
    // "选中退出" and a double click: takes the selected node unless it is refused.
    virtual void btnOkClick();

private:
    std::unique_ptr<TClientDataSet> m_dataSet;
    std::unique_ptr<TDataSource> m_source;
};

class TSearchItemTypeFrm : public TSearchModalFrm
{
    Q_OBJECT
public:
    explicit TSearchItemTypeFrm(QWidget *parent = nullptr);

    // "itemtype", "dq", "depart" or "pub_Project" (any case); false for another kind.
    bool SetKind(const QString &kind, const QString &ownKey = {});
};

// Picks a node of the kind; false when cancelled.
bool SearchTreeNode(const QString &kind, const QString &ownKey, QString &key, QString &text,
                    QWidget *parent = nullptr);
