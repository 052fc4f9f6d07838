// Saving a chart: the format from the name or the filter, the three files
// read back by other programs (ImageMagick's identify, an XML reader,
// pdftotext), a failure that says why and leaves no file, and the context
// menu of the panel's chart and of the comparison's.
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QContextMenuEvent>
#include <QMenu>
#include <gtest/gtest.h>

#include "chartmenu.h"
#include "chartsaving.h"
#include "compare_units.h"
#include "comparisonchart.h"
#include "messages.h"
#include "populationchart.h"

namespace {

using charts::ChartFormat;

QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

TEST(ChartSaving, TheNameOrElseTheFilterGivesTheFormat)
{
    struct Case {
        QString name, filter, fileName;
        ChartFormat format;
    };
    const Case cases[] = {
        {"/tmp/a.png", charts::kPdfFilter, "/tmp/a.png", ChartFormat::Png},
        {"/tmp/a.SVG", charts::kPngFilter, "/tmp/a.SVG", ChartFormat::Svg},
        {"/tmp/a.pdf", charts::kSvgFilter, "/tmp/a.pdf", ChartFormat::Pdf},
        // Without one of the three extensions, the filter's is added.
        {"/tmp/Zaragoza", charts::kSvgFilter, "/tmp/Zaragoza.svg", ChartFormat::Svg},
        {"/tmp/Almunia (La)", charts::kPdfFilter, "/tmp/Almunia (La).pdf", ChartFormat::Pdf},
        {"/tmp/censo.1900", charts::kPngFilter, "/tmp/censo.1900.png", ChartFormat::Png},
        {"/tmp/b.", charts::kPngFilter, "/tmp/b.png", ChartFormat::Png},
    };
    for (const Case& c : cases) {
        const charts::SaveTarget target = charts::saveTarget(c.name, c.filter);
        EXPECT_EQ(target.fileName, c.fileName) << c.name.toStdString();
        EXPECT_EQ(target.format, c.format) << c.name.toStdString();
    }
}

class SavedChart : public ::testing::Test {
protected:
    SavedChart()
    {
        chart.resize(600, 300);
        chart.showUnits({compare_test::zaragoza(), compare_test::vencillon()}, compare::Measure::Population,
                        std::nullopt, false);
        chart.replot();
    }
    ComparisonChart chart;
    QTemporaryDir folder;
};

TEST_F(SavedChart, APngAtTwiceTheChartsSize)
{
    const QString fileName = folder.filePath("comparacion.png");
    EXPECT_EQ(charts::writeChart(chart, fileName, ChartFormat::Png), std::nullopt);
    EXPECT_EQ(run("identify", {"-format", "%m %w %h", fileName}), "PNG 1200 600");
}

TEST_F(SavedChart, AnSvgDrawingWithTheLegendAsText)
{
    const QString fileName = folder.filePath("comparacion.svg");
    EXPECT_EQ(charts::writeChart(chart, fileName, ChartFormat::Svg), std::nullopt);
    const QString script = "import sys, xml.etree.ElementTree as T\n"
                           "root = T.parse(sys.argv[1]).getroot()\n"
                           "texts = [t.text.strip() for t in root.iter('{http://www.w3.org/2000/svg}text') if t.text]\n"
                           "print(root.get('viewBox'), '|'.join(texts))\n";
    const QString out = run("/usr/bin/python3", {"-c", script, fileName});
    EXPECT_TRUE(out.startsWith("0 0 600 300 ")) << out.toStdString();
    EXPECT_TRUE(out.contains("Zaragoza")) << out.toStdString();
    EXPECT_TRUE(out.contains("Vencillón")) << out.toStdString();
    EXPECT_TRUE(out.contains("600.000")) << out.toStdString();
}

TEST_F(SavedChart, APdfPageOfTheChartsSizeWithItsTexts)
{
    const QString fileName = folder.filePath("comparacion.pdf");
    EXPECT_EQ(charts::writeChart(chart, fileName, ChartFormat::Pdf), std::nullopt);
    const QString text = run("pdftotext", {fileName, "-"});
    EXPECT_TRUE(text.contains("Zaragoza")) << text.toStdString();
    EXPECT_TRUE(text.contains("Habitantes")) << text.toStdString();
    EXPECT_TRUE(run("pdfinfo", {fileName}).contains("600 x 300 pts"));
}

TEST_F(SavedChart, AFailureSaysWhyAndWritesNoFile)
{
    const QString missing = folder.filePath("no/existe.png");
    const std::optional<QString> error = charts::writeChart(chart, missing, ChartFormat::Png);
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->startsWith("No se ha podido guardar el gráfico en «" + missing + "»: ")) << error->toStdString();
    EXPECT_FALSE(QFile::exists(missing));

    const std::optional<QString> onFolder = charts::writeChart(chart, folder.path(), ChartFormat::Svg);
    ASSERT_TRUE(onFolder);
    EXPECT_TRUE(onFolder->endsWith(": es una carpeta")) << onFolder->toStdString();
}

TEST_F(SavedChart, SaveChartAsksTheNameAndBeforeReplacing)
{
    const QString fileName = folder.filePath("Zaragoza");
    QStringList suggested;
    int replaceAsked = 0;
    charts::setSaveDialogs({[&](QWidget*, const QString& name) {
                                suggested << name;
                                return std::optional(std::pair{fileName, charts::kSvgFilter});
                            },
                            [&](QWidget*, const QString&) {
                                ++replaceAsked;
                                return true;
                            }});
    charts::saveChart(chart, nullptr, "Zaragoza");
    EXPECT_TRUE(QFile::exists(fileName + ".svg"));
    EXPECT_EQ(replaceAsked, 0);
    charts::saveChart(chart, nullptr, "Zaragoza");
    EXPECT_EQ(replaceAsked, 1);
    EXPECT_EQ(suggested, (QStringList{"Zaragoza", "Zaragoza"}));
    charts::setSaveDialogs({});
}

// The context menu.

QStringList menuTexts(const QCustomPlot& plot)
{
    QStringList texts;
    if (QMenu* menu = charts::openChartMenu(&plot))
        for (QAction* action : menu->actions())
            texts << action->text();
    return texts;
}

TEST(ChartMenu, ARightClickOnThePanelsChartOffersToSaveIt)
{
    PopulationChart chart;
    chart.resize(425, 137);
    chart.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
    const QPoint middle = chart.rect().center();
    QTest::mousePress(&chart, Qt::RightButton, {}, middle);
    QTest::mouseRelease(&chart, Qt::RightButton, {}, middle);
    EXPECT_EQ(menuTexts(chart), QStringList{"Guardar gráfico…"});
    charts::openChartMenu(&chart)->close();
}

TEST(ChartMenu, ARightDragPansAndOpensNoMenu)
{
    PopulationChart chart;
    chart.resize(425, 137);
    chart.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
    QTest::mousePress(&chart, Qt::RightButton, {}, QPoint(200, 40));
    QMouseEvent move(QEvent::MouseMove, QPointF(200, 90), chart.mapToGlobal(QPointF(200, 90)), Qt::NoButton,
                     Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(&chart, &move);
    QTest::mouseRelease(&chart, Qt::RightButton, {}, QPoint(200, 90));
    EXPECT_TRUE(menuTexts(chart).isEmpty());
}

TEST(ChartMenu, TheMenuKeyOpensTheComparisonChartsMenu)
{
    ComparisonChart chart;
    chart.setFocusPolicy(Qt::StrongFocus);
    charts::addChartMenu(&chart, [] { return QStringLiteral("comparacion"); });
    chart.resize(500, 300);
    chart.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
    QContextMenuEvent event(QContextMenuEvent::Keyboard, chart.rect().center(), chart.mapToGlobal(chart.rect().center()));
    QApplication::sendEvent(&chart, &event);
    EXPECT_EQ(menuTexts(chart), QStringList{"Guardar gráfico…"});
    charts::openChartMenu(&chart)->close();
}

} // namespace
