#pragma once
// The search box: a one-line edit that turns letters into capitals as they
// are typed (by code page 1252, so "ñ" gives "Ñ") and takes only characters
// that code page 1252 can hold, whether typed or pasted.

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
    void keyPressEvent(QKeyEvent* event) override;
};
