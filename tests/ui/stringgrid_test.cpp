// The census table widget and its cell painter, on a grid of its own.
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
        const QStringList years = {"1900", "1910", "1920", "1930", "1940", "1950",
                                   "1960", "1970", "1981", "1991", "2001", "2004"};
        for (int i = 0; i < 12; ++i)
            grid.setCells(i % 6, i < 6 ? 0 : 2, years[i]);
    }
    QImage image() { return grid.grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

bool near(QRgb pixel, const QColor& colour, int tolerance = 40)
{
    return std::abs(qRed(pixel) - colour.red()) + std::abs(qGreen(pixel) - colour.green()) +
               std::abs(qBlue(pixel) - colour.blue()) <=
           tolerance;
}

// Extent of the pixels in a cell that differ from its fill.
struct Extent {
    int left = -1, right = -1, top = -1, bottom = -1, count = 0;
};
Extent inkExtent(const QImage& image, const QRect& cell, const QColor& fill)
{
    Extent e;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x) {
            if (near(image.pixel(x, y), fill, 60))
                continue;
            if (e.count++ == 0)
                e.left = e.right = x, e.top = y;
            e.left = std::min(e.left, x), e.right = std::max(e.right, x), e.bottom = y;
        }
    return e;
}

// The darkest pixel of a cell: the text colour where a stem is fully covered.
QRgb darkest(const QImage& image, const QRect& cell)
{
    QRgb result = qRgb(255, 255, 255);
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x)
            if (qGray(image.pixel(x, y)) < qGray(result))
                result = image.pixel(x, y);
    return result;
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

    grid.setCells(6, 1, "x"); // outside: ignored
    grid.setCells(0, 4, "x");
    EXPECT_EQ(grid.Cells(6, 1), "");
    EXPECT_EQ(grid.Cells(0, 4), "");
}

TEST(StringGrid, RowStylesFillTheWholeCell)
{
    CensusGrid table;
    table.grid.setCells(0, 1, "488");
    const QImage image = table.image();
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 6; ++col) {
            const QRect cell = table.grid.CellRect(col, row);
            const QColor fill = row % 2 == 0 ? census::kHeaderFill : QColor(Qt::white);
            for (const QPoint corner : {cell.topLeft(), cell.topRight(), cell.bottomLeft(), cell.bottomRight()})
                EXPECT_EQ(QColor(image.pixel(corner)), fill) << col << "," << row;
        }
    }
    // Grid lines lie between the cells, in neither fill.
    const QRect first = table.grid.CellRect(0, 0);
    const QColor line(image.pixel(first.right() + 1, first.center().y()));
    EXPECT_NE(line, census::kHeaderFill);
    EXPECT_NE(line, QColor(Qt::white));
}

TEST(StringGrid, TextsAreCentredInTheirRowColours)
{
    // The text is centred in the cell less 2 pixels on the left: texts of
    // symmetric glyphs sit exactly 1 pixel right of the cell's centre, and
    // vertically in the middle. Headings dark wine, values black.
    CensusGrid table;
    for (const QString text : {"0", "00", "-", "8", "808", "1981"}) {
        for (const int row : {0, 1, 2, 3}) {
            SCOPED_TRACE(text.toStdString() + " in row " + std::to_string(row));
            table.grid.setCells(3, row, text);
            const QImage image = table.image();
            const QRect cell = table.grid.CellRect(3, row);
            const bool heading = row % 2 == 0;
            const QColor fill = heading ? census::kHeaderFill : QColor(Qt::white);
            const Extent extent = inkExtent(image, cell, fill);
            ASSERT_GT(extent.count, 0);
            EXPECT_NEAR((extent.left + extent.right) / 2.0 - (cell.left() + cell.right()) / 2.0, 1.0,
                        text == "1981" ? 1.0 : 0.25); // the year's glyphs are not symmetric
            EXPECT_NEAR((extent.top + extent.bottom) / 2.0, (cell.top() + cell.bottom()) / 2.0, 2.0);
            const QRgb ink = darkest(image, cell);
            EXPECT_TRUE(heading ? near(ink, census::kHeaderText, 60) : near(ink, Qt::black, 90))
                << QColor(ink).name().toStdString();
        }
    }
}

TEST(StringGrid, AmpersandIsDrawnAndEmptyCellIsPlain)
{
    CensusGrid table;
    table.grid.setCells(0, 1, "&");
    table.grid.setCells(1, 1, "A&B");
    table.grid.setCells(2, 1, "AB");
    const QImage image = table.image();
    const auto extentOf = [&](int col) {
        const QRect cell = table.grid.CellRect(col, 1);
        return inkExtent(image, cell, Qt::white);
    };
    EXPECT_GT(extentOf(0).count, 0); // the ampersand alone is visible
    const Extent withAmpersand = extentOf(1);
    const Extent without = extentOf(2);
    EXPECT_GT(withAmpersand.right - withAmpersand.left, without.right - without.left + 3);

    // An empty value cell: white and nothing else; an empty header cell: pink only.
    table.grid.setCells(0, 1, QString());
    table.grid.setCells(5, 2, QString());
    const QImage after = table.image();
    for (const auto& [col, row, fill] : {std::tuple{0, 1, QColor(Qt::white)}, std::tuple{3, 3, QColor(Qt::white)},
                                         std::tuple{5, 2, census::kHeaderFill}}) {
        const QRect cell = table.grid.CellRect(col, row);
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x)
                ASSERT_EQ(QColor(after.pixel(x, y)), fill) << col << "," << row << " at " << x << "," << y;
    }
}

TEST(StringGrid, EveryCellSetsItsFullStyle)
{
    // Painting a value cell right after a header cell with the same painter
    // (and the other way round) gives the same pixels as painting it alone.
    CensusGrid table;
    table.grid.setCells(3, 1, "1.016");
    const QRect header = table.grid.CellRect(3, 0);
    const QRect value = table.grid.CellRect(3, 1);
    const auto paint = [&](bool headerFirst) {
        QImage image(table.grid.size(), QImage::Format_RGB32);
        image.fill(Qt::gray);
        QPainter painter(&image);
        for (const int row : headerFirst ? std::array{0, 1} : std::array{1, 0})
            census::drawCell(painter, table.grid, 3, row, row == 0 ? header : value);
        painter.end();
        return image;
    };
    EXPECT_EQ(paint(true), paint(false));
}
