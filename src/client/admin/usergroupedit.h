// The group edit form TfrmUserGroupEdit ("用户组别"): the group's name and its department.
// The rights window opens it to add and change groups.
#pragma once

#include "client/forms/comedit.h"

class TDBLookupComboBox;

class TfrmUserGroupEdit : public TfrmComEdit
{
    Q_OBJECT
public:
    explicit TfrmUserGroupEdit(QWidget *parent = nullptr);

    TDBEdit *RzDBEdit_Name;
    TDBLookupComboBox *RzDBLookupComboBox_BM;

protected:
    void FormShow() override;
    void sDataChange(TDataSource &Sender, TField *Field) override;
};
