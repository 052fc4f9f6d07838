// The name search's text and filters, and names as people write them.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "collation.h"
#include "cp1252.h"
#include "cp1252_text.h"
#include "error.h"
#include "filter.h"
#include "search.h"
#include "table.h"

using namespace catalogue;

namespace {

TEST(SearchTest, ATextTypedAsTheNamesAreWrittenKeepsTheSimpleFilter)
{
    EXPECT_EQ(nameSearchFilter(UnitKind::Entity, ""), "(tiponum = 3) and (Upper(nombrebusc) like '%%')");
    EXPECT_EQ(nameSearchFilter(UnitKind::Nucleus, "EL"), "(tiponum = 4) and (Upper(nombrebusc) like '%EL%')");
    EXPECT_EQ(nameSearchFilter(UnitKind::Municipality, "ZARAGOZA", true), "(tiponum = 2) and (Upper(nombrebusc) like '%ZARAGOZA%')");
    // A quote is written twice; pattern characters go in as typed.
    EXPECT_EQ(nameSearchFilter(UnitKind::Municipality, "A%_\\"), "(tiponum = 2) and (Upper(nombrebusc) like '%A%_\\%')");
    // A text with "Ñ" finds names with "ñ" only.
    EXPECT_EQ(nameSearchFilter(UnitKind::Municipality, cp("PEÑA")), cp("(tiponum = 2) and (Upper(nombrebusc) like '%PEÑA%')"));
    EXPECT_EQ(nameSearchFilter(UnitKind::Entity, "EL GRADO"),
              "(tiponum = 3) and ((Upper(nombrebusc) like '%EL GRADO%') or "
              "(Upper(Natural(nombrebusc)) like '%EL GRADO%'))");
    // The hyphens become spaces in the natural side only.
    EXPECT_EQ(nameSearchFilter(UnitKind::Entity, "ALTO-SOBRARBE"),
              "(tiponum = 3) and ((Upper(nombrebusc) like '%ALTO-SOBRARBE%') or "
              "(Upper(Natural(nombrebusc)) like '%ALTO SOBRARBE%'))");
    EXPECT_EQ(nameSearchFilter(UnitKind::Municipality, "L'A-B_%"),
              "(tiponum = 2) and ((Upper(nombrebusc) like '%L''A-B_%%') or "
              "(Upper(Natural(nombrebusc)) like '%L''A B_%%'))");
}

// Texts typed otherwise keep that filter and add what finds more.
TEST(SearchTest, ATextTypedOtherwiseAddsWhatFindsMore)
{
    // "n" and "u" also match the names' "ñ" and "ü".
    EXPECT_EQ(nameSearchFilter(UnitKind::Municipality, "ALCANIZ"), "(tiponum = 2) and ((Upper(nombrebusc) like '%ALCANIZ%') or "
                                               "(Upper(Plain(Natural(nombrebusc))) like '%ALCANIZ%'))");
    EXPECT_EQ(nameSearchFilter(UnitKind::Entity, "O'DONNELL"), "(tiponum = 3) and ((Upper(nombrebusc) like '%O''DONNELL%') or "
                                                 "(Upper(Plain(Natural(nombrebusc))) like '%O''DONNELL%'))");
    EXPECT_EQ(nameSearchFilter(UnitKind::Municipality, "PENAS DE RIGLOS"),
              "(tiponum = 2) and ((Upper(nombrebusc) like '%PENAS DE RIGLOS%') or "
              "(Upper(Natural(nombrebusc)) like '%PENAS DE RIGLOS%') or "
              "(Upper(Plain(Natural(nombrebusc))) like '%PENAS DE RIGLOS%'))");
    // Spaces at either end dropped and runs of spaces taken as one.
    EXPECT_EQ(nameSearchFilter(UnitKind::Nucleus, "BIEL "), "(tiponum = 4) and ((Upper(nombrebusc) like '%BIEL %') or "
                                             "(Upper(Natural(nombrebusc)) like '%BIEL %') or "
                                             "(Upper(Natural(nombrebusc)) like '%BIEL%'))");
    EXPECT_EQ(nameSearchFilter(UnitKind::Nucleus, " "), "(tiponum = 4) and ((Upper(nombrebusc) like '% %') or "
                                         "(Upper(Natural(nombrebusc)) like '% %') or "
                                         "(Upper(Natural(nombrebusc)) like '%%'))");
    EXPECT_EQ(nameSearchFilter(UnitKind::Municipality, " LA  -ALMUNIA "),
              "(tiponum = 2) and ((Upper(nombrebusc) like '% LA  -ALMUNIA %') or "
              "(Upper(Natural(nombrebusc)) like '% LA   ALMUNIA %') or "
              "(Upper(Natural(nombrebusc)) like '%LA  ALMUNIA%') or "
              "(Upper(Plain(Natural(nombrebusc))) like '%LA  ALMUNIA%'))");
    // Digits: the units whose code begins with them, where the catalogue has codes.
    EXPECT_EQ(nameSearchFilter(UnitKind::Entity, "22909", true),
              "(tiponum = 3) and ((Upper(nombrebusc) like '%22909%') or (codigo like '22909%'))");
    EXPECT_EQ(nameSearchFilter(UnitKind::Entity, " 50095 ", true),
              "(tiponum = 3) and ((Upper(nombrebusc) like '% 50095 %') or (Upper(Natural(nombrebusc)) like '% "
              "50095 %') or (Upper(Natural(nombrebusc)) like '%50095%') or (codigo like '50095%'))");
    EXPECT_EQ(nameSearchFilter(UnitKind::Entity, "22909"), "(tiponum = 3) and (Upper(nombrebusc) like '%22909%')");
    EXPECT_EQ(nameSearchFilter(UnitKind::Entity, "2290X", true), "(tiponum = 3) and (Upper(nombrebusc) like '%2290X%')");
}

TEST(SearchTest, NaturalNamesPutTheArticleFirstAndHyphensAsSpaces)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Almunia de Doña Godina (La)", "La Almunia de Doña Godina"},
        {"Fayos (Los)", "Los Fayos"},
        {"Cuerlas (Las)", "Las Cuerlas"},
        {"Grado (El)", "El Grado"},
        {"Escamps (Els)", "Els Escamps"},
        {"Aínsa-Sobrarbe", "Aínsa Sobrarbe"},
        {"Fuen-Santa (La)", "La Fuen Santa"},
        // The article in any letter case, kept as written.
        {"GRADO (EL)", "EL GRADO"},
        {"grado (el)", "el grado"},
        // Other words in parentheses, and articles elsewhere, stay.
        {"Aldea (Caserío)", "Aldea (Caserío)"},
        {"Peña (La) de Abajo", "Peña (La) de Abajo"},
        {"Peña (Lo)", "Peña (Lo)"},
        {"Peña(La)", "Peña(La)"},
        {"Peña (La", "Peña (La"},
        {"Peña (La)(El)", "Peña (La)(El)"},
        {"Torre (La) (El)", "El Torre (La)"},
        // Names that are only an article, or nothing before it.
        {"(La)", "(La)"},
        {" (La)", " (La)"},
        {"La", "La"},
        {"-", " "},
        {"", ""},
        {"Ab", "Ab"},
    };
    for (const auto& [name, natural] : cases)
        EXPECT_EQ(cp1252::toUtf8(naturalName(cp(name))), natural) << name;

    std::string out = "x";
    appendNaturalName("Grado (El)", out);
    EXPECT_EQ(out, "xEl Grado");
}

// The list filters on a small catalogue, against what the simple filter finds.
class SearchFilterTest : public ::testing::Test {
protected:
    SearchFilterTest()
        : table_({{"TIPONUM", FieldKind::String, 1}, {"NOMBREBUSC", FieldKind::String, 46}}, kSpanishTraditional),
          collation_(kSpanishTraditional)
    {
        for (const char* name : {"Almunia de Doña Godina (La)", "Almunia de San Juan", "Ainsa-Sobrarbe",
                                 "Alto Sobrarbe", "Grado (El)", "Fayos (Los)", "Cuerlas (Las)", "Casa O'Donnell",
                                 "San Jose", "Sanjuanes", "Peña (La)", "(La)", "Aldea (Caserio)"})
            table_.addRecord({"2", cp(name)});
        table_.addRecord({"2", std::nullopt});
        table_.addRecord({"3", "Grado (El)"});
    }

    // The names that pass, in stored order, joined by "|".
    std::string found(const std::string& filter)
    {
        const Filter compiled = Filter::compile(filter, table_, collation_);
        std::string out;
        for (std::size_t r = 0; r < table_.recordCount(); ++r)
            if (compiled.matches(r))
                out.append(out.empty() ? "" : "|").append(cp1252::toUtf8(table_.text(r, 1)));
        return out;
    }

    Table table_;
    Collation collation_;
};

TEST_F(SearchFilterTest, ArticleFirstAndSpacedNamesAreFound)
{
    const std::pair<const char*, const char*> cases[] = {
        {"LA ALMUNIA", "Almunia de Doña Godina (La)"},
        {"EL GRADO", "Grado (El)"},
        {"LOS FAYOS", "Fayos (Los)"},
        {"LAS CUERLAS", "Cuerlas (Las)"},
        {"AINSA SOBRARBE", "Ainsa-Sobrarbe"},
        {"AINSA-SOBRARBE", "Ainsa-Sobrarbe"},
        {"LA PEÑA", "Peña (La)"},
        // What the simple filter finds is still found, and the same words without the spaces at either end.
        {"SAN ", "Almunia de San Juan|San Jose|Sanjuanes"},
        {"DE ", "Almunia de Doña Godina (La)|Almunia de San Juan|Aldea (Caserio)"},
        {" (LA)", "Almunia de Doña Godina (La)|Peña (La)|(La)"},
        {"LA   ALMUNIA", "Almunia de Doña Godina (La)"},
        {"  GRADO  EL ", ""},
        // "ñ" found by "n" as well; a text typed with "ñ" finds names with "ñ" only.
        {"LA PENA", "Peña (La)"},
        {"DONA", "Almunia de Doña Godina (La)"},
        {"ODONNE", ""},
        {"DOÑA", "Almunia de Doña Godina (La)"},
        {"(LA", "Almunia de Doña Godina (La)|Cuerlas (Las)|Peña (La)|(La)"},
        // Pattern characters act on both sides.
        {"LA _E", "Peña (La)"},
        {"LOS F%S", "Fayos (Los)"},
        {"A SOBRARBE", "Ainsa-Sobrarbe"},
        {"O SOBRARBE", "Alto Sobrarbe"},
        // Words that a natural name does not hold in that order.
        {"GRADO EL", ""},
        {"LA CASERIO", ""},
        {"SANJUANES LA", ""},
    };
    for (const auto& [text, names] : cases) {
        EXPECT_EQ(found(nameSearchFilter(UnitKind::Municipality, cp(text))), names) << text;
        // Every name the simple filter finds is among them.
        const std::string simple =
            found("(tiponum = 2) and (Upper(nombrebusc) like '%" + std::string(cp(text)) + "%')");
        for (std::size_t at = 0, end = 0; at < simple.size(); at = end + 1) {
            end = std::min(simple.find('|', at), simple.size());
            EXPECT_NE(("|" + std::string(names) + "|").find("|" + simple.substr(at, end - at) + "|"),
                      std::string::npos)
                << text;
        }
    }
    EXPECT_EQ(found(nameSearchFilter(UnitKind::Entity, "EL GRADO")), "Grado (El)");
    // The empty text lists every named unit of the kind.
    EXPECT_EQ(found(nameSearchFilter(UnitKind::Entity, "")), "Grado (El)");
}

// No typed text makes a list filter malformed: a quote is doubled, and any
// other character stands inside the quoted pattern.
TEST_F(SearchFilterTest, NoTypedTextMakesAListFilterMalformed)
{
    for (const std::string& text : {std::string("'"), std::string("''"), std::string("\\"), std::string("') OR ('"),
                                    std::string("O'DONNELL -"), std::string("%'_ -\\"), std::string("/* -"),
                                    std::string(300, '\''), std::string(300, '-')}) {
        for (UnitKind kind : kUnitKinds) {
            EXPECT_NO_THROW(Filter::compile(nameSearchFilter(kind, text), table_, collation_)) << text;
        }
    }
    EXPECT_EQ(found(nameSearchFilter(UnitKind::Municipality, "') OR ('")), "");
}

} // namespace
