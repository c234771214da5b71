// The exit dialog "退出选项": offers a backup of the account set on the server before the
// program ends, to users who hold the backup right.
#pragma once

#include "client/forms/rootform.h"

class QPushButton;
class QLabel;

class TFrmExit : public TFrmRoot
{
    Q_OBJECT
public:
    explicit TFrmExit(QWidget *parent = nullptr);

    // 1: leave the program, 0: stay. ShowModal answers mrOk for 1.
    int ExitResult() const { return m_result; }

    QLabel *lblAdvice;
    QPushButton *btnBackup;
    QPushButton *btnOK;
    QPushButton *btnCancel;

private:
    void btnBackupClick();
    void finish(int result);

    int m_result = 0;
};
