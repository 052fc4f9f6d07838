// Población: entry point.
#include <QApplication>

#include "tform1.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("POBLACION"));
    QApplication::setApplicationDisplayName(QStringLiteral("POBLACION"));
    TForm1 form;
    form.show();
    return QApplication::exec();
}
