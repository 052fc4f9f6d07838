#include "numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace catalogue {
namespace {

// Appends decimal digits with "." between groups of three from the right.
void appendGrouped(std::string& out, std::string_view digits)
{
    for (std::size_t k = 0; k < digits.size(); ++k) {
        if (k > 0 && (digits.size() - k) % 3 == 0)
            out += '.';
        out += digits[k];
    }
}

// Adds one to the last digit of a text of digits and at most one ".",
// carrying to the left: "0.062" becomes "0.063", "999.999" "1000.000".
void addOneUnit(std::string& text)
{
    for (std::size_t k = text.size(); k-- > 0;) {
        if (text[k] == '.')
            continue;
        if (text[k] != '9') {
            ++text[k];
            return;
        }
        text[k] = '0';
    }
    text.insert(text.begin(), '1');
}

// A non-negative finite value with `decimals` decimals, "." before them.
// std::to_chars rounds an exact half to the even digit; the numbers of the
// windows round it away from zero. A value is an exact half at `decimals`
// places when it is an odd multiple of 2^-(decimals + 1): only then does
// 10^decimals times it end in ".5".
std::string fixed(double magnitude, int decimals)
{
    const bool half = std::fmod(std::ldexp(magnitude, decimals + 1), 2.0) == 1.0;
    char buffer[std::numeric_limits<double>::max_exponent10 + 32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::fixed,
                                   half ? decimals + 1 : decimals).ptr;
    std::string text(buffer, end);
    if (half) {
        text.pop_back(); // the "5", followed by nothing in the exact value
        if (decimals == 0)
            text.pop_back(); // the "."
        addOneUnit(text);
    }
    return text;
}

} // namespace

std::string formatInteger(std::int64_t value)
{
    const std::string digits = std::to_string(value);
    std::string out;
    const bool negative = value < 0;
    if (negative)
        out += '-';
    appendGrouped(out, std::string_view(digits).substr(negative ? 1 : 0));
    return out;
}

std::string formatDecimal(double value, int decimals)
{
    if (!std::isfinite(value))
        return {};
    decimals = std::clamp(decimals, 0, 20);
    const std::string text = fixed(std::fabs(value), decimals);
    const std::size_t point = text.find('.');
    std::string_view whole = text;
    std::string_view fraction;
    if (point != std::string::npos) {
        whole = std::string_view(text).substr(0, point);
        fraction = std::string_view(text).substr(point + 1);
    }
    while (!fraction.empty() && fraction.back() == '0')
        fraction.remove_suffix(1);
    std::string out;
    if (value < 0 && (whole != "0" || !fraction.empty()))
        out += '-';
    appendGrouped(out, whole);
    if (!fraction.empty())
        out.append(",").append(fraction);
    return out;
}

std::optional<std::int32_t> parseInteger(std::string_view text, Dots dots)
{
    const bool skipDots = dots == Dots::Ignored;
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (skipDots && text[i] == '.')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // The magnitude is given up as soon as it passes 2^31 (the magnitude of
    // the least value), so it never overflows.
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    bool digits = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (skipDots && c == '.')
            continue;
        if (c < '0' || c > '9')
            return std::nullopt;
        digits = true;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > kLimit)
            return std::nullopt;
    }
    if (!digits || magnitude > (negative ? kLimit : kLimit - 1))
        return std::nullopt;
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

} // namespace catalogue
