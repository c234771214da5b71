// Jet's Format and Val, as the SQLite functions vz_format and vz_val compute them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sql {

// A number rounded half away from zero at `decimals` places, read as Jet reads a Double: to 15
// significant digits first, so 1.005 gives 1.01 and 2.675 gives 2.68.
std::string roundedDecimal(double value, int decimals);

// Format(number, mask) for the masks the client uses: "0", "0.00", "#,0.00", "#,0.##",
// "0.0%", "#.##%", literal text around them, and the named formats "Fixed", "Standard",
// "Percent", "General Number".
std::string formatNumber(double value, std::string_view mask);

// Format(date, mask) for date masks such as "yyyy-mm-dd", "yyyy年m月", "hh:nn:ss".
// `canonical` is a date in canonical text form.
std::optional<std::string> formatDate(std::string_view canonical, std::string_view mask);

// True when the mask formats dates rather than numbers.
bool isDateMask(std::string_view mask);

// Val(text): the number at the start of the text, blanks ignored anywhere, 0 when there is none.
double val(std::string_view text);

} // namespace sql
