// The master-data windows of the window manager.
#include "client/masterdata/registerforms.h"

#include "client/forms/mdiwindows.h"
#include "client/masterdata/banktransfer.h"
#include "client/masterdata/ck.h"
#include "client/masterdata/codelist.h"
#include "client/masterdata/hp.h"
#include "client/masterdata/partnerlist.h"

void RegisterMasterDataForms()
{
    TFormRegistry::Register(QStringLiteral("TfrmStockCode"), [] { return new TfrmStockCode; });
    TFormRegistry::Register(QStringLiteral("TfrmHp"), [] { return new TfrmHp; });
    TFormRegistry::Register(QStringLiteral("TfrmCust"), [] { return new TfrmCust; });
    TFormRegistry::Register(QStringLiteral("TfrmVendCust"), [] { return new TfrmVendCust; });
    TFormRegistry::Register(QStringLiteral("TfrmArapZh"), [] { return new TfrmArapZh; });
    TFormRegistry::Register(QStringLiteral("TfrmArapType"), [] { return new TfrmArapType; });
    TFormRegistry::Register(QStringLiteral("TfrmArapZcLb"), [] { return new TfrmArapZcLb; });
    TFormRegistry::Register(QStringLiteral("TfrmQtkcbdlx"), [] { return new TfrmQtkcbdlx; });
    TFormRegistry::Register(QStringLiteral("TfrmArapYhck"), [] { return new TfrmArapYhck; });
}
