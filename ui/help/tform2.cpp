#include "tform2.h"

#include "frame.h"
#include "report.h"
#include "rtfreader.h"
#include "rtfwriter.h"
#include "text.h"

#include <QAbstractTextDocumentLayout>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QMoveEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QVBoxLayout>

#include <memory>
#include <stdexcept>

namespace {

const QString kRtfFilter = QStringLiteral("Texto enriquecido (*.rtf)");
const QString kTextFilter = QStringLiteral("Texto plano (*.txt)");

// The window's outer size, frame included.
const QSize kOuterSize(587, 526);

// The start indent of every paragraph of the help text: 10 points.
constexpr double kStartIndent = 200.0 / rtf::kTwipsPerPixel;

// The mime data of a selection: rich text, plain text and HTML.
QMimeData* mimeDataOf(const QTextCursor& selection)
{
    auto* data = new QMimeData;
    const QByteArray rtfText = rtf::write(selection);
    data->setData(QStringLiteral("text/rtf"), rtfText);
    data->setData(QStringLiteral("application/rtf"), rtfText);
    data->setHtml(selection.selection().toHtml());
    data->setText(rtf::plainText(selection));
    return data;
}

// The rich-text view: copies (also by keyboard and drag) in our formats.
class RichEdit : public QTextEdit {
public:
    using QTextEdit::QTextEdit;

protected:
    QMimeData* createMimeDataFromSelection() const override { return mimeDataOf(textCursor()); }

    void paintEvent(QPaintEvent* event) override
    {
        QTextEdit::paintEvent(event);
        QPainter painter(viewport());
        const QPointF scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
        painter.translate(-scroll);
        rtf::drawListMarkers(painter, *document(), QRectF(event->rect()).translated(scroll),
                             palette().color(QPalette::Text));
    }
};

std::runtime_error cannotCreate(const QString& fileName)
{
    return std::runtime_error(QStringLiteral("No se puede crear el archivo %1").arg(fileName).toStdString());
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

} // namespace

namespace help {

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

QString savedFileName(const QString& fileName, int filterIndex)
{
    const QString ext = extensionOf(fileName);
    if (filterIndex == 1 && ext != QLatin1String(".RTF"))
        return fileName + QStringLiteral(".rtf");
    if (filterIndex == 2 && ext != QLatin1String(".TXT"))
        return fileName + QStringLiteral(".txt");
    return fileName;
}

} // namespace help

TForm2::TForm2(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("AYUDA"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);
    // The window font of the layout; the metric-compatible Liberation face
    // stands in where "MS Sans Serif" is missing.
    QFont font(QStringList{QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans")});
    font.setPixelSize(11);
    setFont(font);
    resize(kOuterSize);

    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    QMenu* acciones = MainMenu1->addMenu(QStringLiteral("Acciones"));
    acciones->setObjectName(QStringLiteral("Acciones1Menu"));
    Acciones1 = acciones->menuAction();
    Acciones1->setObjectName(QStringLiteral("Acciones1"));
    Copiar1 = acciones->addAction(QStringLiteral("Copiar"));
    Copiar1->setObjectName(QStringLiteral("Copiar1"));
    Copiar1->setShortcut(QKeySequence::Copy);
    Marcartodoycopiar1 = acciones->addAction(QStringLiteral("Marcar todo y copiar"));
    Marcartodoycopiar1->setObjectName(QStringLiteral("Marcartodoycopiar1"));
    Imprimir1 = acciones->addAction(QStringLiteral("Imprimir"));
    Imprimir1->setObjectName(QStringLiteral("Imprimir1"));
    Imprimir1->setShortcut(QKeySequence::Print);
    Guardar1 = acciones->addAction(QStringLiteral("Guardar"));
    Guardar1->setObjectName(QStringLiteral("Guardar1"));
    Guardar1->setShortcut(QKeySequence::Save);
    N1 = acciones->addSeparator();
    N1->setObjectName(QStringLiteral("N1"));
    Salir2 = acciones->addAction(QStringLiteral("Salir"));
    Salir2->setObjectName(QStringLiteral("Salir2"));
    Salir1 = MainMenu1->addAction(QStringLiteral("Salir"));
    Salir1->setObjectName(QStringLiteral("Salir1"));

    RichEdit1 = new RichEdit(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setReadOnly(true);
    RichEdit1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    RichEdit1->setLineWrapMode(QTextEdit::WidgetWidth);
    RichEdit1->document()->setUndoRedoEnabled(false);
    RichEdit1->setPlainText(QStringLiteral("RichEdit1"));
    // The view offers no menu of its own: the window's menu does the copying.
    RichEdit1->setContextMenuPolicy(Qt::NoContextMenu);
    // A selection looks the same whether or not the window is active: text
    // keeps the selection's colours instead of turning to the plain text colour.
    QPalette pal = RichEdit1->palette();
    for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
        pal.setBrush(QPalette::Inactive, role, pal.brush(QPalette::Active, role));
    RichEdit1->setPalette(pal);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(MainMenu1);
    layout->addWidget(RichEdit1);

    const auto handler = [this](void (TForm2::*h)()) { return [this, h] { ui::guarded(this, [this, h] { (this->*h)(); }); }; };
    connect(Copiar1, &QAction::triggered, this, handler(&TForm2::Copiar1Click));
    connect(Marcartodoycopiar1, &QAction::triggered, this, handler(&TForm2::Marcartodoycopiar1Click));
    connect(Imprimir1, &QAction::triggered, this, handler(&TForm2::Imprimir1Click));
    connect(Guardar1, &QAction::triggered, this, handler(&TForm2::Guardar1Click));
    connect(Salir2, &QAction::triggered, this, handler(&TForm2::Salir1Click));
    connect(Salir1, &QAction::triggered, this, handler(&TForm2::Salir1Click));
    help::nameControls(*this);
}

void TForm2::keyPressEvent(QKeyEvent* event)
{
    // Only the two "Salir" entries and the close box close the window.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TForm2::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    if (!m_sized) {
        // 587 x 526 is the outer size, frame included, where the frame is known.
        m_sized = true;
        resize(kOuterSize.shrunkBy(ui::windowFrame(this)));
    }
    ui::guarded(this, [this] { FormShow(); });
}

void TForm2::moveEvent(QMoveEvent* event)
{
    QDialog::moveEvent(event);
    // A window manager that tells the frame only once the window is shown:
    // the outer size is set again, that once, unless the user resized it.
    if (event->spontaneous() && !m_frameSized && frameGeometry().size() != geometry().size()) {
        m_frameSized = true;
        if (frameGeometry().size() != kOuterSize && size() == kOuterSize)
            resize(kOuterSize.shrunkBy(ui::windowFrame(this)));
    }
}

void TForm2::FormShow()
{
    QTextDocument* doc = RichEdit1->document();
    rtf::loadFile(documentPath, *doc);

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

    RichEdit1->setTextCursor(QTextCursor(doc));
    RichEdit1->verticalScrollBar()->setValue(0);
    RichEdit1->horizontalScrollBar()->setValue(0);
}

void TForm2::Copiar1Click() { RichEdit1->copy(); }

void TForm2::Marcartodoycopiar1Click()
{
    RichEdit1->selectAll();
    RichEdit1->copy();
}

void TForm2::Imprimir1Click()
{
    QPrinter printer(QPrinter::HighResolution);
    if (printDialog) {
        if (!printDialog(printer))
            return;
    } else {
        QPrintDialog dialog(&printer, this);
        if (ui::execModal(dialog) != QDialog::Accepted)
            return;
    }
    Imprimir1->setEnabled(false);
    struct Enable {
        QAction* action;
        ~Enable() { action->setEnabled(true); }
    } enable{Imprimir1};
    printDocument(printer);
}

void TForm2::printDocument(QPrinter& printer)
{
    if (!printer.isValid())
        throw std::runtime_error("La impresora seleccionada no es válida");
    printer.setDocName(QStringLiteral("Ayuda"));

    // The document laid out page by page over the printable area, in the
    // screen's units and scaled to the printer.
    const std::unique_ptr<QTextDocument> copy(RichEdit1->document()->clone());
    copy->setDocumentMargin(0);
    double screenDpiX = 96, screenDpiY = 96;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        screenDpiX = screen->logicalDotsPerInchX();
        screenDpiY = screen->logicalDotsPerInchY();
    }
    const double printerWidth = printer.width();
    const double printerHeight = printer.height();
    const QSizeF page(printerWidth * screenDpiX / printer.logicalDpiX(),
                      printerHeight * screenDpiY / printer.logicalDpiY());
    if (page.isEmpty())
        throw std::runtime_error("La impresora seleccionada no es válida");
    copy->setPageSize(page);

    QPainter painter;
    if (!painter.begin(&printer))
        throw std::runtime_error("No se puede imprimir el documento");
    painter.scale(printerWidth / page.width(), printerHeight / page.height());
    int first = 1;
    int last = copy->pageCount();
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = std::max(first, printer.fromPage());
        last = std::min(last, printer.toPage() > 0 ? printer.toPage() : last);
    }
    for (int p = first; p <= last; ++p) {
        if (p > first && !printer.newPage())
            throw std::runtime_error("No se puede imprimir el documento");
        painter.save();
        const QRectF view(0, (p - 1) * page.height(), page.width(), page.height());
        painter.translate(0, -view.top());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = view;
        context.palette.setColor(QPalette::Text, Qt::black);
        painter.setClipRect(view);
        copy->documentLayout()->draw(&painter, context);
        rtf::drawListMarkers(painter, *copy, view, Qt::black);
        painter.restore();
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        throw std::runtime_error("No se puede imprimir el documento");
}

void TForm2::Guardar1Click()
{
    std::optional<SaveChoice> choice;
    if (saveDialog) {
        choice = saveDialog();
    } else {
        QFileDialog dialog(this, QStringLiteral("Guardar como..."));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilters({kRtfFilter, kTextFilter});
        dialog.selectNameFilter(kRtfFilter);
        if (ui::execModal(dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            choice = SaveChoice{dialog.selectedFiles().front(), dialog.selectedNameFilter() == kTextFilter ? 2 : 1};
    }
    if (!choice || choice->fileName.isEmpty())
        return;

    const QString fileName = help::savedFileName(choice->fileName, choice->filterIndex);
    // The dialog asked about replacing the name it returned; a name changed
    // here has not been asked about yet.
    if (fileName != choice->fileName && QFileInfo::exists(fileName)) {
        const bool replace = replaceQuestion ? replaceQuestion(fileName) : askReplace(this, fileName);
        if (!replace)
            return;
    }

    const QByteArray content = choice->filterIndex == 2
                                   ? QByteArray::fromStdString(ui::toCp1252(rtf::plainText(*RichEdit1->document())))
                                   : rtf::write(*RichEdit1->document());
    // The old file is replaced only once the new one is completely written.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw cannotCreate(fileName);
    if (file.write(content) != content.size() || !file.commit())
        throw cannotCreate(fileName);
}

void TForm2::Salir1Click() { close(); }

void showHelpWindow(QWidget* owner)
{
    const auto form = std::make_unique<TForm2>(owner);
    ui::execModal(*form);
    form->hide();
}
