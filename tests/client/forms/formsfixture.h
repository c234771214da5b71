// The world of the end-to-end tests of the forms: a real vzserver on a fresh demo account set
// (the real schema and the demo rows), the central data module connected as the start-up
// connects it, the administrator SYS logged in, and helpers that act on modal windows while
// they run.
#pragma once

#include "client/app/paths.h"
#include "client/app/session.h"
#include "client/app/sysconfig.h"
#include "client/data/centraldata.h"
#include "client/data/serveraccess.h"
#include "client/forms/globalobj.h"
#include "support/serverprocess.h"

#include <QApplication>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace formstest {

class Environment
{
public:
    // Starts the server on a demo account set 001 and connects Data(); false with the reason
    // in error().
    bool start()
    {
        QString output;
        if (server.runTool({QStringLiteral("--create-account"), QStringLiteral("001"),
                            QStringLiteral("演示帐套"), QStringLiteral("--demo")},
                           &output) != 0) {
            m_error = output;
            return false;
        }
        if (!server.start()) {
            m_error = server.error();
            return false;
        }
        SetExeDir(home.path());
        SaveServerAddress(server.address());
        SessionInfo().DatabaseKind = 0;
        SessionInfo().AccountNo = QStringLiteral("001");
        data = std::make_unique<TData>();
        QString message;
        if (!ConnectServer(&data->cn(), &message)) {
            m_error = message;
            return false;
        }
        QVariantList args{0, QString(), QStringLiteral("001"), QString(), QString()};
        if (data->cn().AppServer().Call(QStringLiteral("ConnectAct"), args).toBool()) {
            m_error = data->cn().AppServer().LastMessage();
            return false;
        }
        TSystemFunctionRight &rights = FuncRight();
        rights.SetDataSets(&data->Tmp(), &data->Tmpf(), &data->Tmpl());
        rights.UserCode = QStringLiteral("SYS");
        rights.UserID = QStringLiteral("1");
        rights.GroupIDs = QStringLiteral("(1)");
        rights.LoadCompanySettings();
        return true;
    }

    void stop()
    {
        data.reset();
        server.stop();
        SetExeDir(QString());
    }

    QString error() const { return m_error; }

    vztest::ServerProcess server;
    QTemporaryDir home;
    std::unique_ptr<TData> data;

private:
    QString m_error;
};

// Runs action on the next modal window of type W once it shows (polling briefly, as the
// window opens from inside the call that the test makes next). A window the action leaves
// open is closed afterwards, so that a failing check cannot leave the test waiting.
template<class W>
void whenModal(std::function<void(W *)> action, int attempts = 300)
{
    QTimer::singleShot(10, [action, attempts] {
        auto *window = qobject_cast<W *>(QApplication::activeModalWidget());
        if (!window) {
            if (attempts > 0)
                whenModal<W>(action, attempts - 1);
            return;
        }
        QPointer<W> alive(window);
        action(window);
        if (alive && alive->isVisible())
            alive->close();
    });
}

} // namespace formstest
