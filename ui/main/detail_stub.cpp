// Temporary stand-ins for the detail panel until it is merged.
#include <qcustomplot.h>

#include "stringgrid.h"
#include "tform1.h"

void TForm1::ClientDataSet4AfterScroll(catalogue::View&) {}
void TForm1::FreeChartSeries()
{
    if (LineSeries) {
        Chart1->removeGraph(LineSeries);
        LineSeries = nullptr;
    }
    if (PointSeries) {
        Chart1->removeGraph(PointSeries);
        PointSeries = nullptr;
    }
}
void TForm1::setUpChart() {}
void TForm1::StringGrid1DrawCell(QPainter&, int, int, const QRect&) {}
QString RemoveDots(const QString& text)
{
    QString copy = text;
    copy.remove(QLatin1Char('.'));
    return copy;
}

QString StringGrid::Cells(int col, int row) const { return cells_.value(row * colCount_ + col); }
void StringGrid::setCells(int col, int row, const QString& text)
{
    if (col >= 0 && col < colCount_ && row >= 0 && row < rowCount_)
        cells_[row * colCount_ + col] = text;
}
void StringGrid::setDefaultColWidth(int width) { defaultColWidth_ = width; }
void StringGrid::setDefaultRowHeight(int height) { defaultRowHeight_ = height; }
void StringGrid::setSelection(const QRect& selection) { selection_ = selection; }
QRect StringGrid::CellRect(int, int) const { return {}; }
