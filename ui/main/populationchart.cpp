#include "populationchart.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <algorithm>
#include <cmath>
#include <limits>

#include "chartmenu.h"
#include "charttext.h"
#include "layoutstyle.h"

namespace {

inline constexpr int kLineWidth = 2;
// Points are circles of radius 4 (4 pixels from the centre each way).
inline constexpr double kPointSize = 8;
// The bottom axis runs a little beyond the first and the last year so that
// their points are drawn whole.
inline constexpr double kXPadding = 0.35;
// The left axis's title.
const QString kLeftAxisTitle = QStringLiteral("Población");
// The least room around the plotting area: at the top, half a tick label.
inline constexpr QMargins kMinimumMargins(0, 7, 1, 1);

// The left axis counts people: its ticks are whole numbers, at a readable
// step of at least 1, labelled in Spanish form. Without any value above 0 it
// has one tick, 0, whatever its range; for a unit without figures, none.
class PeopleTicker : public QCPAxisTicker {
public:
    enum class Ticks { Values, ZeroAlone, None };
    void setTicks(Ticks ticks) { ticks_ = ticks; }

protected:
    double getTickStep(const QCPRange& range) override
    {
        // The readable steps are 1, 2, 2.5 and 5 times a power of ten; 2.5
        // becomes 2 and anything under 1 becomes 1.
        return std::max(1.0, std::floor(QCPAxisTicker::getTickStep(range)));
    }
    QVector<double> createTickVector(double tickStep, const QCPRange& range) override
    {
        switch (ticks_) {
        case Ticks::Values: return QCPAxisTicker::createTickVector(tickStep, range);
        case Ticks::ZeroAlone: return range.contains(0) ? QVector<double>{0.0} : QVector<double>{};
        case Ticks::None: break;
        }
        return {};
    }
    QString getTickLabel(double tick, const QLocale&, QChar, int) override { return chart::formatNumber(tick); }

private:
    Ticks ticks_ = Ticks::ZeroAlone;
};

bool hasFigures(const Census& census)
{
    return std::any_of(census.points.begin(), census.points.end(),
                       [](const CensusPoint& point) { return point.value >= 0; });
}

// Drags the left axis range vertically while the right mouse button is held.
class VerticalPanner : public QObject {
public:
    explicit VerticalPanner(QCustomPlot* plot);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QCustomPlot* plot_;
    bool dragging_ = false;
    double startY_ = 0;
    QCPRange startRange_;
};

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

void setLabelFonts(QCustomPlot& plot)
{
    for (QCPAxis* axis : {plot.yAxis, plot.xAxis}) {
        axis->setTickLabelFont(layout::chartTickFont());
        axis->setTickLabelColor(layout::kFigureBlack);
    }
}

// A chart is read through its text alternative, kept as its description;
// set up before any window is made, so that no plain interface is cached for
// a chart first.
[[maybe_unused]] const bool kReadAsText = (charts::readChartsAsText("PopulationChart"), true);

} // namespace

namespace chart {

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

} // namespace chart

PopulationChart::PopulationChart(QWidget* parent) : QCustomPlot(parent)
{
    setBackground(QBrush(layout::kWindowTint));
    axisRect()->setBackground(Qt::NoBrush);
    setInteractions(QCP::Interactions());
    legend->setVisible(false);
    xAxis2->setVisible(false);
    yAxis2->setVisible(false);
    axisRect()->setAutoMargins(QCP::msAll);
    // Room at the top for half a tick label, so that a label at the top of
    // the range is drawn whole.
    axisRect()->setMinimumMargins(kMinimumMargins);
    plotLayout()->setMargins(QMargins(0, 0, 0, 0));

    for (QCPAxis* axis : {xAxis, yAxis}) {
        axis->setBasePen(Qt::NoPen);
        axis->setSubTicks(false);
    }
    setLabelFonts(*this);

    yAxis->setLabel(kLeftAxisTitle);
    yAxis->setLabelFont(layout::chartTitleFont());
    yAxis->setLabelColor(layout::kFigureBlack);
    yAxis->setTicker(QSharedPointer<PeopleTicker>::create());
    setValueless(true);

    // Said in the plotting area, in place of the series, for a unit without figures.
    noFigures_ = new QCPItemText(this);
    noFigures_->setClipToAxisRect(true);
    noFigures_->position->setType(QCPItemPosition::ptAxisRectRatio);
    noFigures_->position->setAxisRect(axisRect());
    noFigures_->position->setCoords(0.5, 0.5);
    noFigures_->setPositionAlignment(Qt::AlignCenter);
    noFigures_->setTextAlignment(Qt::AlignCenter);
    noFigures_->setFont(layout::chartTitleFont());
    noFigures_->setColor(layout::kFigureBlack);
    noFigures_->setText(chart::kNoFiguresText);
    noFigures_->setVisible(false);
    // The left axis keeps the range of the last census (none before the first).
    // A pan (the only way the user changes it) is told to assistive technology.
    connect(yAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this, [this] {
        if (!updating_)
            describe(title_);
    });

    xAxis->setTicker(QSharedPointer<QCPAxisTickerText>::create());
    xAxis->setRange(-kXPadding, 11 + kXPadding);

    new VerticalPanner(this);
    // After the panner, so that a right click that does not drag opens the menu.
    charts::addChartMenu(this, [this] { return title_; });
}

void PopulationChart::showCensus(const Census& census)
{
    const QScopedValueRollback updating(updating_, true);
    clearCensus();
    census_ = census;

    // Left axis: exactly 0 to 1.05 times the largest value.
    yAxis->setRange(0, chart::axisMaximum(census.largest));
    setValueless(census.largest <= 0);
    // Without any figure the left axis suggests no value: no ticks, and the
    // plotting area says why it is empty.
    const bool figures = hasFigures(census);
    if (!figures)
        yAxis->ticker().staticCast<PeopleTicker>()->setTicks(PeopleTicker::Ticks::None);
    noFigures_->setVisible(!figures);
    setLabelFonts(*this);

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
    xAxis->setTicker(ticker);
    xAxis->setRange(-kXPadding, 11 + kXPadding);

    line_ = addGraph(xAxis, yAxis);
    points_ = addGraph(xAxis, yAxis);

    line_->setPen(QPen(layout::kSeriesRose, kLineWidth));
    line_->setLineStyle(QCPGraph::lsLine);
    line_->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssNone));

    points_->setPen(QPen(layout::kSeriesRose));
    points_->setLineStyle(QCPGraph::lsNone);
    points_->setScatterStyle(
        QCPScatterStyle(QCPScatterStyle::ssCircle, layout::kSeriesRose, layout::kSeriesRose, kPointSize));

    // A missing year is NaN: no point, and the line breaks on either side.
    line_->setData(keys, values, true);
    points_->setData(keys, values, true);
    replot(QCustomPlot::rpQueuedReplot);
}

void PopulationChart::clearCensus()
{
    removeSeries(line_);
    removeSeries(points_);
    setValueless(true);
    if (noFigures_->visible()) {
        noFigures_->setVisible(false);
        replot(QCustomPlot::rpQueuedReplot);
    }
}

void PopulationChart::setValueless(bool valueless)
{
    yAxis->ticker().staticCast<PeopleTicker>()->setTicks(valueless ? PeopleTicker::Ticks::ZeroAlone
                                                                   : PeopleTicker::Ticks::Values);
}

bool PopulationChart::showsNoFigures() const { return noFigures_->visible(); }

void PopulationChart::removeSeries(QCPGraph*& graph)
{
    if (!graph)
        return;
    removeGraph(graph);
    // The year labels belong to the points: without series, none.
    if (graphCount() == 0)
        xAxis->setTicker(QSharedPointer<QCPAxisTickerText>::create());
    replot(QCustomPlot::rpQueuedReplot);
    graph = nullptr;
}

void PopulationChart::describe(const QString& title)
{
    title_ = title;
    QString text;
    if (line_ && !hasFigures(census_)) {
        // Neither a range nor a largest value: there is none.
        text = QStringLiteral("%1. %2.").arg(title, chart::kNoFiguresText);
    } else if (line_) {
        QStringList years;
        for (const CensusPoint& point : census_.points)
            years << point.label + QStringLiteral(": ")
                         + (point.value < 0 ? QStringLiteral("sin dato") : chart::formatNumber(point.value));
        const QCPRange range = yAxis->range();
        text = QStringLiteral("%1. Población por años: %2. Valor mayor: %3. Eje de población de %4 a %5.")
                   .arg(title, years.join(QStringLiteral("; ")), chart::formatNumber(census_.largest),
                        chart::formatNumber(range.lower), chart::formatNumber(range.upper));
    }
    const QString before = accessibleDescription();
    if (before == text)
        return;
    setAccessibleDescription(text);
    QAccessibleTextUpdateEvent event(this, 0, before, text);
    QAccessible::updateAccessibility(&event);
}
