#pragma once
// Finding the area under a point: a grid over the map whose cells list the
// areas whose boxes meet them, then the even-odd test on those few. Areas
// that are points (and the point parts of others) are hit within a radius,
// before any ring, so that they can be clicked where a larger area
// surrounds them.

#include <vector>

#include "mapdata.h"

namespace geo {

class Locator {
public:
    explicit Locator(const MapData& map, int cellsAcross = 64);

    // The index of the area at `p` (map units), -1 for none. `dotRadius`: how
    // near a point area must be to count (map units).
    int areaAt(const Point& p, double dotRadius) const;

private:
    const MapData* map_;
    Box box_;
    int columns_ = 1, rows_ = 1;
    double cellWidth_ = 1, cellHeight_ = 1;
    std::vector<std::vector<int>> cells_;
    std::vector<int> withDots_;
};

} // namespace geo
