// The navigator.
#include "client/widgets/dbnavigator.h"

#include "client/data/clientdataset.h"
#include "client/widgets/messagebox.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

namespace {

// Simple glyphs in the style of the classic navigator.
QIcon navigatorIcon(TNavigateBtn button)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x20, 0x30, 0x60));
    auto triangle = [&](bool left, qreal x) {
        QPainterPath path;
        if (left) {
            path.moveTo(x + 5, 3);
            path.lineTo(x, 8);
            path.lineTo(x + 5, 13);
        } else {
            path.moveTo(x, 3);
            path.lineTo(x + 5, 8);
            path.lineTo(x, 13);
        }
        path.closeSubpath();
        p.drawPath(path);
    };
    switch (button) {
    case nbFirst:
        p.drawRect(QRectF(3, 3, 2, 10));
        triangle(true, 6);
        break;
    case nbPrior:
        triangle(true, 5);
        break;
    case nbNext:
        triangle(false, 6);
        break;
    case nbLast:
        triangle(false, 5);
        p.drawRect(QRectF(11, 3, 2, 10));
        break;
    case nbInsert:
        p.drawRect(QRectF(7, 3, 2, 10));
        p.drawRect(QRectF(3, 7, 10, 2));
        break;
    case nbDelete:
        p.drawRect(QRectF(3, 7, 10, 2));
        break;
    case nbEdit: {
        QPainterPath path;
        path.moveTo(8, 3);
        path.lineTo(13, 12);
        path.lineTo(3, 12);
        path.closeSubpath();
        p.drawPath(path);
        break;
    }
    case nbPost: {
        QPen pen(QColor(0x10, 0x70, 0x10), 2);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(3, 8), QPointF(7, 12));
        p.drawLine(QPointF(7, 12), QPointF(13, 4));
        break;
    }
    case nbCancel: {
        QPen pen(QColor(0xA0, 0x10, 0x10), 2);
        p.setPen(pen);
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    }
    case nbRefresh: {
        QPen pen(QColor(0x20, 0x30, 0x60), 2);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(3, 3, 10, 10), 60 * 16, 280 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x20, 0x30, 0x60));
        QPainterPath head;
        head.moveTo(10, 1);
        head.lineTo(14, 4);
        head.lineTo(10, 6);
        head.closeSubpath();
        p.drawPath(head);
        break;
    }
    }
    return QIcon(pixmap);
}

} // namespace

TDBNavigator::TDBNavigator(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = nbFirst; i <= nbRefresh; ++i) {
        auto *button = new QToolButton(this);
        button->setIcon(navigatorIcon(TNavigateBtn(i)));
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRaise(false);
        button->setFixedSize(24, 22);
        layout->addWidget(button);
        m_buttons[i] = button;
        connect(button, &QToolButton::clicked, this, [this, i] { BtnClick(TNavigateBtn(i)); });
    }
    layout->addStretch();
    SetHints({QStringLiteral("第一条"), QStringLiteral("上一条"), QStringLiteral("下一条"),
              QStringLiteral("最后一条"), QStringLiteral("增加"), QStringLiteral("删除"),
              QStringLiteral("修改"), QStringLiteral("保存"), QStringLiteral("取消"),
              QStringLiteral("刷新")});
    updateButtons();
}

TDBNavigator::~TDBNavigator()
{
    m_link.SetDataSource(nullptr);
}

void TDBNavigator::SetDataSource(TDataSource *dataSource)
{
    m_link.SetDataSource(dataSource);
    updateButtons();
}

void TDBNavigator::SetVisibleButtons(const QList<TNavigateBtn> &buttons)
{
    for (int i = nbFirst; i <= nbRefresh; ++i)
        m_buttons[i]->setVisible(buttons.contains(TNavigateBtn(i)));
}

void TDBNavigator::SetHints(const QStringList &hints)
{
    for (int i = nbFirst; i <= nbRefresh && i < hints.size(); ++i)
        m_buttons[i]->setToolTip(hints[i]);
}

void TDBNavigator::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        updateButtons();
}

void TDBNavigator::updateButtons()
{
    TClientDataSet *ds = m_link.Active() ? m_link.DataSet() : nullptr;
    const bool active = ds && isEnabled();
    const bool editing = active && (ds->State() == dsEdit || ds->State() == dsInsert);
    const bool canModify = active && ds->CanModify() && !m_link.ReadOnly();
    const int row = active ? ds->CurrentRow() : -1;
    const int rows = active ? ds->RowCount() : 0;
    const bool upEnabled = active && !editing && row > 0;
    const bool downEnabled = active && !editing && row >= 0 && row < rows - 1;
    m_buttons[nbFirst]->setEnabled(upEnabled);
    m_buttons[nbPrior]->setEnabled(upEnabled);
    m_buttons[nbNext]->setEnabled(downEnabled);
    m_buttons[nbLast]->setEnabled(downEnabled);
    m_buttons[nbInsert]->setEnabled(canModify);
    m_buttons[nbDelete]->setEnabled(canModify && !ds->IsEmpty());
    m_buttons[nbEdit]->setEnabled(canModify && !editing);
    m_buttons[nbPost]->setEnabled(canModify && editing);
    m_buttons[nbCancel]->setEnabled(canModify && editing);
    m_buttons[nbRefresh]->setEnabled(active && !editing);
}

void TDBNavigator::BtnClick(TNavigateBtn button)
{
    TClientDataSet *ds = m_link.Active() ? m_link.DataSet() : nullptr;
    if (!ds)
        return;
    const bool done = Guarded([&] {
        if (BeforeAction)
            BeforeAction(*this, button);
        switch (button) {
        case nbFirst:
            ds->First();
            break;
        case nbPrior:
            ds->Prior();
            break;
        case nbNext:
            ds->Next();
            break;
        case nbLast:
            ds->Last();
            break;
        case nbInsert:
            ds->Insert();
            break;
        case nbDelete:
            if (!m_confirmDelete ||
                MessageBox(QStringLiteral("删除记录吗？"), QStringLiteral("确认"),
                           TMsgIcon::Question, TMsgButtons::YesNo, mrNo) == mrYes)
                ds->Delete();
            break;
        case nbEdit:
            ds->Edit();
            break;
        case nbPost:
            ds->Post();
            break;
        case nbCancel:
            ds->Cancel();
            break;
        case nbRefresh:
            ds->Refresh();
            break;
        }
    });
    updateButtons();
    if (done && OnClick)
        Guarded([&] { OnClick(*this, button); });
}
