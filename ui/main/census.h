#pragma once
// One unit's census as the detail panel shows it: the twelve census years,
// each with its value, read back from the census table for the chart.

#include <QString>
#include <array>
#include <cstdint>

// One census year: its label (the year) and its value; -1 when missing.
struct CensusPoint {
    QString label;
    std::int32_t value = -1;
};

struct Census {
    std::array<CensusPoint, 12> points;
    std::int32_t largest = 0; // the greatest value, 0 when none exceeds 0
};
