#pragma once
// The help window: the help document in a read-only rich-text view, with
// copy, print and save.

#include <QDialog>

class QAction;
class QMenuBar;
class QTextEdit;

class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

    QTextEdit* RichEdit1 = nullptr;
    QMenuBar* MainMenu1 = nullptr;
    QAction* Acciones1 = nullptr;
    QAction* Copiar1 = nullptr;
    QAction* Marcartodoycopiar1 = nullptr;
    QAction* Imprimir1 = nullptr;
    QAction* Guardar1 = nullptr;
    QAction* N1 = nullptr;
    QAction* Salir2 = nullptr;
    QAction* Salir1 = nullptr;

    void FormShow();
    void Copiar1Click();
    void Marcartodoycopiar1Click();
    void Imprimir1Click();
    void Guardar1Click();
    void Salir1Click();
};

// Creates a fresh help window, shows it modally and destroys it afterwards.
void showHelpWindow(QWidget* owner);
