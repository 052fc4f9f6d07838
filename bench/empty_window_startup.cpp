// The floor for the program's start-up: the least a Qt Widgets program does
// to show a window of the main window's size with one line of text, ending
// at its first paint, printed as window_startup prints it.
#include <QApplication>
#include <QLabel>

#include "first_paint.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QLabel window(QStringLiteral("Búsqueda de unidades poblacionales por nombre"));
    window.setFixedSize(787, 545);
    bench::FirstPaint watcher;
    window.installEventFilter(&watcher);
    window.show();
    return QApplication::exec();
}
