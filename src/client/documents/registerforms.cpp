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
#include "client/documents/tl.h"
#include "client/documents/xsdd.h"
#include "client/documents/xskd.h"
#include "client/documents/xsth.h"
#include "client/forms/mdiwindows.h"

namespace {

template<class Form>
void add(const char *className)
{
    TFormRegistry::Register(QLatin1String(className), [] { return new Form; });
}

// A menu item opens a new document of the type while its document list is still to come.
template<class Form>
void addNewDocument(const char *className)
{
    TFormRegistry::Register(QLatin1String(className), [] {
        auto *form = new Form;
        form->FOpenMode = QStringLiteral("A");
        return form;
    });
}

} // namespace

void RegisterDocumentForms()
{
    add<TfrmCgsq>("TfrmCgsq");
    addNewDocument<TfrmCgsq>("TfrmCgsqzb");
    add<TfrmCgdd>("TfrmCgdd");
    addNewDocument<TfrmCgdd>("TfrmCgddzb");
    add<TfrmPurIn>("TfrmPurIn");
    addNewDocument<TfrmPurIn>("TfrmPurInWork");
    add<TfrmPurOut>("TfrmPurOut");
    addNewDocument<TfrmPurOut>("TfrmPurOutWork");
    add<TfrmXsdd>("TfrmXsdd");
    addNewDocument<TfrmXsdd>("TfrmXsddzb");
    add<TfrmSalOunt>("TfrmSalOunt");
    addNewDocument<TfrmSalOunt>("TfrmSalOuntWork");
    add<TfrmSalIn>("TfrmSalIn");
    addNewDocument<TfrmSalIn>("TfrmSalInWork");
    add<TfrmStockLl>("TfrmStockLl");
    addNewDocument<TfrmStockLl>("TfrmStockLlWork");
    add<TfrmStockTl>("TfrmStockTl");
    addNewDocument<TfrmStockTl>("TfrmStockTlWork");
    add<TfrmStockdb>("TfrmStockdb");
    addNewDocument<TfrmStockdb>("TfrmStockdbWork");
    add<TFrmpd>("TFrmpd");
    addNewDocument<TFrmpd>("TFrmPdWork");
    add<TfrmQtkcbd>("TfrmQtkcbd");
    addNewDocument<TfrmQtkcbd>("TfrmQtkcbdzb");
    add<TfrmProductIn>("TfrmProductIn");
    addNewDocument<TfrmProductIn>("TfrmProductInWork");
    add<TfrmFykz>("TfrmFykz");
    addNewDocument<TfrmFykz>("TfrmArapFykzWork");
    add<TfrmQtsr>("TfrmQtsr");
    addNewDocument<TfrmQtsr>("TfrmArapQtsrWork");
}
