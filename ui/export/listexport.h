#pragma once
// "Archivo > Exportar lista…": a list of units (the three lists of the main
// window as they stand, or the units of the comparison) written as an Excel
// workbook or as CSV, the kind chosen in the file dialog.

#include <QString>
#include <span>

#include "unitrows.h"

class QWidget;

namespace exportui {

// The dialog's filters, in the order offered; the workbook first.
inline const QString kWorkbookFilter = QStringLiteral("Libro de Excel (*.xlsx)");
inline const QString kCsvFilter = QStringLiteral("CSV, valores separados por comas (*.csv)");

// Writes the rows to `fileName`: CSV when the name ends in ".csv" (any
// case), a workbook otherwise. Whole or not at all; a failure throws
// exporting::ExportError with its Spanish message.
void writeList(const QString& fileName, std::span<const exporting::UnitRow> rows);

// The file dialog, captioned "Exportar lista", offering a workbook or CSV
// under `suggestedName` ("Unidades" by default), the suffix of the kind
// chosen added to a name without it; then writeList. Nothing when the
// dialog is cancelled. Failures throw, for the window's guard to report.
void exportListWithDialog(QWidget* parent, std::span<const exporting::UnitRow> rows,
                          const QString& suggestedName = QStringLiteral("Unidades"));

} // namespace exportui
