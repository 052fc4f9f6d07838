#include "classes.h"

#include <algorithm>
#include <cmath>

namespace geo {

namespace {

// ColorBrewer (Cynthia Brewer, Apache 2.0), colour-blind safe schemes.
constexpr std::uint32_t kYlGnBu[7] = {0xffffcc, 0xc7e9b4, 0x7fcdbb, 0x41b6c4, 0x1d91c0, 0x225ea8, 0x0c2c84};
// RdBu with eleven classes; its middle (0xf7f7f7) is no class.
constexpr std::uint32_t kRdBu[11] = {0x67001f, 0xb2182b, 0xd6604d, 0xf4a582, 0xfddbc7, 0xf7f7f7,
                                     0xd1e5f0, 0x92c5de, 0x4393c3, 0x2166ac, 0x053061};

// Round limits near the quantiles of positive, ascending values, dividing
// them into up to `classes` classes: each distinct, above the smallest value
// and at most the largest.
std::vector<double> roundQuantiles(const std::vector<double>& sorted, int classes, double (*round)(double))
{
    std::vector<double> limits;
    if (sorted.empty())
        return limits;
    for (int i = 1; i < classes; ++i) {
        const double q = sorted[sorted.size() * static_cast<std::size_t>(i) / static_cast<std::size_t>(classes)];
        if (q <= 0)
            continue;
        const double limit = round(q);
        if (limit > sorted.front() && limit <= sorted.back() && (limits.empty() || limit > limits.back()))
            limits.push_back(limit);
    }
    return limits;
}

// A percentage limit: to the ten below 100 % (1, 2, 2.5 or 5 below 10 %), as
// roundLimit above.
double roundPercent(double v)
{
    if (v < 10 || v >= 100)
        return roundLimit(v);
    return std::round(v / 10) * 10;
}

} // namespace

double roundLimit(double v)
{
    const double power = std::pow(10.0, std::floor(std::log10(v)));
    double best = power;
    for (double step : {1.0, 2.0, 2.5, 5.0, 10.0})
        if (std::abs(step * power - v) < std::abs(best - v))
            best = step * power;
    return best;
}

std::optional<double> percentChange(std::optional<double> a, std::optional<double> b)
{
    if (!a || !b || *a == 0)
        return std::nullopt;
    return (*b - *a) / *a * 100.0;
}

Classes Classes::of(const std::vector<std::optional<double>>& values, Measure measure)
{
    Classes c;
    c.measure_ = measure;
    std::vector<double> known;
    for (const auto& v : values)
        if (v)
            known.push_back(*v);
    std::sort(known.begin(), known.end());
    if (measure == Measure::Population) {
        c.limits_ = roundQuantiles(known, 6, roundLimit);
        // A few towns stand far above the rest: a class of their own.
        if (!c.limits_.empty() && known.back() >= c.limits_.back() * 10)
            c.limits_.push_back(c.limits_.back() * 10);
        for (std::size_t i = 0; i <= c.limits_.size(); ++i)
            c.colours_.push_back(kYlGnBu[c.limits_.empty() ? 3 : i * 6 / c.limits_.size()]);
        return c;
    }
    std::vector<double> losses, gains;
    for (double v : known)
        (v < 0 ? losses : gains).push_back(std::abs(v));
    std::sort(losses.begin(), losses.end());
    std::vector<double> lossLimits = roundQuantiles(losses, 4, roundPercent);
    const std::vector<double> gainLimits = roundQuantiles(gains, 3, roundPercent);
    // Losses are at most 100 %: a limit there would leave an empty class.
    while (!lossLimits.empty() && lossLimits.back() >= 100)
        lossLimits.pop_back();
    const std::size_t lossClasses = losses.empty() ? 0 : lossLimits.size() + 1;
    const std::size_t gainClasses = gains.empty() ? 0 : gainLimits.size() + 1;
    for (auto it = lossLimits.rbegin(); it != lossLimits.rend(); ++it)
        c.limits_.push_back(-*it);
    if (lossClasses > 0 && gainClasses > 0)
        c.limits_.push_back(0);
    for (double g : gainLimits)
        c.limits_.push_back(g);
    // Losses from the middle of the palette outwards to red, gains to blue.
    for (std::size_t k = lossClasses; k > 0; --k)
        c.colours_.push_back(kRdBu[4 - k]);
    for (std::size_t k = 0; k < gainClasses; ++k)
        c.colours_.push_back(kRdBu[7 + k]);
    if (c.colours_.empty())
        c.colours_.push_back(kRdBu[5]);
    return c;
}

int Classes::classOf(double value) const
{
    return static_cast<int>(std::upper_bound(limits_.begin(), limits_.end(), value) - limits_.begin());
}

} // namespace geo
