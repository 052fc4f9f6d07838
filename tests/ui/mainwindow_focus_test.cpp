// What the user meets around the lists: a search moves no focus, Home and End
// move in a list, and the empty chart keeps the axes of the last update.

#include "mainwindow_helpers.h"

using namespace mwtest;

// The focus in a list, then a search by the magnifier: a list that loses its
// hits gives the focus to the search box (no other list is entered) and the
// panel stays blank.
TEST_F(MainWindowTest, SearchMovesNoFocusAndLeavesThePanelBlank)
{
    TForm1& w = open();
    const struct {
        DBGrid* list;
        const char* text;
        QWidget* focus;
    } cases[] = {
        {w.DBGrid2, "ALTA", w.Edit1},     // only entities: the municipality list is disabled
        {w.DBGrid2, "SAN", w.DBGrid2},    // every list keeps hits
        {w.DBGrid1, "ZARAGOZA", w.Edit1}, // after the nucleus list only buttons are enabled
    };
    for (const auto& c : cases) {
        listAll();
        clickRow(c.list, 1);
        ASSERT_EQ(focused(), c.list);
        w.Edit1->clear();
        type(w.Edit1, QString::fromLatin1(c.text));
        QTest::mouseClick(w.SpeedButton1, Qt::LeftButton);
        EXPECT_EQ(focused(), c.focus) << c.text;
        expectBlankPanel();
    }
    expectNoMessages();
}

// Home and End go to the first and the last unit, scroll to it and show it.
TEST_F(MainWindowTest, HomeAndEndMoveInTheLists)
{
    TForm1& w = open();
    listAll();
    clickRow(w.DBGrid3, 2);
    press(Qt::Key_End);
    EXPECT_EQ(w.ClientDataSet2.recNo(), kEntities - 1);
    EXPECT_EQ(w.DBGrid3->currentIndex().row(), kEntities - 1);
    EXPECT_TRUE(w.DBGrid3->viewport()->rect().contains(w.DBGrid3->visualRect(w.DBGrid3->currentIndex())));
    expectShowing(w.ClientDataSet2);
    EXPECT_EQ(w.Label8->text(), QStringLiteral("Entidad: Ventas"));
    press(Qt::Key_Home);
    EXPECT_EQ(w.ClientDataSet2.recNo(), 0);
    EXPECT_EQ(w.DBGrid3->verticalScrollBar()->value(), 0);
    EXPECT_EQ(w.Label8->text(), QStringLiteral("Entidad: Almunia"));
    expectShowing(w.ClientDataSet2);
    expectNoMessages();
}

// Without series the chart shows no year labels, and its left axis keeps the
// range of the last update: at start that of the unit the load showed last
// (the first nucleus of the packet, largest value 2.933), after a search that
// of the last unit its re-filtering showed (the first nucleus hit, Santa Ana,
// 3.478).
TEST_F(MainWindowTest, EmptyChartKeepsTheLastRange)
{
    TForm1& w = open();
    const auto expectEmpty = [&](double top) {
        EXPECT_EQ(w.Chart1->graphCount(), 0);
        EXPECT_EQ(w.Chart1->yAxis->range().lower, 0);
        EXPECT_DOUBLE_EQ(w.Chart1->yAxis->range().upper, top);
        auto ticker = w.Chart1->xAxis->ticker().dynamicCast<QCPAxisTickerText>();
        ASSERT_TRUE(ticker);
        EXPECT_TRUE(ticker->ticks().isEmpty());
    };
    expectEmpty(3079.65);
    listAll();
    clickRow(w.DBGrid2, 0);
    EXPECT_EQ(w.Chart1->xAxis->ticker().dynamicCast<QCPAxisTickerText>()->ticks().size(), 12);
    search(QStringLiteral("SAN"));
    expectEmpty(3651.9);
}
