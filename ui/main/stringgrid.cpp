#include "stringgrid.h"

#include <QPaintEvent>
#include <QPainter>

namespace {
const QColor kGridLineColour(192, 192, 192);
const QColor kFrameColour(128, 128, 128);
} // namespace

StringGrid::StringGrid(int colCount, int rowCount, QWidget* parent)
    : QWidget(parent),
      colCount_(colCount > 0 ? colCount : 0),
      rowCount_(rowCount > 0 ? rowCount : 0),
      cells_(colCount_ * rowCount_)
{
    setFocusPolicy(Qt::NoFocus);
    setEnabled(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool StringGrid::contains(int col, int row) const
{
    return col >= 0 && col < colCount_ && row >= 0 && row < rowCount_;
}

QString StringGrid::Cells(int col, int row) const
{
    return contains(col, row) ? cells_[row * colCount_ + col] : QString();
}

void StringGrid::setCells(int col, int row, const QString& text)
{
    if (!contains(col, row))
        return;
    QString& cell = cells_[row * colCount_ + col];
    if (cell == text)
        return;
    cell = text;
    update(CellRect(col, row));
}

void StringGrid::setDefaultColWidth(int width)
{
    width = qMax(width, 0);
    if (width == defaultColWidth_)
        return;
    defaultColWidth_ = width;
    update();
}

void StringGrid::setDefaultRowHeight(int height)
{
    height = qMax(height, 0);
    if (height == defaultRowHeight_)
        return;
    defaultRowHeight_ = height;
    update();
}

void StringGrid::setSelection(const QRect& selection)
{
    if (selection == selection_)
        return;
    selection_ = selection;
    update();
}

QRect StringGrid::CellRect(int col, int row) const
{
    if (!contains(col, row))
        return {};
    return {FrameWidth + col * (defaultColWidth_ + GridLineWidth),
            FrameWidth + row * (defaultRowHeight_ + GridLineWidth), defaultColWidth_, defaultRowHeight_};
}

QSize StringGrid::sizeHint() const
{
    return {2 * FrameWidth + colCount_ * (defaultColWidth_ + GridLineWidth),
            2 * FrameWidth + rowCount_ * (defaultRowHeight_ + GridLineWidth)};
}

void StringGrid::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect area = event->rect();
    painter.fillRect(area, palette().color(QPalette::Window));

    // Grid lines: one after every column and every row.
    const int gridWidth = colCount_ * (defaultColWidth_ + GridLineWidth);
    const int gridHeight = rowCount_ * (defaultRowHeight_ + GridLineWidth);
    for (int col = 0; col < colCount_; ++col) {
        const int x = FrameWidth + col * (defaultColWidth_ + GridLineWidth) + defaultColWidth_;
        painter.fillRect(QRect(x, FrameWidth, GridLineWidth, gridHeight), kGridLineColour);
    }
    for (int row = 0; row < rowCount_; ++row) {
        const int y = FrameWidth + row * (defaultRowHeight_ + GridLineWidth) + defaultRowHeight_;
        painter.fillRect(QRect(FrameWidth, y, gridWidth, GridLineWidth), kGridLineColour);
    }

    for (int row = 0; row < rowCount_; ++row) {
        for (int col = 0; col < colCount_; ++col) {
            const QRect cell = CellRect(col, row);
            if (!cell.intersects(area))
                continue;
            painter.save();
            painter.setFont(font());
            painter.setPen(palette().color(QPalette::WindowText));
            if (OnDrawCell) {
                OnDrawCell(painter, col, row, cell);
            } else {
                painter.fillRect(cell, palette().color(QPalette::Base));
                painter.setPen(palette().color(QPalette::Text));
                painter.drawText(cell, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextDontClip, Cells(col, row));
            }
            painter.restore();
        }
    }

    // The frame, drawn last so that no text running over the edge covers it.
    painter.setPen(kFrameColour);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
