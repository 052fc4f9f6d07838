// The map as the scene draws it on an image (the window's and a saved PNG's
// way) and on an SVG file: each area in its class's colour, the unknown and
// the shared hatched, an enclave in its own colour, the borders over the
// fills and heavier as they part more, the highlights over all, at one and
// at two device pixels to the pixel; and a drawing that stays a drawing.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QSvgGenerator>
#include <cmath>
#include <set>

#include "map_fixture.h"
#include "mapscene.h"

namespace {

map::Colouring changeFrom1900To2001()
{
    map::Colouring c;
    c.kind = map::Colouring::Kind::Change;
    c.from = 0;
    c.to = 10;
    return c;
}

// Aragón drawn at 900 × 900 (device-independent) pixels, whole or about a
// municipality.
struct Drawn {
    QImage image;
    QTransform view;

    // The pixel under a point given in map units.
    QColor at(const geo::Point& p) const
    {
        const QPointF d = view.map(QPointF(p.x, p.y)) * image.devicePixelRatio();
        return image.pixelColor(static_cast<int>(std::floor(d.x())), static_cast<int>(std::floor(d.y())));
    }
    QColor inside(const char* code) const { return at(aragon().areas()[aragon().areaOf(code)].inside); }
    // The colours of the square of device pixels `half` either side of a
    // municipality's inside point.
    std::set<QRgb> around(const char* code, int half) const
    {
        const geo::Point& p = aragon().areas()[aragon().areaOf(code)].inside;
        const QPoint c = (view.map(QPointF(p.x, p.y)) * image.devicePixelRatio()).toPoint();
        std::set<QRgb> seen;
        for (int y = c.y() - half; y <= c.y() + half; ++y)
            for (int x = c.x() - half; x <= c.x() + half; ++x)
                seen.insert(image.pixel(x, y) & 0xffffff);
        return seen;
    }
};

Drawn draw(const map::Colouring& colouring, const map::Highlight& highlight = {}, qreal ratio = 1,
           const char* about = nullptr)
{
    const map::MapScene scene(aragon());
    const map::ColouredMap colours(aragon(), catalogueFigures(), colouring);
    Drawn drawn;
    drawn.image = QImage(QSize(900, 900) * ratio, QImage::Format_ARGB32_Premultiplied);
    drawn.image.setDevicePixelRatio(ratio);
    drawn.image.fill(Qt::white);
    geo::Box shown = aragon().box();
    if (about) {
        // A twentieth of Aragón's height each way.
        const geo::Point& p = aragon().areas()[aragon().areaOf(about)].inside;
        shown = {p.x - 0.08, p.y - 0.08, p.x + 0.08, p.y + 0.08};
    }
    drawn.view = map::MapScene::fitting(shown, QRectF(0, 0, 900, 900));
    QPainter painter(&drawn.image);
    scene.paintMap(painter, drawn.view, colours, highlight);
    return drawn;
}

// The middle of the longest straight stretch of the borders of a kind.
std::pair<geo::Point, geo::Point> longestStretch(geo::BorderKind kind)
{
    std::pair<geo::Point, geo::Point> longest;
    double length = 0;
    for (const auto& line : aragon().borders(kind))
        for (std::size_t i = 1; i < line.size(); ++i) {
            const double l = std::hypot(line[i].x - line[i - 1].x, line[i].y - line[i - 1].y);
            if (l > length) {
                length = l;
                longest = {line[i - 1], line[i]};
            }
        }
    return longest;
}

// How many device pixels darker than `grey` a border of a kind is across (in
// the column through the middle of its longest stretch, or the row when the
// stretch runs more up than along).
int darkAcross(const Drawn& drawn, geo::BorderKind kind, int grey)
{
    const auto [a, b] = longestStretch(kind);
    const qreal ratio = drawn.image.devicePixelRatio();
    const QPointF from = drawn.view.map(QPointF(a.x, a.y)) * ratio, to = drawn.view.map(QPointF(b.x, b.y)) * ratio;
    const QPoint middle = ((from + to) / 2).toPoint();
    const bool column = std::abs(to.x() - from.x()) > std::abs(to.y() - from.y());
    int dark = 0;
    for (int s = -8; s <= 8; ++s) {
        const QPoint p = middle + (column ? QPoint(0, s) : QPoint(s, 0));
        dark += qGray(drawn.image.pixel(p)) < grey;
    }
    return dark;
}

TEST(MapScene, EachAreaIsFilledInItsClasssColour)
{
    const Drawn drawn = draw(changeFrom1900To2001());
    EXPECT_EQ(drawn.inside("44131"), QColor(0x67, 0x00, 0x1f)); // Josa, −95,1 %
    EXPECT_EQ(drawn.inside("50085"), QColor(0xb2, 0x18, 0x2b)); // Codo, −74,8 %
    EXPECT_EQ(drawn.inside("22130"), QColor(0x92, 0xc5, 0xde)); // Jaca, +27,2 %
    EXPECT_EQ(drawn.inside("50297"), QColor(0x21, 0x66, 0xac)); // Zaragoza, +522,4 %
    EXPECT_EQ(drawn.inside("44216"), QColor(0x21, 0x66, 0xac)); // Teruel
    // Uncoloured, every municipality alike.
    const Drawn plain = draw(map::Colouring());
    for (const char* code : {"44131", "50085", "22130", "50297"})
        EXPECT_EQ(plain.inside(code), QColor(0xf4, 0xf1, 0xe8)) << code;
}

TEST(MapScene, TheUnknownAndTheSharedAreHatched)
{
    // Vencillón, with no figure in 1900: grey under darker lines.
    const Drawn drawn = draw(changeFrom1900To2001(), {}, 1, "22909");
    EXPECT_EQ(drawn.around("22909", 8), (std::set<QRgb>{0xe0e0e0, 0x808080}));
    // A shared territory: light grey under the lines the other way.
    EXPECT_EQ(draw(changeFrom1900To2001(), {}, 1, "53076").around("53076", 8), (std::set<QRgb>{0xf2f2f2, 0x808080}));
    // The two hatchings lean apart: a line of one never continues one of the other.
    const geo::Point& p = aragon().areas()[aragon().areaOf("22909")].inside;
    const QPoint c = drawn.view.map(QPointF(p.x, p.y)).toPoint();
    int down = 0, up = 0;
    for (int y = c.y() - 8; y < c.y() + 8; ++y)
        for (int x = c.x() - 8; x < c.x() + 8; ++x)
            if (drawn.image.pixel(x, y) == 0xff808080) {
                down += drawn.image.pixel(x + 1, y + 1) == 0xff808080;
                up += drawn.image.pixel(x + 1, y - 1) == 0xff808080;
            }
    EXPECT_EQ(down, 0);
    EXPECT_GT(up, 0);
}

TEST(MapScene, AnEnclaveKeepsItsOwnColourInsideTheAreaAroundIt)
{
    // Codo, a hole in Belchite, is a class apart from it.
    const Drawn drawn = draw(changeFrom1900To2001(), {}, 1, "50085");
    EXPECT_EQ(drawn.around("50085", 8), (std::set<QRgb>{0xb2182b}));
    EXPECT_EQ(drawn.around("50045", 8), (std::set<QRgb>{0xf4a582}));
    // By population in 2001 the two swap lightness.
    map::Colouring population;
    population.kind = map::Colouring::Kind::Population;
    population.date = 10;
    const Drawn byPopulation = draw(population, {}, 1, "50085");
    EXPECT_EQ(byPopulation.around("50085", 8), (std::set<QRgb>{0x7fcdbb}));
    EXPECT_EQ(byPopulation.around("50045", 8), (std::set<QRgb>{0x1d91c0}));
}

TEST(MapScene, BordersAreDrawnOverTheFillsHeavierAsTheyPartMore)
{
    // On the uncoloured map, whose fills are all light.
    const Drawn drawn = draw(map::Colouring());
    // Provincial: black, two or three pixels across.
    EXPECT_GE(darkAcross(drawn, geo::BorderKind::Provincial, 0x60), 2);
    EXPECT_LE(darkAcross(drawn, geo::BorderKind::Provincial, 0x60), 3);
    // Comarcal: dark grey, one or two.
    EXPECT_GE(darkAcross(drawn, geo::BorderKind::Comarcal, 0x80), 1);
    EXPECT_LE(darkAcross(drawn, geo::BorderKind::Comarcal, 0x80), 2);
    EXPECT_EQ(darkAcross(drawn, geo::BorderKind::Comarcal, 0x30), 0);
    // Municipal: a faint grey line.
    EXPECT_GE(darkAcross(drawn, geo::BorderKind::Municipal, 0xe8), 1);
    EXPECT_LE(darkAcross(drawn, geo::BorderKind::Municipal, 0xe8), 2);
    EXPECT_EQ(darkAcross(drawn, geo::BorderKind::Municipal, 0xa0), 0);
}

TEST(MapScene, AtTwoDevicePixelsToThePixelEveryPlaceKeepsItsColourAndBordersDoubleTheirWidth)
{
    EXPECT_EQ(draw(changeFrom1900To2001(), {}, 2).inside("44131"), QColor(0x67, 0x00, 0x1f));
    EXPECT_EQ(draw(changeFrom1900To2001(), {}, 2, "50085").around("50085", 16), (std::set<QRgb>{0xb2182b}));
    EXPECT_EQ(draw(changeFrom1900To2001(), {}, 2, "22909").around("22909", 16), (std::set<QRgb>{0xe0e0e0, 0x808080}));
    const Drawn drawn = draw(map::Colouring(), {}, 2);
    EXPECT_GE(darkAcross(drawn, geo::BorderKind::Provincial, 0x60), 4);
    EXPECT_LE(darkAcross(drawn, geo::BorderKind::Provincial, 0x60), 6);
    EXPECT_GE(darkAcross(drawn, geo::BorderKind::Comarcal, 0x80), 2);
    EXPECT_LE(darkAcross(drawn, geo::BorderKind::Comarcal, 0x80), 3);
    // The municipal line, a whole device pixel now, is still faint.
    EXPECT_GE(darkAcross(drawn, geo::BorderKind::Municipal, 0xe8), 1);
    EXPECT_LE(darkAcross(drawn, geo::BorderKind::Municipal, 0xe8), 2);
    EXPECT_EQ(darkAcross(drawn, geo::BorderKind::Municipal, 0xa0), 0);
}

TEST(MapScene, ScaledByThePainterAsOnAPrinterTheMapIsDrawnAsAtAsManyDevicePixels)
{
    // Maleján, a point beside Borja, highlighted and named.
    map::Colouring population;
    population.kind = map::Colouring::Kind::Population;
    population.date = 10;
    map::Highlight highlight;
    highlight.areas = {aragon().areaOf("50156")};
    highlight.label = QStringLiteral("Maleján");
    const Drawn twice = draw(population, highlight, 2);
    const map::MapScene scene(aragon());
    const map::ColouredMap colours(aragon(), catalogueFigures(), population);
    QImage scaled(1800, 1800, QImage::Format_ARGB32_Premultiplied);
    scaled.fill(Qt::white);
    {
        QPainter painter(&scaled);
        painter.scale(2, 2);
        scene.paintMap(painter, twice.view, colours, highlight);
    }
    // Maleján's dot in its class's colour where the window has it, with the
    // highlight's ring at six of the window's pixels round it (twelve here).
    const geo::Point& dot = aragon().areas()[aragon().areaOf("50156")].dots[0];
    const QPoint centre = (twice.view.map(QPointF(dot.x, dot.y)) * 2).toPoint();
    EXPECT_EQ(scaled.pixelColor(centre), QColor(0x7f, 0xcd, 0xbb));
    EXPECT_LT(qGray(scaled.pixel(centre + QPoint(12, 0))), 0x40);
    EXPECT_TRUE(scaled == twice.image.convertToFormat(scaled.format()));
}

// On a page the highlight keeps its width in the window's pixels: four times
// as many device pixels where the painter scales by four, as a printer's does.
TEST(MapScene, OnAScaledPainterTheHighlightIsAsWideAsInTheWindow)
{
    map::Highlight highlight;
    highlight.areas = {aragon().areaOf("50297")};
    const Drawn window = draw(changeFrom1900To2001(), highlight);
    const map::MapScene scene(aragon());
    const map::ColouredMap colours(aragon(), catalogueFigures(), changeFrom1900To2001());
    QImage page(3600, 3600, QImage::Format_ARGB32_Premultiplied);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        painter.scale(4, 4);
        scene.paintMap(painter, window.view, colours, highlight);
    }
    // Across Zaragoza's westernmost point: the white halo on either side of
    // the black line, which nothing else on the map draws in white.
    geo::Point west{1e9, 0};
    for (const auto& ring : aragon().areas()[aragon().areaOf("50297")].rings)
        for (const geo::Point& p : ring)
            if (p.x < west.x)
                west = p;
    // The window's halo of 5.5 pixels, 3 under the line, leaves about a pixel
    // of white each side: here four times that (5 pixels across this vertex;
    // widths in device pixels leave 2).
    const QPoint at = (window.view.map(QPointF(west.x, west.y)) * 4).toPoint();
    int white = 0;
    for (int dx = -40; dx <= 40; ++dx)
        white += page.pixelColor(at + QPoint(dx, 0)) == QColor(Qt::white);
    EXPECT_GE(white, 4);
}

// The points of a municipality's rings, every `step` map units along them.
std::vector<geo::Point> alongOutline(const char* code, double step)
{
    std::vector<geo::Point> points;
    for (const auto& ring : aragon().areas()[aragon().areaOf(code)].rings)
        for (std::size_t i = 1; i < ring.size(); ++i) {
            const double length = std::hypot(ring[i].x - ring[i - 1].x, ring[i].y - ring[i - 1].y);
            for (double s = 0; s < length; s += step) {
                const double f = s / length;
                points.push_back({ring[i - 1].x + (ring[i].x - ring[i - 1].x) * f,
                                  ring[i - 1].y + (ring[i].y - ring[i - 1].y) * f});
            }
        }
    return points;
}

TEST(MapScene, AHighlightedMunicipalityIsOutlinedAllRound)
{
    map::Highlight highlight;
    highlight.areas = {aragon().areaOf("50297")};
    highlight.hovered = aragon().areaOf("44216");
    const Drawn drawn = draw(changeFrom1900To2001(), highlight);
    // Zaragoza in black, Teruel under the pointer in dark grey, all round.
    const std::vector<geo::Point> zaragoza = alongOutline("50297", 0.002);
    ASSERT_GT(zaragoza.size(), 200u);
    for (const geo::Point& p : zaragoza)
        ASSERT_LT(qGray(drawn.at(p).rgb()), 0x40) << p.x << " " << p.y;
    for (const geo::Point& p : alongOutline("44216", 0.002))
        ASSERT_LT(qGray(drawn.at(p).rgb()), 0x60) << p.x << " " << p.y;

    // A historical municipality's: dashed, in magenta.
    highlight.historical = true;
    highlight.hovered = -1;
    const Drawn historical = draw(changeFrom1900To2001(), highlight);
    int magenta = 0, other = 0;
    for (const geo::Point& p : zaragoza) {
        const QColor c = historical.at(p);
        (c.red() > 0xb0 && c.green() < 0x40 && c.blue() > 0x60 ? magenta : other) += 1;
    }
    EXPECT_GT(magenta, static_cast<int>(zaragoza.size()) / 3);
    EXPECT_GT(other, static_cast<int>(zaragoza.size()) / 10);
}

TEST(MapScene, AnSvgDrawingHoldsShapesAndNoPicture)
{
    const map::MapScene scene(aragon());
    const map::ColouredMap colours(aragon(), catalogueFigures(), changeFrom1900To2001());
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(QSize(900, 900));
    svg.setViewBox(QRectF(0, 0, 900, 900));
    {
        QPainter painter(&svg);
        scene.paintMap(painter, map::MapScene::fitting(aragon().box(), QRectF(0, 0, 900, 900)), colours, {});
    }
    const QString text = QString::fromUtf8(bytes);
    EXPECT_FALSE(text.contains("<image"));
    // Each class's colour fills shapes; the borders are lines.
    for (const char* colour : {"#67001f", "#b2182b", "#d6604d", "#f4a582", "#92c5de", "#4393c3", "#2166ac"})
        EXPECT_TRUE(text.contains(QStringLiteral("fill=\"%1\"").arg(colour))) << colour;
    EXPECT_TRUE(text.contains("fill-rule=\"evenodd\""));
    EXPECT_GT(text.count("<polyline"), 1000);
}

} // namespace
