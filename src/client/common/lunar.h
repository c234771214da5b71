// Dates of the Chinese lunisolar calendar, as the perpetual calendar shows them beside the
// Gregorian ones: the sexagenary year with its animal, the month (leap months marked) and
// the day, from ICU's Chinese calendar.
#pragma once

#include <QDate>
#include <QString>

struct TLunarDate
{
    int CycleYear = 0; // 1..60 within the sexagenary cycle; 1 is 甲子
    int Month = 0;     // 1..12
    bool LeapMonth = false;
    int Day = 0; // 1..30
    bool Valid = false;
};

TLunarDate LunarDateOf(QDate date);

// "丙午" for the cycle year.
QString SexagenaryYearName(int cycleYear);
// "马" for the cycle year.
QString ZodiacAnimal(int cycleYear);
// "正月", "闰二月", ..., "腊月".
QString LunarMonthName(const TLunarDate &date);
// "初一" ... "初十", "十一" ... "二十", "廿一" ... "三十".
QString LunarDayName(int day);
// What a day cell shows under its number: the month's name on its first day, else the day.
QString LunarCellText(const TLunarDate &date);
// "农历丙午年十月廿七".
QString LunarDateText(const TLunarDate &date);
