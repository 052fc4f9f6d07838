#include "application.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QImageReader>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>
#if __has_include(<dlfcn.h>)
#include <dlfcn.h>
#endif

namespace ui {

// Fontconfig comes into the process with Qt's GUI library where Qt uses it:
// its FcInit is looked up there, not linked, so that the program neither
// builds against fontconfig nor needs it where Qt does not use it.
FontConfigurationReader::FontConfigurationReader()
{
#if __has_include(<dlfcn.h>)
    using Init = int (*)();
    if (auto init = reinterpret_cast<Init>(dlsym(RTLD_DEFAULT, "FcInit")))
        thread_ = std::jthread([init] { init(); });
#endif
}

void FontConfigurationReader::wait()
{
    if (thread_.joinable())
        thread_.join();
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
