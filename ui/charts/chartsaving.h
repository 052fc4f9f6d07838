#pragma once
// Saving a chart as it is shown: a PNG image, an SVG drawing or a one-page
// PDF document, the last two as vectors. A file is written whole or not at
// all: the old one, if any, is replaced only once the new one is complete.

#include <QSize>
#include <QString>
#include <functional>
#include <optional>

class QCustomPlot;
class QWidget;

namespace charts {

enum class ChartFormat { Png, Svg, Pdf };

// The file dialog's filters, in this order.
inline const QString kPngFilter = QStringLiteral("Imagen PNG (*.png)");
inline const QString kSvgFilter = QStringLiteral("Dibujo SVG (*.svg)");
inline const QString kPdfFilter = QStringLiteral("Documento PDF (*.pdf)");

// The format a file name asks for by its extension (any case), or, without
// one of ".png", ".svg", ".pdf", the one of the filter chosen; that
// filter's extension is then added to the name.
struct SaveTarget {
    QString fileName;
    ChartFormat format = ChartFormat::Png;
};
SaveTarget saveTarget(const QString& chosenName, const QString& chosenFilter);

// Writes the chart at `size` (its size on the screen when empty): PNG at
// twice that size in pixels, so that it prints sharply; SVG and PDF at that
// size in points. Returns what went wrong, in Spanish, or nothing.
std::optional<QString> writeChart(QCustomPlot& plot, const QString& fileName, ChartFormat format,
                                  QSize size = {});

// The dialogs the saving asks through; tests replace them.
struct SaveDialogs {
    // The name and filter chosen, nothing when cancelled.
    std::function<std::optional<std::pair<QString, QString>>(QWidget* parent, const QString& suggestedName)>
        chooseFile;
    // Whether to replace an existing file.
    std::function<bool(QWidget* parent, const QString& fileName)> confirmReplace;
};
void setSaveDialogs(SaveDialogs dialogs);

// "Guardar gráfico…": asks for a file (the dialog in Spanish, the name
// suggested from `suggestedName`), asks before replacing a file, writes the
// chart and reports a failure as an error message that says why.
void saveChart(QCustomPlot& plot, QWidget* parent, const QString& suggestedName);

} // namespace charts
