// Resident identity numbers as employees carry them: 18 characters, the first 17 digits, the
// last a digit or X, the check character of ISO 7064 MOD 11-2 over the first 17, and the
// birth date (characters 7 to 14, yyyymmdd) a real day not after today. The 17th digit is odd
// for men and even for women.
#pragma once

#include <QDate>
#include <QString>

struct TIdentityNumber
{
    QString Error;      // why the number is refused, for the user; empty for a valid number
    QString Normalized; // the number with a lower-case x made upper-case
    QDate BirthDate;
    QString Sex; // "男" or "女"

    bool Valid() const { return Error.isEmpty(); }
};

// The check character of the first 17 digits: "0"-"9" or "X"; a null QChar for other input.
QChar IdentityCheckCharacter(const QString &first17);

// Checks an identity number (surrounding blanks ignored); today bounds the birth date.
TIdentityNumber CheckIdentityNumber(const QString &number, QDate today = QDate::currentDate());
