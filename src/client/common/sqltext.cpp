// Quoting and the dialect routines.
#include "client/common/sqltext.h"

#include "client/common/valueroutines.h"

namespace {

QChar dateQuote(int databaseKind)
{
    return databaseKind == 0 ? QLatin1Char('#') : QLatin1Char('\'');
}

QString isoDate(QDate date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

} // namespace

QString QuotedStr(const QString &text)
{
    QString quoted;
    quoted.reserve(text.size() + 2);
    quoted += QLatin1Char('\'');
    for (const QChar c : text) {
        quoted += c;
        if (c == QLatin1Char('\''))
            quoted += c;
    }
    quoted += QLatin1Char('\'');
    return quoted;
}

QString SQLDate(int databaseKind, QDate date)
{
    const QChar q = dateQuote(databaseKind);
    return q + isoDate(date) + q;
}

QString SQLDateRange(int databaseKind, bool hasFrom, QDate from, QDate to)
{
    QString text;
    if (hasFrom)
        text = QStringLiteral(" and M.RQ >=") + SQLDate(databaseKind, from);
    return text + QStringLiteral(" and M.RQ <=") + SQLDate(databaseKind, to);
}

QString SQLIif(int databaseKind, const QString &condition, const QString &thenValue,
               const QString &elseValue)
{
    if (databaseKind == 0)
        return QStringLiteral("iif(") + condition + QLatin1Char(',') + thenValue +
               QLatin1Char(',') + elseValue + QStringLiteral(") ");
    QString text = QStringLiteral("case when ") + condition + QStringLiteral(" then ") + thenValue +
                   QStringLiteral(" else ") + elseValue + QStringLiteral(" end ");
    text.replace(QLatin1Char('#'), QLatin1Char('\''));
    return text;
}

QString SQLBoolText(int databaseKind, const QString &column, const QString &yesText,
                    const QString &noText)
{
    const auto literal = [](const QString &text) {
        const bool number =
            text == QLatin1String("1") || text == QLatin1String("-1") || text == QLatin1String("0");
        return number ? text : QuotedStr(text);
    };
    if (databaseKind == 0)
        return QStringLiteral("iif(") + column + QLatin1Char(',') + literal(yesText) +
               QLatin1Char(',') + literal(noText) + QStringLiteral(") ");
    return QStringLiteral("case ") + column + QStringLiteral(" when 1 then ") + literal(yesText) +
           QStringLiteral(" else ") + literal(noText) + QStringLiteral(" end ");
}

QString SQLIsNull(int databaseKind, const QString &expression)
{
    if (databaseKind == 0)
        return QStringLiteral("iif(isnull(") + expression + QStringLiteral("),0,") + expression +
               QLatin1Char(')');
    return QStringLiteral("isnull(") + expression + QStringLiteral(",0)");
}

QString EndOfDayValue(const QString &dateText)
{
    const QString text = dateText.trimmed();
    QDate date = QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid())
        date = QDate::fromString(text, QStringLiteral("yyyy-M-d"));
    if (!date.isValid())
        return {};
    static const qint64 dayZero = QDate(1899, 12, 30).toJulianDay();
    const double number = double(date.toJulianDay() - dayZero) + 86399.0 / 86400.0;
    return VarToFloatText(number);
}
