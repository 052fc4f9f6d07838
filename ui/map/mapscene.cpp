#include "mapscene.h"

#include <QDate>
#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace map {

namespace {

const QColor kNoData(0xe0, 0xe0, 0xe0);
const QColor kHatch(0x80, 0x80, 0x80);
const QColor kShared(0xf2, 0xf2, 0xf2);
const QColor kUncoloured(0xf4, 0xf1, 0xe8);
const QColor kHighlight(0x00, 0x00, 0x00);
const QColor kHistorical(0xd9, 0x00, 0x8c);

// A hatched fill as one tile of the hatching on its ground. Qt draws its
// hatchings in device pixels whatever the transform; the tile, undoing the
// painter's scale, gives on an image in one pass the pixels that the ground
// and then the hatching give in two.
QBrush hatchedTile(const QColor& ground, Qt::BrushStyle hatching, const QTransform& device)
{
    QImage tile(8, 8, QImage::Format_ARGB32_Premultiplied);
    tile.fill(ground);
    QPainter painter(&tile);
    painter.fillRect(tile.rect(), QBrush(kHatch, hatching));
    painter.end();
    QBrush brush(tile);
    brush.setTransform(device.inverted());
    return brush;
}

// The rings of several areas of one fill as one polygon, to be filled with
// the odd-even rule: each ring closed in turn, then back along the steps
// between their first points, so that every step is gone over both ways and
// encloses nothing. One call for many rings costs far less than one each,
// but Qt's scan conversion of a polygon goes over all its edges for each band
// of rows it fills: a batch is kept to a few hundred points and a few rows.
// Few rows matter for the hatched fills too: Qt hands a textured fill of many
// runs of pixels to its pool of threads, which on two cores cost Spain's
// redraw (its 7,400 hatched municipalities) more in waiting than it saved.
class RingBatch {
public:
    static constexpr qsizetype kMaxPoints = 512;
    static constexpr double kMaxRows = 3;

    bool isEmpty() const { return points_.isEmpty(); }
    // Whether rings of `size` points in all, reaching down to `bottom`, still fit.
    bool fits(qsizetype size, double bottom) const
    {
        return isEmpty()
               || (points_.size() + static_cast<qsizetype>(starts_.size()) + size < kMaxPoints
                   && bottom - starts_.front().y() <= kMaxRows);
    }
    void add(const QPolygonF& ring)
    {
        points_.append(ring);
        if (ring.back() != ring.front())
            points_.append(ring.front());
        starts_.push_back(ring.front());
    }
    // The polygon, the way back included; the batch is then empty.
    const QPolygonF& close()
    {
        for (auto start = starts_.rbegin() + 1; start != starts_.rend(); ++start)
            points_.append(*start);
        starts_.clear();
        return points_;
    }
    void clear()
    {
        points_.clear();
        starts_.clear();
    }

private:
    QPolygonF points_;
    std::vector<QPointF> starts_;
};

QPainterPath pathOf(const std::vector<geo::Point>& line)
{
    QPainterPath path;
    path.moveTo(line[0].x, line[0].y);
    for (std::size_t i = 1; i < line.size(); ++i)
        path.lineTo(line[i].x, line[i].y);
    path.closeSubpath();
    return path;
}

} // namespace

MapScene::MapScene(const geo::MapData& map) : map_(&map)
{
    const auto& areas = map.areas();
    areas_.reserve(areas.size());
    for (std::size_t i = 0; i < areas.size(); ++i) {
        QPainterPath path;
        path.setFillRule(Qt::OddEvenFill);
        for (const auto& ring : areas[i].rings)
            path.addPath(pathOf(ring));
        areas_.push_back(path);
        for (const geo::Point& d : areas[i].dots) {
            dots_.emplace_back(d.x, d.y);
            dotAreas_.push_back(static_cast<int>(i));
        }
        areasDown_.push_back(static_cast<int>(i));
    }
    for (int k = 0; k < 3; ++k)
        for (const auto& line : map.borders(static_cast<geo::BorderKind>(k))) {
            double x0 = line[0].x, x1 = x0, y0 = line[0].y, y1 = y0;
            for (const geo::Point& p : line) {
                x0 = std::min(x0, p.x);
                x1 = std::max(x1, p.x);
                y0 = std::min(y0, p.y);
                y1 = std::max(y1, p.y);
            }
            borderBoxes_[k].emplace_back(x0, y0, x1 - x0, y1 - y0);
        }
    const auto top = [&](int a) { return areas[a].rings.empty() ? areas[a].box.y0 : areas[a].rings[0][0].y; };
    std::stable_sort(areasDown_.begin(), areasDown_.end(), [&](int a, int b) { return top(a) < top(b); });
}

QTransform MapScene::fitting(const geo::Box& box, const QRectF& target)
{
    if (box.width() <= 0 || box.height() <= 0 || target.isEmpty())
        return {};
    const double scale = std::min(target.width() / box.width(), target.height() / box.height());
    QTransform t;
    t.translate(target.center().x(), target.center().y());
    t.scale(scale, scale);
    t.translate(-(box.x0 + box.x1) / 2, -(box.y0 + box.y1) / 2);
    return t;
}

void MapScene::toDevice(const std::vector<geo::Point>& line, const QTransform& t, QPolygonF& out)
{
    out.resize(static_cast<qsizetype>(line.size()) + 1);
    QPointF* const first = out.data();
    QPointF* kept = first;
    const double sx = t.m11(), sy = t.m22(), dx = t.dx(), dy = t.dy();
    double lastX = 1e300, lastY = 1e300;
    for (const geo::Point& p : line) {
        const double x = p.x * sx + dx, y = p.y * sy + dy;
        if (std::abs(x - lastX) + std::abs(y - lastY) >= 0.5) {
            *kept++ = QPointF(x, y);
            lastX = x;
            lastY = y;
        }
    }
    // A line keeps its last point, so that the next one meets it.
    const QPointF end(line.back().x * sx + dx, line.back().y * sy + dy);
    if (kept - first < 2 || kept[-1] != end)
        *kept++ = end;
    out.resize(kept - first);
}

const QImage& MapScene::dotImage(const QColor& fill, const QPoint& quarter, qreal scale, qreal ratio) const
{
    const auto key = std::make_tuple(fill.rgba(), quarter.x() * 4 + quarter.y(), scale, ratio);
    auto found = dotImages_.find(key);
    if (found != dotImages_.end())
        return found->second;
    // The dot, its ring and a pixel for the antialiasing, at any offset.
    const int margin = static_cast<int>(std::ceil(4 * scale)) + 1;
    QImage image(2 * margin + 1, 2 * margin + 1, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setOffset(QPoint(margin, margin));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    painter.setPen(QPen(QColor(0x30, 0x30, 0x30), 1.0));
    painter.setBrush(fill);
    painter.drawEllipse(QPointF(margin + quarter.x() / 4.0, margin + quarter.y() / 4.0) / scale, 3.5, 3.5);
    painter.end();
    // Copied pixel for pixel onto a device of that ratio.
    image.setDevicePixelRatio(ratio);
    return dotImages_.emplace(key, std::move(image)).first->second;
}

void MapScene::paintAreas(QPainter& painter, const QTransform& toDeviceUnits, const ColouredMap& colours) const
{
    painter.save();
    // The areas are filled without antialiasing: neighbours then meet with
    // no seam, and the borders drawn over them (antialiased) smooth the edges.
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QTransform base = painter.transform();
    // The map is drawn in device pixels: the points are moved there here, and
    // the painter keeps only the device's own transform (a printer's, an
    // image's scale).
    const QTransform& t = toDeviceUnits;
    const QTransform all = t * base;
    painter.setPen(Qt::NoPen);
    const bool coloured = colours.colouring().kind != Colouring::Kind::None;
    const QRectF visible = all.inverted().mapRect(QRectF(painter.viewport()));
    const auto& areas = map_->areas();

    // What each area is filled with: its class's colour, or one of the
    // others after the classes.
    const int classes = static_cast<int>(colours.classes().count());
    const int shared = classes, uncoloured = classes + 1, noData = classes + 2;
    // On an image whose pixels the painter only scales (the window's, the
    // benchmark's), a hatched fill in one pass.
    const QTransform device = painter.deviceTransform();
    const bool tiled = painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Raster
                       && device.type() <= QTransform::TxScale && device.dx() == 0 && device.dy() == 0;
    // Each fill's brush, and the hatching drawn over it.
    std::vector<std::pair<QBrush, QBrush>> brushes;
    for (int cls = 0; cls < classes; ++cls)
        brushes.emplace_back(colours.classColour(cls), QBrush());
    if (tiled) {
        brushes.emplace_back(hatchedTile(kShared, Qt::FDiagPattern, device), QBrush());
        brushes.emplace_back(kUncoloured, QBrush());
        brushes.emplace_back(hatchedTile(kNoData, Qt::BDiagPattern, device), QBrush());
    } else {
        brushes.emplace_back(kShared, QBrush(kHatch, Qt::FDiagPattern));
        brushes.emplace_back(kUncoloured, QBrush());
        brushes.emplace_back(kNoData, QBrush(kHatch, Qt::BDiagPattern));
    }
    std::vector<int> fills(areas.size(), -1);
    // An area of a pixel or two (Spain's smallest at its whole extent) is its
    // box, filled after the rest so that it shows.
    std::vector<std::pair<QRectF, int>> boxes;
    for (std::size_t i = 0; i < areas.size(); ++i) {
        const geo::Box& b = areas[i].box;
        if (areas[i].rings.empty() || !visible.intersects(QRectF(b.x0, b.y0, b.width(), b.height())))
            continue;
        const int cls = coloured ? colours.classOf(static_cast<int>(i)) : -1;
        const int fill = areas[i].kind == geo::AreaKind::SharedTerritory ? shared
                         : !coloured                                     ? uncoloured
                         : cls < 0                                       ? noData
                                                                         : cls;
        const QRectF box(b.x0 * t.m11() + t.dx(), b.y0 * t.m22() + t.dy(), b.width() * t.m11(), b.height() * t.m22());
        if (box.width() < 2 && box.height() < 2)
            boxes.emplace_back(box, fill);
        else
            fills[i] = fill;
    }

    // The areas of one fill together (they never overlap, so their order is
    // free), from the top down; the rings of an area in one batch, or a hole
    // would be filled on its own.
    std::vector<RingBatch> batches(brushes.size());
    const auto fillBatch = [&](int fill) {
        RingBatch& batch = batches[static_cast<std::size_t>(fill)];
        if (batch.isEmpty())
            return;
        const QPolygonF& polygon = batch.close();
        const auto& [plain, hatch] = brushes[static_cast<std::size_t>(fill)];
        painter.setBrush(plain);
        painter.drawPolygon(polygon, Qt::OddEvenFill);
        if (hatch.style() != Qt::NoBrush) {
            painter.setBrush(hatch);
            painter.drawPolygon(polygon, Qt::OddEvenFill);
        }
        batch.clear();
    };
    for (int area : areasDown_) {
        const int fill = fills[static_cast<std::size_t>(area)];
        if (fill < 0)
            continue;
        qsizetype points = 0;
        for (const auto& ring : areas[area].rings)
            points += static_cast<qsizetype>(ring.size()) + 2;
        if (!batches[static_cast<std::size_t>(fill)].fits(points, areas[area].box.y1 * t.m22() + t.dy()))
            fillBatch(fill);
        for (const auto& ring : areas[area].rings) {
            toDevice(ring, t, scratch_);
            batches[static_cast<std::size_t>(fill)].add(scratch_);
        }
    }
    for (int fill = 0; fill < static_cast<int>(batches.size()); ++fill)
        fillBatch(fill);
    for (const auto& [box, fill] : boxes) {
        const auto& [plain, hatch] = brushes[static_cast<std::size_t>(fill)];
        painter.fillRect(box, plain);
        if (hatch.style() != Qt::NoBrush)
            painter.fillRect(box, hatch);
    }

    painter.setBrush(Qt::NoBrush);
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPen municipal(QColor(0x80, 0x80, 0x80), 0.5);
    QPen comarcal(QColor(0x30, 0x30, 0x30), 1.1);
    QPen provincial(QColor(0x00, 0x00, 0x00), 2.2);
    const QPen* pens[3] = {&municipal, &comarcal, &provincial};
    // On an image Qt strokes a line wider than a pixel by filling its outline,
    // a costly pass for each line however short, but draws separate straight
    // pieces with square ends in one direct pass, and two pieces meeting so
    // look as the line joined; a line thinner than a pixel goes the direct way
    // as it is.
    const bool image = painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Raster;
    std::vector<QLineF> pieces;
    // Lines wholly outside the view (most of them, zoomed in) are left out
    // before Qt's clipping: a few pixels' margin keeps their width.
    const double margin = 4 / std::max(all.m11(), 1e-9);
    const QRectF around = visible.adjusted(-margin, -margin, margin, margin);
    for (int k = 0; k < 3; ++k) {
        painter.setPen(*pens[k]);
        const bool inPieces = image && pens[k]->widthF() * device.m11() > 1;
        pieces.clear();
        const auto& lines = map_->borders(static_cast<geo::BorderKind>(k));
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const QRectF& box = borderBoxes_[k][i];
            if (box.right() < around.left() || box.left() > around.right() || box.bottom() < around.top()
                || box.top() > around.bottom())
                continue;
            const auto& line = lines[i];
            toDevice(line, t, scratch_);
            // A line shorter than a pixel draws nothing one can see.
            if (scratch_.size() == 2 && (scratch_[1] - scratch_[0]).manhattanLength() < 1)
                continue;
            if (!inPieces) {
                painter.drawPolyline(scratch_);
                continue;
            }
            for (qsizetype j = 1; j < scratch_.size(); ++j)
                pieces.emplace_back(scratch_[j - 1], scratch_[j]);
        }
        painter.drawLines(pieces.data(), static_cast<int>(pieces.size()));
    }

    // The point areas after the borders, so that they stay visible: a dot
    // of the area's colour with a dark ring, the same size at any zoom. On
    // such an image as above, each is copied from one drawn before at its
    // quarter of a pixel: Spain has hundreds, and Qt's antialiased circle
    // costs as much as a municipality's fill.
    painter.setTransform(base);
    const qreal ratio = painter.device()->devicePixelRatio();
    for (std::size_t d = 0; d < dots_.size(); ++d) {
        const int a = dotAreas_[d];
        QColor fill = areas[a].kind == geo::AreaKind::SharedTerritory ? kShared
                      : !coloured                                    ? kUncoloured
                      : colours.classOf(a) < 0                        ? kNoData
                                                                      : colours.colourOf(a);
        const QPointF at = t.map(dots_[d]);
        if (tiled) {
            // The device pixel and the quarter of it nearest the centre.
            const QPoint quarters = (device.map(at) * 4).toPoint();
            const QPoint whole(quarters.x() >> 2, quarters.y() >> 2);
            const QImage& drawn = dotImage(fill, quarters - whole * 4, device.m11(), ratio);
            painter.save();
            painter.resetTransform();
            painter.drawImage(QPointF(whole - drawn.offset()) / ratio, drawn);
            painter.restore();
            continue;
        }
        painter.setPen(QPen(QColor(0x30, 0x30, 0x30), 1.0));
        painter.setBrush(fill);
        painter.drawEllipse(at, 3.5, 3.5);
    }

    painter.restore();
}

void MapScene::paintHighlight(QPainter& painter, const QTransform& toDeviceUnits, const Highlight& highlight) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QTransform base = painter.transform();
    const QTransform all = toDeviceUnits * base;
    const auto& areas = map_->areas();
    // The outlines' widths are the window's pixels, as many device pixels as
    // the painter and the device scale them by (two to the pixel at 200 %, a
    // printer's dots on a page).
    const qreal width = std::sqrt(std::abs(painter.deviceTransform().determinant()));
    // The comarca chosen in the table, then the unit, then the pointer.
    painter.setTransform(all);
    painter.setBrush(Qt::NoBrush);
    // On an image Qt's cost of stroking a wide line grows with how far the
    // line reaches across as well as with its length: a solid outline is
    // stroked a few segments at a time there, their round ends meeting as a
    // round join does. A drawing, or a dashed line, takes the whole path.
    const bool image = painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Raster;
    // Pieces wholly outside the view are left out, with a margin for the pen.
    const double margin = 8 / std::max(all.m11(), 1e-9);
    const QRectF around = all.inverted().mapRect(QRectF(painter.viewport())).adjusted(-margin, -margin, margin, margin);
    QPolygonF piece;
    const auto stroke = [&](int a, const QPen& pen) {
        if (!image || pen.style() != Qt::SolidLine) {
            painter.setPen(pen);
            painter.drawPath(areas_[a]);
            return;
        }
        QPen round = pen;
        round.setCapStyle(Qt::RoundCap);
        round.setJoinStyle(Qt::RoundJoin);
        painter.setPen(round);
        constexpr std::size_t kSegments = 4;
        for (const auto& ring : areas[a].rings) {
            // Round the ring, back to its first point.
            const std::size_t n = ring.size();
            const std::size_t segments = ring.back().x == ring.front().x && ring.back().y == ring.front().y ? n - 1 : n;
            for (std::size_t from = 0; from < segments; from += kSegments) {
                piece.clear();
                for (std::size_t i = from; i <= std::min(from + kSegments, segments); ++i)
                    piece.append(QPointF(ring[i % n].x, ring[i % n].y));
                const QRectF box = piece.boundingRect();
                if (box.right() >= around.left() && box.left() <= around.right() && box.bottom() >= around.top()
                    && box.top() <= around.bottom())
                    painter.drawPolyline(piece);
            }
        }
    };
    if (highlight.comarca >= 0) {
        QPen pen(kHighlight, 2.5 * width);
        pen.setCosmetic(true);
        for (std::size_t i = 0; i < areas.size(); ++i)
            if (areas[i].comarca == highlight.comarca)
                stroke(static_cast<int>(i), pen);
    }
    const auto outline = [&](int a, const QPen& pen) {
        stroke(a, pen);
        painter.setPen(pen);
        for (const geo::Point& d : areas[a].dots) {
            painter.setTransform(base);
            painter.drawEllipse(toDeviceUnits.map(QPointF(d.x, d.y)), 6, 6);
            painter.setTransform(all);
        }
    };
    for (int a : highlight.areas) {
        QPen white(Qt::white, 5.5 * width);
        white.setCosmetic(true);
        white.setJoinStyle(Qt::RoundJoin);
        outline(a, white);
        QPen pen(highlight.historical ? kHistorical : kHighlight, 3.0 * width,
                 highlight.historical ? Qt::DashLine : Qt::SolidLine);
        pen.setCosmetic(true);
        pen.setJoinStyle(Qt::RoundJoin);
        outline(a, pen);
    }
    if (highlight.hovered >= 0) {
        QPen pen(QColor(0x20, 0x20, 0x20), 1.8 * width);
        pen.setCosmetic(true);
        outline(highlight.hovered, pen);
    }
    painter.setTransform(base);
    if (!highlight.label.isEmpty() && !highlight.areas.empty()) {
        const geo::Point& p = areas[*highlight.areas.begin()].inside;
        const QPointF at = toDeviceUnits.map(QPointF(p.x, p.y));
        const QFontMetricsF metrics(painter.font());
        QRectF box = metrics.boundingRect(highlight.label).adjusted(-4, -2, 4, 2);
        box.moveTopLeft(at + QPointF(10, 8));
        const QRectF bounds = base.inverted().mapRect(QRectF(painter.viewport())).adjusted(2, 2, -2, -2);
        if (box.right() > bounds.right())
            box.moveRight(at.x() - 10);
        if (box.bottom() > bounds.bottom())
            box.moveBottom(at.y() - 8);
        painter.setPen(QPen(highlight.historical ? kHistorical : kHighlight, 1));
        painter.setBrush(QColor(255, 255, 255, 235));
        painter.drawRect(box);
        painter.setPen(Qt::black);
        painter.drawText(box, Qt::AlignCenter, highlight.label);
    }
    painter.restore();
}

qreal MapScene::legendWidth(const QFont& font, const ColouredMap& colours)
{
    const QFontMetricsF metrics(font);
    qreal width = metrics.horizontalAdvance(QStringLiteral("territorio compartido"));
    width = std::max(width, metrics.horizontalAdvance(colours.colouring().valueHeading()));
    for (const QString& label : colours.legendLabels())
        width = std::max(width, metrics.horizontalAdvance(label));
    return width + metrics.height() * 2.5;
}

qreal MapScene::paintLegend(QPainter& painter, const QRectF& area, const ColouredMap& colours)
{
    painter.save();
    const QFontMetricsF metrics(painter.font());
    const qreal line = metrics.height() * 1.3;
    const qreal swatch = metrics.height();
    qreal y = area.top();
    const auto entry = [&](const QString& label, const QBrush& fill, const QBrush& hatch) {
        const QRectF box(area.left(), y + (line - swatch) / 2, swatch * 1.4, swatch);
        painter.setPen(Qt::NoPen);
        painter.fillRect(box, fill);
        if (hatch.style() != Qt::NoBrush) {
            QBrush h = hatch;
            h.setTransform(QTransform::fromTranslate(box.left(), box.top()));
            painter.fillRect(box, h);
        }
        painter.setPen(QColor(0x50, 0x50, 0x50));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(box);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(box.right() + swatch * 0.5, y, area.width(), line), Qt::AlignVCenter | Qt::AlignLeft,
                         label);
        y += line;
    };
    if (colours.colouring().kind != Colouring::Kind::None) {
        QFont bold = painter.font();
        bold.setBold(true);
        painter.setFont(bold);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(area.left(), y, area.width(), line), Qt::AlignVCenter | Qt::AlignLeft,
                         colours.colouring().valueHeading());
        QFont plain = bold;
        plain.setBold(false);
        painter.setFont(plain);
        y += line;
        const QStringList labels = colours.legendLabels();
        // Highest first, as the table.
        for (int cls = static_cast<int>(labels.size()) - 1; cls >= 0; --cls)
            entry(labels[cls], colours.classColour(cls), Qt::NoBrush);
        entry(QStringLiteral("sin dato"), kNoData, QBrush(kHatch, Qt::BDiagPattern));
    }
    entry(QStringLiteral("territorio compartido"), kShared, QBrush(kHatch, Qt::FDiagPattern));
    painter.restore();
    return y - area.top();
}

void MapScene::paintPicture(QPainter& painter, const QRectF& page, const QString& title, const QTransform& view,
                            const QSizeF& viewSize, const ColouredMap& colours, const Highlight& highlight) const
{
    painter.save();
    painter.fillRect(page, Qt::white);
    const QFontMetricsF metrics(painter.font());
    const qreal line = metrics.height() * 1.4;
    const QFont plain = painter.font();
    QFont titleFont = plain;
    titleFont.setBold(true);
    if (titleFont.pixelSize() > 0)
        titleFont.setPixelSize(titleFont.pixelSize() * 5 / 4);
    else
        titleFont.setPointSizeF(titleFont.pointSizeF() * 1.25);
    painter.setFont(titleFont);
    const qreal titleHeight = QFontMetricsF(titleFont).height() * 1.4;
    painter.setPen(Qt::black);
    painter.drawText(QRectF(page.left() + 8, page.top() + 4, page.width() - 16, titleHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, title);
    painter.setFont(plain);
    const qreal legend = legendWidth(plain, colours);
    const QRectF mapArea(page.left() + 8, page.top() + 4 + titleHeight, page.width() - legend - 24,
                         page.height() - titleHeight - 2 * line - 8);
    // The window's view, scaled whole into the map's part of the page.
    const double scale = std::min(mapArea.width() / viewSize.width(), mapArea.height() / viewSize.height());
    QTransform toPage;
    toPage.translate(mapArea.center().x() - viewSize.width() * scale / 2,
                     mapArea.center().y() - viewSize.height() * scale / 2);
    toPage.scale(scale, scale);
    painter.save();
    const QRectF shown = toPage.mapRect(QRectF(QPointF(0, 0), viewSize));
    painter.setClipRect(shown);
    paintMap(painter, view * toPage, colours, highlight);
    painter.restore();
    painter.setPen(QColor(0xa0, 0xa0, 0xa0));
    painter.drawRect(shown);
    paintLegend(painter, QRectF(mapArea.right() + 16, mapArea.top(), legend, mapArea.height()), colours);
    painter.setPen(Qt::black);
    const QString date = QLocale(QLocale::Spanish, QLocale::Spain).toString(QDate::currentDate(), QStringLiteral("d 'de' MMMM 'de' yyyy"));
    painter.drawText(QRectF(page.left() + 8, page.bottom() - 2 * line, page.width() - 16, line),
                     Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Población, %1").arg(date));
    painter.drawText(QRectF(page.left() + 8, page.bottom() - line, page.width() - 16, line),
                     Qt::AlignLeft | Qt::AlignVCenter, kAttribution);
    painter.restore();
}

} // namespace map
