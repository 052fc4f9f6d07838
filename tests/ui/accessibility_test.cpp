// What assistive technology reads of the windows, the keyboard and the focus
// indicator, and the windows at 200 % (ctest runs the scale case once more
// with QT_SCALE_FACTOR=2).

#include <QAccessible>
#include <QDir>
#include <QMenu>
#include <QMenuBar>

#include "helpwindow.h"
#include "mainwindow_helpers.h"

using namespace mwtest;

namespace {

QAccessibleInterface* accessible(QObject* object)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
    EXPECT_NE(iface, nullptr);
    return iface;
}
QString nameOf(QObject* object) { return accessible(object)->text(QAccessible::Name); }

// The help window's parts by their names.
QTextEdit* documentView(HelpWindow& help) { return help.findChild<QTextEdit*>(QStringLiteral("documentView")); }
QMenuBar* menuBar(HelpWindow& help) { return help.findChild<QMenuBar*>(QStringLiteral("menuBar")); }
QMenu* actionsMenu(HelpWindow& help) { return help.findChild<QMenu*>(QStringLiteral("actionsMenu")); }

const QStringList kYears = {"1900", "1910", "1920", "1930", "1940", "1950",
                            "1960", "1970", "1981", "1991", "2001", "2004"};

} // namespace

using AccessibilityTest = MainWindowTest;

TEST_F(AccessibilityTest, EveryControlIsNamedAndTheListsCarryTheirCounts)
{
    open();
    search(QStringLiteral("ABAY"));
    const std::pair<QWidget*, const char*> names[] = {
        {searchBox(), "Población"}, {searchButton(), "Buscar"}, {municipalityList(), "Municipios (1)"},
        {entityList(), "Entidades (0)"}, {nucleusList(), "Núcleos (0)"}, {note(), "Nota"},
        {censusTable(), "Población por años"}, {chart(), "Gráfico de población"},
        {listAllButton(), "Listar todas las unidades poblacionales"}, {helpButton(), "Ayuda"}, {exitButton(), "Salir"}};
    for (auto [widget, name] : names) {
        EXPECT_EQ(nameOf(widget), QString::fromUtf8(name)) << widget->objectName().toStdString();
        if (widget != chart()) { // the chart's description is its text, empty while the panel is
            EXPECT_FALSE(accessible(widget)->text(QAccessible::Description).isEmpty()) << name;
        }
    }
    listAll();
    EXPECT_EQ(nameOf(entityList()), QStringLiteral("Entidades (%1)").arg(kEntities));

    // The help window: its view and its menu bar (the entries are named by their captions).
    HelpWindow help;
    EXPECT_EQ(nameOf(documentView(help)), QStringLiteral("Texto de la ayuda"));
    EXPECT_EQ(nameOf(menuBar(help)), QStringLiteral("Menú de la ayuda"));
}

TEST_F(AccessibilityTest, CensusTableAndChartReadTheSelectedUnit)
{
    open();
    search(QStringLiteral("ABAY"));
    tab();
    tab(); // through the note into the municipalities: Abay is shown
    ASSERT_EQ(focused(), municipalityList());
    QAccessibleTableInterface* table = accessible(censusTable())->tableInterface();
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->rowCount(), 1);
    ASSERT_EQ(table->columnCount(), 12);
    const QStringList values = {"1.473", "813", "857", "783", "1.104", "sin dato",
                                "808", "1.793", "1.823", "sin dato", "1.949", "791"};
    const QRect grid(censusTable()->mapToGlobal(QPoint()), censusTable()->size());
    for (int column = 0; column < 12; ++column) {
        QAccessibleInterface* cell = table->cellAt(0, column);
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->text(QAccessible::Name), values[column]);
        EXPECT_TRUE(grid.contains(cell->rect())) << column;
        const auto headers = cell->tableCellInterface()->columnHeaderCells();
        ASSERT_EQ(headers.size(), 1);
        EXPECT_EQ(headers[0]->text(QAccessible::Name), kYears[column]);
        EXPECT_EQ(accessible(censusTable())->indexOfChild(cell), 12 + column);
    }
    QAccessibleInterface* chartText = accessible(chart());
    const QString expected = QStringLiteral(
        "Municipio: Abay. Población por años: 1900: 1.473; 1910: 813; 1920: 857; 1930: 783; 1940: 1.104; "
        "1950: sin dato; 1960: 808; 1970: 1.793; 1981: 1.823; 1991: sin dato; 2001: 1.949; 2004: 791. "
        "Valor mayor: 1.949. Eje de población de 0 a 2.046,45.");
    ASSERT_NE(chartText->textInterface(), nullptr);
    EXPECT_EQ(chartText->textInterface()->text(0, chartText->textInterface()->characterCount()), expected);
    EXPECT_EQ(chartText->text(QAccessible::Description), expected);

    // A search blanks the panel: empty cells under their years, no chart text.
    search(QStringLiteral("ABAY"));
    EXPECT_EQ(table->cellAt(0, 5)->text(QAccessible::Name), QString());
    EXPECT_EQ(table->columnDescription(5), QStringLiteral("1950"));
    EXPECT_EQ(chartText->textInterface()->characterCount(), 0);
}

TEST_F(AccessibilityTest, KeyboardReachesEveryActionAndFocusShows)
{
    open();
    listAll();
    // The keyboard goes through the tab order (Ctrl+Tab leaves the lists in
    // which Tab moves between rows), and every control shows the focus.
    searchBox()->setFocus(Qt::TabFocusReason);
    const std::pair<QWidget*, Qt::KeyboardModifiers> steps[] = {
        {note(), Qt::NoModifier},   {municipalityList(), Qt::NoModifier}, {entityList(), Qt::NoModifier},
        {nucleusList(), Qt::ControlModifier}, {helpButton(), Qt::ControlModifier}, {exitButton(), Qt::NoModifier},
        {listAllButton(), Qt::NoModifier},   {searchBox(), Qt::NoModifier}};
    for (auto [control, modifiers] : steps) {
        const QImage before = control->grab().toImage();
        press(Qt::Key_Tab, modifiers);
        ASSERT_EQ(focused(), control) << control->objectName().toStdString();
        EXPECT_NE(control->grab().toImage(), before) << control->objectName().toStdString();
    }
    // The note shows it by a steady ring, not only by its blinking caret.
    note()->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(note()->grab().toImage().pixelColor(1, note()->height() / 2),
              note()->palette().color(QPalette::Active, QPalette::Highlight));
    nucleusList()->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Backtab, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(focused(), entityList());
    // The help window's menus open with Alt and the arrows.
    HelpWindow help;
    help.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&help));
    QTest::keyClick(documentView(help), Qt::Key_Alt);
    EXPECT_EQ(menuBar(help)->activeAction(), actionsMenu(help)->menuAction());
    QTest::keyClick(menuBar(help), Qt::Key_Down);
    EXPECT_TRUE(actionsMenu(help)->isVisible());
    actionsMenu(help)->close();
}

TEST_F(AccessibilityTest, WindowsScaleAsAWhole)
{
    MainWindow& w = open();
    search(QStringLiteral("ABAY"));
    const qreal ratio = w.devicePixelRatio();
    if (qEnvironmentVariable("QT_SCALE_FACTOR") == QLatin1String("2")) {
        EXPECT_EQ(ratio, 2.0);
    }
    HelpWindow help;
    help.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&help));
    for (QWidget* shown : std::initializer_list<QWidget*>{&w, &help}) {
        const QPixmap shot = shown->grab();
        EXPECT_EQ(shot.size(), shown->size() * ratio);
        if (const QString dir = qEnvironmentVariable("POBLACION_SCREENSHOTS"); !dir.isEmpty())
            shot.save(QDir(dir).filePath(QStringLiteral("%1@%2x.png").arg(shown->windowTitle()).arg(ratio)));
    }
    // Every control lies inside its window (or the detail panel), whole, and
    // apart from the others.
    for (QWidget* container : std::initializer_list<QWidget*>{&w, &help, &panel()}) {
        const auto controls = container->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
        for (QWidget* a : controls) {
            if (!a->isVisible())
                continue;
            EXPECT_TRUE(container->rect().contains(a->geometry())) << a->objectName().toStdString();
            if (auto* label = qobject_cast<QLabel*>(a)) {
                EXPECT_LE(label->sizeHint().width(), label->width()) << a->objectName().toStdString();
            }
            for (QWidget* b : controls) {
                if (a < b && b->isVisible()) {
                    EXPECT_FALSE(a->geometry().intersects(b->geometry()))
                        << a->objectName().toStdString() << " " << b->objectName().toStdString();
                }
            }
        }
    }
    // Images drawn for the scale, not stretched.
    for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{searchButton(), helpButton(), exitButton()})
        EXPECT_EQ(button->icon().pixmap(button->iconSize(), ratio).size(), button->iconSize() * ratio);
}

TEST_F(AccessibilityTest, AfterASearchNoListReportsAChoiceUntilTheUserEntersOne)
{
    open();
    listAll();
    ASSERT_EQ(qobject_cast<UnitList*>(focused()), nullptr);
    // Nothing is highlighted and the panel is blank: no row is selected or
    // focused to a screen reader either.
    auto rowState = [&](UnitList* list, int row) {
        QAccessibleTableInterface* table = accessible(list)->tableInterface();
        EXPECT_NE(table, nullptr);
        QAccessibleInterface* cell = table ? table->cellAt(row, 0) : nullptr;
        EXPECT_NE(cell, nullptr);
        return cell ? cell->state() : QAccessible::State();
    };
    for (UnitList* list : {municipalityList(), entityList(), nucleusList()}) {
        EXPECT_FALSE(rowState(list, 0).selected) << list->objectName().toStdString();
        EXPECT_FALSE(rowState(list, 0).focused) << list->objectName().toStdString();
        EXPECT_EQ(accessible(list)->tableInterface()->selectedCellCount(), 0);
    }

    // Entered, a list's current row is its choice, as the screen shows it.
    municipalityList()->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(rowState(municipalityList(), 0).selected);
    EXPECT_TRUE(rowState(municipalityList(), 0).focused);
    EXPECT_FALSE(rowState(entityList(), 0).selected);
    // Left, the highlight goes, and so does the choice it showed.
    press(Qt::Key_Tab, Qt::ControlModifier);
    ASSERT_EQ(focused(), entityList());
    EXPECT_FALSE(rowState(municipalityList(), 0).selected);
    EXPECT_FALSE(rowState(municipalityList(), 0).focused);
    EXPECT_TRUE(rowState(entityList(), 0).selected);

    // A new search from the list leaves every list without a choice again.
    search(QStringLiteral("A"));
    for (UnitList* list : {municipalityList(), entityList(), nucleusList()})
        EXPECT_EQ(accessible(list)->tableInterface()->selectedCellCount(), 0) << list->objectName().toStdString();
}

TEST_F(AccessibilityTest, ListsThatTabStepsThroughTellHowToLeaveThem)
{
    open();
    EXPECT_EQ(accessible(entityList())->text(QAccessible::Description),
              QStringLiteral("Entidades de población halladas por la búsqueda. "
                             "Tab pasa a la fila siguiente; Ctrl+Tab sale de la lista"));
    EXPECT_EQ(accessible(nucleusList())->text(QAccessible::Description),
              QStringLiteral("Núcleos de población hallados por la búsqueda. "
                             "Tab pasa a la fila siguiente; Ctrl+Tab sale de la lista"));
    // Tab leaves the municipality list as any other control: nothing to tell.
    EXPECT_EQ(accessible(municipalityList())->text(QAccessible::Description),
              QStringLiteral("Municipios hallados por la búsqueda"));
    // And it is so: Tab stays in the entity list, Ctrl+Tab goes on to the nuclei.
    listAll();
    entityList()->setFocus(Qt::TabFocusReason);
    tab();
    EXPECT_EQ(focused(), entityList());
    press(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(focused(), nucleusList());
}
