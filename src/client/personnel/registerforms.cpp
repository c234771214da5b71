// The personnel and office windows of the window manager.
#include "client/personnel/registerforms.h"

#include "client/forms/mdiwindows.h"
#include "client/personnel/personneledit.h"
#include "client/personnel/rssingle.h"

namespace {

template<class Form>
void add(const char *className)
{
    TFormRegistry::Register(QLatin1String(className), [] { return new Form; });
}

} // namespace

void RegisterPersonnelForms()
{
    add<TRs_SingleFrm>("TRs_SingleFrm");
    add<TfrmYgWorkEdit>("TfrmYgWorkEdit");
    add<TfrmYgHtEdit>("TfrmYgHtEdit");
    add<TfrmYgPxEdit>("TfrmYgPxEdit");
    add<TfrmYgKpEdit>("TfrmYgKpEdit");
    add<TfrmYgDdEdit>("TfrmYgDdEdit");
    add<TfrmYgJcEdit>("TfrmYgJcEdit");
    add<TfrmYgTxEdit>("TfrmYgTxEdit");
    add<TfrmYgZJEdit>("TfrmYgZJEdit");
    add<TfrmOa_LeaveEdit>("TfrmOa_LeaveEdit");
    add<TfrmOa_OverTimeEdit>("TfrmOa_OverTimeEdit");
    add<TfrmOa_HouseEdit>("TfrmOa_HouseEdit");
    add<TfrmOa_KeysEdit>("TfrmOa_KeysEdit");
    add<TfrmOa_PassEdit>("TfrmOa_PassEdit");
    add<TfrmOa_VisitEdit>("TfrmOa_VisitEdit");
    add<TfrmOa_LinkManEdit>("TfrmOa_LinkManEdit");
    add<TfrmGZ_JJGZEdit>("TfrmGZ_JJGZEdit");
    add<TfrmGZ_JSGZEdit>("TfrmGZ_JSGZEdit");
}
