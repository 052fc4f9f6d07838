#include "chartsaving.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPageSize>
#include <QPdfWriter>
#include <QPixmap>
#include <QPushButton>
#include <QSaveFile>
#include <QSvgGenerator>
#include <qcustomplot.h>

#include "messages.h"
#include "modaldialog.h"

namespace charts {

namespace {

SaveDialogs& dialogs()
{
    static SaveDialogs installed;
    return installed;
}

QString extensionOf(ChartFormat format)
{
    switch (format) {
    case ChartFormat::Png: return QStringLiteral("png");
    case ChartFormat::Svg: return QStringLiteral("svg");
    case ChartFormat::Pdf: return QStringLiteral("pdf");
    }
    return {};
}

QString cannotWrite(const QString& fileName, const QString& why)
{
    return QStringLiteral("No se ha podido guardar el gráfico en «%1»: %2").arg(fileName, why);
}

// The vector painter of a chart: no cached pixmaps, lines as lines.
void paintVectors(QCustomPlot& plot, QPaintDevice& device, QSize size)
{
    QCPPainter painter;
    painter.begin(&device);
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    plot.toPainter(&painter, size.width(), size.height());
    painter.end();
}

// A name the file system takes: the unit's title without the characters
// that separate folders or that other systems refuse.
QString fileNameFrom(const QString& title)
{
    QString name = title.trimmed();
    for (QChar& c : name)
        if (QStringLiteral("/\\:*?\"<>|").contains(c))
            c = u'_';
    return name.isEmpty() ? QStringLiteral("grafico") : name;
}

std::optional<std::pair<QString, QString>> askFileName(QWidget* parent, const QString& suggestedName)
{
    QFileDialog dialog(parent, QStringLiteral("Guardar gráfico"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({kPngFilter, kSvgFilter, kPdfFilter});
    dialog.selectFile(fileNameFrom(suggestedName) + QStringLiteral(".png"));
    // The extension may still be added: the question about replacing is
    // asked about the file that is written.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (ui::execModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return std::pair{dialog.selectedFiles().front(), dialog.selectedNameFilter()};
}


} // namespace

SaveTarget saveTarget(const QString& chosenName, const QString& chosenFilter)
{
    const QString suffix = QFileInfo(chosenName).suffix().toLower();
    for (ChartFormat format : {ChartFormat::Png, ChartFormat::Svg, ChartFormat::Pdf})
        if (suffix == extensionOf(format))
            return {chosenName, format};
    ChartFormat format = ChartFormat::Png;
    if (chosenFilter == kSvgFilter)
        format = ChartFormat::Svg;
    else if (chosenFilter == kPdfFilter)
        format = ChartFormat::Pdf;
    QString name = chosenName;
    if (!name.endsWith(u'.'))
        name += u'.';
    return {name + extensionOf(format), format};
}

std::optional<QString> writeChart(QCustomPlot& plot, const QString& fileName, ChartFormat format, QSize size)
{
    if (size.isEmpty())
        size = plot.size();
    if (size.isEmpty())
        return cannotWrite(fileName, QStringLiteral("el gráfico no tiene tamaño"));
    if (QFileInfo(fileName).isDir())
        return cannotWrite(fileName, QStringLiteral("es una carpeta"));
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return cannotWrite(fileName, file.errorString());
    bool written = false;
    switch (format) {
    case ChartFormat::Png: {
        const QPixmap image = plot.toPixmap(size.width(), size.height(), 2.0);
        written = !image.isNull() && image.save(&file, "PNG");
        break;
    }
    case ChartFormat::Svg: {
        QSvgGenerator generator;
        generator.setOutputDevice(&file);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(0, 0), size));
        generator.setTitle(QStringLiteral("Gráfico de población"));
        paintVectors(plot, generator, size);
        written = file.error() == QFileDevice::NoError;
        break;
    }
    case ChartFormat::Pdf: {
        QPdfWriter writer(&file);
        writer.setCreator(QStringLiteral("POBLACION"));
        writer.setTitle(QStringLiteral("Gráfico de población"));
        writer.setResolution(72);
        writer.setPageSize(QPageSize(QSizeF(size), QPageSize::Point, QString(), QPageSize::ExactMatch));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        paintVectors(plot, writer, size);
        written = file.error() == QFileDevice::NoError;
        break;
    }
    }
    if (!written) {
        const QString why = file.error() != QFileDevice::NoError ? file.errorString()
                                                                 : QStringLiteral("no se ha podido dibujar");
        file.cancelWriting();
        return cannotWrite(fileName, why);
    }
    if (!file.commit())
        return cannotWrite(fileName, file.errorString());
    return std::nullopt;
}

void setSaveDialogs(SaveDialogs replacement) { dialogs() = std::move(replacement); }

void saveChart(QCustomPlot& plot, QWidget* parent, const QString& suggestedName)
{
    const SaveDialogs& installed = dialogs();
    SaveTarget target;
    for (;;) {
        const auto choice = installed.chooseFile ? installed.chooseFile(parent, suggestedName)
                                                 : askFileName(parent, suggestedName);
        if (!choice || choice->first.isEmpty())
            return;
        target = saveTarget(choice->first, choice->second);
        const QFileInfo existing(target.fileName);
        if (!existing.exists() || existing.isDir()
            || (installed.confirmReplace ? installed.confirmReplace(parent, target.fileName)
                                         : ui::askReplace(parent, target.fileName)))
            break;
    }
    if (const std::optional<QString> error = writeChart(plot, target.fileName, target.format))
        ui::showErrorReport(parent, *error);
}

} // namespace charts
