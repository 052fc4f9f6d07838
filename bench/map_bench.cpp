// The map window's speed: opening it to its first painted frame, a full redraw
// of Aragón at 900 × 900, finding the municipality under the pointer, changing
// what is coloured, and a redraw of the whole of Spain (8,131 municipalities,
// read from the same TopoJSON by poblacion-mapconvert --espana). Each figure
// is the median of its runs; the last line sums them up:
//
//   map: open N ms, redraw N ms, hover N us, recolour N ms, spain redraw N ms
//
//   map_bench [ESPANA.mapa]   (default: the one the build converted)

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <time.h>
#include <vector>

#include "locator.h"
#include "mapcanvas.h"
#include "mapcolouring.h"
#include "mapdata.h"
#include "mapfigures.h"
#include "mapscene.h"
#include "mapwindow.h"
#include "store.h"

namespace {

using Clock = std::chrono::steady_clock;

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// The processor time of this thread, in milliseconds: on a machine that
// other work keeps busy it says what the clock cannot.
double threadMilliseconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

std::vector<double> lastProcessorTimes;

// Milliseconds of each of `runs` calls by the clock; their processor times
// are left in lastProcessorTimes.
std::vector<double> timed(int runs, const std::function<void()>& work)
{
    std::vector<double> ms;
    lastProcessorTimes.clear();
    for (int i = 0; i < runs; ++i) {
        const double cpu = threadMilliseconds();
        const auto start = Clock::now();
        work();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        lastProcessorTimes.push_back(threadMilliseconds() - cpu);
    }
    return ms;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

geo::MapData mapOf(const QByteArray& bytes)
{
    return geo::MapData::read(std::string_view(bytes.constData(), bytes.size()));
}

double redraw(const geo::MapData& data, const map::MunicipalFigures& figures, int runs)
{
    const map::MapScene scene(data);
    map::Colouring change;
    change.kind = map::Colouring::Kind::Change;
    const map::ColouredMap colours(data, figures, change);
    QImage image(900, 900, QImage::Format_ARGB32_Premultiplied);
    const QTransform view = map::MapScene::fitting(data.box(), QRectF(0, 0, 900, 900));
    map::Highlight highlight;
    if (data.areaOf("50297") >= 0)
        highlight.areas.insert(data.areaOf("50297"));
    const double wall = median(timed(runs, [&] {
        image.fill(Qt::white);
        QPainter painter(&image);
        scene.paintMap(painter, view, colours, highlight);
    }));
    std::printf("  (processor %.2f ms)\n", median(lastProcessorTimes));
    return wall;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString spainPath = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(SPAIN_MAP);

    const QByteArray packet = readAll(QStringLiteral(":/PUEBLOS"));
    const auto store = catalogue::Store::read(std::string_view(packet.constData(), packet.size()));
    const map::MunicipalFigures figures = map::figuresFromStore(*store);

    // Opening: the map read, drawn, coloured and listed, the window painted once.
    const std::vector<double> open = timed(9, [&] {
        map::MapWindow window(figures);
        window.resize(1100, 760);
        window.show();
        window.repaint();
    });
    std::printf("open (to the first painted frame): %.2f ms (processor %.2f ms)\n", median(open),
                median(lastProcessorTimes));

    const geo::MapData aragon = mapOf(readAll(QStringLiteral(":/MAPA")));
    const double aragonRedraw = redraw(aragon, figures, 41);
    std::printf("redraw of Aragón at 900 x 900: %.2f ms\n", aragonRedraw);

    // The area under the pointer at random points of the map's box.
    const geo::Locator locator(aragon);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> x(aragon.box().x0, aragon.box().x1), y(aragon.box().y0, aragon.box().y1);
    std::vector<geo::Point> points(2000);
    for (auto& p : points)
        p = {x(random), y(random)};
    volatile int sink = 0;
    std::vector<double> hover;
    for (int run = 0; run < 21; ++run) {
        const auto start = Clock::now();
        for (const auto& p : points)
            sink = sink + locator.areaAt(p, 0.002);
        hover.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count() / static_cast<double>(points.size()));
    }
    std::printf("area under the pointer: %.2f us\n", median(hover));

    // Changing the date or the measure: colours, legend, table, redrawn.
    map::MapWindow window(figures);
    window.resize(1100, 760);
    window.show();
    window.repaint();
    int date = 0;
    const std::vector<double> recolour = timed(21, [&] {
        map::Colouring c = window.colouring();
        c.kind = map::Colouring::Kind::Population;
        c.date = date++ % 12;
        window.setColouring(c);
        window.repaint();
    });
    std::printf("recolour (another date): %.2f ms (processor %.2f ms)\n", median(recolour),
                median(lastProcessorTimes));

    double spain = -1;
    const QByteArray spainBytes = readAll(spainPath);
    if (!spainBytes.isEmpty()) {
        const geo::MapData data = mapOf(spainBytes);
        spain = redraw(data, figures, 15);
        std::printf("redraw of Spain (%zu municipalities) at 900 x 900: %.2f ms\n", data.municipalityCount(), spain);
    } else {
        std::printf("no map of Spain at %s\n", qPrintable(spainPath));
    }
    std::printf("map: open %.0f ms, redraw %.1f ms, hover %.1f us, recolour %.1f ms, spain redraw %.0f ms\n",
                median(open), aragonRedraw, median(hover), median(recolour), spain);
    return 0;
}
