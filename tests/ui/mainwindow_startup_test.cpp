// The main window's start-up: what the first frame shows, what it leaves
// until that frame is on the screen, and that whatever it leaves is in place
// before the user can reach it; the images and the catalogue it is given.

#include <QFile>
#include <QLibraryInfo>
#include <QResource>
#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "cp1252text.h"
#include "identity.h"
#include "images.h"
#include "layoutstyle.h"
#include "mainwindow_helpers.h"
#include "packet.h"
#include "translations.h"

using namespace mwtest;

namespace {

// window.csv's municipalities as the list shows them: by search name, "ch"
// after "c", "ll" after "l", "ñ" after "n" (stored in another order).
const QStringList kMunicipalitiesByName = {
    QStringLiteral("Abay"),    QStringLiteral("Cutanda"), QStringLiteral("Chalamera"),
    QStringLiteral("Luzas"),   QStringLiteral("Lledó"),   QStringLiteral("Peñaflor"),
    QStringLiteral("Peñalba"), QStringLiteral("San José"), QStringLiteral("Zaragoza")};

// The display names of a view's records, in the view's order.
QStringList displayNames(const catalogue::View& view)
{
    QStringList names;
    const int field = view.table().fieldIndex("NOMBREMOST");
    for (int row = 0; row < view.recordCount(); ++row)
        names << ui::fromCp1252(view.table().text(view.recordAt(row), static_cast<std::size_t>(field)));
    return names;
}

// The colours of an image's pixels, row by row.
std::vector<QRgb> argb(const QPixmap& pixmap)
{
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    std::vector<QRgb> pixels;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            pixels.push_back(image.pixel(x, y));
    return pixels;
}

} // namespace

// The window's controls carry the faces of the layout; the application's own
// font, which the standard dialogs use, is left as the desktop gave it.
TEST_F(MainWindowTest, GivesItsControlsTheirFacesAndLeavesTheApplicationsFont)
{
    const QFont applicationFont = QApplication::font();
    make();
    EXPECT_EQ(QApplication::font(), applicationFont);
    EXPECT_EQ(window->font(), layout::windowFont());
    EXPECT_EQ(searchBox()->font(), layout::textFont());
    EXPECT_EQ(note()->font(), layout::textFont());
    EXPECT_EQ(municipalityList()->font(), layout::textFont());
    EXPECT_EQ(helpButton()->font(), layout::smallFont());
}

// The images the program carries, by the names of their sources; a name it
// does not carry, or of a format it is not, gives a null image.
TEST(ResourceImage, IsReadByTheFormatItsNameEndsIn)
{
    const std::pair<const char*, QSize> images[] = {
        {"search.xpm", {16, 16}},      {"search@2x.png", {32, 32}},   {"help.xpm", {18, 18}},
        {"help@2x.png", {36, 36}},     {"exit.xpm", {18, 18}},        {"exit@2x.png", {36, 36}},
        {"poblacion16.xpm", {16, 16}}, {"poblacion32.xpm", {32, 32}}};
    for (const auto& [file, size] : images) {
        const QPixmap image = ui::resourceImage(QLatin1String(file));
        EXPECT_EQ(image.size(), size) << file;
    }
    // The magnifying glass's olive background is transparent, its glass is not.
    const QImage search = ui::resourceImage(QStringLiteral("search.xpm")).toImage();
    EXPECT_EQ(search.pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(ui::resourceImage(QStringLiteral("search")).isNull(), true);
    EXPECT_EQ(ui::resourceImage(QStringLiteral("search.png")).isNull(), true);
    EXPECT_EQ(ui::resourceImage(QStringLiteral("no-such.xpm")).isNull(), true);
    EXPECT_EQ(ui::resourceImage(QString()).isNull(), true);
}

// The buttons and the application carry each image as drawn for 96 dpi and
// at twice its size; at twice the density a button draws the larger one.
TEST_F(MainWindowTest, ButtonImagesComeAtTwoSizes)
{
    ui::setApplicationIdentity();
    open();
    EXPECT_EQ(QApplication::applicationName(), QStringLiteral("POBLACION"));
    EXPECT_EQ(QApplication::windowIcon().availableSizes(), (QList<QSize>{{16, 16}, {32, 32}}));
    EXPECT_EQ(searchButton()->icon().availableSizes(), (QList<QSize>{{16, 16}, {32, 32}}));
    for (QPushButton* button : {helpButton(), exitButton()})
        EXPECT_EQ(button->icon().availableSizes(), (QList<QSize>{{18, 18}, {36, 36}}));
    const QPixmap dense = searchButton()->icon().pixmap(QSize(16, 16), 2.0);
    EXPECT_EQ(dense.devicePixelRatio(), 2.0);
    EXPECT_EQ(argb(dense), argb(ui::resourceImage(QStringLiteral("search@2x.png"))));
    EXPECT_EQ(argb(searchButton()->icon().pixmap(QSize(16, 16), 1.0)),
              argb(ui::resourceImage(QStringLiteral("search.xpm"))));
}

// Installed as the program does at start-up, Qt's own texts (the standard
// dialogs and buttons) speak Spanish.
TEST(SpanishTranslations, PutTheToolkitsTextsInSpanish)
{
    EXPECT_TRUE(ui::installSpanishTranslations());
    EXPECT_TRUE(ui::installSpanishTranslations());
    ASSERT_TRUE(QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_es.qm")));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancelar"));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Save"), QStringLiteral("Guardar"));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "no such text"), QStringLiteral("no such text"));
}

TEST_F(MainWindowTest, ReloadingLaysOutNoUnitInTheListsOrThePanel)
{
    // The load fills the blank panel's hidden title without measuring it:
    // it keeps the width laid out until the window has painted.
    make();
    EXPECT_EQ(unitTitle()->width(), 182);
    MainWindow& w = showWindow();
    search(QStringLiteral("A"));
    UnitList* lists[] = {municipalityList(), entityList(), nucleusList()};
    for (UnitList* list : lists)
        ASSERT_GT(list->model()->rowCount(), 0);

    // The rows each list holds every time it is rebuilt during the load.
    std::vector<std::vector<int>> rebuilds(3);
    for (std::size_t i = 0; i < 3; ++i) {
        QAbstractItemModel* model = lists[i]->model();
        QObject::connect(model, &QAbstractItemModel::modelReset, model,
                         [&rebuilds, i, model] { rebuilds[i].push_back(model->rowCount()); });
    }
    // Nor is the blank panel's note filled only to be emptied.
    int noteChanges = 0;
    QObject::connect(note(), &QPlainTextEdit::textChanged, note(), [&noteChanges] { ++noteChanges; });
    w.loadCatalogue();
    ASSERT_TRUE(w.catalogueLoaded());
    EXPECT_EQ(noteChanges, 0);
    EXPECT_EQ(detailFilter(), QStringLiteral("ident = 40001"));
    for (const auto& rows : rebuilds)
        EXPECT_EQ(rows, std::vector<int>{0});
    for (UnitList* list : lists)
        EXPECT_FALSE(list->isEnabled());
}

TEST_F(MainWindowTest, TheListsAreOrderedByNameOnceTheWindowHasPainted)
{
    make();
    const catalogue::View* lists[] = {&window->municipalityView(), &window->entityView(), &window->nucleusView()};
    // Created, not yet shown: loaded, the order left for later.
    for (const catalogue::View* view : lists)
        EXPECT_EQ(view->indexFieldNames(), "");
    EXPECT_EQ(displayNames(window->municipalityView()).first(), QStringLiteral("Abay"));
    EXPECT_EQ(displayNames(window->municipalityView()).at(1), QStringLiteral("Peñalba"));
    EXPECT_FALSE(window->startupFinished());

    showWindow();
    for (const catalogue::View* view : lists)
        EXPECT_EQ(view->indexFieldNames(), "NOMBREBUSC");
    EXPECT_EQ(displayNames(window->municipalityView()), kMunicipalitiesByName);
    // Ordering moved no view: the detail still holds the unit the load left.
    EXPECT_EQ(panel().view().filterText(), "ident = 40001");
    expectBlankPanel();
    // The hidden title has been measured, its face loaded for the first unit shown.
    EXPECT_NE(unitTitle()->width(), 182);
    EXPECT_EQ(unitTitle()->width(), unitTitle()->sizeHint().width());
}

// The first frame leaves the chart's place empty; once it is on the screen
// the chart is made there, blank, and the first unit shown draws its series.
// A unit shown before then makes the chart first.
TEST_F(MainWindowTest, TheChartIsMadeOnceTheWindowHasPaintedAndShowsTheFirstUnit)
{
    make();
    EXPECT_EQ(panel().chart(), nullptr);
    showWindow();
    PopulationChart* made = chart();
    EXPECT_TRUE(made->isVisible());
    EXPECT_EQ(QRect(made->mapTo(window.get(), QPoint()), made->size()), QRect(344, 352, 425, 137));
    EXPECT_EQ(made->graphCount(), 0);
    search(QStringLiteral("SAN"));
    EXPECT_EQ(made->graphCount(), 0);
    clickRow(municipalityList(), 0);
    EXPECT_EQ(made->graphCount(), 2);
    EXPECT_EQ(chart(), made);

    make();
    window->search();
    window->detailPanel().showUnit(20001);
    ASSERT_NE(panel().chart(), nullptr);
    EXPECT_EQ(panel().chart()->graphCount(), 2);
    EXPECT_TRUE(panel().chart()->isVisibleTo(window.get()));
}

TEST_F(MainWindowTest, ASearchBeforeTheFirstPaintStillListsByName)
{
    make();
    window->search();
    EXPECT_EQ(rows(municipalityList()), kMunicipalitiesByName);
    EXPECT_EQ(rows(nucleusList()), (QStringList{QStringLiteral("Barrio de la Peña"), QStringLiteral("Santa Ana"),
                                                QStringLiteral("Urbanización Sol")}));
    // Painting afterwards orders nothing again.
    showWindow();
    EXPECT_EQ(rows(municipalityList()), kMunicipalitiesByName);
    EXPECT_EQ(window->nucleusView().recNo(), 0);
}

TEST_F(MainWindowTest, ACatalogueWithoutSearchNamesFailsToLoadAtCreation)
{
    // Every field the window reads at creation but the one the lists are
    // ordered by.
    std::vector<catalogue::FieldDef> fields = {{"IDENT", catalogue::FieldKind::String, 5},
                                               {"TIPONUM", catalogue::FieldKind::String, 1},
                                               {"NOMBREDICC", catalogue::FieldKind::String, 46},
                                               {"NOMBREMOST", catalogue::FieldKind::String, 55},
                                               {"COMENTARIO", catalogue::FieldKind::Memo, 1}};
    for (const char* year : {"1900", "1910", "1920", "1930", "1940", "1950", "1960", "1970", "1981", "1991", "2001", "2004"})
        fields.push_back({year, catalogue::FieldKind::String, 10});
    catalogue::Table table(fields, catalogue::kSpanishTraditional);
    for (const char* kind : {"2", "3", "4"}) {
        std::vector<std::optional<std::string>> values = {std::string(kind) + "0001", kind, "Abay", "Abay", "Nota"};
        values.resize(fields.size(), std::string("-"));
        table.addRecord(values);
    }
    const auto store = std::make_shared<const catalogue::Store>(std::move(table));
    window = std::make_unique<MainWindow>(store);
    EXPECT_FALSE(window->catalogueLoaded());
    EXPECT_EQ(window->loadFailure(), QStringLiteral("No se encuentra el campo 'NOMBREBUSC'"));
    EXPECT_EQ(window->loadFailureMessage(), QStringLiteral("No se ha podido cargar el catálogo de unidades "
                                                           "poblacionales.\nNo se encuentra el campo 'NOMBREBUSC'"));
}

// The four views are over the one catalogue the window is given.
TEST_F(MainWindowTest, ItsViewsShareTheCatalogueItIsGiven)
{
    const CatalogueRead read = readCatalogue(QStringLiteral(TEST_PACKET_DIR "/window.pkt"));
    ASSERT_NE(read.store, nullptr);
    EXPECT_TRUE(read.failure.isEmpty());
    window = std::make_unique<MainWindow>(read.store);
    const catalogue::View* views[] = {&window->municipalityView(), &window->entityView(), &window->nucleusView(),
                                      &window->detailPanel().view()};
    for (const catalogue::View* view : views)
        EXPECT_EQ(&view->table(), &read.store->table());
    EXPECT_EQ(read.store.use_count(), 2 + 4);

    // Without a catalogue the window works with empty lists.
    window = std::make_unique<MainWindow>(nullptr);
    EXPECT_FALSE(window->catalogueLoaded());
    EXPECT_TRUE(window->loadFailure().isEmpty());
    EXPECT_EQ(window->loadFailureMessage(), QStringLiteral("No se ha podido cargar el catálogo de unidades poblacionales."));
    window->search();
    expectHeadings(0, 0, 0);
}

TEST_F(MainWindowTest, TheBuiltInCatalogueIsReadWhereItLiesAFileIsCopied)
{
    make(QStringLiteral(":/PUEBLOS"));
    const QResource resource(QStringLiteral(":/PUEBLOS"));
    ASSERT_EQ(resource.compressionAlgorithm(), QResource::NoCompression);
    EXPECT_EQ(window->municipalityView().table().packet().data(), reinterpret_cast<const char*>(resource.data()));

    // A file may change once read: the catalogue is a copy of what was read.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("window.pkt"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(TEST_PACKET_DIR "/window.pkt"), path));
    make(path);
    ASSERT_TRUE(QFile::resize(path, 0));
    ASSERT_TRUE(QFile::remove(path));
    window->search();
    EXPECT_EQ(rows(municipalityList()), kMunicipalitiesByName);
}

// What cannot be read says why, in Spanish.
TEST(ReadCatalogue, SaysWhyItCannotRead)
{
    QTemporaryDir dir;
    const QString broken = dir.filePath(QStringLiteral("roto.pkt"));
    QFile out(broken);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write("no es un paquete");
    out.close();
    const CatalogueRead notAPacket = readCatalogue(broken);
    EXPECT_EQ(notAPacket.store, nullptr);
    EXPECT_FALSE(notAPacket.failure.isEmpty());

    const QString missing = dir.filePath(QStringLiteral("no-existe.pkt"));
    const CatalogueRead none = readCatalogue(missing);
    EXPECT_EQ(none.store, nullptr);
    EXPECT_EQ(none.failure, QStringLiteral("No se puede abrir el archivo ") + missing);
}
