#pragma once
// Arithmetic on the census series of a unit: its twelve figures (the
// censuses of 1900 to 2001 and the register of 2004), each possibly missing.
// The comparison of units draws and tabulates what these functions give.
// Nothing here rounds: callers format the results.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace catalogue::series {

inline constexpr std::size_t kDates = 12;
// The year of each of the twelve dates, in record order. They are not evenly
// spaced (1970, 1981, 1991, 2001, 2004): charts plot against these years.
inline constexpr std::array<int, kDates> kYears = {1900, 1910, 1920, 1930, 1940, 1950,
                                                    1960, 1970, 1981, 1991, 2001, 2004};

// A unit's figures; nothing where the catalogue has "-".
using Figures = std::array<std::optional<std::int32_t>, kDates>;
// A value computed at each date; nothing where it cannot be computed.
using Values = std::array<std::optional<double>, kDates>;

// A census text as the catalogue stores it: "98.397" is 98397, "459" is 459;
// "-" (or anything that is not a whole number of people, negative included)
// is nothing.
std::optional<std::int32_t> parseFigure(std::string_view text);

// The first date (its position, 0 for 1900) at which every series has a
// figure above 0; nothing when there is none, or no series at all.
std::optional<std::size_t> firstCommonDate(std::span<const Figures> units);

// The figures as an index, the figure at `base` being 100: figure × 100 /
// figure at base. Nothing at every date when the base has no figure or its
// figure is 0; nothing at a date without a figure. `base` must be below kDates.
Values index(const Figures& figures, std::size_t base);

// The change from the date before, in percent: (figure − figure before) × 100
// / figure before. Nothing at the first date, at a date without a figure,
// after a date without one or with 0 (a gap in the series is a gap in its
// change: the change over a longer span is not a change between censuses).
Values changeBetweenCensuses(const Figures& figures);

// The largest figure and the date of its first occurrence.
struct Largest {
    std::int32_t value = 0;
    std::size_t date = 0;
};
// Nothing when the unit has no figure.
std::optional<Largest> largest(const Figures& figures);

// The change from the first figure to the last, in percent, whatever lies
// between. Nothing with fewer than two figures or when the first is 0.
std::optional<double> firstToLastChange(const Figures& figures);

} // namespace catalogue::series
