// The census table widget and its cell painter, on a grid of its own (the fills
// of heading and value rows in the window: mainwindow_test.cpp).
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include "census.h"
#include "stringgrid.h"

namespace {

// A census table as the main window sets it up: 425 × 103, 69-pixel columns.
struct CensusGrid {
    StringGrid grid{6, 4};
    CensusGrid()
    {
        grid.resize(425, 103);
        grid.setDefaultColWidth(425 / 6 - 1);
        grid.OnDrawCell = [this](QPainter& canvas, int col, int row, const QRect& rect) {
            census::drawCell(canvas, grid, col, row, rect);
        };
        const QStringList years = QString("1900 1910 1920 1930 1940 1950 1960 1970 1981 1991 2001 2004").split(' ');
        for (int i = 0; i < 12; ++i)
            grid.setCells(i % 6, i < 6 ? 0 : 2, years[i]);
    }
    QImage image() { return grid.grab().toImage().convertToFormat(QImage::Format_RGB32); }
    static QColor fill(int row) { return row % 2 == 0 ? census::kHeaderFill : QColor(Qt::white); }
};

bool near(QRgb pixel, const QColor& colour, int tolerance)
{
    return std::abs(qRed(pixel) - colour.red()) + std::abs(qGreen(pixel) - colour.green())
               + std::abs(qBlue(pixel) - colour.blue())
           <= tolerance;
}

// Extent of the pixels in a cell that differ from its fill, and the darkest
// of them (the text colour where a stem is fully covered).
struct Ink {
    int left = -1, right = -1, top = -1, bottom = -1, count = 0;
    QRgb darkest = qRgb(255, 255, 255);
};
Ink inkOf(const QImage& image, const QRect& cell, const QColor& fill)
{
    Ink e;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (near(p, fill, 60))
                continue;
            if (e.count++ == 0)
                e.left = e.right = x, e.top = y;
            e.left = std::min(e.left, x), e.right = std::max(e.right, x), e.bottom = y;
            if (qGray(p) < qGray(e.darkest))
                e.darkest = p;
        }
    return e;
}

} // namespace

TEST(StringGrid, CellsAndGeometry)
{
    CensusGrid table;
    StringGrid& grid = table.grid;
    // Four rows and their grid lines fit in the 425 × 103 control; neighbouring
    // cells are one grid line apart; cells outside the table are empty.
    EXPECT_LE(grid.CellRect(0, 3).bottom() + StringGrid::GridLineWidth, 103 - 1);
    EXPECT_LE(grid.CellRect(5, 0).right() + StringGrid::GridLineWidth, 425 - 1);
    EXPECT_EQ(grid.CellRect(1, 0).left() - grid.CellRect(0, 0).right(), 2);
    EXPECT_EQ(grid.CellRect(0, 1).top() - grid.CellRect(0, 0).bottom(), 2);
    EXPECT_TRUE(grid.CellRect(6, 0).isEmpty());
    EXPECT_TRUE(grid.CellRect(0, -1).isEmpty());
    EXPECT_EQ(grid.Cells(2, 2), "1981");
    grid.setCells(6, 1, "x"); // outside: ignored
    grid.setCells(0, 4, "x");
    EXPECT_EQ(grid.Cells(6, 1), "");
    EXPECT_EQ(grid.Cells(0, 4), "");
}

TEST(StringGrid, TextsAreCentredInTheirRowColours)
{
    // The text is centred in the cell less 2 pixels on the left: texts of
    // symmetric glyphs sit exactly 1 pixel right of the cell's centre, and
    // vertically in the middle. Headings dark wine, values black; "&" is drawn.
    CensusGrid table;
    for (const QString text : {"-", "808", "1981"}) {
        for (const int row : {0, 1, 2, 3}) {
            SCOPED_TRACE(text.toStdString() + " in row " + std::to_string(row));
            table.grid.setCells(3, row, text);
            const QRect cell = table.grid.CellRect(3, row);
            const Ink ink = inkOf(table.image(), cell, CensusGrid::fill(row));
            ASSERT_GT(ink.count, 0);
            EXPECT_NEAR((ink.left + ink.right) / 2.0 - (cell.left() + cell.right()) / 2.0, 1.0,
                        text == "1981" ? 1.0 : 0.25); // the year's glyphs are not symmetric
            EXPECT_NEAR((ink.top + ink.bottom) / 2.0, (cell.top() + cell.bottom()) / 2.0, 2.0);
            EXPECT_TRUE(row % 2 == 0 ? near(ink.darkest, census::kHeaderText, 60) : near(ink.darkest, Qt::black, 90))
                << QColor(ink.darkest).name().toStdString();
        }
    }
    table.grid.setCells(0, 1, "&");
    table.grid.setCells(1, 1, "A&B");
    table.grid.setCells(2, 1, "AB");
    const QImage image = table.image();
    const auto extent = [&](int col) { return inkOf(image, table.grid.CellRect(col, 1), Qt::white); };
    EXPECT_GT(extent(0).count, 0);
    EXPECT_GT(extent(1).right - extent(1).left, extent(2).right - extent(2).left + 3);
}
