#include "series.h"

#include "numbers.h"

namespace catalogue::series {

std::optional<std::int32_t> parseFigure(std::string_view text)
{
    // A figure's dots group its thousands; a lone "-" holds none.
    if (text.empty() || text.front() == '-' || text.front() == '+' || text.front() == ' ')
        return std::nullopt;
    return parseInteger(text, Dots::Ignored);
}

std::optional<std::size_t> firstCommonDate(std::span<const Figures> units)
{
    if (units.empty())
        return std::nullopt;
    for (std::size_t date = 0; date < kDates; ++date) {
        bool everyUnit = true;
        for (const Figures& figures : units)
            everyUnit = everyUnit && figures[date] && *figures[date] > 0;
        if (everyUnit)
            return date;
    }
    return std::nullopt;
}

Values index(const Figures& figures, std::size_t base)
{
    Values values{};
    if (base >= kDates || !figures[base] || *figures[base] <= 0)
        return values;
    const double baseFigure = *figures[base];
    for (std::size_t date = 0; date < kDates; ++date)
        if (figures[date])
            values[date] = *figures[date] * 100.0 / baseFigure;
    return values;
}

Values changeBetweenCensuses(const Figures& figures)
{
    Values values{};
    for (std::size_t date = 1; date < kDates; ++date) {
        const std::optional<std::int32_t>& before = figures[date - 1];
        if (figures[date] && before && *before > 0)
            values[date] = (static_cast<double>(*figures[date]) - *before) * 100.0 / *before;
    }
    return values;
}

std::optional<Largest> largest(const Figures& figures)
{
    std::optional<Largest> result;
    for (std::size_t date = 0; date < kDates; ++date)
        if (figures[date] && (!result || *figures[date] > result->value))
            result = Largest{*figures[date], date};
    return result;
}

std::optional<double> firstToLastChange(const Figures& figures)
{
    std::optional<std::size_t> first;
    std::optional<std::size_t> last;
    for (std::size_t date = 0; date < kDates; ++date) {
        if (!figures[date])
            continue;
        if (!first)
            first = date;
        last = date;
    }
    if (!first || *first == *last || *figures[*first] == 0)
        return std::nullopt;
    const double from = *figures[*first];
    return (*figures[*last] - from) * 100.0 / from;
}

} // namespace catalogue::series
