#include "comparisonprint.h"

#include <QDate>
#include <QFileInfo>
#include <QLocale>
#include <QPageLayout>
#include <QPdfWriter>
#include <QSaveFile>
#include <array>
#include <qcustomplot.h>

#include "comparisonchart.h"
#include "comparisontable.h"

namespace compare {

namespace {

// The chart is drawn at this size in its own pixels, then scaled to its box.
inline constexpr int kChartWidth = 960;
inline constexpr int kChartHeight = 400;

// The table's column widths in millimetres: code, name, kind, the twelve
// years, largest, its year, change; 259 mm in all, within 267.
inline constexpr std::array<double, ComparisonTable::kColumns> kColumnMillimetres = {
    17, 40, 22, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 14, 9, 13};

QString printedDate()
{
    return QStringLiteral("Impreso el %1").arg(QLocale(QLocale::Spanish, QLocale::Spain).toString(QDate::currentDate(), QStringLiteral("d 'de' MMMM 'de' yyyy")));
}

} // namespace

bool paintComparison(QPagedPaintDevice& device, ComparisonChart& chart, const std::vector<ComparedUnit>& units)
{
    QCPPainter painter;
    if (!painter.begin(&device))
        return false;
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    const double mm = device.logicalDpiX() / 25.4;
    const QRectF page(QPointF(0, 0), QSizeF(device.width(), device.height()));
    double y = 0;

    QFont title(QStringLiteral("Liberation Serif"));
    title.setPointSizeF(15);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(Qt::black);
    const double titleHeight = painter.fontMetrics().height();
    painter.drawText(QRectF(0, y, page.width(), titleHeight), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Comparación de unidades de población"));
    y += titleHeight;

    QFont text(QStringLiteral("Liberation Sans"));
    text.setPointSizeF(8.5);
    painter.setFont(text);
    const double line = painter.fontMetrics().height();
    QString measure = chart.yAxis->label();
    if (chart.yAxis->scaleType() == QCPAxis::stLogarithmic)
        measure += QStringLiteral(", escala logarítmica");
    painter.drawText(QRectF(0, y, page.width(), line), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Mostrar: %1").arg(measure));
    painter.drawText(QRectF(0, y, page.width(), line), Qt::AlignRight | Qt::AlignVCenter, printedDate());
    y += line + 2 * mm;

    // The chart, as vectors, scaled to the page's width.
    const double chartHeight = page.width() * kChartHeight / kChartWidth * 0.92;
    painter.save();
    painter.translate(0, y);
    painter.scale(page.width() / kChartWidth, chartHeight / kChartHeight);
    chart.toPainter(&painter, kChartWidth, kChartHeight);
    painter.restore();
    y += chartHeight + 1.5 * mm;

    painter.setFont(text);
    painter.setPen(Qt::black);
    if (!chart.notice().isEmpty()) {
        painter.drawText(QRectF(0, y, page.width(), line), Qt::AlignLeft | Qt::AlignVCenter, chart.notice());
        y += line;
    }
    y += 1.5 * mm;

    // The table, one line per unit under a header.
    QFont cell(QStringLiteral("Liberation Sans"));
    cell.setPointSizeF(6.5);
    QFont header = cell;
    header.setBold(true);
    const double rowHeight = QFontMetricsF(cell, &device).height() * 1.45;
    auto drawRow = [&](const QStringList& texts, const QFont& font) {
        painter.setFont(font);
        double x = 0;
        for (int column = 0; column < ComparisonTable::kColumns; ++column) {
            const double width = kColumnMillimetres[static_cast<std::size_t>(column)] * mm;
            const QRectF box(x + 0.8 * mm, y, width - 1.6 * mm, rowHeight);
            const Qt::Alignment align = column >= ComparisonTable::kFirstYearColumn
                    && column != ComparisonTable::kLargestYearColumn
                ? Qt::AlignRight
                : Qt::AlignLeft;
            painter.drawText(box, align | Qt::AlignVCenter,
                             painter.fontMetrics().elidedText(texts.value(column), Qt::ElideRight,
                                                              static_cast<int>(box.width())));
            x += width;
        }
        y += rowHeight;
        painter.setPen(QPen(QColor(160, 160, 160), 0.2 * mm));
        painter.drawLine(QPointF(0, y), QPointF(x, y));
        painter.setPen(Qt::black);
    };
    drawRow(ComparisonTable::headerTexts(), header);
    for (const ComparedUnit& unit : units)
        drawRow(ComparisonTable::rowTexts(unit), cell);

    painter.setFont(text);
    const QRectF foot(0, page.height() - line, page.width(), line);
    painter.drawText(foot, Qt::AlignLeft | Qt::AlignVCenter, kSourceLine);
    painter.end();
    return true;
}

std::optional<QString> writeComparisonPdf(const QString& fileName, ComparisonChart& chart,
                                          const std::vector<ComparedUnit>& units)
{
    auto cannotWrite = [&](const QString& why) {
        return QStringLiteral("No se ha podido exportar la comparación a «%1»: %2").arg(fileName, why);
    };
    if (QFileInfo(fileName).isDir())
        return cannotWrite(QStringLiteral("es una carpeta"));
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return cannotWrite(file.errorString());
    bool painted = false;
    {
        QPdfWriter writer(&file);
        writer.setCreator(QStringLiteral("POBLACION"));
        writer.setTitle(QStringLiteral("Comparación de unidades de población"));
        writer.setResolution(600);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                         QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
        painted = paintComparison(writer, chart, units);
    }
    if (!painted || file.error() != QFileDevice::NoError) {
        const QString why = file.error() != QFileDevice::NoError ? file.errorString()
                                                                 : QStringLiteral("no se ha podido dibujar la página");
        file.cancelWriting();
        return cannotWrite(why);
    }
    if (!file.commit())
        return cannotWrite(file.errorString());
    return std::nullopt;
}

} // namespace compare
