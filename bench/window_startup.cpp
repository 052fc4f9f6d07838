// Start-up as the program does it (application, its identity and the
// toolkit's Spanish texts, the embedded catalogue read, main window over it
// with its menu bar), ending at the window's first paint, printed as
// first_paint.h says.
#include <QApplication>

#include "cataloguefile.h"
#include "first_paint.h"
#include "identity.h"
#include "mainwindow.h"
#include "translations.h"
#include "workspace.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    ui::setApplicationIdentity();
    ui::installSpanishTranslations();
    MainWindow window(readCatalogue(QStringLiteral(":/PUEBLOS")).store);
    Workspace workspace(window);
    bench::FirstPaint watcher;
    window.installEventFilter(&watcher);
    window.show();
    QApplication::exec();
    return window.catalogueLoaded() ? 0 : 2;
}
