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
                                        &TfrmPurOut::HeaderSql};

} // namespace

TfrmPurOut::TfrmPurOut(QWidget *parent)
    : TTradeDocument(PurchaseReturn, parent)
{
    setObjectName(QStringLiteral("frmPurOut"));
    setWindowTitle(QStringLiteral("采购退货单"));
    SalesmanSql = QStringLiteral("select XM from YG where YWYBZ order by BH");
    TDBGridColumns &columns = DBGrid1->Columns();
    columns.Add(QStringLiteral("aBH"), QStringLiteral("货品编号"), 100);
    columns.Add(QStringLiteral("aPM"), QStringLiteral("货品名称"), 160);
    columns.Add(QStringLiteral("aGG"), QStringLiteral("规格"), 90);
    columns.Add(QStringLiteral("aDW"), QStringLiteral("单位"), 50);
    columns.Add(QStringLiteral("SL"), QStringLiteral("数量"), 70);
    columns.Add(QStringLiteral("DJ"), QStringLiteral("单价"), 80);
    columns.Add(QStringLiteral("NZK"), QStringLiteral("折扣"), 50);
    columns.Add(QStringLiteral("cJE"), QStringLiteral("金额"), 130);
    columns.Add(QStringLiteral("NSL"), QStringLiteral("税率"), 50);
    columns.Add(QStringLiteral("SRCNO"), QStringLiteral("入库单号"), 110);

    PlacePartner();
    DBLookupCK = HeaderLookupCombo("DBLookupCK", "CKID", TData::idCk);
    PlaceHeader(QStringLiteral("仓库"), DBLookupCK);
    NewHeaderRow();
    DBComboTHLX = HeaderControl<TDBComboBox>("DBComboTHLX", "aTHLX");
    DBComboTHLX->SetItems(ReturnTypes());
    DBComboTHLX->SetStyle(TDBComboBox::csDropDownList);
    PlaceHeader(QStringLiteral("退货类型"), DBComboTHLX);
    PlaceSalesman();
    DBLookupSFKFS = HeaderLookupCombo("DBLookupSFKFS", "SFKFSID", TData::idSfkfs);
    PlaceHeader(QStringLiteral("结算方式"), DBLookupSFKFS);
    DBLookupZH = HeaderLookupCombo("DBLookupZH", "ZHID", TData::idZh);
    PlaceHeader(QStringLiteral("账户"), DBLookupZH);
    NewHeaderRow();
    DBEditXFJE = HeaderControl<TDBEdit>("DBEditXFJE", "XFJE");
    PlaceHeader(QStringLiteral("退款金额"), DBEditXFJE);
    DBEditBZ = HeaderControl<TDBEdit>("DBEditBZ", "BZ");
    PlaceHeader(QStringLiteral("备注"), DBEditBZ, 5);
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

void TfrmPurOut::IniRecord()
{
    MxDataSet()->SetCommandText(LinesSql(ZbInteger("ID")));
    TTradeDocument::IniRecord();
}

void TfrmPurOut::ZbOnNewRecord(TClientDataSet &DataSet)
{
    TTradeDocument::ZbOnNewRecord(DataSet);
    DataSet.FieldByName(QStringLiteral("THLX"))->SetAsInteger(1);
    DataSet.FieldByName(QStringLiteral("aTHLX"))->SetAsString(ReturnTypes().first());
    TakeCurrentPaymentMethod(DataSet);
    DataSet.FieldByName(QStringLiteral("YWY"))->SetAsString(QString());
}

void TfrmPurOut::ZbBeforePost(TClientDataSet &DataSet)
{
    StoreTypeCode("aTHLX", "THLX", ReturnTypes());
    TTradeDocument::ZbBeforePost(DataSet);
}
