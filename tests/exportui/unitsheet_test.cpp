// The printed sheet of a unit, written as PDF and read back by poppler's
// pdftotext, pdfinfo and pdfimages: one A4 page with the unit's title, code,
// comarca, note, census table, chart (as text and lines, no picture), sources
// and the date.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <algorithm>
#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>

#include "../export/export_fixture.h"
#include "unitsheet.h"

using exporttest::embeddedTable;
using exporttest::output;

namespace {

exportui::UnitSheet sheetOf(std::string_view code)
{
    const exporting::UnitRowBuilder builder(embeddedTable(), exporttest::comarcaOf);
    const int codeField = embeddedTable().fieldIndex("CODIGO");
    for (std::size_t record = 0; record < embeddedTable().recordCount(); ++record)
        if (embeddedTable().text(record, static_cast<std::size_t>(codeField)) == code)
            return exportui::unitSheetOf(builder, embeddedTable(), record);
    return {};
}

const QDate kPrinted(2026, 12, 7);

class UnitSheetTest : public ::testing::Test {
protected:
    QString pdf(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    static std::string text(const QString& file, const char* options = "-layout")
    {
        return output(std::string("pdftotext ") + options + " '" + file.toStdString() + "' -");
    }
    QTemporaryDir dir;
};

} // namespace

TEST_F(UnitSheetTest, ZaragozaFitsOneA4PageWithItsFiguresCodeAndComarca)
{
    const exportui::UnitSheet zaragoza = sheetOf("50297");
    ASSERT_EQ(zaragoza.title, QStringLiteral("Municipio: Zaragoza"));
    const QString file = pdf("Zaragoza 50297.pdf");
    exportui::writeUnitSheetPdf(file, zaragoza, kPrinted);

    const std::string info = output("pdfinfo '" + file.toStdString() + "'");
    EXPECT_NE(info.find("Pages:           1\n"), std::string::npos) << info;
    EXPECT_NE(info.find("Page size:       595 x 842 pts (A4)"), std::string::npos) << info;
    EXPECT_NE(info.find("Title:           Municipio: Zaragoza\n"), std::string::npos) << info;

    const std::string page = text(file, "-raw");
    // Wrapped paragraphs read as one line.
    std::string joined = page;
    std::replace(joined.begin(), joined.end(), '\n', ' ');
    for (const char* expected :
         {"Municipio: Zaragoza\n", "Código 50297 · Comarca: Central\n",
          "Municipio de la provincia de Zaragoza, con el código INE 50297.", "Población por años\n",
          "1900 1910 1920 1930 1940 1950 1960 1970 1981 1991 2001 2004\n",
          "98.397 109.957 138.617 160.179 202.948 241.867 301.655 467.223 569.830 592.548 612.472 638.799\n",
          "Impreso el 7 de diciembre de 2026 con Población"})
        EXPECT_NE(page.find(expected), std::string::npos) << expected << "\n---\n" << page;
    EXPECT_NE(joined.find("Su mayor población censal, 612.472 habitantes, es la de 2001."), std::string::npos) << joined;
    EXPECT_NE(joined.find("Fuentes: «La casa caída» (jorgeatgu/la-casa-caida), IAEST / Aragón Open Data, INE (CC BY-SA "
                          "4.0); IAEST, Nomenclátor (EUPL 1.1 o posterior); IAEST (EUPL 1.1 o posterior). Ficha del "
                          "catálogo de Población, CC BY-SA 4.0."),
              std::string::npos)
        << joined;
    // The chart's axis labels are text in the page: the chart is drawn, not pasted as a picture.
    EXPECT_NE(page.find("600.000"), std::string::npos) << page;
    const std::string images = output("pdfimages -list '" + file.toStdString() + "'");
    EXPECT_EQ(std::count(images.begin(), images.end(), '\n'), 2) << images; // the heading lines alone
}

TEST_F(UnitSheetTest, AnEntitySaysItHasNoFiguresAndNamesItsMunicipality)
{
    const QString file = pdf("biel.pdf");
    exportui::writeUnitSheetPdf(file, sheetOf("509010001"), kPrinted);
    const std::string page = text(file, "-raw");
    EXPECT_NE(page.find("Entidad: Biel\n"), std::string::npos) << page;
    EXPECT_NE(page.find("Código 509010001 · Municipio: Biel · Comarca: Cinco Villas\n"), std::string::npos) << page;
    EXPECT_NE(page.find("- - - - - - - - - - - -\n"), std::string::npos) << page;
    EXPECT_NE(page.find("Este catálogo no tiene cifras de esta unidad de 1900 a 2004"), std::string::npos) << page;
    EXPECT_EQ(page.find("La casa"), std::string::npos) << page;
}

TEST_F(UnitSheetTest, AHistoricalMunicipalityNamesItsTerritorysComarcaAndCitesIne)
{
    const exportui::UnitSheet biel = sheetOf("50049");
    EXPECT_EQ(exportui::identityLine(biel.row), QStringLiteral("Código 50049 · Comarca de su territorio hoy: Cinco Villas"));
    EXPECT_EQ(exportui::sourcesLine(biel.row),
              QStringLiteral("Fuentes: INE, Alteraciones de los municipios en los Censos de Población desde 1842 "
                             "(reutilización citando al INE); IAEST, Nomenclátor (EUPL 1.1 o posterior); IAEST (EUPL "
                             "1.1 o posterior). Ficha del catálogo de Población, CC BY-SA 4.0."));
    EXPECT_EQ(exportui::suggestedFileName(biel), QStringLiteral("Biel -- municipio histórico 50049.pdf"));
    // Without a comarca lookup or a code, the line says what the catalogue does not give.
    exporting::UnitRow unknown;
    unknown.kind = exporting::UnitKind::Entity;
    EXPECT_EQ(exportui::identityLine(unknown),
              QStringLiteral("Este catálogo no da su código · Comarca: este catálogo no la da"));
}

TEST_F(UnitSheetTest, AnUnwritablePlaceIsRefusedAndAnOldFileStays)
{
    const QString missing = pdf("no-existe/ficha.pdf");
    try {
        exportui::writeUnitSheetPdf(missing, sheetOf("50297"), kPrinted);
        ADD_FAILURE() << "written";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(QString::fromUtf8(e.what()),
                  QStringLiteral("No se puede crear el archivo %1: La carpeta %2 no existe").arg(missing, pdf("no-existe")));
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden), QStringList());

    // A folder of that name is no file to replace.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("ficha.pdf")));
    EXPECT_THROW(exportui::writeUnitSheetPdf(pdf("ficha.pdf"), sheetOf("50297"), kPrinted), std::runtime_error);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
              QStringList{QStringLiteral("ficha.pdf")});
}

TEST_F(UnitSheetTest, ThePrinterPathPrintsTheSamePageToAPdfPrinter)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString file = pdf("impresa.pdf");
    printer.setOutputFileName(file);
    ASSERT_TRUE(exportui::printUnitSheet(printer, sheetOf("50297"), kPrinted));
    const std::string page = text(file, "-raw");
    EXPECT_NE(page.find("Código 50297 · Comarca: Central\n"), std::string::npos) << page;
    EXPECT_NE(page.find("98.397 109.957"), std::string::npos) << page;
    const std::string info = output("pdfinfo '" + file.toStdString() + "'");
    EXPECT_NE(info.find("Pages:           1\n"), std::string::npos) << info;
    EXPECT_NE(info.find("(A4)"), std::string::npos) << info;
}
