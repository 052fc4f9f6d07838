#pragma once
// The images the executable carries (resources/images), read with the
// decoder of the format their name ends in.

#include <QIcon>
#include <QPixmap>
#include <QString>
#include <initializer_list>

namespace ui {

// The image of the resources named `file` (":/images/" + file, "search.xpm",
// "search@2x.png"), read as the format its suffix names; a null pixmap if
// there is no such image or it is not of that format.
QPixmap resourceImage(const QString& file);

// An icon of resource images, each the same drawing at another size (the
// button images come as drawn for 96 dpi and at twice that size): Qt draws
// each size asked for from the image that covers it.
QIcon resourceIcon(std::initializer_list<QString> files);

} // namespace ui
