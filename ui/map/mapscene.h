#pragma once
// The map drawn: the areas' outlines as paths in map units, made once, and
// the painting of the areas, borders, highlights and legend onto any painter
// (the window, an image, an SVG file, a printer), so that what is saved and
// printed is what the window shows.

#include <QImage>
#include <QPainterPath>
#include <QPolygonF>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QTransform>
#include <map>
#include <set>
#include <tuple>
#include <vector>

#include "mapcolouring.h"
#include "mapdata.h"

class QPainter;

namespace map {

inline const QString kAttribution = QStringLiteral("Límites municipales: obra derivada de BDLJE, CC BY 4.0, ign.es");

// What stands out: the unit's municipality (or, for a historical
// municipality, those that hold its territory, drawn otherwise), the area
// under the pointer and, in the table, a comarca.
struct Highlight {
    std::set<int> areas;
    bool historical = false;
    int hovered = -1;
    int comarca = -1;
    QString label; // written beside the first highlighted area
};

class MapScene {
public:
    explicit MapScene(const geo::MapData& map);

    const geo::MapData& map() const { return *map_; }

    // The transform that shows `box` (map units) centred in `target`, whole.
    static QTransform fitting(const geo::Box& box, const QRectF& target);

    // The areas filled in their colours, the borders (municipal thin,
    // comarcal, provincial heavy), the point areas as dots, then the
    // highlights; `toDevice` takes map units to the painter's coordinates.
    void paintMap(QPainter& painter, const QTransform& toDevice, const ColouredMap& colours,
                  const Highlight& highlight) const
    {
        paintAreas(painter, toDevice, colours);
        paintHighlight(painter, toDevice, highlight);
    }
    // The two layers of paintMap: what changes only with the colouring and
    // the view, and what changes as the pointer moves.
    void paintAreas(QPainter& painter, const QTransform& toDevice, const ColouredMap& colours) const;
    void paintHighlight(QPainter& painter, const QTransform& toDevice, const Highlight& highlight) const;

    // The legend's box in `area`: heading, one swatch and label per class,
    // "sin dato" and "territorio compartido" hatched. Returns its height.
    static qreal paintLegend(QPainter& painter, const QRectF& area, const ColouredMap& colours);
    // The legend's width for its labels in the painter's font.
    static qreal legendWidth(const QFont& font, const ColouredMap& colours);

    // A whole picture for saving, printing or copying: title and date above,
    // the map as `view` shows it (map units to the window's pixels of
    // `viewSize`), the legend beside it, the attribution below.
    void paintPicture(QPainter& painter, const QRectF& page, const QString& title, const QTransform& view,
                      const QSizeF& viewSize, const ColouredMap& colours, const Highlight& highlight) const;

private:
    // Map units to device pixels for the transforms the map is drawn with
    // (a scale and a shift), leaving out every point within half a pixel of
    // the one kept before it: at Aragón's or Spain's whole extent most points
    // of the small municipalities fall together.
    static void toDevice(const std::vector<geo::Point>& line, const QTransform& t, QPolygonF& out);
    // A point area's dot as drawn on an image, its centre `quarter` quarters
    // of a pixel (0 to 3 each way) past the image's offset, at a device scale,
    // for a device of a pixel ratio; made once for each of these.
    const QImage& dotImage(const QColor& fill, const QPoint& quarter, qreal scale, qreal ratio) const;

    const geo::MapData* map_;
    std::vector<QPainterPath> areas_;
    mutable QPolygonF scratch_;
    mutable std::map<std::tuple<QRgb, int, qreal, qreal>, QImage> dotImages_;
    std::vector<QPointF> dots_;
    std::vector<int> dotAreas_;
    // The areas from the top down, by the first point of their first ring:
    // the order in which the rings of one fill are drawn together.
    std::vector<int> areasDown_;
    // The box of each border line, by kind, in map units.
    std::vector<QRectF> borderBoxes_[3];
};

} // namespace map
