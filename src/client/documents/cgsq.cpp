// The purchase requisition.
#include "client/documents/cgsq.h"

#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dblookupcombo.h"

namespace {

const TTradeDocumentType Requisition{
    {"CGSQZB", "CGSQ", "mnuCgsq", "ID,ZBID;RQ,RQ;DJBH,DJBH", "DJBH;RQ"},
    "",
    TPartner::None,
    &TfrmCgsq::HeaderQuery,
    &TfrmCgsq::LinesQuery};

} // namespace

TfrmCgsq::TfrmCgsq(QWidget *parent)
    : TTradeDocument("frmCgsq", QStringLiteral("采购申请单"), Requisition, parent)
{
    AddTradeColumns({{"cJE", "金额", 130}});

    DBLookupBM = NewLookupBox("DBLookupBM", "BMID", TData::idBm);
    PlaceHeader(QStringLiteral("部门"), DBLookupBM);
    PlaceWarehouse();
    PlaceSalesman(QStringLiteral("申请人"));
    PlaceRemark();
}

QString TfrmCgsq::HeaderQuery(const QString &where)
{
    return QStringLiteral("select Z.*, C.MC as aCKMC, B.MC as aBMMC from (CGSQZB as Z left "
                          "outer join CK C on Z.CKID = C.ID) left outer join BM B on Z.BMID = "
                          "B.ID ") +
           where;
}

QString TfrmCgsq::LinesQuery(qint64 headerId)
{
    return QStringLiteral("select M.*, H.BH as aBH, H.PM as aPM, H.DW as aDW, H.GG as aGG from "
                          "CGSQ M left join HP H on M.HPID=H.ID where ZBID = ") +
           QString::number(headerId) + QStringLiteral(" order by M.HH");
}
