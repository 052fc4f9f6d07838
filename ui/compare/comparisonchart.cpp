#include "comparisonchart.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <limits>

#include "charttext.h"
#include "layoutstyle.h"
#include "numbers.h"

namespace series = catalogue::series;

namespace compare {

QString measureName(Measure measure)
{
    switch (measure) {
    case Measure::Population: return QStringLiteral("Habitantes");
    case Measure::Index: return QStringLiteral("Índice");
    case Measure::Change: return QStringLiteral("Variación entre censos (%)");
    }
    return {};
}

SeriesStyle seriesStyle(std::size_t place)
{
    // The Okabe–Ito colours (yellow darkened to be seen on the tint), then
    // Tol's wine and olive: apart for deuteranopia, protanopia and tritanopia.
    static const std::array<QColor, 10> colours = {
        QColor(0, 114, 178),  QColor(213, 94, 0),   QColor(0, 158, 115),  QColor(204, 121, 167),
        QColor(230, 159, 0),  QColor(86, 180, 233), QColor(0, 0, 0),      QColor(136, 34, 85),
        QColor(153, 153, 51), QColor(119, 119, 119)};
    static const std::array<QCPScatterStyle::ScatterShape, 10> shapes = {
        QCPScatterStyle::ssCircle,      QCPScatterStyle::ssSquare,     QCPScatterStyle::ssTriangle,
        QCPScatterStyle::ssDiamond,     QCPScatterStyle::ssCross,      QCPScatterStyle::ssTriangleInverted,
        QCPScatterStyle::ssPlus,        QCPScatterStyle::ssStar,       QCPScatterStyle::ssCrossSquare,
        QCPScatterStyle::ssPlusCircle};
    place %= colours.size();
    return {colours[place], shapes[place], place < 5 ? Qt::SolidLine : Qt::DashLine};
}

QString formatValue(Measure measure, double value)
{
    return QString::fromStdString(catalogue::formatDecimal(value, measure == Measure::Population ? 0 : 1));
}

} // namespace compare

namespace {

using compare::Measure;

inline constexpr double kLineWidth = 1.6;
inline constexpr double kMarkerSize = 7;
// The bottom axis runs a little before 1900 and after 2004, so that the
// first and last markers are drawn whole.
inline constexpr double kFirstYear = 1896;
inline constexpr double kLastYear = 2008;

// Labels in Spanish form: "." between thousands, "," before decimals.
class SpanishTicker : public QCPAxisTicker {
protected:
    QString getTickLabel(double tick, const QLocale&, QChar, int) override
    {
        return QString::fromStdString(catalogue::formatDecimal(tick, 3));
    }
};

class SpanishLogTicker : public QCPAxisTickerLog {
protected:
    QString getTickLabel(double tick, const QLocale&, QChar, int) override
    {
        return QString::fromStdString(catalogue::formatDecimal(tick, 3));
    }
};

// Years every ten, written as years ("1900", not "1.900").
class YearTicker : public QCPAxisTickerFixed {
public:
    YearTicker()
    {
        setTickStep(10);
        setScaleStrategy(ssNone);
    }

protected:
    QString getTickLabel(double tick, const QLocale&, QChar, int) override
    {
        return QString::number(static_cast<long long>(std::llround(tick)));
    }
};

[[maybe_unused]] const bool kReadAsText = (charts::readChartsAsText("ComparisonChart"), true);

// The values a unit's series shows in a measure.
series::Values valuesOf(const series::Figures& figures, Measure measure, std::optional<std::size_t> base)
{
    switch (measure) {
    case Measure::Population: {
        series::Values values{};
        for (std::size_t date = 0; date < series::kDates; ++date)
            if (figures[date])
                values[date] = *figures[date];
        return values;
    }
    case Measure::Index: return base ? series::index(figures, *base) : series::Values{};
    case Measure::Change: return series::changeBetweenCensuses(figures);
    }
    return {};
}

QString axisTitle(Measure measure, std::optional<std::size_t> base)
{
    switch (measure) {
    case Measure::Population: return QStringLiteral("Habitantes");
    case Measure::Index:
        return base ? QStringLiteral("Índice (%1 = 100)").arg(series::kYears[*base]) : QStringLiteral("Índice");
    case Measure::Change: return QStringLiteral("Variación entre censos (%)");
    }
    return {};
}

} // namespace

ComparisonChart::ComparisonChart(QWidget* parent) : QCustomPlot(parent)
{
    setAccessibleName(QStringLiteral("Gráfico de la comparación"));
    setBackground(QBrush(layout::kFieldWhite));
    setInteractions(QCP::Interactions());
    xAxis2->setVisible(false);
    yAxis2->setVisible(false);
    for (QCPAxis* axis : {xAxis, yAxis}) {
        axis->setTickLabelFont(layout::chartTitleFont());
        axis->setTickLabelColor(layout::kFigureBlack);
        axis->setLabelFont(layout::chartTitleFont());
        axis->setLabelColor(layout::kFigureBlack);
        axis->grid()->setPen(QPen(layout::kGridLineGrey, 0, Qt::DotLine));
    }
    xAxis->setTicker(QSharedPointer<YearTicker>::create());
    xAxis->setRange(kFirstYear, kLastYear);
    xAxis->setLabel(QStringLiteral("Año"));
    yAxis->setTicker(QSharedPointer<SpanishTicker>::create());

    // The legend below the plot, five names to a row.
    legend->setVisible(true);
    legend->setFont(layout::chartTitleFont());
    legend->setBorderPen(Qt::NoPen);
    legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    legend->setWrap(5);
    axisRect()->insetLayout()->take(legend);
    plotLayout()->addElement(1, 0, legend);
    plotLayout()->setRowStretchFactor(1, 0.001);
    plotLayout()->setRowSpacing(2);

    reference_ = new QCPItemStraightLine(this);
    reference_->setPen(QPen(layout::kTableFrameGrey, 1));
    reference_->setVisible(false);

    noticeText_ = new QCPItemText(this);
    noticeText_->setClipToAxisRect(true);
    noticeText_->position->setType(QCPItemPosition::ptAxisRectRatio);
    noticeText_->position->setAxisRect(axisRect());
    noticeText_->position->setCoords(0.5, 0.5);
    noticeText_->setPositionAlignment(Qt::AlignCenter);
    noticeText_->setTextAlignment(Qt::AlignCenter);
    noticeText_->setFont(layout::chartTitleFont());
    noticeText_->setColor(layout::kFigureBlack);
    noticeText_->setVisible(false);

    showUnits({}, Measure::Population, std::nullopt, false);
}

QCPGraph* ComparisonChart::series(std::size_t place) const
{
    return place < series_.size() ? series_[place] : nullptr;
}

void ComparisonChart::showUnits(const std::vector<ComparedUnit>& units, Measure measure,
                                std::optional<std::size_t> indexBase, bool logarithmic)
{
    clearGraphs();
    series_.clear();
    logarithmic = logarithmic && measure == Measure::Population;

    std::vector<series::Figures> figures;
    figures.reserve(units.size());
    for (const ComparedUnit& unit : units)
        figures.push_back(unit.figures());
    indexBase_.reset();
    if (measure == Measure::Index)
        indexBase_ = indexBase ? indexBase : series::firstCommonDate(figures);

    double lowest = std::numeric_limits<double>::infinity();
    double highest = -std::numeric_limits<double>::infinity();
    QStringList described;
    QStringList valueless;
    for (std::size_t place = 0; place < units.size(); ++place) {
        const series::Values values = valuesOf(figures[place], measure, indexBase_);
        QVector<double> keys;
        QVector<double> drawn;
        QStringList dates;
        bool any = false;
        for (std::size_t date = 0; date < series::kDates; ++date) {
            std::optional<double> value = values[date];
            // A logarithmic axis has no place for 0.
            const bool shown = value && !(logarithmic && *value <= 0);
            keys.append(series::kYears[date]);
            drawn.append(shown ? *value : std::numeric_limits<double>::quiet_NaN());
            if (shown) {
                any = true;
                lowest = std::min(lowest, *value);
                highest = std::max(highest, *value);
            }
            dates << QStringLiteral("%1: %2").arg(series::kYears[date]).arg(
                         value ? compare::formatValue(measure, *value) : QStringLiteral("sin dato"));
        }
        const compare::SeriesStyle style = compare::seriesStyle(place);
        QCPGraph* graph = addGraph(xAxis, yAxis);
        graph->setName(units[place].name);
        graph->setPen(QPen(style.colour, kLineWidth, style.line));
        graph->setLineStyle(QCPGraph::lsLine);
        graph->setScatterStyle(QCPScatterStyle(style.shape, QPen(style.colour, 1.4), Qt::white, kMarkerSize));
        // A missing date is NaN: no marker, and the line breaks on either side.
        graph->setData(keys, drawn, true);
        series_.push_back(graph);
        described << QStringLiteral("%1 (%2): %3").arg(units[place].name, units[place].kind, dates.join(QStringLiteral("; ")));
        if (!any)
            valueless << units[place].name;
    }

    if (units.empty())
        notice_ = QStringLiteral("Añada unidades desde la ventana principal: Unidad > Añadir a la comparación (Ctrl+D).");
    else if (measure == Measure::Index && !indexBase_)
        notice_ = QStringLiteral("Las unidades no tienen ninguna fecha con cifra en común: elija la fecha del índice.");
    else if (!valueless.isEmpty())
        notice_ = QStringLiteral("Sin valores que mostrar: %1.").arg(valueless.join(QStringLiteral(", ")));
    else
        notice_.clear();
    // Over the plot only when nothing at all is drawn; otherwise the window
    // says it beside the chart.
    noticeText_->setText(notice_);
    noticeText_->setVisible(!notice_.isEmpty() && !std::isfinite(lowest));
    legend->setVisible(!units.empty());

    yAxis->setLabel(axisTitle(measure, indexBase_));
    setAxisRange(lowest, highest, measure, logarithmic);

    QString text = QStringLiteral("Comparación, %1").arg(axisTitle(measure, indexBase_));
    if (logarithmic)
        text += QStringLiteral(", escala logarítmica");
    text += QStringLiteral(". ");
    if (!described.isEmpty())
        text += described.join(QStringLiteral(". ")) + QStringLiteral(". ");
    if (!notice_.isEmpty())
        text += notice_;
    charts::setChartText(this, text.trimmed());
    replot(QCustomPlot::rpQueuedReplot);
}

void ComparisonChart::setAxisRange(double lowest, double highest, Measure measure, bool logarithmic)
{
    reference_->setVisible(false);
    if (logarithmic) {
        yAxis->setScaleType(QCPAxis::stLogarithmic);
        yAxis->setTicker(QSharedPointer<SpanishLogTicker>::create());
        if (!std::isfinite(lowest))
            yAxis->setRange(1, 10);
        else
            yAxis->setRange(lowest / 1.5, highest * 1.5);
        return;
    }
    if (yAxis->scaleType() != QCPAxis::stLinear) {
        yAxis->setScaleType(QCPAxis::stLinear);
        yAxis->setTicker(QSharedPointer<SpanishTicker>::create());
    }
    if (!std::isfinite(lowest)) {
        yAxis->setRange(0, 1);
        return;
    }
    switch (measure) {
    case Measure::Population:
        yAxis->setRange(0, std::max(1.0, highest * 1.05));
        return;
    case Measure::Index:
    case Measure::Change: {
        // The line of 100 (index) or 0 (change) is always within the range.
        const double reference = measure == Measure::Index ? 100.0 : 0.0;
        lowest = std::min(lowest, reference);
        highest = std::max(highest, reference);
        const double margin = std::max(1.0, (highest - lowest) * 0.05);
        yAxis->setRange(lowest - margin, highest + margin);
        reference_->point1->setCoords(kFirstYear, reference);
        reference_->point2->setCoords(kLastYear, reference);
        reference_->setVisible(true);
        return;
    }
    }
}
