#include "identity.h"

#include <QApplication>
#include <QIcon>

#include "images.h"

namespace ui {

void setApplicationIdentity()
{
    QApplication::setApplicationName(QStringLiteral("POBLACION"));
    QApplication::setWindowIcon(resourceIcon({QStringLiteral("poblacion16.xpm"), QStringLiteral("poblacion32.xpm")}));
}

} // namespace ui
