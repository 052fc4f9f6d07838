// Población: entry point. Titles the application, reads the embedded
// catalogue, creates the main window over it, tells the user when the
// catalogue could not be loaded, and runs until the main window closes.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "cataloguefile.h"
#include "identity.h"
#include "mainwindow.h"
#include "messages.h"
#include "translations.h"
#include "workspace.h"

namespace {

QtMessageHandler qtHandler = nullptr;

// While the application starts, a fatal message can only come from the
// platform plugin: no display reachable (DISPLAY or WAYLAND_DISPLAY unset or
// wrong, the server gone) or no plugin usable. Qt would abort; the user gets
// a message in Spanish and exit code 1 instead. Qt's own warnings before it,
// which name the display, still reach standard error.
void startupMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtFatalMsg) {
        if (qtHandler)
            qtHandler(type, context, message);
        else
            std::fprintf(stderr, "%s\n", qPrintable(message));
        return;
    }
    std::fputs("POBLACION: no se puede abrir la pantalla. El programa necesita una sesión gráfica "
               "(compruebe DISPLAY o WAYLAND_DISPLAY).\n",
               stderr);
    std::fflush(stderr);
    std::_Exit(1);
}

} // namespace

int main(int argc, char* argv[])
{
    try {
        qtHandler = qInstallMessageHandler(startupMessage);
        QApplication application(argc, argv);
        qInstallMessageHandler(qtHandler);
        // The window keeps its own caption.
        ui::setApplicationIdentity();
        ui::installSpanishTranslations();
        // Ties the windows to the installed menu entry (Wayland's application id).
        QGuiApplication::setDesktopFileName(QStringLiteral(POBLACION_APP_ID));

        const CatalogueRead catalogue = readCatalogue(QStringLiteral(":/PUEBLOS"));
        MainWindow window(catalogue.store);
        // The menu bar, and the windows it opens beside this one.
        Workspace workspace(window);
        window.show();
        if (!window.catalogueLoaded())
            ui::showMessage(&window, catalogueFailureMessage(catalogue.store ? window.loadFailure() : catalogue.failure));
        QApplication::exec();
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "POBLACION: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "POBLACION: error desconocido\n");
    }
    return 1;
}
