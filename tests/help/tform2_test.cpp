// The help window: layout, showing, copying, printing and saving.
#include "tform2.h"

#include "report.h"
#include "rtfreader.h"
#include "rtfwriter.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QAbstractButton>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QPrinter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace {

struct Message {
    QString caption;
    QString text;
    bool error;
};
std::vector<Message> g_messages;
void record(const QString& caption, const QString& text, bool error) { g_messages.push_back({caption, text, error}); }

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

// The page count of a PDF file as Qt writes it ("/Count N" in its page tree).
int pageCount(const QByteArray& pdf)
{
    const qsizetype at = pdf.indexOf("/Count ");
    if (at < 0)
        return 0;
    return pdf.mid(at + 7, 8).split(' ').value(0).split('\n').value(0).toInt();
}

// 10 points in the document's pixels.
constexpr double kTenPoints = 200.0 / rtf::kTwipsPerPixel;

struct HelpWindow : ::testing::Test {
    void SetUp() override
    {
        g_messages.clear();
        ui::setMessageSink(record);
        ASSERT_TRUE(dir.isValid());
        form = std::make_unique<TForm2>();
        form->replaceQuestion = [this](const QString& name) {
            questions.push_back(name);
            return replaceAnswer;
        };
        form->show();
        ASSERT_TRUE(g_messages.empty()) << g_messages.front().text.toStdString();
    }
    void TearDown() override { ui::setMessageSink(nullptr); }

    // Saves through the window as if the dialog had returned name and filter.
    void save(const QString& name, int filter)
    {
        form->saveDialog = [=]() { return std::optional<TForm2::SaveChoice>({name, filter}); };
        form->Guardar1->trigger();
    }

    QTemporaryDir dir;
    std::unique_ptr<TForm2> form;
    std::vector<QString> questions;
    bool replaceAnswer = false;
};

} // namespace

TEST_F(HelpWindow, Layout)
{
    EXPECT_EQ(form->windowTitle(), "AYUDA");
    const Qt::WindowFlags flags = form->windowFlags();
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
    EXPECT_LE(form->width(), 587);
    EXPECT_GE(form->width(), 560);
    EXPECT_LE(form->height(), 526);
    EXPECT_GE(form->height(), 480);
    EXPECT_NE(form->minimumSize(), form->maximumSize()); // resizable

    // The menu bar: "Acciones" with its drop-down, then "Salir".
    const QList<QAction*> bar = form->MainMenu1->actions();
    ASSERT_EQ(bar.size(), 2);
    EXPECT_EQ(bar[0], form->Acciones1);
    EXPECT_EQ(bar[1], form->Salir1);
    EXPECT_EQ(form->Acciones1->text(), "Acciones");
    EXPECT_EQ(form->Salir1->text(), "Salir");
    ASSERT_NE(form->Acciones1->menu(), nullptr);
    const QList<QAction*> drop = form->Acciones1->menu()->actions();
    ASSERT_EQ(drop.size(), 6);
    EXPECT_EQ(drop[0], form->Copiar1);
    EXPECT_EQ(drop[1], form->Marcartodoycopiar1);
    EXPECT_EQ(drop[2], form->Imprimir1);
    EXPECT_EQ(drop[3], form->Guardar1);
    EXPECT_EQ(drop[4], form->N1);
    EXPECT_EQ(drop[5], form->Salir2);
    EXPECT_EQ(form->Copiar1->text(), "Copiar");
    EXPECT_EQ(form->Marcartodoycopiar1->text(), "Marcar todo y copiar");
    EXPECT_EQ(form->Imprimir1->text(), "Imprimir");
    EXPECT_EQ(form->Guardar1->text(), "Guardar");
    EXPECT_TRUE(form->N1->isSeparator());
    EXPECT_EQ(form->Salir2->text(), "Salir");

    // The rich-text view fills the client area below the menu.
    QTextEdit* edit = form->RichEdit1;
    EXPECT_TRUE(edit->isReadOnly());
    EXPECT_EQ(edit->lineWrapMode(), QTextEdit::WidgetWidth);
    EXPECT_EQ(edit->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    EXPECT_EQ(edit->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(edit->width(), form->width());
    EXPECT_EQ(edit->geometry().bottom(), form->rect().bottom());
    form->resize(700, 600);
    QApplication::processEvents();
    EXPECT_EQ(edit->width(), 700);
    EXPECT_EQ(edit->geometry().bottom(), form->rect().bottom());
}

TEST_F(HelpWindow, ShowingLoadsTheDocumentIndentedAtTheTop)
{
    QTextDocument* doc = form->RichEdit1->document();
    EXPECT_TRUE(doc->begin().text().startsWith(QString::fromUtf8("CATÁLOGO")));
    EXPECT_GT(doc->blockCount(), 20);
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        // The first line begins 10 points from the left...
        const QTextBlockFormat f = b.blockFormat();
        EXPECT_NEAR(f.leftMargin() + f.textIndent(), kTenPoints, 0.01) << b.text().toStdString();
    }
    // ...and the later lines of a hanging paragraph keep their offset.
    QTextDocument original;
    rtf::loadFile(":/AYUDA", original);
    for (QTextBlock a = original.begin(), b = doc->begin(); a.isValid(); a = a.next(), b = b.next())
        EXPECT_NEAR(b.blockFormat().leftMargin() - a.blockFormat().leftMargin(),
                    kTenPoints - (a.blockFormat().leftMargin() + a.blockFormat().textIndent()), 0.01);

    const QTextCursor c = form->RichEdit1->textCursor();
    EXPECT_EQ(c.position(), 0);
    EXPECT_FALSE(c.hasSelection());
    EXPECT_EQ(form->RichEdit1->verticalScrollBar()->value(), 0);
    EXPECT_GT(form->RichEdit1->verticalScrollBar()->maximum(), 0); // longer than the view
}

TEST_F(HelpWindow, EveryShowingStartsTheSame)
{
    const QByteArray first = rtf::write(*form->RichEdit1->document());
    form->RichEdit1->selectAll();
    form->RichEdit1->verticalScrollBar()->setValue(form->RichEdit1->verticalScrollBar()->maximum());
    QTextCursor c(form->RichEdit1->document());
    c.insertText("cambio");
    form->hide();
    form->show();
    EXPECT_EQ(rtf::write(*form->RichEdit1->document()), first); // indents not applied twice
    EXPECT_EQ(form->RichEdit1->textCursor().position(), 0);
    EXPECT_FALSE(form->RichEdit1->textCursor().hasSelection());
    EXPECT_EQ(form->RichEdit1->verticalScrollBar()->value(), 0);
}

TEST_F(HelpWindow, LoadFailureIsReported)
{
    TForm2 other;
    other.documentPath = dir.filePath("no-existe");
    other.show();
    ASSERT_EQ(g_messages.size(), 1u);
    EXPECT_EQ(g_messages[0].text, "Error al recuperar un \"Stream\"");
    EXPECT_TRUE(g_messages[0].error);
    EXPECT_TRUE(other.isVisible());
}

TEST_F(HelpWindow, BothSalirClose)
{
    form->Salir1->trigger();
    EXPECT_FALSE(form->isVisible());
    form->show();
    form->Salir2->trigger();
    EXPECT_FALSE(form->isVisible());
}

TEST_F(HelpWindow, Copy)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    // "Copiar" copies the selection.
    QTextCursor sel(form->RichEdit1->document());
    sel.movePosition(QTextCursor::NextBlock);
    sel.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    form->RichEdit1->setTextCursor(sel);
    form->Copiar1->trigger();
    const QMimeData* data = clipboard->mimeData();
    ASSERT_NE(data, nullptr);
    for (const char* format : {"text/rtf", "application/rtf", "text/plain", "text/html"})
        EXPECT_TRUE(data->hasFormat(format)) << format;
    EXPECT_EQ(data->text(), QString::fromUtf8("1900 – 2004"));
    QTextDocument copied;
    ASSERT_TRUE(rtf::read(data->data("text/rtf"), copied));
    EXPECT_EQ(copied.toPlainText(), QString::fromUtf8("1900 – 2004"));
    EXPECT_EQ(copied.begin().blockFormat().alignment(), Qt::AlignHCenter);
    EXPECT_EQ(data->data("application/rtf"), data->data("text/rtf"));

    // "Marcar todo y copiar": everything, and everything stays selected.
    form->Marcartodoycopiar1->trigger();
    const QTextCursor all = form->RichEdit1->textCursor();
    EXPECT_EQ(all.selectionStart(), 0);
    EXPECT_EQ(all.selectionEnd(), form->RichEdit1->document()->characterCount() - 1);
    data = clipboard->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasFormat("text/rtf"));
    EXPECT_EQ(data->text(), rtf::plainText(*form->RichEdit1->document()));
    EXPECT_TRUE(data->text().contains(QString::fromUtf8("• Municipio histórico: ")));
    ASSERT_TRUE(rtf::read(data->data("text/rtf"), copied));
    EXPECT_EQ(copied.toRawText(), form->RichEdit1->document()->toRawText());
    EXPECT_EQ(copied.blockCount(), form->RichEdit1->document()->blockCount());
}

TEST(SaveNames, ExtensionRules)
{
    EXPECT_EQ(help::extensionOf("ayuda.rtf"), ".RTF");
    EXPECT_EQ(help::extensionOf("/tmp/dir.d/ayuda"), "");
    EXPECT_EQ(help::extensionOf("C:\\dir.d\\ayuda"), "");
    EXPECT_EQ(help::extensionOf("c.d:ayuda"), "");
    EXPECT_EQ(help::extensionOf("ayuda"), "");
    EXPECT_EQ(help::extensionOf("ayuda."), ".");
    EXPECT_EQ(help::extensionOf("/tmp/.rtf"), ".RTF");
    EXPECT_EQ(help::extensionOf("a.b.Txt"), ".TXT");

    // Rich text (filter 1).
    EXPECT_EQ(help::savedFileName("/tmp/ayuda", 1), "/tmp/ayuda.rtf");
    EXPECT_EQ(help::savedFileName("/tmp/ayuda.rtf", 1), "/tmp/ayuda.rtf");
    EXPECT_EQ(help::savedFileName("/tmp/ayuda.RTF", 1), "/tmp/ayuda.RTF");
    EXPECT_EQ(help::savedFileName("/tmp/ayuda.rTf", 1), "/tmp/ayuda.rTf");
    EXPECT_EQ(help::savedFileName("/tmp/ayuda.txt", 1), "/tmp/ayuda.txt.rtf");
    EXPECT_EQ(help::savedFileName("/tmp/dir.rtf/ayuda", 1), "/tmp/dir.rtf/ayuda.rtf");
    // Plain text (filter 2).
    EXPECT_EQ(help::savedFileName("/tmp/ayuda.rtf", 2), "/tmp/ayuda.rtf.txt");
    EXPECT_EQ(help::savedFileName("/tmp/ayuda.txt", 2), "/tmp/ayuda.txt");
    EXPECT_EQ(help::savedFileName("/tmp/ayuda.TXT", 2), "/tmp/ayuda.TXT");
    EXPECT_EQ(help::savedFileName("/tmp/ayuda", 2), "/tmp/ayuda.txt");
}

TEST_F(HelpWindow, SaveRichAndPlainText)
{
    save(dir.filePath("ayuda"), 1);
    EXPECT_TRUE(g_messages.empty());
    const QByteArray rich = readFile(dir.filePath("ayuda.rtf"));
    EXPECT_TRUE(rtf::isRtf(rich));
    EXPECT_FALSE(QFile::exists(dir.filePath("ayuda")));
    QTextDocument back;
    ASSERT_TRUE(rtf::read(rich, back));
    EXPECT_EQ(back.toRawText(), form->RichEdit1->document()->toRawText());
    EXPECT_NEAR(back.begin().blockFormat().leftMargin(), kTenPoints, 0.1); // as shown

    save(dir.filePath("ayuda.rtf"), 2);
    const QByteArray plain = readFile(dir.filePath("ayuda.rtf.txt"));
    EXPECT_FALSE(rtf::isRtf(plain));
    EXPECT_TRUE(plain.startsWith("CAT\xc1LOGO DE LA POBLACI\xd3N DE ARAG\xd3N\n1900 \x96 2004\n"));
    EXPECT_TRUE(plain.contains("\x95 Municipio: "));
    EXPECT_EQ(rtf::fromCp1252(plain), rtf::plainText(*form->RichEdit1->document()));

    // A character outside code page 1252 becomes "?" in plain text.
    QTextCursor c(form->RichEdit1->document());
    c.insertText(QString::fromUtf8("Ω"));
    save(dir.filePath("omega.TXT"), 2);
    EXPECT_TRUE(readFile(dir.filePath("omega.TXT")).startsWith("?CAT\xc1LOGO"));
    save(dir.filePath("omega.rtf"), 1);
    EXPECT_TRUE(readFile(dir.filePath("omega.rtf")).contains("\\u937?"));

    // Cancelling saves nothing.
    form->saveDialog = [] { return std::optional<TForm2::SaveChoice>(); };
    form->Guardar1->trigger();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 4);
    EXPECT_TRUE(g_messages.empty());
}

TEST_F(HelpWindow, SavingOverExistingFiles)
{
    // The name the dialog returned (and confirmed): replaced without a second question.
    const QString chosen = dir.filePath("ayuda.rtf");
    writeFile(chosen, "antiguo");
    save(chosen, 1);
    EXPECT_TRUE(questions.empty());
    EXPECT_TRUE(rtf::isRtf(readFile(chosen)));

    // A name the extension rule made: asked first; "No" keeps the file.
    const QString made = dir.filePath("notas.txt");
    writeFile(made, "mis notas");
    replaceAnswer = false;
    save(dir.filePath("notas"), 2);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0], made);
    EXPECT_EQ(readFile(made), "mis notas");
    EXPECT_TRUE(g_messages.empty());
    // "Sí" replaces it.
    replaceAnswer = true;
    save(dir.filePath("notas"), 2);
    EXPECT_EQ(questions.size(), 2u);
    EXPECT_TRUE(readFile(made).startsWith("CAT\xc1LOGO"));
    // No question when the made name does not exist.
    save(dir.filePath("nuevo"), 2);
    EXPECT_EQ(questions.size(), 2u);
}

TEST_F(HelpWindow, FileThatCannotBeCreated)
{
    // The parent is a file, so nothing can be created under it (also as root).
    const QString parentFile = dir.filePath("archivo");
    writeFile(parentFile, "contenido");
    save(parentFile + "/ayuda.rtf", 1);
    ASSERT_EQ(g_messages.size(), 1u);
    EXPECT_EQ(g_messages[0].text, "No se puede crear el archivo " + parentFile + "/ayuda.rtf.");
    EXPECT_TRUE(g_messages[0].error);
    EXPECT_EQ(readFile(parentFile), "contenido");
    EXPECT_TRUE(form->isVisible());

    // A parent that does not exist.
    save(dir.filePath("no/existe/ayuda"), 2);
    ASSERT_EQ(g_messages.size(), 2u);
    EXPECT_EQ(g_messages[1].text, "No se puede crear el archivo " + dir.filePath("no/existe/ayuda.txt") + ".");

    // The target is a directory: reported, and the directory is left as it was.
    ASSERT_TRUE(QDir(dir.path()).mkpath("carpeta.rtf"));
    writeFile(dir.filePath("carpeta.rtf/dentro"), "x");
    save(dir.filePath("carpeta.rtf"), 1);
    ASSERT_EQ(g_messages.size(), 3u);
    EXPECT_TRUE(g_messages[2].text.startsWith("No se puede crear el archivo "));
    EXPECT_EQ(readFile(dir.filePath("carpeta.rtf/dentro")), "x");
    EXPECT_TRUE(form->isVisible());
}

TEST_F(HelpWindow, PrintToPdf)
{
    const QString pdf = dir.filePath("ayuda.pdf");
    bool enabledDuringDialog = false;
    form->printDialog = [&](QPrinter& printer) {
        enabledDuringDialog = form->Imprimir1->isEnabled();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setDocName("otro");
        return true;
    };
    std::vector<bool> states; // of the print entry while printing
    QObject::connect(form->Imprimir1, &QAction::enabledChanged, [&](bool on) { states.push_back(on); });
    form->Imprimir1->trigger();
    EXPECT_TRUE(g_messages.empty()) << g_messages.front().text.toStdString();
    EXPECT_TRUE(enabledDuringDialog);
    EXPECT_EQ(states, (std::vector<bool>{false, true}));
    EXPECT_TRUE(form->Imprimir1->isEnabled());
    const QByteArray data = readFile(pdf);
    ASSERT_TRUE(data.startsWith("%PDF"));
    EXPECT_GT(data.size(), 5000);
    // The job's title is "Ayuda" (in the document information, UTF-16).
    EXPECT_TRUE(data.contains(QByteArray("\0A\0y\0u\0d\0a", 10))) << "no title Ayuda";
    EXPECT_FALSE(data.contains(QByteArray("\0o\0t\0r\0o", 8)));
    EXPECT_GE(pageCount(data), 1);
    // The fonts of the document went into it.
    EXPECT_TRUE(data.contains("Arial") || data.contains("Liberation")) << "no fonts embedded";

    // A longer text goes on over as many pages as it needs.
    QTextCursor c(form->RichEdit1->document());
    c.movePosition(QTextCursor::End);
    for (int i = 0; i < 300; ++i)
        c.insertText(QStringLiteral("\nParrafo %1 de relleno para llenar varias paginas.").arg(i));
    form->Imprimir1->trigger();
    EXPECT_GE(pageCount(readFile(pdf)), 4);

    // Cancelled: nothing printed.
    QFile::remove(pdf);
    form->printDialog = [](QPrinter&) { return false; };
    form->Imprimir1->trigger();
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_TRUE(form->Imprimir1->isEnabled());
}

TEST_F(HelpWindow, PrintFailureIsReportedAndTheEntryEnabledAgain)
{
    form->printDialog = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("no/existe/ayuda.pdf"));
        return true;
    };
    form->Imprimir1->trigger();
    ASSERT_EQ(g_messages.size(), 1u);
    EXPECT_EQ(g_messages[0].text, "No se puede imprimir el documento.");
    EXPECT_TRUE(form->Imprimir1->isEnabled());

    // A printer that is not valid.
    form->printDialog = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::NativeFormat);
        printer.setPrinterName("impresora-que-no-existe");
        return true;
    };
    form->Imprimir1->trigger();
    ASSERT_EQ(g_messages.size(), 2u);
    EXPECT_TRUE(g_messages[1].error);
    EXPECT_TRUE(form->Imprimir1->isEnabled());
    EXPECT_TRUE(form->isVisible());
}

// The real dialogs, answered as a user would.
TEST_F(HelpWindow, RealSaveDialog)
{
    QString title;
    QStringList filters;
    QString firstFilter;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        title = dialog->windowTitle();
        filters = dialog->nameFilters();
        firstFilter = dialog->selectedNameFilter();
        dialog->selectNameFilter(filters.value(1));
        dialog->selectFile(dir.filePath("desde-dialogo"));
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept, as the button does
    });
    form->Guardar1->trigger();
    EXPECT_EQ(title, "Guardar como...");
    EXPECT_EQ(filters, (QStringList{"Texto enriquecido (*.rtf)", "Texto plano (*.txt)"}));
    EXPECT_EQ(firstFilter, "Texto enriquecido (*.rtf)");
    EXPECT_TRUE(readFile(dir.filePath("desde-dialogo.txt")).startsWith("CAT\xc1LOGO"));
    EXPECT_TRUE(g_messages.empty());

    // Cancelled.
    QTimer::singleShot(0, [] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    form->Guardar1->trigger();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

TEST_F(HelpWindow, RealReplaceQuestion)
{
    form->replaceQuestion = nullptr;
    writeFile(dir.filePath("viejo.rtf"), "viejo");
    QString text;
    QStringList buttons;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        text = box->text();
        for (QAbstractButton* b : box->buttons())
            buttons << b->text();
        for (QAbstractButton* b : box->buttons())
            if (b->text() == "No")
                b->click();
    });
    save(dir.filePath("viejo"), 1);
    EXPECT_EQ(text, QString::fromUtf8("El archivo %1 ya existe.\n¿Desea reemplazarlo?").arg(dir.filePath("viejo.rtf")));
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{"No", QString::fromUtf8("Sí")}));
    EXPECT_EQ(readFile(dir.filePath("viejo.rtf")), "viejo");
}

TEST_F(HelpWindow, RealPrintDialogCancelled)
{
    bool shown = false;
    QTimer::singleShot(0, [&] {
        if (auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget())) {
            shown = true;
            dialog->reject();
        }
    });
    form->Imprimir1->trigger();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(form->Imprimir1->isEnabled());
    EXPECT_TRUE(g_messages.empty());
}

TEST(HelpWindowLifetime, ShowHelpWindowShowsModallyAndDestroys)
{
    QWidget owner;
    owner.show();
    QPointer<QWidget> seen;
    bool modal = false;
    QString text;
    QTimer::singleShot(0, [&] {
        seen = QApplication::activeModalWidget();
        if (auto* form = qobject_cast<TForm2*>(seen.data())) {
            modal = form->isModal();
            text = form->RichEdit1->document()->begin().text();
            form->Salir1->trigger();
        }
    });
    showHelpWindow(&owner);
    EXPECT_TRUE(modal);
    EXPECT_TRUE(text.startsWith(QString::fromUtf8("CATÁLOGO")));
    EXPECT_TRUE(seen.isNull()); // destroyed after the showing
    EXPECT_TRUE(owner.isVisible());
}

// A picture of the open window, for a person to look at: written where
// HELP_SCREENSHOT says, and checked to show more than a blank area.
TEST_F(HelpWindow, Screenshot)
{
    QApplication::processEvents();
    const QImage image = form->grab().toImage();
    ASSERT_FALSE(image.isNull());
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); y += 4)
        for (int x = 0; x < image.width(); x += 4)
            colours.insert(image.pixel(x, y));
    EXPECT_GT(colours.size(), 3u);
    const QString path = qEnvironmentVariable("HELP_SCREENSHOT");
    if (!path.isEmpty()) {
        EXPECT_TRUE(image.save(path));
        // And the end of the document.
        QScrollBar* bar = form->RichEdit1->verticalScrollBar();
        bar->setValue(bar->maximum());
        EXPECT_TRUE(form->grab().save(QString(path).replace(".png", "-fin.png")));
    }
}
