// The classes of a colouring: round limits, the change in percent, the
// classes of small sets of values and their colours.

#include <gtest/gtest.h>

#include "classes.h"

namespace {

using Values = std::vector<std::optional<double>>;

TEST(Classes, LimitsAreRoundNumbers)
{
    EXPECT_EQ(geo::roundLimit(1), 1);
    EXPECT_EQ(geo::roundLimit(96), 100);
    EXPECT_EQ(geo::roundLimit(180), 200);
    EXPECT_EQ(geo::roundLimit(240), 250);
    EXPECT_EQ(geo::roundLimit(420), 500);
    EXPECT_EQ(geo::roundLimit(1234), 1000);
    EXPECT_EQ(geo::roundLimit(3600), 2500);
    EXPECT_EQ(geo::roundLimit(3900), 5000);
    EXPECT_EQ(geo::roundLimit(0.31), 0.25);
}

TEST(Classes, ChangeInPercentNeedsBothFiguresAndAStart)
{
    EXPECT_DOUBLE_EQ(*geo::percentChange(200.0, 150.0), -25.0);
    EXPECT_DOUBLE_EQ(*geo::percentChange(100.0, 350.0), 250.0);
    EXPECT_FALSE(geo::percentChange(std::nullopt, 10.0));
    EXPECT_FALSE(geo::percentChange(10.0, std::nullopt));
    EXPECT_FALSE(geo::percentChange(0.0, 10.0));
}

TEST(Classes, PopulationGetsRoundLimitsNearItsQuantiles)
{
    Values v;
    for (double x : {50, 80, 120, 150, 230, 260, 480, 520, 900, 1100, 2400, 2600, 9000, 11000, 600000})
        v.push_back(x);
    v.push_back(std::nullopt);
    const geo::Classes c = geo::Classes::of(v, geo::Measure::Population);
    // Six classes by the quantiles (120, 260, 520, 2.400, 9.000 rounded), and
    // 600.000 more than ten times the last limit: a class above 100.000.
    EXPECT_EQ(c.limits(), (std::vector<double>{100, 250, 500, 2500, 10000, 100000}));
    ASSERT_EQ(c.count(), 7u);
    EXPECT_EQ(c.classOf(50), 0);
    EXPECT_EQ(c.classOf(100), 1);
    EXPECT_EQ(c.classOf(9999), 4);
    EXPECT_EQ(c.classOf(600000), 6);
    EXPECT_EQ(c.colour(0), 0xffffccu);
    EXPECT_EQ(c.colour(6), 0x0c2c84u);
}

TEST(Classes, ChangeDivergesAboutZero)
{
    Values v;
    for (double x : {-90, -80, -70, -60, -55, -45, -40, -30, -20, -10, -5, 5, 20, 40, 150, 300})
        v.push_back(x);
    const geo::Classes c = geo::Classes::of(v, geo::Measure::Change);
    // Losses 20 %, 50 % (45 % to the ten) and 70 %; gains 20 % and 100 %.
    EXPECT_EQ(c.limits(), (std::vector<double>{-70, -50, -20, 0, 20, 100}));
    ASSERT_EQ(c.count(), 7u);
    EXPECT_EQ(c.classOf(-90), 0);
    EXPECT_EQ(c.classOf(-55), 1);
    EXPECT_EQ(c.classOf(-25), 2);
    EXPECT_EQ(c.classOf(-20), 3);
    EXPECT_EQ(c.classOf(-0.1), 3);
    EXPECT_EQ(c.classOf(0), 4);
    EXPECT_EQ(c.classOf(300), 6);
    // Losses red, darkest furthest from 0; gains blue, darkest furthest.
    EXPECT_EQ(c.colour(0), 0x67001fu);
    EXPECT_EQ(c.colour(3), 0xf4a582u);
    EXPECT_EQ(c.colour(4), 0x92c5deu);
    EXPECT_EQ(c.colour(6), 0x2166acu);
}

TEST(Classes, NoValuesGiveOneClass)
{
    const geo::Classes c = geo::Classes::of({std::nullopt}, geo::Measure::Population);
    EXPECT_TRUE(c.limits().empty());
    EXPECT_EQ(c.count(), 1u);
}

} // namespace
