// The main window: layout, start state, tab order, a failed load, closing,
// and where the window is placed.

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <qcustomplot.h>

#include "tform2.h"

#include "mainwindow_helpers.h"

using namespace mwtest;

namespace {

struct Place {
    const char* name;
    QRect geometry;
    int pixelSize; // 0: not checked
    bool bold;
};

const Place kLayout[] = {
    {"Label6", {80, 8, 404, 23}, 21, false},
    {"Label7", {80, 32, 579, 17}, 15, true},
    {"Label1", {80, 64, 68, 17}, 15, true},
    {"Edit1", {160, 58, 249, 23}, 13, false},
    {"SpeedButton1", {424, 58, 23, 22}, 0, false},
    {"Label2", {8, 86, 73, 17}, 15, true},
    {"DBGrid2", {8, 104, 313, 131}, 13, false},
    {"Label3", {8, 239, 65, 17}, 15, true},
    {"DBGrid3", {8, 256, 313, 131}, 13, false},
    {"Label4", {8, 389, 53, 17}, 15, true},
    {"DBGrid1", {8, 406, 313, 131}, 13, false},
    {"Bevel1", {336, 104, 441, 393}, 0, false},
    {"Label8", {344, 112, 182, 16}, 13, true},
    {"DBMemo1", {344, 128, 425, 89}, 13, false},
    {"Label5", {344, 224, 102, 15}, 13, true},
    {"StringGrid1", {344, 241, 425, 103}, 11, false},
    {"Chart1", {344, 352, 425, 137}, 0, false},
    {"BitBtn3", {360, 504, 137, 33}, 11, false},
    {"BitBtn1", {552, 504, 75, 33}, 11, false},
    {"BitBtn2", {680, 504, 75, 33}, 11, false},
};

QColor colour(QWidget* widget, QPalette::ColorRole role) { return widget->palette().color(QPalette::Active, role); }

QByteArray digest(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

} // namespace

TEST_F(MainWindowTest, LaysOutEveryControlAsTheLayoutSays)
{
    TForm1& w = open();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Catálogo"));
    EXPECT_EQ(w.size(), QSize(787, 545));
    EXPECT_EQ(w.minimumSize(), QSize(787, 545));
    EXPECT_EQ(w.maximumSize(), QSize(787, 545));
    EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(w.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(w.windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_EQ(w.font().pixelSize(), 11);
    EXPECT_EQ(w.font().family(), QStringLiteral("MS Sans Serif"));

    for (const Place& place : kLayout) {
        SCOPED_TRACE(place.name);
        auto* widget = w.findChild<QWidget*>(QLatin1String(place.name));
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->parentWidget(), &w);
        if (qobject_cast<QLabel*>(widget)) {
            // A label is at least as wide as laid out, and wide enough for its caption.
            EXPECT_EQ(widget->pos(), place.geometry.topLeft());
            EXPECT_EQ(widget->height(), place.geometry.height());
            if (widget != w.Label8) { // the title's width follows its caption
                EXPECT_GE(widget->width(), place.geometry.width());
            }
            EXPECT_GE(widget->width(), widget->sizeHint().width());
        } else {
            EXPECT_EQ(widget->geometry(), place.geometry);
        }
        if (place.pixelSize) {
            EXPECT_EQ(widget->font().pixelSize(), place.pixelSize);
            EXPECT_EQ(widget->font().family(), QStringLiteral("Times New Roman"));
            EXPECT_EQ(widget->font().bold(), place.bold);
        }
    }
    EXPECT_TRUE(w.Label8->font().italic());

    EXPECT_EQ(w.Label6->text(), QStringLiteral("Búsqueda de unidades poblacionales por nombre"));
    EXPECT_EQ(w.Label7->text(),
              QStringLiteral("Introduzca la denominación de la unidad poblacional o alguna palabra de las que contenga"));
    EXPECT_EQ(w.Label1->text(), QStringLiteral("Población:"));
    EXPECT_EQ(w.Label5->text(), QStringLiteral("Población por años"));
    EXPECT_EQ(w.BitBtn1->text(), QStringLiteral("Ayuda"));
    EXPECT_EQ(w.BitBtn2->text(), QStringLiteral("Salir"));
    EXPECT_EQ(w.BitBtn3->text(), QStringLiteral("Listar todas las\nunidades poblacionales"));
    EXPECT_EQ(w.SpeedButton1->toolTip(), QStringLiteral("Buscar una cadena\nde texto"));
    EXPECT_TRUE(w.SpeedButton1->text().isEmpty());

    // Images: the search glass 16 × 16, help and exit 18 × 18, with a greyed twin.
    for (auto [button, size] : {std::pair<QAbstractButton*, int>{w.SpeedButton1, 16}, {w.BitBtn1, 18}, {w.BitBtn2, 18}}) {
        SCOPED_TRACE(button->objectName().toStdString());
        ASSERT_FALSE(button->icon().isNull());
        EXPECT_EQ(button->iconSize(), QSize(size, size));
        const QImage normal = button->icon().pixmap(QSize(size, size)).toImage();
        const QImage disabled = button->icon().pixmap(QSize(size, size), QIcon::Disabled).toImage();
        EXPECT_EQ(normal.size(), QSize(size, size));
        EXPECT_NE(normal, disabled);
        EXPECT_TRUE(normal.hasAlphaChannel());
    }
    EXPECT_TRUE(w.BitBtn3->icon().isNull());

    // Colours at start.
    const QColor tint(255, 238, 221), red(170, 43, 74), maroon(87, 25, 42), grey(95, 95, 95), white(Qt::white);
    EXPECT_EQ(colour(&w, QPalette::Window), tint);
    EXPECT_TRUE(w.autoFillBackground());
    for (QLabel* label : {w.Label2, w.Label3, w.Label4, w.Label6})
        EXPECT_EQ(colour(label, QPalette::WindowText), red) << label->objectName().toStdString();
    EXPECT_EQ(colour(w.BitBtn3, QPalette::ButtonText), red);
    for (QLabel* label : {w.Label1, w.Label5, w.Label7, w.Label8})
        EXPECT_EQ(colour(label, QPalette::WindowText), maroon) << label->objectName().toStdString();
    for (QWidget* box : {static_cast<QWidget*>(w.Edit1), static_cast<QWidget*>(w.DBMemo1)}) {
        EXPECT_EQ(colour(box, QPalette::Text), maroon);
        EXPECT_EQ(colour(box, QPalette::Base), white);
    }
    EXPECT_EQ(colour(w.StringGrid1, QPalette::Text), maroon);
    for (DBGrid* grid : {w.DBGrid1, w.DBGrid2, w.DBGrid3}) {
        EXPECT_EQ(colour(grid, QPalette::Text), grey);
        EXPECT_EQ(colour(grid, QPalette::Base), white);
        EXPECT_EQ(grid->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        EXPECT_EQ(grid->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    }
    EXPECT_FALSE(w.DBGrid2->tabMovesWithinList());
    EXPECT_TRUE(w.DBGrid3->tabMovesWithinList());
    EXPECT_TRUE(w.DBGrid1->tabMovesWithinList());
    EXPECT_TRUE(w.DBMemo1->isReadOnly());
    EXPECT_TRUE(w.DBMemo1->tabChangesFocus());
    EXPECT_EQ(w.DBMemo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(w.DBMemo1->lineWrapMode(), QPlainTextEdit::WidgetWidth);

    // Controls that take no focus.
    EXPECT_EQ(w.SpeedButton1->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(w.StringGrid1->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(w.Chart1->focusPolicy(), Qt::NoFocus);
    EXPECT_FALSE(w.StringGrid1->isEnabled());
}

TEST_F(MainWindowTest, StartsWithBlankDisabledListsAndTheCensusHeadings)
{
    TForm1& w = open();
    EXPECT_TRUE(w.LoadError.isEmpty());
    EXPECT_TRUE(w.LoadErrorMessage.isEmpty());
    EXPECT_TRUE(loadFailureMessage(w).isEmpty());
    EXPECT_TRUE(messages().empty());

    EXPECT_EQ(w.Label2->text(), QStringLiteral("Municipios"));
    EXPECT_EQ(w.Label3->text(), QStringLiteral("Entidades"));
    EXPECT_EQ(w.Label4->text(), QStringLiteral("Núcleos"));
    for (DBGrid* grid : {w.DBGrid1, w.DBGrid2, w.DBGrid3}) {
        EXPECT_FALSE(grid->isEnabled());
        EXPECT_EQ(grid->model()->rowCount(), 0);
    }
    for (DataSource* source : {w.DataSource1, w.DataSource2, w.DataSource3, w.DataSource4})
        EXPECT_FALSE(source->Enabled());

    // The views are open behind the blank lists: kind filters, name order.
    EXPECT_EQ(w.ClientDataSet1.Filter(), "tiponum = 2");
    EXPECT_EQ(w.ClientDataSet2.Filter(), "tiponum = 3");
    EXPECT_EQ(w.ClientDataSet3.Filter(), "tiponum = 4");
    EXPECT_EQ(w.ClientDataSet1.RecordCount(), kMunicipalities);
    EXPECT_EQ(w.ClientDataSet2.RecordCount(), kEntities);
    EXPECT_EQ(w.ClientDataSet3.RecordCount(), kNuclei);
    for (catalogue::View* view : {&w.ClientDataSet1, &w.ClientDataSet2, &w.ClientDataSet3}) {
        EXPECT_TRUE(view->Filtered());
        EXPECT_EQ(view->IndexFieldNames(), "NOMBREBUSC");
    }
    // The detail view opened on the last unit the nucleus list recorded.
    EXPECT_TRUE(w.ClientDataSet4.Active());
    EXPECT_EQ(w.ClientDataSet4.Filter(), "ident = 40001");
    EXPECT_TRUE(w.ClientDataSet4.Filtered());
    EXPECT_TRUE(w.ClientDataSet4.IndexFieldNames().empty());

    expectBlankPanel();
    EXPECT_EQ(w.StringGrid1->DefaultColWidth(), 69);
    EXPECT_EQ(w.StringGrid1->Selection(), QRect(QPoint(-1, -1), QPoint(-1, -1)));
    const QStringList years0 = {"1900", "1910", "1920", "1930", "1940", "1950"};
    const QStringList years2 = {"1960", "1970", "1981", "1991", "2001", "2004"};
    for (int col = 0; col < 6; ++col) {
        EXPECT_EQ(w.StringGrid1->Cells(col, 0), years0[col]);
        EXPECT_EQ(w.StringGrid1->Cells(col, 2), years2[col]);
    }
    EXPECT_EQ(w.Chart1->graphCount(), 0);
    EXPECT_EQ(focused(), w.Edit1);
    EXPECT_TRUE(w.Edit1->text().isEmpty());
}

TEST_F(MainWindowTest, TabGoesThroughTheControlsInOrder)
{
    TForm1& w = open();
    // At start the lists are disabled and are passed over.
    ASSERT_EQ(focused(), w.Edit1);
    const QWidget* atStart[] = {w.DBMemo1, w.BitBtn1, w.BitBtn2, w.BitBtn3, w.Edit1};
    for (const QWidget* next : atStart) {
        tab();
        EXPECT_EQ(focused(), next) << next->objectName().toStdString();
    }
    // With every list filled, Tab enters the municipality list and leaves it
    // again; the entity and nucleus lists keep Tab for themselves.
    QTest::mouseClick(w.BitBtn3, Qt::LeftButton);
    w.Edit1->setFocus(Qt::TabFocusReason);
    tab();
    EXPECT_EQ(focused(), w.DBMemo1);
    tab();
    EXPECT_EQ(focused(), w.DBGrid2);
    tab();
    EXPECT_EQ(focused(), w.DBGrid3);
    // Shift+Tab on the first row of the entity list goes nowhere.
    backtab();
    EXPECT_EQ(focused(), w.DBGrid3);
    EXPECT_EQ(w.ClientDataSet2.RecNo(), 0);
}

TEST_F(MainWindowTest, AFailedLoadLeavesAWorkingWindowAndSaysWhy)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString corrupt = dir.filePath(QStringLiteral("corrupt.pkt"));
    {
        QFile good(testPacket());
        ASSERT_TRUE(good.open(QIODevice::ReadOnly));
        QByteArray bytes = good.readAll();
        bytes.truncate(bytes.size() / 2); // a packet cut short
        QFile file(corrupt);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    TForm1& w = open(corrupt);
    EXPECT_EQ(w.LoadError, QStringLiteral("MIDAS.DLL"));
    EXPECT_FALSE(w.LoadErrorMessage.isEmpty());
    // The window itself shows nothing; start-up tells the user.
    EXPECT_TRUE(messages().empty());
    const QString message = loadFailureMessage(w);
    EXPECT_TRUE(message.startsWith(QStringLiteral("No se ha podido cargar el catálogo de unidades poblacionales.\n")));
    EXPECT_TRUE(message.endsWith(w.LoadErrorMessage));

    // Start state as usual, without data.
    EXPECT_EQ(w.BitBtn3->text(), QStringLiteral("Listar todas las\nunidades poblacionales"));
    EXPECT_EQ(colour(&w, QPalette::Window), QColor(255, 238, 221));
    EXPECT_EQ(w.StringGrid1->Cells(2, 2), QStringLiteral("1981"));
    EXPECT_FALSE(w.Label8->isVisibleTo(&w));
    for (DBGrid* grid : {w.DBGrid1, w.DBGrid2, w.DBGrid3})
        EXPECT_FALSE(grid->isEnabled());
    EXPECT_EQ(focused(), w.Edit1);

    // Listing everything finds nothing, and fails nowhere.
    QTest::mouseClick(w.BitBtn3, Qt::LeftButton);
    EXPECT_TRUE(messages().empty());
    expectHeadings(0, 0, 0);

    // A missing file is a failed load too, naming the file.
    form.reset();
    TForm1& missing = open(dir.filePath(QStringLiteral("no-such.pkt")));
    EXPECT_EQ(missing.LoadError, QStringLiteral("MIDAS.DLL"));
    EXPECT_TRUE(missing.LoadErrorMessage.contains(QStringLiteral("no-such.pkt")));
}

TEST_F(MainWindowTest, ClosingFreesTheViewsAndSavesNothing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString packet = dir.filePath(QStringLiteral("window.pkt"));
    ASSERT_TRUE(QFile::copy(testPacket(), packet));
    const QByteArray before = digest(packet);

    TForm1& w = open(packet);
    search(QStringLiteral("A"));
    clickRow(w.DBGrid2, 0);
    ASSERT_TRUE(w.Label8->isVisibleTo(&w));

    QTest::mouseClick(w.BitBtn2, Qt::LeftButton);
    EXPECT_FALSE(w.isVisible());
    for (catalogue::View* view : {&w.ClientDataSet1, &w.ClientDataSet2, &w.ClientDataSet3, &w.ClientDataSet4})
        EXPECT_FALSE(view->Active());
    EXPECT_EQ(w.LineSeries, nullptr);
    EXPECT_EQ(w.PointSeries, nullptr);
    EXPECT_EQ(w.Chart1->graphCount(), 0);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("window.pkt")});
    EXPECT_EQ(digest(packet), before);
}

TEST(WindowPlacement, CentresAndKeepsClearOfTheEdges)
{
    // Centred: whole-number division of the free space.
    EXPECT_EQ(windowPlacement({1024, 768}, {795, 574}), QPoint(114, 97));
    EXPECT_EQ(windowPlacement({1920, 1080}, {796, 575}), QPoint(562, 252));
    // Under 700 pixels high: at the top, whatever centring would give.
    EXPECT_EQ(windowPlacement({1024, 600}, {795, 574}), QPoint(114, 1));
    EXPECT_EQ(windowPlacement({1024, 699}, {795, 500}), QPoint(114, 1));
    EXPECT_EQ(windowPlacement({1024, 700}, {795, 500}), QPoint(114, 100));
    // Narrower or lower than the window, or exactly as wide: 1.
    EXPECT_EQ(windowPlacement({640, 480}, {795, 574}), QPoint(1, 1));
    EXPECT_EQ(windowPlacement({795, 800}, {795, 574}), QPoint(1, 113));
    EXPECT_EQ(windowPlacement({796, 800}, {795, 574}), QPoint(1, 113));
    EXPECT_EQ(windowPlacement({797, 800}, {795, 574}), QPoint(1, 113));
    EXPECT_EQ(windowPlacement({799, 800}, {795, 574}), QPoint(2, 113));
}

TEST_F(MainWindowTest, IsPlacedOnThePrimaryScreen)
{
    TForm1& w = open();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(w.frameGeometry().topLeft(),
              screen.topLeft() + windowPlacement(screen.size(), w.frameGeometry().size()));
}

TEST(LoadFailureMessage, NamesTheReason)
{
    ui::setMessageSink(&recordMessage);
    TForm1 w(nullptr, QStringLiteral("/nonexistent/catalogue.pkt"));
    ui::setMessageSink(nullptr);
    w.LoadErrorMessage = QStringLiteral("Mismatch in datapacket.");
    EXPECT_EQ(loadFailureMessage(w),
              QStringLiteral("No se ha podido cargar el catálogo de unidades poblacionales.\nMismatch in datapacket."));
    w.LoadError.clear();
    EXPECT_TRUE(loadFailureMessage(w).isEmpty());
}

TEST(WindowImages, ApplicationIconAtBothSizes)
{
    for (auto [path, size] : {std::pair<const char*, int>{":/images/poblacion16.xpm", 16}, {":/images/poblacion32.xpm", 32}}) {
        SCOPED_TRACE(path);
        const QImage image(QString::fromLatin1(path));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(size, size));
        EXPECT_TRUE(image.hasAlphaChannel());
        // A red book: red is the most frequent opaque colour.
        int red = 0, opaque = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.alpha() == 0)
                    continue;
                ++opaque;
                if (c.red() > 200 && c.green() < 60 && c.blue() < 60)
                    ++red;
            }
        EXPECT_GT(red * 3, opaque);
    }
}

TEST_F(MainWindowTest, TheCloseBoxClosesLikeTheExitButton)
{
    TForm1& w = open();
    QTest::mouseClick(w.BitBtn3, Qt::LeftButton);
    EXPECT_TRUE(w.close());
    EXPECT_FALSE(w.ClientDataSet1.Active());
    EXPECT_FALSE(w.ClientDataSet4.Active());
    EXPECT_EQ(w.DBGrid2->model()->rowCount(), 0);
    EXPECT_TRUE(messages().empty());
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
        // Closing it destroyed it.
        EXPECT_TRUE(w.findChildren<TForm2*>().isEmpty());
    }
    EXPECT_TRUE(w.isVisible());
}
