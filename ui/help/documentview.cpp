#include "documentview.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPageLayout>
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

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>
#include <stdexcept>

#include "rtfdocument.h"
#include "rtfwriter.h"

namespace {

// The least margin of a printed page, in millimetres.
constexpr double kLeastPrintMargin = 20;

// Draws the marker of a list paragraph, in document coordinates, in the
// colour of the paragraph's text (`text` where it has none).
void drawListMarker(QPainter& painter, const QTextDocument& document, const QTextBlock& block, const QColor& text)
{
    const QTextLayout* lines = block.layout();
    // The marker in the font and colour of the paragraph's first run,
    // without its emphasis.
    QTextCharFormat format = block.begin().atEnd() ? block.charFormat() : block.begin().fragment().charFormat();
    QFont font = document.defaultFont();
    font = format.font().resolve(font);
    font.setBold(false);
    font.setItalic(false);
    font.setUnderline(false);
    // Laid out for the document's device, as its text is.
    QTextLayout marker(rtf::listMarker(block), font, document.documentLayout()->paintDevice());
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

bool hasMarker(const QTextBlock& block)
{
    return block.textList() && block.layout() && block.layout()->lineCount() > 0;
}

// Draws the markers of the list paragraphs that meet the clip rectangle.
void drawListMarkers(QPainter& painter, const QTextDocument& document, const QRectF& clip, const QColor& text)
{
    const QAbstractTextDocumentLayout* layout = document.documentLayout();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (!hasMarker(block))
            continue;
        const QRectF bounds = layout->blockBoundingRect(block);
        if (bounds.bottom() < clip.top() || bounds.top() > clip.bottom())
            continue;
        drawListMarker(painter, document, block, text);
    }
}

// One printed page: where it begins in the laid-out document, and its lines.
struct PrintedPage {
    double top = 0;
    std::vector<std::pair<QTextBlock, int>> lines; // a paragraph and the number of one of its lines
};

// The document's lines shared out among pages of a height, in order, each
// line whole on one page: a line that would cross the foot of a page begins
// the next one. A line higher than a page has one to itself.
std::vector<PrintedPage> paginate(const QTextDocument& document, double height)
{
    std::vector<PrintedPage> pages(1);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextLayout* lines = block.layout();
        if (!lines)
            continue;
        for (int i = 0; i < lines->lineCount(); ++i) {
            const QTextLine line = lines->lineAt(i);
            const double top = lines->position().y() + line.y();
            const double bottom = top + line.height();
            if (bottom > pages.back().top + height && !pages.back().lines.empty())
                pages.push_back({top, {}});
            pages.back().lines.emplace_back(block, i);
        }
    }
    return pages;
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

    // Margins of at least 20 mm on every side, or the printer's own if wider.
    printer.setFullPage(false);
    QMarginsF margins = printer.pageLayout().margins(QPageLayout::Millimeter);
    const double least = kLeastPrintMargin;
    margins = QMarginsF(std::max(margins.left(), least), std::max(margins.top(), least),
                        std::max(margins.right(), least), std::max(margins.bottom(), least));
    printer.setPageMargins(margins, QPageLayout::Millimeter);

    // The document laid out page by page over the area within the margins,
    // above a line for the page number, in the screen's units and scaled to
    // the printer, each line whole on one page.
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
    // 9 points, in the screen's pixels as the document's text.
    QFont numberFont = copy->defaultFont();
    numberFont.setPixelSize(static_cast<int>(std::lround(9 * screenDpiY / 72)));
    const QFontMetricsF numberMetrics(numberFont, copy->documentLayout()->paintDevice());
    const double footHeight = 2 * numberMetrics.height();
    const QSizeF body(page.width(), page.height() - footHeight);
    if (page.isEmpty() || body.height() <= 0)
        throw std::runtime_error("La impresora seleccionada no es válida");
    copy->setTextWidth(body.width());
    // A long document is laid out a part at a time, the rest later; every
    // line must be there before the pages are made.
    copy->documentLayout()->documentSize();
    const std::vector<PrintedPage> pages = paginate(*copy, body.height());
    const int pageCount = static_cast<int>(pages.size());

    QPainter painter;
    if (!painter.begin(&printer))
        throw std::runtime_error("No se puede imprimir el documento");
    painter.scale(printerWidth / page.width(), printerHeight / page.height());
    int first = 1;
    int last = pageCount;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = std::max(first, printer.fromPage());
        last = std::min(last, printer.toPage() > 0 ? printer.toPage() : last);
    }
    for (int p = first; p <= last; ++p) {
        if (p > first && !printer.newPage())
            throw std::runtime_error("No se puede imprimir el documento");
        // Only the page's own lines are drawn: a clip would hide the others
        // from sight, but not from the text of a PDF file.
        const PrintedPage& printed = pages[static_cast<std::size_t>(p - 1)];
        painter.save();
        painter.translate(0, -printed.top);
        painter.setPen(Qt::black);
        for (const auto& [block, number] : printed.lines) {
            block.layout()->lineAt(number).draw(&painter, block.layout()->position());
            if (number == 0 && hasMarker(block))
                drawListMarker(painter, *copy, block, Qt::black);
        }
        painter.restore();
        // The page number, centred at the foot of the page.
        painter.save();
        painter.setFont(numberFont);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(0, page.height() - numberMetrics.height(), page.width(), numberMetrics.height()),
                         Qt::AlignHCenter | Qt::AlignBottom, QStringLiteral("Página %1 de %2").arg(p).arg(pageCount));
        painter.restore();
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        throw std::runtime_error("No se puede imprimir el documento");
}
