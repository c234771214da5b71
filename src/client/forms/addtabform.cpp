// Workspace windows with a tab in the main frame's tab bar.
#include "client/forms/addtabform.h"

#include "client/forms/globalobj.h"

#include <QMdiSubWindow>

TFrmAddTab::TFrmAddTab(QWidget *parent)
    : TFrmRoot(parent)
{
    // The window manager selects the tab of a tabbed window when the workspace activates it.
    setProperty("vzTabbed", true);
}

void TFrmAddTab::FormShow()
{
    TFrmRoot::FormShow();
    TShowMDIWindowObj &windows = GlobalObj().MDIWindows;
    if (auto *window = qobject_cast<QMdiSubWindow *>(parentWidget()))
        windows.PlaceChild(window);
    windows.TabShown(windowTitle());
}

void TFrmAddTab::FormClose()
{
    GlobalObj().MDIWindows.TabClosed(windowTitle());
    TFrmRoot::FormClose();
}
