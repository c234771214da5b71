// The password dialog "更改密码": the logged-in user changes their own password.
#pragma once

#include "client/forms/rootform.h"

class QLineEdit;
class QPushButton;

class TfrmSysPassword : public TFrmRoot
{
    Q_OBJECT
public:
    explicit TfrmSysPassword(QWidget *parent = nullptr);

    // The statement that stores a user's new password.
    static QString UpdateSQL(const QString &newPassword, const QString &userCode);

    QLineEdit *edtOld;
    QLineEdit *edtNew;
    QLineEdit *edtConfirm;
    QPushButton *btnOK;
    QPushButton *btnCancel;

private:
    void btnOKClick();
};
