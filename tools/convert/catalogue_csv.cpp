#include "catalogue_csv.h"

#include <algorithm>
#include <map>

#include "collation.h"
#include "cp1252.h"
#include "csv.h"
#include "numbers.h"
#include "table.h"

namespace convert {

namespace cp1252 = catalogue::cp1252;

namespace {

// Order and output

// Stored order: by kind, then by search name under the table's collation.
// Units that share a search name are placed so that a list ordered by search
// name (the catalogue's own sorting procedure, which moves equal names about)
// shows them by display name and then by code. That procedure treats equal
// names alike wherever they stand, so it moves the places of a group of equal
// names the same way whatever units fill them: one run over the wanted order
// tells which place each unit must take.
std::optional<std::vector<std::size_t>> storedOrder(const std::vector<Unit>& units,
                                                    const std::vector<std::string>& search)
{
    const catalogue::Collation collation(catalogue::kSpanishTraditional);
    std::vector<std::size_t> wanted(units.size());
    for (std::size_t k = 0; k < wanted.size(); ++k)
        wanted[k] = k;
    std::sort(wanted.begin(), wanted.end(), [&](std::size_t a, std::size_t b) {
        if (units[a].kind != units[b].kind)
            return units[a].kind < units[b].kind;
        if (const int c = collation.compare(search[a], search[b]); c != 0)
            return c < 0;
        if (const int c = collation.compare(units[a].display, units[b].display); c != 0)
            return c < 0;
        return units[a].code < units[b].code;
    });
    // The places of each kind in the order a list visits them.
    const auto listed = [&](const std::vector<std::size_t>& stored) {
        catalogue::Table table({{"NOMBREBUSC", catalogue::FieldKind::String, static_cast<std::uint16_t>(kNameWidth)}},
                               catalogue::kSpanishTraditional);
        for (std::size_t u : stored)
            table.addRecord({search[u]});
        std::map<int, std::vector<std::size_t>> places;
        for (std::uint32_t place : catalogue::orderBy(table, 0, collation))
            places[units[stored[place]].kind].push_back(place);
        return places;
    };
    std::vector<std::size_t> stored(units.size());
    std::size_t next = 0;
    for (const auto& [kind, places] : listed(wanted))
        for (std::size_t place : places)
            stored[place] = wanted[next++];
    std::vector<std::size_t> shown;
    for (const auto& [kind, places] : listed(stored))
        for (std::size_t place : places)
            shown.push_back(stored[place]);
    return shown == wanted ? std::optional(stored) : std::nullopt;
}

} // namespace

std::optional<std::string> catalogueCsv(const std::vector<Unit>& units, const std::string& outputPath,
                                        Problems& problems)
{
    // Field contents: search names, display names within their width and, for
    // municipalities, each its own; notes within their widths, kinds within
    // IDENT's range.
    std::vector<std::string> search;
    std::map<int, std::size_t> perKind;
    std::map<std::string, const Unit*> municipalityShown;
    for (const Unit& u : units) {
        search.push_back(cp1252::withoutAcuteAccents(u.dictionary));
        const std::string display = shown(cp1252::toUtf8(u.display));
        if (u.display.size() > kDisplayWidth)
            problems.add(u.file, u.line, "el nombre para las listas " + display + " ocupa "
                                             + std::to_string(u.display.size()) + " bytes y el catálogo admite "
                                             + std::to_string(kDisplayWidth));
        if (u.kind == kMunicipality)
            if (const auto [it, inserted] = municipalityShown.emplace(u.display, &u); !inserted)
                problems.add(u.file, u.line, "el nombre para las listas " + display + " es también el del municipio de "
                                                 + it->second->file + ":" + std::to_string(it->second->line));
        const auto note = cp1252::fromUtf8(u.note);
        if (!note || note->size() < kNoteMin || note->size() > kNoteMax)
            problems.add(u.file, u.line, "la nota " + shown(u.note) + " no cabe en " + std::to_string(kNoteMin) + " a "
                                             + std::to_string(kNoteMax) + " bytes de la página de códigos 1252");
        ++perKind[u.kind];
    }
    for (const auto& [kind, count] : perKind)
        if (count > kMaxPerKind)
            problems.add(outputPath, "hay " + std::to_string(count) + " unidades de la clase " + std::to_string(kind)
                                         + " y el catálogo numera como mucho " + std::to_string(kMaxPerKind));
    std::optional<std::vector<std::size_t>> order;
    if (problems.empty() && !(order = storedOrder(units, search)))
        problems.add(outputPath, "las listas no muestran las unidades que comparten nombre en el orden buscado");
    if (!problems.empty())
        return std::nullopt;

    std::string out = "IDENT,TIPONUM,NOMBREBUSC,NOMBREDICC,NOMBREMOST,COMENTARIO";
    for (std::string_view year : kYears)
        out += "," + std::string(year);
    out += "," + std::string(catalogue::kCodeField) + '\n';
    std::map<int, int> number;
    for (std::size_t u : *order) {
        const Unit& unit = units[u];
        csv::appendQuoted(out, std::to_string(unit.kind * 10000 + ++number[unit.kind]));
        for (const std::string& text : {std::to_string(unit.kind), cp1252::toUtf8(search[u]),
                                        cp1252::toUtf8(unit.dictionary), cp1252::toUtf8(unit.display), unit.note}) {
            out += ',';
            csv::appendQuoted(out, text);
        }
        for (const Figure& figure : unit.figures) {
            out += ',';
            csv::appendQuoted(out, figure ? catalogue::formatInteger(*figure) : "-");
        }
        out += ',';
        csv::appendQuoted(out, unit.code);
        out += '\n';
    }
    return out;
}

} // namespace convert
