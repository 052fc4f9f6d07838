// What assistive technology reads of the windows, the keyboard and the focus
// indicator, and the windows at 200 % (ctest runs the scale case once more
// with QT_SCALE_FACTOR=2).

#include <QAccessible>
#include <QDir>
#include <QMenu>
#include <QMenuBar>

#include "mainwindow_helpers.h"
#include "tform2.h"

using namespace mwtest;

namespace {

QAccessibleInterface* accessible(QObject* object)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
    EXPECT_NE(iface, nullptr);
    return iface;
}
QString nameOf(QObject* object) { return accessible(object)->text(QAccessible::Name); }

const QStringList kYears = {"1900", "1910", "1920", "1930", "1940", "1950",
                            "1960", "1970", "1981", "1991", "2001", "2004"};

} // namespace

using AccessibilityTest = MainWindowTest;

TEST_F(AccessibilityTest, EveryControlIsNamedAndTheListsCarryTheirCounts)
{
    TForm1& w = open();
    search(QStringLiteral("ABAY"));
    const std::pair<QWidget*, const char*> names[] = {
        {w.Edit1, "Población"}, {w.SpeedButton1, "Buscar"}, {w.DBGrid2, "Municipios (1)"},
        {w.DBGrid3, "Entidades (0)"}, {w.DBGrid1, "Núcleos (0)"}, {w.DBMemo1, "Nota"},
        {w.StringGrid1, "Población por años"}, {w.Chart1, "Gráfico de población"},
        {w.BitBtn3, "Listar todas las unidades poblacionales"}, {w.BitBtn1, "Ayuda"}, {w.BitBtn2, "Salir"}};
    for (auto [widget, name] : names) {
        EXPECT_EQ(nameOf(widget), QString::fromUtf8(name)) << widget->objectName().toStdString();
        if (widget != w.Chart1) { // the chart's description is its text, empty while the panel is
            EXPECT_FALSE(accessible(widget)->text(QAccessible::Description).isEmpty()) << name;
        }
    }
    listAll();
    EXPECT_EQ(nameOf(w.DBGrid3), QStringLiteral("Entidades (%1)").arg(kEntities));

    // The help window: its view and its menu bar (the entries are named by their captions).
    TForm2 help;
    EXPECT_EQ(nameOf(help.RichEdit1), QStringLiteral("Texto de la ayuda"));
    EXPECT_EQ(nameOf(help.MainMenu1), QStringLiteral("Menú de la ayuda"));
}

TEST_F(AccessibilityTest, CensusTableAndChartReadTheSelectedUnit)
{
    TForm1& w = open();
    search(QStringLiteral("ABAY"));
    tab();
    tab(); // through the note into the municipalities: Abay is shown
    ASSERT_EQ(focused(), w.DBGrid2);
    QAccessibleTableInterface* table = accessible(w.StringGrid1)->tableInterface();
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->rowCount(), 1);
    ASSERT_EQ(table->columnCount(), 12);
    const QStringList values = {"1.473", "813", "857", "783", "1.104", "sin dato",
                                "808", "1.793", "1.823", "sin dato", "1.949", "791"};
    const QRect grid(w.StringGrid1->mapToGlobal(QPoint()), w.StringGrid1->size());
    for (int column = 0; column < 12; ++column) {
        QAccessibleInterface* cell = table->cellAt(0, column);
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->text(QAccessible::Name), values[column]);
        EXPECT_TRUE(grid.contains(cell->rect())) << column;
        const auto headers = cell->tableCellInterface()->columnHeaderCells();
        ASSERT_EQ(headers.size(), 1);
        EXPECT_EQ(headers[0]->text(QAccessible::Name), kYears[column]);
        EXPECT_EQ(accessible(w.StringGrid1)->indexOfChild(cell), 12 + column);
    }
    QAccessibleInterface* chart = accessible(w.Chart1);
    const QString expected = QStringLiteral(
        "Municipio: Abay. Población por años: 1900: 1.473; 1910: 813; 1920: 857; 1930: 783; 1940: 1.104; "
        "1950: sin dato; 1960: 808; 1970: 1.793; 1981: 1.823; 1991: sin dato; 2001: 1.949; 2004: 791. "
        "Valor mayor: 1.949. Eje de población de 0 a 2.046,45.");
    ASSERT_NE(chart->textInterface(), nullptr);
    EXPECT_EQ(chart->textInterface()->text(0, chart->textInterface()->characterCount()), expected);
    EXPECT_EQ(chart->text(QAccessible::Description), expected);

    // A search blanks the panel: empty cells under their years, no chart text.
    search(QStringLiteral("ABAY"));
    EXPECT_EQ(table->cellAt(0, 5)->text(QAccessible::Name), QString());
    EXPECT_EQ(table->columnDescription(5), QStringLiteral("1950"));
    EXPECT_EQ(chart->textInterface()->characterCount(), 0);
}

TEST_F(AccessibilityTest, KeyboardReachesEveryActionAndFocusShows)
{
    TForm1& w = open();
    listAll();
    // The keyboard goes through the tab order (Ctrl+Tab leaves the lists in
    // which Tab moves between rows), and every control shows the focus.
    w.Edit1->setFocus(Qt::TabFocusReason);
    const std::pair<QWidget*, Qt::KeyboardModifiers> steps[] = {
        {w.DBMemo1, Qt::NoModifier},   {w.DBGrid2, Qt::NoModifier}, {w.DBGrid3, Qt::NoModifier},
        {w.DBGrid1, Qt::ControlModifier}, {w.BitBtn1, Qt::ControlModifier}, {w.BitBtn2, Qt::NoModifier},
        {w.BitBtn3, Qt::NoModifier},   {w.Edit1, Qt::NoModifier}};
    for (auto [control, modifiers] : steps) {
        const QImage before = control->grab().toImage();
        press(Qt::Key_Tab, modifiers);
        ASSERT_EQ(focused(), control) << control->objectName().toStdString();
        EXPECT_NE(control->grab().toImage(), before) << control->objectName().toStdString();
    }
    // The note shows it by a steady ring, not only by its blinking caret.
    w.DBMemo1->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(w.DBMemo1->grab().toImage().pixelColor(1, w.DBMemo1->height() / 2),
              w.DBMemo1->palette().color(QPalette::Active, QPalette::Highlight));
    w.DBGrid1->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Backtab, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(focused(), w.DBGrid3);
    // The help window's menus open with Alt and the arrows.
    TForm2 help;
    help.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&help));
    QTest::keyClick(help.RichEdit1, Qt::Key_Alt);
    EXPECT_EQ(help.MainMenu1->activeAction(), help.Acciones1);
    QTest::keyClick(help.MainMenu1, Qt::Key_Down);
    EXPECT_TRUE(help.Acciones1->menu()->isVisible());
    help.Acciones1->menu()->close();
}

TEST_F(AccessibilityTest, WindowsScaleAsAWhole)
{
    TForm1& w = open();
    search(QStringLiteral("ABAY"));
    const qreal ratio = w.devicePixelRatio();
    if (qEnvironmentVariable("QT_SCALE_FACTOR") == QLatin1String("2")) {
        EXPECT_EQ(ratio, 2.0);
    }
    TForm2 help;
    help.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&help));
    for (QWidget* window : std::initializer_list<QWidget*>{&w, &help}) {
        const QPixmap shot = window->grab();
        EXPECT_EQ(shot.size(), window->size() * ratio);
        if (const QString dir = qEnvironmentVariable("POBLACION_SCREENSHOTS"); !dir.isEmpty())
            shot.save(QDir(dir).filePath(QStringLiteral("%1@%2x.png").arg(window->windowTitle()).arg(ratio)));
        // Every control lies inside its window, whole, and apart from the others
        // (the detail frame holds the panel).
        const auto controls = window->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
        for (QWidget* a : controls) {
            if (!a->isVisible())
                continue;
            EXPECT_TRUE(window->rect().contains(a->geometry())) << a->objectName().toStdString();
            if (auto* label = qobject_cast<QLabel*>(a)) {
                EXPECT_LE(label->sizeHint().width(), label->width()) << a->objectName().toStdString();
            }
            for (QWidget* b : controls) {
                if (a < b && b->isVisible() && a != w.Bevel1 && b != w.Bevel1) {
                    EXPECT_FALSE(a->geometry().intersects(b->geometry()))
                        << a->objectName().toStdString() << " " << b->objectName().toStdString();
                }
            }
        }
    }
    // Images drawn for the scale, not stretched.
    for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{w.SpeedButton1, w.BitBtn1, w.BitBtn2})
        EXPECT_EQ(button->icon().pixmap(button->iconSize(), ratio).size(), button->iconSize() * ratio);
}
