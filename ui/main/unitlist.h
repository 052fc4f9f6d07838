#pragma once
// A list of units: one column showing one field of a bound view, in view
// order. The list never moves by itself: every move of the user becomes a
// move of the view (moveBy, first, last), whose afterScroll then runs as the
// view's rules say, and every move of the view moves the list. The wheel
// only scrolls the rows. The current row is highlighted, and selected to
// assistive technology, only while the list has the focus and the user has
// entered it or moved in it since its rows last changed (a click on its
// scroll bar focuses it without entering it).

#include <QListView>
#include <string>

class UnitListModel;
class ViewBinding;

class UnitList : public QListView {
    Q_OBJECT
public:
    explicit UnitList(QWidget* parent = nullptr);

    void setBinding(ViewBinding* binding);
    void setFieldName(std::string name);

    // Tab and Shift+Tab move to the next and previous row instead of
    // leaving the list (nothing at either end); Ctrl+Tab and Ctrl+Shift+Tab
    // are left to the window, which leaves the list with them.
    void setTabMovesWithinList(bool on) { tabWithin_ = on; }
    // Chooses the row as a click on it would (the list has the focus), and
    // tells it as the list's entering (focusEntered).
    void chooseRow(int row);

    // Rows that fit wholly in the list (a page).
    int visibleRowCount() const;
    int rowHeight() const;

signals:
    // The focus came into the list from another control of the window (not
    // by the window becoming active again); by the mouse, once the button is
    // pressed over the rows (a click on the scroll bar focuses the list
    // without entering it).
    void focusEntered();
    // A key was let go in the list (Qt's key code; auto-repeats are not told).
    void keyReleased(int key);
    // A mouse button was let go over the list, wherever.
    void mouseReleased();
    // Ctrl+C in the list.
    void copyRequested();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    // Runs a move of the view, if it is shown, through the window's guard.
    template <class Move>
    void move(Move&& m);
    void moveBy(int n);
    void pressAt(const QPoint& pos);
    // Tells focusEntered for a focus that a mouse press over the rows brought.
    void enterByMouse();
    // The list is entered: its current row is chosen (scrolled into sight
    // if `scroll`); focusEntered.
    void enter(bool scroll);
    // Moves to the row under a pointer dragged with a button held; above or
    // below the rows in sight, to the row next to them, which scrolls.
    void dragTo(const QPoint& pos);
    // Puts the current row on the view's current record, and scrolls it into
    // sight; the row is current and selected only while the list has the focus.
    void followView();
    // The same, scrolling the current row into sight only if `scroll`.
    void follow(bool scroll);
    // No current row and nothing selected.
    void clearChoice();
    // Tells assistive technology which unit is current, while the list has
    // the focus and that unit was not told yet.
    void announceCurrent();

    UnitListModel* model_;
    bool tabWithin_ = false;
    int announcedRow_ = -1;
    bool enteringByMouse_ = false; // focused by a press not yet seen over the rows
    bool chosen_ = false;          // entered or moved in since the rows last changed or the list was left
};
