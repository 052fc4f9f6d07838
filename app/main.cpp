// Población: entry point. Titles the application, creates the main window,
// tells the user when the catalogue could not be loaded, and runs until the
// main window closes.
#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <exception>

#include "report.h"
#include "tform1.h"

int main(int argc, char* argv[])
{
    try {
        QApplication application(argc, argv);
        // The title names the application in the taskbar and captions the
        // program's message boxes; the window keeps its own caption.
        QApplication::setApplicationName(QStringLiteral("POBLACION"));
        QIcon icon;
        icon.addFile(QStringLiteral(":/images/poblacion16.xpm"), QSize(16, 16));
        icon.addFile(QStringLiteral(":/images/poblacion32.xpm"), QSize(32, 32));
        QApplication::setWindowIcon(icon);

        TForm1 form;
        form.show();
        const QString failure = loadFailureMessage(form);
        if (!failure.isEmpty())
            ui::showMessage(&form, failure);
        QApplication::exec();
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "POBLACION: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "POBLACION: error desconocido\n");
    }
    return 1;
}
