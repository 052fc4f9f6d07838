// The arithmetic of census series, on the figures of named units of
// resources/pueblos.csv, with the results worked out by hand.
#include <gtest/gtest.h>

#include "series.h"

namespace series = catalogue::series;

namespace {

constexpr std::nullopt_t M = std::nullopt; // "-" in the catalogue

// 50297 Zaragoza, 22909 Vencillón (a municipality from 1940), 22500 Abay (a
// historical municipality, to 1940), an entity without figures.
const series::Figures kZaragoza = {98397,  109957, 138617, 160179, 202948, 241867,
                                   301655, 467223, 569830, 592548, 612472, 638799};
const series::Figures kVencillon = {M, M, M, M, 149, 147, 88, 456, 542, 514, 468, 446};
const series::Figures kAbay = {488, 462, 442, 516, 505, M, M, M, M, M, M, M};
const series::Figures kEntity = {M, M, M, M, M, M, M, M, M, M, M, M};

TEST(Series, ReadsFiguresAsTheCatalogueStoresThem)
{
    EXPECT_EQ(series::parseFigure("98.397"), 98397);
    EXPECT_EQ(series::parseFigure("638.799"), 638799);
    EXPECT_EQ(series::parseFigure("459"), 459);
    EXPECT_EQ(series::parseFigure("0"), 0);
    EXPECT_EQ(series::parseFigure("-"), M);
    EXPECT_EQ(series::parseFigure(""), M);
    EXPECT_EQ(series::parseFigure("-12"), M);
    EXPECT_EQ(series::parseFigure("1.2a"), M);
}

TEST(Series, TheFirstCommonDateIsTheFirstAtWhichEveryUnitHasAFigure)
{
    const std::vector<series::Figures> zaragozaAndVencillon = {kZaragoza, kVencillon};
    EXPECT_EQ(series::firstCommonDate(zaragozaAndVencillon), 4u); // 1940
    const std::vector<series::Figures> zaragozaAlone = {kZaragoza};
    EXPECT_EQ(series::firstCommonDate(zaragozaAlone), 0u);
    // Abay ends in 1940, the year Vencillón begins.
    const std::vector<series::Figures> abayAndVencillon = {kAbay, kVencillon};
    EXPECT_EQ(series::firstCommonDate(abayAndVencillon), 4u);
    const std::vector<series::Figures> withTheEntity = {kZaragoza, kEntity};
    EXPECT_EQ(series::firstCommonDate(withTheEntity), M);
    EXPECT_EQ(series::firstCommonDate({}), M);
    // A figure of 0 cannot be 100.
    series::Figures zeroIn1900 = kZaragoza;
    zeroIn1900[0] = 0;
    const std::vector<series::Figures> withZero = {zeroIn1900};
    EXPECT_EQ(series::firstCommonDate(withZero), 1u);
}

TEST(Series, TheIndexOfZaragozaAndVencillonFrom1940)
{
    const series::Values zaragoza = series::index(kZaragoza, 4);
    EXPECT_NEAR(*zaragoza[0], 48.4838, 1e-4);  // 98.397 / 202.948
    EXPECT_DOUBLE_EQ(*zaragoza[4], 100.0);
    EXPECT_NEAR(*zaragoza[5], 119.1768, 1e-4); // 241.867 / 202.948
    EXPECT_NEAR(*zaragoza[11], 314.7599, 1e-4); // 638.799 / 202.948

    const series::Values vencillon = series::index(kVencillon, 4);
    for (std::size_t date = 0; date < 4; ++date)
        EXPECT_EQ(vencillon[date], M) << "gap at " << series::kYears[date];
    EXPECT_DOUBLE_EQ(*vencillon[4], 100.0);
    EXPECT_NEAR(*vencillon[5], 98.6577, 1e-4);  // 147 / 149
    EXPECT_NEAR(*vencillon[8], 363.7584, 1e-4); // 542 / 149
    EXPECT_NEAR(*vencillon[11], 299.3289, 1e-4); // 446 / 149
}

TEST(Series, AnIndexOnADateWithoutAFigureHasNoValues)
{
    const series::Values values = series::index(kVencillon, 0);
    for (const std::optional<double>& value : values)
        EXPECT_EQ(value, M);
    EXPECT_EQ(series::index(kZaragoza, 12)[0], M);
}

TEST(Series, TheChangeBetweenCensusesBreaksAtEveryGap)
{
    const series::Values zaragoza = series::changeBetweenCensuses(kZaragoza);
    EXPECT_EQ(zaragoza[0], M);
    EXPECT_NEAR(*zaragoza[1], 11.7483, 1e-4); // 98.397 to 109.957
    EXPECT_NEAR(*zaragoza[11], 4.2985, 1e-4); // 612.472 to 638.799

    const series::Values vencillon = series::changeBetweenCensuses(kVencillon);
    EXPECT_EQ(vencillon[4], M); // 1930 has no figure
    EXPECT_NEAR(*vencillon[5], -1.3423, 1e-4); // 149 to 147
    EXPECT_NEAR(*vencillon[7], 418.1818, 1e-4); // 88 to 456

    const series::Values abay = series::changeBetweenCensuses(kAbay);
    EXPECT_NEAR(*abay[4], -2.1318, 1e-4); // 516 to 505
    EXPECT_EQ(abay[5], M);
}

TEST(Series, TheLargestFigureComesWithItsDate)
{
    EXPECT_EQ(series::largest(kZaragoza)->value, 638799);
    EXPECT_EQ(series::largest(kZaragoza)->date, 11u);
    EXPECT_EQ(series::largest(kVencillon)->value, 542);
    EXPECT_EQ(series::largest(kVencillon)->date, 8u);
    EXPECT_EQ(series::largest(kAbay)->value, 516);
    EXPECT_EQ(series::largest(kAbay)->date, 3u);
    EXPECT_FALSE(series::largest(kEntity));
    // A tie goes to the first date.
    const series::Figures tie = {5, 7, 7, M, M, M, M, M, M, M, M, M};
    EXPECT_EQ(series::largest(tie)->date, 1u);
}

TEST(Series, TheChangeFromTheFirstFigureToTheLast)
{
    EXPECT_NEAR(*series::firstToLastChange(kZaragoza), 549.2058, 1e-4); // 98.397 to 638.799
    EXPECT_NEAR(*series::firstToLastChange(kVencillon), 199.3289, 1e-4); // 149 (1940) to 446 (2004)
    EXPECT_NEAR(*series::firstToLastChange(kAbay), 3.4836, 1e-4);       // 488 (1900) to 505 (1940)
    EXPECT_FALSE(series::firstToLastChange(kEntity));
    const series::Figures once = {M, M, M, M, M, M, M, 427, M, M, M, M}; // 22026 Alto Sobrarbe
    EXPECT_FALSE(series::firstToLastChange(once));
}

} // namespace
