#include "locator.h"

#include <algorithm>
#include <cmath>

namespace geo {

Locator::Locator(const MapData& map, int cellsAcross) : map_(&map), box_(map.box())
{
    const double size = std::max(box_.width(), box_.height());
    if (size <= 0 || cellsAcross < 1)
        return;
    cellWidth_ = cellHeight_ = size / cellsAcross;
    columns_ = std::max(1, static_cast<int>(std::ceil(box_.width() / cellWidth_)));
    rows_ = std::max(1, static_cast<int>(std::ceil(box_.height() / cellHeight_)));
    cells_.resize(static_cast<std::size_t>(columns_) * rows_);
    const auto column = [&](double x) {
        return std::clamp(static_cast<int>((x - box_.x0) / cellWidth_), 0, columns_ - 1);
    };
    const auto row = [&](double y) { return std::clamp(static_cast<int>((y - box_.y0) / cellHeight_), 0, rows_ - 1); };
    const auto& areas = map.areas();
    for (int i = 0; i < static_cast<int>(areas.size()); ++i) {
        const Area& a = areas[i];
        if (!a.dots.empty())
            withDots_.push_back(i);
        if (a.rings.empty())
            continue;
        for (int r = row(a.box.y0); r <= row(a.box.y1); ++r)
            for (int c = column(a.box.x0); c <= column(a.box.x1); ++c)
                cells_[static_cast<std::size_t>(r) * columns_ + c].push_back(i);
    }
}

int Locator::areaAt(const Point& p, double dotRadius) const
{
    const auto& areas = map_->areas();
    int nearest = -1;
    double nearestDistance = dotRadius * dotRadius;
    for (int i : withDots_)
        for (const Point& d : areas[i].dots) {
            const double dx = d.x - p.x, dy = d.y - p.y;
            if (dx * dx + dy * dy <= nearestDistance) {
                nearestDistance = dx * dx + dy * dy;
                nearest = i;
            }
        }
    if (nearest >= 0)
        return nearest;
    if (cells_.empty() || !box_.contains(p))
        return -1;
    const int c = std::min(static_cast<int>((p.x - box_.x0) / cellWidth_), columns_ - 1);
    const int r = std::min(static_cast<int>((p.y - box_.y0) / cellHeight_), rows_ - 1);
    for (int i : cells_[static_cast<std::size_t>(r) * columns_ + c])
        if (areas[i].box.contains(p) && insideRings(areas[i].rings, p))
            return i;
    return -1;
}

} // namespace geo
