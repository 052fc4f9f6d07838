// Numbers in Spanish form: written with "." between thousands and "," before
// the decimals, and read back as whole numbers.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "numbers.h"

using catalogue::Dots;
using catalogue::formatDecimal;
using catalogue::formatInteger;
using catalogue::parseInteger;

TEST(FormatInteger, PutsADotBetweenGroupsOfThreeDigitsFromTheRight)
{
    const std::vector<std::pair<std::int64_t, const char*>> numbers = {
        {0, "0"}, {7, "7"}, {488, "488"}, {999, "999"}, {1000, "1.000"}, {1016, "1.016"}, {10050, "10.050"},
        {638799, "638.799"}, {1000000, "1.000.000"}, {2147483647, "2.147.483.647"},
        {std::numeric_limits<std::int64_t>::max(), "9.223.372.036.854.775.807"},
        // The sign stands before the first group.
        {-1, "-1"}, {-999, "-999"}, {-1500, "-1.500"}, {-100000, "-100.000"}, {-2147483648LL, "-2.147.483.648"},
        {std::numeric_limits<std::int64_t>::min(), "-9.223.372.036.854.775.808"}};
    for (const auto& [number, text] : numbers)
        EXPECT_EQ(formatInteger(number), text) << number;
}

TEST(FormatDecimal, WritesAtMostTheDecimalsAskedForWithoutTrailingZeros)
{
    // Three places, as the chart's axis labels.
    const std::vector<std::pair<double, const char*>> threePlaces = {
        {200, "200"}, {1066.8, "1.066,8"}, {0.1 + 0.2, "0,3"}, {2.0004, "2"}, {1234567.125, "1.234.567,125"},
        {999.9996, "1.000"}, {0.0005, "0,001"}, {1e20, "100.000.000.000.000.000.000"},
        // A minus sign only when something is left after rounding.
        {-1500, "-1.500"}, {-0.0001, "0"}, {-0.0, "0"}, {-0.0006, "-0,001"},
        // An exact half goes away from zero, not to the even digit.
        {0.0625, "0,063"}, {2.5625, "2,563"}, {-0.3125, "-0,313"}, {0.1875, "0,188"}};
    for (const auto& [number, text] : threePlaces)
        EXPECT_EQ(formatDecimal(number, 3), text) << number;

    EXPECT_EQ(formatDecimal(0.5, 0), "1");
    EXPECT_EQ(formatDecimal(2.5, 0), "3");
    EXPECT_EQ(formatDecimal(-0.5, 0), "-1");
    EXPECT_EQ(formatDecimal(-0.4, 0), "0");
    EXPECT_EQ(formatDecimal(9999.5, 0), "10.000");
    EXPECT_EQ(formatDecimal(1066.84, 1), "1.066,8");
    // Places outside 0 to 20 are taken as the nearer end.
    EXPECT_EQ(formatDecimal(1.75, -1), "2");
    EXPECT_EQ(formatDecimal(0.1, 25), "0,10000000000000000555");

    for (double nothing : {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::quiet_NaN()})
        EXPECT_EQ(formatDecimal(nothing, 3), "") << nothing;
}

TEST(ParseInteger, ReadsBlanksASignAndDigitsThatFit32Bits)
{
    const std::vector<std::pair<const char*, std::int32_t>> numbers = {
        {"20001", 20001}, {"0", 0}, {"-0", 0}, {"007", 7}, {"  42", 42}, {"+5", 5}, {"-5", -5}, {" -638799", -638799},
        {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1}, {"00000000000000000000012", 12}};
    for (const auto& [text, value] : numbers)
        EXPECT_EQ(parseInteger(text), value) << text;

    for (const char* none : {"", " ", "-", "+", "+-1", "- 5", "1.016", "10.050", "El Cier", "12 ", "1 2", "\t7", "1e3",
                             "0x10", "1,5", "2147483648", "-2147483649", "99999999999999999999"})
        EXPECT_EQ(parseInteger(none), std::nullopt) << none;
}

TEST(ParseInteger, PassesOverEveryDotWhenAskedTo)
{
    // As the census table's cells are read: the figures as written, and dots
    // wherever they stand.
    const std::vector<std::pair<const char*, std::int32_t>> numbers = {
        {"1.016", 1016}, {"10.050", 10050}, {" 638.799", 638799}, {"488", 488}, {"1.0.1.6", 1016}, {"..1..", 1},
        {". -5", -5}, {"-.5", -5}, {"2.147.483.647", 2147483647}, {"-2.147.483.648", -2147483647 - 1}};
    for (const auto& [text, value] : numbers)
        EXPECT_EQ(parseInteger(text, Dots::Ignored), value) << text;

    for (const char* none : {"", ".", "-", "-.", "--", "1,5", "1.016 ", "3.000.000.000", "2.147.483.648"})
        EXPECT_EQ(parseInteger(none, Dots::Ignored), std::nullopt) << none;
}
