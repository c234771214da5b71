// Dates as the account sets store them: 'YYYY-MM-DD' at midnight, otherwise
// 'YYYY-MM-DD HH:MM:SS'. These routines read the forms the client and its users write and turn
// them into that canonical text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sql {

struct DateTimeParts
{
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// How a date with slashes and the year last is read: Jet's #3/1/2024# is always month first.
enum class DateOrder { MonthFirst, DayFirst };

// Reads 2024-03-01, 2024/3/1, 2024.3.1, 20240301, 3/1/2024, each optionally followed by a time
// (9:05, 09:05:00, 9:05:00 PM, with a blank or 'T' between), or a time alone (on 1899-12-30,
// Jet's day zero). Returns nothing for text that is not a valid date.
std::optional<DateTimeParts> parseDateTime(std::string_view text,
                                           DateOrder order = DateOrder::MonthFirst);

std::string formatCanonical(const DateTimeParts &parts);
std::optional<std::string> canonicalDateTime(std::string_view text,
                                             DateOrder order = DateOrder::MonthFirst);

// A Jet/OLE date serial (days since 1899-12-30, the fraction being the time of day) as
// canonical text, rounded to the second. Nothing when out of the years 100..9999.
std::optional<std::string> dateTimeFromSerial(double days);

// Whether the text is already canonical (the form every stored date must have).
bool isCanonicalDateTime(std::string_view text);

} // namespace sql
