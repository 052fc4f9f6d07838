#include "census.h"

#include <QPainter>

#include "stringgrid.h"
#include "tform1.h"

namespace census {

void drawCell(QPainter& canvas, const StringGrid& grid, int col, int row, const QRect& rect)
{
    const bool header = row == 0 || row == 2;
    QFont font(QStringLiteral("Times New Roman"));
    font.setBold(header);
    font.setPixelSize(header ? kHeaderPixelSize : kValuePixelSize);
    canvas.setBrush(header ? kHeaderFill : QColor(Qt::white));
    canvas.setFont(font);
    canvas.setPen(header ? kHeaderText : QColor(Qt::black));

    canvas.fillRect(rect, canvas.brush());
    const QString text = grid.Cells(col, row);
    if (text.isEmpty())
        return;
    const QRect textRect = rect.adjusted(2, 0, 0, 0);
    canvas.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextDontClip, text);
}

} // namespace census

QString RemoveDots(const QString& text)
{
    QString result = text;
    result.remove(u'.');
    return result;
}
