// The help window as a user meets it: keys, mouse, colours, Spanish dialogs,
// bullets on screen and saving by Enter over an existing document.
#include "tform2.h"

#include "report.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

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

struct HelpKeys : ::testing::Test {
    void SetUp() override
    {
        ui::installSpanishTranslations();
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }
    QTextBlock bullet() const
    {
        QTextBlock b = form.RichEdit1->document()->begin();
        while (!b.text().startsWith("Municipio: entidad"))
            b = b.next();
        return b;
    }
    // The first line of a paragraph in the view's coordinates.
    QRect firstLine(const QTextBlock& b) const
    {
        const QRectF line = b.layout()->lineAt(0).rect().translated(b.layout()->position());
        return line.toRect().translated(0, -form.RichEdit1->verticalScrollBar()->value());
    }
    TForm2 form;
};

} // namespace

TEST_F(HelpKeys, EscapeRightClickFocusAndFont)
{
    QTest::keyClick(form.windowHandle(), Qt::Key_Escape);
    EXPECT_TRUE(form.isVisible()); // only "Salir" and the close box close it

    // No menu of the view's own on a right click.
    bool menu = false;
    QTimer::singleShot(100, [&] {
        if (QWidget* popup = QApplication::activePopupWidget())
            menu = popup->close();
    });
    const QPoint inView = form.RichEdit1->viewport()->mapTo(&form, QPoint(50, 50));
    QTest::mouseClick(form.windowHandle(), Qt::RightButton, Qt::NoModifier, inView);
    QTest::qWait(150);
    EXPECT_FALSE(menu);

    // The window font of the layout, also in the menu bar.
    for (QWidget* w : {static_cast<QWidget*>(&form), static_cast<QWidget*>(form.MainMenu1)}) {
        EXPECT_EQ(w->font().pixelSize(), 11);
        EXPECT_TRUE(w->font().families().contains("MS Sans Serif"));
    }

    // The selected, coloured title looks the same when the window loses the focus.
    form.RichEdit1->selectAll();
    const QImage active = form.RichEdit1->viewport()->grab().toImage();
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_EQ(form.RichEdit1->viewport()->grab().toImage(), active);
}

// The bullets stand at 10 points like the first lines of the other
// paragraphs, the text after them at the hanging indent.
TEST_F(HelpKeys, BulletsOnScreenAndTripleClickCopy)
{
    form.resize(587, 2000);
    QApplication::processEvents();
    const QRect line = firstLine(bullet());
    const QImage shot = form.RichEdit1->viewport()->grab().toImage();
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
    QTest::mouseDClick(form.RichEdit1->viewport(), Qt::LeftButton, Qt::NoModifier, line.center());
    QTest::mouseClick(form.RichEdit1->viewport(), Qt::LeftButton, Qt::NoModifier, line.center());
    ASSERT_EQ(form.RichEdit1->textCursor().selectionEnd(), bullet().next().position());
    form.Copiar1->trigger();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    EXPECT_EQ(data->text(), "• Municipio: entidad local básica de la organización territorial, con término municipal y "
                            "ayuntamiento propios. El catálogo recoge los municipios actuales de Aragón; sus cifras "
                            "son las de su término actual en cada censo, de modo que incluyen la población de los "
                            "municipios históricos que hoy forman parte de él.\n");
    EXPECT_EQ(data->data("text/rtf").count("\\pntext"), 1);
    EXPECT_TRUE(data->data("text/rtf").endsWith("\\'e9l.}\\par\n}\n"));
}

// The name of an existing document without its extension, and Enter held a
// moment: the question waits for the answer, in a dialog that speaks Spanish.
TEST_F(HelpKeys, SavingByEnterOverAnExistingDocument)
{
    QTemporaryDir dir;
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
    form.Guardar1->trigger();
    QDir::setCurrent(old);
    std::sort(dialogButtons.begin() + 4, dialogButtons.end());
    EXPECT_EQ(dialogButtons, (QStringList{"Guardar como...", "Texto enriquecido (*.rtf)", "Texto enriquecido (*.rtf)",
                                          "Texto plano (*.txt)", "Cancelar", "Guardar"}));
    EXPECT_EQ(question, (QStringList{QString("El archivo %1 ya existe.\n¿Desea reemplazarlo?").arg(dir.filePath("ayuda.rtf")),
                                     "Sí", "No"}));
    ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
    EXPECT_TRUE(existing.readAll().startsWith("{\\rtf1")); // replaced by the document
}
