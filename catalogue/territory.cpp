#include "territory.h"

#include <algorithm>
#include <set>

#include "cp1252.h"
#include "error.h"

namespace catalogue {
namespace {

constexpr std::string_view kHeader = "ine,territorio_actual,comarca_codigo,comarca";

bool digits(std::string_view text, std::size_t count)
{
    return text.size() == count && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<std::string_view> split(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos)
            return parts;
        text.remove_prefix(at + 1);
    }
}

[[noreturn]] void refuse(std::size_t line, const std::string& reason)
{
    throw TerritoryError("territorio, línea " + std::to_string(line) + ": " + reason);
}

// "(tiponum = K) and (codigo like 'A%')", or with several codes
// "(tiponum = K) and ((codigo like 'A%') or (codigo like 'B%'))": the form
// the store answers from its indexes.
std::string unitsFilter(int kind, const std::vector<std::string>& codes)
{
    std::string terms;
    for (const std::string& code : codes)
        terms += (terms.empty() ? "" : " or ") + ("(codigo like '" + code + "%')");
    if (codes.size() > 1)
        terms = "(" + terms + ")";
    return "(tiponum = " + std::to_string(kind) + ") and " + terms;
}

} // namespace

std::string comarcaTitle(std::string_view name)
{
    if (name == "Central")
        return "Comarca Central";
    if (name.starts_with("Comunidad de "))
        return std::string(name);
    return "comarca de " + std::string(name);
}

std::optional<std::string_view> municipalityCodeOf(std::string_view unitCode)
{
    if (!digits(unitCode, 5) && !digits(unitCode, 9) && !digits(unitCode, 11))
        return std::nullopt;
    return unitCode.substr(0, 5);
}

Territory Territory::read(std::string_view table)
{
    if (table.starts_with("\xEF\xBB\xBF"))
        table.remove_prefix(3);
    Territory territory;
    std::map<std::string, std::size_t, std::less<>> lineOf;
    std::size_t line = 0;
    bool header = true;
    for (std::string_view row : split(table, '\n')) {
        ++line;
        if (row.ends_with('\r'))
            row.remove_suffix(1);
        if (header) {
            if (row != kHeader)
                refuse(line, "la cabecera debe ser «" + std::string(kHeader) + "»");
            header = false;
            continue;
        }
        if (row.empty())
            continue;
        const std::vector<std::string_view> cells = split(row, ',');
        if (cells.size() != 4)
            refuse(line, "la fila tiene " + std::to_string(cells.size()) + " celdas y no 4");
        const std::string ine(cells[0]);
        if (!digits(ine, 5))
            refuse(line, "el código «" + cp1252::toUtf8(ine) + "» no es de cinco cifras");
        if (territory.municipalities_.count(ine))
            refuse(line, "el municipio " + ine + " ya está en la línea " + std::to_string(lineOf[ine]));
        lineOf[ine] = line;
        Municipality municipality;
        for (std::string_view holder : split(cells[1], ';')) {
            if (!digits(holder, 5))
                refuse(line, "el territorio actual «" + std::string(cells[1]) + "» no son códigos de cinco cifras");
            municipality.holders.emplace_back(holder);
        }
        std::sort(municipality.holders.begin(), municipality.holders.end());
        const bool current = !cells[2].empty() || !cells[3].empty();
        if (current) {
            if (municipality.holders != std::vector<std::string>{ine})
                refuse(line, "el territorio de un municipio actual debe ser el suyo, " + ine);
            if (!digits(cells[2], 2))
                refuse(line, "el código de comarca «" + std::string(cells[2]) + "» no es de dos cifras");
            const std::optional<std::string> name = cp1252::fromUtf8(cells[3]);
            if (!name || name->empty())
                refuse(line, "la comarca " + std::string(cells[2]) + " no tiene un nombre en código 1252");
            const auto [known, added] = territory.comarcaNames_.emplace(std::string(cells[2]), *name);
            if (!added && known->second != *name)
                refuse(line, "la comarca " + std::string(cells[2]) + " tiene dos nombres");
            municipality.comarca = std::string(cells[2]);
        }
        territory.municipalities_.emplace(ine, std::move(municipality));
    }
    for (const auto& [ine, municipality] : territory.municipalities_) {
        if (!municipality.comarca.empty())
            continue;
        for (const std::string& holder : municipality.holders) {
            const Municipality* held = territory.find(holder);
            if (!held || held->comarca.empty())
                refuse(lineOf[ine], "el territorio de " + ine + " está en " + holder + ", que no es un municipio actual");
        }
    }
    return territory;
}

const Territory::Municipality* Territory::find(std::string_view code) const
{
    const auto at = municipalities_.find(code);
    return at == municipalities_.end() ? nullptr : &at->second;
}

bool Territory::isCurrent(std::string_view municipality) const
{
    const Municipality* m = find(municipality);
    return m && !m->comarca.empty();
}

bool Territory::isHistorical(std::string_view municipality) const
{
    const Municipality* m = find(municipality);
    return m && m->comarca.empty();
}

std::vector<std::string> Territory::currentHolders(std::string_view municipality) const
{
    const Municipality* m = find(municipality);
    return m ? m->holders : std::vector<std::string>{};
}

std::vector<std::string> Territory::historicalHeldBy(std::string_view current) const
{
    std::vector<std::string> held;
    if (!isCurrent(current))
        return held;
    for (const auto& [ine, municipality] : municipalities_)
        if (municipality.comarca.empty()
            && std::find(municipality.holders.begin(), municipality.holders.end(), current) != municipality.holders.end())
            held.push_back(ine);
    return held;
}

std::optional<Comarca> Territory::comarcaOf(std::string_view current) const
{
    const Municipality* m = find(current);
    if (!m || m->comarca.empty())
        return std::nullopt;
    return Comarca{m->comarca, comarcaNames_.find(m->comarca)->second};
}

std::vector<Comarca> Territory::comarcasOf(std::string_view municipality) const
{
    std::vector<Comarca> comarcas;
    for (const std::string& holder : currentHolders(municipality)) {
        std::optional<Comarca> comarca = comarcaOf(holder);
        if (comarca && std::find(comarcas.begin(), comarcas.end(), *comarca) == comarcas.end())
            comarcas.push_back(std::move(*comarca));
    }
    return comarcas;
}

std::vector<Comarca> Territory::comarcasOfUnit(std::string_view unitCode) const
{
    const std::optional<std::string_view> municipality = municipalityCodeOf(unitCode);
    return municipality ? comarcasOf(*municipality) : std::vector<Comarca>{};
}

std::optional<MunicipalityUnits> Territory::unitsOfMunicipality(std::string_view unitCode) const
{
    const std::optional<std::string_view> code = municipalityCodeOf(unitCode);
    if (!code)
        return std::nullopt;
    MunicipalityUnits units;
    units.current = find(*code) ? currentHolders(*code) : std::vector<std::string>{std::string(*code)};
    std::set<std::string> historical;
    for (const std::string& current : units.current)
        for (std::string& held : historicalHeldBy(current))
            historical.insert(std::move(held));
    units.historical.assign(historical.begin(), historical.end());
    std::vector<std::string> municipalities = units.current;
    municipalities.insert(municipalities.end(), units.historical.begin(), units.historical.end());
    units.municipalities = unitsFilter(2, municipalities);
    units.entities = unitsFilter(3, units.current);
    units.nuclei = unitsFilter(4, units.current);
    return units;
}

} // namespace catalogue
