// The user list TfrmSysUser ("用户管理"): the users of the account set with their groups and
// employees; the password column shows only to the administrator, and the built-in
// administrator "SYS" can be neither changed nor deleted here.
#pragma once

#include "client/forms/comjbzl.h"

class TfrmSysUser : public TfrmComJbzl
{
    Q_OBJECT
public:
    explicit TfrmSysUser(QWidget *parent = nullptr);

protected:
    void FormShow() override;
    void OpenDataSet() override;
    void LoadEditForm(const QString &Mode) override;
    void aModifyExecute() override;
    void aDelExecute() override;
    void GetSearchModalValue() override;

private:
    // True (after the message) when the current row is the administrator's.
    bool refuseAdministrator(const QString &message);
};
