// The census table on its own: its cells, how they are painted, and the
// census read back from them (the fills of year and value rows in the window:
// mainwindow_test.cpp; whole tables with words, blanks and signs, through the
// window: detailpanel_test.cpp).
#include <QImage>
#include <gtest/gtest.h>

#include "censustable.h"

namespace {

const QColor kYearPink(235, 157, 176);
const QColor kYearText(87, 25, 42);

// A census table of the size the detail panel gives it: 425 × 103, 69-pixel columns.
struct CensusGrid {
    CensusTable grid;
    CensusGrid() { grid.resize(425, 103); }
    QImage image() { return grid.grab().toImage().convertToFormat(QImage::Format_RGB32); }
    static QColor fill(int row) { return row % 2 == 0 ? kYearPink : QColor(Qt::white); }
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

TEST(CensusTable, CellsAndGeometry)
{
    CensusGrid table;
    CensusTable& grid = table.grid;
    EXPECT_EQ(grid.columnWidth(), 69);
    // Four rows and their grid lines fit in the 425 × 103 control; neighbouring
    // cells are one grid line apart; cells outside the table are empty.
    EXPECT_LE(grid.cellRect(0, 3).bottom() + CensusTable::kGridLineWidth, 103 - 1);
    EXPECT_LE(grid.cellRect(5, 0).right() + CensusTable::kGridLineWidth, 425 - 1);
    EXPECT_EQ(grid.cellRect(1, 0).left() - grid.cellRect(0, 0).right(), 2);
    EXPECT_EQ(grid.cellRect(0, 1).top() - grid.cellRect(0, 0).bottom(), 2);
    EXPECT_TRUE(grid.cellRect(6, 0).isEmpty());
    EXPECT_TRUE(grid.cellRect(0, -1).isEmpty());
    EXPECT_EQ(grid.cell(2, 2), "1981");
    grid.setCell(6, 1, "x"); // outside: ignored
    grid.setCell(0, 4, "x");
    EXPECT_EQ(grid.cell(6, 1), "");
    EXPECT_EQ(grid.cell(0, 4), "");
}

TEST(CensusTable, TextsAreCentredInTheirRowColours)
{
    // The text is centred in the cell less 2 pixels on the left: texts of
    // symmetric glyphs sit exactly 1 pixel right of the cell's centre, and
    // vertically in the middle. Headings dark wine, values black; "&" is drawn.
    CensusGrid table;
    for (const QString text : {"-", "808", "1981"}) {
        for (const int row : {0, 1, 2, 3}) {
            SCOPED_TRACE(text.toStdString() + " in row " + std::to_string(row));
            table.grid.setCell(3, row, text);
            const QRect cell = table.grid.cellRect(3, row);
            const Ink ink = inkOf(table.image(), cell, CensusGrid::fill(row));
            ASSERT_GT(ink.count, 0);
            EXPECT_NEAR((ink.left + ink.right) / 2.0 - (cell.left() + cell.right()) / 2.0, 1.0,
                        text == "1981" ? 1.0 : 0.25); // the year's glyphs are not symmetric
            EXPECT_NEAR((ink.top + ink.bottom) / 2.0, (cell.top() + cell.bottom()) / 2.0, 2.0);
            EXPECT_TRUE(row % 2 == 0 ? near(ink.darkest, kYearText, 60) : near(ink.darkest, Qt::black, 90))
                << QColor(ink.darkest).name().toStdString();
        }
    }
    table.grid.setCell(0, 1, "&");
    table.grid.setCell(1, 1, "A&B");
    table.grid.setCell(2, 1, "AB");
    const QImage image = table.image();
    const auto extent = [&](int col) { return inkOf(image, table.grid.cellRect(col, 1), Qt::white); };
    EXPECT_GT(extent(0).count, 0);
    EXPECT_GT(extent(1).right - extent(1).left, extent(2).right - extent(2).left + 3);
}

TEST(CensusTable, ReadsItsValuesBack)
{
    CensusTable table;
    // Thousands points go; a number too large for 32 bits, a decimal comma
    // or a "-" is missing (-1), never an error.
    const std::pair<const char*, std::int32_t> values[] = {
        {"..1..", 1},        {"3.000.000.000", -1}, {"1,5", -1},
        {"--", -1},          {" - ", -1},           {"2.147.483.647", 2147483647}};
    for (auto [text, expected] : values) {
        table.setValue(7, QString::fromUtf8(text));
        EXPECT_EQ(table.census().points[7].value, expected) << text;
    }
    // Every year with its label; the largest of the values present.
    table.clearValues();
    table.setValue(0, "1.473");
    table.setValue(11, "791");
    const Census census = table.census();
    EXPECT_EQ(census.points[0].label, "1900");
    EXPECT_EQ(census.points[0].value, 1473);
    EXPECT_EQ(census.points[8].label, "1981");
    EXPECT_EQ(census.points[8].value, -1);
    EXPECT_EQ(census.points[11].label, "2004");
    EXPECT_EQ(census.largest, 1473);
    EXPECT_EQ(table.cell(5, 3), "791");
}
