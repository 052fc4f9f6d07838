// The census table widget and its cell painter, on a grid of its own.
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include "census.h"
#include "stringgrid.h"

namespace {

const QStringList kYears0 = {"1900", "1910", "1920", "1930", "1940", "1950"};
const QStringList kYears2 = {"1960", "1970", "1981", "1991", "2001", "2004"};

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
        for (int col = 0; col < 6; ++col) {
            grid.setCells(col, 0, kYears0[col]);
            grid.setCells(col, 2, kYears2[col]);
        }
    }
    QImage image() { return grid.grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

bool near(QRgb pixel, const QColor& colour, int tolerance = 40)
{
    return std::abs(qRed(pixel) - colour.red()) + std::abs(qGreen(pixel) - colour.green()) +
               std::abs(qBlue(pixel) - colour.blue()) <=
           tolerance;
}

// Horizontal extent of the pixels in a cell's rows that differ from its fill.
struct Extent {
    int left = -1;
    int right = -1;
    int count = 0;
};
Extent inkExtent(const QImage& image, const QRect& cell, const QColor& fill, int fromX = 0, int toX = -1)
{
    Extent extent;
    if (toX < 0)
        toX = image.width() - 1;
    for (int y = cell.top(); y <= cell.bottom(); ++y) {
        for (int x = fromX; x <= toX; ++x) {
            if (near(image.pixel(x, y), fill, 60))
                continue;
            ++extent.count;
            if (extent.left < 0 || x < extent.left)
                extent.left = x;
            if (x > extent.right)
                extent.right = x;
        }
    }
    return extent;
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

TEST(StringGrid, GeometryCellsAndState)
{
    CensusGrid table;
    StringGrid& grid = table.grid;
    EXPECT_EQ(grid.ColCount(), 6);
    EXPECT_EQ(grid.RowCount(), 4);
    EXPECT_EQ(grid.DefaultColWidth(), 69);
    // Four rows and their grid lines fit in the 103-pixel control.
    EXPECT_LE(grid.CellRect(0, 3).bottom() + StringGrid::GridLineWidth, 103 - 1);
    EXPECT_LE(grid.CellRect(5, 0).right() + StringGrid::GridLineWidth, 425 - 1);
    // Neighbouring cells are one grid line apart.
    EXPECT_EQ(grid.CellRect(1, 0).left() - grid.CellRect(0, 0).right(), 2);
    EXPECT_EQ(grid.CellRect(0, 1).top() - grid.CellRect(0, 0).bottom(), 2);
    EXPECT_TRUE(grid.CellRect(6, 0).isEmpty());
    EXPECT_TRUE(grid.CellRect(0, -1).isEmpty());

    EXPECT_EQ(grid.Selection(), QRect(QPoint(-1, -1), QPoint(-1, -1)));
    EXPECT_EQ(grid.Selection().left(), -1);
    EXPECT_EQ(grid.Selection().bottom(), -1);
    EXPECT_FALSE(grid.isEnabled());
    EXPECT_EQ(grid.focusPolicy(), Qt::NoFocus);

    EXPECT_EQ(grid.Cells(2, 2), "1981");
    grid.setCells(3, 1, "10.050");
    EXPECT_EQ(grid.Cells(3, 1), "10.050");
    grid.setCells(3, 1, QString());
    EXPECT_EQ(grid.Cells(3, 1), "");
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
            // Corners of every cell carry the row's fill.
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

TEST(StringGrid, HeaderAndValueTextColoursAndCentring)
{
    CensusGrid table;
    table.grid.setCells(2, 3, "-");
    table.grid.setCells(4, 1, "109.635");
    const QImage image = table.image();

    // "1981": dark wine on pink, centred 1 pixel right of the cell's centre.
    const QRect header = table.grid.CellRect(2, 2);
    const Extent year = inkExtent(image, header, census::kHeaderFill, header.left(), header.right());
    ASSERT_GT(year.count, 0);
    EXPECT_TRUE(near(darkest(image, header), census::kHeaderText, 60)) << QColor(darkest(image, header)).name().toStdString();
    const double centre = (header.left() + header.right()) / 2.0 + 1;
    EXPECT_NEAR((year.left + year.right) / 2.0, centre, 1.0);

    // Vertically centred too.
    int top = -1, bottom = -1;
    for (int y = header.top(); y <= header.bottom(); ++y)
        for (int x = header.left(); x <= header.right(); ++x)
            if (!near(image.pixel(x, y), census::kHeaderFill, 60)) {
                if (top < 0)
                    top = y;
                bottom = y;
            }
    EXPECT_NEAR((top + bottom) / 2.0, (header.top() + header.bottom()) / 2.0, 2.0);

    // A value: black on white, centred the same way, wider than the year.
    const QRect value = table.grid.CellRect(4, 1);
    const Extent number = inkExtent(image, value, Qt::white, value.left(), value.right());
    ASSERT_GT(number.count, 0);
    EXPECT_NEAR((number.left + number.right) / 2.0, (value.left() + value.right()) / 2.0 + 1, 1.0);
    EXPECT_TRUE(near(darkest(image, value), Qt::black, 90)) << QColor(darkest(image, value)).name().toStdString();

    // "-" in black, centred.
    const QRect dash = table.grid.CellRect(2, 3);
    const Extent minus = inkExtent(image, dash, Qt::white, dash.left(), dash.right());
    ASSERT_GT(minus.count, 0);
    EXPECT_NEAR((minus.left + minus.right) / 2.0, (dash.left() + dash.right()) / 2.0 + 1, 1.0);
}

TEST(StringGrid, SymmetricTextsSitOnePixelRightOfTheCentre)
{
    // The text is centred in the cell less 2 pixels on the left: texts of
    // symmetric glyphs sit exactly 1 pixel right of the cell's centre.
    CensusGrid table;
    for (const QString text : {"0", "00", "-", "8", "808"}) {
        for (const int row : {0, 1, 2, 3}) {
            table.grid.setCells(3, row, text);
            const QImage image = table.image();
            const QRect cell = table.grid.CellRect(3, row);
            const QColor fill = row % 2 == 0 ? census::kHeaderFill : QColor(Qt::white);
            const Extent extent = inkExtent(image, cell, fill, cell.left(), cell.right());
            ASSERT_GT(extent.count, 0) << text.toStdString();
            EXPECT_NEAR((extent.left + extent.right) / 2.0 - (cell.left() + cell.right()) / 2.0, 1.0, 0.25)
                << text.toStdString() << " in row " << row;
        }
    }
}

TEST(StringGrid, HeaderTextIsBoldAndSmaller)
{
    // The same text in a header row and in a value row: the header's glyphs
    // are shorter (11 against 12 pixels) but carry more ink per column (bold).
    CensusGrid table;
    table.grid.setCells(0, 1, "1900");
    const QImage image = table.image();
    const auto measure = [&](int row, const QColor& fill, QColor ink) {
        const QRect cell = table.grid.CellRect(0, row);
        int top = cell.bottom(), bottom = cell.top(), left = cell.right(), right = cell.left();
        double weight = 0;
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                if (near(pixel, fill, 60))
                    continue;
                top = std::min(top, y), bottom = std::max(bottom, y);
                left = std::min(left, x), right = std::max(right, x);
                // Share of the text colour in the pixel, by its green channel.
                weight += double(fill.green() - qGreen(pixel)) / (fill.green() - ink.green());
            }
        return std::tuple{bottom - top + 1, weight / (right - left + 1)};
    };
    const auto [headerHeight, headerInk] = measure(0, census::kHeaderFill, census::kHeaderText);
    const auto [valueHeight, valueInk] = measure(1, Qt::white, Qt::black);
    EXPECT_LT(headerHeight, valueHeight);
    EXPECT_GT(headerInk, valueInk * 1.15);
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
        return inkExtent(image, cell, Qt::white, cell.left(), cell.right());
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

TEST(StringGrid, LongTextIsOneLineAndNotClipped)
{
    CensusGrid table;
    const QRect cell = table.grid.CellRect(1, 1);
    table.grid.setCells(1, 1, "1234567890123");
    // Paint only this cell onto a white image: the text runs past both edges.
    QImage image(table.grid.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        census::drawCell(painter, table.grid, 1, 1, cell);
    }
    const Extent extent = inkExtent(image, cell, Qt::white, 0, image.width() - 1);
    EXPECT_LT(extent.left, cell.left());
    EXPECT_GT(extent.right, cell.right());
    // One line: no ink below the cell.
    for (int x = 0; x < image.width(); ++x)
        for (int y = cell.bottom() + 1; y < image.height(); ++y)
            ASSERT_EQ(QColor(image.pixel(x, y)), QColor(Qt::white));
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
        if (headerFirst) {
            census::drawCell(painter, table.grid, 3, 0, header);
            census::drawCell(painter, table.grid, 3, 1, value);
        } else {
            census::drawCell(painter, table.grid, 3, 1, value);
            census::drawCell(painter, table.grid, 3, 0, header);
        }
        painter.end();
        return image;
    };
    EXPECT_EQ(paint(true), paint(false));
}

TEST(StringGrid, WithoutHandlerCellsShowTheirText)
{
    StringGrid grid(2, 2);
    grid.resize(grid.sizeHint());
    grid.setCells(0, 0, "X");
    const QImage image = grid.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect filled = grid.CellRect(0, 0);
    const QRect empty = grid.CellRect(1, 1);
    const QColor base(image.pixel(empty.center()));
    int ink = 0;
    for (int y = filled.top(); y <= filled.bottom(); ++y)
        for (int x = filled.left(); x <= filled.right(); ++x)
            ink += QColor(image.pixel(x, y)) != base ? 1 : 0;
    EXPECT_GT(ink, 0);
}
