// The perpetual calendar (万年历): a month view with each day's Chinese lunar date under it,
// year and month navigation, a button back to today, and for the selected day a line with its
// weekday, lunar year (sexagenary name and zodiac animal), month and day. One window serves
// the whole client; it is modeless and released when closed.
#pragma once

#include "client/forms/lunardate.h"
#include "client/forms/rootform.h"

#include <QDate>

class QCalendarWidget;
class QLabel;
class QPushButton;

class TfrmCalendar : public TFrmRoot
{
    Q_OBJECT
public:
    explicit TfrmCalendar(QWidget *parent = nullptr);
    ~TfrmCalendar() override;

    QDate SelectedDate() const;
    void SetSelectedDate(const QDate &day);
    // "2026年12月6日 星期日 农历丙午年 十月廿八 (马年)"
    QString DayText() const;
    static QString DayText(const QDate &day, const TLunarDate &lunar);

    QCalendarWidget *MonthView() const { return m_monthView; }
    QPushButton *TodayButton() const { return m_today; }
    QLabel *DayLabel() const { return m_dayLabel; }

private:
    void updateDayText();

    TLunarCalendar m_lunar;
    QCalendarWidget *m_monthView;
    QPushButton *m_today;
    QLabel *m_dayLabel;
};

// Shows the calendar at a day: the window already open when there is one, else a new one.
TfrmCalendar *ShowCalendar(const QDate &day);
