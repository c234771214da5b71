// The group edit form.
#include "client/admin/usergroupedit.h"

#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dblookupcombo.h"

#include <QFormLayout>

TfrmUserGroupEdit::TfrmUserGroupEdit(QWidget *parent)
    : TfrmComEdit(parent)
{
    setObjectName(QStringLiteral("frmUserGroupEdit"));
    setWindowTitle(QStringLiteral("用户组别"));
    auto *form = new QFormLayout(TabSheet_JBXX);
    RzDBEdit_Name = new TDBEdit(TabSheet_JBXX);
    RzDBEdit_Name->setObjectName(QStringLiteral("RzDBEdit_Name"));
    RzDBLookupComboBox_BM = new TDBLookupComboBox(TabSheet_JBXX);
    RzDBLookupComboBox_BM->setObjectName(QStringLiteral("RzDBLookupComboBox_BM"));
    form->addRow(QStringLiteral("用户组别"), RzDBEdit_Name);
    form->addRow(QStringLiteral("所属部门"), RzDBLookupComboBox_BM);

    TDataSource *source = &Data().sAppUserGroup();
    RzDBEdit_ID->SetDataSource(source);
    RzDBEdit_ID->SetDataField(QStringLiteral("ID"));
    RzDBEdit_Name->SetDataSource(source);
    RzDBEdit_Name->SetDataField(QStringLiteral("gName"));
    RzDBLookupComboBox_BM->SetDataSource(source);
    RzDBLookupComboBox_BM->SetDataField(QStringLiteral("bmid"));
    RzDBLookupComboBox_BM->SetListSource(&Data().sBm());
    RzDBLookupComboBox_BM->SetKeyField(QStringLiteral("ID"));
    RzDBLookupComboBox_BM->SetListField(QStringLiteral("MC"));
    resize(380, 200);
}

void TfrmUserGroupEdit::FormShow()
{
    RequiredFields = QStringLiteral("gName;bmid");
    // A new group needs its key at once: the rights are stored under it.
    if (IdTable.isEmpty())
        IdTable = QStringLiteral("AppUserGroup");
    TClientDataSet &departments = Data().Bm();
    if (!departments.Active())
        departments.Open();
    TClientDataSet &groups = Data().AppUserGroup();
    if (groups.Active()) {
        if (TField *name = groups.FindField(QStringLiteral("gName")))
            name->SetDisplayLabel(QStringLiteral("用户组别"));
        if (TField *department = groups.FindField(QStringLiteral("bmid")))
            department->SetDisplayLabel(QStringLiteral("所属部门"));
    }
    TfrmComEdit::FormShow();
}

void TfrmUserGroupEdit::sDataChange(TDataSource &Sender, TField *Field)
{
    TfrmComEdit::sDataChange(Sender, Field);
    CopyLookupName(Field, QStringLiteral("bmid"), QStringLiteral("mc"), Data().Bm());
}
