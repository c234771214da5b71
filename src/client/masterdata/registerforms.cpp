// The master-data windows of the window manager.
#include "client/masterdata/registerforms.h"

#include "client/forms/mdiwindows.h"
#include "client/masterdata/ck.h"

void RegisterMasterDataForms()
{
    TFormRegistry::Register(QStringLiteral("TfrmStockCode"), [] { return new TfrmStockCode; });
}
