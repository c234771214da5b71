#include "client/admin/rightsforms.h"

#include "client/admin/popedom.h"
#include "client/admin/syspassword.h"
#include "client/forms/mdiwindows.h"

void RegisterRightsForms()
{
    TFormRegistry::Register(QStringLiteral("TfrmPopedom"), [] { return new TfrmPopedom; });
    TFormRegistry::Register(QStringLiteral("TfrmSysPassword"), [] { return new TfrmSysPassword; });
}
