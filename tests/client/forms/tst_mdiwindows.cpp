// The main frame's window manager: one window per class, the limit of open windows, and the
// tab bar that follows the windows.
#include "client/core/session.h"
#include "client/forms/addtabform.h"
#include "client/forms/globalobj.h"
#include "client/widgets/uistyle.h"

#include <QImage>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTabBar>
#include <QTest>

namespace {

class TfrmStock : public TFrmAddTab
{
public:
    TfrmStock() { setWindowTitle(QStringLiteral("仓库资料")); }
};

class TfrmGoods : public TFrmAddTab
{
public:
    TfrmGoods() { setWindowTitle(QStringLiteral("货品资料")); }
};

// Every instance gets its own caption, so that the limit can be reached with one class
// name per window.
class TfrmNumbered : public TFrmAddTab
{
public:
    explicit TfrmNumbered(int n) { setWindowTitle(QStringLiteral("窗口%1").arg(n)); }
};

QStringList tabTexts(const QTabBar *bar)
{
    QStringList texts;
    for (int i = 0; i < bar->count(); ++i)
        texts << bar->tabText(i);
    return texts;
}

} // namespace

class TestMdiWindows : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_frame = new QMainWindow;
        m_area = new QMdiArea(m_frame);
        m_frame->setCentralWidget(m_area);
        m_tabs = new QTabBar(m_frame);
        m_tabs->setTabsClosable(true);
        m_tabs->addTab(TShowMDIWindowObj::WorkspaceTab + QStringLiteral("   "));
        GlobalObj().MDIWindows.SetMdiArea(m_area);
        GlobalObj().MDIWindows.SetTabBar(m_tabs);
        TFormRegistry::Register(QStringLiteral("TfrmStock"), [] { return new TfrmStock; });
        TFormRegistry::Register(QStringLiteral("TfrmGoods"), [] { return new TfrmGoods; });
        for (int n = 0; n < 40; ++n)
            TFormRegistry::Register(QStringLiteral("TfrmNumbered%1").arg(n),
                                    [n] { return new TfrmNumbered(n); });
        m_frame->resize(1024, 768);
        m_frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame));
    }

    void cleanup()
    {
        delete m_frame;
        m_frame = nullptr;
    }

    void showingAClassTwiceBringsTheFirstWindowForward()
    {
        TMessageBoxScript boxes;
        QWidget *stock = GlobalObj().MDIWindows.ShowForm(QStringLiteral("TfrmStock"));
        QVERIFY(stock);
        QCOMPARE(stock->objectName(), QStringLiteral("frmStock"));
        QWidget *goods = GlobalObj().MDIWindows.ShowForm(QStringLiteral("TfrmGoods"));
        QCOMPARE(m_area->activeSubWindow()->widget(), goods);
        QCOMPARE(GlobalObj().MDIWindows.ShowForm(QStringLiteral("TfrmStock")), stock);
        QCOMPARE(m_area->subWindowList().size(), 2);
        QCOMPARE(m_area->activeSubWindow()->widget(), stock);
        QCOMPARE(boxes.Count(), 0);
        // Child windows carry the product's icon, not the toolkit's.
        const QImage icon = m_area->activeSubWindow()->windowIcon().pixmap(16).toImage();
        QCOMPARE(icon, ProductIcon().pixmap(16).toImage());
    }

    void tabsFollowWindowsAndTheirCaptions()
    {
        TMessageBoxScript boxes;
        GlobalObj().MDIWindows.ShowForm(QStringLiteral("TfrmStock"));
        QPointer<QWidget> goods = GlobalObj().MDIWindows.ShowForm(QStringLiteral("TfrmGoods"));
        QCOMPARE(tabTexts(m_tabs),
                 (QStringList{QStringLiteral("业务导航   "), QStringLiteral("仓库资料   "),
                              QStringLiteral("货品资料   ")}));
        QCOMPARE(m_tabs->currentIndex(), 2);

        // Selecting a tab brings its window forward.
        m_tabs->setCurrentIndex(1);
        QCOMPARE(m_area->activeSubWindow()->widget()->windowTitle(), QStringLiteral("仓库资料"));

        // The tab's close button closes the window, and the window takes its tab away.
        emit m_tabs->tabCloseRequested(2);
        QTRY_VERIFY(goods.isNull());
        QCOMPARE(tabTexts(m_tabs),
                 (QStringList{QStringLiteral("业务导航   "), QStringLiteral("仓库资料   ")}));

        // A tab without a window just goes.
        m_tabs->addTab(QStringLiteral("孤立   "));
        emit m_tabs->tabCloseRequested(2);
        QCOMPARE(m_tabs->count(), 2);
    }

    void theThirtyFirstWindowIsRefused()
    {
        TMessageBoxScript boxes;
        // The workspace itself is one of the frame's windows.
        auto *workspace = new QWidget;
        workspace->setWindowTitle(TShowMDIWindowObj::WorkspaceTab);
        m_area->addSubWindow(workspace)->show();
        for (int n = 0; n < 30; ++n)
            QVERIFY(GlobalObj().MDIWindows.ShowForm(QStringLiteral("TfrmNumbered%1").arg(n)));
        QCOMPARE(boxes.Count(), 0);
        QVERIFY(!GlobalObj().MDIWindows.ShowForm(QStringLiteral("TfrmNumbered30")));
        QCOMPARE(boxes.Count(), 1);
        QCOMPARE(boxes.Last().Text, QStringLiteral("打开太多的窗体，请关掉不必要的窗体！"));
        QCOMPARE(boxes.Last().Caption, QStringLiteral("提示"));
        QCOMPARE(m_area->subWindowList().size(), 31);
        // An open one still comes forward.
        QVERIFY(GlobalObj().MDIWindows.ShowForm(QStringLiteral("TfrmNumbered3")));
    }

    void aWindowClassThatDoesNotExistSaysSo()
    {
        TMessageBoxScript boxes;
        QVERIFY(!GlobalObj().MDIWindows.ShowForm(QStringLiteral("TfrmNotBuilt")));
        QCOMPARE(boxes.Count(), 1);
        QVERIFY(boxes.Last().Text.contains(QStringLiteral("TfrmNotBuilt")));

        // A scripted client takes the report instead of the message box.
        QString missing;
        GlobalObj().MDIWindows.OnWindowMissing = [&](const QString &what) {
            missing = what;
        };
        QVERIFY(!GlobalObj().MDIWindows.ShowForm(QStringLiteral("TfrmNotBuilt")));
        QVERIFY(!GlobalObj().MDIWindows.OpenModal(QStringLiteral("TfrmNotBuilt2")));
        GlobalObj().MDIWindows.OnWindowMissing = nullptr;
        QCOMPARE(boxes.Count(), 1);
        QCOMPARE(missing, QStringLiteral("TfrmNotBuilt2"));
    }

    void childrenTakeTheSessionGeometry()
    {
        TSessionInfo &session = SessionInfo();
        session.ChildLeft = 20;
        session.ChildTopMDI = 0;
        session.ChildWidth = 600;
        session.ChildHeight = 400;
        QWidget *stock = GlobalObj().MDIWindows.ShowForm(QStringLiteral("TfrmStock"));
        const QRect geometry = stock->parentWidget()->geometry();
        QCOMPARE(geometry, QRect(20, 0, 600, 400));
        session.ChildWidth = session.ChildHeight = 0;
    }

private:
    QMainWindow *m_frame = nullptr;
    QMdiArea *m_area = nullptr;
    QTabBar *m_tabs = nullptr;
};

QTEST_MAIN(TestMdiWindows)
#include "tst_mdiwindows.moc"
