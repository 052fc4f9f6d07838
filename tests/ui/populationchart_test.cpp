// The population chart on a chart of its own: appearance, series, gaps,
// left-axis range, number format and vertical panning.
#include <QImage>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include "layoutstyle.h"
#include "populationchart.h"

namespace {

const QStringList kYears = {"1900", "1910", "1920", "1930", "1940", "1950",
                            "1960", "1970", "1981", "1991", "2001", "2004"};
constexpr int M = -1; // a missing value

struct Chart {
    PopulationChart plot;
    QImage image;
    Chart() { plot.resize(425, 137); }
    void show(const std::array<std::int32_t, 12>& values)
    {
        Census census;
        for (std::size_t i = 0; i < 12; ++i) {
            census.points[i] = {kYears[static_cast<int>(i)], values[i]};
            census.largest = std::max(census.largest, values[i]);
        }
        plot.showCensus(census);
        plot.replot();
        image = plot.toPixmap(425, 137).toImage().convertToFormat(QImage::Format_RGB32);
    }
    int x(int i) const { return static_cast<int>(std::lround(plot.xAxis->coordToPixel(i))); }
    // The left axis's tick labels as drawn, between blanks.
    QString leftLabels() const
    {
        QVector<double> ticks;
        QVector<QString> labels;
        plot.yAxis->ticker()->generate(plot.yAxis->range(), QLocale::c(), 'g', 6, ticks, nullptr, &labels);
        return QStringList(labels.begin(), labels.end()).join(u' ');
    }
    // Pixels of the series colour (or a blend of at least half its strength;
    // black text and grey grid lines never get red that far above green) in the
    // columns x0..x1 of the plotting area.
    int ink(int x0, int x1) const
    {
        const QRect area = plot.axisRect()->rect();
        int count = 0;
        for (int x = std::max(x0, area.left()); x <= std::min(x1, area.right()); ++x)
            for (int y = area.top(); y <= area.bottom(); ++y) {
                const QColor c(image.pixel(x, y));
                count += c.red() - c.green() >= 45 && c.blue() > c.green() ? 1 : 0;
            }
        return count;
    }
};

} // namespace

TEST(PopulationChart, AppearanceSeriesStylesAndYearLabels)
{
    Chart chart;
    PopulationChart& plot = chart.plot;
    // The window tint everywhere there is nothing drawn, inside the plotting area too.
    plot.replot();
    const QImage blank = plot.toPixmap(425, 137).toImage();
    for (const QPoint at : {QPoint(0, 0), QPoint(424, 136), plot.axisRect()->rect().topLeft() + QPoint(3, 2)})
        EXPECT_EQ(QColor(blank.pixel(at)), QColor(255, 238, 221)) << at.x() << "," << at.y();
    EXPECT_FALSE(plot.legend->visible() || plot.xAxis2->visible() || plot.yAxis2->visible());
    EXPECT_EQ(plot.interactions(), QCP::Interactions());
    EXPECT_EQ(plot.yAxis->label(), QString::fromUtf8("Población"));
    // The layout's serif face: labels of 9 pixels, the title of 11.
    const QStringList faces = layout::textFont().families();
    for (QCPAxis* axis : {plot.xAxis, plot.yAxis}) {
        EXPECT_EQ(axis->tickLabelFont().families(), faces);
        EXPECT_EQ(axis->tickLabelFont().pixelSize(), 9);
    }
    EXPECT_EQ(plot.yAxis->labelFont().families(), faces);
    EXPECT_EQ(plot.yAxis->labelFont().pixelSize(), 11);

    // A line and points (their values: the detail window test), the bottom axis labelled with the years.
    chart.show({100, 200, 300, 400, 500, 600, 700, 800, 900, 1000, 1100, 1200});
    ASSERT_EQ(plot.graphCount(), 2);
    EXPECT_EQ(plot.lineSeries()->lineStyle(), QCPGraph::lsLine);
    EXPECT_EQ(plot.pointSeries()->lineStyle(), QCPGraph::lsNone);
    EXPECT_EQ(plot.pointSeries()->scatterStyle().shape(), QCPScatterStyle::ssCircle);
    EXPECT_EQ(plot.xAxis->ticker().dynamicCast<QCPAxisTickerText>()->ticks().values(), kYears.toVector());

    plot.clearCensus();
    EXPECT_EQ(plot.graphCount(), 0);
    EXPECT_EQ(plot.lineSeries(), nullptr);
    EXPECT_TRUE(plot.xAxis->ticker().dynamicCast<QCPAxisTickerText>()->ticks().isEmpty());
}

TEST(PopulationChart, LeftAxisRunsFromZeroToFivePercentAboveTheLargest)
{
    // 9 × 1.05 in plain double arithmetic is the next double above 9.45.
    const std::pair<std::int32_t, double> maxima[] = {{9, 9.45}, {1016, 1066.8}, {109635, 115116.75}, {0, 1.0}};
    Chart chart;
    for (auto [largest, expected] : maxima) {
        EXPECT_EQ(chart::axisMaximum(largest), expected) << largest;
        chart.show({M, largest, M, M, M, M, M, M, M, M, largest / 2, 0});
        EXPECT_EQ(chart.plot.yAxis->range(), QCPRange(0, expected)) << largest;
    }
}

TEST(PopulationChart, MissingValuesAreGapsInTheLine)
{
    Chart chart;
    const auto x = [&](int i) { return chart.x(i); };
    const int margin = 6; // marker radius, outline and antialiasing

    // A gap in the middle: nothing between the neighbours' markers; where
    // both neighbours are present the segment is drawn.
    chart.show({500, 600, M, 700, 800, 900, 1000, 900, 800, 700, 600, 500});
    ASSERT_GT(x(1) - x(0), 20);
    EXPECT_EQ(chart.ink(x(1) + margin, x(3) - margin), 0);
    EXPECT_GT(chart.ink(x(4) + margin, x(5) - margin), 5);
    EXPECT_GT(chart.ink(x(1) - 1, x(1) + 1), 0);

    // One value among missing ones: one marker, no line; NaN elsewhere in both series.
    chart.show({M, M, M, M, M, 300, M, M, M, M, M, M});
    EXPECT_GT(chart.ink(x(5) - margin, x(5) + margin), 3);
    EXPECT_EQ(chart.ink(0, x(5) - margin - 1) + chart.ink(x(5) + margin + 1, 424), 0);
    EXPECT_TRUE(std::isnan(chart.plot.lineSeries()->data()->at(0)->value));
    EXPECT_TRUE(std::isnan(chart.plot.pointSeries()->data()->at(11)->value));
    EXPECT_EQ(chart.plot.pointSeries()->data()->at(5)->value, 300);

    // Markers at both edges are whole, inside the plotting area.
    chart.show({1000, M, M, M, M, M, M, M, M, M, M, 1000});
    EXPECT_GE(x(0) - 5, chart.plot.axisRect()->rect().left());
    EXPECT_LE(x(11) + 5, chart.plot.axisRect()->rect().right());
    EXPECT_GT(chart.ink(x(0) - 4, x(0) - 3), 0);
    EXPECT_GT(chart.ink(x(11) + 3, x(11) + 4), 0);

    // All missing: two series, no points, every year, the axis 0..1.
    chart.show({M, M, M, M, M, M, M, M, M, M, M, M});
    ASSERT_EQ(chart.plot.graphCount(), 2);
    EXPECT_EQ(chart.ink(0, 424), 0);
    EXPECT_EQ(chart.plot.xAxis->ticker().dynamicCast<QCPAxisTickerText>()->ticks().size(), 12);
    EXPECT_EQ(chart.plot.yAxis->range(), QCPRange(0, 1));
}

TEST(PopulationChart, SpanishNumbers)
{
    const std::pair<double, const char*> numbers[] = {
        {200, "200"},    {1066.8, "1.066,8"}, {0.1 + 0.2, "0,3"},  {2.0004, "2"},
        {-1500, "-1.500"}, {-0.0001, "0"},    {1234567.125, "1.234.567,125"}};
    for (auto [number, expected] : numbers)
        EXPECT_EQ(chart::formatNumber(number), expected) << number;

    // The left axis's labels take that form.
    Chart chart;
    chart.show({20000, M, M, M, M, M, M, M, M, M, M, M});
    EXPECT_EQ(chart.leftLabels(), "0 5.000 10.000 15.000 20.000");
}

TEST(PopulationChart, LeftAxisTicksAreWholePeople)
{
    const std::pair<std::int32_t, const char*> maxima[] = {
        // No value above 0 (entities, nuclei): the 0..1 range, 0 alone.
        {0, "0"},
        // Small municipalities: steps of 1 or 2, never a fraction.
        {1, "0 1"},
        {3, "0 1 2 3"},
        {7, "0 1 2 3 4 5 6 7"},
        {12, "0 2 4 6 8 10 12"},
        {24, "0 5 10 15 20 25"},
        // Larger ones: readable steps.
        {459, "0 100 200 300 400"},
        {569, "0 100 200 300 400 500"},
        {638799, "0 100.000 200.000 300.000 400.000 500.000 600.000"},
    };
    Chart chart;
    for (auto [largest, expected] : maxima) {
        chart.show({M, M, M, largest, M, M, M, M, M, M, M, 0});
        EXPECT_EQ(chart.leftLabels(), expected) << largest;
    }

    // Without series the left axis keeps its range and shows 0 alone; the
    // next census brings its ticks back.
    chart.plot.clearCensus();
    EXPECT_EQ(chart.plot.yAxis->range(), QCPRange(0, 670738.95));
    EXPECT_EQ(chart.leftLabels(), "0");
    chart.show({M, 3, M, M, M, M, M, M, M, M, M, M});
    EXPECT_EQ(chart.leftLabels(), "0 1 2 3");
}

TEST(PopulationChart, AUnitWithoutFiguresSaysSoInThePlottingAreaAndShowsNoValue)
{
    Chart chart;
    chart.show({M, M, M, M, M, M, M, M, M, M, M, M});
    chart.plot.describe("Entidad: Abanto");
    EXPECT_TRUE(chart.plot.showsNoFigures());
    // No tick on the left axis suggests a value; the years stay under the bottom one.
    EXPECT_EQ(chart.leftLabels(), "");
    EXPECT_EQ(chart.plot.xAxis->ticker().dynamicCast<QCPAxisTickerText>()->ticks().size(), 12);
    // The sentence, drawn inside the plotting area.
    ASSERT_EQ(chart.plot.itemCount(), 1);
    auto* sentence = qobject_cast<QCPItemText*>(chart.plot.item(0));
    ASSERT_NE(sentence, nullptr);
    EXPECT_EQ(sentence->text(), "Este catálogo no tiene cifras de esta unidad de 1900 a 2004");
    EXPECT_TRUE(sentence->visible());
    const QRect area = chart.plot.axisRect()->rect();
    EXPECT_TRUE(area.contains(sentence->topLeft->pixelPosition().toPoint()));
    EXPECT_TRUE(area.contains(sentence->bottomRight->pixelPosition().toPoint()));
    int dark = 0; // its ink: black text in the middle of the area
    for (int x = area.left(); x <= area.right(); ++x)
        for (int y = area.center().y() - 6; y <= area.center().y() + 6; ++y)
            dark += qGray(chart.image.pixel(x, y)) < 100 ? 1 : 0;
    EXPECT_GT(dark, 100);
    // Read out as the same sentence: no range, no largest value.
    EXPECT_EQ(chart.plot.accessibleDescription(),
              "Entidad: Abanto. Este catálogo no tiene cifras de esta unidad de 1900 a 2004.");

    // A unit with figures: the sentence goes, the ticks and the full text come back.
    chart.show({M, 3, M, M, M, M, M, M, M, M, M, M});
    chart.plot.describe("Municipio: Prueba");
    EXPECT_FALSE(chart.plot.showsNoFigures());
    EXPECT_FALSE(sentence->visible());
    EXPECT_EQ(chart.leftLabels(), "0 1 2 3");
    EXPECT_TRUE(chart.plot.accessibleDescription().endsWith(" Valor mayor: 3. Eje de población de 0 a 3,15."))
        << chart.plot.accessibleDescription().toStdString();
    // Figures of 0 are figures: 0 alone on the axis, and no sentence.
    chart.show({0, 0, 0, M, M, M, M, M, M, M, M, M});
    EXPECT_FALSE(chart.plot.showsNoFigures());
    EXPECT_EQ(chart.leftLabels(), "0");
    // Without series, no sentence either.
    chart.show({M, M, M, M, M, M, M, M, M, M, M, M});
    chart.plot.clearCensus();
    EXPECT_FALSE(chart.plot.showsNoFigures());
    EXPECT_EQ(chart.leftLabels(), "0");
}

TEST(PopulationChart, RightButtonDragPansTheLeftAxisOnly)
{
    Chart chart;
    chart.plot.show();
    chart.show({1000, 2000, M, M, M, M, M, M, M, M, M, M});
    chart.plot.describe("Municipio: Prueba");
    const QCPRange before = chart.plot.yAxis->range();
    const QCPRange xBefore = chart.plot.xAxis->range();
    const QPoint start = chart.plot.axisRect()->rect().center();
    const QPoint end = start + QPoint(0, 20);

    // A right-button drag down by 20 pixels: both ends up by 20 pixels' worth.
    QTest::mousePress(&chart.plot, Qt::RightButton, {}, start);
    QMouseEvent move(QEvent::MouseMove, QPointF(end), chart.plot.mapToGlobal(QPointF(end)), Qt::NoButton,
                     Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(&chart.plot, &move);
    QTest::mouseRelease(&chart.plot, Qt::RightButton, {}, end);
    const double shift = 20 * before.size() / chart.plot.axisRect()->height();
    EXPECT_NEAR(chart.plot.yAxis->range().lower, before.lower + shift, 1e-9);
    EXPECT_NEAR(chart.plot.yAxis->range().upper, before.upper + shift, 1e-9);
    EXPECT_EQ(chart.plot.xAxis->range(), xBefore);
    // The text alternative follows the range; the ticks stay whole.
    EXPECT_TRUE(chart.plot.accessibleDescription().endsWith(" Valor mayor: 2.000. Eje de población de 375 a 2.475."))
        << chart.plot.accessibleDescription().toStdString();
    EXPECT_EQ(chart.leftLabels(), "500 1.000 1.500 2.000");

    // The next update puts the range back to 0..1.05 × largest, whatever the pan.
    chart.show({9, M, M, M, M, M, M, M, M, M, M, M});
    EXPECT_EQ(chart.plot.yAxis->range(), QCPRange(0, 9.45));
}
