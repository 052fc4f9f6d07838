#pragma once
// The search box: a one-line edit that turns letters into capitals as they
// are typed (by code page 1252, so "ñ" gives "Ñ") and takes only characters
// that code page 1252 can hold, whether typed or pasted. A key that an
// enabled entry of its window's menu bar takes (Ctrl+E, Ctrl+U, Ctrl+D…)
// goes to that entry, not to the line's own editing keys, which on X11 take
// some of them; every other key, Ctrl+C included, stays the line's.

#include <QLineEdit>

class SearchBox : public QLineEdit {
    Q_OBJECT
public:
    explicit SearchBox(QWidget* parent = nullptr);

signals:
    // Enter was pressed (or a key that types a carriage return), before the
    // box handles the key itself.
    void searchRequested();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
