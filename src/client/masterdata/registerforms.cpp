// The master-data windows of the window manager.
#include "client/masterdata/registerforms.h"

#include "client/forms/mdiwindows.h"
#include "client/masterdata/ck.h"
#include "client/masterdata/hp.h"

void RegisterMasterDataForms()
{
    TFormRegistry::Register(QStringLiteral("TfrmStockCode"), [] { return new TfrmStockCode; });
    TFormRegistry::Register(QStringLiteral("TfrmHp"), [] { return new TfrmHp; });
}
