// Selection in the three lists: keys, mouse, wheel and focus put the detail
// view on the list's current unit; the list follows its view.

#include <QWheelEvent>

#include "error.h"
#include "mainwindow_helpers.h"

using namespace mwtest;

TEST_F(MainWindowTest, ArrowPageKeysAndWheelShowTheUnitMovedTo)
{
    TForm1& w = open();
    listAll();
    w.DBGrid2->setFocus(Qt::TabFocusReason);

    press(Qt::Key_Down);
    press(Qt::Key_Down);
    press(Qt::Key_Up);
    EXPECT_EQ(w.ClientDataSet1.recNo(), 1);
    EXPECT_EQ(ident(w.ClientDataSet1), 20004); // Cutanda
    expectShowing(w.ClientDataSet1);
    // At the last unit Down stays (Home and End: mainwindow_focus_test.cpp).
    press(Qt::Key_End, Qt::ControlModifier);
    press(Qt::Key_Down);
    EXPECT_EQ(w.ClientDataSet1.recNo(), kMunicipalities - 1);

    // Page Down and Page Up move a page, and the current row is scrolled into sight.
    w.DBGrid3->setFocus(Qt::TabFocusReason);
    const int page = w.DBGrid3->visibleRowCount();
    press(Qt::Key_PageDown);
    EXPECT_EQ(w.ClientDataSet2.recNo(), page);
    EXPECT_EQ(w.DBGrid3->currentIndex().row(), page);
    press(Qt::Key_PageDown);
    press(Qt::Key_PageDown);
    EXPECT_EQ(w.ClientDataSet2.recNo(), kEntities - 1);
    press(Qt::Key_PageUp);
    EXPECT_EQ(w.ClientDataSet2.recNo(), kEntities - 1 - page);
    expectShowing(w.ClientDataSet2);

    // The wheel moves one unit per notch, and the panel follows.
    auto wheel = [&](int delta) {
        const QPointF at(20, 20);
        QWheelEvent event(at, w.DBGrid3->viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w.DBGrid3->viewport(), &event);
    };
    press(Qt::Key_Home, Qt::ControlModifier);
    wheel(-240);
    EXPECT_EQ(w.ClientDataSet2.recNo(), 2);
    wheel(60);
    EXPECT_EQ(w.ClientDataSet2.recNo(), 2);
    wheel(60);
    EXPECT_EQ(w.ClientDataSet2.recNo(), 1);
    EXPECT_EQ(detailFilter(), QStringLiteral("ident = %1").arg(ident(w.ClientDataSet2)));
    EXPECT_TRUE(messages().empty());
}

TEST_F(MainWindowTest, TabStepsThroughTheEntityList)
{
    TForm1& w = open();
    listAll();
    // Tab from the municipality list enters the entity list and shows its first unit.
    w.DBGrid2->setFocus(Qt::TabFocusReason);
    tab();
    ASSERT_EQ(focused(), w.DBGrid3);
    expectShowing(w.ClientDataSet2);
    // Inside: next row, and nothing at the last one; Shift+Tab back.
    for (int i = 0; i < kEntities + 2; ++i)
        tab();
    EXPECT_EQ(focused(), w.DBGrid3);
    EXPECT_EQ(w.ClientDataSet2.recNo(), kEntities - 1);
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(w.ClientDataSet2.recNo(), kEntities - 2);
    expectShowing(w.ClientDataSet2);
}

TEST_F(MainWindowTest, AnyMouseButtonReleasedOverAListShowsItsUnit)
{
    TForm1& w = open();
    listAll();
    // Clicking a row of a list without focus: enter, move, release; any button.
    const std::tuple<DBGrid*, catalogue::View*, int, Qt::MouseButton> clicks[] = {
        {w.DBGrid1, &w.ClientDataSet3, 2, Qt::LeftButton},
        {w.DBGrid2, &w.ClientDataSet1, 3, Qt::RightButton},
        {w.DBGrid3, &w.ClientDataSet2, 4, Qt::MiddleButton},
    };
    for (auto [grid, view, row, button] : clicks) {
        SCOPED_TRACE(grid->objectName().toStdString());
        clickRow(grid, row, button);
        EXPECT_EQ(focused(), grid);
        EXPECT_EQ(view->recNo(), row);
        EXPECT_EQ(grid->currentIndex().row(), row);
        expectShowing(*view);
    }

    // A search blanks the panel; a click on the current row brings it back.
    QTest::keyClick(w.Edit1, Qt::Key_Return);
    expectBlankPanel();
    clickRow(w.DBGrid3, 0);
    expectShowing(w.ClientDataSet2);

    // A release below the last row moves nothing and shows the current unit.
    search(QStringLiteral("SAN"));
    w.DBGrid1->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w.Edit1, Qt::Key_Return);
    expectBlankPanel();
    QTest::mouseClick(w.DBGrid1->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(20, w.DBGrid1->viewport()->height() - 3));
    EXPECT_EQ(w.ClientDataSet3.recNo(), 0);
    expectShowing(w.ClientDataSet3);
    EXPECT_TRUE(messages().empty());
}

// A list without hits is disabled and is passed over (entering a list after a
// search: accessibility_test.cpp).
TEST_F(MainWindowTest, TabPassesOverAListWithoutHits)
{
    TForm1& w = open();
    search(QStringLiteral("ZARAGOZA"));
    w.DBGrid2->setFocus(Qt::TabFocusReason);
    tab();
    EXPECT_EQ(focused(), w.BitBtn1);
}

TEST_F(MainWindowTest, FailuresWhileShowingAreReportedAndTheListStillFollows)
{
    TForm1& w = open();
    listAll();
    w.DBGrid2->setFocus(Qt::TabFocusReason);
    expectShowing(w.ClientDataSet1);
    // The detail panel's refill fails from now on.
    w.ClientDataSet4.afterScroll = [](catalogue::View&) {
        throw catalogue::ConversionError("'Hostal' no es un valor entero válido");
    };
    w.DataSource4->setEnabled(false);
    w.Label8->setVisible(false);

    press(Qt::Key_Down);
    ASSERT_FALSE(messages().empty());
    EXPECT_TRUE(messages().front().error);
    EXPECT_EQ(messages().front().caption, QStringLiteral("POBLACION"));
    EXPECT_EQ(messages().front().text, QStringLiteral("'Hostal' no es un valor entero válido."));
    // The list moved with its view; the rest of the showing was skipped.
    EXPECT_EQ(w.ClientDataSet1.recNo(), 1);
    EXPECT_EQ(w.DBGrid2->currentIndex().row(), 1);
    EXPECT_FALSE(w.DataSource4->Enabled());

    // A failing search stops before the headings.
    messages().clear();
    search(QStringLiteral("ZARAGOZA"));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(w.Label2->text(), QStringLiteral("Municipios (%1)").arg(kMunicipalities));
}
