// What translated SQL needs from SQLite beyond its built-ins: the text collation (case-insensitive,
// Chinese in pinyin order), the functions of Jet that have no SQLite twin, and the mnemonic code.
#include "sql/translator.h"

#include "sql/csv.h"
#include "sql/datetime.h"
#include "sql/rewriter.h"
#include "sql/vbformat.h"
#include "text/pinyin.h"

#include <unicode/ucol.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <exception>

namespace sql {

namespace {

int compareText(void *collator, int lengthA, const void *a, int lengthB, const void *b)
{
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult result =
        ucol_strcollUTF8(static_cast<const UCollator *>(collator), static_cast<const char *>(a),
                         lengthA, static_cast<const char *>(b), lengthB, &status);
    if (U_FAILURE(status)) {
        const int common = std::memcmp(a, b, size_t(std::min(lengthA, lengthB)));
        return common != 0 ? common : lengthA - lengthB;
    }
    return result == UCOL_LESS ? -1 : result == UCOL_GREATER ? 1 : 0;
}

void closeCollator(void *collator)
{
    ucol_close(static_cast<UCollator *>(collator));
}

std::string argumentText(sqlite3_value *value)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(value));
    return text ? std::string(text, size_t(sqlite3_value_bytes(value))) : std::string();
}

void resultText(sqlite3_context *context, const std::string &text)
{
    sqlite3_result_text(context, text.data(), int(text.size()), SQLITE_TRANSIENT);
}

// vz_datetime(x): canonical date text of a text date or a Jet date serial.
void datetimeFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    sqlite3_value *value = argv[0];
    switch (sqlite3_value_type(value)) {
    case SQLITE_NULL:
        sqlite3_result_null(context);
        return;
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        if (auto text = dateTimeFromSerial(sqlite3_value_double(value))) {
            resultText(context, *text);
            return;
        }
        break;
    default: {
        const std::string text = argumentText(value);
        if (text.empty()) {
            sqlite3_result_null(context);
            return;
        }
        if (auto canonical = canonicalDateTime(text)) {
            resultText(context, *canonical);
            return;
        }
        break;
    }
    }
    const std::string message = "invalid date '" + argumentText(value) + "'";
    sqlite3_result_error(context, message.c_str(), -1);
}

// vz_format(x, mask): Jet's Format.
void formatFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    sqlite3_value *value = argv[0];
    if (sqlite3_value_type(value) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const std::string mask = argumentText(argv[1]);
    const int type = sqlite3_value_type(value);
    if (isDateMask(mask)) {
        std::optional<std::string> date;
        if (type == SQLITE_INTEGER || type == SQLITE_FLOAT)
            date = dateTimeFromSerial(sqlite3_value_double(value));
        else
            date = canonicalDateTime(argumentText(value));
        if (date) {
            if (auto text = formatDate(*date, mask)) {
                resultText(context, *text);
                return;
            }
        }
        resultText(context, argumentText(value));
        return;
    }
    if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
        resultText(context, formatNumber(sqlite3_value_double(value), mask));
        return;
    }
    // Text that reads as a number is formatted as one; other text passes unchanged.
    const std::string text = argumentText(value);
    char *end = nullptr;
    const double number = std::strtod(text.c_str(), &end);
    if (!text.empty() && end && *end == '\0')
        resultText(context, formatNumber(number, mask));
    else
        resultText(context, text);
}

// vz_val(x): Jet's Val.
void valFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    sqlite3_value *value = argv[0];
    switch (sqlite3_value_type(value)) {
    case SQLITE_NULL:
        sqlite3_result_null(context);
        return;
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        sqlite3_result_double(context, sqlite3_value_double(value));
        return;
    default:
        sqlite3_result_double(context, val(argumentText(value)));
        return;
    }
}

// vz_instr(start, text, part): Jet's three-argument InStr, 1-based, 0 when not found.
void instrFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    for (int i = 0; i < 3; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) {
            sqlite3_result_null(context);
            return;
        }
    }
    const long long start = sqlite3_value_int64(argv[0]);
    if (start < 1) {
        sqlite3_result_error(context, "InStr: the start must be 1 or more", -1);
        return;
    }
    const std::string text = argumentText(argv[1]);
    const std::string part = argumentText(argv[2]);
    // Count in characters, not bytes.
    size_t byte = 0;
    long long character = 1;
    while (character < start && byte < text.size()) {
        ++byte;
        while (byte < text.size() && (static_cast<unsigned char>(text[byte]) & 0xC0) == 0x80)
            ++byte;
        ++character;
    }
    if (character < start) {
        sqlite3_result_int64(context, 0);
        return;
    }
    const size_t found = text.find(part, byte);
    if (found == std::string::npos) {
        sqlite3_result_int64(context, 0);
        return;
    }
    long long position = 1;
    for (size_t i = 0; i < found; ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            ++position;
    }
    sqlite3_result_int64(context, position);
}

// vz_amp(a, b, ...): Jet's & — Null counts as '' unless every operand is Null; numbers as Jet
// writes them (17, not 17.0).
void ampersandFunction(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    std::string text;
    bool any = false;
    for (int i = 0; i < argc; ++i) {
        switch (sqlite3_value_type(argv[i])) {
        case SQLITE_NULL:
            continue;
        case SQLITE_FLOAT:
            text += formatFloat(sqlite3_value_double(argv[i]));
            break;
        default:
            text += argumentText(argv[i]);
            break;
        }
        any = true;
    }
    if (any)
        resultText(context, text);
    else
        sqlite3_result_null(context);
}

// vz_right(x, n): Jet's Right for a count that is not a constant; '' for 0.
void rightFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const long long count = sqlite3_value_int64(argv[1]);
    if (count < 0) {
        sqlite3_result_error(context, "Right: the length must not be negative", -1);
        return;
    }
    const std::string text = argumentText(argv[0]);
    // Walk back over whole characters.
    size_t start = text.size();
    for (long long taken = 0; taken < count && start > 0; ++taken) {
        --start;
        while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80)
            --start;
    }
    resultText(context, text.substr(start));
}

// vz_getpy(x): the mnemonic code of a name, as the client makes it.
void getpyFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    // Only the start of the name matters; no copy of the whole of it.
    const auto *name = reinterpret_cast<const char *>(sqlite3_value_text(argv[0]));
    if (!name) {
        sqlite3_result_error_nomem(context);
        return;
    }
    try {
        resultText(context,
                   text::MnemonicOf(std::string_view(name, size_t(sqlite3_value_bytes(argv[0])))));
    } catch (const std::exception &e) {
        sqlite3_result_error(context, e.what(), -1);
    }
}

// vz_unhex(x): the bytes of a text of hexadecimal digit pairs; an error for any other text.
void unhexFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto *digits = reinterpret_cast<const char *>(sqlite3_value_text(argv[0]));
    const int size = sqlite3_value_bytes(argv[0]);
    if (!digits && size > 0) {
        sqlite3_result_error_nomem(context);
        return;
    }
    const auto nibble = [](char c) {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    if (size % 2 != 0) {
        sqlite3_result_error(context, "unhex: an odd number of hexadecimal digits", -1);
        return;
    }
    std::string bytes(size_t(size / 2), '\0');
    for (int i = 0; i < size; i += 2) {
        const int high = nibble(digits[i]);
        const int low = nibble(digits[i + 1]);
        if (high < 0 || low < 0) {
            sqlite3_result_error(context, "unhex: not a hexadecimal digit", -1);
            return;
        }
        bytes[size_t(i / 2)] = char(high * 16 + low);
    }
    sqlite3_result_blob64(context, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
}

void createFunction(sqlite3 *db, const char *name, int arguments,
                    void (*function)(sqlite3_context *, int, sqlite3_value **))
{
    const int rc = sqlite3_create_function_v2(db, name, arguments,
                                              SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                                              nullptr, function, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throw Error(std::string("cannot register ") + name + ": " + sqlite3_errmsg(db), rc);
}

} // namespace

void registerExtensions(sqlite3 *db)
{
    UErrorCode status = U_ZERO_ERROR;
    // CLDR's default Chinese collation orders by pinyin; the secondary strength ignores case
    // (and full-width against half-width letters), as Jet's and SQL Server's Chinese orders do.
    UCollator *collator = ucol_open("zh", &status);
    if (U_FAILURE(status))
        throw Error(std::string("cannot open the Chinese collation: ") + u_errorName(status));
    ucol_setStrength(collator, UCOL_SECONDARY);
    // The Chinese tailoring puts Han before Latin; GBK order (and so Jet's) has ASCII first.
    ucol_setReorderCodes(collator, nullptr, 0, &status);
    const int rc = sqlite3_create_collation_v2(db, TextCollation, SQLITE_UTF8, collator,
                                               compareText, closeCollator);
    if (rc != SQLITE_OK) {
        ucol_close(collator);
        throw Error(std::string("cannot register the text collation: ") + sqlite3_errmsg(db), rc);
    }
    createFunction(db, "vz_datetime", 1, datetimeFunction);
    createFunction(db, "vz_format", 2, formatFunction);
    createFunction(db, "vz_val", 1, valFunction);
    createFunction(db, "vz_instr", 3, instrFunction);
    createFunction(db, "vz_amp", -1, ampersandFunction);
    createFunction(db, "vz_right", 2, rightFunction);
    createFunction(db, "vz_getpy", 1, getpyFunction);
    createFunction(db, "vz_unhex", 1, unhexFunction);
}

} // namespace sql
