// The user edit form TfrmSysUserEdit: code, name, groups (chosen in the group multi-select),
// a new password (shown only to the administrator; the stored one never leaves the server)
// and the linked employee (chosen in the employee list).
#pragma once

#include "client/forms/comedit.h"

class QLabel;
class QLineEdit;
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
    QLineEdit *RzDBEdit_Password; // a new password; empty keeps the current one
    TDBButtonEdit *RzDBButtonEdit_YG;

protected:
    void FormShow() override;
    void dsOnNewRecord(TClientDataSet &DataSet) override;
    void dsBeforePost(TClientDataSet &DataSet) override;
    bool ApplyChanges() override;

private:
    TProcAllButtonObj *m_buttons;
};
