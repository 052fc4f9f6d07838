#pragma once
// The frame that the window system puts around a top-level window (title bar
// and borders), so that a window can be sized and placed by its outer size.

#include <QMargins>

class QWidget;

namespace ui {

// The frame of a top-level window as far as it can be known: the toolkit's
// frame margins once the window system has told them; before the window is
// mapped on X11, the window manager's _NET_FRAME_EXTENTS, asked for with
// _NET_REQUEST_FRAME_EXTENTS (waiting at most a fifth of a second for the
// answer). Null margins when nothing is known (no window manager, or one
// that does not answer).
QMargins windowFrame(QWidget* window);

} // namespace ui
