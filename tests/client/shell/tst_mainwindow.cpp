// The main window comes up and goes away cleanly on the offscreen platform.
#include "client/app/session.h"
#include "client/shell/mainwindow.h"

#include <QMdiArea>
#include <QTest>

class TestMainWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void showsTheProductCaptionAndAnEmptyWorkspace()
    {
        TfrmMain window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.windowTitle(), SessionInfo().Product.Caption);
        QVERIFY(window.windowTitle().endsWith(QStringLiteral("V9.95")));
        QVERIFY(window.mdiArea()->subWindowList().isEmpty());
        window.close();
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
