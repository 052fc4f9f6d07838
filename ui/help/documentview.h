#pragma once
// The help window's view of its document: read-only rich text that can be
// selected, copied (as rich, plain and HTML text) and printed. It draws the
// markers of list paragraphs itself, on the screen and on paper, where the
// document places them (rtfdocument.h).

#include <QTextEdit>

class QPrinter;

class DocumentView : public QTextEdit {
    Q_OBJECT
public:
    explicit DocumentView(QWidget* parent = nullptr);

    // Prints the whole document, or the printer's page range, in black, as
    // the job "Ayuda": within margins of at least 20 mm (the printer's are
    // kept where wider), laid out in the screen's units and scaled to the
    // printer, no line split between pages, and "Página N de M" centred at
    // the foot of each page. Throws std::runtime_error
    // "La impresora seleccionada no es válida" or "No se puede imprimir el
    // documento".
    void print(QPrinter& printer) const;

protected:
    QMimeData* createMimeDataFromSelection() const override;
    void paintEvent(QPaintEvent* event) override;
};
