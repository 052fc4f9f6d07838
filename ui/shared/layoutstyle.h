#pragma once
// The look of the windows as laid out: every colour and font of the layout,
// named once, and the few helpers that put them on controls.
//
// Fonts are given by their character height in pixels (at 96 dpi 11 pixels
// are 8 points). Where a named face is missing, its metric-compatible
// Liberation face stands in, so that captions keep their widths.

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QRect>
#include <QString>

class QLabel;
class QWidget;

namespace layout {

// The main window's tint, behind everything that has no colour of its own
// (the chart included).
inline const QColor kWindowTint(255, 238, 221);
// The list headings, the window's title and the "Listar todas" caption.
inline const QColor kHeadingRed(170, 43, 74);
// Every other caption, the search box, the note and the census years.
inline const QColor kTextMaroon(87, 25, 42);
// The names in the lists.
inline const QColor kListGrey(95, 95, 95);
// Behind the search box, the note, the lists and the census values.
inline const QColor kFieldWhite(255, 255, 255);
// The census values and the chart's axis labels.
inline const QColor kFigureBlack(0, 0, 0);
// Behind the census years.
inline const QColor kCensusYearPink(235, 157, 176);
// The census table's lines between cells and its frame.
inline const QColor kGridLineGrey(192, 192, 192);
inline const QColor kTableFrameGrey(128, 128, 128);
// The chart's line and points.
inline const QColor kSeriesRose(203, 125, 144);

// The windows' own font: MS Sans Serif, 11 pixels.
QFont windowFont();
// Times New Roman, the face of everything the user reads in the main window:
QFont titleFont();        // 21 pixels: the window's title
QFont headingFont();      // 15 pixels, bold: the instructions, "Población:" and the list headings
QFont textFont();         // 13 pixels: the search box, the lists and the note
QFont unitTitleFont();    // 13 pixels, bold italic: the selected unit's kind and name
QFont labelFont();        // 13 pixels, bold: "Población por años"
QFont smallFont();        // 11 pixels: the buttons and the census table
QFont censusYearFont();   // 11 pixels, bold
QFont censusValueFont();  // 12 pixels
QFont chartTickFont();    // 9 pixels: the chart's axis labels
QFont chartTitleFont();   // 11 pixels: the chart's axis title

// Sets a text colour (active and inactive) and, if a background role is
// given, a background colour (in every colour group) on a control.
void setColours(QWidget* widget, QPalette::ColorRole textRole, const QColor& text,
                QPalette::ColorRole backgroundRole = QPalette::NoRole, const QColor& background = {});

// A label at its place in the layout, its caption at the top left. Where the
// stand-in face runs wider than the original, the label grows rather than
// cutting its caption.
QLabel* placeLabel(QWidget* parent, const char* name, const QRect& place, const QFont& font, const QString& caption);

// Makes a label as wide as its caption, keeping its height.
void fitToCaption(QLabel* label);

} // namespace layout
