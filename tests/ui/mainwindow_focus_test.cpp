// What the user meets around the lists: a search moves no focus, Home and End
// move in a list, and the empty chart keeps the axes of the last update.

#include "mainwindow_helpers.h"

using namespace mwtest;

// The focus in a list, then a search by the magnifier: a list that loses its
// hits gives the focus to the search box (no other list is entered) and the
// panel stays blank.
TEST_F(MainWindowTest, SearchMovesNoFocusAndLeavesThePanelBlank)
{
    open();
    const struct {
        UnitList* list;
        const char* text;
        QWidget* focus;
    } cases[] = {
        {municipalityList(), "ALTA", searchBox()},       // only entities: the municipality list is disabled
        {municipalityList(), "SAN", municipalityList()}, // every list keeps hits
        {nucleusList(), "ZARAGOZA", searchBox()},        // after the nucleus list only buttons are enabled
    };
    for (const auto& c : cases) {
        listAll();
        clickRow(c.list, 1);
        ASSERT_EQ(focused(), c.list);
        searchBox()->clear();
        type(searchBox(), QString::fromLatin1(c.text));
        QTest::mouseClick(searchButton(), Qt::LeftButton);
        EXPECT_EQ(focused(), c.focus) << c.text;
        expectBlankPanel();
    }
    expectNoMessages();
}

// Home and End go to the first and the last unit, scroll to it and show it.
TEST_F(MainWindowTest, HomeAndEndMoveInTheLists)
{
    MainWindow& w = open();
    listAll();
    clickRow(entityList(), 2);
    press(Qt::Key_End);
    EXPECT_EQ(w.entityView().recNo(), kEntities - 1);
    EXPECT_EQ(entityList()->currentIndex().row(), kEntities - 1);
    EXPECT_TRUE(entityList()->viewport()->rect().contains(entityList()->visualRect(entityList()->currentIndex())));
    expectShowing(w.entityView());
    EXPECT_EQ(unitTitle()->text(), QStringLiteral("Entidad: Ventas"));
    press(Qt::Key_Home);
    EXPECT_EQ(w.entityView().recNo(), 0);
    EXPECT_EQ(entityList()->verticalScrollBar()->value(), 0);
    EXPECT_EQ(unitTitle()->text(), QStringLiteral("Entidad: Almunia"));
    expectShowing(w.entityView());
    expectNoMessages();
}

// Without series the chart shows no year labels, and once it has shown a unit
// its left axis keeps the range of the last update: after a search that of
// the last unit its re-filtering showed (the first nucleus hit, Santa Ana,
// 3.478).
TEST_F(MainWindowTest, EmptyChartKeepsTheLastRange)
{
    open();
    const auto expectEmpty = [&](double top) {
        EXPECT_EQ(chart()->graphCount(), 0);
        EXPECT_EQ(chart()->yAxis->range().lower, 0);
        if (top > 0) {
            EXPECT_DOUBLE_EQ(chart()->yAxis->range().upper, top);
        }
        auto ticker = chart()->xAxis->ticker().dynamicCast<QCPAxisTickerText>();
        ASSERT_TRUE(ticker);
        EXPECT_TRUE(ticker->ticks().isEmpty());
    };
    expectEmpty(0); // blank from the start
    listAll();
    clickRow(municipalityList(), 0);
    EXPECT_EQ(chart()->xAxis->ticker().dynamicCast<QCPAxisTickerText>()->ticks().size(), 12);
    search(QStringLiteral("SAN"));
    expectEmpty(3651.9);
}
