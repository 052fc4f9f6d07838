// poblacion-convert as a process: the catalogue CSV it writes from a sample of
// the municipal census table, and its refusals of bad input.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "collation.h"
#include "cp1252.h"
#include "table.h"

namespace fs = std::filesystem;

namespace {

const std::string kSample = std::string(TEST_DATA_DIR) + "/source/municipios_muestra.csv";
const std::string kHeader = "ine,nombre,provincia,1900,1910,1920,1930,1940,1950,1960,1970,1981,1991,2001,2004";
const std::vector<std::string> kFields = {"IDENT", "TIPONUM", "NOMBREBUSC", "NOMBREDICC", "NOMBREMOST", "COMENTARIO",
                                          "1900",  "1910",    "1920",       "1930",       "1940",       "1950",
                                          "1960",  "1970",    "1981",       "1991",       "2001",       "2004"};

std::string readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeAll(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
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
        static std::atomic<int> counter{0};
        dir_ = fs::temp_directory_path()
               / ("poblacion-convert-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        fs::create_directories(dir_);
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    fs::path path(const std::string& name) const { return dir_ / name; }

    Outcome convert(const std::vector<std::string>& args) const
    {
        std::string command = std::string("'") + CONVERT_PATH + "'";
        for (const auto& arg : args)
            command += " '" + arg + "'";
        const fs::path err = dir_ / "stderr.txt";
        command += " > /dev/null 2> '" + err.string() + "'";
        const int status = std::system(command.c_str());
        Outcome run;
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.errors = readAll(err);
        return run;
    }

    // Converts `source` (the text of a source file) into out.csv.
    Outcome convertText(const std::string& source) const
    {
        writeAll(path("in.csv"), source);
        return convert({path("in.csv").string(), path("out.csv").string()});
    }

    fs::path dir_;
};

// The catalogue CSV: header, then one row per record; a quoted cell is a value,
// an empty cell null. Fails the test on anything else.
using Row = std::vector<std::optional<std::string>>;
std::vector<Row> parseCatalogue(const std::string& text, std::string& header)
{
    std::vector<Row> rows;
    std::istringstream in(text);
    std::string line;
    std::getline(in, header);
    while (std::getline(in, line)) {
        Row row;
        std::size_t i = 0;
        while (true) {
            if (i < line.size() && line[i] == '"') {
                std::string value;
                ++i;
                while (i < line.size()) {
                    if (line[i] == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                        value += '"';
                        i += 2;
                    } else if (line[i] == '"') {
                        ++i;
                        break;
                    } else {
                        value += line[i++];
                    }
                }
                row.emplace_back(value);
            } else {
                row.emplace_back(std::nullopt);
            }
            if (i >= line.size())
                break;
            EXPECT_EQ(line[i], ',') << line;
            ++i;
        }
        rows.push_back(std::move(row));
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

std::string sampleWith(std::size_t line, const std::string& replacement)
{
    std::istringstream in(readAll(kSample));
    std::string text, current;
    for (std::size_t n = 1; std::getline(in, current); ++n)
        text += (n == line ? replacement : current) + "\n";
    return text;
}

TEST_F(ConvertTest, SampleBecomesMunicipalitiesInSpanishOrder)
{
    const Outcome run = convert({kSample, path("out.csv").string()});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.errors, "");
    const std::string text = readAll(path("out.csv"));
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(text.find('\r'), std::string::npos);

    std::string header;
    const auto rows = parseCatalogue(text, header);
    std::string expectedHeader;
    for (const auto& f : kFields)
        expectedHeader += (expectedHeader.empty() ? "" : ",") + f;
    EXPECT_EQ(header, expectedHeader);
    ASSERT_EQ(rows.size(), 18u);

    // "ch" after "c" and "ll" after "l", article behind the name, ñ after n.
    const std::vector<std::string> order = {
        "Ainsa-Sobrarbe", "Almunia de Doña Godina (La)", "Almunia de San Juan", "Baells", "Cuevas Labradas",
        "Chalamera",      "Epila",                       "Fayos (Los)",         "Grado (El)", "Luna",
        "Lupiñen-Ortilla", "Lledo",                      "Peñalba",             "Peñas de Riglos (Las)",
        "Prueba de Ceros", "Vencillon",                  "Villamayor de Gallego", "Zaragoza"};
    const catalogue::Collation spanish(catalogue::kSpanishTraditional);
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const Row& row = rows[k];
        ASSERT_EQ(row.size(), kFields.size());
        for (std::size_t f = 0; f < row.size(); ++f)
            EXPECT_TRUE(row[f].has_value()) << "record " << k << " field " << kFields[f];
        EXPECT_EQ(*row[0], std::to_string(20001 + k));
        EXPECT_EQ(*row[1], "2");
        EXPECT_EQ(*row[2], order[k]);
        EXPECT_EQ(*row[4], *row[3]) << "display name is the dictionary name";
        if (k > 0) {
            EXPECT_LT(spanish.compare(*catalogue::cp1252::fromUtf8(*rows[k - 1][2]),
                                      *catalogue::cp1252::fromUtf8(*row[2])),
                      0);
        }
    }
}

TEST_F(ConvertTest, NamesArticleAccentsAndEñe)
{
    ASSERT_EQ(convert({kSample, path("out.csv").string()}).exitCode, 0);
    std::string header;
    const auto rows = byName(parseCatalogue(readAll(path("out.csv")), header));
    ASSERT_TRUE(rows.count("Almunia de Doña Godina (La)"));
    EXPECT_EQ(*rows.at("Almunia de Doña Godina (La)")[2], "Almunia de Doña Godina (La)");
    EXPECT_EQ(*rows.at("Peñas de Riglos (Las)")[2], "Peñas de Riglos (Las)");
    EXPECT_EQ(*rows.at("Grado (El)")[2], "Grado (El)");
    EXPECT_EQ(*rows.at("Fayos (Los)")[2], "Fayos (Los)");
    // Accents go from the search name only; ñ stays.
    EXPECT_EQ(*rows.at("Épila")[2], "Epila");
    EXPECT_EQ(*rows.at("Aínsa-Sobrarbe")[2], "Ainsa-Sobrarbe");
    EXPECT_EQ(*rows.at("Lupiñén-Ortilla")[2], "Lupiñen-Ortilla");
    EXPECT_EQ(*rows.at("Villamayor de Gállego")[2], "Villamayor de Gallego");
    // A name merely beginning with the letters of an article keeps its place.
    EXPECT_EQ(*rows.at("Lledó")[2], "Lledo");
    EXPECT_EQ(*rows.at("Luna")[2], "Luna");
}

TEST_F(ConvertTest, CensusValuesInSpanishNumberForm)
{
    ASSERT_EQ(convert({kSample, path("out.csv").string()}).exitCode, 0);
    std::string header;
    const auto rows = byName(parseCatalogue(readAll(path("out.csv")), header));
    const auto values = [&](const std::string& name) {
        std::vector<std::string> out;
        for (std::size_t f = 6; f < kFields.size(); ++f)
            out.push_back(*rows.at(name)[f]);
        return out;
    };
    EXPECT_EQ(values("Zaragoza"),
              (std::vector<std::string>{"98.397", "109.957", "138.617", "160.179", "202.948", "241.867", "301.655",
                                        "467.223", "569.830", "592.548", "612.472", "638.799"}));
    EXPECT_EQ(values("Vencillón"), (std::vector<std::string>{"-", "-", "-", "-", "149", "147", "88", "456", "542",
                                                             "514", "468", "446"}));
    EXPECT_EQ(values("Villamayor de Gállego").back(), "-");
    EXPECT_EQ(values("Villamayor de Gállego").front(), "1.894");
    EXPECT_EQ(values("Prueba de Ceros"),
              (std::vector<std::string>{"1", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0"}));
    EXPECT_EQ(values("Almunia de San Juan")[1], "1.190");
}

TEST_F(ConvertTest, NotesStateTheFigures)
{
    ASSERT_EQ(convert({kSample, path("out.csv").string()}).exitCode, 0);
    std::string header;
    const auto rows = byName(parseCatalogue(readAll(path("out.csv")), header));
    for (const auto& [name, row] : rows) {
        const std::string& note = *row[5];
        const auto bytes = catalogue::cp1252::fromUtf8(note);
        ASSERT_TRUE(bytes) << name;
        EXPECT_GE(bytes->size(), 61u) << name;
        EXPECT_LE(bytes->size(), 399u) << name;
        EXPECT_TRUE(note.starts_with("Municipio de la provincia de ")) << note;
        EXPECT_EQ(note.find_first_of("\r\n\t<>{}"), std::string::npos) << note;
    }
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
    EXPECT_NE(note("Chalamera").find("provincia de Huesca"), std::string::npos);
    EXPECT_NE(note("Lledó").find("provincia de Teruel, con el código INE 44141."), std::string::npos);
}

TEST_F(ConvertTest, WidthsCountCodePageBytes)
{
    // 46 bytes in code page 1252 (47 in UTF-8): fits exactly, nothing cut.
    const std::string name = "Villañueva del Rebollar de la Sierra de Moncay";
    const Outcome run = convertText(sampleWith(8, "22905," + name + ",Huesca,1,2,3,4,5,6,7,8,9,10,11,12"));
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    std::string header;
    const auto rows = byName(parseCatalogue(readAll(path("out.csv")), header));
    ASSERT_TRUE(rows.count(name));
    EXPECT_EQ(catalogue::cp1252::fromUtf8(*rows.at(name)[3])->size(), 46u);
    EXPECT_EQ(*rows.at(name)[2], name);
}

TEST_F(ConvertTest, LineEndsByteOrderMarkAndQuotedCellsAreAccepted)
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

    const Outcome quotedRun = convertText(sampleWith(18, "\"50297\",\"Zaragoza\",\"Zaragoza\",\"98397\",109957,138617,"
                                                     "160179,202948,241867,301655,467223,569830,592548,612472,"
                                                     "638799"));
    ASSERT_EQ(quotedRun.exitCode, 0) << quotedRun.errors;
    EXPECT_EQ(readAll(path("out.csv")), plain);
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
        const Outcome run = convertText(sampleWith(c.line, c.row));
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.errors.find("in.csv:" + std::to_string(c.line) + ": "), std::string::npos) << run.errors;
        EXPECT_NE(run.errors.find(c.says), std::string::npos) << run.errors;
        EXPECT_EQ(readAll(path("out.csv")), "previous catalogue\n");
        EXPECT_FALSE(fs::exists(path("out.csv.tmp")));
    }
}

TEST_F(ConvertTest, EveryFaultIsReportedNotOnlyTheFirst)
{
    std::string text = sampleWith(3, "22043,Baélls,Huesca,737,x,780,673,583,535,444,315,226,171,144,134");
    std::istringstream in(text);
    std::string all, line;
    for (std::size_t n = 1; std::getline(in, line); ++n)
        all += (n == 16 ? "50106,Los Fayos,Soria,521,490,538,505,522,532,452,330,210,174,174,-175" : line) + "\n";
    const Outcome run = convertText(all);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.errors.find("in.csv:3: la cifra de 1910"), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find("in.csv:16: provincia desconocida"), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find("in.csv:16: la cifra de 2004"), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find("3 errores"), std::string::npos) << run.errors;
    EXPECT_FALSE(fs::exists(path("out.csv")));
}

TEST_F(ConvertTest, UsageAndUnreadableInput)
{
    EXPECT_EQ(convert({}).exitCode, 2);
    EXPECT_EQ(convert({kSample}).exitCode, 2);
    const Outcome three = convert({kSample, path("a.csv").string(), path("b.csv").string()});
    EXPECT_EQ(three.exitCode, 2);
    EXPECT_NE(three.errors.find("uso: poblacion-convert"), std::string::npos);
    EXPECT_FALSE(fs::exists(path("a.csv")));

    const Outcome missing = convert({path("no-existe.csv").string(), path("out.csv").string()});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.errors.find("no se puede leer"), std::string::npos);
    EXPECT_FALSE(fs::exists(path("out.csv")));

    const Outcome empty = convertText("");
    EXPECT_EQ(empty.exitCode, 1);
    const Outcome headerOnly = convertText(kHeader + "\n");
    EXPECT_EQ(headerOnly.exitCode, 1);
    EXPECT_NE(headerOnly.errors.find("no hay ningún municipio"), std::string::npos);

    const Outcome unwritable = convert({kSample, path("no-such-dir/out.csv").string()});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_NE(unwritable.errors.find("no se puede escribir"), std::string::npos);
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
