#pragma once
// The printed sheet of one unit: on one A4 page, within margins of 20 mm,
// its kind and name, its code, municipality and comarca, its note, its
// census table, its population chart (drawn as vectors, as the panel draws
// it), the sources of its figures and names with their licences, and the
// date it was printed. Printed through the print dialog or written to a PDF
// file, whole or not at all.

#include <QDate>
#include <QString>

#include "unitrows.h"

class QCPPainter;
class QPrinter;
class QWidget;

namespace catalogue {
class Table;
}

namespace exportui {

struct UnitSheet {
    QString title; // as the panel's title gives it: "Municipio: Zaragoza"
    QString note;  // COMENTARIO
    exporting::UnitRow row;
};

// The sheet of one record of the catalogue: the title from its kind word and
// NOMBREDICC, the note, the row the builder makes of it (code, municipality,
// comarca, figures).
UnitSheet unitSheetOf(const exporting::UnitRowBuilder& builder, const catalogue::Table& table, std::size_t record);

// The line under the title: "Código 50297 · Comarca: Central";
// "Código 509010001 · Municipio: Biel · Comarca: Cinco Villas"; a historical
// municipality names that of its territory today ("Código 50049 · Comarca de
// su territorio hoy: Cinco Villas"); where the catalogue gives no code or no
// comarca, it says so.
QString identityLine(const exporting::UnitRow& row);

// The sources line: the citation or attribution of each source of the
// unit's figures and names, and the catalogue's licence.
QString sourcesLine(const exporting::UnitRow& row);

// Paints the sheet on an A4 page that `painter` is active on, its origin at
// the paper's corner, its device giving the resolution; `printed` is the
// date it names. The chart is QCustomPlot's drawing, hence its painter.
void paintUnitSheet(QCPPainter& painter, const UnitSheet& sheet, const QDate& printed);

// Prints the sheet on a printer set up already (its page is set to A4
// portrait with 20 mm margins). False when the printer cannot start.
bool printUnitSheet(QPrinter& printer, const UnitSheet& sheet, const QDate& printed = QDate::currentDate());

// Writes the sheet as a one-page PDF file, whole or not at all; a failure
// throws std::runtime_error with a Spanish message ("No se puede crear el
// archivo …: Permiso denegado").
void writeUnitSheetPdf(const QString& fileName, const UnitSheet& sheet, const QDate& printed = QDate::currentDate());

// "Imprimir ficha…": the print dialog, captioned "Imprimir ficha", then the
// sheet on the printer chosen. Nothing when the dialog is cancelled.
void printUnitSheetWithDialog(QWidget* parent, const UnitSheet& sheet);

// "Exportar ficha a PDF…": the file dialog, captioned "Exportar ficha a PDF",
// for a name ending in .pdf (added when missing), then writeUnitSheetPdf.
// Failures throw, for the window's guard to report.
void exportUnitSheetWithDialog(QWidget* parent, const UnitSheet& sheet);

// The file name a sheet is offered under: the unit's display name and code,
// "Zaragoza 50297.pdf", without characters a file name cannot hold.
QString suggestedFileName(const UnitSheet& sheet);

} // namespace exportui
