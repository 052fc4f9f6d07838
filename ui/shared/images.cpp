#include "images.h"

#include <QFileInfo>

namespace ui {

QPixmap resourceImage(const QString& file)
{
    const QByteArray format = QFileInfo(file).suffix().toUpper().toLatin1();
    QPixmap image;
    if (format.isEmpty() || !image.load(QStringLiteral(":/images/") + file, format.constData()))
        return {};
    return image;
}

QIcon resourceIcon(std::initializer_list<QString> files)
{
    QIcon icon;
    for (const QString& file : files)
        icon.addPixmap(resourceImage(file));
    return icon;
}

} // namespace ui
