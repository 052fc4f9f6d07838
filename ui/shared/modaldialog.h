#pragma once
// Dialogs shown modally by both windows (message boxes, the file and print
// dialogs, the help window itself).

class QDialog;
class QString;
class QWidget;

namespace ui {

// Shows a dialog modally. A key that was already held down when the dialog
// appeared (the Enter that accepted the dialog before it, repeating) does not
// reach it: only keys pressed while it is shown do, in the dialog or in a
// popup over it (a completer's list), repeats included.
int execModal(QDialog& dialog);

// Asks, modally, whether to replace the file (named by its name alone):
// true for "Sí".
bool askReplace(QWidget* parent, const QString& fileName);

} // namespace ui
