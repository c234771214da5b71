// Pieces of SQL text the forms compose: quoted text values, and the expressions whose
// spelling differs between the Jet dialect (DatabaseKind 0) and the T-SQL dialect (any
// other kind), so that one form's query runs on either kind of server database.
#pragma once

#include <QDate>
#include <QString>

// The text as an SQL string literal: enclosed in single quotes, quotes inside doubled, so
// that a name such as O'Neil goes into a statement as 'O''Neil'. Every text value a form
// puts into SQL goes through it.
QString QuotedStr(const QString &text);

// The date as a literal: #yyyy-mm-dd# for kind 0, 'yyyy-mm-dd' otherwise.
QString SQLDate(int databaseKind, QDate date);

// " and M.RQ >=" from (only when hasFrom) followed by " and M.RQ <=" to: the date
// condition on a document header aliased M.
QString SQLDateRange(int databaseKind, bool hasFrom, QDate from, QDate to);

// A conditional value. Kind 0: "iif(c,a,b) "; otherwise "case when c then a else b end "
// with every "#" turned into "'", so conditions written with #-dates work on both.
QString SQLIif(int databaseKind, const QString &condition, const QString &thenValue,
               const QString &elseValue);

// The text a boolean column shows: kind 0 "iif(column,yes,no) ", otherwise
// "case column when 1 then yes else no end ". The texts go in quoted, except "1", "-1" and
// "0", which stay numbers.
QString SQLBoolText(int databaseKind, const QString &column, const QString &yesText,
                    const QString &noText);

// The expression with null read as 0: "iif(isnull(e),0,e)" for kind 0, "isnull(e,0)"
// otherwise.
QString SQLIsNull(int databaseKind, const QString &expression);

// The given day at 23:59:59 as the decimal text of its date-time number (days since
// 1899-12-30), for comparisons with date-time columns that hold a time of day. The date
// text is "yyyy-mm-dd"; text that is no date gives empty text.
QString EndOfDayValue(const QString &dateText);
