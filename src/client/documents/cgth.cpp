// The purchase return.
#include "client/documents/cgth.h"

#include "client/data/fields.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dblookupcombo.h"

namespace {

const TTradeDocumentType PurchaseReturn{"CGTHZB",
                                        "CGTH",
                                        "mnuCgth",
                                        "ID,ZBID; RQ,RQ; CKID,CKID",
                                        "DJBH; RQ; AGYSBH; CKID; ATHLX",
                                        "AGYSBH",
                                        TData::idCgthzb,
                                        TData::idCgth,
                                        TPartner::Supplier,
                                        &TfrmPurOut::HeaderSql,
                                        &TfrmPurOut::LinesSql};

} // namespace

TfrmPurOut::TfrmPurOut(QWidget *parent)
    : TTradeDocument(PurchaseReturn, parent)
{
    setObjectName(QStringLiteral("frmPurOut"));
    setWindowTitle(QStringLiteral("采购退货单"));
    SalesmanSql = QStringLiteral("select XM from YG where YWYBZ order by BH");
    AddGoodsColumns();
    TDBGridColumns &columns = DBGrid1->Columns();
    columns.Add(QStringLiteral("NZK"), QStringLiteral("折扣"), 50);
    columns.Add(QStringLiteral("cJE"), QStringLiteral("金额"), 130);
    columns.Add(QStringLiteral("NSL"), QStringLiteral("税率"), 50);
    columns.Add(QStringLiteral("SRCNO"), QStringLiteral("入库单号"), 110);

    PlacePartner();
    PlaceWarehouse();
    NewHeaderRow();
    DBComboTHLX = PlaceReturnType(ReturnTypes());
    PlaceSalesman();
    NewHeaderRow();
    PlaceSettlement("XFJE", QStringLiteral("退款金额"), QStringLiteral("账户"));
    PlaceRemark(5);
}

const QStringList &TfrmPurOut::ReturnTypes()
{
    static const QStringList types{QStringLiteral("供应商退现款"),
                                   QStringLiteral("退款转入预付款")};
    return types;
}

QString TfrmPurOut::HeaderSql(const QString &where)
{
    return QStringLiteral(
               "select Z.*, K.BH as aGYSBH, K.MC as aGYSMC, C.MC as aCKMC, S.MC as aSFKFSMC, "
               "H.MC as aZHMC, switch(THLX=1,'供应商退现款', THLX=2,'退款转入预付款') as aTHLX "
               "from (((CGTHZB as Z left outer join GYS K on Z.GYSID = K.ID)   left outer join "
               "CK C on Z.CKID = C.ID)   left join SFKFS S on Z.SFKFSID = S.ID)   left outer "
               "join  ZH H on  Z.ZHID = H.ID ") +
           where;
}

QString TfrmPurOut::LinesSql(qint64 headerId)
{
    return QStringLiteral("select M.*, H.BH as aBH, H.PM as aPM, H.DW as aDW, H.GG as aGG from "
                          "CGTH M, HP H, M inner join H on M.HPID=H.ID where ZBID = ") +
           QString::number(headerId) + QStringLiteral(" order by M.HH");
}
