// The main window: layout, start state, tab order, a failed load, closing,
// help, and where the window is placed.

#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include "tform2.h"

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
// label that grows with its caption, the title, the lists, the census table and
// chart, the button whose caption is changed after it is made.
const Place kLayout[] = {
    {"Label7", {80, 32, 579, 17}, 15, true,
     "Introduzca la denominación de la unidad poblacional o alguna palabra de las que contenga"},
    {"Edit1", {160, 58, 249, 23}, 13, false, nullptr},
    {"DBGrid2", {8, 104, 313, 131}, 13, false, nullptr},
    {"Label8", {344, 112, 182, 16}, 13, true, nullptr},
    {"StringGrid1", {344, 241, 425, 103}, 11, false, nullptr},
    {"Chart1", {344, 352, 425, 137}, 0, false, nullptr},
    {"BitBtn3", {360, 504, 137, 33}, 11, false, "Listar todas las\nunidades poblacionales"},
};

QColor colour(QWidget* widget, QPalette::ColorRole role) { return widget->palette().color(QPalette::Active, role); }

} // namespace

TEST_F(MainWindowTest, LaysOutEveryControlAsTheLayoutSays)
{
    TForm1& w = open();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Catálogo"));
    EXPECT_EQ(w.minimumSize(), QSize(787, 545));
    EXPECT_EQ(w.maximumSize(), QSize(787, 545));
    EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint);

    for (const Place& place : kLayout) {
        SCOPED_TRACE(place.name);
        auto* widget = w.findChild<QWidget*>(QLatin1String(place.name));
        ASSERT_NE(widget, nullptr);
        if (qobject_cast<QLabel*>(widget)) {
            // A label is at least as wide as laid out (the title follows its caption).
            EXPECT_EQ(widget->pos(), place.geometry.topLeft());
            EXPECT_EQ(widget->height(), place.geometry.height());
            EXPECT_TRUE(widget == w.Label8 || widget->width() >= place.geometry.width());
        } else {
            EXPECT_EQ(widget->geometry(), place.geometry);
        }
        if (place.pixelSize) {
            EXPECT_EQ(widget->font().pixelSize(), place.pixelSize);
            EXPECT_EQ(widget->font().family(), QStringLiteral("Times New Roman"));
            EXPECT_EQ(widget->font().bold(), place.bold);
        }
        if (place.caption) {
            const auto* label = qobject_cast<QLabel*>(widget);
            EXPECT_EQ(label ? label->text() : qobject_cast<QAbstractButton*>(widget)->text(), QString::fromUtf8(place.caption));
        }
    }
    EXPECT_TRUE(w.Label8->font().italic());

    // Colours at start.
    EXPECT_EQ(colour(&w, QPalette::Window), QColor(255, 238, 221));
    const std::tuple<QWidget*, QPalette::ColorRole, QColor> colours[] = {
        {w.BitBtn3, QPalette::ButtonText, QColor(170, 43, 74)}, {w.Label8, QPalette::WindowText, QColor(87, 25, 42)},
        {w.DBGrid1, QPalette::Text, QColor(95, 95, 95)}};
    for (const auto& [widget, role, expected] : colours)
        EXPECT_EQ(colour(widget, role), expected) << widget->objectName().toStdString() << " " << role;

    for (DBGrid* grid : {w.DBGrid1, w.DBGrid2, w.DBGrid3})
        EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_TRUE(w.DBMemo1->isReadOnly());
}

TEST_F(MainWindowTest, StartsWithBlankDisabledListsAndTheCensusHeadings)
{
    TForm1& w = open();
    EXPECT_TRUE(loadFailureMessage(w).isEmpty());
    EXPECT_TRUE(messages().empty());

    // Headings without counts (checked with the layout), lists disabled and empty.
    for (DBGrid* grid : {w.DBGrid1, w.DBGrid2, w.DBGrid3}) {
        EXPECT_FALSE(grid->isEnabled());
        EXPECT_EQ(grid->model()->rowCount(), 0);
    }

    // The views are open behind the blank lists: kind filters, name order.
    const std::pair<catalogue::View*, int> views[] = {
        {&w.ClientDataSet1, kMunicipalities}, {&w.ClientDataSet2, kEntities}, {&w.ClientDataSet3, kNuclei}};
    int kind = 2;
    for (auto [view, count] : views) {
        EXPECT_EQ(view->filterText(), std::string("tiponum = ").append(std::to_string(kind++)));
        EXPECT_TRUE(view->filtered());
        EXPECT_EQ(view->recordCount(), count);
        EXPECT_EQ(view->indexFieldNames(), "NOMBREBUSC");
    }
    // The detail view opened on the last unit the nucleus list recorded.
    EXPECT_TRUE(w.ClientDataSet4.active());
    EXPECT_EQ(w.ClientDataSet4.filterText(), "ident = 40001");

    // The census headings, no values, no series, nothing selected.
    expectBlankPanel();
    const QStringList years = QString("1900 1910 1920 1930 1940 1950 1960 1970 1981 1991 2001 2004").split(' ');
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(w.StringGrid1->Cells(i % 6, i < 6 ? 0 : 2), years[i]);
    EXPECT_EQ(w.StringGrid1->Selection(), QRect(QPoint(-1, -1), QPoint(-1, -1)));
    EXPECT_FALSE(w.StringGrid1->isEnabled());
    // The table paints through the census painter: pink headings, white values.
    const QImage table = w.StringGrid1->grab().toImage();
    EXPECT_EQ(QColor(table.pixel(w.StringGrid1->CellRect(2, 2).topLeft())), QColor(235, 157, 176));
    EXPECT_EQ(QColor(table.pixel(w.StringGrid1->CellRect(2, 3).center())), QColor(Qt::white));

    EXPECT_EQ(focused(), w.Edit1);
    EXPECT_TRUE(w.Edit1->text().isEmpty());
}

TEST_F(MainWindowTest, AFailedLoadLeavesAWorkingWindowAndSaysWhy)
{
    QTemporaryDir dir;
    const QString corrupt = dir.filePath(QStringLiteral("corrupt.pkt"));
    QFile good(QStringLiteral(TEST_PACKET_DIR "/window.pkt")), file(corrupt);
    ASSERT_TRUE(good.open(QIODevice::ReadOnly) && file.open(QIODevice::WriteOnly));
    file.write(good.readAll().left(good.size() / 2)); // a packet cut short
    file.close();
    TForm1& w = open(corrupt);
    EXPECT_EQ(w.LoadError, QStringLiteral("MIDAS.DLL"));
    ASSERT_FALSE(w.LoadErrorMessage.isEmpty());
    // The window itself shows nothing; start-up tells the user.
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(loadFailureMessage(w),
              QStringLiteral("No se ha podido cargar el catálogo de unidades poblacionales.\n") + w.LoadErrorMessage);

    // Start state as usual, without data; listing everything finds nothing.
    EXPECT_EQ(focused(), w.Edit1);
    listAll();
    EXPECT_TRUE(messages().empty());
    expectHeadings(0, 0, 0);

    // A missing file is a failed load too, naming the file.
    form.reset();
    TForm1& missing = open(dir.filePath(QStringLiteral("no-such.pkt")));
    EXPECT_EQ(missing.LoadError, QStringLiteral("MIDAS.DLL"));
    EXPECT_TRUE(missing.LoadErrorMessage.contains(QStringLiteral("no-such.pkt")));
}

TEST_F(MainWindowTest, ClosingByButtonOrCloseBoxFreesTheViews)
{
    for (const bool byButton : {true, false}) {
        SCOPED_TRACE(byButton ? "Salir" : "close box");
        TForm1& w = open();
        search(QStringLiteral("A"));
        clickRow(w.DBGrid2, 0);
        ASSERT_TRUE(w.Label8->isVisibleTo(&w));
        if (byButton)
            QTest::mouseClick(w.BitBtn2, Qt::LeftButton);
        else
            EXPECT_TRUE(w.close());
        EXPECT_FALSE(w.isVisible());
        for (catalogue::View* view : {&w.ClientDataSet1, &w.ClientDataSet2, &w.ClientDataSet3, &w.ClientDataSet4})
            EXPECT_FALSE(view->active());
        EXPECT_EQ(w.DBGrid2->model()->rowCount(), 0);
        EXPECT_EQ(w.LineSeries, nullptr);
        EXPECT_EQ(w.Chart1->graphCount(), 0);
        EXPECT_TRUE(messages().empty());
        form.reset();
    }
}

TEST_F(MainWindowTest, TheHelpButtonOpensAFreshHelpWindowModally)
{
    TForm1& w = open();
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
        QTest::mouseClick(w.BitBtn1, Qt::LeftButton);
        EXPECT_EQ(shown, QStringLiteral("TForm2"));
        EXPECT_EQ(parent, &w);
        EXPECT_TRUE(w.findChildren<TForm2*>().isEmpty()); // closing it destroyed it
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

    TForm1& w = open();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(w.frameGeometry().topLeft(),
              screen.topLeft() + windowPlacement(screen.size(), w.frameGeometry().size()));
}
