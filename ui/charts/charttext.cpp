#include "charttext.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QByteArrayList>
#include <QWidget>

namespace charts {

namespace {

class ChartText : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit ChartText(QWidget* plot) : QAccessibleWidget(plot, QAccessible::Chart) {}

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QString content() const { return widget()->accessibleDescription(); }

    void selection(int, int* startOffset, int* endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override
    {
        return content().mid(startOffset, endOffset < 0 ? -1 : endOffset - startOffset);
    }
    using QAccessibleWidget::text;
    int characterCount() const override { return static_cast<int>(content().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = offset;
        return {};
    }
};

QByteArrayList& classNames()
{
    static QByteArrayList names;
    return names;
}

QAccessibleInterface* factory(const QString& className, QObject* object)
{
    if (object && object->isWidgetType() && classNames().contains(className.toLatin1()))
        return new ChartText(static_cast<QWidget*>(object));
    return nullptr;
}

} // namespace

void readChartsAsText(const char* className)
{
    if (classNames().isEmpty())
        QAccessible::installFactory(&factory);
    if (!classNames().contains(className))
        classNames().append(className);
}

void setChartText(QWidget* chart, const QString& text)
{
    const QString before = chart->accessibleDescription();
    if (before == text)
        return;
    chart->setAccessibleDescription(text);
    QAccessibleTextUpdateEvent event(chart, 0, before, text);
    QAccessible::updateAccessibility(&event);
}

} // namespace charts
