// The central data module TData: the two server connections, the shared client datasets of
// the whole program with their data sources, display rules, calculated fields, new-record
// defaults and before-open rules, the scratch pool, and the handler of rejected rows. One
// exists per run, from start-up to exit; Data() reaches it.
//
// A dataset is made the first time it is asked for, by accessor (Data().Hp()) or by name
// (Data().DataSetByName("Hp")), ready to open: on cn, provider "p" + its name unless the
// exception table names another, its fixed command text if it has one, packets of 2000
// rows. Its data source is s + the name (Data().sHp()). The fields come from the server
// when the dataset opens; the module's field rules (display handlers, the "#,0.##" default
// display format of float fields) are applied to them then.
#pragma once

#include "client/data/clientdataset.h"
#include "client/data/datasource.h"
#include "client/data/socketconnection.h"

#include <QDate>
#include <QSet>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <vector>

// The module's datasets, in its order.
// clang-format off
#define VZ_TDATA_DATASETS(X) \
    X(Tmp) X(Tmpf) X(Tmpl) X(AppUserGroup) X(AppUser) X(AppGroupDesktopClass) X(AppSelect) \
    X(AppLog) X(Dq) X(AppMenu) X(Kh) X(Gys) X(Zh) X(Sfkfs) X(Srzclb) X(Hplb) X(Sjzl) X(Cyjsdw) \
    X(Hphsff) X(Ck) X(Bm) X(Yglb) X(Yg) X(Hp) X(Qtkcbdlx) X(HpCkXx) X(HpSjXx) X(Hpkc) X(Hpsj) \
    X(Cgddzb) X(Cgdd) X(Cgfkzb) X(GysHelp) X(HpHelp) X(Cgsh) X(Cgshzb) X(CgddHelp) X(Cgfk) \
    X(Cgth) X(Cgthzb) X(Xsddzb) X(Xsdd) X(KhHelp) X(XsddHelp) X(Xsskzb) X(Xssk) X(Xskd) \
    X(Xskdzb) X(Xsth) X(Xsthzb) X(Llzb) X(Ll) X(Tlzb) X(Tl) X(Cpjczb) X(Cpjc) X(Kcpdzb) \
    X(Kcpd) X(Chtjzb) X(Chtj) X(Ckdbzb) X(Ckdb) X(Qtkcbdzb) X(Qtkcbd) X(Fykz) X(Fykzzb) \
    X(SrzclbHelp) X(Qtsr) X(Qtsrzb) X(Yhckqk) X(XskdHelp) X(XsSkgc) X(CgFkgc) X(CgshHelp) \
    X(Thgc) X(QtkcbdHpHelp) X(XsThgc) X(cdsQryPub) X(cdsPub) X(QProducts) X(cdsSingletem) \
    X(cdsLookUp) X(Sc_scjh) X(Sc_wlxqjh) X(Sc_cgjh) X(Cj) X(Sc_bom) X(Sc_cgjhzb) X(Sc_scjhzb) \
    X(Sc_wlxqjhzb) X(Sc_bomzb) X(SC_ProduceOrder) X(SC_ProduceOrderZB) X(CompanyInfo) \
    X(ZC_Move) X(ZC_Print) X(ZC_Tree) X(ZC_wx) X(ZC_Item) X(ZC_Change) X(ZC_gh) X(ZC_Clear) \
    X(ZC_JieChu) X(cdsXiaoqu) X(cdsZhts) X(cdsClientRoom) X(cdsPublicSet) X(cdsCarPos) \
    X(cdsGoods) X(cdsCltCarPos) X(BaoXiuzb) X(BaoXiu) X(ClientDataSet2) X(cdsCltSearch) \
    X(cdsCltFyRec) X(cdsCltFkRec) X(SBWXzb) X(SBWX) X(RS_Contract) X(RS_PX) X(RS_KH) X(RS_DD) \
    X(RS_JC) X(RS_TX) X(Yg_Pict) X(Gz_Item) X(Gz_Month) X(Gz_Monthzb) X(SC_WtjgZB) X(SC_Wtjg) \
    X(Oa_Leave) X(Oa_OverTime) X(Oa_House) X(Oa_Keys) X(Oa_Linkman) X(Oa_Visit) X(Oa_Pass) \
    X(Gz_GZong) X(Gz_GXu) X(GZ_JJGZ) X(Lskdzb) X(Lskd) X(VIP) X(TableColumns) X(CY_House) \
    X(CY_HouseTable) X(CY_KDZB) X(CY_KD) X(CY_YD) X(VipSet) X(VersionInfor) X(AccountTemp) \
    X(HPHSFS) X(Gz_GongZ) X(GZ_JSGZ) X(Hp_Pict) X(Pub_PrintModal) X(Crm_DataSet) X(RS_ZJ) \
    X(VIPLevel) X(Cgsqzb) X(Cgsq) X(RS_Work) X(Ckzz) X(Ckzzzb)
// clang-format on

// Decides what to do with a row the server rejected; the application installs the reconcile
// dialog as this handler at start-up.
using TReconcileErrorHandler = std::function<TReconcileAction(
    TClientDataSet &DataSet, TUpdateKind UpdateKind, EReconcileError &E)>;

class TData
{
public:
    enum TDataSetId {
#define VZ_TDATA_ID(name) id##name,
        VZ_TDATA_DATASETS(VZ_TDATA_ID)
#undef VZ_TDATA_ID
            DataSetCount
    };

    // Becomes the module of the run; EDatabaseError while another one exists.
    TData();
    ~TData();
    TData(const TData &) = delete;
    TData &operator=(const TData &) = delete;

    // The central connection ("ZezU.datas") and the report connection ("ZezU.DatasBb").
    // The report connection follows the central one to its server and reads the account set
    // of the session: reports always show the data the user works on.
    TSocketConnection &cn()
    {
        return m_cn;
    }
    TSocketConnection &CnBb()
    {
        return m_cnBb;
    }

#define VZ_TDATA_ACCESSOR(name)                                                                    \
    TClientDataSet &name()                                                                         \
    {                                                                                              \
        return DataSet(id##name);                                                                  \
    }                                                                                              \
    TDataSource &s##name()                                                                         \
    {                                                                                              \
        return DataSource(id##name);                                                               \
    }
    VZ_TDATA_DATASETS(VZ_TDATA_ACCESSOR)
#undef VZ_TDATA_ACCESSOR

    TClientDataSet &DataSet(TDataSetId id);
    TDataSource &DataSource(TDataSetId id);
    // A dataset of the module or of its scratch pool, by name without regard to case;
    // nullptr for other names.
    TClientDataSet *FindDataSet(const QString &name);
    // EDatabaseError for a name that is not one of the module's datasets.
    TClientDataSet &DataSetByName(const QString &name);
    // "sHp" gives the data source of Hp.
    TDataSource *FindDataSource(const QString &name);

    static QString DataSetName(TDataSetId id);
    // "p" + the name, or the provider the exception table gives.
    static QString ProviderNameOf(const QString &dataSetName);

    // The scratch pool (GetFreeTmpDataSet of serveraccess.h): a member is free while it is
    // closed and nobody holds it.
    TClientDataSet &GetFreeTmpDataSet();
    // A free member kept from everybody else, even while closed, until it is given back: a
    // routine may take several before it opens any of them.
    TClientDataSet &HoldTmpDataSet();
    void ReleaseTmpDataSet(TClientDataSet &member);
    int TmpPoolSize() const
    {
        return int(m_pool.size());
    }

    // The server's date (one call of the server method).
    QDate GetServerDate();

    // In insert state: the dataset's ID := one more than the largest positive ID of the
    // table named like the dataset (1 for an empty table). Nothing in any other state.
    void SetID(TClientDataSet &dataSet);

    void SetReconcileErrorHandler(TReconcileErrorHandler handler);
    // The OnReconcileError of every dataset of the module: the installed handler decides,
    // raSkip (the row stays in the change log) without one.
    void ReconcileError(TClientDataSet &DataSet, EReconcileError &E, TUpdateKind UpdateKind,
                        TReconcileAction &Action);

private:
    std::unique_ptr<TClientDataSet> createDataSet(TDataSetId id);
    void setUpFields(TDataSetId id, TClientDataSet &dataSet);

    TSocketConnection m_cn;
    TSocketConnection m_cnBb;
    std::array<std::unique_ptr<TClientDataSet>, DataSetCount> m_dataSets;
    std::array<std::unique_ptr<TDataSource>, DataSetCount> m_dataSources;
    std::vector<std::unique_ptr<TClientDataSet>> m_pool;
    QSet<const TClientDataSet *> m_heldPool;
    TReconcileErrorHandler m_reconcileErrorHandler;
};

// The module of the run; EDatabaseError when none exists.
TData &Data();
bool DataExists();
