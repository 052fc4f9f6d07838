// A comparison of ten units redrawn: in each measure, and on the logarithmic
// axis; then one line with the median over the three measures, to hold
// against the 16 ms of a frame:
//   compare: redraw of 10 units N ms (median of 51)

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdio>

#include "compare_redraw.h"

namespace {

void redraw(benchmark::State& state, compare::Measure measure, bool logarithmic)
{
    bench::CompareRedraw comparison;
    for (auto _ : state)
        comparison.redraw(measure, logarithmic);
}

BENCHMARK_CAPTURE(redraw, habitantes, compare::Measure::Population, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(redraw, habitantes_logaritmica, compare::Measure::Population, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(redraw, indice, compare::Measure::Index, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(redraw, variacion, compare::Measure::Change, false)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("compare: redraw of 10 units %.1f ms (median of 51)\n", bench::compareRedrawMedianMilliseconds(51));
    return 0;
}
