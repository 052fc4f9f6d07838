// The compact map's reader: what it makes of a written map, and of bytes
// that are no map, damaged or cut short.

#include <gtest/gtest.h>

#include "aragon_map.h"
#include "mapformat.h"

namespace {

geo::MapSource squareWithHole()
{
    geo::MapSource m;
    m.scale[0] = 0.5;
    m.scale[1] = 0.25;
    m.translate[0] = -2;
    m.translate[1] = 40;
    m.referenceLatitude = 41;
    m.comarcas = {{7, "Somontano de Barbastro"}};
    m.arcs = {{{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}}, {{3, 3}, {3, 6}, {6, 6}, {6, 3}, {3, 3}}, {{-5, 1}, {-4, 2}}};
    m.areas = {{"22001", geo::AreaKind::Municipality, 0, {{{0}, {~1}}}},
               {"22002", geo::AreaKind::Municipality, 0, {{{1}}}},
               {"53077", geo::AreaKind::SharedTerritory, -1, {{{2, ~2}}}}};
    return m;
}

std::string encoded()
{
    return geo::encodeMap(squareWithHole());
}

std::string errorOf(std::string_view bytes)
{
    try {
        geo::decodeMap(bytes);
    } catch (const geo::MapFormatError& e) {
        return e.what();
    }
    return "";
}

TEST(MapFormat, AWrittenMapReadsBackTheSame)
{
    const geo::MapSource m = geo::decodeMap(encoded());
    EXPECT_EQ(m.scale[0], 0.5);
    EXPECT_EQ(m.scale[1], 0.25);
    EXPECT_EQ(m.translate[0], -2);
    EXPECT_EQ(m.translate[1], 40);
    EXPECT_EQ(m.referenceLatitude, 41);
    ASSERT_EQ(m.comarcas.size(), 1u);
    EXPECT_EQ(m.comarcas[0].code, 7);
    EXPECT_EQ(m.comarcas[0].name, "Somontano de Barbastro");
    ASSERT_EQ(m.arcs.size(), 3u);
    EXPECT_EQ(m.arcs[1][2], (geo::GridPoint{6, 6}));
    EXPECT_EQ(m.arcs[2][0], (geo::GridPoint{-5, 1}));
    ASSERT_EQ(m.areas.size(), 3u);
    EXPECT_EQ(m.areas[0].code, "22001");
    EXPECT_EQ(m.areas[0].comarca, 0);
    EXPECT_EQ(m.areas[0].polygons[0][1], (std::vector<std::int32_t>{-2}));
    EXPECT_EQ(m.areas[2].kind, geo::AreaKind::SharedTerritory);
    EXPECT_EQ(m.areas[2].comarca, -1);
}

TEST(MapFormat, BytesThatAreNoMapAreRefusedWithTheReason)
{
    EXPECT_EQ(errorOf(""), "no es un mapa de Población");
    EXPECT_EQ(errorOf("POBMAPA2"), "no es un mapa de Población");
    EXPECT_EQ(errorOf("{\"type\":\"Topology\"}"), "no es un mapa de Población");
    EXPECT_EQ(errorOf(encoded() + "x"), "el mapa tiene bytes de más");
}

TEST(MapFormat, AMapCutShortAnywhereIsRefused)
{
    for (const std::string& bytes : {encoded(), aragonMapBytes()}) {
        ASSERT_GT(bytes.size(), 100u);
        for (std::size_t n = 8; n < bytes.size(); n += (bytes.size() > 1000 ? 97 : 1))
            EXPECT_EQ(errorOf(std::string_view(bytes).substr(0, n)).substr(0, 8), "el mapa ") << n;
    }
}

TEST(MapFormat, DamagedFieldsAreRefusedAndNamed)
{
    geo::MapSource m = squareWithHole();
    m.areas[1].polygons[0][0][0] = 3; // there are three arcs, 0 to 2
    EXPECT_EQ(errorOf(geo::encodeMap(m)), "el mapa tiene datos no válidos (referencia a un arco)");
    m = squareWithHole();
    m.areas[0].code = "22O01";
    EXPECT_EQ(errorOf(geo::encodeMap(m)), "el mapa tiene datos no válidos (código de un área)");
    m = squareWithHole();
    m.areas[0].kind = static_cast<geo::AreaKind>(3);
    EXPECT_EQ(errorOf(geo::encodeMap(m)), "el mapa tiene datos no válidos (tipo de un área)");
    m = squareWithHole();
    m.areas[0].comarca = 1;
    EXPECT_EQ(errorOf(geo::encodeMap(m)), "el mapa tiene datos no válidos (comarca de un área)");
    m = squareWithHole();
    m.arcs[2] = {{1, 1}};
    EXPECT_EQ(errorOf(geo::encodeMap(m)), "el mapa tiene datos no válidos (arco de menos de dos puntos)");
    m = squareWithHole();
    m.scale[0] = 0;
    EXPECT_EQ(errorOf(geo::encodeMap(m)), "el mapa tiene datos no válidos (transformación)");

    // A count far beyond the bytes left is refused before anything is allocated.
    std::string bytes = encoded();
    const std::size_t comarcaCount = 8 + 5 * 8;
    bytes[comarcaCount] = '\xff';
    bytes.insert(comarcaCount + 1, "\xff\xff\x0f");
    EXPECT_EQ(errorOf(bytes), "el mapa está incompleto");
}

TEST(MapFormat, EveryByteOfTheMapFlippedGivesAMapOrAReasonNeverACrash)
{
    const std::string original = aragonMapBytes();
    int refused = 0;
    for (std::size_t i = 0; i < original.size(); i += 61) {
        std::string bytes = original;
        bytes[i] = static_cast<char>(bytes[i] ^ 0x5a);
        try {
            geo::MapData::read(bytes);
        } catch (const geo::MapFormatError&) {
            ++refused;
        }
    }
    EXPECT_GT(refused, 0);
}

} // namespace
