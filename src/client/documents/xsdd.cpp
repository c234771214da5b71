// The sales order.
#include "client/documents/xsdd.h"

#include "client/data/fields.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbgrid.h"

namespace {

const TTradeDocumentType SalesOrder{"XSDDZB",
                                    "XSDD",
                                    "mnuXsdd",
                                    "ID,ZBID; RQ,RQ;DJBH,DJBH",
                                    "DJBH;RQ;AKHMC;YWY",
                                    "AKHBH",
                                    TData::idXsddzb,
                                    TData::idXsdd,
                                    TPartner::Customer,
                                    &TfrmXsdd::HeaderSql,
                                    &TfrmXsdd::LinesSql};

} // namespace

TfrmXsdd::TfrmXsdd(QWidget *parent)
    : TTradeDocument(SalesOrder, parent)
{
    setObjectName(QStringLiteral("frmXsdd"));
    setWindowTitle(QStringLiteral("销售订单"));
    AddGoodsColumns();
    TDBGridColumns &columns = DBGrid1->Columns();
    columns.Add(QStringLiteral("NZK"), QStringLiteral("折扣"), 50);
    columns.Add(QStringLiteral("cJE"), QStringLiteral("金额"), 130);
    columns.Add(QStringLiteral("NSL"), QStringLiteral("税率"), 50);
    columns.Add(QStringLiteral("aYTSL"), QStringLiteral("已出库数量"), 80)->SetReadOnly(true);
    columns.Add(QStringLiteral("aMTSL"), QStringLiteral("未出库数量"), 80)->SetReadOnly(true);

    PlacePartner();
    DBEditJHRQ = HeaderControl<TDBDateEdit>("DBEditJHRQ", "JHRQ");
    PlaceHeader(QStringLiteral("交货日期"), DBEditJHRQ);
    NewHeaderRow();
    PlaceSalesman();
    DBCheckZT = HeaderControl<TDBCheckBox>("DBCheckZT", "ZT");
    DBCheckZT->setText(QStringLiteral("订单中止执行"));
    PlaceHeader(QString(), DBCheckZT);
    NewHeaderRow();
    PlaceRemark(5);
}

QString TfrmXsdd::HeaderSql(const QString &where)
{
    return QStringLiteral("select Z.*, K.BH as aKHBH, K.MC as aKHMC from XSDDZB as Z left "
                          "outer join KH K on Z.KHID = K.ID ") +
           where;
}

QString TfrmXsdd::LinesSql(qint64 headerId)
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
