// poblacion-convert: turns the census table of the municipalities of Aragón
// (ine,nombre,provincia,1900,...,2001,2004; UTF-8) into the catalogue CSV that
// poblacion-tool builds into a data packet.
//
//   poblacion-convert ORIGEN.csv SALIDA.csv
//
// Every municipality becomes a unit of kind "2". The units are stored in the
// order of their search names under the Spanish traditional collation (the
// same order the lists show) and numbered 20001, 20002, ... in that order.
// Any fault in the input is reported with its line number and nothing is
// written (exit 1); a wrong command line exits 2.

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "collation.h"
#include "cp1252.h"
#include "csv.h"
#include "table.h"
#include "units.h"

namespace {

using catalogue::FieldDef;
using catalogue::FieldKind;

constexpr auto& kYears = catalogue::kCensusFields;
constexpr std::size_t kCensusCount = 11; // 1900 … 2001; the twelfth figure is the 2004 register
constexpr std::size_t kSourceCells = 3 + kYears.size();

// Widths of the catalogue fields, in cp1252 bytes.
[[maybe_unused]] constexpr std::size_t kIdentWidth = 5; // IDENT values are numbered, never cut
constexpr std::size_t kSearchWidth = 46;
constexpr std::size_t kDictionaryWidth = 46;
constexpr std::size_t kDisplayWidth = 55;
constexpr std::size_t kCensusWidth = 7;
constexpr std::size_t kNoteMin = 61;
constexpr std::size_t kNoteMax = 399;

constexpr std::uint32_t kKindMunicipality = 2;
constexpr std::size_t kMaxUnits = 9999; // IDENT = 20000 + n must stay five digits

enum Column : std::size_t {
    kIdent, kTiponum, kNombreBusc, kNombreDicc, kNombreMost, kComentario, kFirstCensus
};

struct Province {
    std::string_view name;
    std::string_view code; // first two digits of the INE code
};
constexpr std::array<Province, 3> kProvinces = {{{"Huesca", "22"}, {"Teruel", "44"}, {"Zaragoza", "50"}}};

struct Municipality {
    std::size_t line = 0;
    std::string ine;
    std::string province;   // UTF-8
    std::string dictionary; // cp1252
    std::array<std::optional<std::uint32_t>, 12> figures;
};

class Problems {
public:
    explicit Problems(std::string file) : file_(std::move(file)) {}
    void add(std::size_t line, const std::string& message)
    {
        std::ostringstream text;
        text << file_ << ':' << line << ": " << message;
        messages_.push_back(text.str());
    }
    void addGeneral(const std::string& message) { messages_.push_back(file_ + ": " + message); }
    bool empty() const { return messages_.empty(); }
    const std::vector<std::string>& messages() const { return messages_; }

private:
    std::string file_;
    std::vector<std::string> messages_;
};

// ---------------------------------------------------------------------------
// Source CSV

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
std::string quoteForMessage(std::string_view cell)
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

// One figure cell: empty is "no figure"; otherwise decimal digits only.
bool parseFigure(const std::string& cell, std::string_view year, std::size_t line, Problems& problems,
                 std::optional<std::uint32_t>& figure)
{
    figure.reset();
    if (cell.empty())
        return true;
    const std::string where = "la cifra de " + std::string(year) + " " + quoteForMessage(cell);
    const bool negative = cell.size() > 1 && cell[0] == '-'
                          && std::all_of(cell.begin() + 1, cell.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (negative) {
        problems.add(line, where + " es negativa");
        return false;
    }
    if (!std::all_of(cell.begin(), cell.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        problems.add(line, where + " no es un número entero de habitantes");
        return false;
    }
    std::uint64_t value = 0;
    for (char c : cell) {
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > 999'999'999ULL)
            break;
    }
    if (catalogue::censusValue(value).size() > kCensusWidth || value > 999'999'999ULL) {
        problems.add(line, where + " no cabe en los " + std::to_string(kCensusWidth)
                               + " caracteres de un valor censal");
        return false;
    }
    figure = static_cast<std::uint32_t>(value);
    return true;
}

// ---------------------------------------------------------------------------
// Names

// "La Almunia de Doña Godina" → "Almunia de Doña Godina (La)".
std::string dictionaryName(const std::string& name)
{
    for (std::string_view article : {"El", "La", "Los", "Las"}) {
        if (name.size() > article.size() + 1 && name.compare(0, article.size(), article) == 0
            && name[article.size()] == ' ')
            return name.substr(article.size() + 1) + " (" + std::string(article) + ")";
    }
    return name;
}

// ---------------------------------------------------------------------------
// The note

std::string people(std::uint32_t n) { return catalogue::censusValue(n) + (n == 1 ? " habitante" : " habitantes"); }

std::string joinYears(const std::vector<std::string_view>& years)
{
    std::string out;
    for (std::size_t k = 0; k < years.size(); ++k) {
        if (k > 0)
            out += (k + 1 == years.size()) ? " y " : ", ";
        out += years[k];
    }
    return out;
}

// One paragraph of plain text (UTF-8) made only of the figures of the row.
std::string note(const Municipality& m)
{
    std::string text = "Municipio de la provincia de " + m.province + ", con el código INE " + m.ine + ".";

    std::vector<std::string_view> missing;
    std::optional<std::uint32_t> largest;
    for (std::size_t k = 0; k < kCensusCount; ++k) {
        if (!m.figures[k])
            missing.push_back(kYears[k]);
        else if (!largest || *m.figures[k] > *largest)
            largest = m.figures[k];
    }

    if (!largest) {
        text += " Sin cifra de población en ninguno de los censos de 1900 a 2001.";
    } else {
        if (missing.size() == 1)
            text += " Sin cifra de población en el censo de " + joinYears(missing) + ".";
        else if (!missing.empty())
            text += " Sin cifra de población en los censos de " + joinYears(missing) + ".";
        std::vector<std::string_view> peakYears;
        for (std::size_t k = 0; k < kCensusCount; ++k)
            if (m.figures[k] && *m.figures[k] == *largest)
                peakYears.push_back(kYears[k]);
        if (*largest == 0)
            text += " Todos sus censos con cifra dan 0 habitantes.";
        else
            text += " Su mayor población censal, " + people(*largest) + ", corresponde "
                    + (peakYears.size() == 1 ? "al censo de " : "a los censos de ") + joinYears(peakYears) + ".";
    }

    const auto& register2004 = m.figures[kCensusCount];
    if (!register2004)
        text += " El padrón municipal de 2004 no da cifra propia de este municipio.";
    else if (*register2004 == 0)
        text += " En el padrón municipal de 2004 no tenía habitantes.";
    else
        text += " En el padrón municipal de 2004 tenía " + people(*register2004) + ".";
    return text;
}

// ---------------------------------------------------------------------------
// Output CSV

bool readFile(const std::string& path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// Writes beside the target and renames, so that a failure never leaves a
// partial or stale-looking catalogue behind.
bool writeFile(const std::string& path, const std::string& bytes, std::string& why)
{
    const std::filesystem::path target(path);
    std::filesystem::path temporary = target;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            why = std::strerror(errno);
            return false;
        }
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            why = "error de escritura";
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, target, error);
    if (error) {
        why = error.message();
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return false;
    }
    return true;
}

int usage()
{
    std::cerr << "uso: poblacion-convert ORIGEN.csv SALIDA.csv\n"
                 "  ORIGEN.csv  tabla de municipios: ine,nombre,provincia,1900,...,2001,2004 (UTF-8)\n"
                 "  SALIDA.csv  catálogo para «poblacion-tool build»\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 || argv[1][0] == '\0' || argv[2][0] == '\0')
        return usage();
    const std::string sourcePath = argv[1];
    const std::string outputPath = argv[2];

    std::string source;
    if (!readFile(sourcePath, source)) {
        std::cerr << "poblacion-convert: no se puede leer " << sourcePath << ": " << std::strerror(errno) << "\n";
        return 1;
    }

    Problems problems(sourcePath);
    if (source.starts_with("\xEF\xBB\xBF"))
        source.erase(0, 3);

    // Lines, numbered from 1; "\r\n" is accepted as a line end.
    std::vector<std::string_view> lines;
    {
        std::string_view rest(source);
        while (!rest.empty()) {
            const std::size_t end = rest.find('\n');
            std::string_view line = rest.substr(0, end);
            if (line.ends_with('\r'))
                line.remove_suffix(1);
            lines.push_back(line);
            if (end == std::string_view::npos)
                break;
            rest.remove_prefix(end + 1);
        }
    }

    std::string expectedHeader = "ine,nombre,provincia";
    for (std::string_view year : kYears)
        expectedHeader += "," + std::string(year);
    if (lines.empty() || lines[0] != expectedHeader) {
        problems.add(1, "la cabecera debe ser " + quoteForMessage(expectedHeader));
        for (const auto& message : problems.messages())
            std::cerr << message << "\n";
        return 1;
    }

    std::vector<Municipality> municipalities;
    std::map<std::string, std::size_t> lineOfIne;
    for (std::size_t index = 1; index < lines.size(); ++index) {
        const std::size_t lineNo = index + 1;
        const std::string_view line = lines[index];
        if (line.empty())
            continue; // a blank line holds no row
        std::string why;
        const auto cells = splitCsvLine(line, why);
        if (!cells) {
            problems.add(lineNo, why);
            continue;
        }
        if (cells->size() != kSourceCells) {
            problems.add(lineNo, "la fila tiene " + std::to_string(cells->size()) + " campos y debe tener "
                                     + std::to_string(kSourceCells));
            continue;
        }
        bool ok = true;
        Municipality m;
        m.line = lineNo;

        // Province and INE code.
        const std::string& ine = (*cells)[0];
        const std::string& province = (*cells)[2];
        const Province* known = nullptr;
        for (const Province& p : kProvinces)
            if (province == p.name)
                known = &p;
        if (!known) {
            problems.add(lineNo, "provincia desconocida " + quoteForMessage(province)
                                     + " (debe ser Huesca, Teruel o Zaragoza)");
            ok = false;
        }
        if (ine.size() != 5 || !std::all_of(ine.begin(), ine.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            problems.add(lineNo, "el código INE " + quoteForMessage(ine) + " no tiene cinco cifras");
            ok = false;
        } else if (known && ine.compare(0, 2, known->code) != 0) {
            problems.add(lineNo, "el código INE " + ine + " no es de la provincia de " + province + " (empieza por "
                                     + std::string(known->code) + ")");
            ok = false;
        } else if (auto [it, inserted] = lineOfIne.emplace(ine, lineNo); !inserted) {
            problems.add(lineNo, "el código INE " + ine + " ya aparece en la línea " + std::to_string(it->second));
            ok = false;
        }
        m.ine = ine;
        m.province = province;

        // Name.
        const std::string& name = (*cells)[1];
        const auto name1252 = catalogue::cp1252::fromUtf8(name);
        if (name.empty()) {
            problems.add(lineNo, "el nombre está vacío");
            ok = false;
        } else if (!validUtf8(name)) {
            problems.add(lineNo, "el nombre " + quoteForMessage(name) + " no es UTF-8 válido");
            ok = false;
        } else if (!name1252) {
            problems.add(lineNo, "el nombre " + quoteForMessage(name)
                                     + " tiene caracteres que no caben en la página de códigos 1252");
            ok = false;
        } else if (name.front() == ' ' || name.back() == ' '
                   || std::any_of(name1252->begin(), name1252->end(),
                                  [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; })) {
            problems.add(lineNo, "el nombre " + quoteForMessage(name)
                                     + " tiene espacios al principio o al final, o caracteres de control");
            ok = false;
        } else {
            m.dictionary = dictionaryName(*name1252);
            if (m.dictionary.size() > std::min({kDictionaryWidth, kSearchWidth, kDisplayWidth})) {
                problems.add(lineNo, "el nombre " + quoteForMessage(catalogue::cp1252::toUtf8(m.dictionary)) + " ocupa "
                                         + std::to_string(m.dictionary.size()) + " bytes y el catálogo admite "
                                         + std::to_string(kDictionaryWidth));
                ok = false;
            }
        }

        // Figures.
        bool anyFigure = false;
        bool figuresOk = true;
        for (std::size_t k = 0; k < kYears.size(); ++k) {
            if (!parseFigure((*cells)[3 + k], kYears[k], lineNo, problems, m.figures[k]))
                figuresOk = false;
            anyFigure = anyFigure || m.figures[k].has_value();
        }
        if (figuresOk && !anyFigure) {
            problems.add(lineNo, "el municipio no tiene ninguna cifra de población");
            ok = false;
        }
        if (ok && figuresOk)
            municipalities.push_back(std::move(m));
    }

    if (problems.empty() && municipalities.empty())
        problems.addGeneral("no hay ningún municipio");
    if (municipalities.size() > kMaxUnits)
        problems.addGeneral("hay " + std::to_string(municipalities.size()) + " municipios y el catálogo numera como mucho "
                            + std::to_string(kMaxUnits));

    // The catalogue records, in source order for now.
    catalogue::Table table(catalogue::unitFields(), catalogue::kSpanishTraditional);
    if (problems.empty()) {
        for (const Municipality& m : municipalities) {
            const std::string noteUtf8 = note(m);
            const auto note1252 = catalogue::cp1252::fromUtf8(noteUtf8);
            if (!note1252 || note1252->size() < kNoteMin || note1252->size() > kNoteMax) {
                problems.add(m.line, "la nota del municipio ocupa " + std::to_string(note1252 ? note1252->size() : 0)
                                         + " bytes, fuera de " + std::to_string(kNoteMin) + " a "
                                         + std::to_string(kNoteMax));
                continue;
            }
            std::vector<std::optional<std::string>> values = {
                std::string(), // IDENT, given once the order is known
                std::to_string(kKindMunicipality),
                catalogue::cp1252::withoutAcuteAccents(m.dictionary),
                m.dictionary,
                m.dictionary,
                *note1252,
            };
            for (const auto& figure : m.figures)
                values.push_back(figure ? catalogue::censusValue(*figure) : std::string("-"));
            table.addRecord(values);
        }
    }

    if (!problems.empty()) {
        for (const auto& message : problems.messages())
            std::cerr << message << "\n";
        std::cerr << "poblacion-convert: " << problems.messages().size()
                  << (problems.messages().size() == 1 ? " error" : " errores") << "; no se ha escrito " << outputPath
                  << "\n";
        return 1;
    }

    // Stored order: the order of the lists, by search name.
    const catalogue::Collation collation(catalogue::kSpanishTraditional);
    const std::vector<std::uint32_t> order = catalogue::orderBy(table, kNombreBusc, collation);

    std::string out;
    for (std::size_t f = 0; f < table.fieldCount(); ++f)
        out += (f ? "," : "") + table.fields()[f].name;
    out += '\n';
    std::uint32_t number = 0;
    for (std::uint32_t record : order) {
        ++number;
        appendQuoted(out, std::to_string(kKindMunicipality * 10000 + number));
        for (std::size_t f = kTiponum; f < table.fieldCount(); ++f) {
            out += ',';
            if (!table.isNull(record, f))
                appendQuoted(out, catalogue::cp1252::toUtf8(table.text(record, f)));
        }
        out += '\n';
    }

    std::string why;
    if (!writeFile(outputPath, out, why)) {
        std::cerr << "poblacion-convert: no se puede escribir " << outputPath << ": " << why << "\n";
        return 1;
    }
    return 0;
}
