// The purchase requisition.
#include "client/documents/cgsq.h"

#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dblookupcombo.h"

namespace {

const TTradeDocumentType Requisition{
    "CGSQZB",        "CGSQ",        "mnuCgsq",      "ID,ZBID;RQ,RQ;DJBH,DJBH", "DJBH;RQ", "",
    TData::idCgsqzb, TData::idCgsq, TPartner::None, &TfrmCgsq::HeaderSql};

} // namespace

TfrmCgsq::TfrmCgsq(QWidget *parent)
    : TTradeDocument(Requisition, parent)
{
    setObjectName(QStringLiteral("frmCgsq"));
    setWindowTitle(QStringLiteral("采购申请单"));
    TDBGridColumns &columns = DBGrid1->Columns();
    columns.Add(QStringLiteral("aBH"), QStringLiteral("货品编号"), 100);
    columns.Add(QStringLiteral("aPM"), QStringLiteral("货品名称"), 160);
    columns.Add(QStringLiteral("aGG"), QStringLiteral("规格"), 90);
    columns.Add(QStringLiteral("aDW"), QStringLiteral("单位"), 50);
    columns.Add(QStringLiteral("SL"), QStringLiteral("数量"), 70);
    columns.Add(QStringLiteral("DJ"), QStringLiteral("单价"), 80);
    columns.Add(QStringLiteral("cJE"), QStringLiteral("金额"), 130);

    DBLookupBM = HeaderLookupCombo("DBLookupBM", "BMID", TData::idBm);
    DBLookupCK = HeaderLookupCombo("DBLookupCK", "CKID", TData::idCk);
    PlaceHeader(QStringLiteral("部门"), DBLookupBM);
    PlaceHeader(QStringLiteral("仓库"), DBLookupCK);
    PlaceSalesman(QStringLiteral("申请人"));
    NewHeaderRow();
    DBEditBZ = HeaderControl<TDBEdit>("DBEditBZ", "BZ");
    PlaceHeader(QStringLiteral("备注"), DBEditBZ, 5);
}

QString TfrmCgsq::HeaderSql(const QString &where)
{
    return QStringLiteral("select Z.*, C.MC as aCKMC, B.MC as aBMMC from (CGSQZB as Z left "
                          "outer join CK C on Z.CKID = C.ID) left outer join BM B on Z.BMID = "
                          "B.ID ") +
           where;
}

QString TfrmCgsq::LinesSql(qint64 headerId)
{
    return QStringLiteral("select M.*, H.BH as aBH, H.PM as aPM, H.DW as aDW, H.GG as aGG from "
                          "CGSQ M left join HP H on M.HPID=H.ID where ZBID = ") +
           QString::number(headerId) + QStringLiteral(" order by M.HH");
}

void TfrmCgsq::IniRecord()
{
    MxDataSet()->SetCommandText(LinesSql(ZbInteger("ID")));
    TTradeDocument::IniRecord();
}
