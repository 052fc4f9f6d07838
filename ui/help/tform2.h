#pragma once
// The help window: the help document in a read-only rich-text view, with
// copy, print and save.

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>

class QAction;
class QMenuBar;
class QPrinter;
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

    // The resource the window shows.
    QString documentPath = QStringLiteral(":/AYUDA");

    // Stand-ins for the dialogs, for automated runs. Unset, the real dialogs
    // are shown.
    struct SaveChoice {
        QString fileName;
        int filterIndex = 1; // 1 rich text, 2 plain text
    };
    // The save dialog: the chosen file and filter, or nothing when cancelled.
    std::function<std::optional<SaveChoice>()> saveDialog;
    // Whether to replace an existing file (the name given).
    std::function<bool(const QString&)> replaceQuestion;
    // The print dialog: sets up the printer; false when cancelled.
    std::function<bool(QPrinter&)> printDialog;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void printDocument(QPrinter& printer);
    bool m_sized = false;
    bool m_frameSized = false; // sized again once the frame became known
};

namespace help {

// The extension of a file name: from its last "." to the end, provided no
// "/", "\" or ":" follows that dot, in capitals; empty otherwise.
QString extensionOf(const QString& fileName);

// The name the document is saved under for a filter index (1 rich text,
// 2 plain text): ".rtf" or ".txt" appended unless already there.
QString savedFileName(const QString& fileName, int filterIndex);

// Names the window's view and menus for assistive technology and gives the
// view a steady focus indicator.
void nameControls(TForm2& form);

} // namespace help

// Creates a fresh help window, shows it modally and destroys it afterwards.
void showHelpWindow(QWidget* owner);
