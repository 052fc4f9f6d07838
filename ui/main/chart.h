#pragma once
// The population chart of the detail panel: its fixed appearance, the census
// points read back from the census table, and the building of the two series.

#include <QColor>
#include <QString>
#include <array>
#include <cstdint>
#include <qcustomplot.h>

class StringGrid;

namespace chart {

// Colour of both series: red 203, green 125, blue 144.
inline const QColor kSeriesColour(203, 125, 144);
// Window tint, the chart's background: red 255, green 238, blue 221.
inline const QColor kBackgroundColour(255, 238, 221);
// Pixel sizes of the fonts (at 96 dpi: 7 points for the tick labels).
inline constexpr int kTickLabelPixelSize = 9;
inline constexpr int kAxisTitlePixelSize = 11;
inline constexpr int kLineWidth = 2;
// Markers are circles of radius 4 (4 pixels from the centre each way).
inline constexpr double kMarkerSize = 8;
// The bottom axis runs a little beyond the first and the last year so that
// their markers are drawn whole.
inline constexpr double kXPadding = 0.35;

// One census year: its label (the year) and its value; -1 when missing.
struct CensusPoint {
    QString label;
    std::int32_t value = -1;
};
using CensusPoints = std::array<CensusPoint, 12>;

struct Census {
    CensusPoints points;
    std::int32_t largest = 0; // the greatest value, 0 when none exceeds 0
};

// Reads the twelve points from a 6 × 4 census table (years in rows 0 and 2,
// values in rows 1 and 3). A value cell that is "-" between blanks, or that
// holds no whole number once its dots are removed, is a missing point.
Census readCensus(const StringGrid& grid);

// Value of one census cell: -1 when missing.
std::int32_t censusValue(const QString& cell);

// Top of the left axis: largest × 1.05, the double nearest the exact decimal
// product; 1 when the largest value is 0 or less (an empty range cannot be
// drawn).
double axisMaximum(std::int32_t largest);

// A number in Spanish form after "#,##0.###": "." between thousands, ","
// before at most three decimals, no trailing zeros ("1.066,8").
QString formatNumber(double value);

// Tick labels of the left axis in that form.
class SpanishNumberTicker : public QCPAxisTicker {
protected:
    QString getTickLabel(double tick, const QLocale& locale, QChar formatChar, int precision) override;
};

// The fixed appearance of a chart: background, fonts, axes, margins, no
// zoom, vertical panning with the right mouse button.
void setUp(QCustomPlot& plot);

// Builds the line series (place 0) and the point series (place 1) of the
// census in a chart that has no graphs of its own, sets the axes and
// returns the two graphs through the references. The caller replots.
void build(QCustomPlot& plot, const Census& census, QCPGraph*& line, QCPGraph*& points);

// Removes a graph from its chart, if set, and empties the reference; the
// last graph takes the year labels with it. The axes keep their range.
void freeGraph(QCustomPlot* plot, QCPGraph*& graph);

// Drags the left axis range vertically while the right mouse button is held.
class VerticalPanner : public QObject {
    Q_OBJECT
public:
    explicit VerticalPanner(QCustomPlot* plot);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QCustomPlot* plot_;
    bool dragging_ = false;
    double startY_ = 0;
    QCPRange startRange_;
};

} // namespace chart
