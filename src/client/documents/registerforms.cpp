// The document windows of the window manager.
#include "client/documents/registerforms.h"

#include "client/documents/cgdd.h"
#include "client/documents/cgsq.h"
#include "client/documents/cgth.h"
#include "client/documents/ckdb.h"
#include "client/documents/cpjc.h"
#include "client/documents/doclists.h"
#include "client/documents/fykz.h"
#include "client/documents/kcpd.h"
#include "client/documents/ll.h"
#include "client/documents/purin.h"
#include "client/documents/qtkcbd.h"
#include "client/documents/qtsr.h"
#include "client/documents/recordinfo.h"
#include "client/documents/settlement.h"
#include "client/documents/tl.h"
#include "client/documents/xsdd.h"
#include "client/documents/xskd.h"
#include "client/documents/xsth.h"
#include "client/forms/mdiwindows.h"

namespace {

template<class Form>
void addType(const char *className)
{
    TFormRegistry::Register(QLatin1String(className), [] { return new Form; });
}

} // namespace

void RegisterDocumentForms()
{
    addType<TfrmCgsq>("TfrmCgsq");
    addType<TfrmCgdd>("TfrmCgdd");
    addType<TfrmPurIn>("TfrmPurIn");
    addType<TfrmPurOut>("TfrmPurOut");
    addType<TfrmXsdd>("TfrmXsdd");
    addType<TfrmSalOunt>("TfrmSalOunt");
    addType<TfrmSalIn>("TfrmSalIn");
    addType<TfrmStockLl>("TfrmStockLl");
    addType<TfrmStockTl>("TfrmStockTl");
    addType<TfrmStockdb>("TfrmStockdb");
    addType<TFrmpd>("TFrmpd");
    addType<TfrmQtkcbd>("TfrmQtkcbd");
    addType<TfrmProductIn>("TfrmProductIn");
    addType<TfrmFykz>("TfrmFykz");
    addType<TfrmQtsr>("TfrmQtsr");
    addType<TfrmXssk>("TfrmXssk");
    addType<TfrmCgfk>("TfrmCgfk");
    TFormRegistry::Register(QStringLiteral("TfrmKhXx"), [] { return new TfrmKhXx; });
    TFormRegistry::Register(QStringLiteral("TfrmYhckqkCk"), [] { return new TfrmYhckqkCk; });
    RegisterDocumentLists();
}
