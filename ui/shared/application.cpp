#include "application.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QImageReader>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

namespace ui {

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
