// The population chart on a chart of its own: appearance, series, gaps,
// left-axis range, number format and vertical panning.
#include <QImage>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include "chart.h"

namespace {

const QStringList kYears = {"1900", "1910", "1920", "1930", "1940", "1950",
                            "1960", "1970", "1981", "1991", "2001", "2004"};

chart::Census censusOf(const std::array<std::int32_t, 12>& values)
{
    chart::Census census;
    for (std::size_t i = 0; i < 12; ++i) {
        census.points[i] = {kYears[static_cast<int>(i)], values[i]};
        if (values[i] != -1 && values[i] > census.largest)
            census.largest = values[i];
    }
    return census;
}

struct Chart {
    QCustomPlot plot;
    QCPGraph* line = nullptr;
    QCPGraph* points = nullptr;
    Chart()
    {
        plot.resize(425, 137);
        chart::setUp(plot);
    }
    void show(const std::array<std::int32_t, 12>& values)
    {
        chart::freeGraph(&plot, line);
        chart::freeGraph(&plot, points);
        chart::build(plot, censusOf(values), line, points);
        plot.replot();
    }
    QImage image() { return plot.toPixmap(425, 137).toImage().convertToFormat(QImage::Format_RGB32); }
    int xPixel(double key) const { return static_cast<int>(std::lround(plot.xAxis->coordToPixel(key))); }
};

bool seriesColoured(QRgb pixel)
{
    // The series colour, or a blend of it with the background of at least
    // half its strength; black text and grey grid lines on the background
    // never get red that far above green.
    const QColor c(pixel);
    return c.red() - c.green() >= 45 && c.blue() > c.green();
}

// Pixels of the series colour in the columns from x0 to x1 inside the plotting area.
int seriesPixels(const QImage& image, const QCustomPlot& plot, int x0, int x1)
{
    const QRect area = plot.axisRect()->rect();
    int count = 0;
    for (int x = std::max(x0, area.left()); x <= std::min(x1, area.right()); ++x)
        for (int y = area.top(); y <= area.bottom(); ++y)
            count += seriesColoured(image.pixel(x, y)) ? 1 : 0;
    return count;
}

} // namespace

TEST(Chart, FixedAppearance)
{
    Chart chart;
    QCustomPlot& plot = chart.plot;
    EXPECT_EQ(plot.axisRect()->backgroundBrush().style(), Qt::NoBrush);
    // The window tint everywhere there is nothing drawn, inside the plotting
    // area too.
    plot.replot();
    const QImage image = chart.image();
    EXPECT_EQ(QColor(image.pixel(0, 0)), QColor(255, 238, 221));
    EXPECT_EQ(QColor(image.pixel(424, 136)), QColor(255, 238, 221));
    const QRect area = plot.axisRect()->rect();
    EXPECT_EQ(QColor(image.pixel(area.left() + 3, area.top() + 2)), QColor(255, 238, 221));
    EXPECT_FALSE(plot.legend->visible());
    EXPECT_FALSE(plot.xAxis2->visible());
    EXPECT_FALSE(plot.yAxis2->visible());
    EXPECT_EQ(plot.interactions(), QCP::Interactions());
    for (QCPAxis* axis : {plot.xAxis, plot.yAxis}) {
        EXPECT_EQ(axis->basePen().style(), Qt::NoPen);
        EXPECT_FALSE(axis->subTicks());
        EXPECT_EQ(axis->tickLabelFont().family(), "Times New Roman");
        EXPECT_EQ(axis->tickLabelFont().pixelSize(), 9);
        EXPECT_EQ(axis->tickLabelColor(), QColor(Qt::black));
    }
    EXPECT_EQ(plot.yAxis->label(), QString::fromUtf8("Población"));
    EXPECT_EQ(plot.yAxis->labelFont().family(), "Times New Roman");
    EXPECT_EQ(plot.yAxis->labelFont().pixelSize(), 11);
    EXPECT_EQ(plot.yAxis->labelColor(), QColor(Qt::black));
    EXPECT_EQ(plot.axisRect()->minimumMargins(), QMargins(0, 7, 1, 1));
    EXPECT_EQ(plot.graphCount(), 0);
    // Set up twice: still one panner.
    chart::setUp(plot);
    EXPECT_EQ(plot.findChildren<chart::VerticalPanner*>().size(), 1);
}

TEST(Chart, TwoSeriesRebuiltAtEveryUpdate)
{
    Chart chart;
    for (int i = 0; i < 5; ++i) {
        chart.show({100, 200, 300, 400, 500, 600, 700, 800, 900, 1000, 1100, 1200 + i});
        ASSERT_EQ(chart.plot.graphCount(), 2);
        EXPECT_EQ(chart.plot.graph(0), chart.line);
        EXPECT_EQ(chart.plot.graph(1), chart.points);
    }
    QCPGraph* line = chart.plot.graph(0);
    QCPGraph* points = chart.plot.graph(1);
    EXPECT_EQ(line->lineStyle(), QCPGraph::lsLine);
    EXPECT_EQ(line->pen().width(), 2);
    EXPECT_EQ(line->pen().color(), QColor(203, 125, 144));
    EXPECT_EQ(line->scatterStyle().shape(), QCPScatterStyle::ssNone);
    EXPECT_EQ(points->lineStyle(), QCPGraph::lsNone);
    EXPECT_EQ(points->scatterStyle().shape(), QCPScatterStyle::ssCircle);
    EXPECT_EQ(points->scatterStyle().size(), 8);
    EXPECT_EQ(points->scatterStyle().brush().color(), QColor(203, 125, 144));

    // Twelve points at x 0..11, the bottom axis labelled with the years.
    ASSERT_EQ(points->data()->size(), 12);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(points->data()->at(i)->key, i);
        EXPECT_EQ(line->data()->at(i)->value, 100 * (i + 1) + (i == 11 ? 4 : 0));
    }
    auto ticker = chart.plot.xAxis->ticker().dynamicCast<QCPAxisTickerText>();
    ASSERT_TRUE(ticker);
    ASSERT_EQ(ticker->ticks().size(), 12);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(ticker->ticks().value(i), kYears[i]);
    // The first and last markers lie inside the plotting area, with room.
    EXPECT_LT(chart.plot.xAxis->range().lower, -0.1);
    EXPECT_GT(chart.plot.xAxis->range().upper, 11.1);

    chart::freeGraph(&chart.plot, chart.line);
    chart::freeGraph(&chart.plot, chart.points);
    EXPECT_EQ(chart.plot.graphCount(), 0);
    EXPECT_EQ(chart.line, nullptr);
    chart::freeGraph(&chart.plot, chart.line); // nothing to free: nothing happens
    EXPECT_EQ(chart.plot.graphCount(), 0);
}

TEST(Chart, LeftAxisRunsFromZeroToFivePercentAboveTheLargest)
{
    EXPECT_EQ(chart::axisMaximum(9), 9.45);
    EXPECT_EQ(chart::axisMaximum(488), 512.4);
    EXPECT_EQ(chart::axisMaximum(1016), 1066.8);
    EXPECT_EQ(chart::axisMaximum(109635), 115116.75);
    EXPECT_EQ(chart::axisMaximum(0), 1.0);
    // 9 × 1.05 in plain double arithmetic is the next double above 9.45.
    EXPECT_NE(9 * 1.05, 9.45);

    Chart chart;
    chart.show({-1, 9, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1});
    EXPECT_EQ(chart.plot.yAxis->range().lower, 0);
    EXPECT_EQ(chart.plot.yAxis->range().upper, 9.45);
    chart.show({488, 100, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0});
    EXPECT_EQ(chart.plot.yAxis->range().upper, 512.4);
    chart.show({1016, 100, -1, -1, -1, -1, -1, -1, -1, -1, 1000, 0});
    EXPECT_EQ(chart.plot.yAxis->range().upper, 1066.8);
    EXPECT_EQ(chart.plot.yAxis->range().lower, 0);
}

TEST(Chart, AllMissingShowsNoPointsButEveryYear)
{
    Chart chart;
    chart.show({10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120});
    chart.show({-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1});
    ASSERT_EQ(chart.plot.graphCount(), 2);
    EXPECT_EQ(chart.plot.yAxis->range().lower, 0);
    EXPECT_EQ(chart.plot.yAxis->range().upper, 1);
    const QImage image = chart.image();
    EXPECT_EQ(seriesPixels(image, chart.plot, 0, image.width() - 1), 0);
    auto ticker = chart.plot.xAxis->ticker().dynamicCast<QCPAxisTickerText>();
    ASSERT_TRUE(ticker);
    EXPECT_EQ(ticker->ticks().size(), 12);
}

TEST(Chart, MissingValuesBreakTheLine)
{
    Chart chart;
    const int margin = 6; // marker radius, outline and antialiasing

    // A gap in the middle: nothing between the neighbours' markers.
    chart.show({500, 600, -1, 700, 800, 900, 1000, 900, 800, 700, 600, 500});
    ASSERT_GT(chart.xPixel(1) - chart.xPixel(0), 20);
    QImage image = chart.image();
    EXPECT_EQ(seriesPixels(image, chart.plot, chart.xPixel(1) + margin, chart.xPixel(3) - margin), 0);
    // Where both neighbours are present the segment is drawn.
    EXPECT_GT(seriesPixels(image, chart.plot, chart.xPixel(4) + margin, chart.xPixel(5) - margin), 5);
    EXPECT_GT(seriesPixels(image, chart.plot, chart.xPixel(1) - 1, chart.xPixel(1) + 1), 0);

    // A gap at the start and at the end.
    chart.show({-1, 600, 700, 800, 900, 1000, 900, 800, 700, 600, 500, -1});
    image = chart.image();
    EXPECT_EQ(seriesPixels(image, chart.plot, 0, chart.xPixel(1) - margin), 0);
    EXPECT_EQ(seriesPixels(image, chart.plot, chart.xPixel(10) + margin, image.width() - 1), 0);
    EXPECT_GT(seriesPixels(image, chart.plot, chart.xPixel(1) + margin, chart.xPixel(2) - margin), 5);

    // One value among missing ones: one marker, no line.
    chart.show({-1, -1, -1, -1, -1, 300, -1, -1, -1, -1, -1, -1});
    image = chart.image();
    EXPECT_GT(seriesPixels(image, chart.plot, chart.xPixel(5) - margin, chart.xPixel(5) + margin), 3);
    EXPECT_EQ(seriesPixels(image, chart.plot, 0, chart.xPixel(5) - margin - 1), 0);
    EXPECT_EQ(seriesPixels(image, chart.plot, chart.xPixel(5) + margin + 1, image.width() - 1), 0);

    // The missing points are NaN in both series.
    EXPECT_TRUE(std::isnan(chart.plot.graph(0)->data()->at(0)->value));
    EXPECT_TRUE(std::isnan(chart.plot.graph(1)->data()->at(11)->value));
    EXPECT_EQ(chart.plot.graph(1)->data()->at(5)->value, 300);
}

TEST(Chart, EdgeMarkersAreWhole)
{
    Chart chart;
    chart.show({1000, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 1000});
    const QImage image = chart.image();
    const QRect area = chart.plot.axisRect()->rect();
    EXPECT_GE(chart.xPixel(0) - 5, area.left());
    EXPECT_LE(chart.xPixel(11) + 5, area.right());
    EXPECT_GT(seriesPixels(image, chart.plot, chart.xPixel(0) - 4, chart.xPixel(0) - 3), 0);
    EXPECT_GT(seriesPixels(image, chart.plot, chart.xPixel(11) + 3, chart.xPixel(11) + 4), 0);
}

TEST(Chart, SpanishNumbers)
{
    EXPECT_EQ(chart::formatNumber(0), "0");
    EXPECT_EQ(chart::formatNumber(200), "200");
    EXPECT_EQ(chart::formatNumber(1000), "1.000");
    EXPECT_EQ(chart::formatNumber(1066.8), "1.066,8");
    EXPECT_EQ(chart::formatNumber(1234567.125), "1.234.567,125");
    EXPECT_EQ(chart::formatNumber(0.5), "0,5");
    EXPECT_EQ(chart::formatNumber(0.1 + 0.2), "0,3");
    EXPECT_EQ(chart::formatNumber(2.0004), "2");
    EXPECT_EQ(chart::formatNumber(-1500), "-1.500");
    EXPECT_EQ(chart::formatNumber(-0.0001), "0");
    EXPECT_EQ(chart::formatNumber(100000), "100.000");

    // The left axis's labels take that form.
    Chart chart;
    chart.show({20000, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1});
    QVector<double> ticks;
    QVector<QString> labels;
    chart.plot.yAxis->ticker()->generate(chart.plot.yAxis->range(), QLocale::c(), 'g', 6, ticks, nullptr, &labels);
    ASSERT_FALSE(labels.isEmpty());
    EXPECT_TRUE(labels.contains("10.000")) << labels.join(' ').toStdString();
}

TEST(Chart, RightButtonDragPansTheLeftAxisOnly)
{
    Chart chart;
    chart.plot.show();
    chart.show({1000, 2000, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1});
    const QCPRange before = chart.plot.yAxis->range();
    const QCPRange xBefore = chart.plot.xAxis->range();
    const QPoint start = chart.plot.axisRect()->rect().center();
    const int height = chart.plot.axisRect()->height();

    // Left-button drag and the wheel change nothing.
    QTest::mousePress(&chart.plot, Qt::LeftButton, {}, start);
    QTest::mouseMove(&chart.plot, start + QPoint(0, 20));
    QTest::mouseRelease(&chart.plot, Qt::LeftButton, {}, start + QPoint(0, 20));
    EXPECT_EQ(chart.plot.yAxis->range(), before);

    // Right-button drag down by 20 pixels: both ends up by 20 pixels' worth.
    QTest::mousePress(&chart.plot, Qt::RightButton, {}, start);
    QMouseEvent move(QEvent::MouseMove, QPointF(start + QPoint(0, 20)), chart.plot.mapToGlobal(QPointF(start + QPoint(0, 20))),
                     Qt::NoButton, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(&chart.plot, &move);
    QTest::mouseRelease(&chart.plot, Qt::RightButton, {}, start + QPoint(0, 20));
    const double shift = 20 * before.size() / height;
    EXPECT_NEAR(chart.plot.yAxis->range().lower, before.lower + shift, 1e-9);
    EXPECT_NEAR(chart.plot.yAxis->range().upper, before.upper + shift, 1e-9);
    EXPECT_GT(chart.plot.yAxis->range().lower, 0);
    EXPECT_EQ(chart.plot.xAxis->range(), xBefore);

    // The next update puts the range back to 0..1.05 × largest, whatever the pan.
    chart.show({9, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1});
    EXPECT_EQ(chart.plot.yAxis->range().lower, 0);
    EXPECT_EQ(chart.plot.yAxis->range().upper, 9.45);
}
