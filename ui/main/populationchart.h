#pragma once
// The population chart of the detail panel: the census of one unit as a line
// and points over twelve equally spaced years, on a left axis of population
// from 0 to 5 % above the largest value, its ticks whole numbers (0 alone
// while no value is above 0). A missing year is a gap: no point, and the line
// breaks on either side. A unit without any figure gets no ticks on the left
// axis and, in the plotting area, a sentence saying that the catalogue has no
// figures for it. The right mouse button drags the left axis up and
// down; nothing else zooms or moves. Assistive technology reads the chart as
// a text with its values and the range of the left axis, told again after a
// drag.

#include <QString>
#include <cstdint>
#include <qcustomplot.h>

#include "census.h"

class PopulationChart : public QCustomPlot {
    Q_OBJECT
public:
    explicit PopulationChart(QWidget* parent = nullptr);

    // Shows a census: the line series (place 0), the point series (place 1),
    // the years on the bottom axis, the left axis from 0 to the largest value
    // and 5 %. Replaces what was shown; queues a replot.
    void showCensus(const Census& census);
    // Removes both series and with them the year labels; the left axis keeps
    // the range of the last census shown, with 0 its only tick. Queues a
    // replot.
    void clearCensus();

    QCPGraph* lineSeries() const { return line_; }
    // Whether the plotting area says that the unit shown has no figures.
    bool showsNoFigures() const;
    QCPGraph* pointSeries() const { return points_; }

    // Gives the chart its text alternative: the unit's title, the twelve
    // years with their values, the largest value and the range of the left
    // axis; for a unit without figures, the title and kNoFiguresText alone;
    // empty while no census is shown. Tells assistive technology when
    // the text changes. A drag of the left axis describes the chart again
    // with the same title.
    void describe(const QString& title);
    // The unit's title as last described; empty while no census is shown.
    QString title() const { return title_; }

private:
    void removeSeries(QCPGraph*& graph);
    // The left axis's ticks: 0 alone, or whole numbers at a readable step.
    void setValueless(bool valueless);

    QCPItemText* noFigures_ = nullptr;

    QCPGraph* line_ = nullptr;
    QCPGraph* points_ = nullptr;
    Census census_; // the census shown
    QString title_; // as last described
    bool updating_ = false; // within showCensus: the range changes with the census
};

namespace chart {

// What the chart says of a unit without any figure.
inline const QString kNoFiguresText = QStringLiteral("Este catálogo no tiene cifras de esta unidad de 1900 a 2004");

// Top of the left axis: largest × 1.05, the double nearest the exact decimal
// product; 1 when the largest value is 0 or less (an empty range cannot be
// drawn).
double axisMaximum(std::int32_t largest);

// A number in Spanish form after "#,##0.###": "." between thousands, ","
// before at most three decimals, no trailing zeros ("1.066,8"). The chart's
// axis labels and text alternative write numbers so.
QString formatNumber(double value);

} // namespace chart
