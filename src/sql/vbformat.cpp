// Number and date formatting after the rules of Jet's expression service.
#include "sql/vbformat.h"

#include "sql/datetime.h"
#include "sql/tokenizer.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace sql {

namespace {

// The decimal digits of |value| to 15 significant places, and the exponent of the first one:
// value = 0.d1d2d3... * 10^exponent.
void decimalDigits(double value, std::string &digits, int &exponent)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(value));
    // "d.dddddddddddddde+XX"
    digits.clear();
    digits += buffer[0];
    for (const char *p = buffer + 2; *p && *p != 'e'; ++p)
        digits += *p;
    exponent = std::atoi(std::strchr(buffer, 'e') + 1) + 1;
}

// Integer and fraction digit strings of |value| rounded half away from zero.
void roundDigits(double value, int decimals, std::string &integer, std::string &fraction)
{
    std::string digits;
    int exponent;
    decimalDigits(value, digits, exponent);
    if (value == 0) {
        integer = "0";
        fraction.assign(size_t(decimals), '0');
        return;
    }
    // Position of the last kept digit, counting from the first significant one.
    const int keep = exponent + decimals;
    std::string kept;
    if (keep < 0) {
        kept.clear();
    } else if (keep < int(digits.size())) {
        kept = digits.substr(0, size_t(keep));
        if (digits[size_t(keep)] >= '5') {
            // Carry.
            int i = int(kept.size()) - 1;
            while (i >= 0 && kept[size_t(i)] == '9') {
                kept[size_t(i)] = '0';
                --i;
            }
            if (i >= 0) {
                ++kept[size_t(i)];
            } else {
                kept.insert(kept.begin(), '1');
                ++exponent;
            }
        }
    } else {
        kept = digits;
        kept.append(size_t(keep - int(digits.size())), '0');
    }
    // kept holds the digits from 10^(exponent-1) down to 10^-decimals.
    if (exponent <= 0) {
        integer = "0";
        std::string frac(size_t(-exponent), '0');
        frac += kept;
        frac.resize(size_t(decimals), '0');
        fraction = frac;
    } else {
        if (int(kept.size()) < exponent)
            kept.append(size_t(exponent) - kept.size(), '0');
        integer = kept.substr(0, size_t(exponent));
        fraction = kept.substr(size_t(exponent));
        fraction.resize(size_t(decimals), '0');
    }
    const size_t nonZero = integer.find_first_not_of('0');
    integer = nonZero == std::string::npos ? "0" : integer.substr(nonZero);
}

bool allZero(const std::string &integer, const std::string &fraction)
{
    return integer.find_first_not_of('0') == std::string::npos &&
           fraction.find_first_not_of('0') == std::string::npos;
}

std::string_view namedFormat(std::string_view mask)
{
    if (equalsIgnoreCase(mask, "Fixed"))
        return "0.00";
    if (equalsIgnoreCase(mask, "Standard"))
        return "#,0.00";
    if (equalsIgnoreCase(mask, "Percent"))
        return "0.00%";
    if (equalsIgnoreCase(mask, "Short Date"))
        return "yyyy-mm-dd";
    if (equalsIgnoreCase(mask, "Long Time"))
        return "hh:nn:ss";
    return mask;
}

// Infinity and NaN have no decimal digits; they are written as the CSV writer writes them.
std::string nonFinite(double value)
{
    return std::isnan(value) ? "NaN" : value > 0 ? "Infinity" : "-Infinity";
}

} // namespace

std::string roundedDecimal(double value, int decimals)
{
    if (!std::isfinite(value))
        return nonFinite(value);
    std::string integer, fraction;
    roundDigits(value, decimals, integer, fraction);
    std::string text;
    if (value < 0 && !allZero(integer, fraction))
        text += '-';
    text += integer;
    if (decimals > 0) {
        text += '.';
        text += fraction;
    }
    return text;
}

std::string formatNumber(double value, std::string_view mask)
{
    if (!std::isfinite(value))
        return nonFinite(value);
    mask = namedFormat(mask);
    if (mask.empty() || equalsIgnoreCase(mask, "General Number")) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.15g", value);
        return buffer;
    }
    // Sections: positive;negative. A second section replaces the sign.
    std::string_view negativeMask;
    const size_t semicolon = mask.find(';');
    if (semicolon != std::string_view::npos) {
        negativeMask = mask.substr(semicolon + 1);
        mask = mask.substr(0, semicolon);
        const size_t next = negativeMask.find(';');
        if (next != std::string_view::npos)
            negativeMask = negativeMask.substr(0, next);
    }
    const bool useNegativeSection = value < 0 && !negativeMask.empty();
    if (useNegativeSection)
        mask = negativeMask;

    // Prefix, placeholders, suffix.
    std::string prefix, suffix;
    int integerZeros = 0, fractionZeros = 0, fractionHashes = 0;
    bool grouping = false, point = false, percent = false, inNumber = false, after = false;
    for (size_t i = 0; i < mask.size(); ++i) {
        const char c = mask[i];
        const bool placeholder = c == '0' || c == '#';
        std::string literal;
        if (c == '"') {
            const size_t end = mask.find('"', i + 1);
            literal = std::string(mask.substr(
                i + 1, end == std::string_view::npos ? std::string_view::npos : end - i - 1));
            i = end == std::string_view::npos ? mask.size() : end;
        } else if (c == '\\' && i + 1 < mask.size()) {
            literal = mask[++i];
        } else if (placeholder || ((c == '.' || c == ',') && !after)) {
            inNumber = inNumber || placeholder;
            if (c == '.') {
                point = true;
            } else if (c == ',') {
                grouping = grouping || !point;
            } else if (!point) {
                integerZeros += c == '0';
            } else {
                (c == '0' ? fractionZeros : fractionHashes) += 1;
            }
            continue;
        } else {
            if (c == '%')
                percent = true;
            literal = c;
        }
        if (inNumber)
            after = true;
        (inNumber ? suffix : prefix) += literal;
    }
    if (!inNumber && !point)
        return prefix + suffix;

    if (percent)
        value *= 100;
    const int decimals = fractionZeros + fractionHashes;
    std::string integer, fraction;
    roundDigits(value, decimals, integer, fraction);
    while (int(fraction.size()) > fractionZeros && !fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    if (integer == "0" && integerZeros == 0)
        integer.clear();
    while (int(integer.size()) < integerZeros)
        integer.insert(integer.begin(), '0');
    if (grouping && integer.size() > 3) {
        std::string grouped;
        const size_t first = integer.size() % 3;
        for (size_t i = 0; i < integer.size(); ++i) {
            if (i && (i - first) % 3 == 0 && i >= first)
                grouped += ',';
            grouped += integer[i];
        }
        if (grouped.front() == ',')
            grouped.erase(0, 1);
        integer = grouped;
    }
    std::string text;
    if (value < 0 && !useNegativeSection && !allZero(integer, fraction))
        text += '-';
    text += prefix;
    text += integer;
    if (point)
        text += '.';
    text += fraction;
    text += suffix;
    return text;
}

bool isDateMask(std::string_view mask)
{
    mask = namedFormat(mask);
    bool placeholder = false;
    for (char c : mask) {
        const char lower = char(std::tolower(static_cast<unsigned char>(c)));
        if (lower == 'y' || lower == 'd' || lower == 'h' || lower == 'n' || lower == 's')
            return true;
        placeholder = placeholder || c == '0' || c == '#';
    }
    return !placeholder && mask.find_first_of("mM") != std::string_view::npos;
}

std::optional<std::string> formatDate(std::string_view canonical, std::string_view mask)
{
    mask = namedFormat(mask);
    auto parts = parseDateTime(canonical);
    if (!parts)
        return std::nullopt;
    if (mask.empty() || equalsIgnoreCase(mask, "General Date"))
        return formatCanonical(*parts);
    std::string out;
    bool afterHour = false;
    char buffer[16];
    for (size_t i = 0; i < mask.size();) {
        const char c = char(std::tolower(static_cast<unsigned char>(mask[i])));
        size_t run = 1;
        while (i + run < mask.size() &&
               std::tolower(static_cast<unsigned char>(mask[i + run])) == c)
            ++run;
        auto number = [&](int value, bool pad) {
            std::snprintf(buffer, sizeof buffer, pad ? "%02d" : "%d", value);
            out += buffer;
        };
        switch (c) {
        case 'y':
            if (run >= 4)
                number(parts->year, false);
            else
                number(parts->year % 100, true);
            break;
        case 'm':
            if (afterHour) {
                number(parts->minute, run >= 2);
                afterHour = false;
            } else {
                number(parts->month, run >= 2);
            }
            break;
        case 'd':
            number(parts->day, run >= 2);
            break;
        case 'h':
            number(parts->hour, run >= 2);
            afterHour = true;
            break;
        case 'n':
            number(parts->minute, run >= 2);
            break;
        case 's':
            number(parts->second, run >= 2);
            break;
        case '"': {
            const size_t end = mask.find('"', i + 1);
            out += mask.substr(i + 1, end == std::string_view::npos ? std::string_view::npos
                                                                    : end - i - 1);
            i = end == std::string_view::npos ? mask.size() : end + 1;
            continue;
        }
        default:
            out.append(mask.substr(i, run));
            break;
        }
        i += run;
    }
    return out;
}

double val(std::string_view text)
{
    std::string compact;
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r')
            compact += c;
    }
    if (compact.size() > 2 && compact[0] == '&' && (compact[1] == 'H' || compact[1] == 'h'))
        return double(std::strtoll(compact.c_str() + 2, nullptr, 16));
    if (compact.size() > 2 && compact[0] == '&' && (compact[1] == 'O' || compact[1] == 'o'))
        return double(std::strtoll(compact.c_str() + 2, nullptr, 8));
    size_t i = 0;
    std::string number;
    if (i < compact.size() && (compact[i] == '-' || compact[i] == '+'))
        number += compact[i++];
    bool digits = false;
    while (i < compact.size() && std::isdigit(static_cast<unsigned char>(compact[i]))) {
        number += compact[i++];
        digits = true;
    }
    if (i < compact.size() && compact[i] == '.') {
        number += compact[i++];
        while (i < compact.size() && std::isdigit(static_cast<unsigned char>(compact[i]))) {
            number += compact[i++];
            digits = true;
        }
    }
    if (!digits)
        return 0;
    if (i < compact.size() && std::strchr("eEdD", compact[i])) {
        std::string exponent = "e";
        size_t j = i + 1;
        if (j < compact.size() && (compact[j] == '-' || compact[j] == '+'))
            exponent += compact[j++];
        bool expDigits = false;
        while (j < compact.size() && std::isdigit(static_cast<unsigned char>(compact[j]))) {
            exponent += compact[j++];
            expDigits = true;
        }
        if (expDigits)
            number += exponent;
    }
    return std::strtod(number.c_str(), nullptr);
}

} // namespace sql
