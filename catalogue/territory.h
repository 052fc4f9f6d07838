#pragma once
// The territory of the municipalities: which current municipalities hold the
// territory of each historical one today, and the comarca of each current
// one (and so of every unit, through its municipality). Read from the
// territory table that the converter writes beside the catalogue
// (resources/territorio.csv, embedded in the program as TERRITORIO):
//
//   ine,territorio_actual,comarca_codigo,comarca
//   22005,22907,,
//   22636,22066;22907,,
//   22907,22907,03,Sobrarbe
//
// UTF-8, one row for each municipality, current (its own code, then its
// comarca's two-digit code and name) or historical (the current
// municipalities holding its territory, ";" between them, and no comarca).
//
// Codes are the catalogue's CODIGO: the five-digit INE code of a
// municipality, the nine-digit code of an entity and the eleven-digit code of
// a núcleo, each beginning with the code of its municipality.

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace catalogue {

// The five-digit code of the municipality of a unit: the first five digits of
// a code of 5, 9 or 11 digits ("500950003" and "50095000304" give "50095");
// nothing for any other text.
std::optional<std::string_view> municipalityCodeOf(std::string_view unitCode);

struct Comarca {
    std::string code; // "01" … "33"
    std::string name; // code page 1252, as IAEST names it ("Sobrarbe", "Central")
    bool operator==(const Comarca&) const = default;
};

// A comarca called as IAEST calls it, from its name: "comarca de Sobrarbe",
// "Comarca Central", "Comunidad de Calatayud" (the name's own code page).
std::string comarcaTitle(std::string_view name);

// The units of a municipality as the three lists show them: the current
// municipality or municipalities whose units they are, with the historical
// municipalities whose territory those hold today, and the filters (in the
// views' language, ASCII) that list them.
struct MunicipalityUnits {
    std::vector<std::string> current;    // in increasing code
    std::vector<std::string> historical; // in increasing code, perhaps none
    // (tiponum = 2) and ((codigo like 'C%') or …): the current and the
    // historical municipalities, one term for each, current first.
    std::string municipalities;
    // (tiponum = 3) and (codigo like 'C%'), one term for each current
    // municipality, several joined as in `municipalities`.
    std::string entities;
    // (tiponum = 4) and (codigo like 'C%'), likewise.
    std::string nuclei;
};

class Territory {
public:
    // A territory that knows no municipality.
    Territory() = default;

    // The table as above. Throws TerritoryError ("territorio, línea N: …", in
    // Spanish) for a wrong header, a row without four cells, a code that is
    // not five digits or is repeated, a current municipality whose territory
    // is not its own code or whose comarca code is not two digits, a comarca
    // code with two names, a name code page 1252 cannot hold, or a holder that
    // is not a current municipality of the table. An empty text lacks the
    // header; the header alone is a territory that knows no municipality.
    static Territory read(std::string_view table);

    // The municipalities the table knows, current and historical.
    std::size_t size() const { return municipalities_.size(); }

    bool isCurrent(std::string_view municipality) const;
    bool isHistorical(std::string_view municipality) const;

    // The current municipalities that hold a municipality's territory today:
    // a current one itself, a historical one its successors (one, or several
    // when it was divided between them), in increasing code. None for a code
    // the table does not know.
    std::vector<std::string> currentHolders(std::string_view municipality) const;

    // The historical municipalities whose territory, whole or in part, a
    // current municipality holds today, in increasing code (none for a
    // historical or unknown code).
    std::vector<std::string> historicalHeldBy(std::string_view current) const;

    // The comarca of a current municipality; nothing for any other code.
    std::optional<Comarca> comarcaOf(std::string_view current) const;

    // The comarcas of a municipality: of a current one, its own; of a
    // historical one, those of the current municipalities holding it, each
    // once, in the order of those municipalities' codes (Laguarta, held by
    // Boltaña 22066 and Sabiñánigo 22199: Sobrarbe, then Alto Gállego). None
    // for a code the table does not know.
    std::vector<Comarca> comarcasOf(std::string_view municipality) const;

    // The comarcas of any unit by its CODIGO: those of its municipality
    // (municipalityCodeOf, then comarcasOf). None for a code of no municipality
    // the table knows.
    std::vector<Comarca> comarcasOfUnit(std::string_view unitCode) const;

    // The units of the municipality of a unit (a municipality, current or
    // historical, an entity or a núcleo, by its CODIGO): for a current
    // municipality, or an entity or núcleo of one, that municipality; for a
    // historical one, the current municipalities that hold its territory
    // (every one of them, when it was divided), so that the lists show where
    // its territory lies today, itself among their historical municipalities.
    // A five-digit code the table does not know (a catalogue of elsewhere) is
    // taken as a current municipality holding no historical one. Nothing for
    // a code that is not one of 5, 9 or 11 digits.
    std::optional<MunicipalityUnits> unitsOfMunicipality(std::string_view unitCode) const;

private:
    struct Municipality {
        std::vector<std::string> holders; // current municipalities, increasing code
        std::string comarca;              // its code, for a current one
    };
    const Municipality* find(std::string_view code) const;

    std::map<std::string, Municipality, std::less<>> municipalities_;
    std::map<std::string, std::string, std::less<>> comarcaNames_; // cp1252, by code
};

} // namespace catalogue
