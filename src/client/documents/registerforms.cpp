// The document windows of the window manager.
#include "client/documents/registerforms.h"

#include "client/documents/cgdd.h"
#include "client/documents/cgsq.h"
#include "client/documents/cgth.h"
#include "client/documents/ckdb.h"
#include "client/documents/cpjc.h"
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

// The type's own class, and its list's class: while the lists are still to come, a menu item
// naming the list opens a new document of the type.
template<class Form>
void addType(const char *className, const char *listClassName)
{
    TFormRegistry::Register(QLatin1String(className), [] { return new Form; });
    TFormRegistry::Register(QLatin1String(listClassName), [] {
        auto *form = new Form;
        form->FOpenMode = QStringLiteral("A");
        return form;
    });
}

} // namespace

void RegisterDocumentForms()
{
    addType<TfrmCgsq>("TfrmCgsq", "TfrmCgsqzb");
    addType<TfrmCgdd>("TfrmCgdd", "TfrmCgddzb");
    addType<TfrmPurIn>("TfrmPurIn", "TfrmPurInWork");
    addType<TfrmPurOut>("TfrmPurOut", "TfrmPurOutWork");
    addType<TfrmXsdd>("TfrmXsdd", "TfrmXsddzb");
    addType<TfrmSalOunt>("TfrmSalOunt", "TfrmSalOuntWork");
    addType<TfrmSalIn>("TfrmSalIn", "TfrmSalInWork");
    addType<TfrmStockLl>("TfrmStockLl", "TfrmStockLlWork");
    addType<TfrmStockTl>("TfrmStockTl", "TfrmStockTlWork");
    addType<TfrmStockdb>("TfrmStockdb", "TfrmStockdbWork");
    addType<TFrmpd>("TFrmpd", "TFrmPdWork");
    addType<TfrmQtkcbd>("TfrmQtkcbd", "TfrmQtkcbdzb");
    addType<TfrmProductIn>("TfrmProductIn", "TfrmProductInWork");
    addType<TfrmFykz>("TfrmFykz", "TfrmArapFykzWork");
    addType<TfrmQtsr>("TfrmQtsr", "TfrmArapQtsrWork");
    addType<TfrmXssk>("TfrmXssk", "TfrmXsskWork");
    addType<TfrmCgfk>("TfrmCgfk", "TfrmCgfkWork");
    TFormRegistry::Register(QStringLiteral("TfrmKhXx"), [] { return new TfrmKhXx; });
    TFormRegistry::Register(QStringLiteral("TfrmYhckqkCk"), [] { return new TfrmYhckqkCk; });
}
