// The main window's start-up work: what it leaves undone until it is needed,
// and that whatever it leaves undone is in place before the user can reach it.

#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLoggingCategory>
#include <QPainter>
#include <QRegularExpression>
#include <QResource>
#include <QTemporaryDir>
#include <algorithm>
#include <memory>
#include <thread>
#include <vector>

#include "application.h"
#include "blankchart.h"
#include "cp1252text.h"
#include "layoutstyle.h"
#include "mainwindow_helpers.h"
#include "packet.h"

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

// The lines of /proc/self/maps: what is mapped into this process; none if
// it cannot be read.
QByteArrayList mappings()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) ? maps.readAll().split('\n') : QByteArrayList();
}

// The image format plugins mapped into this process, one per line.
std::string mappedImagePlugins()
{
    QByteArrayList plugins;
    for (const QByteArray& line : mappings())
        if (line.contains("/imageformats/") && !plugins.contains(line.mid(line.indexOf('/'))))
            plugins << line.mid(line.indexOf('/'));
    return plugins.join('\n').toStdString();
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

// Whether a file whose path ends in `name` is mapped into this process.
bool isMapped(const QByteArray& name)
{
    const QByteArrayList lines = mappings();
    return std::any_of(lines.begin(), lines.end(), [&](const QByteArray& line) { return line.endsWith('/' + name); });
}

// The families of the faces Qt looks for while it lives: each face not yet
// loaded in this process, as Qt's font matching reports it.
class FaceRequests {
public:
    FaceRequests()
    {
        families().clear();
        QLoggingCategory::setFilterRules(QStringLiteral("qt.text.font.match.debug=true"));
        previous_ = qInstallMessageHandler(&record);
    }
    ~FaceRequests()
    {
        qInstallMessageHandler(previous_);
        QLoggingCategory::setFilterRules(QString());
    }
    static QStringList& families()
    {
        static QStringList asked;
        return asked;
    }

private:
    static void record(QtMsgType, const QMessageLogContext& context, const QString& message)
    {
        static const QRegularExpression family(QStringLiteral("family: ([^\\[]*) \\["));
        if (context.category && QByteArray(context.category) == "qt.text.font.match")
            if (const QRegularExpressionMatch match = family.match(message); match.hasMatch())
                families() << match.captured(1);
    }
    QtMessageHandler previous_;
};

} // namespace

// The window lays no control out in the application's font, which none of
// them shows, and leaves that font to the standard dialogs as it found it.
TEST_F(MainWindowTest, IsMadeWithoutLoadingTheApplicationsFace)
{
    const QFont applicationFont = QApplication::font();
    ASSERT_NE(applicationFont.family(), layout::textFont().family());
    {
        const FaceRequests requests;
        // Faces are reported as they are looked for: one of a size used nowhere else.
        QFontMetrics(QFont(QStringLiteral("Liberation Mono"), 37)).height();
        ASSERT_TRUE(FaceRequests::families().contains(QStringLiteral("Liberation Mono")))
            << FaceRequests::families().join(", ").toStdString();
        window = std::make_unique<MainWindow>(nullptr, QStringLiteral(TEST_PACKET_DIR "/window.pkt"));
        ASSERT_TRUE(window->catalogueLoaded());
        EXPECT_FALSE(FaceRequests::families().contains(applicationFont.family())) << FaceRequests::families().join(", ").toStdString();
    }
    EXPECT_EQ(QApplication::font(), applicationFont);
    EXPECT_EQ(QApplication::font().family(), applicationFont.family());
    EXPECT_EQ(window->font(), layout::windowFont());
}

// The font configuration read ahead on its own thread, and Qt's font list
// once told the application exists: told or not, waited for once, twice or
// never, it ends, and the fonts are there afterwards.
TEST(FontConfigurationReader, EndsToldOrNotWaitedForOrNot)
{
    { const ui::FontConfigurationReader unwaited; }
    {
        ui::FontConfigurationReader told;
        told.applicationMade();
        told.applicationMade();
    }
    ui::FontConfigurationReader reader;
    reader.wait();
    reader.wait();
    reader.applicationMade();
    EXPECT_TRUE(QFontDatabase::families().contains(QStringLiteral("Liberation Serif")));
}

// A thread begun after the reader allocates from the program's heap, not
// from one of its own.
TEST(FontConfigurationReader, LeavesTheThreadsAfterItOnTheProgramsHeap)
{
    const ui::FontConfigurationReader reader;
    std::unique_ptr<char[]> block;
    std::thread([&block] { block = std::make_unique<char[]>(64); }).join();
    const auto at = reinterpret_cast<std::uintptr_t>(block.get());

    const QByteArray heap = [] {
        for (const QByteArray& line : mappings())
            if (line.endsWith("[heap]"))
                return line.left(line.indexOf(' '));
        return QByteArray();
    }();
    ASSERT_FALSE(heap.isEmpty());
    const QByteArrayList range = heap.split('-');
    EXPECT_GE(at, range[0].toULongLong(nullptr, 16));
    EXPECT_LT(at, range[1].toULongLong(nullptr, 16));
}

// The images the program carries are its source images, pixel for pixel, as
// the old way of reading them (Qt's decoders) gave them; a name it does not
// carry gives a null image.
TEST(ResourceImage, IsItsSourceImagePixelForPixel)
{
    for (const char* file : {"search.xpm", "search@2x.png", "help.xpm", "help@2x.png", "exit.xpm", "exit@2x.png",
                             "poblacion16.xpm", "poblacion32.xpm"}) {
        const QFileInfo source(QStringLiteral(SOURCE_DIR "/resources/images/") + QLatin1String(file));
        const QPixmap expected = QPixmap::fromImage(QImage(source.filePath()));
        ASSERT_FALSE(expected.isNull()) << file;
        const QPixmap carried = ui::resourceImage(source.completeBaseName());
        EXPECT_EQ(carried.size(), expected.size()) << file;
        EXPECT_EQ(argb(carried), argb(expected)) << file;
    }
    EXPECT_TRUE(ui::resourceImage(QStringLiteral("search.xpm")).isNull());
    EXPECT_TRUE(ui::resourceImage(QString()).isNull());
}

// A button image of two sizes draws each size from the image that covers
// it: the 96 dpi image up to its size, the image at twice its size above it
// (at twice the density too), scaled down where the size lies between.
TEST(ResourceIcon, DrawsEachSizeFromTheImageThatCoversIt)
{
    const QIcon icon = ui::resourceIcon(QStringLiteral("search"), QStringLiteral("search@2x"));
    const std::vector<QRgb> image = argb(ui::resourceImage(QStringLiteral("search")));
    const std::vector<QRgb> image2x = argb(ui::resourceImage(QStringLiteral("search@2x")));
    ASSERT_EQ(image.size(), 16u * 16u);
    ASSERT_EQ(image2x.size(), 32u * 32u);

    EXPECT_EQ(argb(icon.pixmap(QSize(16, 16), 1.0)), image);
    EXPECT_EQ(icon.pixmap(QSize(12, 12), 1.0).size(), QSize(12, 12));
    EXPECT_EQ(argb(icon.pixmap(QSize(32, 32), 1.0)), image2x);
    const QPixmap dense = icon.pixmap(QSize(16, 16), 2.0);
    EXPECT_EQ(dense.devicePixelRatio(), 2.0);
    EXPECT_EQ(argb(dense), image2x);
    EXPECT_EQ(icon.pixmap(QSize(24, 24), 1.0).size(), QSize(24, 24));
    EXPECT_EQ(icon.pixmap(QSize(64, 64), 1.0).size(), QSize(32, 32));
    EXPECT_EQ(icon.actualSize(QSize(64, 64)), QSize(32, 32));

    // Painted at twice the density, the larger image is drawn pixel for pixel.
    QImage painted(32, 32, QImage::Format_ARGB32);
    painted.setDevicePixelRatio(2.0);
    painted.fill(Qt::transparent);
    QPainter painter(&painted);
    icon.paint(&painter, QRect(0, 0, 16, 16));
    painter.end();
    painted.setDevicePixelRatio(1.0);
    EXPECT_EQ(argb(QPixmap::fromImage(painted)), image2x);

    // Disabled: the style's version, of the same size.
    const QPixmap disabled = icon.pixmap(QSize(16, 16), 1.0, QIcon::Disabled);
    EXPECT_EQ(disabled.size(), QSize(16, 16));
    EXPECT_NE(argb(disabled), image);
    EXPECT_TRUE(icon.availableSizes(QIcon::Disabled).isEmpty());
}

// Qt's Spanish texts are installed at start-up but read from their file only
// when Qt first asks for one of them (a standard dialog's button, a menu).
TEST(SpanishTranslations, AreReadWhenQtFirstAsksForOne)
{
    if (isMapped("qtbase_es.qm"))
        GTEST_SKIP() << "an earlier test of this process read them";
    ASSERT_TRUE(ui::installSpanishTranslations());
    EXPECT_FALSE(isMapped("qtbase_es.qm"));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancelar"));
    EXPECT_TRUE(isMapped("qtbase_es.qm"));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Save"), QStringLiteral("Guardar"));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "no such text"), QStringLiteral("no such text"));
}

TEST_F(MainWindowTest, ItsImagesAreReadWithoutLoadingAnyImagePlugin)
{
    const std::string before = mappedImagePlugins();
    ui::prepareApplication();
    open();
    EXPECT_EQ(mappedImagePlugins(), before);

    // Each image as drawn for 96 dpi and at twice its size.
    EXPECT_EQ(QApplication::windowIcon().availableSizes(), (QList<QSize>{{16, 16}, {32, 32}}));
    EXPECT_EQ(searchButton()->icon().availableSizes(), (QList<QSize>{{16, 16}, {32, 32}}));
    for (QPushButton* button : {helpButton(), exitButton()})
        EXPECT_EQ(button->icon().availableSizes(), (QList<QSize>{{18, 18}, {36, 36}}));
    // The magnifying glass's olive background is transparent.
    EXPECT_EQ(searchButton()->icon().pixmap(QSize(16, 16)).toImage().pixelColor(0, 0).alpha(), 0);
}

TEST_F(MainWindowTest, ReloadingLaysOutNoUnitInTheListsOrThePanel)
{
    // The load fills the blank panel's hidden title without measuring it:
    // it keeps the width laid out until the window has painted.
    window = std::make_unique<MainWindow>(nullptr, QStringLiteral(TEST_PACKET_DIR "/window.pkt"));
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
    window = std::make_unique<MainWindow>(nullptr, QStringLiteral(TEST_PACKET_DIR "/window.pkt"));
    const catalogue::View* lists[] = {&window->municipalityView(), &window->entityView(), &window->nucleusView()};
    // Created, not yet shown: loaded, the order left for later.
    for (const catalogue::View* view : lists)
        EXPECT_EQ(view->indexFieldNames(), "");
    EXPECT_EQ(displayNames(window->municipalityView()).first(), QStringLiteral("Abay"));
    EXPECT_EQ(displayNames(window->municipalityView()).at(1), QStringLiteral("Peñalba"));

    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QCoreApplication::processEvents();
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

// The first frame draws the blank chart without the chart control: a
// stand-in takes its place. The control is made once the window has
// painted, told the range of the unit the load left, and put in the
// stand-in's place when a unit is first shown: by the first search, which
// shows each list's first hit before it blanks the panel.
TEST_F(MainWindowTest, TheChartControlIsMadeOnceTheWindowHasPaintedAndShownWithAUnit)
{
    window = std::make_unique<MainWindow>(nullptr, QStringLiteral(TEST_PACKET_DIR "/window.pkt"));
    EXPECT_EQ(window->findChild<PopulationChart*>(), nullptr);
    auto* blank = window->findChild<BlankChart*>();
    ASSERT_NE(blank, nullptr);
    EXPECT_EQ(QRect(blank->mapTo(window.get(), QPoint()), blank->size()), QRect(344, 352, 425, 137));

    showWindow();
    EXPECT_FALSE(chart()->isVisible());
    EXPECT_TRUE(blank->isVisible());
    EXPECT_EQ(chart()->geometry(), blank->geometry());
    EXPECT_DOUBLE_EQ(chart()->yAxis->range().upper, 3079.65);

    search(QStringLiteral("SAN"));
    EXPECT_TRUE(chart()->isVisible());
    EXPECT_EQ(chart()->graphCount(), 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window->findChild<BlankChart*>(), nullptr);
    clickRow(municipalityList(), 0);
    EXPECT_EQ(chart()->graphCount(), 2);
}

// A right button pressed on the stand-in while it shows: the control is
// shown over it, and the press, and the moves and release that Qt keeps
// sending to the stand-in, go on to the control, so that the drag pans its
// left axis. The stand-in goes once the button is released.
TEST_F(MainWindowTest, ADragStartedOnTheStandInPansTheChart)
{
    for (const bool painted : {false, true}) {
        SCOPED_TRACE(painted ? "control made" : "control not yet made");
        window = std::make_unique<MainWindow>(nullptr, QStringLiteral(TEST_PACKET_DIR "/window.pkt"));
        if (painted)
            showWindow();
        QPointer<BlankChart> blank = window->findChild<BlankChart*>();
        ASSERT_TRUE(blank);
        // Shown, the window's input arrives as the window system's, which Qt
        // sends to the widget pressed; hidden, straight to the stand-in.
        const QPoint start(200, 60);
        const QPoint inWindow = blank->mapTo(window.get(), start);
        if (painted)
            QTest::mousePress(window->windowHandle(), Qt::RightButton, {}, inWindow);
        else
            QTest::mousePress(blank, Qt::RightButton, {}, start);
        PopulationChart* made = window->findChild<PopulationChart*>();
        ASSERT_NE(made, nullptr);
        EXPECT_TRUE(made->isVisibleTo(window.get()));
        EXPECT_TRUE(blank->isVisibleTo(window.get())); // under the control until the release
        const QObjectList& stack = made->parent()->children(); // bottom to top
        EXPECT_GT(stack.indexOf(made), stack.indexOf(blank));

        made->replot();
        const QCPRange before = made->yAxis->range();
        const QPoint drag(0, 25);
        if (painted) {
            QTest::mouseMove(window->windowHandle(), inWindow + drag);
        } else {
            QMouseEvent move(QEvent::MouseMove, QPointF(start + drag), blank->mapToGlobal(QPointF(start + drag)),
                             Qt::NoButton, Qt::RightButton, Qt::NoModifier);
            QApplication::sendEvent(blank, &move);
        }
        const double shift = 25 * before.size() / made->axisRect()->height();
        EXPECT_NEAR(made->yAxis->range().lower, before.lower + shift, 1e-9);
        EXPECT_NEAR(made->yAxis->range().upper, before.upper + shift, 1e-9);

        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(blank);
        if (painted)
            QTest::mouseRelease(window->windowHandle(), Qt::RightButton, {}, inWindow + drag);
        else
            QTest::mouseRelease(blank, Qt::RightButton, {}, start + drag);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(blank);
    }
}

TEST_F(MainWindowTest, ASearchBeforeTheFirstPaintStillListsByName)
{
    window = std::make_unique<MainWindow>(nullptr, QStringLiteral(TEST_PACKET_DIR "/window.pkt"));
    window->search();
    EXPECT_EQ(rows(municipalityList()), kMunicipalitiesByName);
    EXPECT_EQ(rows(nucleusList()), (QStringList{QStringLiteral("Barrio de la Peña"), QStringLiteral("Santa Ana"),
                                                QStringLiteral("Urbanización Sol")}));
    // Painting afterwards orders nothing again.
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QCoreApplication::processEvents();
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
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sin-nombrebusc.pkt"));
    QFile file(path);
    const std::string bytes = catalogue::writePacket(table);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    file.close();

    window = std::make_unique<MainWindow>(nullptr, path);
    EXPECT_FALSE(window->catalogueLoaded());
    EXPECT_EQ(window->loadFailure(), QStringLiteral("No se encuentra el campo 'NOMBREBUSC'"));
}

TEST_F(MainWindowTest, TheBuiltInCatalogueIsReadWhereItLiesAFileIsCopied)
{
    window = std::make_unique<MainWindow>();
    const QResource resource(QStringLiteral(":/PUEBLOS"));
    ASSERT_EQ(resource.compressionAlgorithm(), QResource::NoCompression);
    const catalogue::View* views[] = {&window->municipalityView(), &window->entityView(), &window->nucleusView(),
                                      &window->detailPanel().view()};
    for (const catalogue::View* view : views)
        EXPECT_EQ(view->table().packet().data(), reinterpret_cast<const char*>(resource.data()));

    // A file may change once loaded: the window keeps a copy of what it read.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("window.pkt"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(TEST_PACKET_DIR "/window.pkt"), path));
    window = std::make_unique<MainWindow>(nullptr, path);
    ASSERT_TRUE(QFile::resize(path, 0));
    ASSERT_TRUE(QFile::remove(path));
    window->search();
    EXPECT_EQ(rows(municipalityList()), kMunicipalitiesByName);
}

TEST_F(MainWindowTest, ACatalogueReadAheadIsTheOneItsViewsUse)
{
    // Read ahead and held, the built-in catalogue is not read again.
    const auto builtIn = MainWindow::readCatalogueAhead();
    ASSERT_NE(builtIn, nullptr);
    window = std::make_unique<MainWindow>();
    const catalogue::View* views[] = {&window->municipalityView(), &window->entityView(), &window->nucleusView(),
                                      &window->detailPanel().view()};
    for (const catalogue::View* view : views)
        EXPECT_EQ(&view->table(), &builtIn->table());

    // A file too, although its bytes are read again to be compared.
    const QString file = QStringLiteral(TEST_PACKET_DIR "/window.pkt");
    const auto ahead = MainWindow::readCatalogueAhead(file);
    ASSERT_NE(ahead, nullptr);
    EXPECT_EQ(&open(file).municipalityView().table(), &ahead->table());

    // What cannot be read is left to the window's own load, which says why.
    QTemporaryDir dir;
    const QString broken = dir.filePath(QStringLiteral("roto.pkt"));
    QFile out(broken);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write("no es un paquete");
    out.close();
    for (const QString& path : {broken, dir.filePath(QStringLiteral("no-existe.pkt"))}) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_EQ(MainWindow::readCatalogueAhead(path), nullptr);
        EXPECT_FALSE(open(path).catalogueLoaded());
        EXPECT_FALSE(window->loadFailure().isEmpty());
    }
}
