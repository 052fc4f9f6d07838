#pragma once
// The committed map of Aragón, read once for the tests that need it.

#include <fstream>
#include <iterator>
#include <string>

#include "mapdata.h"

inline std::string aragonMapBytes()
{
    std::ifstream in(std::string(SOURCE_DIR) + "/resources/aragon.mapa", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline const geo::MapData& aragonMap()
{
    static const geo::MapData map = geo::MapData::read(aragonMapBytes());
    return map;
}
