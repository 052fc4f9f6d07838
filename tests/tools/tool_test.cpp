// The catalogue tool run as a process: dump and build, their refusals and exit
// codes, counts, filter and number.

#include <algorithm>
#include <string>
#include <vector>

#include "packet.h"
#include "process_test.h"
#include "table.h"

namespace {

class Tool : public ProcessTest {
protected:
    Outcome run(const std::vector<std::string>& args) const { return ProcessTest::run(TOOL_PATH, args); }
    // Builds `csv` (written to a file) into out.pkt.
    Outcome build(std::string_view csv) const
    {
        writeAll(path("in.csv"), csv);
        return run({"build", path("in.csv"), path("out.pkt")});
    }
};

const std::string kHeader = "IDENT,TIPONUM,NOMBREBUSC,NOMBREDICC,NOMBREMOST,COMENTARIO,1900,1910,1920,1930,1940,1950,"
                            "1960,1970,1981,1991,2001,2004\n";
const std::string kCatalogue = std::string(TEST_PACKET_DIR) + "/catalogue.pkt";

// One CSV line of 18 quoted cells: the given first cells, then "-".
std::string line(std::vector<std::string> cells)
{
    cells.resize(18, "\"-\"");
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
    EXPECT_EQ(built.out + built.err, "");
    const Outcome dumped = run({"dump", path("c.pkt")});
    ASSERT_EQ(dumped.code, 0) << dumped.err;
    EXPECT_EQ(dumped.out, csv);

    // A header alone gives an empty catalogue.
    ASSERT_EQ(build(kHeader).code, 0);
    EXPECT_EQ(run({"dump", path("out.pkt")}).out, kHeader);
    EXPECT_EQ(run({"counts", path("out.pkt")}).out, "entradas 0\nreferencias 0\n");
}

TEST_F(Tool, CsvFormsNullsAndTextRoundTrip)
{
    // Quotes, commas, an empty text next to a null, cp1252 letters, the euro
    // sign, and a line break inside a quoted note.
    const std::string csv = kHeader
                            + line({"\"20001\"", "\"2\"", "\"Estación, Barrio de la\"", "\"Peñalba\"", "",
                                    "\"Dice \"\"hola\"\"\nen dos líneas; cuesta 5 €.\"", "\"\"", ""})
                            + line({"\"20002\"", "\"2\"", "\"Agüero ª\"", "\"x\"", "\"x\"", "\"\"\"\"\"\""});
    ASSERT_EQ(build(csv).code, 0);
    EXPECT_EQ(run({"dump", path("out.pkt")}).out, csv);

    const catalogue::Table t = catalogue::readPacket(readAll(path("out.pkt")));
    ASSERT_EQ(t.recordCount(), 2u); // in code page 1252, the empty text apart from the null
    EXPECT_EQ(t.lcid(), 1034);
    EXPECT_EQ(t.text(0, 5), "Dice \"hola\"\nen dos l\xEDneas; cuesta 5 \x80.");
    EXPECT_TRUE(!t.isNull(0, 6) && t.isNull(0, 7));

    // A byte order mark, unquoted values, CR LF and no newline at the end are accepted too.
    ASSERT_EQ(build("\xEF\xBB\xBF" + kHeader.substr(0, kHeader.size() - 1) + "\r\n"
                    + "20001,2,Abay,Abay,Abay,Nota,488,-,-,-,-,-,-,-,-,-,-,-\r\n"
                    + "20002,2,Used,Used,,Nota,1.016,-,-,-,-,-,-,-,-,-,-,-")
                  .code,
              0);
    EXPECT_EQ(run({"dump", path("out.pkt")}).out,
              kHeader + line({"\"20001\"", "\"2\"", "\"Abay\"", "\"Abay\"", "\"Abay\"", "\"Nota\"", "\"488\""})
                  + line({"\"20002\"", "\"2\"", "\"Used\"", "\"Used\"", "", "\"Nota\"", "\"1.016\""}));
}

// --- Refusals -------------------------------------------------------------------------------

TEST_F(Tool, RefusesBadCsvNamingTheLine)
{
    const std::string good = kHeader + kAbay + kAbay;
    std::string enes;
    for (int i = 0; i < 46; ++i)
        enes += "ñ";
    // 46 letters ñ are 92 bytes of UTF-8 but 46 bytes of cp1252: they fit.
    ASSERT_EQ(build(kHeader + line({"\"20001\"", "\"2\"", "\"" + enes + "\""})).code, 0);
    fs::remove(path("out.pkt"));
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "línea 1: el archivo está vacío"},
        {"IDENT,TIPONUM\n", "línea 1: la cabecera debe ser exactamente IDENT,TIPONUM,NOMBREBUSC"},
        {"IDENT,TIPONUM\n", ",2004,CODIGO (o la misma sin CODIGO)"},
        {good + "\"20003\",\"2\"\n", "línea 4: hay 2 celdas y deben ser 18"},
        {good + "\n", "línea 4: hay 1 celda y deben ser 18"},
        {kHeader + line({"\"200011\""}), "línea 2: el valor de IDENT (\"200011\") ocupa 6 bytes y el campo admite 5"},
        {kHeader + line({"\"20001\"", "\"2\"", "\"" + enes + "n\""}),
         "línea 2: el valor de NOMBREBUSC (\"" + enes + "n\") ocupa 47 bytes y el campo admite 46"},
        {kHeader + kAbay + line({"\"20002\"", "\"2\"", "\"Ābay\""}), "línea 3: el valor de NOMBREBUSC no es UTF-8 válido"},
        {kHeader + line({"\"20001\"", "\"2\"", "\"Abay\"x"}), "línea 2: después de las comillas de cierre"},
        {kHeader + "\"20001\"\r,\"2\"\n",
         "línea 2: después de las comillas de cierre debe venir una coma o el fin de la línea."},
        {kHeader + "20001,2,Ab\ray\n", "línea 2: retorno de carro fuera de comillas."},
        {kHeader + "20001,2,Ab\"ay\n", "línea 2: comillas en medio de un valor sin comillas."},
        {kHeader + kAbay + "\"20002\",\"2\",\"Abay\n\n", "línea 3: faltan las comillas de cierre"},
        // A value spread over lines: the error names the line where its record begins.
        {kHeader + line({"\"20001\"", "\"2\"", "\"a\nb\nc\"", "\"Abay\"", "\"Abay\"", "\"N\"", "\"12345678\""}),
         "línea 2: el valor de 1900"},
    };
    for (const auto& [csv, expected] : cases) {
        const Outcome r = build(csv);
        EXPECT_EQ(r.code, 1) << expected;
        EXPECT_NE(r.err.find(expected), std::string::npos) << "expected: " << expected << "\ngot: " << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(fs::exists(path("out.pkt"))) << expected;
    }
    // A failed build leaves the old packet and no temporary file; a good one replaces it whole.
    writeAll(path("out.pkt"), "OLD");
    EXPECT_EQ(build(kHeader + line({"\"2000001\""})).code, 1);
    EXPECT_EQ(readAll(path("out.pkt")), "OLD");
    ASSERT_EQ(build(kHeader + kAbay).code, 0);
    EXPECT_EQ(catalogue::readPacket(readAll(path("out.pkt"))).recordCount(), 1u);
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(dir))
        files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"in.csv", "out.pkt"}));
}

TEST_F(Tool, ExitCodesAndFileErrors)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"frobnicate"}, {"build", "a"}, {"filter", "a", "b", "--order"}, {"number"}, {"number", "1", "2"}}) {
        const Outcome r = run(args);
        EXPECT_EQ(r.code, 2) << (args.empty() ? "" : args[0]);
        EXPECT_NE(r.err.find("Uso:"), std::string::npos);
    }
    Outcome r = run({"--help"});
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("Uso:"), std::string::npos);

    ASSERT_EQ(build(kHeader + kAbay).code, 0);
    const std::string tool = "poblacion-tool: ";
    const std::vector<std::pair<std::vector<std::string>, std::string>> failures = {
        {{"dump", path("nothing.pkt")}, tool + "No se puede leer el archivo " + path("nothing.pkt") + ": no existe.\n"},
        {{"dump", path("in.csv")},
         tool + "El archivo " + path("in.csv") + " no es un paquete de datos válido: Mismatch in datapacket.\n"},
        {{"build", path("in.csv"), path("missing/out.pkt")},
         "No se puede escribir el archivo " + path("missing/out.pkt") + ": no existe."},
        {{"filter", kCatalogue, "tiponum = %"}, tool + "Carácter '%' inválido en una expresión de filtro\n"},
        {{"filter", kCatalogue, "nombrebusc = 'Ā'"}, "La expresión de filtro no es UTF-8 válido"},
        {{"filter", kCatalogue, "tiponum = 2", "--order", "NADA"}, tool + "No se encuentra el campo 'NADA'\n"},
    };
    for (const auto& [args, expected] : failures) {
        r = run(args);
        EXPECT_EQ(r.code, 1) << expected;
        EXPECT_EQ(r.out, "") << expected;
        if (expected.starts_with(tool))
            EXPECT_EQ(r.err, expected);
        else
            EXPECT_NE(r.err.find(expected), std::string::npos) << "expected: " << expected << "\ngot: " << r.err;
    }
}

// --- counts and filter ------------------------------------------------------------------------

TEST_F(Tool, CountsDistinctDictionaryNamesByTheirBytes)
{
    EXPECT_EQ(run({"counts", kCatalogue}).out, "entradas 35\nreferencias 40\n");
    const auto unit = [](const std::string& ident, const std::string& dicc) {
        return line({"\"" + ident + "\"", "\"3\"", "\"x\"", dicc, "\"x\"", "\"n\""});
    };
    ASSERT_EQ(build(kHeader + unit("30001", "\"San Juan\"") + unit("30002", "\"San Juan\"")
                    + unit("30003", "\"San juan\"") + unit("30004", "") + unit("30005", "\"\"")
                    + unit("30006", "\"Peña\"") + unit("30007", "\"Pena\""))
                  .code,
              0);
    // "San Juan", "San juan", "", "Peña", "Pena"; the null is not counted.
    EXPECT_EQ(run({"counts", path("out.pkt")}).out, "entradas 5\nreferencias 7\n");
}

TEST_F(Tool, FilterAndOrder)
{
    const std::pair<std::string, std::string> cases[] = {
        {"tiponum = 4", "4\n40001\n40002\n40003\n40004\n"},
        {"ident = 20099", "0\n"},
        // The expression is UTF-8 on the command line, code page 1252 in the packet.
        {"(tiponum = 2) and (Upper(nombrebusc) like '%PEÑA%')", "2\n20015\n20016\n"},
        {"(tiponum = 3) and (Upper(nombrebusc) like '%PENA%')", "1\n30011\n"},
    };
    for (const auto& [filter, expected] : cases) {
        const Outcome r = run({"filter", kCatalogue, filter});
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.out, expected) << filter;
    }
    // No filter text: every unit, in stored order.
    const std::string all = run({"filter", kCatalogue, ""}).out;
    EXPECT_TRUE(all.starts_with("40\n20001\n20002\n")) << all;
    EXPECT_TRUE(all.ends_with("\n40004\n")) << all;
}

// A catalogue with codes: the nineteenth field CODIGO is built, dumped and filtered on like the others; a
// catalogue without it, as the first packets were written, keeps its eighteen.
TEST_F(Tool, TheCodeFieldIsBuiltDumpedAndFilteredOn)
{
    const std::string header = kHeader.substr(0, kHeader.size() - 1) + ",CODIGO\n";
    const auto unit = [](const char* ident, const char* kind, const char* name, const char* code) {
        std::string row = line({ident, kind, name, name, name, "\"Unidad.\""});
        return row.substr(0, row.size() - 1) + "," + code + "\n";
    };
    const std::string csv = header + unit("\"20001\"", "\"2\"", "\"Ejea de los Caballeros\"", "\"50095\"")
                            + unit("\"20002\"", "\"2\"", "\"Vencillon\"", "\"22909\"")
                            + unit("\"30001\"", "\"3\"", "\"Ejea de los Caballeros\"", "\"500950003\"")
                            + unit("\"40001\"", "\"4\"", "\"Farasdues\"", "\"50095000304\"")
                            + unit("\"40002\"", "\"4\"", "\"Sin codigo\"", "");
    ASSERT_EQ(build(csv).code, 0);
    EXPECT_EQ(run({"dump", path("out.pkt")}).out, csv);
    const std::pair<std::string, std::string> cases[] = {
        {"codigo = '22909'", "1\n20002\n"},
        {"codigo like '50095%'", "3\n20001\n30001\n40001\n"},
        {"(tiponum = 4) and (codigo like '50095%')", "1\n40001\n"},
        {"codigo = '5009'", "0\n"},
    };
    for (const auto& [filter, expected] : cases) {
        const Outcome r = run({"filter", path("out.pkt"), filter});
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.out, expected) << filter;
    }
    // A code wider than eleven digits does not fit the field.
    const Outcome wide = build(header + unit("\"20001\"", "\"2\"", "\"Abay\"", "\"123456789012\""));
    EXPECT_EQ(wide.code, 1);
    EXPECT_NE(wide.err.find("línea 2: el valor de CODIGO (\"123456789012\") ocupa 12 bytes y el campo admite 11"),
              std::string::npos)
        << wide.err;

    // Without CODIGO: eighteen fields in the packet and in its dump, and a filter on the code says that the
    // catalogue has no such field.
    ASSERT_EQ(build(kHeader + kAbay).code, 0);
    EXPECT_EQ(catalogue::readPacket(readAll(path("out.pkt"))).fieldCount(), 18u);
    EXPECT_EQ(run({"dump", path("out.pkt")}).out, kHeader + kAbay);
    const Outcome noCode = run({"filter", path("out.pkt"), "codigo = '22909'"});
    EXPECT_EQ(noCode.code, 1);
    EXPECT_NE(noCode.err.find("codigo"), std::string::npos) << noCode.err;
}

TEST_F(Tool, NumberWritesAWholeNumberWithDotsBetweenThousands)
{
    const std::pair<std::string, std::string> numbers[] = {
        {"0", "0\n"}, {"488", "488\n"}, {"4068", "4.068\n"}, {"638799", "638.799\n"}, {" 007", "7\n"},
        {"-1500", "-1.500\n"}, {"2147483647", "2.147.483.647\n"}};
    for (const auto& [text, expected] : numbers) {
        const Outcome r = run({"number", text});
        EXPECT_EQ(r.code, 0) << text;
        EXPECT_EQ(r.out + r.err, expected) << text;
    }
    for (const std::string none : {"", "1.016", "12 ", "2147483648", "doce"}) {
        const Outcome r = run({"number", none});
        EXPECT_EQ(r.code, 1) << none;
        EXPECT_EQ(r.out, "") << none;
        EXPECT_EQ(r.err, "poblacion-tool: '" + none + "' no es un número entero.\n");
    }
}
