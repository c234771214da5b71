// Cell formats and the number format codes a worksheet cell shows its number through.
#include "client/output/cellformat.h"

#include "client/common/valueroutines.h"

#include <QHash>
#include <QList>
#include <QLocale>

#include <cmath>

namespace output {

namespace {

const char *const kBorderNames[] = {"",
                                    "thin",
                                    "medium",
                                    "dashed",
                                    "dotted",
                                    "thick",
                                    "double",
                                    "hair",
                                    "mediumDashed",
                                    "dashDot",
                                    "mediumDashDot",
                                    "dashDotDot",
                                    "mediumDashDotDot",
                                    "slantDashDot"};

// One piece of a format section: a text shown as it is, or a run of code characters.
struct Token
{
    bool Literal = false;
    QString Text;
};

// Splits a code into its sections at the ";" outside quotes, escapes and brackets.
QStringList sections(const QString &code)
{
    QStringList result;
    QString current;
    bool quoted = false;
    bool bracket = false;
    for (int i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (c == QLatin1Char('\\') && !quoted && i + 1 < code.size()) {
            current += c;
            current += code.at(++i);
            continue;
        }
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && c == QLatin1Char('['))
            bracket = true;
        else if (!quoted && c == QLatin1Char(']'))
            bracket = false;
        if (c == QLatin1Char(';') && !quoted && !bracket) {
            result << current;
            current.clear();
            continue;
        }
        current += c;
    }
    result << current;
    return result;
}

// The section's literal texts and code characters. Colours and conditions in brackets are
// dropped; a currency in brackets ("[$¥-804]") is a literal; elapsed time ("[h]") stays code.
QList<Token> tokenize(const QString &section)
{
    QList<Token> tokens;
    auto literal = [&tokens](const QString &text) {
        if (!tokens.isEmpty() && tokens.last().Literal)
            tokens.last().Text += text;
        else
            tokens.append({true, text});
    };
    for (int i = 0; i < section.size(); ++i) {
        const QChar c = section.at(i);
        if (c == QLatin1Char('"')) {
            const int end = section.indexOf(QLatin1Char('"'), i + 1);
            literal(section.mid(i + 1, (end < 0 ? section.size() : end) - i - 1));
            i = end < 0 ? int(section.size()) : end;
        } else if (c == QLatin1Char('\\') && i + 1 < section.size()) {
            literal(section.at(++i));
        } else if (c == QLatin1Char('_') && i + 1 < section.size()) {
            ++i;
            literal(QStringLiteral(" ")); // the width of the next character
        } else if (c == QLatin1Char('*') && i + 1 < section.size()) {
            ++i; // fill the cell with the next character: nothing on paper
        } else if (c == QLatin1Char('[')) {
            const int end = section.indexOf(QLatin1Char(']'), i + 1);
            const QString inside = section.mid(i + 1, (end < 0 ? section.size() : end) - i - 1);
            if (inside.startsWith(QLatin1Char('$')))
                literal(inside.mid(1).section(QLatin1Char('-'), 0, 0));
            else if (!inside.isEmpty() && QStringLiteral("hHmMsS").contains(inside.at(0)))
                tokens.append({false, QLatin1Char('[') + inside.toLower() + QLatin1Char(']')});
            i = end < 0 ? int(section.size()) : end;
        } else {
            tokens.append({false, QString(c)});
        }
    }
    return tokens;
}

bool isDateCode(QChar c)
{
    return QStringLiteral("yYmMdDhHsS").contains(c);
}

// The length of the AM/PM marker spelt by the code characters from the position, 0 if none.
int markerAt(const QList<Token> &tokens, int at, QString *marker)
{
    for (const QString &candidate :
         {QStringLiteral("AM/PM"), QStringLiteral("A/P"), QStringLiteral("上午/下午")}) {
        int i = 0;
        while (i < candidate.size() && at + i < tokens.size() && !tokens[at + i].Literal &&
               tokens[at + i].Text.compare(candidate.at(i), Qt::CaseInsensitive) == 0)
            ++i;
        if (i == candidate.size()) {
            *marker = candidate;
            return i;
        }
    }
    return 0;
}

// Date and time tokens: runs of one letter and AM/PM markers; everything else literal.
QList<Token> dateTokens(const QList<Token> &tokens)
{
    QList<Token> result;
    for (int i = 0; i < tokens.size(); ++i) {
        const Token &token = tokens[i];
        QString marker;
        if (const int length = markerAt(tokens, i, &marker)) {
            result.append({false, marker});
            i += length - 1;
            continue;
        }
        const QChar c = token.Literal ? QChar() : token.Text.at(0).toLower();
        if (token.Text.startsWith(QLatin1Char('['))) {
            result.append(token);
        } else if (!token.Literal && isDateCode(c)) {
            if (!result.isEmpty() && !result.last().Literal && result.last().Text.at(0) == c)
                result.last().Text += c;
            else
                result.append({false, QString(c)});
        } else if (!result.isEmpty() && result.last().Literal) {
            result.last().Text += token.Text;
        } else {
            result.append({true, token.Text});
        }
    }
    return result;
}

QString formatDate(double serial, const QList<Token> &tokens, bool date1904)
{
    const QDateTime at = DateFromSerial(serial, date1904);
    const QDate date = at.date();
    const QTime time = at.time();
    const QList<Token> parts = dateTokens(tokens);
    bool twelveHours = false;
    for (const Token &t : parts)
        twelveHours = twelveHours || (!t.Literal && t.Text.contains(QLatin1Char('/')));
    const QLocale c = QLocale::c();
    auto twoDigits = [](int n) {
        return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
    };
    QString out;
    for (int i = 0; i < parts.size(); ++i) {
        const Token &t = parts[i];
        if (t.Literal) {
            out += t.Text;
            continue;
        }
        // "m" is the minute right after an hour or right before seconds.
        auto neighbour = [&](int step) -> QString {
            for (int j = i + step; j >= 0 && j < parts.size(); j += step)
                if (!parts[j].Literal)
                    return parts[j].Text;
            return {};
        };
        const QString &code = t.Text;
        const QChar kind = code.at(0);
        if (code.startsWith(QLatin1Char('['))) {
            const double hours = std::floor(serial * 24 + 1e-9);
            if (code.at(1) == QLatin1Char('h'))
                out += QString::number(qint64(hours));
            else if (code.at(1) == QLatin1Char('m'))
                out += QString::number(qint64(std::floor(serial * 1440 + 1e-9)));
            else
                out += QString::number(qint64(std::floor(serial * 86400 + 1e-9)));
        } else if (code.contains(QLatin1Char('/'))) {
            const bool pm = time.hour() >= 12;
            if (code == QStringLiteral("上午/下午"))
                out += pm ? QStringLiteral("下午") : QStringLiteral("上午");
            else if (code == QStringLiteral("A/P"))
                out += pm ? QStringLiteral("P") : QStringLiteral("A");
            else
                out += pm ? QStringLiteral("PM") : QStringLiteral("AM");
        } else if (kind == QLatin1Char('y')) {
            out += code.size() <= 2 ? twoDigits(date.year() % 100) : QString::number(date.year());
        } else if (kind == QLatin1Char('m') && code.size() <= 2 &&
                   (neighbour(-1).startsWith(QLatin1Char('h')) ||
                    neighbour(1).startsWith(QLatin1Char('s')))) {
            out += code.size() == 2 ? twoDigits(time.minute()) : QString::number(time.minute());
        } else if (kind == QLatin1Char('m')) {
            if (code.size() >= 5)
                out += c.monthName(date.month()).left(1);
            else if (code.size() == 4)
                out += c.monthName(date.month());
            else if (code.size() == 3)
                out += c.monthName(date.month(), QLocale::ShortFormat);
            else
                out += code.size() == 2 ? twoDigits(date.month()) : QString::number(date.month());
        } else if (kind == QLatin1Char('d')) {
            if (code.size() >= 4)
                out += c.dayName(date.dayOfWeek());
            else if (code.size() == 3)
                out += c.dayName(date.dayOfWeek(), QLocale::ShortFormat);
            else
                out += code.size() == 2 ? twoDigits(date.day()) : QString::number(date.day());
        } else if (kind == QLatin1Char('h')) {
            int hour = time.hour();
            if (twelveHours)
                hour = hour % 12 == 0 ? 12 : hour % 12;
            out += code.size() >= 2 ? twoDigits(hour) : QString::number(hour);
        } else if (kind == QLatin1Char('s')) {
            out += code.size() >= 2 ? twoDigits(time.second()) : QString::number(time.second());
        }
    }
    return out;
}

QString formatDecimal(double value, const QList<Token> &tokens)
{
    // The digit placeholders form the number; literal texts before and after stay around it.
    int first = -1;
    int last = -1;
    for (int i = 0; i < tokens.size(); ++i) {
        if (!tokens[i].Literal && QStringLiteral("0#?.").contains(tokens[i].Text)) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    QString prefix;
    QString suffix;
    int minInteger = 0;
    int decimals = 0;
    int minDecimals = 0;
    bool grouping = false;
    bool afterPoint = false;
    double scale = 1;
    bool scientific = false;
    for (int i = 0; i < tokens.size(); ++i) {
        const Token &t = tokens[i];
        const QString &s = t.Text;
        if (!t.Literal && s == QStringLiteral("%"))
            scale *= 100;
        if (!t.Literal && (s == QStringLiteral("E") || s == QStringLiteral("e")))
            scientific = true;
        if (first < 0 || i < first || i > last) {
            if (!t.Literal && s == QStringLiteral(",") && i > last && last >= 0 &&
                (i == last + 1 || tokens[i - 1].Text == QStringLiteral(",")))
                scale /= 1000; // trailing commas count thousands
            else if (i < first || first < 0)
                prefix += s;
            else
                suffix += s;
            continue;
        }
        if (t.Literal || scientific)
            continue; // the exponent's digits are not the number's
        if (s == QStringLiteral(".")) {
            afterPoint = true;
        } else if (s == QStringLiteral(",")) {
            grouping = grouping || !afterPoint;
        } else if (afterPoint) {
            ++decimals;
            if (s == QStringLiteral("0"))
                minDecimals = decimals;
        } else if (s == QStringLiteral("0")) {
            ++minInteger;
        }
    }
    decimals = std::min(decimals, 15); // beyond what a double holds
    minDecimals = std::min(minDecimals, decimals);
    if (scientific)
        return QString::number(value, 'E', decimals);
    const double shown = RoundTo(value * scale, decimals);
    QString digits = QString::number(std::fabs(shown), 'f', decimals);
    QString integer = digits.section(QLatin1Char('.'), 0, 0);
    QString fraction = digits.section(QLatin1Char('.'), 1);
    while (fraction.size() > minDecimals && fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    if (integer == QStringLiteral("0") && minInteger == 0)
        integer.clear();
    while (integer.size() < minInteger)
        integer.prepend(QLatin1Char('0'));
    if (grouping)
        for (int at = int(integer.size()) - 3; at > 0; at -= 3)
            integer.insert(at, QLatin1Char(','));
    QString number = integer;
    if (!fraction.isEmpty() || (afterPoint && decimals > 0 && minDecimals > 0))
        number += QLatin1Char('.') + fraction;
    else if (afterPoint && decimals == 0)
        number += QLatin1Char('.');
    if (number.isEmpty())
        number = QStringLiteral("0");
    return prefix + number + suffix;
}

} // namespace

QString BorderLineName(TBorderLine line)
{
    return QString::fromLatin1(kBorderNames[int(line)]);
}

TBorderLine BorderLineFromName(QStringView name)
{
    for (int i = 1; i < int(std::size(kBorderNames)); ++i)
        if (name == QLatin1String(kBorderNames[i]))
            return TBorderLine(i);
    return TBorderLine::None;
}

bool TCellFormat::HasBorder() const
{
    for (const TCellBorder &border : Borders)
        if (border.Line != TBorderLine::None)
            return true;
    return false;
}

TCellFormat TCellFormat::WithBorder(TBorderLine line) const
{
    TCellFormat format = *this;
    for (TCellBorder &border : format.Borders)
        border.Line = line;
    return format;
}

QString BuiltInNumberFormat(int id)
{
    // Ids 27-36 and 50-58 are the East-Asian dates and times, as the Chinese edition shows them.
    static const QHash<int, QString> codes = {
        {1, QStringLiteral("0")},
        {2, QStringLiteral("0.00")},
        {3, QStringLiteral("#,##0")},
        {4, QStringLiteral("#,##0.00")},
        {9, QStringLiteral("0%")},
        {10, QStringLiteral("0.00%")},
        {11, QStringLiteral("0.00E+00")},
        {12, QStringLiteral("# ?/?")},
        {13, QStringLiteral("# ?\?/?\?")},
        {14, QStringLiteral("yyyy/m/d")},
        {15, QStringLiteral("d-mmm-yy")},
        {16, QStringLiteral("d-mmm")},
        {17, QStringLiteral("mmm-yy")},
        {18, QStringLiteral("h:mm AM/PM")},
        {19, QStringLiteral("h:mm:ss AM/PM")},
        {20, QStringLiteral("h:mm")},
        {21, QStringLiteral("h:mm:ss")},
        {22, QStringLiteral("yyyy/m/d h:mm")},
        {27, QStringLiteral("yyyy\"年\"m\"月\"")},
        {28, QStringLiteral("m\"月\"d\"日\"")},
        {29, QStringLiteral("m\"月\"d\"日\"")},
        {30, QStringLiteral("m-d-yy")},
        {31, QStringLiteral("yyyy\"年\"m\"月\"d\"日\"")},
        {32, QStringLiteral("h\"时\"mm\"分\"")},
        {33, QStringLiteral("h\"时\"mm\"分\"ss\"秒\"")},
        {34, QStringLiteral("上午/下午h\"时\"mm\"分\"")},
        {35, QStringLiteral("上午/下午h\"时\"mm\"分\"ss\"秒\"")},
        {36, QStringLiteral("yyyy\"年\"m\"月\"")},
        {37, QStringLiteral("#,##0 ;(#,##0)")},
        {38, QStringLiteral("#,##0 ;[Red](#,##0)")},
        {39, QStringLiteral("#,##0.00;(#,##0.00)")},
        {40, QStringLiteral("#,##0.00;[Red](#,##0.00)")},
        {45, QStringLiteral("mm:ss")},
        {46, QStringLiteral("[h]:mm:ss")},
        {47, QStringLiteral("mm:ss.0")},
        {48, QStringLiteral("##0.0E+0")},
        {49, QStringLiteral("@")},
        {50, QStringLiteral("yyyy\"年\"m\"月\"")},
        {51, QStringLiteral("m\"月\"d\"日\"")},
        {52, QStringLiteral("yyyy\"年\"m\"月\"")},
        {53, QStringLiteral("m\"月\"d\"日\"")},
        {54, QStringLiteral("m\"月\"d\"日\"")},
        {55, QStringLiteral("上午/下午h\"时\"mm\"分\"")},
        {56, QStringLiteral("上午/下午h\"时\"mm\"分\"ss\"秒\"")},
        {57, QStringLiteral("yyyy\"年\"m\"月\"")},
        {58, QStringLiteral("m\"月\"d\"日\"")},
    };
    return codes.value(id);
}

bool IsDateTimeFormat(const QString &code)
{
    // The first section decides; letters inside quotes, escapes and colours do not count.
    for (const Token &token : tokenize(sections(code).value(0))) {
        if (token.Literal)
            continue;
        if (token.Text.startsWith(QLatin1Char('[')) || isDateCode(token.Text.at(0)))
            return true;
    }
    return false;
}

QDateTime DateFromSerial(double serial, bool date1904)
{
    // Days before 1900-03-01 are one off: the 1900 system counts a 1900-02-29.
    const QDate base = date1904      ? QDate(1904, 1, 1)
                       : serial < 61 ? QDate(1899, 12, 31)
                                     : QDate(1899, 12, 30);
    const double days = std::floor(serial);
    const qint64 ms = qint64(std::llround((serial - days) * 86400000.0));
    return QDateTime(base.addDays(qint64(days)), QTime(0, 0), Qt::UTC).addMSecs(ms);
}

double SerialFromDate(const QDateTime &dateTime)
{
    const QDate base(1899, 12, 30);
    const double days = double(base.daysTo(dateTime.date()));
    const double fraction = dateTime.time().msecsSinceStartOfDay() / 86400000.0;
    return days < 61 ? days - 1 + fraction : days + fraction;
}

QString FormatNumber(double value, const QString &code, bool date1904)
{
    if (!std::isfinite(value) || code.isEmpty() ||
        code.compare(QStringLiteral("General"), Qt::CaseInsensitive) == 0 ||
        code == QStringLiteral("@"))
        return QString::number(value, 'g', 15);
    const QStringList parts = sections(code);
    QString section = parts.first();
    bool minus = value < 0;
    if (value < 0 && parts.size() >= 2) {
        section = parts[1];
        minus = false; // the negative section writes its own sign or brackets
    } else if (value == 0 && parts.size() >= 3) {
        section = parts[2];
    }
    const QList<Token> tokens = tokenize(section);
    // Out of the calendar's range a date shows as the plain number.
    constexpr double kLastDay = 2958465; // 9999-12-31
    if (IsDateTimeFormat(section))
        return value >= 0 && value <= kLastDay ? formatDate(value, tokens, date1904)
                                               : QString::number(value, 'g', 15);
    bool hasDigits = false;
    for (const Token &t : tokens)
        hasDigits = hasDigits || (!t.Literal && QStringLiteral("0#?").contains(t.Text));
    if (!hasDigits) {
        QString text;
        for (const Token &t : tokens)
            text += t.Text == QStringLiteral("General") ? QString::number(value, 'g', 15) : t.Text;
        if (section.contains(QStringLiteral("General"), Qt::CaseInsensitive))
            return (minus ? QStringLiteral("-") : QString()) +
                   QString::number(std::fabs(value), 'g', 15);
        return text;
    }
    const QString text = formatDecimal(std::fabs(value), tokens);
    // A negative number that rounds to zero shows no sign.
    bool allZero = true;
    for (const QChar c : text)
        allZero = allZero && !(c.isDigit() && c != QLatin1Char('0'));
    return minus && !allZero ? QLatin1Char('-') + text : text;
}

} // namespace output
