// poblacion-convert as a process: the catalogue CSV it writes from a sample of
// the municipal census table, and its refusals of bad input.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "cp1252.h"

namespace fs = std::filesystem;

namespace {

const std::string kSample = std::string(TEST_DATA_DIR) + "/source/municipios_muestra.csv";
const std::string kHeader = "ine,nombre,provincia,1900,1910,1920,1930,1940,1950,1960,1970,1981,1991,2001,2004";

std::string readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeAll(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

struct Outcome {
    int exitCode = -1;
    std::string errors; // what it wrote on stderr
};

// A fresh directory per test, removed afterwards.
class ConvertTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "poblacion-convert-test-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path path(const std::string& name) const { return dir_ / name; }

    Outcome convert(const std::vector<std::string>& args) const
    {
        std::string command = std::string("'") + CONVERT_PATH + "'";
        for (const auto& arg : args)
            command += " '" + arg + "'";
        command += " > /dev/null 2> '" + path("stderr.txt").string() + "'";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readAll(path("stderr.txt"))};
    }

    // Converts `source` (the text of a source file) into out.csv.
    Outcome convertText(const std::string& source) const
    {
        writeAll(path("in.csv"), source);
        return convert({path("in.csv").string(), path("out.csv").string()});
    }

    fs::path dir_;
};

// The records of the catalogue CSV, one row per line after the header; a quoted
// cell is a value, an empty cell null.
using Row = std::vector<std::optional<std::string>>;
std::vector<Row> parseCatalogue(const std::string& text)
{
    std::vector<Row> rows;
    std::istringstream in(text);
    std::string header;
    std::getline(in, header);
    for (std::string line; std::getline(in, line);) {
        Row& row = rows.emplace_back();
        for (std::size_t i = 0; i <= line.size(); ++i) { // i at the start of a cell
            if (i == line.size() || line[i] != '"') {
                row.emplace_back(std::nullopt);
                continue;
            }
            std::string value;
            for (++i; i < line.size() && !(line[i] == '"' && (i + 1 == line.size() || line[i + 1] != '"')); ++i)
                value += line[i] == '"' ? line[++i] : line[i];
            row.emplace_back(value);
            ++i; // the closing quote; then the comma
        }
    }
    return rows;
}

std::map<std::string, Row> byName(const std::vector<Row>& rows)
{
    std::map<std::string, Row> out;
    for (const auto& row : rows)
        out[*row[3]] = row;
    return out;
}

// The sample with some of its lines (numbered from 1) replaced.
std::string sampleWith(const std::map<std::size_t, std::string>& replacements)
{
    std::istringstream in(readAll(kSample));
    std::string text, current;
    for (std::size_t n = 1; std::getline(in, current); ++n)
        text += (replacements.count(n) ? replacements.at(n) : current) + "\n";
    return text;
}

TEST_F(ConvertTest, SampleBecomesMunicipalitiesInSpanishOrder)
{
    const Outcome run = convert({kSample, path("out.csv").string()});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.errors, "");
    const std::string text = readAll(path("out.csv"));
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_TRUE(text.starts_with("IDENT,TIPONUM,NOMBREBUSC,NOMBREDICC,NOMBREMOST,COMENTARIO,1900,1910,1920,1930,"
                                 "1940,1950,1960,1970,1981,1991,2001,2004\n"));
    const auto rows = parseCatalogue(text);
    ASSERT_EQ(rows.size(), 18u);

    // Article behind the name, accents gone from the search name but ñ kept,
    // "ch" after "c", "ll" after "l", ñ after n.
    const std::vector<std::pair<std::string, std::string>> order = {
        {"Ainsa-Sobrarbe", "Aínsa-Sobrarbe"}, {"Almunia de Doña Godina (La)", "Almunia de Doña Godina (La)"},
        {"Almunia de San Juan", "Almunia de San Juan"}, {"Baells", "Baélls"},
        {"Cuevas Labradas", "Cuevas Labradas"}, {"Chalamera", "Chalamera"}, {"Epila", "Épila"},
        {"Fayos (Los)", "Fayos (Los)"}, {"Grado (El)", "Grado (El)"}, {"Luna", "Luna"},
        {"Lupiñen-Ortilla", "Lupiñén-Ortilla"}, {"Lledo", "Lledó"}, {"Peñalba", "Peñalba"},
        {"Peñas de Riglos (Las)", "Peñas de Riglos (Las)"}, {"Prueba de Ceros", "Prueba de Ceros"},
        {"Vencillon", "Vencillón"}, {"Villamayor de Gallego", "Villamayor de Gállego"}, {"Zaragoza", "Zaragoza"}};
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const Row& row = rows[k];
        ASSERT_EQ(row.size(), 18u);
        for (std::size_t f = 0; f < row.size(); ++f)
            ASSERT_TRUE(row[f].has_value()) << "record " << k << " field " << f;
        EXPECT_EQ(*row[0], std::to_string(20001 + k));
        EXPECT_EQ(*row[1], "2");
        EXPECT_EQ(*row[2], order[k].first);
        EXPECT_EQ(*row[3], order[k].second);
        EXPECT_EQ(*row[4], *row[3]) << "display name is the dictionary name";
        const auto note = catalogue::cp1252::fromUtf8(*row[5]);
        ASSERT_TRUE(note) << *row[3];
        EXPECT_GE(note->size(), 61u) << *row[3];
        EXPECT_LE(note->size(), 399u) << *row[3];
        EXPECT_EQ(row[5]->find_first_of("\r\n\t<>{}"), std::string::npos) << *row[5];
    }
}

TEST_F(ConvertTest, CensusValuesAndNotes)
{
    ASSERT_EQ(convert({kSample, path("out.csv").string()}).exitCode, 0);
    const auto rows = byName(parseCatalogue(readAll(path("out.csv"))));
    const auto values = [&](const std::string& name) {
        std::string out;
        for (std::size_t f = 6; f < 18; ++f)
            out += *rows.at(name)[f] + " ";
        return out;
    };
    // Spanish number form; an empty figure is "-", zero stays "0".
    EXPECT_EQ(values("Zaragoza"),
              "98.397 109.957 138.617 160.179 202.948 241.867 301.655 467.223 569.830 592.548 612.472 638.799 ");
    EXPECT_EQ(values("Vencillón"), "- - - - 149 147 88 456 542 514 468 446 ");
    EXPECT_EQ(values("Villamayor de Gállego"), "1.894 1.870 1.932 2.013 2.253 2.252 2.320 2.143 2.025 1.846 2.433 - ");
    EXPECT_EQ(values("Prueba de Ceros"), "1 0 0 0 0 0 0 0 0 0 0 0 ");

    const auto note = [&](const std::string& name) { return *rows.at(name)[5]; };
    EXPECT_EQ(note("Zaragoza"), "Municipio de la provincia de Zaragoza, con el código INE 50297. Su mayor población "
                                "censal, 612.472 habitantes, corresponde al censo de 2001. En el padrón municipal "
                                "de 2004 tenía 638.799 habitantes.");
    EXPECT_EQ(note("Vencillón"), "Municipio de la provincia de Huesca, con el código INE 22909. Sin cifra de "
                                 "población en los censos de 1900, 1910, 1920 y 1930. Su mayor población censal, "
                                 "542 habitantes, corresponde al censo de 1981. En el padrón municipal de 2004 "
                                 "tenía 446 habitantes.");
    EXPECT_EQ(note("Villamayor de Gállego"),
              "Municipio de la provincia de Zaragoza, con el código INE 50903. Su mayor población censal, 2.433 "
              "habitantes, corresponde al censo de 2001. El padrón municipal de 2004 no da cifra propia de este "
              "municipio.");
    EXPECT_NE(note("Baélls").find("780 habitantes, corresponde a los censos de 1910 y 1920."), std::string::npos);
    EXPECT_NE(note("Prueba de Ceros").find("1 habitante, corresponde al censo de 1900."), std::string::npos);
    EXPECT_NE(note("Prueba de Ceros").find("En el padrón municipal de 2004 no tenía habitantes."), std::string::npos);
    EXPECT_NE(note("Lledó").find("provincia de Teruel, con el código INE 44141."), std::string::npos);
}

TEST_F(ConvertTest, LineEndsByteOrderMarkQuotedCellsAndFullWidthAreAccepted)
{
    ASSERT_EQ(convert({kSample, path("plain.csv").string()}).exitCode, 0);
    const std::string plain = readAll(path("plain.csv"));

    std::string crlf = "\xEF\xBB\xBF";
    std::istringstream in(readAll(kSample));
    for (std::string line; std::getline(in, line);)
        crlf += line + "\r\n";
    const Outcome run = convertText(crlf);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(readAll(path("out.csv")), plain);

    const Outcome quotedRun = convertText(sampleWith({{18, "\"50297\",\"Zaragoza\",\"Zaragoza\",\"98397\",109957,138617,"
                                                     "160179,202948,241867,301655,467223,569830,592548,612472,"
                                                     "638799"}}));
    ASSERT_EQ(quotedRun.exitCode, 0) << quotedRun.errors;
    EXPECT_EQ(readAll(path("out.csv")), plain);

    // 46 bytes in code page 1252 (47 in UTF-8): fits exactly, nothing cut.
    const std::string name = "Villañueva del Rebollar de la Sierra de Moncay";
    const Outcome wide = convertText(sampleWith({{8, "22905," + name + ",Huesca,1,2,3,4,5,6,7,8,9,10,11,12"}}));
    ASSERT_EQ(wide.exitCode, 0) << wide.errors;
    EXPECT_EQ(*byName(parseCatalogue(readAll(path("out.csv")))).at(name)[2], name);
}

TEST_F(ConvertTest, MalformedRowsAreRefusedWithTheirLineAndNothingIsWritten)
{
    struct Case {
        std::size_t line;
        std::string row;
        std::string says; // part of the message
    };
    const std::vector<Case> cases = {
        {3, "22043,Baélls,Huesca,737,780,780,673,583,535,444,315,226,171,144", "tiene 14 campos y debe tener 15"},
        {3, "22043,Baélls,Huesca,737,780,780,673,583,535,444,315,226,171,144,134,9", "tiene 16 campos"},
        {4, "22094,Chalamera,Huesca,427,475,493,403,370,334,280,252,201,166,156,15x3", "no es un número entero"},
        {4, "22094,Chalamera,Huesca,427,475,493,403,370,334,280,252,201,166,156,1.153", "no es un número entero"},
        {4, "22094,Chalamera,Huesca,427,475,493,403,370,334,280,252,201,166, 156,153", "no es un número entero"},
        {5, "22115,El Grado,Huesca,1605,-1486,1616,1453,1373,1063,1367,821,670,590,518,511", "es negativa"},
        {6, "22172,Peñalba,Navarra,1158,1331,1307,1313,1361,1062,893,841,814,797,784,742", "provincia desconocida"},
        {6, "22172,Peñalba,,1158,1331,1307,1313,1361,1062,893,841,814,797,784,742", "provincia desconocida"},
        {7, "22173,Ł Peñas,Huesca,2226,2633,2429,2459,2233,1816,1467,698,392,283,268,282", "página de códigos 1252"},
        // A source saved in code page 1252 instead of UTF-8.
        {7, "22173,Las Pe\xF1" "as de Riglos,Huesca,2226,2633,2429,2459,2233,1816,1467,698,392,283,268,282",
         "el nombre «Las Pe\\xF1as de Riglos» no es UTF-8 válido"},
        {7, "22173,,Huesca,2226,2633,2429,2459,2233,1816,1467,698,392,283,268,282", "nombre está vacío"},
        // 47 bytes as written.
        {8, "22905,Villanueva del Rebollar de la Sierra de Moncayo,Huesca,1,2,3,4,5,6,7,8,9,10,11,12",
         "ocupa 47 bytes y el catálogo admite 46"},
        // 45 bytes as written, 47 once the article moves behind the name.
        {8, "22905,La Villanueva del Rebollar de la Sierra Altas,Huesca,1,2,3,4,5,6,7,8,9,10,11,12",
         "ocupa 47 bytes"},
        {10, "22909,Vencillón,Huesca,,,,,149,147,88,456,542,514,468,1234567", "no cabe en los 7 caracteres"},
        {10, "22909,Vencillón,Huesca,,,,,,,,,,,,", "no tiene ninguna cifra"},
        {11, "4409,Cuevas Labradas,Teruel,401,401,393,394,391,390,370,254,248,216,153,162", "no tiene cinco cifras"},
        {11, "50094,Cuevas Labradas,Teruel,401,401,393,394,391,390,370,254,248,216,153,162",
         "no es de la provincia de Teruel"},
        {11, "22043,Cuevas Labradas,Huesca,401,401,393,394,391,390,370,254,248,216,153,162", "ya aparece en la línea 3"},
        {12, "44141,\"Lledó,Teruel,580,629,543,550,490,437,373,321,276,229,209,191", "comillas sin cerrar"},
        {1, "ine;nombre;provincia;1900;1910;1920;1930;1940;1950;1960;1970;1981;1991;2001;2004", "la cabecera"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        writeAll(path("out.csv"), "previous catalogue\n");
        const Outcome run = convertText(sampleWith({{c.line, c.row}}));
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.errors.find("in.csv:" + std::to_string(c.line) + ": "), std::string::npos) << run.errors;
        EXPECT_NE(run.errors.find(c.says), std::string::npos) << run.errors;
        EXPECT_EQ(readAll(path("out.csv")), "previous catalogue\n");
        EXPECT_FALSE(fs::exists(path("out.csv.tmp")));
    }

    // Every fault is reported, not only the first.
    fs::remove(path("out.csv"));
    const Outcome run =
        convertText(sampleWith({{3, "22043,Baélls,Huesca,737,x,780,673,583,535,444,315,226,171,144,134"},
                                {16, "50106,Los Fayos,Soria,521,490,538,505,522,532,452,330,210,174,174,-175"}}));
    EXPECT_EQ(run.exitCode, 1);
    for (const char* says : {"in.csv:3: la cifra de 1910", "in.csv:16: provincia desconocida",
                             "in.csv:16: la cifra de 2004", "3 errores"})
        EXPECT_NE(run.errors.find(says), std::string::npos) << run.errors;
    EXPECT_FALSE(fs::exists(path("out.csv")));
}

TEST_F(ConvertTest, UsageAndUnreadableInput)
{
    writeAll(path("empty.csv"), "");
    writeAll(path("header.csv"), kHeader + "\n");
    const std::vector<std::tuple<std::vector<std::string>, int, std::string>> cases = {
        {{}, 2, "uso: poblacion-convert"},
        {{kSample}, 2, "uso: poblacion-convert"},
        {{kSample, path("out.csv").string(), path("b.csv").string()}, 2, "uso: poblacion-convert"},
        {{path("no-existe.csv").string(), path("out.csv").string()}, 1, "no se puede leer"},
        {{path("empty.csv").string(), path("out.csv").string()}, 1, ""},
        {{path("header.csv").string(), path("out.csv").string()}, 1, "no hay ningún municipio"},
        {{kSample, path("no-such-dir/out.csv").string()}, 1, "no se puede escribir"},
    };
    for (const auto& [args, code, says] : cases) {
        const Outcome run = convert(args);
        EXPECT_EQ(run.exitCode, code) << says;
        EXPECT_NE(run.errors.find(says), std::string::npos) << run.errors;
        EXPECT_FALSE(fs::exists(path("out.csv")));
    }
}

// The committed catalogue is what the converter makes of the census table, when
// that table is at hand (beside the clone, as in CI).
TEST_F(ConvertTest, CommittedCatalogueIsTheConverterOutput)
{
    const fs::path source = fs::path(SOURCE_DIR) / "../shared/data/aragon-municipios-1900-2004.csv";
    if (!fs::exists(source))
        GTEST_SKIP() << "no census table at " << source;
    const Outcome run = convert({source.string(), path("out.csv").string()});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(readAll(path("out.csv")) == readAll(fs::path(SOURCE_DIR) / "resources/pueblos.csv"))
        << "resources/pueblos.csv is stale: regenerate it with poblacion-convert";
}

} // namespace
