// The sales order.
#include "client/documents/xsdd.h"

#include "client/data/fields.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbgrid.h"

namespace {

const TTradeDocumentType SalesOrder{
    {"XSDDZB", "XSDD", "mnuXsdd", "ID,ZBID; RQ,RQ;DJBH,DJBH", "DJBH;RQ;AKHMC;YWY"},
    "AKHBH",
    TPartner::Customer,
    &TfrmXsdd::HeaderQuery,
    &TfrmXsdd::LinesQuery};

} // namespace

TfrmXsdd::TfrmXsdd(QWidget *parent)
    : TTradeDocument("frmXsdd", QStringLiteral("销售订单"), SalesOrder, parent)
{
    AddTradeColumns({{"NZK", "折扣", 50},
                     {"cJE", "金额", 130},
                     {"NSL", "税率", 50},
                     {"aYTSL", "已出库数量", 80},
                     {"aMTSL", "未出库数量", 80}});
    // What the other documents have done against each line.
    for (const char *field : {"aYTSL", "aMTSL"})
        DBGrid1->Columns().FindByFieldName(QLatin1String(field))->SetReadOnly(true);

    PlacePartner();
    DBEditJHRQ = NewControl<TDBDateEdit>("DBEditJHRQ", "JHRQ");
    PlaceHeader(QStringLiteral("交货日期"), DBEditJHRQ);
    NewHeaderRow();
    PlaceSalesman();
    DBCheckZT = NewControl<TDBCheckBox>("DBCheckZT", "ZT");
    DBCheckZT->setText(QStringLiteral("订单中止执行"));
    PlaceHeader(QString(), DBCheckZT);
    PlaceRemark();
}

QString TfrmXsdd::HeaderQuery(const QString &where)
{
    return QStringLiteral("select Z.*, K.BH as aKHBH, K.MC as aKHMC, C.MC as aCKMC from (XSDDZB "
                          "as Z left outer join KH K on Z.KHID = K.ID) left outer join CK C on "
                          "Z.CKID = C.ID ") +
           where;
}

QString TfrmXsdd::LinesQuery(qint64 headerId)
{
    return QStringLiteral(
               " select M.*,  (select sum(SL) from XSKD where SRCNO=M.DJBH and SRCSEQ=M.HH)  as "
               "aYTSL,  (M.SL - aYTSL) as aMTSL,  H.BH as aBH, H.PM as aPM, H.DW as aDW , H.GG "
               "as aGG  from XSDD M, HP H, M inner join H on M.HPID=H.ID  where ZBID = ") +
           QString::number(headerId) + QStringLiteral(" order by M.HH");
}

void TfrmXsdd::ZbOnNewRecord(TClientDataSet &DataSet)
{
    TTradeDocument::ZbOnNewRecord(DataSet);
    DataSet.FieldByName(QStringLiteral("YWY"))->SetAsString(QString());
    DataSet.FieldByName(QStringLiteral("JHRQ"))
        ->SetValue(DataSet.FieldByName(QStringLiteral("RQ"))->Value());
    DataSet.FieldByName(QStringLiteral("ZT"))->SetAsBoolean(false);
}
