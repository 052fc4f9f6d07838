// Units as rows: code, display name, kind word, municipality, comarca and
// figures, from the catalogue the program embeds.

#include <gtest/gtest.h>

#include <algorithm>

#include "copiedtable.h"
#include "export_fixture.h"
#include "units.h"

using exporttest::allRows;
using exporttest::rowWithCode;
using exporting::UnitKind;

TEST(UnitRows, EveryUnitOfTheCatalogueBecomesARow)
{
    ASSERT_EQ(allRows().size(), 2555u);
    const auto count = [](UnitKind kind) {
        return std::count_if(allRows().begin(), allRows().end(),
                             [kind](const exporting::UnitRow& row) { return row.kind == kind; });
    };
    EXPECT_EQ(count(UnitKind::CurrentMunicipality), 731);
    EXPECT_EQ(count(UnitKind::HistoricalMunicipality), 260);
    EXPECT_EQ(count(UnitKind::Entity), 1503);
    EXPECT_EQ(count(UnitKind::Nucleus), 61);
}

TEST(UnitRows, AMunicipalityHasItsFiguresAsNumbersAndItsComarca)
{
    const exporting::UnitRow& zaragoza = rowWithCode("50297");
    EXPECT_EQ(zaragoza.name, "Zaragoza");
    EXPECT_EQ(zaragoza.kind, UnitKind::CurrentMunicipality);
    EXPECT_EQ(exporting::kindWord(zaragoza.kind), "Municipio");
    EXPECT_EQ(zaragoza.municipality, "");
    EXPECT_EQ(zaragoza.comarca, "Central");
    EXPECT_EQ(zaragoza.figures[0], 98397);
    EXPECT_EQ(zaragoza.figures[7], 467223);
    EXPECT_EQ(zaragoza.figures[11], 638799);
}

TEST(UnitRows, AHistoricalMunicipalityHasItsTerritorysComarcaAndGapsWhereItWasNone)
{
    const exporting::UnitRow& biel = rowWithCode("50049");
    EXPECT_EQ(biel.name, "Biel -- municipio histórico");
    EXPECT_EQ(biel.title, "Biel");
    EXPECT_EQ(biel.kind, UnitKind::HistoricalMunicipality);
    EXPECT_EQ(exporting::kindWord(biel.kind), "Municipio");
    EXPECT_EQ(biel.comarca, "Cinco Villas");
    EXPECT_EQ(biel.figures[0], 1330);
    EXPECT_EQ(biel.figures[7], 404);
    EXPECT_FALSE(biel.figures[8].has_value());
    EXPECT_FALSE(biel.figures[11].has_value());
    // Today's Biel, another record of the same name.
    EXPECT_EQ(rowWithCode("50901").kind, UnitKind::CurrentMunicipality);
}

TEST(UnitRows, EntitiesAndNucleiNameTheirMunicipalityAndHaveNoFigures)
{
    const exporting::UnitRow& entity = rowWithCode("509010001");
    EXPECT_EQ(entity.name, "Biel");
    EXPECT_EQ(entity.kind, UnitKind::Entity);
    EXPECT_EQ(exporting::kindWord(entity.kind), "Entidad");
    // The current Biel, never the historical one of the same name.
    EXPECT_EQ(entity.municipality, "Biel");
    EXPECT_EQ(entity.comarca, "Cinco Villas");
    EXPECT_TRUE(std::none_of(entity.figures.begin(), entity.figures.end(), [](auto figure) { return figure.has_value(); }));

    const exporting::UnitRow& nucleus = rowWithCode("50095000304");
    EXPECT_EQ(nucleus.name, "Farasdués");
    EXPECT_EQ(exporting::kindWord(nucleus.kind), "Núcleo");
    EXPECT_EQ(nucleus.municipality, "Ejea de los Caballeros");
    EXPECT_EQ(nucleus.comarca, "Cinco Villas");
}

TEST(UnitRows, ACatalogueWithoutCodesGivesNoCodeMunicipalityOrComarca)
{
    catalogue::Table table(catalogue::unitFieldsWithoutCode(), catalogue::kSpanishTraditional);
    std::vector<std::optional<std::string>> values = {"30001", "3", "Pe\xf1" "a", "Pe\xf1" "a (La)", "Pe\xf1" "a (La)",
                                                      "Entidad."};
    for (const char* figure : {"1.070", "-", "0", "1.541", "-", "-", "-", "-", "-", "-", "-", "7"})
        values.emplace_back(figure);
    table.addRecord(values);
    const exporting::UnitRowBuilder builder(table, [](std::string_view) { return std::string("Central"); });
    EXPECT_FALSE(builder.hasCodes());
    const exporting::UnitRow row = builder.row(0);
    EXPECT_EQ(row.name, "Peña (La)");
    EXPECT_EQ(row.code, "");
    EXPECT_EQ(row.municipality, "");
    EXPECT_EQ(row.comarca, "");
    EXPECT_EQ(row.figures[0], 1070);
    EXPECT_FALSE(row.figures[1].has_value());
    EXPECT_EQ(row.figures[2], 0);
    EXPECT_EQ(row.figures[11], 7);
    EXPECT_THROW(builder.row(1), std::out_of_range);
}

// The historical marks of a display name (cp1252), the shorter forms too.
TEST(UnitRows, HistoricalMarksAreFoundOnlyAtTheEnd)
{
    EXPECT_TRUE(exporting::endsWithHistoricalMark("Biel -- municipio hist\xf3rico"));
    EXPECT_TRUE(exporting::endsWithHistoricalMark("Santa Engracia de Jaca -- mun. hist\xf3rico"));
    EXPECT_TRUE(exporting::endsWithHistoricalMark("X -- hist\xf3rico"));
    EXPECT_TRUE(exporting::endsWithHistoricalMark("X -- hist."));
    EXPECT_FALSE(exporting::endsWithHistoricalMark("Litera -- Fraga"));
    EXPECT_FALSE(exporting::endsWithHistoricalMark("hist\xf3rico"));
    EXPECT_FALSE(exporting::endsWithHistoricalMark(""));
}

TEST(CopiedTable, FiguresAreBareWholeNumbersAndAGapIsAnEmptyCell)
{
    const std::vector<exporting::UnitRow> rows = {rowWithCode("50049")};
    const exporting::CopiedTable table = exporting::copiedTable(rows, true);
    EXPECT_EQ(table.text, "Unidad\tTipo\tCódigo\t1900\t1910\t1920\t1930\t1940\t1950\t1960\t1970\t1981\t1991\t2001\t2004\n"
                          "Biel\tMunicipio\t50049\t1330\t1357\t1251\t1151\t949\t850\t681\t404\t\t\t\t\n");
    EXPECT_EQ(table.html.substr(0, 77), "<meta charset=\"utf-8\"><table><tr><th>Unidad</th><th>Tipo</th><th>Código</th>");
    EXPECT_NE(table.html.find("<tr><td>Biel</td><td>Municipio</td><td>50049</td><td>1330</td><td>1357</td>"),
              std::string::npos)
        << table.html;
    EXPECT_NE(table.html.find("<td>404</td><td></td><td></td><td></td><td></td></tr></table>"), std::string::npos)
        << table.html;

    const exporting::CopiedTable withoutCode = exporting::copiedTable(rows, false);
    EXPECT_EQ(withoutCode.text.substr(0, 17), "Unidad\tTipo\t1900\t");
    EXPECT_EQ(withoutCode.html.find("Código"), std::string::npos);
}

TEST(CopiedTable, MarkupInANameIsEscapedAndTabsCannotSplitACell)
{
    exporting::UnitRow row;
    row.title = "Ventas & Casas <Nuevas> \"del Río\"\tdos";
    row.kind = exporting::UnitKind::Entity;
    row.figures[1] = 1016;
    const std::vector<exporting::UnitRow> rows = {row};
    const exporting::CopiedTable table = exporting::copiedTable(rows, false);
    EXPECT_NE(table.text.find("\nVentas & Casas <Nuevas> \"del Río\" dos\tEntidad\t\t1016\t\t"), std::string::npos)
        << table.text;
    EXPECT_NE(table.html.find("<td>Ventas &amp; Casas &lt;Nuevas&gt; &quot;del Río&quot;\tdos</td><td>Entidad</td>"
                              "<td></td><td>1016</td>"),
              std::string::npos)
        << table.html;
}
