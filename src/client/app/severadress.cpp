// The server address dialog of the start-up.
#include "client/app/severadress.h"

#include "client/core/session.h"
#include "client/core/sysconfig.h"

#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

TFrmSeverAdress::TFrmSeverAdress(QWidget *parent)
    : TFrmRoot(parent)
{
    setObjectName(QStringLiteral("FrmSeverAdress"));
    setWindowTitle(QStringLiteral("服务器名称或IP地址"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(256, 168);

    auto *title = new QLabel(QStringLiteral("服务器名称或IP地址"), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    title->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    title->setGeometry(16, 14, 224, 22);

    auto *hint = new QLabel(QStringLiteral("地址后可加端口，如 192.168.1.20:2110"), this);
    hint->setStyleSheet(QStringLiteral("color: #e8f0fb; background: transparent;"));
    hint->setGeometry(16, 40, 224, 18);

    EditSeverAddress = new QLineEdit(QStringLiteral("127.0.0.1"), this);
    EditSeverAddress->setObjectName(QStringLiteral("EditSeverAddress"));
    EditSeverAddress->setGeometry(16, 70, 224, 24);

    btnOK = new QPushButton(QStringLiteral("确定(&O)"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setGeometry(56, 122, 84, 26);
    btnCancel = new QPushButton(QStringLiteral("取消(&C)"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setGeometry(152, 122, 84, 26);

    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
}

void TFrmSeverAdress::FormShow()
{
    TFrmRoot::FormShow();
    // A fresh installation gets [login] hostname=127.0.0.1 before anything is read.
    if (!SysConfigExists())
        SaveServerAddress(QStringLiteral("127.0.0.1"));
    EditSeverAddress->setText(ConfiguredHostName());
    EditSeverAddress->selectAll();
    EditSeverAddress->setFocus();
}

void TFrmSeverAdress::btnOKClick()
{
    const QString host = EditSeverAddress->text().trimmed();
    SessionInfo().ServerHost = host;
    SaveServerAddress(host);
    SetModalResult(mrOk);
}

void TFrmSeverAdress::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::RightButton)
        m_dragFrom = event->globalPosition().toPoint() - frameGeometry().topLeft();
    TFrmRoot::mousePressEvent(event);
}

void TFrmSeverAdress::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragFrom.isNull() && event->buttons() != Qt::NoButton &&
        !(event->buttons() & Qt::RightButton))
        move(event->globalPosition().toPoint() - m_dragFrom);
    TFrmRoot::mouseMoveEvent(event);
}

void TFrmSeverAdress::mouseReleaseEvent(QMouseEvent *event)
{
    m_dragFrom = QPoint();
    TFrmRoot::mouseReleaseEvent(event);
}

void TFrmSeverAdress::paintEvent(QPaintEvent *event)
{
    // The background picture: a blue band over the light form colour, framed.
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    QLinearGradient band(0, 0, 0, 64);
    band.setColorAt(0, QColor(0x1f, 0x4e, 0x8c));
    band.setColorAt(1, QColor(0x4a, 0x7f, 0xc1));
    painter.fillRect(QRect(0, 0, width(), 64), band);
    painter.setPen(QColor(0x1f, 0x4e, 0x8c));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    TFrmRoot::paintEvent(event);
}
