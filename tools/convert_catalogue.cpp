// poblacion-convert: builds the catalogue CSV (which poblacion-tool turns into
// a data packet) from the three source tables of Aragón, all UTF-8:
//
//   poblacion-convert MUNICIPIOS.csv HISTORICOS.csv NOMENCLATOR.csv SALIDA.csv
//
//   MUNICIPIOS.csv   the current municipalities and their census figures
//                    (ine,nombre,provincia,1900,...,2001,2004)
//   HISTORICOS.csv   the municipalities of 1900-2001 that no longer exist, with
//                    their figures, successors and the change that ended them
//   NOMENCLATOR.csv  the inhabited singular entities and their núcleos and
//                    diseminados in the padrón of 2015-2020
//
// Units: every municipality, current or historical, of kind "2"; every singular
// entity of the nomenclátor of kind "3"; every núcleo named otherwise than its
// entity of kind "4" (diseminados are left out). The units are stored by kind,
// then in the order of their search names under the Spanish traditional
// collation, units sharing a search name in the order the lists give them; IDENT
// is kind × 10000 + n, n counting from 1 within the kind in stored order.
// Any fault in a table is reported with its file and line and nothing is
// written (exit 1); a wrong command line exits 2.

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "collation.h"
#include "cp1252.h"
#include "csv.h"
#include "files.h"
#include "numbers.h"
#include "table.h"
#include "units.h"

namespace {

namespace cp1252 = catalogue::cp1252;

constexpr auto& kYears = catalogue::kCensusFields;
constexpr std::size_t kCensusCount = 11; // 1900 … 2001; the twelfth figure is the 2004 register

// Widths of the catalogue fields, in cp1252 bytes.
constexpr std::size_t kNameMin = 3;
constexpr std::size_t kNameWidth = 46; // NOMBREBUSC and NOMBREDICC
constexpr std::size_t kDisplayWidth = 55;
constexpr std::size_t kCensusWidth = 7;
constexpr std::size_t kNoteMin = 61;
constexpr std::size_t kNoteMax = 399;
constexpr std::size_t kMaxPerKind = 9999; // IDENT = kind × 10000 + n stays five digits

enum Kind : int { kMunicipality = 2, kEntity = 3, kNucleus = 4 };

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

using Figure = std::optional<std::uint32_t>;

// ---------------------------------------------------------------------------
// Messages

class Problems {
public:
    void add(const std::string& file, std::size_t line, const std::string& message)
    {
        messages_.push_back(file + ':' + std::to_string(line) + ": " + message);
    }
    void add(const std::string& file, const std::string& message) { messages_.push_back(file + ": " + message); }
    bool empty() const { return messages_.empty(); }
    const std::vector<std::string>& messages() const { return messages_; }

private:
    std::vector<std::string> messages_;
};

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

// A cell as it may be shown in a message: between « », bytes that are not
// UTF-8 written as \xNN.
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

bool digitsOnly(std::string_view text, std::size_t size)
{
    return text.size() == size && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// ---------------------------------------------------------------------------
// Source tables

// Splits one line into cells: comma separated, a cell may be enclosed in double
// quotes with inner quotes doubled. Nothing on failure, with the reason.
std::optional<std::vector<std::string>> splitCsvLine(std::string_view line, std::string& why)
{
    std::vector<std::string> cells;
    std::size_t i = 0;
    while (true) {
        std::string cell;
        if (i < line.size() && line[i] == '"') {
            ++i;
            bool closed = false;
            while (i < line.size()) {
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        cell += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                cell += line[i++];
            }
            if (!closed) {
                why = "hay unas comillas sin cerrar";
                return std::nullopt;
            }
            if (i < line.size() && line[i] != ',') {
                why = "hay texto detrás de las comillas que cierran un campo";
                return std::nullopt;
            }
        } else {
            while (i < line.size() && line[i] != ',') {
                if (line[i] == '"') {
                    why = "hay comillas en medio de un campo sin comillas";
                    return std::nullopt;
                }
                cell += line[i++];
            }
        }
        cells.push_back(std::move(cell));
        if (i >= line.size())
            break;
        ++i; // the comma
    }
    return cells;
}

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

Source readSource(const std::string& path, const std::string& header, Problems& problems)
{
    Source source{path, {}, false};
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        problems.add(path, std::string("no se puede leer: ").append(systemReason(errno)));
        return source;
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (text.starts_with("\xEF\xBB\xBF"))
        text.erase(0, 3);
    source.readable = true;

    std::string_view rest(text);
    const std::size_t cellCount = static_cast<std::size_t>(std::count(header.begin(), header.end(), ',')) + 1;
    for (std::size_t lineNo = 1; !rest.empty(); ++lineNo) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (lineNo == 1) {
            if (line != header) {
                problems.add(path, 1, "la cabecera debe ser " + shown(header));
                return source;
            }
            continue;
        }
        if (line.empty())
            continue; // a blank line holds no row
        std::string why;
        auto cells = splitCsvLine(line, why);
        if (!cells)
            problems.add(path, lineNo, why);
        else if (cells->size() != cellCount)
            problems.add(path, lineNo, "la fila tiene " + std::to_string(cells->size()) + " campos y debe tener "
                                           + std::to_string(cellCount));
        else
            source.rows.push_back({lineNo, std::move(*cells)});
    }
    if (text.empty())
        problems.add(path, 1, "la cabecera debe ser " + shown(header));
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
    if (cell.size() > 9 || catalogue::formatInteger(std::stoull(cell)).size() > kCensusWidth) {
        problems.add(file, line, where + " no cabe en los " + std::to_string(kCensusWidth)
                                     + " caracteres de un valor censal");
        return false;
    }
    figure = static_cast<std::uint32_t>(std::stoul(cell));
    return true;
}

// ---------------------------------------------------------------------------
// Names

// The dictionary form of a name: an article that the source puts after a comma
// ("Molinos, Los") or before the name ("La Almunia de Doña Godina") goes behind
// it in parentheses: "Molinos (Los)", "Almunia de Doña Godina (La)".
std::string dictionaryName(const std::string& name)
{
    for (std::string_view article : {"El", "La", "Los", "Las"}) {
        const std::string a(article);
        if (name.size() > a.size() + 2 && name.ends_with(", " + a))
            return name.substr(0, name.size() - a.size() - 2) + " (" + a + ")";
        if (name.size() > a.size() + 1 && name.starts_with(a + " "))
            return name.substr(a.size() + 1) + " (" + a + ")";
    }
    return name;
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

// "a", "a y b", "a, b y c"; "e" in place of "y" before a word that begins with the sound i.
std::string joinList(const std::vector<std::string>& items)
{
    std::string out;
    for (std::size_t k = 0; k < items.size(); ++k) {
        if (k > 0 && k + 1 < items.size()) {
            out += ", ";
        } else if (k > 0) {
            const std::string& next = items[k];
            const bool iSound = next.starts_with("I") || next.starts_with("Í")
                                || ((next.starts_with("Hi") || next.starts_with("Hí"))
                                    && std::string_view("aeiouáéíóú").find(next[2]) == std::string_view::npos);
            out += iSound ? " e " : " y ";
        }
        out += items[k];
    }
    return out;
}

// ---------------------------------------------------------------------------
// Units

struct Unit {
    int kind = 0;
    std::string code; // INE code, or the nomenclátor's code of the entity or núcleo
    std::string file; // the table and line that give the unit, for messages
    std::size_t line = 0;
    std::string dictionary; // cp1252
    std::string display;    // cp1252
    std::string note;       // UTF-8
    std::array<Figure, 12> figures{};
};

std::string people(std::uint64_t n)
{
    return catalogue::formatInteger(n) + (n == 1 ? " habitante" : " habitantes");
}

// "1900 a 1960" for a run of consecutive censuses, else "1900, 1920 y 1930".
std::string censusList(const std::vector<std::size_t>& years)
{
    if (years.size() > 2 && years.back() - years.front() + 1 == years.size())
        return std::string(kYears[years.front()]) + " a " + std::string(kYears[years.back()]);
    std::vector<std::string> names;
    for (std::size_t k : years)
        names.emplace_back(kYears[k]);
    return joinList(names);
}

std::string censuses(const std::vector<std::size_t>& years)
{
    return (years.size() == 1 ? "el censo de " : "los censos de ") + censusList(years);
}

// " Su mayor población censal, N habitantes, corresponde al censo de Y."
std::string largestPopulation(const std::array<Figure, 12>& figures)
{
    Figure largest;
    for (std::size_t k = 0; k < kCensusCount; ++k)
        if (figures[k] && (!largest || *figures[k] > *largest))
            largest = figures[k];
    if (!largest)
        return "";
    if (*largest == 0)
        return " Todos sus censos con cifra dan 0 habitantes.";
    std::vector<std::size_t> peak;
    for (std::size_t k = 0; k < kCensusCount; ++k)
        if (figures[k] == largest)
            peak.push_back(k);
    return " Su mayor población censal, " + people(*largest) + ", corresponde "
           + (peak.size() == 1 ? "al censo de " : "a los censos de ") + censusList(peak) + ".";
}

// The current municipalities, by INE code.
struct Current {
    std::string dictionary; // cp1252
    std::string province;
};
using CurrentMap = std::map<std::string, Current>;

void readCurrent(const Source& source, Problems& problems, CurrentMap& current, std::vector<Unit>& units)
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
        Unit unit{kMunicipality, ine, source.path, row.line, "", "", "", {}};
        const auto name = checkedName(row[1], "el nombre", source.path, row.line, problems);
        ok = ok && name;
        bool any = false;
        for (std::size_t k = 0; k < kYears.size(); ++k) {
            ok = parseFigure(row[3 + k], "la cifra de " + std::string(kYears[k]), true, source.path, row.line, problems,
                             unit.figures[k])
                 && ok;
            any = any || unit.figures[k];
        }
        if (ok && !any) {
            problems.add(source.path, row.line, "el municipio no tiene ninguna cifra de población");
            ok = false;
        }
        if (!ok)
            continue;
        unit.dictionary = unit.display = *name;
        current[ine] = {*name, province};

        std::string& note = unit.note;
        note = "Municipio de la provincia de " + province + ", con el código INE " + ine + ".";
        std::vector<std::size_t> missing;
        for (std::size_t k = 0; k < kCensusCount; ++k)
            if (!unit.figures[k])
                missing.push_back(k);
        if (missing.size() == kCensusCount)
            note += " Sin cifra de población en ninguno de los censos de 1900 a 2001.";
        else if (!missing.empty())
            note += " Sin cifra de población en " + censuses(missing) + ".";
        note += largestPopulation(unit.figures);
        const Figure& register2004 = unit.figures[kCensusCount];
        if (!register2004)
            note += " El padrón municipal de 2004 no da cifra propia de este municipio.";
        else if (*register2004 == 0)
            note += " En el padrón municipal de 2004 no tenía habitantes.";
        else
            note += " En el padrón municipal de 2004 tenía " + people(*register2004) + ".";
        units.push_back(std::move(unit));
    }
}

// A name as INE's descriptions of changes may spell it, to compare names by:
// capitals without accents, "Ñ" as "N", hyphens as spaces, article behind.
std::string plainName(std::string_view cp1252Name)
{
    std::string plain = cp1252::upper(cp1252::withoutAcuteAccents(dictionaryName(std::string(cp1252Name))));
    for (char& c : plain) {
        if (c == '\xD1') // Ñ
            c = 'N';
        else if (c == '\xDC') // Ü
            c = 'U';
        else if (c == '-')
            c = ' ';
    }
    return plain;
}

// What ended a historical municipality, from the cell `alteracion`: parts
// "YEAR TYPE name <description> target" joined by " | ".
struct Change {
    std::string year;
    std::string type;   // EI, EF, ER, ED or EC
    std::string target; // cp1252, as INE writes it
};

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
        changes.push_back({std::string(part.substr(0, 4)), type, *target});
        if (bar == std::string_view::npos)
            return changes;
        rest.remove_prefix(bar + 3);
    }
}

struct Historical {
    const Row* row = nullptr;
    std::string ine;
    std::string province;
    std::string dictionary; // cp1252
    std::vector<std::string> successors;
    std::vector<Change> changes;
    std::array<Figure, 12> figures{};
};

// The sentence of what became of a historical municipality: the change that
// ended it, naming the municipality it went into where the catalogue holds it,
// and the current municipalities that hold its territory.
std::string fate(const Historical& h, const std::vector<Historical>& all, const CurrentMap& current)
{
    std::vector<std::string> today;
    for (const std::string& ine : h.successors)
        today.push_back(cp1252::toUtf8(current.at(ine).dictionary));

    // The targets named as the catalogue spells them: a successor, else a
    // single historical municipality of that name; nothing when unknown.
    std::vector<std::string> targets;
    bool allKnown = true, allHistorical = true;
    for (const Change& c : h.changes) {
        std::optional<std::string> name;
        for (const std::string& ine : h.successors)
            if (plainName(current.at(ine).dictionary) == plainName(c.target))
                name = cp1252::toUtf8(current.at(ine).dictionary);
        if (name) {
            allHistorical = false;
        } else {
            int found = 0;
            for (const Historical& other : all)
                if (&other != &h && plainName(other.dictionary) == plainName(c.target)) {
                    name = cp1252::toUtf8(other.dictionary);
                    ++found;
                }
            if (found != 1)
                name.reset();
        }
        allKnown = allKnown && name;
        if (name && std::find(targets.begin(), targets.end(), *name) == targets.end())
            targets.push_back(*name);
    }
    std::vector<std::string> sortedTargets = targets, sortedToday = today;
    std::sort(sortedTargets.begin(), sortedTargets.end());
    std::sort(sortedToday.begin(), sortedToday.end());
    const bool targetsAreToday = allKnown && sortedTargets == sortedToday;
    const std::string other = !allHistorical       ? ""
                              : targets.size() == 1 ? ", otro municipio histórico"
                                                    : ", municipios históricos";

    std::string text = " Antes del censo de " + h.changes.front().year + " ";
    const std::string& type = h.changes.front().type;
    if (type == "ER" || type == "ED") {
        const bool divided =
            std::any_of(h.changes.begin(), h.changes.end(), [](const Change& c) { return c.type == "ED"; });
        text += divided ? "se dividió entre " : "se repartió entre ";
        if (allKnown && targets.size() > 1)
            text += joinList(targets) + other;
        else if (allKnown && targets.size() == 1)
            text += targets.front() + other + " y otros municipios";
        else
            text += "varios municipios";
    } else if (allKnown && targets.size() == 1) {
        text += type == "EI"   ? "se integró en " + targets.front()
                : type == "EF" ? "se fusionó con otros municipios en " + targets.front()
                               : "pasó a figurar con el nombre y el código de " + targets.front();
        text += other;
    } else {
        text += type == "EI"   ? "se integró en otro municipio"
                : type == "EF" ? "se fusionó con otros municipios en uno nuevo"
                               : "cambió de código";
    }
    if (!targetsAreToday)
        text += "; su territorio pertenece hoy a " + joinList(today);
    return text + ".";
}

void readHistorical(const Source& source, const CurrentMap& current, Problems& problems, std::vector<Unit>& units)
{
    std::vector<Historical> all;
    std::map<std::string, std::size_t> lineOfIne;
    for (const Row& row : source.rows) {
        bool ok = true;
        Historical h{&row, row[0], "", "", {}, {}, {}};
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
            ok = parseFigure(row[8 + k], "la cifra de " + std::string(kYears[k]), true, source.path, row.line, problems,
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
        all.push_back(std::move(h));
    }

    for (const Historical& h : all) {
        std::vector<std::size_t> present;
        for (std::size_t k = 0; k < kCensusCount; ++k)
            if (h.figures[k])
                present.push_back(k);
        Unit unit{kMunicipality, h.ine, source.path, h.row->line, h.dictionary, h.dictionary, "", h.figures};
        unit.note = "Municipio histórico de la provincia de " + h.province + ", con el código INE " + h.ine
                    + ". Figura como municipio en " + censuses(present) + "." + fate(h, all, current)
                    + largestPopulation(h.figures);
        units.push_back(std::move(unit));
    }
}

// The entities and núcleos of the nomenclátor, each from the row of its latest year.
void readNomenclator(const Source& source, const CurrentMap& current, Problems& problems, std::vector<Unit>& units)
{
    struct Latest {
        const Row* row = nullptr;
        std::string dictionary; // cp1252
        std::uint32_t people = 0;
    };
    std::map<std::string, Latest> entities, nuclei;                  // by code
    std::map<std::pair<std::string, std::string>, std::uint64_t> sums; // (entity code, year) → people
    std::map<std::pair<std::string, std::string>, std::size_t> lineOfUnit;
    std::set<std::string> years;
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

        years.insert(year);
        sums[{entity, year}] += *people;
        if (Latest& e = entities[entity]; !e.row || year > (*e.row)[0])
            e = {&row, *entityName, 0};
        if (unitName)
            if (Latest& n = nuclei[unit]; !n.row || year > (*n.row)[0])
                n = {&row, *unitName, *people};
    }

    // The place, the rule for the census fields and the latest padrón.
    const auto note = [&](const Latest& latest, std::uint64_t population, const std::string& lead,
                          const char* inhabited) {
        const Row& row = *latest.row;
        const Current& m = current.at(row[2]);
        std::string text = lead + cp1252::toUtf8(m.dictionary) + ", en la provincia de " + m.province
                           + ". Ninguna fuente abierta da su población en los censos de 1900 a 2001 ni en el padrón "
                             "de 2004. En el padrón de " + row[0] + " tenía " + people(population);
        const std::vector<std::string> later(years.upper_bound(row[0]), years.end());
        if (!later.empty())
            text += ", y no figura como " + std::string(inhabited) + (later.size() == 1 ? " en el de " : " en los de ")
                    + joinList(later);
        return text + ".";
    };

    // Entities that share a dictionary name are told apart in the lists by
    // their municipality: "Name -- Municipality".
    std::map<std::string, int> uses;
    for (const auto& [code, latest] : entities)
        ++uses[latest.dictionary];
    for (auto& [code, latest] : entities) {
        Unit unit{kEntity, code, file, latest.row->line, latest.dictionary, latest.dictionary, "", {}};
        if (uses[latest.dictionary] > 1) {
            unit.display += " -- " + current.at((*latest.row)[2]).dictionary;
            if (unit.display.size() > kDisplayWidth)
                problems.add(file, unit.line, "el nombre para las listas " + shown(cp1252::toUtf8(unit.display))
                                                  + " ocupa " + std::to_string(unit.display.size())
                                                  + " bytes y el catálogo admite " + std::to_string(kDisplayWidth));
        }
        unit.note = note(latest, sums.at({code, (*latest.row)[0]}),
                         "Entidad de población con el código " + code + ", del municipio de ", "habitada");
        units.push_back(std::move(unit));
    }
    for (const auto& [code, latest] : nuclei) {
        Unit unit{kNucleus, code, file, latest.row->line, latest.dictionary, latest.dictionary, "", {}};
        unit.note = note(latest, latest.people,
                         "Núcleo de población con el código " + code + ", de la entidad "
                             + cp1252::toUtf8(entities.at((*latest.row)[4]).dictionary) + " del municipio de ",
                         "habitado");
        units.push_back(std::move(unit));
    }
}

// ---------------------------------------------------------------------------
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

int usage()
{
    std::cerr << "uso: poblacion-convert MUNICIPIOS.csv HISTORICOS.csv NOMENCLATOR.csv SALIDA.csv\n"
                 "  MUNICIPIOS.csv   municipios actuales: ine,nombre,provincia,1900,...,2001,2004\n"
                 "  HISTORICOS.csv   municipios históricos: ine,nombre,nombre_origen,provincia,ultimo_censo,\n"
                 "                   sucesor_ine,sucesor_nombre,alteracion,1900,...,2001\n"
                 "  NOMENCLATOR.csv  entidades y núcleos: anio,provincia,municipio_ine,municipio,entidad_codigo,\n"
                 "                   entidad,unidad_codigo,unidad,tipo,habitantes\n"
                 "  SALIDA.csv       catálogo para «poblacion-tool build»\n";
    return 2;
}

std::string withYears(std::string header, std::size_t count)
{
    for (std::size_t k = 0; k < count; ++k)
        header.append(",").append(kYears[k]);
    return header;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5 || std::any_of(argv + 1, argv + argc, [](const char* a) { return a[0] == '\0'; }))
        return usage();
    const std::string outputPath = argv[4];

    Problems problems;
    const Source currentTable = readSource(argv[1], withYears("ine,nombre,provincia", 12), problems);
    const Source historicalTable = readSource(
        argv[2], withYears("ine,nombre,nombre_origen,provincia,ultimo_censo,sucesor_ine,sucesor_nombre,alteracion", 11),
        problems);
    const Source nomenclator = readSource(
        argv[3], "anio,provincia,municipio_ine,municipio,entidad_codigo,entidad,unidad_codigo,unidad,tipo,habitantes",
        problems);

    CurrentMap current;
    std::vector<Unit> units;
    readCurrent(currentTable, problems, current, units);
    if (currentTable.readable && current.empty() && problems.empty())
        problems.add(currentTable.path, "no hay ningún municipio");
    readHistorical(historicalTable, current, problems, units);
    readNomenclator(nomenclator, current, problems, units);

    // Field contents: search names, notes within their widths, kinds within IDENT's range.
    std::vector<std::string> search, notes;
    std::map<int, std::size_t> perKind;
    for (const Unit& u : units) {
        search.push_back(cp1252::withoutAcuteAccents(u.dictionary));
        const auto note = cp1252::fromUtf8(u.note);
        if (!note || note->size() < kNoteMin || note->size() > kNoteMax)
            problems.add(u.file, u.line, "la nota " + shown(u.note) + " no cabe en " + std::to_string(kNoteMin) + " a "
                                             + std::to_string(kNoteMax) + " bytes de la página de códigos 1252");
        notes.push_back(note.value_or(""));
        ++perKind[u.kind];
    }
    for (const auto& [kind, count] : perKind)
        if (count > kMaxPerKind)
            problems.add(argv[4], "hay " + std::to_string(count) + " unidades de la clase " + std::to_string(kind)
                                      + " y el catálogo numera como mucho " + std::to_string(kMaxPerKind));
    std::optional<std::vector<std::size_t>> order;
    if (problems.empty() && !(order = storedOrder(units, search)))
        problems.add(argv[4], "las listas no muestran las unidades que comparten nombre en el orden buscado");

    if (!problems.empty()) {
        for (const auto& message : problems.messages())
            std::cerr << message << "\n";
        std::cerr << "poblacion-convert: " << problems.messages().size()
                  << (problems.messages().size() == 1 ? " error" : " errores") << "; no se ha escrito " << outputPath
                  << "\n";
        return 1;
    }

    std::string out = "IDENT,TIPONUM,NOMBREBUSC,NOMBREDICC,NOMBREMOST,COMENTARIO";
    for (std::string_view year : kYears)
        out += "," + std::string(year);
    out += '\n';
    std::map<int, int> number;
    for (std::size_t u : *order) {
        const Unit& unit = units[u];
        appendQuoted(out, std::to_string(unit.kind * 10000 + ++number[unit.kind]));
        for (const std::string& text : {std::to_string(unit.kind), cp1252::toUtf8(search[u]),
                                        cp1252::toUtf8(unit.dictionary), cp1252::toUtf8(unit.display), unit.note}) {
            out += ',';
            appendQuoted(out, text);
        }
        for (const Figure& figure : unit.figures) {
            out += ',';
            appendQuoted(out, figure ? catalogue::formatInteger(*figure) : "-");
        }
        out += '\n';
    }
    if (const int error = writeFileAtomically(outputPath, out)) {
        std::cerr << "poblacion-convert: no se puede escribir " << outputPath << ": " << systemReason(error) << "\n";
        return 1;
    }
    return 0;
}
