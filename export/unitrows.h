#pragma once
// The units as they leave the program: one row per unit with its code, display
// name, kind, municipality, comarca and twelve census figures, taken from the
// catalogue table and written in UTF-8, ready for a workbook, a CSV file or the
// clipboard.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "table.h"

namespace catalogue {
class View;
}

namespace exporting {

// A unit's kind, as its TIPONUM and (for municipalities) its display name
// tell: a historical municipality's display name ends in one of the marks
// the catalogue gives it (" -- municipio histórico" and its shorter forms).
enum class UnitKind { CurrentMunicipality, HistoricalMunicipality, Entity, Nucleus, Unknown };

// The word the detail panel shows for a kind: "Municipio" (both kinds of
// municipality), "Entidad", "Núcleo", "Desconocido".
inline std::string_view kindWord(UnitKind kind)
{
    switch (kind) {
    case UnitKind::CurrentMunicipality:
    case UnitKind::HistoricalMunicipality:
        return "Municipio";
    case UnitKind::Entity:
        return "Entidad";
    case UnitKind::Nucleus:
        return "Núcleo";
    case UnitKind::Unknown:
        break;
    }
    return "Desconocido";
}

struct UnitRow {
    std::string code;         // CODIGO; empty where the catalogue gives none
    std::string name;         // NOMBREMOST
    std::string title;        // NOMBREDICC, the name the panel's title gives
    UnitKind kind = UnitKind::Unknown;
    std::string municipality; // entities and nuclei: their municipality's display name; else empty
    std::string comarca;      // as the lookup gives it; empty where it knows none
    // 1900 … 2004 (catalogue::kCensusFields); nothing for "-" or a null value.
    std::array<std::optional<std::int32_t>, 12> figures;
};

// The comarca of a municipality by its five-digit INE code: of a current one
// its own, of a historical one that of the current municipalities holding its
// territory today (the catalogue's territory table gives them, "; " between
// several); empty for a code it does not know. Given the municipality's code
// for an entity or nucleus too.
using ComarcaLookup = std::function<std::string(std::string_view municipalityCode)>;

// Builds rows from one catalogue table. Finding an entity's or nucleus's
// municipality (the current municipality whose CODIGO is the first five
// digits of its own) takes an index of the municipalities, made once, in
// the constructor. The table must outlive the builder.
class UnitRowBuilder {
public:
    explicit UnitRowBuilder(const catalogue::Table& table, ComarcaLookup comarcaOf = {});

    // Whether the table has the field CODIGO (the catalogue's first packets
    // lack it: no code, municipality or comarca can then be given).
    bool hasCodes() const { return codeField_ >= 0; }

    UnitRow row(std::size_t record) const;
    std::vector<UnitRow> rows(std::span<const std::size_t> records) const;
    // The rows of a view over this builder's table, in its order (after its
    // filter): the units of a list as it stands.
    std::vector<UnitRow> rows(const catalogue::View& view) const;

private:
    std::string text(std::size_t record, int field) const;

    const catalogue::Table& table_;
    ComarcaLookup comarcaOf_;
    int kindField_, dictionaryNameField_, displayNameField_, codeField_;
    std::array<int, 12> censusFields_{};
    std::unordered_map<std::string, std::size_t> municipalityByCode_; // current municipalities
};

// Whether a display name (cp1252, as stored) carries a historical
// municipality's mark: " -- municipio histórico", " -- mun. histórico",
// " -- histórico" or " -- hist." at its end.
bool endsWithHistoricalMark(std::string_view displayName);

// A census text as the catalogue stores it ("98.397", "0", "-", empty) as
// a figure: nothing for "-", empty or anything that is no whole number.
std::optional<std::int32_t> figureOf(std::string_view censusText);

} // namespace exporting
