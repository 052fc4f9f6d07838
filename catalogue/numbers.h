#pragma once
// Numbers as the catalogue and the windows write and read them, in Spanish
// form: "." between groups of three digits ("1.016", "638.799"), "," before
// the decimals. The census figures are stored so; the counts of the lists,
// the chart's axis and the help document are written so.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace catalogue {

// `value` with "." between groups of three digits counted from the right and
// "-" before a negative value: "0", "488", "1.016", "638.799", "-1.500".
std::string formatInteger(std::int64_t value);

// `value` rounded to `decimals` places (0 to 20; a number outside is taken as
// the nearer of the two), an exact half away from zero ("0,063" for 0.0625 at
// three), then written as formatInteger writes the whole part, with "," and
// the decimals after it, trailing zeros dropped: "1.066,8", "2" (2.0004 at
// three), "1.000" (999.9996 at three). "-" only before a value that does not
// round to 0: "-1.500", but "0" for -0.0001. Empty for an infinite value or
// NaN. The chart's axis labels take this form at three places ("#,##0.###").
std::string formatDecimal(double value, int decimals);

// What parseInteger makes of the "." in a text.
enum class Dots : bool {
    Refused, // a "." makes the text no number: field values ("1.016" is none)
    Ignored, // every "." is passed over wherever it stands: the census table's
             // cells ("1.016" is 1016, "10.050" is 10050, "1.0.1.6" is 1016)
};

// The whole number a text holds: blanks (" ", nothing else) before it, an
// optional "+" or "-", then at least one decimal digit and nothing after them,
// with a value from -2147483648 to 2147483647 (leading zeros allowed: "007").
// Nothing for any other text: "", " ", "-", "+-1", "12 ", "1 2", "\t7",
// "1e3", "0x10", "2147483648".
std::optional<std::int32_t> parseInteger(std::string_view text, Dots dots = Dots::Refused);

} // namespace catalogue
