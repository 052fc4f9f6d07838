// What each colouring makes of the catalogue's figures: classes of named
// municipalities, the legend in Spanish number format, the table's order,
// comarcas added up.

#include <gtest/gtest.h>

#include <QFile>

#include "map_fixture.h"
#include "mapcolouring.h"

namespace {

map::ColouredMap coloured(map::Colouring::Kind kind, int date, int from, int to, bool byComarca = false)
{
    map::Colouring c;
    c.kind = kind;
    c.date = date;
    c.from = from;
    c.to = to;
    c.byComarca = byComarca;
    return map::ColouredMap(aragon(), catalogueFigures(), c);
}

int classOf(const map::ColouredMap& m, const char* code)
{
    return m.classOf(aragon().areaOf(code));
}

TEST(MapColouring, TheCatalogueGivesFiguresForEveryMunicipalityOfTheMap)
{
    int found = 0;
    for (const geo::Area& a : aragon().areas())
        found += a.kind == geo::AreaKind::Municipality && catalogueFigures().count(a.code);
    EXPECT_EQ(found, 731);
    const auto& zaragoza = catalogueFigures().at("50297");
    EXPECT_EQ(zaragoza.name, "Zaragoza");
    EXPECT_EQ(zaragoza.census[0], 98397);
    EXPECT_EQ(zaragoza.census[10], 612472);
    EXPECT_FALSE(catalogueFigures().at("22909").census[0]); // Vencillón, 1900
}

TEST(MapColouring, ChangeFrom1900To2001PutsNamedMunicipalitiesInTheirClasses)
{
    const map::ColouredMap m = coloured(map::Colouring::Kind::Change, 0, 0, 10);
    EXPECT_EQ(m.legendLabels(), (QStringList{"menos de −80 %", "−80 % a −70 %", "−70 % a −60 %", "−60 % a 0 %",
                                             "0 % a 30 %", "30 % a 80 %", "80 % o más"}));
    EXPECT_EQ(classOf(m, "44131"), 0); // Josa, −95,1 %
    EXPECT_EQ(classOf(m, "50085"), 1); // Codo, −74,8 %
    EXPECT_EQ(classOf(m, "22028"), 2); // Ansó, −66,2 %
    EXPECT_EQ(classOf(m, "22907"), 3); // Aínsa-Sobrarbe, −56,5 %
    EXPECT_EQ(classOf(m, "22130"), 4); // Jaca, +27,2 %
    EXPECT_EQ(classOf(m, "44013"), 5); // Alcañiz, +74,4 %
    EXPECT_EQ(classOf(m, "50297"), 6); // Zaragoza, +522,4 %
    EXPECT_EQ(classOf(m, "22909"), -1); // Vencillón: no figure in 1900
    EXPECT_EQ(classOf(m, "53049"), -1); // a shared territory has none
    EXPECT_EQ(m.formatValue(*m.valueOf(aragon().areaOf("50297"))), "522,4 %");
    EXPECT_EQ(m.formatValue(*m.valueOf(aragon().areaOf("44131"))), "−95,1 %");
    // Colours: losses red, gains blue.
    EXPECT_EQ(m.colourOf(aragon().areaOf("44131")), QColor(0x67, 0x00, 0x1f));
    EXPECT_EQ(m.colourOf(aragon().areaOf("50297")), QColor(0x21, 0x66, 0xac));
}

TEST(MapColouring, TheTableListsHighestFirstAndTheUnknownLast)
{
    const map::ColouredMap m = coloured(map::Colouring::Kind::Change, 0, 0, 10);
    const auto& rows = m.rows();
    ASSERT_EQ(rows.size(), 731u);
    EXPECT_EQ(rows[0].name, "Utebo");
    EXPECT_EQ(rows[1].name, "Cuarte de Huerva");
    EXPECT_EQ(rows[2].name, "Zaragoza");
    EXPECT_EQ(rows[2].comarca, "Central");
    EXPECT_EQ(rows[2].code, "50297");
    EXPECT_EQ(rows[729].name, "Viacamp y Litera");
    EXPECT_EQ(rows[730].name, "Vencillón");
    EXPECT_FALSE(rows[730].value);
}

TEST(MapColouring, PopulationIn2001HasRoundLimitsAndTownsApart)
{
    const map::ColouredMap m = coloured(map::Colouring::Kind::Population, 10, 0, 10);
    EXPECT_EQ(m.legendLabels(),
              (QStringList{"menos de 100", "100 a 249", "250 a 499", "500 a 999", "1.000 a 9.999", "10.000 o más"}));
    EXPECT_EQ(classOf(m, "50297"), 5);
    EXPECT_EQ(classOf(m, "22130"), 5); // Jaca, 11.398
    EXPECT_EQ(classOf(m, "44131"), 0); // Josa, 30
    EXPECT_EQ(m.rows()[0].name, "Zaragoza");
    EXPECT_EQ(m.formatValue(*m.rows()[0].value), "612.472");
    EXPECT_EQ(m.rows()[1].name, "Huesca");
    // Villamayor de Gállego has no figure of its own in 2004.
    const map::ColouredMap of2004 = coloured(map::Colouring::Kind::Population, 11, 0, 10);
    EXPECT_EQ(classOf(of2004, "50903"), -1);
    EXPECT_EQ(of2004.rows().back().name, "Villamayor de Gállego");
}

TEST(MapColouring, ByComarcasTheMunicipalitiesAreAddedUp)
{
    const map::ColouredMap m = coloured(map::Colouring::Kind::Population, 10, 0, 10, true);
    const auto& rows = m.rows();
    ASSERT_EQ(rows.size(), 33u);
    EXPECT_EQ(rows[0].name, "Central");
    EXPECT_EQ(*rows[0].value, 656746);
    EXPECT_EQ(rows[1].name, "Hoya de Huesca / Plana de Uesca");
    EXPECT_EQ(*rows[1].value, 60254);
    EXPECT_TRUE(rows[0].code.isEmpty());
    // Every municipality of a comarca takes its comarca's value.
    EXPECT_EQ(*m.valueOf(aragon().areaOf("50272")), 656746); // Utebo
    // A comarca's figure leaves out only what was not there: La Litera in 1900
    // without Vencillón.
    const map::ColouredMap change = coloured(map::Colouring::Kind::Change, 0, 0, 10, true);
    EXPECT_GE(change.classOf(aragon().areaOf("22909")), 0);
}

TEST(MapColouring, DescriptionsNameTheColouring)
{
    map::Colouring c;
    EXPECT_EQ(c.describe(), "sin colorear");
    c.kind = map::Colouring::Kind::Population;
    c.date = 4;
    EXPECT_EQ(c.describe(), "población en 1940");
    EXPECT_EQ(c.valueHeading(), "Población en 1940");
    c.kind = map::Colouring::Kind::Change;
    c.byComarca = true;
    EXPECT_EQ(c.describe(), "variación de la población de 1900 a 2001 por comarcas");
    EXPECT_EQ(c.valueHeading(), "Variación 1900–2001 (%)");
}

} // namespace
