// Selection in the three lists: keys, mouse and focus put the detail view on
// the list's current unit, the wheel only scrolls; the list follows its view.

#include <QClipboard>
#include <QScrollBar>
#include <QWheelEvent>

#include "error.h"
#include "mainwindow_helpers.h"

using namespace mwtest;

TEST_F(MainWindowTest, ArrowAndPageKeysShowTheUnitMovedTo)
{
    MainWindow& w = open();
    listAll();
    municipalityList()->setFocus(Qt::TabFocusReason);

    press(Qt::Key_Down);
    press(Qt::Key_Down);
    press(Qt::Key_Up);
    EXPECT_EQ(w.municipalityView().recNo(), 1);
    EXPECT_EQ(ident(w.municipalityView()), 20004); // Cutanda
    expectShowing(w.municipalityView());
    // At the last unit Down stays (Home and End: mainwindow_focus_test.cpp).
    press(Qt::Key_End, Qt::ControlModifier);
    press(Qt::Key_Down);
    EXPECT_EQ(w.municipalityView().recNo(), kMunicipalities - 1);

    // Page Down and Page Up move a page, and the current row is scrolled into sight.
    entityList()->setFocus(Qt::TabFocusReason);
    const int page = entityList()->visibleRowCount();
    press(Qt::Key_PageDown);
    EXPECT_EQ(w.entityView().recNo(), page);
    EXPECT_EQ(entityList()->currentIndex().row(), page);
    press(Qt::Key_PageDown);
    press(Qt::Key_PageDown);
    EXPECT_EQ(w.entityView().recNo(), kEntities - 1);
    press(Qt::Key_PageUp);
    EXPECT_EQ(w.entityView().recNo(), kEntities - 1 - page);
    expectShowing(w.entityView());

    EXPECT_TRUE(messages().empty());
}

namespace {

// One wheel turn over a control, through the window as the window system
// delivers it: to the control under the pointer, focused or not.
void turnWheel(QWidget* window, QWidget* over, int delta)
{
    const QPoint at = over->mapTo(window, QPoint(20, 20));
    QWheelEvent event(QPointF(at), QPointF(window->mapToGlobal(at)), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(window->windowHandle(), &event);
}

} // namespace

TEST_F(MainWindowTest, TheWheelScrollsAListsRowsAndNeverChangesTheUnitShown)
{
    MainWindow& w = open();
    listAll();
    clickRow(nucleusList(), 1);
    ASSERT_EQ(focused(), nucleusList());
    ASSERT_EQ(detailFilter(), QStringLiteral("ident = 40002")); // Santa Ana

    // Over the entity list, which has not the focus: its rows scroll, three a
    // notch; nothing is chosen there and the panel keeps the nucleus.
    turnWheel(window.get(), entityList()->viewport(), -120);
    EXPECT_EQ(entityList()->verticalScrollBar()->value(), 3);
    turnWheel(window.get(), entityList()->viewport(), -120);
    EXPECT_EQ(entityList()->verticalScrollBar()->value(), 6);
    EXPECT_EQ(w.entityView().recNo(), 0);
    EXPECT_FALSE(entityList()->selectionModel()->hasSelection());
    EXPECT_EQ(focused(), nucleusList());
    EXPECT_EQ(nucleusList()->currentIndex().row(), 1);
    EXPECT_EQ(detailFilter(), QStringLiteral("ident = 40002"));
    EXPECT_EQ(unitTitle()->text(), QStringLiteral("Núcleo: Santa Ana"));
    // Ctrl+C in the nucleus list copies the unit it highlights and the panel shows.
    QApplication::clipboard()->setText(QStringLiteral("antes"));
    QTest::keyClick(focused(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(QApplication::clipboard()->text().contains(QStringLiteral("\nSanta Ana\tNúcleo\t")))
        << QApplication::clipboard()->text().toStdString();

    // Over the focused list the wheel scrolls too, and the unit stays.
    clickRow(entityList(), 6);
    const int shown = ident(w.entityView());
    EXPECT_EQ(w.entityView().recNo(), 6);
    turnWheel(window.get(), entityList()->viewport(), 120);
    EXPECT_EQ(entityList()->verticalScrollBar()->value(), 3);
    EXPECT_EQ(w.entityView().recNo(), 6);
    EXPECT_EQ(entityList()->currentIndex().row(), 6);
    EXPECT_EQ(detailFilter(), QStringLiteral("ident = %1").arg(shown));
    // Scrolled out of sight, the current row is where the keys go on from.
    turnWheel(window.get(), entityList()->viewport(), -360);
    press(Qt::Key_Down);
    EXPECT_EQ(w.entityView().recNo(), 7);
    expectShowing(w.entityView());
    EXPECT_TRUE(messages().empty());
}

TEST_F(MainWindowTest, AClickOnAScrollBarFocusesTheListButHighlightsNoOtherUnitThanThePanels)
{
    MainWindow& w = open();
    listAll();
    clickRow(entityList(), 2);
    clickRow(nucleusList(), 1);
    ASSERT_EQ(detailFilter(), QStringLiteral("ident = 40002")); // Santa Ana
    // A click on the entity list's scroll bar, below its handle: a page down.
    QScrollBar* bar = entityList()->verticalScrollBar();
    const QPoint below(bar->width() / 2, bar->height() - bar->width() - 4);
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, bar->mapTo(window.get(), below));
    EXPECT_GT(bar->value(), 0);
    EXPECT_EQ(w.entityView().recNo(), 2);
    EXPECT_FALSE(entityList()->selectionModel()->hasSelection());
    EXPECT_FALSE(entityList()->currentIndex().isValid());
    EXPECT_EQ(detailFilter(), QStringLiteral("ident = 40002"));
    EXPECT_FALSE(nucleusList()->selectionModel()->hasSelection());
    // The list has the focus, and the keys move on from its unit, which the
    // panel then shows.
    ASSERT_EQ(focused(), entityList());
    press(Qt::Key_Down);
    EXPECT_EQ(w.entityView().recNo(), 3);
    EXPECT_EQ(entityList()->currentIndex().row(), 3);
    expectShowing(w.entityView());
    EXPECT_TRUE(messages().empty());
}

TEST_F(MainWindowTest, TabStepsThroughTheEntityList)
{
    MainWindow& w = open();
    listAll();
    // Tab from the municipality list enters the entity list and shows its first unit.
    municipalityList()->setFocus(Qt::TabFocusReason);
    tab();
    ASSERT_EQ(focused(), entityList());
    expectShowing(w.entityView());
    // Inside: next row, and nothing at the last one; Shift+Tab back.
    for (int i = 0; i < kEntities + 2; ++i)
        tab();
    EXPECT_EQ(focused(), entityList());
    EXPECT_EQ(w.entityView().recNo(), kEntities - 1);
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(w.entityView().recNo(), kEntities - 2);
    expectShowing(w.entityView());
}

TEST_F(MainWindowTest, AnyMouseButtonReleasedOverAListShowsItsUnit)
{
    MainWindow& w = open();
    listAll();
    // Clicking a row of a list without focus: enter, move, release; any button.
    const std::tuple<UnitList*, const catalogue::View*, int, Qt::MouseButton> clicks[] = {
        {nucleusList(), &w.nucleusView(), 2, Qt::LeftButton},
        {municipalityList(), &w.municipalityView(), 3, Qt::RightButton},
        {entityList(), &w.entityView(), 4, Qt::MiddleButton},
    };
    for (auto [list, view, row, button] : clicks) {
        SCOPED_TRACE(list->objectName().toStdString());
        clickRow(list, row, button);
        EXPECT_EQ(focused(), list);
        EXPECT_EQ(view->recNo(), row);
        EXPECT_EQ(list->currentIndex().row(), row);
        expectShowing(*view);
    }

    // A search blanks the panel; a click on the current row brings it back.
    QTest::keyClick(searchBox(), Qt::Key_Return);
    expectBlankPanel();
    clickRow(entityList(), 0);
    expectShowing(w.entityView());

    // A release below the last row moves nothing and shows the current unit.
    search(QStringLiteral("SAN"));
    nucleusList()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(searchBox(), Qt::Key_Return);
    expectBlankPanel();
    QTest::mouseClick(nucleusList()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(20, nucleusList()->viewport()->height() - 3));
    EXPECT_EQ(w.nucleusView().recNo(), 0);
    expectShowing(w.nucleusView());
    EXPECT_TRUE(messages().empty());
}

// A list without hits is disabled and is passed over (entering a list after a
// search: accessibility_test.cpp).
TEST_F(MainWindowTest, TabPassesOverAListWithoutHits)
{
    open();
    search(QStringLiteral("ZARAGOZA"));
    municipalityList()->setFocus(Qt::TabFocusReason);
    tab();
    EXPECT_EQ(focused(), helpButton());
}

TEST_F(MainWindowTest, FailuresWhileShowingAreReportedAndTheListStillFollows)
{
    MainWindow& w = open();
    listAll();
    municipalityList()->setFocus(Qt::TabFocusReason);
    expectShowing(w.municipalityView());
    // The detail panel's refill fails from now on.
    panel().view().afterScroll = [](catalogue::View&) {
        throw catalogue::ConversionError("'Hostal' no es un valor entero válido");
    };
    panel().blank();

    press(Qt::Key_Down);
    ASSERT_FALSE(messages().empty());
    EXPECT_TRUE(messages().front().error);
    EXPECT_EQ(messages().front().caption, QStringLiteral("POBLACION"));
    EXPECT_EQ(messages().front().text, QStringLiteral("'Hostal' no es un valor entero válido."));
    // The list moved with its view; the rest of the showing was skipped.
    EXPECT_EQ(w.municipalityView().recNo(), 1);
    EXPECT_EQ(municipalityList()->currentIndex().row(), 1);
    EXPECT_FALSE(panel().noteLinked());

    // A failing search stops before the headings.
    messages().clear();
    search(QStringLiteral("ZARAGOZA"));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(municipalityHeading()->text(), QStringLiteral("Municipios (%1)").arg(kMunicipalities));
}

// A key released in a list shows its current unit even where the list could
// not move (its only unit, after a search blanked the panel): the arrows, Tab
// and Shift+Tab do; other keys leave the panel blank. (Down at the only unit
// moves the view onto its end, which shows the unit as any move does.)
TEST_F(MainWindowTest, ArrowsAndTabShowTheUnitOfAListThatCannotMove)
{
    MainWindow& w = open();
    search(QStringLiteral("ERMITA"));
    expectHeadings(0, 1, 0);
    entityList()->setFocus(Qt::TabFocusReason);
    const std::pair<Qt::Key, bool> keys[] = {{Qt::Key_Up, true},        {Qt::Key_Down, true},
                                             {Qt::Key_Tab, true},       {Qt::Key_Backtab, true},
                                             {Qt::Key_PageUp, false},   {Qt::Key_Left, false}};
    for (auto [key, shows] : keys) {
        SCOPED_TRACE(QKeySequence(key).toString().toStdString());
        QTest::keyClick(searchBox(), Qt::Key_Return); // the same search again, the list keeps the focus
        expectBlankPanel();
        ASSERT_EQ(focused(), entityList());
        press(key, key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
        EXPECT_EQ(focused(), entityList());
        if (shows)
            expectShowing(w.entityView());
        else
            expectBlankPanel();
    }
    expectNoMessages();
}
