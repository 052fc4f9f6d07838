#include "mapdata.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace geo {

namespace {

double twiceArea(const std::vector<Point>& ring)
{
    double a = 0;
    for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++)
        a += (ring[j].x - ring[i].x) * (ring[j].y + ring[i].y);
    return a;
}

void extend(Box& box, const Point& p, bool& empty)
{
    if (empty) {
        box = {p.x, p.y, p.x, p.y};
        empty = false;
        return;
    }
    box.x0 = std::min(box.x0, p.x);
    box.y0 = std::min(box.y0, p.y);
    box.x1 = std::max(box.x1, p.x);
    box.y1 = std::max(box.y1, p.y);
}

// A point well inside the rings: on the horizontal line through the middle of
// the largest ring, the middle of the widest stretch that is inside.
Point pointInside(const std::vector<std::vector<Point>>& rings, std::size_t largest)
{
    const auto& ring = rings[largest];
    double y0 = ring[0].y, y1 = ring[0].y;
    for (const Point& p : ring) {
        y0 = std::min(y0, p.y);
        y1 = std::max(y1, p.y);
    }
    Point best{ring[0].x, ring[0].y};
    double bestWidth = -1;
    for (double f : {0.5, 0.4, 0.6, 0.3, 0.7}) {
        const double y = y0 + (y1 - y0) * f;
        std::vector<double> xs;
        for (const auto& r : rings)
            for (std::size_t i = 0, j = r.size() - 1; i < r.size(); j = i++)
                if ((r[i].y > y) != (r[j].y > y))
                    xs.push_back(r[i].x + (y - r[i].y) * (r[j].x - r[i].x) / (r[j].y - r[i].y));
        std::sort(xs.begin(), xs.end());
        for (std::size_t i = 0; i + 1 < xs.size(); i += 2)
            if (xs[i + 1] - xs[i] > bestWidth) {
                bestWidth = xs[i + 1] - xs[i];
                best = {(xs[i] + xs[i + 1]) / 2, y};
            }
        if (bestWidth > 0 && f == 0.5 && bestWidth > (y1 - y0) * 0.2)
            break;
    }
    return best;
}

} // namespace

bool insideRings(const std::vector<std::vector<Point>>& rings, const Point& p)
{
    bool inside = false;
    for (const auto& ring : rings)
        for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++)
            if ((ring[i].y > p.y) != (ring[j].y > p.y)
                && p.x < ring[i].x + (p.y - ring[i].y) * (ring[j].x - ring[i].x) / (ring[j].y - ring[i].y))
                inside = !inside;
    return inside;
}

MapData MapData::read(std::string_view bytes)
{
    return MapData(decodeMap(bytes));
}

MapData::MapData(const MapSource& source)
    : projection_(source.referenceLatitude), comarcas_(source.comarcas)
{
    // The arcs in map units, once.
    std::vector<std::vector<Point>> arcs;
    arcs.reserve(source.arcs.size());
    for (const auto& arc : source.arcs) {
        std::vector<Point> points;
        points.reserve(arc.size());
        for (const GridPoint& g : arc)
            points.push_back(projection_.project(g[0] * source.scale[0] + source.translate[0],
                                                 g[1] * source.scale[1] + source.translate[1]));
        arcs.push_back(std::move(points));
    }
    // Which areas each arc bounds (at most two count).
    std::vector<std::pair<int, int>> sides(arcs.size(), {-1, -1});

    areas_.reserve(source.areas.size());
    bool mapEmpty = true;
    for (const StoredArea& stored : source.areas) {
        const int index = static_cast<int>(areas_.size());
        Area area;
        area.code = stored.code;
        area.kind = stored.kind;
        area.comarca = stored.comarca;
        area.province = (stored.code[0] - '0') * 10 + (stored.code[1] - '0');
        for (const auto& polygon : stored.polygons)
            for (const auto& refs : polygon) {
                std::vector<Point> ring;
                for (std::int32_t ref : refs) {
                    const std::size_t a = ref < 0 ? static_cast<std::size_t>(~ref) : static_cast<std::size_t>(ref);
                    auto& side = sides[a];
                    if (side.first == -1)
                        side.first = index;
                    else if (side.second == -1 && side.first != index)
                        side.second = index;
                    const auto& points = arcs[a];
                    // Consecutive arcs share their joining point: keep it once.
                    const std::size_t from = ring.empty() ? 0 : 1;
                    if (ref >= 0)
                        ring.insert(ring.end(), points.begin() + static_cast<std::ptrdiff_t>(from), points.end());
                    else
                        ring.insert(ring.end(), points.rbegin() + static_cast<std::ptrdiff_t>(from), points.rend());
                }
                if (ring.size() >= 4 && std::abs(twiceArea(ring)) > 1e-12) {
                    area.rings.push_back(std::move(ring));
                } else {
                    // No area left: the middle of what there is.
                    Box b;
                    bool empty = true;
                    for (const Point& p : ring)
                        extend(b, p, empty);
                    area.dots.push_back({(b.x0 + b.x1) / 2, (b.y0 + b.y1) / 2});
                }
            }
        bool empty = true;
        for (const auto& ring : area.rings)
            for (const Point& p : ring)
                extend(area.box, p, empty);
        for (const Point& p : area.dots)
            extend(area.box, p, empty);
        if (!area.rings.empty()) {
            std::size_t largest = 0;
            double largestArea = 0;
            for (std::size_t i = 0; i < area.rings.size(); ++i) {
                const double a = std::abs(twiceArea(area.rings[i]));
                if (a > largestArea) {
                    largestArea = a;
                    largest = i;
                }
            }
            area.inside = pointInside(area.rings, largest);
        } else if (!area.dots.empty()) {
            area.inside = area.dots.front();
        }
        if (!empty) {
            extend(box_, {area.box.x0, area.box.y0}, mapEmpty);
            extend(box_, {area.box.x1, area.box.y1}, mapEmpty);
        }
        if (area.kind == AreaKind::Municipality)
            ++municipalities_;
        byCode_.emplace(area.code, index);
        areas_.push_back(std::move(area));
    }

    // Each arc once, as the heaviest line it is: between two provinces (or
    // on the map's edge), two comarcas, or two municipalities of one comarca.
    // A shared territory takes the comarca and province of its neighbour.
    for (std::size_t a = 0; a < arcs.size(); ++a) {
        const auto [left, right] = sides[a];
        if (left < 0)
            continue;
        BorderKind kind = BorderKind::Provincial;
        if (right >= 0) {
            const Area& l = areas_[left];
            const Area& r = areas_[right];
            if (l.kind == AreaKind::SharedTerritory || r.kind == AreaKind::SharedTerritory)
                kind = BorderKind::Municipal;
            else if (l.province != r.province)
                kind = BorderKind::Provincial;
            else if (l.comarca != r.comarca)
                kind = BorderKind::Comarcal;
            else
                kind = BorderKind::Municipal;
        }
        borders_[static_cast<int>(kind)].push_back(arcs[a]);
    }
}

int MapData::areaOf(std::string_view code) const
{
    const auto it = byCode_.find(std::string(code));
    return it == byCode_.end() ? -1 : it->second;
}

} // namespace geo
