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

TEST(RemoveDots, RemovesEveryDot)
{
    EXPECT_EQ(RemoveDots("10.050"), "10050");
    EXPECT_EQ(RemoveDots("1.234.567"), "1234567");
    EXPECT_EQ(RemoveDots("..a.."), "a");
    EXPECT_EQ(RemoveDots(""), "");
    EXPECT_EQ(RemoveDots("488"), "488");
    EXPECT_EQ(RemoveDots(" 1.016 "), " 1016 ");
}

TEST(CensusReadBack, ValuesLabelsAndLargest)
{
    StringGrid grid(6, 4);
    fill(grid, {"488", "1.016", "10.050", "-", "0", "109.635", "9", " - ", "\t-\r", "2.000", "1", "-"});
    const chart::Census census = chart::readCensus(grid);
    const std::array<std::int32_t, 12> expected = {488, 1016, 10050, -1, 0, 109635, 9, -1, -1, 2000, 1, -1};
    for (std::size_t i = 0; i < 12; ++i)
        EXPECT_EQ(census.points[i].value, expected[i]) << i;
    EXPECT_EQ(census.points[0].label, "1900");
    EXPECT_EQ(census.points[8].label, "1981");
    EXPECT_EQ(census.points[11].label, "2004");
    EXPECT_EQ(census.largest, 109635);
}

TEST(CensusReadBack, TextsThatAreNoNumberAreMissing)
{
    // Words, empty cells, a trailing blank, a number too large for 32 bits:
    // shown as they are, plotted as missing, never an error.
    EXPECT_EQ(chart::censusValue("12 "), -1);
    EXPECT_EQ(chart::censusValue(""), -1);
    EXPECT_EQ(chart::censusValue("Sin datos"), -1);
    EXPECT_EQ(chart::censusValue("--"), -1);
    EXPECT_EQ(chart::censusValue("3.000.000.000"), -1);
    EXPECT_EQ(chart::censusValue("1,5"), -1);
    // Leading blanks and a sign are part of a whole number.
    EXPECT_EQ(chart::censusValue("  12"), 12);
    EXPECT_EQ(chart::censusValue("+7"), 7);
    EXPECT_EQ(chart::censusValue("2.147.483.647"), 2147483647);

    StringGrid grid(6, 4);
    fill(grid, {"abc", "", "12 ", "300", "-", "x.y", "", "", "", "", "", "150"});
    const chart::Census census = chart::readCensus(grid);
    EXPECT_EQ(census.points[3].value, 300);
    EXPECT_EQ(census.points[11].value, 150);
    int missing = 0;
    for (const auto& point : census.points)
        missing += point.value == -1 ? 1 : 0;
    EXPECT_EQ(missing, 10);
    EXPECT_EQ(census.largest, 300);
    // The table keeps the texts as they are.
    EXPECT_EQ(grid.Cells(2, 1), "12 ");
}

TEST(CensusReadBack, AllMissingGivesLargestZero)
{
    StringGrid grid(6, 4);
    fill(grid, QStringList(12, "-"));
    const chart::Census census = chart::readCensus(grid);
    EXPECT_EQ(census.largest, 0);
    for (const auto& point : census.points)
        EXPECT_EQ(point.value, -1);
    // Zeros only: largest stays 0, the zeros are points.
    fill(grid, QStringList(12, "0"));
    const chart::Census zeros = chart::readCensus(grid);
    EXPECT_EQ(zeros.largest, 0);
    EXPECT_EQ(zeros.points[4].value, 0);
}
