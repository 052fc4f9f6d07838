// The main window: layout, start state, tab order, a failed load, closing,
// help, and where the window is placed.

#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include "helpwindow.h"
#include "layoutstyle.h"

#include "mainwindow_helpers.h"

using namespace mwtest;

namespace {

struct Place {
    const char* name;
    QRect geometry;
    int pixelSize; // Times New Roman at this size; 0: not checked
    bool bold;
    const char* caption; // nullptr: not checked
};

// The controls whose place or caption is set by more than their creation: a
// label that grows with its caption, the unit's title, the lists, the census
// table and chart (places in the window), the button of two lines.
const Place kLayout[] = {
    {"instructions", {80, 32, 579, 17}, 15, true,
     "Introduzca la denominación de la unidad poblacional o alguna palabra de las que contenga"},
    {"searchBox", {160, 58, 249, 23}, 13, false, nullptr},
    {"municipalityList", {8, 104, 313, 131}, 13, false, nullptr},
    {"unitTitle", {344, 112, 182, 16}, 13, true, nullptr},
    {"censusTable", {344, 241, 425, 103}, 11, false, nullptr},
    {"populationChart", {344, 352, 425, 137}, 0, false, nullptr},
    {"listAllButton", {360, 504, 137, 33}, 11, false, "Listar todas las\nunidades poblacionales"},
};

QColor colour(QWidget* widget, QPalette::ColorRole role) { return widget->palette().color(QPalette::Active, role); }

} // namespace

TEST_F(MainWindowTest, LaysOutEveryControlAsTheLayoutSays)
{
    MainWindow& w = open();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Catálogo"));
    EXPECT_EQ(w.minimumSize(), QSize(787, 545));
    EXPECT_EQ(w.maximumSize(), QSize(787, 545));
    EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
    // The window's own font, the layout's, reaches the controls without one:
    // the search button among them.
    for (const QWidget* plain : {static_cast<const QWidget*>(&w), static_cast<const QWidget*>(searchButton())}) {
        EXPECT_EQ(plain->font().families(), layout::windowFont().families());
        EXPECT_EQ(plain->font().pixelSize(), 11);
    }

    for (const Place& place : kLayout) {
        SCOPED_TRACE(place.name);
        QWidget* widget = control(place.name);
        // Where the window shows it (the detail panel's controls lie in the panel).
        const QRect shown(widget->mapTo(&w, QPoint()), widget->size());
        if (qobject_cast<QLabel*>(widget)) {
            // A label is at least as wide as laid out (the title follows its caption).
            EXPECT_EQ(shown.topLeft(), place.geometry.topLeft());
            EXPECT_EQ(widget->height(), place.geometry.height());
            EXPECT_TRUE(widget == unitTitle() || widget->width() >= place.geometry.width());
        } else {
            EXPECT_EQ(shown, place.geometry);
        }
        if (place.pixelSize) {
            EXPECT_EQ(widget->font().pixelSize(), place.pixelSize);
            EXPECT_EQ(widget->font().families(), layout::textFont().families()); // the layout's serif face
            EXPECT_EQ(widget->font().bold(), place.bold);
        }
        if (place.caption) {
            const auto* label = qobject_cast<QLabel*>(widget);
            EXPECT_EQ(label ? label->text() : qobject_cast<QAbstractButton*>(widget)->text(), QString::fromUtf8(place.caption));
        }
    }
    EXPECT_TRUE(unitTitle()->font().italic());

    // Colours at start.
    EXPECT_EQ(colour(&w, QPalette::Window), QColor(255, 238, 221));
    const std::tuple<QWidget*, QPalette::ColorRole, QColor> colours[] = {
        {listAllButton(), QPalette::ButtonText, QColor(170, 43, 74)}, {unitTitle(), QPalette::WindowText, QColor(87, 25, 42)},
        {nucleusList(), QPalette::Text, QColor(95, 95, 95)}};
    for (const auto& [widget, role, expected] : colours)
        EXPECT_EQ(colour(widget, role), expected) << widget->objectName().toStdString() << " " << role;

    for (UnitList* list : {nucleusList(), municipalityList(), entityList()})
        EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_TRUE(note()->isReadOnly());
}

TEST_F(MainWindowTest, StartsWithBlankDisabledListsAndTheCensusHeadings)
{
    MainWindow& w = open();
    EXPECT_TRUE(w.catalogueLoaded());
    EXPECT_TRUE(w.loadFailureMessage().isEmpty());
    EXPECT_TRUE(messages().empty());

    // Headings without counts (checked with the layout), lists disabled and empty.
    for (UnitList* list : {nucleusList(), municipalityList(), entityList()}) {
        EXPECT_FALSE(list->isEnabled());
        EXPECT_EQ(list->model()->rowCount(), 0);
    }

    // The views are open behind the blank lists: kind filters, and name order
    // once the window has painted.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QCoreApplication::processEvents();
    const std::pair<const catalogue::View*, int> views[] = {
        {&w.municipalityView(), kMunicipalities}, {&w.entityView(), kEntities}, {&w.nucleusView(), kNuclei}};
    int kind = 2;
    for (auto [view, count] : views) {
        EXPECT_EQ(view->filterText(), std::string("tiponum = ").append(std::to_string(kind++)));
        EXPECT_TRUE(view->filtered());
        EXPECT_EQ(view->recordCount(), count);
        EXPECT_EQ(view->indexFieldNames(), "NOMBREBUSC");
    }
    // The detail view opened on the last unit the nucleus list recorded.
    EXPECT_TRUE(panel().view().active());
    EXPECT_EQ(panel().view().filterText(), "ident = 40001");

    // The census headings, no values, no series.
    expectBlankPanel();
    const QStringList years = QString("1900 1910 1920 1930 1940 1950 1960 1970 1981 1991 2001 2004").split(' ');
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(censusTable()->cell(i % 6, i < 6 ? 0 : 2), years[i]);
    EXPECT_FALSE(censusTable()->isEnabled());
    // The table paints its years on pink and its values on white.
    const QImage table = censusTable()->grab().toImage();
    EXPECT_EQ(QColor(table.pixel(censusTable()->cellRect(2, 2).topLeft())), QColor(235, 157, 176));
    EXPECT_EQ(QColor(table.pixel(censusTable()->cellRect(2, 3).center())), QColor(Qt::white));

    EXPECT_EQ(focused(), searchBox());
    EXPECT_TRUE(searchBox()->text().isEmpty());
}

TEST_F(MainWindowTest, AFailedLoadLeavesAWorkingWindowAndSaysWhy)
{
    QTemporaryDir dir;
    const QString corrupt = dir.filePath(QStringLiteral("corrupt.pkt"));
    QFile good(QStringLiteral(TEST_PACKET_DIR "/window.pkt")), file(corrupt);
    ASSERT_TRUE(good.open(QIODevice::ReadOnly) && file.open(QIODevice::WriteOnly));
    file.write(good.readAll().left(good.size() / 2)); // a packet cut short
    file.close();
    MainWindow& w = open(corrupt);
    EXPECT_FALSE(w.catalogueLoaded());
    ASSERT_FALSE(readFailure.isEmpty());
    // The window itself shows nothing; start-up tells the user.
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(catalogueFailureMessage(readFailure),
              QStringLiteral("No se ha podido cargar el catálogo de unidades poblacionales.\n") + readFailure);
    EXPECT_EQ(w.loadFailureMessage(), QStringLiteral("No se ha podido cargar el catálogo de unidades poblacionales."));

    // Start state as usual, without data; listing everything finds nothing.
    EXPECT_EQ(focused(), searchBox());
    listAll();
    EXPECT_TRUE(messages().empty());
    expectHeadings(0, 0, 0);

    // A missing file is a failed read too, naming the file.
    MainWindow& missing = open(dir.filePath(QStringLiteral("no-such.pkt")));
    EXPECT_FALSE(missing.catalogueLoaded());
    EXPECT_EQ(readFailure, QStringLiteral("No se puede abrir el archivo ") + dir.filePath(QStringLiteral("no-such.pkt")));
}

TEST_F(MainWindowTest, ClosingByButtonOrCloseBoxFreesTheViews)
{
    for (const bool byButton : {true, false}) {
        SCOPED_TRACE(byButton ? "Salir" : "close box");
        MainWindow& w = open();
        search(QStringLiteral("A"));
        clickRow(municipalityList(), 0);
        ASSERT_TRUE(unitTitle()->isVisibleTo(&w));
        if (byButton)
            QTest::mouseClick(exitButton(), Qt::LeftButton);
        else
            EXPECT_TRUE(w.close());
        EXPECT_FALSE(w.isVisible());
        for (const catalogue::View* view : {&w.municipalityView(), &w.entityView(), &w.nucleusView(), &std::as_const(panel().view())})
            EXPECT_FALSE(view->active());
        EXPECT_EQ(municipalityList()->model()->rowCount(), 0);
        EXPECT_EQ(chart()->lineSeries(), nullptr);
        EXPECT_EQ(chart()->graphCount(), 0);
        EXPECT_TRUE(messages().empty());
        window.reset();
    }
}

TEST_F(MainWindowTest, TheHelpButtonOpensAFreshHelpWindowModally)
{
    MainWindow& w = open();
    for (int round = 0; round < 2; ++round) {
        QString shown;
        QWidget* parent = nullptr;
        QTimer::singleShot(0, [&] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                shown = QString::fromLatin1(modal->metaObject()->className());
                parent = modal->parentWidget();
                modal->close();
            }
        });
        QTest::mouseClick(helpButton(), Qt::LeftButton);
        EXPECT_EQ(shown, QStringLiteral("HelpWindow"));
        EXPECT_EQ(parent, &w);
        EXPECT_TRUE(w.findChildren<HelpWindow*>().isEmpty()); // closing it destroyed it
    }
    EXPECT_TRUE(w.isVisible());
}

TEST_F(MainWindowTest, IsCentredOnThePrimaryScreenAndKeepsClearOfTheEdges)
{
    struct Case {
        QSize screen, window;
        QPoint expected;
    };
    const Case cases[] = {
        // Centred: whole-number division of the free space; under 700 pixels
        // high at the top; narrower than the window, or hardly wider: 1.
        {{1920, 1080}, {796, 575}, {562, 252}}, {{1024, 699}, {795, 500}, {114, 1}},
        {{1024, 700}, {795, 500}, {114, 100}},  {{797, 800}, {795, 574}, {1, 113}},
        {{799, 800}, {795, 574}, {2, 113}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(windowPlacement(c.screen, c.window), c.expected) << c.screen.width() << "x" << c.screen.height();

    MainWindow& w = open();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(w.frameGeometry().topLeft(),
              screen.topLeft() + windowPlacement(screen.size(), w.frameGeometry().size()));
}
