// Plain controls of the forms.
#include "client/widgets/controls.h"

#include "client/data/formats.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>

namespace {

QIcon ellipsisButtonIcon()
{
    QPixmap pixmap(14, 14);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QColor(0x30, 0x30, 0x30));
    painter.setBrush(QColor(0x30, 0x30, 0x30));
    for (int i = 0; i < 3; ++i)
        painter.drawRect(2 + i * 4, 9, 1, 1);
    return QIcon(pixmap);
}

} // namespace

bool KeyFilterNumeric(QChar &key)
{
    if (key == QChar(8) || key == QLatin1Char('-') || key == QLatin1Char('.') ||
        (key >= QLatin1Char('0') && key <= QLatin1Char('9')))
        return true;
    key = QChar();
    QApplication::beep();
    return false;
}

TPanel::TPanel(QWidget *parent)
    : QFrame(parent)
{
    setAutoFillBackground(true);
    SetBevel(bvNone);
}

void TPanel::SetColor(const QColor &color)
{
    m_color = color;
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    setPalette(p);
}

void TPanel::SetBevel(TBevel bevel)
{
    switch (bevel) {
    case bvNone:
        setFrameShape(QFrame::NoFrame);
        break;
    case bvRaised:
        setFrameShape(QFrame::Panel);
        setFrameShadow(QFrame::Raised);
        break;
    case bvLowered:
        setFrameShape(QFrame::Panel);
        setFrameShadow(QFrame::Sunken);
        break;
    }
}

TButtonEdit::TButtonEdit(QWidget *parent)
    : QLineEdit(parent)
{
    m_button = addAction(ellipsisButtonIcon(), QLineEdit::TrailingPosition);
    m_button->setToolTip(QStringLiteral("选择"));
    connect(m_button, &QAction::triggered, this, &TButtonEdit::ButtonClick);
}

QColor TButtonEdit::Color() const
{
    return palette().color(QPalette::Base);
}

void TButtonEdit::SetColor(const QColor &color)
{
    QPalette p = palette();
    p.setColor(QPalette::Base, color);
    setPalette(p);
}

void TButtonEdit::SetButtonVisible(bool visible)
{
    m_button->setVisible(visible);
}

bool TButtonEdit::ButtonVisible() const
{
    return m_button->isVisible();
}

void TButtonEdit::ButtonClick()
{
    Q_EMIT buttonClicked();
    if (OnButtonClick)
        OnButtonClick(*this);
}

void TButtonEdit::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & Qt::ControlModifier) && ButtonVisible()) {
        ButtonClick();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TButtonEdit::mouseDoubleClickEvent(QMouseEvent *event)
{
    QLineEdit::mouseDoubleClickEvent(event);
    if (OnDblClick)
        OnDblClick(*this);
}

TNumericEdit::TNumericEdit(QWidget *parent)
    : QLineEdit(parent)
{
    setAlignment(Qt::AlignRight);
}

double TNumericEdit::Value() const
{
    double value = 0;
    return TryStrToFloat(text(), value) ? value : 0;
}

void TNumericEdit::SetValue(double value, const QString &format)
{
    setText(FormatFloat(format, value));
}

void TNumericEdit::keyPressEvent(QKeyEvent *event)
{
    const QString text = event->text();
    const bool editingKey = event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete;
    const bool shortcut = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
    if (!text.isEmpty() && text.at(0).isPrint() && !editingKey && !shortcut) {
        QChar key = text.at(0);
        if (!KeyFilterNumeric(key)) {
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

TDateTimePicker::TDateTimePicker(QWidget *parent)
    : QDateEdit(QDate::currentDate(), parent)
{
    setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    setCalendarPopup(true);
    setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("8888-88-88")) + 36);
}

TDateRangeEdit::TDateRangeEdit(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    m_check = new QCheckBox(this);
    m_check->hide();
    m_caption = new QLabel(QStringLiteral("日期："), this);
    m_from = new TDateTimePicker(this);
    m_to = new TDateTimePicker(this);
    auto *to = new QLabel(QStringLiteral("至"), this);
    layout->addWidget(m_check);
    layout->addWidget(m_caption);
    layout->addWidget(m_from);
    layout->addWidget(to);
    layout->addWidget(m_to);
    layout->addStretch();
    const QDate today = QDate::currentDate();
    m_from->setDate(QDate(today.year(), today.month(), 1));
    m_to->setDate(today);
    auto changed = [this] {
        Q_EMIT rangeChanged();
        if (OnChange)
            OnChange(*this);
    };
    connect(m_from, &QDateEdit::dateChanged, this, changed);
    connect(m_to, &QDateEdit::dateChanged, this, changed);
    connect(m_check, &QCheckBox::toggled, this, [this, changed](bool on) {
        m_from->setEnabled(on);
        m_to->setEnabled(on);
        changed();
    });
}

QDate TDateRangeEdit::From() const
{
    return m_from->date();
}

QDate TDateRangeEdit::To() const
{
    return m_to->date();
}

void TDateRangeEdit::SetRange(QDate from, QDate to)
{
    m_from->setDate(from);
    m_to->setDate(to);
}

void TDateRangeEdit::SetCaption(const QString &caption)
{
    m_caption->setText(caption);
}

void TDateRangeEdit::SetCheckable(bool checkable)
{
    m_check->setVisible(checkable);
    const bool on = !checkable || m_check->isChecked();
    m_from->setEnabled(on);
    m_to->setEnabled(on);
}

bool TDateRangeEdit::Checked() const
{
    return m_check->isHidden() || m_check->isChecked();
}

void TDateRangeEdit::SetChecked(bool checked)
{
    m_check->setChecked(checked);
}
