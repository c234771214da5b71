// The Chinese lunisolar calendar through ICU.
#include "client/common/lunar.h"

#include <QDateTime>
#include <QTimeZone>

#include <unicode/calendar.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>

#include <memory>

namespace {

const char16_t *const Stems[] = {u"甲", u"乙", u"丙", u"丁", u"戊",
                                 u"己", u"庚", u"辛", u"壬", u"癸"};
const char16_t *const Branches[] = {u"子", u"丑", u"寅", u"卯", u"辰", u"巳",
                                    u"午", u"未", u"申", u"酉", u"戌", u"亥"};
const char16_t *const Animals[] = {u"鼠", u"牛", u"虎", u"兔", u"龙", u"蛇",
                                   u"马", u"羊", u"猴", u"鸡", u"狗", u"猪"};
const char16_t *const Months[] = {u"正", u"二", u"三", u"四", u"五", u"六",
                                  u"七", u"八", u"九", u"十", u"冬", u"腊"};
const char16_t *const Digits[] = {u"一", u"二", u"三", u"四", u"五",
                                  u"六", u"七", u"八", u"九", u"十"};

QString text(const char16_t *chars)
{
    return QString::fromUtf16(chars);
}

} // namespace

TLunarDate LunarDateOf(QDate date)
{
    TLunarDate lunar;
    if (!date.isValid())
        return lunar;
    UErrorCode status = U_ZERO_ERROR;
    // Noon in China's time zone: the day as a Chinese calendar sees it.
    std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createTimeZone("Asia/Shanghai"));
    std::unique_ptr<icu::Calendar> calendar(icu::Calendar::createInstance(
        zone.release(), icu::Locale("zh_CN@calendar=chinese"), status));
    if (U_FAILURE(status) || !calendar)
        return lunar;
    const QDateTime noon(date, QTime(12, 0), QTimeZone(8 * 3600));
    calendar->setTime(UDate(noon.toMSecsSinceEpoch()), status);
    lunar.CycleYear = calendar->get(UCAL_YEAR, status);
    lunar.Month = calendar->get(UCAL_MONTH, status) + 1;
    lunar.LeapMonth = calendar->get(UCAL_IS_LEAP_MONTH, status) != 0;
    lunar.Day = calendar->get(UCAL_DATE, status);
    lunar.Valid = U_SUCCESS(status) && lunar.CycleYear >= 1 && lunar.CycleYear <= 60;
    return lunar;
}

QString SexagenaryYearName(int cycleYear)
{
    if (cycleYear < 1 || cycleYear > 60)
        return {};
    return text(Stems[(cycleYear - 1) % 10]) + text(Branches[(cycleYear - 1) % 12]);
}

QString ZodiacAnimal(int cycleYear)
{
    if (cycleYear < 1 || cycleYear > 60)
        return {};
    return text(Animals[(cycleYear - 1) % 12]);
}

QString LunarMonthName(const TLunarDate &date)
{
    if (date.Month < 1 || date.Month > 12)
        return {};
    return (date.LeapMonth ? QStringLiteral("闰") : QString()) + text(Months[date.Month - 1]) +
           QStringLiteral("月");
}

QString LunarDayName(int day)
{
    if (day < 1 || day > 30)
        return {};
    if (day <= 10)
        return QStringLiteral("初") + text(Digits[day - 1]);
    if (day < 20)
        return QStringLiteral("十") + text(Digits[day - 11]);
    if (day == 20)
        return QStringLiteral("二十");
    if (day < 30)
        return QStringLiteral("廿") + text(Digits[day - 21]);
    return QStringLiteral("三十");
}

QString LunarCellText(const TLunarDate &date)
{
    if (!date.Valid)
        return {};
    return date.Day == 1 ? LunarMonthName(date) : LunarDayName(date.Day);
}

QString LunarDateText(const TLunarDate &date)
{
    if (!date.Valid)
        return {};
    return QStringLiteral("农历") + SexagenaryYearName(date.CycleYear) + QStringLiteral("年") +
           LunarMonthName(date) + LunarDayName(date.Day);
}
