#include "client/shell/mainwindow.h"

#include "client/app/session.h"

#include <QMdiArea>

TfrmMain::TfrmMain(QWidget *parent)
    : QMainWindow(parent)
    , m_mdiArea(new QMdiArea(this))
{
    setWindowTitle(SessionInfo().Product.Caption);
    setCentralWidget(m_mdiArea);
    resize(1024, 720);
}
