// The sales return.
#include "client/documents/xsth.h"

#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/documents/lineprices.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dblookupcombo.h"
#include "client/widgets/messagebox.h"

namespace {

const TTradeDocumentType SalesReturn{
    {"XSTHZB", "XSTH", "mnuXsth", "ID,ZBID; RQ,RQ; CKID,CKID", "DJBH; RQ; AKHBH; CKID; ATHLX"},
    "AKHBH",
    TPartner::Customer,
    &TfrmSalIn::HeaderQuery,
    &TfrmSalIn::LinesQuery};

bool isNamed(const TField *field, const char *name)
{
    return field->FieldName().compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

} // namespace

TfrmSalIn::TfrmSalIn(QWidget *parent)
    : TTradeDocument("frmSalIn", QStringLiteral("销售退货单"), SalesReturn, parent)
{
    AddReferSource({"aShd", "选择出库单", "销售出库单", "XSKDZB", "XSKD", "M.JSR",
                    TReferPartner::Customer, true, TReferPicker::WholeDocument});
    AddTradeColumns({{"NZK", "折扣", 50},
                     {"cJE", "金额", 130},
                     {"NSL", "税率", 50},
                     {"CBDJ", "成本价", 80},
                     {"SRCNO", "出库单号", 110}});

    DBComboTHLX = PlaceReturnHeader(ReturnTypes(), "XSJE");
    DBEditJE = NewControl<TDBEdit>("DBEditJE", "JE");
    DBEditJE->SetReadOnly(true);
    PlaceHeader(QStringLiteral("含税金额"), DBEditJE);
    PlaceRemark();
}

const QStringList &TfrmSalIn::ReturnTypes()
{
    static const QStringList types{QStringLiteral("退客户现款"), QStringLiteral("退款转入预收款")};
    return types;
}

QString TfrmSalIn::HeaderQuery(const QString &where)
{
    return QStringLiteral(
               "select Z.*, K.BH as aKHBH, K.MC as aKHMC, C.MC as aCKMC, S.MC as aSFKFSMC, "
               "H.MC as aZHMC, switch(THLX=1,'退客户现款', THLX=2,'退款转入预收款') as aTHLX "
               "from (((XSTHZB as Z left outer join KH K on Z.KHID = K.ID)   left outer join "
               "CK C on Z.CKID = C.ID)   left join SFKFS S on Z.SFKFSID = S.ID)   left outer "
               "join  ZH H on  Z.ZHID = H.ID ") +
           where;
}

QString TfrmSalIn::LinesQuery(qint64 headerId)
{
    return QStringLiteral("select M.*, H.BH as aBH, H.PM as aPM, H.DW as aDW, H.GG as "
                          "aGG,H.HPHSFSID from XSTH M left join HP H on M.HPID=H.ID where ZBID "
                          "= ") +
           QString::number(headerId) + QStringLiteral(" order by M.HH");
}

void TfrmSalIn::sMxDataChange(TDataSource &Sender, TField *Field)
{
    TTradeDocument::sMxDataChange(Sender, Field);
    TClientDataSet &lines = *MxDataSet();
    if (!Field || !(lines.State() == dsEdit || lines.State() == dsInsert))
        return;
    // After the generic goods code handling, which prices the line the sales way.
    if (isNamed(Field, "aBH"))
        priceReturnedGoods();
    if (isNamed(Field, "SL"))
        warnAboveStockCeiling();
    if (isNamed(Field, "SL") || isNamed(Field, "DJ") || isNamed(Field, "NSL"))
        RunningTotal('E', true);
}

void TfrmSalIn::TotalField(char kind, const QVariant &value)
{
    TTradeDocument::TotalField(kind, value);
    RunningTotal(kind, true);
}

void TfrmSalIn::priceReturnedGoods()
{
    TClientDataSet &lines = *MxDataSet();
    const qint64 goods = lines.FieldByName(QStringLiteral("HPID"))->AsLargeInt();
    if (goods == 0)
        return;
    lines.FieldByName(QStringLiteral("DJ"))
        ->SetAsFloat(lines::GetCustomerPrice(goods, ZbInteger("KHID")));
    lines.FieldByName(QStringLiteral("CBDJ"))
        ->SetAsFloat(
            QueryValue(QStringLiteral("select JQJ from HP where ID = ") + QString::number(goods))
                .toDouble());
}

void TfrmSalIn::warnAboveStockCeiling()
{
    TClientDataSet &lines = *MxDataSet();
    const double quantity = lines.FieldByName(QStringLiteral("SL"))->AsFloat();
    const qint64 goods = lines.FieldByName(QStringLiteral("HPID"))->AsLargeInt();
    if (quantity == 0 || goods == 0)
        return;
    const QString id = QString::number(goods);
    const double ceiling =
        QueryValue(QStringLiteral("select SX from HP where ID = ") + id).toDouble();
    if (ceiling == 0)
        return;
    const double onHand =
        QueryValue(QStringLiteral("select sum(JCS) from HPKC where HPID = ") + id).toDouble();
    if (quantity + onHand <= ceiling)
        return;
    const TField *name = lines.FindField(QStringLiteral("aPM"));
    MessageBox(QStringLiteral("退入后，货品'") + (name ? name->AsString() : QString()) +
                   QStringLiteral("'的总库存量已经超过设定的库存上限。"),
               QStringLiteral("提醒你"), TMsgIcon::Warning);
}
