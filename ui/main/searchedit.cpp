#include "searchedit.h"

#include <QKeyEvent>

#include "report.h"
#include "text.h"

QValidator::State Cp1252UpperValidator::validate(QString& input, int& pos) const
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

SearchEdit::SearchEdit(QWidget* parent) : QLineEdit(parent)
{
    setValidator(new Cp1252UpperValidator(this));
}

void SearchEdit::keyPressEvent(QKeyEvent* event)
{
    if (OnKeyPress) {
        QString typed = event->text();
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            typed = QStringLiteral("\r");
        for (QChar ch : typed) {
            QChar key = ch;
            ui::guarded(window(), [&] { OnKeyPress(key); });
        }
    }
    QLineEdit::keyPressEvent(event);
}
