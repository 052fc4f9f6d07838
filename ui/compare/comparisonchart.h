#pragma once
// The comparison chart: one line per unit, against the year of each census
// (the dates are not evenly spaced), in what "Mostrar" asks for: the
// figures (on a linear or a logarithmic axis), an index (one date's figure
// = 100) or the change from the census before (%). Each unit has its own
// colour, marker shape and line pattern, so that units are told apart
// without colour and in print; the legend below the plot gives their
// display names. A date without a value is a gap: no marker, and the line
// breaks on either side. The axis labels are in Spanish form. Assistive
// technology reads the chart as a text with each series' values.

#include <QColor>
#include <QString>
#include <cstddef>
#include <optional>
#include <qcustomplot.h>
#include <vector>

#include "comparedunit.h"

namespace compare {

enum class Measure { Population, Index, Change };

// What each measure is called in "Mostrar", and the chart's left axis.
QString measureName(Measure measure);

// The look of the series of the unit in place `place` (0 to 9): ten colours
// that stay apart for the common kinds of colour blindness, ten marker
// shapes, and solid lines for the first five, dashed for the others.
struct SeriesStyle {
    QColor colour;
    QCPScatterStyle::ScatterShape shape;
    Qt::PenStyle line;
};
SeriesStyle seriesStyle(std::size_t place);

// A value as the chart's labels and text write it: people as whole numbers
// ("98.397"), an index or a change with one decimal ("119,2", "-1,3").
QString formatValue(Measure measure, double value);

} // namespace compare

class ComparisonChart : public QCustomPlot {
    Q_OBJECT
public:
    explicit ComparisonChart(QWidget* parent = nullptr);

    // Shows the units in the measure given: for Index, `indexBase` is the
    // date at 100 (nothing: the first date at which every unit has a figure
    // above 0); `logarithmic` counts for Population alone. Replaces what was
    // shown, describes the chart again and queues a replot.
    void showUnits(const std::vector<ComparedUnit>& units, compare::Measure measure,
                   std::optional<std::size_t> indexBase, bool logarithmic);

    // The series of the unit at `place`, in the order given.
    QCPGraph* series(std::size_t place) const;
    std::size_t seriesCount() const { return series_.size(); }
    // The date at 100 in the index shown; nothing for the other measures or
    // when there is none.
    std::optional<std::size_t> indexBase() const { return indexBase_; }
    // What the chart says besides its series: no units yet, no date in common
    // for the index, units without any value to draw. Empty when all is drawn.
    QString notice() const { return notice_; }

private:
    void setAxisRange(double lowest, double highest, compare::Measure measure, bool logarithmic);

    std::vector<QCPGraph*> series_;
    QCPItemText* noticeText_ = nullptr;
    QCPItemStraightLine* reference_ = nullptr;
    std::optional<std::size_t> indexBase_;
    QString notice_;
};
