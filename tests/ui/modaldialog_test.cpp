// Modal dialogs and held keys: a key held down before the dialog appeared is
// dropped, one pressed in the dialog or in its completer's popup repeats.

#include <QApplication>
#include <QCompleter>
#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include "modaldialog.h"

namespace {

// A dialog with a file name box that completes "ayuda…" names.
struct NameDialog {
    QDialog dialog;
    QLineEdit* name = new QLineEdit(&dialog);
    NameDialog()
    {
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(name);
        name->setCompleter(new QCompleter(QStringList{"ayuda", "ayuda2", "ayudante"}, name));
    }
};

// A key as the window system delivers it, to whatever window now takes the
// keys, with its own time stamp (a repeat of a held key comes as a release
// and a press at one moment).
QWidget* keyTarget(QDialog& dialog)
{
    if (QWidget* popup = QApplication::activePopupWidget())
        return popup;
    return dialog.focusWidget() ? dialog.focusWidget() : &dialog;
}
void key(QDialog& dialog, QEvent::Type type, Qt::Key k, ulong time, bool repeat = false)
{
    QKeyEvent event(type, k, Qt::NoModifier, QString(QChar(k).toLower()), repeat);
    event.setTimestamp(time);
    QApplication::sendEvent(keyTarget(dialog), &event);
}

} // namespace

TEST(ModalDialog, AKeyHeldInTheCompleterPopupRepeats)
{
    NameDialog d;
    QString typed;
    bool popupOpened = false;
    QTimer::singleShot(0, [&] {
        EXPECT_TRUE(QTest::qWaitForWindowActive(&d.dialog)); // no ASSERT: the dialog must close
        d.name->setFocus();
        // "a" opens the completer's popup; "y" is then pressed there and held:
        // it repeats also once the popup has closed ("ayy" matches nothing).
        key(d.dialog, QEvent::KeyPress, Qt::Key_A, 100);
        key(d.dialog, QEvent::KeyRelease, Qt::Key_A, 160);
        popupOpened = QApplication::activePopupWidget() != nullptr;
        key(d.dialog, QEvent::KeyPress, Qt::Key_Y, 300);
        for (ulong time : {800, 840, 880}) {
            key(d.dialog, QEvent::KeyRelease, Qt::Key_Y, time, true);
            key(d.dialog, QEvent::KeyPress, Qt::Key_Y, time, true);
        }
        key(d.dialog, QEvent::KeyRelease, Qt::Key_Y, 900);
        typed = d.name->text();
        d.dialog.reject();
    });
    ui::execModal(d.dialog);
    EXPECT_TRUE(popupOpened);
    EXPECT_EQ(typed, "ayyyy");
}

TEST(ModalDialog, OnlyAKeyHeldBeforeTheDialogIsDropped)
{
    NameDialog d;
    QString typed;
    QTimer::singleShot(0, [&] {
        EXPECT_TRUE(QTest::qWaitForWindowActive(&d.dialog)); // no ASSERT: the dialog must close
        d.name->setFocus();
        // "x" held from before: its repeats and its release are dropped.
        for (ulong time : {100, 140, 180}) {
            key(d.dialog, QEvent::KeyRelease, Qt::Key_X, time, true);
            key(d.dialog, QEvent::KeyPress, Qt::Key_X, time, true);
        }
        // The window system does not always mark a repeat as one.
        key(d.dialog, QEvent::KeyRelease, Qt::Key_X, 220);
        key(d.dialog, QEvent::KeyPress, Qt::Key_X, 220);
        key(d.dialog, QEvent::KeyRelease, Qt::Key_X, 240);
        // Pressed again, now in the dialog: it types, and repeats.
        key(d.dialog, QEvent::KeyPress, Qt::Key_X, 500);
        key(d.dialog, QEvent::KeyRelease, Qt::Key_X, 1000, true);
        key(d.dialog, QEvent::KeyPress, Qt::Key_X, 1000, true);
        key(d.dialog, QEvent::KeyRelease, Qt::Key_X, 1040);
        typed = d.name->text();
        d.dialog.reject();
    });
    ui::execModal(d.dialog);
    EXPECT_EQ(typed, "xx");
}
