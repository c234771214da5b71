// The multi-select dialog ("多选"): ticks several warehouses, customers, suppliers, user groups
// or used values of a goods attribute and returns them as an in-list of keys and a list of
// names.
#pragma once

#include "client/forms/rootform.h"

#include <QStringList>

class QListWidget;
class QPushButton;

class TMultiSelectFrm : public TFrmRoot
{
    Q_OBJECT
public:
    explicit TMultiSelectFrm(QWidget *parent = nullptr);

    // "STOCK", "CUST", "GYS", "GROUP" or an attribute "SX1" ... (any case) and the current
    // selection ("(1,3)" or "1,3"); reads the items from the server. False for another kind.
    bool SetKind(const QString &kind, const QString &selection = {});
    // The item list without the server: names and keys in order.
    void SetItems(const QStringList &names, const QStringList &ids, const QString &selection);

    static QString KindCaption(const QString &kind); // "仓库", "客户", ... "货品属性"
    static QString KindSQL(const QString &kind);     // empty for an unknown kind

    QString Kind;
    // After OK: the ticked keys as "(1,3)" (attribute values quoted) and the names "a,b".
    QString SelectedIDs;
    QString SelectedNames;

    QListWidget *CheckList;
    QPushButton *btnOk;
    QPushButton *btnExit;

protected:
    void btnOkClick();

private:
    bool isAttributeKind() const;
    QStringList m_ids;
    QStringList m_names;
};

// Shows the dialog; on OK ids and names take the new selection. False when left with "退出".
bool MultiSelect(const QString &kind, QString &ids, QString &names, QWidget *parent = nullptr);
