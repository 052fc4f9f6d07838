#pragma once
// The census table of the detail panel: the twelve census years in two rows
// of six, each year above its value (rows 0 and 2 hold the years, rows 1 and
// 3 the values). Years are drawn bold on rose pink, values in black on
// white; every text on one line, centred in its cell less 2 pixels on the
// left, neither clipped nor read for mnemonics.
//
// Cells are laid out from the top left corner inside a 1-pixel frame; every
// column is a sixth of the table's width less one pixel, every row 24 pixels
// high, each followed by a 1-pixel grid line; beyond the cells the table shows
// the colour of tool tips. The table takes no focus and no clicks and has no
// scroll bars: it only shows its cells. Assistive technology reads it as one
// row of twelve cells, each headed by its year, a "-" read as "sin dato".

#include <QRect>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QWidget>

#include "census.h"

class CensusTable : public QWidget {
    Q_OBJECT
public:
    static constexpr int kColumns = 6;
    static constexpr int kRows = 4;
    static constexpr int kRowHeight = 24;
    // Width of the grid lines between cells and of the frame (pixels).
    static constexpr int kGridLineWidth = 1;
    static constexpr int kFrameWidth = 1;

    explicit CensusTable(QWidget* parent = nullptr);

    // The text of a cell; empty outside the table.
    QString cell(int column, int row) const;
    void setCell(int column, int row, const QString& text); // repaints that cell

    // The value of the year at this place (0 to 11), as shown.
    QString value(int year) const;
    void setValue(int year, const QString& text);
    // Empties the twelve values; the years stay.
    void clearValues();

    // The twelve years and their values read back from what the table shows:
    // a value that is "-" between blanks, or that holds no whole number once
    // its thousands points are removed, is missing.
    Census census() const;

    int columnWidth() const { return width() / kColumns - 1; }
    // The cell rectangle in the table's coordinates (without the grid
    // lines); empty outside the table.
    QRect cellRect(int column, int row) const;

    // Tells assistive technology which values now read differently from the
    // last time it was told.
    void announceChangedValues();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool contains(int column, int row) const;
    void paintCell(QPainter& painter, int column, int row, const QRect& rect) const;

    QVector<QString> cells_;
    QStringList spokenValues_; // as last told to assistive technology
};
