// The world of the start-up, main-window and rights tests: a real vzserver on a fresh demo
// account set 001, a client folder whose SysConfig.ini names the server, the data modules,
// and helpers that answer modal windows the way a user would.
#pragma once

#include "client/core/paths.h"
#include "client/core/session.h"
#include "client/core/sysconfig.h"
#include "client/common/sqltext.h"
#include "client/data/centraldata.h"
#include "client/data/reportdata.h"
#include "client/data/serveraccess.h"
#include "client/forms/globalobj.h"
#include "support/serverprocess.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace shelltest {

class Environment
{
public:
    // Starts the server on a demo account set and points a fresh client folder at it.
    bool start(const QStringList &moreAccounts = {})
    {
        QString output;
        if (server.runTool({QStringLiteral("--create-account"), QStringLiteral("001"),
                            QStringLiteral("演示帐套"), QStringLiteral("--demo")},
                           &output) != 0) {
            m_error = output;
            return false;
        }
        for (const QString &accountNo : moreAccounts) {
            if (!server.createAccount(accountNo, QStringLiteral("帐套") + accountNo)) {
                m_error = server.error();
                return false;
            }
        }
        if (!server.start()) {
            m_error = server.error();
            return false;
        }
        SetExeDir(home.path());
        SaveServerAddress(server.address());
        // Not the first start: no vendor page opens.
        QDir(home.path()).mkpath(QStringLiteral("System"));
        SessionInfo().HideVendorInfo = false;
        SessionInfo().DatabaseKind = 0;
        return true;
    }

    // The data modules, connected to the server (and to account set 001 unless only the
    // connection is asked for), as the start-up leaves them.
    bool connect(bool chooseAccountSet = true)
    {
        dataBb.reset();
        data.reset();
        data = std::make_unique<TData>();
        dataBb = std::make_unique<TDataBb>(*data);
        FuncRight().SetDataSets(&data->Tmp(), &data->Tmpf(), &data->Tmpl());
        QString message;
        if (!ConnectServer(&data->cn(), &message)) {
            m_error = message;
            return false;
        }
        if (!chooseAccountSet)
            return true;
        QString accountNo = QStringLiteral("001");
        if (data->cn().AppServer().ConnectAct(0, accountNo)) {
            m_error = data->cn().AppServer().LastMessage();
            return false;
        }
        SessionInfo().AccountNo = accountNo;
        SessionInfo().AccountName = QStringLiteral("演示帐套");
        return true;
    }

    // The identity and company settings of a user, as the login fills them.
    void login(const QString &code)
    {
        TSystemFunctionRight &right = FuncRight();
        right = TSystemFunctionRight();
        right.SetDataSets(&data->Tmp(), &data->Tmpf(), &data->Tmpl());
        right.LoadCompanySettings();
        TTmpDataSet user;
        user->SetCommandText(QStringLiteral("select * from AppUser where uCode = ") +
                             QuotedStr(code));
        user->Open();
        right.UserID = user->FieldByName(QStringLiteral("ID"))->AsString();
        right.UserCode = user->FieldByName(QStringLiteral("uCode"))->AsString();
        right.UserName = user->FieldByName(QStringLiteral("uName"))->AsString();
        right.UserPassword = user->FieldByName(QStringLiteral("uPassword"))->AsString();
        right.GroupIDs = user->FieldByName(QStringLiteral("gID"))->AsString();
        CurUserID = right.UserID.toInt();
        CurUserCode = right.UserCode;
        CurUserName = right.UserName;
        CurUserPassword = right.UserPassword;
        CurGroupID = right.GroupIDs;
    }

    void stop()
    {
        dataBb.reset();
        data.reset();
        server.stop();
        SetExeDir(QString());
    }

    QString error() const { return m_error; }

    vztest::ServerProcess server;
    QTemporaryDir home;
    std::unique_ptr<TData> data;
    std::unique_ptr<TDataBb> dataBb;

private:
    QString m_error;
};

// Runs answer on the next modal window of class Form once it is up, from inside its modal
// loop, as a user's clicks would arrive. Returns a flag that tells whether it ran.
template<class Form>
std::shared_ptr<bool> whenModal(std::function<void(Form &)> answer, int timeoutMs = 10000)
{
    auto ran = std::make_shared<bool>(false);
    auto *timer = new QTimer(qApp);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        if (auto *form = qobject_cast<Form *>(QApplication::activeModalWidget())) {
            if (form->isVisible()) {
                timer->stop();
                timer->deleteLater();
                *ran = true;
                answer(*form);
                return;
            }
        }
        if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(20);
    return ran;
}

} // namespace shelltest
