#pragma once
// What assistive technology reads of the main window: the names and
// descriptions of its controls, the census table as a table of years and
// values, and the chart as text.

#include <QIcon>
#include <QString>

class TForm1;

namespace chart {
struct Census;
}

namespace a11y {

// A button image from the resources, drawn as made for 96 dpi and at twice
// its size for screens scaled to 200 %.
QIcon buttonImage(const QString& image, const QString& image2x);

// Names and describes the window's controls. Called once, after the controls
// are made.
void setUp(TForm1& form);

// Brings what is read in step with what is shown: the lists' names with their
// headings, the census cells and the chart's text. Called whenever the detail
// panel is filled or blanked.
void panelChanged(TForm1& form);

// How a census cell is read: a "-" is "sin dato"; any other text as shown.
QString spokenCensusValue(const QString& cell);

// The chart's text alternative: the unit's title, the twelve years with their
// values, the largest value and the range of the population axis.
QString chartText(const QString& title, const chart::Census& census, double axisLower, double axisUpper);

} // namespace a11y
