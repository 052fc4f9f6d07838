#include "unitsheet.h"

#include <QFileDialog>
#include <QLocale>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <qcustomplot.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

#include "census.h"
#include "cp1252.h"
#include "layoutstyle.h"
#include "modaldialog.h"
#include "numbers.h"
#include "populationchart.h"
#include "sources.h"
#include "table.h"
#include "units.h"
#include "wholefile.h"

namespace exportui {

namespace {

// The page is drawn in points (1/72 inch), the fonts sized in them too.
constexpr double kPointsPerInch = 72.0;
constexpr double kMillimetre = kPointsPerInch / 25.4;
const QSizeF kA4(210 * kMillimetre, 297 * kMillimetre);
constexpr double kMargin = 20 * kMillimetre;
constexpr double kChartHeight = 250;

QFont serif(int points, bool bold = false)
{
    QFont font = layout::textFont();
    font.setPixelSize(points);
    font.setBold(bold);
    return font;
}

QString utf8(const std::string& text) { return QString::fromStdString(text); }

Census censusOf(const exporting::UnitRow& row)
{
    Census census;
    for (std::size_t year = 0; year < census.points.size(); ++year) {
        census.points[year].label = QString::fromLatin1(catalogue::kCensusFields[year].data(),
                                                        static_cast<qsizetype>(catalogue::kCensusFields[year].size()));
        census.points[year].value = row.figures[year].value_or(-1);
        census.largest = std::max(census.largest, census.points[year].value);
    }
    return census;
}

// Draws wrapped text from `top` across the content's width; returns where it ends.
double drawParagraph(QPainter& painter, const QFont& font, const QColor& colour, double top, double width,
                     const QString& text)
{
    painter.setFont(font);
    painter.setPen(colour);
    const QRectF area(kMargin, top, width, kA4.height());
    const QRectF used = painter.boundingRect(area, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
    painter.drawText(area, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
    return top + used.height();
}

// The census table as the panel shows it: the years over their figures in
// Spanish form, "-" where there is none.
double drawCensusTable(QPainter& painter, const exporting::UnitRow& row, double top, double width)
{
    const double cell = width / 12;
    const double height = 17;
    // The years' row, then the figures' row, each read left to right.
    for (int year = 0; year < 12; ++year) {
        const QRectF yearCell(kMargin + year * cell, top, cell, height);
        painter.fillRect(yearCell, layout::kCensusYearPink.lighter(115));
        painter.setPen(QPen(layout::kTableFrameGrey, 0.5));
        painter.drawRect(yearCell);
        painter.drawRect(yearCell.translated(0, height));
        painter.setPen(layout::kFigureBlack);
        painter.setFont(serif(9, true));
        const std::string_view label = catalogue::kCensusFields[static_cast<std::size_t>(year)];
        painter.drawText(yearCell, Qt::AlignCenter,
                         QString::fromLatin1(label.data(), static_cast<qsizetype>(label.size())));
    }
    painter.setFont(serif(9));
    for (int year = 0; year < 12; ++year) {
        const QRectF valueCell(kMargin + year * cell, top + height, cell, height);
        const auto figure = row.figures[static_cast<std::size_t>(year)];
        painter.drawText(valueCell, Qt::AlignCenter,
                         figure ? utf8(catalogue::formatInteger(*figure)) : QStringLiteral("-"));
    }
    return top + 2 * height;
}

void drawChart(QCPPainter& painter, const exporting::UnitRow& row, double top, double width)
{
    PopulationChart chart;
    chart.resize(static_cast<int>(width), static_cast<int>(kChartHeight));
    chart.showCensus(censusOf(row));
    // On paper without the window's tint.
    chart.setBackground(QBrush(Qt::white));
    chart.axisRect()->setBackground(QBrush(Qt::white));
    painter.save();
    painter.translate(kMargin, top);
    chart.toPainter(&painter, static_cast<int>(width), static_cast<int>(kChartHeight));
    painter.restore();
}

QString printedLine(const QDate& printed)
{
    return QStringLiteral("Impreso el %1 con Población")
        .arg(QLocale(QLocale::Spanish, QLocale::Spain).toString(printed, QStringLiteral("d 'de' MMMM 'de' yyyy")));
}

} // namespace

UnitSheet unitSheetOf(const exporting::UnitRowBuilder& builder, const catalogue::Table& table, std::size_t record)
{
    UnitSheet sheet;
    sheet.row = builder.row(record);
    sheet.title = utf8(std::string(exporting::kindWord(sheet.row.kind))) + QStringLiteral(": ") + utf8(sheet.row.title);
    const int note = table.fieldIndex("COMENTARIO");
    if (note >= 0)
        sheet.note = utf8(catalogue::cp1252::toUtf8(table.text(record, static_cast<std::size_t>(note))));
    return sheet;
}

QString identityLine(const exporting::UnitRow& row)
{
    QStringList parts;
    if (row.code.empty())
        parts << QStringLiteral("Este catálogo no da su código");
    else
        parts << QStringLiteral("Código ") + utf8(row.code);
    if (!row.municipality.empty())
        parts << QStringLiteral("Municipio: ") + utf8(row.municipality);
    if (row.comarca.empty())
        parts << QStringLiteral("Comarca: este catálogo no la da");
    else if (row.kind == exporting::UnitKind::HistoricalMunicipality)
        parts << QStringLiteral("Comarca de su territorio hoy: ") + utf8(row.comarca);
    else
        parts << QStringLiteral("Comarca: ") + utf8(row.comarca);
    return parts.join(QStringLiteral(" · "));
}

QString sourcesLine(const exporting::UnitRow& row)
{
    QStringList parts;
    const std::vector<exporting::Source> sources = exporting::sourcesOf({&row, 1});
    // The catalogue, last, is named after the sources it adapts.
    for (std::size_t at = 0; at + 1 < sources.size(); ++at) {
        QString attribution = utf8(sources[at].attribution);
        if (attribution.startsWith(QStringLiteral("Fuente: ")))
            attribution.remove(0, 8);
        parts << attribution + QStringLiteral(" (") + utf8(sources[at].shortLicence) + u')';
    }
    return QStringLiteral("Fuentes: ") + parts.join(QStringLiteral("; "))
           + QStringLiteral(". Ficha del catálogo de Población, CC BY-SA 4.0.");
}

void paintUnitSheet(QCPPainter& painter, const UnitSheet& sheet, const QDate& printed)
{
    painter.save();
    const double dpi = painter.device()->logicalDpiX();
    painter.scale(dpi / kPointsPerInch, painter.device()->logicalDpiY() / kPointsPerInch);
    painter.setRenderHint(QPainter::Antialiasing);
    const double width = kA4.width() - 2 * kMargin;

    double y = drawParagraph(painter, serif(16, true), layout::kTextMaroon, kMargin, width, sheet.title);
    y = drawParagraph(painter, serif(10), layout::kFigureBlack, y + 3, width, identityLine(sheet.row));
    y = drawParagraph(painter, serif(11), layout::kFigureBlack, y + 12, width, sheet.note);
    y = drawParagraph(painter, serif(11, true), layout::kTextMaroon, y + 16, width, QStringLiteral("Población por años"));
    y = drawCensusTable(painter, sheet.row, y + 4, width);
    drawChart(painter, sheet.row, y + 14, width);
    y += 14 + kChartHeight;
    drawParagraph(painter, serif(8), layout::kListGrey, y + 14, width, sourcesLine(sheet.row));

    // The date at the foot of the page, within the margin.
    painter.setFont(serif(8));
    painter.setPen(layout::kListGrey);
    painter.drawText(QRectF(kMargin, kA4.height() - kMargin - 12, width, 12), Qt::AlignLeft | Qt::AlignBottom,
                     printedLine(printed));
    painter.restore();
}

bool printUnitSheet(QPrinter& printer, const UnitSheet& sheet, const QDate& printed)
{
    printer.setFullPage(true);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setDocName(sheet.title);
    QCPPainter painter;
    if (!painter.begin(&printer))
        return false;
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    paintUnitSheet(painter, sheet, printed);
    return painter.end();
}

void writeUnitSheetPdf(const QString& fileName, const UnitSheet& sheet, const QDate& printed)
{
    exporting::writeWhole(QFile::encodeName(fileName).toStdString(), [&](const std::string& temporary) {
        QPdfWriter writer(QFile::decodeName(QByteArray::fromStdString(temporary)));
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(1200);
        writer.setTitle(sheet.title);
        writer.setCreator(QStringLiteral("Población"));
        QCPPainter painter;
        if (!painter.begin(&writer))
            return EIO;
        painter.setMode(QCPPainter::pmVectorized);
        painter.setMode(QCPPainter::pmNoCaching);
        paintUnitSheet(painter, sheet, printed);
        return painter.end() ? 0 : EIO;
    });
}

void printUnitSheetWithDialog(QWidget* parent, const UnitSheet& sheet)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Imprimir ficha"));
    if (ui::execModal(dialog) != QDialog::Accepted)
        return;
    if (!printUnitSheet(printer, sheet))
        throw std::runtime_error("No se puede imprimir la ficha: la impresora no responde");
}

QString suggestedFileName(const UnitSheet& sheet)
{
    QString name = utf8(sheet.row.name);
    if (!sheet.row.code.empty())
        name += u' ' + utf8(sheet.row.code);
    for (QChar& c : name)
        if (c == u'/' || c == u'\\' || c == u':' || c == u'*' || c == u'?' || c == u'"' || c == u'<' || c == u'>'
            || c == u'|')
            c = u'_';
    return name + QStringLiteral(".pdf");
}

void exportUnitSheetWithDialog(QWidget* parent, const UnitSheet& sheet)
{
    QFileDialog dialog(parent, QStringLiteral("Exportar ficha a PDF"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("Documento PDF (*.pdf)"));
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    dialog.selectFile(suggestedFileName(sheet));
    if (ui::execModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    writeUnitSheetPdf(dialog.selectedFiles().front(), sheet);
}

} // namespace exportui
