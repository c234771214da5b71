// Small helpers of the demo generator: a seeded random source whose results do not depend
// on the standard library's distributions, rounding to cents, and dates as stored.
#pragma once

#include <QDate>
#include <QString>

#include <charconv>
#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <vector>

namespace demodata::Internal {

class Random
{
public:
    explicit Random(uint64_t seed)
        : m_engine(seed)
    {}

    int between(int low, int high) { return low + int(m_engine() % uint64_t(high - low + 1)); }
    double unit() { return double(m_engine() >> 11) * 0x1.0p-53; }
    bool chance(double probability) { return unit() < probability; }
    // How often something happens today when it happens `mean` times a day on average.
    int count(double mean)
    {
        const int whole = int(mean);
        return whole + (chance(mean - whole) ? 1 : 0);
    }
    template<typename T>
    const T &pick(std::span<const T> items)
    {
        return items[size_t(between(0, int(items.size()) - 1))];
    }
    template<typename T>
    const T &pick(const std::vector<T> &items)
    {
        return items[size_t(between(0, int(items.size()) - 1))];
    }

private:
    std::mt19937_64 m_engine;
};

// Rounds to two decimals the way the client's "0.00" format does, on the decimal digits of

// Rounds to two decimals the way the client's "0.00" format does, on the decimal digits of
// the binary value.
inline double roundCents(double value)
{
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 2);
    double result = 0;
    std::from_chars(text, end.ptr, result);
    return result;
}

inline std::string dateText(const QDate &date)
{
    return date.toString(Qt::ISODate).toStdString();
}

inline std::string utf8(const QString &text)
{
    return text.toStdString();
}

} // namespace demodata::Internal
