// The purchase receipt.
#include "client/documents/purin.h"

#include "client/data/fields.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dblookupcombo.h"

namespace {

const TCreditBooking CreditPurchase{"CGLX", "YFJE", "GYS", "GYSID", "付款单"};

const TTradeDocumentType PurchaseReceipt{{"CGSHZB", "CGSH", "mnuCgsh",
                                          "ID,ZBID; RQ,RQ; CKID,CKID;DJBH,DJBH",
                                          "DJBH;RQ;AGYSMC;CKID;ACGLX;AFPLX;YWY"},
                                         "AGYSBH",
                                         TPartner::Supplier,
                                         &TfrmPurIn::HeaderQuery,
                                         &TfrmPurIn::LinesQuery,
                                         &CreditPurchase};

} // namespace

TfrmPurIn::TfrmPurIn(QWidget *parent)
    : TTradeDocument("frmPurIn", QStringLiteral("采购入库单"), PurchaseReceipt, parent)
{
    AddReferSource({"aRefer", "选择采购申请单", "采购申请单", "CGSQZB", "CGSQ", "M.JSR"});
    AddReferSource({"aXzdd", "选择订单", "物品申请单", "CGDDZB", "CGDD", "M.YWY as JSR",
                    TReferPartner::Supplier});
    AddTradeColumns({{"NZK", "折扣", 50},
                     {"cJE", "金额", 130},
                     {"NSL", "税率", 50},
                     {"SRCNO", "申请单号", 110}});

    PlacePartner();
    DBEditGysBH = PartnerCode;
    DBEditGysMC = PartnerName;
    PlaceWarehouse();

    NewHeaderRow();
    DBComboBox2 = PlaceInvoiceType();
    DBRadioCGLX = NewControl<TDBRadioGroup>("DBRadioCGLX", "CGLX");
    DBRadioCGLX->SetItems({QStringLiteral("现金采购"), QStringLiteral("挂帐采购")});
    DBRadioCGLX->SetValues({QStringLiteral("1"), QStringLiteral("2")});
    DBRadioCGLX->SetColumns(2);
    DBRadioCGLX->setFlat(true);
    DBRadioCGLX->setMaximumWidth(200);
    PlaceHeader(QStringLiteral("采购类型"), DBRadioCGLX);
    PlaceSalesman();
    dbedtXSJE = NewControl<TDBEdit>("dbedtXSJE", "NZK");
    dbedtXSJE->setMaximumWidth(80);
    dbedtXSJE->OnExit = [this](QWidget &) {
        Guarded([this] { discountLeft(); });
    };
    PlaceHeader(QStringLiteral("折扣"), dbedtXSJE);

    NewHeaderRow();
    PlaceSettlement("XFJE", QStringLiteral("付款金额"), QStringLiteral("付款账户"));
    PlaceRemark();
}

TfrmPurIn::~TfrmPurIn() = default;

QString TfrmPurIn::HeaderQuery(const QString &where)
{
    return QStringLiteral(
               "select Z.*, F.MC as aFPLX, K.BH as aGYSBH, K.MC as aGYSMC, C.MC as aCKMC, "
               "S.MC as aSFKFSMC, H.MC as aZHMC,  switch(Z.CGLX=1,'现金采购',Z.CGLX=2,'挂帐采购') "
               "as aCGLX from ((((CGSHZB as Z left outer join GYS K on Z.GYSID = K.ID)   left "
               "outer join CK C on Z.CKID = C.ID)   left join SFKFS S on Z.SFKFSID = S.ID)   left "
               "outer join  ZH H on  Z.ZHID = H.ID) left join FPLX F on Z.FPLX = F.ID ") +
           where;
}

QString TfrmPurIn::LinesQuery(qint64 headerId)
{
    return QStringLiteral(" select M.*,  H.BH as aBH, H.PM as aPM, H.DW as aDW, H.GG as "
                          "aGG,H.HPHSFSID,TypeName  from (CGSH M left join HP H on M.HPID=H.ID) "
                          "left join Pub_ItemType P on H.HPLBID=P.ItemType  where ZBID = ") +
           QString::number(headerId) + QStringLiteral("  order by M.HH");
}

void TfrmPurIn::ZbOnNewRecord(TClientDataSet &DataSet)
{
    TTradeDocument::ZbOnNewRecord(DataSet);
    DataSet.FieldByName(QStringLiteral("SFKFSID"))->SetAsInteger(0);
    DataSet.FieldByName(QStringLiteral("ZHID"))->SetAsInteger(0);
    DataSet.FieldByName(QStringLiteral("YWY"))->SetAsString(QString());
    DataSet.FieldByName(QStringLiteral("CGLX"))->SetAsInteger(1);
    // The VAT invoice is what suppliers of a registered business issue by default.
    DataSet.FieldByName(QStringLiteral("FPLX"))->SetAsInteger(3);
    if (TField *text = DataSet.FindField(QStringLiteral("aFPLX")))
        text->SetAsString(QStringLiteral("增值税发票"));
}

void TfrmPurIn::sZbDataChange(TDataSource &Sender, TField *Field)
{
    TTradeDocument::sZbDataChange(Sender, Field);
    // Whether chosen in the combo or typed by name, the type re-rates every line.
    if (Field && Field->FieldName().compare(QLatin1String("FPLX"), Qt::CaseInsensitive) == 0)
        SetEveryLine(QStringLiteral("NSL"), InvoiceTaxRate());
}

void TfrmPurIn::aSaveExecute()
{
    if (!CheckSettlement(QStringLiteral("XFJE"), QStringLiteral("付款账户不能为空！"), false))
        return;
    TTradeDocument::aSaveExecute();
}

void TfrmPurIn::discountLeft()
{
    TClientDataSet &header = *ZbDataSet();
    TField *discount = header.FindField(QStringLiteral("NZK"));
    if (!discount || discount->AsFloat() == 0 ||
        !(header.State() == dsEdit || header.State() == dsInsert))
        return;
    const double rounded = QString::asprintf("%.1f", discount->AsFloat()).toDouble();
    if (rounded != discount->AsFloat())
        discount->SetAsFloat(rounded);
    FDefaultDiscount = rounded;
    SetEveryLine(QStringLiteral("NZK"), rounded);
}
