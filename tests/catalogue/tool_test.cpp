// The catalogue tool run as a process: dump and build, their refusals and exit
// codes, counts and filter.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "packet.h"
#include "table.h"

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int code = -1;
    std::string out;
    std::string err;
};

std::string readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeAll(const fs::path& path, std::string_view data)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
}

std::string shellQuote(const std::string& arg)
{
    std::string out = "'";
    for (char c : arg) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

class Tool : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "poblacion-tool-test-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override { fs::remove_all(dir); }

    Outcome run(const std::vector<std::string>& args) const
    {
        std::string command = shellQuote(TOOL_PATH);
        for (const auto& a : args)
            command += " " + shellQuote(a);
        command += " >" + shellQuote((dir / "stdout").string()) + " 2>" + shellQuote((dir / "stderr").string());
        const int status = std::system(command.c_str());
        Outcome r;
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = readAll(dir / "stdout");
        r.err = readAll(dir / "stderr");
        fs::remove(dir / "stdout");
        fs::remove(dir / "stderr");
        return r;
    }

    // Builds `csv` (written to a file) into a packet; returns the run.
    Outcome build(std::string_view csv, const std::string& packet = "out.pkt") const
    {
        writeAll(dir / "in.csv", csv);
        return run({"build", (dir / "in.csv").string(), (dir / packet).string()});
    }

    std::string path(const std::string& name) const { return (dir / name).string(); }

    fs::path dir;
};

const std::string kHeader = "IDENT,TIPONUM,NOMBREBUSC,NOMBREDICC,NOMBREMOST,COMENTARIO,1900,1910,1920,1930,1940,1950,"
                            "1960,1970,1981,1991,2001,2004\n";

// One CSV line of 18 quoted cells: the given first cells, then "-".
std::string line(std::vector<std::string> cells)
{
    while (cells.size() < 18)
        cells.push_back("\"-\"");
    std::string out;
    for (std::size_t i = 0; i < cells.size(); ++i)
        out += (i ? "," : "") + cells[i];
    return out + "\n";
}

const std::string kAbay = line({"\"20001\"", "\"2\"", "\"Abay\"", "\"Abay\"", "\"Abay\"", "\"Municipio.\"", "\"488\""});

} // namespace

// --- dump and build -------------------------------------------------------------------

TEST_F(Tool, DumpOfTheBuiltCatalogueGivesTheCsvBack)
{
    const std::string csv = readAll(fs::path(TEST_DATA_DIR) / "catalogue.csv");
    ASSERT_FALSE(csv.empty());
    const Outcome built = run({"build", std::string(TEST_DATA_DIR) + "/catalogue.csv", path("c.pkt")});
    ASSERT_EQ(built.code, 0) << built.err;
    EXPECT_EQ(built.out, "");
    EXPECT_EQ(built.err, "");
    const Outcome dumped = run({"dump", path("c.pkt")});
    ASSERT_EQ(dumped.code, 0) << dumped.err;
    EXPECT_EQ(dumped.out, csv);
    // The packet the test build made from the same CSV is the same packet.
    EXPECT_EQ(readAll(fs::path(TEST_PACKET_DIR) / "catalogue.pkt"), readAll(path("c.pkt")));
}

TEST_F(Tool, BuiltPacketHasTheCatalogueLayout)
{
    ASSERT_EQ(build(kHeader + kAbay).code, 0);
    const std::string p = readAll(path("out.pkt"));
    ASSERT_GT(p.size(), 536u);
    EXPECT_EQ(p.substr(0, 4), "\x96\x19\xE0\xBD");
    EXPECT_EQ(p[18], 3);                               // attributes
    EXPECT_EQ(p.substr(22, 2), std::string("\x18\x02")); // metadata size 536
    const catalogue::Table t = catalogue::readPacket(p);
    EXPECT_EQ(t.lcid(), 1034);
    ASSERT_EQ(t.fieldCount(), 18u);
    const std::vector<std::pair<std::string, int>> widths = {
        {"IDENT", 5}, {"TIPONUM", 1}, {"NOMBREBUSC", 46}, {"NOMBREDICC", 46}, {"NOMBREMOST", 55}, {"COMENTARIO", 1},
        {"1900", 7},  {"2004", 7}};
    for (const auto& [name, width] : widths) {
        const int i = t.fieldIndex(name);
        ASSERT_GE(i, 0) << name;
        EXPECT_EQ(t.fields()[static_cast<std::size_t>(i)].width, width) << name;
    }
    EXPECT_EQ(t.fields()[5].kind, catalogue::FieldKind::Memo);
    EXPECT_EQ(t.fields()[17].name, "2004");
}

TEST_F(Tool, QuotingNullsAndTextRoundTrip)
{
    // Quotes, commas, an empty text next to a null, cp1252 letters, the euro
    // sign, and a line break inside a quoted note.
    const std::string csv = kHeader
                            + line({"\"20001\"", "\"2\"", "\"Estación, Barrio de la\"", "\"Peñalba\"", "",
                                    "\"Dice \"\"hola\"\"\nen dos líneas; cuesta 5 €.\"", "\"\"", ""})
                            + line({"\"20002\"", "\"2\"", "\"Agüero ª\"", "\"x\"", "\"x\"", "\"\"\"\"\"\""});
    ASSERT_EQ(build(csv).code, 0);
    const Outcome dumped = run({"dump", path("out.pkt")});
    ASSERT_EQ(dumped.code, 0) << dumped.err;
    EXPECT_EQ(dumped.out, csv);

    const catalogue::Table t = catalogue::readPacket(readAll(path("out.pkt")));
    ASSERT_EQ(t.recordCount(), 2u);
    EXPECT_EQ(t.text(0, 2), "Estaci\xF3n, Barrio de la");
    EXPECT_TRUE(t.isNull(0, 4));
    EXPECT_EQ(t.text(0, 5), "Dice \"hola\"\nen dos l\xEDneas; cuesta 5 \x80.");
    EXPECT_FALSE(t.isNull(0, 6));
    EXPECT_EQ(t.text(0, 6), "");
    EXPECT_TRUE(t.isNull(0, 7));
    EXPECT_EQ(t.text(1, 2), "Ag\xFC"
                            "ero \xAA");
    EXPECT_EQ(t.text(1, 5), "\"\"");
}

TEST_F(Tool, AcceptsUnquotedValuesCrLfAndAMissingLastNewline)
{
    const std::string csv = kHeader.substr(0, kHeader.size() - 1) + "\r\n"
                            + "20001,2,Abay,Abay,Abay,Nota,488,-,-,-,-,-,-,-,-,-,-,-\r\n"
                            + "20002,2,Used,Used,,Nota,-,-,-,-,-,-,-,-,-,-,-,1.016";
    ASSERT_EQ(build(csv).code, 0);
    const Outcome dumped = run({"dump", path("out.pkt")});
    EXPECT_EQ(dumped.out,
        kHeader + line({"\"20001\"", "\"2\"", "\"Abay\"", "\"Abay\"", "\"Abay\"", "\"Nota\"", "\"488\""})
            + "\"20002\",\"2\",\"Used\",\"Used\",,\"Nota\","
            + "\"-\",\"-\",\"-\",\"-\",\"-\",\"-\",\"-\",\"-\",\"-\",\"-\",\"-\",\"1.016\"\n");
}

TEST_F(Tool, HeaderOnlyGivesAnEmptyCatalogue)
{
    ASSERT_EQ(build(kHeader).code, 0);
    EXPECT_EQ(readAll(path("out.pkt")).size(), 536u);
    EXPECT_EQ(run({"dump", path("out.pkt")}).out, kHeader);
    EXPECT_EQ(run({"counts", path("out.pkt")}).out, "entradas 0\nreferencias 0\n");
}

TEST_F(Tool, WidthsCountCp1252Bytes)
{
    std::string enes;
    for (int i = 0; i < 46; ++i)
        enes += "ñ";
    // 46 letters ñ are 92 bytes of UTF-8 but 46 bytes of cp1252: they fit.
    ASSERT_EQ(build(kHeader + line({"\"20001\"", "\"2\"", "\"" + enes + "\""})).code, 0);
    const Outcome r = build(kHeader + line({"\"20001\"", "\"2\"", "\"" + enes + "n\""}));
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("línea 2: el valor de NOMBREBUSC"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("ocupa 47 bytes y el campo admite 46"), std::string::npos) << r.err;
}

// --- Refusals -------------------------------------------------------------------------------

TEST_F(Tool, RefusesBadCsvNamingTheLine)
{
    const std::string good = kHeader + kAbay + kAbay;
    struct Case {
        std::string csv;
        std::string expected; // part of the message
    };
    const std::vector<Case> cases = {
        {"", "línea 1: el archivo está vacío"},
        {"IDENT,TIPONUM\n", "línea 1: la cabecera debe ser exactamente IDENT,TIPONUM,NOMBREBUSC"},
        {"ident" + kHeader.substr(5) + kAbay, "línea 1: la cabecera"},
        {kHeader.substr(0, kHeader.size() - 1) + ",EXTRA\n", "línea 1: la cabecera"},
        {good + "\"20003\",\"2\"\n", "línea 4: hay 2 celdas y deben ser 18"},
        {good + "\n", "línea 4: hay 1 celda y deben ser 18"},
        {good + kAbay.substr(0, kAbay.size() - 1) + ",\"-\"\n", "línea 4: hay 19 celdas"},
        {kHeader + line({"\"200011\""}), "línea 2: el valor de IDENT (\"200011\") ocupa 6 bytes y el campo admite 5"},
        {kHeader + kAbay + line({"\"20002\"", "\"2\"", "\"Ābay\""}),
            "línea 3: el valor de NOMBREBUSC no es UTF-8 válido"},
        {kHeader + line({"\"20001\"", "\"2\"", "\"Ab\xFFy\""}), "línea 2: el valor de NOMBREBUSC no es UTF-8"},
        {kHeader + line({"\"20001\"", "\"2\"", "\"Abay\"x"}), "línea 2: después de las comillas de cierre"},
        {kHeader + line({"\"20001\"", "\"2\"", "Ab\"ay"}), "línea 2: comillas en medio de un valor sin comillas"},
        {kHeader + kAbay + "\"20002\",\"2\",\"Abay\n\n", "línea 3: faltan las comillas de cierre"},
        {kHeader + kAbay + "\"20002\",\r\"2\"\n", "línea 3: retorno de carro fuera de comillas"},
        // A value spread over lines: the error names the line where its record begins.
        {kHeader + line({"\"20001\"", "\"2\"", "\"a\nb\nc\"", "\"Abay\"", "\"Abay\"", "\"N\"", "\"12345678\""}),
            "línea 2: el valor de 1900"},
    };
    for (const auto& c : cases) {
        const Outcome r = build(c.csv);
        EXPECT_EQ(r.code, 1) << c.expected;
        EXPECT_NE(r.err.find(c.expected), std::string::npos) << "expected: " << c.expected << "\ngot: " << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(fs::exists(path("out.pkt"))) << c.expected;
    }
}

TEST_F(Tool, FailedBuildLeavesTheOldPacketAndNoTemporaryFile)
{
    writeAll(path("out.pkt"), "OLD");
    const Outcome r = build(kHeader + line({"\"2000001\""}));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(readAll(path("out.pkt")), "OLD");
    // A good build replaces it whole.
    ASSERT_EQ(build(kHeader + kAbay).code, 0);
    EXPECT_NO_THROW(catalogue::readPacket(readAll(path("out.pkt"))));
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(dir))
        files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"in.csv", "out.pkt"}));
}

TEST_F(Tool, UnwritableOutput)
{
    writeAll(path("in.csv"), kHeader + kAbay);
    const Outcome r = run({"build", path("in.csv"), path("missing/out.pkt")});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("No se puede escribir el archivo " + path("missing/out.pkt") + ": no existe."),
              std::string::npos)
        << r.err;
}

TEST_F(Tool, ExitCodesAndUsage)
{
    Outcome r = run({});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("Uso:"), std::string::npos);
    EXPECT_EQ(run({"frobnicate"}).code, 2);
    EXPECT_EQ(run({"dump"}).code, 2);
    EXPECT_EQ(run({"dump", "a", "b"}).code, 2);
    EXPECT_EQ(run({"build", "a"}).code, 2);
    EXPECT_EQ(run({"counts"}).code, 2);
    EXPECT_EQ(run({"filter", "a"}).code, 2);
    EXPECT_EQ(run({"filter", "a", "b", "--order"}).code, 2);
    EXPECT_EQ(run({"filter", "a", "b", "--sort", "x"}).code, 2);
    r = run({"--help"});
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("Uso:"), std::string::npos);

    r = run({"dump", path("nothing.pkt")});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "poblacion-tool: No se puede leer el archivo " + path("nothing.pkt") + ": no existe.\n");
    EXPECT_EQ(r.out, "");
    r = run({"counts", dir.string()});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("es una carpeta"), std::string::npos) << r.err;
    r = run({"build", path("nothing.csv"), path("out.pkt")});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("no existe"), std::string::npos);
}

TEST_F(Tool, DumpRefusesWhatIsNoPacket)
{
    writeAll(path("in.csv"), kHeader + kAbay);
    Outcome r = run({"dump", path("in.csv")});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "poblacion-tool: El archivo " + path("in.csv")
                         + " no es un paquete de datos válido: Mismatch in datapacket.\n");
    EXPECT_EQ(r.out, "");

    ASSERT_EQ(build(kHeader + kAbay).code, 0);
    const std::string p = readAll(path("out.pkt"));
    writeAll(path("cut.pkt"), p.substr(0, p.size() - 1));
    r = run({"dump", path("cut.pkt")});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Paquete de datos truncado en el byte"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    r = run({"counts", path("cut.pkt")});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
}

// --- counts -----------------------------------------------------------------------------------

TEST_F(Tool, CountsOfTheSharedCatalogue)
{
    const Outcome r = run({"counts", std::string(TEST_PACKET_DIR) + "/catalogue.pkt"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "entradas 35\nreferencias 40\n");
}

TEST_F(Tool, CountsDistinctDictionaryNamesByTheirBytes)
{
    const auto unit = [](const std::string& ident, const std::string& dicc) {
        return line({"\"" + ident + "\"", "\"3\"", "\"x\"", dicc, "\"x\"", "\"n\""});
    };
    const std::string csv = kHeader + unit("30001", "\"San Juan\"") + unit("30002", "\"San Juan\"")
                            + unit("30003", "\"San juan\"") + unit("30004", "") + unit("30005", "\"\"")
                            + unit("30006", "\"Peña\"") + unit("30007", "\"Pena\"");
    ASSERT_EQ(build(csv).code, 0);
    const Outcome r = run({"counts", path("out.pkt")});
    EXPECT_EQ(r.code, 0);
    // "San Juan", "San juan", "", "Peña", "Pena"; the null is not counted.
    EXPECT_EQ(r.out, "entradas 5\nreferencias 7\n");
}

// --- filter ---------------------------------------------------------------------------------

namespace {

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        out.push_back(l);
    return out;
}

const std::string kCatalogue = std::string(TEST_PACKET_DIR) + "/catalogue.pkt";

} // namespace

TEST_F(Tool, FilterByKind)
{
    Outcome r = run({"filter", kCatalogue, "tiponum = 4"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "4\n40001\n40002\n40003\n40004\n");
    EXPECT_EQ(lines(run({"filter", kCatalogue, "tiponum = 2"}).out).size(), 21u);
    EXPECT_EQ(lines(run({"filter", kCatalogue, "tiponum = 3"}).out).front(), "16");
    EXPECT_EQ(run({"filter", kCatalogue, "ident = 30007"}).out, "1\n30007\n");
    EXPECT_EQ(run({"filter", kCatalogue, "ident = 20099"}).out, "0\n");
    // No filter text: every unit, in stored order.
    const auto all = lines(run({"filter", kCatalogue, ""}).out);
    ASSERT_EQ(all.size(), 41u);
    EXPECT_EQ(all[0], "40");
    EXPECT_EQ(all[1], "20001");
    EXPECT_EQ(all[40], "40004");
}

TEST_F(Tool, FilterSearchTakesUtf8)
{
    const std::string pena = "(tiponum = 2) and (Upper(nombrebusc) like '%PEÑA%')";
    EXPECT_EQ(run({"filter", kCatalogue, pena}).out, "2\n20015\n20016\n");
    EXPECT_EQ(run({"filter", kCatalogue, "(tiponum = 3) and (Upper(nombrebusc) like '%PENA%')"}).out, "1\n30011\n");
    EXPECT_EQ(lines(run({"filter", kCatalogue, "(tiponum = 3) and (Upper(nombrebusc) like '%%')"}).out).front(),
              "16");
}

TEST_F(Tool, FilterOrderedBySearchName)
{
    const auto out = lines(run({"filter", kCatalogue, "tiponum = 2", "--order", "NOMBREBUSC"}).out);
    ASSERT_EQ(out.size(), 21u);
    const std::vector<std::string> rows(out.begin() + 1, out.end());
    const std::vector<std::string> expected = {"20001", "20002", "20003", "Biel", "Biel", "20007", "20006",
                                               "20009", "20008", "20011", "20010", "20012", "20013", "20015",
                                               "20016", "20014", "Used", "Used", "20019", "20020"};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (expected[i] == "Biel")
            EXPECT_TRUE(rows[i] == "20004" || rows[i] == "20005") << i << ": " << rows[i];
        else if (expected[i] == "Used")
            EXPECT_TRUE(rows[i] == "20017" || rows[i] == "20018") << i << ": " << rows[i];
        else
            EXPECT_EQ(rows[i], expected[i]) << "position " << i;
    }
    // The field name is matched regardless of case.
    EXPECT_EQ(run({"filter", kCatalogue, "tiponum = 2", "--order", "nombrebusc"}).out,
              run({"filter", kCatalogue, "tiponum = 2", "--order", "NOMBREBUSC"}).out);
}

TEST_F(Tool, FilterErrors)
{
    Outcome r = run({"filter", kCatalogue, "tiponum = %"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "poblacion-tool: Carácter '%' inválido en una expresión de filtro\n");
    EXPECT_EQ(r.out, "");
    r = run({"filter", kCatalogue, "nombrebusc = 'Ā'"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("La expresión de filtro no es UTF-8 válido"), std::string::npos) << r.err;
    r = run({"filter", kCatalogue, "tiponum = 2", "--order", "NADA"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "poblacion-tool: No se encuentra el campo 'NADA'\n");
    r = run({"filter", kCatalogue, "poblacion = 2"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "poblacion-tool: No se encuentra el campo 'poblacion'\n");
    r = run({"filter", path("none.pkt"), "tiponum = 2"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("no existe"), std::string::npos);
}
