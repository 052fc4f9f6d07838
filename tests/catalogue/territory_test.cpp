// The territory of the municipalities (territory.h): the table read and
// refused, the current municipalities that hold a historical one, the
// comarcas, and the units of a municipality listed as the window lists them,
// against the catalogue the program embeds and the committed territory table.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cp1252.h"
#include "error.h"
#include "filter.h"
#include "packet.h"
#include "store.h"
#include "territory.h"
#include "view.h"

namespace {

namespace fs = std::filesystem;
using catalogue::Comarca;
using catalogue::Territory;

std::string readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string utf8(std::string_view cp1252) { return catalogue::cp1252::toUtf8(cp1252); }

using Codes = std::vector<std::string>;

// Three current municipalities in two comarcas and four historical ones, one
// of them divided between two comarcas (rows of the committed table).
constexpr std::string_view kSmallTable = "ine,territorio_actual,comarca_codigo,comarca\n"
                                         "22005,22907,,\n"
                                         "22030,22072;22173,,\n"
                                         "22072,22072,02,Alto Gállego\n"
                                         "22173,22173,06,Hoya de Huesca / Plana de Uesca\n"
                                         "22526,22907,,\n"
                                         "22907,22907,03,Sobrarbe\n"
                                         "22636,22907,,\n";

TEST(TerritoryTest, HoldersAndHeldOfATable)
{
    const Territory territory = Territory::read(kSmallTable);
    EXPECT_EQ(territory.size(), 7u);
    EXPECT_TRUE(territory.isCurrent("22907"));
    EXPECT_FALSE(territory.isHistorical("22907"));
    EXPECT_TRUE(territory.isHistorical("22005"));
    EXPECT_FALSE(territory.isCurrent("22005"));
    EXPECT_FALSE(territory.isCurrent("50297"));
    EXPECT_FALSE(territory.isHistorical("50297"));

    EXPECT_EQ(territory.currentHolders("22907"), Codes{"22907"});
    EXPECT_EQ(territory.currentHolders("22005"), Codes{"22907"});
    EXPECT_EQ(territory.currentHolders("22030"), (Codes{"22072", "22173"}));
    EXPECT_EQ(territory.currentHolders("50297"), Codes{});

    EXPECT_EQ(territory.historicalHeldBy("22907"), (Codes{"22005", "22526", "22636"}));
    EXPECT_EQ(territory.historicalHeldBy("22173"), Codes{"22030"});
    EXPECT_EQ(territory.historicalHeldBy("22005"), Codes{}); // a historical one holds none
    EXPECT_EQ(territory.historicalHeldBy("50297"), Codes{});
}

TEST(TerritoryTest, ComarcasOfCurrentAndHistoricalMunicipalities)
{
    const Territory territory = Territory::read(kSmallTable);
    EXPECT_EQ(territory.comarcaOf("22907"), (Comarca{"03", "Sobrarbe"}));
    EXPECT_EQ(territory.comarcaOf("22072"), (Comarca{"02", "Alto G\xE1llego"})); // code page 1252
    EXPECT_EQ(territory.comarcaOf("22005"), std::nullopt); // historical: through its holders
    EXPECT_EQ(territory.comarcaOf("50297"), std::nullopt);

    EXPECT_EQ(territory.comarcasOf("22005"), (std::vector<Comarca>{{"03", "Sobrarbe"}}));
    EXPECT_EQ(territory.comarcasOf("22030"),
              (std::vector<Comarca>{{"02", "Alto G\xE1llego"}, {"06", "Hoya de Huesca / Plana de Uesca"}}));
    EXPECT_EQ(territory.comarcasOf("50297"), std::vector<Comarca>{});

    // Called as IAEST calls them.
    EXPECT_EQ(catalogue::comarcaTitle("Sobrarbe"), "comarca de Sobrarbe");
    EXPECT_EQ(catalogue::comarcaTitle("Central"), "Comarca Central");
    EXPECT_EQ(catalogue::comarcaTitle("Comunidad de Calatayud"), "Comunidad de Calatayud");
    EXPECT_EQ(catalogue::comarcaTitle("Alto G\xE1llego"), "comarca de Alto G\xE1llego");
}

TEST(TerritoryTest, TheMunicipalityOfAUnitIsTheFirstFiveDigitsOfItsCode)
{
    EXPECT_EQ(catalogue::municipalityCodeOf("50095"), "50095");
    EXPECT_EQ(catalogue::municipalityCodeOf("500950003"), "50095");
    EXPECT_EQ(catalogue::municipalityCodeOf("50095000304"), "50095");
    for (const char* code : {"", "5009", "500950", "5009500030", "500950003041", "5009a", "50095 ", "-5009"})
        EXPECT_EQ(catalogue::municipalityCodeOf(code), std::nullopt) << code;
}

TEST(TerritoryTest, UnitsOfAMunicipalityAreFiltersOfItsCodes)
{
    const Territory territory = Territory::read(kSmallTable);
    // From the municipality, an entity or a núcleo alike.
    for (const char* code : {"22907", "229070001", "22907000102"}) {
        const auto units = territory.unitsOfMunicipality(code);
        ASSERT_TRUE(units) << code;
        EXPECT_EQ(units->current, Codes{"22907"});
        EXPECT_EQ(units->historical, (Codes{"22005", "22526", "22636"}));
        EXPECT_EQ(units->municipalities, "(tiponum = 2) and ((codigo like '22907%') or (codigo like '22005%') or "
                                         "(codigo like '22526%') or (codigo like '22636%'))");
        EXPECT_EQ(units->entities, "(tiponum = 3) and (codigo like '22907%')");
        EXPECT_EQ(units->nuclei, "(tiponum = 4) and (codigo like '22907%')");
    }
    // A historical municipality divided between two: the units of both.
    const auto divided = territory.unitsOfMunicipality("22030");
    ASSERT_TRUE(divided);
    EXPECT_EQ(divided->current, (Codes{"22072", "22173"}));
    EXPECT_EQ(divided->historical, Codes{"22030"});
    EXPECT_EQ(divided->municipalities,
              "(tiponum = 2) and ((codigo like '22072%') or (codigo like '22173%') or (codigo like '22030%'))");
    EXPECT_EQ(divided->entities, "(tiponum = 3) and ((codigo like '22072%') or (codigo like '22173%'))");
    // A municipality the table does not know: itself alone.
    const auto unknown = territory.unitsOfMunicipality("280790001");
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->current, Codes{"28079"});
    EXPECT_EQ(unknown->historical, Codes{});
    EXPECT_EQ(unknown->municipalities, "(tiponum = 2) and (codigo like '28079%')");
    EXPECT_FALSE(territory.unitsOfMunicipality("2290"));
    EXPECT_FALSE(territory.unitsOfMunicipality(""));
}

TEST(TerritoryTest, AMalformedTableIsRefusedWithItsLine)
{
    const std::string header = "ine,territorio_actual,comarca_codigo,comarca\n";
    const struct {
        std::string table;
        const char* message;
    } cases[] = {
        {"", "territorio, línea 1: la cabecera debe ser «ine,territorio_actual,comarca_codigo,comarca»"},
        {"ine,territorio,comarca_codigo,comarca\n22907,22907,03,Sobrarbe\n",
         "territorio, línea 1: la cabecera debe ser «ine,territorio_actual,comarca_codigo,comarca»"},
        {header + "22907,22907,03\n", "territorio, línea 2: la fila tiene 3 celdas y no 4"},
        {header + "22907,22907,03,Sobrarbe,\n", "territorio, línea 2: la fila tiene 5 celdas y no 4"},
        {header + "2290,2290,03,Sobrarbe\n", "territorio, línea 2: el código «2290» no es de cinco cifras"},
        {header + "22907,22907,03,Sobrarbe\n22907,22907,03,Sobrarbe\n",
         "territorio, línea 3: el municipio 22907 ya está en la línea 2"},
        {header + "22005,22907;,,\n22907,22907,03,Sobrarbe\n",
         "territorio, línea 2: el territorio actual «22907;» no son códigos de cinco cifras"},
        {header + "22907,22906,03,Sobrarbe\n", "territorio, línea 2: el territorio de un municipio actual debe ser el suyo, 22907"},
        {header + "22907,22907,3,Sobrarbe\n", "territorio, línea 2: el código de comarca «3» no es de dos cifras"},
        {header + "22907,22907,03,\n", "territorio, línea 2: la comarca 03 no tiene un nombre en código 1252"},
        {header + "22907,22907,03,Sobrarbe \xE2\x82\xAC\xE2\x86\x92\n",
         "territorio, línea 2: la comarca 03 no tiene un nombre en código 1252"},
        {header + "22907,22907,03,Sobrarbe\n22066,22066,03,Sobrarve\n", "territorio, línea 3: la comarca 03 tiene dos nombres"},
        {header + "22005,22907,,\n", "territorio, línea 2: el territorio de 22005 está en 22907, que no es un municipio actual"},
        {header + "22005,22906,,\n22906,22907,,\n22907,22907,03,Sobrarbe\n",
         "territorio, línea 2: el territorio de 22005 está en 22906, que no es un municipio actual"},
    };
    for (const auto& c : cases) {
        try {
            Territory::read(c.table);
            ADD_FAILURE() << "read: " << c.table;
        } catch (const catalogue::TerritoryError& error) {
            EXPECT_STREQ(error.what(), c.message) << c.table;
        }
    }
    // The header alone: a territory that knows nothing.
    EXPECT_EQ(Territory::read(header).size(), 0u);
    // A byte order mark, CR LF and an empty last line are read alike.
    const Territory crlf = Territory::read("\xEF\xBB\xBF" + header.substr(0, header.size() - 1)
                                           + "\r\n22005,22907,,\r\n22907,22907,03,Sobrarbe\r\n\r\n");
    EXPECT_EQ(crlf.currentHolders("22005"), Codes{"22907"});
    EXPECT_EQ(crlf.comarcaOf("22907"), (Comarca{"03", "Sobrarbe"}));
}

// ------------------------------------------------- the program's own tables

const std::string& packetBytes()
{
    static const std::string bytes = readAll(PUEBLOS_PACKET);
    return bytes;
}

const Territory& embeddedTerritory()
{
    static const Territory territory = Territory::read(readAll(fs::path(SOURCE_DIR) / "resources/territorio.csv"));
    return territory;
}

// One list as the window shows it: the filter, then the order by search name;
// the display names in list order, joined by "|".
std::string listed(const std::string& filter)
{
    catalogue::View view;
    view.setFilter(filter);
    view.setFiltered(true);
    view.loadFromBytes(packetBytes());
    view.setIndexFieldNames("NOMBREBUSC");
    const catalogue::Table& t = view.table();
    std::string out;
    for (int row = 0; row < view.recordCount(); ++row)
        out.append(row ? "|" : "")
            .append(utf8(t.text(view.recordAt(row), static_cast<std::size_t>(t.fieldIndex("NOMBREMOST")))));
    return out;
}

class EmbeddedTerritory : public ::testing::Test {
protected:
    void SetUp() override
    {
        const catalogue::Table table = catalogue::readPacket(packetBytes());
        if (table.recordCount() != 2555 || table.fieldIndex("CODIGO") < 0)
            GTEST_SKIP() << PUEBLOS_PACKET << " is not the bundled catalogue";
    }
};

TEST_F(EmbeddedTerritory, KnowsEveryMunicipalityOfTheCatalogueAndItsKind)
{
    const catalogue::Table table = catalogue::readPacket(packetBytes());
    const auto field = [&](const char* name) { return static_cast<std::size_t>(table.fieldIndex(name)); };
    int current = 0;
    int historical = 0;
    for (std::size_t r = 0; r < table.recordCount(); ++r) {
        if (table.text(r, field("TIPONUM")) != "2")
            continue;
        const std::string code(table.text(r, field("CODIGO")));
        const bool marked = table.text(r, field("NOMBREMOST")).find(" -- ") != std::string_view::npos;
        EXPECT_EQ(embeddedTerritory().isHistorical(code), marked) << code;
        EXPECT_EQ(embeddedTerritory().isCurrent(code), !marked) << code;
        (marked ? historical : current)++;
    }
    EXPECT_EQ(current, 731);
    EXPECT_EQ(historical, 260);
    EXPECT_EQ(embeddedTerritory().size(), 991u);
}

// Units of a municipality, listed as the window lists them: municipalities,
// entities, núcleos.
struct Listed {
    std::string municipalities, entities, nuclei;
};

Listed unitsListed(std::string_view code)
{
    const auto units = embeddedTerritory().unitsOfMunicipality(code);
    if (!units)
        return {};
    return {listed(units->municipalities), listed(units->entities), listed(units->nuclei)};
}

TEST_F(EmbeddedTerritory, UnitsOfEjeaDeLosCaballerosAreItsEntityAndItsEightVillages)
{
    // From the municipality, its entity and one of its núcleos alike.
    for (const char* code : {"50095", "500950003", "50095000304"}) {
        const Listed units = unitsListed(code);
        // Farasdués was a municipality of its own until it joined Ejea.
        EXPECT_EQ(units.municipalities, "Ejea de los Caballeros|Farasdués -- municipio histórico") << code;
        EXPECT_EQ(units.entities, "Ejea de los Caballeros") << code;
        EXPECT_EQ(units.nuclei, "Bárdenas|Bayo (El)|Farasdués|Pinsoro|Rivas|Sabinar (El)|Santa Anastasia|Valareña")
            << code;
    }
}

TEST_F(EmbeddedTerritory, UnitsOfAinsaSobrarbeHoldTheHistoricalMunicipalitiesOfItsTerritory)
{
    const Listed units = unitsListed("22907");
    EXPECT_EQ(units.municipalities,
              "Aínsa -- municipio histórico|Aínsa-Sobrarbe|Alto Sobrarbe -- municipio histórico|"
              "Arcusa -- municipio histórico|Castejón de Sobrarbe -- municipio histórico|"
              "Coscojuela de Sobrarbe -- municipio histórico|Gerbe y Griébal -- municipio histórico|"
              "Guaso -- municipio histórico|Olsón -- municipio histórico|Santa María de Buil -- municipio histórico|"
              "Sarsa de Surta -- municipio histórico|Sieste -- municipio histórico");
    EXPECT_EQ(units.entities, "Aínsa|Arcusa|Arro|Banastón|Bellostas (Las)|Camporrotuno|Castejón de Sobrarbe|"
                              "Castellazo|Coscojuela de Sobrarbe|Coscollar (El)|Gerbe|Griébal|Guaso|Jabierre de Olsón|"
                              "Latorre|Latorrecilla|Mondot|Morillo de Tou|Olsón|Pardina (La) -- Aínsa-Sobrarbe|"
                              "Paúles de Sarsa|Santa María de Buil|Sarsa de Surta");
    EXPECT_EQ(units.nuclei, ""); // none named otherwise than its entity
    // From one of those historical municipalities, the same units; from one
    // divided between Boltaña and Aínsa-Sobrarbe, the units of both.
    const Listed ainsa = unitsListed("22005");
    EXPECT_EQ(ainsa.municipalities, units.municipalities);
    EXPECT_EQ(ainsa.entities, units.entities);
    const Listed sieste = unitsListed("22636");
    EXPECT_EQ(sieste.municipalities,
              "Aínsa -- municipio histórico|Aínsa-Sobrarbe|Alto Sobrarbe -- municipio histórico|"
              "Arcusa -- municipio histórico|Boltaña|Castejón de Sobrarbe -- municipio histórico|"
              "Coscojuela de Sobrarbe -- municipio histórico|Gerbe y Griébal -- municipio histórico|"
              "Guaso -- municipio histórico|Laguarta -- municipio histórico|Olsón -- municipio histórico|"
              "Santa María de Buil -- municipio histórico|Sarsa de Surta -- municipio histórico|"
              "Sieste -- municipio histórico");
}

TEST_F(EmbeddedTerritory, UnitsOfZaragoza)
{
    const Listed units = unitsListed("50297");
    // Villamayor, in Zaragoza from 1920, is today's Villamayor de Gállego's
    // territory, not Zaragoza's.
    EXPECT_EQ(units.municipalities, "Torrecilla de Valmadrid -- municipio histórico|Zaragoza");
    EXPECT_EQ(units.entities, "Alfocea|Cartuja Baja|Casetas|Garrapinillos|Juslibol|Montañana -- Zaragoza|Monzalbarba|"
                              "Movera|Peñaflor|San Gregorio|San Juan de Mozarrifar|Torrecilla de Valmadrid|"
                              "Venta del Olivar|Villarrapa|Zaragoza");
    EXPECT_EQ(units.nuclei,
              "Academia General Militar|Barriada del Cuenco|Barriada del Chan|Barriada Torre Medina|"
              "Barrio Camino Real|Barrio Cantarranas|Barrio Clavería|Barrio de la Salitrería|Barrio de Las Flores|"
              "Barrio del Saso|Barrio Pinilla|Cazuelo (El)|Colonia San Lamberto|Lugarico de Cerdán|Torre Bernardona|"
              "Torre Sirón|Urbanización Conde Fuentes|Urbanización El Alcorce|Urbanización El Cerezal|"
              "Urbanización El Soto|Urbanización Huerto del Regado|Urbanización La Frondosa|"
              "Urbanización Los Guarales|Urbanización Maitena|Urbanización Peña El Zorongo|"
              "Urbanización Torre Abejero|Urbanización Torre Barajas|Urbanización Torre del Pinar|"
              "Urbanización Valles Verdes");
}

TEST_F(EmbeddedTerritory, ComarcasOfNamedUnits)
{
    const Territory& territory = embeddedTerritory();
    EXPECT_EQ(territory.comarcaOf("22907"), (Comarca{"03", "Sobrarbe"}));
    EXPECT_EQ(territory.comarcaOf("50297"), (Comarca{"17", "Central"}));
    EXPECT_EQ(territory.comarcaOf("50095"), (Comarca{"05", "Cinco Villas"}));
    EXPECT_EQ(territory.comarcaOf("50903"), (Comarca{"17", "Central"})); // Villamayor de Gállego
    EXPECT_EQ(territory.comarcaOf("44216"), (Comarca{"29", "Comunidad de Teruel"}));   // Teruel
    EXPECT_EQ(territory.comarcaOf("44037"), (Comarca{"33", "Matarra\xF1" "a / Matarranya"})); // Beceite
    // An entity's and a núcleo's, through their municipality.
    EXPECT_EQ(territory.comarcaOf(*catalogue::municipalityCodeOf("50095000304")), (Comarca{"05", "Cinco Villas"}));
    EXPECT_EQ(territory.comarcasOfUnit("500950003"), (std::vector<Comarca>{{"05", "Cinco Villas"}}));
    EXPECT_EQ(territory.comarcasOfUnit("50095000304"), (std::vector<Comarca>{{"05", "Cinco Villas"}}));
    EXPECT_EQ(territory.comarcasOfUnit("22030"), // Anzánigo: Caldearenas and Las Peñas de Riglos
              (std::vector<Comarca>{{"02", "Alto G\xE1llego"}, {"06", "Hoya de Huesca / Plana de Uesca"}}));
    EXPECT_EQ(territory.comarcasOfUnit("28079"), std::vector<Comarca>{});
    EXPECT_EQ(territory.comarcasOfUnit("5009"), std::vector<Comarca>{});
    // Historical municipalities: through the current ones holding them.
    EXPECT_EQ(territory.comarcasOf("22005"), (std::vector<Comarca>{{"03", "Sobrarbe"}})); // Aínsa
    EXPECT_EQ(territory.comarcasOf("50512"), (std::vector<Comarca>{{"17", "Central"}}));  // Torrecilla de Valmadrid
    EXPECT_EQ(territory.comarcasOf("22134"), // Laguarta: Boltaña and Sabiñánigo
              (std::vector<Comarca>{{"03", "Sobrarbe"}, {"02", "Alto G\xE1llego"}}));
    // 33 comarcas, each of its municipalities.
    std::map<std::string, int> municipalities;
    for (int code = 22000; code < 51000; ++code)
        if (const auto comarca = territory.comarcaOf(std::to_string(code)))
            ++municipalities[comarca->code];
    EXPECT_EQ(municipalities.size(), 33u);
    EXPECT_EQ(municipalities["17"], 21);
}

// The filters of the units of a municipality are answered from the store's
// indexes, not by the general evaluator.
TEST_F(EmbeddedTerritory, UnitsFiltersTakeTheStoresFastPath)
{
    const auto store = catalogue::Store::read(packetBytes());
    for (const char* code : {"50095", "22907", "22636", "50297"}) {
        const auto units = embeddedTerritory().unitsOfMunicipality(code);
        ASSERT_TRUE(units);
        for (const std::string& filter : {units->municipalities, units->entities, units->nuclei}) {
            const catalogue::Filter compiled = catalogue::Filter::compile(filter, store->table(), store->collation());
            EXPECT_EQ(compiled.shape().kind, catalogue::Filter::Shape::Kind::EqualAndAny) << filter;
            std::vector<std::uint32_t> rows;
            store->select(compiled.shape(), -1, rows); // the first asks for the kind's index, the second uses it
            EXPECT_TRUE(store->select(compiled.shape(), -1, rows)) << filter;
            std::vector<std::uint32_t> evaluated;
            for (std::uint32_t r = 0; r < store->table().recordCount(); ++r)
                if (compiled.matches(r))
                    evaluated.push_back(r);
            EXPECT_EQ(rows, evaluated) << filter;
        }
    }
}

} // namespace
