#include "sources.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

#include "cp1252.h"
#include "csv.h"
#include "files.h"
#include "names.h"
#include "numbers.h"

namespace convert {

namespace cp1252 = catalogue::cp1252;

namespace {

// Whether `text` is well-formed UTF-8 (shortest forms, no surrogates).
bool validUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t ch = 0;
        if (b < 0x80) {
            ++i;
            continue;
        } else if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
            ch = b & 0x1Fu;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
            ch = b & 0x0Fu;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            ch = b & 0x07u;
        } else {
            return false;
        }
        if (i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto c = static_cast<unsigned char>(text[i + k]);
            if ((c & 0xC0u) != 0x80u)
                return false;
            ch = (ch << 6) | (c & 0x3Fu);
        }
        if ((length == 3 && ch < 0x800) || (length == 4 && (ch < 0x10000 || ch > 0x10FFFF))
            || (ch >= 0xD800 && ch <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

bool digitsOnly(std::string_view text, std::size_t size)
{
    return text.size() == size && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

struct Province {
    std::string_view name;
    std::string_view code; // the first two digits of every INE code in it
};
constexpr std::array<Province, 3> kProvinces = {{{"Huesca", "22"}, {"Teruel", "44"}, {"Zaragoza", "50"}}};

const Province* provinceNamed(std::string_view name)
{
    for (const Province& p : kProvinces)
        if (p.name == name)
            return &p;
    return nullptr;
}

const Province* provinceCoded(std::string_view code)
{
    for (const Province& p : kProvinces)
        if (p.code == code)
            return &p;
    return nullptr;
}

// ---------------------------------------------------------------------------
// Rows

struct Row {
    std::size_t line = 0;
    std::vector<std::string> cells;
    const std::string& operator[](std::size_t k) const { return cells[k]; }
};

// One source table: its rows of exactly as many cells as the header names.
// Unreadable files, a wrong header and malformed rows are reported.
struct Source {
    std::string path;
    std::vector<Row> rows;
    bool readable = false;
};

// Each row on a line of its own; an empty line holds no row.
constexpr csv::Rules kSourceCsv{.lineBreaksInQuotes = false, .skipEmptyLines = true};

std::string faultText(csv::Fault fault)
{
    switch (fault) {
    case csv::Fault::UnclosedQuote: return "hay unas comillas sin cerrar";
    case csv::Fault::TextAfterClosingQuote: return "hay texto detrás de las comillas que cierran un campo";
    case csv::Fault::QuoteInBareCell: return "hay comillas en medio de un campo sin comillas";
    case csv::Fault::StrayCarriageReturn: return "hay un retorno de carro que no termina la línea";
    }
    return {};
}

Source readSource(const std::string& path, const std::string& header, Problems& problems)
{
    Source source{path, {}, false};
    std::string text;
    if (const int error = readFile(path, text)) {
        problems.add(path, "no se puede leer: " + systemReason(error));
        return source;
    }
    source.readable = true;

    csv::Reader reader(text, kSourceCsv);
    csv::Record record;
    if (reader.atEnd() || reader.next(record) || record.line != 1 || record.text != header) {
        problems.add(path, 1, "la cabecera debe ser " + shown(header));
        return source;
    }
    const std::size_t cellCount = static_cast<std::size_t>(std::count(header.begin(), header.end(), ',')) + 1;
    while (!reader.atEnd()) {
        if (const std::optional<csv::Error> error = reader.next(record)) {
            problems.add(path, error->line, faultText(error->fault));
        } else if (record.cells.size() != cellCount) {
            problems.add(path, record.line, "la fila tiene " + std::to_string(record.cells.size())
                                                + " campos y debe tener " + std::to_string(cellCount));
        } else {
            Row& row = source.rows.emplace_back(Row{record.line, {}});
            for (std::optional<std::string>& cell : record.cells)
                row.cells.push_back(std::move(cell).value_or(""));
        }
    }
    return source;
}

// One figure cell: empty is "no figure" when `optional`; otherwise decimal digits.
bool parseFigure(const std::string& cell, const std::string& what, bool optional, const std::string& file,
                 std::size_t line, Problems& problems, Figure& figure)
{
    figure.reset();
    if (cell.empty() && optional)
        return true;
    const std::string where = what + " " + shown(cell);
    if (cell.size() > 1 && cell[0] == '-' && digitsOnly(cell.substr(1), cell.size() - 1)) {
        problems.add(file, line, where + " es negativa");
        return false;
    }
    if (cell.empty() || !digitsOnly(cell, cell.size())) {
        problems.add(file, line, where + " no es un número entero de habitantes");
        return false;
    }
    const auto value = catalogue::parseInteger(cell);
    if (!value || catalogue::formatInteger(*value).size() > kCensusWidth) {
        problems.add(file, line, where + " no cabe en los " + std::to_string(kCensusWidth)
                                     + " caracteres de un valor censal");
        return false;
    }
    figure = static_cast<std::uint32_t>(*value);
    return true;
}

// The cp1252 dictionary name of a source name, or nothing with the fault reported.
std::optional<std::string> checkedName(const std::string& name, const std::string& what, const std::string& file,
                                       std::size_t line, Problems& problems)
{
    const auto bytes = cp1252::fromUtf8(name);
    std::string fault;
    if (name.empty())
        fault = "está vacío";
    else if (!validUtf8(name))
        fault = "no es UTF-8 válido";
    else if (!bytes)
        fault = "tiene caracteres que no caben en la página de códigos 1252";
    else if (name.front() == ' ' || name.back() == ' '
             || std::any_of(bytes->begin(), bytes->end(),
                            [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }))
        fault = "tiene espacios al principio o al final, o caracteres de control";
    if (!fault.empty()) {
        problems.add(file, line, what + " " + shown(name) + " " + fault);
        return std::nullopt;
    }
    std::string dictionary = dictionaryName(*bytes);
    if (dictionary.size() < kNameMin || dictionary.size() > kNameWidth) {
        problems.add(file, line, what + " " + shown(cp1252::toUtf8(dictionary)) + " ocupa "
                                     + std::to_string(dictionary.size()) + " bytes y el catálogo admite de "
                                     + std::to_string(kNameMin) + " a " + std::to_string(kNameWidth));
        return std::nullopt;
    }
    return dictionary;
}

// ---------------------------------------------------------------------------
// The three tables

void readCurrent(const Source& source, Sources& out, Problems& problems)
{
    std::map<std::string, std::size_t> lineOfIne;
    for (const Row& row : source.rows) {
        bool ok = true;
        const std::string &ine = row[0], &province = row[2];
        const Province* known = provinceNamed(province);
        if (!known) {
            problems.add(source.path, row.line,
                         "provincia desconocida " + shown(province) + " (debe ser Huesca, Teruel o Zaragoza)");
            ok = false;
        }
        if (!digitsOnly(ine, 5)) {
            problems.add(source.path, row.line, "el código INE " + shown(ine) + " no tiene cinco cifras");
            ok = false;
        } else if (known && !ine.starts_with(known->code)) {
            problems.add(source.path, row.line, "el código INE " + ine + " no es de la provincia de " + province);
            ok = false;
        } else if (auto [it, inserted] = lineOfIne.emplace(ine, row.line); !inserted) {
            problems.add(source.path, row.line,
                         "el código INE " + ine + " ya aparece en la línea " + std::to_string(it->second));
            ok = false;
        }
        const auto name = checkedName(row[1], "el nombre", source.path, row.line, problems);
        ok = ok && name;
        Figures figures{};
        bool any = false;
        for (std::size_t k = 0; k < kYears.size(); ++k) {
            ok = parseFigure(row[3 + k], "la cifra de " + std::string(kYears[k]), true, source.path, row.line, problems,
                             figures[k])
                 && ok;
            any = any || figures[k];
        }
        if (ok && !any) {
            problems.add(source.path, row.line, "el municipio no tiene ninguna cifra de población");
            ok = false;
        }
        if (!ok)
            continue;
        out.current[ine] = {row.line, *name, province, figures, {}, {}};
        out.currentInTableOrder.push_back(ine);
    }
}

// The cell `alteracion`: parts "YEAR TYPE name <description> target" joined by " | ".
std::optional<std::vector<Change>> parseChanges(const std::string& cell, std::string& why)
{
    std::vector<Change> changes;
    std::string_view rest(cell);
    while (true) {
        const std::size_t bar = rest.find(" | ");
        const std::string_view part = rest.substr(0, bar);
        const std::size_t open = part.find(" <"), close = part.find("> ");
        if (part.size() < 8 || !digitsOnly(part.substr(0, 4), 4) || part[4] != ' ' || part[7] != ' '
            || open == std::string_view::npos || close == std::string_view::npos || close < open) {
            why = "la alteración " + shown(part) + " no tiene la forma «AÑO TIPO nombre <descripción> destino»";
            return std::nullopt;
        }
        const std::string type(part.substr(5, 2));
        if (type != "EI" && type != "EF" && type != "ER" && type != "ED" && type != "EC") {
            why = "tipo de alteración desconocido " + shown(type) + " (debe ser EI, EF, ER, ED o EC)";
            return std::nullopt;
        }
        const auto target = cp1252::fromUtf8(part.substr(close + 2));
        if (!target || target->empty()) {
            why = "la alteración " + shown(part) + " no nombra un destino en la página de códigos 1252";
            return std::nullopt;
        }
        changes.push_back({std::string(part.substr(0, 4)), type, *target, {}});
        if (bar == std::string_view::npos)
            return changes;
        rest.remove_prefix(bar + 3);
    }
}

// A cell of codes separated by ";".
std::vector<std::string> splitCodes(std::string_view cell)
{
    std::vector<std::string> codes;
    while (true) {
        const std::size_t semicolon = cell.find(';');
        codes.emplace_back(cell.substr(0, semicolon));
        if (semicolon == std::string_view::npos)
            return codes;
        cell.remove_prefix(semicolon + 1);
    }
}

void readHistorical(const Source& source, Sources& out, Problems& problems)
{
    const CurrentMap& current = out.current;
    std::map<std::string, std::size_t> lineOfIne;
    for (const Row& row : source.rows) {
        bool ok = true;
        Historical h{row.line, row[0], "", "", {}, {}, {}};
        const auto fail = [&](const std::string& message) {
            problems.add(source.path, row.line, message);
            ok = false;
        };
        const Province* province = provinceCoded(row[3]);
        if (!province)
            fail("provincia desconocida " + shown(row[3]) + " (debe ser 22, 44 o 50)");
        else
            h.province = std::string(province->name);
        if (!digitsOnly(h.ine, 5))
            fail("el código INE " + shown(h.ine) + " no tiene cinco cifras");
        else if (province && !h.ine.starts_with(province->code))
            fail("el código INE " + h.ine + " no es de la provincia " + row[3]);
        else if (current.count(h.ine))
            fail("el código INE " + h.ine + " es el de un municipio actual");
        else if (auto [it, inserted] = lineOfIne.emplace(h.ine, row.line); !inserted)
            fail("el código INE " + h.ine + " ya aparece en la línea " + std::to_string(it->second));
        if (row[2] != "nomenclator" && row[2] != "censo")
            fail("origen del nombre desconocido " + shown(row[2]) + " (debe ser nomenclator o censo)");
        const auto name = checkedName(row[1], "el nombre", source.path, row.line, problems);
        ok = ok && name;

        std::size_t first = kCensusCount, last = kCensusCount;
        for (std::size_t k = 0; k < kCensusCount; ++k) {
            ok = parseFigure(row[9 + k], "la cifra de " + std::string(kYears[k]), true, source.path, row.line, problems,
                             h.figures[k])
                 && ok;
            if (h.figures[k]) {
                first = std::min(first, k);
                last = k;
            }
        }
        if (ok && first == kCensusCount)
            fail("el municipio no tiene ninguna cifra de población");
        else if (ok && kYears[last] != row[4])
            fail("el último censo " + shown(row[4]) + " no es el último con cifra (" + std::string(kYears[last])
                 + ")");

        // Successors: current municipalities, one name for each code.
        std::string_view codes(row[5]);
        while (true) {
            const std::size_t semicolon = codes.find(';');
            const std::string code(codes.substr(0, semicolon));
            if (!current.count(code))
                fail("el sucesor " + shown(code) + " no es un municipio actual");
            else
                h.successors.push_back(code);
            if (semicolon == std::string_view::npos)
                break;
            codes.remove_prefix(semicolon + 1);
        }
        if (static_cast<std::size_t>(std::count(row[6].begin(), row[6].end(), ';')) + 1
            != static_cast<std::size_t>(std::count(row[5].begin(), row[5].end(), ';')) + 1)
            fail("los sucesores " + shown(row[5]) + " y sus nombres " + shown(row[6])
                 + " no son tantos unos como otros");

        std::string why;
        if (auto changes = parseChanges(row[7], why)) {
            h.changes = std::move(*changes);
            const std::vector<std::string> destinations = splitCodes(row[8]);
            if (destinations.size() != h.changes.size())
                why = "los destinos " + shown(row[8]) + " no son tantos como los cambios de la alteración ("
                      + std::to_string(h.changes.size()) + ")";
            else
                for (std::size_t k = 0; k < destinations.size(); ++k)
                    h.changes[k].destination = destinations[k];
            const auto next = std::find(kYears.begin(), kYears.end(), row[4]);
            for (const Change& c : h.changes)
                if (next == kYears.end() || next + 1 == kYears.end() || c.year != *(next + 1))
                    why = "la alteración de " + c.year + " no es del censo siguiente a " + row[4];
            if (!why.empty())
                fail(why);
            else if (h.changes.size() > 1 && std::any_of(h.changes.begin(), h.changes.end(), [](const Change& c) {
                         return c.type != "ER" && c.type != "ED";
                     }))
                fail("la alteración " + shown(row[7]) + " junta cambios que no se pueden combinar");
        } else {
            fail(why);
        }
        if (!ok)
            continue;
        h.dictionary = *name;
        out.historical.push_back(std::move(h));
    }
    // Every destination is a municipality of one table or the other.
    for (const Historical& h : out.historical)
        for (const Change& c : h.changes)
            if (!current.count(c.destination) && !lineOfIne.count(c.destination))
                problems.add(source.path, h.line,
                             "el destino " + shown(c.destination) + " no es un municipio de ninguna de las dos tablas");
}

// ine,municipio_iaest,comarca_codigo,comarca: one row for each current
// municipality; a comarca's code always with the same name.
void readComarcas(const Source& source, Sources& out, Problems& problems)
{
    std::map<std::string, std::size_t> lineOfIne;
    std::map<std::string, std::string> nameOfCode;
    for (const Row& row : source.rows) {
        const auto fail = [&](const std::string& message) { problems.add(source.path, row.line, message); };
        const auto it = out.current.find(row[0]);
        if (it == out.current.end()) {
            fail("el municipio " + shown(row[0]) + " no es un municipio actual");
            continue;
        }
        if (auto [at, inserted] = lineOfIne.emplace(row[0], row.line); !inserted) {
            fail("el municipio " + row[0] + " ya aparece en la línea " + std::to_string(at->second));
            continue;
        }
        if (!digitsOnly(row[2], 2) || row[2] == "00") {
            fail("el código de comarca " + shown(row[2]) + " no tiene dos cifras");
            continue;
        }
        if (row[3].empty() || !cp1252::fromUtf8(row[3])) {
            fail("el nombre de la comarca " + shown(row[3]) + " está vacío o no cabe en la página de códigos 1252");
            continue;
        }
        if (auto [at, inserted] = nameOfCode.emplace(row[2], row[3]); !inserted && at->second != row[3]) {
            fail("la comarca " + row[2] + " se llama " + shown(at->second) + " en otra fila");
            continue;
        }
        it->second.comarcaCode = row[2];
        it->second.comarca = row[3];
    }
    if (source.readable && problems.empty())
        for (const std::string& ine : out.currentInTableOrder)
            if (out.current.at(ine).comarca.empty())
                problems.add(source.path, "el municipio " + ine + " no tiene comarca");
}

void readNomenclator(const Source& source, Sources& out, Problems& problems)
{
    const CurrentMap& current = out.current;
    Nomenclator& places = out.nomenclator;
    std::map<std::pair<std::string, std::string>, std::uint64_t> sums; // (entity code, year) → people
    std::map<std::pair<std::string, std::string>, std::size_t> lineOfUnit;
    const std::string& file = source.path;

    for (const Row& row : source.rows) {
        bool ok = true;
        const auto fail = [&](const std::string& message) {
            problems.add(file, row.line, message);
            ok = false;
        };
        const std::string &year = row[0], &municipality = row[2], &entity = row[4], &unit = row[6], &type = row[8];
        if (!digitsOnly(year, 4))
            fail("el año " + shown(year) + " no tiene cuatro cifras");
        if (!provinceCoded(row[1]))
            fail("provincia desconocida " + shown(row[1]) + " (debe ser 22, 44 o 50)");
        else if (!current.count(municipality))
            fail("el municipio " + shown(municipality) + " no es un municipio actual");
        else if (!municipality.starts_with(row[1]))
            fail("el municipio " + municipality + " no es de la provincia " + row[1]);
        if (!digitsOnly(entity, 9) || !entity.starts_with(municipality))
            fail("el código de entidad " + shown(entity) + " no son nueve cifras que empiecen por las del municipio");
        if (!digitsOnly(unit, 11) || !unit.starts_with(entity))
            fail("el código de unidad " + shown(unit) + " no son once cifras que empiecen por las de la entidad");
        else if (auto [it, inserted] = lineOfUnit.emplace(std::pair(unit, year), row.line); !inserted)
            fail("la unidad " + unit + " de " + year + " ya aparece en la línea " + std::to_string(it->second));
        if (type != "nucleo" && type != "diseminado")
            fail("tipo de unidad desconocido " + shown(type) + " (debe ser nucleo o diseminado)");
        Figure people;
        ok = parseFigure(row[9], "la cifra de habitantes", false, file, row.line, problems, people) && ok;
        const auto entityName = checkedName(row[5], "el nombre de la entidad", file, row.line, problems);
        std::optional<std::string> unitName;
        if (type == "nucleo" && row[7] != row[5])
            unitName = checkedName(row[7], "el nombre del núcleo", file, row.line, problems);
        if (!ok || !entityName || (type == "nucleo" && row[7] != row[5] && !unitName))
            continue;

        places.years.insert(year);
        sums[{entity, year}] += *people;
        // A place takes the first row of its latest year; a núcleo keeps its first year too.
        if (Place& e = places.entities[entity]; e.year.empty() || year > e.year)
            e = {row.line, year, "", municipality, entity, *entityName, 0};
        if (unitName) {
            Place& n = places.nuclei[unit];
            const std::string first = n.year.empty() ? year : std::min(n.first, year);
            if (n.year.empty() || year > n.year)
                n = {row.line, year, first, municipality, entity, *unitName, *people};
            n.first = first;
        }
    }
    for (auto& [code, e] : places.entities)
        e.people = sums.at({code, e.year});

    for (const auto& [code, e] : places.entities) {
        if (e.year == *places.years.rbegin())
            continue;
        std::vector<std::string> same;
        for (const auto& [nucleus, n] : places.nuclei)
            if (n.municipality == e.municipality && n.entity != code && n.first > e.year
                && nameWords(n.dictionary) == nameWords(e.dictionary))
                same.push_back(nucleus);
        if (same.size() == 1)
            places.entityBefore[same.front()] = code;
    }
    for (const auto& [nucleus, entity] : places.entityBefore)
        places.recoded.insert(entity);
}

std::string withYears(std::string header, std::size_t count)
{
    for (std::size_t k = 0; k < count; ++k)
        header.append(",").append(kYears[k]);
    return header;
}

} // namespace

std::string shown(std::string_view cell)
{
    std::string out = "\u00AB";
    if (validUtf8(cell)) {
        out += cell;
    } else {
        static const char* const hex = "0123456789ABCDEF";
        for (char c : cell) {
            const auto b = static_cast<unsigned char>(c);
            if (b < 0x80) {
                out += c;
            } else {
                out += "\\x";
                out += hex[b >> 4];
                out += hex[b & 0x0F];
            }
        }
    }
    return out + "\u00BB";
}

Sources readSources(const std::string& currentPath, const std::string& historicalPath,
                    const std::string& nomenclatorPath, const std::string& comarcaPath, Problems& problems)
{
    const Source currentTable = readSource(currentPath, withYears("ine,nombre,provincia", 12), problems);
    const Source historicalTable = readSource(
        historicalPath,
        withYears("ine,nombre,nombre_origen,provincia,ultimo_censo,sucesor_ine,sucesor_nombre,alteracion,destino_ine", 11),
        problems);
    const Source nomenclatorTable = readSource(
        nomenclatorPath,
        "anio,provincia,municipio_ine,municipio,entidad_codigo,entidad,unidad_codigo,unidad,tipo,habitantes", problems);

    const Source comarcaTable = readSource(comarcaPath, "ine,municipio_iaest,comarca_codigo,comarca", problems);

    Sources sources{currentPath, historicalPath, nomenclatorPath, comarcaPath, {}, {}, {}, {}};
    readCurrent(currentTable, sources, problems);
    if (currentTable.readable && sources.current.empty() && problems.empty())
        problems.add(currentTable.path, "no hay ningún municipio");
    readHistorical(historicalTable, sources, problems);
    readNomenclator(nomenclatorTable, sources, problems);
    readComarcas(comarcaTable, sources, problems);
    return sources;
}

} // namespace convert
