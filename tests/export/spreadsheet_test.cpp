// Lists of units written as a workbook and as CSV, read back with other
// readers: the sheet's XML through unzip, the workbook through openpyxl, the
// CSV through Python's csv module; and files written whole or not at all.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "export_fixture.h"
#include "spreadsheet.h"
#include "workbook.h"
#include "wholefile.h"

namespace fs = std::filesystem;
using exporttest::allRows;
using exporttest::output;
using exporttest::rowWithCode;

namespace {

class SpreadsheetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("export-test-" + std::to_string(::getpid()) + "-"
                                              + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::permissions(folder, fs::perms::owner_all, ignored);
        fs::remove_all(folder, ignored);
    }
    std::string path(const char* name) const { return (folder / name).string(); }
    // The names in the folder: nothing but what a test wrote is left there.
    std::vector<std::string> folderContents() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    static std::string readAll(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    fs::path folder;
};

std::vector<exporting::UnitRow> someRows()
{
    return {rowWithCode("50297"), rowWithCode("50049"), rowWithCode("509010001"), rowWithCode("50095000304")};
}

} // namespace

TEST_F(SpreadsheetTest, TheWorkbookSheetHoldsNumbersAsNumbersAndGapsAsNoCell)
{
    const std::string book = path("lista.xlsx");
    exporting::writeWorkbook(book, someRows());
    int status = -1;
    const std::string xml = output("unzip -p '" + book + "' xl/worksheets/sheet1.xml", &status);
    ASSERT_EQ(status, 0);
    // Zaragoza's row: its code as text, 1900 (column F) as the number 98397.
    EXPECT_NE(xml.find("<c r=\"F2\"><v>98397</v></c>"), std::string::npos) << xml.substr(0, 2000);
    EXPECT_NE(xml.find("<c r=\"Q2\"><v>638799</v></c>"), std::string::npos);
    EXPECT_NE(xml.find("<c r=\"A2\" t=\"inlineStr\"><is><t>50297</t></is></c>"), std::string::npos);
    // The entity's row (4) has no cell at all for 1900.
    EXPECT_EQ(xml.find("r=\"F4\""), std::string::npos);
    EXPECT_NE(xml.find("r=\"D4\" t=\"inlineStr\"><is><t>Biel</t>"), std::string::npos);
    // The header row frozen.
    EXPECT_NE(xml.find("<pane ySplit=\"1\" topLeftCell=\"A2\" activePane=\"bottomLeft\" state=\"frozen\"/>"),
              std::string::npos);
    const std::string sheets = output("unzip -p '" + book + "' xl/workbook.xml");
    EXPECT_NE(sheets.find("<sheet name=\"Unidades\" sheetId=\"1\""), std::string::npos) << sheets;
    EXPECT_NE(sheets.find("<sheet name=\"Fuentes\" sheetId=\"2\""), std::string::npos);
    EXPECT_EQ(folderContents(), std::vector<std::string>{"lista.xlsx"});
}

TEST_F(SpreadsheetTest, OpenpyxlReadsEveryUnitWithItsFiguresAndTheSources)
{
    const std::string book = path("todas.xlsx");
    exporting::writeWorkbook(book, allRows());
    int status = -1;
    const std::string read = output("/usr/bin/python3 '" SOURCE_DIR "/tests/export/read_workbook.py' '" + book
                                        + "' 50297 50049 509010001 50095000304",
                                    &status);
    ASSERT_EQ(status, 0) << read;
    EXPECT_EQ(read,
              "sheets=Unidades,Fuentes\n"
              "freeze=A2\n"
              "rows=2556\n"
              "header=Código|Unidad|Tipo|Municipio|Comarca|1900|1910|1920|1930|1940|1950|1960|1970|1981|1991|2001|2004\n"
              "row=50049|Biel -- municipio histórico|Municipio||Cinco Villas|n:1330|n:1357|n:1251|n:1151|n:949|n:850|n:681|n:404||||\n"
              "row=50297|Zaragoza|Municipio||Central|n:98397|n:109957|n:138617|n:160179|n:202948|n:241867|n:301655"
              "|n:467223|n:569830|n:592548|n:612472|n:638799\n"
              "row=509010001|Biel|Entidad|Biel|Cinco Villas||||||||||||\n"
              "row=50095000304|Farasdués|Núcleo|Ejea de los Caballeros|Cinco Villas||||||||||||\n"
              // Rows as tall as their wrapped text: 15 points a line.
              "alto=75.0,45.0,45.0,45.0,75.0,None,60.0\n"
              "fuentes=Fuente\n"
              "cita=Licencia / Cita o atribución\n"
              "fuentes=IAEST (Instituto Aragonés de Estadística) / Aragón Open Data, «Serie histórica de población "
              "municipios» (censos de 1900 a 2001), e INE, Estadística del Padrón Continuo (padrón a 1 de enero de "
              "2004), republicados en «La casa caída» (jorgeatgu/la-casa-caida, commit 21019a4)\n"
              "cita=Creative Commons Reconocimiento-CompartirIgual 4.0 Internacional (CC BY-SA 4.0) / «La casa caída» "
              "(jorgeatgu/la-casa-caida), IAEST / Aragón Open Data, INE\n"
              "fuentes=INE, «Alteraciones de los municipios en los Censos de Población desde 1842», en la "
              "recopilación franvillamil/scrap-INE-census\n"
              "cita=Reutilización permitida por el INE citando al INE como fuente / Fuente: INE, Alteraciones de los "
              "municipios en los Censos de Población desde 1842\n"
              "fuentes=IAEST, Nomenclátor (padrón), tabla 02-020005A, publicada por Aragón Open Data en "
              "aragonopendata/local-data-aragopedia\n"
              "cita=Licencia del repositorio: EUPL 1.1 o posterior / Fuente: IAEST, Nomenclátor\n"
              "fuentes=IAEST, Nomenclátor (padrón 2020) por comarca, tabla 02-020005TC, publicada por Aragón Open "
              "Data en aragonopendata/local-data-aragopedia\n"
              "cita=Licencia del repositorio: EUPL 1.1 o posterior / Fuente: IAEST\n"
              "fuentes=Catálogo de Población (resources/pueblos.csv), que reúne y adapta las fuentes de arriba\n"
              "cita=Creative Commons Reconocimiento-CompartirIgual 4.0 Internacional (CC BY-SA 4.0), la de la tabla de "
              "censos que adapta; esta lista se comparte con la misma licencia / Con las atribuciones y citas de cada "
              "fuente de arriba\n"
              "fuentes=Una celda vacía en las cifras: el catálogo no tiene esa cifra (las entidades y los núcleos no "
              "tienen cifras de 1900 a 2004; un municipio histórico, solo en los censos en que fue municipio).\n");
}

TEST_F(SpreadsheetTest, TheSourcesAreThoseOfTheUnitsListed)
{
    // Entities alone, without comarcas: the nomenclátor and the catalogue.
    exporting::UnitRow entity = rowWithCode("509010001");
    entity.comarca.clear();
    const std::vector<exporting::UnitRow> rows = {entity};
    const std::string book = path("entidad.xlsx");
    exporting::writeWorkbook(book, rows);
    const std::string read = output("/usr/bin/python3 '" SOURCE_DIR "/tests/export/read_workbook.py' '" + book + "'");
    EXPECT_EQ(read.find("La casa"), std::string::npos) << read;
    EXPECT_EQ(read.find("Alteraciones"), std::string::npos);
    EXPECT_EQ(read.find("02-020005TC"), std::string::npos);
    EXPECT_NE(read.find("fuentes=IAEST, Nomenclátor (padrón), tabla 02-020005A"), std::string::npos);
    EXPECT_NE(read.find("fuentes=Catálogo de Población"), std::string::npos);

    // No units: the header row alone, and no sources to name.
    const std::string empty = path("vacia.xlsx");
    exporting::writeWorkbook(empty, {});
    const std::string readEmpty = output("/usr/bin/python3 '" SOURCE_DIR "/tests/export/read_workbook.py' '" + empty + "'");
    EXPECT_NE(readEmpty.find("rows=1\n"), std::string::npos) << readEmpty;
    EXPECT_EQ(readEmpty.find("fuentes=IAEST"), std::string::npos);
}

TEST_F(SpreadsheetTest, TheCsvHasBareNumbersEmptyGapsAndQuotesWhereNeeded)
{
    exporting::UnitRow quoted;
    quoted.code = "1";
    quoted.name = "Uno, \"dos\"";
    quoted.kind = exporting::UnitKind::Entity;
    quoted.figures[0] = 7;
    std::vector<exporting::UnitRow> rows = someRows();
    rows.push_back(quoted);
    const std::string text = exporting::csvText(rows);
    EXPECT_EQ(text,
              "Código,Unidad,Tipo,Municipio,Comarca,1900,1910,1920,1930,1940,1950,1960,1970,1981,1991,2001,2004\r\n"
              "50297,Zaragoza,Municipio,,Central,98397,109957,138617,160179,202948,241867,301655,467223,569830,592548,"
              "612472,638799\r\n"
              "50049,Biel -- municipio histórico,Municipio,,Cinco Villas,1330,1357,1251,1151,949,850,681,404,,,,\r\n"
              "509010001,Biel,Entidad,Biel,Cinco Villas,,,,,,,,,,,,\r\n"
              "50095000304,Farasdués,Núcleo,Ejea de los Caballeros,Cinco Villas,,,,,,,,,,,,\r\n"
              "1,\"Uno, \"\"dos\"\"\",Entidad,,,7,,,,,,,,,,,\r\n");

    // Python's csv module reads the file written as the same cells.
    const std::string file = path("lista.csv");
    exporting::writeCsv(file, rows);
    EXPECT_EQ(readAll(file), text);
    const std::string read = output("/usr/bin/python3 -c 'import csv,sys\n"
                                    "rows = list(csv.reader(open(sys.argv[1], encoding=\"utf-8\", newline=\"\")))\n"
                                    "print(len(rows), len(rows[1]), rows[1][5], repr(rows[3][5]), rows[5][1])' '"
                                    + file + "'");
    EXPECT_EQ(read, "6 17 98397 '' Uno, \"dos\"\n");
}

TEST_F(SpreadsheetTest, AnUnwritablePlaceIsRefusedInSpanishAndLeavesNothing)
{
    const auto messageOf = [](const std::function<void()>& write) {
        try {
            write();
        } catch (const exporting::ExportError& e) {
            return std::string(e.what());
        }
        return std::string("(escrito)");
    };
    const std::vector<exporting::UnitRow> rows = someRows();

    const std::string missing = path("no-existe/lista.xlsx");
    EXPECT_EQ(messageOf([&] { exporting::writeWorkbook(missing, rows); }),
              "No se puede crear el archivo " + missing + ": La carpeta " + path("no-existe") + " no existe");
    EXPECT_EQ(messageOf([&] { exporting::writeCsv(missing, rows); }),
              "No se puede crear el archivo " + missing + ": La carpeta " + path("no-existe") + " no existe");

    fs::create_directory(folder / "carpeta.csv");
    EXPECT_EQ(messageOf([&] { exporting::writeCsv(path("carpeta.csv"), rows); }),
              "No se puede crear el archivo " + path("carpeta.csv") + ": Es una carpeta");
    EXPECT_EQ(folderContents(), std::vector<std::string>{"carpeta.csv"});

    if (::geteuid() != 0) { // root writes anywhere
        fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_EQ(messageOf([&] { exporting::writeCsv(path("lista.csv"), rows); }),
                  "No se puede crear el archivo " + path("lista.csv") + ": Permiso denegado");
        fs::permissions(folder, fs::perms::owner_all);
    }
    // Causes no folder of the test can bring about: their messages.
    EXPECT_EQ(exporting::cannotCreateMessage("/x/lista.csv", ENOSPC),
              "No se puede crear el archivo /x/lista.csv: No queda espacio en el disco");
    EXPECT_EQ(exporting::cannotCreateMessage("/x/lista.csv", EROFS),
              "No se puede crear el archivo /x/lista.csv: El disco es de solo lectura");
    EXPECT_EQ(exporting::cannotCreateMessage("/x/lista.csv", EIO), "No se puede crear el archivo /x/lista.csv");
}

TEST_F(SpreadsheetTest, AFailedWriteLeavesTheOldFileAsItWas)
{
    const std::string file = path("lista.csv");
    exporting::writeWholeText(file, "antes\n");
    EXPECT_THROW(exporting::writeWhole(file, [](const std::string& temporary) {
                     std::ofstream(temporary) << "a medias";
                     return ENOSPC;
                 }),
                 exporting::ExportError);
    EXPECT_EQ(readAll(file), "antes\n");
    EXPECT_THROW(exporting::writeWhole(file, [](const std::string&) -> int { throw exporting::ExportError("corte"); }),
                 exporting::ExportError);
    EXPECT_EQ(readAll(file), "antes\n");
    EXPECT_EQ(folderContents(), std::vector<std::string>{"lista.csv"});

    // A successful write replaces it, with the permissions of a new file.
    exporting::writeCsv(file, someRows());
    EXPECT_EQ(readAll(file).substr(0, 7), "Código");
    struct stat written {};
    ASSERT_EQ(::stat(file.c_str(), &written), 0);
    const mode_t mask = ::umask(022);
    ::umask(mask);
    EXPECT_EQ(written.st_mode & 0777, 0666 & ~mask);
    EXPECT_EQ(folderContents(), std::vector<std::string>{"lista.csv"});
}
