#include "application.h"

#include <QApplication>
#include <QFileInfo>
#include <QFontDatabase>
#include <QIcon>
#include <QImageReader>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>
#if __has_include(<dlfcn.h>)
#include <dlfcn.h>
#endif
#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

namespace ui {

// Fontconfig comes into the process with Qt's GUI library where Qt uses it:
// its FcInit is looked up there, not linked, so that the program neither
// builds against fontconfig nor needs it where Qt does not use it.
FontConfigurationReader::FontConfigurationReader()
{
#ifdef M_ARENA_MAX
    mallopt(M_ARENA_MAX, 1);
#endif
    thread_ = std::jthread([made = applicationMade_.get_future()]() mutable {
#if __has_include(<dlfcn.h>)
        using Init = int (*)();
        if (auto init = reinterpret_cast<Init>(dlsym(RTLD_DEFAULT, "FcInit")))
            init();
#endif
        // Qt's database lists the fonts once the application exists.
        if (made.get())
            QFontDatabase::families();
    });
}

FontConfigurationReader::~FontConfigurationReader() { wait(); }

void FontConfigurationReader::applicationMade() { tell(true); }

void FontConfigurationReader::wait()
{
    tell(false);
    if (thread_.joinable())
        thread_.join();
}

void FontConfigurationReader::tell(bool made)
{
    if (!told_) {
        told_ = true;
        applicationMade_.set_value(made);
    }
}

void prepareApplication()
{
    QApplication::setApplicationName(QStringLiteral("POBLACION"));
    QIcon icon;
    icon.addPixmap(resourceImage(QStringLiteral("poblacion16.xpm")));
    icon.addPixmap(resourceImage(QStringLiteral("poblacion32.xpm")));
    QApplication::setWindowIcon(icon);
    installSpanishTranslations();
}

QPixmap resourceImage(const QString& name)
{
    QImageReader reader(QStringLiteral(":/images/") + name, QFileInfo(name).suffix().toLatin1());
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

bool installSpanishTranslations()
{
    static QTranslator* installed = nullptr;
    if (installed)
        return true;
    auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_es"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        || !QCoreApplication::installTranslator(translator.get()))
        return false;
    installed = translator.release();
    return true;
}

} // namespace ui
