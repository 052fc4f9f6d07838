// Every control answers the keyboard alike: Ctrl+Tab and Ctrl+Shift+Tab go
// on from each, Enter presses a focused button; the mouse in a list: a drag
// follows the pointer, the scroll bar only scrolls.

#include <QScrollBar>

#include "mainwindow_helpers.h"

using namespace mwtest;

TEST_F(MainWindowTest, CtrlTabAndCtrlShiftTabGoOnFromEveryControl)
{
    open();
    listAll();
    const QStringList order = {"searchBox",   "note",       "municipalityList", "entityList",
                               "nucleusList", "helpButton", "exitButton",       "listAllButton"};
    for (qsizetype i = 0; i < order.size(); ++i) {
        const QString& from = order[i];
        control(from.toLatin1().constData())->setFocus(Qt::OtherFocusReason);
        press(Qt::Key_Tab, Qt::ControlModifier);
        ASSERT_NE(focused(), nullptr);
        EXPECT_EQ(focused()->objectName(), order[(i + 1) % order.size()]) << "Ctrl+Tab from " << from.toStdString();

        control(from.toLatin1().constData())->setFocus(Qt::OtherFocusReason);
        press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        ASSERT_NE(focused(), nullptr);
        EXPECT_EQ(focused()->objectName(), order[(i + order.size() - 1) % order.size()])
            << "Ctrl+Shift+Tab from " << from.toStdString();
    }
    // Going on from a list leaves its current unit where it was.
    EXPECT_EQ(window->entityView().recNo(), 0);
    expectNoMessages();
}

TEST_F(MainWindowTest, EnterOnAFocusedButtonPressesIt)
{
    open();
    // "Listar todas": Enter of the main keyboard, then of the keypad.
    for (auto [key, modifiers] : {std::pair{Qt::Key_Return, Qt::KeyboardModifiers()},
                                  std::pair{Qt::Key_Enter, Qt::KeyboardModifiers(Qt::KeypadModifier)}}) {
        search(QStringLiteral("ZARAGOZA"));
        expectHeadings(1, 0, 0);
        listAllButton()->setFocus(Qt::TabFocusReason);
        press(key, modifiers);
        expectHeadings(kMunicipalities, kEntities, kNuclei);
        EXPECT_EQ(searchBox()->text(), QString());
    }
    // A key that repeats while held presses once.
    search(QStringLiteral("ZARAGOZA"));
    listAllButton()->setFocus(Qt::TabFocusReason);
    QTest::sendKeyEvent(QTest::Press, listAllButton(), Qt::Key_Return, QString(), Qt::NoModifier);
    searchBox()->setText(QStringLiteral("ZARAGOZA"));
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(listAllButton(), &repeat);
    EXPECT_EQ(searchBox()->text(), QStringLiteral("ZARAGOZA"));

    // "Salir" closes the window.
    exitButton()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(exitButton(), Qt::Key_Return);
    EXPECT_FALSE(window->isVisible());
    expectNoMessages();
}

TEST_F(MainWindowTest, ADragInAListFollowsThePointer)
{
    MainWindow& w = open();
    listAll();
    UnitList* list = entityList();
    QWidget* rows = list->viewport();
    const auto rowCentre = [&](int row) { return list->visualRect(list->model()->index(row, 0)).center(); };
    const auto drag = [&](const QPoint& to) {
        QMouseEvent move(QEvent::MouseMove, QPointF(to), rows->mapToGlobal(QPointF(to)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(rows, &move);
    };

    QTest::mousePress(rows, Qt::LeftButton, Qt::NoModifier, rowCentre(1));
    EXPECT_EQ(w.entityView().recNo(), 1);
    drag(rowCentre(2));
    drag(rowCentre(4));
    EXPECT_EQ(w.entityView().recNo(), 4);
    EXPECT_EQ(list->currentIndex().row(), 4);
    drag(rowCentre(3));
    QTest::mouseRelease(rows, Qt::LeftButton, Qt::NoModifier, rowCentre(3));
    EXPECT_EQ(w.entityView().recNo(), 3);
    expectShowing(w.entityView());

    // Beyond the bottom edge the list goes on a row at a time, and scrolls.
    const int page = list->visibleRowCount();
    QTest::mousePress(rows, Qt::LeftButton, Qt::NoModifier, rowCentre(page - 1));
    drag(QPoint(20, rows->height() + 10));
    drag(QPoint(20, rows->height() + 10));
    EXPECT_EQ(w.entityView().recNo(), page + 1);
    EXPECT_EQ(list->verticalScrollBar()->value(), 2);
    // Above the top, back a row at a time.
    drag(QPoint(20, -5));
    EXPECT_EQ(w.entityView().recNo(), 1);
    QTest::mouseRelease(rows, Qt::LeftButton, Qt::NoModifier, QPoint(20, -5));
    expectShowing(w.entityView());

    // Without a button held, moving the pointer moves nothing.
    QMouseEvent hover(QEvent::MouseMove, QPointF(rowCentre(2)), rows->mapToGlobal(QPointF(rowCentre(2))),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(rows, &hover);
    EXPECT_EQ(w.entityView().recNo(), 1);
    expectNoMessages();
}

TEST_F(MainWindowTest, ClickingAScrollBarOnlyScrolls)
{
    MainWindow& w = open();
    listAll();
    clickRow(municipalityList(), 2);
    const int shown = ident(panel().view());
    // Below the handle of the entity list's scroll bar: a page down.
    QScrollBar* bar = entityList()->verticalScrollBar();
    const QPoint pageDown(bar->width() / 2, bar->height() - bar->width() - 3);
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, pageDown);
    EXPECT_GT(bar->value(), 0);
    EXPECT_EQ(w.entityView().recNo(), 0);
    EXPECT_EQ(ident(panel().view()), shown);
    expectShowing(w.municipalityView());

    // The list has the focus but was not entered: its unit shows once the
    // keys or a click move in it.
    EXPECT_EQ(focused(), entityList());
    press(Qt::Key_Home);
    EXPECT_EQ(bar->value(), 0);
    expectShowing(w.entityView());

    // With the list focused on a unit: it stays, out of sight, and shown.
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, pageDown);
    EXPECT_GT(bar->value(), 0);
    EXPECT_EQ(w.entityView().recNo(), 0);
    expectShowing(w.entityView());
    // A click on a row is then a click as any other.
    clickRow(entityList(), bar->value() + 1);
    EXPECT_EQ(w.entityView().recNo(), bar->value() + 1);
    expectShowing(w.entityView());
    expectNoMessages();
}
