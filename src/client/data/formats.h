// Text forms of numbers and dates as the forms write them: FormatFloat masks ("#,0.##",
// "￥,0.00", "0.00;(0.00);-"), the general 15-digit float text, date-time masks
// ("yyyy-mm-dd hh:nn:ss"), and the parsing that turns edited text back into values.
//
// Numbers are rounded half away from zero on their 15-significant-digit decimal form, so
// 1.005 shows as "1.01" with "0.00", and a value formatted with a mask and parsed back gives
// exactly the double that the text denotes: formatting it again yields the same text.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

// The date and time formats of the workstation, fixed at start-up to the system's own.
inline constexpr QStringView ShortDateFormat{u"yyyy-mm-dd"};
inline constexpr QStringView LongTimeFormat{u"hh:nn:ss"};

// Formats value with a mask of up to three sections "positive;negative;zero".
//   0  digit, shown even when it is a leading or trailing zero
//   #  digit, left out when it is a leading or trailing zero
//   .  the decimal point: the first one marks the position, later ones are ignored
//   ,  anywhere in a section: group the integer digits by thousands with ","
//   E+ E- e+ e-  scientific notation, followed by the exponent's digit placeholders
//   'x' "x"  literal text; any other character (such as "%" or "￥") is copied as it stands
// The negative section, when present and not empty, is used without a minus sign; a value
// that rounds to zero takes the zero section when there is one and never shows a minus sign.
// An empty mask (or an empty positive section) gives FloatToStr(value).
QString FormatFloat(QStringView format, double value);

// Decimal rounding half away from zero, on the 15-significant-digit form of the value.
double RoundTo(double value, int decimals);

// Shortest general form with up to 15 significant digits: "0.1", "1234.5", "1E20", "-2.5E-7".
QString FloatToStr(double value);

// Accepts an optional sign, digits with optional "," thousands groups, a "." fraction and an
// exponent; blanks around the number are ignored. False for anything else.
bool TryStrToFloat(QStringView text, double &value);
// As above; raises EConvertError "'text' is not a valid floating point value".
double StrToFloat(QStringView text);
bool TryStrToInt64(QStringView text, qint64 &value);
qint64 StrToInt64(QStringView text);

// Date-time masks:
//   yyyy yy  year        m mm mmm mmmm  month      d dd  day     ddd dddd  weekday name
//   h hh     hour        n nn  minute   s ss  second            z zzz  milliseconds
//   am/pm a/p  12-hour clock with the marker     c  date, and the time when it is not 00:00:00
//   ddddd  ShortDateFormat     t tt  short and long time       /  "-"   :  ":"   'x' "x" literal
// "m" right after an hour is a minute. An invalid value gives empty text.
QString FormatDateTime(QStringView format, const QDateTime &value);
QString FormatDateTime(QStringView format, QDate value);
// The same from the parts; no time zone is looked at, which makes it the fast form.
QString FormatDateTime(QStringView format, QDate date, QTime time);

// "yyyy-mm-dd" (also with "/" or "." between the parts, one- or two-digit month and day),
// optionally followed by a blank or "T" and "hh:nn[:ss[.zzz]]".
bool TryStrToDateTime(QStringView text, QDateTime &value);
QDateTime StrToDateTime(QStringView text);
bool TryStrToDate(QStringView text, QDate &value);
QDate StrToDate(QStringView text);
bool TryStrToTime(QStringView text, QTime &value);

// Date-times as numbers of days since 1899-12-30, the fraction being the time of day; the
// number form is what date-time fields give through AsFloat and what reports write into SQL.
double DateTimeToFloat(const QDateTime &value);
double DateTimeToFloat(QDate date, QTime time);
QDateTime FloatToDateTime(double value);
