#pragma once
// The population chart as it stands before it first shows a census: the
// left axis with its title and its one tick, 0, and that tick's grid line,
// drawn pixel for pixel as the chart control draws them, but without the
// control, whose code and paint buffer the window's first frame then does
// without. The detail panel shows it in the chart's place until the chart
// has something of its own to show: a unit, or a drag of its left axis.

#include <QMargins>
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

    // Called at a mouse press: the panel puts the chart control in this
    // one's place and returns it, and the press goes on to it.
    std::function<QWidget*()> replace;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};
