#pragma once
// A text grid of fixed size whose cells are painted by an owner-draw handler.

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

    QString Cells(int col, int row) const;
    void setCells(int col, int row, const QString& text); // repaints that cell

    int DefaultColWidth() const { return defaultColWidth_; }
    void setDefaultColWidth(int width);
    int DefaultRowHeight() const { return defaultRowHeight_; }
    void setDefaultRowHeight(int height);

    // The selected cell range (left, top, right, bottom); -1 everywhere: none.
    QRect Selection() const { return selection_; }
    void setSelection(const QRect& selection);

    // The cell rectangle in the grid's coordinates (without the grid lines).
    QRect CellRect(int col, int row) const;

    // Owner draw: called for every cell that is repainted.
    std::function<void(QPainter& canvas, int col, int row, const QRect& rect)> OnDrawCell;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int colCount_;
    int rowCount_;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 24;
    QRect selection_{QPoint(-1, -1), QPoint(-1, -1)};
    QVector<QString> cells_;
};
