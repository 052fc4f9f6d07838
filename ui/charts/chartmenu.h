#pragma once
// The context menu of a chart, with "Guardar gráfico…". It opens on a right
// click that does not drag (a chart may pan with the right button held), and
// from the keyboard with the menu key or Shift+F10 when the chart has the
// focus.

#include <QString>
#include <functional>

class QCustomPlot;
class QMenu;

namespace charts {

inline const QString kSaveChartText = QStringLiteral("Guardar gráfico…");

// Gives `plot` its context menu; `suggestedName` gives the name the save
// dialog proposes (the unit's title), asked when the menu is used.
void addChartMenu(QCustomPlot* plot, std::function<QString()> suggestedName);

// The menu last opened on `plot` while it is shown, for tests.
QMenu* openChartMenu(const QCustomPlot* plot);

} // namespace charts
