#pragma once
// The search box: a one-line edit that turns letters into capitals as they
// are typed (by code page 1252, so "ñ" gives "Ñ") and takes only characters
// that code page 1252 can hold, whether typed or pasted.

#include <QLineEdit>
#include <QValidator>
#include <functional>

class Cp1252UpperValidator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    // Drops what code page 1252 cannot hold (and control characters) and
    // turns the rest into capitals; the cursor keeps its place in the text.
    State validate(QString& input, int& pos) const override;
};

class SearchEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit SearchEdit(QWidget* parent = nullptr);

    // Called for every character typed (Enter gives '\r'), through the
    // window's guard, before the box handles the key itself.
    std::function<void(QChar& key)> OnKeyPress;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
