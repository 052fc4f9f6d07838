#include "searchbox.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QValidator>

#include "cp1252text.h"

namespace {

// Drops what code page 1252 cannot hold (and control characters) and turns
// the rest into capitals; the cursor keeps its place in the text.
class Cp1252UpperValidator : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int& pos) const override
    {
        QString result;
        result.reserve(input.size());
        int newPos = pos;
        for (qsizetype i = 0; i < input.size(); ++i) {
            const QChar ch = input.at(i);
            const bool control = ch.unicode() < 0x20 || (ch.unicode() >= 0x7F && ch.unicode() < 0xA0);
            if (control || !ui::inCp1252(ch)) {
                if (i < pos)
                    --newPos;
                continue;
            }
            result.append(ui::upperCp1252(ch));
        }
        input = result;
        pos = newPos;
        return Acceptable;
    }
};

// Whether an enabled entry of the menu bar of `window` takes the key.
bool takenByMenuBar(const QWidget* window, const QKeyEvent* key)
{
    const QKeySequence pressed(key->keyCombination());
    for (const QMenuBar* bar : window->findChildren<QMenuBar*>())
        for (const QAction* menu : bar->actions())
            if (menu->menu())
                for (const QAction* entry : menu->menu()->actions())
                    if (entry->isEnabled() && entry->shortcuts().contains(pressed))
                        return true;
    return false;
}

} // namespace

SearchBox::SearchBox(QWidget* parent) : QLineEdit(parent)
{
    setValidator(new Cp1252UpperValidator(this));
}

bool SearchBox::event(QEvent* event)
{
    // Left unaccepted, the key goes on to the menu bar's entries.
    if (event->type() == QEvent::ShortcutOverride && takenByMenuBar(window(), static_cast<QKeyEvent*>(event))) {
        event->ignore();
        return true;
    }
    return QLineEdit::event(event);
}

void SearchBox::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const qsizetype requests = enter ? 1 : event->text().count(u'\r');
    for (qsizetype i = 0; i < requests; ++i)
        emit searchRequested();
    QLineEdit::keyPressEvent(event);
}
