// The perpetual calendar window.
#include "client/forms/calendar.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const char16_t *const Weekdays[] = {u"星期一", u"星期二", u"星期三", u"星期四",
                                    u"星期五", u"星期六", u"星期日"};

// The month view: the day's number, and under it its lunar day, or the lunar month's name on
// the month's first day.
class LunarMonthView : public QCalendarWidget
{
public:
    LunarMonthView(const TLunarCalendar &lunar, QWidget *parent)
        : QCalendarWidget(parent)
        , m_lunar(lunar)
    {
        setLocale(QLocale(QLocale::Chinese, QLocale::China));
        setFirstDayOfWeek(Qt::Monday);
        setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
        setGridVisible(true);
        setMinimumSize(560, 400);
    }

protected:
    void paintCell(QPainter *painter, const QRect &rect, QDate date) const override
    {
        painter->save();
        const bool selected = date == selectedDate();
        const bool inMonth = date.month() == monthShown();
        const QPalette &colors = palette();
        painter->fillRect(rect, selected ? colors.highlight() : colors.base());
        QColor dayColor = date.dayOfWeek() >= 6 ? QColor(0xC0, 0, 0) : colors.text().color();
        if (selected)
            dayColor = colors.highlightedText().color();
        if (!inMonth)
            dayColor = QColor(0xA0, 0xA0, 0xA0);
        const QRect top(rect.left(), rect.top() + 2, rect.width(), rect.height() / 2);
        const QRect bottom(rect.left(), rect.top() + rect.height() / 2, rect.width(),
                           rect.height() / 2 - 2);
        QFont font = painter->font();
        font.setPixelSize(qMax(12, rect.height() / 3));
        font.setBold(date == QDate::currentDate());
        painter->setFont(font);
        painter->setPen(dayColor);
        painter->drawText(top, Qt::AlignCenter, QString::number(date.day()));
        const TLunarDate lunar = m_lunar.DateOf(date);
        font.setPixelSize(12);
        font.setBold(false);
        painter->setFont(font);
        // The first day of a lunar month stands out, as on a paper calendar.
        painter->setPen(lunar.Day == 1 && inMonth && !selected ? QColor(0xC0, 0, 0) : dayColor);
        painter->drawText(bottom, Qt::AlignCenter, lunar.CellText());
        painter->restore();
    }

private:
    const TLunarCalendar &m_lunar;
};

} // namespace

TfrmCalendar::TfrmCalendar(QWidget *parent)
    : TFrmRoot(parent)
{
    setWindowTitle(QStringLiteral("万年历"));
    m_monthView = new LunarMonthView(m_lunar, this);
    m_today = new QPushButton(QStringLiteral("今天(&T)"), this);
    m_dayLabel = new QLabel(this);
    QFont font = m_dayLabel->font();
    font.setPixelSize(14);
    m_dayLabel->setFont(font);

    auto *top = new QHBoxLayout;
    top->addWidget(m_dayLabel, 1);
    top->addWidget(m_today);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_monthView, 1);

    connect(m_today, &QPushButton::clicked, this,
            [this] { SetSelectedDate(QDate::currentDate()); });
    connect(m_monthView, &QCalendarWidget::selectionChanged, this, [this] { updateDayText(); });
    SetSelectedDate(QDate::currentDate());
}

TfrmCalendar::~TfrmCalendar() = default;

QDate TfrmCalendar::SelectedDate() const
{
    return m_monthView->selectedDate();
}

void TfrmCalendar::SetSelectedDate(const QDate &day)
{
    if (!day.isValid())
        return;
    m_monthView->setSelectedDate(day);
    m_monthView->setCurrentPage(day.year(), day.month());
    updateDayText();
}

QString TfrmCalendar::DayText(const QDate &day, const TLunarDate &lunar)
{
    if (!day.isValid())
        return {};
    QString text = QStringLiteral("%1年%2月%3日 ").arg(day.year()).arg(day.month()).arg(day.day()) +
                   QString::fromUtf16(Weekdays[day.dayOfWeek() - 1]);
    if (lunar.IsValid())
        text += QStringLiteral(" 农历") + lunar.Text() + QStringLiteral(" (") + lunar.Zodiac() +
                QStringLiteral("年)");
    return text;
}

QString TfrmCalendar::DayText() const
{
    const QDate day = SelectedDate();
    return DayText(day, m_lunar.DateOf(day));
}

void TfrmCalendar::updateDayText()
{
    m_dayLabel->setText(DayText());
}

TfrmCalendar *ShowCalendar(const QDate &day)
{
    TfrmCalendar *form = nullptr;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        // A closed window is on its way out: it is released, not shown again.
        form = qobject_cast<TfrmCalendar *>(window);
        if (form && form->isVisible())
            break;
        form = nullptr;
    }
    if (!form)
        form = CreateForm<TfrmCalendar>();
    form->SetSelectedDate(day.isValid() ? day : QDate::currentDate());
    form->show();
    form->raise();
    form->activateWindow();
    return form;
}
