// The help window: layout, showing, copying, printing and saving.
#include "tform2.h"

#include "report.h"
#include "rtfreader.h"
#include "rtfwriter.h"
#include "text.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTest>
#include <QTextLayout>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

struct Message { QString text; bool error; };
std::vector<Message> g_messages;

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
    return at < 0 ? 0 : pdf.mid(at + 7, 8).split(' ').value(0).split('\n').value(0).toInt();
}

// Answers the next modal window, when it is a T, as a user would.
template <typename T, typename F>
void answer(F f)
{
    QTimer::singleShot(0, [f] {
        if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget()))
            f(w);
    });
}

struct HelpWindow : ::testing::Test {
    void SetUp() override
    {
        g_messages.clear();
        ui::setMessageSink([](const QString&, const QString& text, bool error) { g_messages.push_back({text, error}); });
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
    QTextDocument* doc() const { return form->RichEdit1->document(); }

    QTemporaryDir dir;
    std::unique_ptr<TForm2> form;
    std::vector<QString> questions;
    bool replaceAnswer = false;
};

} // namespace

TEST_F(HelpWindow, LayoutMenusAndClosing)
{
    EXPECT_EQ(form->windowTitle(), "AYUDA");
    const Qt::WindowFlags flags = form->windowFlags();
    EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE((flags & Qt::WindowCloseButtonHint) && (flags & Qt::WindowSystemMenuHint));
    EXPECT_TRUE(form->width() >= 560 && form->width() <= 587 && form->height() >= 480 && form->height() <= 526);

    // The menu bar: "Acciones" with its drop-down, then "Salir".
    EXPECT_EQ(form->MainMenu1->actions(), (QList<QAction*>{form->Acciones1, form->Salir1}));
    const QList<QAction*> drop{form->Copiar1, form->Marcartodoycopiar1, form->Imprimir1, form->Guardar1, form->N1, form->Salir2};
    ASSERT_NE(form->Acciones1->menu(), nullptr);
    EXPECT_EQ(form->Acciones1->menu()->actions(), drop);
    QStringList captions;
    for (QAction* a : form->MainMenu1->actions() + drop)
        captions << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(captions, (QStringList{"Acciones", "Salir", "Copiar", "Marcar todo y copiar", "Imprimir", "Guardar", "-", "Salir"}));

    // The read-only view fills the client area below the menu, also when resized.
    QTextEdit* edit = form->RichEdit1;
    EXPECT_TRUE(edit->isReadOnly());
    for (int width : {form->width(), 700}) {
        form->resize(width, 600);
        QApplication::processEvents();
        EXPECT_EQ(edit->width(), width);
        EXPECT_EQ(edit->geometry().bottom(), form->rect().bottom());
    }

    for (QAction* salir : {form->Salir1, form->Salir2}) {
        form->show();
        salir->trigger();
        EXPECT_FALSE(form->isVisible());
    }
}

// Paragraphs by their first words: where the first line and the later lines
// begin (pixels), and the space above (pixels; after and before add up).
TEST_F(HelpWindow, EveryShowingStartsTheSame)
{
    const struct {
        const char* start;
        double firstLine, left, above;
    } kParagraphs[] = {
        {"CATÁLOGO DE LA", 13.33, 13.33, 8},
        {"Escriba en la casilla", 13.33, 13.33, 16},
        {"ACLARACIONES", 13.33, 13.33, 24},     // 12 pt after the paragraph above + 6 pt before
        {"Municipio: entidad", 13.33, 32.27, 4}, // the bullet at 10 pt, the text at the hanging indent
        {"Abiego. Municipio", 13.33, 13.33, 4},
    };
    const auto expectFresh = [&] {
        for (const auto& p : kParagraphs) {
            QTextBlock b = doc()->begin();
            while (b.isValid() && !b.text().startsWith(QString::fromUtf8(p.start)))
                b = b.next();
            ASSERT_TRUE(b.isValid()) << p.start;
            const QTextBlockFormat f = b.blockFormat();
            const double first = b.textList() ? f.doubleProperty(rtf::kListMarkerIndent) : f.textIndent();
            EXPECT_NEAR(f.leftMargin() + first, p.firstLine, 0.01) << p.start;
            EXPECT_NEAR(f.leftMargin(), p.left, 0.01) << p.start;
            EXPECT_NEAR(f.topMargin(), p.above, 0.01) << p.start;
        }
        EXPECT_EQ(form->RichEdit1->textCursor().position(), 0);
        EXPECT_FALSE(form->RichEdit1->textCursor().hasSelection());
        EXPECT_EQ(form->RichEdit1->verticalScrollBar()->value(), 0);
    };
    expectFresh();
    EXPECT_GT(form->RichEdit1->verticalScrollBar()->maximum(), 0); // longer than the view

    form->RichEdit1->selectAll();
    form->RichEdit1->verticalScrollBar()->setValue(form->RichEdit1->verticalScrollBar()->maximum());
    QTextCursor(doc()).insertText("cambio");
    form->hide();
    form->show();
    expectFresh(); // and the indents are not applied twice
}

// The bullets stand at 10 points like the first lines of the other
// paragraphs, the text after them at the hanging indent.
TEST_F(HelpWindow, BulletsArePaintedAtTenPoints)
{
    form->resize(587, 2000);
    QApplication::processEvents();
    QTextBlock b = doc()->begin();
    while (!b.text().startsWith("Municipio: entidad"))
        b = b.next();
    const QRectF line = b.layout()->lineAt(0).rect().translated(b.layout()->position());
    const QImage shot = form->RichEdit1->viewport()->grab().toImage();
    const auto ink = [&](int from, int to) {
        int n = 0;
        for (int x = from; x <= to; ++x)
            for (int y = int(line.top()); y < int(line.bottom()); ++y)
                n += qGray(shot.pixel(x, y)) < 128;
        return n;
    };
    EXPECT_GT(ink(13, 20), 0);  // the bullet
    EXPECT_EQ(ink(21, 31), 0);  // the gap up to the hanging indent
    EXPECT_GT(ink(32, 60), 0);  // "Municipio"
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

TEST_F(HelpWindow, BothCopyActionsPutRichPlainAndHtmlText)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    QTextCursor sel(doc()); // the second paragraph
    sel.movePosition(QTextCursor::NextBlock);
    sel.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    form->RichEdit1->setTextCursor(sel);
    form->Copiar1->trigger();
    const QMimeData* data = clipboard->mimeData();
    ASSERT_NE(data, nullptr);
    for (const char* format : {"text/rtf", "application/rtf", "text/plain", "text/html"})
        EXPECT_TRUE(data->hasFormat(format)) << format;
    EXPECT_EQ(data->text(), "1900 – 2004");
    EXPECT_EQ(data->data("application/rtf"), data->data("text/rtf"));
    QTextDocument copied;
    ASSERT_TRUE(rtf::read(data->data("text/rtf"), copied));
    EXPECT_EQ(copied.toPlainText(), "1900 – 2004");
    EXPECT_EQ(copied.begin().blockFormat().alignment(), Qt::AlignHCenter);

    // "Marcar todo y copiar": everything, and everything stays selected.
    form->Marcartodoycopiar1->trigger();
    EXPECT_EQ(form->RichEdit1->textCursor().selectionStart(), 0);
    EXPECT_EQ(form->RichEdit1->textCursor().selectionEnd(), doc()->characterCount() - 1);
    data = clipboard->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->text().startsWith("CATÁLOGO DE LA POBLACIÓN DE ARAGÓN\n1900 – 2004\nEscriba en"));
    EXPECT_TRUE(data->text().contains("\n• Municipio: entidad local básica"));
    EXPECT_TRUE(data->text().endsWith("recopilación «La casa caída», CC BY-SA 4.0."));
    ASSERT_TRUE(rtf::read(data->data("text/rtf"), copied));
    EXPECT_EQ(copied.toRawText(), doc()->toRawText());

    // A triple click takes a bullet paragraph up to the start of the next
    // one: nothing of that next one is copied, not even its bullet.
    form->resize(587, 2000);
    QApplication::processEvents();
    QTextBlock b = doc()->begin();
    while (!b.text().startsWith("Municipio: entidad"))
        b = b.next();
    const QPoint at = b.layout()->lineAt(0).rect().translated(b.layout()->position()).center().toPoint();
    QTest::mouseDClick(form->RichEdit1->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseClick(form->RichEdit1->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    ASSERT_EQ(form->RichEdit1->textCursor().selectionEnd(), b.next().position());
    form->Copiar1->trigger();
    data = clipboard->mimeData();
    EXPECT_EQ(data->text(), "• Municipio: entidad local básica de la organización territorial, con término municipal y "
                            "ayuntamiento propios.\n");
    const QByteArray rtfText = data->data("text/rtf");
    EXPECT_EQ(rtfText.count("\\pntext"), 1);
    EXPECT_TRUE(rtfText.endsWith("propios.}\\par\n}\n")) << rtfText.right(40).constData();
}

TEST(SaveNames, ExtensionIsAppendedUnlessAlreadyThere)
{
    const struct {
        const char* chosen;
        int filter; // 1 rich text, 2 plain text
        const char* saved;
    } cases[] = {
        {"/tmp/ayuda", 1, "/tmp/ayuda.rtf"},           {"/tmp/ayuda.rtf", 1, "/tmp/ayuda.rtf"},
        {"/tmp/ayuda.rTf", 1, "/tmp/ayuda.rTf"},       {"/tmp/ayuda.txt", 1, "/tmp/ayuda.txt.rtf"},
        {"/tmp/dir.rtf/ayuda", 1, "/tmp/dir.rtf/ayuda.rtf"},
        {"C:\\d.rtf\\ayuda", 1, "C:\\d.rtf\\ayuda.rtf"}, {"c.rtf:ayuda", 1, "c.rtf:ayuda.rtf"},
        {"ayuda.", 1, "ayuda..rtf"},                   {"/tmp/.rtf", 1, "/tmp/.rtf"},
        {"/tmp/ayuda.rtf", 2, "/tmp/ayuda.rtf.txt"},   {"/tmp/ayuda.txt", 2, "/tmp/ayuda.txt"},
        {"a.b.Txt", 2, "a.b.Txt"},                     {"/tmp/ayuda", 2, "/tmp/ayuda.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(help::savedFileName(c.chosen, c.filter), c.saved) << c.chosen << " " << c.filter;
}

TEST_F(HelpWindow, SaveRichAndPlainText)
{
    save(dir.filePath("ayuda"), 1);
    QTextDocument back;
    ASSERT_TRUE(rtf::read(readFile(dir.filePath("ayuda.rtf")), back));
    EXPECT_EQ(back.toRawText(), doc()->toRawText());
    EXPECT_NEAR(back.begin().blockFormat().leftMargin(), 13.33, 0.01); // as shown

    save(dir.filePath("ayuda.rtf"), 2);
    const QByteArray plain = readFile(dir.filePath("ayuda.rtf.txt"));
    EXPECT_TRUE(plain.startsWith("CAT\xc1LOGO DE LA POBLACI\xd3N DE ARAG\xd3N\n1900 \x96 2004\n"));
    EXPECT_TRUE(plain.contains("\n\x95 Municipio: entidad local b\xe1sica"));
    EXPECT_TRUE(plain.endsWith("recopilaci\xf3n \xab" "La casa ca\xed" "da\xbb, CC BY-SA 4.0."));

    form->saveDialog = [] { return std::optional<TForm2::SaveChoice>(); }; // cancelled: nothing saved
    form->Guardar1->trigger();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
    EXPECT_TRUE(g_messages.empty());
}

TEST_F(HelpWindow, SavingOverExistingFiles)
{
    // The name the dialog returned (and confirmed): replaced without a second question.
    writeFile(dir.filePath("ayuda.rtf"), "antiguo");
    save(dir.filePath("ayuda.rtf"), 1);
    EXPECT_TRUE(questions.empty());
    EXPECT_TRUE(rtf::isRtf(readFile(dir.filePath("ayuda.rtf"))));

    // A name the appended extension made: asked first; "No" keeps the file, "Sí" replaces it.
    const QString made = dir.filePath("notas.txt");
    writeFile(made, "mis notas");
    save(dir.filePath("notas"), 2);
    EXPECT_EQ(questions, std::vector<QString>{made});
    EXPECT_EQ(readFile(made), "mis notas");
    replaceAnswer = true;
    save(dir.filePath("notas"), 2);
    EXPECT_EQ(questions.size(), 2u);
    EXPECT_TRUE(readFile(made).startsWith("CAT\xc1LOGO"));
    save(dir.filePath("nuevo"), 2); // no question when the made name does not exist
    EXPECT_EQ(questions.size(), 2u);
    EXPECT_TRUE(g_messages.empty());
}

TEST_F(HelpWindow, FileThatCannotBeCreated)
{
    // Under a file (nothing can be created there, also as root), under a missing
    // directory, and over a directory: reported, and what was there is kept.
    writeFile(dir.filePath("archivo"), "contenido");
    ASSERT_TRUE(QDir(dir.path()).mkpath("carpeta.rtf"));
    writeFile(dir.filePath("carpeta.rtf/dentro"), "x");
    const std::pair<QString, QString> cases[] = {{"archivo/ayuda.rtf", "archivo/ayuda.rtf"},
                                                 {"no/existe/ayuda", "no/existe/ayuda.txt"},
                                                 {"carpeta.rtf", "carpeta.rtf"}};
    for (const auto& [chosen, made] : cases) {
        g_messages.clear();
        save(dir.filePath(chosen), made.endsWith(".txt") ? 2 : 1);
        ASSERT_EQ(g_messages.size(), 1u) << chosen.toStdString();
        EXPECT_EQ(g_messages[0].text, "No se puede crear el archivo " + dir.filePath(made) + ".");
        EXPECT_TRUE(g_messages[0].error);
    }
    EXPECT_EQ(readFile(dir.filePath("archivo")), "contenido");
    EXPECT_EQ(readFile(dir.filePath("carpeta.rtf/dentro")), "x");
    EXPECT_TRUE(form->isVisible());
}

TEST_F(HelpWindow, PrintToPdf)
{
    const QString pdf = dir.filePath("ayuda.pdf");
    form->printDialog = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setDocName("otro");
        return true;
    };
    std::vector<bool> states; // of the print entry while printing
    QObject::connect(form->Imprimir1, &QAction::enabledChanged, [&](bool on) { states.push_back(on); });
    form->Imprimir1->trigger();
    EXPECT_TRUE(g_messages.empty()) << g_messages.front().text.toStdString();
    EXPECT_EQ(states, (std::vector<bool>{false, true}));
    const QByteArray data = readFile(pdf);
    ASSERT_TRUE(data.startsWith("%PDF"));
    // The job's title is "Ayuda" (in the document information, UTF-16), with the document's fonts.
    EXPECT_TRUE(data.contains(QByteArray("\0A\0y\0u\0d\0a", 10))) << "no title Ayuda";
    EXPECT_FALSE(data.contains(QByteArray("\0o\0t\0r\0o", 8)));
    EXPECT_GE(pageCount(data), 1);
    EXPECT_TRUE(data.contains("Arial") || data.contains("Liberation")) << "no fonts embedded";

    // A longer text goes on over as many pages as it needs.
    QTextCursor c(doc());
    c.movePosition(QTextCursor::End);
    for (int i = 0; i < 300; ++i)
        c.insertText(QStringLiteral("\nParrafo %1 de relleno para llenar varias paginas.").arg(i));
    form->Imprimir1->trigger();
    EXPECT_GE(pageCount(readFile(pdf)), 4);
}

TEST_F(HelpWindow, PrintFailureIsReportedAndTheEntryEnabledAgain)
{
    form->printDialog = [&](QPrinter& p) {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(dir.filePath("no/existe/ayuda.pdf"));
        return true;
    };
    form->Imprimir1->trigger();
    EXPECT_TRUE(form->Imprimir1->isEnabled());
    form->printDialog = [](QPrinter& p) { // a printer that is not valid
        p.setOutputFormat(QPrinter::NativeFormat);
        p.setPrinterName("impresora-que-no-existe");
        return true;
    };
    form->Imprimir1->trigger();
    EXPECT_TRUE(form->Imprimir1->isEnabled());
    ASSERT_EQ(g_messages.size(), 2u);
    EXPECT_EQ(g_messages[0].text, "No se puede imprimir el documento.");
    EXPECT_TRUE(g_messages[0].error && g_messages[1].error);
    EXPECT_TRUE(form->isVisible());
}

// The real dialogs, answered as a user would.
TEST_F(HelpWindow, RealDialogs)
{
    QString title, firstFilter;
    QStringList filters;
    answer<QFileDialog>([&](QFileDialog* dialog) {
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
    answer<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    form->Guardar1->trigger();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);

    // Replacing a file the appended extension hit: Escape is "No".
    form->replaceQuestion = nullptr;
    writeFile(dir.filePath("viejo.rtf"), "viejo");
    QString text;
    QStringList buttons;
    answer<QMessageBox>([&](QMessageBox* box) {
        text = box->text();
        for (QAbstractButton* b : box->buttons())
            buttons << b->text();
        box->escapeButton()->click();
    });
    save(dir.filePath("viejo"), 1);
    EXPECT_EQ(text, QString("El archivo %1 ya existe.\n¿Desea reemplazarlo?").arg(dir.filePath("viejo.rtf")));
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{"No", "Sí"}));
    EXPECT_EQ(readFile(dir.filePath("viejo.rtf")), "viejo");

    bool printDialogShown = false;
    answer<QPrintDialog>([&](QPrintDialog* dialog) { printDialogShown = true, dialog->reject(); });
    form->Imprimir1->trigger();
    EXPECT_TRUE(printDialogShown);
    EXPECT_TRUE(form->Imprimir1->isEnabled());
    EXPECT_TRUE(g_messages.empty());
}

TEST(HelpWindowLifetime, ShowHelpWindowShowsModallyAndDestroys)
{
    QWidget owner;
    owner.show();
    QPointer<TForm2> seen;
    QString text;
    answer<TForm2>([&](TForm2* form) {
        seen = form;
        text = form->isModal() ? form->RichEdit1->document()->begin().text() : "not modal";
        form->Salir1->trigger();
    });
    showHelpWindow(&owner);
    EXPECT_TRUE(text.startsWith("CATÁLOGO")) << text.toStdString();
    EXPECT_TRUE(seen.isNull()); // destroyed after the showing
    EXPECT_TRUE(owner.isVisible());
}
