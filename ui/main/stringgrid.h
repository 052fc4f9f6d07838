#pragma once
// A text grid of fixed size whose cells are painted by an owner-draw handler.
//
// Cells are laid out from the top left corner inside a 1-pixel frame; every
// column is DefaultColWidth wide and every row DefaultRowHeight high, each
// followed by a 1-pixel grid line. The grid takes no focus and no clicks and
// has no scroll bars: it only shows its cells.

#include <QRect>
#include <QString>
#include <QVector>
#include <QWidget>
#include <functional>

class StringGrid : public QWidget {
    Q_OBJECT
public:
    StringGrid(int colCount, int rowCount, QWidget* parent = nullptr);

    int ColCount() const { return colCount_; }
    int RowCount() const { return rowCount_; }

    // The text of a cell; empty outside the grid.
    QString Cells(int col, int row) const;
    void setCells(int col, int row, const QString& text); // repaints that cell

    int DefaultColWidth() const { return defaultColWidth_; }
    void setDefaultColWidth(int width);
    int DefaultRowHeight() const { return defaultRowHeight_; }
    void setDefaultRowHeight(int height);

    // Width of the grid lines between cells (pixels).
    static constexpr int GridLineWidth = 1;
    // Width of the frame around the cells (pixels).
    static constexpr int FrameWidth = 1;

    // The selected cell range (left, top, right, bottom); -1 everywhere: none.
    // The grid paints no highlight of its own: the owner-draw handler decides.
    QRect Selection() const { return selection_; }
    void setSelection(const QRect& selection);

    // The cell rectangle in the grid's coordinates (without the grid lines);
    // empty outside the grid.
    QRect CellRect(int col, int row) const;

    // Owner draw: called for every cell that is repainted, with the painter
    // set to the grid's font and no clipping. Without a handler the cell
    // gets the window colour and its text, centred.
    std::function<void(QPainter& canvas, int col, int row, const QRect& rect)> OnDrawCell;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool contains(int col, int row) const;

    int colCount_;
    int rowCount_;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 24;
    QRect selection_{QPoint(-1, -1), QPoint(-1, -1)};
    QVector<QString> cells_;
};
