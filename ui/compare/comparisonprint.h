#pragma once
// The comparison on paper: one landscape A4 page with margins, giving the
// title, the measure shown, the chart (as vectors), the notice, the table of
// the units, the sources of the figures and the date printed.

#include <QString>
#include <optional>
#include <vector>

#include "comparedunit.h"

class ComparisonChart;
class QPagedPaintDevice;

namespace compare {

inline const QString kSourceLine = QStringLiteral(
    "Fuentes de las cifras: IAEST, Serie histórica de población municipios; INE, Alteraciones de los "
    "municipios en los Censos de Población desde 1842.");

// Paints the page on a device already set to landscape A4 with its margins.
// Returns false when the device cannot be painted on.
bool paintComparison(QPagedPaintDevice& device, ComparisonChart& chart, const std::vector<ComparedUnit>& units);

// Writes the page as a PDF file, whole or not at all; what went wrong, in
// Spanish, or nothing.
std::optional<QString> writeComparisonPdf(const QString& fileName, ComparisonChart& chart,
                                          const std::vector<ComparedUnit>& units);

} // namespace compare
