#pragma once
// The figures the map colours: the twelve census values of each current
// municipality, with its name, as the catalogue holds them. The map window
// takes them in this form, whatever the catalogue's own; figuresFromStore
// reads them from a catalogue store.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

namespace catalogue {
class Store;
}

namespace map {

struct MunicipalityFigures {
    std::string name; // as the catalogue shows it (cp1252)
    std::array<std::optional<std::int32_t>, 12> census; // 1900 ... 2001, 2004; nothing for "sin dato"
};

// By INE code (five digits).
using MunicipalFigures = std::unordered_map<std::string, MunicipalityFigures>;

// The municipalities of the catalogue (kind "2") by CODIGO, with NOMBREMOST
// and the twelve census fields. Historical municipalities come too; the map
// asks only for the codes it draws. A catalogue without CODIGO gives none.
MunicipalFigures figuresFromStore(const catalogue::Store& store);

} // namespace map
