// Lunar dates through ICU's Chinese calendar.
#include "client/forms/lunardate.h"

#include <unicode/calendar.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>

namespace {

const char16_t Stems[] = u"甲乙丙丁戊己庚辛壬癸";
const char16_t Branches[] = u"子丑寅卯辰巳午未申酉戌亥";
const char16_t Animals[] = u"鼠牛虎兔龙蛇马羊猴鸡狗猪";
const char16_t *const MonthNames[] = {u"正", u"二", u"三", u"四", u"五", u"六",
                                      u"七", u"八", u"九", u"十", u"冬", u"腊"};
const char16_t Digits[] = u"一二三四五六七八九十";

} // namespace

QString TLunarDate::YearName() const
{
    if (!IsValid())
        return {};
    return QString(QChar(Stems[(YearInCycle - 1) % 10])) + QChar(Branches[(YearInCycle - 1) % 12]);
}

QString TLunarDate::Zodiac() const
{
    return IsValid() ? QString(QChar(Animals[(YearInCycle - 1) % 12])) : QString();
}

QString TLunarDate::MonthName() const
{
    if (!IsValid())
        return {};
    return (LeapMonth ? QStringLiteral("闰") : QString()) +
           QString::fromUtf16(MonthNames[Month - 1]) + QStringLiteral("月");
}

QString TLunarDate::DayName() const
{
    if (!IsValid())
        return {};
    if (Day == 10)
        return QStringLiteral("初十");
    if (Day == 20)
        return QStringLiteral("二十");
    if (Day == 30)
        return QStringLiteral("三十");
    static const char16_t *const Tens[] = {u"初", u"十", u"廿"};
    return QString::fromUtf16(Tens[Day / 10]) + QChar(Digits[Day % 10 - 1]);
}

QString TLunarDate::CellText() const
{
    return Day == 1 ? MonthName() : DayName();
}

QString TLunarDate::Text() const
{
    if (!IsValid())
        return {};
    return YearName() + QStringLiteral("年 ") + MonthName() + DayName();
}

TLunarCalendar::TLunarCalendar()
{
    UErrorCode status = U_ZERO_ERROR;
    // Midday in UTC of a day is that day here, whatever zone the machine is in.
    m_calendar.reset(icu::Calendar::createInstance(icu::TimeZone::getGMT()->clone(),
                                                   icu::Locale("zh@calendar=chinese"), status));
    if (U_FAILURE(status))
        m_calendar.reset();
}

TLunarCalendar::~TLunarCalendar() = default;

TLunarDate TLunarCalendar::DateOf(const QDate &day) const
{
    TLunarDate result;
    if (!m_calendar || !day.isValid())
        return result;
    // Days from 1970-01-01 (Julian day 2440588) to the day's noon, in milliseconds.
    const double millis = double(day.toJulianDay() - 2440588) * 86400000.0 + 43200000.0;
    UErrorCode status = U_ZERO_ERROR;
    m_calendar->setTime(millis, status);
    const int year = m_calendar->get(UCAL_YEAR, status);
    const int month = m_calendar->get(UCAL_MONTH, status);
    const int leap = m_calendar->get(UCAL_IS_LEAP_MONTH, status);
    const int date = m_calendar->get(UCAL_DATE, status);
    if (U_FAILURE(status) || year < 1 || year > 60 || month < 0 || month > 11 || date < 1 ||
        date > 30)
        return result;
    result.YearInCycle = year;
    result.Month = month + 1;
    result.LeapMonth = leap != 0;
    result.Day = date;
    return result;
}
