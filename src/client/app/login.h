// The login dialog of the start-up: opens the session on the chosen account set, then checks
// a user code (without regard to case) and password (exactly) against AppUser and fills the
// current-user globals and the rights object's identity and company settings.
#pragma once

#include "client/data/clientdataset.h"
#include "client/data/datasource.h"
#include "client/forms/rootform.h"

class QLineEdit;
class QPushButton;
class TDBLookupComboBox;

class TfrmLogin : public TFrmRoot
{
    Q_OBJECT
public:
    explicit TfrmLogin(QWidget *parent = nullptr);
    ~TfrmLogin() override;

    // Set on creation when the server accepted the session and the user list is open.
    bool MayShow() const { return m_mayShow; }

    // The code box's text: what the user typed or picked.
    QString CodeText() const;
    void SetCodeText(const QString &code);

    TDBLookupComboBox *cbCode = nullptr;
    QLineEdit *edtPassword;
    QPushButton *btnOK;
    QPushButton *btnCancel;

protected:
    void FormCreate() override;
    void FormShow() override;
    void FormClose() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void btnOKClick();
    void codeChanged();
    void storeTypedCode();

    // The code box edits this one-field record, so that typed and picked codes stay put.
    TClientDataSet m_code;
    TDataSource m_codeSource;
    bool m_mayShow = false;
};
