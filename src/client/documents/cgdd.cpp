// The goods requisition.
#include "client/documents/cgdd.h"

#include "client/data/fields.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dblookupcombo.h"

#include <QLabel>

namespace {

const TTradeDocumentType GoodsRequisition{
    {"CGDDZB", "CGDD", "mnuSq", "ID,ZBID;RQ,RQ;DJBH,DJBH", "DJBH;RQ;YWY"},
    "AGYSBH",
    TPartner::Supplier,
    &TfrmCgdd::HeaderQuery,
    &TfrmCgdd::LinesQuery};

} // namespace

TfrmCgdd::TfrmCgdd(QWidget *parent)
    : TTradeDocument("frmCgdd", QStringLiteral("物品申请单"), GoodsRequisition, parent)
{
    AddReferSource({"aRefer", "选择采购计划", "采购计划", "SC_CGJHZB", "SC_CGJH", "M.JSR",
                    TReferPartner::Supplier});
    AddTradeColumns({{"cJE", "金额", 130},
                     {"aSHSL", "已收数量", 70},
                     {"aMSSL", "未收数量", 70},
                     {"SRCNO", "计划单号", 110}});
    // What the other documents have done against each line.
    for (const char *field : {"aSHSL", "aMSSL"})
        DBGrid1->Columns().FindByFieldName(QLatin1String(field))->SetReadOnly(true);

    PlacePartner();
    DBLookupBM = NewLookupBox("DBLookupBM", "BMID", TData::idBm);
    PlaceHeader(QStringLiteral("部门"), DBLookupBM);
    NewHeaderRow();
    PlaceSalesman();
    DBEditJHRQ = NewControl<TDBDateEdit>("DBEditJHRQ", "JHRQ");
    PlaceHeader(QStringLiteral("交货日期"), DBEditJHRQ);
    DBCheckZT = NewControl<TDBCheckBox>("DBCheckZT", "ZT");
    DBCheckZT->setText(QStringLiteral("订单中止执行"));
    pnlZT = new QLabel(Panel3);
    pnlZT->setObjectName(QStringLiteral("pnlZT"));
    pnlZT->setVisible(false);
    PlaceHeader(QString(), DBCheckZT);
    PlaceHeader(QString(), pnlZT);
    PlaceRemark();
}

QString TfrmCgdd::HeaderQuery(const QString &where)
{
    return QStringLiteral("select Z.*, K.BH as aGYSBH, K.MC as aGYSMC, B.MC as aBMMC, C.MC as "
                          "aCKMC from ((CGDDZB as Z left outer join GYS K on Z.GYSID = K.ID) "
                          "left outer join BM B on Z.BMID = B.ID) left outer join CK C on "
                          "Z.CKID = C.ID ") +
           where;
}

QString TfrmCgdd::LinesQuery(qint64 headerId)
{
    return QStringLiteral(
               " select M.*,  (select HH from CGDD where CGDD.ZBID=M.ZBID and CGDD.HH=M.HH) as "
               "TMP,  (select sum(SL) from CGSH where SRCNO=M.DJBH and SRCSEQ=M.HH) as aSHSL,  "
               "(M.SL - aSHSL) as aMSSL,  H.BH as aBH, H.PM as aPM, H.DW as aDW , H.GG as aGG  "
               "from CGDD M, HP H, M inner join H on M.HPID=H.ID  where ZBID = ") +
           QString::number(headerId) + QStringLiteral(" order by M.HH");
}

void TfrmCgdd::IniRecord()
{
    TTradeDocument::IniRecord();
    showExecution();
}

void TfrmCgdd::sZbDataChange(TDataSource &Sender, TField *Field)
{
    TTradeDocument::sZbDataChange(Sender, Field);
    if (Field && Field->FieldName().compare(QLatin1String("ZT"), Qt::CaseInsensitive) == 0)
        showExecution();
}

void TfrmCgdd::showExecution()
{
    const TField *stopped = ZbDataSet()->FindField(QStringLiteral("ZT"));
    if (stopped && stopped->AsBoolean()) {
        pnlZT->setText(QStringLiteral("中止执行"));
        pnlZT->setStyleSheet(QStringLiteral("color: red; font-weight: bold"));
        pnlZT->setVisible(true);
        return;
    }
    // Done once every line has received at least its quantity; a new order never is.
    TClientDataSet &lines = *MxDataSet();
    const TField *ordered = lines.FindField(QStringLiteral("SL"));
    const TField *received = lines.FindField(QStringLiteral("aSHSL"));
    bool done = ordered && received && lines.RowCount() > 0;
    for (int row = 0; done && row < lines.RowCount(); ++row)
        done = lines.RowValue(row, received).toDouble() >= lines.RowValue(row, ordered).toDouble();
    pnlZT->setText(QStringLiteral("执行完毕"));
    pnlZT->setStyleSheet(QStringLiteral("color: green; font-weight: bold"));
    pnlZT->setVisible(done);
}
