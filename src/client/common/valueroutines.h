// Small routines every form uses on values read from datasets and typed by users: numbers
// from variants, rounding, masks, text pieces, month and year bounds, the Chinese numerals
// of the audit levels, and the numeric key filter of amount editors.
#pragma once

#include <QChar>
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

// The number as decimal text with up to 15 significant digits ("1234.5", "0.1", "1E20");
// "0" for null or unassigned. A date counts as its date-time number.
QString VarToFloatText(const QVariant &value);
// The number; 0 for null, unassigned or anything that is not a number.
double VarToFloat(const QVariant &value);
// a when condition holds, else b.
QVariant VarChoose(bool condition, const QVariant &a, const QVariant &b);

// The number (null counts as 0) rounded to the given decimals, half away from zero on its
// 15-significant-digit decimal form, exactly as the mask "0.00" would show it: 1.005 gives
// 1.01, 2.5 gives 3, -2.5 gives -3.
double RoundTo(const QVariant &number, int digits);

// True when the key may go into an amount editor: backspace, "-", "." and the digits. The
// caller drops any other key (and beeps).
bool KeyFilterNumeric(QChar key);

// True when the text without its "," is empty or a number equal to 0.
bool IsZeroText(const QString &text);
// "0." and that many zeros; "0" for no decimals.
QString DecimalMask(int digits);
QString RepeatText(const QString &text, int count);

// The pieces between separators in order, a last piece only when not empty; nothing when
// the text or the separator is empty. "a;b;" gives a, b and ";" gives one empty piece.
std::optional<QStringList> SplitText(const QString &text, const QString &separator);

QDate StartOfYear(QDate date);
QDate StartOfMonth(QDate date);
QDate EndOfMonth(QDate date);

// "1" ... "9" give "一" ... "九"; anything else gives "0".
QString ChineseDigit(const QString &text);
