#pragma once
// The two ways the program speaks to the user, and the guard through which
// every event handler of the windows is entered.

#include <QString>
#include <exception>

class QWidget;

namespace ui {

// The default error report: a box captioned "POBLACION" with a stop icon and
// one OK button; the message gets a full stop when its last character's code
// is above that of ".".
void showErrorReport(QWidget* parent, const QString& message);

// A plain message dialog: caption "POBLACION", no icon, one button "Aceptar".
void showMessage(QWidget* parent, const QString& message);

// Runs a handler; a failure leaving it skips its remaining steps, is shown
// as the default error report, and the program goes on. Returns false when
// the handler failed.
template <class Handler>
bool guarded(QWidget* parent, Handler&& handler) noexcept
{
    try {
        handler();
        return true;
    } catch (const std::exception& e) {
        showErrorReport(parent, QString::fromUtf8(e.what()));
    } catch (...) {
        showErrorReport(parent, QStringLiteral("Error desconocido"));
    }
    return false;
}

// Tests replace the boxes (which would block a headless run) with a recorder.
using MessageSink = void (*)(const QString& caption, const QString& text, bool error);
void setMessageSink(MessageSink sink);

} // namespace ui
