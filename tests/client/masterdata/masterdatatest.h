// What the master-data tests share: the main window shown against the test world, opening a
// list from its menu item, and one value read from the server.
#pragma once

#include "client/data/serveraccess.h"
#include "client/forms/globalobj.h"
#include "client/masterdata/registerforms.h"
#include "client/shell/mainwindow.h"

#include <QAction>
#include <QString>

#include <memory>

namespace masterdatatest {

// The main window as the start-up leaves it, with the master-data windows registered.
inline std::unique_ptr<TfrmMain> ShowMainWindow()
{
    RegisterMasterDataForms();
    auto main = std::make_unique<TfrmMain>();
    main->FormCreate();
    main->resize(1200, 800);
    main->show();
    return main;
}

// Triggers the menu item and gives the window it opened (nullptr for another class).
template<class Form>
Form *OpenFromMenu(TfrmMain &main, const char *item, const char *formName)
{
    main.Item(QLatin1String(item))->trigger();
    return qobject_cast<Form *>(GlobalObj().MDIWindows.FindForm(QLatin1String(formName)));
}

inline int count(const QString &sql)
{
    return QueryValue(sql).toInt();
}

inline QString text(const QString &sql)
{
    return QueryValue(sql).toString();
}

} // namespace masterdatatest
