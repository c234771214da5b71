// The splash window, also the About box.
#include "client/shell/startform.h"

#include "client/core/paths.h"
#include "client/core/session.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr int SplashWidth = 400;
constexpr int SplashHeight = 300;
} // namespace

TfrmStart::TfrmStart(QWidget *parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::Dialog)
    , m_image(new QLabel(this))
{
    setObjectName(QStringLiteral("frmStart"));
    setFixedSize(SplashWidth, SplashHeight);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_image);
    const QString file = ExeDirFile(QStringLiteral("start.jpg"));
    if (QFileInfo::exists(file) && m_picture.load(file))
        m_fromFile = true;
    else
        m_picture = BuiltInPicture(size());
    m_image->setScaledContents(true);
    m_image->setPixmap(m_picture);
}

QPixmap TfrmStart::BuiltInPicture(const QSize &size)
{
    QPixmap picture(size);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor(0x1f, 0x4e, 0x8c));
    sky.setColorAt(1, QColor(0x5b, 0x8f, 0xd0));
    painter.fillRect(picture.rect(), sky);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 28));
    painter.drawEllipse(QPoint(size.width() - 40, 30), 150, 150);
    painter.drawEllipse(QPoint(30, size.height() + 20), 120, 120);

    const TProduct &product = SessionInfo().Product;
    painter.setPen(Qt::white);
    QFont title = QApplication::font();
    title.setPixelSize(34);
    title.setBold(true);
    painter.setFont(title);
    painter.drawText(QRect(30, 70, size.width() - 60, 50), Qt::AlignLeft | Qt::AlignVCenter,
                     product.Title);
    QFont subtitle = QApplication::font();
    subtitle.setPixelSize(18);
    painter.setFont(subtitle);
    painter.drawText(QRect(32, 122, size.width() - 60, 30), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("进销存及办公管理系统  ") + product.Version);
    painter.setPen(QColor(255, 255, 255, 90));
    painter.drawLine(32, 162, size.width() - 32, 162);
    QFont small = QApplication::font();
    small.setPixelSize(12);
    painter.setFont(small);
    painter.setPen(QColor(230, 238, 250));
    painter.drawText(QRect(32, size.height() - 46, size.width() - 64, 20),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("采购 · 库存 · 领用 · 财务 · 人事"));
    return picture;
}

void TfrmStart::ShowNow()
{
    if (QScreen *screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    raise();
    repaint();
    QApplication::processEvents();
}

void TfrmStart::mousePressEvent(QMouseEvent *event)
{
    if (m_clickCloses) {
        accept();
        return;
    }
    QDialog::mousePressEvent(event);
}
