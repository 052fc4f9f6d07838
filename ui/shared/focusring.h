#pragma once
// A steady focus indicator for controls whose style shows the focus only by a
// blinking caret (the read-only text views).

class QWidget;

namespace ui {

// Draws a 2-pixel ring in the highlight colour just inside the border of the
// control while it has the keyboard focus; nothing changes without it.
void showFocusRing(QWidget* control);

} // namespace ui
