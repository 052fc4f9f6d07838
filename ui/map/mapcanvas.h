#pragma once
// The map itself: draws the scene at the window's zoom, tells what is under
// the pointer, and zooms and pans: the wheel about the pointer, a drag, "0",
// Home or a double click on the background to fit Aragón, "+" and "−", the
// arrows. A click on an area reports it.

#include <QPixmap>
#include <QPointF>
#include <QTransform>
#include <QWidget>
#include <functional>

#include "locator.h"
#include "mapscene.h"

namespace map {

class MapCanvas : public QWidget {
    Q_OBJECT
public:
    MapCanvas(const MapScene& scene, QWidget* parent = nullptr);

    void setColours(const ColouredMap* colours);
    void setHighlight(const Highlight& highlight);
    const Highlight& highlight() const { return highlight_; }

    // Map units to the widget's pixels, as drawn now.
    QTransform view() const;
    // The area under a widget position, -1 for none.
    int areaAt(const QPointF& position) const;
    // The widget position of a map point (for tests and the table).
    QPointF positionOf(const geo::Point& p) const { return view().map(QPointF(p.x, p.y)); }
    double zoom() const { return zoom_; }

    // The pointer's tip text for an area: name, comarca, value coloured.
    std::function<QString(int area)> describeArea;

public slots:
    void fitAragon();
    void zoomBy(double factor, const QPointF& about);
    void panBy(const QPointF& pixels);

signals:
    void areaClicked(int area);
    void hoveredChanged(int area);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void setHovered(int area, const QPoint& globalPosition);

    // The areas as last drawn, for the view, size and colouring they were
    // drawn for: moving the pointer redraws only the highlights over them.
    QPixmap areas_;
    QTransform areasView_;
    const ColouredMap* areasColours_ = nullptr;

    const MapScene* scene_;
    geo::Locator locator_;
    const ColouredMap* colours_ = nullptr;
    Highlight highlight_;
    double zoom_ = 1.0;         // 1: Aragón fits
    QPointF centre_;            // the map point at the widget's centre
    QPoint pressedAt_;
    QPointF lastDrag_;
    bool pressed_ = false;
    bool dragging_ = false;
};

} // namespace map
