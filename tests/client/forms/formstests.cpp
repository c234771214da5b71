// The concrete forms the end-to-end tests drive.
#include "formstests.h"

#include "client/common/sqltext.h"
#include "client/data/fields.h"
#include "client/forms/checkreferenced.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbgrid.h"

#include <QFormLayout>

namespace formstest {

TfrmTestCust::TfrmTestCust(QWidget *parent)
    : TfrmComJbzl(parent)
{
    setObjectName(QStringLiteral("frmTestCust"));
    setWindowTitle(QStringLiteral("客户资料"));
    TableName = QStringLiteral("KH");
    TDBGridColumns &columns = DBGrid1->Columns();
    columns.Add(QStringLiteral("BH"), QStringLiteral("编号"), 80);
    columns.Add(QStringLiteral("MC"), QStringLiteral("名称"), 120);
    columns.Add(QStringLiteral("ZJM"), QStringLiteral("助记码"), 80);
    columns.Add(QStringLiteral("QCJE"), QStringLiteral("期初应收"), 80);
    columns.Add(QStringLiteral("XYED"), QStringLiteral("信用额度"), 80);
}

void TfrmTestCust::FormShow()
{
    DBGrid1->SetDataSource(&Data().sKh());
    TfrmComJbzl::FormShow();
}

void TfrmTestCust::OpenDataSet()
{
    if (ListDataSet)
        ListDataSet->SetCommandText(QStringLiteral(" select K.* from KH K where 1=1 ") +
                                    SearchCondition(QStringLiteral("K.bh"), QStringLiteral("K.MC"),
                                                    QStringLiteral("K.zjm")) +
                                    QStringLiteral(" order by K.BH"));
    TfrmComJbzl::OpenDataSet();
}

void TfrmTestCust::LoadEditForm(const QString &Mode)
{
    EditForm = new TfrmTestCustEdit(this);
    TfrmComJbzl::LoadEditForm(Mode);
}

void TfrmTestCust::aDelExecute()
{
    if (ListDataSet && ListDataSet->Active() && !ListDataSet->IsEmpty() &&
        CheckReferenced(QStringLiteral("CUST"),
                        ListDataSet->FieldByName(QStringLiteral("ID"))->AsString()))
        return;
    TfrmComJbzl::aDelExecute();
}

void TfrmTestCust::GetSearchModalValue()
{
    TfrmComJbzl::GetSearchModalValue();
    ResultID = ListDataSet->FieldByName(QStringLiteral("ID"))->AsString();
    ResultName = ListDataSet->FieldByName(QStringLiteral("MC"))->AsString();
}

TfrmTestCustEdit::TfrmTestCustEdit(QWidget *parent)
    : TfrmComEdit(parent)
{
    setObjectName(QStringLiteral("frmTestCustEdit"));
    auto *form = new QFormLayout(TabSheet_JBXX);
    EditBH = new TDBEdit(TabSheet_JBXX);
    EditMC = new TDBEdit(TabSheet_JBXX);
    EditMC->setObjectName(QStringLiteral("RzDBEdit_Name"));
    EditQCJE = new TDBEdit(TabSheet_JBXX);
    EditDQID = new TDBEdit(TabSheet_JBXX);
    form->addRow(QStringLiteral("编号"), EditBH);
    form->addRow(QStringLiteral("名称"), EditMC);
    form->addRow(QStringLiteral("期初应收"), EditQCJE);
    form->addRow(QStringLiteral("地区"), EditDQID);
    TDataSource *source = &Data().sKh();
    RzDBEdit_ID->SetDataSource(source);
    RzDBEdit_ID->SetDataField(QStringLiteral("ID"));
    const std::pair<TDBEdit *, const char *> edits[] = {
        {EditBH, "BH"}, {EditMC, "MC"}, {EditQCJE, "QCJE"}, {EditDQID, "DQID"}};
    for (const auto &[edit, field] : edits) {
        edit->SetDataSource(source);
        edit->SetDataField(QLatin1String(field));
    }
}

void TfrmTestCustEdit::FormShow()
{
    if (IdTable.isEmpty())
        IdTable = QStringLiteral("KH");
    if (RequiredFields.isEmpty())
        RequiredFields = QStringLiteral("BH; MC");
    TfrmComEdit::FormShow();
}

void TfrmTestCustEdit::SetDuplicateValue()
{
    TfrmComEdit::SetDuplicateValue();
    DuplicateCheck = QStringLiteral("【客户简称】|select MC from KH where  MC= ") +
                     QuotedStr(EditDataSet->FieldByName(QStringLiteral("MC"))->AsString()) +
                     QStringLiteral(" and id <> ") +
                     EditDataSet->FieldByName(QStringLiteral("ID"))->AsString();
}

TfrmTestDeliveries::TfrmTestDeliveries(QWidget *parent)
    : TfrmComJbzl(parent)
{
    setObjectName(QStringLiteral("frmTestDeliveries"));
    setWindowTitle(QStringLiteral("销售出库单列表"));
    TDBGridColumns &columns = DBGrid1->Columns();
    columns.Add(QStringLiteral("DJBH"), QStringLiteral("单号"), 100);
    columns.Add(QStringLiteral("RQ"), QStringLiteral("日期"), 80);
    columns.Add(QStringLiteral("JE"), QStringLiteral("金额"), 80);
    columns.Add(QStringLiteral("YSJE"), QStringLiteral("应收金额"), 80);
    columns.Add(QStringLiteral("uFlag"), QStringLiteral("审核"), 40);
}

void TfrmTestDeliveries::FormShow()
{
    DBGrid1->SetDataSource(&Data().sXskdzb());
    TfrmComJbzl::FormShow();
}

void TfrmTestDeliveries::OpenDataSet()
{
    if (ListDataSet)
        ListDataSet->SetCommandText(QStringLiteral("select * from XSKDZB where 1=1") +
                                    StatusFilter + QStringLiteral(" order by ID"));
    TfrmComJbzl::OpenDataSet();
}

} // namespace formstest
