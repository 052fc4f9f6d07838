// The help window as a user meets it: layout, showing, keys and mouse, copying,
// printing and saving, with its Spanish dialogs.
#include "helpwindow.h"

#include "translations.h"
#include "layoutstyle.h"
#include "messages.h"
#include "rtfreader.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <unistd.h>
#include <memory>

namespace {

std::vector<QString> g_messages; // every one is an error report here

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
void writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(data) == data.size());
}
// The page count of a PDF file as Qt writes it ("/Count N" in its page tree).
int pageCount(const QByteArray& pdf) { return pdf.mid(pdf.indexOf("/Count ") + 7, 8).split('\n').value(0).toInt(); }

// Runs f on the modal window T as soon as it is shown.
template <typename T, typename F>
void whenShown(F f)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, f] {
        if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget()); w && w->isVisible()) {
            timer->deleteLater();
            timer->stop();
            f(w);
        }
    });
    timer->start(5);
}

// A key as the window system delivers it to the focus of a window, with its
// own time stamp.
void key(QWidget* window, QEvent::Type type, Qt::Key k, ulong time, bool repeat = false)
{
    QKeyEvent event(type, k, Qt::NoModifier, k == Qt::Key_Return ? "\r" : "", repeat);
    event.setTimestamp(time);
    QApplication::sendEvent(window->focusWidget() ? window->focusWidget() : window, &event);
}

struct HelpWindowTest : ::testing::Test {
    void SetUp() override
    {
        g_messages.clear();
        ui::setMessageSink([](const QString&, const QString& text, bool error) { g_messages.push_back(error ? text : "?" + text); });
        ASSERT_TRUE(dir.isValid());
        window = std::make_unique<HelpWindow>();
        window->setReplaceQuestion([this](const QString& name) { return questions.push_back(name), replaceAnswer; });
        ui::installSpanishTranslations();
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        ASSERT_TRUE(g_messages.empty()) << g_messages.front().toStdString();
    }
    void TearDown() override { ui::setMessageSink(nullptr); }

    // Saves through the window as if the dialog had returned name and
    // filter; shown again (after "No" to replacing), it is cancelled. Each
    // showing's name and filter are kept in `dialogsShown`.
    void save(const QString& name, int filter)
    {
        dialogsShown.clear();
        window->setSaveDialog([=, this](const HelpWindow::SaveChoice& shown) {
            dialogsShown.push_back(shown.fileName + '|' + QString::number(shown.filterIndex));
            return dialogsShown.size() == 1 ? std::optional<HelpWindow::SaveChoice>({name, filter}) : std::nullopt;
        });
        action("saveAction")->trigger();
    }
    // The window's parts by their names.
    QAction* action(const char* name) const { return window->findChild<QAction*>(QLatin1String(name)); }
    QTextEdit* view() const { return window->findChild<QTextEdit*>(QStringLiteral("documentView")); }
    QMenuBar* menuBar() const { return window->findChild<QMenuBar*>(QStringLiteral("menuBar")); }
    QMenu* actionsMenu() const { return window->findChild<QMenu*>(QStringLiteral("actionsMenu")); }
    QTextDocument* doc() const { return view()->document(); }
    QTextBlock block(const char* start) const // the paragraph that begins so
    {
        QTextBlock b = doc()->begin();
        while (b.isValid() && !b.text().startsWith(QString::fromUtf8(start)))
            b = b.next();
        return b;
    }

    QTemporaryDir dir;
    std::unique_ptr<HelpWindow> window;
    std::vector<QString> questions;
    std::vector<QString> dialogsShown;
    bool replaceAnswer = false;
};

} // namespace

TEST_F(HelpWindowTest, LayoutFontMenusAndClosing)
{
    EXPECT_EQ(window->windowTitle(), "AYUDA");
    EXPECT_FALSE(window->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(window->frameGeometry().size(), QSize(587, 526)); // the outer size
    for (QWidget* w : {static_cast<QWidget*>(window.get()), static_cast<QWidget*>(menuBar())}) {
        EXPECT_EQ(w->font().pixelSize(), 11); // the layout's font, not the system's
        EXPECT_EQ(w->font().families(), layout::windowFont().families());
    }

    QStringList captions;
    for (QAction* a : menuBar()->actions() + actionsMenu()->actions())
        captions << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(captions, (QStringList{"Acciones", "Salir", "Copiar", "Marcar todo y copiar", "Imprimir", "Guardar", "-", "Salir"}));

    // The read-only view fills the client area below the menu, also when resized.
    EXPECT_TRUE(view()->isReadOnly());
    window->resize(700, 600);
    QApplication::processEvents();
    EXPECT_EQ(view()->width(), 700);
    EXPECT_EQ(view()->geometry().bottom(), window->rect().bottom());

    for (QAction* salir : {action("barCloseAction"), action("menuCloseAction")}) {
        window->show();
        salir->trigger();
        EXPECT_FALSE(window->isVisible());
    }

    HelpWindow other(nullptr, dir.filePath("no-existe")); // a document that cannot be read: reported, the window shown
    other.show();
    EXPECT_EQ(g_messages, std::vector<QString>{"Error al recuperar un \"Stream\""});
    EXPECT_TRUE(other.isVisible());
    EXPECT_TRUE(other.findChild<QTextEdit*>(QStringLiteral("documentView"))->document()->isEmpty());
}

// Paragraphs by their first words: where the first line and the later lines
// begin (pixels), and the space above (pixels; after and before add up).
TEST_F(HelpWindowTest, EveryShowingStartsTheSame)
{
    const struct {
        const char* start;
        double firstLine, left, above;
    } kParagraphs[] = {
        {"CATÁLOGO DE LA", 13.33, 13.33, 8},
        {"ACLARACIONES", 13.33, 13.33, 24},      // 12 pt after the paragraph above + 6 pt before
        {"Municipio: entidad", 13.33, 32.27, 4}, // the bullet at 10 pt, the text at the hanging indent
    };
    const auto expectFresh = [&] {
        for (const auto& p : kParagraphs) {
            const QTextBlock b = block(p.start);
            ASSERT_TRUE(b.isValid()) << p.start;
            const QTextBlockFormat f = b.blockFormat();
            const double first = b.textList() ? f.doubleProperty(rtf::kListMarkerIndent) : f.textIndent();
            EXPECT_NEAR(f.leftMargin() + first, p.firstLine, 0.01) << p.start;
            EXPECT_NEAR(f.leftMargin(), p.left, 0.01) << p.start;
            EXPECT_NEAR(f.topMargin(), p.above, 0.01) << p.start;
        }
        EXPECT_EQ(view()->textCursor().position(), 0);
        EXPECT_FALSE(view()->textCursor().hasSelection());
        EXPECT_EQ(view()->verticalScrollBar()->value(), 0);
    };
    expectFresh();
    EXPECT_GT(view()->verticalScrollBar()->maximum(), 0); // longer than the view

    view()->selectAll();
    view()->verticalScrollBar()->setValue(view()->verticalScrollBar()->maximum());
    QTextCursor(doc()).insertText("cambio");
    window->hide();
    window->show();
    expectFresh(); // and the indents are not applied twice
}

TEST_F(HelpWindowTest, BothCopyActionsPutRichPlainAndHtmlText)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    QTextCursor sel(doc()); // the second paragraph
    sel.movePosition(QTextCursor::NextBlock);
    sel.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    view()->setTextCursor(sel);
    action("copyAction")->trigger();
    const QMimeData* data = clipboard->mimeData();
    EXPECT_TRUE(data->hasHtml());
    EXPECT_EQ(data->text(), "1900 – 2004");
    EXPECT_EQ(data->data("application/rtf"), data->data("text/rtf"));
    QTextDocument copied;
    ASSERT_TRUE(rtf::read(data->data("text/rtf"), copied));
    EXPECT_EQ(copied.toPlainText(), "1900 – 2004");
    EXPECT_EQ(copied.begin().blockFormat().alignment(), Qt::AlignHCenter);

    // "Marcar todo y copiar": everything, and everything stays selected.
    action("copyAllAction")->trigger();
    EXPECT_EQ(view()->textCursor().selectionStart(), 0);
    EXPECT_EQ(view()->textCursor().selectionEnd(), doc()->characterCount() - 1);
    ASSERT_TRUE(rtf::read(clipboard->mimeData()->data("text/rtf"), copied));
    EXPECT_EQ(copied.toRawText(), doc()->toRawText());
}

TEST(SaveTargets, ATypedExtensionChoosesTheFormatAndANameWithoutOneGetsTheFilters)
{
    const struct {
        const char* chosen;
        int filter; // 1 rich text, 2 plain text
        const char* saved;
        int format;
    } cases[] = {
        // A known extension, in any case, is kept and chooses the format, whatever the filter.
        {"/tmp/ayuda.rTf", 1, "/tmp/ayuda.rTf", 1},
        {"/tmp/ayuda2.txt", 1, "/tmp/ayuda2.txt", 2},
        {"/tmp/ayuda.RTF", 2, "/tmp/ayuda.RTF", 1},
        {"a.b.Txt", 2, "a.b.Txt", 2},
        {"/tmp/.rtf", 2, "/tmp/.rtf", 1},
        // No extension, or one of neither format: the filter's is appended.
        {"/tmp/ayuda", 1, "/tmp/ayuda.rtf", 1},
        {"/tmp/ayuda", 2, "/tmp/ayuda.txt", 2},
        {"/tmp/ayuda.doc", 2, "/tmp/ayuda.doc.txt", 2},
        // A dot in a folder's name is no extension.
        {"/tmp/dir.txt/ayuda", 1, "/tmp/dir.txt/ayuda.rtf", 1},
        {"C:\\d.rtf\\ayuda", 2, "C:\\d.rtf\\ayuda.txt", 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(help::saveTarget(c.chosen, c.filter), (help::SaveTarget{c.saved, c.format}))
            << c.chosen << " " << c.filter;
}

TEST_F(HelpWindowTest, SaveRichAndPlainTextOverExistingFiles)
{
    save(dir.filePath("ayuda"), 1);
    QTextDocument back;
    ASSERT_TRUE(rtf::read(readFile(dir.filePath("ayuda.rtf")), back));
    EXPECT_EQ(back.toRawText(), doc()->toRawText());
    EXPECT_NEAR(back.begin().blockFormat().leftMargin(), 13.33, 0.01); // as shown

    // Plain text is UTF-8, as the system's other text files.
    save(dir.filePath("ayuda"), 2);
    const QByteArray plain = readFile(dir.filePath("ayuda.txt"));
    EXPECT_TRUE(plain.startsWith("CAT\xc3\x81LOGO DE LA POBLACI\xc3\x93N DE ARAG\xc3\x93N\n1900 \xe2\x80\x93 2004\n"))
        << plain.left(60).toStdString();
    EXPECT_TRUE(plain.contains("\n\xe2\x80\xa2 Municipio: entidad local b\xc3\xa1sica"));

    // The rich text filter and a name typed with ".txt": plain text, under that name.
    save(dir.filePath("ayuda2.txt"), 1);
    EXPECT_EQ(readFile(dir.filePath("ayuda2.txt")), plain);
    EXPECT_FALSE(QFile::exists(dir.filePath("ayuda2.txt.rtf")));

    window->setSaveDialog([](const HelpWindow::SaveChoice&) { return std::optional<HelpWindow::SaveChoice>(); });
    action("saveAction")->trigger(); // cancelled: nothing saved
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 3);

    // An existing name as chosen: asked once, about it; "No" keeps the file
    // and shows the dialog again with the name and filter chosen.
    writeFile(dir.filePath("ayuda.rtf"), "antiguo");
    save(dir.filePath("ayuda.rtf"), 1);
    EXPECT_EQ(questions, std::vector<QString>{dir.filePath("ayuda.rtf")});
    EXPECT_EQ(readFile(dir.filePath("ayuda.rtf")), "antiguo");
    EXPECT_EQ(dialogsShown, (std::vector<QString>{"|1", dir.filePath("ayuda.rtf") + "|1"}));
    // A name the appended extension made: asked about that one; "No" keeps
    // the file, "Sí" replaces it.
    const QString made = dir.filePath("notas.txt");
    writeFile(made, "mis notas");
    save(dir.filePath("notas"), 2);
    EXPECT_EQ(questions, (std::vector<QString>{dir.filePath("ayuda.rtf"), made}));
    EXPECT_EQ(readFile(made), "mis notas");
    EXPECT_EQ(dialogsShown, (std::vector<QString>{"|1", dir.filePath("notas") + "|2"}));
    replaceAnswer = true;
    save(dir.filePath("notas"), 2);
    EXPECT_TRUE(readFile(made).startsWith("CAT\xc3\x81LOGO"));
    EXPECT_EQ(dialogsShown.size(), 1u);
    save(dir.filePath("nuevo"), 2); // no question when the made name does not exist
    EXPECT_EQ(questions.size(), 3u);
    EXPECT_TRUE(g_messages.empty());
}

TEST_F(HelpWindowTest, FileThatCannotBeCreated)
{
    // Under a file (nothing can be created there, also as root) and over a
    // directory: reported, and what was there is kept.
    writeFile(dir.filePath("archivo"), "contenido");
    ASSERT_TRUE(QDir(dir.path()).mkpath("carpeta.rtf"));
    const std::pair<QString, QString> cases[] = {
        {"archivo/ayuda.rtf", "archivo/ayuda.rtf"}, {"carpeta.rtf", "carpeta.rtf"}};
    for (const auto& [chosen, made] : cases) {
        g_messages.clear();
        save(dir.filePath(chosen), 1);
        EXPECT_EQ(g_messages, std::vector<QString>{"No se puede crear el archivo " + dir.filePath(made) + "."});
    }
    EXPECT_EQ(readFile(dir.filePath("archivo")), "contenido");
    EXPECT_TRUE(QFileInfo(dir.filePath("carpeta.rtf")).isDir());
}

// While it lives the process acts as an ordinary user (nobody), where it
// runs as root, so that file permissions apply to it; it is root again after.
class OrdinaryUser {
public:
    OrdinaryUser() : dropped_(geteuid() == 0 && setresgid(65534, 65534, 0) == 0 && setresuid(65534, 65534, 0) == 0) {}
    ~OrdinaryUser()
    {
        if (dropped_) {
            [[maybe_unused]] const int u = setresuid(0, 0, 0);
            [[maybe_unused]] const int g = setresgid(0, 0, 0);
        }
    }
    OrdinaryUser(const OrdinaryUser&) = delete;
    OrdinaryUser& operator=(const OrdinaryUser&) = delete;
    bool ok() const { return dropped_ || geteuid() != 0; }

private:
    bool dropped_;
};

TEST_F(HelpWindowTest, SavingWhereTheUserMayNotWriteSaysPermissionDenied)
{
    // A folder the user may not write in, and a read-only file in one they may.
    const QString locked = dir.filePath("cerrada"), open = dir.filePath("abierta");
    ASSERT_TRUE(QDir(dir.path()).mkpath("cerrada") && QDir(dir.path()).mkpath("abierta"));
    const QString readOnly = open + "/ayuda.rtf";
    writeFile(readOnly, "antiguo");
    const auto rx = QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup | QFileDevice::ExeGroup
                    | QFileDevice::ReadOther | QFileDevice::ExeOther;
    const auto rwx = rx | QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    ASSERT_TRUE(QFile::setPermissions(dir.path(), rx) && QFile::setPermissions(locked, rx)
                && QFile::setPermissions(open, rwx)
                && QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ReadGroup
                                                       | QFileDevice::ReadOther));
    replaceAnswer = true;
    {
        const OrdinaryUser user;
        ASSERT_TRUE(user.ok());
        save(locked + "/ayuda", 2);
        save(readOnly, 1);
    }
    EXPECT_EQ(g_messages, (std::vector<QString>{"No se puede crear el archivo " + locked + "/ayuda.txt: Permiso denegado.",
                                                "No se puede crear el archivo " + readOnly + ": Permiso denegado."}));
    // Nothing written, nothing left half-written.
    EXPECT_TRUE(QDir(locked).isEmpty());
    EXPECT_EQ(readFile(readOnly), "antiguo");
    EXPECT_EQ(QDir(open).entryList(QDir::Files), QStringList{"ayuda.rtf"});
    QFile::setPermissions(dir.path(), rwx);
}

TEST_F(HelpWindowTest, PrintToPdfAndFailures)
{
    bool realDialogShown = false; // cancelled: nothing printed, nothing said
    whenShown<QPrintDialog>([&](QPrintDialog* dialog) { realDialogShown = true, dialog->reject(); });
    action("printAction")->trigger();
    EXPECT_TRUE(realDialogShown);

    const QString pdf = dir.filePath("ayuda.pdf");
    QString output = pdf;
    window->setPrintDialog([&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(output);
        printer.setDocName("otro");
        return true;
    });
    std::vector<bool> states; // of the print entry while printing
    QObject::connect(action("printAction"), &QAction::enabledChanged, [&](bool on) { states.push_back(on); });
    action("printAction")->trigger();
    EXPECT_EQ(states, (std::vector<bool>{false, true}));
    const QByteArray data = readFile(pdf);
    ASSERT_TRUE(data.startsWith("%PDF"));
    // The job's title is "Ayuda" (in the document information, UTF-16), with the document's fonts.
    EXPECT_TRUE(data.contains(QByteArray("\0A\0y\0u\0d\0a", 10))) << "no title Ayuda";
    EXPECT_FALSE(data.contains(QByteArray("\0o\0t\0r\0o", 8)));
    EXPECT_EQ(pageCount(data), 3);

    output = dir.filePath("no/existe/ayuda.pdf"); // cannot be written
    action("printAction")->trigger();
    window->setPrintDialog([](QPrinter& p) { // a printer that is not valid
        p.setPrinterName("impresora-que-no-existe");
        return true;
    });
    action("printAction")->trigger();
    EXPECT_TRUE(action("printAction")->isEnabled());
    EXPECT_EQ(g_messages, std::vector<QString>(2, "No se puede imprimir el documento."));
}

namespace {

// A PDF page as pdftotext -bbox reads it: its size and its words with their
// boxes, in points from the top left corner.
struct PdfWord {
    QString text;
    QRectF box;
};
struct PdfPage {
    QSizeF size;
    std::vector<PdfWord> words;
};

std::vector<PdfPage> readPdfPages(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    std::vector<PdfPage> pages;
    static const QRegularExpression item(
        R"re(<page width="([\d.]+)" height="([\d.]+)">|<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    for (auto it = item.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (!m.captured(1).isEmpty()) {
            pages.push_back({QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()), {}});
        } else if (!pages.empty()) {
            QString text = m.captured(7);
            text.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&amp;", "&");
            pages.back().words.push_back({text, QRectF(QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()),
                                                       QPointF(m.captured(5).toDouble(), m.captured(6).toDouble()))});
        }
    }
    return pages;
}

} // namespace

TEST_F(HelpWindowTest, PrintedPagesHaveMarginsWholeLinesAndNumbers)
{
    const QString pdf = dir.filePath("ayuda.pdf");
    window->setPrintDialog([&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(QPageSize::A4));
        return true;
    });
    action("printAction")->trigger();
    ASSERT_TRUE(g_messages.empty()) << g_messages.front().toStdString();
    const std::vector<PdfPage> pages = readPdfPages(pdf);
    ASSERT_GE(pages.size(), 2u);

    constexpr double kMargin = 15 * 72 / 25.4; // 15 mm in points
    QStringList printed; // the words of the text, page after page, without the page numbers
    for (std::size_t p = 0; p < pages.size(); ++p) {
        const PdfPage& page = pages[p];
        EXPECT_NEAR(page.size.width(), 595.3, 0.5);
        EXPECT_NEAR(page.size.height(), 841.9, 0.5);
        const QRectF inside(kMargin, kMargin, page.size.width() - 2 * kMargin, page.size.height() - 2 * kMargin);
        ASSERT_GE(page.words.size(), 4u);
        for (const PdfWord& word : page.words)
            EXPECT_TRUE(inside.contains(word.box)) << "page " << p + 1 << ": " << word.text.toStdString() << " at "
                                                    << word.box.y() << ", " << word.box.x();
        // The last four words, the lowest on the page: its number.
        const auto& w = page.words;
        const std::size_t n = w.size();
        EXPECT_EQ(QStringList({w[n - 4].text, w[n - 3].text, w[n - 2].text, w[n - 1].text}),
                  (QStringList{"Página", QString::number(p + 1), "de", QString::number(pages.size())}));
        double lowestText = 0;
        for (std::size_t i = 0; i + 4 < n; ++i) {
            lowestText = std::max(lowestText, w[i].box.bottom());
            if (w[i].text == "•")
                continue;
            // A word broken at its hyphen at the end of a line is one word.
            if (!printed.isEmpty() && printed.back().size() > 1 && printed.back().endsWith('-')
                && printed.back().at(printed.back().size() - 2).isLetter())
                printed.back() += w[i].text;
            else
                printed << w[i].text;
        }
        EXPECT_LT(lowestText, w[n - 4].box.top()) << "page " << p + 1;
    }
    // Every word once, in order: no line cut off at a page's foot and
    // repeated at the next page's head.
    QStringList expected = doc()->toPlainText().split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
    expected.removeAll("•");
    EXPECT_EQ(printed.size(), expected.size());
    EXPECT_EQ(printed.join(' ').toStdString(), expected.join(' ').toStdString());
}

TEST_F(HelpWindowTest, EscapeRightClickAndFocus)
{
    QTest::keyClick(window->windowHandle(), Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible()); // only "Salir" and the close box close it

    // No menu of the view's own on a right click.
    bool menu = false;
    QTimer::singleShot(100, [&] {
        if (QWidget* popup = QApplication::activePopupWidget())
            menu = popup->close();
    });
    const QPoint inView = view()->viewport()->mapTo(window.get(), QPoint(50, 50));
    QTest::mouseClick(window->windowHandle(), Qt::RightButton, Qt::NoModifier, inView);
    QTest::qWait(150);
    EXPECT_FALSE(menu);

    // The selected, coloured title looks the same when the window loses the focus.
    view()->selectAll();
    const QImage active = view()->viewport()->grab().toImage();
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_EQ(view()->viewport()->grab().toImage(), active);
}

// The bullets stand at 10 points like the first lines of the other
// paragraphs, the text after them at the hanging indent.
TEST_F(HelpWindowTest, BulletsOnScreenAndTripleClickCopy)
{
    window->resize(587, 2000);
    QApplication::processEvents();
    const QTextLayout* layout = block("Municipio: entidad").layout(); // its first line, in the view's coordinates
    const QRect line = layout->lineAt(0).rect().translated(layout->position()).toRect().translated(
        0, -view()->verticalScrollBar()->value());
    const QImage shot = view()->viewport()->grab().toImage();
    const auto ink = [&](int from, int to) {
        int n = 0;
        for (int x = from; x <= to; ++x)
            for (int y = line.top(); y < line.bottom(); ++y)
                n += qGray(shot.pixel(x, y)) < 128;
        return n;
    };
    EXPECT_GT(ink(13, 20), 0); // the bullet
    EXPECT_EQ(ink(21, 31), 0);
    EXPECT_GT(ink(32, 60), 0); // "Municipio"

    // A triple click takes the paragraph up to the start of the next one:
    // nothing of that one is copied, not even its bullet.
    QTest::mouseDClick(view()->viewport(), Qt::LeftButton, Qt::NoModifier, line.center());
    QTest::mouseClick(view()->viewport(), Qt::LeftButton, Qt::NoModifier, line.center());
    ASSERT_EQ(view()->textCursor().selectionEnd(), block("Municipio: entidad").next().position());
    action("copyAction")->trigger();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    EXPECT_TRUE(data->text().startsWith("• Municipio: entidad") && data->text().endsWith("nombra también su comarca.\n"));
    EXPECT_EQ(data->data("text/rtf").count("\\pntext"), 1);
    EXPECT_TRUE(data->data("text/rtf").endsWith("su comarca.}\\par\n}\n"));
}

// The name of an existing document without its extension, and Enter held a
// moment: the question waits for the answer, in a dialog that speaks Spanish.
TEST_F(HelpWindowTest, SavingByEnterOverAnExistingDocument)
{
    window->setReplaceQuestion(nullptr); // the real question
    const QString old = QDir::currentPath();
    QDir::setCurrent(dir.path());
    QFile existing(dir.filePath("ayuda.rtf"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly) && existing.write("antiguo") == 7);
    existing.close();

    QStringList dialogButtons, question;
    whenShown<QFileDialog>([&](QFileDialog* dialog) {
        dialogButtons << dialog->windowTitle() << dialog->selectedNameFilter() << dialog->nameFilters();
        for (QAbstractButton* b : dialog->findChild<QDialogButtonBox*>()->buttons())
            dialogButtons << b->text().remove('&');
        QTest::keyClicks(dialog->focusWidget(), "ayuda");
        key(dialog, QEvent::KeyPress, Qt::Key_Return, 1000);
        whenShown<QMessageBox>([&](QMessageBox* box) {
            // The keyboard repeats the held Enter: unmarked, then marked.
            key(box, QEvent::KeyRelease, Qt::Key_Return, 1660);
            key(box, QEvent::KeyPress, Qt::Key_Return, 1660);
            key(box, QEvent::KeyPress, Qt::Key_Return, 1700, true);
            key(box, QEvent::KeyRelease, Qt::Key_Return, 1740);
            question << box->text();
            for (QAbstractButton* b : box->buttons())
                question << b->text();
            if (box->isVisible())
                QTest::mouseClick(box->buttons().value(0), Qt::LeftButton);
        });
    });
    action("saveAction")->trigger();
    QDir::setCurrent(old);
    std::sort(dialogButtons.begin() + 4, dialogButtons.end());
    EXPECT_EQ(dialogButtons, (QStringList{"Guardar como...", "Texto enriquecido (*.rtf)", "Texto enriquecido (*.rtf)",
                                          "Texto plano (*.txt)", "Cancelar", "Guardar"}));
    EXPECT_EQ(question, (QStringList{QString("El archivo %1 ya existe.\n¿Desea reemplazarlo?").arg(dir.filePath("ayuda.rtf")),
                                     "Sí", "No"}));
    ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
    EXPECT_TRUE(existing.readAll().startsWith("{\\rtf1")); // replaced by the document
}

// "No" to replacing: the save dialog comes back with the name and the filter
// chosen, and cancelling it leaves the file as it was.
TEST_F(HelpWindowTest, AnsweringNoReturnsToTheSaveDialogWithTheNameKept)
{
    window->setReplaceQuestion(nullptr); // the real question
    writeFile(dir.filePath("notas.txt"), "mis notas");
    QStringList seen;
    whenShown<QFileDialog>([&](QFileDialog* dialog) {
        dialog->setDirectory(dir.path());
        dialog->selectNameFilter("Texto plano (*.txt)");
        QTest::keyClicks(dialog->focusWidget(), "notas");
        whenShown<QMessageBox>([&](QMessageBox* box) {
            seen << box->text();
            whenShown<QFileDialog>([&](QFileDialog* again) {
                seen << again->selectedFiles().value(0) << again->selectedNameFilter();
                if (auto* name = qobject_cast<QLineEdit*>(again->focusWidget()))
                    seen << name->text();
                again->reject();
            });
            for (QAbstractButton* b : box->buttons())
                if (box->buttonRole(b) == QMessageBox::NoRole)
                    QTest::mouseClick(b, Qt::LeftButton);
        });
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
    });
    action("saveAction")->trigger();
    EXPECT_EQ(seen, (QStringList{QString("El archivo %1 ya existe.\n¿Desea reemplazarlo?").arg(dir.filePath("notas.txt")),
                                 dir.filePath("notas"), "Texto plano (*.txt)", "notas"}));
    EXPECT_EQ(readFile(dir.filePath("notas.txt")), "mis notas");
    EXPECT_TRUE(g_messages.empty());
}

// Both "ayuda3" and "ayuda3.rtf" exist and "ayuda3" is typed: one question,
// about the file that is written, in the window's own words.
TEST_F(HelpWindowTest, SavingOverANameWithAndWithoutItsExtensionAsksOnce)
{
    window->setReplaceQuestion(nullptr); // the real question
    writeFile(dir.filePath("ayuda3"), "sin extensión");
    writeFile(dir.filePath("ayuda3.rtf"), "antiguo");

    // Every question shown is answered "Sí".
    QStringList questionsShown;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        questionsShown << box->text();
        for (QAbstractButton* b : box->buttons())
            if (box->buttonRole(b) == QMessageBox::YesRole || box->standardButton(b) == QMessageBox::Yes) {
                b->click();
                return;
            }
        box->reject();
    });
    answer.start(5);
    whenShown<QFileDialog>([&](QFileDialog* dialog) {
        dialog->setDirectory(dir.path());
        QTest::keyClicks(dialog->focusWidget(), "ayuda3");
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
    });
    action("saveAction")->trigger();
    answer.stop();

    EXPECT_EQ(questionsShown,
              QStringList{QString("El archivo %1 ya existe.\n¿Desea reemplazarlo?").arg(dir.filePath("ayuda3.rtf"))});
    EXPECT_EQ(readFile(dir.filePath("ayuda3")), "sin extensión");
    EXPECT_TRUE(readFile(dir.filePath("ayuda3.rtf")).startsWith("{\\rtf1"));
    EXPECT_TRUE(g_messages.empty());
}
