// Census values read back from the census table's texts (whole tables, with
// words, blanks and signs, through the window: detail_window_test.cpp).
#include <gtest/gtest.h>

#include "chart.h"
#include "tform1.h"

TEST(CensusReadBack, Values)
{
    EXPECT_EQ(RemoveDots("..a.."), "a");
    // A number too large for 32 bits is missing (-1), never an error.
    const std::pair<const char*, std::int32_t> values[] = {
        {"3.000.000.000", -1}, {"1,5", -1}, {"--", -1}, {"2.147.483.647", 2147483647}};
    for (auto [text, expected] : values)
        EXPECT_EQ(chart::censusValue(text), expected) << text;
}
