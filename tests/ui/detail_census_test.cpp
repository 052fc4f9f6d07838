// Reading the census points back from the census table.
#include <gtest/gtest.h>

#include "chart.h"
#include "stringgrid.h"
#include "tform1.h"

namespace {

void fill(StringGrid& grid, const QStringList& values)
{
    static const QStringList years = {"1900", "1910", "1920", "1930", "1940", "1950",
                                      "1960", "1970", "1981", "1991", "2001", "2004"};
    for (int i = 0; i < 12; ++i) {
        grid.setCells(i % 6, i < 6 ? 0 : 2, years[i]);
        grid.setCells(i % 6, i < 6 ? 1 : 3, values.value(i));
    }
}

} // namespace

TEST(CensusReadBack, DotsAreRemovedAndOnlyWholeNumbersCount)
{
    const std::pair<const char*, const char*> dots[] = {
        {"10.050", "10050"}, {"1.234.567", "1234567"}, {"..a..", "a"}, {"", ""}, {" 1.016 ", " 1016 "}};
    for (auto [text, expected] : dots)
        EXPECT_EQ(RemoveDots(text), expected) << text;

    // Words, empty cells, a trailing blank, a number too large for 32 bits
    // are missing (-1), never an error; leading blanks and a sign are part
    // of a whole number.
    const std::pair<const char*, std::int32_t> values[] = {
        {"12 ", -1}, {"", -1}, {"Sin datos", -1}, {"--", -1}, {"3.000.000.000", -1}, {"1,5", -1},
        {"  12", 12}, {"+7", 7}, {"2.147.483.647", 2147483647}, {"0", 0}};
    for (auto [text, expected] : values)
        EXPECT_EQ(chart::censusValue(text), expected) << text;
}

TEST(CensusReadBack, ValuesLabelsAndLargest)
{
    StringGrid grid(6, 4);
    fill(grid, {"488", "1.016", "10.050", "-", "0", "109.635", "9", " - ", "abc", "2.000", "12 ", "-"});
    const chart::Census census = chart::readCensus(grid);
    const std::array<std::int32_t, 12> expected = {488, 1016, 10050, -1, 0, 109635, 9, -1, -1, 2000, -1, -1};
    for (std::size_t i = 0; i < 12; ++i)
        EXPECT_EQ(census.points[i].value, expected[i]) << i;
    EXPECT_EQ(census.points[0].label, "1900");
    EXPECT_EQ(census.points[8].label, "1981");
    EXPECT_EQ(census.points[11].label, "2004");
    EXPECT_EQ(census.largest, 109635);

    // All missing, or zeros only: largest 0; the zeros are points.
    fill(grid, QStringList(12, "-"));
    EXPECT_EQ(chart::readCensus(grid).largest, 0);
    fill(grid, QStringList(12, "0"));
    const chart::Census zeros = chart::readCensus(grid);
    EXPECT_EQ(zeros.largest, 0);
    EXPECT_EQ(zeros.points[4].value, 0);
}
