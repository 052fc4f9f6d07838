#include "chartmenu.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <qcustomplot.h>

#include "chartsaving.h"
#include "messages.h"

namespace charts {

namespace {

const QString kObjectName = QStringLiteral("chartMenu");

// Watches the chart for the gestures that open its menu. Installed after any
// filter that pans with the right button, it sees the events first and
// passes the presses and moves on.
class ChartMenu : public QObject {
public:
    ChartMenu(QCustomPlot* plot, std::function<QString()> suggestedName)
        : QObject(plot), plot_(plot), suggestedName_(std::move(suggestedName))
    {
        setObjectName(kObjectName);
        plot_->installEventFilter(this);
    }

    QMenu* openMenu() const { return menu_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != plot_)
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::RightButton) {
                pressed_ = true;
                pressAt_ = mouse->position().toPoint();
            }
            return false;
        }
        case QEvent::MouseButtonRelease: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::RightButton && pressed_) {
                pressed_ = false;
                // A drag pans; a click asks for the menu.
                if ((mouse->position().toPoint() - pressAt_).manhattanLength() < QApplication::startDragDistance())
                    show(mouse->globalPosition().toPoint());
            }
            return false;
        }
        case QEvent::ContextMenu: {
            auto* menuEvent = static_cast<QContextMenuEvent*>(event);
            if (menuEvent->reason() != QContextMenuEvent::Mouse)
                show(plot_->mapToGlobal(plot_->rect().center()));
            // The mouse's comes with the press, before a drag can be told
            // from a click: the release opens the menu.
            return true;
        }
        default:
            return false;
        }
    }

private:
    void show(const QPoint& at)
    {
        if (menu_)
            menu_->close();
        auto* menu = new QMenu(plot_);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->setAccessibleName(QStringLiteral("Menú del gráfico"));
        QAction* save = menu->addAction(kSaveChartText);
        connect(save, &QAction::triggered, plot_, [plot = plot_, name = suggestedName_] {
            ui::guarded(plot->window(), [&] { saveChart(*plot, plot->window(), name ? name() : QString()); });
        });
        menu_ = menu;
        menu->popup(at);
    }

    QCustomPlot* plot_;
    std::function<QString()> suggestedName_;
    QPointer<QMenu> menu_;
    bool pressed_ = false;
    QPoint pressAt_;
};

} // namespace

void addChartMenu(QCustomPlot* plot, std::function<QString()> suggestedName)
{
    new ChartMenu(plot, std::move(suggestedName));
}

QMenu* openChartMenu(const QCustomPlot* plot)
{
    const auto* menu = static_cast<const ChartMenu*>(plot->findChild<QObject*>(kObjectName, Qt::FindDirectChildrenOnly));
    if (!menu || !menu->openMenu() || !menu->openMenu()->isVisible())
        return nullptr;
    return menu->openMenu();
}

} // namespace charts
