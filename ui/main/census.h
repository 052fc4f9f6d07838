#pragma once
// The census table of the detail panel: how its cells are painted.

#include <QColor>
#include <QRect>

class QPainter;
class StringGrid;

namespace census {

// Header rows 0 and 2: rose pink fill, dark wine bold text.
inline const QColor kHeaderFill(235, 157, 176);
inline const QColor kHeaderText(87, 25, 42);
// Character heights at 96 dpi: 8 points for the headers, 9 for the values.
inline constexpr int kHeaderPixelSize = 11;
inline constexpr int kValuePixelSize = 12;

// Paints one cell of the census table: the row's fill over the whole cell,
// then its text on one line, centred in the cell less 2 pixels on the left,
// neither clipped nor read for mnemonics. Every cell sets its full style.
void drawCell(QPainter& canvas, const StringGrid& grid, int col, int row, const QRect& rect);

} // namespace census
