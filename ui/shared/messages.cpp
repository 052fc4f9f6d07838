#include "messages.h"

#include <QMessageBox>

#include "modaldialog.h"

namespace ui {
namespace {
MessageSink g_sink = nullptr;
const QString kCaption = QStringLiteral("POBLACION");
} // namespace

void setMessageSink(MessageSink sink) { g_sink = sink; }

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
