// Chinese lunar dates of Gregorian days, from ICU's Chinese calendar: the sexagenary year and
// its zodiac animal, the month (leap months marked) and the day, with their Chinese names.
#pragma once

#include <QDate>
#include <QString>

#include <unicode/uversion.h>

#include <memory>

U_NAMESPACE_BEGIN
class Calendar;
U_NAMESPACE_END

struct TLunarDate
{
    int YearInCycle = 0; // 1 (甲子) to 60 (癸亥); 0 for no date
    int Month = 0;       // 1 (正月) to 12 (腊月)
    bool LeapMonth = false;
    int Day = 0; // 1 to 30

    bool IsValid() const { return YearInCycle > 0; }
    QString YearName() const;  // "丙午"
    QString Zodiac() const;    // "马"
    QString MonthName() const; // "正月", "闰二月", "冬月", "腊月"
    QString DayName() const;   // "初一", "十五", "廿七", "三十"
    // What a month view shows under the day: the month's name on its first day, else the day.
    QString CellText() const;
    // "丙午年 十月廿八"
    QString Text() const;
};

// Converts dates; holds one ICU calendar, so a month view converts its 42 days cheaply.
class TLunarCalendar
{
public:
    TLunarCalendar();
    ~TLunarCalendar();
    TLunarCalendar(const TLunarCalendar &) = delete;
    TLunarCalendar &operator=(const TLunarCalendar &) = delete;

    // An invalid date for an invalid day or one ICU cannot convert.
    TLunarDate DateOf(const QDate &day) const;

private:
    std::unique_ptr<icu::Calendar> m_calendar;
};
