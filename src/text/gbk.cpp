// Conversions between Unicode and GBK on converters kept per thread.
#include "text/gbk.h"

#include <unicode/ucnv.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <stdexcept>

namespace text {

namespace {

struct ConverterCloser
{
    void operator()(UConverter *converter) const { ucnv_close(converter); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

ConverterPtr open(const char *name)
{
    UErrorCode status = U_ZERO_ERROR;
    ConverterPtr converter(ucnv_open(name, &status));
    if (U_FAILURE(status))
        throw std::runtime_error(std::string("cannot open the ") + name +
                                 " converter: " + u_errorName(status));
    return converter;
}

// ICU counts in int32_t; output is up to twice the input.
void checkSize(size_t units)
{
    if (units > size_t(std::numeric_limits<int32_t>::max() / 2))
        throw std::length_error("text too long for a GBK conversion");
}

void check(UErrorCode status, const char *what)
{
    if (U_FAILURE(status))
        throw std::runtime_error(std::string(what) + ": " + u_errorName(status));
}

// A converter holds conversion state, so threads cannot share one without a lock; opening one
// per call costs more than the conversion of a name.
struct Converters
{
    Converters()
        : gbk(open("GBK"))
        , utf8(open("UTF-8"))
    {
        // ICU's own substitute is the one byte '?', which would count a lost character as one
        // byte and give it a '?' in a mnemonic instead of a V.
        UErrorCode status = U_ZERO_ERROR;
        ucnv_setSubstChars(gbk.get(), "\xA3\xBF", 2, &status);
        check(status, "cannot set the GBK substitute");
    }

    ConverterPtr gbk;
    ConverterPtr utf8;
};

Converters &threadConverters()
{
    thread_local Converters converters;
    return converters;
}

} // namespace

std::string ToGbk(std::string_view utf8)
{
    if (utf8.empty())
        return {};
    Converters &converters = threadConverters();
    // Each input byte gives at most two output bytes: a malformed byte is one substitute.
    std::string out(utf8.size() * 2, '\0');
    char *target = out.data();
    const char *source = utf8.data();
    UErrorCode status = U_ZERO_ERROR;
    ucnv_convertEx(converters.gbk.get(), converters.utf8.get(), &target, out.data() + out.size(),
                   &source, utf8.data() + utf8.size(), nullptr, nullptr, nullptr, nullptr, true,
                   true, &status);
    check(status, "cannot convert to GBK");
    out.resize(size_t(target - out.data()));
    return out;
}

std::string ToGbk(std::u16string_view utf16)
{
    if (utf16.empty())
        return {};
    checkSize(utf16.size());
    UConverter *gbk = threadConverters().gbk.get();
    std::string out(utf16.size() * 2, '\0');
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = ucnv_fromUChars(gbk, out.data(), int32_t(out.size()), utf16.data(),
                                           int32_t(utf16.size()), &status);
    check(status, "cannot convert to GBK");
    out.resize(size_t(length));
    return out;
}

std::u16string FromGbk(std::string_view gbk)
{
    if (gbk.empty())
        return {};
    checkSize(gbk.size());
    UConverter *converter = threadConverters().gbk.get();
    std::u16string out(gbk.size(), u'\0');
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = ucnv_toUChars(converter, out.data(), int32_t(out.size()), gbk.data(),
                                         int32_t(gbk.size()), &status);
    check(status, "cannot convert from GBK");
    out.resize(size_t(length));
    return out;
}

} // namespace text
