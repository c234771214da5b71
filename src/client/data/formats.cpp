// Number and date texts: FormatFloat masks, the general float text, date-time masks, parsing.
#include "client/data/formats.h"

#include "client/data/dbtypes.h"

#include <QLocale>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

// A number as decimal digits: value = 0.d1d2d3... x 10^exponent, digits without trailing
// zeros; no digits means zero.
struct Decimal
{
    bool negative = false;
    std::string digits;
    int exponent = 0;
    bool isZero() const { return digits.empty(); }
};

constexpr int FloatPrecision = 15;

Decimal toDecimal(double value, int precision = FloatPrecision)
{
    Decimal d;
    d.negative = std::signbit(value) && value != 0;
    if (value == 0)
        return d;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*e", precision - 1, std::fabs(value));
    const char *p = buffer;
    for (; *p && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9')
            d.digits.push_back(*p);
    }
    d.exponent = std::atoi(p + 1) + 1;
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    if (d.digits.empty())
        d.exponent = 0;
    return d;
}

// Keeps `keep` significant digits, rounding half away from zero.
void roundDigits(Decimal &d, int keep)
{
    if (keep >= int(d.digits.size()))
        return;
    if (keep < 0) {
        d.digits.clear();
        d.exponent = 0;
        return;
    }
    const bool up = d.digits[size_t(keep)] >= '5';
    d.digits.resize(size_t(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[size_t(i)] == '9') {
            d.digits[size_t(i)] = '0';
            --i;
        }
        if (i < 0) {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        } else {
            ++d.digits[size_t(i)];
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    if (d.digits.empty())
        d.exponent = 0;
}

void roundDecimals(Decimal &d, int decimals)
{
    roundDigits(d, d.exponent + decimals);
}

// Digit i (0-based from the first significant one), '0' beyond the stored ones.
char digitAt(const Decimal &d, int i)
{
    return i >= 0 && i < int(d.digits.size()) ? d.digits[size_t(i)] : '0';
}

std::string integerDigits(const Decimal &d)
{
    std::string s;
    for (int i = 0; i < d.exponent; ++i)
        s.push_back(digitAt(d, i));
    return s;
}

std::string fractionDigits(const Decimal &d, int count)
{
    std::string s;
    for (int i = 0; i < count; ++i)
        s.push_back(digitAt(d, d.exponent + i));
    return s;
}

QList<QStringView> splitSections(QStringView format)
{
    QList<QStringView> sections;
    qsizetype start = 0;
    QChar quote;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u';') {
            sections.append(format.mid(start, i - start));
            start = i + 1;
        }
    }
    sections.append(format.mid(start));
    return sections;
}

struct SectionInfo
{
    int intCount = 0; // digit placeholders before the decimal point
    int intMin = 0;   // digits shown at least (from the first '0')
    int decCount = 0; // digit placeholders after the decimal point
    int decMin = 0;   // decimals shown at least (up to the last '0')
    bool thousands = false;
    bool hasPoint = false;
    bool scientific = false;
};

bool isExponentAt(QStringView s, qsizetype i)
{
    return (s[i] == u'E' || s[i] == u'e') && i + 1 < s.size() &&
           (s[i + 1] == u'+' || s[i + 1] == u'-');
}

SectionInfo scanSection(QStringView s)
{
    SectionInfo info;
    int firstZero = -1;
    QChar quote;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (info.scientific) {
            continue; // exponent placeholders
        } else if (c == u'0' || c == u'#') {
            if (!info.hasPoint) {
                if (c == u'0' && firstZero < 0)
                    firstZero = info.intCount;
                ++info.intCount;
            } else {
                ++info.decCount;
                if (c == u'0')
                    info.decMin = info.decCount;
            }
        } else if (c == u'.') {
            info.hasPoint = true;
        } else if (c == u',') {
            info.thousands = true;
        } else if (isExponentAt(s, i)) {
            info.scientific = true;
        }
    }
    if (firstZero >= 0)
        info.intMin = info.intCount - firstZero;
    return info;
}

QString renderFixed(QStringView s, const SectionInfo &info, const Decimal &value)
{
    std::string intDigits = integerDigits(value);
    if (int(intDigits.size()) < info.intMin)
        intDigits.insert(0, size_t(info.intMin - int(intDigits.size())), '0');
    std::string fraction = fractionDigits(value, info.decCount);
    while (int(fraction.size()) > info.decMin && fraction.back() == '0')
        fraction.pop_back();

    QString out;
    const int leading = int(intDigits.size()) - info.intCount;
    auto emitInteger = [&](int j) {
        out.append(QLatin1Char(intDigits[size_t(j)]));
        const int remaining = int(intDigits.size()) - j - 1;
        if (info.thousands && remaining > 0 && remaining % 3 == 0)
            out.append(u',');
    };
    int intSeen = 0;
    int decSeen = 0;
    bool pointSeen = false;
    QChar quote;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                out.append(c);
            continue;
        }
        if (c == u'\'' || c == u'"') {
            quote = c;
        } else if ((c == u'0' || c == u'#') && !pointSeen) {
            const int k = intSeen++;
            if (k == 0) {
                for (int j = 0; j < leading; ++j)
                    emitInteger(j);
            }
            if (leading + k >= 0)
                emitInteger(leading + k);
        } else if ((c == u'0' || c == u'#') && pointSeen) {
            const int k = decSeen++;
            if (k < int(fraction.size()))
                out.append(QLatin1Char(fraction[size_t(k)]));
        } else if (c == u'.' && !pointSeen) {
            pointSeen = true;
            if (info.intCount == 0) {
                // No integer placeholders: the integer digits stand before the point.
                for (char digit : integerDigits(value))
                    out.append(QLatin1Char(digit));
            }
            if (!fraction.empty())
                out.append(u'.');
        } else if (c == u'.' || c == u',') {
            continue;
        } else {
            out.append(c);
        }
    }
    return out;
}

QString renderScientific(QStringView s, const SectionInfo &info, Decimal value)
{
    const int intPlaces = std::max(1, info.intCount);
    int exponent = 0;
    if (!value.isZero()) {
        roundDigits(value, std::min(FloatPrecision, intPlaces + info.decCount));
        if (!value.isZero()) {
            exponent = value.exponent - intPlaces;
            value.exponent = intPlaces;
        }
    }
    std::string intDigits = integerDigits(value);
    while (intDigits.size() > 1 && intDigits.front() == '0' && int(intDigits.size()) > info.intMin)
        intDigits.erase(intDigits.begin());
    std::string fraction = fractionDigits(value, info.decCount);
    while (int(fraction.size()) > info.decMin && fraction.back() == '0')
        fraction.pop_back();

    QString out;
    bool pointSeen = false;
    bool mantissaDone = false;
    int decSeen = 0;
    QChar quote;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                out.append(c);
            continue;
        }
        if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (isExponentAt(s, i)) {
            if (!mantissaDone) {
                for (char digit : intDigits)
                    out.append(QLatin1Char(digit));
                mantissaDone = true;
            }
            out.append(c);
            const bool alwaysSign = s[i + 1] == u'+';
            if (exponent < 0)
                out.append(u'-');
            else if (alwaysSign)
                out.append(u'+');
            ++i;
            int minDigits = 0;
            while (i + 1 < s.size() && (s[i + 1] == u'0' || s[i + 1] == u'#')) {
                if (s[i + 1] == u'0')
                    ++minDigits;
                ++i;
            }
            QString digits = QString::number(std::abs(exponent));
            while (digits.size() < minDigits)
                digits.prepend(u'0');
            out.append(digits);
        } else if ((c == u'0' || c == u'#') && !pointSeen) {
            if (!mantissaDone) {
                for (char digit : intDigits)
                    out.append(QLatin1Char(digit));
                mantissaDone = true;
            }
        } else if ((c == u'0' || c == u'#') && pointSeen) {
            const int k = decSeen++;
            if (k < int(fraction.size()))
                out.append(QLatin1Char(fraction[size_t(k)]));
        } else if (c == u'.' && !pointSeen) {
            pointSeen = true;
            if (!mantissaDone) {
                for (char digit : intDigits)
                    out.append(QLatin1Char(digit));
                mantissaDone = true;
            }
            if (!fraction.empty())
                out.append(u'.');
        } else if (c == u'.' || c == u',') {
            continue;
        } else {
            out.append(c);
        }
    }
    return out;
}

QString generalText(const Decimal &d)
{
    if (d.isZero())
        return QStringLiteral("0");
    QString out;
    if (d.negative)
        out.append(u'-');
    if (d.exponent > FloatPrecision || d.exponent < -4) {
        out.append(QLatin1Char(d.digits[0]));
        if (d.digits.size() > 1) {
            out.append(u'.');
            out.append(QLatin1StringView(d.digits.data() + 1, qsizetype(d.digits.size() - 1)));
        }
        out.append(u'E');
        out.append(QString::number(d.exponent - 1));
        return out;
    }
    if (d.exponent <= 0) {
        out.append(u"0.");
        out.append(QString(-d.exponent, u'0'));
        out.append(QLatin1StringView(d.digits.data(), qsizetype(d.digits.size())));
        return out;
    }
    for (int i = 0; i < d.exponent; ++i)
        out.append(QLatin1Char(digitAt(d, i)));
    if (int(d.digits.size()) > d.exponent) {
        out.append(u'.');
        out.append(QLatin1StringView(d.digits.data() + d.exponent,
                                     qsizetype(d.digits.size()) - d.exponent));
    }
    return out;
}

} // namespace

QString FloatToStr(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    return generalText(toDecimal(value));
}

double RoundTo(double value, int decimals)
{
    if (!std::isfinite(value))
        return value;
    Decimal d = toDecimal(value);
    roundDecimals(d, decimals);
    if (d.isZero())
        return 0;
    std::string text = d.negative ? "-0." : "0.";
    text += d.digits;
    text += 'e';
    text += std::to_string(d.exponent);
    double result = 0;
    std::from_chars(text.data(), text.data() + text.size(), result);
    return result;
}

QString FormatFloat(QStringView format, double value)
{
    if (std::isnan(value) || std::isinf(value))
        return FloatToStr(value);
    const QList<QStringView> sections = splitSections(format);
    Decimal decimal = toDecimal(value);
    auto usable = [&](int index) {
        return index < sections.size() && !sections[index].isEmpty();
    };
    int index = decimal.isZero() ? 2 : (decimal.negative ? 1 : 0);
    if (!usable(index))
        index = 0;
    if (sections[0].isEmpty() && index == 0)
        return FloatToStr(value);

    SectionInfo info = scanSection(sections[index]);
    if (info.scientific) {
        const QString text = renderScientific(sections[index], info, decimal);
        return decimal.negative && index == 0 ? u'-' + text : text;
    }
    roundDecimals(decimal, info.decCount);
    if (decimal.isZero() && index != 2) {
        // Rounded away to nothing: no minus sign, and the zero section when there is one.
        decimal.negative = false;
        if (usable(2)) {
            index = 2;
            info = scanSection(sections[index]);
        } else if (index == 1) {
            index = 0;
            info = scanSection(sections[index]);
        }
    }
    const QString text = renderFixed(sections[index], info, decimal);
    return decimal.negative && index == 0 ? u'-' + text : text;
}

// --- Parsing ---------------------------------------------------------------------------------

bool TryStrToFloat(QStringView text, double &value)
{
    text = text.trimmed();
    std::string ascii;
    ascii.reserve(size_t(text.size()));
    qsizetype i = 0;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-')
            ascii.push_back('-');
        ++i;
    }
    int digits = 0;
    int groupDigits = -1; // digits since the last ',' (-1: no ',' seen)
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c >= u'0' && c <= u'9') {
            ascii.push_back(char(c.unicode()));
            ++digits;
            if (groupDigits >= 0)
                ++groupDigits;
        } else if (c == u',' && digits > 0 && (groupDigits < 0 || groupDigits == 3)) {
            groupDigits = 0;
        } else {
            break;
        }
    }
    if (groupDigits >= 0 && groupDigits != 3)
        return false;
    if (i < text.size() && text[i] == u'.') {
        ascii.push_back('.');
        for (++i; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
            ascii.push_back(char(text[i].unicode()));
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        ascii.push_back('e');
        ++i;
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
            ascii.push_back(char(text[i++].unicode()));
        int expDigits = 0;
        for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i, ++expDigits)
            ascii.push_back(char(text[i].unicode()));
        if (expDigits == 0)
            return false;
    }
    if (i != text.size())
        return false;
    double result = 0;
    const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), result);
    if (error != std::errc() || end != ascii.data() + ascii.size())
        return false;
    value = result;
    return true;
}

double StrToFloat(QStringView text)
{
    double value = 0;
    if (!TryStrToFloat(text, value))
        throw EConvertError(
            QStringLiteral("'%1' is not a valid floating point value").arg(text.toString()));
    return value;
}

bool TryStrToInt64(QStringView text, qint64 &value)
{
    text = text.trimmed();
    QString plain;
    plain.reserve(text.size());
    int groupDigits = -1;
    int digits = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (i == 0 && (c == u'+' || c == u'-')) {
            plain.append(c);
        } else if (c >= u'0' && c <= u'9') {
            plain.append(c);
            ++digits;
            if (groupDigits >= 0)
                ++groupDigits;
        } else if (c == u',' && digits > 0 && (groupDigits < 0 || groupDigits == 3)) {
            groupDigits = 0;
        } else {
            return false;
        }
    }
    if (digits == 0 || (groupDigits >= 0 && groupDigits != 3))
        return false;
    bool ok = false;
    const qint64 result = plain.toLongLong(&ok);
    if (ok)
        value = result;
    return ok;
}

qint64 StrToInt64(QStringView text)
{
    qint64 value = 0;
    if (!TryStrToInt64(text, value))
        throw EConvertError(
            QStringLiteral("'%1' is not a valid integer value").arg(text.toString()));
    return value;
}

// --- Dates -----------------------------------------------------------------------------------

namespace {

const QLocale &nameLocale()
{
    static const QLocale locale(QLocale::Chinese, QLocale::China);
    return locale;
}

int countRun(QStringView format, qsizetype i, QChar letter)
{
    int n = 0;
    while (i + n < format.size() && format[i + n].toLower() == letter)
        ++n;
    return n;
}

QString pad(int value, int width)
{
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

bool startsWithCI(QStringView s, qsizetype i, QStringView what)
{
    return s.mid(i).startsWith(what, Qt::CaseInsensitive);
}

void formatInto(QString &out, QStringView format, QDate date, QTime time, int depth)
{
    // 12-hour clock when the mask has an am/pm marker anywhere.
    const bool twelveHour = format.contains(u"am/pm", Qt::CaseInsensitive) ||
                            format.contains(u"a/p", Qt::CaseInsensitive) ||
                            format.contains(u"ampm", Qt::CaseInsensitive);
    bool afterHour = false;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        const QChar lower = c.toLower();
        if (c == u'\'' || c == u'"') {
            const qsizetype end = format.indexOf(c, i + 1);
            const qsizetype stop = end < 0 ? format.size() : end;
            out.append(format.mid(i + 1, stop - i - 1));
            i = stop + 1;
            continue;
        }
        if (lower == u'y') {
            const int n = countRun(format, i, u'y');
            out.append(n <= 2 ? pad(date.year() % 100, 2) : pad(date.year(), 4));
            i += n;
            afterHour = false;
        } else if (lower == u'm') {
            const int n = countRun(format, i, u'm');
            if (afterHour && n <= 2) {
                out.append(n == 1 ? QString::number(time.minute()) : pad(time.minute(), 2));
            } else if (n == 1) {
                out.append(QString::number(date.month()));
            } else if (n == 2) {
                out.append(pad(date.month(), 2));
            } else if (n == 3) {
                out.append(nameLocale().monthName(date.month(), QLocale::ShortFormat));
            } else {
                out.append(nameLocale().monthName(date.month(), QLocale::LongFormat));
            }
            i += n;
            afterHour = false;
        } else if (lower == u'd') {
            const int n = countRun(format, i, u'd');
            if (n == 1)
                out.append(QString::number(date.day()));
            else if (n == 2)
                out.append(pad(date.day(), 2));
            else if (n == 3)
                out.append(nameLocale().dayName(date.dayOfWeek(), QLocale::ShortFormat));
            else if (n == 4)
                out.append(nameLocale().dayName(date.dayOfWeek(), QLocale::LongFormat));
            else if (depth < 2)
                formatInto(out, ShortDateFormat, date, time, depth + 1);
            i += n;
            afterHour = false;
        } else if (lower == u'h') {
            const int n = countRun(format, i, u'h');
            int hour = time.hour();
            if (twelveHour) {
                hour %= 12;
                if (hour == 0)
                    hour = 12;
            }
            out.append(n == 1 ? QString::number(hour) : pad(hour, 2));
            i += n;
            afterHour = true;
        } else if (lower == u'n') {
            const int n = countRun(format, i, u'n');
            out.append(n == 1 ? QString::number(time.minute()) : pad(time.minute(), 2));
            i += n;
            afterHour = false;
        } else if (lower == u's') {
            const int n = countRun(format, i, u's');
            out.append(n == 1 ? QString::number(time.second()) : pad(time.second(), 2));
            i += n;
            afterHour = false;
        } else if (lower == u'z') {
            const int n = countRun(format, i, u'z');
            out.append(n < 3 ? QString::number(time.msec()) : pad(time.msec(), 3));
            i += n;
        } else if (lower == u't') {
            const int n = countRun(format, i, u't');
            if (depth < 2)
                formatInto(out, n == 1 ? QStringView(u"hh:nn") : LongTimeFormat, date, time,
                           depth + 1);
            i += n;
        } else if (lower == u'c') {
            if (depth < 2) {
                formatInto(out, ShortDateFormat, date, time, depth + 1);
                if (time.msecsSinceStartOfDay() != 0) {
                    out.append(u' ');
                    formatInto(out, LongTimeFormat, date, time, depth + 1);
                }
            }
            ++i;
        } else if (startsWithCI(format, i, u"am/pm")) {
            const bool upper = c.isUpper();
            const QString marker = time.hour() < 12 ? QStringLiteral("am") : QStringLiteral("pm");
            out.append(upper ? marker.toUpper() : marker);
            i += 5;
        } else if (startsWithCI(format, i, u"a/p")) {
            const QString marker = time.hour() < 12 ? QStringLiteral("a") : QStringLiteral("p");
            out.append(c.isUpper() ? marker.toUpper() : marker);
            i += 3;
        } else if (startsWithCI(format, i, u"ampm")) {
            out.append(time.hour() < 12 ? nameLocale().amText() : nameLocale().pmText());
            i += 4;
        } else if (c == u'/') {
            out.append(u'-');
            ++i;
        } else {
            out.append(c);
            ++i;
        }
    }
}

// Reads 1..maxDigits digits at i.
bool readNumber(QStringView s, qsizetype &i, int maxDigits, int &value)
{
    int n = 0;
    value = 0;
    while (i < s.size() && n < maxDigits && s[i] >= u'0' && s[i] <= u'9') {
        value = value * 10 + (s[i].unicode() - '0');
        ++i;
        ++n;
    }
    return n > 0;
}

bool parseDatePart(QStringView s, qsizetype &i, QDate &date)
{
    int year = 0, month = 0, day = 0;
    const qsizetype start = i;
    if (!readNumber(s, i, 4, year) || i - start < 4 || i >= s.size())
        return false;
    const QChar sep = s[i];
    if (sep != u'-' && sep != u'/' && sep != u'.')
        return false;
    ++i;
    if (!readNumber(s, i, 2, month) || i >= s.size() || s[i] != sep)
        return false;
    ++i;
    if (!readNumber(s, i, 2, day))
        return false;
    date = QDate(year, month, day);
    return date.isValid();
}

bool parseTimePart(QStringView s, qsizetype &i, QTime &time)
{
    int hour = 0, minute = 0, second = 0, msec = 0;
    if (!readNumber(s, i, 2, hour) || i >= s.size() || s[i] != u':')
        return false;
    ++i;
    if (!readNumber(s, i, 2, minute))
        return false;
    if (i < s.size() && s[i] == u':') {
        ++i;
        if (!readNumber(s, i, 2, second))
            return false;
        if (i < s.size() && s[i] == u'.') {
            ++i;
            const qsizetype start = i;
            if (!readNumber(s, i, 3, msec))
                return false;
            for (qsizetype n = i - start; n < 3; ++n)
                msec *= 10;
        }
    }
    time = QTime(hour, minute, second, msec);
    return time.isValid();
}

} // namespace

QString FormatDateTime(QStringView format, QDate date, QTime time)
{
    if (!date.isValid())
        return QString();
    QString out;
    formatInto(out, format.isEmpty() ? QStringView(u"c") : format, date,
               time.isValid() ? time : QTime(0, 0), 0);
    return out;
}

QString FormatDateTime(QStringView format, const QDateTime &value)
{
    if (!value.isValid())
        return QString();
    return FormatDateTime(format, value.date(), value.time());
}

QString FormatDateTime(QStringView format, QDate value)
{
    return FormatDateTime(format, value, QTime(0, 0));
}

bool TryStrToDate(QStringView text, QDate &value)
{
    text = text.trimmed();
    qsizetype i = 0;
    QDate date;
    if (!parseDatePart(text, i, date) || i != text.size())
        return false;
    value = date;
    return true;
}

QDate StrToDate(QStringView text)
{
    QDate value;
    if (!TryStrToDate(text, value))
        throw EConvertError(QStringLiteral("'%1' is not a valid date").arg(text.toString()));
    return value;
}

bool TryStrToTime(QStringView text, QTime &value)
{
    text = text.trimmed();
    qsizetype i = 0;
    QTime time;
    if (!parseTimePart(text, i, time) || i != text.size())
        return false;
    value = time;
    return true;
}

bool TryStrToDateTime(QStringView text, QDateTime &value)
{
    text = text.trimmed();
    qsizetype i = 0;
    QDate date;
    if (!parseDatePart(text, i, date))
        return false;
    QTime time(0, 0);
    if (i < text.size()) {
        if (text[i] != u' ' && text[i] != u'T')
            return false;
        while (i < text.size() && (text[i] == u' ' || text[i] == u'T'))
            ++i;
        if (!parseTimePart(text, i, time) || i != text.size())
            return false;
    }
    value = QDateTime(date, time);
    return true;
}

QDateTime StrToDateTime(QStringView text)
{
    QDateTime value;
    if (!TryStrToDateTime(text, value))
        throw EConvertError(
            QStringLiteral("'%1' is not a valid date and time").arg(text.toString()));
    return value;
}

static const qint64 BaseJulianDay = QDate(1899, 12, 30).toJulianDay();

double DateTimeToFloat(QDate date, QTime time)
{
    if (!date.isValid())
        return 0;
    const double days = double(date.toJulianDay() - BaseJulianDay);
    const double fraction = (time.isValid() ? time.msecsSinceStartOfDay() : 0) / 86400000.0;
    // Before the base date the fraction counts away from zero, as the number form has it.
    return days < 0 ? days - fraction : days + fraction;
}

double DateTimeToFloat(const QDateTime &value)
{
    if (!value.isValid())
        return 0;
    return DateTimeToFloat(value.date(), value.time());
}

QDateTime FloatToDateTime(double value)
{
    const double days = std::trunc(value);
    const double fraction = std::fabs(value - days);
    qint64 msecs = std::llround(fraction * 86400000.0);
    qint64 day = qint64(days);
    if (msecs >= 86400000) {
        msecs -= 86400000;
        day += value < 0 ? -1 : 1;
    }
    return QDateTime(QDate::fromJulianDay(BaseJulianDay + day),
                     QTime::fromMSecsSinceStartOfDay(int(msecs)));
}
