// Población: entry point. Titles the application, creates the main window,
// tells the user when the catalogue could not be loaded, and runs until the
// main window closes.
#include <QApplication>
#include <cstdio>
#include <exception>

#include "application.h"
#include "mainwindow.h"
#include "messages.h"

int main(int argc, char* argv[])
{
    try {
        QApplication application(argc, argv);
        // The window keeps its own caption.
        ui::prepareApplication();
        // Ties the windows to the installed menu entry (Wayland's application id).
        QGuiApplication::setDesktopFileName(QStringLiteral(POBLACION_APP_ID));

        MainWindow window;
        window.show();
        const QString failure = window.loadFailureMessage();
        if (!failure.isEmpty())
            ui::showMessage(&window, failure);
        QApplication::exec();
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "POBLACION: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "POBLACION: error desconocido\n");
    }
    return 1;
}
