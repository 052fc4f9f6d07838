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
// entity of kind "4" (diseminados are left out); a place that the nomenclátor
// recodes from entity to núcleo is the núcleo alone. The units are stored by kind,
// then in the order of their search names under the Spanish traditional
// collation, units sharing a search name in the order the lists give them; IDENT
// is kind × 10000 + n, n counting from 1 within the kind in stored order.
// Any fault in a table is reported with its file and line and nothing is
// written (exit 1); a wrong command line exits 2.

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <iostream>
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
    if (cell.size() > 9 || catalogue::censusValue(std::stoull(cell)).size() > kCensusWidth) {
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

// A dictionary name as a sentence writes it, in UTF-8: the article first
// ("Peñas de Riglos (Las)" is "Las Peñas de Riglos"), as the place is named.
std::string inProse(const std::string& dictionary)
{
    for (std::string_view article : {"El", "La", "Los", "Las"}) {
        const std::string suffix = " (" + std::string(article) + ")";
        if (dictionary.size() > suffix.size() && dictionary.ends_with(suffix))
            return std::string(article) + " " + cp1252::toUtf8(dictionary.substr(0, dictionary.size() - suffix.size()));
    }
    return cp1252::toUtf8(dictionary);
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
    return catalogue::censusValue(n) + (n == 1 ? " habitante" : " habitantes");
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
    std::array<Figure, 12> figures{};
    std::size_t unit = 0; // its place in the units
};
using CurrentMap = std::map<std::string, Current>;

// What a current municipality's note says when the padrón of 2004 has no
// figure of its own for it.
constexpr std::string_view kNoFigureIn2004 = " El padrón municipal de 2004 no da cifra propia de este municipio.";

// The current municipalities created after the padrón of 2004, with the year:
// the tables give no year of creation (the data folder's README does).
constexpr std::pair<std::string_view, std::string_view> kCreatedAfter2004[] = {{"50903", "2006"}};

std::optional<std::string> yearCreated(std::string_view ine)
{
    for (const auto& [code, year] : kCreatedAfter2004)
        if (code == ine)
            return std::string(year);
    return std::nullopt;
}

// The current municipalities that INE's municipal register spells otherwise
// than the nomenclátor, whose spelling (that of their entities) the table and
// the catalogue follow: the note gives INE's too, so that a reader who knows
// one form meets the other (the data folder's README lists them).
constexpr std::pair<std::string_view, std::string_view> kIneSpelling[] = {
    {"22006", "Aisa"}, {"22043", "Baélls"}, {"22075", "Camporrélls"}, {"22908", "Hoz y Costean"}, {"50241", "Sabiñán"}};

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
        current[ine] = {*name, province, unit.figures, units.size()};

        std::string& note = unit.note;
        note = "Municipio de la provincia de " + province + ", con el código INE " + ine + ".";
        for (const auto& [code, spelling] : kIneSpelling)
            if (code == ine && cp1252::toUtf8(*name) != spelling)
                note.append(" El INE lo escribe ").append(spelling).append(".");
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
            note += kNoFigureIn2004;
        else if (*register2004 == 0)
            note += " En el padrón municipal de 2004 no tenía habitantes.";
        else
            note += " En el padrón municipal de 2004 tenía " + people(*register2004) + ".";
        units.push_back(std::move(unit));
    }
}

// The words of a name, to compare names as INE's descriptions of changes may
// spell them ("Penas de Riglos, Las", "Foradada de Toscar" for "Foradada del
// Toscar"): capitals without accents, "Ñ" as "N" and "Ü" as "U", no articles,
// "del" as "de"; hyphens, commas and parentheses part words.
std::vector<std::string> nameWords(std::string_view cp1252Name)
{
    std::string plain = cp1252::upper(cp1252::withoutAcuteAccents(cp1252Name));
    for (char& c : plain) {
        if (c == '\xD1') // Ñ
            c = 'N';
        else if (c == '\xDC') // Ü
            c = 'U';
        else if (c == '-' || c == ',' || c == '(' || c == ')')
            c = ' ';
    }
    std::vector<std::string> words;
    for (std::size_t start = 0; start < plain.size();) {
        const std::size_t end = std::min(plain.find(' ', start), plain.size());
        const std::string word = plain.substr(start, end - start);
        if (word == "DEL")
            words.emplace_back("DE");
        else if (!word.empty() && word != "EL" && word != "LA" && word != "LOS" && word != "LAS")
            words.push_back(word);
        start = end + 1;
    }
    return words;
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

// A municipality that a change names, as this catalogue knows it.
struct Target {
    enum class Kind {
        Successor,  // a current municipality that holds the territory today
        Current,    // another current municipality
        Historical, // a historical municipality of the catalogue
        Renamed,    // a successor that INE names as it was called then ("Torla", today Torla-Ordesa)
        Unknown,    // none of the catalogue's ("Secorun")
    };
    Kind kind = Kind::Unknown;
    std::string ine;  // the municipality's INE code; empty for Unknown
    std::string name; // UTF-8, as a sentence writes it: the catalogue's name, INE's for Renamed and Unknown
};

// The target of a change: a municipality of the catalogue whose name is INE's
// but for accents and articles (a successor first, then any current one, then
// a single historical one); else a successor whose name begins with INE's, or
// INE's with its (renamed since); else unknown.
Target resolve(const Change& change, const Historical& h, const std::vector<Historical>& all, const CurrentMap& current)
{
    const std::vector<std::string> words = nameWords(change.target);
    for (const std::string& ine : h.successors)
        if (nameWords(current.at(ine).dictionary) == words)
            return {Target::Kind::Successor, ine, inProse(current.at(ine).dictionary)};
    for (const auto& [ine, m] : current)
        if (nameWords(m.dictionary) == words)
            return {Target::Kind::Current, ine, inProse(m.dictionary)};
    std::vector<const Historical*> historical;
    for (const Historical& other : all)
        if (&other != &h && nameWords(other.dictionary) == words)
            historical.push_back(&other);
    if (historical.size() == 1)
        return {Target::Kind::Historical, historical.front()->ine, inProse(historical.front()->dictionary)};
    std::vector<std::string> renamed;
    for (const std::string& ine : h.successors) {
        const std::vector<std::string> today = nameWords(current.at(ine).dictionary);
        const std::size_t n = std::min(today.size(), words.size());
        if (n > 0 && std::equal(today.begin(), today.begin() + static_cast<std::ptrdiff_t>(n), words.begin()))
            renamed.push_back(ine);
    }
    const std::string asIne = inProse(dictionaryName(change.target));
    if (renamed.size() == 1)
        return {Target::Kind::Renamed, renamed.front(), asIne};
    return {Target::Kind::Unknown, "", asIne};
}

// A name in a sentence, and whether an apposition follows it ("Aínsa, otro
// municipio histórico"), which a list closes with a comma before its "y".
struct Named {
    std::string text;
    bool apposition = false;
};

std::string joinNamed(const std::vector<Named>& items)
{
    std::vector<std::string> texts;
    for (std::size_t k = 0; k < items.size(); ++k)
        texts.push_back(items[k].text + (items[k].apposition && k + 2 == items.size() ? "," : ""));
    return joinList(texts);
}

// The sentence of what became of a historical municipality: the change that
// ended it, the municipalities it went into as the catalogue names them (and,
// in a fusion, those that went into the new one with it), and the current
// municipalities that hold its territory when those named are not they.
std::string fate(const Historical& h, const std::vector<Historical>& all, const CurrentMap& current)
{
    using TargetKind = Target::Kind;
    const Change& change = h.changes.front();
    std::vector<Target> targets;
    for (const Change& c : h.changes) {
        Target t = resolve(c, h, all, current);
        if (std::none_of(targets.begin(), targets.end(), [&](const Target& u) { return u.name == t.name; }))
            targets.push_back(std::move(t));
    }

    // A fusion: the municipalities merged into the new one with it, or, when
    // none did, those divided with a part into it (Javierregay's, with Santa
    // Engracia, in Puente la Reina de Jaca).
    std::vector<std::string> merged, parts;
    std::vector<const Historical*> members{&h};
    if (change.type == "EF") {
        for (const Historical& other : all)
            for (const Change& c : other.changes)
                if (&other != &h && c.year == change.year && nameWords(c.target) == nameWords(change.target)) {
                    if (c.type == "EF") {
                        merged.push_back(inProse(other.dictionary));
                        members.push_back(&other);
                    } else if (c.type == "ER" || c.type == "ED") {
                        parts.push_back("parte de " + inProse(other.dictionary));
                    }
                }
        if (merged.empty())
            merged = parts;
        // A new municipality that the catalogue does not hold by name (Veracruz)
        // is its members' one successor when that successor holds their
        // territory and no other: it has no other historical municipality, and
        // its census figures are their sums.
        const std::string& successor = h.successors.front();
        bool same = targets.front().kind == TargetKind::Unknown && h.successors.size() == 1;
        for (const Historical* m : members)
            same = same && m->successors == h.successors;
        for (const Historical& other : all)
            same = same
                   && (std::find(members.begin(), members.end(), &other) != members.end()
                       || std::find(other.successors.begin(), other.successors.end(), successor) == other.successors.end());
        std::size_t summed = 0;
        for (std::size_t k = 0; same && k < kCensusCount; ++k) {
            std::uint64_t sum = 0;
            bool everyone = true;
            for (const Historical* m : members) {
                everyone = everyone && m->figures[k];
                sum += m->figures[k].value_or(0);
            }
            if (everyone) {
                same = current.at(successor).figures[k] == sum;
                ++summed;
            }
        }
        if (same && summed > 0)
            targets.front() = {TargetKind::Renamed, successor, targets.front().name};
    }

    const auto sameName = [&](const std::string& ine) {
        return nameWords(current.at(ine).dictionary) == nameWords(h.dictionary);
    };
    const bool allHistorical = targets.size() > 1 && std::all_of(targets.begin(), targets.end(), [](const Target& t) {
                                   return t.kind == TargetKind::Historical;
                               });
    std::vector<Named> names;
    for (const Target& t : targets) {
        if (t.kind == TargetKind::Historical && !allHistorical)
            names.push_back({t.name + ", otro municipio histórico", true});
        else if (t.kind == TargetKind::Renamed)
            names.push_back({t.name + ", que hoy se llama " + inProse(current.at(t.ine).dictionary)
                                 + (sameName(t.ine) ? ", como este municipio histórico" : ""),
                             true});
        else if (t.kind == TargetKind::Unknown)
            names.push_back({t.name + " (así lo escribe el INE), un municipio que este catálogo no recoge", true});
        else
            names.push_back({t.name, false});
    }

    std::string text = " Antes del censo de " + change.year + " ";
    if (change.type == "ER" || change.type == "ED") {
        const bool divided =
            std::any_of(h.changes.begin(), h.changes.end(), [](const Change& c) { return c.type == "ED"; });
        text += divided ? "se dividió entre " : "se repartió entre ";
        if (names.size() == 1)
            text += names.front().text + (names.front().apposition ? "," : "") + " y otros municipios";
        else
            text += joinNamed(names) + (allHistorical ? ", municipios históricos" : "");
    } else if (change.type == "EI") {
        text += "se integró en " + names.front().text;
    } else if (change.type == "EF") {
        text += "se fusionó con " + (merged.empty() ? std::string("otros municipios") : joinList(merged))
                + " en el nuevo municipio de " + names.front().text;
    } else {
        text += "pasó a figurar con el nombre y el código de " + names.front().text;
    }

    // Today's municipalities, unless those named are all of them.
    std::set<std::string> named;
    for (const Target& t : targets)
        if (t.kind == TargetKind::Successor || t.kind == TargetKind::Renamed)
            named.insert(t.ine);
    if (named == std::set<std::string>(h.successors.begin(), h.successors.end()))
        return text + ".";
    if (const auto year = yearCreated(h.successors.front()); year && h.successors.size() == 1)
        for (const Target& t : targets)
            if (t.kind == TargetKind::Current)
                return text + "; su territorio, parte de " + t.name + " hasta " + *year + ", es hoy el municipio de "
                       + inProse(current.at(h.successors.front()).dictionary) + ".";
    std::vector<Named> today;
    for (const std::string& ine : h.successors)
        today.push_back(sameName(ine) ? Named{inProse(current.at(ine).dictionary) + ", el municipio actual del mismo nombre", true}
                                      : Named{inProse(current.at(ine).dictionary), false});
    return text + "; su territorio pertenece hoy a " + joinNamed(today) + ".";
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
        // Named as another municipality (Biel, Beranuy, Used), it is told apart
        // in the list: "Biel -- municipio histórico".
        if (std::any_of(current.begin(), current.end(), [&](const auto& c) { return c.second.dictionary == h.dictionary; })
            || std::any_of(all.begin(), all.end(),
                           [&](const Historical& other) { return &other != &h && other.dictionary == h.dictionary; }))
            unit.display += cp1252::fromUtf8(" -- municipio histórico").value();
        unit.note = "Municipio histórico de la provincia de " + h.province + ", con el código INE " + h.ine
                    + ". Figura como municipio en " + censuses(present) + "." + fate(h, all, current)
                    + largestPopulation(h.figures);
        units.push_back(std::move(unit));

        // A territory that went into another current municipality and became
        // a municipality of its own after the padrón of 2004 (Villamayor, part
        // of Zaragoza until Villamayor de Gállego was created): the notes of
        // both current municipalities say which of their figures count it.
        const auto year = h.successors.size() == 1 ? yearCreated(h.successors.front()) : std::nullopt;
        const Target into = resolve(h.changes.front(), h, all, current);
        if (!year || into.kind != Target::Kind::Current || h.changes.front().type != "EI")
            continue;
        const Current& made = current.at(h.successors.front());
        const Current& holder = current.at(into.ine);
        std::string& madeNote = units[made.unit].note;
        if (made.figures[kCensusCount] || !holder.figures[kCensusCount] || !madeNote.ends_with(kNoFigureIn2004))
            continue;
        madeNote.erase(madeNote.size() - kNoFigureIn2004.size());
        madeNote += " Sus cifras son las de su territorio actual, que fue el municipio de " + inProse(h.dictionary)
                    + " en " + censuses(present) + " y, desde antes del de " + h.changes.front().year + " hasta "
                    + *year + ", parte de " + into.name + "; el padrón municipal de 2004 lo cuenta dentro de "
                    + into.name + ".";
        units[holder.unit].note += " Sus cifras de los censos de 1900 a 2001 no incluyen el territorio de "
                                   + inProse(made.dictionary) + ", municipio aparte desde " + *year
                                   + "; la del padrón municipal de 2004 sí lo incluye.";
    }
}

// The entities and núcleos of the nomenclátor, each from the row of its latest year.
// A place that the nomenclátor recodes (an entity that leaves it while a núcleo
// of the same name appears later in the same municipality) is one unit, the
// núcleo, whose note gives its code and padrón as an entity.
void readNomenclator(const Source& source, const CurrentMap& current, Problems& problems, std::vector<Unit>& units)
{
    struct Latest {
        const Row* row = nullptr;
        std::string dictionary; // cp1252
        std::uint32_t people = 0;
        std::string first; // the first year it appears
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
            e = {&row, *entityName, 0, std::min(e.row ? e.first : year, year)};
        if (unitName) {
            Latest& n = nuclei[unit];
            n.first = std::min(n.row ? n.first : year, year);
            if (!n.row || year > (*n.row)[0])
                n = {&row, *unitName, *people, n.first};
        }
    }

    // Recodings: the entity that became a núcleo, by the núcleo's code.
    std::map<std::string, std::string> entityBefore;
    for (const auto& [code, e] : entities) {
        if ((*e.row)[0] == *years.rbegin())
            continue;
        std::vector<std::string> same;
        for (const auto& [nucleus, n] : nuclei)
            if ((*n.row)[2] == (*e.row)[2] && (*n.row)[4] != code && n.first > (*e.row)[0]
                && nameWords(n.dictionary) == nameWords(e.dictionary))
                same.push_back(nucleus);
        if (same.size() == 1)
            entityBefore[same.front()] = code;
    }
    std::set<std::string> recoded;
    for (const auto& [nucleus, entity] : entityBefore)
        recoded.insert(entity);

    // The place, why the census fields hold no figure (the sources of this
    // catalogue have none by entity or núcleo before 2015; others may) and the
    // latest padrón, with the table it comes from.
    const auto note = [&](const Latest& latest, std::uint64_t population, const std::string& lead, const char* by,
                          const char* inhabited) {
        const Row& row = *latest.row;
        const Current& m = current.at(row[2]);
        std::string text = lead + inProse(m.dictionary) + ", en la provincia de " + m.province
                           + ". Las fuentes de este catálogo no dan cifras por " + by
                           + " de 1900 a 2004. Según el Nomenclátor del IAEST, en el padrón de " + row[0] + " tenía "
                           + people(population);
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
        uses[latest.dictionary] += recoded.count(code) ? 0 : 1;
    for (auto& [code, latest] : entities) {
        if (recoded.count(code))
            continue;
        Unit unit{kEntity, code, file, latest.row->line, latest.dictionary, latest.dictionary, "", {}};
        if (uses[latest.dictionary] > 1)
            unit.display += " -- " + current.at((*latest.row)[2]).dictionary;
        unit.note = note(latest, sums.at({code, (*latest.row)[0]}),
                         "Entidad de población con el código " + code + ", del municipio de ", "entidad", "habitada");
        units.push_back(std::move(unit));
    }
    for (const auto& [code, latest] : nuclei) {
        Unit unit{kNucleus, code, file, latest.row->line, latest.dictionary, latest.dictionary, "", {}};
        // "de la entidad El Tozal del municipio de El Grado"; "de la entidad y el
        // municipio de Ejea de los Caballeros" when they share the name.
        const std::string& entity = entities.at((*latest.row)[4]).dictionary;
        const std::string of = entity == current.at((*latest.row)[2]).dictionary
                                   ? "de la entidad y el municipio de "
                                   : "de la entidad " + inProse(entity) + " del municipio de ";
        unit.note = note(latest, latest.people, "Núcleo de población con el código " + code + ", " + of, "núcleo",
                         "habitado");
        if (const auto before = entityBefore.find(code); before != entityBefore.end()) {
            const std::string& last = (*entities.at(before->second).row)[0];
            unit.note += " Hasta el padrón de " + last + " figuró como entidad, con el código " + before->second + " y "
                         + people(sums.at({before->second, last})) + ".";
        }
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

    // Field contents: search names, display names within their width and, for
    // municipalities, each its own; notes within their widths, kinds within
    // IDENT's range.
    std::vector<std::string> search, notes;
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
        csv::appendQuoted(out, std::to_string(unit.kind * 10000 + ++number[unit.kind]));
        for (const std::string& text : {std::to_string(unit.kind), cp1252::toUtf8(search[u]),
                                        cp1252::toUtf8(unit.dictionary), cp1252::toUtf8(unit.display), unit.note}) {
            out += ',';
            csv::appendQuoted(out, text);
        }
        for (const Figure& figure : unit.figures) {
            out += ',';
            csv::appendQuoted(out, figure ? catalogue::censusValue(*figure) : "-");
        }
        out += '\n';
    }
    if (const int error = writeFileAtomically(outputPath, out)) {
        std::cerr << "poblacion-convert: no se puede escribir " << outputPath << ": " << systemReason(error) << "\n";
        return 1;
    }
    return 0;
}
