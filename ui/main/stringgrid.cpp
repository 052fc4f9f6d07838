#include "stringgrid.h"

StringGrid::StringGrid(int colCount, int rowCount, QWidget* parent)
    : QWidget(parent), colCount_(colCount), rowCount_(rowCount), cells_(colCount * rowCount)
{
}
void StringGrid::paintEvent(QPaintEvent*) {}
