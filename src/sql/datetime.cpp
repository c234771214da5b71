// Date reading and writing for the canonical storage form.
#include "sql/datetime.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <vector>

namespace sql {

namespace {

bool isLeap(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeap(year) ? 29 : days[month - 1];
}

bool validDate(const DateTimeParts &p)
{
    return p.year >= 100 && p.year <= 9999 && p.month >= 1 && p.month <= 12 && p.day >= 1 &&
           p.day <= daysInMonth(p.year, p.month);
}

bool validTime(const DateTimeParts &p)
{
    return p.hour >= 0 && p.hour <= 23 && p.minute >= 0 && p.minute <= 59 && p.second >= 0 &&
           p.second <= 59;
}

// Days since 1970-01-01 of a civil date, and back (H. Hinnant's algorithms).
long long daysFromCivil(int y, int m, int d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(long long z, int &y, int &m, int &d)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = int(yoe + era * 400 + (m <= 2));
}

// A small cursor over the text.
struct Reader
{
    std::string_view text;
    size_t pos = 0;

    bool atEnd() const { return pos >= text.size(); }
    char peek() const { return atEnd() ? '\0' : text[pos]; }
    void skipBlanks()
    {
        while (!atEnd() && std::isspace(static_cast<unsigned char>(text[pos])))
            ++pos;
    }
    // Reads up to maxDigits digits; returns the count read.
    int number(int &value, int maxDigits)
    {
        value = 0;
        int count = 0;
        while (!atEnd() && count < maxDigits && std::isdigit(static_cast<unsigned char>(peek()))) {
            value = value * 10 + (text[pos] - '0');
            ++pos;
            ++count;
        }
        return count;
    }
};

bool readTime(Reader &r, DateTimeParts &p)
{
    if (r.number(p.hour, 2) == 0 || r.peek() != ':')
        return false;
    ++r.pos;
    if (r.number(p.minute, 2) != 2)
        return false;
    if (r.peek() == ':') {
        ++r.pos;
        if (r.number(p.second, 2) != 2)
            return false;
        if (r.peek() == '.') { // fractions of a second are dropped
            ++r.pos;
            int ignored;
            while (r.number(ignored, 9) > 0) {
            }
        }
    }
    r.skipBlanks();
    if (!r.atEnd()) {
        const std::string_view rest = r.text.substr(r.pos);
        auto is = [&](const char *word) {
            if (rest.size() != 2)
                return false;
            return std::toupper(static_cast<unsigned char>(rest[0])) == word[0] &&
                   std::toupper(static_cast<unsigned char>(rest[1])) == word[1];
        };
        if (is("AM") || is("PM")) {
            if (p.hour < 1 || p.hour > 12)
                return false;
            if (is("PM") && p.hour != 12)
                p.hour += 12;
            else if (is("AM") && p.hour == 12)
                p.hour = 0;
            r.pos = r.text.size();
        }
    }
    return validTime(p);
}

} // namespace

std::optional<DateTimeParts> parseDateTime(std::string_view text, DateOrder order)
{
    Reader r{text};
    r.skipBlanks();
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    r.text = text;

    DateTimeParts p;
    const size_t start = r.pos;
    int first;
    const int firstDigits = r.number(first, 8);
    if (firstDigits == 0)
        return std::nullopt;

    if (r.peek() == ':') { // a time alone
        r.pos = start;
        p.year = 1899;
        p.month = 12;
        p.day = 30;
        if (!readTime(r, p) || !r.atEnd())
            return std::nullopt;
        return p;
    }

    if (firstDigits == 8 && (r.atEnd() || r.peek() == ' ' || r.peek() == 'T')) {
        p.year = first / 10000;
        p.month = first / 100 % 100;
        p.day = first % 100;
    } else {
        const char separator = r.peek();
        if (separator != '-' && separator != '/' && separator != '.')
            return std::nullopt;
        ++r.pos;
        int second, third;
        if (r.number(second, 2) == 0 || r.peek() != separator)
            return std::nullopt;
        ++r.pos;
        const int thirdDigits = r.number(third, 4);
        if (thirdDigits == 0)
            return std::nullopt;
        if (firstDigits == 4) {
            if (thirdDigits > 2)
                return std::nullopt;
            p.year = first;
            p.month = second;
            p.day = third;
        } else if (firstDigits <= 2 && (thirdDigits == 4 || thirdDigits == 2)) {
            p.year = third;
            if (thirdDigits == 2) // Jet's window: 00-29 are 2000s, 30-99 are 1900s
                p.year += third < 30 ? 2000 : 1900;
            p.month = order == DateOrder::MonthFirst ? first : second;
            p.day = order == DateOrder::MonthFirst ? second : first;
        } else {
            return std::nullopt;
        }
    }
    if (!validDate(p))
        return std::nullopt;
    if (r.atEnd())
        return p;
    if (r.peek() != ' ' && r.peek() != 'T')
        return std::nullopt;
    ++r.pos;
    r.skipBlanks();
    if (!readTime(r, p) || !r.atEnd())
        return std::nullopt;
    return p;
}

std::string formatCanonical(const DateTimeParts &p)
{
    char buffer[32];
    if (p.hour == 0 && p.minute == 0 && p.second == 0)
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", p.year, p.month, p.day);
    else
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month,
                      p.day, p.hour, p.minute, p.second);
    return buffer;
}

std::optional<std::string> canonicalDateTime(std::string_view text, DateOrder order)
{
    auto parts = parseDateTime(text, order);
    if (!parts)
        return std::nullopt;
    return formatCanonical(*parts);
}

std::optional<std::string> dateTimeFromSerial(double days)
{
    if (!std::isfinite(days) || std::fabs(days) > 3.0e6)
        return std::nullopt;
    // Jet keeps the time of day as the absolute fraction, also before day zero.
    double whole = std::trunc(days);
    long long seconds = std::llround(std::fabs(days - whole) * 86400.0);
    if (seconds >= 86400) {
        seconds -= 86400;
        whole += days < 0 ? -1 : 1;
    }
    const long long day = daysFromCivil(1899, 12, 30) + (long long)whole;
    DateTimeParts p;
    civilFromDays(day, p.year, p.month, p.day);
    if (p.year < 100 || p.year > 9999)
        return std::nullopt;
    p.hour = int(seconds / 3600);
    p.minute = int(seconds / 60 % 60);
    p.second = int(seconds % 60);
    return formatCanonical(p);
}

bool isCanonicalDateTime(std::string_view text)
{
    if (text.size() != 10 && text.size() != 19)
        return false;
    auto canonical = canonicalDateTime(text);
    return canonical && *canonical == text;
}

} // namespace sql
