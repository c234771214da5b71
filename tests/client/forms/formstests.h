// The test classes of the forms' end-to-end executable and the concrete forms they drive: a
// customer list and edit form and a document list, built on the generic forms the way the
// system's own lists are.
#pragma once

#include "client/data/centraldata.h"
#include "client/data/serveraccess.h"
#include "client/forms/comedit.h"
#include "client/forms/comjbzl.h"
#include "client/forms/globalobj.h"
#include "support/testworld.h"

#include <QTest>

class TDBEdit;

namespace formstest {

// The world the test classes of the executable share: the demo account set, the
// administrator SYS logged in, and the customers 9001 "O'Neil商行" (code T9001), 9002
// "天河商店" (T9002) and 9003 "东方" (ON9003) that the list and edit form tests look for.
vztest::TestWorld &env();

// "客户资料" on KH with a prefix search on code, name and mnemonic; deletion asks
// CheckReferenced("CUST") first.
class TfrmTestCust : public TfrmComJbzl
{
    Q_OBJECT
public:
    explicit TfrmTestCust(QWidget *parent = nullptr);
    using TfrmComJbzl::OpenDataSet;

protected:
    void FormShow() override;
    void OpenDataSet() override;
    void LoadEditForm(const QString &Mode) override;
    void aDelExecute() override;
    void GetSearchModalValue() override;
};

// The customer edit form: code, name, region and opening balance; code and name required.
class TfrmTestCustEdit : public TfrmComEdit
{
    Q_OBJECT
public:
    explicit TfrmTestCustEdit(QWidget *parent = nullptr);
    TDBEdit *EditBH;
    TDBEdit *EditMC;
    TDBEdit *EditQCJE;
    TDBEdit *EditDQID;
    int afterApplyCount = 0;
    using TfrmComEdit::Save;

protected:
    void FormShow() override;
    void SetDuplicateValue() override;
    void MyAfterApplyUpdates() override { ++afterApplyCount; }
};

// A document list on the sales deliveries: status strip, amount footers.
class TfrmTestDeliveries : public TfrmComJbzl
{
    Q_OBJECT
public:
    explicit TfrmTestDeliveries(QWidget *parent = nullptr);

protected:
    void FormShow() override;
    void OpenDataSet() override;
};

} // namespace formstest

int runListFormTests(int argc, char **argv);
int runEditFormTests(int argc, char **argv);
int runReferenceTests(int argc, char **argv);
int runDialogTests(int argc, char **argv);
int runExportTests(int argc, char **argv);
