// The comparison window with units of the catalogue: adding (ten at most,
// none twice), removing by Supr and by the buttons, the three measures with
// their values, gaps for "-", the table's derived columns, the text read by
// assistive technology, and the page exported to PDF read by pdftotext.
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QPrinter>
#include <QRegularExpression>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

#include "compare_units.h"
#include "comparisonchart.h"
#include "comparisontable.h"
#include "comparisonwindow.h"
#include "messages.h"

namespace {

using compare::Measure;
using namespace compare_test;

QStringList messages;
void recordMessage(const QString&, const QString& text, bool) { messages << text; }

class ComparisonWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        messages.clear();
        ui::setMessageSink(&recordMessage);
    }
    void TearDown() override { ui::setMessageSink(nullptr); }

    // The value a series draws at a year; NaN for a gap, -1 for no point.
    static double valueAt(const QCPGraph* graph, int year)
    {
        for (auto point = graph->data()->constBegin(); point != graph->data()->constEnd(); ++point)
            if (point->key == year)
                return point->value;
        return -1;
    }

    QStringList rowOf(int row) const
    {
        QStringList texts;
        for (int column = 0; column < ComparisonTable::kColumns; ++column)
            texts << window.table()->item(row, column)->text();
        return texts;
    }

    ComparisonWindow window;
};

// Adding and removing.

TEST_F(ComparisonWindowTest, TakesTenUnitsAndRefusesTheEleventhWithAMessage)
{
    for (const ComparedUnit& unit : tenUnits())
        EXPECT_EQ(window.addUnit(unit), ComparisonWindow::Addition::Added);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(window.addUnit(ainzon()), ComparisonWindow::Addition::Full);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], "La comparación ya tiene 10 unidades, las que caben: quite una para añadir «Ainzón».");
    EXPECT_EQ(window.units().size(), 10u);
    EXPECT_EQ(window.table()->rowCount(), 10);
    EXPECT_EQ(window.chart()->seriesCount(), 10u);
    EXPECT_EQ(window.chart()->legend->itemCount(), 10);
}

TEST_F(ComparisonWindowTest, AUnitAlreadyThereIsNotAddedAgainAndItsRowBecomesCurrent)
{
    window.addUnit(zaragoza());
    window.addUnit(huesca());
    EXPECT_EQ(window.addUnit(zaragoza()), ComparisonWindow::Addition::AlreadyThere);
    EXPECT_EQ(messages, QStringList{"«Zaragoza» ya está en la comparación."});
    EXPECT_EQ(window.units().size(), 2u);
    EXPECT_EQ(window.table()->currentRow(), 0);
    // The municipality and the entity of Huesca share a name, not a code.
    EXPECT_EQ(window.addUnit(huescaEntity()), ComparisonWindow::Addition::Added);
    EXPECT_EQ(window.units().size(), 3u);
}

TEST_F(ComparisonWindowTest, SuprRemovesTheCurrentRowAndTheButtonsRemoveAndEmpty)
{
    window.addUnit(zaragoza());
    window.addUnit(huesca());
    window.addUnit(vencillon());
    window.show();
    window.table()->setFocus();
    window.table()->setCurrentCell(1, 1);
    QTest::keyClick(window.table(), Qt::Key_Delete);
    ASSERT_EQ(window.units().size(), 2u);
    EXPECT_EQ(window.units()[0].name, "Zaragoza");
    EXPECT_EQ(window.units()[1].name, "Vencillón");
    EXPECT_EQ(window.table()->item(1, 1)->text(), "Vencillón");
    EXPECT_EQ(window.chart()->seriesCount(), 2u);
    EXPECT_EQ(window.chart()->series(1)->name(), "Vencillón");
    // The current row stays in place, here the new last one.
    EXPECT_EQ(window.table()->currentRow(), 1);

    QList<QPushButton*> buttons = window.findChildren<QPushButton*>();
    auto button = [&](const QString& text) {
        for (QPushButton* b : buttons)
            if (b->text() == text)
                return b;
        return static_cast<QPushButton*>(nullptr);
    };
    ASSERT_NE(button("&Quitar"), nullptr);
    button("&Quitar")->click();
    ASSERT_EQ(window.units().size(), 1u);
    EXPECT_EQ(window.units()[0].name, "Zaragoza");
    window.addUnit(huesca());
    button("&Vaciar")->click();
    EXPECT_TRUE(window.units().empty());
    EXPECT_EQ(window.table()->rowCount(), 0);
    EXPECT_FALSE(button("&Quitar")->isEnabled());
    EXPECT_EQ(window.chart()->notice(),
              "Añada unidades desde la ventana principal: Unidad > Añadir a la comparación (Ctrl+D).");
}

// What the chart draws.

TEST_F(ComparisonWindowTest, HabitantesDrawsTheFiguresAgainstTheYearWithGapsForMissingOnes)
{
    window.addUnit(zaragoza());
    window.addUnit(vencillon());
    const QCPGraph* zaragozaLine = window.chart()->series(0);
    const QCPGraph* vencillonLine = window.chart()->series(1);
    EXPECT_EQ(zaragozaLine->name(), "Zaragoza");
    EXPECT_EQ(valueAt(zaragozaLine, 1900), 98397);
    EXPECT_EQ(valueAt(zaragozaLine, 1981), 569830);
    EXPECT_EQ(valueAt(zaragozaLine, 2004), 638799);
    for (int year : {1900, 1910, 1920, 1930})
        EXPECT_TRUE(std::isnan(valueAt(vencillonLine, year))) << year;
    EXPECT_EQ(valueAt(vencillonLine, 1940), 149);
    EXPECT_EQ(valueAt(vencillonLine, 1991), 514);
    EXPECT_EQ(window.chart()->yAxis->label(), "Habitantes");
    EXPECT_EQ(window.chart()->yAxis->range().upper, 638799 * 1.05);
    EXPECT_TRUE(window.chart()->notice().isEmpty());
}

TEST_F(ComparisonWindowTest, TheAxisLabelsAreInSpanishForm)
{
    window.addUnit(zaragoza());
    window.chart()->resize(800, 400);
    window.chart()->replot();
    QVector<double> ticks;
    QVector<QString> labels;
    window.chart()->yAxis->ticker()->generate(window.chart()->yAxis->range(), QLocale::c(), 'g', 6, ticks, nullptr,
                                              &labels);
    EXPECT_TRUE(labels.contains("600.000")) << labels.join(' ').toStdString();
    window.chart()->xAxis->ticker()->generate(QCPRange(1896, 2008), QLocale::c(), 'g', 6, ticks, nullptr, &labels);
    EXPECT_EQ(labels.front(), "1900");
    EXPECT_EQ(labels.back(), "2000");

    window.setMeasure(Measure::Change);
    window.chart()->yAxis->ticker()->generate(QCPRange(-1, 1), QLocale::c(), 'g', 6, ticks, nullptr, &labels);
    EXPECT_TRUE(labels.contains("-0,5")) << labels.join(' ').toStdString();
}

TEST_F(ComparisonWindowTest, TheIndexOfZaragozaAndVencillonStartsAtTheirFirstCommonDate)
{
    window.addUnit(zaragoza());
    window.addUnit(vencillon());
    window.setMeasure(Measure::Index);
    EXPECT_EQ(window.chart()->indexBase(), 4u);
    EXPECT_EQ(window.chart()->yAxis->label(), "Índice (1940 = 100)");
    const QCPGraph* zaragozaLine = window.chart()->series(0);
    const QCPGraph* vencillonLine = window.chart()->series(1);
    EXPECT_NEAR(valueAt(zaragozaLine, 1900), 48.4838, 1e-4);
    EXPECT_DOUBLE_EQ(valueAt(zaragozaLine, 1940), 100.0);
    EXPECT_NEAR(valueAt(zaragozaLine, 1950), 119.1768, 1e-4);
    EXPECT_NEAR(valueAt(zaragozaLine, 2004), 314.7599, 1e-4);
    EXPECT_TRUE(std::isnan(valueAt(vencillonLine, 1930)));
    EXPECT_DOUBLE_EQ(valueAt(vencillonLine, 1940), 100.0);
    EXPECT_NEAR(valueAt(vencillonLine, 1950), 98.6577, 1e-4);
    EXPECT_NEAR(valueAt(vencillonLine, 1981), 363.7584, 1e-4);

    // A date the user picks: 1981.
    window.setIndexDate(8);
    EXPECT_EQ(window.chart()->yAxis->label(), "Índice (1981 = 100)");
    EXPECT_NEAR(valueAt(zaragozaLine = window.chart()->series(0), 2001), 107.4833, 1e-4);
    EXPECT_NEAR(valueAt(vencillonLine = window.chart()->series(1), 2004), 82.2878, 1e-4);
    EXPECT_NEAR(valueAt(vencillonLine, 1991), 94.8339, 1e-4);
}

TEST_F(ComparisonWindowTest, AnIndexDateWithoutAFigureLeavesThatUnitBlankAndSaysSo)
{
    window.addUnit(zaragoza());
    window.addUnit(vencillon());
    window.setMeasure(Measure::Index);
    window.setIndexDate(0); // 1900: Vencillón did not exist
    EXPECT_TRUE(std::isnan(valueAt(window.chart()->series(1), 1981)));
    EXPECT_EQ(window.chart()->notice(), "Sin valores que mostrar: Vencillón.");

    // An entity has no figure: the units have no date in common.
    window.clearUnits();
    window.addUnit(zaragoza());
    window.addUnit(huescaEntity());
    window.setIndexDate(std::nullopt);
    EXPECT_FALSE(window.chart()->indexBase());
    EXPECT_EQ(window.chart()->notice(),
              "Las unidades no tienen ninguna fecha con cifra en común: elija la fecha del índice.");
}

TEST_F(ComparisonWindowTest, TheChangeBetweenCensusesIsDrawnAtTheLaterDate)
{
    window.addUnit(zaragoza());
    window.addUnit(vencillon());
    window.setMeasure(Measure::Change);
    EXPECT_EQ(window.chart()->yAxis->label(), "Variación entre censos (%)");
    EXPECT_TRUE(std::isnan(valueAt(window.chart()->series(0), 1900)));
    EXPECT_NEAR(valueAt(window.chart()->series(0), 1910), 11.7483, 1e-4);
    EXPECT_TRUE(std::isnan(valueAt(window.chart()->series(1), 1940)));
    EXPECT_NEAR(valueAt(window.chart()->series(1), 1970), 418.1818, 1e-4);
}

TEST_F(ComparisonWindowTest, TheLogarithmicScaleIsForHabitantesAlone)
{
    window.addUnit(zaragoza());
    window.addUnit(abay());
    window.setLogarithmic(true);
    EXPECT_EQ(window.chart()->yAxis->scaleType(), QCPAxis::stLogarithmic);
    EXPECT_DOUBLE_EQ(window.chart()->yAxis->range().lower, 442 / 1.5);
    window.setMeasure(Measure::Index);
    EXPECT_EQ(window.chart()->yAxis->scaleType(), QCPAxis::stLinear);
    auto* box = window.findChild<QCheckBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->isEnabled());
}

TEST_F(ComparisonWindowTest, EachUnitHasItsOwnColourShapeAndLine)
{
    for (const ComparedUnit& unit : tenUnits())
        window.addUnit(unit);
    QSet<QRgb> colours;
    QSet<int> shapes;
    for (std::size_t place = 0; place < 10; ++place) {
        colours.insert(window.chart()->series(place)->pen().color().rgb());
        shapes.insert(window.chart()->series(place)->scatterStyle().shape());
    }
    EXPECT_EQ(colours.size(), 10);
    EXPECT_EQ(shapes.size(), 10);
    EXPECT_EQ(window.chart()->series(4)->pen().style(), Qt::SolidLine);
    EXPECT_EQ(window.chart()->series(5)->pen().style(), Qt::DashLine);
}

// The table.

TEST_F(ComparisonWindowTest, TheTableGivesCodeNameKindFiguresLargestAndChange)
{
    window.addUnit(zaragoza());
    window.addUnit(vencillon());
    window.addUnit(huescaEntity());
    EXPECT_EQ(ComparisonTable::headerTexts().join(','),
              "Código,Unidad,Tipo,1900,1910,1920,1930,1940,1950,1960,1970,1981,1991,2001,2004,Mayor cifra,Año,Variación");
    EXPECT_EQ(rowOf(0).join(','), "50297,Zaragoza,Municipio,98.397,109.957,138.617,160.179,202.948,241.867,301.655,"
                                  "467.223,569.830,592.548,612.472,638.799,638.799,2004,+549,2 %");
    EXPECT_EQ(rowOf(1).join(','), "22909,Vencillón,Municipio,-,-,-,-,149,147,88,456,542,514,468,446,542,1981,+199,3 %");
    EXPECT_EQ(rowOf(2).join(','), "221250008,Huesca,Entidad,-,-,-,-,-,-,-,-,-,-,-,-,-,-,-");
    window.clearUnits();
    window.addUnit(abay());
    EXPECT_EQ(rowOf(0).mid(15).join(','), "516,1930,+3,5 %");
}

// Assistive technology.

TEST_F(ComparisonWindowTest, TheChartIsReadAsATextWithEachSeriesValues)
{
    window.addUnit(zaragoza());
    window.addUnit(vencillon());
    window.show();
    // The window is read as a window, by its name.
    QAccessibleInterface* frame = QAccessible::queryAccessibleInterface(&window);
    EXPECT_EQ(frame->role(), QAccessible::Window);
    EXPECT_EQ(frame->text(QAccessible::Name), "Comparación");
    QAccessibleInterface* chart = QAccessible::queryAccessibleInterface(window.chart());
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(chart->role(), QAccessible::Chart);
    EXPECT_EQ(chart->text(QAccessible::Name), "Gráfico de la comparación");
    ASSERT_NE(chart->textInterface(), nullptr);
    const QString text = chart->textInterface()->text(0, -1);
    EXPECT_TRUE(text.startsWith("Comparación, Habitantes. Zaragoza (Municipio): 1900: 98.397; 1910: 109.957;"))
        << text.toStdString();
    EXPECT_TRUE(text.contains("Vencillón (Municipio): 1900: sin dato; 1910: sin dato; 1920: sin dato; 1930: sin "
                              "dato; 1940: 149; 1950: 147;"))
        << text.toStdString();
    window.setMeasure(Measure::Index);
    const QString index = chart->textInterface()->text(0, -1);
    EXPECT_TRUE(index.startsWith("Comparación, Índice (1940 = 100). Zaragoza (Municipio): 1900: 48,5;")) << index.toStdString();
    EXPECT_TRUE(index.contains("1981: 363,8")) << index.toStdString();
}

TEST_F(ComparisonWindowTest, EveryControlIsReachedWithTab)
{
    window.addUnit(zaragoza());
    window.show();
    QApplication::setActiveWindow(&window);
    QWidget* first = window.findChild<QComboBox*>();
    first->setFocus();
    QStringList reached;
    QWidget* at = first;
    for (int step = 0; step < 12; ++step) {
        reached << (at->accessibleName().isEmpty() ? at->metaObject()->className() : at->accessibleName());
        at = at->nextInFocusChain();
        while (!(at->focusPolicy() & Qt::TabFocus) || !at->isVisible() || !at->isEnabled())
            at = at->nextInFocusChain();
    }
    EXPECT_EQ(reached.mid(0, 6).join(','),
              "Mostrar,QCheckBox,Gráfico de la comparación,Unidades de la comparación,QPushButton,QPushButton")
        << reached.join(',').toStdString();
}

// On paper.

QString pdfText(const QString& fileName)
{
    QProcess process;
    process.start("pdftotext", {"-layout", fileName, "-"});
    if (!process.waitForFinished(30000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

TEST_F(ComparisonWindowTest, ExportsOnePageThatPdftotextReadsBack)
{
    QTemporaryDir folder;
    const QString fileName = folder.filePath("comparacion.pdf");
    window.addUnit(zaragoza());
    window.addUnit(vencillon());
    window.setMeasure(Measure::Index);
    window.setPdfDialog([&] { return std::optional<QString>(fileName); });
    window.exportPdf();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    const QString text = pdfText(fileName);
    EXPECT_TRUE(text.contains("Comparación de unidades de población")) << text.toStdString();
    EXPECT_TRUE(text.contains("Mostrar: Índice (1940 = 100)"));
    EXPECT_TRUE(text.contains("Impreso el "));
    EXPECT_TRUE(text.contains("50297")) << text.toStdString();
    EXPECT_TRUE(text.contains("98.397"));
    EXPECT_TRUE(text.contains("+549,2 %"));
    EXPECT_TRUE(text.contains("Vencillón"));
    EXPECT_TRUE(text.contains("Fuentes de las cifras: IAEST"));
    QProcess info;
    info.start("pdfinfo", {fileName});
    info.waitForFinished(30000);
    const QString pages = QString::fromUtf8(info.readAllStandardOutput());
    EXPECT_TRUE(pages.contains(QRegularExpression("Pages:\\s+1\\n"))) << pages.toStdString();
    EXPECT_TRUE(pages.contains("842 x 595")) << pages.toStdString();
}

TEST_F(ComparisonWindowTest, AnUnwritablePlaceGetsAMessageAndNoFile)
{
    QTemporaryDir folder;
    const QString fileName = folder.filePath("no/existe/comparacion.pdf");
    window.addUnit(zaragoza());
    window.setPdfDialog([&] { return std::optional<QString>(fileName); });
    window.exportPdf();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith("No se ha podido exportar la comparación a «" + fileName + "»: "))
        << messages[0].toStdString();
    EXPECT_FALSE(QFile::exists(fileName));
}

TEST_F(ComparisonWindowTest, PrintingCancelledPrintsNothing)
{
    window.addUnit(zaragoza());
    int asked = 0;
    window.setPrintDialog([&](QPrinter&) {
        ++asked;
        return false;
    });
    window.print();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ComparisonWindowTest, PrintsTheSamePageOnAPrinter)
{
    QTemporaryDir folder;
    const QString fileName = folder.filePath("impresora.pdf");
    window.addUnit(zaragoza());
    window.addUnit(huesca());
    window.setPrintDialog([&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(fileName);
        return true;
    });
    window.print();
    EXPECT_TRUE(messages.isEmpty());
    const QString text = pdfText(fileName);
    EXPECT_TRUE(text.contains("Mostrar: Habitantes")) << text.toStdString();
    EXPECT_TRUE(text.contains("22125")) << text.toStdString();
    EXPECT_TRUE(text.contains("47.923"));
    EXPECT_TRUE(text.contains("+250,2 %")) << text.toStdString();
}

} // namespace
