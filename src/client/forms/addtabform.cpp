// Workspace windows with a tab in the main frame's tab bar.
#include "client/forms/addtabform.h"

#include "client/forms/globalobj.h"

#include <QEvent>
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
    m_tabCaption = windowTitle();
}

void TFrmAddTab::FormClose()
{
    GlobalObj().MDIWindows.TabClosed(windowTitle());
    m_tabCaption.clear();
    TFrmRoot::FormClose();
}

void TFrmAddTab::changeEvent(QEvent *event)
{
    TFrmRoot::changeEvent(event);
    if (event->type() != QEvent::WindowTitleChange || m_tabCaption.isEmpty() ||
        m_tabCaption == windowTitle())
        return;
    GlobalObj().MDIWindows.TabRenamed(m_tabCaption, windowTitle());
    m_tabCaption = windowTitle();
}
