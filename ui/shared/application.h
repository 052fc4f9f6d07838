#pragma once
// What the whole application carries for both windows: its name, its icon and
// the toolkit's own texts in Spanish.

class QPixmap;
class QString;

namespace ui {

// Names the application "POBLACION" (the taskbar and the caption of the
// program's message boxes), gives it its icon and puts the toolkit's own
// texts in Spanish. Called once, after the application object is made.
void prepareApplication();

// An image of the resources (":/images/" and its name), read as the format
// its name ends in: named, the format spares loading every image plugin to
// ask whether it reads the file.
QPixmap resourceImage(const QString& name);

// Installs Qt's own Spanish texts (standard buttons, the file and print
// dialogs) once; false when the translations are missing.
bool installSpanishTranslations();

} // namespace ui
