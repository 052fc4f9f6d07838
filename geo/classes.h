#pragma once
// The classes of a colouring: round limits near the quantiles of the values,
// and a palette that colour-blind readers can tell apart (ColorBrewer's
// YlGnBu for a population, sequential; RdBu for a change, diverging about 0,
// losses red and gains blue).

#include <cstdint>
#include <optional>
#include <vector>

namespace geo {

enum class Measure { Population, Change };

class Classes {
public:
    Classes() = default;
    // Classes for the values (nothing for "sin dato"), of the measure's kind:
    // a population gets up to six classes by its quantiles, and one more
    // above ten times the highest limit when some values reach it; a change
    // up to four of losses and three of gains (limits to the ten below
    // 100 %), with 0 always a limit when both occur.
    static Classes of(const std::vector<std::optional<double>>& values, Measure measure);

    // The inner limits, ascending: class i holds the values from limit i-1
    // (included) to limit i (excluded); the first class has no lower limit,
    // the last no upper one.
    const std::vector<double>& limits() const { return limits_; }
    std::size_t count() const { return colours_.size(); }
    int classOf(double value) const;
    std::uint32_t colour(std::size_t cls) const { return colours_[cls]; } // 0xRRGGBB
    Measure measure() const { return measure_; }

private:
    Measure measure_ = Measure::Population;
    std::vector<double> limits_;
    std::vector<std::uint32_t> colours_;
};

// The round number (1, 2, 2.5 or 5 times a power of ten) nearest to v > 0.
double roundLimit(double v);

// The change from a to b in percent; nothing without both or when a is 0.
std::optional<double> percentChange(std::optional<double> a, std::optional<double> b);

} // namespace geo
