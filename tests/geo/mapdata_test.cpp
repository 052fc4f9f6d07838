// The map of Aragón as read from the committed resource: what it holds, where
// its points fall, and its borders.

#include <gtest/gtest.h>

#include <set>

#include "aragon_map.h"
#include "locator.h"

namespace {

const geo::MapData& m = aragonMap();

std::string codeAt(double latitude, double longitude)
{
    static const geo::Locator locator(m);
    const int a = locator.areaAt(m.projection().project(longitude, latitude), 0.002);
    return a < 0 ? "" : m.areas()[a].code;
}

TEST(AragonMap, HoldsTheCurrentMunicipalitiesTheSharedTerritoriesAndTheComarcas)
{
    EXPECT_EQ(m.municipalityCount(), 731u);
    std::set<std::string> shared;
    int huesca = 0, teruel = 0, zaragoza = 0;
    for (const geo::Area& a : m.areas()) {
        if (a.kind == geo::AreaKind::SharedTerritory)
            shared.insert(a.code);
        huesca += a.province == 22;
        teruel += a.province == 44;
        zaragoza += a.province == 50;
    }
    EXPECT_EQ(shared, (std::set<std::string>{"53049", "53076", "53077"}));
    EXPECT_EQ(huesca, 202);
    EXPECT_EQ(teruel, 236);
    EXPECT_EQ(zaragoza, 293);
    ASSERT_EQ(m.comarcas().size(), 33u);
    EXPECT_EQ(m.comarcas()[16].code, 17);
    EXPECT_EQ(m.comarcas()[16].name, "Central");
    EXPECT_EQ(m.comarcas()[m.areas()[m.areaOf("50297")].comarca].name, "Central");
    EXPECT_EQ(m.areaOf("99999"), -1);
}

TEST(AragonMap, TheBoxIsAragonsInDegrees)
{
    const geo::Projection& p = m.projection();
    EXPECT_NEAR(p.longitudeOf({m.box().x0, 0}), -2.172, 0.002);
    EXPECT_NEAR(p.longitudeOf({m.box().x1, 0}), 0.767, 0.002);
    EXPECT_NEAR(p.latitudeOf({0, m.box().y1}), 39.847, 0.002);
    EXPECT_NEAR(p.latitudeOf({0, m.box().y0}), 42.925, 0.002);
}

TEST(AragonMap, NamedPointsFallInTheirMunicipalities)
{
    // Zaragoza's city hall.
    EXPECT_EQ(codeAt(41.6563, -0.8773), "50297");
    // Codo, an enclave that Belchite (50045) surrounds.
    EXPECT_EQ(codeAt(41.338, -0.678), "50085");
    // Belchite itself, west of Codo.
    EXPECT_EQ(codeAt(41.305, -0.752), "50045");
    // Huesca, Teruel and Jaca.
    EXPECT_EQ(codeAt(42.1401, -0.4089), "22125");
    EXPECT_EQ(codeAt(40.3440, -1.1069), "44216");
    EXPECT_EQ(codeAt(42.5700, -0.5490), "22130");
    // Outside Aragón: Lleida, the Mediterranean, Navarra's Petilla de Aragón.
    EXPECT_EQ(codeAt(41.6176, 0.6200), "");
    EXPECT_EQ(codeAt(40.0, 0.5), "");
}

TEST(AragonMap, MalejanHasNoAreaAndIsAPointThatCanBeHit)
{
    const geo::Area& malejan = m.areas()[m.areaOf("50156")];
    EXPECT_TRUE(malejan.rings.empty());
    ASSERT_EQ(malejan.dots.size(), 1u);
    const geo::Locator locator(m);
    const geo::Point near{malejan.dots[0].x + 0.001, malejan.dots[0].y};
    EXPECT_EQ(m.areas()[locator.areaAt(near, 0.002)].code, "50156");
    // Further than the radius, the municipality around it.
    EXPECT_NE(locator.areaAt({malejan.dots[0].x + 0.01, malejan.dots[0].y}, 0.002), m.areaOf("50156"));
    // Exclave parts collapsed in simplification are points of their own municipality.
    for (const char* code : {"22142", "44009", "44109", "50067"}) {
        const geo::Area& a = m.areas()[m.areaOf(code)];
        EXPECT_FALSE(a.rings.empty()) << code;
        EXPECT_FALSE(a.dots.empty()) << code;
    }
}

TEST(AragonMap, EveryMunicipalityIsHitAtAPointInsideIt)
{
    const geo::Locator locator(m);
    int hit = 0;
    for (int i = 0; i < static_cast<int>(m.areas().size()); ++i) {
        const geo::Area& a = m.areas()[i];
        if (a.kind != geo::AreaKind::Municipality)
            continue;
        EXPECT_EQ(locator.areaAt(a.inside, 1e-4), i) << a.code;
        hit += locator.areaAt(a.inside, 1e-4) == i;
    }
    EXPECT_EQ(hit, 731);
}

TEST(AragonMap, BordersAreMergedByWhatTheySeparate)
{
    const auto length = [](geo::BorderKind k) {
        std::size_t points = 0;
        for (const auto& line : m.borders(k))
            points += line.size();
        return points;
    };
    // Every arc is drawn once, as one kind of border.
    const std::size_t municipal = m.borders(geo::BorderKind::Municipal).size();
    const std::size_t comarcal = m.borders(geo::BorderKind::Comarcal).size();
    const std::size_t provincial = m.borders(geo::BorderKind::Provincial).size();
    EXPECT_EQ(municipal + comarcal + provincial, 2342u);
    EXPECT_GT(length(geo::BorderKind::Municipal), length(geo::BorderKind::Comarcal));
    EXPECT_GT(length(geo::BorderKind::Comarcal), length(geo::BorderKind::Provincial) / 4);
    EXPECT_GT(provincial, 100u);
}

} // namespace
