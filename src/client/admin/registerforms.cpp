// The administration windows of the window manager.
#include "client/admin/registerforms.h"

#include "client/admin/dataclear.h"
#include "client/admin/exportsql.h"
#include "client/admin/log.h"
#include "client/admin/popedom.h"
#include "client/admin/syspassword.h"
#include "client/admin/systemset.h"
#include "client/admin/user.h"
#include "client/admin/usergroupedit.h"
#include "client/admin/ztmanager.h"
#include "client/forms/mdiwindows.h"

void RegisterAdminForms()
{
    TFormRegistry::Register(QStringLiteral("TfrmLog"), [] { return new TfrmLog; });
    TFormRegistry::Register(QStringLiteral("TfrmPopedom"), [] { return new TfrmPopedom; });
    TFormRegistry::Register(QStringLiteral("TFrmYearJZ"), [] { return new TFrmYearJZ; });
    TFormRegistry::Register(QStringLiteral("TFrmInitData"), [] { return new TFrmInitData; });
    TFormRegistry::Register(QStringLiteral("TfrmSysPassword"), [] { return new TfrmSysPassword; });
    TFormRegistry::Register(QStringLiteral("TSystemSetFrm"), [] { return new TSystemSetFrm; });
    TFormRegistry::Register(QStringLiteral("TfrmSysUser"), [] { return new TfrmSysUser; });
    TFormRegistry::Register(QStringLiteral("TfrmUserGroupEdit"),
                            [] { return new TfrmUserGroupEdit; });
    TFormRegistry::Register(QStringLiteral("TfrmZTManager"), [] { return new TfrmZTManager; });
    TFormRegistry::Register(QStringLiteral("TFrmExportSQL"), [] { return new TFrmExportSQL; });
}
