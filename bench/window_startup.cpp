// Start-up as the program does it (font configuration, application, icon,
// catalogue read ahead, main window on the embedded catalogue), ending at the window's first paint, printed as
// first_paint.h says.
#include <QApplication>

#include "application.h"
#include "first_paint.h"
#include "mainwindow.h"

int main(int argc, char* argv[])
{
    ui::FontConfigurationReader fontConfiguration;
    QApplication application(argc, argv);
    fontConfiguration.applicationMade();
    ui::prepareApplication();
    const auto catalogue = MainWindow::readCatalogueAhead();
    fontConfiguration.wait();
    MainWindow window;
    bench::FirstPaint watcher;
    window.installEventFilter(&watcher);
    window.show();
    QApplication::exec();
    return window.catalogueLoaded() ? 0 : 2;
}
