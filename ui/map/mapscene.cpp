#include "mapscene.h"

#include <QDate>
#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace map {

namespace {

const QColor kNoData(0xe0, 0xe0, 0xe0);
const QColor kHatch(0x80, 0x80, 0x80);
const QColor kShared(0xf2, 0xf2, 0xf2);
const QColor kUncoloured(0xf4, 0xf1, 0xe8);
const QColor kHighlight(0x00, 0x00, 0x00);
const QColor kHistorical(0xd9, 0x00, 0x8c);

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
    }
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
    out.clear();
    const double sx = t.m11(), sy = t.m22(), dx = t.dx(), dy = t.dy();
    QPointF last(1e300, 1e300);
    for (const geo::Point& p : line) {
        const QPointF d(p.x * sx + dx, p.y * sy + dy);
        if (std::abs(d.x() - last.x()) + std::abs(d.y() - last.y()) >= 0.5) {
            out.append(d);
            last = d;
        }
    }
    // A line keeps its last point, so that the next one meets it.
    const QPointF end(line.back().x * sx + dx, line.back().y * sy + dy);
    if (out.size() < 2 || out.back() != end)
        out.append(end);
}

void MapScene::fillArea(QPainter& painter, std::size_t area, const QTransform& t, const QBrush& brush) const
{
    const geo::Area& a = map_->areas()[area];
    const auto& rings = a.rings;
    // An area of a pixel or two (Spain's smallest at its whole extent) is its box.
    const QRectF box(a.box.x0 * t.m11() + t.dx(), a.box.y0 * t.m22() + t.dy(), a.box.width() * t.m11(),
                     a.box.height() * t.m22());
    if (box.width() < 2 && box.height() < 2) {
        painter.fillRect(box, brush);
        return;
    }
    if (rings.size() == 1) {
        toDevice(rings[0], t, scratch_);
        painter.setBrush(brush);
        painter.drawPolygon(scratch_, Qt::OddEvenFill);
        return;
    }
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    for (const auto& ring : rings) {
        toDevice(ring, t, scratch_);
        path.addPolygon(scratch_);
        path.closeSubpath();
    }
    painter.fillPath(path, brush);
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
    for (std::size_t i = 0; i < areas.size(); ++i) {
        const geo::Box& b = areas[i].box;
        if (areas[i].rings.empty() || !visible.intersects(QRectF(b.x0, b.y0, b.width(), b.height())))
            continue;
        if (areas[i].kind == geo::AreaKind::SharedTerritory) {
            fillArea(painter, i, t, kShared);
            fillArea(painter, i, t, QBrush(kHatch, Qt::FDiagPattern));
        } else if (!coloured) {
            fillArea(painter, i, t, kUncoloured);
        } else if (colours.classOf(static_cast<int>(i)) < 0) {
            fillArea(painter, i, t, kNoData);
            fillArea(painter, i, t, QBrush(kHatch, Qt::BDiagPattern));
        } else {
            fillArea(painter, i, t, colours.colourOf(static_cast<int>(i)));
        }
    }
    painter.setBrush(Qt::NoBrush);
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPen municipal(QColor(0x80, 0x80, 0x80), 0.5);
    QPen comarcal(QColor(0x30, 0x30, 0x30), 1.1);
    QPen provincial(QColor(0x00, 0x00, 0x00), 2.2);
    const QPen* pens[3] = {&municipal, &comarcal, &provincial};
    for (int k = 0; k < 3; ++k) {
        painter.setPen(*pens[k]);
        for (const auto& line : map_->borders(static_cast<geo::BorderKind>(k))) {
            toDevice(line, t, scratch_);
            // A line shorter than a pixel draws nothing one can see.
            if (scratch_.size() > 2 || (scratch_.size() == 2 && (scratch_[1] - scratch_[0]).manhattanLength() >= 1))
                painter.drawPolyline(scratch_);
        }
    }

    // The point areas after the borders, so that they stay visible: a dot
    // of the area's colour with a dark ring, the same size at any zoom.
    painter.setTransform(base);
    for (std::size_t d = 0; d < dots_.size(); ++d) {
        const int a = dotAreas_[d];
        QColor fill = areas[a].kind == geo::AreaKind::SharedTerritory ? kShared
                      : !coloured                                    ? kUncoloured
                      : colours.classOf(a) < 0                        ? kNoData
                                                                      : colours.colourOf(a);
        painter.setPen(QPen(QColor(0x30, 0x30, 0x30), 1.0));
        painter.setBrush(fill);
        painter.drawEllipse(all.map(dots_[d]), 3.5, 3.5);
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
    // The comarca chosen in the table, then the unit, then the pointer.
    painter.setTransform(all);
    painter.setBrush(Qt::NoBrush);
    if (highlight.comarca >= 0) {
        QPen pen(kHighlight, 2.5);
        pen.setCosmetic(true);
        painter.setPen(pen);
        for (std::size_t i = 0; i < areas.size(); ++i)
            if (areas[i].comarca == highlight.comarca)
                painter.drawPath(areas_[i]);
    }
    const auto outline = [&](int a, const QPen& pen) {
        painter.setPen(pen);
        painter.drawPath(areas_[a]);
        for (const geo::Point& d : areas[a].dots) {
            painter.setTransform(base);
            painter.drawEllipse(all.map(QPointF(d.x, d.y)), 6, 6);
            painter.setTransform(all);
        }
    };
    for (int a : highlight.areas) {
        QPen white(Qt::white, 5.5);
        white.setCosmetic(true);
        white.setJoinStyle(Qt::RoundJoin);
        outline(a, white);
        QPen pen(highlight.historical ? kHistorical : kHighlight, 3.0, highlight.historical ? Qt::DashLine : Qt::SolidLine);
        pen.setCosmetic(true);
        pen.setJoinStyle(Qt::RoundJoin);
        outline(a, pen);
    }
    if (highlight.hovered >= 0) {
        QPen pen(QColor(0x20, 0x20, 0x20), 1.8);
        pen.setCosmetic(true);
        outline(highlight.hovered, pen);
    }
    painter.setTransform(base);
    if (!highlight.label.isEmpty() && !highlight.areas.empty()) {
        const geo::Point& p = areas[*highlight.areas.begin()].inside;
        const QPointF at = all.map(QPointF(p.x, p.y));
        const QFontMetricsF metrics(painter.font());
        QRectF box = metrics.boundingRect(highlight.label).adjusted(-4, -2, 4, 2);
        box.moveTopLeft(at + QPointF(10, 8));
        const QRectF bounds = QRectF(painter.viewport()).adjusted(2, 2, -2, -2);
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
