#include "compare_redraw.h"

#include <QElapsedTimer>
#include <algorithm>
#include <array>
#include <vector>

namespace bench {

namespace {

ComparedUnit unit(const char* code, const char* name, const std::array<const char*, 12>& values)
{
    ComparedUnit result{QString::fromUtf8(code), QString::fromUtf8(name), QStringLiteral("Municipio"), {}};
    for (std::size_t i = 0; i < values.size(); ++i)
        result.values[i] = QString::fromUtf8(values[i]);
    return result;
}

// Ten units of resources/pueblos.csv, gaps included (Vencillón from 1940,
// Abay to 1940).
const std::vector<ComparedUnit>& tenUnits()
{
    static const std::vector<ComparedUnit> units = {
        unit("50297", "Zaragoza", {"98.397", "109.957", "138.617", "160.179", "202.948", "241.867", "301.655", "467.223", "569.830", "592.548", "612.472", "638.799"}),
        unit("22125", "Huesca", {"13.683", "13.964", "16.026", "17.383", "17.500", "21.066", "23.601", "32.119", "41.455", "44.165", "46.243", "47.923"}),
        unit("44216", "Teruel", {"12.745", "15.832", "15.145", "16.384", "16.436", "20.337", "21.800", "22.100", "25.935", "28.487", "31.158", "32.580"}),
        unit("22909", "Vencillón", {"-", "-", "-", "-", "149", "147", "88", "456", "542", "514", "468", "446"}),
        unit("22500", "Abay -- municipio histórico", {"488", "462", "442", "516", "505", "-", "-", "-", "-", "-", "-", "-"}),
        unit("50001", "Abanto", {"633", "672", "769", "810", "833", "857", "644", "405", "287", "221", "167", "155"}),
        unit("50002", "Acered", {"745", "756", "798", "676", "690", "726", "615", "502", "432", "325", "259", "236"}),
        unit("50003", "Agón", {"499", "416", "422", "340", "325", "338", "328", "297", "254", "229", "186", "193"}),
        unit("50004", "Aguarón", {"2.275", "2.271", "2.264", "1.885", "1.765", "1.698", "1.365", "1.106", "894", "759", "751", "776"}),
        unit("50005", "Aguilón", {"982", "1.091", "1.198", "1.163", "965", "1.048", "787", "612", "354", "267", "287", "290"}),
    };
    return units;
}

} // namespace

CompareRedraw::CompareRedraw() : chart_(std::make_unique<ComparisonChart>())
{
    chart_->resize(900, 420);
    redraw(compare::Measure::Population);
}

CompareRedraw::~CompareRedraw() = default;

void CompareRedraw::redraw(compare::Measure measure, bool logarithmic)
{
    chart_->showUnits(tenUnits(), measure, std::nullopt, logarithmic);
    chart_->replot(QCustomPlot::rpImmediateRefresh);
}

double compareRedrawMedianMilliseconds(int runs)
{
    CompareRedraw comparison;
    const compare::Measure measures[] = {compare::Measure::Population, compare::Measure::Index,
                                         compare::Measure::Change};
    std::vector<double> times;
    times.reserve(static_cast<std::size_t>(runs));
    QElapsedTimer timer;
    for (int run = 0; run < runs; ++run) {
        timer.start();
        comparison.redraw(measures[run % 3]);
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::nth_element(times.begin(), times.begin() + static_cast<long>(times.size() / 2), times.end());
    return times[times.size() / 2];
}

} // namespace bench
