// The root form and the basic dialog template.
#include "client/forms/rootform.h"

#include "client/widgets/controls.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/uistyle.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

void setWindowColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    palette.setColor(QPalette::Button, color);
    widget->setPalette(palette);
}

bool isEnter(const QKeyEvent *event)
{
    return (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
           !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier));
}

} // namespace

TFrmRoot::TFrmRoot(QWidget *parent)
    : QDialog(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(RootFont());
    setAutoFillBackground(true);
    setSizeGripEnabled(false);
    qApp->installEventFilter(this);
}

TFrmRoot::~TFrmRoot()
{
    qApp->removeEventFilter(this);
}

void TFrmRoot::SetBillType(const QString &billType)
{
    m_billType = billType;
}

void TFrmRoot::DoCreate()
{
    if (m_created)
        return;
    m_created = true;
    THourGlass hourGlass;
    Guarded([this] { FormCreate(); });
}

TModalResult TFrmRoot::ShowModal()
{
    DoCreate();
    const bool release = testAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_modalResult = mrNone;
    exec();
    setAttribute(Qt::WA_DeleteOnClose, release);
    return m_modalResult == mrNone ? mrCancel : m_modalResult;
}

void TFrmRoot::SetModalResult(TModalResult result)
{
    m_modalResult = result;
    if (result != mrNone && isModal() && isVisible())
        Close();
}

void TFrmRoot::Close()
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
        sub->close();
    else
        close();
}

void TFrmRoot::done(int result)
{
    m_modalResult = TModalResult(result == QDialog::Accepted ? mrOk : result);
    Close();
}

QColor TFrmRoot::Color() const
{
    return palette().color(QPalette::Window);
}

void TFrmRoot::SetColor(const QColor &color)
{
    setWindowColor(this, color);
}

void TFrmRoot::ApplyRootStyle()
{
    const QColor color = FormColor();
    SetColor(color);
    for (QObject *child : children()) {
        auto *widget = qobject_cast<QWidget *>(child);
        if (!widget || widget->isWindow())
            continue;
        if (auto *grid = qobject_cast<TDBGrid *>(widget)) {
            grid->SetFixedColor(color);
            grid->SetFooterColor(color);
            grid->SetUseMultiTitle(true);
        } else if (auto *panel = qobject_cast<TPanel *>(widget)) {
            panel->SetColor(color);
        } else if (auto *edit = qobject_cast<TButtonEdit *>(widget)) {
            edit->SetColor(color);
        } else if (auto *pages = qobject_cast<QTabWidget *>(widget)) {
            setWindowColor(pages, color);
            for (int i = 0; i < pages->count(); ++i) {
                pages->widget(i)->setAutoFillBackground(true);
                setWindowColor(pages->widget(i), color);
            }
        } else if (auto *tabs = qobject_cast<QTabBar *>(widget)) {
            tabs->setAutoFillBackground(true);
            setWindowColor(tabs, color);
        }
    }
}

void TFrmRoot::FormShow()
{
    ApplyRootStyle();
}

void TFrmRoot::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    DoCreate();
    Guarded([this] { FormShow(); });
}

void TFrmRoot::closeEvent(QCloseEvent *event)
{
    bool canClose = true;
    if (!Guarded([&] { canClose = FormCloseQuery(); }) || !canClose) {
        event->ignore();
        return;
    }
    Guarded([this] { FormClose(); });
    if (m_modalResult == mrNone)
        m_modalResult = mrCancel;
    setResult(m_modalResult);
    event->accept();
}

void TFrmRoot::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        Close();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // A control that keeps Enter did not want it; no default button is pressed for it.
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TFrmRoot::EnterMovesFocus(QWidget *focus) const
{
    for (QWidget *w = focus; w && w != this; w = w->parentWidget()) {
        if (qobject_cast<TDBGrid *>(w) || qobject_cast<QTableView *>(w))
            return false;
        if (w->property("vzWantsReturn").toBool())
            return false;
    }
    if (qobject_cast<QPlainTextEdit *>(focus) || qobject_cast<QTextEdit *>(focus))
        return false;
    if (qobject_cast<QAbstractButton *>(focus))
        return false;
    return true;
}

bool TFrmRoot::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    // The form sees a key once, as it goes to the control that has the form's focus.
    // Events that carry only text (key 0) go straight to the control.
    if (QWidget *own = focusWidget();
        key->key() != 0 && own && watched == own && isAncestorOf(own)) {
        int code = key->key();
        Guarded([&] { FormKeyDown(code, key->modifiers()); });
        if (code == 0)
            return true;
    }
    if (!isEnter(key))
        return false;
    // The form sees the key before the control does, once, as the key goes to the focus.
    QWidget *focus = QApplication::focusWidget();
    if (watched != focus || !focus || !isAncestorOf(focus) || !EnterMovesFocus(focus))
        return false;
    focusNextControl(focus);
    return true;
}

bool TFrmRoot::focusNextControl(QWidget *from)
{
    QWidget *candidate = from;
    for (int guard = 0; guard < 10000; ++guard) {
        candidate = candidate->nextInFocusChain();
        if (!candidate || candidate == from)
            return false;
        if (!isAncestorOf(candidate) || candidate->focusProxy())
            continue;
        if (candidate->isVisible() && candidate->isEnabled() &&
            (candidate->focusPolicy() & Qt::TabFocus)) {
            candidate->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return false;
}

TFrmBase::TFrmBase(QWidget *parent)
    : TFrmRoot(parent)
{
    setWindowTitle(QStringLiteral("基础模板"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(476, 288);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_panelClient = new TPanel(this);
    m_panelClient->setObjectName(QStringLiteral("PanelClient"));
    m_panelBottom = new TPanel(this);
    m_panelBottom->setObjectName(QStringLiteral("PanelBottom"));
    m_panelBottom->setFixedHeight(41);
    layout->addWidget(m_panelClient, 1);
    layout->addWidget(m_panelBottom);
}

void TFrmBase::FormShow()
{
    TFrmRoot::FormShow();
    if (!parentWidget()) {
        if (QScreen *screen = QApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
}
