#include "blankchart.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <algorithm>

#include "layoutstyle.h"

namespace {

// What the chart control gives a left axis, and a bottom axis with neither
// ticks nor labels, unless told otherwise (the chart keeps these).
constexpr int kAxisPadding = 5;       // beyond the outermost part of an axis
constexpr int kTickLabelPadding = 5;  // between the axis and its tick labels
constexpr int kTitlePadding = 10;     // between the tick labels and the title
constexpr int kTickLengthInside = 5;  // ticks point into the plotting area
const QColor kGridGrey(200, 200, 200); // grid lines, dotted

const QString kZero = QStringLiteral("0");

// The control measures and draws a tick label in its font made a twentieth
// of a point larger (when its size is in points), to steady the measure.
QFont tickLabelFont()
{
    QFont font = layout::chartTickFont();
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() + 0.05);
    return font;
}

// A transparent pixmap of this many device-independent pixels at `ratio`.
QPixmap transparentPixmap(const QSize& size, qreal ratio)
{
    QPixmap pixmap(qFuzzyCompare(ratio, 1.0) ? size : size * ratio);
    if (!qFuzzyCompare(ratio, 1.0))
        pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

} // namespace

BlankChart::BlankChart(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

// The control draws its parts into a transparent buffer of its size and
// then the buffer over its background; the lines are opaque and drawn
// unblended, so only the text goes through a buffer here, one that ends
// where the plotting area begins.
void BlankChart::paintEvent(QPaintEvent*)
{
    const qreal ratio = devicePixelRatioF();
    // The tick label, drawn into a pixmap of its own first. Its extent is
    // the pixmap's, in whole pixels, which at some ratios differs a little
    // from the text's.
    const QFont labelFont = tickLabelFont();
    const QSize labelSize =
        QFontMetrics(labelFont).boundingRect(0, 0, 0, 0, Qt::TextDontClip | Qt::AlignHCenter, kZero).size();
    QPixmap label = transparentPixmap(labelSize, ratio);
    {
        QPainter labelPainter(&label);
        labelPainter.setPen(QPen(layout::kFigureBlack));
        labelPainter.setFont(labelFont);
        labelPainter.drawText(QRect(QPoint(0, 0), labelSize), Qt::TextDontClip | Qt::AlignHCenter, kZero);
    }
    const QSize labelExtent = label.size() / ratio;

    const int titleHeight =
        QFontMetrics(layout::chartTitleFont())
            .boundingRect(0, 0, 0, 0, Qt::TextDontClip | Qt::AlignHCenter | Qt::AlignVCenter, chart::kLeftAxisTitle)
            .height();
    // The plotting area: each side's axis takes what it needs, and no less
    // than the chart's minimum is left. The top and right axes are hidden,
    // and the bottom one has only its padding while no census is shown.
    const QMargins& least = chart::kMinimumMargins;
    const QRect area = rect().adjusted(
        std::max(least.left(), labelExtent.width() + kTickLabelPadding + titleHeight + kTitlePadding + kAxisPadding),
        least.top(), -least.right(), -std::max(least.bottom(), kAxisPadding));
    // Each part is clipped to the chart less its bottom row, as the control
    // clips it.
    const QRect clip = rect().translated(0, -1);

    QPainter painter(this);
    painter.fillRect(rect(), layout::kWindowTint);

    // The grid line of the tick 0 along the bottom of the plotting area, and
    // the tick over its start.
    painter.save();
    painter.setClipRect(clip);
    painter.setPen(QPen(kGridGrey, 0, Qt::DotLine));
    painter.drawLine(QLine(area.left(), area.bottom(), area.right(), area.bottom()));
    painter.setPen(QPen(Qt::black, 0, Qt::SolidLine, Qt::SquareCap));
    painter.drawLine(QLine(area.left(), area.bottom(), area.left() + kTickLengthInside, area.bottom()));
    painter.restore();

    QPixmap text = transparentPixmap(QSize(area.left(), height()), ratio);
    {
        QPainter textPainter(&text);
        textPainter.setClipRect(clip);

        // The tick label right-aligned short of the axis and centred on the
        // tick, unless it would stand out of the chart.
        int labelsWidth = 0;
        const QPointF labelAt(area.left() - kTickLabelPadding - labelSize.width(),
                              area.bottom() - labelSize.height() / 2.0);
        if (labelAt.y() >= rect().top() && labelAt.y() + label.height() / ratio <= rect().bottom()) {
            textPainter.drawPixmap(labelAt, label);
            labelsWidth = labelExtent.width();
        }

        // The title, turned a quarter to the left, beyond the labels. The
        // control places it by its height measured again, as the painter
        // measures it, which need not be titleHeight above.
        textPainter.setFont(layout::chartTitleFont());
        textPainter.setPen(QPen(layout::kFigureBlack));
        const int drawnTitleHeight =
            textPainter.fontMetrics().boundingRect(0, 0, 0, 0, Qt::TextDontClip, chart::kLeftAxisTitle).height();
        textPainter.translate(area.left() - kTickLabelPadding - labelsWidth - kTitlePadding - drawnTitleHeight,
                              area.bottom());
        textPainter.rotate(-90);
        textPainter.drawText(0, 0, area.height(), drawnTitleHeight, Qt::TextDontClip | Qt::AlignCenter,
                             chart::kLeftAxisTitle);
    }
    painter.drawPixmap(0, 0, text);
}

void BlankChart::retire()
{
    retired_ = true;
    if (pressed_)
        return; // the control lies over it meanwhile
    hide();
    deleteLater();
}

void BlankChart::mousePressEvent(QMouseEvent* event)
{
    pressed_ = true;
    if (!control_ && replace)
        control_ = replace();
    if (!control_) {
        pressed_ = false;
        QWidget::mousePressEvent(event);
        return;
    }
    handOn(*event);
}

void BlankChart::mouseMoveEvent(QMouseEvent* event)
{
    if (!control_) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    handOn(*event);
}

void BlankChart::mouseReleaseEvent(QMouseEvent* event)
{
    if (!control_) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    handOn(*event);
    if (event->buttons() == Qt::NoButton) {
        pressed_ = false;
        if (retired_)
            retire();
    }
}

// The control lies where the stand-in does: the positions hold as they are.
void BlankChart::handOn(const QMouseEvent& event)
{
    QMouseEvent copy(event.type(), event.position(), event.scenePosition(), event.globalPosition(), event.button(),
                     event.buttons(), event.modifiers(), event.pointingDevice());
    QCoreApplication::sendEvent(control_, &copy);
}
