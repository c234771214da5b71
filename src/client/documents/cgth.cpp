// The purchase return.
#include "client/documents/cgth.h"

#include "client/data/fields.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dblookupcombo.h"

namespace {

const TTradeDocumentType PurchaseReturn{
    {"CGTHZB", "CGTH", "mnuCgth", "ID,ZBID; RQ,RQ; CKID,CKID", "DJBH; RQ; AGYSBH; CKID; ATHLX"},
    "AGYSBH",
    TPartner::Supplier,
    &TfrmPurOut::HeaderQuery,
    &TfrmPurOut::LinesQuery};

} // namespace

TfrmPurOut::TfrmPurOut(QWidget *parent)
    : TTradeDocument("frmPurOut", QStringLiteral("采购退货单"), PurchaseReturn, parent)
{
    AddReferSource({"aShd", "选择收货单", "采购入库单", "CGSHZB", "CGSH", "M.JSR",
                    TReferPartner::Supplier, true, TReferPicker::WholeDocument});
    SalesmanSql = QStringLiteral("select XM from YG where YWYBZ order by BH");
    AddTradeColumns({{"NZK", "折扣", 50},
                     {"cJE", "金额", 130},
                     {"NSL", "税率", 50},
                     {"SRCNO", "入库单号", 110}});

    DBComboTHLX = PlaceReturnHeader(ReturnTypes(), "XFJE");
    PlaceRemark();
}

const QStringList &TfrmPurOut::ReturnTypes()
{
    static const QStringList types{QStringLiteral("供应商退现款"),
                                   QStringLiteral("退款转入预付款")};
    return types;
}

QString TfrmPurOut::HeaderQuery(const QString &where)
{
    return QStringLiteral(
               "select Z.*, K.BH as aGYSBH, K.MC as aGYSMC, C.MC as aCKMC, S.MC as aSFKFSMC, "
               "H.MC as aZHMC, switch(THLX=1,'供应商退现款', THLX=2,'退款转入预付款') as aTHLX "
               "from (((CGTHZB as Z left outer join GYS K on Z.GYSID = K.ID)   left outer join "
               "CK C on Z.CKID = C.ID)   left join SFKFS S on Z.SFKFSID = S.ID)   left outer "
               "join  ZH H on  Z.ZHID = H.ID ") +
           where;
}

QString TfrmPurOut::LinesQuery(qint64 headerId)
{
    return QStringLiteral("select M.*, H.BH as aBH, H.PM as aPM, H.DW as aDW, H.GG as aGG from "
                          "CGTH M, HP H, M inner join H on M.HPID=H.ID where ZBID = ") +
           QString::number(headerId) + QStringLiteral(" order by M.HH");
}
