#pragma once
// A list of units as an Excel workbook (.xlsx), written with libxlsxwriter,
// with the columns and rows of spreadsheet.h. The program reaches this code
// through its workbook module (workbookmodule.h), so that libxlsxwriter and
// the libraries it brings are loaded only when a workbook is written.

#include <span>
#include <string>

#include "unitrows.h"

namespace exporting {

// The workbook: sheet "Unidades" with the rows (the header row frozen and
// bold, codes as text, figures as numbers), and sheet "Fuentes" with the
// sources of what the rows hold (sources.h), their licences and the
// citations they ask for, and what an empty figure means. Written whole or
// not at all: a failure throws ExportError with a Spanish message and leaves
// any file of that name as it was.
void writeWorkbook(const std::string& path, std::span<const UnitRow> rows);

} // namespace exporting
