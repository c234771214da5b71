// The window manager of the main frame.
#include "client/forms/mdiwindows.h"

#include "client/core/session.h"
#include "client/forms/globalobj.h"
#include "client/forms/rootform.h"
#include "client/widgets/messagebox.h"
#include "client/widgets/uistyle.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTabBar>

#include <memory>

const QString TShowMDIWindowObj::WorkspaceTab = QStringLiteral("业务导航");

namespace {

QString tabText(const QString &caption)
{
    return caption + QStringLiteral("   ");
}

constexpr char modeTextProperty[] = "vzModeText";

} // namespace

QHash<QString, TFormFactory> &TFormRegistry::factories()
{
    static QHash<QString, TFormFactory> map;
    return map;
}

void TFormRegistry::Register(const QString &className, TFormFactory factory)
{
    factories().insert(className, std::move(factory));
}

bool TFormRegistry::Contains(const QString &className)
{
    return factories().contains(className);
}

TFrmRoot *TFormRegistry::Create(const QString &className)
{
    const auto it = factories().constFind(className);
    if (it == factories().constEnd())
        return nullptr;
    TFrmRoot *form = (*it)();
    if (form)
        form->DoCreate();
    return form;
}

void TShowMDIWindowObj::SetMdiArea(QMdiArea *area)
{
    m_area = area;
    if (!m_area)
        return;
    QObject::connect(m_area, &QMdiArea::subWindowActivated, m_area, [this](QMdiSubWindow *window) {
        if (window && window->widget() && window->widget()->property("vzTabbed").toBool())
            TabShown(window->widget()->windowTitle());
    });
}

void TShowMDIWindowObj::SetTabBar(QTabBar *tabBar)
{
    m_tabBar = tabBar;
    if (!m_tabBar)
        return;
    QObject::connect(m_tabBar, &QTabBar::currentChanged, m_tabBar, [this](int index) {
        if (!m_updatingTabs)
            TabSelected(index);
    });
    QObject::connect(m_tabBar, &QTabBar::tabCloseRequested, m_tabBar,
                     [this](int index) { TabCloseRequested(index); });
}

QWidget *TShowMDIWindowObj::FindForm(const QString &name) const
{
    if (!m_area)
        return nullptr;
    for (QMdiSubWindow *window : m_area->subWindowList()) {
        if (window->widget() && window->widget()->objectName() == name)
            return window->widget();
    }
    return nullptr;
}

int TShowMDIWindowObj::ChildCount() const
{
    return m_area ? int(m_area->subWindowList().size()) : 0;
}

QWidget *TShowMDIWindowObj::ShowForm(const QString &className,
                                     const std::function<void(TFrmRoot &form)> &prepare)
{
    const QString name = className.mid(1);
    if (QWidget *open = FindForm(name)) {
        auto *window = qobject_cast<QMdiSubWindow *>(open->parentWidget());
        if (window) {
            window->showNormal();
            m_area->setActiveSubWindow(window);
        }
        open->show();
        open->raise();
        return open;
    }
    if (ChildCount() > MaxChildren) {
        MessageBox(QStringLiteral("打开太多的窗体，请关掉不必要的窗体！"), QStringLiteral("提示"),
                   TMsgIcon::Information);
        return nullptr;
    }
    if (!TFormRegistry::Contains(className)) {
        SayWindowMissing(className);
        return nullptr;
    }
    TFrmRoot *form = TFormRegistry::Create(className);
    if (!form)
        return nullptr;
    form->setObjectName(name);
    if (prepare)
        prepare(*form);
    AddChild(form);
    form->show();
    return form;
}

QString ModeText(const QObject *form)
{
    return form ? form->property(modeTextProperty).toString() : QString();
}

void SayWindowMissing(const QString &className)
{
    if (const auto &handler = GlobalObj().MDIWindows.OnWindowMissing) {
        handler(className);
        return;
    }
    MessageBox(QStringLiteral("该功能窗口（%1）在本版本中尚未提供。").arg(className),
               QStringLiteral("提示"), TMsgIcon::Information);
}

void SetModeText(QObject *form, const QString &text)
{
    if (form)
        form->setProperty(modeTextProperty, text);
}

bool TShowMDIWindowObj::OpenModal(const QString &className,
                                  const std::function<void(TFrmRoot &form)> &prepare)
{
    if (!TFormRegistry::Contains(className)) {
        SayWindowMissing(className);
        return false;
    }
    std::unique_ptr<TFrmRoot> form;
    {
        THourGlass hourGlass;
        form.reset(TFormRegistry::Create(className));
    }
    if (!form)
        return false;
    form->setObjectName(className.mid(1));
    if (prepare)
        prepare(*form);
    return form->ShowModal() == mrOk;
}

bool TShowMDIWindowObj::OpenModalWithText(const QString &className, const QString &text)
{
    return OpenModal(className, [&text](TFrmRoot &form) { SetModeText(&form, text); });
}

QWidget *TShowMDIWindowObj::OpenHRForm(const QString &kind)
{
    static const QHash<QString, QString> wageTables{
        {QStringLiteral("计件工种"), QStringLiteral("TGz_GZongFrm")},
        {QStringLiteral("计时工种"), QStringLiteral("TGz_GongZFrm")},
        {QStringLiteral("计件工序"), QStringLiteral("TGz_GXuFrm")},
    };
    const auto wage = wageTables.constFind(kind);
    if (wage != wageTables.constEnd()) {
        OpenModalWithText(*wage, kind);
        return nullptr;
    }
    // One personnel window is open at a time, configured for its kind before it shows; a
    // window of another kind gives way to a new one.
    const QString className = QStringLiteral("TRs_SingleFrm");
    if (QWidget *open = FindForm(className.mid(1)); open && ModeText(open) != kind) {
        open->setObjectName(QString());
        if (auto *window = qobject_cast<QMdiSubWindow *>(open->parentWidget()))
            window->close();
        else
            open->close();
    }
    const bool wasOpen = FindForm(className.mid(1)) != nullptr;
    QWidget *form = ShowForm(className, [&kind](TFrmRoot &created) {
        SetModeText(&created, kind);
        created.SetBillType(kind);
    });
    // The window of the same kind shows its records afresh.
    if (wasOpen) {
        if (auto *root = qobject_cast<TFrmRoot *>(form))
            root->SetBillType(kind);
    }
    return form;
}

QMdiSubWindow *TShowMDIWindowObj::AddChild(QWidget *form)
{
    if (!m_area)
        return nullptr;
    QMdiSubWindow *window = m_area->addSubWindow(
        form, Qt::SubWindow | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                  Qt::WindowCloseButtonHint | Qt::WindowTitleHint);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowIcon(ProductIcon());
    PlaceChild(window);
    return window;
}

void TShowMDIWindowObj::PlaceChild(QWidget *window) const
{
    const TSessionInfo &session = SessionInfo();
    if (session.ChildWidth <= 0 || session.ChildHeight <= 0)
        return;
    const bool child = qobject_cast<QMdiSubWindow *>(window) != nullptr;
    window->setGeometry(session.ChildLeft, child ? session.ChildTopMDI : session.ChildTopOther,
                        session.ChildWidth, session.ChildHeight);
}

void TShowMDIWindowObj::TabShown(const QString &caption)
{
    if (!m_tabBar)
        return;
    const QString text = tabText(caption);
    int index = -1;
    for (int i = 0; i < m_tabBar->count(); ++i) {
        if (m_tabBar->tabText(i) == text)
            index = i;
    }
    m_updatingTabs = true;
    if (index < 0)
        index = m_tabBar->addTab(text);
    m_tabBar->setCurrentIndex(index);
    m_updatingTabs = false;
}

void TShowMDIWindowObj::TabClosed(const QString &caption)
{
    if (!m_tabBar)
        return;
    m_updatingTabs = true;
    for (int i = m_tabBar->count() - 1; i >= 0; --i) {
        if (m_tabBar->tabText(i).trimmed() == caption.trimmed()) {
            m_tabBar->removeTab(i);
            break;
        }
    }
    m_updatingTabs = false;
}

void TShowMDIWindowObj::TabRenamed(const QString &oldCaption, const QString &newCaption)
{
    if (!m_tabBar)
        return;
    for (int i = 0; i < m_tabBar->count(); ++i) {
        if (m_tabBar->tabText(i).trimmed() == oldCaption.trimmed()) {
            m_tabBar->setTabText(i, tabText(newCaption));
            return;
        }
    }
}

QWidget *TShowMDIWindowObj::windowForCaption(const QString &caption) const
{
    if (!m_area)
        return nullptr;
    for (QMdiSubWindow *window : m_area->subWindowList()) {
        if (window->widget() && window->widget()->windowTitle().trimmed() == caption)
            return window->widget();
    }
    return nullptr;
}

void TShowMDIWindowObj::TabSelected(int index)
{
    if (!m_tabBar || index < 0)
        return;
    QWidget *form = windowForCaption(m_tabBar->tabText(index).trimmed());
    if (!form)
        return;
    if (auto *window = qobject_cast<QMdiSubWindow *>(form->parentWidget())) {
        if (window->isHidden() || window->isMinimized())
            window->showNormal();
        m_area->setActiveSubWindow(window);
    }
    form->show();
    form->setFocus();
}

void TShowMDIWindowObj::TabCloseRequested(int index)
{
    if (!m_tabBar || index < 0)
        return;
    const QString caption = m_tabBar->tabText(index).trimmed();
    if (QWidget *form = windowForCaption(caption)) {
        if (auto *root = qobject_cast<TFrmRoot *>(form))
            root->Close();
        else
            form->close();
        return;
    }
    m_tabBar->removeTab(index);
}
