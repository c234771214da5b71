// The floating picture window.
#include "client/forms/showpic.h"

#include "client/widgets/image.h"
#include "client/widgets/messagebox.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>

namespace {

constexpr int Border = 2;
constexpr int Gap = 4; // between the owner and the window

} // namespace

TFrmShowPic::TFrmShowPic(QWidget *owner)
    : TFrmRoot(owner)
{
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("图片"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(Border, Border, Border, Border);
    m_image = new TImage(this);
    m_image->setObjectName(QStringLiteral("Image1"));
    m_image->setFrameShape(QFrame::Box);
    m_image->setAttribute(Qt::WA_TransparentForMouseEvents); // a click closes the window
    layout->addWidget(m_image);
}

void TFrmShowPic::ShowPicture(const QImage &picture, bool activate)
{
    if (picture.isNull()) {
        Clear();
        return;
    }
    m_image->SetPicture(picture);
    fitToPicture();
    const QScreen *screen =
        parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    move(PlaceBeside(ownerRect(), size(), available));
    setAttribute(Qt::WA_ShowWithoutActivating, !activate);
    show();
    raise();
    if (activate)
        activateWindow();
}

bool TFrmShowPic::ShowPicture(const QByteArray &bytes, bool activate)
{
    ShowPicture(DecodePicture(bytes), activate);
    return !m_image->IsEmpty();
}

void TFrmShowPic::Clear()
{
    m_image->Clear();
    hide();
}

void TFrmShowPic::fitToPicture()
{
    QSize box = m_image->Picture().size();
    if (box.width() > MaxPictureSize().width() || box.height() > MaxPictureSize().height())
        box.scale(MaxPictureSize(), Qt::KeepAspectRatio);
    else if (box.width() < MinPictureSize().width() && box.height() < MinPictureSize().height())
        box.scale(MinPictureSize(), Qt::KeepAspectRatio);
    const int frame = m_image->frameWidth() + Border;
    setFixedSize(box.expandedTo(QSize(1, 1)) + QSize(2 * frame, 2 * frame));
}

QRect TFrmShowPic::ownerRect() const
{
    const QWidget *owner = parentWidget();
    if (!owner)
        return {};
    return {owner->mapToGlobal(QPoint(0, 0)), owner->size()};
}

QPoint TFrmShowPic::PlaceBeside(const QRect &owner, const QSize &window, const QRect &screen)
{
    if (owner.isEmpty())
        return screen.isEmpty() ? QPoint()
                                : screen.center() - QPoint(window.width(), window.height()) / 2;
    QPoint place(owner.right() + 1 + Gap, owner.top());
    if (!screen.isEmpty()) {
        if (place.x() + window.width() - 1 > screen.right()) {
            const int left = owner.left() - Gap - window.width();
            place.setX(left >= screen.left() ? left : owner.right() - window.width() - Gap);
        }
        place.setX(qBound(screen.left(), place.x(),
                          qMax(screen.left(), screen.right() - window.width() + 1)));
        place.setY(qBound(screen.top(), place.y(),
                          qMax(screen.top(), screen.bottom() - window.height() + 1)));
    }
    return place;
}

void TFrmShowPic::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    Close();
}

void TFrmShowPic::FollowRow(QPointer<TFrmShowPic> &window, QWidget *owner, const QByteArray &bytes)
{
    const QImage picture = DecodePicture(bytes);
    if (picture.isNull()) {
        if (window)
            window->hide();
        return;
    }
    if (!window)
        window = new TFrmShowPic(owner);
    window->ShowPicture(picture);
}

void TFrmShowPic::Enlarge(QWidget *owner, const TImage &image)
{
    if (image.IsEmpty())
        return;
    auto *window = new TFrmShowPic(owner);
    window->ShowPicture(image.Picture(), true);
}

TRowPictureFollower::TRowPictureFollower(QWidget *list, std::function<QByteArray()> currentBytes)
    : m_list(list)
    , m_currentBytes(std::move(currentBytes))
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(120);
    QObject::connect(&m_timer, &QTimer::timeout, list, [this] { Guarded([this] { ShowNow(); }); });
}

TRowPictureFollower::~TRowPictureFollower()
{
    delete m_window;
}

void TRowPictureFollower::RowChanged()
{
    if (m_window || m_list->isActiveWindow())
        m_timer.start();
}

void TRowPictureFollower::Activated()
{
    m_timer.start();
}

void TRowPictureFollower::ActivationChanged()
{
    if (!m_list->isActiveWindow() && m_window && !m_window->isActiveWindow())
        Close();
}

void TRowPictureFollower::ShowNow()
{
    TFrmShowPic::FollowRow(m_window, m_list, m_currentBytes());
}

void TRowPictureFollower::Close()
{
    m_timer.stop();
    delete m_window;
}
