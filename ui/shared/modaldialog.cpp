#include "modaldialog.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QKeyEvent>
#include <QSet>

namespace ui {
namespace {

// Eats the key events that the dialog's window receives for keys pressed
// before it was shown.
class HeldKeys : public QObject {
public:
    explicit HeldKeys(QDialog& dialog) : dialog_(dialog) { QCoreApplication::instance()->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const auto type = event->type();
        if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
            return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (pressed_.contains(key->key()))
            return false;
        // The keyboard repeats a held key as a release and a press at the
        // same moment, which the window system does not always mark as a
        // repeat.
        const bool repeat = key->isAutoRepeat() || (key->key() == heldKey_ && key->timestamp() == heldRelease_);
        if (widget->window() != &dialog_) {
            // A window that opened over the dialog (the popup of its file
            // name completer): a key first pressed there was pressed while
            // the dialog is shown, and its repeats pass wherever they go.
            if (type == QEvent::KeyPress && !repeat)
                pressed_.insert(key->key());
            return false;
        }
        if (type == QEvent::KeyRelease) {
            heldKey_ = key->key();
            heldRelease_ = key->timestamp();
            return true;
        }
        if (repeat)
            return true;
        if (type == QEvent::KeyPress)
            pressed_.insert(key->key());
        return false;
    }

private:
    QDialog& dialog_;
    QSet<int> pressed_;    // keys pressed while the dialog is shown, in it or in its popups
    int heldKey_ = 0;      // the last key released that was held from before
    quint64 heldRelease_ = 0;
};

} // namespace

int execModal(QDialog& dialog)
{
    HeldKeys filter(dialog);
    return dialog.exec();
}

bool askReplace(QWidget* parent, const QString& fileName)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("POBLACION"),
                    QStringLiteral("«%1» ya existe. ¿Desea reemplazarlo?").arg(QFileInfo(fileName).fileName()),
                    QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QStringLiteral("Sí"), QMessageBox::YesRole);
    box.addButton(QStringLiteral("No"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    execModal(box);
    return box.clickedButton() == yes;
}

} // namespace ui
