#pragma once
// The help window: the help document in a read-only rich-text view, with a
// menu to copy, print and save it, and to close the window.

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>

class QAction;
class QMenu;
class QMenuBar;
class QPrinter;

class DocumentView;

class HelpWindow : public QDialog {
    Q_OBJECT
public:
    // `document` names the Rich Text to show (a Qt resource or a file); the
    // program always shows the embedded ":/AYUDA", tests give their own.
    explicit HelpWindow(QWidget* parent = nullptr, const QString& document = QStringLiteral(":/AYUDA"));

    // Stand-ins for the dialogs, for automated runs. Unset, the real dialogs
    // are shown.
    struct SaveChoice {
        QString fileName;
        int filterIndex = 1; // 1 rich text, 2 plain text
    };
    // The save dialog, shown with a name and a filter (none and the rich
    // text filter at first; after "No" to the question about replacing, the
    // name and filter chosen): the chosen file and filter, or nothing when
    // cancelled. It asks nothing about existing files: the window asks once,
    // about the name it writes (the chosen one, or that name with its
    // extension).
    void setSaveDialog(std::function<std::optional<SaveChoice>(const SaveChoice& shown)> dialog)
    {
        saveDialog_ = std::move(dialog);
    }
    // Whether to replace an existing file (the name given).
    void setReplaceQuestion(std::function<bool(const QString&)> question) { replaceQuestion_ = std::move(question); }
    // The print dialog: sets up the printer; false when cancelled.
    void setPrintDialog(std::function<bool(QPrinter&)> dialog) { printDialog_ = std::move(dialog); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void createMenu();
    void nameForAssistiveTechnology();
    // Reads the document afresh and shows it from its start (every showing).
    void loadDocument();
    void copyAll();
    void print();
    void save();
    std::optional<SaveChoice> askFileName(const SaveChoice& shown);

    QString document_;
    QMenuBar* menuBar_ = nullptr;
    QMenu* actionsMenu_ = nullptr;
    QAction* copyAction_ = nullptr;
    QAction* copyAllAction_ = nullptr;
    QAction* printAction_ = nullptr;
    QAction* saveAction_ = nullptr;
    QAction* menuCloseAction_ = nullptr; // "Salir" in the "Acciones" menu
    QAction* barCloseAction_ = nullptr;  // "Salir" on the menu bar itself
    DocumentView* documentView_ = nullptr;

    std::function<std::optional<SaveChoice>(const SaveChoice&)> saveDialog_;
    std::function<bool(const QString&)> replaceQuestion_;
    std::function<bool(QPrinter&)> printDialog_;

    bool sized_ = false;
    bool frameSized_ = false; // sized again once the frame became known
};

namespace help {

// The file the document is saved to and its format (1 rich text, 2 plain
// text), for a chosen name and filter index: a name ending in ".rtf" or
// ".txt" (in any case, after the last "." that no "/", "\\" or ":" follows)
// keeps it and gets that format; any other gets the filter's format and
// extension appended.
struct SaveTarget {
    QString fileName;
    int format = 1;
    bool operator==(const SaveTarget&) const = default;
};
SaveTarget saveTarget(const QString& fileName, int filterIndex);

} // namespace help
