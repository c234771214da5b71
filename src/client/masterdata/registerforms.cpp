// The master-data windows of the window manager.
#include "client/masterdata/registerforms.h"

#include "client/forms/mdiwindows.h"
#include "client/masterdata/banktransfer.h"
#include "client/masterdata/ck.h"
#include "client/masterdata/codelist.h"
#include "client/masterdata/employee.h"
#include "client/masterdata/hp.h"
#include "client/masterdata/partnerlist.h"
#include "client/masterdata/printmodaledit.h"
#include "client/masterdata/singletable.h"
#include "client/masterdata/treetables.h"

namespace {

template<class Form>
void add(const char *className)
{
    TFormRegistry::Register(QLatin1String(className), [] { return new Form; });
}

} // namespace

void RegisterMasterDataForms()
{
    add<TfrmStockCode>("TfrmStockCode");
    add<TfrmHp>("TfrmHp");
    add<TfrmPub_PrintModalEdit>("TfrmPub_PrintModalEdit");
    add<TfrmDq>("TfrmDq");
    add<TDepartFrm>("TDepartFrm");
    add<TItemTypeFrm>("TItemTypeFrm");
    add<TPub_ProjectFrm>("TPub_ProjectFrm");
    add<TGz_GXuFrm>("TGz_GXuFrm");
    add<TGz_GongZFrm>("TGz_GongZFrm");
    add<TGz_GZongFrm>("TGz_GZongFrm");
    add<TfrmCust>("TfrmCust");
    add<TfrmVendCust>("TfrmVendCust");
    add<TfrmArapZh>("TfrmArapZh");
    add<TfrmArapType>("TfrmArapType");
    add<TfrmArapZcLb>("TfrmArapZcLb");
    add<TfrmQtkcbdlx>("TfrmQtkcbdlx");
    add<TfrmArapYhck>("TfrmArapYhck");
    add<TfrmEemployee>("TfrmEemployee");
}
