#include "focusring.h"

#include <QEvent>
#include <QPainter>
#include <QWidget>

namespace {

class FocusRing : public QWidget {
public:
    explicit FocusRing(QWidget* control) : QWidget(control), control_(control)
    {
        setObjectName(QStringLiteral("FocusRing"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        hide();
        control->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != control_)
            return false;
        switch (event->type()) {
        case QEvent::FocusIn:
            setGeometry(control_->rect());
            raise();
            show();
            break;
        case QEvent::FocusOut:
            hide();
            break;
        case QEvent::Resize:
            setGeometry(control_->rect());
            break;
        default:
            break;
        }
        return false;
    }

    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        QPen pen(palette().color(QPalette::Active, QPalette::Highlight), 2);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }

private:
    QWidget* control_;
};

} // namespace

void ui::showFocusRing(QWidget* control)
{
    if (control && !control->findChild<FocusRing*>(QStringLiteral("FocusRing"), Qt::FindDirectChildrenOnly))
        new FocusRing(control);
}
