#include "searchbox.h"

#include <QKeyEvent>
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

} // namespace

SearchBox::SearchBox(QWidget* parent) : QLineEdit(parent)
{
    setValidator(new Cp1252UpperValidator(this));
}

void SearchBox::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const qsizetype requests = enter ? 1 : event->text().count(u'\r');
    for (qsizetype i = 0; i < requests; ++i)
        emit searchRequested();
    QLineEdit::keyPressEvent(event);
}
