// The customer list TfrmCust ("客户资料") and the supplier list TfrmVendCust ("供应商资料"):
// the region tree beside the partners, a click on a region listing the partners of that region
// and of every region below it; both double as pickers.
#pragma once

#include "client/forms/comjbzl.h"

// The walk-in customer (ID 1) carries every counter sale and is never deleted: true, after
// the message "散客不能删除！", when the current customer is it.
bool RefuseWalkInCustomerDelete(const TClientDataSet &customers);

// The region tree and the query both partner lists share.
class TfrmRegionPartnerList : public TfrmComJbzl
{
    Q_OBJECT
public:
    // The condition a click on a region adds: the region and all regions below it, as
    // " and <column> In(1,4,7 )". Empty for the top node.
    static QString RegionCondition(const QString &column, const QString &subtree);

protected:
    // select (up to and including "where 1=1 "), the table alias of the partner and the
    // region column the tree filters.
    TfrmRegionPartnerList(QWidget *parent, const QString &select, const QString &alias,
                          const QString &regionColumn);

    void FormCreate() override;
    void SetTreeParam() override;
    void OpenDataSet() override;
    void TreeNodeSelected(bool ShowAll) override;
    void GetSearchModalValue() override;

private:
    QString m_select;
    QString m_alias;
    QString m_regionColumn;
    QString m_regionCondition;
};

class TfrmCust : public TfrmRegionPartnerList
{
    Q_OBJECT
public:
    explicit TfrmCust(QWidget *parent = nullptr);

    QString ResultPriceLevel; // picker: the chosen customer's sales price level

protected:
    void FormShow() override;
    void LoadEditForm(const QString &Mode) override;
    void aDelExecute() override;
    void GetSearchModalValue() override;
};

class TfrmVendCust : public TfrmRegionPartnerList
{
    Q_OBJECT
public:
    explicit TfrmVendCust(QWidget *parent = nullptr);

protected:
    void FormShow() override;
    void LoadEditForm(const QString &Mode) override;
    void aDelExecute() override;
};
