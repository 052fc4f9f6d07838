#pragma once
// Who the application is to the desktop: its name and its icon.

namespace ui {

// Names the application "POBLACION" (the taskbar and the caption of the
// program's message boxes) and gives it its icon, drawn at 16 and 32
// pixels. Called once, after the application object is made.
void setApplicationIdentity();

} // namespace ui
