#pragma once
// Assistive technology reads a plain QWidget as a pane ("filler"), even when
// it is a window of its own. A window class registered here is read as a
// window, with its title for a name.

namespace ui {

// Registers a QWidget subclass, by its class name, whose objects are
// top-level windows. Returns true, so that the class's own file can register
// it as it is initialised, before any of its windows is made:
//   [[maybe_unused]] const bool kReadAsWindow = ui::readAsWindow("MapWindow");
bool readAsWindow(const char* className);

} // namespace ui
