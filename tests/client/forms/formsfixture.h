// The world of the end-to-end tests of the forms: a real vzserver on a fresh demo account set
// (the real schema and the demo rows), the central data module connected as the start-up
// connects it, the administrator SYS logged in, and helpers that act on modal windows while
// they run.
#pragma once

#include "client/data/linkfixture.h"
#include "client/forms/globalobj.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <functional>

namespace formstest {

// The link's environment on the demo account set, with SYS's rights loaded.
class Environment : public linktest::Environment
{
public:
    bool start()
    {
        if (!linktest::Environment::start(true))
            return false;
        TSystemFunctionRight &rights = FuncRight();
        rights.SetDataSets(&data->Tmp(), &data->Tmpf(), &data->Tmpl());
        rights.UserCode = QStringLiteral("SYS");
        rights.UserID = QStringLiteral("1");
        rights.GroupIDs = QStringLiteral("(1)");
        rights.LoadCompanySettings();
        return true;
    }
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
