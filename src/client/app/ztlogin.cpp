// The account-set dialog of the start-up.
#include "client/app/ztlogin.h"

#include "client/app/download.h"
#include "client/core/session.h"
#include "client/core/sysconfig.h"
#include "client/data/centraldata.h"
#include "client/forms/accountsetgrid.h"
#include "client/forms/sharedroutines.h"
#include "client/widgets/dbgrid.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TfrmZTLogin::TfrmZTLogin(QWidget *parent)
    : TFrmRoot(parent)
    , cdsAccounts(QStringLiteral("cdsAccounts"))
{
    setObjectName(QStringLiteral("frmZTLogin"));
    setWindowTitle(QStringLiteral("请选择帐套"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(380, 300);
    sAccounts.SetDataSet(&cdsAccounts);

    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("请选择要进入的帐套："), this);
    layout->addWidget(label);
    DBGrid1 = NewAccountSetGrid(this, &sAccounts, 220);
    layout->addWidget(DBGrid1, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    btnOK = new QPushButton(QStringLiteral("确定(&O)"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel = new QPushButton(QStringLiteral("取消(&C)"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);

    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
    // Enter and a double click on the highlighted account set choose it, as OK does.
    DBGrid1->OnDblClick = [this](TDBGrid &) {
        if (btnOK->isEnabled())
            btnOKClick();
    };
    DBGrid1->OnKeyDown = [this](TDBGrid &, int &key, Qt::KeyboardModifiers shift) {
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && shift == Qt::NoModifier) {
            key = 0;
            if (btnOK->isEnabled())
                btnOKClick();
        }
    };
}

TfrmZTLogin::~TfrmZTLogin()
{
    DBGrid1->SetDataSource(nullptr);
}

void TfrmZTLogin::FormCreate()
{
    TFrmRoot::FormCreate();
    setWindowTitle(SessionInfo().Product.Caption);
    m_mayShow = false;
    if (ConnectServer(&Data().cn())) {
        cdsAccounts.SetRemoteServer(&Data().cn());
        cdsAccounts.SetProviderName(QStringLiteral("dspAccounts"));
        m_mayShow = Guarded([this] { cdsAccounts.Open(); });
    }
    btnOK->setEnabled(m_mayShow);
}

void TfrmZTLogin::FormShow()
{
    TFrmRoot::FormShow();
    const QString ztcode = ReadLoginSetting(QStringLiteral("ztcode"));
    if (cdsAccounts.Active() && !cdsAccounts.IsEmpty()) {
        cdsAccounts.First();
        if (!ztcode.isEmpty() &&
            !cdsAccounts.Locate(QStringLiteral("AccountNo"), ztcode, loCaseInsensitive))
            cdsAccounts.First();
    }
    DBGrid1->setFocus();
}

void TfrmZTLogin::btnOKClick()
{
    if (!cdsAccounts.Active() || cdsAccounts.IsEmpty())
        return;
    bool upgrade = false;
    if (!Guarded([&] { upgrade = CheckClientUpgrade(); }))
        return;
    if (upgrade) {
        m_upgradeStarted = true;
        SetModalResult(mrAbort);
        return;
    }
    TSessionInfo &session = SessionInfo();
    session.AccountNo = cdsAccounts.FieldByName(QStringLiteral("AccountNo"))->AsString();
    session.AccountName = cdsAccounts.FieldByName(QStringLiteral("AccountName"))->AsString();
    WriteLoginSetting(QStringLiteral("ztcode"), session.AccountNo);
    SetModalResult(mrOk);
}
