// The return of goods.
#include "client/documents/tl.h"

namespace {

const TDocumentTables Tables{"TLZB", "TL", "mnuTl", "ID,ZBID; RQ,RQ; CKID,CKID;DJBH,DJBH",
                             "DJBH; RQ; CKID;JSR"};

} // namespace

TfrmStockTl::TfrmStockTl(QWidget *parent)
    : TfrmStaffStockDj("frmStockTl", QStringLiteral("物品归还单"), Tables, QStringLiteral("归还人"),
                       parent)
{
    AddReferSource({"aRefer", "选择领用单", "物品领用单", "LLZB", "LL", "M.JSR"});
}

QString TfrmStockTl::HeaderQuery(const QString &where)
{
    return HeaderQueryOf(QLatin1String(Tables.HeaderTable), where);
}
