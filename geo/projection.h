#pragma once
// The map's projection: longitude and latitude in degrees to plane map units,
// x to the east and y to the south (as a screen runs), a degree of latitude
// being one unit. An equirectangular projection about a reference latitude:
// at the scale of Aragón (3 degrees) it keeps shapes within a few percent.

#include <cmath>

namespace geo {

struct Point {
    double x = 0;
    double y = 0;
};

class Projection {
public:
    explicit Projection(double referenceLatitude = 41.4)
        : xScale_(std::cos(referenceLatitude * kPi / 180.0))
    {
    }
    Point project(double longitude, double latitude) const { return {longitude * xScale_, -latitude}; }
    double longitudeOf(const Point& p) const { return p.x / xScale_; }
    double latitudeOf(const Point& p) const { return -p.y; }

private:
    static constexpr double kPi = 3.14159265358979323846;
    double xScale_;
};

} // namespace geo
