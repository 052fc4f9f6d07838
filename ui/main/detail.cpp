// The detail panel of the main window: title, census table and chart of the
// unit that the detail view holds.

#include <QLabel>
#include <QPainter>
#include <qcustomplot.h>

#include "accessible.h"
#include "census.h"
#include "chart.h"
#include "cp1252.h"
#include "error.h"
#include "numbers.h"
#include "stringgrid.h"
#include "tform1.h"
#include "units.h"

namespace {

QString fieldText(const catalogue::View& view, std::string_view name)
{
    return QString::fromStdString(catalogue::cp1252::toUtf8(view.fieldByName(name).asString()));
}

QString kindWord(const std::string& tiponum)
{
    const auto kind = catalogue::parseInteger(tiponum);
    if (!kind)
        return QStringLiteral("Desconocido");
    switch (*kind) {
    case 2:
        return QStringLiteral("Municipio");
    case 3:
        return QStringLiteral("Entidad");
    case 4:
        return QStringLiteral("Núcleo");
    default:
        return QStringLiteral("Desconocido");
    }
}

} // namespace

void TForm1::ClientDataSet4AfterScroll(catalogue::View&)
{
    catalogue::View& view = ClientDataSet4;

    // Census values into the table, as stored; a null value is an empty cell.
    for (int i = 0; i < 12; ++i)
        StringGrid1->setCells(i % 6, i < 6 ? 1 : 3, fieldText(view, catalogue::kCensusFields[i]));

    // Kind and title.
    const QString kind = kindWord(view.fieldByName("tiponum").asString());
    Label8->setText(kind + QStringLiteral(": ") + fieldText(view, "nombredicc"));
    Label8->resize(Label8->sizeHint().width(), Label8->height());

    FreeChartSeries();
    // The chart shows neither title nor foot, so there is nothing to empty.

    // The chart plots what the table shows.
    const chart::Census census = chart::readCensus(*StringGrid1);
    chart::build(*Chart1, census, LineSeries, PointSeries);
    Chart1->replot(QCustomPlot::rpQueuedReplot);
    a11y::panelChanged(*this);
}

void TForm1::FreeChartSeries()
{
    chart::freeGraph(Chart1, LineSeries);
    chart::freeGraph(Chart1, PointSeries);
}

void TForm1::setUpChart()
{
    chart::setUp(*Chart1);
}

void TForm1::StringGrid1DrawCell(QPainter& canvas, int aCol, int aRow, const QRect& rect)
{
    census::drawCell(canvas, *StringGrid1, aCol, aRow, rect);
}
