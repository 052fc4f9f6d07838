#pragma once
// The map as the program draws it: every area (municipality or shared
// territory) with its rings in map units (projection.h), the parts that
// simplification left without area as points, and the borders between areas
// merged by what they separate: municipalities of one comarca, two comarcas,
// two provinces (or Aragón and the outside).

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "mapformat.h"
#include "projection.h"

namespace geo {

struct Box {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool contains(const Point& p) const { return p.x >= x0 && p.x <= x1 && p.y >= y0 && p.y <= y1; }
    double width() const { return x1 - x0; }
    double height() const { return y1 - y0; }
};

struct Area {
    std::string code; // INE code, five digits
    AreaKind kind = AreaKind::Municipality;
    int comarca = -1;  // index into MapData::comarcas(), -1 for none
    int province = 0;  // the code's first two digits (53 for a shared territory)
    // Outer rings and holes alike: a point is inside when it is inside an odd
    // number of them (enclaves are holes of the area that holds them).
    std::vector<std::vector<Point>> rings;
    // Parts of no area (a ring whose points lie on one line), drawn and hit as points.
    std::vector<Point> dots;
    Box box; // of rings and dots
    // The largest ring's pole of a label: a point inside the area (for a
    // point-only area, its first dot).
    Point inside;
};

enum class BorderKind { Municipal = 0, Comarcal = 1, Provincial = 2 };

class MapData {
public:
    // The map of a resource; MapFormatError when the bytes are none.
    static MapData read(std::string_view bytes);
    explicit MapData(const MapSource& source);

    const std::vector<Area>& areas() const { return areas_; }
    const std::vector<Comarca>& comarcas() const { return comarcas_; }
    // The area of an INE code; -1 when the map has none.
    int areaOf(std::string_view code) const;
    // The lines between areas, each a polyline, by what they separate.
    const std::vector<std::vector<Point>>& borders(BorderKind kind) const
    {
        return borders_[static_cast<int>(kind)];
    }
    const Box& box() const { return box_; }
    const Projection& projection() const { return projection_; }
    std::size_t municipalityCount() const { return municipalities_; }

private:
    Projection projection_;
    std::vector<Area> areas_;
    std::vector<Comarca> comarcas_;
    std::vector<std::vector<Point>> borders_[3];
    std::unordered_map<std::string, int> byCode_;
    Box box_;
    std::size_t municipalities_ = 0;
};

// Whether the point is inside an odd number of the rings (even-odd rule).
bool insideRings(const std::vector<std::vector<Point>>& rings, const Point& p);

} // namespace geo
