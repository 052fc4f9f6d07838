#pragma once
// A data-bound list: one column showing one field of its data source's view,
// in view order. The list never moves by itself: every move of the user
// becomes a move of the view (moveBy, first, last), whose afterScroll then runs
// as the view's rules say, and every move of the view moves the list.

#include <QAbstractListModel>
#include <QListView>
#include <QPointer>
#include <functional>
#include <string>

#include "datasource.h"

// The Windows virtual-key code of a Qt key, as the key handlers expect it
// (38 up, 40 down, 9 Tab, 33/34 page up/down, letters and digits as ASCII).
int windowsKeyCode(int qtKey);

// The rows of a data source's view, one field each, as a list model.
class DataSourceListModel : public QAbstractListModel {
    Q_OBJECT
public:
    DataSourceListModel(QObject* parent = nullptr);

    void setDataSource(DataSource* dataSource);
    DataSource* dataSource() const { return dataSource_; }
    void setFieldName(std::string name);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The view while it is shown (data source enabled, view open).
    catalogue::View* view() const;

signals:
    void rowsRebuilt();

private:
    void rebuild();

    QPointer<DataSource> dataSource_;
    std::string fieldName_;
    int field_ = -1;
    int rows_ = 0;
};

class DBGrid : public QListView {
    Q_OBJECT
public:
    explicit DBGrid(QWidget* parent = nullptr);

    void setDataSource(DataSource* dataSource);
    DataSource* dataSource() const { return model_->dataSource(); }
    void setFieldName(std::string name) { model_->setFieldName(std::move(name)); }

    // Tab and Shift+Tab move to the next and previous row instead of
    // leaving the list (nothing at either end); Ctrl+Tab and Ctrl+Shift+Tab
    // leave it.
    void setTabMovesWithinList(bool on) { tabWithin_ = on; }
    bool tabMovesWithinList() const { return tabWithin_; }

    // Rows that fit wholly in the list (a page).
    int visibleRowCount() const;
    int rowHeight() const;

    // Handlers; each is entered through the window's guard.
    std::function<void()> OnEnter;
    std::function<void(int& key, Qt::KeyboardModifiers shift)> OnKeyUp;
    std::function<void(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)> OnMouseUp;

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
    // Runs a move of the view through the guard.
    template <class Move>
    void move(Move&& m);
    void moveBy(int n);
    void pressAt(const QPoint& pos);
    void followView();
    // Tells assistive technology which unit is current, while the list has
    // the focus and that unit was not told yet.
    void announceCurrent();

    DataSourceListModel* model_;
    bool tabWithin_ = false;
    int wheelRemainder_ = 0;
    int announcedRow_ = -1;
};
