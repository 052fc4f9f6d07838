#pragma once
// A chart read by assistive technology as a text: its accessible
// description, which the chart keeps up to date (its series and their
// values), offered through the text interface as well, so that a screen
// reader reads it out when it reaches the chart.

#include <QString>

class QWidget;

namespace charts {

// Makes every widget of the class named so be read through its description.
// Must run before the first such widget is made (before any window is):
// assistive technology keeps the interface first made for a widget.
void readChartsAsText(const char* className);

// Sets the description and tells assistive technology of the change.
void setChartText(QWidget* chart, const QString& text);

} // namespace charts
