// The user edit form TfrmSysUserEdit: code, name, groups (chosen in the group multi-select),
// the password (shown only to the administrator) and the linked employee (chosen in the
// employee list).
#pragma once

#include "client/forms/comedit.h"

class QLabel;
class TDBButtonEdit;
class TProcAllButtonObj;

class TfrmSysUserEdit : public TfrmComEdit
{
    Q_OBJECT
public:
    explicit TfrmSysUserEdit(QWidget *parent = nullptr);

    TDBEdit *RzDBEdit_Code;
    TDBEdit *RzDBEdit_Name;
    TDBButtonEdit *RzDBButtonEdit_Group;
    QLabel *lblPassword;
    TDBEdit *RzDBEdit_Password;
    TDBButtonEdit *RzDBButtonEdit_YG;

protected:
    void FormShow() override;
    void dsOnNewRecord(TClientDataSet &DataSet) override;
    void dsBeforePost(TClientDataSet &DataSet) override;

private:
    TProcAllButtonObj *m_buttons;
};
