// poblacion-mapconvert run as a process: the committed map is its output, and
// what it refuses, with the file and the reason, writing nothing.

#include <gtest/gtest.h>

#include "mapformat.h"
#include "process_test.h"

namespace {

const fs::path kData = fs::path(SOURCE_DIR) / "data";
const fs::path kAtlas = kData / "es-atlas-municipalities.json";
const fs::path kComarcas = kData / "aragon-comarcas-2020.csv";

// A topology of two squares side by side, the west one with a square hole
// that a third area fills.
const char* const kSmallAtlas = R"({"type":"Topology",
 "transform":{"scale":[0.01,0.01],"translate":[-1,41]},
 "arcs":[[[0,0],[0,10],[10,0]],[[10,10],[0,-10]],[[10,0],[-10,0]],[[10,0],[10,0],[0,10],[-10,0]],
         [[3,3],[0,3],[3,0],[0,-3],[-3,0]]],
 "objects":{"municipalities":{"type":"GeometryCollection","geometries":[
   {"type":"Polygon","id":"22001","properties":{"name":"A"},"arcs":[[0,1,2],[4]]},
   {"type":"Polygon","id":"22002","properties":{"name":"B"},"arcs":[[-2,-4]]},
   {"type":"Polygon","id":"22003","properties":{"name":"C"},"arcs":[[-5]]},
   {"type":"Polygon","id":"25001","properties":{"name":"Fuera"},"arcs":[[3]]}]}}})";
const char* const kSmallComarcas = "ine,municipio_iaest,comarca_codigo,comarca\n"
                                   "22001,A,07,Somontano de Barbastro\n22002,B,07,Somontano de Barbastro\n"
                                   "22003,C,03,Sobrarbe\n";

class MapConvertTest : public ProcessTest {
protected:
    Outcome convert(const std::string& atlas, const std::string& comarcas) const
    {
        return run(MAPCONVERT_PATH, {atlas, comarcas, path("mapa")});
    }
    // The run failed, said so naming the file, and wrote nothing.
    void expectRefused(const Outcome& outcome, const std::string& says) const
    {
        EXPECT_EQ(outcome.code, 1);
        EXPECT_NE(outcome.err.find(says), std::string::npos) << outcome.err;
        EXPECT_FALSE(fs::exists(path("mapa")));
    }
};

TEST_F(MapConvertTest, CommittedMapIsTheConverterOutput)
{
    const Outcome outcome = convert(kAtlas.string(), kComarcas.string());
    ASSERT_EQ(outcome.code, 0) << outcome.err;
    EXPECT_TRUE(readAll(path("mapa")) == readAll(fs::path(SOURCE_DIR) / "resources/aragon.mapa"))
        << "resources/aragon.mapa is stale: regenerate it with ./dev data";
    EXPECT_LT(fs::file_size(path("mapa")), 45000u);
}

TEST_F(MapConvertTest, KeepsTheMunicipalitiesOfTheComarcaTableWithTheirComarcas)
{
    writeAll(path("atlas.json"), kSmallAtlas);
    writeAll(path("comarcas.csv"), kSmallComarcas);
    const Outcome outcome = convert(path("atlas.json"), path("comarcas.csv"));
    ASSERT_EQ(outcome.code, 0) << outcome.err;
    const geo::MapSource m = geo::decodeMap(readAll(path("mapa")));
    ASSERT_EQ(m.areas.size(), 3u);
    EXPECT_EQ(m.areas[0].code, "22001");
    EXPECT_EQ(m.areas[2].code, "22003");
    ASSERT_EQ(m.comarcas.size(), 2u);
    EXPECT_EQ(m.comarcas[0].code, 3);
    EXPECT_EQ(m.comarcas[0].name, "Sobrarbe");
    EXPECT_EQ(m.areas[0].comarca, 1);
    EXPECT_EQ(m.areas[2].comarca, 0);
    // Arcs renumbered in the order of use, the delta encoding undone.
    ASSERT_EQ(m.arcs.size(), 5u);
    EXPECT_EQ(m.arcs[0], (std::vector<geo::GridPoint>{{0, 0}, {0, 10}, {10, 10}}));
    EXPECT_EQ(m.areas[0].polygons[0][1], (std::vector<std::int32_t>{3}));
    EXPECT_EQ(m.areas[1].polygons[0][0], (std::vector<std::int32_t>{~1, ~4}));
    EXPECT_EQ(m.areas[2].polygons[0][0], (std::vector<std::int32_t>{~3}));
    EXPECT_EQ(m.scale[0], 0.01);
    EXPECT_EQ(m.translate[1], 41);
    EXPECT_NEAR(m.referenceLatitude, 41.05, 0.051); // the middle latitude, to a tenth
}

TEST_F(MapConvertTest, RefusesBoundariesThatAreNoTopologyOrCutShort)
{
    const std::string small = kSmallAtlas;
    writeAll(path("comarcas.csv"), kSmallComarcas);
    const struct {
        std::string atlas;
        const char* says;
    } cases[] = {
        {small.substr(0, small.size() / 2), "atlas.json: no es un JSON válido o está cortado"},
        {"", "atlas.json: no es un JSON válido o está cortado"},
        {"[1,2,3]", "atlas.json: no es un TopoJSON"},
        {R"({"type":"Topology","arcs":[]})", "atlas.json: TopoJSON mal formado"},
        {std::string(small).replace(small.find("[[0,1,2],[4]]"), 13, "[[0,1,2],[9]]"),
         "atlas.json: una geometría se refiere a un arco que no existe"},
        {std::string(small).replace(small.find("\"Polygon\",\"id\":\"22002\""), 9, "\"Point\""),
         "atlas.json: la geometría 22002 es de tipo Point"},
    };
    for (const auto& c : cases) {
        writeAll(path("atlas.json"), c.atlas);
        expectRefused(convert(path("atlas.json"), path("comarcas.csv")), c.says);
    }
}

TEST_F(MapConvertTest, RefusesAMunicipalityWithoutGeometryAndAGeometryWithoutMunicipality)
{
    writeAll(path("atlas.json"), kSmallAtlas);
    writeAll(path("comarcas.csv"), std::string(kSmallComarcas) + "22004,D,03,Sobrarbe\n");
    expectRefused(convert(path("atlas.json"), path("comarcas.csv")), "atlas.json: el municipio 22004 no tiene geometría");
    writeAll(path("comarcas.csv"), "ine,municipio_iaest,comarca_codigo,comarca\n22001,A,07,Somontano\n22003,C,03,Sobrarbe\n");
    expectRefused(convert(path("atlas.json"), path("comarcas.csv")),
                  "atlas.json: la geometría 22002 no es de ningún municipio actual de Aragón");
    writeAll(path("comarcas.csv"), "ine,nombre\n22001,A\n");
    expectRefused(convert(path("atlas.json"), path("comarcas.csv")), "comarcas.csv: línea 1: la cabecera debe ser");
    expectRefused(convert(path("atlas.json"), path("no-existe.csv")), "no-existe.csv: ");
}

TEST_F(MapConvertTest, RefusesTheRealBoundariesCutShort)
{
    const std::string atlas = readAll(kAtlas);
    writeAll(path("atlas.json"), atlas.substr(0, atlas.size() - 1000));
    expectRefused(convert(path("atlas.json"), kComarcas.string()), "atlas.json: no es un JSON válido o está cortado");
}

TEST_F(MapConvertTest, AWrongCommandLineExitsWithTwo)
{
    EXPECT_EQ(run(MAPCONVERT_PATH, {}).code, 2);
    EXPECT_EQ(run(MAPCONVERT_PATH, {"a.json", "b.csv"}).code, 2);
    EXPECT_EQ(run(MAPCONVERT_PATH, {"a.json", "", "c"}).code, 2);
}

} // namespace
