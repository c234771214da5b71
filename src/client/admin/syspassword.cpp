// The password dialog of the logged-in user.
#include "client/admin/syspassword.h"

#include "client/common/sqltext.h"
#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/data/serveraccess.h"
#include "client/data/socketconnection.h"
#include "client/forms/globalobj.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString Caption = QStringLiteral("更改密码");
}

TfrmSysPassword::TfrmSysPassword(QWidget *parent)
    : TFrmRoot(parent)
{
    setObjectName(QStringLiteral("frmSysPassword"));
    setWindowTitle(Caption);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(300, 190);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 14);
    auto *form = new QFormLayout;
    auto makeEdit = [this](const char *name) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        edit->setEchoMode(QLineEdit::Password);
        edit->setMaxLength(8);
        return edit;
    };
    edtOld = makeEdit("edtOld");
    edtNew = makeEdit("edtNew");
    edtConfirm = makeEdit("edtConfirm");
    form->addRow(QStringLiteral("原 密 码"), edtOld);
    form->addRow(QStringLiteral("新 密 码"), edtNew);
    form->addRow(QStringLiteral("核对密码"), edtConfirm);
    layout->addLayout(form);
    layout->addStretch(1);
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
}

void TfrmSysPassword::btnOKClick()
{
    if (edtOld->text() != CurUserPassword) {
        MessageBox(QStringLiteral("原口令输入错误，不能成功修改！"), Caption, TMsgIcon::Warning);
        edtOld->setFocus();
        return;
    }
    if (edtNew->text() != edtConfirm->text()) {
        MessageBox(QStringLiteral("口令核对错误，不能成功修改！"), Caption, TMsgIcon::Warning);
        edtConfirm->setFocus();
        return;
    }
    // The server checks the old password again and stores only a hash of the new one.
    bool wrongOld = false;
    const bool stored = Guarded([&] {
        try {
            Data().cn().AppServer().ChangePassword(edtOld->text(), edtNew->text());
        } catch (const ERemoteError &e) {
            if (e.ErrorCode() != QLatin1String("wrongPassword"))
                throw;
            wrongOld = true;
        }
    });
    if (wrongOld) {
        MessageBox(QStringLiteral("原口令输入错误，不能成功修改！"), Caption, TMsgIcon::Warning);
        edtOld->setFocus();
        return;
    }
    if (!stored)
        return;
    CurUserPassword = edtNew->text();
    FuncRight().UserPassword = CurUserPassword;
    MessageBox(QStringLiteral("口令已成功修改，请紧记！"), Caption, TMsgIcon::Information);
    SetModalResult(mrOk);
}
