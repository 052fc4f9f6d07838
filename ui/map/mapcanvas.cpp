#include "mapcanvas.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace map {

namespace {
constexpr double kMinZoom = 0.5;
constexpr double kMaxZoom = 64.0;
constexpr double kKeyZoom = 1.25;
constexpr int kDotHitPixels = 6;
} // namespace

MapCanvas::MapCanvas(const MapScene& scene, QWidget* parent)
    : QWidget(parent), scene_(&scene), locator_(scene.map())
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(200, 200);
    setAttribute(Qt::WA_OpaquePaintEvent);
    const geo::Box& box = scene.map().box();
    centre_ = QPointF((box.x0 + box.x1) / 2, (box.y0 + box.y1) / 2);
}

void MapCanvas::setColours(const ColouredMap* colours)
{
    colours_ = colours;
    areasColours_ = nullptr;
    update();
}

void MapCanvas::setHighlight(const Highlight& highlight)
{
    const int hovered = highlight_.hovered;
    highlight_ = highlight;
    highlight_.hovered = hovered;
    update();
}

QTransform MapCanvas::view() const
{
    const geo::Box& box = scene_->map().box();
    const QRectF target = QRectF(rect()).adjusted(8, 8, -8, -8);
    double fit = 1;
    if (box.width() > 0 && box.height() > 0 && !target.isEmpty())
        fit = std::min(target.width() / box.width(), target.height() / box.height());
    const double scale = fit * zoom_;
    QTransform t;
    t.translate(width() / 2.0, height() / 2.0);
    t.scale(scale, scale);
    t.translate(-centre_.x(), -centre_.y());
    return t;
}

int MapCanvas::areaAt(const QPointF& position) const
{
    const QTransform inverse = view().inverted();
    const QPointF p = inverse.map(position);
    const double radius = kDotHitPixels / view().m11();
    return locator_.areaAt({p.x(), p.y()}, radius);
}

void MapCanvas::fitAragon()
{
    zoom_ = 1.0;
    const geo::Box& box = scene_->map().box();
    centre_ = QPointF((box.x0 + box.x1) / 2, (box.y0 + box.y1) / 2);
    update();
}

void MapCanvas::zoomBy(double factor, const QPointF& about)
{
    const double zoom = std::clamp(zoom_ * factor, kMinZoom, kMaxZoom);
    if (zoom == zoom_)
        return;
    // The map point under `about` stays under it.
    const QPointF before = view().inverted().map(about);
    zoom_ = zoom;
    const QPointF after = view().inverted().map(about);
    centre_ += before - after;
    update();
}

void MapCanvas::panBy(const QPointF& pixels)
{
    centre_ -= pixels / view().m11();
    update();
}

void MapCanvas::paintEvent(QPaintEvent*)
{
    const QTransform shown = view();
    const qreal ratio = devicePixelRatioF();
    if (colours_ && (areas_.size() != size() * ratio || areasView_ != shown || areasColours_ != colours_)) {
        areas_ = QPixmap(size() * ratio);
        areas_.setDevicePixelRatio(ratio);
        areas_.fill(QColor(0xfb, 0xfb, 0xf8));
        QPainter layer(&areas_);
        scene_->paintAreas(layer, shown, *colours_);
        areasView_ = shown;
        areasColours_ = colours_;
    }
    QPainter painter(this);
    if (!colours_) {
        painter.fillRect(rect(), QColor(0xfb, 0xfb, 0xf8));
        return;
    }
    painter.drawPixmap(0, 0, areas_);
    scene_->paintHighlight(painter, shown, highlight_);
    if (hasFocus()) {
        painter.setPen(QPen(palette().highlight().color(), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
}

void MapCanvas::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    update();
}

void MapCanvas::wheelEvent(QWheelEvent* event)
{
    const double steps = event->angleDelta().y() / 120.0;
    if (steps != 0)
        zoomBy(std::pow(kKeyZoom, steps), event->position());
    event->accept();
}

void MapCanvas::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    pressed_ = true;
    dragging_ = false;
    pressedAt_ = event->position().toPoint();
    lastDrag_ = event->position();
    setFocus(Qt::MouseFocusReason);
}

void MapCanvas::mouseMoveEvent(QMouseEvent* event)
{
    if (pressed_ && (event->buttons() & Qt::LeftButton)) {
        if (!dragging_ && (event->position().toPoint() - pressedAt_).manhattanLength() > 4)
            dragging_ = true;
        if (dragging_) {
            panBy(event->position() - lastDrag_);
            lastDrag_ = event->position();
            setCursor(Qt::ClosedHandCursor);
            return;
        }
    }
    setHovered(areaAt(event->position()), event->globalPosition().toPoint());
}

void MapCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !pressed_)
        return QWidget::mouseReleaseEvent(event);
    pressed_ = false;
    unsetCursor();
    if (dragging_) {
        dragging_ = false;
        return;
    }
    const int area = areaAt(event->position());
    if (area >= 0)
        emit areaClicked(area);
}

void MapCanvas::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && areaAt(event->position()) < 0)
        fitAragon();
}

void MapCanvas::keyPressEvent(QKeyEvent* event)
{
    const QPointF centre(width() / 2.0, height() / 2.0);
    const double step = std::min(width(), height()) / 8.0;
    switch (event->key()) {
    case Qt::Key_0:
    case Qt::Key_Home: fitAragon(); break;
    case Qt::Key_Plus:
    case Qt::Key_Equal: zoomBy(kKeyZoom, centre); break;
    case Qt::Key_Minus: zoomBy(1 / kKeyZoom, centre); break;
    case Qt::Key_Left: panBy({step, 0}); break;
    case Qt::Key_Right: panBy({-step, 0}); break;
    case Qt::Key_Up: panBy({0, step}); break;
    case Qt::Key_Down: panBy({0, -step}); break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

void MapCanvas::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    if (highlight_.hovered >= 0) {
        highlight_.hovered = -1;
        QToolTip::hideText();
        emit hoveredChanged(-1);
        update();
    }
}

void MapCanvas::setHovered(int area, const QPoint& globalPosition)
{
    if (area != highlight_.hovered) {
        highlight_.hovered = area;
        emit hoveredChanged(area);
        update();
    }
    if (area >= 0 && describeArea)
        QToolTip::showText(globalPosition, describeArea(area), this);
    else
        QToolTip::hideText();
}

} // namespace map
