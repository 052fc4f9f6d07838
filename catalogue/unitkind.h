#pragma once
// The three kinds of population unit, as the catalogue stores them in the
// field TIPONUM, and the filter that lets one kind's units through.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "numbers.h"

namespace catalogue {

// Each kind's value is its TIPONUM.
enum class UnitKind { Municipality = 2, Entity = 3, Nucleus = 4 };

// The kinds in the order the main window lists them.
inline constexpr std::array<UnitKind, 3> kUnitKinds = {UnitKind::Municipality, UnitKind::Entity, UnitKind::Nucleus};

// The TIPONUM of a kind: "2", "3" or "4".
inline std::string kindCode(UnitKind kind) { return std::to_string(static_cast<int>(kind)); }

// The kind a stored TIPONUM names, read as a whole number (parseInteger);
// none for any other text or number.
inline std::optional<UnitKind> unitKindOf(std::string_view tiponum)
{
    const std::optional<std::int32_t> number = parseInteger(tiponum);
    if (!number)
        return std::nullopt;
    for (UnitKind kind : kUnitKinds)
        if (*number == static_cast<int>(kind))
            return kind;
    return std::nullopt;
}

// The filter of the units of one kind: "tiponum = 2".
inline std::string kindFilter(UnitKind kind) { return "tiponum = " + kindCode(kind); }

} // namespace catalogue
