#include "documentview.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QPrinter>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QTextLayout>

#include <memory>
#include <stdexcept>

#include "rtfdocument.h"
#include "rtfwriter.h"

namespace {

// Draws the markers of the list paragraphs that meet the clip rectangle, in
// document coordinates, in the colour of the paragraph's text (`text` where
// it has none).
void drawListMarkers(QPainter& painter, const QTextDocument& document, const QRectF& clip, const QColor& text)
{
    const QAbstractTextDocumentLayout* layout = document.documentLayout();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextLayout* lines = block.layout();
        if (!block.textList() || !lines || lines->lineCount() == 0)
            continue;
        const QRectF bounds = layout->blockBoundingRect(block);
        if (bounds.bottom() < clip.top() || bounds.top() > clip.bottom())
            continue;
        // The marker in the font and colour of the paragraph's first run,
        // without its emphasis.
        QTextCharFormat format = block.begin().atEnd() ? block.charFormat() : block.begin().fragment().charFormat();
        QFont font = document.defaultFont();
        font = format.font().resolve(font);
        font.setBold(false);
        font.setItalic(false);
        font.setUnderline(false);
        // Laid out for the document's device, as its text is.
        QTextLayout marker(rtf::listMarker(block), font, layout->paintDevice());
        marker.beginLayout();
        const QTextLine markerLine = marker.createLine();
        marker.endLayout();
        const QTextLine first = lines->lineAt(0);
        const double indent = block.blockFormat().doubleProperty(rtf::kListMarkerIndent);
        const QPointF at = lines->position()
                           + QPointF(first.x() + indent, first.y() + first.ascent() - markerLine.ascent());
        painter.save();
        painter.setPen(format.foreground().style() != Qt::NoBrush ? format.foreground().color() : text);
        marker.draw(&painter, at);
        painter.restore();
    }
}

} // namespace

DocumentView::DocumentView(QWidget* parent) : QTextEdit(parent)
{
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QTextEdit::WidgetWidth);
    document()->setUndoRedoEnabled(false);
    // The view offers no menu of its own: the window's menu does the copying.
    setContextMenuPolicy(Qt::NoContextMenu);
    // A selection looks the same whether or not the window is active: text
    // keeps the selection's colours instead of turning to the plain text colour.
    QPalette colours = palette();
    for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
        colours.setBrush(QPalette::Inactive, role, colours.brush(QPalette::Active, role));
    setPalette(colours);
}

// Copies, also by keyboard and drag, as rich text, plain text and HTML.
QMimeData* DocumentView::createMimeDataFromSelection() const
{
    const QTextCursor selection = textCursor();
    auto* copied = new QMimeData;
    const QByteArray rtfText = rtf::write(selection);
    copied->setData(QStringLiteral("text/rtf"), rtfText);
    copied->setData(QStringLiteral("application/rtf"), rtfText);
    copied->setHtml(selection.selection().toHtml());
    copied->setText(rtf::plainText(selection));
    return copied;
}

void DocumentView::paintEvent(QPaintEvent* event)
{
    QTextEdit::paintEvent(event);
    QPainter painter(viewport());
    const QPointF scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
    painter.translate(-scroll);
    drawListMarkers(painter, *document(), QRectF(event->rect()).translated(scroll), palette().color(QPalette::Text));
}

void DocumentView::print(QPrinter& printer) const
{
    if (!printer.isValid())
        throw std::runtime_error("La impresora seleccionada no es válida");
    printer.setDocName(QStringLiteral("Ayuda"));

    // The document laid out page by page over the printable area, in the
    // screen's units and scaled to the printer.
    const std::unique_ptr<QTextDocument> copy(document()->clone());
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
        drawListMarkers(painter, *copy, view, Qt::black);
        painter.restore();
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        throw std::runtime_error("No se puede imprimir el documento");
}
