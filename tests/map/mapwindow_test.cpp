// The map window as a user meets it: what it shows first, the pointer, clicks,
// zoom and pan from the mouse and the keyboard, the table, the unit followed,
// the picture saved, and a damaged map.

#include <QAccessible>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolTip>
#include <QWheelEvent>

#include "map_fixture.h"

namespace {

TEST_F(MapWindowTest, OpensOnTheChangeFrom1900To2001WithItsTableAndNames)
{
    EXPECT_EQ(window->windowTitle(), "Mapa de Aragón");
    EXPECT_FALSE(window->isModal());
    EXPECT_EQ(window->colouring().kind, map::Colouring::Kind::Change);
    EXPECT_EQ(canvas->accessibleName(), "Mapa de Aragón: variación de la población de 1900 a 2001");
    QTableWidget* table = window->table();
    EXPECT_EQ(table->rowCount(), 731);
    EXPECT_EQ(table->accessibleName(), "Municipios por variación de la población de 1900 a 2001");
    EXPECT_EQ(table->horizontalHeaderItem(1)->text(), "Variación 1900–2001 (%)");
    EXPECT_EQ(table->item(2, 0)->text(), "Zaragoza");
    EXPECT_EQ(table->item(2, 1)->text(), "522,4 %");
    EXPECT_EQ(table->item(2, 2)->text(), "Central");
    EXPECT_EQ(table->item(730, 1)->text(), "sin dato");
    // The screen reader finds a table of rows and columns.
    QAccessibleInterface* access = QAccessible::queryAccessibleInterface(table);
    ASSERT_NE(access, nullptr);
    EXPECT_EQ(access->role(), QAccessible::Table);
    EXPECT_EQ(window->findChild<QLabel*>("mapAttribution")->text(),
              "Límites municipales: obra derivada de BDLJE, CC BY 4.0, ign.es");
}

TEST_F(MapWindowTest, AClickOnAMunicipalityReportsItsCode)
{
    QSignalSpy clicked(window.get(), &map::MapWindow::municipalityClicked);
    QTest::mouseClick(canvas, Qt::LeftButton, {}, at(41.6563, -0.8773));
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked.at(0).at(0).toString(), "50297");
    // Codo inside Belchite; Maleján, a point, where a click lands beside it.
    EXPECT_EQ(codeAt(at(41.338, -0.678)), "50085");
    const geo::Area& malejan = mapData().areas()[mapData().areaOf("50156")];
    const QPoint dot = canvas->positionOf(malejan.dots[0]).toPoint();
    QTest::mouseClick(canvas, Qt::LeftButton, {}, dot + QPoint(2, 1));
    ASSERT_EQ(clicked.count(), 2);
    EXPECT_EQ(clicked.at(1).at(0).toString(), "50156");
    // Nothing outside Aragón, nor for a shared territory.
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseClick(canvas, Qt::LeftButton, {}, inside("53076"));
    EXPECT_EQ(clicked.count(), 2);
}

TEST_F(MapWindowTest, EveryMunicipalityIsHitByAClickInsideIt)
{
    // Each at a zoom where the smallest are many pixels wide and the point
    // municipality beside Borja (Maleján) is well apart.
    QSignalSpy clicked(window.get(), &map::MapWindow::municipalityClicked);
    int hit = 0;
    for (const geo::Area& a : mapData().areas()) {
        if (a.kind != geo::AreaKind::Municipality)
            continue;
        canvas->fitAragon();
        canvas->zoomBy(32, canvas->positionOf(a.inside));
        clicked.clear();
        QTest::mouseClick(canvas, Qt::LeftButton, {}, canvas->positionOf(a.inside).toPoint());
        ASSERT_EQ(clicked.count(), 1) << a.code;
        EXPECT_EQ(clicked.at(0).at(0).toString().toStdString(), a.code);
        hit += clicked.at(0).at(0).toString().toStdString() == a.code;
    }
    EXPECT_EQ(hit, 731);
}

TEST_F(MapWindowTest, PointingShowsNameComarcaAndValue)
{
    QTest::mouseMove(canvas, at(41.6563, -0.8773));
    EXPECT_EQ(canvas->highlight().hovered, mapData().areaOf("50297"));
    EXPECT_EQ(QToolTip::text(), "Zaragoza\nComarca: Central\nVariación 1900–2001 (%): 522,4 %");
    QTest::mouseMove(canvas, inside("22909"));
    EXPECT_EQ(QToolTip::text(), "Vencillón\nComarca: La Litera / La Llitera\nVariación 1900–2001 (%): sin dato");
}

TEST_F(MapWindowTest, TabReachesEveryControlTheMapAndTheTable)
{
    window->activateWindow();
    auto* colouring = window->findChild<QComboBox*>("colouringBox");
    colouring->setFocus();
    QStringList order;
    for (int i = 0; i < 9; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    // The year boxes that do not apply to the colouring are disabled and passed over.
    EXPECT_EQ(order, (QStringList{"colouringBox", "fromBox", "toBox", "comarcaBox", "saveButton", "printButton",
                                  "mapCanvas", "mapTable", "colouringBox"}));
}

TEST_F(MapWindowTest, TheWheelZoomsAboutThePointerAndTheKeysFitAndMove)
{
    const QPoint codo = at(41.338, -0.678);
    QWheelEvent wheel(codo, canvas->mapToGlobal(codo), QPoint(), QPoint(0, 240), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(canvas, &wheel);
    EXPECT_DOUBLE_EQ(canvas->zoom(), 1.5625);
    // The place under the pointer stays there, but for the rounding of
    // each coordinate to a whole pixel, before and after.
    EXPECT_LE((at(41.338, -0.678) - codo).manhattanLength(), 2);
    canvas->setFocus();
    QTest::keyClick(canvas, Qt::Key_0);
    EXPECT_DOUBLE_EQ(canvas->zoom(), 1.0);
    QTest::keyClick(canvas, Qt::Key_Plus);
    EXPECT_DOUBLE_EQ(canvas->zoom(), 1.25);
    QTest::keyClick(canvas, Qt::Key_Minus);
    EXPECT_DOUBLE_EQ(canvas->zoom(), 1.0);
    const QPoint before = at(41.6563, -0.8773);
    QTest::keyClick(canvas, Qt::Key_Left);
    const int step = std::min(canvas->width(), canvas->height()) / 8;
    EXPECT_NEAR(at(41.6563, -0.8773).x() - before.x(), step, 1);
    QTest::keyClick(canvas, Qt::Key_Down);
    EXPECT_NEAR(at(41.6563, -0.8773).y() - before.y(), -step, 1);
    QTest::keyClick(canvas, Qt::Key_Home);
    EXPECT_EQ(at(41.6563, -0.8773), before);
}

TEST_F(MapWindowTest, ADragPansWithoutClickingAndADoubleClickOnTheBackgroundFits)
{
    QSignalSpy clicked(window.get(), &map::MapWindow::municipalityClicked);
    const QPoint start = at(41.6563, -0.8773);
    QTest::mousePress(canvas, Qt::LeftButton, {}, start);
    for (int i = 1; i <= 5; ++i) {
        QMouseEvent move(QEvent::MouseMove, start + QPoint(10 * i, 6 * i), canvas->mapToGlobal(start + QPoint(10 * i, 6 * i)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(canvas, &move);
    }
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, start + QPoint(50, 30));
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_EQ(at(41.6563, -0.8773), start + QPoint(50, 30));
    QTest::mouseDClick(canvas, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(at(41.6563, -0.8773), start);
}

TEST_F(MapWindowTest, ARowOfTheTableWorksAsAClickOnTheMap)
{
    QSignalSpy clicked(window.get(), &map::MapWindow::municipalityClicked);
    QTableWidget* table = window->table();
    const QRect row = table->visualItemRect(table->item(1, 0));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, row.center());
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked.at(0).at(0).toString(), "50089"); // Cuarte de Huerva
    table->setFocus();
    table->setCurrentCell(0, 0);
    QTest::keyClick(table, Qt::Key_Return);
    ASSERT_EQ(clicked.count(), 2);
    EXPECT_EQ(clicked.at(1).at(0).toString(), "50272"); // Utebo
}

TEST_F(MapWindowTest, ChangingTheColouringRecolorsMapTableAndNames)
{
    auto* measure = window->findChild<QComboBox*>("colouringBox");
    auto* date = window->findChild<QComboBox*>("dateBox");
    measure->setCurrentIndex(1);
    date->setCurrentIndex(10);
    EXPECT_EQ(canvas->accessibleName(), "Mapa de Aragón: población en 2001");
    EXPECT_EQ(window->table()->item(0, 0)->text(), "Zaragoza");
    EXPECT_EQ(window->table()->item(0, 1)->text(), "612.472");
    window->findChild<QCheckBox*>("comarcaBox")->setChecked(true);
    EXPECT_EQ(window->table()->rowCount(), 33);
    EXPECT_EQ(window->table()->item(0, 0)->text(), "Central");
    EXPECT_EQ(window->table()->item(0, 1)->text(), "656.746");
    measure->setCurrentIndex(0);
    EXPECT_EQ(canvas->accessibleName(), "Mapa de Aragón: sin colorear");
    EXPECT_FALSE(date->isEnabled());
    EXPECT_EQ(window->table()->rowCount(), 731);
}

TEST_F(MapWindowTest, ItFollowsTheUnitOfTheMainWindow)
{
    window->showUnit({map::MapUnit::Kind::Municipality, "50297", "Zaragoza", {"50297"}});
    EXPECT_EQ(window->windowTitle(), "Mapa de Aragón — Zaragoza");
    EXPECT_EQ(window->caption(), "Zaragoza: municipio de la Comarca Central, provincia de Zaragoza.");
    EXPECT_EQ(canvas->accessibleDescription(), window->caption());
    // As a screen reader reads them: the map named by its colouring and
    // described by the unit, the controls by their captions.
    QAccessibleInterface* access = QAccessible::queryAccessibleInterface(canvas);
    ASSERT_NE(access, nullptr);
    EXPECT_EQ(access->text(QAccessible::Name), "Mapa de Aragón: variación de la población de 1900 a 2001");
    // The window is read as a window, by its title.
    QAccessibleInterface* frame = QAccessible::queryAccessibleInterface(window.get());
    EXPECT_EQ(frame->role(), QAccessible::Window);
    EXPECT_EQ(frame->text(QAccessible::Name), "Mapa de Aragón — Zaragoza");
    EXPECT_EQ(access->text(QAccessible::Description), "Zaragoza: municipio de la Comarca Central, provincia de Zaragoza.");
    // A list box is named by its value; its description says what it chooses.
    QAccessibleInterface* colouring = QAccessible::queryAccessibleInterface(window->findChild<QComboBox*>("colouringBox"));
    EXPECT_EQ(colouring->text(QAccessible::Name), "Variación de la población (%)");
    EXPECT_EQ(colouring->text(QAccessible::Description), "Colorear por");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(window->findChild<QComboBox*>("fromBox"))
                  ->text(QAccessible::Description),
              "Variación desde el año");
    EXPECT_EQ(canvas->highlight().areas, (std::set<int>{mapData().areaOf("50297")}));
    EXPECT_FALSE(canvas->highlight().historical);

    window->showUnit({map::MapUnit::Kind::HistoricalMunicipality, "50049", "Biel", {"50901"}});
    EXPECT_EQ(window->caption(), "Biel (municipio histórico): su territorio está hoy en Biel, comarca de Cinco Villas, "
                                 "provincia de Zaragoza.");
    EXPECT_TRUE(canvas->highlight().historical);
    EXPECT_EQ(canvas->highlight().label, "Hoy, territorio de Biel");

    // San Esteban del Mall: its territory in two municipalities today.
    window->showUnit({map::MapUnit::Kind::HistoricalMunicipality, "22621", "San Esteban del Mall", {"22155", "22129"}});
    EXPECT_EQ(window->caption(),
              "San Esteban del Mall (municipio histórico): su territorio está hoy en Monesma y Cajigar y Isábena: "
              "Monesma y Cajigar (comarca de La Ribagorza, provincia de Huesca); Isábena (comarca de La Ribagorza, "
              "provincia de Huesca).");
    EXPECT_EQ(canvas->highlight().areas.size(), 2u);

    window->showUnit({map::MapUnit::Kind::Entity, "500950001", "Bardenas", {"50095"}});
    EXPECT_EQ(window->caption(), "Bardenas (entidad de población), en el municipio de Ejea de los Caballeros, "
                                 "comarca de Cinco Villas, provincia de Zaragoza.");
    EXPECT_EQ(canvas->highlight().areas, (std::set<int>{mapData().areaOf("50095")}));

    // Closing and opening again shows the same.
    window->close();
    window->show();
    EXPECT_EQ(window->windowTitle(), "Mapa de Aragón — Bardenas");
    window->clearUnit();
    EXPECT_EQ(window->windowTitle(), "Mapa de Aragón");
    EXPECT_TRUE(canvas->highlight().areas.empty());
}

TEST_F(MapWindowTest, ThePictureSavedHoldsTheMapLegendTitleAndAttribution)
{
    window->showUnit({map::MapUnit::Kind::Municipality, "50297", "Zaragoza", {"50297"}});
    QTemporaryDir dir;
    const QString png = dir.filePath("mapa.png");
    const QString svg = dir.filePath("mapa.svg");
    ASSERT_EQ(window->savePicture(png), "");
    ASSERT_EQ(window->savePicture(svg), "");
    // Read back by ImageMagick: a PNG of the picture's size.
    QProcess identify;
    identify.start("identify", {"-format", "%m %w", png});
    ASSERT_TRUE(identify.waitForFinished(20000));
    const QStringList seen = QString::fromUtf8(identify.readAllStandardOutput()).split(' ');
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[0], "PNG");
    EXPECT_GT(seen[1].toInt(), canvas->width());
    // The SVG as text: the title, the legend's heading and the attribution.
    QFile file(svg);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains("Aragón: variación de la población de 1900 a 2001 — Zaragoza"));
    EXPECT_TRUE(text.contains("Variación 1900–2001 (%)"));
    EXPECT_TRUE(text.contains("Límites municipales: obra derivada de BDLJE, CC BY 4.0, ign.es"));
    EXPECT_TRUE(text.contains("territorio compartido"));
    // A folder that is not there: a reason, nothing written.
    EXPECT_TRUE(window->savePicture(dir.filePath("no/hay/mapa.png")).startsWith("No se ha podido guardar"));
    EXPECT_FALSE(QFile::exists(dir.filePath("no/hay/mapa.png")));
}

TEST_F(MapWindowTest, CtrlCCopiesThePicture)
{
    QApplication::clipboard()->clear();
    window->activateWindow();
    QApplication::setActiveWindow(window.get());
    canvas->setFocus();
    QTest::keyClick(canvas, Qt::Key_C, Qt::ControlModifier);
    const QImage copied = QApplication::clipboard()->image();
    ASSERT_FALSE(copied.isNull());
    EXPECT_EQ(copied.size(), window->picture().size());
    // White paper around the map, as saved.
    EXPECT_EQ(copied.pixelColor(2, 2), QColor(Qt::white));
}

TEST_F(MapWindowTest, ThePrintedPageHoldsTitleLegendAndAttribution)
{
    window->showUnit({map::MapUnit::Kind::Municipality, "50297", "Zaragoza", {"50297"}});
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("mapa.pdf"));
    printer.setPageOrientation(QPageLayout::Landscape);
    window->printPictureOn(printer);
    // Read back by poppler's pdftotext.
    QProcess pdftotext;
    pdftotext.start("pdftotext", {dir.filePath("mapa.pdf"), "-"});
    ASSERT_TRUE(pdftotext.waitForFinished(20000));
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput()).simplified();
    EXPECT_TRUE(text.contains("Aragón: variación de la población de 1900 a 2001 — Zaragoza")) << text.toStdString();
    EXPECT_TRUE(text.contains("Variación 1900–2001 (%)"));
    EXPECT_TRUE(text.contains("80 % o más"));
    EXPECT_TRUE(text.contains("sin dato"));
    EXPECT_TRUE(text.contains("Límites municipales: obra derivada de BDLJE, CC BY 4.0, ign.es"));
}

TEST(MapWindowDamaged, ADamagedMapIsSaidInSpanishAndTheWindowStillWorks)
{
    QTemporaryDir dir;
    QFile original(":/MAPA");
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray bytes = original.readAll();
    const struct {
        QByteArray bytes;
        const char* message;
    } cases[] = {
        {"", "No se puede dibujar el mapa: no es un mapa de Población."},
        {"{\"type\":\"Topology\"}", "No se puede dibujar el mapa: no es un mapa de Población."},
        {bytes.left(bytes.size() / 2), "No se puede dibujar el mapa: el mapa está incompleto."},
        {bytes + "x", "No se puede dibujar el mapa: el mapa tiene bytes de más."},
    };
    for (const auto& c : cases) {
        const QString path = dir.filePath("mapa");
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(c.bytes);
        out.close();
        map::MapWindow window(catalogueFigures(), nullptr, path);
        window.show();
        EXPECT_FALSE(window.mapDrawn());
        EXPECT_EQ(window.errorText().toStdString(), c.message);
        auto* label = window.findChild<QLabel*>("mapError");
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text().toStdString(), c.message);
        EXPECT_EQ(window.canvas(), nullptr);
        // What the main window calls does nothing harmful.
        window.showUnit({map::MapUnit::Kind::Municipality, "50297", "Zaragoza", {"50297"}});
        window.copyPicture();
        EXPECT_EQ(window.savePicture(dir.filePath("x.png")).toStdString(), c.message);
    }
    map::MapWindow missing(catalogueFigures(), nullptr, dir.filePath("no-hay-mapa"));
    EXPECT_EQ(missing.errorText(), "No se puede dibujar el mapa: no se encuentra el mapa.");
}

} // namespace
