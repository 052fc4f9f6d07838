#include "accessiblewindow.h"

#include <QAccessibleWidget>
#include <QSet>
#include <QString>
#include <QWidget>

namespace ui {

namespace {

QSet<QString>& windowClasses()
{
    static QSet<QString> classes;
    return classes;
}

QAccessibleInterface* windowInterface(const QString& className, QObject* object)
{
    if (object && object->isWidgetType() && windowClasses().contains(className))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

bool readAsWindow(const char* className)
{
    if (windowClasses().isEmpty())
        QAccessible::installFactory(&windowInterface);
    windowClasses().insert(QString::fromLatin1(className));
    return true;
}

} // namespace ui
