#include "report.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QTranslator>
#include <memory>

namespace ui {
namespace {
MessageSink g_sink = nullptr;
const QString kCaption = QStringLiteral("POBLACION");
} // namespace

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
        if (!widget || widget->window() != &dialog_)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (pressed_.contains(key->key()))
            return false;
        // The keyboard repeats a held key as a release and a press at the
        // same moment, which the window system does not always mark as a
        // repeat.
        const bool repeat = key->isAutoRepeat() || (key->key() == heldKey_ && key->timestamp() == heldRelease_);
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
    QSet<int> pressed_;    // keys pressed while the dialog is shown
    int heldKey_ = 0;      // the last key released that was held from before
    quint64 heldRelease_ = 0;
};

void setMessageSink(MessageSink sink) { g_sink = sink; }

int execModal(QDialog& dialog)
{
    HeldKeys filter(dialog);
    return dialog.exec();
}

bool installSpanishTranslations()
{
    static QTranslator* installed = nullptr;
    if (installed)
        return true;
    auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_es"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        || !QCoreApplication::installTranslator(translator.get()))
        return false;
    installed = translator.release();
    return true;
}

void showErrorReport(QWidget* parent, const QString& message)
{
    QString text = message;
    if (!text.isEmpty() && text.back().unicode() > u'.')
        text += u'.';
    if (g_sink) {
        g_sink(kCaption, text, true);
        return;
    }
    QMessageBox box(QMessageBox::Critical, kCaption, text, QMessageBox::Ok, parent);
    execModal(box);
}

void showMessage(QWidget* parent, const QString& message)
{
    if (g_sink) {
        g_sink(kCaption, message, false);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, kCaption, message, QMessageBox::NoButton, parent);
    box.addButton(QStringLiteral("Aceptar"), QMessageBox::AcceptRole);
    execModal(box);
}

} // namespace ui
