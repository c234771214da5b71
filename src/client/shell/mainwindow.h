// The main window: the MDI frame every child window of the client lives in.
#pragma once

#include <QMainWindow>

class QMdiArea;

class TfrmMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit TfrmMain(QWidget *parent = nullptr);

    QMdiArea *mdiArea() const { return m_mdiArea; }

private:
    QMdiArea *m_mdiArea;
};
