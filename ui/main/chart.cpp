#include "chart.h"

#include <QMouseEvent>
#include <cmath>
#include <limits>
#include <string>

#include "error.h"
#include "numbers.h"
#include "stringgrid.h"
#include "tform1.h"

namespace chart {

namespace {

QFont timesFont(int pixelSize)
{
    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(pixelSize);
    return font;
}

// Blanks and control characters count as nothing at either end.
QString trimmed(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= u' ')
        ++begin;
    while (end > begin && text[end - 1].unicode() <= u' ')
        --end;
    return text.mid(begin, end - begin);
}

void setLabelFonts(QCustomPlot& plot)
{
    for (QCPAxis* axis : {plot.yAxis, plot.xAxis}) {
        axis->setTickLabelFont(timesFont(kTickLabelPixelSize));
        axis->setTickLabelColor(Qt::black);
    }
}

} // namespace

std::int32_t censusValue(const QString& cell)
{
    if (trimmed(cell) == u"-")
        return -1;
    // Any character outside ASCII is no digit, so the UTF-8 bytes serve.
    const std::string text = RemoveDots(cell).toStdString();
    if (const auto value = catalogue::parseInteger(text))
        return *value;
    return -1;
}

Census readCensus(const StringGrid& grid)
{
    Census census;
    for (int pair = 0; pair < 2; ++pair) {
        for (int col = 0; col < 6; ++col) {
            CensusPoint& point = census.points[static_cast<std::size_t>(6 * pair + col)];
            point.value = censusValue(grid.Cells(col, 2 * pair + 1));
            if (point.value != -1 && point.value > census.largest)
                census.largest = point.value;
            point.label = grid.Cells(col, 2 * pair);
        }
    }
    return census;
}

double axisMaximum(std::int32_t largest)
{
    if (largest <= 0)
        return 1.0;
    // The product is exact in a double; one division rounds it to the double
    // nearest 1.05 times the value.
    return static_cast<double>(static_cast<std::int64_t>(largest) * 105) / 100.0;
}

QString formatNumber(double value)
{
    if (!std::isfinite(value))
        return {};
    QString text = QString::number(std::abs(value), 'f', 3);
    const bool negative = value < 0;
    qsizetype point = text.indexOf(u'.');
    QString decimals = text.mid(point + 1);
    QString whole = text.left(point);
    while (decimals.endsWith(u'0'))
        decimals.chop(1);
    for (qsizetype i = whole.size() - 3; i > 0; i -= 3)
        whole.insert(i, u'.');
    QString result = whole;
    if (!decimals.isEmpty())
        result += u',' + decimals;
    if (negative && result != u"0")
        result.prepend(u'-');
    return result;
}

QString SpanishNumberTicker::getTickLabel(double tick, const QLocale&, QChar, int)
{
    return formatNumber(tick);
}

void setUp(QCustomPlot& plot)
{
    plot.setBackground(QBrush(kBackgroundColour));
    plot.axisRect()->setBackground(Qt::NoBrush);
    plot.setInteractions(QCP::Interactions());
    plot.legend->setVisible(false);
    plot.xAxis2->setVisible(false);
    plot.yAxis2->setVisible(false);
    plot.axisRect()->setAutoMargins(QCP::msAll);
    // Room at the top for half a tick label, so that a label at the top of
    // the range is drawn whole.
    plot.axisRect()->setMinimumMargins(QMargins(0, 7, 1, 1));
    plot.plotLayout()->setMargins(QMargins(0, 0, 0, 0));

    for (QCPAxis* axis : {plot.xAxis, plot.yAxis}) {
        axis->setBasePen(Qt::NoPen);
        axis->setSubTicks(false);
    }
    setLabelFonts(plot);

    plot.yAxis->setLabel(QStringLiteral("Población"));
    plot.yAxis->setLabelFont(timesFont(kAxisTitlePixelSize));
    plot.yAxis->setLabelColor(Qt::black);
    plot.yAxis->setTicker(QSharedPointer<SpanishNumberTicker>::create());
    // The left axis keeps the range of the last update (none before the first).

    plot.xAxis->setTicker(QSharedPointer<QCPAxisTickerText>::create());
    plot.xAxis->setRange(-kXPadding, 11 + kXPadding);

    if (!plot.findChild<VerticalPanner*>(QString(), Qt::FindDirectChildrenOnly))
        new VerticalPanner(&plot);
}

void build(QCustomPlot& plot, const Census& census, QCPGraph*& line, QCPGraph*& points)
{
    // Left axis: exactly 0 to 1.05 times the largest value.
    plot.yAxis->setRange(0, axisMaximum(census.largest));
    setLabelFonts(plot);

    // Bottom axis: twelve equally spaced positions labelled with the years.
    auto ticker = QSharedPointer<QCPAxisTickerText>::create();
    QVector<double> keys;
    QVector<double> values;
    keys.reserve(12);
    values.reserve(12);
    for (std::size_t i = 0; i < census.points.size(); ++i) {
        const CensusPoint& point = census.points[i];
        const double x = static_cast<double>(i);
        ticker->addTick(x, point.label);
        keys.append(x);
        values.append(point.value == -1 ? std::numeric_limits<double>::quiet_NaN()
                                        : static_cast<double>(point.value));
    }
    plot.xAxis->setTicker(ticker);
    plot.xAxis->setRange(-kXPadding, 11 + kXPadding);

    line = plot.addGraph(plot.xAxis, plot.yAxis);
    points = plot.addGraph(plot.xAxis, plot.yAxis);

    line->setPen(QPen(kSeriesColour, kLineWidth));
    line->setLineStyle(QCPGraph::lsLine);
    line->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssNone));

    points->setPen(QPen(kSeriesColour));
    points->setLineStyle(QCPGraph::lsNone);
    points->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, kSeriesColour, kSeriesColour, kMarkerSize));

    // A missing year is NaN: no marker, and the line breaks on either side.
    line->setData(keys, values, true);
    points->setData(keys, values, true);
}

void freeGraph(QCustomPlot* plot, QCPGraph*& graph)
{
    if (!graph)
        return;
    if (plot) {
        plot->removeGraph(graph);
        // The year labels belong to the points: without series, none.
        if (plot->graphCount() == 0)
            plot->xAxis->setTicker(QSharedPointer<QCPAxisTickerText>::create());
        plot->replot(QCustomPlot::rpQueuedReplot);
    }
    graph = nullptr;
}

VerticalPanner::VerticalPanner(QCustomPlot* plot) : QObject(plot), plot_(plot)
{
    plot_->installEventFilter(this);
}

bool VerticalPanner::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != plot_)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::RightButton)
            return false;
        dragging_ = true;
        startY_ = mouse->position().y();
        startRange_ = plot_->yAxis->range();
        return true;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (!dragging_ || !(mouse->buttons() & Qt::RightButton))
            return false;
        const int height = plot_->axisRect()->height();
        if (height <= 0)
            return true;
        // The values follow the pointer: dragging down shows higher values.
        const double shift = (mouse->position().y() - startY_) * startRange_.size() / height;
        plot_->yAxis->setRange(startRange_.lower + shift, startRange_.upper + shift);
        plot_->replot(QCustomPlot::rpQueuedReplot);
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::RightButton)
            return false;
        dragging_ = false;
        return true;
    }
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

} // namespace chart
