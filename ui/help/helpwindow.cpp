#include "helpwindow.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMoveEvent>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QShowEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

#include <stdexcept>

#include "cp1252text.h"
#include "documentview.h"
#include "focusring.h"
#include "layoutstyle.h"
#include "messages.h"
#include "modaldialog.h"
#include "rtfreader.h"
#include "rtfwriter.h"
#include "windowframe.h"

namespace {

const QString kRtfFilter = QStringLiteral("Texto enriquecido (*.rtf)");
const QString kTextFilter = QStringLiteral("Texto plano (*.txt)");

// The window's outer size, frame included.
const QSize kOuterSize(587, 526);

// The start indent of every paragraph of the help text: 10 points.
constexpr double kStartIndent = 200.0 / rtf::kTwipsPerPixel;

std::runtime_error cannotCreate(const QString& fileName)
{
    return std::runtime_error(QStringLiteral("No se puede crear el archivo %1").arg(fileName).toStdString());
}

// Why a file could not be written, in Spanish, where the cause is one the
// user can mend; otherwise the plain "cannot create" message.
std::runtime_error cannotWrite(const QString& fileName)
{
    const QFileInfo file(fileName);
    const QFileInfo folder(file.absolutePath());
    QString reason;
    if (folder.isDir() && ((file.exists() && !file.isDir() && !file.isWritable()) || !folder.isWritable()))
        reason = QStringLiteral("Permiso denegado");
    else if (!folder.exists())
        reason = QStringLiteral("La carpeta %1 no existe").arg(QDir::toNativeSeparators(folder.filePath()));
    if (reason.isEmpty())
        return cannotCreate(fileName);
    return std::runtime_error(
        QStringLiteral("No se puede crear el archivo %1: %2").arg(fileName, reason).toStdString());
}

bool askReplace(QWidget* parent, const QString& fileName)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("POBLACION"),
                    QStringLiteral("El archivo %1 ya existe.\n¿Desea reemplazarlo?").arg(fileName),
                    QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QStringLiteral("Sí"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("No"), QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    ui::execModal(box);
    return box.clickedButton() == yes;
}

// The extension of a file name: from its last "." to the end, provided no
// "/", "\" or ":" follows that dot, in capitals; empty otherwise.
QString extensionOf(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot < 0)
        return {};
    for (qsizetype i = dot + 1; i < fileName.size(); ++i) {
        const QChar c = fileName[i];
        if (c == u'/' || c == u'\\' || c == u':')
            return {};
    }
    return fileName.mid(dot).toUpper();
}

} // namespace

help::SaveTarget help::saveTarget(const QString& fileName, int filterIndex)
{
    // A name typed with the extension of either format keeps it, and gets
    // that format; any other name gets the filter's.
    const QString ext = extensionOf(fileName);
    if (ext == QLatin1String(".RTF"))
        return {fileName, 1};
    if (ext == QLatin1String(".TXT"))
        return {fileName, 2};
    const int format = filterIndex == 2 ? 2 : 1;
    return {fileName + (format == 2 ? QStringLiteral(".txt") : QStringLiteral(".rtf")), format};
}

HelpWindow::HelpWindow(QWidget* parent, const QString& document) : QDialog(parent), document_(document)
{
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(QStringLiteral("AYUDA"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);
    setFont(layout::windowFont());
    resize(kOuterSize);

    createMenu();
    documentView_ = new DocumentView(this);
    documentView_->setObjectName(QStringLiteral("documentView"));

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->setMenuBar(menuBar_);
    column->addWidget(documentView_);

    const auto guardedly = [this](auto action) { return [this, action] { ui::guarded(this, [&] { action(); }); }; };
    connect(copyAction_, &QAction::triggered, this, guardedly([this] { documentView_->copy(); }));
    connect(copyAllAction_, &QAction::triggered, this, guardedly([this] { copyAll(); }));
    connect(printAction_, &QAction::triggered, this, guardedly([this] { print(); }));
    connect(saveAction_, &QAction::triggered, this, guardedly([this] { save(); }));
    connect(menuCloseAction_, &QAction::triggered, this, guardedly([this] { close(); }));
    connect(barCloseAction_, &QAction::triggered, this, guardedly([this] { close(); }));
    nameForAssistiveTechnology();
}

void HelpWindow::createMenu()
{
    menuBar_ = new QMenuBar(this);
    menuBar_->setObjectName(QStringLiteral("menuBar"));
    actionsMenu_ = menuBar_->addMenu(QStringLiteral("Acciones"));
    actionsMenu_->setObjectName(QStringLiteral("actionsMenu"));
    const auto addEntry = [this](const char* name, const QString& caption, QKeySequence::StandardKey shortcut) {
        QAction* action = actionsMenu_->addAction(caption);
        action->setObjectName(QLatin1String(name));
        if (shortcut != QKeySequence::UnknownKey)
            action->setShortcut(shortcut);
        return action;
    };
    copyAction_ = addEntry("copyAction", QStringLiteral("Copiar"), QKeySequence::Copy);
    copyAllAction_ = addEntry("copyAllAction", QStringLiteral("Marcar todo y copiar"), QKeySequence::UnknownKey);
    printAction_ = addEntry("printAction", QStringLiteral("Imprimir"), QKeySequence::Print);
    saveAction_ = addEntry("saveAction", QStringLiteral("Guardar"), QKeySequence::Save);
    actionsMenu_->addSeparator();
    menuCloseAction_ = addEntry("menuCloseAction", QStringLiteral("Salir"), QKeySequence::UnknownKey);
    barCloseAction_ = menuBar_->addAction(QStringLiteral("Salir"));
    barCloseAction_->setObjectName(QStringLiteral("barCloseAction"));
}

void HelpWindow::nameForAssistiveTechnology()
{
    documentView_->setAccessibleName(QStringLiteral("Texto de la ayuda"));
    documentView_->setAccessibleDescription(QStringLiteral("Documento de ayuda del catálogo, solo de lectura"));
    ui::showFocusRing(documentView_);
    menuBar_->setAccessibleName(QStringLiteral("Menú de la ayuda"));
    actionsMenu_->setAccessibleName(QStringLiteral("Acciones"));
    actionsMenu_->setAccessibleDescription(QStringLiteral("Copiar, imprimir o guardar la ayuda"));
}

void HelpWindow::keyPressEvent(QKeyEvent* event)
{
    // Only the two "Salir" entries and the close box close the window.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void HelpWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    if (!sized_) {
        // 587 x 526 is the outer size, frame included, where the frame is known.
        sized_ = true;
        resize(kOuterSize.shrunkBy(ui::windowFrame(this)));
    }
    ui::guarded(this, [this] { loadDocument(); });
}

void HelpWindow::moveEvent(QMoveEvent* event)
{
    QDialog::moveEvent(event);
    // A window manager that tells the frame only once the window is shown:
    // the outer size is set again, that once, unless the user resized it.
    if (event->spontaneous() && !frameSized_ && frameGeometry().size() != geometry().size()) {
        frameSized_ = true;
        if (frameGeometry().size() != kOuterSize && size() == kOuterSize)
            resize(kOuterSize.shrunkBy(ui::windowFrame(this)));
    }
}

void HelpWindow::loadDocument()
{
    QTextDocument* doc = documentView_->document();
    rtf::loadFile(document_, *doc);

    // Every paragraph starts 10 points from the left; later lines keep their
    // offset from the first line.
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        QTextBlockFormat f = block.blockFormat();
        // A list paragraph's first line begins with its marker.
        const int firstLine = f.hasProperty(rtf::kListMarkerIndent) ? rtf::kListMarkerIndent
                                                                     : static_cast<int>(QTextFormat::TextIndent);
        double left = kStartIndent - f.doubleProperty(firstLine);
        if (left < 0) {
            f.setProperty(firstLine, kStartIndent);
            left = 0;
        }
        f.setLeftMargin(left);
        cursor.setPosition(block.position());
        cursor.setBlockFormat(f);
    }
    cursor.endEditBlock();

    documentView_->setTextCursor(QTextCursor(doc));
    documentView_->verticalScrollBar()->setValue(0);
    documentView_->horizontalScrollBar()->setValue(0);
}

void HelpWindow::copyAll()
{
    documentView_->selectAll();
    documentView_->copy();
}

void HelpWindow::print()
{
    QPrinter printer(QPrinter::HighResolution);
    if (printDialog_) {
        if (!printDialog_(printer))
            return;
    } else {
        QPrintDialog dialog(&printer, this);
        if (ui::execModal(dialog) != QDialog::Accepted)
            return;
    }
    // The entry is off while the document prints.
    printAction_->setEnabled(false);
    struct Enable {
        QAction* action;
        ~Enable() { action->setEnabled(true); }
    } enable{printAction_};
    documentView_->print(printer);
}

std::optional<HelpWindow::SaveChoice> HelpWindow::askFileName(const SaveChoice& shown)
{
    if (saveDialog_)
        return saveDialog_(shown);
    QFileDialog dialog(this, QStringLiteral("Guardar como..."));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({kRtfFilter, kTextFilter});
    dialog.selectNameFilter(shown.filterIndex == 2 ? kTextFilter : kRtfFilter);
    if (!shown.fileName.isEmpty())
        dialog.selectFile(shown.fileName);
    // The name chosen may still get its extension: the one question about
    // replacing is asked by the window, about the file that is written.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (ui::execModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return SaveChoice{dialog.selectedFiles().front(), dialog.selectedNameFilter() == kTextFilter ? 2 : 1};
}

void HelpWindow::save()
{
    SaveChoice shown;
    help::SaveTarget target;
    for (;;) {
        const std::optional<SaveChoice> choice = askFileName(shown);
        if (!choice || choice->fileName.isEmpty())
            return;
        target = help::saveTarget(choice->fileName, choice->filterIndex);
        // One question before replacing, about the file that is written (a
        // folder of that name is no file to replace: writing fails and says
        // so). "No" goes back to the dialog, with the name as chosen.
        const QFileInfo existing(target.fileName);
        if (!existing.exists() || existing.isDir()
            || (replaceQuestion_ ? replaceQuestion_(target.fileName) : askReplace(this, target.fileName)))
            break;
        shown = *choice;
    }

    // Plain text in UTF-8, the encoding of the system's files; rich text in
    // its own.
    const QTextDocument& document = *documentView_->document();
    const QByteArray content = target.format == 2 ? rtf::plainText(document).toUtf8() : rtf::write(document);
    // The old file is replaced only once the new one is completely written.
    QSaveFile file(target.fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw cannotWrite(target.fileName);
    if (file.write(content) != content.size() || !file.commit())
        throw cannotWrite(target.fileName);
}
