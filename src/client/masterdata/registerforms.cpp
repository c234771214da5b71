// The master-data windows of the window manager.
#include "client/masterdata/registerforms.h"

#include "client/forms/mdiwindows.h"
#include "client/masterdata/banktransfer.h"
#include "client/masterdata/ck.h"
#include "client/masterdata/codelist.h"
#include "client/masterdata/hp.h"
#include "client/masterdata/partnerlist.h"
#include "client/masterdata/singletable.h"
#include "client/masterdata/treetables.h"

void RegisterMasterDataForms()
{
    TFormRegistry::Register(QStringLiteral("TfrmStockCode"), [] { return new TfrmStockCode; });
    TFormRegistry::Register(QStringLiteral("TfrmHp"), [] { return new TfrmHp; });
    TFormRegistry::Register(QStringLiteral("TfrmDq"), [] { return new TfrmDq; });
    TFormRegistry::Register(QStringLiteral("TDepartFrm"), [] { return new TDepartFrm; });
    TFormRegistry::Register(QStringLiteral("TItemTypeFrm"), [] { return new TItemTypeFrm; });
    TFormRegistry::Register(QStringLiteral("TPub_ProjectFrm"), [] { return new TPub_ProjectFrm; });
    TFormRegistry::Register(QStringLiteral("TGz_GXuFrm"), [] { return new TGz_GXuFrm; });
    TFormRegistry::Register(QStringLiteral("TGz_GongZFrm"), [] { return new TGz_GongZFrm; });
    TFormRegistry::Register(QStringLiteral("TGz_GZongFrm"), [] { return new TGz_GZongFrm; });
    TFormRegistry::Register(QStringLiteral("TfrmCust"), [] { return new TfrmCust; });
    TFormRegistry::Register(QStringLiteral("TfrmVendCust"), [] { return new TfrmVendCust; });
    TFormRegistry::Register(QStringLiteral("TfrmArapZh"), [] { return new TfrmArapZh; });
    TFormRegistry::Register(QStringLiteral("TfrmArapType"), [] { return new TfrmArapType; });
    TFormRegistry::Register(QStringLiteral("TfrmArapZcLb"), [] { return new TfrmArapZcLb; });
    TFormRegistry::Register(QStringLiteral("TfrmQtkcbdlx"), [] { return new TfrmQtkcbdlx; });
    TFormRegistry::Register(QStringLiteral("TfrmArapYhck"), [] { return new TfrmArapYhck; });
}
