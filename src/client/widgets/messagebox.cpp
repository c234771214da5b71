// Message boxes and the waiting aids of the client.
#include "client/widgets/messagebox.h"

#include "client/data/dbtypes.h"
#include "client/widgets/uistyle.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

TMessageBoxHandler &installedHandler()
{
    static TMessageBoxHandler handler;
    return handler;
}

QMessageBox::Icon qtIcon(TMsgIcon icon)
{
    switch (icon) {
    case TMsgIcon::Information:
        return QMessageBox::Information;
    case TMsgIcon::Question:
        return QMessageBox::Question;
    case TMsgIcon::Warning:
        return QMessageBox::Warning;
    case TMsgIcon::Error:
        return QMessageBox::Critical;
    case TMsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::ButtonRole roleOf(TModalResult button)
{
    switch (button) {
    case mrOk:
    case mrYes:
        return QMessageBox::AcceptRole;
    case mrNo:
        return QMessageBox::NoRole;
    case mrCancel:
    case mrAbort:
        return QMessageBox::RejectRole;
    default:
        return QMessageBox::ActionRole;
    }
}

// The answer of a box closed without a button.
TModalResult escapeAnswer(const QList<TModalResult> &buttons)
{
    if (buttons.contains(mrCancel))
        return mrCancel;
    if (buttons.size() == 1)
        return buttons.first();
    return mrNo;
}

TModalResult showModalBox(const TMessageRequest &request)
{
    const QList<TModalResult> buttons = MessageButtons(request.Buttons);
    QMessageBox box(qtIcon(request.Icon), request.Caption, request.Text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.setFont(RootFont());
    QList<QPair<QAbstractButton *, TModalResult>> made;
    for (TModalResult answer : buttons) {
        QPushButton *button = box.addButton(MessageButtonText(answer), roleOf(answer));
        made.append({button, answer});
        if (answer == request.DefaultButton)
            box.setDefaultButton(button);
        if (answer == mrCancel || (buttons.size() == 1))
            box.setEscapeButton(button);
    }
    box.exec();
    for (const auto &[button, answer] : made) {
        if (box.clickedButton() == button)
            return answer;
    }
    return escapeAnswer(buttons);
}

// The one busy window of the client.
struct BusyWindow
{
    QPointer<QFrame> frame;
    QPointer<QLabel> label;
    int depth = 0;
};

BusyWindow &busyWindow()
{
    static BusyWindow window;
    return window;
}

} // namespace

QList<TModalResult> MessageButtons(TMsgButtons buttons)
{
    switch (buttons) {
    case TMsgButtons::OK:
        return {mrOk};
    case TMsgButtons::OKCancel:
        return {mrOk, mrCancel};
    case TMsgButtons::YesNo:
        return {mrYes, mrNo};
    case TMsgButtons::YesNoCancel:
        return {mrYes, mrNo, mrCancel};
    case TMsgButtons::AbortRetryIgnore:
        return {mrAbort, mrRetry, mrIgnore};
    case TMsgButtons::RetryCancel:
        return {mrRetry, mrCancel};
    }
    return {mrOk};
}

QString MessageButtonText(TModalResult button)
{
    switch (button) {
    case mrOk:
        return QStringLiteral("确定");
    case mrCancel:
        return QStringLiteral("取消");
    case mrAbort:
        return QStringLiteral("中止(&A)");
    case mrRetry:
        return QStringLiteral("重试(&R)");
    case mrIgnore:
        return QStringLiteral("忽略(&I)");
    case mrYes:
        return QStringLiteral("是(&Y)");
    case mrNo:
        return QStringLiteral("否(&N)");
    case mrNone:
        break;
    }
    return {};
}

TModalResult MessageBox(const QString &text, const QString &caption, TMsgIcon icon,
                        TMsgButtons buttons, TModalResult defaultButton)
{
    TMessageRequest request;
    request.Text = text;
    request.Caption = caption;
    request.Icon = icon;
    request.Buttons = buttons;
    const QList<TModalResult> set = MessageButtons(buttons);
    request.DefaultButton = set.contains(defaultButton) ? defaultButton : set.first();
    if (installedHandler())
        return installedHandler()(request);
    return showModalBox(request);
}

void ShowMessage(const QString &text)
{
    QString caption = QApplication::applicationDisplayName();
    if (caption.isEmpty())
        caption = QApplication::applicationName();
    MessageBox(text, caption, TMsgIcon::None, TMsgButtons::OK);
}

bool Confirm(const QString &text, const QString &caption, bool destructive)
{
    return MessageBox(text, caption, TMsgIcon::Question, TMsgButtons::YesNo,
                      destructive ? mrNo : mrYes) == mrYes;
}

void ShowException(const std::exception &e)
{
    if (dynamic_cast<const EAbort *>(&e))
        return;
    QString caption = QApplication::applicationDisplayName();
    if (caption.isEmpty())
        caption = QApplication::applicationName();
    if (auto *own = dynamic_cast<const Exception *>(&e))
        MessageBox(own->Message(), caption, TMsgIcon::Error);
    else
        MessageBox(QString::fromUtf8(e.what()), caption, TMsgIcon::Error);
}

bool Guarded(const std::function<void()> &fn)
{
    try {
        fn();
        return true;
    } catch (const std::exception &e) {
        ShowException(e);
    }
    return false;
}

TMessageBoxHandler SetMessageBoxHandler(TMessageBoxHandler handler)
{
    TMessageBoxHandler previous = std::move(installedHandler());
    installedHandler() = std::move(handler);
    return previous;
}

TMessageBoxScript::TMessageBoxScript()
{
    m_previous = SetMessageBoxHandler([this](const TMessageRequest &request) {
        m_requests.append(request);
        if (m_answers.isEmpty())
            return request.DefaultButton;
        return m_answers.takeFirst();
    });
}

TMessageBoxScript::TMessageBoxScript(std::initializer_list<TModalResult> answers)
    : TMessageBoxScript()
{
    for (TModalResult answer : answers)
        m_answers.append(answer);
}

TMessageBoxScript::~TMessageBoxScript()
{
    SetMessageBoxHandler(std::move(m_previous));
}

THourGlass::THourGlass()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

THourGlass::~THourGlass()
{
    QApplication::restoreOverrideCursor();
}

TBusyMessage::TBusyMessage(const QString &text)
{
    BusyWindow &busy = busyWindow();
    if (!busy.frame) {
        auto *frame =
            new QFrame(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        frame->setAttribute(Qt::WA_ShowWithoutActivating);
        frame->setFrameShape(QFrame::Box);
        frame->setLineWidth(1);
        frame->setAutoFillBackground(true);
        QPalette palette = frame->palette();
        palette.setColor(QPalette::Window, FormColor());
        frame->setPalette(palette);
        auto *layout = new QHBoxLayout(frame);
        layout->setContentsMargins(24, 16, 24, 16);
        auto *label = new QLabel(frame);
        label->setFont(SongFont(14));
        label->setAlignment(Qt::AlignCenter);
        layout->addWidget(label);
        busy.frame = frame;
        busy.label = label;
    }
    m_previousText = busy.label->text();
    ++busy.depth;
    busy.label->setText(text);
    busy.frame->adjustSize();
    busy.frame->resize(qMax(busy.frame->width(), 260), qMax(busy.frame->height(), 64));
    QRect area;
    if (QWidget *active = QApplication::activeWindow())
        area = active->frameGeometry();
    else if (QScreen *screen = QApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isValid())
        busy.frame->move(area.center() - busy.frame->rect().center());
    busy.frame->show();
    busy.frame->raise();
    // The operation that follows blocks the event loop: paint now.
    busy.frame->repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

TBusyMessage::~TBusyMessage()
{
    BusyWindow &busy = busyWindow();
    if (!busy.frame)
        return;
    if (--busy.depth > 0) {
        busy.label->setText(m_previousText);
        return;
    }
    busy.depth = 0;
    busy.frame->hide();
    delete busy.frame.data();
}

QString TBusyMessage::DefaultText()
{
    return QStringLiteral("正在查询，请稍候...");
}

QWidget *TBusyMessage::Window()
{
    BusyWindow &busy = busyWindow();
    return busy.frame && busy.frame->isVisible() ? busy.frame.data() : nullptr;
}

QString TBusyMessage::CurrentText()
{
    BusyWindow &busy = busyWindow();
    return busy.label ? busy.label->text() : QString();
}

TdlgProgress::TdlgProgress(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint)
{
    setWindowTitle(QStringLiteral("请稍候..."));
    setFont(RootFont());
    setModal(false);
    auto *layout = new QVBoxLayout(this);
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);
    m_text = new QLabel(this);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setMinimumWidth(320);
    m_cancel = new QPushButton(QStringLiteral("取消(&C)"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cancel);
    layout->addWidget(m_bar);
    layout->addWidget(m_text);
    layout->addLayout(buttons);
    connect(m_cancel, &QPushButton::clicked, this, &TdlgProgress::cancelClicked);
}

void TdlgProgress::SetRange(int minimum, int maximum)
{
    m_bar->setRange(minimum, qMax(minimum, maximum));
    m_bar->setValue(minimum);
}

void TdlgProgress::SetPosition(int position)
{
    m_bar->setValue(position);
}

int TdlgProgress::Position() const
{
    return m_bar->value();
}

int TdlgProgress::Maximum() const
{
    return m_bar->maximum();
}

void TdlgProgress::SetText(const QString &text)
{
    m_text->setText(text);
}

QString TdlgProgress::Text() const
{
    return m_text->text();
}

void TdlgProgress::SetCanClose(bool canClose)
{
    m_canClose = canClose;
}

void TdlgProgress::ProcessMessages()
{
    QApplication::processEvents();
}

void TdlgProgress::cancelClicked()
{
    m_cancelled = true;
    if (m_canClose)
        close();
}

void TdlgProgress::closeEvent(QCloseEvent *event)
{
    if (!m_canClose) {
        m_cancelled = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TdlgProgress::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        cancelClicked();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TdlgProgress::reject()
{
    if (m_canClose)
        QDialog::reject();
    else
        m_cancelled = true;
}
