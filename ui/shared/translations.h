#pragma once
// The toolkit's own texts (standard buttons, the file and print dialogs) in
// Spanish.

namespace ui {

// Installs Qt's Spanish translations from Qt's translations folder, once;
// false when they are missing or cannot be read. Later calls do nothing and
// say whether the first installed them.
bool installSpanishTranslations();

} // namespace ui
