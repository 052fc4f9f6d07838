// Fuzz target: the compact map's reader, and what the program builds from a
// map it accepts (the areas in map units, the borders, the locator). Any input
// either gives a map or a MapFormatError; a map accepted, written again, reads
// back to the same bytes once more.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "locator.h"
#include "mapdata.h"
#include "mapformat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    geo::MapSource source;
    try {
        source = geo::decodeMap(bytes);
    } catch (const geo::MapFormatError&) {
        return 0;
    }
    const std::string written = geo::encodeMap(source);
    if (geo::encodeMap(geo::decodeMap(written)) != written)
        __builtin_trap();
    const geo::MapData map(source);
    const geo::Locator locator(map, 16);
    for (const geo::Area& a : map.areas())
        locator.areaAt(a.inside, 1e-3);
    locator.areaAt({map.box().x0, map.box().y1}, 0);
    return 0;
}
