#pragma once
// One unit of the catalogue as the converter fills it, and the limits of the
// catalogue's fields that it checks the units against.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "units.h" // catalogue/: the census fields

namespace convert {

inline constexpr auto& kYears = catalogue::kCensusFields;
constexpr std::size_t kCensusCount = 11; // 1900 … 2001; the twelfth figure is the 2004 register

// A number of inhabitants, or none when the source has no figure.
using Figure = std::optional<std::uint32_t>;
using Figures = std::array<Figure, 12>; // the censuses, then the 2004 register

// Widths of the catalogue fields, in cp1252 bytes.
constexpr std::size_t kNameMin = 3;
constexpr std::size_t kNameWidth = 46; // NOMBREBUSC and NOMBREDICC
constexpr std::size_t kDisplayWidth = 55;
constexpr std::size_t kCensusWidth = 7;
constexpr std::size_t kNoteMin = 61;
constexpr std::size_t kNoteMax = 399;
constexpr std::size_t kMaxPerKind = 9999; // IDENT = kind × 10000 + n stays five digits

enum Kind : int { kMunicipality = 2, kEntity = 3, kNucleus = 4 };

struct Unit {
    int kind = 0;
    std::string code; // INE code, or the nomenclátor's code of the entity or núcleo
    std::string file; // the table and line that give the unit, for messages
    std::size_t line = 0;
    std::string dictionary; // cp1252
    std::string display;    // cp1252
    std::string note;       // UTF-8
    Figures figures{};
};

} // namespace convert
