#pragma once
// What the whole application carries for both windows: its name, its icon and
// the toolkit's own texts in Spanish; and the start of its font work.

#include <future>
#include <thread>

class QIcon;
class QPixmap;
class QString;

namespace ui {

// Reads the system's font configuration on a thread of its own while the
// application connects to the display, then, once told that the application
// object exists, Qt's list of the fonts. Where Qt draws text through
// fontconfig (Linux and the other Unix systems), reading its configuration
// and font cache is the largest single step of the start-up, and Qt does
// both only when the first caption is measured; begun before the
// application object, they are done, or nearly, by then. wait() (or the
// destructor) must come before anything asks for a font: fontconfig read
// twice at once would do the work twice.
//
// Made first, before any other thread, it also has every thread allocate
// from the program's one heap (with the GNU C library): otherwise each thread
// gets a heap of its own, where what fontconfig frees as it reads stays
// resident and unused by the rest of the program.
class FontConfigurationReader {
public:
    FontConfigurationReader();
    ~FontConfigurationReader();
    FontConfigurationReader(const FontConfigurationReader&) = delete;
    FontConfigurationReader& operator=(const FontConfigurationReader&) = delete;

    // The application object exists: Qt's font list may be read.
    void applicationMade();
    void wait();

private:
    void tell(bool made);

    std::promise<bool> applicationMade_;
    bool told_ = false;
    std::jthread thread_;
};

// Names the application "POBLACION" (the taskbar and the caption of the
// program's message boxes), gives it its icon and puts the toolkit's own
// texts in Spanish. Called once, after the application object is made.
void prepareApplication();

// An image of the resources by its name (":/images/NAME.rgba", its raw
// pixels as the build writes them), read with no image decoder; a null pixmap
// if the resource is missing or not of that form.
QPixmap resourceImage(const QString& name);

// An icon of two resource images: `image`, drawn for 96 dpi, and `image2x`,
// the same at twice its size, which is read only when first drawn (on a
// screen of twice the density, or wherever the icon is asked for larger
// than `image`). Both sizes are available from the start.
QIcon resourceIcon(const QString& image, const QString& image2x);

// Installs Qt's own Spanish texts (standard buttons, the file and print
// dialogs) once; false when the translations are missing. Their file is read
// when Qt first asks for one of them.
bool installSpanishTranslations();

} // namespace ui
