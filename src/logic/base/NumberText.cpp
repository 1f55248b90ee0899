#include "logic/base/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace NumberText {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Up to 15 significant digits, exponent in the form "E+20", and no leading
// zero before the decimal point, as the log files of earlier versions hold.
std::string formatMagnitude(double magnitude)
{
    if (magnitude < 1e15 && std::floor(magnitude) == magnitude) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.0f", magnitude);
        return buf;
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15G", magnitude);
    std::string text = buf;
    const auto e = text.find('E');
    std::string mantissa = text.substr(0, e);
    std::string exponent = e == std::string::npos ? std::string() : text.substr(e);
    if (mantissa.find('.') != std::string::npos) {
        while (!mantissa.empty() && mantissa.back() == '0')
            mantissa.pop_back();
        if (!mantissa.empty() && mantissa.back() == '.')
            mantissa.pop_back();
    }
    if (mantissa.size() > 1 && mantissa[0] == '0' && mantissa[1] == '.')
        mantissa.erase(0, 1);
    if (!exponent.empty()) {
        // "E+020" or "E-05" -> "E+20", "E-5"
        std::string digits = exponent.substr(2);
        while (digits.size() > 1 && digits[0] == '0')
            digits.erase(0, 1);
        exponent = exponent.substr(0, 2) + digits;
    }
    return mantissa + exponent;
}

}  // namespace

std::string toText(double value)
{
    if (std::isnan(value))
        return " NaN";
    if (std::isinf(value))
        return value > 0 ? " Infinity" : "-Infinity";
    if (value == 0)
        return " 0";
    return (value < 0 ? "-" : " ") + formatMagnitude(std::fabs(value));
}

double fromText(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t begin = i;
    bool any = false;
    while (i < text.size() && isDigit(text[i])) {
        any = true;
        ++i;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            any = true;
            ++i;
        }
    }
    if (!any)
        return 0;
    double value = 0;
    const auto [end, error] =
        std::from_chars(text.data() + begin, text.data() + i, value, std::chars_format::fixed);
    if (error == std::errc::result_out_of_range) {
        // Too large or too small for a double: overflow if the integer part is not zero.
        const auto intPart = text.substr(begin, i - begin);
        const bool large = intPart.find_first_of("123456789") < intPart.find('.');
        value = large ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
}

std::optional<double> strictNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    bool any = false;
    while (i < text.size() && isDigit(text[i])) {
        any = true;
        ++i;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            any = true;
            ++i;
        }
    }
    while (i < text.size() && isBlank(text[i]))
        ++i;
    if (!any || i != text.size())
        return std::nullopt;
    return fromText(text);
}

double roundHalfEven(double value)
{
    // nearbyint follows the current rounding mode, which is to-nearest-even
    // unless someone changed it; do the tie explicitly to be independent of it.
    const double lower = std::floor(value);
    const double diff = value - lower;
    if (diff < 0.5)
        return lower;
    if (diff > 0.5)
        return lower + 1;
    return std::fmod(lower, 2) == 0 ? lower : lower + 1;
}

namespace {
template <typename T>
std::optional<T> toInteger(double value)
{
    if (std::isnan(value))
        return std::nullopt;
    const double r = roundHalfEven(value);
    if (r < static_cast<double>(std::numeric_limits<T>::min()) ||
        r > static_cast<double>(std::numeric_limits<T>::max()))
        return std::nullopt;
    return static_cast<T>(r);
}
}  // namespace

std::optional<std::int16_t> toInt16(double value) { return toInteger<std::int16_t>(value); }
std::optional<std::int32_t> toInt32(double value) { return toInteger<std::int32_t>(value); }

std::int16_t saturatingAdd(std::int16_t value, int delta)
{
    const long sum = static_cast<long>(value) + delta;
    if (sum > std::numeric_limits<std::int16_t>::max())
        return std::numeric_limits<std::int16_t>::max();
    if (sum < std::numeric_limits<std::int16_t>::min())
        return std::numeric_limits<std::int16_t>::min();
    return static_cast<std::int16_t>(sum);
}

}  // namespace NumberText
