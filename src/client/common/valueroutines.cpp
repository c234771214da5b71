// Value routines and small utilities.
#include "client/common/valueroutines.h"

#include <QDateTime>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool numberOf(const QVariant &value, double &number)
{
    if (!value.isValid() || value.isNull())
        return false;
    switch (value.typeId()) {
    case QMetaType::QDate:
    case QMetaType::QDateTime: {
        static const qint64 dayZero = QDate(1899, 12, 30).toJulianDay();
        const bool isDate = value.typeId() == QMetaType::QDate;
        const QDate date = isDate ? value.toDate() : value.toDateTime().date();
        const QTime time = isDate ? QTime(0, 0) : value.toDateTime().time();
        if (!date.isValid())
            return false;
        number =
            double(date.toJulianDay() - dayZero) + double(time.msecsSinceStartOfDay()) / 86400000.0;
        return true;
    }
    case QMetaType::QString: {
        QString text = value.toString().trimmed();
        text.remove(QLatin1Char(','));
        bool ok = false;
        number = text.toDouble(&ok);
        return ok;
    }
    default: {
        bool ok = false;
        number = value.toDouble(&ok);
        return ok;
    }
    }
}

// The 15 significant digits of |value| and the power of ten of the first one:
// |value| = 0.d1d2...d15 x 10^(exponent + 1).
void significantDigits(double value, char digits[16], int &exponent)
{
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(value));
    digits[0] = buffer[0];
    std::memcpy(digits + 1, buffer + 2, 14);
    digits[15] = '\0';
    exponent = std::atoi(std::strchr(buffer, 'e') + 1);
}

} // namespace

QString VarToFloatText(const QVariant &value)
{
    double number = 0;
    if (!numberOf(value, number) || number == 0)
        return QStringLiteral("0");
    QString text = QString::number(number, 'g', 15);
    const qsizetype e = text.indexOf(QLatin1Char('e'));
    if (e >= 0) {
        // 1e+20 -> 1E20, 2.5e-07 -> 2.5E-7, as the number texts of the forms are written
        const int exponent = text.mid(e + 1).toInt();
        text = text.left(e) + QLatin1Char('E') + QString::number(exponent);
    }
    return text;
}

double VarToFloat(const QVariant &value)
{
    double number = 0;
    return numberOf(value, number) ? number : 0;
}

QVariant VarChoose(bool condition, const QVariant &a, const QVariant &b)
{
    return condition ? a : b;
}

double RoundTo(const QVariant &number, int digits)
{
    const double value = VarToFloat(number);
    if (value == 0 || !std::isfinite(value))
        return value == 0 ? 0 : value;
    if (digits < 0)
        digits = 0;
    char significant[16];
    int exponent = 0;
    significantDigits(value, significant, exponent);
    const int keep = exponent + 1 + digits; // significant digits before the cut
    if (keep < 0)
        return 0;
    if (keep >= 15)
        return value;
    qint64 kept = 0;
    for (int i = 0; i < keep; ++i)
        kept = kept * 10 + (significant[i] - '0');
    if (significant[keep] >= '5')
        ++kept;
    // kept / 10^digits, read back from its decimal text so that the result is the double
    // nearest to the rounded decimal
    const double rounded = QStringLiteral("%1e-%2").arg(kept).arg(digits).toDouble();
    return value < 0 ? -rounded : rounded;
}

bool KeyFilterNumeric(QChar key)
{
    return key == QChar(8) || key == QLatin1Char('-') || key == QLatin1Char('.') ||
           (key >= QLatin1Char('0') && key <= QLatin1Char('9'));
}

bool IsZeroText(const QString &text)
{
    QString plain = text;
    plain.remove(QLatin1Char(','));
    plain = plain.trimmed();
    if (plain.isEmpty())
        return true;
    bool ok = false;
    const double number = plain.toDouble(&ok);
    return ok && number == 0;
}

QString DecimalMask(int digits)
{
    if (digits <= 0)
        return QStringLiteral("0");
    return QStringLiteral("0.") + QString(digits, QLatin1Char('0'));
}

QString RepeatText(const QString &text, int count)
{
    return count > 0 ? text.repeated(count) : QString();
}

std::optional<QStringList> SplitText(const QString &text, const QString &separator)
{
    if (text.isEmpty() || separator.isEmpty())
        return std::nullopt;
    QStringList pieces = text.split(separator);
    if (pieces.size() > 1 && pieces.last().isEmpty())
        pieces.removeLast();
    return pieces;
}

QDate StartOfYear(QDate date)
{
    return QDate(date.year(), 1, 1);
}

QDate StartOfMonth(QDate date)
{
    return QDate(date.year(), date.month(), 1);
}

QDate EndOfMonth(QDate date)
{
    return QDate(date.year(), date.month(), date.daysInMonth());
}

QString ChineseDigit(const QString &text)
{
    static const QString numerals = QStringLiteral("一二三四五六七八九");
    if (text.size() == 1 && text[0] >= QLatin1Char('1') && text[0] <= QLatin1Char('9'))
        return QString(numerals[text[0].unicode() - '1']);
    return QStringLiteral("0");
}
