#pragma once
// One redraw of a comparison of ten units: the chart given the units again
// (series, axes, legend and text alternative rebuilt) and replotted at once,
// at 900 × 420 pixels. For compare_bench and for any benchmark that reports
// the comparison beside other figures. A QApplication must exist.

#include <memory>

#include "comparisonchart.h"

namespace bench {

class CompareRedraw {
public:
    CompareRedraw();
    ~CompareRedraw();
    // Shows the ten units in `measure` (logarithmic for Population when
    // asked) and replots immediately.
    void redraw(compare::Measure measure, bool logarithmic = false);

private:
    std::unique_ptr<ComparisonChart> chart_;
};

// The median of `runs` redraws, cycling Habitantes, Índice and Variación, in
// milliseconds.
double compareRedrawMedianMilliseconds(int runs = 51);

} // namespace bench
