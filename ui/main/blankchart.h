#pragma once
// The population chart as it stands before it first shows a census: the
// left axis with its title and its one tick, 0, and that tick's grid line,
// drawn pixel for pixel as the chart control draws them, but without the
// control, whose code and paint buffer the window's first frame then does
// without. The detail panel shows it in the chart's place until the chart
// has something of its own to show: a unit, or a drag of its left axis.

#include <QMargins>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

namespace chart {

// The left axis's title.
inline const QString kLeftAxisTitle = QStringLiteral("Población");
// The least room the chart keeps around its plotting area: at the top, half
// a tick label, so that a label at the top of the range is drawn whole.
inline constexpr QMargins kMinimumMargins(0, 7, 1, 1);

} // namespace chart

class BlankChart : public QWidget {
    Q_OBJECT
public:
    explicit BlankChart(QWidget* parent = nullptr);

    // Called at a mouse press: the panel shows the chart control over this
    // one, retires this one and returns the control. The press, and the
    // moves and the release of the buttons it holds, go on to the control,
    // since Qt keeps sending them to the widget pressed, as long as it is
    // shown.
    std::function<QWidget*()> replace;

    // Hides and deletes the stand-in, at once or, while a press it hands on
    // is held, once its buttons are released.
    void retire();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void handOn(const QMouseEvent& event);

    QPointer<QWidget> control_; // where presses go, once a press has asked for it
    bool pressed_ = false;      // a press handed on is still held
    bool retired_ = false;
};
