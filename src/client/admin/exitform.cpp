// The exit dialog and its offer of a backup before the program ends.
#include "client/admin/exitform.h"

#include "client/core/session.h"
#include "client/data/centraldata.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TFrmExit::TFrmExit(QWidget *parent)
    : TFrmRoot(parent)
{
    setObjectName(QStringLiteral("FrmExit"));
    setWindowTitle(QStringLiteral("退出选项"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(330, 190);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 14);
    lblAdvice = new QLabel(
        QStringLiteral(
            "    推荐您在退出系统前备份数据\r\n\r\n库，以便出现意外事故后可以恢复\r\n\r\n您的数据")
            .remove(QLatin1Char('\r')),
        this);
    lblAdvice->setObjectName(QStringLiteral("lblAdvice"));
    layout->addWidget(lblAdvice, 1, Qt::AlignCenter);
    auto *buttons = new QHBoxLayout;
    btnBackup = new QPushButton(QStringLiteral("备份退出"), this);
    btnBackup->setObjectName(QStringLiteral("btnBackup"));
    btnOK = new QPushButton(QStringLiteral("直接退出"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel = new QPushButton(QStringLiteral("取消退出"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addWidget(btnBackup);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);

    connect(btnBackup, &QPushButton::clicked, this, [this] { btnBackupClick(); });
    connect(btnOK, &QPushButton::clicked, this, [this] { finish(1); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { finish(0); });
}

void TFrmExit::btnBackupClick()
{
    bool done = false;
    {
        TBusyMessage busy(QStringLiteral("正在备份数据，请稍候..."));
        done = Guarded([] {
            QString accountNo = SessionInfo().AccountNo;
            Data().cn().AppServer().BackupData(accountNo);
        });
    }
    // A failed backup was reported; the user chooses again.
    if (done)
        finish(1);
}

void TFrmExit::finish(int result)
{
    m_result = result;
    SetModalResult(result == 1 ? mrOk : mrCancel);
}
