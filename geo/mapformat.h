#pragma once
// The compact map resource: what the converter writes and the program reads.
//
// Layout (little-endian; "varint" is an unsigned LEB128 of at most five bytes,
// "zigzag" a signed number folded into a varint):
//   "POBMAPA1"                               eight bytes
//   scale x, scale y, translate x, translate y, reference latitude
//                                            five IEEE doubles: longitude =
//                                            x * scale x + translate x, ...
//   comarcas: varint count, then each: varint code, varint length, name (cp1252)
//   arcs:     varint count, then each: varint points (>= 2), first point as two
//             zigzags, every later one as two zigzag steps from the one before
//   areas:    varint count, then each: five ASCII digits (INE code), one byte
//             kind (1 municipality, 2 shared territory), varint comarca index
//             + 1 (0: none), varint polygons, each: varint rings (>= 1), each:
//             varint arcs (>= 1), each a zigzag arc reference (i, or ~i for
//             arc i walked backwards, as in TopoJSON)
// and nothing after.
//
// decodeMap checks every count against the bytes left before it allocates,
// every arc reference against the arcs read and every coordinate against the
// grid; it never reads past the buffer. Its errors (MapFormatError, Spanish):
//   "no es un mapa de Población"           wrong leading bytes
//   "el mapa está incompleto"               the bytes end inside a field, or a
//                                           count asks for more than there are
//   "el mapa tiene datos no válidos (…)"    a count, code, kind or reference out of range
//   "el mapa tiene bytes de más"            bytes after the last area

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace geo {

enum class AreaKind : std::uint8_t { Municipality = 1, SharedTerritory = 2 };

struct Comarca {
    int code = 0;
    std::string name; // cp1252
};

// One area as the resource stores it: rings as lists of arc references.
struct StoredArea {
    std::string code; // five digits
    AreaKind kind = AreaKind::Municipality;
    int comarca = -1; // index into MapSource::comarcas, -1 for none
    std::vector<std::vector<std::vector<std::int32_t>>> polygons; // polygon, ring, arc reference
};

using GridPoint = std::array<std::int32_t, 2>;

struct MapSource {
    double scale[2] = {1, 1};
    double translate[2] = {0, 0};
    double referenceLatitude = 41.4;
    std::vector<Comarca> comarcas;
    std::vector<std::vector<GridPoint>> arcs; // absolute grid positions
    std::vector<StoredArea> areas;
};

class MapFormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The largest grid coordinate a resource may hold (TopoJSON's quantization
// uses at most 2^24 steps; this leaves room).
inline constexpr std::int32_t kGridLimit = 1 << 28;

std::string encodeMap(const MapSource& map);
MapSource decodeMap(std::string_view bytes);

} // namespace geo
