// The main window with its menu bar over the embedded catalogue: the bar
// above the unchanged controls, the entries that need a unit, the units of a
// municipality, the map following the unit shown and showing what is clicked
// on it, and a unit added to the comparison.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTimer>

#include "chartsaving.h"
#include "comparisonwindow.h"
#include "mainwindow_helpers.h"
#include "mapwindow.h"
#include "workspace.h"

namespace {

class WorkspaceTest : public mwtest::MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        make(QStringLiteral(PUEBLOS_PACKET));
        workspace = std::make_unique<Workspace>(*window);
        showWindow();
    }
    void TearDown() override
    {
        workspace.reset();
        MainWindowTest::TearDown();
    }

    // The entry of the menu bar with this caption (mnemonic marks and the
    // shortcut's label left out).
    QAction* entry(const QString& caption) const
    {
        for (QAction* menu : workspace->menuBar()->actions())
            for (QAction* action : menu->menu()->actions())
                if (action->text().remove(u'&').section(u'\t', 0, 0) == caption)
                    return action;
        throw std::runtime_error("no entry " + caption.toStdString());
    }

    // Searches and shows the first municipality found.
    void showMunicipality(const QString& text)
    {
        search(text);
        clickRow(municipalityList(), 0);
    }

    std::unique_ptr<Workspace> workspace;
};

TEST_F(WorkspaceTest, TheMenuBarSitsAboveTheControlsAndItsUnitEntriesWaitForAUnit)
{
    const int bar = workspace->menuBar()->height();
    EXPECT_GT(bar, 10);
    EXPECT_EQ(window->size(), QSize(787, 545 + bar));
    EXPECT_EQ(searchBox()->geometry(), QRect(160, 58 + bar, 249, 23));
    EXPECT_EQ(panel().geometry(), QRect(336, 104 + bar, 441, 393));

    QStringList menus;
    for (QAction* menu : workspace->menuBar()->actions())
        menus << menu->text();
    EXPECT_EQ(menus, (QStringList{"&Archivo", "&Unidad", "&Ver", "A&yuda"}));
    EXPECT_EQ(entry("Ver en el mapa")->shortcut(), QKeySequence("Ctrl+M"));
    EXPECT_EQ(entry("Unidades del municipio")->shortcut(), QKeySequence("Ctrl+U"));
    EXPECT_EQ(entry("Añadir a la comparación")->shortcut(), QKeySequence("Ctrl+D"));
    EXPECT_EQ(entry("Comparación")->shortcut(), QKeySequence("Ctrl+K"));
    EXPECT_EQ(entry("Exportar lista…")->shortcut(), QKeySequence("Ctrl+E"));
    EXPECT_EQ(entry("Imprimir ficha…")->shortcut(), QKeySequence("Ctrl+P"));

    const QStringList needUnit = {"Copiar cifras",           "Ver en el mapa",  "Unidades del municipio",
                                  "Añadir a la comparación", "Guardar gráfico…", "Imprimir ficha…",
                                  "Exportar ficha a PDF…"};
    for (const QString& caption : needUnit)
        EXPECT_FALSE(entry(caption)->isEnabled()) << caption.toStdString();
    EXPECT_TRUE(entry("Mapa")->isEnabled());
    showMunicipality("EJEA");
    for (const QString& caption : needUnit)
        EXPECT_TRUE(entry(caption)->isEnabled()) << caption.toStdString();
    search("EJEA");
    EXPECT_FALSE(entry("Unidades del municipio")->isEnabled());
}

// The panel's chart takes no focus (the Tab order of the window stays as it
// is), so the menu bar saves it too, with the title its context menu gives.
TEST_F(WorkspaceTest, TheMenuBarSavesThePanelsChartUnderTheUnitsTitle)
{
    QTemporaryDir folder;
    QStringList suggested;
    charts::setSaveDialogs({[&](QWidget*, const QString& name) {
                                suggested << name;
                                return std::optional(std::pair{folder.filePath(QStringLiteral("grafico")),
                                                               charts::kPdfFilter});
                            },
                            [](QWidget*, const QString&) { return true; }});
    showMunicipality("EJEA");
    entry("Guardar gráfico…")->trigger();
    charts::setSaveDialogs({});
    EXPECT_EQ(suggested, QStringList{"Municipio: Ejea de los Caballeros"}); // as its context menu suggests
    QFile pdf(folder.filePath(QStringLiteral("grafico.pdf")));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5) == "%PDF-");
}

// The search box's own keys give way to the menu bar's (on X11 Ctrl+E and
// Ctrl+U edit the line): typed in the box, each opens its entry, and the
// text changes only where the entry lists units.
TEST_F(WorkspaceTest, TheMenuBarsKeysWorkFromTheSearchBox)
{
    showMunicipality("EJEA");
    searchBox()->setFocus();
    searchBox()->setCursorPosition(2);
    QTest::keyClick(searchBox(), Qt::Key_K, Qt::ControlModifier);
    ASSERT_NE(workspace->comparisonWindow(), nullptr);
    EXPECT_TRUE(workspace->comparisonWindow()->isVisible());
    EXPECT_TRUE(workspace->comparisonWindow()->units().empty());

    window->activateWindow();
    searchBox()->setFocus();
    QTest::keyClick(searchBox(), Qt::Key_D, Qt::ControlModifier);
    ASSERT_EQ(workspace->comparisonWindow()->units().size(), 1u);
    EXPECT_EQ(workspace->comparisonWindow()->units()[0].code, "50095");

    window->activateWindow();
    searchBox()->setFocus();
    QTest::keyClick(searchBox(), Qt::Key_M, Qt::ControlModifier);
    ASSERT_NE(workspace->mapWindow(), nullptr);
    EXPECT_TRUE(workspace->mapWindow()->isVisible());
    EXPECT_EQ(searchBox()->text(), "EJEA");

    window->activateWindow();
    searchBox()->setFocus();
    QTest::keyClick(searchBox(), Qt::Key_U, Qt::ControlModifier);
    EXPECT_EQ(municipalityHeading()->text(), "Municipios (2)");
    EXPECT_EQ(searchBox()->text().toUpper(), "UNIDADES DE EJEA DE LOS CABALLEROS");

    // Ctrl+E opens the export's dialog.
    QString opened;
    QTimer::singleShot(0, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            opened = dialog->windowTitle();
            static_cast<QDialog*>(dialog)->reject();
        }
    });
    searchBox()->setFocus();
    QTest::keyClick(searchBox(), Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(opened, "Exportar lista");

    // Keys the window does not take still edit the line.
    searchBox()->setText(QStringLiteral("BIEL"));
    searchBox()->setCursorPosition(0);
    QTest::keyClick(searchBox(), Qt::Key_End);
    QTest::keyClick(searchBox(), Qt::Key_Backspace);
    EXPECT_EQ(searchBox()->text(), "BIE");
}

TEST_F(WorkspaceTest, TheUnitsOfAMunicipalityAreListedAsASearchWould)
{
    showMunicipality("EJEA");
    entry("Unidades del municipio")->trigger();
    EXPECT_EQ(rows(municipalityList()),
              (QStringList{"Ejea de los Caballeros", "Farasdués -- municipio histórico"}));
    EXPECT_EQ(rows(entityList()), QStringList{"Ejea de los Caballeros"});
    EXPECT_EQ(rows(nucleusList()), (QStringList{"Bárdenas", "Bayo (El)", "Farasdués", "Pinsoro", "Rivas",
                                                "Sabinar (El)", "Santa Anastasia", "Valareña"}));
    EXPECT_EQ(municipalityHeading()->text(), "Municipios (2)");
    EXPECT_EQ(nucleusHeading()->text(), "Núcleos (8)");
    EXPECT_EQ(searchBox()->text().toUpper(), "UNIDADES DE EJEA DE LOS CABALLEROS");
    expectBlankPanel();

    // From a núcleo of Zaragoza: Zaragoza's units, with the historical
    // municipality it holds.
    search("ACADEMIA GENERAL MILITAR");
    clickRow(nucleusList(), 0);
    entry("Unidades del municipio")->trigger();
    EXPECT_EQ(rows(municipalityList()).size(), 2);
    EXPECT_TRUE(rows(municipalityList()).contains("Zaragoza"));
    EXPECT_EQ(entityHeading()->text(), "Entidades (15)");
    EXPECT_EQ(nucleusHeading()->text(), "Núcleos (29)");
    EXPECT_EQ(searchBox()->text().toUpper(), "UNIDADES DE ZARAGOZA");
}

TEST_F(WorkspaceTest, TheMapFollowsTheUnitShownAndAClickOnItShowsTheMunicipality)
{
    EXPECT_EQ(workspace->mapWindow(), nullptr); // nothing of the map until asked for
    showMunicipality("EJEA");
    entry("Ver en el mapa")->trigger();
    map::MapWindow* map = workspace->mapWindow();
    ASSERT_NE(map, nullptr);
    ASSERT_TRUE(map->mapDrawn()) << map->errorText().toStdString();
    EXPECT_TRUE(map->isVisible());
    EXPECT_TRUE(map->caption().contains("Ejea de los Caballeros")) << map->caption().toStdString();

    // Zaragoza is not in the lists: its units are listed, then it is chosen.
    emit map->municipalityClicked(QStringLiteral("50297"));
    EXPECT_TRUE(unitTitle()->text().endsWith("Zaragoza")) << unitTitle()->text().toStdString();
    EXPECT_EQ(municipalityList()->currentIndex().data().toString(), "Zaragoza");
    EXPECT_TRUE(map->caption().contains("Zaragoza")) << map->caption().toStdString();

    // Closed and opened again: the same window.
    map->close();
    entry("Mapa")->trigger();
    EXPECT_EQ(workspace->mapWindow(), map);
    EXPECT_TRUE(map->isVisible());
}

TEST_F(WorkspaceTest, AUnitAddedToTheComparisonCarriesItsCodeAndFigures)
{
    showMunicipality("EJEA");
    entry("Añadir a la comparación")->trigger();
    ComparisonWindow* comparison = workspace->comparisonWindow();
    ASSERT_NE(comparison, nullptr);
    ASSERT_EQ(comparison->units().size(), 1u);
    const ComparedUnit& unit = comparison->units().front();
    EXPECT_EQ(unit.code, "50095");
    EXPECT_EQ(unit.name, "Ejea de los Caballeros");
    EXPECT_EQ(unit.kind, "Municipio");
    EXPECT_EQ(unit.values[0], "5.271");
    EXPECT_EQ(unit.values[11], "16.598");
}

} // namespace
