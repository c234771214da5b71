// The account-set dialog of the start-up: connects to the server, lists its account sets,
// offers the last one chosen, runs the upgrade check and records the choice in the session.
#pragma once

#include "client/data/clientdataset.h"
#include "client/data/datasource.h"
#include "client/forms/rootform.h"

class QPushButton;
class TDBGrid;

class TfrmZTLogin : public TFrmRoot
{
    Q_OBJECT
public:
    explicit TfrmZTLogin(QWidget *parent = nullptr);
    ~TfrmZTLogin() override;

    // Set on creation when the server answered and the list is open.
    bool MayShow() const { return m_mayShow; }
    // OK started an upgrade: the program must end.
    bool UpgradeStarted() const { return m_upgradeStarted; }

    TClientDataSet cdsAccounts;
    TDataSource sAccounts;
    TDBGrid *DBGrid1;
    QPushButton *btnOK;
    QPushButton *btnCancel;

protected:
    void FormCreate() override;
    void FormShow() override;

private:
    void btnOKClick();

    bool m_mayShow = false;
    bool m_upgradeStarted = false;
};
