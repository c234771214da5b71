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

    QLineEdit *edtOld;
    QLineEdit *edtNew;
    QLineEdit *edtConfirm;
    QPushButton *btnOK;
    QPushButton *btnCancel;

private:
    void btnOKClick();
};
