// The sales delivery.
#include "client/documents/xskd.h"

#include "client/data/fields.h"
#include "client/forms/globalobj.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dblookupcombo.h"

namespace {

const TCreditBooking CreditSale{"XSLX", "YSJE", "KH", "KHID", "收款单"};

const TTradeDocumentType SalesDelivery{{"XSKDZB", "XSKD", "mnuXskd",
                                        "ID,ZBID; RQ,RQ; CKID,CKID;DJBH,DJBH",
                                        "DJBH;RQ;AKHMC;CKID;AXSLX;AFPLX;YWY"},
                                       "AKHBH",
                                       TPartner::Customer,
                                       &TfrmSalOunt::HeaderQuery,
                                       &TfrmSalOunt::LinesQuery,
                                       &CreditSale};

} // namespace

TfrmSalOunt::TfrmSalOunt(QWidget *parent)
    : TTradeDocument("frmSalOunt", QStringLiteral("销售出库单"), SalesDelivery, parent)
{
    AddReferSource({"aXzdd", "选择订单", "销售订单", "XSDDZB", "XSDD", "M.YWY as JSR",
                    TReferPartner::Customer});
    AddTradeColumns({{"NZK", "折扣", 50},
                     {"cJE", "金额", 130},
                     {"NSL", "税率", 50},
                     {"CBDJ", "成本价", 80},
                     {"cCBJE", "成本金额", 100},
                     {"cLRJE", "利润", 100},
                     {"SRCNO", "订单号", 110}});

    PlacePartner();
    PlaceWarehouse();
    NewHeaderRow();
    DBComboBox2 = PlaceInvoiceType();
    DBRadioXSLX = NewControl<TDBRadioGroup>("DBRadioXSLX", "XSLX");
    DBRadioXSLX->SetItems({QStringLiteral("现金销售"), QStringLiteral("挂帐销售")});
    DBRadioXSLX->SetValues({QStringLiteral("1"), QStringLiteral("2")});
    DBRadioXSLX->SetColumns(2);
    DBRadioXSLX->setFlat(true);
    DBRadioXSLX->setMaximumWidth(200);
    PlaceHeader(QStringLiteral("销售类型"), DBRadioXSLX);
    PlaceSalesman();
    DBComboPriceLevel = NewControl<TDBComboBox>("DBComboPriceLevel", "PriceLevel");
    DBComboPriceLevel->SetItems({QStringLiteral("销售价"), QStringLiteral("会员价"),
                                 QStringLiteral("VIP价"), QStringLiteral("零售价")});
    PlaceHeader(QStringLiteral("价格"), DBComboPriceLevel);
    NewHeaderRow();
    PlaceSettlement("XSJE", QStringLiteral("收款金额"), QStringLiteral("收款账户"));
    PlaceRemark();
}

QString TfrmSalOunt::HeaderQuery(const QString &where)
{
    return QStringLiteral(
               "select Z.*, F.MC as aFPLX, K.BH as aKHBH, K.MC as aKHMC, C.MC as aCKMC, S.MC "
               "as aSFKFSMC, H.MC as aZHMC,  switch(Z.XSLX=1,'现金销售',Z.XSLX=2,'挂帐销售') as "
               "aXSLX from ((((XSKDZB as Z left outer join KH K on Z.KHID = K.ID)   left outer "
               "join CK C on Z.CKID = C.ID)   left join SFKFS S on Z.SFKFSID = S.ID)   left "
               "outer join  ZH H on  Z.ZHID = H.ID) left join FPLX F on Z.FPLX = F.ID ") +
           where;
}

QString TfrmSalOunt::LinesQuery(qint64 headerId)
{
    return QStringLiteral(" select M.*,  H.BH as aBH, H.PM as aPM, H.DW as aDW, H.GG as "
                          "aGG,H.HPHSFSID  from XSKD M left join HP H on M.HPID=H.ID  where "
                          "ZBID = ") +
           QString::number(headerId) + QStringLiteral("  order by M.HH");
}

void TfrmSalOunt::ZbOnNewRecord(TClientDataSet &DataSet)
{
    TTradeDocument::ZbOnNewRecord(DataSet);
    DataSet.FieldByName(QStringLiteral("SFKFSID"))->SetAsInteger(0);
    DataSet.FieldByName(QStringLiteral("ZHID"))->SetAsInteger(0);
    DataSet.FieldByName(QStringLiteral("YWY"))->SetAsString(QString());
    DataSet.FieldByName(QStringLiteral("XSLX"))->SetAsInteger(1);
}

void TfrmSalOunt::SetReprotBuildParam()
{
    TTradeDocument::SetReprotBuildParam();
    const TSystemFunctionRight &company = FuncRight();
    SetReportText(QStringLiteral("pplink"), QStringLiteral("电话：") + company.Tel);
    SetReportText(QStringLiteral("ppaddress"), QStringLiteral("地址：") + company.Address);
}

void TfrmSalOunt::aSaveExecute()
{
    if (!CheckSettlement(QStringLiteral("XSJE"), QStringLiteral("收款账户不能为空！"), true))
        return;
    TTradeDocument::aSaveExecute();
}
