#include "application.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

namespace ui {

void prepareApplication()
{
    QApplication::setApplicationName(QStringLiteral("POBLACION"));
    QIcon icon;
    icon.addFile(QStringLiteral(":/images/poblacion16.xpm"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/images/poblacion32.xpm"), QSize(32, 32));
    QApplication::setWindowIcon(icon);
    installSpanishTranslations();
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
