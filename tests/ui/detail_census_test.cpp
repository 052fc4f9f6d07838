// Reading the census points back from the census table (words, blanks and
// signs through the window: detail_window_test.cpp).
#include <gtest/gtest.h>

#include "chart.h"
#include "stringgrid.h"
#include "tform1.h"

TEST(CensusReadBack, ValuesLabelsAndLargest)
{
    EXPECT_EQ(RemoveDots("..a.."), "a");
    // A number too large for 32 bits is missing (-1), never an error.
    const std::pair<const char*, std::int32_t> values[] = {
        {"3.000.000.000", -1}, {"1,5", -1}, {"--", -1}, {"2.147.483.647", 2147483647}};
    for (auto [text, expected] : values)
        EXPECT_EQ(chart::censusValue(text), expected) << text;

    StringGrid grid(6, 4);
    const QStringList years = QString("1900 1910 1920 1930 1940 1950 1960 1970 1981 1991 2001 2004").split(' ');
    const QStringList cells = {"488", "1.016", "10.050", "-", "0", "109.635", "9", " - ", "abc", "2.000", "12 ", "-"};
    for (int i = 0; i < 12; ++i) {
        grid.setCells(i % 6, i < 6 ? 0 : 2, years[i]);
        grid.setCells(i % 6, i < 6 ? 1 : 3, cells[i]);
    }
    const chart::Census census = chart::readCensus(grid);
    const std::array<std::int32_t, 12> expected = {488, 1016, 10050, -1, 0, 109635, 9, -1, -1, 2000, -1, -1};
    for (std::size_t i = 0; i < 12; ++i) {
        EXPECT_EQ(census.points[i].value, expected[i]) << i;
        EXPECT_EQ(census.points[i].label, years[static_cast<int>(i)]);
    }
    EXPECT_EQ(census.largest, 109635);
    // Zeros only: largest 0, and the zeros are points.
    for (int i = 0; i < 12; ++i)
        grid.setCells(i % 6, i < 6 ? 1 : 3, "0");
    EXPECT_EQ(chart::readCensus(grid).largest, 0);
    EXPECT_EQ(chart::readCensus(grid).points[4].value, 0);
}
